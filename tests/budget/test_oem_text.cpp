// Recognition of page-866 names and their conversion.
#include <gtest/gtest.h>

#include <QStringDecoder>

#include "budget/oem_text.h"

namespace kelmo {
namespace {

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray b;
  for (int v : values) b.append(static_cast<char>(v));
  return b;
}

TEST(OemText, CountsTheThreeRanges) {
  const QByteArray oem = Bytes({0x88, 0x82, 0x80, 0x8D, 0x8E, 0x82});
  const auto* p = reinterpret_cast<const unsigned char*>(oem.constData());
  OemStats s = CountOemStats(p, p + oem.size());
  EXPECT_EQ(s.A, 6);
  EXPECT_EQ(s.C, 0);
  const QByteArray ansi = Bytes({0xC8, 0xC2, 0xC0, 0xCD, 0xCE, 0xC2});
  p = reinterpret_cast<const unsigned char*>(ansi.constData());
  s = CountOemStats(p, p + ansi.size());
  EXPECT_EQ(s.A, 0);
  EXPECT_EQ(s.C, 6);
  EXPECT_EQ(s.B, 6);
  EXPECT_EQ(s.F[0xC2 - 0xB0], 2);
}

TEST(OemText, DecidesByTheCounts) {
  struct Case {
    QByteArray bytes;
    bool oem;
  } cases[] = {
      {Bytes({0x88, 0x82, 0x80, 0x8D, 0x8E, 0x82}), true},   // ИВАНОВ in 866
      {Bytes({0xC8, 0xC2, 0xC0, 0xCD, 0xCE, 0xC2}), false},  // ИВАНОВ in 1251
      {Bytes({0xB3, 0xB3, 0xB3}), true},                     // one box byte dominates
      {QByteArray("Ivanov"), false},
      {QByteArray(), false},
      // an upper-case 1251 word and more 866 letters than 1251 letters
      {Bytes({0xC8, 0xC2, 0x20, 0xA8, 0xA2, 0xA0, 0xAD, 0xAE, 0xA2}), true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsOemBuffer(c.bytes.constData(), c.bytes.size()), c.oem) << c.bytes.toHex().data();
}

TEST(OemText, ConvertsOnlyPage866) {
  EXPECT_EQ(OemToAnsiIfNeeded(Bytes({0x88, 0x82, 0x80, 0x8D, 0x8E, 0x82})),
            Bytes({0xC8, 0xC2, 0xC0, 0xCD, 0xCE, 0xC2}));
  EXPECT_EQ(OemToAnsiIfNeeded(Bytes({0xC8, 0xC2})), Bytes({0xC8, 0xC2}));
  // A name the desktop engine decoded as page 1251 although it was page 866.
  QStringDecoder as1251("windows-1251");
  const QString misread = as1251.decode(Bytes({0x88, 0x82, 0x80, 0x8D, 0x8E, 0x82}));
  EXPECT_EQ(OemToAnsiIfNeeded(misread), QStringLiteral("ИВАНОВ"));
  EXPECT_EQ(OemToAnsiIfNeeded(QStringLiteral("ИВАНОВ")), QStringLiteral("ИВАНОВ"));
  // Longer than the 255 characters a fixed buffer would hold: converted whole.
  const QByteArray longName = QByteArray(400, static_cast<char>(0x80));
  EXPECT_EQ(OemToAnsiIfNeeded(longName), QByteArray(400, static_cast<char>(0xC0)));
}

}  // namespace
}  // namespace kelmo
