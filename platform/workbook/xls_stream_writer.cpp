// The writing side of the .xls reader's stream (see xls_stream.h); it is
// built into the reader program too, which has no other part of the layer.
#include "bytes/little_endian.h"
#include "xls_stream.h"

namespace kelmo::workbook {

namespace {

void Put(std::string& out, uint16_t value) {
  uint8_t bytes[2];
  bytes::PutLE16(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void Put(std::string& out, uint32_t value) {
  uint8_t bytes[4];
  bytes::PutLE32(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void Put(std::string& out, double value) {
  uint8_t bytes[8];
  bytes::PutLEDouble(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void PutText(std::string& out, std::string_view text) {
  Put(out, static_cast<uint32_t>(text.size()));
  out.append(text);
}

}  // namespace

XlsStreamWriter::XlsStreamWriter(std::string& out) : out_(out) {
  out_ += "KXLS1\n";
}

void XlsStreamWriter::Sheet(std::string_view name) {
  out_ += 'S';
  PutText(out_, name);
}

void XlsStreamWriter::Number(uint32_t row, uint16_t column, double value) {
  out_ += 'N';
  Put(out_, row);
  Put(out_, column);
  Put(out_, value);
}

void XlsStreamWriter::Text(uint32_t row, uint16_t column, std::string_view text) {
  out_ += 'T';
  Put(out_, row);
  Put(out_, column);
  PutText(out_, text);
}

void XlsStreamWriter::Error(int32_t code) {
  out_ += 'E';
  Put(out_, static_cast<uint32_t>(code));
}

void XlsStreamWriter::End() {
  out_ += 'Z';
}

}  // namespace kelmo::workbook
