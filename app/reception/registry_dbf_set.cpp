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

std::vector<DbfFieldSpec> RegistryTableFields(const QString& table) {
  if (table.compare(QLatin1String("stacion.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID", 'N', 10, 0},        {"FAMILY", 'C', 40, 0},    {"NAME", 'C', 40, 0},
            {"FATHER", 'C', 40, 0},    {"POL", 'N', 1, 0},        {"DR", 'D', 8, 0},
            {"RESP", 'C', 20, 0},      {"OBL", 'N', 4, 0},        {"RAION", 'C', 30, 0},
            {"PUNCT", 'C', 30, 0},     {"STRIT", 'C', 30, 0},     {"COURP", 'C', 5, 0},
            {"HOUSE", 'C', 7, 0},      {"FLAT", 'C', 5, 0},       {"G_S", 'N', 1, 0},
            {"NOMIB", 'C', 10, 0},     {"DOKUMENT", 'N', 2, 0},   {"D_SERIA", 'C', 12, 0},
            {"D_NOMBER", 'C', 12, 0},  {"F_DOCS", 'N', 2, 0},     {"SOCIUM", 'C', 2, 0},
            {"KATEGOR", 'N', 2, 0},    {"OTDELENIE", 'N', 4, 0},  {"TIP_STAC", 'N', 1, 0},
            {"IN_STAC", 'D', 8, 0},    {"OUT_STAC", 'D', 8, 0},   {"NAPR_DIAG", 'C', 6, 0},
            {"PROF_DIAG", 'C', 6, 0},  {"FIRST", 'N', 1, 0},      {"RW_RESULT", 'N', 1, 0},
            {"AIDS_RESUL", 'N', 1, 0}, {"TRAVMA", 'N', 2, 0},     {"COMP1", 'C', 6, 0},
            {"COMP2", 'C', 6, 0},      {"COMP3", 'C', 6, 0},      {"BL1_START", 'D', 8, 0},
            {"BL1_END", 'D', 8, 0},    {"BL1_FIRST", 'N', 1, 0},  {"BL1_POVOD", 'N', 2, 0},
            {"BL1_POL", 'N', 1, 0},    {"BL1_VOZR", 'N', 3, 0},   {"NAPRAVLEN", 'N', 2, 0},
            {"FIO", 'C', 40, 0},       {"DZ", 'D', 8, 0},         {"STAC_DIAG", 'C', 6, 0},
            {"KOD_MES", 'C', 16, 0},   {"RES_LECEN", 'N', 3, 0},  {"ISHOD_LECE", 'N', 3, 0},
            {"ACCOMP1", 'C', 6, 0},    {"ACCOMP2", 'C', 6, 0},    {"ACCOMP3", 'C', 6, 0},
            {"ACCOMP_L1", 'N', 1, 0},  {"ACCOMP_L2", 'N', 1, 0},  {"ACCOMP_L3", 'N', 1, 0},
            {"DISE_TIME", 'N', 3, 0},  {"IN_STAC_T", 'C', 5, 0},  {"OUT_STAC_T", 'C', 5, 0},
            {"SOOTVTSTV", 'N', 1, 0},  {"DATA_ZAPOL", 'D', 8, 0}, {"KOD_LPU", 'C', 6, 0},
            {"NUM_KARTA", 'N', 10, 0}, {"DATE_N", 'D', 8, 0},     {"DATE_E", 'D', 8, 0},
            {"POL_OBL", 'C', 4, 0},    {"SERIA", 'C', 12, 0},     {"NUMBER", 'C', 20, 0},
            {"POLIS", 'C', 5, 0},      {"VPOLIS", 'N', 1, 0},     {"MCOD", 'C', 6, 0},
            {"HASH", 'C', 32, 0},      {"TAL_NUM", 'C', 20, 0},   {"TAL_D", 'C', 10, 0},
            {"TAL_P", 'C', 10, 0},     {"OPLAT", 'N', 1, 0}};
  if (table.compare(QLatin1String("mtl.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID", 'N', 10, 0},        {"NOM_MTL", 'N', 3, 0},    {"OPLAT", 'N', 1, 0},
            {"VID_POM", 'N', 2, 0},    {"OTDELENIE", 'N', 4, 0},  {"PROFILE", 'N', 3, 0},
            {"STAC_DIAG", 'C', 6, 0},  {"KOD_MES", 'C', 16, 0},   {"ACCOMP1", 'C', 6, 0},
            {"ACCOMP2", 'C', 6, 0},    {"ACCOMP3", 'C', 6, 0},    {"MES_ACC1", 'C', 10, 0},
            {"MES_ACC2", 'C', 10, 0},  {"MES_ACC3", 'C', 10, 0},  {"ACCOMP_L1", 'N', 1, 0},
            {"ACCOMP_L2", 'N', 1, 0},  {"ACCOMP_L3", 'N', 1, 0},  {"COMP1", 'C', 6, 0},
            {"COMP2", 'C', 6, 0},      {"COMP3", 'C', 6, 0},      {"STAN_OBSL", 'N', 1, 0},
            {"STAN_LECEN", 'N', 1, 0}, {"RES_LECHEN", 'N', 3, 0}, {"ISHOD_LECE", 'N', 3, 0},
            {"KURACIA", 'N', 1, 0},    {"EXTREN", 'N', 1, 0},     {"INTENSIV", 'N', 1, 0},
            {"INTERRUPT", 'N', 1, 0},  {"KACH_MES", 'N', 1, 0},   {"REANIM", 'N', 3, 0},
            {"START", 'D', 8, 0},      {"END", 'D', 8, 0},        {"DREANIM", 'C', 6, 0},
            {"DETECT", 'C', 10, 0},    {"APPEND", 'N', 1, 0},     {"APP_KD", 'N', 3, 0},
            {"VR_SPEC", 'C', 10, 0},   {"VR_FIO", 'C', 40, 0},    {"CRITERIES", 'C', 20, 0},
            {"DS_ONK", 'N', 1, 0},     {"CHARACTER", 'N', 1, 0},  {"VIDMTL", 'N', 2, 0},
            {"VMP_MET", 'N', 4, 0}};
  if (table.compare(QLatin1String("operat.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID", 'N', 10, 0},        {"OPERATION", 'N', 6, 0},  {"ANAESTHES", 'N', 2, 0},
            {"APP_ENDOK", 'N', 1, 0},  {"APP_LASER", 'N', 1, 0},  {"APP_KRIOG", 'N', 1, 0},
            {"ID_CONS", 'N', 2, 0},    {"ID_SURGERY", 'N', 2, 0}, {"ID_T_LINE", 'N', 2, 0},
            {"ID_T_CYCLE", 'N', 2, 0}, {"ID_R_TYPE", 'N', 2, 0},  {"ID_U_TYPE", 'N', 2, 0},
            {"COMPLIC", 'C', 6, 0},    {"DATA_OPER", 'D', 8, 0},  {"TIME_OPER", 'C', 5, 0},
            {"FIO", 'C', 40, 0},       {"USLUG", 'C', 20, 0}};
  if (table.compare(QLatin1String("parents.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID", 'N', 10, 0},     {"FAMILY", 'C', 40, 0}, {"NAME", 'C', 40, 0},
            {"FATHER", 'C', 40, 0}, {"DR", 'D', 8, 0},      {"SERIA", 'C', 10, 0},
            {"NUMBER", 'C', 20, 0}, {"DOC_S", 'C', 10, 0},  {"DOC_N", 'C', 20, 0},
            {"ADR", 'C', 80, 0},    {"OBL", 'C', 5, 0}};
  if (table.compare(QLatin1String("mtlusl.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID", 'N', 10, 0},    {"NOM_MTL", 'N', 3, 0}, {"DOKAZ", 'D', 8, 0},
            {"USLUG", 'C', 20, 0}, {"KOLVO", 'N', 4, 0},   {"STAGE", 'N', 1, 0}};
  if (table.compare(QLatin1String("oncology.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID", 'N', 10, 0},      {"ID_ONCO", 'N', 10, 0},  {"NOM_MTL", 'N', 3, 0},
            {"ID_CAUSE", 'N', 3, 0}, {"ID_STAGE", 'N', 4, 0},  {"ID_TUMOR", 'N', 4, 0},
            {"ID_NODUS", 'N', 4, 0}, {"ID_METAS", 'N', 4, 0},  {"DIST_METAS", 'N', 1, 0},
            {"DOSE", 'N', 7, 2},     {"FRACTIONS", 'N', 3, 0}, {"WEIGHT", 'N', 5, 1},
            {"HEIGHT", 'N', 3, 0},   {"BSA", 'N', 5, 2}};
  if (table.compare(QLatin1String("onco_diagnostic.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID_ONCO", 'N', 10, 0}, {"DIAG_DATE", 'D', 8, 0}, {"DIAG_TYPE", 'N', 1, 0},
            {"REC_RSLT", 'N', 1, 0}, {"ID_G_S", 'N', 4, 0},    {"ID_G_T", 'N', 4, 0},
            {"ID_MARK", 'N', 4, 0},  {"ID_M_R", 'N', 4, 0}};
  if (table.compare(QLatin1String("onco_decline.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID_ONCO", 'N', 10, 0}, {"ID_DEC", 'N', 2, 0}, {"DATE_DEC", 'D', 8, 0}};
  if (table.compare(QLatin1String("onco_uslug.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID_ONCO", 'N', 10, 0},  {"ID_U_TYPE", 'N', 2, 0},  {"ID_SURGERY", 'N', 2, 0},
            {"ID_T_LINE", 'N', 2, 0}, {"ID_T_CYCLE", 'N', 2, 0}, {"ID_R_TYPE", 'N', 2, 0},
            {"REFLEX", 'N', 1, 0}};
  if (table.compare(QLatin1String("onco_medicals.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID_ONC_USL", 'N', 10, 0},
            {"CODE_DRUG", 'C', 10, 0},
            {"CODE_SCHEM", 'C', 10, 0},
            {"DATE_INJ", 'D', 8, 0}};
  if (table.compare(QLatin1String("consilium.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID_ONCO", 'N', 10, 0}, {"PR_CONS", 'N', 1, 0}, {"DT_CONS", 'D', 8, 0}};
  if (table.compare(QLatin1String("onco_direction.dbf"), Qt::CaseInsensitive) == 0)
    return {{"ID", 'N', 10, 0},    {"NOM_MTL", 'N', 3, 0},   {"DIR_TYPE", 'N', 1, 0},
            {"METHOD", 'N', 1, 0}, {"USLUG_TO", 'C', 20, 0}, {"DATE_DIR", 'D', 8, 0}};
  return {};
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

}  // namespace kelmo
