// The helpers of the unit Common and the fixed-point money, as tables of
// the cases that matter.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

#include "domain/common.h"
#include "domain/money.h"
#include "system/account.h"

using namespace kelmo;

namespace {

Money M(const char* text) {
  return *Money::FromString(text);
}

TEST(Common, TrimText) {
  struct Case {
    QString text, expected;
  } cases[] = {
      {" \t\r\n ", ""},           {"", ""},   {"  a  b  ", "a  b"}, {QString("\x01x\x1f"), "x"},
      {"\tЛПУ 25\r\n", "ЛПУ 25"}, {"!", "!"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimText(c.text), c.expected) << c.text.toStdString();
  EXPECT_EQ(ReverseStr("  abc "), QString("cba"));
}

TEST(Common, MoneyStrRoundsHalfToEvenWithAPoint) {
  struct Case {
    const char* value;
    const char* text;
  } cases[] = {
      {"5", "5.00"},
      {"1234.5", "1234.50"},
      {"-0.004", "0.00"},
      {"0", "0.00"},
      {"1.2250", "1.22"},
      {"1.2350", "1.24"},
      {"1.2251", "1.23"},
      {"-1.2250", "-1.22"},
      {"-1.2350", "-1.24"},
      {"-0.015", "-0.02"},
      {"-0.005", "0.00"},
      {"0.995", "1.00"},
      {"99999999.9999", "100000000.00"},
  };
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));  // decimal comma
  for (const Case& c : cases) EXPECT_EQ(MoneyStr(M(c.value)), QString(c.text)) << c.value;
  QLocale::setDefault(QLocale::c());
}

TEST(Common, MoneyValues) {
  EXPECT_EQ(M("1234.5678").units(), 12345678);
  EXPECT_EQ(M("1,5").units(), 15000);
  EXPECT_EQ(M("-0.00005").units(), 0);  // half to even
  EXPECT_EQ(M("0.00015").units(), 2);
  EXPECT_EQ(M("0.000150001").units(), 2);
  EXPECT_EQ(M("0.000050001").units(), 1);
  EXPECT_EQ(M(".5").units(), 5000);
  EXPECT_FALSE(Money::FromString(""));
  EXPECT_FALSE(Money::FromString("1 234"));
  EXPECT_FALSE(Money::FromString("abc"));
  EXPECT_FALSE(Money::FromString("-"));
  EXPECT_EQ(M("1.2250").RoundToKopecks(), M("1.22"));
  EXPECT_EQ(M("-1.2350").RoundToKopecks(), M("-1.24"));
  EXPECT_EQ((M("1.5") + M("2.25")).ToString(), QString("3.7500"));
  EXPECT_EQ((M("1.5") - M("2.25")).ToString(), QString("-0.7500"));
  EXPECT_EQ(Money::FromDouble(0.1 + 0.2).ToString(), QString("0.3000"));
  EXPECT_LT(M("-1"), M("0.0001"));
}

TEST(Common, TextBetween) {
  struct Case {
    const char *start, *end, *text;
    bool fromEnd;
    const char* expected;
  } cases[] = {
      {"_2=", ";", "_1=A01;_2=B02;", false, "B02"},
      {"_", "=", "_1=A01;_2=B02;", true, "2"},
      {"x=", ";", "x=abc", false, "ab"},  // no end marker: last character dropped
      {"q=", ";", "x=abc;", false, ""},   // start marker missing
      {"", ";", "x=abc;", false, ""},
      {"q", "=", "_1=A01;", true, ""},
      {"_", "#", " _1=A01 ", true, "1=A01"},  // no end marker from the end: the rest
      {"x=", ";", "x=", false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TextBetween(c.start, c.end, c.text, c.fromEnd), QString::fromUtf8(c.expected))
        << c.start << " " << c.text;
  // An earlier result never leaks into a later call.
  EXPECT_EQ(TextBetween("_2=", ";", "_1=A01;_2=B02;", false), QString("B02"));
  EXPECT_EQ(TextBetween("_9=", ";", "_1=A01;_2=B02;", false), QString());
}

TEST(Common, CleanOpenCommand) {
  struct Case {
    const char *command, *program;
  } cases[] = {
      {"\"C:/Program Files/WinRAR/WinRAR.exe\" \"%1\"", "C:/Program Files/WinRAR/WinRAR.exe"},
      {"/usr/bin/libreoffice --calc %U", "/usr/bin/libreoffice --calc"},
      {"/usr/bin/rar", "/usr/bin/rar"},
      {"", ""},
      {"\"a\" \"\" ", "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanOpenCommand(c.command), QString(c.program));
  EXPECT_TRUE(ProgramForExtension("kelmo-no-such-extension").isEmpty());
  EXPECT_TRUE(ProgramForExtension("").isEmpty());
}

TEST(Common, CodeKind) {
  struct Case {
    const char* code;
    int kind;
  } cases[] = {
      {"1234567", 1},        {" 7234567 ", 7}, {"12345678901", 0}, {"123456789012", 4},
      {"12345678901234", 4}, {"", 0},          {"123456", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CodeKind(c.code), c.kind) << c.code;
  try {
    CodeKind("x234567");
    ADD_FAILURE();
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
  EXPECT_THROW(CodeKind("12345678901a"), ConversionError);
}

TEST(Common, VersionAndFileDate) {
  EXPECT_EQ(VersionText("2.5.3.40"), QString("2.5.3"));
  EXPECT_EQ(VersionText("2.5.3.40000"), QString("2.5.3"));
  EXPECT_EQ(VersionText("2.5"), QString("2.5"));
  EXPECT_TRUE(FileVersionText(KELMO_SOURCE_DIR "/README.md").isEmpty());
  EXPECT_TRUE(FileVersionText("").isEmpty());
}

TEST(Common, DatesAndDigits) {
  struct Case {
    QDate date, end;
  } cases[] = {
      {{2024, 2, 10}, {2024, 2, 29}},  {{2023, 2, 10}, {2023, 2, 28}},
      {{2023, 12, 5}, {2023, 12, 31}}, {{2000, 2, 1}, {2000, 2, 29}},
      {{1900, 2, 1}, {1900, 2, 28}},  // day 29 does not exist in 1900
      {{2023, 4, 30}, {2023, 4, 30}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EndOfMonth(c.date), c.end) << c.date.toString().toStdString();

  EXPECT_EQ(DigitsOnly("1a-b2.3"), QString("123"));
  QString longText;
  for (int i = 0; i < 300; ++i) longText += (i % 3 == 0) ? QChar('0' + i % 10) : QChar('x');
  EXPECT_EQ(DigitsOnly(longText).size(), 100);
  EXPECT_EQ(DigitsOnly("").size(), 0);
  EXPECT_TRUE(IsDigitChar('0'));
  EXPECT_TRUE(IsDigitChar('9'));
  EXPECT_FALSE(IsDigitChar('a'));
  EXPECT_FALSE(IsDigitChar(QChar(0x0663)));  // an Arabic-Indic digit is not "0".."9"
  QString variable = "old";
  CopyText("new", variable);
  EXPECT_EQ(variable, QString("new"));
  EXPECT_EQ(ShortDateText(QDate(2013, 3, 1)), QString("01.03.2013"));
}

TEST(Common, OmsDomainTest) {
  struct Case {
    const char* posixName;
    const char* userDomain;
    bool inDomain;
  } cases[] = {
      {"OMS\\ivanov", "", true},
      {"oms\\ivanov", "", true},
      {"ivanov@Oms", "", true},
      {"ivanov", " oms\t", true},  // blanks around the domain
      {"ivanov", "OMS2", false},
      {"OMS", "OTHER", false},  // an account named OMS in another
                                // domain
      {"OTHER\\OMS", "", false},
      {"ivanov", "", false},
      {"", "OMS", false},  // no account
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsOMSDomain({c.posixName, c.userDomain}), c.inDomain) << c.posixName << c.userDomain;
  // A domain longer than 50 characters makes the look-up fail.
  EXPECT_FALSE(IsOMSDomain({"ivanov", "OMS" + QString(48, ' ')}));
  EXPECT_TRUE(IsOMSDomain({"ivanov", "OMS" + QString(47, ' ')}));
}

}  // namespace
