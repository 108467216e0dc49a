// Field names of a DBF table as named values of the expression language.
// Layer: between the field layer and the expressions and indexes.
#include "dbf_table_link.h"

#include <algorithm>
#include <cstdlib>

#include "dbf_expression_tools.h"
#include "table_encryption.h"

namespace kelmo::dbf {

namespace {

class TdfFieldVar : public TdfUserDefFieldVar {
 public:
  TdfFieldVar(DFO_dBaseFld& table, const TdfDBFFields& field)
      : TdfUserDefFieldVar(field.name, field.width), table_(table), field_(field) {}

  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    std::string raw(table_.RawField(field_));
    switch (field_.type) {
      case 'N':
      case 'F':
      case 'I':
      case 'Y': {
        type = etNumber;
        if (field_.type == 'I' && raw.size() == 4) {
          value = static_cast<double>(
              static_cast<int32_t>(GetLE32(reinterpret_cast<const uint8_t*>(raw.data()))));
          return;
        }
        value = std::strtod(raw.c_str(), nullptr);
        return;
      }
      case 'D': {
        type = etDate;
        int32_t day = 0;
        try {
          day = exptools::TextToJulian(raw);
        } catch (const EDbfError&) {
          day = 0;
        }
        value = day > 0 ? static_cast<double>(day) : kEmptyDate;
        return;
      }
      case 'L': {
        type = etBoolean;
        char c = raw.empty() ? ' ' : raw[0];
        value = c == 'T' || c == 't' || c == 'Y' || c == 'y';
        return;
      }
      case 'M':
      case 'B':
      case 'G':
        type = etMemo;
        value = table_.ReadMemo(field_.number);
        return;
      default:
        type = etText;
        value = raw;
        return;
    }
  }

 private:
  DFO_dBaseFld& table_;
  TdfDBFFields field_;
};

}  // namespace

TdfTableExpLink::TdfTableExpLink(DFO_dBaseFld& table) : table_(table) {
  for (const TdfDBFFields& field : table.Fields()) {
    AddFieldVars(std::make_shared<TdfFieldVar>(table, field));
  }
}

bool TdfTableExpLink::LoadRecord(int32_t record) {
  if (record < 1 || record > table_.RecordCount()) return false;
  table_.DFO_dBaseFld::GoTo(record);
  return table_.CurrentRecord() == record;
}

bool TdfTableExpLink::UseSavedRecord(bool saved) {
  if (saved == usingSaved_) return saved;
  if (saved) {
    const std::vector<uint8_t>& s = table_.SavedRecord();
    if (s.empty() || table_.CurrentRecord() < 1) return false;
    savedCopy_ = s;
    previous_ = table_.RecordBuffer();
    table_.SetRecordBuffer(savedCopy_.data());
  } else {
    table_.SetRecordBuffer(previous_);
  }
  usingSaved_ = saved;
  return saved;
}

void TdfTableExpLink::CipherPage(uint8_t* buffer, int32_t count, bool encode) {
  if (!table_.IsEncrypted()) return;
  const std::string& password = encode ? table_.WritePassword() : table_.ReadPassword();
  for (int32_t at = 0; at < count; at += 512) {
    EncryptTableBuffer(password, buffer + at, buffer + at, std::min(512, count - at), encode);
  }
}

void TdfTableExpLink::ReCipherPage(uint8_t* buffer, int32_t count) {
  for (int32_t at = 0; at < count; at += 512) {
    int32_t n = std::min(512, count - at);
    EncryptTableBuffer(table_.ReadPassword(), buffer + at, buffer + at, n, false);
    EncryptTableBuffer(table_.WritePassword(), buffer + at, buffer + at, n, true);
  }
}

bool TdfTableExpLink::FieldLayout(const std::string& name, int& length, int& decimals) {
  int number = 0;
  if (!table_.FindField(name, number)) return false;
  length = table_.FieldWidth(number);
  decimals = table_.FieldDecimals(number);
  return true;
}

}  // namespace kelmo::dbf
