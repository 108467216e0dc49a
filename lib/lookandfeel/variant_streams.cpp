// Typed stream helpers and the tagged variant format.
#include "lookandfeel/variant_streams.h"

#include <bit>
#include <limits>
#include <vector>

#include "bytes/little_endian.h"
#include "lookandfeel/extended80.h"
#include "lookandfeel/le_classes.h"
#include "lookandfeel/resource_texts.h"

namespace kelmo::le {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> ReadBytes(TStream& s) {
  std::array<std::uint8_t, N> b{};
  s.ReadBuffer(b.data(), N);
  return b;
}

// Bytes left in the stream; a length beyond them cannot be honest.
std::int64_t Remaining(TStream& s) {
  return s.Size() - s.Position();
}

void CheckLength(TStream& s, std::int64_t count, std::int64_t unit) {
  if (count < 0 || count > Remaining(s) / unit) throw EReadError();
}

void WriteIntegerItem(TStream& s, std::int64_t v) {
  if (v >= -128 && v <= 127) {
    StreamWriteByte(s, vsInt8);
    StreamWriteByte(s, static_cast<std::uint8_t>(v));
  } else if (v >= -32768 && v <= 32767) {
    StreamWriteByte(s, vsInt16);
    StreamWriteSmallInt(s, static_cast<std::int16_t>(v));
  } else {
    StreamWriteByte(s, vsInt32);
    StreamWriteInteger(s, static_cast<std::int32_t>(v));
  }
}

void WriteByteString(TStream& s, const std::string& v) {
  if (v.size() <= 255) {
    StreamWriteByte(s, vsString);
    StreamWriteByte(s, static_cast<std::uint8_t>(v.size()));
  } else {
    if (v.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
      throw EWriteError();
    }
    StreamWriteByte(s, vsLString);
    StreamWriteInteger(s, static_cast<std::int32_t>(v.size()));
  }
  s.WriteBuffer(v.data(), static_cast<std::int64_t>(v.size()));
}

std::string ReadBytesOfLength(TStream& s, std::int64_t n) {
  CheckLength(s, n, 1);
  std::string v(static_cast<std::size_t>(n), '\0');
  if (n) s.ReadBuffer(v.data(), n);
  return v;
}

Variant ReadVariantAt(TStream& s, int depth) {
  const std::uint8_t tag = StreamReadByte(s);
  switch (tag) {
    case vsNull:
      return Variant::Null();
    case vsEmpty:
      return Variant();
    case vsFalse:
      return Variant::Boolean(false);
    case vsTrue:
      return Variant::Boolean(true);
    case vsInt8:
      return Variant::ShortInt(static_cast<std::int8_t>(StreamReadByte(s)));
    case vsInt16:
      return Variant::Smallint(StreamReadSmallInt(s));
    case vsInt32:
      return Variant::Integer(StreamReadInteger(s));
    case vsExtended:
      return Variant::Double(StreamReadExtended(s));
    case vsSingle:
      return Variant::Single(std::bit_cast<float>(bytes::GetLE32(ReadBytes<4>(s).data())));
    case vsCurrency:
      return Variant::Currency(StreamReadCurrency(s));
    case vsDate:
      return Variant::Date(StreamReadDateTime(s));
    case vsString:
      return Variant::String(ReadBytesOfLength(s, StreamReadByte(s)));
    case vsLString:
      return Variant::String(ReadBytesOfLength(s, StreamReadInteger(s)));
    case vsWString:
      return Variant::OleStr(StreamReadWideString(s));
    case vsArray: {
      if (depth >= kMaxVariantNesting) throw EReadError();
      std::int64_t count;
      switch (StreamReadByte(s)) {
        case vsInt8:
          count = static_cast<std::int8_t>(StreamReadByte(s));
          break;
        case vsInt16:
          count = StreamReadSmallInt(s);
          break;
        case vsInt32:
          count = StreamReadInteger(s);
          break;
        default:
          throw EReadError();
      }
      // Every element takes at least its tag byte.
      CheckLength(s, count, 1);
      std::vector<Variant> items;
      items.reserve(static_cast<std::size_t>(count));
      for (std::int64_t i = 0; i < count; ++i) items.push_back(ReadVariantAt(s, depth + 1));
      return Variant::Array(std::move(items));
    }
    default:
      throw EReadError();
  }
}

}  // namespace

EReadError::EReadError() : std::runtime_error(LocalizeString(kStreamReadError)) {}
EWriteError::EWriteError() : std::runtime_error(LocalizeString(kStreamWriteError)) {}

std::uint8_t StreamReadByte(TStream& s) {
  return ReadBytes<1>(s)[0];
}
std::int16_t StreamReadSmallInt(TStream& s) {
  return static_cast<std::int16_t>(bytes::GetLE16(ReadBytes<2>(s).data()));
}
std::uint16_t StreamReadWord(TStream& s) {
  return static_cast<std::uint16_t>(StreamReadSmallInt(s));
}
std::int32_t StreamReadInteger(TStream& s) {
  return static_cast<std::int32_t>(bytes::GetLE32(ReadBytes<4>(s).data()));
}
std::int64_t StreamReadLargeInt(TStream& s) {
  return static_cast<std::int64_t>(bytes::GetLE64(ReadBytes<8>(s).data()));
}
std::int64_t StreamReadCurrency(TStream& s) {
  return StreamReadLargeInt(s);
}
double StreamReadDateTime(TStream& s) {
  return bytes::GetLEDouble(ReadBytes<8>(s).data());
}
double StreamReadExtended(TStream& s) {
  return ExtendedToDouble(ReadBytes<10>(s));
}
std::string StreamReadAnsiString(TStream& s) {
  return ReadBytesOfLength(s, StreamReadInteger(s));
}
std::u16string StreamReadWideString(TStream& s) {
  const std::int32_t n = StreamReadInteger(s);
  CheckLength(s, n, 2);
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(n) * 2);
  if (n) s.ReadBuffer(raw.data(), static_cast<std::int64_t>(raw.size()));
  std::u16string v(static_cast<std::size_t>(n), u'\0');
  for (std::size_t i = 0; i < v.size(); ++i)
    v[i] = static_cast<char16_t>(bytes::GetLE16(&raw[2 * i]));
  return v;
}
Variant StreamReadVariant(TStream& s) {
  return ReadVariantAt(s, 0);
}

void StreamWriteByte(TStream& s, std::uint8_t v) {
  s.WriteBuffer(&v, 1);
}
void StreamWriteSmallInt(TStream& s, std::int16_t v) {
  std::uint8_t b[2];
  bytes::PutLE16(b, static_cast<std::uint16_t>(v));
  s.WriteBuffer(b, 2);
}
void StreamWriteWord(TStream& s, std::uint16_t v) {
  StreamWriteSmallInt(s, static_cast<std::int16_t>(v));
}
void StreamWriteInteger(TStream& s, std::int32_t v) {
  std::uint8_t b[4];
  bytes::PutLE32(b, static_cast<std::uint32_t>(v));
  s.WriteBuffer(b, 4);
}
void StreamWriteLargeInt(TStream& s, std::int64_t v) {
  std::uint8_t b[8];
  bytes::PutLE64(b, static_cast<std::uint64_t>(v));
  s.WriteBuffer(b, 8);
}
void StreamWriteCurrency(TStream& s, std::int64_t scaled) {
  StreamWriteLargeInt(s, scaled);
}
void StreamWriteDateTime(TStream& s, double v) {
  std::uint8_t b[8];
  bytes::PutLEDouble(b, v);
  s.WriteBuffer(b, 8);
}
void StreamWriteExtended(TStream& s, double v) {
  const Extended80 e = DoubleToExtended(v);
  s.WriteBuffer(e.data(), 10);
}
void StreamWriteAnsiString(TStream& s, const std::string& v) {
  if (v.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw EWriteError();
  StreamWriteInteger(s, static_cast<std::int32_t>(v.size()));
  if (!v.empty()) s.WriteBuffer(v.data(), static_cast<std::int64_t>(v.size()));
}
void StreamWriteWideString(TStream& s, const std::u16string& v) {
  if (v.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 2))
    throw EWriteError();
  StreamWriteInteger(s, static_cast<std::int32_t>(v.size()));
  std::vector<std::uint8_t> raw(v.size() * 2);
  for (std::size_t i = 0; i < v.size(); ++i) bytes::PutLE16(&raw[2 * i], v[i]);
  if (!raw.empty()) s.WriteBuffer(raw.data(), static_cast<std::int64_t>(raw.size()));
}

void StreamWriteVariant(TStream& s, const Variant& v) {
  if (v.IsArray()) {
    StreamWriteByte(s, vsArray);
    WriteIntegerItem(s, static_cast<std::int64_t>(v.Items().size()));
    for (const Variant& item : v.Items()) StreamWriteVariant(s, item);
    return;
  }
  switch (v.Type()) {
    case varEmpty:
      StreamWriteByte(s, vsEmpty);
      return;
    case varNull:
      StreamWriteByte(s, vsNull);
      return;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
      WriteIntegerItem(s, v.RawInt());
      return;
    case varSingle: {
      StreamWriteByte(s, vsSingle);
      std::uint8_t b[4];
      bytes::PutLE32(b, std::bit_cast<std::uint32_t>(static_cast<float>(v.RawDouble())));
      s.WriteBuffer(b, 4);
      return;
    }
    case varDouble:
      StreamWriteByte(s, vsExtended);
      StreamWriteExtended(s, v.RawDouble());
      return;
    case varCurrency:
      StreamWriteByte(s, vsCurrency);
      StreamWriteCurrency(s, v.RawInt());
      return;
    case varDate:
      StreamWriteByte(s, vsDate);
      StreamWriteDateTime(s, v.RawDouble());
      return;
    case varOleStr:
      StreamWriteByte(s, vsWString);
      StreamWriteWideString(s, v.RawOleStr());
      return;
    case varBoolean:
      StreamWriteByte(s, v.RawInt() ? vsTrue : vsFalse);
      return;
    case varString:
      WriteByteString(s, v.RawString());
      return;
    case varSQLTimeStamp:
      StreamWriteByte(s, vsDate);
      StreamWriteDateTime(s, SQLTimeStampToDateTime(v.RawTimeStamp()));
      return;
    default: {
      std::string text;
      try {
        text = v.AsString();
      } catch (const EVariantError&) {
        throw EWriteError();
      }
      WriteByteString(s, text);
    }
  }
}

}  // namespace kelmo::le
