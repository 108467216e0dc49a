// The registry set's read rules over one row.
#include "dbf_row.h"

#include "dbf/table_fields.h"
#include "dbfsql/dbf_query.h"

namespace kelmo {

int DbfLayout::Index(const QString& name) const {
  if (!Positions.isEmpty()) {
    auto it = Positions.constFind(name);
    if (it == Positions.constEnd()) it = Positions.constFind(name.toUpper());
    return it == Positions.constEnd() ? -1 : *it;
  }
  for (int i = 0; i < Names.size(); ++i)
    if (Names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

bool DbfLayout::IsNumeric(int index) const {
  switch (Types[static_cast<size_t>(index)]) {
    case 'N':
    case 'F':
    case 'I':
    case 'Y':
    case 'L':
    case 'B':
    case 'O':
    case '+':
      return true;
    default:
      return false;
  }
}

bool DbfLayout::IsDate(int index) const {
  const char t = Types[static_cast<size_t>(index)];
  return t == 'D' || t == 'T' || t == '@';
}

std::shared_ptr<const DbfLayout> DbfLayout::OfFile(const QString& path) {
  dbf::DFO_dBaseFld table(path.toStdString(), true, false, std::string());
  auto layout = std::make_shared<DbfLayout>();
  for (const dbf::TdfDBFFields& f : table.Fields()) {
    layout->Names << QString::fromLatin1(f.name.c_str()).toUpper();
    layout->Types.push_back(f.type);
  }
  // The first of two fields of one name wins, as the search by name finds it.
  for (int i = static_cast<int>(layout->Names.size()) - 1; i >= 0; --i)
    layout->Positions.insert(layout->Names[i], i);
  return layout;
}

DbfRow DbfRow::OfQuery(std::shared_ptr<const DbfLayout> layout, const dbfsql::TQuery& q) {
  DbfRow row;
  row.Values.resize(static_cast<size_t>(layout->Names.size()));
  for (int i = 0; i < q.FieldCount(); ++i) {
    const int index = layout->Index(q.FieldName(i));
    if (index >= 0) row.Values[static_cast<size_t>(index)] = q.Field(i);
  }
  row.Layout = std::move(layout);
  return row;
}

namespace {

int FieldIndexOf(const DbfRow& row, const QString& field) {
  const int index = row.Layout->Index(field);
  if (index < 0) throw DbfFieldError(QStringLiteral("Поле '%1' не найдено").arg(field));
  return index;
}

const QVariant& ValueOf(const DbfRow& row, int index) {
  return row.Values[static_cast<size_t>(index)];
}

bool Empty(const QVariant& v) {
  return !v.isValid() || v.isNull();
}

QDate DateOfText(const QString& text) {
  const QString t = text.trimmed();
  QDate d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
  if (!d.isValid()) d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
  if (!d.isValid()) d = QDate::fromString(t.left(10), Qt::ISODate);
  return d;
}

}  // namespace

QString ReadText(const DbfRow& row, const QString& field) {
  const QVariant& v = ValueOf(row, FieldIndexOf(row, field));
  return Empty(v) ? QString() : v.toString();
}

qlonglong ReadInteger(const DbfRow& row, const QString& field) {
  const int index = FieldIndexOf(row, field);
  const QVariant& v = ValueOf(row, index);
  if (row.Layout->IsNumeric(index)) {
    if (Empty(v)) return 0;
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? 1 : 0;
    return static_cast<qlonglong>(v.toDouble());
  }
  const QString text = Empty(v) ? QString() : v.toString();
  bool ok = false;
  const qlonglong n = text.trimmed().toLongLong(&ok);
  if (!ok) throw DbfFieldError(QStringLiteral("'%1' is not a valid integer value").arg(text));
  return n;
}

double ReadFloat(const DbfRow& row, const QString& field) {
  const int index = FieldIndexOf(row, field);
  const QVariant& v = ValueOf(row, index);
  if (row.Layout->IsNumeric(index)) return Empty(v) ? 0.0 : v.toDouble();
  const QString text = Empty(v) ? QString() : v.toString();
  bool ok = false;
  const double n = text.trimmed().toDouble(&ok);
  if (!ok)
    throw DbfFieldError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
  return n;
}

QDate ReadDate(const DbfRow& row, const QString& field) {
  const int index = FieldIndexOf(row, field);
  const QVariant& v = ValueOf(row, index);
  if (row.Layout->IsDate(index)) {
    if (Empty(v)) return ZeroDate();
    const QDate d = DateOfText(v.toString());
    return d.isValid() ? d : ZeroDate();
  }
  const QString text = Empty(v) ? QString() : v.toString();
  const QDate d = DateOfText(text);
  if (!d.isValid()) throw DbfFieldError(QStringLiteral("'%1' is not a valid date").arg(text));
  return d;
}

QVariant ReadStored(const DbfRow& row, const QString& field) {
  const int index = FieldIndexOf(row, field);
  const QVariant& v = ValueOf(row, index);
  if (Empty(v)) return {};
  if (row.Layout->IsDate(index)) {
    const QDate d = DateOfText(v.toString());
    return d.isValid() ? QVariant(d) : QVariant();
  }
  return v;
}

bool StoredEquals(const DbfRow& row, const QString& field, double value) {
  const QVariant v = ReadStored(row, field);
  if (!v.isValid()) return false;
  bool ok = false;
  const double d = v.toString().trimmed().toDouble(&ok);
  return ok && d == value;
}

QVariant ReadOptionalInteger(const DbfRow& row, const QString& field, const QVariant& fallback) {
  return row.HasField(field) ? QVariant(ReadInteger(row, field)) : fallback;
}

QVariant ReadOptionalText(const DbfRow& row, const QString& field, const QVariant& fallback) {
  return row.HasField(field) ? QVariant(ReadText(row, field)) : fallback;
}

QVariant ReadOptionalDate(const DbfRow& row, const QString& field, const QVariant& fallback) {
  return row.HasField(field) ? QVariant(ReadDate(row, field)) : fallback;
}

}  // namespace kelmo
