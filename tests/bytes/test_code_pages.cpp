// The shared code pages and byte-order helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "bytes/code_pages.h"
#include "bytes/little_endian.h"

using namespace kelmo::bytes;

namespace {

TEST(CodePages, EveryByteOfBothPagesRoundTripsThroughUtf8) {
  for (CodePage cp : {CodePage::Cp866, CodePage::Cp1251}) {
    for (int b = 0; b < 256; ++b) {
      if (cp == CodePage::Cp1251 && b == 0x98) continue;  // the one byte 1251 leaves unused
      const std::string one(1, static_cast<char>(b));
      std::string back;
      EXPECT_TRUE(EncodeFromUtf8(DecodeToUtf8(one, cp), cp, back)) << b;
      EXPECT_EQ(back, one) << b;
    }
  }
}

TEST(CodePages, CharactersWithoutAFormBecomeAQuestionMarkAndSaySo) {
  struct Case {
    const char* utf8;
    CodePage cp;
    const char* bytes;
    bool exact;
  };
  const Case cases[] = {
      {"Ёлка", CodePage::Cp866, "\xF0\xAB\xAA\xA0", true},
      {"Ёлка", CodePage::Cp1251, "\xA8\xEB\xEA\xE0", true},
      {"€5", CodePage::Cp866, "?5", false},  // the euro sign is not in 866
      {"€5", CodePage::Cp1251,
       "\x88"
       "5",
       true},
      {"a\xC3", CodePage::Cp866, "a?", false},  // a cut UTF-8 sequence
      {"\xF0\x9F\x98\x80", CodePage::Cp1251, "?", false},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(EncodeFromUtf8(c.utf8, c.cp, out), c.exact) << c.utf8;
    EXPECT_EQ(out, c.bytes) << c.utf8;
  }
}

TEST(CodePages, TranslationBetweenThePagesKeepsLettersAndMarksTheRest) {
  std::string oem = EncodeFromUtf8("Ёж░", CodePage::Cp866);
  std::string ansi(oem.size(), '\0');
  OemToAnsiBuffer(oem.data(), ansi.data(), oem.size());
  EXPECT_EQ(ansi, EncodeFromUtf8("Ёж", CodePage::Cp1251) + "?");
  AnsiToOemBuffer(ansi.data(), ansi.data(), ansi.size());
  EXPECT_EQ(ansi, EncodeFromUtf8("Ёж", CodePage::Cp866) + "?");
}

TEST(CodePages, Utf8ValidityCheck) {
  EXPECT_TRUE(IsValidUtf8("Ёлка \xEF\xBF\xBD"));  // a real replacement character is valid
  EXPECT_FALSE(IsValidUtf8("\xF0\xAB"));
  EXPECT_FALSE(IsValidUtf8("\x80"));
  EXPECT_TRUE(IsAscii("plain"));
  EXPECT_FALSE(IsAscii("\xA8"));
}

TEST(LittleEndian, IntegersAndDoublesRoundTripInTheirByteOrder) {
  std::uint8_t b[8] = {};
  PutLE32(b, 0x01020304);
  EXPECT_EQ(b[0], 0x04);
  EXPECT_EQ(GetLE32(b), 0x01020304u);
  EXPECT_EQ(GetBE32(b), 0x04030201u);
  PutLE64(b, 0x0102030405060708ull);
  EXPECT_EQ(GetLE64(b), 0x0102030405060708ull);
  EXPECT_EQ(GetLE16(b), 0x0708);
  PutLEDouble(b, -1.5);
  EXPECT_EQ(b[7], 0xBF);
  EXPECT_EQ(GetLEDouble(b), -1.5);
}

}  // namespace
