// One case of a DBF registry into the registry database.
#include "case_loading.h"

#include <QDir>
#include <cmath>
#include <map>

#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/holiday_calendar.h"
#include "firebird/fb_database.h"
#include "firebird/fb_statement.h"
#include "keyed_dbf_table.h"
#include "oncology_loading.h"

namespace kelmo {

namespace {

// The columns of a case row in the order of the insert; the last three take
// parameters without the "p_" prefix.
const char* const kStacionColumns[] = {
    "ID_ILL",      "REPN",        "FAMILY",      "NAME",       "FATHER",
    "POL",         "DR",          "RESP",        "OBL",        "RAION",
    "PUNCT",       "STRIT",       "HOUSE",       "COURP",      "FLAT",
    "G_S",         "NOMIB",       "DOKUMENT",    "D_SERIA",    "SERIA",
    "D_NOMBER",    "NUMBER",      "POLIS",       "POL_OBL",    "SOCIUM",
    "KATEGOR",     "OTDELENIE",   "IN_STAC",     "OUT_STAC",   "NAPR_DIAG",
    "STAC_DIAGS",  "KOD_MESS",    "PROF_DIAG",   "FIRST",      "RW_RESULT",
    "AIDS_RESULT", "EMERGENCY",   "BL1_POVOD",   "INTOXICAT",  "TRAVMA",
    "COMP1",       "COMP2",       "COMP3",       "BL1_START",  "BL1_END",
    "BL1_FIRST",   "BL1_POL",     "BL1_VOZR",    "NAPRAVLEN",  "FIO",
    "DZ",          "VOZRAST",     "KDMTL",       "OCNCOSTMTL", "COPALLCOSTMTL",
    "MTLCOSTMTL",  "SRES_LECHEN", "SISHOD_LECE", "PENSION",    "ACCOMP1",
    "ACCOMP_L1",   "ACCOMP2",     "ACCOMP_L2",   "ACCOMP3",    "ACCOMP_L3",
    "DISE_TIME",   "IN_STAC_T",   "OUT_STAC_T",  "SOOTVTSTV",  "DATA_ZAPOL",
    "NUM_KARTA",   "KOD_LPU",     "VOZRASTM",    "DATE_CONS",  "CONSENT",
    "F_PLACEW",    "F_STREET",    "F_NPUNKT",    "F_OKSM",     "F_DELEGAT",
    "F_STATUS",    "F_DOCS",      "VOV",         "DATE_N",     "DATE_E",
    "VPOLIS",      "MCOD",        "HASH",        "DOPFOND",    "IDCASE",
    "PR_NOV",      "NOVOR",       "TAL_NUM",     "TAL_D",      "TAL_P"};

// The columns of a treatment sheet; STARTD, FINISH, CRITERIES and C_ZAB take
// the parameters p_START, p_FINISH, CRITERIES and C_ZAB.
const char* const kMtlColumns[] = {
    "ID",        "ID_ILL",     "REPN",       "NOM_MTL",  "OPLAT",     "OTDELENIE", "PROFILE",
    "PR_OMS",    "STAC_DIAG",  "KOD_MES",    "ACCOMP1",  "MES_ACC1",  "ACCOMP_L1", "ACCOMP2",
    "MES_ACC2",  "ACCOMP_L2",  "ACCOMP3",    "MES_ACC3", "ACCOMP_L3", "STAN_OBSL", "STAN_LECEN",
    "KASH_MES",  "RES_LECHEN", "ISHOD_LECE", "KURACIA",  "EXTREN",    "INTENSIV",  "KOD_MES_IT",
    "INTERRUPT", "STARTD",     "FINISH",     "KD",       "KDOMS",     "KDMES",     "KDSVMES",
    "KDNOT",     "OCNCOST",    "DOPCOST",    "COP1COST", "COP2COST",  "COP3COST",  "COMP1",
    "COMP2",     "COMP3",      "REANIM",     "DREANIM",  "DETECT",    "VIDMTL",    "KDGUZO",
    "URMES",     "APPEND",     "APP_KD",     "VR_SPEC",  "PRVS",      "VR_FIO",    "VMP_MET",
    "VID_POM",   "CRITERIES",  "DS_ONK",     "C_ZAB",    "RSLT"};

// The insert of a row; with `drawn`, the first column takes the value the
// procedure `drawn` answers (in the same round trip) and the statement
// returns it.
QString InsertText(const char* table, const char* const* columns, size_t count,
                   const std::function<QString(const QString&)>& param,
                   const QString& drawn = QString()) {
  QStringList names, marks;
  for (size_t i = 0; i < count; ++i) {
    const QString column = QString::fromLatin1(columns[i]);
    names << column;
    marks << (i == 0 && !drawn.isEmpty() ? QLatin1Char('(') + drawn + QLatin1Char(')')
                                         : QLatin1Char(':') + param(column));
  }
  QString text = QStringLiteral("insert into %1 (%2) values (%3)")
                     .arg(QString::fromLatin1(table), names.join(QLatin1Char(',')),
                          marks.join(QLatin1Char(',')));
  if (!drawn.isEmpty()) text += QStringLiteral(" returning ") + names.first();
  return text;
}

QString StacionParam(const QString& column) {
  if (column == QLatin1String("TAL_NUM") || column == QLatin1String("TAL_D") ||
      column == QLatin1String("TAL_P"))
    return column;
  return QStringLiteral("p_") + column;
}

QString MtlParam(const QString& column) {
  if (column == QLatin1String("STARTD")) return QStringLiteral("p_START");
  if (column == QLatin1String("FINISH")) return QStringLiteral("p_FINISH");
  if (column == QLatin1String("CRITERIES") || column == QLatin1String("C_ZAB")) return column;
  return QStringLiteral("p_") + column;
}

const QString kDiagsSql = QStringLiteral(
    "insert into diags (mtl_id, diag, mes, vr_action, status)\rvalues(:mid, :diag, :mes, :vr_act, "
    ":status)");
const QString kOperatSql = QStringLiteral(
    "insert into OPERAT (ID_ILL, REPN, OPER, COMPLIC, ANAESTHES, DATE_OPER, TIME_OPER, "
    "APP_ENDOK, APP_LASER, APP_KRIOG, FIO, USLUG, ID_CONS, ID_SURGERY, ID_T_LINE, ID_T_CYCLE, "
    "ID_R_TYPE, ID_U_TYPE) values (:p_ID_ILL, :p_REPN, :p_OPER, :p_COMPLIC, :p_ANAESTHES, "
    ":p_DATE_OPER, :p_TIME_OPER, :p_APP_ENDOK, :p_APP_LASER, :p_APP_KRIOG, :p_FIO, :p_USLUG, "
    ":p_ID_CONS, :p_ID_SURGERY, :p_ID_T_LINE, :p_ID_T_CYCLE, :p_ID_R_TYPE, :p_ID_U_TYPE)");
const QString kParentsSql = QStringLiteral(
    "insert into parents (id_ill, repn, family, name, father, dr, seria, number, polis, doc_s, "
    "doc_n, adr, obl) values (:id_ill, :repn, :family, :name, :father, :dr, :seria, :number, "
    ":polis, :doc_s, :doc_n, :adr, :obl)");
const QString kMtlUslSql = QStringLiteral(
    "insert into MTLUSL (ID_ILL, REPN, NOM_MTL, DOKAZ, USLUG, KOLVO, STAGE) values (:p_ID_ILL, "
    ":p_REPN, :p_NOM_MTL, :p_DOKAZ, :p_USLUG, :p_KOLVO, :p_STAGE)");
const QString kProfileOmsSql = QStringLiteral("select oms\rfrom LST_KOIKI\rwhere tip=:p_Tip");

// The fields the operations' query holds; opening it fails without them.
const char* const kOperatFields[] = {
    "ID",        "COMPLIC",   "ANAESTHES",  "OPERATION", "APP_ENDOK",  "APP_LASER",
    "APP_KRIOG", "ID_CONS",   "ID_SURGERY", "ID_T_LINE", "ID_T_CYCLE", "ID_R_TYPE",
    "ID_U_TYPE", "DATA_OPER", "TIME_OPER",  "FIO",       "USLUG"};

const QDate kParentsFrom(2009, 4, 1);
const QDate kServicesFrom(2011, 1, 1);
const QDate kVovUntil(2010, 5, 1);

QVariant NullIfEmpty(const QString& text) {
  return text.isEmpty() ? QVariant() : QVariant(text);
}

}  // namespace

QString NormalisedDiagnosis(const QString& text) {
  if (text.size() == 4 && text.at(3) == QLatin1Char('.')) return text.left(3).toUpper();
  return text.toUpper();
}

QString PaddedPolicySeries(const QString& field, bool& cut) {
  QString s = TrimText(field).toUpper();
  cut = s.size() > 9;
  if (cut) s = s.left(9);
  return s.rightJustified(9, QLatin1Char(' '));
}

QString PaddedPolicyNumber(const QString& field) {
  return TrimText(field).left(16).rightJustified(16, QLatin1Char(' '));
}

QString StoredInsurer(const QString& field, Population pass) {
  const QString trimmed = TrimText(field);
  if (trimmed.isEmpty()) return QStringLiteral("0");
  static const QStringList kReplaced = {"14", "1775", "2566", "2216"};
  if (pass == Population::Local && kReplaced.contains(trimmed)) return QStringLiteral("0");
  return field;
}

QString LatinLookAlikes(const QString& text) {
  static const QString kPairs = QStringLiteral("aABcCeEHKMoOpPTxXyаАВсСеЕНКМоОрРТхХу");
  QString out = text;
  for (QChar& c : out) {
    const qsizetype at = kPairs.indexOf(c, 18);
    if (at >= 18) c = kPairs.at(at - 18);
  }
  return out;
}

bool BreaksDocumentRule(const DbfRow& s, Population pass) {
  const qlonglong kind = ReadInteger(s, QStringLiteral("DOKUMENT"));
  if ((kind == 1 || kind == 3) && ReadInteger(s, QStringLiteral("F_DOCS")) != 9) {
    const QString series = ReadText(s, QStringLiteral("D_SERIA")).toUpper();
    const QString number = ReadText(s, QStringLiteral("D_NOMBER"));
    const QString trimmed = TrimText(number);
    if (series.size() != 5 || trimmed.size() < 6 || trimmed.size() > 7) return true;
    for (int i : {0, 1, 3, 4})
      if (series.at(i) < QLatin1Char('0') || series.at(i) > QLatin1Char('9')) return true;
    if (series.at(2) != QLatin1Char(' ')) return true;
    for (int i = 0; i < 6; ++i)
      if (i >= number.size() || number.at(i) < QLatin1Char('0') || number.at(i) > QLatin1Char('9'))
        return true;
  }
  if (ReadText(s, QStringLiteral("DOKUMENT")) == QLatin1String("5")) {
    const QString number = TrimText(ReadText(s, QStringLiteral("D_NOMBER")));
    if (number.isEmpty() || number == QLatin1String("-")) return true;
  }
  if (pass == Population::OutOfRegion && kind == 0 && ReadInteger(s, QStringLiteral("OBL")) != 1137)
    return true;
  return false;
}

QDate NewbornDate(const QDate& birth) {
  const QDate first = QDate(birth.year(), birth.month(), 1).addMonths(1);
  return QDate(first.year(), first.month(), std::min(birth.day(), first.daysInMonth()));
}

int StandardLevel(const DbfRow& mtl) {
  const QString code = TrimText(ReadText(mtl, QStringLiteral("KOD_MES")));
  if (code.size() == 5 || code.size() == 7)
    return static_cast<int>(ReadInteger(mtl, QStringLiteral("KOD_MES")) / 1000000);
  if (code.size() >= 16) {
    bool ok = false;
    const int digit = code.mid(11, 1).toInt(&ok);
    if (!ok)
      throw DbfFieldError(QStringLiteral("'%1' is not a valid integer value").arg(code.mid(11, 1)));
    return digit + 2;
  }
  return 0;
}

int KindOfCare(const DbfRow& mtl, int stacType) {
  qlonglong field = 0;
  try {
    field = ReadInteger(mtl, QStringLiteral("VID_POM"));
  } catch (const DbfFieldError&) {
    field = 0;
  }
  if (field >= 2 || field < 0) return static_cast<int>(field);
  if (stacType == 2 || stacType == 3) return 13;
  return static_cast<int>(ReadInteger(mtl, QStringLiteral("OPLAT")) / 6 + 31);
}

struct CaseLoader::Impl {
  Impl(FbDatabase& db, FbTransaction& tr, const CaseLoadingInputs& in)
      : in(in),
        stacion(db, &tr),
        mtl(db, &tr),
        placeholder(db, &tr),
        diags(db, &tr),
        operat(db, &tr),
        parents(db, &tr),
        mtlusl(db, &tr),
        profileOms(db, &tr),
        calendar(db, &tr),
        mtlTable(in.Folder, QStringLiteral("mtl.dbf"), QStringLiteral("id")),
        operatTable(in.Folder, QStringLiteral("Operat.dbf"), QStringLiteral("id")),
        parentsTable(in.Folder, QStringLiteral("parents.dbf"), QStringLiteral("id")),
        mtlUslTable(in.Folder, QStringLiteral("mtlusl.dbf"), QStringLiteral("id")),
        oncology(db, tr, in.Folder) {
    // A case's ID_ILL and a sheet's ID are drawn by GETID_ILL and GETMTL_ID
    // inside their inserts, which return them.
    stacion.Prepare(InsertText("STACION", kStacionColumns, std::size(kStacionColumns), StacionParam,
                               QStringLiteral("select RID_ILL from GETID_ILL")));
    mtl.Prepare(InsertText("MTL", kMtlColumns, std::size(kMtlColumns), MtlParam,
                           QStringLiteral("select MTL_ID from GETMTL_ID")));
    // The placeholder sheet draws no id: its ID comes from the table's
    // trigger. The driver cannot pass a null into a NOT NULL column, so the
    // column is left out of its insert.
    placeholder.Prepare(InsertText("MTL", kMtlColumns + 1, std::size(kMtlColumns) - 1, MtlParam));
    diags.Prepare(kDiagsSql);
    operat.Prepare(kOperatSql);
    parents.Prepare(kParentsSql);
    mtlusl.Prepare(kMtlUslSql);
    profileOms.Prepare(kProfileOmsSql);
    if (!mtlTable.Present()) throw DbfFieldError(QStringLiteral("Таблица mtl.dbf не найдена"));
    if (!operatTable.Present())
      throw DbfFieldError(QStringLiteral("Таблица operat.dbf не найдена"));
    for (const char* field : kOperatFields)
      if (operatTable.Layout()->Index(QString::fromLatin1(field)) < 0)
        throw DbfFieldError(QStringLiteral("Operat: Поле '%1' не найдено").arg(field));
    mtlHasVidmtl = mtlTable.Layout()->Index(QStringLiteral("VIDMTL")) >= 0;
  }

  // OMS of a bed profile in LST_KOIKI (null when it has none). The table
  // does not change during a pass: each profile is looked up once.
  QVariant ProfileOms(qlonglong profile) {
    const auto known = profileOmsCache.find(profile);
    if (known != profileOmsCache.end()) return known->second;
    profileOms.Set(QStringLiteral("p_Tip"), profile);
    profileOms.Exec();
    return profileOmsCache.emplace(profile, profileOms.Value(QStringLiteral("OMS"))).first->second;
  }

  void SetStacion(const DbfRow& s, int repn, const CaseNote& note);
  void LoadSheets(const DbfRow& s, double key, int idIll, int repn);
  void LoadSheet(const DbfRow& m, int idIll, int repn);
  void LoadPlaceholderSheet(int idIll, int repn);
  void LoadOperations(double key, int idIll, int repn);
  void LoadParentsAndServices(double key, int idIll, int repn);

  CaseLoadingInputs in;
  FbStatement stacion, mtl, placeholder, diags, operat, parents, mtlusl, profileOms;
  RegistryHolidayCalendar calendar;
  KeyedDbfTable mtlTable, operatTable, parentsTable, mtlUslTable;
  OncologyLoader oncology;
  bool mtlHasVidmtl = false;
  std::map<qlonglong, QVariant> profileOmsCache;
};

void CaseLoader::Impl::SetStacion(const DbfRow& s, int repn, const CaseNote& note) {
  FbStatement& q = stacion;
  auto set = [&q](const char* column, const QVariant& value) {
    q.Set(StacionParam(QString::fromLatin1(column)), value);
  };
  q.Clear();
  for (const char* f : {"RESP", "HOUSE", "FLAT", "D_NOMBER", "POL_OBL", "SOCIUM", "IN_STAC_T",
                        "OUT_STAC_T", "KOD_LPU", "MCOD", "HASH"})
    set(f, ReadText(s, QString::fromLatin1(f)));
  for (const char* f : {"FAMILY", "NAME", "FATHER", "RAION", "PUNCT", "STRIT", "COURP", "FIO"})
    set(f, ReadText(s, QString::fromLatin1(f)).toUpper());
  for (const char* f :
       {"POL",       "OBL",       "G_S",       "DOKUMENT",  "KATEGOR",   "OTDELENIE", "FIRST",
        "RW_RESULT", "TRAVMA",    "BL1_FIRST", "BL1_POVOD", "BL1_POL",   "BL1_VOZR",  "NAPRAVLEN",
        "ACCOMP_L1", "ACCOMP_L2", "ACCOMP_L3", "DISE_TIME", "SOOTVTSTV", "NUM_KARTA", "VPOLIS"})
    set(f, ReadInteger(s, QString::fromLatin1(f)));
  for (const char* f : {"DR", "IN_STAC", "OUT_STAC", "BL1_START", "BL1_END", "DZ", "DATA_ZAPOL"})
    set(f, ReadDate(s, QString::fromLatin1(f)));
  for (const char* f :
       {"NAPR_DIAG", "PROF_DIAG", "COMP1", "COMP2", "COMP3", "ACCOMP1", "ACCOMP2", "ACCOMP3"})
    set(f, NormalisedDiagnosis(ReadText(s, QString::fromLatin1(f))));

  const QString caseName = QStringLiteral("Случай ID=%1 (%2)")
                               .arg(ReadText(s, QStringLiteral("ID")),
                                    TrimText(ReadText(s, QStringLiteral("FAMILY"))).toUpper());
  set("REPN", repn);
  set("NOMIB", in.YearText == QLatin1String("2014")
                   ? QVariant(ReadFloat(s, QStringLiteral("NOMIB")))
                   : QVariant(ReadText(s, QStringLiteral("NOMIB"))));
  // A series longer than its column would end the case with a truncation
  // error; it is cut to the column and the act says so.
  QString documentSeries = ReadText(s, QStringLiteral("D_SERIA")).toUpper();
  if (documentSeries.size() > 10) {
    note(caseName + QStringLiteral(": серия документа \"") + documentSeries +
         QStringLiteral("\" длиннее 10 знаков, записаны первые 10."));
    documentSeries = documentSeries.left(10);
  }
  set("D_SERIA", documentSeries);
  bool cut = false;
  const QString seria = ReadText(s, QStringLiteral("SERIA"));
  set("SERIA", PaddedPolicySeries(seria, cut));
  if (cut)
    note(caseName + QStringLiteral(": серия полиса \"") + TrimText(seria).toUpper() +
         QStringLiteral("\" длиннее 9 знаков, записаны первые 9."));
  set("NUMBER", PaddedPolicyNumber(ReadText(s, QStringLiteral("NUMBER"))));
  set("POLIS", StoredInsurer(ReadText(s, QStringLiteral("POLIS")), in.Pass));
  set("STAC_DIAGS", NormalisedDiagnosis(ReadText(s, QStringLiteral("STAC_DIAG"))));
  const QString kodMes = ReadText(s, QStringLiteral("KOD_MES"));
  set("KOD_MESS", TrimText(kodMes).isEmpty() ? QString() : kodMes);
  set("AIDS_RESULT", ReadInteger(s, QStringLiteral("AIDS_RESUL")));
  set("SRES_LECHEN", ReadInteger(s, QStringLiteral("RES_LECEN")));
  set("SISHOD_LECE", ReadInteger(s, QStringLiteral("ISHOD_LECE")));
  const QDate dr = ReadDate(s, QStringLiteral("DR"));
  const QDate admitted = ReadDate(s, QStringLiteral("IN_STAC"));
  set("VOZRAST", AgeInYears(dr, admitted));
  set("VOZRASTM", static_cast<int>(std::abs(dr.daysTo(admitted)) / 30.4375));
  set("DATE_CONS", ReadOptionalDate(s, QStringLiteral("DATE_CONS"), QVariant()));
  for (const char* f : {"CONSENT", "F_PLACEW", "F_OKSM"})
    set(f, ReadOptionalText(s, QString::fromLatin1(f), QVariant()));
  for (const char* f : {"F_STREET", "F_NPUNKT", "F_DELEGAT", "F_STATUS", "F_DOCS"})
    set(f, ReadOptionalInteger(s, QString::fromLatin1(f), QVariant()));
  if (!s.HasField(QStringLiteral("VOV")))
    set("VOV", QVariant());
  else if (in.PeriodStart > kVovUntil)
    set("VOV", 0);
  else
    set("VOV", ReadInteger(s, QStringLiteral("VOV")));
  for (const char* f : {"DATE_N", "DATE_E"}) {
    const QString name = QString::fromLatin1(f);
    set(f, TrimText(ReadText(s, name)).isEmpty() ? QVariant() : QVariant(ReadDate(s, name)));
  }
  qlonglong dopfond = 0;
  try {
    dopfond = ReadInteger(s, QStringLiteral("DOPFOND"));
  } catch (const DbfFieldError&) {
    dopfond = 0;
  }
  set("DOPFOND", dopfond);
  set("IDCASE", ReadInteger(s, QStringLiteral("ID")));
  set("PR_NOV",
      s.HasField(QStringLiteral("REPEAT_UPL")) && StoredEquals(s, QStringLiteral("REPEAT_UPL"), 1)
          ? 1
          : 0);
  // The newborn numbering gives a child its number after the pass; every
  // other case keeps the 0 that the package description would otherwise
  // write over the whole report again.
  set("NOVOR", QStringLiteral("0"));
  if (in.YearText.toInt() >= 2018) {
    for (const char* f : {"TAL_D", "TAL_P"}) {
      const QString name = QString::fromLatin1(f);
      QVariant value;
      if (!TrimText(ReadText(s, name)).isEmpty()) {
        const QDate d = ReadDate(s, name);
        if (d != ZeroDate()) value = d;
      }
      set(f, value);
    }
    set("TAL_NUM", NullIfEmpty(ReadText(s, QStringLiteral("TAL_NUM"))));
  }
}

void CaseLoader::Impl::LoadSheet(const DbfRow& m, int idIll, int repn) {
  const QVariant oms = ProfileOms(ReadInteger(m, QStringLiteral("PROFILE")));

  FbStatement& q = mtl;
  auto set = [&q](const char* column, const QVariant& value) {
    q.Set(MtlParam(QString::fromLatin1(column)), value);
  };
  q.Clear();
  set("ID_ILL", idIll);
  set("REPN", repn);
  for (const char* f :
       {"NOM_MTL", "OPLAT", "OTDELENIE", "PROFILE", "STAN_OBSL", "STAN_LECEN", "RES_LECHEN",
        "ISHOD_LECE", "KURACIA", "EXTREN", "INTENSIV", "INTERRUPT", "DS_ONK"})
    set(f, ReadStored(m, QString::fromLatin1(f)));
  set("PR_OMS", oms.isValid() && !oms.isNull() ? oms.toInt() : 0);
  set("STAC_DIAG", NormalisedDiagnosis(ReadText(m, QStringLiteral("STAC_DIAG"))));
  const QString kodMes = ReadText(m, QStringLiteral("KOD_MES"));
  const QString kodMesTrimmed = TrimText(kodMes);
  set("KOD_MES", kodMesTrimmed.isEmpty()        ? QString()
                 : in.Pass == Population::Local ? kodMesTrimmed
                                                : kodMes);
  set("KASH_MES", ReadInteger(m, QStringLiteral("KACH_MES")));
  const qlonglong reanim = ReadInteger(m, QStringLiteral("REANIM"));
  set("REANIM", reanim);
  set("KOD_MES_IT", reanim != 0 ? QString::number(reanim) : QString());
  const QDate start = ReadDate(m, QStringLiteral("START"));
  const QDate end = ReadDate(m, QStringLiteral("END"));
  set("STARTD", start);
  set("FINISH", end);
  set("DREANIM", NormalisedDiagnosis(ReadText(m, QStringLiteral("DREANIM"))));
  for (const char* f : {"DETECT", "VR_SPEC", "VR_FIO"}) set(f, ReadText(m, QString::fromLatin1(f)));
  set("CRITERIES", ReadText(m, QStringLiteral("CRITERIES")));
  set("VIDMTL", mtlHasVidmtl ? ReadInteger(m, QStringLiteral("VIDMTL")) : 0);
  set("KDGUZO", CountBedDays(in.StacType, start.startOfDay(), end.startOfDay(), in.Lpu, calendar));
  set("URMES", StandardLevel(m));
  set("APPEND", ReadInteger(m, QStringLiteral("APPEND")));
  set("APP_KD", ReadInteger(m, QStringLiteral("APP_KD")));

  // Accompanying diseases and complications, each also a DIAGS row of the
  // sheet (written once the sheet has its ID).
  struct Diagnosis {
    QString diag;
    QVariant mes, level;
    int status;
  };
  std::vector<Diagnosis> diagnoses;
  for (int i = 1; i <= 3; ++i) {
    const QString n = QString::number(i);
    const QString accomp = TrimText(ReadText(m, QStringLiteral("ACCOMP") + n));
    if (!accomp.isEmpty()) {
      const QString mes = TrimText(ReadText(m, QStringLiteral("MES_ACC") + n));
      const QVariant level = ReadStored(m, QStringLiteral("ACCOMP_L") + n);
      diagnoses.push_back({accomp.toUpper(), NullIfEmpty(mes), level, 23});
      q.Set(QStringLiteral("p_ACCOMP") + n, accomp.toUpper());
      q.Set(QStringLiteral("p_MES_ACC") + n, mes.toUpper());
      q.Set(QStringLiteral("p_ACCOMP_L") + n, level);
    }
    const QString comp = TrimText(ReadText(m, QStringLiteral("COMP") + n));
    if (!comp.isEmpty()) {
      diagnoses.push_back({comp.toUpper(), QVariant(), QVariant(), 22});
      q.Set(QStringLiteral("p_COMP") + n, comp.toUpper());
    }
  }

  const qlonglong oplat = ReadInteger(m, QStringLiteral("OPLAT"));
  QVariant vmpMet = in.Pass == Population::Local ? QVariant(0) : QVariant();
  if (oplat == 6) {
    try {
      vmpMet = ReadInteger(m, QStringLiteral("VMP_MET"));
    } catch (const DbfFieldError&) {
    }
  }
  set("VMP_MET", vmpMet);
  const int kind = KindOfCare(m, in.StacType);
  set("VID_POM", kind);
  if (kind == 5 && oplat != 7) set("OPLAT", 7);
  set("C_ZAB", ReadStored(m, QStringLiteral("CHARACTER")));
  // The result as the export reads it, which the registry's conversion
  // would otherwise copy into every sheet again (SP_CONV_DBFTOXML).
  set("RSLT", ReadStored(m, QStringLiteral("RES_LECHEN")));
  q.Exec();
  const int id = q.Value(QStringLiteral("ID")).toInt();
  for (const Diagnosis& d : diagnoses) {
    diags.Clear();
    diags.Set(QStringLiteral("mid"), id);
    diags.Set(QStringLiteral("diag"), d.diag);
    diags.Set(QStringLiteral("mes"), d.mes);
    diags.Set(QStringLiteral("vr_act"), d.level);
    diags.Set(QStringLiteral("status"), d.status);
    diags.Exec();
  }
}

void CaseLoader::Impl::LoadPlaceholderSheet(int idIll, int repn) {
  FbStatement& q = placeholder;
  auto set = [&q](const char* column, const QVariant& value) {
    q.Set(MtlParam(QString::fromLatin1(column)), value);
  };
  q.Clear();
  set("ID_ILL", idIll);
  set("REPN", repn);
  for (const char* f :
       {"NOM_MTL",   "OPLAT",     "OTDELENIE",  "PROFILE",   "ACCOMP_L1",  "ACCOMP_L2",
        "ACCOMP_L3", "STAN_OBSL", "STAN_LECEN", "KASH_MES",  "RES_LECHEN", "ISHOD_LECE",
        "KURACIA",   "EXTREN",    "INTENSIV",   "INTERRUPT", "REANIM",     "KDGUZO",
        "URMES",     "APPEND",    "APP_KD",     "RSLT"})
    set(f, 0);
  for (const char* f :
       {"STAC_DIAG", "KOD_MES", "ACCOMP1", "ACCOMP2", "ACCOMP3", "MES_ACC1", "MES_ACC2", "MES_ACC3",
        "KOD_MES_IT", "COMP1", "COMP2", "COMP3", "DREANIM", "DETECT", "VR_SPEC", "VR_FIO"})
    set(f, QString());
  set("STARTD", ZeroDate());
  set("FINISH", ZeroDate());
  set("VIDMTL", mtlHasVidmtl ? -1 : 0);
  q.Exec();
}

void CaseLoader::Impl::LoadSheets(const DbfRow&, double key, int idIll, int repn) {
  const std::vector<DbfRow> sheets = mtlTable.RowsOf(key);
  if (sheets.empty()) LoadPlaceholderSheet(idIll, repn);
  for (const DbfRow& m : sheets) LoadSheet(m, idIll, repn);
}

void CaseLoader::Impl::LoadOperations(double key, int idIll, int repn) {
  for (const DbfRow& o : operatTable.RowsOf(key)) {
    FbStatement& q = operat;
    q.Clear();
    q.Set(QStringLiteral("p_ID_ILL"), idIll);
    q.Set(QStringLiteral("p_REPN"), repn);
    q.Set(QStringLiteral("p_OPER"), ReadInteger(o, QStringLiteral("OPERATION")));
    q.Set(QStringLiteral("p_COMPLIC"), ReadText(o, QStringLiteral("COMPLIC")));
    q.Set(QStringLiteral("p_ANAESTHES"), ReadInteger(o, QStringLiteral("ANAESTHES")));
    q.Set(QStringLiteral("p_DATE_OPER"), ReadDate(o, QStringLiteral("DATA_OPER")));
    q.Set(QStringLiteral("p_TIME_OPER"), ReadText(o, QStringLiteral("TIME_OPER")));
    for (const char* f : {"APP_ENDOK", "APP_LASER", "APP_KRIOG"})
      q.Set(QStringLiteral("p_") + QString::fromLatin1(f), ReadInteger(o, QString::fromLatin1(f)));
    q.Set(QStringLiteral("p_FIO"), ReadText(o, QStringLiteral("FIO")));
    const QString uslug = ReadText(o, QStringLiteral("USLUG"));
    q.Set(QStringLiteral("p_USLUG"), in.Pass == Population::Local ? uslug : LatinLookAlikes(uslug));
    q.Exec();
  }
}

void CaseLoader::Impl::LoadParentsAndServices(double key, int idIll, int repn) {
  if (parentsTable.Present() && in.PeriodStart >= kParentsFrom) {
    for (const DbfRow& p : parentsTable.RowsOf(key)) {
      parents.Clear();
      parents.Set(QStringLiteral("id_ill"), idIll);
      parents.Set(QStringLiteral("repn"), repn);
      for (const char* f : {"FAMILY", "NAME", "FATHER", "SERIA"})
        parents.Set(QString::fromLatin1(f),
                    TrimText(ReadText(p, QString::fromLatin1(f))).toUpper());
      parents.Set(QStringLiteral("dr"), ReadDate(p, QStringLiteral("DR")));
      for (const char* f : {"NUMBER", "DOC_S", "DOC_N", "ADR", "OBL"})
        parents.Set(QString::fromLatin1(f), ReadText(p, QString::fromLatin1(f)));
      parents.Exec();
    }
  }
  if (mtlUslTable.Present() && in.PeriodStart >= kServicesFrom) {
    for (const DbfRow& u : mtlUslTable.RowsOf(key)) {
      mtlusl.Clear();
      mtlusl.Set(QStringLiteral("p_ID_ILL"), idIll);
      mtlusl.Set(QStringLiteral("p_REPN"), repn);
      mtlusl.Set(QStringLiteral("p_NOM_MTL"), ReadInteger(u, QStringLiteral("NOM_MTL")));
      mtlusl.Set(QStringLiteral("p_DOKAZ"), ReadDate(u, QStringLiteral("DOKAZ")));
      mtlusl.Set(QStringLiteral("p_USLUG"), ReadText(u, QStringLiteral("USLUG")));
      mtlusl.Set(QStringLiteral("p_KOLVO"), ReadInteger(u, QStringLiteral("KOLVO")));
      QVariant stage;
      try {
        stage = ReadInteger(u, QStringLiteral("STAGE"));
      } catch (const DbfFieldError&) {
      }
      mtlusl.Set(QStringLiteral("p_STAGE"), stage);
      mtlusl.Exec();
    }
  }
}

CaseLoader::CaseLoader(FbDatabase& db, FbTransaction& tr, const CaseLoadingInputs& in)
    : impl_(std::make_unique<Impl>(db, tr, in)) {}

CaseLoader::~CaseLoader() = default;

int CaseLoader::LoadCase(const DbfRow& s, int repn, bool& badDocument, const CaseNote& note) {
  Impl& d = *impl_;
  const double key = KeyOf(ReadStored(s, QStringLiteral("ID")));
  badDocument = BreaksDocumentRule(s, d.in.Pass);
  d.SetStacion(s, repn, note);
  d.stacion.Exec();
  const int idIll = d.stacion.Value(QStringLiteral("ID_ILL")).toInt();
  d.LoadSheets(s, key, idIll, repn);
  d.LoadOperations(key, idIll, repn);
  d.oncology.LoadCase(static_cast<double>(ReadInteger(s, QStringLiteral("ID"))), idIll, repn);
  d.LoadParentsAndServices(key, idIll, repn);
  return idIll;
}

}  // namespace kelmo
