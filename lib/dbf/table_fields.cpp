// Field layer: DFO_dBaseFld.
#include "table_fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "date_values.h"
#include "dbf_errors.h"
#include "engine_tools.h"
#include "field_decoding.h"
#include "sys_dbf_text.h"

namespace kelmo::dbf {

namespace {

constexpr int64_t kJulianYearOne = 1721425;
constexpr double kMsPerDay = 86400000.0;

int32_t GetLeI32(const uint8_t* p) {
  return static_cast<int32_t>(GetLe32(p));
}

}  // namespace

DFO_dBaseFld::DFO_dBaseFld(const std::string& fileName, bool shared, bool readWrite,
                           const std::string& password, OsLayer& os)
    : DFO_dBaseDBF(fileName, shared, readWrite, password, os) {
  const auto& ds = Descriptors();
  // (The has-memo flag was settled by the table file, memo fields of version
  // 0x30 tables included.)
  if (IsEncrypted()) {
    int64_t sum = 1;
    for (const auto& d : ds) sum += d.FullWidth();
    if (sum != RecordLength()) RaiseEncryption(msg::kInvalidPassword, {FileName()});
  }
  fields_.reserve(ds.size());
  for (const auto& d : ds) {
    TdfDBFFields f;
    f.name = d.Name();
    f.type = static_cast<char>(d.type);
    f.widthByte = d.width;
    f.decimalsByte = d.decimals;
    f.number = d.number;
    f.offset = static_cast<int>(d.offset);
    f.width = d.FullWidth();
    byName_.emplace(UpperText(f.name), f.number);
    fields_.push_back(std::move(f));
  }
  ClearChangeFlags();
  RecordNotify(kNotifyOpened, 0);
}

void DFO_dBaseFld::GoTo(int32_t n) {
  DFO_dBaseDBF::GoTo(n);
  ClearChangeFlags();
}

bool DFO_dBaseFld::FindField(std::string_view name, int& number) const {
  auto it = byName_.find(UpperText(TrimmedFieldBytes(name)));
  if (it == byName_.end()) return false;
  number = it->second;
  return true;
}

int DFO_dBaseFld::FieldNumber(std::string_view name) const {
  int n = 0;
  return FindField(name, n) ? n : 0;
}

const TdfDBFFields& DFO_dBaseFld::FieldByName(std::string_view name) const {
  int n = 0;
  if (!FindField(name, n)) RaiseDbf(msg::kNoField, {FileName() + "->" + std::string(name)});
  return fields_[static_cast<size_t>(n - 1)];
}

const TdfDBFFields& DFO_dBaseFld::FieldOfType(std::string_view name, char wanted) const {
  const TdfDBFFields& f = FieldByName(name);
  const char t = f.type;
  bool ok = t == wanted || (wanted == 'G' && (t == 'B' || t == 'M')) ||
            (wanted == 'N' && (t == 'B' || t == 'F' || t == 'G' || t == 'I' || t == 'M'));
  if (!ok) RaiseDbf(msg::kIncorrectType, {std::string(name)});
  return f;
}

bool DFO_dBaseFld::IsBinaryField(const TdfDBFFields& f) const {
  if (Version() != 0x30) return false;
  switch (f.type) {
    case 'B':
    case 'G':
    case 'I':
    case 'M':
    case 'T':
    case 'Y':
      return true;
    default:
      return false;
  }
}

bool DFO_dBaseFld::IsMemoField(const TdfDBFFields& f) const {
  return f.type == 'M' || f.type == 'G' || (f.type == 'B' && Version() != 0x30);
}

void DFO_dBaseFld::ClearChangeFlags() {
  std::fill(FieldChanged().begin(), FieldChanged().end(), 0);
}

bool DFO_dBaseFld::FieldChangedFlag(int n) const {
  auto& flags = const_cast<DFO_dBaseFld*>(this)->FieldChanged();
  return n >= 0 && n < static_cast<int>(flags.size()) && flags[static_cast<size_t>(n)] != 0;
}

std::string DFO_dBaseFld::ReadFieldText(const TdfDBFFields& f, const uint8_t* record) const {
  return std::string(reinterpret_cast<const char*>(record) + f.offset,
                     static_cast<size_t>(f.width));
}

void DFO_dBaseFld::WriteFieldText(const TdfDBFFields& f, std::string_view text, uint8_t* record) {
  uint8_t* p = record + f.offset;
  std::memset(p, ' ', static_cast<size_t>(f.width));
  size_t n = std::min(text.size(), static_cast<size_t>(f.width));
  if (f.type == 'C' || f.type == 'D' || f.type == 'L') {
    std::memcpy(p, text.data(), n);
  } else {
    std::memcpy(p + f.width - n, text.data() + (text.size() - n), n);
  }
  FieldChanged()[static_cast<size_t>(f.number)] = 1;
  SetRecordModified(true);
}

std::string DFO_dBaseFld::GetFieldRaw(int n) const {
  const TdfDBFFields* f = Field(n);
  return f ? ReadFieldText(*f, RecordBuffer()) : std::string();
}

std::string DFO_dBaseFld::GetFieldRawByName(std::string_view name) const {
  return GetFieldRaw(FieldByName(name).number);
}

bool DFO_dBaseFld::PutFieldRaw(int n, std::string_view text) {
  const TdfDBFFields* f = Field(n);
  if (!f) return false;
  WriteFieldText(*f, text, RecordBuffer());
  return true;
}

bool DFO_dBaseFld::PutFieldRawByName(std::string_view name, std::string_view text) {
  return PutFieldRaw(FieldByName(name).number, text);
}

int DFO_dBaseFld::FieldDecimals(int n) const {
  const TdfDBFFields* f = Field(n);
  return !f || f->type == 'C' ? 0 : f->decimalsByte;
}
int DFO_dBaseFld::FieldWidth(int n) const {
  const TdfDBFFields* f = Field(n);
  return f ? f->width : 0;
}
int DFO_dBaseFld::FieldOffset(int n) const {
  const TdfDBFFields* f = Field(n);
  return f ? f->offset : 0;
}
std::string DFO_dBaseFld::FieldName(int n) const {
  const TdfDBFFields* f = Field(n);
  return f ? f->name : std::string();
}
char DFO_dBaseFld::FieldType(int n) const {
  const TdfDBFFields* f = Field(n);
  return f ? f->type : '\0';
}

int32_t DFO_dBaseFld::GetDate(int n) {
  const TdfDBFFields* f = Field(n);
  if (!f) return 0;
  const std::string_view raw = RawField(*f);
  // The usual date: eight digits of a day that exists.
  int year = 0, month = 0, day = 0;
  int32_t julian = 0;
  if (raw.size() == 8 && DateFieldDigits(raw.data(), year, month, day) &&
      TdfDBFDate::EncodeJulian(year, month, day, julian)) {
    return julian;
  }
  try {
    return TdfDBFDate::TextToJulian(raw);
  } catch (const EDbfError&) {
    RaiseDbf(msg::kInvalidDate,
             {FileBaseName(FileName()) + "->" + f->name + " (" + std::string(raw) + ")"});
  }
}

int32_t DFO_dBaseFld::GetDateByName(std::string_view name) {
  return GetDate(FieldOfType(name, 'D').number);
}

bool DFO_dBaseFld::PutDate(int n, int32_t day) {
  const TdfDBFFields* f = Field(n);
  if (!f || f->type != 'D') return false;
  if (day == -1) RaiseDbf(msg::kInvalidValue, {"Date", f->name});
  WriteFieldText(*f, TdfDBFDate::JulianToText(day), RecordBuffer());
  return true;
}

bool DFO_dBaseFld::PutDateByName(std::string_view name, int32_t day) {
  return PutDate(FieldOfType(name, 'D').number, day);
}

bool DFO_dBaseFld::GetLogical(int n) {
  const TdfDBFFields* f = Field(n);
  if (!f) return false;
  return LogicalTrueLetter(static_cast<char>(RecordBuffer()[f->offset]));
}

bool DFO_dBaseFld::GetLogicalByName(std::string_view name) {
  return GetLogical(FieldOfType(name, 'L').number);
}

bool DFO_dBaseFld::PutLogical(int n, bool value) {
  const TdfDBFFields* f = Field(n);
  if (!f) return false;
  if (f->type != 'L') RaiseDbf(msg::kInvalidValue, {"Logical", f->name});
  WriteFieldText(*f, value ? "T" : "F", RecordBuffer());
  return true;
}

bool DFO_dBaseFld::PutLogicalByName(std::string_view name, bool value) {
  return PutLogical(FieldOfType(name, 'L').number, value);
}

void DFO_dBaseFld::RaiseInvalidNumeric(const TdfDBFFields& f, std::string_view text) const {
  RaiseDbf(msg::kInvalidNumeric,
           {FileBaseName(FileName()) + "->" + f.name + " (" + std::string(text) + ")"});
}

double DFO_dBaseFld::GetNumeric(int n) {
  const TdfDBFFields* f = Field(n);
  if (!f) return 0;
  const uint8_t* p = RecordBuffer() + f->offset;
  if (IsBinaryField(*f)) {
    switch (f->type) {
      case 'B': {
        if (f->width < 8) return 0;
        double v;
        std::memcpy(&v, p, 8);
        return v;
      }
      case 'G':
      case 'I':
      case 'M':
        if (f->width < 4 || std::memcmp(p, "    ", 4) == 0) return 0;
        return GetLeI32(p);
      case 'T': {
        if (f->width < 8) return 0;
        int64_t day = GetLeI32(p);
        int64_t ms = GetLeI32(p + 4);
        if (day == 0 && ms == 0) return 0;
        return static_cast<double>(day - kJulianYearOne) * kMsPerDay + static_cast<double>(ms);
      }
      case 'Y':
        if (f->width < 8) return 0;
        return static_cast<double>(static_cast<int64_t>(GetLe64(p))) / 10000.0;
    }
  }
  std::string_view text = TrimmedFieldBytes(RawField(*f));
  if (WithoutLeadingBlanks(text).empty()) return 0;
  double v = 0;
  if (!ParseFieldNumber(text, v)) RaiseInvalidNumeric(*f, text);
  return v;
}

double DFO_dBaseFld::GetNumericByName(std::string_view name) {
  return GetNumeric(FieldOfType(name, 'N').number);
}

bool DFO_dBaseFld::PutNumeric(int n, double value) {
  const TdfDBFFields* f = Field(n);
  if (!f) return false;
  const char t = f->type;
  const bool v30 = Version() == 0x30;
  bool accepted = t == 'B' || t == 'F' || t == 'G' || t == 'M' || t == 'N' ||
                  (v30 && (t == 'I' || t == 'T' || t == 'Y'));
  if (!accepted) RaiseDbf(msg::kIncorrectType, {f->name});
  uint8_t* p = RecordBuffer() + f->offset;
  if (IsBinaryField(*f)) {
    switch (t) {
      case 'B':
        if (f->width >= 8) std::memcpy(p, &value, 8);
        break;
      case 'G':
      case 'I':
      case 'M':
        if (f->width >= 4)
          PutLe32(p, static_cast<uint32_t>(static_cast<int32_t>(std::trunc(value))));
        break;
      case 'T':
        if (f->width >= 8) {
          if (value == 0) {
            std::memset(p, 0, 8);
          } else {
            double day = std::floor(value / kMsPerDay);
            double ms = std::trunc(value - day * kMsPerDay);
            PutLe32(p, static_cast<uint32_t>(static_cast<int32_t>(day + kJulianYearOne)));
            PutLe32(p + 4, static_cast<uint32_t>(static_cast<int32_t>(ms)));
          }
        }
        break;
      case 'Y':
        if (f->width >= 8) PutLe64(p, static_cast<uint64_t>(std::llround(value * 10000.0)));
        break;
    }
    FieldChanged()[static_cast<size_t>(f->number)] = 1;
    SetRecordModified(true);
    return true;
  }
  char buf[400];
  int decimals = f->decimalsByte;
  if (t != 'N' && t != 'F') decimals = 0;
  int len = std::snprintf(buf, sizeof buf, "%*.*f", f->width, decimals, value);
  if (len < 0 || len > f->width) {
    RaiseDbf(msg::kNumericTooBig,
             {f->name + " - " +
              std::string(buf, len > 0 ? static_cast<size_t>(std::min(len, 399)) : 0)});
  }
  WriteFieldText(*f, std::string_view(buf, static_cast<size_t>(len)), RecordBuffer());
  return true;
}

bool DFO_dBaseFld::PutNumericByName(std::string_view name, double value) {
  return PutNumeric(FieldOfType(name, 'N').number, value);
}

std::string DFO_dBaseFld::FieldText(int n) {
  const TdfDBFFields* f = Field(n);
  if (!f) return {};
  std::string text(TrimmedFieldBytes(RawField(*f)));
  switch (f->type) {
    case 'D': {
      int32_t day = GetDate(n);
      std::string s = day <= 0 ? std::string() : TdfDBFDate::JulianToLocaleText(day);
      return std::string(TrimmedFieldBytes(s));
    }
    case 'F':
    case 'N': {
      std::string_view v = WithoutLeadingBlanks(text);
      if (v.empty()) {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%*.*f", f->width, static_cast<int>(f->decimalsByte), 0.0);
        return std::string(WithoutLeadingBlanks(buf));
      }
      return std::string(v);
    }
    case 'L':
      return !text.empty() && LogicalTrueLetters.find(text[0]) != std::string_view::npos ? "T"
                                                                                         : "F";
    case 'M':
      return ReadMemo(n);
    case 'B':
      if (IsBinaryField(*f)) return "--BINARY--";
      return std::string(WithoutLeadingBlanks(text)) > "0" ? "--BINARY--" : "--binary--";
    case 'G':
      return std::string(WithoutLeadingBlanks(text)) > "0" ? "-GENERAL--" : "-general--";
    default:
      return text;
  }
}

std::string DFO_dBaseFld::FieldTextByName(std::string_view name) {
  return FieldText(FieldByName(name).number);
}

bool DFO_dBaseFld::PutFieldText(int n, std::string_view text) {
  const TdfDBFFields* f = Field(n);
  if (!f) return false;
  switch (f->type) {
    case 'D':
      return PutDate(n, TdfDBFDate::TextToJulian(text));
    case 'F':
    case 'N': {
      std::string_view s = TrimmedFieldBytes(text);
      double v = 0;
      if (!WithoutLeadingBlanks(s).empty() && !ParseFieldNumber(s, v)) {
        RaiseDbf(msg::kInvalidValue, {"Number", f->name});
      }
      return PutNumeric(n, v);
    }
    case 'L': {
      char c = text.empty() ? 'F' : text[0];
      if (LogicalTrueLetters.find(c) != std::string_view::npos) return PutLogical(n, true);
      if (LogicalFalseLetters.find(c) != std::string_view::npos) return PutLogical(n, false);
      double v = 0;
      if (!ParseFieldNumber(TrimmedFieldBytes(text), v))
        RaiseDbf(msg::kInvalidValue, {"Logical", f->name});
      return PutLogical(n, std::trunc(v) != 0);
    }
    case 'M':
      WriteMemo(n, text.data(), static_cast<int32_t>(text.size()));
      return true;
    default:
      WriteFieldText(*f, text, RecordBuffer());
      return true;
  }
}

bool DFO_dBaseFld::PutFieldTextByName(std::string_view name, std::string_view text) {
  return PutFieldText(FieldByName(name).number, text);
}

void DFO_dBaseFld::BlankRecord() {
  std::memset(RecordBuffer(), ' ', static_cast<size_t>(RecordLength()));
  for (const auto& f : fields_) {
    if (f.type == 'F' || f.type == 'N' || IsBinaryField(f)) {
      try {
        PutNumeric(f.number, 0);
      } catch (const EDbfError&) {
        // A numeric field too narrow even for 0 stays blank.
      }
    }
  }
  std::fill(FieldChanged().begin(), FieldChanged().end(), 1);
  SetRecordModified(true);
  RecordNotify(kNotifyBlank, 0);
}

void DFO_dBaseFld::DeleteRecord() {
  if (RecordBuffer()[0] == '*') return;
  RecordBuffer()[0] = '*';
  FieldChanged()[0] = 1;
  SetRecordModified(true);
  WriteRecord(CurrentRecord());
}

void DFO_dBaseFld::UndeleteRecord() {
  if (RecordBuffer()[0] == ' ') return;
  RecordBuffer()[0] = ' ';
  FieldChanged()[0] = 1;
  SetRecordModified(true);
  WriteRecord(CurrentRecord());
}

GSobjMemo* DFO_dBaseFld::MemoFileOf(int n) {
  const TdfDBFFields* f = Field(n);
  if (!f || !IsMemoField(*f)) return nullptr;
  return OpenMemo();
}

int32_t DFO_dBaseFld::MemoBlockOf(int n) {
  double v = GetNumeric(n);
  if (v < 0 || v > INT32_MAX) {
    const TdfDBFFields* f = Field(n);
    RaiseInvalidNumeric(*f, TrimmedFieldBytes(RawField(*f)));
  }
  return static_cast<int32_t>(v);
}

int32_t DFO_dBaseFld::MemoSize(int n) {
  GSobjMemo* memo = MemoFileOf(n);
  if (!memo) return 0;
  return memo->MemoDataLength(MemoBlockOf(n));
}

std::string DFO_dBaseFld::ReadMemo(int n, int32_t maxSize) {
  GSobjMemo* memo = MemoFileOf(n);
  if (!memo) return {};
  int32_t block = MemoBlockOf(n);
  if (block == 0) return {};
  return memo->ReadMemoBlock(block, maxSize);
}

void DFO_dBaseFld::WriteMemo(int n, const void* data, int32_t size) {
  GSobjMemo* memo = MemoFileOf(n);
  if (!memo) return;
  int32_t block = MemoBlockOf(n);
  if (size == 0) {
    PutMemoBlock(n, 0);
    return;
  }
  memo->WriteMemoData(data, block, size);
  PutMemoBlock(n, block);
}

void DFO_dBaseFld::PutMemoBlock(int n, int32_t block) {
  const TdfDBFFields* f = Field(n);
  if (!f) return;
  if (block == 0 && !IsBinaryField(*f)) {
    WriteFieldText(*f, {}, RecordBuffer());
    return;
  }
  PutNumeric(n, block);
}

std::string DFO_dBaseFld::NextSemicolonItem(std::string_view list, size_t& position) {
  if (position >= list.size()) {
    position = list.size();
    return {};
  }
  size_t end = list.find(';', position);
  std::string_view item =
      list.substr(position, end == std::string_view::npos ? list.npos : end - position);
  position = end == std::string_view::npos ? list.size() : end + 1;
  item = WithoutLeadingBlanks(TrimmedFieldBytes(item));
  return std::string(item);
}

void DFO_dBaseFld::BuildRecordFromValues(uint8_t* buffer, std::string_view names,
                                         const std::vector<std::optional<std::string>>& values) {
  SetRecordBuffer(buffer);
  try {
    BlankRecord();
    size_t pos = 0;
    for (size_t i = 0; pos < names.size(); ++i) {
      std::string name = NextSemicolonItem(names, pos);
      if (i >= values.size()) break;
      PutFieldTextByName(name, values[i].value_or(std::string()));
    }
  } catch (...) {
    UseOwnRecordBuffer();
    throw;
  }
  UseOwnRecordBuffer();
}

}  // namespace kelmo::dbf
