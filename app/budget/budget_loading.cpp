// The report row and the loading of the period's stays with their treatment
// sheets, leaves, services and operations into the registry database.
#include <QHash>
#include <vector>

#include "budget_context.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "reception/registry_dbf_set.h"
#include "system/workstation.h"

namespace kelmo {

namespace {

using Row = QList<std::pair<QString, QVariant>>;

void Insert(BudgetContext& c, const QString& table, const Row& row) {
  QStringList names, marks;
  for (const auto& [name, value] : row) {
    names << name;
    marks << QStringLiteral(":p_") + name;
  }
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral("insert into %1 (%2) values (%3)")
               .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
  for (const auto& [name, value] : row) q.setParam(QStringLiteral("p_") + name, value);
  q.ExecSQL();
}

// One DBF row as the loading reads it: fields by name, values typed.
class DbfRow {
 public:
  explicit DbfRow(const dbfsql::TQuery& q) {
    for (int i = 0; i < q.FieldCount(); ++i) values_.insert(q.FieldName(i).toUpper(), q.Field(i));
  }
  bool Has(const QString& f) const { return values_.contains(f); }
  QVariant Raw(const QString& f) const {
    const auto it = values_.constFind(f);
    if (it == values_.constEnd())
      throw DbfFieldError(QStringLiteral("Поле '%1' не найдено").arg(f));
    return *it;
  }
  QString Text(const QString& f) const {
    const QVariant v = Raw(f);
    return v.isNull() ? QString() : v.toString();
  }
  qlonglong Int(const QString& f) const {
    const QVariant v = Raw(f);
    if (v.isNull()) return 0;
    bool ok = false;
    const qlonglong n = static_cast<qlonglong>(v.toDouble(&ok));
    if (!ok)
      throw DbfFieldError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return n;
  }
  QVariant Date(const QString& f) const {
    const QVariant v = Raw(f);
    const QDate d = v.isNull() ? QDate() : QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d.isValid() ? QVariant(QDateTime(d, QTime(0, 0))) : QVariant();
  }
  QDateTime DateTime(const QString& f) const { return Date(f).toDateTime(); }
  QVariant Optional(const QString& f, bool date = false, bool integer = false) const {
    if (!Has(f) || Raw(f).isNull()) return QVariant();
    if (date) return Date(f);
    if (integer) return Int(f);
    return Text(f);
  }

 private:
  QHash<QString, QVariant> values_;
};

QString Upper(const QString& s) {
  return s.toUpper();
}

QString Diagnosis(const QString& s) {
  const QString u = s.toUpper();
  return u.size() == 4 && u[3] == QLatin1Char('.') ? u.left(3) : u;
}

QString PaddedLeft(const QString& s, int width) {
  return s.size() >= width ? s.left(width) : QString(width - s.size(), QLatin1Char(' ')) + s;
}

// Every row of a DBF table grouped by its stay key ID, in the table's order.
QHash<qlonglong, std::vector<DbfRow>> RowsById(BudgetContext& c, const QString& table) {
  QHash<qlonglong, std::vector<DbfRow>> rows;
  if (c.FindFile(table).isEmpty()) return rows;
  auto q = c.DbfQuery({QStringLiteral("select * from ") + table});
  q->Open();
  for (q->First(); !q->Eof(); q->Next()) {
    DbfRow r(*q);
    rows[r.Int(QStringLiteral("ID"))].push_back(std::move(r));
  }
  return rows;
}

int NextValue(BudgetContext& c, const QString& procedure, const QString& output) {
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral("select %1 from %2").arg(output, procedure));
  q.Open();
  return q.FieldByName(output).toInt();
}

Row StacionRow(BudgetContext& c, const DbfRow& s, int idIll) {
  const QString polis = TrimText(s.Text(QStringLiteral("POLIS")));
  static const QStringList kNoPolicy = {QStringLiteral("14"), QStringLiteral("1775"),
                                        QStringLiteral("2566"), QStringLiteral("2216")};
  const QDateTime in = s.DateTime(QStringLiteral("IN_STAC"));
  const QDateTime out = s.DateTime(QStringLiteral("OUT_STAC"));
  int kdf = CountBedDays(c.In.StacType, in, out, c.In.Lpu.Id, c.Svc.Calendar);
  if (s.Int(QStringLiteral("ISHOD_LECE")) == 8 && in < out) ++kdf;
  const QString mes = s.Text(QStringLiteral("KOD_MES"));
  Row r{{QStringLiteral("ID_ILL"), idIll},
        {QStringLiteral("REPN"), c.St.ReportNumber},
        {QStringLiteral("FAMILY"), Upper(s.Text(QStringLiteral("FAMILY")))},
        {QStringLiteral("NAME"), Upper(s.Text(QStringLiteral("NAME")))},
        {QStringLiteral("FATHER"), Upper(s.Text(QStringLiteral("FATHER")))},
        {QStringLiteral("POL"), s.Int(QStringLiteral("POL"))},
        {QStringLiteral("DR"), s.Date(QStringLiteral("DR"))},
        {QStringLiteral("RESP"), s.Text(QStringLiteral("RESP"))},
        {QStringLiteral("OBL"), s.Int(QStringLiteral("OBL"))}};
  for (const char* f : {"RAION", "PUNCT", "STRIT", "COURP"})
    r.append({QString::fromLatin1(f), Upper(s.Text(QString::fromLatin1(f)))});
  r.append({{QStringLiteral("HOUSE"), s.Text(QStringLiteral("HOUSE"))},
            {QStringLiteral("FLAT"), s.Text(QStringLiteral("FLAT"))},
            {QStringLiteral("G_S"), s.Int(QStringLiteral("G_S"))},
            {QStringLiteral("NOMIB"), s.Text(QStringLiteral("NOMIB"))},
            {QStringLiteral("DOKUMENT"), s.Int(QStringLiteral("DOKUMENT"))},
            {QStringLiteral("D_SERIA"), Upper(s.Text(QStringLiteral("D_SERIA")))},
            {QStringLiteral("D_NOMBER"), s.Text(QStringLiteral("D_NOMBER"))},
            {QStringLiteral("SERIA"),
             PaddedLeft(TrimText(s.Text(QStringLiteral("SERIA"))).toUpper(), 9)},
            {QStringLiteral("NUMBER"),
             PaddedLeft(TrimText(s.Text(QStringLiteral("NUMBER"))).left(16), 16)},
            {QStringLiteral("POLIS"), !polis.isEmpty() && !kNoPolicy.contains(polis)
                                          ? s.Text(QStringLiteral("POLIS"))
                                          : QStringLiteral("0")},
            {QStringLiteral("POL_OBL"), s.Text(QStringLiteral("POL_OBL"))},
            {QStringLiteral("SOCIUM"), s.Text(QStringLiteral("SOCIUM"))},
            {QStringLiteral("KATEGOR"), s.Int(QStringLiteral("KATEGOR"))},
            {QStringLiteral("OTDELENIE"), s.Int(QStringLiteral("OTDELENIE"))},
            {QStringLiteral("IN_STAC"), s.Date(QStringLiteral("IN_STAC"))},
            {QStringLiteral("OUT_STAC"), s.Date(QStringLiteral("OUT_STAC"))},
            {QStringLiteral("NAPR_DIAG"), Diagnosis(s.Text(QStringLiteral("NAPR_DIAG")))},
            {QStringLiteral("PROF_DIAG"), Diagnosis(s.Text(QStringLiteral("PROF_DIAG")))},
            {QStringLiteral("STAC_DIAGS"), Diagnosis(s.Text(QStringLiteral("STAC_DIAG")))},
            {QStringLiteral("KOD_MESS"), mes.isEmpty() ? 0 : s.Int(QStringLiteral("KOD_MES"))},
            {QStringLiteral("FIRST"), s.Int(QStringLiteral("FIRST"))},
            {QStringLiteral("RW_RESULT"), s.Int(QStringLiteral("RW_RESULT"))},
            {QStringLiteral("AIDS_RESULT"), s.Int(QStringLiteral("AIDS_RESUL"))},
            {QStringLiteral("TRAVMA"), s.Int(QStringLiteral("TRAVMA"))}});
  for (const char* f : {"COMP1", "COMP2", "COMP3"})
    r.append({QString::fromLatin1(f), Diagnosis(s.Text(QString::fromLatin1(f)))});
  r.append({{QStringLiteral("BL1_START"), s.Date(QStringLiteral("BL1_START"))},
            {QStringLiteral("BL1_END"), s.Date(QStringLiteral("BL1_END"))}});
  for (const char* f : {"BL1_FIRST", "BL1_POVOD", "BL1_POL", "BL1_VOZR", "NAPRAVLEN"})
    r.append({QString::fromLatin1(f), s.Int(QString::fromLatin1(f))});
  r.append(
      {{QStringLiteral("FIO"), Upper(s.Text(QStringLiteral("FIO")))},
       {QStringLiteral("DZ"), s.Date(QStringLiteral("DZ"))},
       {QStringLiteral("VOZRAST"), AgeInYears(s.DateTime(QStringLiteral("DR")).date(), in.date())},
       {QStringLiteral("SRES_LECHEN"), s.Int(QStringLiteral("RES_LECEN"))},
       {QStringLiteral("SISHOD_LECE"), s.Int(QStringLiteral("ISHOD_LECE"))}});
  for (int i = 1; i <= 3; ++i) {
    r.append(
        {QStringLiteral("ACCOMP%1").arg(i), Diagnosis(s.Text(QStringLiteral("ACCOMP%1").arg(i)))});
    r.append({QStringLiteral("ACCOMP_L%1").arg(i), s.Int(QStringLiteral("ACCOMP_L%1").arg(i))});
  }
  r.append({{QStringLiteral("DISE_TIME"), s.Int(QStringLiteral("DISE_TIME"))},
            {QStringLiteral("IN_STAC_T"), s.Text(QStringLiteral("IN_STAC_T"))},
            {QStringLiteral("OUT_STAC_T"), s.Text(QStringLiteral("OUT_STAC_T"))},
            {QStringLiteral("SOOTVTSTV"), s.Int(QStringLiteral("SOOTVTSTV"))},
            {QStringLiteral("DATA_ZAPOL"), s.Date(QStringLiteral("DATA_ZAPOL"))},
            {QStringLiteral("OPLAT"), s.Int(QStringLiteral("OPLAT"))},
            {QStringLiteral("NUM_KARTA"), s.Int(QStringLiteral("NUM_KARTA"))},
            {QStringLiteral("KDF"), kdf}});
  for (const char* f : {"DATE_CONS", "DATE_N", "DATE_E"})
    r.append({QString::fromLatin1(f), s.Optional(QString::fromLatin1(f), true)});
  for (const char* f : {"CONSENT", "F_PLACEW", "F_OKSM"})
    r.append({QString::fromLatin1(f), s.Optional(QString::fromLatin1(f))});
  for (const char* f : {"F_STREET", "F_NPUNKT", "F_DELEGAT", "F_STATUS", "F_DOCS", "VOV"})
    r.append({QString::fromLatin1(f), s.Optional(QString::fromLatin1(f), false, true)});
  return r;
}

int OmsCodeOf(BudgetContext& c, qlonglong profile) {
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringList{QStringLiteral("select oms"), QStringLiteral("from LST_KOIKI"),
                       QStringLiteral("where tip=:p_Tip")});
  q.setParam(QStringLiteral("p_Tip"), profile);
  q.Open();
  return q.Eof() ? 0 : q.FieldByName(QStringLiteral("OMS")).toInt();
}

Row MtlRow(BudgetContext& c, const DbfRow& m, int idIll, bool hasVidmtl) {
  const qlonglong mes = m.Int(QStringLiteral("KOD_MES"));
  Row r{{QStringLiteral("ID_ILL"), idIll},
        {QStringLiteral("REPN"), c.St.ReportNumber},
        {QStringLiteral("NOM_MTL"), m.Int(QStringLiteral("NOM_MTL"))},
        {QStringLiteral("OPLAT"), m.Int(QStringLiteral("OPLAT"))},
        {QStringLiteral("OTDELENIE"), m.Int(QStringLiteral("OTDELENIE"))},
        {QStringLiteral("PROFILE"), m.Int(QStringLiteral("PROFILE"))},
        {QStringLiteral("PR_OMS"), OmsCodeOf(c, m.Int(QStringLiteral("PROFILE")))},
        {QStringLiteral("STAC_DIAG"), Diagnosis(m.Text(QStringLiteral("STAC_DIAG")))},
        {QStringLiteral("KOD_MES"), QString::number(mes)}};
  for (int i = 1; i <= 3; ++i) {
    r.append(
        {QStringLiteral("ACCOMP%1").arg(i), Diagnosis(m.Text(QStringLiteral("ACCOMP%1").arg(i)))});
    r.append({QStringLiteral("MES_ACC%1").arg(i),
              QString::number(m.Int(QStringLiteral("MES_ACC%1").arg(i)))});
    r.append({QStringLiteral("ACCOMP_L%1").arg(i), m.Raw(QStringLiteral("ACCOMP_L%1").arg(i))});
  }
  for (const char* f : {"STAN_OBSL", "STAN_LECEN", "RES_LECHEN", "ISHOD_LECE", "KURACIA", "EXTREN",
                        "INTENSIV", "INTERRUPT"})
    r.append({QString::fromLatin1(f), m.Raw(QString::fromLatin1(f))});
  const QDateTime start = m.DateTime(QStringLiteral("START"));
  const QDateTime finish = m.DateTime(QStringLiteral("END"));
  r.append({{QStringLiteral("KASH_MES"), m.Int(QStringLiteral("KACH_MES"))},
            {QStringLiteral("KOD_MES_IT"), QString::number(m.Int(QStringLiteral("REANIM")))},
            {QStringLiteral("REANIM"), m.Int(QStringLiteral("REANIM"))},
            {QStringLiteral("STARTD"), m.Date(QStringLiteral("START"))},
            {QStringLiteral("FINISH"), m.Date(QStringLiteral("END"))},
            {QStringLiteral("COMP1"), m.Text(QStringLiteral("COMP1"))},
            {QStringLiteral("COMP2"), m.Text(QStringLiteral("COMP2"))},
            {QStringLiteral("COMP3"), m.Text(QStringLiteral("COMP3"))},
            {QStringLiteral("DREANIM"), Diagnosis(m.Text(QStringLiteral("DREANIM")))},
            {QStringLiteral("DETECT"), m.Text(QStringLiteral("DETECT"))},
            {QStringLiteral("VIDMTL"), hasVidmtl ? m.Int(QStringLiteral("VIDMTL")) : 0},
            {QStringLiteral("KDGUZO"),
             CountBedDays(c.In.StacType, start, finish, c.In.Lpu.Id, c.Svc.Calendar)},
            {QStringLiteral("URMES"), mes / 1000000},
            {QStringLiteral("APPEND"), m.Int(QStringLiteral("APPEND"))},
            {QStringLiteral("APP_KD"), m.Int(QStringLiteral("APP_KD"))},
            {QStringLiteral("VR_SPEC"), m.Text(QStringLiteral("VR_SPEC"))},
            {QStringLiteral("VR_FIO"), m.Text(QStringLiteral("VR_FIO"))}});
  return r;
}

Row PlaceholderMtl(BudgetContext& c, int idIll, bool hasVidmtl) {
  const QDateTime zero(ZeroDate(), QTime(0, 0));
  Row r{{QStringLiteral("ID_ILL"), idIll},        {QStringLiteral("REPN"), c.St.ReportNumber},
        {QStringLiteral("NOM_MTL"), 0},           {QStringLiteral("OPLAT"), 0},
        {QStringLiteral("OTDELENIE"), 0},         {QStringLiteral("PROFILE"), 0},
        {QStringLiteral("STAC_DIAG"), QString()}, {QStringLiteral("KOD_MES"), QStringLiteral("0")}};
  for (int i = 1; i <= 3; ++i)
    r.append({{QStringLiteral("ACCOMP%1").arg(i), QString()},
              {QStringLiteral("MES_ACC%1").arg(i), QStringLiteral("0")},
              {QStringLiteral("ACCOMP_L%1").arg(i), 0}});
  for (const char* f :
       {"STAN_OBSL", "STAN_LECEN", "RES_LECHEN", "ISHOD_LECE", "KURACIA", "EXTREN", "INTENSIV",
        "INTERRUPT", "KASH_MES", "REANIM", "APPEND", "APP_KD", "KDGUZO", "URMES"})
    r.append({QString::fromLatin1(f), 0});
  r.append({{QStringLiteral("KOD_MES_IT"), QStringLiteral("0")},
            {QStringLiteral("STARTD"), zero},
            {QStringLiteral("FINISH"), zero},
            {QStringLiteral("COMP1"), QString()},
            {QStringLiteral("COMP2"), QString()},
            {QStringLiteral("COMP3"), QString()},
            {QStringLiteral("DREANIM"), QString()},
            {QStringLiteral("DETECT"), QString()},
            {QStringLiteral("VIDMTL"), hasVidmtl ? -1 : 0},
            {QStringLiteral("VR_SPEC"), QString()},
            {QStringLiteral("VR_FIO"), QString()}});
  return r;
}

}  // namespace

void CreateReportRow(BudgetContext& c) {
  c.St.ReportNumber = NextValue(c, QStringLiteral("GETREPN"), QStringLiteral("RREPN"));
  const QDate monthStart(c.In.PeriodEnd.year(), c.In.PeriodEnd.month(), 1);
  const QDateTime now = c.Svc.Now ? c.Svc.Now() : QDateTime::currentDateTime();
  Row r{{QStringLiteral("REPN"), c.St.ReportNumber},
        {QStringLiteral("LPU"), c.In.Lpu.Id},
        {QStringLiteral("OPLAT"), 2},
        {QStringLiteral("TIP_STAC"), c.In.StacType},
        {QStringLiteral("INOGOR"), QStringLiteral("0")},
        {QStringLiteral("DATE_BEG"),
         QDateTime(QDate(c.In.PeriodStart.year(), c.In.PeriodStart.month(), 1), QTime(0, 0))},
        {QStringLiteral("DATE_END"), QDateTime(monthStart.addMonths(1).addDays(-1), QTime(0, 0))},
        {QStringLiteral("DATE_PR"), now},
        {QStringLiteral("SEE1"), 0},
        {QStringLiteral("SEE2"), 0},
        {QStringLiteral("SEE3"), 0},
        {QStringLiteral("FILE_OSH"), c.St.ProtocolPath},
        {QStringLiteral("WHO_PRIN"), ComputerName().left(15).toUpper()}};
  if (c.In.Receiving)
    r.append({QStringLiteral("SUM_SF"), static_cast<double>(c.St.LpuInvoiceUnits) / 10000});
  Insert(c, QStringLiteral("REPORTS"), r);
}

void LoadStays(BudgetContext& c) {
  auto stays = c.DbfQuery(
      QStringList{QStringLiteral("Select s.* from stacion.dbf s"), QStringLiteral("Where ")} +
      BudgetContext::StayConditions());
  c.SetPeriodParams(*stays);
  stays->Open();
  const auto sheets = RowsById(c, QStringLiteral("mtl.dbf"));
  const auto leaves = RowsById(c, QStringLiteral("otpusk.dbf"));
  const auto services = RowsById(c, QStringLiteral("mtlusl.dbf"));
  const auto operations = RowsById(c, QStringLiteral("operat.dbf"));
  const bool hasVidmtl = DbfFieldNames(c.In.RegistryFolder, QStringLiteral("mtl.dbf"))
                             .contains(QStringLiteral("VIDMTL"), Qt::CaseInsensitive);
  c.BeginPhase(QStringLiteral("Загрузка данных..."), stays->RecordCount());
  for (stays->First(); !stays->Eof(); stays->Next()) {
    const DbfRow s(*stays);
    const qlonglong id = s.Int(QStringLiteral("ID"));
    const int idIll = NextValue(c, QStringLiteral("GETID_ILL"), QStringLiteral("RID_ILL"));
    Insert(c, QStringLiteral("STACION"), StacionRow(c, s, idIll));
    const auto stayRows = sheets.value(id);
    if (stayRows.empty()) Insert(c, QStringLiteral("MTL"), PlaceholderMtl(c, idIll, hasVidmtl));
    for (const DbfRow& m : stayRows)
      Insert(c, QStringLiteral("MTL"), MtlRow(c, m, idIll, hasVidmtl));
    for (const DbfRow& l : leaves.value(id))
      Insert(c, QStringLiteral("OTPUSK"),
             {{QStringLiteral("ID_ILL"), idIll},
              {QStringLiteral("REPN"), c.St.ReportNumber},
              {QStringLiteral("NOM_MTL"), l.Int(QStringLiteral("NOM_MTL"))},
              {QStringLiteral("NACH"), l.Date(QStringLiteral("NACH"))},
              {QStringLiteral("KON"), l.Date(QStringLiteral("KON"))}});
    for (const DbfRow& u : services.value(id))
      Insert(c, QStringLiteral("MTLUSL"),
             {{QStringLiteral("ID_ILL"), idIll},
              {QStringLiteral("REPN"), c.St.ReportNumber},
              {QStringLiteral("NOM_MTL"), u.Int(QStringLiteral("NOM_MTL"))},
              {QStringLiteral("DOKAZ"), u.Date(QStringLiteral("DOKAZ"))},
              {QStringLiteral("USLUG"), u.Text(QStringLiteral("USLUG"))},
              {QStringLiteral("KOLVO"), u.Int(QStringLiteral("KOLVO"))}});
    for (const DbfRow& o : operations.value(id))
      Insert(c, QStringLiteral("OPERAT"),
             {{QStringLiteral("ID_ILL"), idIll},
              {QStringLiteral("REPN"), c.St.ReportNumber},
              {QStringLiteral("OPER"), o.Int(QStringLiteral("OPERATION"))},
              {QStringLiteral("COMPLIC"), o.Text(QStringLiteral("COMPLIC"))},
              {QStringLiteral("ANAESTHES"), o.Int(QStringLiteral("ANAESTHES"))},
              {QStringLiteral("DATE_OPER"), o.Date(QStringLiteral("DATA_OPER"))},
              {QStringLiteral("TIME_OPER"), o.Text(QStringLiteral("TIME_OPER"))},
              {QStringLiteral("APP_ENDOK"), o.Int(QStringLiteral("APP_ENDOK"))},
              {QStringLiteral("APP_LASER"), o.Int(QStringLiteral("APP_LASER"))},
              {QStringLiteral("APP_KRIOG"), o.Int(QStringLiteral("APP_KRIOG"))},
              {QStringLiteral("FIO"), o.Text(QStringLiteral("FIO"))}});
    c.Step();
  }
  c.Svc.Tr.Commit();
}

}  // namespace kelmo
