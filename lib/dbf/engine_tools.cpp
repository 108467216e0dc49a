// Engine tools: typed values, bit sets and file-name helpers.
#include "engine_tools.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

#include "date_values.h"
#include "dbf_constants.h"
#include "dbf_errors.h"
#include "sys_dbf_text.h"

namespace kelmo::dbf {

bool TdfVariant::Assign(const TdfVariant* source) {
  Clear();
  if (!source) return false;
  data_ = source->data_;
  type_ = source->type_;
  return true;
}

void TdfVariant::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  type_ = kNone;
}

void TdfVariant::SetDataLength(int n) {
  if (n < 0) n = 0;
  if (static_cast<int>(data_.capacity()) < n) type_ = kNone;
  data_.resize(static_cast<size_t>(n));
}

void TdfVariant::SetAsString(std::string_view text) {
  data_.assign(text.begin(), text.end());
  type_ = kText;
}

void TdfVariant::SetAsFloat(double value) {
  data_.resize(8);
  std::memcpy(data_.data(), &value, 8);
  type_ = kFloat;
}

void TdfVariant::SetAsDate(int32_t day) {
  data_.resize(4);
  for (int i = 0; i < 4; ++i)
    data_[i] = static_cast<uint8_t>(static_cast<uint32_t>(day) >> (8 * i));
  type_ = kDate;
}

void TdfVariant::SetAsBoolean(bool value) {
  data_.assign(1, value ? 1 : 0);
  type_ = kLogical;
}

void TdfVariant::SetAsBytes(const void* buffer, int count) {
  const auto* p = static_cast<const uint8_t*>(buffer);
  data_.assign(p, p + (count > 0 ? count : 0));
  type_ = kBytes;
}

void TdfVariant::AppendBytes(const void* buffer, int count) {
  if (!buffer || count <= 0) return;
  if (type_ != kText && type_ != kBytes) RaiseDbf(msg::kVariantAppend, {});
  const auto* p = static_cast<const uint8_t*>(buffer);
  data_.insert(data_.end(), p, p + count);
  type_ = kBytes;
}

static int32_t Le32(const std::vector<uint8_t>& d) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && i < static_cast<int>(d.size()); ++i)
    v |= static_cast<uint32_t>(d[i]) << (8 * i);
  return static_cast<int32_t>(v);
}

static double Dbl(const std::vector<uint8_t>& d) {
  double v = 0;
  if (d.size() >= 8) std::memcpy(&v, d.data(), 8);
  return v;
}

bool TdfVariant::GetAsBoolean() const {
  if (IsEmpty()) return false;
  switch (type_) {
    case kText:
      return LogicalTrueLetters.find(static_cast<char>(data_[0])) != std::string_view::npos;
    case kFloat:
      return std::trunc(Dbl(data_)) != 0;
    case kLogical:
    case kBytes:
      return data_[0] != 0;
    default:
      return false;
  }
}

int32_t TdfVariant::GetAsDate() const {
  if (IsEmpty()) return 0;
  switch (type_) {
    case kText:
      return TdfDBFDate::TextToJulian(GetAsString());
    case kFloat: {
      double v = std::trunc(Dbl(data_));
      return v <= 0 ? 0 : static_cast<int32_t>(v);
    }
    case kDate:
    case kBytes:
      return Le32(data_);
    default:
      return 0;
  }
}

double TdfVariant::GetAsFloat() const {
  if (IsEmpty()) return 0;
  switch (type_) {
    case kText: {
      std::string s = GetAsString();
      char* end = nullptr;
      double v = std::strtod(s.c_str(), &end);
      while (end && *end == ' ') ++end;
      if (end == s.c_str() || (end && *end)) {
        RaiseDbf("'%s' is not a valid floating point value", {s});
      }
      return v;
    }
    case kFloat:
    case kBytes:
      return Dbl(data_);
    case kDate:
      return Le32(data_);
    case kLogical:
      return data_[0] ? 1 : 0;
    default:
      return 0;
  }
}

std::string TdfVariant::GetAsString() const {
  if (IsEmpty()) return {};
  switch (type_) {
    case kText:
    case kBytes:
      return std::string(data_.begin(), data_.end());
    case kFloat: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.15g", Dbl(data_));
      return buf;
    }
    case kDate:
      return TdfDBFDate::JulianToLocaleText(Le32(data_));
    case kLogical:
      return data_[0] ? "T" : "F";
    default:
      return {};
  }
}

void TdfVariant::MakeUpperCase() {
  SetAsString(UpperText(GetAsString()));
}

void TdfVariant::PadToLength(int n) {
  if (type_ != kText) return;
  if (static_cast<int>(data_.size()) < n) data_.resize(static_cast<size_t>(n), ' ');
}

void TdfVariant::TrimTrailingBlanks() {
  if (type_ != kText) return;
  while (!data_.empty() && data_.back() == ' ') data_.pop_back();
}

int TdfVariant::CompareAs(Type type, const TdfVariant& other, int& matched,
                          const uint8_t* collation, int prefixResult) const {
  matched = 0;
  if (IsEmpty() && other.IsEmpty()) return 0;
  if (IsEmpty()) return -1;
  if (other.IsEmpty()) return 1;
  auto sign = [](double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); };
  switch (type) {
    case kText:
    case kBytes: {
      const bool text = type == kText;
      size_t n = std::min(data_.size(), other.data_.size());
      for (size_t i = 0; i < n; ++i) {
        uint8_t a = data_[i], b = other.data_[i];
        if (text && collation) {
          a = collation[a];
          b = collation[b];
        }
        if (a != b) {
          matched = static_cast<int>(i) + 1;
          return a < b ? -1 : 1;
        }
      }
      matched = static_cast<int>(n) + 1;
      if (text && data_.size() < other.data_.size()) return prefixResult;
      return sign(static_cast<double>(data_.size()) - static_cast<double>(other.data_.size()));
    }
    case kFloat:
      return sign(GetAsFloat() - other.GetAsFloat());
    case kDate: {
      int32_t a = GetAsDate(), b = other.GetAsDate();
      return a < b ? -1 : (a > b ? 1 : 0);
    }
    case kLogical: {
      bool a = data_[0] != 0, b = other.data_[0] != 0;
      return a == b ? 0 : (a ? 1 : -1);
    }
    default:
      RaiseDbf(msg::kVariantCompare, {});
  }
}

int TdfVariant::Compare(const TdfVariant& other, int& matched, const uint8_t* collation,
                        int prefixResult) const {
  matched = 0;
  if (type_ == kNone) return other.IsEmpty() ? 0 : -1;
  Type t = type_;
  if (type_ != other.type_) {
    if (type_ == kBytes) {
      t = other.type_;
    } else if (other.type_ == kBytes) {
      t = type_;
    } else {
      RaiseDbf(msg::kVariantCompare, {});
    }
  }
  if (t == kNone) t = kBytes;
  return CompareAs(t, other, matched, collation, prefixResult);
}

int TdfVariant::CompareBinaryFloat(const TdfVariant& other, int& matched, const uint8_t* collation,
                                   int prefixResult) const {
  if (type_ == kFloat) return CompareAs(kBytes, other, matched, collation, prefixResult);
  return Compare(other, matched, collation, prefixResult);
}

int TdfHugeSet::ChangeBit(int32_t record, int operation) {
  if (record < 0) return 0;
  const int32_t bitsPerPage = kPageBytes * 8;
  size_t page = static_cast<size_t>(record / bitsPerPage);
  while (pages_.size() <= page) pages_.emplace_back(kPageBytes, 0);
  int byteIndex = (record / 8) % kPageBytes;
  int bit = record % 8;
  uint8_t& b = pages_[page][static_cast<size_t>(byteIndex)];
  if (operation == 0) {
    b &= BitClearMask[bit];
  } else if (operation == 1) {
    b |= BitMask[bit];
  } else {
    b ^= BitMask[bit];
  }
  if (record > highest_) highest_ = record;
  return byteIndex;
}

bool TdfHugeSet::TestBit(int32_t record) const {
  if (record < 0 || record > highest_) return false;
  const int32_t bitsPerPage = kPageBytes * 8;
  size_t page = static_cast<size_t>(record / bitsPerPage);
  if (page >= pages_.size()) return false;
  return (pages_[page][static_cast<size_t>((record / 8) % kPageBytes)] & BitMask[record % 8]) != 0;
}

void TdfHugeSet::ClearAll() {
  for (auto& p : pages_) std::fill(p.begin(), p.end(), 0);
  highest_ = -1;
}

static size_t NameStart(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

std::string ApplyDefaultExt(const std::string& fileName, const std::string& extension) {
  size_t start = NameStart(fileName);
  if (fileName.find('.', start) != std::string::npos) return fileName;
  return fileName + extension;
}

std::string FileBaseName(const std::string& path) {
  std::string name = path.substr(NameStart(path));
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FileFolder(const std::string& path) {
  return path.substr(0, NameStart(path));
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  size_t start = NameStart(path);
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < start) return path + extension;
  return path.substr(0, dot) + extension;
}

std::string MemoFileNameFor(const std::string& tableFileName, bool foxPro) {
  size_t start = NameStart(tableFileName);
  size_t dot = tableFileName.find_last_of('.');
  bool lower = false;
  if (dot != std::string::npos && dot >= start) {
    for (size_t i = dot + 1; i < tableFileName.size(); ++i) {
      if (tableFileName[i] >= 'a' && tableFileName[i] <= 'z') lower = true;
    }
  }
  if (foxPro) return ChangeFileExt(tableFileName, lower ? ".fpt" : ".FPT");
  return ChangeFileExt(tableFileName, lower ? ".dbt" : ".DBT");
}

std::string MakeTempFileName() {
  // The last name issued by this process, so that two calls in one
  // millisecond still differ.
  static std::mutex guard;
  static std::string lastIssued;
  std::lock_guard<std::mutex> lock(guard);
  for (;;) {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    int64_t m = (tm.tm_mon + 1) * 100 + tm.tm_mday + 10000;
    int64_t tt = (tm.tm_hour + 10) * 1000000LL + tm.tm_min * 10000LL + tm.tm_sec * 100LL + ms;
    std::string name(1, static_cast<char>('A' + m % 26));
    for (int64_t v = m / 26; v > 0; v /= 36) name += Base36Digits[static_cast<size_t>(v % 36)];
    for (int64_t v = tt; v > 0; v /= 36) name += Base36Digits[static_cast<size_t>(v % 36)];
    if (name != lastIssued) {
      lastIssued = name;
      return name;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

}  // namespace kelmo::dbf
