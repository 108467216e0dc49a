// Table builders.
#include "table_builder.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <ctime>

#include "dbf_constants.h"
#include "disk_file.h"
#include "engine_tools.h"

namespace kelmo::dbf {

static std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

DFO_DBFBuild::DFO_DBFBuild(const std::string& fileName, OsLayer& os)
    : fileName_(ApplyDefaultExt(TrimRight(fileName), ".DBF")),
      baseName_(FileBaseName(fileName_)),
      os_(os) {}

DFO_DB4Build::DFO_DB4Build(const std::string& fileName, OsLayer& os) : DFO_DBFBuild(fileName, os) {
  versionWithMemo_ = 0x8B;
}

DFO_DBFoxBuild::DFO_DBFoxBuild(const std::string& fileName, OsLayer& os)
    : DFO_DBFBuild(fileName, os) {
  versionWithMemo_ = 0xF5;
}

DFO_DBFBuild::~DFO_DBFBuild() {
  if (writeOnDestroy_) {
    try {
      WriteFiles();
    } catch (...) {
    }
  }
}

void DFO_DBFBuild::AddField(const std::string& name, char type, int width, int decimals) {
  if (name.empty()) return;
  DbfFieldDescriptor d;
  std::string n = name.substr(0, 10);
  for (size_t i = 0; i < n.size(); ++i) {
    d.name[i] = static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(n[i])));
  }
  type = static_cast<char>(std::toupper(static_cast<unsigned char>(type)));
  d.type = static_cast<uint8_t>(type);
  int full = width;
  switch (type) {
    case 'B':
    case 'G':
    case 'M':
      width = 10;
      decimals = 0;
      full = 10;
      hasMemo_ = true;
      break;
    case 'C':
      full = width;
      decimals = (width >> 8) & 0xFF;
      width &= 0xFF;
      break;
    case 'D':
      width = full = 8;
      decimals = 0;
      break;
    case 'L':
      width = full = 1;
      decimals = 0;
      break;
    default:
      full = width & 0xFF;
      break;
  }
  d.width = static_cast<uint8_t>(width);
  d.decimals = static_cast<uint8_t>(decimals);
  recordLength_ += full;
  fields_.push_back(d);
}

void DFO_DBFBuild::WriteFiles() {
  writeOnDestroy_ = false;
  WriteTableHeader();
  if (hasMemo_) WriteMemoHeader();
}

void DFO_DBFBuild::WriteTableHeader() {
  DFO_DiskFile file(fileName_, false, true, os_);
  file.CreateNew();
  DbfTableHeader h;
  h.version = hasMemo_ ? versionWithMemo_ : versionWithoutMemo_;
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  h.updateYear = static_cast<uint8_t>(tm.tm_year % 100);
  h.updateMonth = static_cast<uint8_t>(tm.tm_mon + 1);
  h.updateDay = static_cast<uint8_t>(tm.tm_mday);
  h.recordCount = 0;
  h.headerLength = static_cast<uint16_t>(32 * fields_.size() + 33);
  h.recordLength = static_cast<uint16_t>(recordLength_);
  h.language = language_;
  std::vector<uint8_t> out(32 * (fields_.size() + 1) + 2, 0);
  h.Write(out.data());
  for (size_t i = 0; i < fields_.size(); ++i) fields_[i].Write(out.data() + 32 * (i + 1));
  out[32 * (fields_.size() + 1)] = 0x0D;
  out[32 * (fields_.size() + 1) + 1] = EndOfFileMark;
  file.Write(0, out.data(), static_cast<int32_t>(out.size()));
  file.Close();
}

void DFO_DBFBuild::WriteMemoHeader() {
  DFO_DiskFile file(MemoFileNameFor(fileName_, false), false, true, os_);
  file.CreateNew();
  std::vector<uint8_t> out(513, 0);
  PutLe32(out.data(), 1);
  std::memcpy(out.data() + 8, baseName_.data(), std::min<size_t>(baseName_.size(), 504));
  out[512] = EndOfFileMark;
  file.Write(0, out.data(), static_cast<int32_t>(out.size()));
  file.Close();
}

void DFO_DB4Build::WriteMemoHeader() {
  DFO_DiskFile file(MemoFileNameFor(fileName_, false), false, true, os_);
  file.CreateNew();
  std::vector<uint8_t> out(24, 0);
  PutLe32(out.data(), 1);
  std::memcpy(out.data() + 8, baseName_.data(), std::min<size_t>(baseName_.size(), 10));
  out[18] = 0x02;
  out[19] = 0x01;
  PutLe16(out.data() + 20, 512);
  file.Write(0, out.data(), static_cast<int32_t>(out.size()));
  file.Close();
}

void DFO_DBFoxBuild::WriteMemoHeader() {
  DFO_DiskFile file(MemoFileNameFor(fileName_, true), false, true, os_);
  file.CreateNew();
  std::vector<uint8_t> out(512, 0);
  PutBe32(out.data(), 8);
  PutBe16(out.data() + 6, 64);
  file.Write(0, out.data(), static_cast<int32_t>(out.size()));
  file.Close();
}

}  // namespace kelmo::dbf
