// One row of a registry DBF table as the loading reads it, and the read
// rules of the registry set: how a field is read as text, as an integer, as
// a floating number, as a date or as stored, and what an empty field gives.
//
// The values come from the desktop engine (platform/dbfsql): a blank field
// is null, character fields are trimmed on the right, dates are ISO text.
// Whether an empty field is an error depends on the field's kind, which the
// engine does not keep, so a row carries its table's layout (field names and
// DBF types, read from the table's header).
//
// Read rules (every reader raises DbfFieldError "Поле '<name>' не найдено"
// for a field the table lacks):
//   text     the field's text; empty text when empty.
//   integer  a numeric field's whole value, 0 when empty; a text field's
//            trimmed text as a whole number; an empty or non-numeric text
//            raises "'<text>' is not a valid integer value".
//   float    a numeric field's value, 0 when empty; a text field as a
//            number, an empty or non-numeric text raises.
//   date     a date field's date, ZeroDate() when empty; a text field's text
//            as dd.mm.yyyy (or yyyy-mm-dd), an empty or non-date text raises.
//   stored   the value with its type (dates as QDate), null when empty.
#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "registry_dbf_set.h"

namespace kelmo::dbfsql {
class TQuery;
}

namespace kelmo {

// The fields of a DBF table: names in upper case and their DBF types, in the
// table's order.
struct DbfLayout {
  QStringList Names;
  std::vector<char> Types;
  // Each name's index (filled by OfFile; the loading looks fields up by name
  // for every value it reads).
  QHash<QString, int> Positions;

  // The field's index, without regard to case; -1 when the table lacks it.
  int Index(const QString& name) const;
  bool IsNumeric(int index) const;
  bool IsDate(int index) const;
  // Read from the table's header. Raises dbf::EDbfError when the file is not
  // a table.
  static std::shared_ptr<const DbfLayout> OfFile(const QString& path);
};

struct DbfRow {
  std::shared_ptr<const DbfLayout> Layout;
  // Per field of the layout, as the engine gave them.
  std::vector<QVariant> Values;

  bool HasField(const QString& name) const { return Layout->Index(name) >= 0; }
  // The current row of `q` (a "select *" over the layout's table), fields
  // matched by name; a field the query lacks is null.
  static DbfRow OfQuery(std::shared_ptr<const DbfLayout> layout, const dbfsql::TQuery& q);
};

QString ReadText(const DbfRow& row, const QString& field);
qlonglong ReadInteger(const DbfRow& row, const QString& field);
double ReadFloat(const DbfRow& row, const QString& field);
QDate ReadDate(const DbfRow& row, const QString& field);
QVariant ReadStored(const DbfRow& row, const QString& field);
// Whether the field, as stored, compares equal to the number `value` (an
// empty field never does).
bool StoredEquals(const DbfRow& row, const QString& field, double value);

// The Optional forms give `fallback` when the table lacks the field.
QVariant ReadOptionalInteger(const DbfRow& row, const QString& field, const QVariant& fallback);
QVariant ReadOptionalText(const DbfRow& row, const QString& field, const QVariant& fallback);
QVariant ReadOptionalDate(const DbfRow& row, const QString& field, const QVariant& fallback);

}  // namespace kelmo
