// The identity-document series and number check: a table of cases per
// document type, the masks' edge cases, and the code-page edge.
#include <gtest/gtest.h>

#include <QString>
#include <QStringDecoder>
#include <random>
#include <string>

#include "tariff/identity_document_check.h"
#include "regexpr/regexpr_errors.h"

namespace kelmo::tariff {
namespace {

// Cases are written in UTF-8 and checked as code page 1251 bytes.
struct DocumentCase {
  int type;
  const char* series;
  const char* number;
  bool valid;
};

void PrintTo(const DocumentCase& c, std::ostream* os) {
  *os << "type " << c.type << " series \"" << c.series << "\" number \"" << c.number << "\"";
}

class DocumentTable : public ::testing::TestWithParam<DocumentCase> {};

TEST_P(DocumentTable, Answers) {
  const DocumentCase& c = GetParam();
  const std::string series = ToCp1251(QString::fromUtf8(c.series));
  const std::string number = ToCp1251(QString::fromUtf8(c.number));
  EXPECT_EQ(CheckDocumentSeriesNumber(static_cast<std::uint8_t>(c.type), series, number), c.valid);
  EXPECT_EQ(CheckDocumentSeriesNumber(static_cast<std::uint8_t>(c.type),
                                      QString::fromUtf8(c.series), QString::fromUtf8(c.number)),
            c.valid);
}

INSTANTIATE_TEST_SUITE_P(
    Types, DocumentTable,
    ::testing::Values(
        // Types outside the table, and the two types refused before it.
        DocumentCase{0, "", "123456", false}, DocumentCase{19, "", "12", false},
        DocumentCase{20, "AB", "12", false}, DocumentCase{28, "", "123456", false},
        DocumentCase{255, "", "123456", false},
        // 1 and 3: Roman numerals (Latin or Cyrillic look-alikes), "-", two letters.
        DocumentCase{1, "IV-АБ", "123456", true}, DocumentCase{1, "IVXL-АБ", "123456", true},
        DocumentCase{1, "IVXLC-АБ", "123456", false}, DocumentCase{1, "IV-АБВ", "123456", false},
        DocumentCase{1, ",,-АБ", "123456", true}, DocumentCase{1, "УХЛ-ЯЯ", "654321", true},
        DocumentCase{1, "IV-АБ", "12345", false}, DocumentCase{1, "IV-аб", "123456", false},
        DocumentCase{3, "X1-ЖЖ", "102030", true}, DocumentCase{3, "-АБ", "102030", false},
        // 2, 5, 9, 10, 12, 13, 27: Latin or Cyrillic series, each on its own.
        DocumentCase{2, "", "12", true}, DocumentCase{2, "", "1", false},
        DocumentCase{2, "AB 12-", "12345678", true}, DocumentCase{2, "АБ 12", "12", true},
        DocumentCase{2, "AБ", "12", false}, DocumentCase{2, "", "123456789", false},
        DocumentCase{5, "XZ", "87", true}, DocumentCase{9, "", "1234567890", true},
        DocumentCase{9, "", "12345678901", false}, DocumentCase{10, "ab", "12", false},
        DocumentCase{12, "Я-1", "12", true}, DocumentCase{13, "A", "1a", false},
        DocumentCase{27, "Q", "123456789012", true}, DocumentCase{27, "Q", "1234567890123", false},
        // 4, 6, 7, 16, 17: two Cyrillic capitals.
        DocumentCase{4, "ЖЖ", "1234567", true}, DocumentCase{4, "ЁЖ", "1234567", false},
        DocumentCase{4, "аб", "1234567", false}, DocumentCase{4, "AB", "1234567", false},
        DocumentCase{4, "ЖЖ", "123456", false}, DocumentCase{6, "ЮЯ", "123456", true},
        DocumentCase{6, "ЮЯ", "1234567", false}, DocumentCase{7, "АА", "123456", true},
        DocumentCase{7, "АА", "1234567", true}, DocumentCase{7, "АА", "12345678", false},
        DocumentCase{16, "ВГ", "7654321", true}, DocumentCase{17, "ВГ", "7654321", false},
        // 8 and 15: two digits.
        DocumentCase{8, "45", "1234567", true}, DocumentCase{8, "4", "1234567", false},
        DocumentCase{15, "45", "12345678", false},
        // 11, 18, 21 to 24: Latin and Cyrillic mixed.
        DocumentCase{11, "AБ 1-", "12345678", true}, DocumentCase{11, "", "12", true},
        DocumentCase{11, "a", "12", false}, DocumentCase{18, "Z", "1234567890", true},
        DocumentCase{21, "ZЯ", "123456789012", true}, DocumentCase{24, "ZЯ", "", false},
        // 14: two digits, a space, two digits.
        DocumentCase{14, "45 01", "1234567", true}, DocumentCase{14, "4501", "1234567", false},
        DocumentCase{14, "45  01", "123456", false},
        // 25: two digits or two letters.
        DocumentCase{25, "45", "1234567", true}, DocumentCase{25, "ЖЖ", "1234567", true},
        DocumentCase{25, "4Ж", "1234567", false},
        // 26: no series, or the literal text ^$.
        DocumentCase{26, "", "123456", true}, DocumentCase{26, "", "12345", false},
        DocumentCase{26, "^$", "123456", true}, DocumentCase{26, "AB", "123456", false},
        // A number of one repeated character never passes.
        DocumentCase{4, "ЖЖ", "0000000", false}, DocumentCase{6, "ЖЖ", "111111", false},
        DocumentCase{26, "", "000000", false}, DocumentCase{2, "", "11", false},
        DocumentCase{6, "ЖЖ", "111112", true}));

TEST(IdentityDocument, EveryTypeOfTheTableHasMasksThatCompile) {
  for (int type = 1; type <= 27; ++type) {
    const auto masks = DocumentMasksFor(type);
    ASSERT_TRUE(masks) << type;
    EXPECT_NO_THROW(MatchWholeMask("", masks->series)) << type;
    EXPECT_NO_THROW(MatchWholeMask("", masks->number)) << type;
  }
  EXPECT_FALSE(DocumentMasksFor(0));
  EXPECT_FALSE(DocumentMasksFor(28));
}

TEST(IdentityDocument, CyrillicRangeIsByCodePage1251Byte) {
  const auto masks = DocumentMasksFor(4);
  EXPECT_EQ(masks->series, "[\xC0-\xDF]{2}");
  EXPECT_TRUE(MatchWholeMask("\xC0\xDF", masks->series));   // А Я
  EXPECT_FALSE(MatchWholeMask("\xA8\xC0", masks->series));  // Ё А
}

TEST(IdentityDocument, MatchWholeMaskFeedsTheWholeText) {
  EXPECT_TRUE(MatchWholeMask("", "a*"));
  EXPECT_TRUE(MatchWholeMask("123", "\\d{1,3}"));
  EXPECT_FALSE(MatchWholeMask("1234", "\\d{1,3}"));
  EXPECT_FALSE(MatchWholeMask("12", "\\d{1,3}x"));
}

TEST(IdentityDocument, MatchWholeMaskRaisesTheEnginesErrorForABadMask) {
  try {
    MatchWholeMask("a", "a**|[]");
    FAIL();
  } catch (const regexpr::EleRegExprError& e) {
    ASSERT_EQ(e.Errors().Count(), 2);
    EXPECT_EQ(e.Errors().Item(0).message, "The '*' quantifier cannot be applied here");
    EXPECT_EQ(e.Errors().Item(1).message, "Can't create empty enumeration");
  }
}

// The answer as compiling each mask afresh and feeding the value gives it,
// the repeated-character rule by Qt's letter case.
bool FedAnswer(int type, const std::string& series, const std::string& number) {
  if (type < 1 || type > 27 || type == 19 || type == 20) return false;
  const auto masks = DocumentMasksFor(type);
  const bool seriesOk =
      MatchWholeMask(series, masks->series) || (masks->series == "^$" && series.empty());
  if (!seriesOk || !MatchWholeMask(number, masks->number)) return false;
  QStringDecoder decoder("windows-1251");
  const QString text = decoder.decode(QByteArray(number.data(), static_cast<int>(number.size())));
  for (QChar c : text)
    if (c.toUpper() != text.front().toUpper()) return true;
  return text.isEmpty();
}

// The compiled check answers as the fed masks do, for values of both length
// parities (the matcher takes characters two at a time), empty ones, letters
// of both cases, one repeated character, and type numbers in and out of the
// table.
TEST(IdentityDocument, CompiledCheckAgreesWithFeedingEveryValue) {
  std::mt19937 rng(26);
  const std::string alphabet = "0123456789 -,AZaz^$IVX\xC0\xDF\xE0\xFF\xA8\xB8\xD3";
  auto text = [&](size_t length) {
    std::string t;
    for (size_t i = 0; i < length; ++i) t += alphabet[rng() % alphabet.size()];
    return t;
  };
  int accepted = 0;
  for (int round = 0; round < 6000; ++round) {
    const int type = static_cast<int>(rng() % 30);
    std::string series;
    switch (rng() % 3) {
      case 0:
        series = text(rng() % 8);
        break;
      case 1:
        series = std::string(1 + rng() % 3, "IVX"[rng() % 3]) + "-\xC0\xDF";
        break;
      default:
        series = std::string(2, "\xC0\xC1\xDF"[rng() % 3]);
    }
    std::string number;
    switch (rng() % 3) {
      case 0:
        number = text(rng() % 14);
        break;
      case 1:
        number = std::string(1 + rng() % 12, "07aA\xE0\xC0"[rng() % 6]);
        break;
      default:
        number = std::to_string(rng() % 100000000);
    }
    const bool fed = FedAnswer(type, series, number);
    accepted += fed;
    EXPECT_EQ(CheckDocumentSeriesNumber(static_cast<std::uint8_t>(type), series, number), fed)
        << "type " << type << " series \"" << series << "\" number \"" << number << "\"";
  }
  EXPECT_GT(accepted, 100);  // the values reach the accepting paths too
}

TEST(IdentityDocument, CharactersOutsideTheCodePageNeverPass) {
  EXPECT_FALSE(CheckDocumentSeriesNumber(2, QString::fromUtf8("漢"), QStringLiteral("12")));
  EXPECT_TRUE(CheckDocumentSeriesNumber(2, QString(), QStringLiteral("12")));
}

}  // namespace
}  // namespace kelmo::tariff
