// Value types of the data store: every kind round-trips through its stored
// form and through variants, compares by its own rule and releases what its
// buffer holds.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "lookandfeel/value_types.h"

namespace kelmo::le {
namespace {

// A record place big enough for every kind, released when the test ends.
struct Place {
  explicit Place(const TleValueType& t) : type(t) {}
  ~Place() { type.ReleaseData(bytes); }
  const TleValueType& type;
  alignas(8) std::uint8_t bytes[40] = {};
};

TEST(ValueTypes, RegisteredInOrderOnce) {
  RegisterValueTypes();
  RegisterValueTypes();
  const auto& items = GetValueTypeClassList().Items();
  ASSERT_EQ(items.size(), 14u);
  EXPECT_EQ(items.front()->TypeCaption(), "String");
  EXPECT_EQ(items.back()->TypeCaption(), "Object");
  EXPECT_EQ(TleWideStringValueTypeInstance().TypeCaption(), "WideString");
  EXPECT_EQ(TleFMTBcdValueTypeInstance().TypeCaption(), "FMTBcd");
  EXPECT_EQ(TleSQLTimeStampValueTypeInstance().TypeCaption(), "SQLTimeStamp");
  UnregisterValueTypes();
  EXPECT_TRUE(GetValueTypeClassList().Items().empty());
}

TEST(ValueTypes, SizesAndVariantKinds) {
  struct Case {
    const TleValueType& type;
    int size;
    std::uint16_t kind;
  } cases[] = {{TleSmallintValueTypeInstance(), 2, varSmallint},
               {TleIntegerValueTypeInstance(), 4, varInteger},
               {TleWordValueTypeInstance(), 2, varWord},
               {TleBooleanValueTypeInstance(), 1, varBoolean},
               {TleFloatValueTypeInstance(), 8, varDouble},
               {TleCurrencyValueTypeInstance(), 8, varCurrency},
               {TleDateTimeValueTypeInstance(), 8, varDate},
               {TleLargeIntValueTypeInstance(), 8, varInt64},
               {TleFMTBcdValueTypeInstance(), 34, varFMTBcd},
               {TleSQLTimeStampValueTypeInstance(), 16, varSQLTimeStamp},
               {TleVariantValueTypeInstance(), int(sizeof(void*)), varVariant}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.type.ValueSize(), c.size) << c.type.TypeCaption();
    EXPECT_EQ(c.type.VariantKind(), c.kind) << c.type.TypeCaption();
  }
  EXPECT_TRUE(TleStringValueTypeInstance().IsTextType());
  EXPECT_TRUE(TleWideStringValueTypeInstance().IsTextType());
  EXPECT_FALSE(TleIntegerValueTypeInstance().IsTextType());
}

// Every kind: value -> buffer -> stream -> another buffer -> the same value.
TEST(ValueTypes, EveryKindRoundTripsThroughItsStream) {
  TBcd bcd;
  ASSERT_TRUE(TryStrToBcd("-12345678901234567890.0123456789", bcd));
  TSQLTimeStamp ts{2024, 2, 29, 23, 59, 58, 987};
  struct Case {
    const TleValueType& type;
    Variant value;
  } cases[] = {
      {TleStringValueTypeInstance(), Variant::String("\xC0\xE1\xE2")},
      {TleWideStringValueTypeInstance(), Variant::OleStr(u"\u0410\u20AC\u4E2D")},
      {TleSmallintValueTypeInstance(), Variant::Smallint(-12345)},
      {TleIntegerValueTypeInstance(), Variant::Integer(-123456789)},
      {TleWordValueTypeInstance(), Variant::Word(65535)},
      {TleBooleanValueTypeInstance(), Variant::Boolean(true)},
      {TleFloatValueTypeInstance(), Variant::Double(1.0 / 3)},
      {TleCurrencyValueTypeInstance(), Variant::Currency(-922337203685477580)},
      {TleDateTimeValueTypeInstance(), Variant::Date(45351.999988)},
      {TleLargeIntValueTypeInstance(), Variant::Int64(-9000000000000000000)},
      {TleFMTBcdValueTypeInstance(), Variant::Bcd(bcd)},
      {TleSQLTimeStampValueTypeInstance(), Variant::SQLTimeStamp(ts)},
      {TleVariantValueTypeInstance(),
       Variant::Array({Variant::Integer(1), Variant::Null(), Variant::String("x")})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type.TypeCaption());
    Place a(c.type), b(c.type);
    c.type.ValueToBuffer(a.bytes, c.value);
    zip::TMemoryStream s;
    c.type.SaveValue(a.bytes, s);
    s.SetPosition(0);
    c.type.LoadValue(b.bytes, s);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(c.type.CompareData(a.bytes, b.bytes), 0);
    EXPECT_EQ(CompareVariantValues(c.type.ValueFromBuffer(b.bytes), c.value), 0);
  }
  // The exact BCD digits and time-stamp fields survive.
  Place a(TleFMTBcdValueTypeInstance());
  TleFMTBcdValueTypeInstance().ValueToBuffer(a.bytes, Variant::Bcd(bcd));
  EXPECT_EQ(TleFMTBcdValueTypeInstance().DisplayTextOf(a.bytes),
            "-12345678901234567890.0123456789");
  Place t(TleSQLTimeStampValueTypeInstance()), u(TleSQLTimeStampValueTypeInstance());
  TleSQLTimeStampValueTypeInstance().ValueToBuffer(t.bytes, Variant::SQLTimeStamp(ts));
  zip::TMemoryStream s;
  TleSQLTimeStampValueTypeInstance().SaveValue(t.bytes, s);
  s.SetPosition(0);
  TleSQLTimeStampValueTypeInstance().LoadValue(u.bytes, s);
  EXPECT_EQ(std::memcmp(t.bytes, u.bytes, 16), 0);
}

TEST(ValueTypes, FloatIsStoredAsExtended) {
  Place a(TleFloatValueTypeInstance());
  TleFloatValueTypeInstance().ValueToBuffer(a.bytes, Variant::Double(1.0));
  zip::TMemoryStream s;
  TleFloatValueTypeInstance().SaveValue(a.bytes, s);
  EXPECT_EQ(s.Data(), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
}

TEST(ValueTypes, ComparisonRules) {
  auto cmp = [](const TleValueType& t, const Variant& x, const Variant& y) {
    Place a(t), b(t);
    t.ValueToBuffer(a.bytes, x);
    t.ValueToBuffer(b.bytes, y);
    return t.CompareData(a.bytes, b.bytes);
  };
  // Integers answer their difference; far-apart values keep the right sign.
  struct IntCase {
    std::int32_t a, b;
    int sign;
  } ints[] = {
      {7, 3, 1},
      {3, 7, -1},
      {-5, -5, 0},
      {INT32_MIN, 1, -1},
      {1, INT32_MIN, 1},
      {INT32_MAX, -1, 1},
      {-1, INT32_MAX, -1},
      {INT32_MIN, INT32_MAX, -1},
      {INT32_MAX, INT32_MIN, 1},
  };
  for (const IntCase& c : ints) {
    const int r = cmp(TleIntegerValueTypeInstance(), Variant::Integer(c.a), Variant::Integer(c.b));
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " " << c.b;
  }
  EXPECT_EQ(cmp(TleIntegerValueTypeInstance(), Variant::Integer(7), Variant::Integer(3)), 4);
  EXPECT_EQ(cmp(TleWordValueTypeInstance(), Variant::Word(1), Variant::Word(65535)), -65534);
  EXPECT_EQ(cmp(TleSmallintValueTypeInstance(), Variant::Smallint(-2), Variant::Smallint(3)), -5);
  EXPECT_EQ(cmp(TleFloatValueTypeInstance(), Variant::Double(2), Variant::Double(1)), 1);
  EXPECT_EQ(cmp(TleCurrencyValueTypeInstance(), Variant::Currency(1), Variant::Currency(2)), -1);
  EXPECT_EQ(cmp(TleLargeIntValueTypeInstance(), Variant::Int64(INT64_MIN), Variant::Int64(1)), -1);
  EXPECT_EQ(cmp(TleSQLTimeStampValueTypeInstance(), Variant::SQLTimeStamp({2020, 5, 1}),
                Variant::SQLTimeStamp({2020, 3, 9})),
            2);
  TSQLTimeStamp early{2020, 5, 1}, late{2020, 5, 1};
  early.Fractions = 0;
  late.Fractions = 0xF0000000u;  // out of range in damaged data: still the right sign
  EXPECT_LT(cmp(TleSQLTimeStampValueTypeInstance(), Variant::SQLTimeStamp(early),
                Variant::SQLTimeStamp(late)),
            0);
  // A string place without holder sorts below any present string and is Null.
  Place none(TleStringValueTypeInstance()), some(TleStringValueTypeInstance());
  TleStringValueTypeInstance().ValueToBuffer(some.bytes, Variant::String(""));
  EXPECT_EQ(TleStringValueTypeInstance().CompareData(none.bytes, some.bytes), -1);
  EXPECT_EQ(TleStringValueTypeInstance().CompareData(some.bytes, none.bytes), 1);
  EXPECT_EQ(TleStringValueTypeInstance().CompareData(none.bytes, none.bytes), 0);
  EXPECT_TRUE(TleStringValueTypeInstance().ValueFromBuffer(none.bytes).IsNull());
}

TEST(ValueTypes, AcceptsValueCastsInPlace) {
  Variant text = Variant::String("42");
  EXPECT_TRUE(TleIntegerValueTypeInstance().AcceptsValue(text));
  EXPECT_EQ(text.Type(), varInteger);
  Variant bad = Variant::String("forty");
  EXPECT_FALSE(TleIntegerValueTypeInstance().AcceptsValue(bad));
  Variant null = Variant::Null();
  EXPECT_TRUE(TleIntegerValueTypeInstance().AcceptsValue(null));
  EXPECT_TRUE(TleVariantValueTypeInstance().AcceptsValue(bad));
}

TEST(ValueTypes, DisplayTexts) {
  Place b(TleBooleanValueTypeInstance());
  TleBooleanValueTypeInstance().ValueToBuffer(b.bytes, Variant::Boolean(true));
  EXPECT_EQ(TleBooleanValueTypeInstance().DisplayTextOf(b.bytes), "True");
  Place d(TleDateTimeValueTypeInstance());
  TleDateTimeValueTypeInstance().ValueToBuffer(d.bytes, Variant::Date(45351.5));
  EXPECT_EQ(TleDateTimeValueTypeInstance().DisplayTextOf(d.bytes), "29.02.2024 12:00:00");
}

TEST(ValueTypes, ObjectValueIsNeverStreamedAndIsFreed) {
  struct Probe : TPersistent {
    explicit Probe(bool& gone) : gone_(gone) {}
    ~Probe() override { gone_ = true; }
    bool& gone_;
  };
  bool gone = false;
  {
    Place p(TleObjectValueTypeInstance());
    SetObjectValue(p.bytes, std::make_unique<Probe>(gone));
    zip::TMemoryStream s;
    TleObjectValueTypeInstance().SaveValue(p.bytes, s);
    EXPECT_EQ(s.Size(), 0);
    zip::TMemoryStream in(std::vector<std::uint8_t>{1, 2, 3});
    TleObjectValueTypeInstance().LoadValue(p.bytes, in);
    EXPECT_EQ(in.Position(), 0);
    EXPECT_NE(ObjectValue(p.bytes), nullptr);
    EXPECT_FALSE(gone);
  }
  EXPECT_TRUE(gone);
}

TEST(ValueTypes, TextBuffers) {
  const TleValueType& t = TleIntegerValueTypeInstance();
  alignas(8) std::uint8_t text[sizeof(void*)] = {};
  EXPECT_EQ(t.TextFromBuffer(text), "");
  t.TextToBuffer(text, "abc");
  zip::TMemoryStream s;
  t.SaveText(text, s);
  s.SetPosition(0);
  alignas(8) std::uint8_t other[sizeof(void*)] = {};
  t.LoadText(other, s);
  EXPECT_EQ(t.TextFromBuffer(other), "abc");
  t.ReleaseText(text);
  t.ReleaseText(other);
  EXPECT_EQ(t.TextFromBuffer(text), "");
}

}  // namespace
}  // namespace kelmo::le
