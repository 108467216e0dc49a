// On-disk records of DBF tables.
#include "dbf_records.h"

#include <algorithm>

namespace kelmo::dbf {

DbfTableHeader DbfTableHeader::Read(const uint8_t* p) {
  DbfTableHeader h;
  h.version = p[0];
  h.updateYear = p[1];
  h.updateMonth = p[2];
  h.updateDay = p[3];
  h.recordCount = GetLe32(p + 4);
  h.headerLength = GetLe16(p + 8);
  h.recordLength = GetLe16(p + 10);
  std::copy(p + 12, p + 15, h.reserved12.begin());
  h.encrypted = p[15];
  h.changeStamp = GetLe32(p + 16);
  h.userId = GetLe32(p + 20);
  std::copy(p + 24, p + 28, h.reserved24.begin());
  h.tableFlags = p[28];
  h.language = p[29];
  std::copy(p + 30, p + 32, h.reserved30.begin());
  return h;
}

void DbfTableHeader::Write(uint8_t* p) const {
  p[0] = version;
  p[1] = updateYear;
  p[2] = updateMonth;
  p[3] = updateDay;
  PutLe32(p + 4, recordCount);
  PutLe16(p + 8, headerLength);
  PutLe16(p + 10, recordLength);
  std::copy(reserved12.begin(), reserved12.end(), p + 12);
  p[15] = encrypted;
  PutLe32(p + 16, changeStamp);
  PutLe32(p + 20, userId);
  std::copy(reserved24.begin(), reserved24.end(), p + 24);
  p[28] = tableFlags;
  p[29] = language;
  std::copy(reserved30.begin(), reserved30.end(), p + 30);
}

DbfFieldDescriptor DbfFieldDescriptor::Read(const uint8_t* p) {
  DbfFieldDescriptor d;
  std::copy(p, p + 11, d.name.begin());
  d.type = p[11];
  d.offset = GetLe32(p + 12);
  d.width = p[16];
  d.decimals = p[17];
  std::copy(p + 18, p + 26, d.reserved18.begin());
  d.number = GetLe16(p + 26);
  std::copy(p + 28, p + 32, d.reserved28.begin());
  return d;
}

void DbfFieldDescriptor::Write(uint8_t* p) const {
  std::copy(name.begin(), name.end(), p);
  p[11] = type;
  PutLe32(p + 12, offset);
  p[16] = width;
  p[17] = decimals;
  std::copy(reserved18.begin(), reserved18.end(), p + 18);
  PutLe16(p + 26, number);
  std::copy(reserved28.begin(), reserved28.end(), p + 28);
}

std::string DbfFieldDescriptor::Name() const {
  std::string s;
  for (uint8_t c : name) {
    if (c == 0) break;
    s += static_cast<char>(c);
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace kelmo::dbf
