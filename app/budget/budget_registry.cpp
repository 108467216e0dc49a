// The budget registry's files, structure and doubles (before loading), the
// institution's workbooks, and the run context's helpers.
#include <QDir>
#include <QFileInfo>

#include "budget_context.h"
#include "domain/common.h"
#include "domain/institution_fixes.h"
#include "domain/run_user.h"
#include "filenames/file_lookup.h"
#include "firebird/fb_query.h"
#include "oem_text.h"
#include "reception/doubles_overlaps.h"
#include "reception/institution_workbooks.h"
#include "reception/licence_expiry.h"
#include "reception/registry_dbf_set.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

namespace kelmo {

std::unique_ptr<dbfsql::TXtQuery> BudgetContext::DbfQuery(const QStringList& lines) const {
  auto q = std::make_unique<dbfsql::TXtQuery>();
  q->SetDatabaseName(In.RegistryFolder);
  q->SetSQL(lines);
  return q;
}

QString BudgetContext::FindFile(const QString& name) const {
  return FindFileNoCase(In.RegistryFolder, name);
}

QString BudgetContext::FindWorkbook(const QString& xlsName) const {
  return FindInstitutionWorkbook(In.RegistryFolder, xlsName);
}

void BudgetContext::BeginPhase(const QString& caption, int count) const {
  Svc.User.BeginPhase(caption, count);
}

void BudgetContext::Step() const {
  Svc.User.StepRecord();
}

QStringList BudgetContext::StayConditions(bool withFatherAndBirth) {
  QStringList lines{QStringLiteral("  (s.tip_stac=:tip_stac) and ")};
  QStringList fields{QStringLiteral("family"), QStringLiteral("name")};
  if (withFatherAndBirth) fields << QStringLiteral("father");
  fields << QStringLiteral("pol");
  if (withFatherAndBirth) fields << QStringLiteral("dr");
  fields << QStringList{QStringLiteral("obl"),      QStringLiteral("nomib"),
                        QStringLiteral("socium"),   QStringLiteral("in_stac"),
                        QStringLiteral("out_stac"), QStringLiteral("dz"),
                        QStringLiteral("pol_obl"),  QStringLiteral("num_karta")};
  for (const QString& f : fields) lines << QStringLiteral("  (s.%1 is not null) and").arg(f);
  lines << QStringLiteral("  (((s.out_stac>=:ps) and (s.out_stac<=:pp) and (s.res_lecen<>6)) or")
        << QStringLiteral("  ((s.dz>=:ps) and (s.dz<=:pp) and (s.res_lecen=6))) ");
  return lines;
}

void BudgetContext::SetPeriodParams(dbfsql::TQuery& q) const {
  q.SetParam(QStringLiteral("tip_stac"), In.StacType);
  q.SetParam(QStringLiteral("ps"), In.PeriodStart);
  q.SetParam(QStringLiteral("pp"), In.PeriodEnd);
}

namespace {

QString Text(const QVariant& v) {
  return v.isValid() && !v.isNull() ? v.toString() : QString();
}
QString DateText(const QDate& d) {
  return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString Upper(const QString& s) {
  return s.toUpper();
}

}  // namespace

void CheckLicences(BudgetContext& c) {
  c.St.ProfilesLicensedTwice = false;
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringList{
      QStringLiteral("SELECT P.Name, PL.UR_B, CAST(COUNT(P.name) AS INTEGER) as CN"),
      QStringLiteral("from PASS_LPU pl, PROFIL p"), QStringLiteral("where"),
      QStringLiteral("  (pl.MZ in (2,3)) and"), QStringLiteral("  (pl.PROF_CODE=p.TIP_PROF) and"),
      QStringLiteral("  (pl.LPU_CODE=:lpu) and"), QStringLiteral("  (pl.TIP_STAC=:ts)"),
      QStringLiteral("group by P.Name, PL.UR_B"),
      QStringLiteral("having (CAST(COUNT(P.name) AS INTEGER)>1)")});
  q.setParam(QStringLiteral("lpu"), c.In.Lpu.Id);
  q.setParam(QStringLiteral("ts"), c.In.StacType);
  q.Open();
  if (q.RecordCount() > 0) {
    c.St.ProfilesLicensedTwice = true;
    return;
  }
  const QList<ExpiringLicence> expiring = FindExpiringLicences(
      c.Svc.Db, &c.Svc.Tr, c.In.Lpu.Id, c.In.StacType, c.In.ReceptionDate, PassportKinds{2, 3});
  if (expiring.isEmpty()) return;
  c.Act().WriteLines(ExpiringLicenceActLines(expiring));
  c.Svc.User.Message(ExpiringLicenceCaption(), ExpiringLicenceMessage(expiring),
                     RunMessageIcon::Information);
}

bool CheckFiles(BudgetContext& c) {
  struct Required {
    const char* file;
    const char* line;
  };
  static const Required kFiles[] = {{"mtl.dbf", "Отсутствует файл mtl.dbf."},
                                    {"stacion.dbf", "Отсутствует файл stacion.dbf."},
                                    {"operat.dbf", "Отсутствует файл operat.dbf."},
                                    {"otpusk.dbf", "Отсутствует файл otpusk.dbf."}};
  for (const Required& r : kFiles)
    if (c.FindFile(QString::fromLatin1(r.file)).isEmpty()) {
      c.Act().WriteLine(QString::fromUtf8(r.line));
      c.St.MissingFile = true;
    }
  if (BudgetPricedByServices(c.In.Lpu.Id) && c.FindFile(QStringLiteral("mtlusl.dbf")).isEmpty()) {
    c.Act().WriteLine(QStringLiteral("Отсутствует файл mtlusl.dbf"));
    c.St.MissingFile = true;
  }
  return !c.St.MissingFile;
}

void ReadRegisterVersion(BudgetContext& c) {
  const QString name = QStringLiteral("sreestr%1.xls").arg(c.In.StacType);
  const QString path = c.FindWorkbook(name);
  if (path.isEmpty()) {
    c.Act().WriteLine(QStringLiteral("Отсутствует файл ") + name);
    c.St.MissingFile = true;
    c.St.RegisterMissing = true;
    return;
  }
  workbook::Worksheet& sheet = c.Excel->Open(path.toStdString()).ActiveSheet();
  for (int row = 7; row <= 9999 && row <= sheet.LastRow(); ++row) {
    const QString text = QString::fromStdString(sheet.Text(row, 2));
    if (text.contains(QStringLiteral("Версия"))) {
      c.St.RegisterVersion = text;
      break;
    }
  }
  c.Excel->CloseAll();
}

int CheckMtlStructure(BudgetContext& c) {
  const QStringList fields = DbfFieldNames(c.In.RegistryFolder, QStringLiteral("mtl.dbf"));
  if (!MissingFields(fields, {QStringLiteral("REANIM")}).isEmpty()) return 1;
  if (!MissingFields(fields, {QStringLiteral("OPLAT"), QStringLiteral("OTDELENIE")}).isEmpty())
    return 2;
  return 0;
}

bool PaymentKindMissing(BudgetContext& c) {
  QStringList sql{QStringLiteral("Select s.* from stacion.dbf s"), QStringLiteral("Where ")};
  QStringList cond = BudgetContext::StayConditions();
  cond.last() = QStringLiteral("  ((s.dz>=:ps) and (s.dz<=:pp) and (s.res_lecen=6))) and");
  sql << cond
      << QStringList{QStringLiteral("  (id in "), QStringLiteral("     (select id"),
                     QStringLiteral("      from mtl.dbf "),
                     QStringLiteral("      where oplat is null or oplat<1)"),
                     QStringLiteral("   )")};
  auto q = c.DbfQuery(sql);
  c.SetPeriodParams(*q);
  q->Open();
  if (q->IsEmpty()) return false;
  const QString rule = RuleLine(QLatin1Char('-'), 75);
  c.Act().WriteLines(
      {QString(), QStringLiteral("Формирование и прием отчета не возможен, в связи с тем, что"),
       QStringLiteral("не у всех больных заполнен вид оплаты в mtl.dbf."), QString(), rule,
       TableRow({{QStringLiteral("Ист.бол."), 15},
                 {QStringLiteral("Фамилия"), 20},
                 {QStringLiteral("Имя"), 15},
                 {QStringLiteral("Отчество"), 20}})});
  for (q->First(); !q->Eof(); q->Next())
    c.Act().WriteLines(
        {rule, TableRow({{Text(q->FieldByName(QStringLiteral("NOMIB"))) + QLatin1Char('/') +
                              Text(q->FieldByName(QStringLiteral("NUM_KARTA"))),
                          15},
                         {Text(q->FieldByName(QStringLiteral("FAMILY"))), 20},
                         {Text(q->FieldByName(QStringLiteral("NAME"))), 15},
                         {Text(q->FieldByName(QStringLiteral("FATHER"))), 20}})});
  c.Act().WriteLines({rule, QString(), QStringLiteral("Подпись экономиста:")});
  return true;
}

namespace {

void CheckDoubledIds(BudgetContext& c) {
  auto all = c.DbfQuery({QStringLiteral("Select id"), QStringLiteral("from stacion.dbf"),
                         QStringLiteral("order by id")});
  auto distinct =
      c.DbfQuery({QStringLiteral("Select distinct id"), QStringLiteral("from stacion.dbf")});
  all->Open();
  distinct->Open();
  if (distinct->RecordCount() < all->RecordCount()) {
    c.Act().WriteLines({QStringLiteral("В Н И М А Н И Е !"),
                        QStringLiteral("Обнаружены двойные ID."),
                        QStringLiteral("Прием отчета Н Е В О З М О Ж Е Н даже если ошибки будут не "
                                       "найдены и суммы предоставленные ЛПУ и посчитанные в ZEVU "
                                       "сойдутся.")});
    c.St.IntakeAccepted = false;
  }
}

void CheckDoubledNomib(BudgetContext& c) {
  const QStringList where =
      QStringList{QStringLiteral("Where ")} + BudgetContext::StayConditions(true);
  auto all = c.DbfQuery(
      QStringList{QStringLiteral("Select s.nomib, s.num_karta, s.in_stac from stacion.dbf s")} +
      where);
  auto distinct =
      c.DbfQuery(QStringList{QStringLiteral(
                     "Select distinct s.nomib, s.num_karta, s.in_stac from stacion.dbf s")} +
                 where);
  auto groups = c.DbfQuery(
      QStringList{
          QStringLiteral("Select s.nomib,s.num_karta, s.in_stac, CAST(count(*) AS INTEGER) cnt"),
          QStringLiteral("from stacion.dbf s")} +
      where +
      QStringList{QStringLiteral("group by s.nomib,s.num_karta, s.in_stac"),
                  QStringLiteral("having count(*) > 1")});
  for (auto* q : {all.get(), distinct.get(), groups.get()}) {
    c.SetPeriodParams(*q);
    q->Open();
  }
  if (distinct->RecordCount() >= all->RecordCount()) return;
  c.St.IntakeAccepted = false;
  c.Act().WriteLine(
      c.In.Receiving ? QStringLiteral("В Н И М А Н И Е !  Обнаружены записи с одинаковым номером "
                                      "истории болезни. Прием отчета Н Е В О З М О Ж Е Н.")
                     : QStringLiteral("В Н И М А Н И Е !  Обнаружены записи с одинаковым номером "
                                      "истории болезни. Прием отчета будет Н Е В О З М О Ж Е Н."));
  QStringList pairs;
  for (groups->First(); !groups->Eof(); groups->Next())
    pairs << Text(groups->FieldByName(QStringLiteral("nomib"))) + QLatin1Char('/') +
                 Text(groups->FieldByName(QStringLiteral("num_karta")));
  c.Act().WriteLine(QStringLiteral("Номера историй болезни: ") + pairs.join(QStringLiteral(", ")) +
                    QLatin1Char('.'));
}

const QStringList kStrictPeriod = {
    QStringLiteral("where  "),
    QStringLiteral("  (((out_stac>:ps) and (out_stac<:pp) and (res_lecen<>6)) or"),
    QStringLiteral("  ((dz>:ps) and (dz<:pp) and (res_lecen=6)))")};

// ListDuplicateStays: rows of one patient and stay recorded twice.
void ListDuplicateStays(BudgetContext& c) {
  auto all = c.DbfQuery(
      QStringList{QStringLiteral("select NOMIB, NUM_KARTA, ID, FAMILY, NAME, FATHER, DOKUMENT, "
                                 "SERIA, NUMBER, IN_STAC, OUT_STAC, TIP_STAC"),
                  QStringLiteral("from Stacion.dbf")} +
      kStrictPeriod);
  auto distinct = c.DbfQuery(
      QStringList{QStringLiteral("select distinct NUM_KARTA, FAMILY, NAME, FATHER, DOKUMENT, "
                                 "SERIA, NUMBER, IN_STAC, OUT_STAC"),
                  QStringLiteral("from Stacion.dbf")} +
      kStrictPeriod);
  for (auto* q : {all.get(), distinct.get()}) {
    q->SetParam(QStringLiteral("ps"), c.In.PeriodStart);
    q->SetParam(QStringLiteral("pp"), c.In.PeriodEnd);
    q->Open();
  }
  bool listed = false;
  if (all->RecordCount() != distinct->RecordCount()) {
    struct Entry {
      QString family, name, father, seria, number, in, out;
      int dokument = 0;
      int count = 0;
      bool ofType = false;
    };
    std::vector<Entry> entries;
    for (distinct->First(); !distinct->Eof(); distinct->Next()) {
      if (TrimText(Text(distinct->FieldByName(QStringLiteral("FAMILY")))).isEmpty()) continue;
      entries.push_back({Text(distinct->FieldByName(QStringLiteral("FAMILY"))),
                         Text(distinct->FieldByName(QStringLiteral("NAME"))),
                         Text(distinct->FieldByName(QStringLiteral("FATHER"))),
                         Text(distinct->FieldByName(QStringLiteral("SERIA"))),
                         Text(distinct->FieldByName(QStringLiteral("NUMBER"))),
                         DateText(distinct->FieldAsDate(QStringLiteral("IN_STAC"))),
                         DateText(distinct->FieldAsDate(QStringLiteral("OUT_STAC"))),
                         distinct->FieldByName(QStringLiteral("DOKUMENT")).toInt()});
    }
    for (all->First(); !all->Eof(); all->Next()) {
      const QString family = Upper(Text(all->FieldByName(QStringLiteral("FAMILY"))));
      const QString name = Upper(Text(all->FieldByName(QStringLiteral("NAME"))));
      const QString father = Upper(Text(all->FieldByName(QStringLiteral("FATHER"))));
      const QString seria = Upper(Text(all->FieldByName(QStringLiteral("SERIA"))));
      const QString number = Upper(Text(all->FieldByName(QStringLiteral("NUMBER"))));
      const int dokument = all->FieldByName(QStringLiteral("DOKUMENT")).toInt();
      const QString in = DateText(all->FieldAsDate(QStringLiteral("IN_STAC")));
      const QString out = DateText(all->FieldAsDate(QStringLiteral("OUT_STAC")));
      for (Entry& e : entries) {
        if (Upper(e.family) != family || Upper(e.name) != name || Upper(e.father) != father ||
            Upper(e.seria) != seria || Upper(e.number) != number || e.dokument != dokument ||
            e.in != in || e.out != out)
          continue;
        ++e.count;
        if (all->FieldByName(QStringLiteral("TIP_STAC")).toInt() == c.In.StacType) e.ofType = true;
        break;
      }
    }
    const QString rule = RuleLine(QLatin1Char('-'), 109);
    for (const Entry& e : entries) {
      if (e.count <= 1 || !e.ofType) continue;
      if (!listed) {
        c.Act().WriteLine(QStringLiteral("Обнаружены двойные записи в базе:"));
        c.St.IntakeAccepted = false;
        c.Act().WriteLines({rule,
                            TableRow({{QStringLiteral("Фамилия"), 20},
                                      {QStringLiteral("Имя"), 15},
                                      {QStringLiteral("Отчество"), 15},
                                      {QStringLiteral("Вид документа"), 15},
                                      {QStringLiteral("Серия"), 5},
                                      {QStringLiteral("Номер док."), 10},
                                      {QStringLiteral("Дата пост."), 10},
                                      {QStringLiteral("Дата вып."), 10}}),
                            rule});
        listed = true;
      }
      c.Act().WriteLine(TableRow({{e.family, 20},
                                  {e.name, 15},
                                  {e.father, 15},
                                  {QString::number(e.dokument), 15},
                                  {e.seria, 5},
                                  {e.number, 10},
                                  {e.in, 10},
                                  {e.out, 10}}));
    }
    if (listed) c.Act().WriteLine(rule);
  }
  if (!listed) c.Act().WriteLine(QStringLiteral("Двойных записей в базе не обнаружено."));
}

// ListOverlappingStays: stays of one patient whose dates overlap, listed
// when one of them has the chosen in-patient type; names in page 866 are
// shown converted.
void ListOverlappingStays(BudgetContext& c) {
  auto q = c.DbfQuery(
      QStringList{QStringLiteral("select NOMIB, NUM_KARTA, FAMILY, NAME, FATHER, DR, TIP_STAC, "
                                 "IN_STAC, OUT_STAC"),
                  QStringLiteral("from Stacion.dbf")} +
      kStrictPeriod +
      QStringList{QStringLiteral("order by family, name, father, dr, in_stac, out_stac")});
  q->SetParam(QStringLiteral("ps"), c.In.PeriodStart);
  q->SetParam(QStringLiteral("pp"), c.In.PeriodEnd);
  q->Open();
  std::vector<OverlapStay> ordered;
  for (q->First(); !q->Eof(); q->Next()) {
    OverlapStay s;
    s.Nomib = Text(q->FieldByName(QStringLiteral("NOMIB"))) + QLatin1Char('/') +
              Text(q->FieldByName(QStringLiteral("NUM_KARTA")));
    s.Family = Text(q->FieldByName(QStringLiteral("FAMILY")));
    s.Name = Text(q->FieldByName(QStringLiteral("NAME")));
    s.Father = Text(q->FieldByName(QStringLiteral("FATHER")));
    s.Dr = DateText(q->FieldAsDate(QStringLiteral("DR")));
    s.TipStac = q->FieldByName(QStringLiteral("TIP_STAC")).toInt();
    s.InStac = q->FieldAsDate(QStringLiteral("IN_STAC"));
    s.OutStac = q->FieldAsDate(QStringLiteral("OUT_STAC"));
    ordered.push_back(std::move(s));
  }
  std::vector<OverlapStay> list = CollectOverlappingStays(ordered);
  if (!MarkOverlapGroups(list, c.In.StacType)) {
    c.Act().WriteLine(
        QStringLiteral("В базе не обнаружено случаев госпитализации с перекрытием "
                       "сроков по выбранному типу стационара."));
    return;
  }
  c.Act().WriteLine(
      QStringLiteral("В базе обнаружены случаи госпитализации с перекрытием сроков лечения:"));
  c.St.IntakeAccepted = false;
  const QString rule = RuleLine(QLatin1Char('-'), 107);
  c.Act().WriteLines({rule, TableRow({{QStringLiteral("Ист.бол."), 15},
                                      {QStringLiteral("Фамилия"), 20},
                                      {QStringLiteral("Имя"), 15},
                                      {QStringLiteral("Отчество"), 15},
                                      {QStringLiteral("Дата рожд."), 10},
                                      {QStringLiteral("ТС"), 3},
                                      {QStringLiteral("Дата пост."), 10},
                                      {QStringLiteral("Дата вып."), 10}})});
  for (const OverlapStay& s : list) {
    if (!s.Marked) continue;
    c.Act().WriteLines({rule, TableRow({{s.Nomib, 15},
                                        {OemToAnsiIfNeeded(s.Family), 20},
                                        {OemToAnsiIfNeeded(s.Name), 15},
                                        {OemToAnsiIfNeeded(s.Father), 15},
                                        {s.Dr, 10},
                                        {QString::number(s.TipStac), 3},
                                        {DateText(s.InStac), 10},
                                        {DateText(s.OutStac), 10}})});
  }
  c.Act().WriteLine(rule);
}

}  // namespace

void CheckDoubles(BudgetContext& c) {
  CheckDoubledIds(c);
  CheckDoubledNomib(c);
  ListDuplicateStays(c);
  ListOverlappingStays(c);
}

int CountPeriodStays(BudgetContext& c) {
  auto q = c.DbfQuery(
      QStringList{QStringLiteral("Select s.* from stacion.dbf s"), QStringLiteral("Where ")} +
      BudgetContext::StayConditions());
  c.SetPeriodParams(*q);
  q->Open();
  return q->RecordCount();
}

int CountBudgetSheets(BudgetContext& c) {
  auto q =
      c.DbfQuery(QStringList{QStringLiteral("select *"), QStringLiteral("from mtl.dbf"),
                             QStringLiteral("where id in"), QStringLiteral(" (Select id"),
                             QStringLiteral("  from stacion.dbf s"), QStringLiteral("Where ")} +
                 BudgetContext::StayConditions() + QStringList{QStringLiteral(")  and oplat=2")});
  c.SetPeriodParams(*q);
  q->Open();
  return q->RecordCount();
}

int CheckInstitutionWorkbooks(BudgetContext& c) {
  const int n = c.In.StacType;
  const QString sfakt = QStringLiteral("sfakt%1.xls").arg(n);
  const QString sreestr = QStringLiteral("sreestr%1.xls").arg(n);
  const QString profils = QStringLiteral("profils%1.xls").arg(n);
  bool missing = false;
  for (const QString& name : {sfakt, sreestr})
    if (c.FindWorkbook(name).isEmpty()) {
      c.Act().WriteLine(QStringLiteral("Отсутствует файл ") + name);
      missing = true;
    }
  if (c.FindWorkbook(profils).isEmpty())
    c.Act().WriteLine(QStringLiteral("Отсутствует файл ") + profils);
  if (missing) {
    c.St.MissingFile = true;
    return 1;
  }
  workbook::Worksheet& sheet = c.Excel->Open(c.FindWorkbook(sfakt).toStdString()).ActiveSheet();
  const QString head = TrimText(QString::fromStdString(sheet.Text(17, 1))).toUpper();
  const QString days = TrimText(QString::fromStdString(sheet.Text(17, 3)));
  const QString sum = TrimText(QString::fromStdString(sheet.Text(17, 9)));
  bool daysOk = false, sumOk = false;
  const int bedDays = days.toInt(&daysOk);
  const double amount = QString(sum).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&sumOk);
  c.Excel->CloseAll();
  // A total that is not a number is as malformed as a missing one.
  if (!head.contains(QStringLiteral("ВСЕГО")) || days.isEmpty() || sum.isEmpty() || !daysOk ||
      !sumOk)
    return 2;
  c.St.LpuInvoiceBedDays = bedDays;
  c.St.LpuInvoiceUnits = static_cast<std::int64_t>(std::llround(amount * 10000));
  return 0;
}

}  // namespace kelmo
