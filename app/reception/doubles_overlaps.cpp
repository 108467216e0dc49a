// Doubled records and overlapping stays: the two checks of stacion.dbf and
// the two checks of one case against the registry database.
#include "doubles_overlaps.h"

#include "dbfsql/dbf_query.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "reception_checks.h"

namespace kelmo {

namespace {

QString Cell(const QString& text, int width) {
  return text.size() >= width ? text : QString(width - text.size(), QLatin1Char(' ')) + text;
}

QString Row(std::initializer_list<std::pair<QString, int>> cells) {
  QString line = QStringLiteral("|");
  for (const auto& [text, width] : cells) line += Cell(text, width) + QLatin1Char('|');
  return line;
}

QString Rule(int length) {
  return QString(length, QLatin1Char('-'));
}

QString DateText(const QDate& date) {
  return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString FieldText(const dbfsql::TQuery& q, const QString& name) {
  return q.FieldByName(name).toString();
}

// The period condition of the doubled-record statement: both bounds count.
const QStringList kDoublesSql = {
    QStringLiteral("select FAMILY, NAME, FATHER, DR, IN_STAC, OUT_STAC,"),
    QStringLiteral("  CAST(count(*) AS INTEGER) cnt"),
    QStringLiteral("from Stacion.dbf"),
    QStringLiteral("where (((out_stac>=:dPS) and (out_stac<=:dPP) and (res_lecen<>6)) or"),
    QStringLiteral("  ((dz>=:dPS) and (dz<=:dPP) and (res_lecen=6)))"),
    QStringLiteral("group by FAMILY,NAME,FATHER,DR,IN_STAC,OUT_STAC"),
    QStringLiteral("having CAST(count(*) AS INTEGER)>1"),
};

// Strict bounds here: a stay that ends on the period's first or last day is
// not taken.
const QStringList kPeriodStaysSql = {
    QStringLiteral("select NOMIB, FAMILY, NAME, FATHER, DR, TIP_STAC, IN_STAC, OUT_STAC"),
    QStringLiteral("from Stacion.dbf"),
    QStringLiteral("where (((out_stac>:ps) and (out_stac<:pp) and (res_lecen<>6)) or"),
    QStringLiteral("  ((dz>:ps) and (dz<:pp) and (res_lecen=6)))"),
    QStringLiteral("order by family, name, father, dr, in_stac, out_stac"),
};

const QStringList kOverlapWithDatabaseSql = {
    QStringLiteral("select s.nomib, r.tip_stac, r.oplat, r.repn from stacion s"),
    QStringLiteral("join mtl m on m.id_ill=s.id_ill"),
    QStringLiteral("join reports r on r.repn=s.repn"),
    QStringLiteral("where s.family=:family and s.name=:name and s.father=:father and s.dr=:dr"),
    QStringLiteral("and ((s.in_stac between :in_stac and :out_stac) or (s.out_stac between "
                   ":in_stac and :out_stac))"),
    QStringLiteral("and (s.in_stac<>:out_stac and s.out_stac<>:in_stac) and s.id_ill<>:id_ill "
                   "and s.sum_mek is null and"),
    QStringLiteral("((r.repn in (select r1.repn from reports r1 where r1.date_beg=r.date_beg and "
                   "r1.see1=1 and r1.see2=1"),
    // Another institution or type than the checked case's own report: set
    // against the other stay's report itself, as r, the condition could
    // never hold and accepted reports would never count.
    QStringLiteral("and exists (select 1 from stacion s0 join reports r0 on r0.repn=s0.repn "
                   "where s0.id_ill=:id_ill and r0.date_beg=r1.date_beg and "
                   "(r1.lpu<>r0.lpu or r1.tip_stac<>r0.tip_stac))) ) or (r.repn in"),
};

// The paid-earlier statement up to its report list. An operation counts as
// priced when its service has a price for the report's type (5: any day
// hospital) on the date.
const QStringList kPaidEarlierSql = {
    QStringLiteral("select r.tip_stac, r.oplat, r.repn, CAST(count(distinct uc.id) AS INTEGER) "
                   "u_cnt, CAST(count(distinct uc1.id) AS INTEGER) u_cnt1 from stacion s"),
    QStringLiteral("join mtl m on m.id_ill=s.id_ill"),
    QStringLiteral("join reports r on r.repn=s.repn"),
    QStringLiteral("left join operat o1 on o1.id_ill=:id_ill and o1.nom_mtl=:nom_mtl"),
    QStringLiteral("left join usl_cost uc1 on uc1.uslug=o1.uslug and (uc1.ts=r.tip_stac or "
                   "(uc1.ts=5 and r.tip_stac<>1)) and uc1.dbeg<=o1.date_oper and "
                   "(uc1.dend>=o1.date_oper or uc1.dend is null)"),
    QStringLiteral("left join operat o on o.id_ill=m.id_ill and o.nom_mtl=m.nom_mtl"),
    QStringLiteral("left join usl_cost uc on uc.uslug=o.uslug and (uc.ts=r.tip_stac or (uc.ts=5 "
                   "and r.tip_stac<>1)) and uc.dbeg<=s.out_stac and (uc.dend>=s.out_stac or "
                   "uc.dend is null)"),
    QStringLiteral("where s.family=:family and s.name=:name and s.father=:father and s.dr=:dr"),
    QStringLiteral("and s.in_stac=:in_stac and s.out_stac=:out_stac and s.id_ill<>:id_ill and "
                   "s.sum_mek is null and"),
    QStringLiteral("(trim(m.stac_diag) <> 'N18.5')  and"),
    QStringLiteral("(cast(:diag_mtl as varchar(7)) <>  'N18.5') and"),
    // Accepted reports (both marks) besides the pass's own: with the pass's
    // reports alone a stay paid in another report could never be found and
    // "paid earlier" never said.
    QStringLiteral("((r.see1=1 and r.see2=1) or r.repn in "),
};

void SetPerson(FbQuery& q, const CheckedStay& stay) {
  q.setParam(QStringLiteral("family"), stay.Family);
  q.setParam(QStringLiteral("name"), stay.Name);
  q.setParam(QStringLiteral("father"), stay.Father);
  q.setParam(QStringLiteral("dr"), stay.Dr);
  q.setParam(QStringLiteral("in_stac"), stay.InStac);
  q.setParam(QStringLiteral("out_stac"), stay.OutStac);
  q.setParam(QStringLiteral("id_ill"), stay.IdIll);
}

}  // namespace

void ReportWords::Update(int oplat, int tipStac) {
  switch (oplat) {
    case 1:
      payment_ = QStringLiteral("ОМС");
      break;
    case 2:
      payment_ = QStringLiteral("Бюджет");
      break;
    case 6:
      payment_ = QStringLiteral("ВМП");
      break;
    case 7:
      payment_ = QStringLiteral("Реабил.");
      break;
    default:
      break;
  }
  switch (tipStac) {
    case 1:
      type_ = QStringLiteral("КС");
      break;
    case 2:
      type_ = QStringLiteral("Ст.при Пол.");
      break;
    case 3:
      type_ = QStringLiteral("Ст.на Дому");
      break;
    case 4:
      type_ = QStringLiteral("Ст.при Стац.");
      break;
    default:
      break;
  }
}

QStringList DoubleRecordLines(const QString& folder, const QDate& periodStart,
                              const QDate& periodEnd) {
  dbfsql::TQuery getDoubles;
  getDoubles.SetDatabaseName(folder);
  getDoubles.SetStatement(kDoublesSql);
  getDoubles.SetParam(QStringLiteral("dPS"), periodStart);
  getDoubles.SetParam(QStringLiteral("dPP"), periodEnd);
  getDoubles.Open();
  if (getDoubles.IsEmpty()) return {QStringLiteral("Двойных записей в базе не обнаружено.")};
  QStringList lines = {
      QStringLiteral("Обнаружены двойные записи в базе:"),
      Rule(76),
      Row({{QStringLiteral("Фамилия"), 20},
           {QStringLiteral("Имя"), 15},
           {QStringLiteral("Отчество"), 15},
           {QStringLiteral("Дата пост."), 10},
           {QStringLiteral("Дата вып."), 10}}),
      Rule(76),
  };
  for (getDoubles.First(); !getDoubles.Eof(); getDoubles.Next())
    lines << Row({{FieldText(getDoubles, QStringLiteral("FAMILY")), 20},
                  {FieldText(getDoubles, QStringLiteral("NAME")), 15},
                  {FieldText(getDoubles, QStringLiteral("FATHER")), 15},
                  {DateText(getDoubles.FieldAsDate(QStringLiteral("IN_STAC"))), 10},
                  {DateText(getDoubles.FieldAsDate(QStringLiteral("OUT_STAC"))), 10}});
  lines << Rule(76);
  return lines;
}

bool OverlapStay::SamePerson(const OverlapStay& other) const {
  return Family == other.Family && Name == other.Name && Father == other.Father && Dr == other.Dr;
}

std::vector<OverlapStay> CollectOverlappingStays(const std::vector<OverlapStay>& ordered) {
  std::vector<OverlapStay> list;
  if (ordered.empty()) return list;
  // Whether the previous stay overlapped its own predecessor: then it
  // belongs to the chain even when the next one does not overlap it.
  bool previousInChain = false;
  for (size_t i = 1; i < ordered.size(); ++i) {
    const OverlapStay& p = ordered[i - 1];
    const OverlapStay& r = ordered[i];
    const bool overlaps =
        r.SamePerson(p) && p.OutStac.isValid() && r.InStac.isValid() && p.OutStac > r.InStac;
    if (overlaps || previousInChain) {
      list.push_back(p);
      previousInChain = overlaps;
    }
  }
  if (previousInChain) list.push_back(ordered.back());
  return list;
}

bool MarkOverlapGroups(std::vector<OverlapStay>& stays, int tipStac) {
  bool any = false;
  size_t begin = 0;
  while (begin < stays.size()) {
    size_t end = begin + 1;
    while (end < stays.size() && stays[end].SamePerson(stays[begin])) ++end;
    bool marked = false;
    for (size_t i = begin; i < end; ++i) marked = marked || stays[i].TipStac == tipStac;
    for (size_t i = begin; i < end; ++i) stays[i].Marked = marked;
    any = any || marked;
    begin = end;
  }
  return any;
}

QStringList OverlapTableLines(const std::vector<OverlapStay>& stays) {
  bool any = false;
  for (const OverlapStay& s : stays) any = any || s.Marked;
  if (!any)
    return {
        QStringLiteral("В базе не обнаружено случаев госпитализации с перекрытием сроков по "
                       "выбранному типу стационара.")};
  // 10 + 20 + 15 + 15 + 10 + 3 + 10 + 10 and the nine "|".
  constexpr int kWidth = 102;
  QStringList lines = {
      QStringLiteral("В базе обнаружены случаи госпитализации с перекрытием сроков лечения:"),
      Rule(kWidth),
      Row({{QStringLiteral("Ист.бол."), 10},
           {QStringLiteral("Фамилия"), 20},
           {QStringLiteral("Имя"), 15},
           {QStringLiteral("Отчество"), 15},
           {QStringLiteral("Дата рожд."), 10},
           {QStringLiteral("ТС"), 3},
           {QStringLiteral("Дата пост."), 10},
           {QStringLiteral("Дата вып."), 10}}),
  };
  for (const OverlapStay& s : stays) {
    if (!s.Marked) continue;
    lines << Rule(kWidth)
          << Row({{s.Nomib, 10},
                  {s.Family, 20},
                  {s.Name, 15},
                  {s.Father, 15},
                  {s.Dr, 10},
                  {QString::number(s.TipStac), 3},
                  {DateText(s.InStac), 10},
                  {DateText(s.OutStac), 10}});
  }
  lines << Rule(kWidth);
  return lines;
}

std::vector<OverlapStay> ReadPeriodStays(const QString& folder, const QDate& periodStart,
                                         const QDate& periodEnd) {
  dbfsql::TQuery qDat;
  qDat.SetDatabaseName(folder);
  qDat.SetStatement(kPeriodStaysSql);
  qDat.SetParam(QStringLiteral("ps"), periodStart);
  qDat.SetParam(QStringLiteral("pp"), periodEnd);
  // Read a row at a time: only the stays are kept.
  qDat.SetUniDirectional(true);
  qDat.Open();
  std::vector<OverlapStay> stays;
  for (qDat.First(); !qDat.Eof(); qDat.Next()) {
    OverlapStay s;
    s.Nomib = FieldText(qDat, QStringLiteral("NOMIB"));
    s.Family = FieldText(qDat, QStringLiteral("FAMILY"));
    s.Name = FieldText(qDat, QStringLiteral("NAME"));
    s.Father = FieldText(qDat, QStringLiteral("FATHER"));
    s.Dr = DateText(qDat.FieldAsDate(QStringLiteral("DR")));
    s.TipStac = qDat.FieldByName(QStringLiteral("TIP_STAC")).toInt();
    s.InStac = qDat.FieldAsDate(QStringLiteral("IN_STAC"));
    s.OutStac = qDat.FieldAsDate(QStringLiteral("OUT_STAC"));
    stays.push_back(std::move(s));
  }
  return stays;
}

QStringList OverlappingStaysLines(const QString& folder, const QDate& periodStart,
                                  const QDate& periodEnd, int tipStac) {
  std::vector<OverlapStay> list =
      CollectOverlappingStays(ReadPeriodStays(folder, periodStart, periodEnd));
  MarkOverlapGroups(list, tipStac);
  return OverlapTableLines(list);
}

QString ReportListText(const QList<int>& reports) {
  QString text = QStringLiteral("(");
  for (int repn : reports) text += QString::number(repn) + QLatin1Char(',');
  if (reports.isEmpty()) return text + QLatin1Char(')');
  text[text.size() - 1] = QLatin1Char(')');
  return text;
}

int CheckOverlapWithDatabase(FbDatabase& db, FbTransaction* tr, const QList<int>& passReports,
                             const CheckedStay& stay, QString& rowErrorText, bool& rowRefused) {
  // The report numbers are the run's own integers, so they can stand in the
  // statement's text.
  QStringList sql = kOverlapWithDatabaseSql;
  sql << ReportListText(passReports) + QStringLiteral("))");
  FbQuery qFindCross(db, tr);
  qFindCross.setSql(sql.join(QLatin1Char('\r')));
  SetPerson(qFindCross, stay);
  qFindCross.Open();
  ReportWords words;
  int rows = 0;
  for (qFindCross.First(); !qFindCross.Eof(); qFindCross.Next(), ++rows) {
    words.Update(qFindCross.FieldByName(QStringLiteral("oplat")).toInt(),
                 qFindCross.FieldByName(QStringLiteral("tip_stac")).toInt());
    rowRefused = true;
    rowErrorText += QStringLiteral("Пересечение сроков с №") +
                    TrimText(qFindCross.FieldByName(QStringLiteral("nomib")).toString()) +
                    QLatin1Char(' ') + words.Payment() + QStringLiteral(" (") + words.Type() +
                    QStringLiteral(");");
  }
  qFindCross.Close();
  return rows;
}

bool CheckPaidEarlier(FbDatabase& db, FbTransaction* tr, const QList<int>& passReports, int nomMtl,
                      const CheckedStay& stay, const QString& diagnosis, QString& rowErrorText,
                      QList<rMEK>& caseErrors) {
  const QString list = ReportListText(passReports);
  // ",r1,r2,": a report of the pass is found as ",REPN,".
  QString members = list;
  members[0] = QLatin1Char(',');
  members[members.size() - 1] = QLatin1Char(',');
  QStringList sql = kPaidEarlierSql;
  sql.last() += list + QStringLiteral(")");
  sql << QStringLiteral("group by r.tip_stac, r.oplat, r.repn");
  FbQuery qFindCross(db, tr);
  qFindCross.setSql(sql.join(QStringLiteral("\r\n")));
  SetPerson(qFindCross, stay);
  qFindCross.setParam(QStringLiteral("nom_mtl"), nomMtl);
  qFindCross.setParam(QStringLiteral("diag_mtl"), TrimText(diagnosis));
  qFindCross.Open();
  ReportWords words;
  for (qFindCross.First(); !qFindCross.Eof(); qFindCross.Next()) {
    words.Update(qFindCross.FieldByName(QStringLiteral("oplat")).toInt(),
                 qFindCross.FieldByName(QStringLiteral("tip_stac")).toInt());
    if (qFindCross.FieldByName(QStringLiteral("u_cnt")).toInt() != 0 ||
        qFindCross.FieldByName(QStringLiteral("u_cnt1")).toInt() != 0)
      continue;
    const QString repn = qFindCross.FieldByName(QStringLiteral("repn")).toString();
    const QString where = words.Payment() + QStringLiteral(" (") + words.Type() + QLatin1Char(')');
    if (members.contains(QLatin1Char(',') + repn + QLatin1Char(',')))
      AddCaseError(caseErrors, rowErrorText, QStringLiteral("Запись дублируется в ") + where, 71,
                   stay.IdIll, rowErrorText, 1);
    else
      AddCaseError(caseErrors, rowErrorText, QStringLiteral("Запись оплачена ранее в ") + where, 70,
                   stay.IdIll, rowErrorText, 1);
  }
  const bool found = qFindCross.RecordCount() > 0;
  qFindCross.Close();
  return found;
}

QString PaidEarlierRule() {
  return Rule(74);
}

// --- The run's entry points ---

void CheckDoubleRecords(const ReceptionContext& ctx) {
  ctx.Act().WriteLines(DoubleRecordLines(ctx.WorkFolder, ctx.PeriodStart, ctx.PeriodEnd));
}

void CheckOverlappingStays(const ReceptionContext& ctx) {
  ctx.Act().WriteLines(
      OverlappingStaysLines(ctx.WorkFolder, ctx.PeriodStart, ctx.PeriodEnd, Number(ctx.StacType)));
}

QList<int> PassReports(const PackageLists& lists, Population pass) {
  QList<int> reports;
  for (const rRepn& entry : lists.ReportLists[pass]) reports.append(entry.Repn);
  return reports;
}

bool CheckPaidEarlier(const ReceptionContext& ctx, Population pass, int nomMtl,
                      const CheckedStay& stay, const QString& diagnosis, QString& rowErrorText,
                      QList<rMEK>& caseErrors) {
  const bool found = CheckPaidEarlier(ctx.Db, &ctx.Tr, PassReports(ThePackageLists(), pass), nomMtl,
                                      stay, diagnosis, rowErrorText, caseErrors);
  if (found) ctx.Act().WriteLine(PaidEarlierRule());
  return found;
}

int CheckOverlapWithDatabase(const ReceptionContext& ctx, Population pass, const CheckedStay& stay,
                             QString& rowErrorText, bool& rowRefused) {
  return CheckOverlapWithDatabase(ctx.Db, &ctx.Tr, PassReports(ThePackageLists(), pass), stay,
                                  rowErrorText, rowRefused);
}

}  // namespace kelmo
