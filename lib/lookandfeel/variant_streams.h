// The library's stream format for single values: fixed-size little-endian
// numbers, length-prefixed byte and wide strings, and a self-describing
// tagged format for variants (one tag byte, then the payload).
//
// The readers take untrusted bytes: a length or an element count that the
// rest of the stream cannot hold, arrays nested deeper than
// kMaxVariantNesting, and unknown tags raise EReadError "Stream read error";
// so reading allocates at most about the stream's remaining size. Short
// reads raise the stream's own EStreamError. Writers raise EWriteError
// "Stream write error" for what the format cannot hold.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "lookandfeel/variants.h"
#include "zip/buffered_stream.h"

namespace kelmo::le {

using kelmo::zip::TStream;

class EReadError : public std::runtime_error {
 public:
  EReadError();
};
class EWriteError : public std::runtime_error {
 public:
  EWriteError();
};

// Tags of the variant format.
enum VariantStreamTag : std::uint8_t {
  vsNull = 0,
  vsArray = 1,
  vsInt8 = 2,
  vsInt16 = 3,
  vsInt32 = 4,
  vsExtended = 5,
  vsString = 6,
  vsFalse = 8,
  vsTrue = 9,
  vsLString = 12,
  vsEmpty = 13,
  vsSingle = 15,
  vsCurrency = 16,
  vsDate = 17,
  vsWString = 18,
};

inline constexpr int kMaxVariantNesting = 32;

std::uint8_t StreamReadByte(TStream& s);
std::int16_t StreamReadSmallInt(TStream& s);
std::uint16_t StreamReadWord(TStream& s);
std::int32_t StreamReadInteger(TStream& s);
std::int64_t StreamReadLargeInt(TStream& s);
std::int64_t StreamReadCurrency(TStream& s);  // the value times 10000
double StreamReadDateTime(TStream& s);
// Reads the 10-byte extended payload and rounds it to a double.
double StreamReadExtended(TStream& s);
std::string StreamReadAnsiString(TStream& s);
std::u16string StreamReadWideString(TStream& s);
Variant StreamReadVariant(TStream& s);

// The procedure forms fill a variable.
inline void StreamReadByte(TStream& s, std::uint8_t& v) {
  v = StreamReadByte(s);
}
inline void StreamReadSmallInt(TStream& s, std::int16_t& v) {
  v = StreamReadSmallInt(s);
}
inline void StreamReadWord(TStream& s, std::uint16_t& v) {
  v = StreamReadWord(s);
}
inline void StreamReadInteger(TStream& s, std::int32_t& v) {
  v = StreamReadInteger(s);
}
inline void StreamReadLargeInt(TStream& s, std::int64_t& v) {
  v = StreamReadLargeInt(s);
}
inline void StreamReadDateTime(TStream& s, double& v) {
  v = StreamReadDateTime(s);
}
inline void StreamReadExtended(TStream& s, double& v) {
  v = StreamReadExtended(s);
}
inline void StreamReadAnsiString(TStream& s, std::string& v) {
  v = StreamReadAnsiString(s);
}
inline void StreamReadWideString(TStream& s, std::u16string& v) {
  v = StreamReadWideString(s);
}
inline void StreamReadVariant(TStream& s, Variant& v) {
  v = StreamReadVariant(s);
}

void StreamWriteByte(TStream& s, std::uint8_t v);
void StreamWriteSmallInt(TStream& s, std::int16_t v);
void StreamWriteWord(TStream& s, std::uint16_t v);
void StreamWriteInteger(TStream& s, std::int32_t v);
void StreamWriteLargeInt(TStream& s, std::int64_t v);
void StreamWriteCurrency(TStream& s, std::int64_t scaled);
void StreamWriteDateTime(TStream& s, double v);
void StreamWriteExtended(TStream& s, double v);
void StreamWriteAnsiString(TStream& s, const std::string& v);
void StreamWriteWideString(TStream& s, const std::u16string& v);
void StreamWriteVariant(TStream& s, const Variant& v);

}  // namespace kelmo::le
