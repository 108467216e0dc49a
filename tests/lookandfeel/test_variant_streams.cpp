// Variant comparison, the typed stream helpers and the tagged variant
// format: the byte layouts, the 80-bit extended payload, and a reader that
// refuses hostile lengths instead of allocating them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "lookandfeel/extended80.h"
#include "lookandfeel/variant_streams.h"

namespace kelmo::le {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Written(const Variant& v) {
  zip::TMemoryStream s;
  StreamWriteVariant(s, v);
  return s.Data();
}

Variant ReadBack(const Bytes& bytes) {
  zip::TMemoryStream s(bytes);
  return StreamReadVariant(s);
}

TEST(VariantStream, IntegerItemsTakeTheSmallestTag) {
  struct Case {
    std::int32_t value;
    Bytes bytes;
  } cases[] = {{127, {0x02, 0x7F}},
               {-128, {0x02, 0x80}},
               {128, {0x03, 0x80, 0x00}},
               {-32768, {0x03, 0x00, 0x80}},
               {-32769, {0x04, 0xFF, 0x7F, 0xFF, 0xFF}}};
  for (const Case& c : cases) {
    EXPECT_EQ(Written(Variant::Integer(c.value)), c.bytes) << c.value;
    EXPECT_EQ(ReadBack(c.bytes).AsInt64(), c.value);
  }
}

TEST(VariantStream, ByteStringsShortAndLong) {
  Bytes shortForm = Written(Variant::String(std::string(255, 'x')));
  ASSERT_EQ(shortForm.size(), 2u + 255);
  EXPECT_EQ(shortForm[0], 0x06);
  EXPECT_EQ(shortForm[1], 0xFF);
  Bytes longForm = Written(Variant::String(std::string(300, 'x')));
  EXPECT_EQ(Bytes(longForm.begin(), longForm.begin() + 5), (Bytes{0x0C, 0x2C, 0x01, 0x00, 0x00}));
  EXPECT_EQ(ReadBack(longForm).RawString(), std::string(300, 'x'));
}

TEST(VariantStream, ArrayOfIntegerAndString) {
  Variant a = Variant::Array({Variant::Integer(1), Variant::String("a")});
  Bytes b = Written(a);
  EXPECT_EQ(b, (Bytes{0x01, 0x02, 0x02, 0x02, 0x01, 0x06, 0x01, 0x61}));
  Variant back = ReadBack(b);
  ASSERT_TRUE(back.IsArray());
  EXPECT_EQ(CompareVariantValues(a, back), 0);
}

TEST(VariantStream, UnsignedAndLargeKindsAreWrittenAsDecimalText) {
  EXPECT_EQ(Written(Variant::LongWord(4000000000u)),
            (Bytes{0x06, 10, '4', '0', '0', '0', '0', '0', '0', '0', '0', '0'}));
  EXPECT_EQ(Written(Variant::Word(7)), (Bytes{0x06, 1, '7'}));
  EXPECT_EQ(Written(Variant::Int64(-5)), (Bytes{0x06, 2, '-', '5'}));
}

TEST(VariantStream, EveryScalarKindRoundTrips) {
  const Variant values[] = {
      Variant(),
      Variant::Null(),
      Variant::Boolean(true),
      Variant::Boolean(false),
      Variant::ShortInt(-7),
      Variant::Smallint(-300),
      Variant::Integer(70000),
      Variant::Single(1.5f),
      Variant::Double(0.1),
      Variant::Double(-1e300),
      Variant::Currency(-1234567),
      Variant::Date(45000.75),
      Variant::String("\xCF\xF0\xE8"),
      Variant::OleStr(u"\u041F\u0440\u0438\u20AC"),
  };
  for (const Variant& v : values) {
    Variant back = ReadBack(Written(v));
    EXPECT_EQ(back.Type(), v.Type() == varShortInt ? varShortInt : v.Type()) << v.Type();
    EXPECT_EQ(CompareVariantValues(v, back), 0) << v.Type();
  }
}

// The extended payload is ten bytes; reading it as a double's eight bytes
// would misplace every later value of the stream.
TEST(ExtendedPayload, ReadAsTenBytesAndConverted) {
  Bytes one = Written(Variant::Double(1.0));
  EXPECT_EQ(one, (Bytes{0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  // pi as an 80-bit value (more bits than a double holds) rounds to M_PI.
  Bytes pi = {0x05, 0x35, 0xC2, 0x68, 0x21, 0xA2, 0xDA, 0x0F, 0xC9, 0x00, 0x40, 0x02, 0x05};
  zip::TMemoryStream s(pi);
  EXPECT_EQ(StreamReadVariant(s).RawDouble(), M_PI);
  EXPECT_EQ(StreamReadVariant(s).RawInt(), 5);  // the next value starts right after
}

TEST(ExtendedPayload, DoublesRoundTripExactly) {
  const double values[] = {0.0,
                           -0.0,
                           1.0,
                           -2.5,
                           1.0 / 3,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           3 * std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
  for (double v : values) {
    double back = ExtendedToDouble(DoubleToExtended(v));
    EXPECT_EQ(back, v) << v;
    EXPECT_EQ(std::signbit(back), std::signbit(v)) << v;
  }
  EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::nan("")))));
  // Beyond the double range: infinity; far below it: zero.
  Extended80 big = DoubleToExtended(1.0);
  big[9] = 0x7F;
  big[8] = 0xF0;
  EXPECT_TRUE(std::isinf(ExtendedToDouble(big)));
  Extended80 tiny = DoubleToExtended(1.0);
  tiny[9] = 0x00;
  tiny[8] = 0x10;
  EXPECT_EQ(ExtendedToDouble(tiny), 0.0);
}

TEST(VariantStreamReader, RefusesHostileInput) {
  const Bytes refused[] = {
      {0x07},                                // not a tag of the format
      {0x13},                                // beyond the last tag
      {0x0C, 0xFF, 0xFF, 0xFF, 0x7F},        // 2 GB string in five bytes
      {0x0C, 0xFF, 0xFF, 0xFF, 0xFF},        // negative length
      {0x12, 0x00, 0x00, 0x00, 0x40, 0x41},  // wide string longer than the rest
      {0x01, 0x04, 0xFF, 0xFF, 0xFF, 0x7F},  // array count beyond the stream
      {0x01, 0x05},                          // count without an integer tag
  };
  for (const Bytes& b : refused) {
    EXPECT_THROW(ReadBack(b), EReadError) << int(b[0]);
  }
  try {
    ReadBack({0x07});
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  Bytes deep;
  for (int i = 0; i < 100; ++i) deep.insert(deep.end(), {0x01, 0x02, 0x01});
  deep.push_back(0x00);
  EXPECT_THROW(ReadBack(deep), EReadError);
  // A truncated payload is the stream's own short read.
  EXPECT_THROW(ReadBack({0x04, 0x01}), zip::EStreamError);
}

TEST(FixedSizeHelpers, LayoutsAndRoundTrip) {
  zip::TMemoryStream s;
  StreamWriteByte(s, 0xAB);
  StreamWriteSmallInt(s, -2);
  StreamWriteWord(s, 0xFFFE);
  StreamWriteInteger(s, -3);
  StreamWriteLargeInt(s, -4);
  StreamWriteCurrency(s, 123456);
  StreamWriteDateTime(s, 2.5);
  StreamWriteExtended(s, -0.75);
  StreamWriteAnsiString(s, "");
  StreamWriteAnsiString(s, "ab");
  StreamWriteWideString(s, u"\u044F");
  EXPECT_EQ(s.Size(), 1 + 2 + 2 + 4 + 8 + 8 + 8 + 10 + 4 + 6 + 6);
  s.SetPosition(0);
  EXPECT_EQ(StreamReadByte(s), 0xAB);
  EXPECT_EQ(StreamReadSmallInt(s), -2);
  EXPECT_EQ(StreamReadWord(s), 0xFFFE);
  EXPECT_EQ(StreamReadInteger(s), -3);
  EXPECT_EQ(StreamReadLargeInt(s), -4);
  EXPECT_EQ(StreamReadCurrency(s), 123456);
  EXPECT_EQ(StreamReadDateTime(s), 2.5);
  EXPECT_EQ(StreamReadExtended(s), -0.75);
  EXPECT_EQ(StreamReadAnsiString(s), "");
  std::string ab;
  StreamReadAnsiString(s, ab);
  EXPECT_EQ(ab, "ab");
  EXPECT_EQ(StreamReadWideString(s), u"\u044F");
}

TEST(CompareVariants, Table) {
  auto arr = [](int n) {
    std::vector<Variant> v(static_cast<std::size_t>(n), Variant::Integer(1));
    return Variant::Array(v);
  };
  struct Case {
    Variant a, b;
    int expected;
  } cases[] = {
      {arr(3), arr(5), -2},  // the difference of the high bounds itself
      {arr(5), arr(3), 2},
      // far-apart high bounds keep the right sign
      {Variant::Array({Variant::Integer(1)}, INT32_MIN), Variant::Array({Variant::Integer(1)}, 1),
       -INT32_MAX},
      {Variant::Array({Variant::Integer(1)}, 1), Variant::Array({Variant::Integer(1)}, INT32_MIN),
       INT32_MAX},
      {Variant::Integer(INT32_MIN), Variant::Integer(1), -1},
      {Variant::Integer(1), Variant::Integer(INT32_MIN), 1},
      {Variant::Integer(INT32_MAX), Variant::Integer(INT32_MIN), 1},
      {arr(2), Variant::Integer(1), 1},
      {Variant::Integer(1), arr(2), -1},
      {Variant::Array({Variant::Integer(1), Variant::Integer(2)}),
       Variant::Array({Variant::Integer(1), Variant::Integer(3)}), -1},
      {arr(0), arr(0), 0},
      {Variant::Null(), Variant::Integer(5), -1},
      {Variant::Integer(5), Variant::Null(), 1},
      {Variant::Null(), Variant::Null(), 0},
      {Variant::String("abc"), Variant::Integer(5), -1},  // incomparable answers -1
      {Variant::Integer(5), Variant::String("abc"), -1},
      {Variant::String("12"), Variant::Integer(5), 1},  // a numeric text as a number
      {Variant::String("b"), Variant::String("a"), 1},
      {Variant::Double(2.5), Variant::Currency(25000), 0},
      {Variant::Integer(2), Variant::Double(2.5), -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVariantValues(c.a, c.b), c.expected) << c.a.Type() << " " << c.b.Type();
  }
}

}  // namespace
}  // namespace kelmo::le
