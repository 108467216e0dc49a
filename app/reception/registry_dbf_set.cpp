// The registry DBF set: tables, required files and fields, field readers.
#include "registry_dbf_set.h"

#include "dbfsql/dbf_query.h"

namespace kelmo {

const std::vector<RegistryTable>& RegistryTables() {
  static const std::vector<RegistryTable> tables = {
      {"stacion.dbf", "case (stay)", "ID", true},
      {"mtl.dbf", "treatment sheet of a case", "ID", true},
      {"operat.dbf", "operation of a case", "ID", true},
      {"parents.dbf", "parent named for a case", "ID", false},
      {"mtlusl.dbf", "service of a treatment sheet", "ID", false},
      {"oncology.DBF", "oncology record of a treatment sheet", "ID", false},
      {"onco_diagnostic.DBF", "diagnostic of an oncology record", "ID_ONCO", false},
      {"onco_decline.DBF", "refusal of an oncology record", "ID_ONCO", false},
      {"onco_uslug.DBF", "oncology service", "ID_ONCO", false},
      {"onco_medicals.DBF", "drug given in an oncology service", "ID_ONC_USL", false},
      {"consilium.DBF", "consilium of an oncology record", "ID_ONCO", false},
      {"onco_direction.DBF", "referral of a case", "ID", false},
  };
  return tables;
}

std::vector<RequiredFile> RequiredRegistryFiles() {
  return {
      {QStringLiteral("mtl.dbf"), QStringLiteral("01.01.1900"), QStringLiteral("01.01.3000")},
      {QStringLiteral("stacion.dbf"), QStringLiteral("01.01.1900"), QStringLiteral("01.01.3000")},
      {QStringLiteral("operat.dbf"), QStringLiteral("01.01.1900"), QStringLiteral("01.01.3000")},
      {QStringLiteral("parents.dbf"), QStringLiteral("01.04.2009"), QStringLiteral("01.01.3000")},
      {QStringLiteral("mtlusl.dbf"), QStringLiteral("01.01.2010"), QStringLiteral("01.05.2010")},
  };
}

bool RequiredFor(const RequiredFile& file, const QDate& start) {
  const QDate first = QDate::fromString(file.First, QStringLiteral("dd.MM.yyyy"));
  const QDate last = QDate::fromString(file.Last, QStringLiteral("dd.MM.yyyy"));
  return first <= start && start <= last;
}

QStringList MtlRequiredFields() {
  return {QStringLiteral("APPEND"), QStringLiteral("APP_KD"), QStringLiteral("VR_SPEC")};
}

QStringList StacionRequiredFields() {
  return {QStringLiteral("VPOLIS"), QStringLiteral("MCOD"), QStringLiteral("HASH")};
}

QStringList DbfFieldNames(const QString& folder, const QString& table) {
  dbfsql::TQuery q;
  q.SetDatabaseName(folder);
  q.SetStatement({QStringLiteral("select * from ") + table + QStringLiteral(" where 0=1")});
  q.Open();
  QStringList names;
  for (int i = 0; i < q.FieldCount(); ++i) names << q.FieldName(i).toUpper();
  q.Close();
  return names;
}

QStringList MissingFields(const QStringList& fields, const QStringList& required) {
  QStringList missing;
  for (const QString& name : required)
    if (!fields.contains(name, Qt::CaseInsensitive)) missing << name;
  return missing;
}

const std::vector<FieldRename>& FieldRenames() {
  static const std::vector<FieldRename> renames = {
      {"stacion.dbf", "AIDS_RESUL", "STACION.AIDS_RESULT"},
      {"stacion.dbf", "RES_LECEN", "STACION.SRES_LECHEN"},
      {"stacion.dbf", "ISHOD_LECE", "STACION.SISHOD_LECE"},
      {"stacion.dbf", "STAC_DIAG", "STACION.STAC_DIAGS"},
      {"stacion.dbf", "KOD_MES", "STACION.KOD_MESS"},
      {"stacion.dbf", "ID", "STACION.IDCASE"},
      {"mtl.dbf", "START", "MTL.STARTD"},
      {"mtl.dbf", "END", "MTL.FINISH"},
      {"mtl.dbf", "KACH_MES", "MTL.KASH_MES"},
      {"mtl.dbf", "CHARACTER", "MTL.C_ZAB"},
      {"operat.dbf", "OPERATION", "OPERAT.OPER"},
      {"operat.dbf", "DATA_OPER", "OPERAT.DATE_OPER"},
  };
  return renames;
}

DbfFieldError::DbfFieldError(const QString& text) : std::runtime_error(text.toStdString()) {}

QDate ZeroDate() {
  return QDate(1899, 12, 30);
}

namespace {

QVariant FieldOf(const dbfsql::TQuery& q, const QString& field) {
  if (!q.HasField(field)) throw DbfFieldError(QStringLiteral("Поле '%1' не найдено").arg(field));
  return q.FieldByName(field);
}

}  // namespace

QString ReadText(const dbfsql::TQuery& q, const QString& field) {
  const QVariant v = FieldOf(q, field);
  return v.isValid() ? v.toString() : QString();
}

qlonglong ReadInteger(const dbfsql::TQuery& q, const QString& field) {
  const QVariant v = FieldOf(q, field);
  if (!v.isValid() || v.isNull()) return 0;
  if (v.typeId() == QMetaType::QString) {
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
      throw DbfFieldError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return n;
  }
  return static_cast<qlonglong>(v.toDouble());
}

double ReadFloat(const dbfsql::TQuery& q, const QString& field) {
  const QVariant v = FieldOf(q, field);
  return v.isValid() ? v.toDouble() : 0.0;
}

QDate ReadDate(const dbfsql::TQuery& q, const QString& field) {
  FieldOf(q, field);
  const QDate d = q.FieldAsDate(field);
  return d.isValid() ? d : ZeroDate();
}

QVariant ReadStored(const dbfsql::TQuery& q, const QString& field) {
  return FieldOf(q, field);
}

QVariant ReadOptional(const dbfsql::TQuery& q, const QString& field, const QVariant& fallback) {
  if (!q.HasField(field)) return fallback;
  return q.FieldByName(field);
}

}  // namespace kelmo
