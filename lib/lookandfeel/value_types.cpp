// The value types of the data store.
#include "lookandfeel/value_types.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "bytes/little_endian.h"

namespace kelmo::le {
namespace {

// Holder pointers kept in a buffer.
template <typename T>
T* HolderAt(const std::uint8_t* buffer) {
  T* p = nullptr;
  std::memcpy(&p, buffer, sizeof p);
  return p;
}
template <typename T>
void SetHolder(std::uint8_t* buffer, T* p) {
  std::memcpy(buffer, &p, sizeof p);
}
template <typename T>
void DisposeHolder(std::uint8_t* buffer) {
  std::unique_ptr<T> owned(HolderAt<T>(buffer));
  SetHolder<T>(buffer, nullptr);
}
template <typename T>
T& EnsureHolder(std::uint8_t* buffer) {
  if (!HolderAt<T>(buffer)) SetHolder(buffer, std::make_unique<T>().release());
  return *HolderAt<T>(buffer);
}

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Presence first: a missing holder sorts below any present one.
template <typename T, typename F>
int ComparePresent(const T* a, const T* b, F&& compare) {
  if (a && b) return compare(*a, *b);
  if (a) return 1;
  if (b) return -1;
  return 0;
}

std::int16_t Get16(const std::uint8_t* b) {
  return static_cast<std::int16_t>(bytes::GetLE16(b));
}
std::int32_t Get32(const std::uint8_t* b) {
  return static_cast<std::int32_t>(bytes::GetLE32(b));
}
std::int64_t Get64(const std::uint8_t* b) {
  return static_cast<std::int64_t>(bytes::GetLE64(b));
}

// The classes as immutable singletons with the base behaviour overridden
// where the kind differs.
class StringType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleStringValueType"; }
  int ValueSize() const override { return sizeof(void*); }
  std::uint16_t VariantKind() const override { return varString; }
  bool IsTextType() const override { return true; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return ComparePresent(HolderAt<std::string>(p1), HolderAt<std::string>(p2),
                          [](const std::string& a, const std::string& b) { return Sign(a, b); });
  }
  int CompareBuffers(const std::uint8_t* b1, const std::uint8_t* b2) const override {
    return CompareData(b1, b2);
  }
  Variant ValueFromBuffer(const std::uint8_t* buffer) const override {
    const std::string* s = HolderAt<std::string>(buffer);
    return s ? Variant::String(*s) : Variant::Null();
  }
  void ValueToBuffer(std::uint8_t* buffer, const Variant& v) const override {
    TextToBuffer(buffer, v.AsString());
  }
  void ReleaseData(std::uint8_t* buffer) const override { DisposeHolder<std::string>(buffer); }
  void LoadValue(std::uint8_t* buffer, TStream& stream) const override {
    TextToBuffer(buffer, StreamReadAnsiString(stream));
  }
  void SaveValue(const std::uint8_t* buffer, TStream& stream) const override {
    const std::string* s = HolderAt<std::string>(buffer);
    StreamWriteAnsiString(stream, s ? *s : std::string());
  }
  Variant ValueOf(const void* value) const override {
    return ValueFromBuffer(static_cast<const std::uint8_t*>(value));
  }
};

class WideStringType : public StringType {
 public:
  const char* ClassName() const override { return "TleWideStringValueType"; }
  std::uint16_t VariantKind() const override { return varOleStr; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return ComparePresent(
        HolderAt<std::u16string>(p1), HolderAt<std::u16string>(p2),
        [](const std::u16string& a, const std::u16string& b) { return Sign(a, b); });
  }
  Variant ValueFromBuffer(const std::uint8_t* buffer) const override {
    const std::u16string* s = HolderAt<std::u16string>(buffer);
    return s ? Variant::OleStr(*s) : Variant::Null();
  }
  void ValueToBuffer(std::uint8_t* buffer, const Variant& v) const override {
    EnsureHolder<std::u16string>(buffer) = v.AsOleStr();
  }
  void ReleaseData(std::uint8_t* buffer) const override { DisposeHolder<std::u16string>(buffer); }
  // The UTF-16 characters are written as they are: going through an 8-bit
  // string would lose every character outside the code page.
  void LoadValue(std::uint8_t* buffer, TStream& stream) const override {
    EnsureHolder<std::u16string>(buffer) = StreamReadWideString(stream);
  }
  void SaveValue(const std::uint8_t* buffer, TStream& stream) const override {
    const std::u16string* s = HolderAt<std::u16string>(buffer);
    StreamWriteWideString(stream, s ? *s : std::u16string());
  }
};

class SmallintType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleSmallintValueType"; }
  int ValueSize() const override { return 2; }
  std::uint16_t VariantKind() const override { return varSmallint; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return Get16(p1) - Get16(p2);
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Smallint(Get16(b));
  }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    bytes::PutLE16(b, static_cast<std::uint16_t>(v.AsInt64()));
  }
  void LoadValue(std::uint8_t* b, TStream& s) const override {
    bytes::PutLE16(b, static_cast<std::uint16_t>(StreamReadSmallInt(s)));
  }
  void SaveValue(const std::uint8_t* b, TStream& s) const override {
    StreamWriteSmallInt(s, Get16(b));
  }
};

class IntegerType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleIntegerValueType"; }
  int ValueSize() const override { return 4; }
  std::uint16_t VariantKind() const override { return varInteger; }
  // The difference, taken wide so that values 2^31 or more apart (INT_MIN
  // against 1) still answer the right sign.
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return ClampedDifference(Get32(p1), Get32(p2));
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Integer(Get32(b));
  }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    bytes::PutLE32(b, static_cast<std::uint32_t>(v.AsInt64()));
  }
  void LoadValue(std::uint8_t* b, TStream& s) const override {
    bytes::PutLE32(b, static_cast<std::uint32_t>(StreamReadInteger(s)));
  }
  void SaveValue(const std::uint8_t* b, TStream& s) const override {
    StreamWriteInteger(s, Get32(b));
  }
};

class WordType : public SmallintType {
 public:
  const char* ClassName() const override { return "TleWordValueType"; }
  std::uint16_t VariantKind() const override { return varWord; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return static_cast<int>(bytes::GetLE16(p1)) - static_cast<int>(bytes::GetLE16(p2));
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Word(bytes::GetLE16(b));
  }
};

class BooleanType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleBooleanValueType"; }
  int ValueSize() const override { return 1; }
  std::uint16_t VariantKind() const override { return varBoolean; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return *p1 - *p2;
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Boolean(*b != 0);
  }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    *b = v.AsBoolean() ? 1 : 0;
  }
  void LoadValue(std::uint8_t* b, TStream& s) const override { *b = StreamReadByte(s); }
  void SaveValue(const std::uint8_t* b, TStream& s) const override { StreamWriteByte(s, *b); }
  std::string DisplayTextOf(const std::uint8_t* b) const override {
    try {
      return ValueFromBuffer(b).AsString();
    } catch (const EVariantError&) {
      return {};
    }
  }
};

double GetDouble(const std::uint8_t* b) {
  return bytes::GetLEDouble(b);
}

class FloatType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleFloatValueType"; }
  int ValueSize() const override { return 8; }
  std::uint16_t VariantKind() const override { return varDouble; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    double a = GetDouble(p1), b = GetDouble(p2);
    if (a == b) return 0;
    return a >= b ? 1 : -1;
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Double(GetDouble(b));
  }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    bytes::PutLEDouble(b, v.AsDouble());
  }
  void LoadValue(std::uint8_t* b, TStream& s) const override {
    bytes::PutLEDouble(b, StreamReadExtended(s));
  }
  void SaveValue(const std::uint8_t* b, TStream& s) const override {
    StreamWriteExtended(s, GetDouble(b));
  }
};

class CurrencyType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleCurrencyValueType"; }
  int ValueSize() const override { return 8; }
  std::uint16_t VariantKind() const override { return varCurrency; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    std::int64_t a = Get64(p1), b = Get64(p2);
    if (a == b) return 0;
    return b > a ? -1 : 1;
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Currency(Get64(b));
  }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    bytes::PutLE64(b, static_cast<std::uint64_t>(v.AsCurrency()));
  }
  void LoadValue(std::uint8_t* b, TStream& s) const override {
    bytes::PutLE64(b, static_cast<std::uint64_t>(StreamReadCurrency(s)));
  }
  void SaveValue(const std::uint8_t* b, TStream& s) const override {
    StreamWriteCurrency(s, Get64(b));
  }
};

class DateTimeType : public FloatType {
 public:
  const char* ClassName() const override { return "TleDateTimeValueType"; }
  std::uint16_t VariantKind() const override { return varDate; }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Date(GetDouble(b));
  }
  void LoadValue(std::uint8_t* b, TStream& s) const override {
    bytes::PutLEDouble(b, StreamReadDateTime(s));
  }
  void SaveValue(const std::uint8_t* b, TStream& s) const override {
    StreamWriteDateTime(s, GetDouble(b));
  }
  std::string DisplayTextOf(const std::uint8_t* b) const override {
    try {
      return ValueFromBuffer(b).AsString();
    } catch (const EVariantError&) {
      return FloatToText(GetDouble(b));
    }
  }
};

class LargeIntType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleLargeIntValueType"; }
  int ValueSize() const override { return 8; }
  std::uint16_t VariantKind() const override { return varInt64; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return Sign(Get64(p1), Get64(p2));
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override { return Variant::Int64(Get64(b)); }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    bytes::PutLE64(b, static_cast<std::uint64_t>(v.AsInt64()));
  }
  void LoadValue(std::uint8_t* b, TStream& s) const override {
    bytes::PutLE64(b, static_cast<std::uint64_t>(StreamReadLargeInt(s)));
  }
  void SaveValue(const std::uint8_t* b, TStream& s) const override {
    StreamWriteLargeInt(s, Get64(b));
  }
};

TBcd GetBcd(const std::uint8_t* b) {
  TBcd v;
  std::memcpy(&v, b, sizeof v);
  return v;
}

class FMTBcdType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleFMTBcdValueType"; }
  int ValueSize() const override { return sizeof(TBcd); }
  std::uint16_t VariantKind() const override { return varFMTBcd; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return BcdCompare(GetBcd(p1), GetBcd(p2));
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override { return Variant::Bcd(GetBcd(b)); }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    TBcd bcd = v.AsBcd();
    std::memcpy(b, &bcd, sizeof bcd);
  }
  std::string DisplayTextOf(const std::uint8_t* b) const override { return BcdToStr(GetBcd(b)); }
};

TSQLTimeStamp GetTimeStamp(const std::uint8_t* b) {
  TSQLTimeStamp ts;
  ts.Year = Get16(b);
  ts.Month = bytes::GetLE16(b + 2);
  ts.Day = bytes::GetLE16(b + 4);
  ts.Hour = bytes::GetLE16(b + 6);
  ts.Minute = bytes::GetLE16(b + 8);
  ts.Second = bytes::GetLE16(b + 10);
  ts.Fractions = bytes::GetLE32(b + 12);
  return ts;
}
void PutTimeStamp(std::uint8_t* b, const TSQLTimeStamp& ts) {
  bytes::PutLE16(b, static_cast<std::uint16_t>(ts.Year));
  bytes::PutLE16(b + 2, ts.Month);
  bytes::PutLE16(b + 4, ts.Day);
  bytes::PutLE16(b + 6, ts.Hour);
  bytes::PutLE16(b + 8, ts.Minute);
  bytes::PutLE16(b + 10, ts.Second);
  bytes::PutLE32(b + 12, ts.Fractions);
}

class SQLTimeStampType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleSQLTimeStampValueType"; }
  int ValueSize() const override { return 16; }
  std::uint16_t VariantKind() const override { return varSQLTimeStamp; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    TSQLTimeStamp a = GetTimeStamp(p1), b = GetTimeStamp(p2);
    if (a.Year != b.Year) return a.Year - b.Year;
    const std::uint16_t fa[] = {a.Month, a.Day, a.Hour, a.Minute, a.Second};
    const std::uint16_t fb[] = {b.Month, b.Day, b.Hour, b.Minute, b.Second};
    for (int i = 0; i < 5; ++i) {
      if (fa[i] != fb[i]) return static_cast<int>(fa[i]) - static_cast<int>(fb[i]);
    }
    return ClampedDifference(a.Fractions, b.Fractions);
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Date(SQLTimeStampToDateTime(GetTimeStamp(b)));
  }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    PutTimeStamp(b, v.AsSQLTimeStamp());
  }
};

class VariantType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleVariantValueType"; }
  int ValueSize() const override { return sizeof(void*); }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return ComparePresent(HolderAt<Variant>(p1), HolderAt<Variant>(p2), CompareVariantValues);
  }
  int CompareBuffers(const std::uint8_t* b1, const std::uint8_t* b2) const override {
    return CompareData(b1, b2);
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    const Variant* v = HolderAt<Variant>(b);
    return v ? *v : Variant::Null();
  }
  void ValueToBuffer(std::uint8_t* b, const Variant& v) const override {
    EnsureHolder<Variant>(b) = v;
  }
  void ReleaseData(std::uint8_t* b) const override { DisposeHolder<Variant>(b); }
  Variant ValueOf(const void* value) const override {
    return ValueFromBuffer(static_cast<const std::uint8_t*>(value));
  }
};

class ObjectType : public TleValueType {
 public:
  const char* ClassName() const override { return "TleObjectValueType"; }
  int ValueSize() const override { return sizeof(void*); }
  std::uint16_t VariantKind() const override { return varInt64; }
  int CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const override {
    return Sign(reinterpret_cast<std::uintptr_t>(HolderAt<TPersistent>(p1)),
                reinterpret_cast<std::uintptr_t>(HolderAt<TPersistent>(p2)));
  }
  Variant ValueFromBuffer(const std::uint8_t* b) const override {
    return Variant::Int64(
        static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(HolderAt<TPersistent>(b))));
  }
  void ValueToBuffer(std::uint8_t*, const Variant&) const override {}
  void ReleaseData(std::uint8_t* b) const override { DisposeHolder<TPersistent>(b); }
  void LoadValue(std::uint8_t*, TStream&) const override {}
  void SaveValue(const std::uint8_t*, TStream&) const override {}
};

}  // namespace

// Base behaviour.
int TleValueType::CompareBuffers(const std::uint8_t* b1, const std::uint8_t* b2) const {
  return CompareData(b1, b2);
}
void TleValueType::ReleaseData(std::uint8_t*) const {}
void TleValueType::ReleaseText(std::uint8_t* textBuffer) const {
  DisposeHolder<std::string>(textBuffer);
}
int TleValueType::ValueSize() const {
  return 0;
}
Variant TleValueType::ValueFromBuffer(const std::uint8_t*) const {
  return Variant::Null();
}
std::string TleValueType::DisplayTextOf(const std::uint8_t* buffer) const {
  try {
    return ValueFromBuffer(buffer).AsString();
  } catch (const EVariantError&) {
    return {};
  }
}
std::string TleValueType::TextFromBuffer(const std::uint8_t* textBuffer) const {
  const std::string* s = HolderAt<std::string>(textBuffer);
  return s ? *s : std::string();
}
void TleValueType::LoadValue(std::uint8_t* buffer, TStream& stream) const {
  ValueToBuffer(buffer, StreamReadVariant(stream));
}
void TleValueType::LoadText(std::uint8_t* textBuffer, TStream& stream) const {
  TextToBuffer(textBuffer, StreamReadAnsiString(stream));
}
void TleValueType::ValueToBuffer(std::uint8_t*, const Variant&) const {}
void TleValueType::TextToBuffer(std::uint8_t* textBuffer, const std::string& text) const {
  EnsureHolder<std::string>(textBuffer) = text;
}
void TleValueType::SaveValue(const std::uint8_t* buffer, TStream& stream) const {
  StreamWriteVariant(stream, ValueFromBuffer(buffer));
}
void TleValueType::SaveText(const std::uint8_t* textBuffer, TStream& stream) const {
  StreamWriteAnsiString(stream, TextFromBuffer(textBuffer));
}
std::string TleValueType::TypeCaption() const {
  std::string name = ClassName();
  if (name.rfind("Tle", 0) == 0) name.erase(0, 3);
  std::size_t p = name.find("ValueType");
  if (p != std::string::npos) name.erase(p, 9);
  return name;
}
int TleValueType::CompareData(const std::uint8_t* p1, const std::uint8_t* p2) const {
  return CompareVariantValues(ValueFromBuffer(p1), ValueFromBuffer(p2));
}
Variant TleValueType::ValueOf(const void* value) const {
  return ValueFromBuffer(static_cast<const std::uint8_t*>(value));
}
std::uint16_t TleValueType::VariantKind() const {
  return varVariant;
}
bool TleValueType::AcceptsValue(Variant& v) const {
  if (v.IsNull() || VariantKind() == varVariant) return true;
  try {
    v = v.CastTo(static_cast<VarType>(VariantKind()));
    return true;
  } catch (const EVariantError&) {
    return false;
  }
}
bool TleValueType::IsTextType() const {
  return false;
}
void TleValueType::PrepareBuffer(std::uint8_t*&) const {}

#define KELMO_VALUE_TYPE_INSTANCE(Name, Impl) \
  const TleValueType& Name##Instance() {      \
    static const Impl instance;               \
    return instance;                          \
  }
KELMO_VALUE_TYPE_INSTANCE(TleStringValueType, StringType)
KELMO_VALUE_TYPE_INSTANCE(TleWideStringValueType, WideStringType)
KELMO_VALUE_TYPE_INSTANCE(TleSmallintValueType, SmallintType)
KELMO_VALUE_TYPE_INSTANCE(TleIntegerValueType, IntegerType)
KELMO_VALUE_TYPE_INSTANCE(TleWordValueType, WordType)
KELMO_VALUE_TYPE_INSTANCE(TleBooleanValueType, BooleanType)
KELMO_VALUE_TYPE_INSTANCE(TleFloatValueType, FloatType)
KELMO_VALUE_TYPE_INSTANCE(TleCurrencyValueType, CurrencyType)
KELMO_VALUE_TYPE_INSTANCE(TleDateTimeValueType, DateTimeType)
KELMO_VALUE_TYPE_INSTANCE(TleLargeIntValueType, LargeIntType)
KELMO_VALUE_TYPE_INSTANCE(TleFMTBcdValueType, FMTBcdType)
KELMO_VALUE_TYPE_INSTANCE(TleSQLTimeStampValueType, SQLTimeStampType)
KELMO_VALUE_TYPE_INSTANCE(TleVariantValueType, VariantType)
KELMO_VALUE_TYPE_INSTANCE(TleObjectValueType, ObjectType)
#undef KELMO_VALUE_TYPE_INSTANCE

std::vector<const TleValueType*> AllValueTypes() {
  return {&TleStringValueTypeInstance(),   &TleWideStringValueTypeInstance(),
          &TleSmallintValueTypeInstance(), &TleIntegerValueTypeInstance(),
          &TleWordValueTypeInstance(),     &TleBooleanValueTypeInstance(),
          &TleFloatValueTypeInstance(),    &TleCurrencyValueTypeInstance(),
          &TleDateTimeValueTypeInstance(), &TleLargeIntValueTypeInstance(),
          &TleFMTBcdValueTypeInstance(),   &TleSQLTimeStampValueTypeInstance(),
          &TleVariantValueTypeInstance(),  &TleObjectValueTypeInstance()};
}

void SetObjectValue(std::uint8_t* buffer, std::unique_ptr<TPersistent> object) {
  DisposeHolder<TPersistent>(buffer);
  SetHolder(buffer, object.release());
}
TPersistent* ObjectValue(const std::uint8_t* buffer) {
  return HolderAt<TPersistent>(buffer);
}

void TleValueTypeClassList::AddClass(const TleValueType* type) {
  if (std::find(items_.begin(), items_.end(), type) == items_.end()) items_.push_back(type);
}
void TleValueTypeClassList::RemoveClass(const TleValueType* type) {
  auto it = std::find(items_.begin(), items_.end(), type);
  if (it != items_.end()) items_.erase(it);
}

TleValueTypeClassList& GetValueTypeClassList() {
  static TleValueTypeClassList list;
  return list;
}
void RegisterValueTypes() {
  for (const TleValueType* t : AllValueTypes()) GetValueTypeClassList().AddClass(t);
}
void UnregisterValueTypes() {
  auto all = AllValueTypes();
  for (auto it = all.rbegin(); it != all.rend(); ++it) GetValueTypeClassList().RemoveClass(*it);
}

}  // namespace kelmo::le
