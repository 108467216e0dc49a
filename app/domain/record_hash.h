// The checksum of a registry record: the MD5 digest (RFC 1321, OpenSSL) of
// the record's fields id, mcod, polis, seria, number and in_stac written one
// after another as text in code page 1251, as 32 upper-case hexadecimal
// characters, compared exactly with the record's field hash.
// Cost: one pass over the six texts.
#pragma once

#include <QByteArray>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <stdexcept>

namespace kelmo {

// A field that the check needs is missing from the record; message
// "Поле '<name>' не найдено".
class RecordFieldMissing : public std::runtime_error {
 public:
  explicit RecordFieldMissing(const QString& name);
};

// MD5 of the bytes as 32 upper-case hexadecimal characters.
QString Md5Hex(const QByteArray& bytes);

// A field's value as the case-entry program wrote it into the hashed text:
// dates dd.mm.yyyy (with " hh:mm:ss" only when they carry a time), numbers
// in the general form with ".", texts as they are, null as nothing.
QString HashFieldText(const QVariant& value);

// True when the record's hash field holds the digest of its six fields
// (a lower-case digest does not match). An in_stac given as ISO date text,
// as the DBF engine's SQL gives dates, counts as that date. Raises
// RecordFieldMissing.
bool CheckRecordHash(const QSqlRecord& record);

}  // namespace kelmo
