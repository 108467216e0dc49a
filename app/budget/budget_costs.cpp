// The cost phase: every budget treatment sheet of the report priced by its
// standard of care and the institution's level and group, with the day walks
// of round-the-clock stays and the licensed working days of day hospitals;
// the case sums and the report's total.
#include <cmath>
#include <optional>

#include "budget_context.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/institution_fixes.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "stay_cost_split.h"

namespace kelmo {

namespace {

// The standard's cost column of an institution's level and group; nothing
// for a level or group the tariff does not know.
std::optional<QString> CostColumn(const QString& urov, const QString& gs) {
  QString level;
  if (urov == QStringLiteral("Г"))
    level = QStringLiteral("TOWN");
  else if (urov == QStringLiteral("Р"))
    level = QStringLiteral("RAYON");
  else if (urov == QStringLiteral("К"))
    level = QStringLiteral("OBL");
  else
    return std::nullopt;
  QString group;
  if (gs.isEmpty() || gs == QLatin1String("g"))
    group = QStringLiteral("G");
  else if (gs == QLatin1String("s"))
    group = QStringLiteral("S");
  else if (gs == QLatin1String("h"))
    group = QStringLiteral("H");
  else
    return std::nullopt;
  return QStringLiteral("COST") + level + group + QLatin1Char('B');
}

bool LeaveCode(int oms) {
  return oms >= 35 && oms <= 38;
}

QList<LicencePeriod> Licences(BudgetContext& c, int profile) {
  FbQuery lic(c.Svc.Db, &c.Svc.Tr);
  lic.setSql(
      QStringLiteral("select p.date_beg as DB,p.date_end as DE from pass_lpu p where "
                     "p.lpu_code=:lpu and p.tip_stac=:ts and p.prof_code=:prf order by "
                     "p.date_beg"));
  lic.setParam(QStringLiteral("lpu"), c.In.Lpu.Id);
  lic.setParam(QStringLiteral("ts"), c.In.StacType);
  lic.setParam(QStringLiteral("prf"), profile);
  lic.Open();
  QList<LicencePeriod> list;
  for (lic.First(); !lic.Eof(); lic.Next()) {
    const QVariant de = lic.FieldByName(QStringLiteral("DE"));
    list.append({lic.FieldByName(QStringLiteral("DB")).toDate(),
                 de.isNull() ? std::optional<QDate>() : std::optional<QDate>(de.toDate())});
  }
  return list;
}

QList<LeavePeriod> Leaves(BudgetContext& c, int idIll, int nomMtl) {
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral("select * from otpusk where id_ill=:p_id_ill and nom_mtl=:n_m"));
  q.setParam(QStringLiteral("p_id_ill"), idIll);
  q.setParam(QStringLiteral("n_m"), nomMtl);
  q.Open();
  QList<LeavePeriod> list;
  for (q.First(); !q.Eof(); q.Next())
    list.append({q.FieldByName(QStringLiteral("NACH")).toDate(),
                 q.FieldByName(QStringLiteral("KON")).toDate()});
  return list;
}

const QString kMesPeriod = QStringLiteral(
    "( ((mes.datefrom<=:deps) and (mes.dateto=:depp)) or ((mes.datefrom<=:deps) and (mes.dateto "
    "is null)) or ((mes.datefrom=:deps) and (mes.dateto>=:depp)) )");

// The standard's normative cost of a case that ended in death: the standard
// valid on the discharge day.
double CostOnDischarge(BudgetContext& c, const QString& column, const QString& kod,
                       const QDate& out) {
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral("select mes.%1 from MES mes where mes.kod=:kod and mes.datefrom<=:d and "
                          "(mes.dateto is null or mes.dateto>=:d) order by mes.datefrom desc")
               .arg(column));
  q.setParam(QStringLiteral("kod"), kod);
  q.setParam(QStringLiteral("d"), QDateTime(out, QTime(0, 0)));
  q.Open();
  return q.Eof() ? 0 : q.Value(0, 0).toDouble();
}

// Stores a sheet's days and cost.
void StoreSheet(BudgetContext& c, const QVariant& id, int oms, const SplitResult& s, int sheetDays,
                bool withDays) {
  FbQuery up(c.Svc.Db, &c.Svc.Tr);
  up.setSql(QStringLiteral(
      "update mtl set KD = :p_KD, OCNCOST = :p_Ocncost, DOPCOST = :p_dopcost, COP1COST= "
      ":p_cop1cost, COP2COST= :p_cop2cost, COP3COST= :p_cop3cost, PR_OMS = :p_OMS, KDOMS = "
      ":p_KDOMS, KDMES = :p_KDMES, KDSvMES = :p_KDSvMES, KDNOT = :p_KDNOT, OCNCOSTPOMES = "
      ":p_OCNCOSTPOMES, OCNCOSTSVMES = :p_OCNCOSTSVMES, KDFMTL = :p_KDFMTL, KDGUZO=:p_KDGUZO "
      "where id = :p_id"));
  auto money = [](double v) { return static_cast<double>(std::nearbyint(v * 10000)) / 10000; };
  const int days = withDays ? s.PaidDays + s.UnpaidDays : 0;
  up.setParam(QStringLiteral("p_KD"), days);
  up.setParam(QStringLiteral("p_Ocncost"), money(s.Total));
  for (const char* p : {"p_dopcost", "p_cop1cost", "p_cop2cost", "p_cop3cost"})
    up.setParam(QString::fromLatin1(p), 0);
  up.setParam(QStringLiteral("p_OMS"), oms);
  up.setParam(QStringLiteral("p_KDOMS"), withDays ? s.PaidDays : 0);
  up.setParam(QStringLiteral("p_KDMES"), withDays ? s.FullDays : 0);
  up.setParam(QStringLiteral("p_KDSvMES"), withDays ? s.ReducedDays : 0);
  up.setParam(QStringLiteral("p_KDNOT"), withDays ? s.UnpaidDays : 0);
  up.setParam(QStringLiteral("p_OCNCOSTPOMES"), money(s.FullSum));
  up.setParam(QStringLiteral("p_OCNCOSTSVMES"), money(s.ReducedSum));
  up.setParam(QStringLiteral("p_KDFMTL"), withDays ? sheetDays : 0);
  up.setParam(QStringLiteral("p_KDGUZO"), days);
  up.setParam(QStringLiteral("p_id"), id);
  up.ExecSQL();
  c.St.RunCostUnits += static_cast<std::int64_t>(std::nearbyint(s.Total * 10000));
}

// The case's walked days and the sum of its budget sheets' costs.
void StoreCaseSums(BudgetContext& c, int idIll, const QVariant& caseDays) {
  FbQuery st(c.Svc.Db, &c.Svc.Tr);
  st.setSql(QStringLiteral(
      "update stacion s set s.KDMTL = :p_KDMTL, s.OCNCOSTMTL = (select sum(m.ocncost) from mtl "
      "m where m.id_ill=:p_id_ill and m.oplat=:oplat), s.COPALLCOSTMTL = :p_CopAllCostMTL, "
      "s.MTLCOSTMTL = (select sum(m.ocncost) from mtl m where m.id_ill=:p_id_ill and "
      "m.oplat=:oplat) where s.id_ill = :p_id_ill"));
  st.setParam(QStringLiteral("p_KDMTL"), caseDays);
  st.setParam(QStringLiteral("p_id_ill"), idIll);
  st.setParam(QStringLiteral("oplat"), 2);
  st.setParam(QStringLiteral("p_CopAllCostMTL"), 0);
  st.ExecSQL();
}

// Sheets of kind 1 of an institution paid by services: each priced as the
// sum of its services at their tariffs valid in the report's month.
void PriceByServices(BudgetContext& c, const QDate& deps, const QDate& depp) {
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral(
      "select distinct m.id, m.id_ill, m.nom_mtl, lk.oms from STACION s join mtlusl mu on "
      "mu.id_ill=s.id_ill left JOIN MTL m on (s.id_ill=m.id_ill and m.nom_mtl=mu.nom_mtl) left "
      "JOIN LST_KOIKI lk on lk.tip=m.profile where (s.repn=:repn ) and (m.oplat=:oplat) and "
      "(m.vidmtl=1) order by m.id_ill"));
  q.setParam(QStringLiteral("repn"), c.St.ReportNumber);
  q.setParam(QStringLiteral("oplat"), 2);
  q.Open();
  if (q.RecordCount() == 0) return;
  c.BeginPhase(QStringLiteral("Расчет стоимости лечения..."), q.RecordCount());
  for (q.First(); !q.Eof(); q.Next()) {
    const int idIll = q.FieldByName(QStringLiteral("ID_ILL")).toInt();
    FbQuery usl(c.Svc.Db, &c.Svc.Tr);
    usl.setSql(QStringLiteral(
        "select sum(mu.kolvo * lu.cost) from mtlusl mu join lst_usl lu on lu.uslug=mu.uslug and "
        "lu.datebeg<=:deps and (lu.dateend is null or lu.dateend>=:depp) where "
        "mu.id_ill=:p_ID_ILL and mu.nom_mtl=:p_NOM_MTL"));
    usl.setParam(QStringLiteral("deps"), QDateTime(deps, QTime(0, 0)));
    usl.setParam(QStringLiteral("depp"), QDateTime(depp, QTime(0, 0)));
    usl.setParam(QStringLiteral("p_ID_ILL"), idIll);
    usl.setParam(QStringLiteral("p_NOM_MTL"), q.FieldByName(QStringLiteral("NOM_MTL")));
    usl.Open();
    SplitResult s;
    s.Total = s.FullSum = usl.Eof() ? 0 : usl.Value(0, 0).toDouble();
    StoreSheet(c, q.FieldByName(QStringLiteral("ID")), q.FieldByName(QStringLiteral("OMS")).toInt(),
               s, 0, false);
    FbQuery kd(c.Svc.Db, &c.Svc.Tr);
    kd.setSql(QStringLiteral("select s.kdmtl from stacion s where s.id_ill=:id"));
    kd.setParam(QStringLiteral("id"), idIll);
    kd.Open();
    StoreCaseSums(c, idIll, kd.Eof() ? QVariant() : kd.Value(0, 0));
    FbQuery plain(c.Svc.Db, &c.Svc.Tr);
    plain.setSql(QStringLiteral(
        "select m.id_ill from mtl m where m.id_ill=:id and m.oplat=2 and m.vidmtl=0"));
    plain.setParam(QStringLiteral("id"), idIll);
    plain.Open();
    if (plain.Eof()) {
      FbQuery kdf(c.Svc.Db, &c.Svc.Tr);
      kdf.setSql(QStringLiteral("update STACION set KDF=0 where ID_ILL=:p_ID_ILL"));
      kdf.setParam(QStringLiteral("p_ID_ILL"), idIll);
      kdf.ExecSQL();
    }
    c.Step();
  }
}

struct SheetResult {
  SplitResult Split;
  int Days = 0;
  int SheetDays = 0;
};

}  // namespace

void ComputeCosts(BudgetContext& c) {
  const QDate monthStart(c.In.PeriodEnd.year(), c.In.PeriodEnd.month(), 1);
  const QDate deps(c.In.PeriodStart.year(), c.In.PeriodStart.month(), 1);
  const QDate depp =
      QDate(c.In.PeriodEnd.year(), c.In.PeriodEnd.month(), 1).addMonths(1).addDays(-1);
  const std::optional<QString> column = CostColumn(TrimText(c.In.Lpu.Urov), TrimText(c.In.Lpu.Gs));
  if (!column)
    c.Act().WriteLine(QStringLiteral("Неизвестный уровень (") + c.In.Lpu.Urov +
                      QStringLiteral(") или группа (") + c.In.Lpu.Gs +
                      QStringLiteral(") ЛПУ: стоимость лечения не рассчитана."));
  const QString costSelect = column ? QStringLiteral("mes.") + *column : QStringLiteral("0");
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral(
               "select m.id, m.id_ill, m.nom_mtl, lk.oms, m.profile, m.kod_mes, m.kod_mes_it, "
               "m.intensiv, m.res_lechen, m.ishod_lece, m.startd, m.finish, s.in_stac, s.out_stac, "
               "m.pr_oms, mes.srok, %1 as COST from STACION s left JOIN MTL m on "
               "s.id_ill=m.id_ill left JOIN LST_KOIKI lk on lk.tip=m.profile left JOIN MES mes on "
               "mes.kod=m.kod_mes where (s.repn=:repn ) and (m.oplat=2) and (m.VIDMTL=0) and ( "
               "((m.kod_mes<>'0') and %2) or (m.kod_mes='0') ) order by s.id_ill, m.nom_mtl")
               .arg(costSelect, kMesPeriod));
  q.setParam(QStringLiteral("repn"), c.St.ReportNumber);
  q.setParam(QStringLiteral("deps"), QDateTime(deps, QTime(0, 0)));
  q.setParam(QStringLiteral("depp"), QDateTime(depp, QTime(0, 0)));
  q.Open();
  c.BeginPhase(QStringLiteral("Расчет стоимости лечения..."), q.RecordCount());
  const int type = c.In.StacType;
  auto bedDays = [&](const QDateTime& a, const QDateTime& b) {
    return CountBedDays(type, a, b, c.In.Lpu.Id, c.Svc.Calendar);
  };
  int previousCase = -1;
  int caseDays = 0;
  for (q.First(); !q.Eof(); q.Next()) {
    auto f = [&](const char* name) { return q.FieldByName(QString::fromLatin1(name)); };
    const int idIll = f("ID_ILL").toInt();
    const int oms = f("OMS").toInt();
    const int intensiv = f("INTENSIV").toInt();
    const QDateTime startd = f("STARTD").toDateTime();
    const QDateTime finish = f("FINISH").toDateTime();
    const QDateTime in = f("IN_STAC").toDateTime();
    const QDateTime out = f("OUT_STAC").toDateTime();
    // Sheets paid with leaves begin their walk at the month's start when
    // they began earlier; a code-39 sheet with intensive care likewise.
    const bool walksFromMonth = LeaveCode(oms) || (oms == 39 && intensiv >= 1);
    SheetResult r;
    r.SheetDays = bedDays(startd, finish);
    int stayDays = bedDays(in, out);
    WalkStart start = WalkStart::Sheet;
    if (walksFromMonth && startd.date() < monthStart) {
      r.Days = bedDays(QDateTime(monthStart, QTime(0, 0)), finish);
      start = startd.date() >= monthStart.addMonths(-1) ? WalkStart::PreviousMonth
                                                        : WalkStart::EarlierMonth;
    } else {
      r.Days = r.SheetDays;
    }
    const bool hasMes = f("KOD_MES").toString().trimmed() != QLatin1String("0") &&
                        !f("KOD_MES").toString().trimmed().isEmpty();
    double cost = column ? f("COST").toDouble() : 0;
    if (column && hasMes && f("RES_LECHEN").toInt() == 6)
      cost = CostOnDischarge(c, *column, f("KOD_MES").toString(), out.date());
    const int norm = f("SROK").toInt();
    SheetDays sheet;
    sheet.StartD = startd.date();
    sheet.MonthStart = monthStart;
    sheet.Start = start;
    if (type == 1) {
      if (r.Days != 0 && LeaveCode(oms) &&
          ((f("ISHOD_LECE").toInt() == 8 && startd < finish) ||
           (f("ISHOD_LECE").toInt() != 8 && out == in))) {
        ++r.Days;
        ++stayDays;
        ++r.SheetDays;
      }
      if (r.Days < 1 || f("PROFILE").toInt() == 0 || !hasMes || !column) {
        if (r.Days >= 1) r.Days = 0;
      } else {
        sheet.Licences = Licences(c, f("PR_OMS").toInt());
        if (intensiv < 1) {
          if (LeaveCode(oms)) sheet.Leaves = Leaves(c, idIll, f("NOM_MTL").toInt());
          r.Split = LeaveCode(oms) ? SplitStayCostWithLeave(r.Days, norm, cost, sheet)
                                   : SplitStayCost(r.Days, norm, cost, sheet);
        } else {
          FbQuery it(c.Svc.Db, &c.Svc.Tr);
          it.setSql(QStringLiteral(
              "select SROK from MES_IT where (KOD=:kod) and ( ((datefrom<=:deps) and "
              "(dateto=:depp)) or ((datefrom=:deps) and (dateto>=:depp)) or ((datefrom<=:deps) "
              "and (dateto is null)) )"));
          it.setParam(QStringLiteral("kod"), f("KOD_MES_IT").toString().trimmed().toInt());
          it.setParam(QStringLiteral("deps"), QDateTime(deps, QTime(0, 0)));
          it.setParam(QStringLiteral("depp"), QDateTime(depp, QTime(0, 0)));
          it.Open();
          int intDays = intensiv;
          if (!it.Eof() && !it.Value(0, 0).isNull() && it.Value(0, 0).toInt() < intensiv)
            intDays = it.Value(0, 0).toInt();
          c.St.IntensiveDaysTotal += intDays;
          if (oms >= 35 && oms <= 39) {
            sheet.Leaves = Leaves(c, idIll, f("NOM_MTL").toInt());
            r.Split = SplitStayCostIntensiveWithLeave(stayDays, intDays, r.Days, cost, norm, sheet);
          } else {
            r.Split = SplitStayCostIntensive(intDays, r.Days, norm, cost, sheet);
          }
          c.St.IntensiveCostTotal += r.Split.IntensiveCost;
        }
      }
    } else if (r.Days >= 1) {
      const QDate walkStart = !LeaveCode(oms)             ? in.date()
                              : start == WalkStart::Sheet ? startd.date()
                                                          : monthStart;
      QList<QDate> holidays;
      for (QDate d = walkStart; d.isValid() && d <= finish.date(); d = d.addDays(1))
        if (c.Svc.Calendar.IsHoliday(d)) holidays << d;
      const DayHospitalDays days = WalkDayHospital(walkStart, finish.date(), norm,
                                                   Licences(c, f("PR_OMS").toInt()), holidays);
      r.Split.PaidDays = r.Split.FullDays = days.PaidDays;
      r.Split.UnpaidDays = days.UnpaidDays;
      r.Split.Total = norm != 0 ? cost / norm * days.PaidDays : 0;
      r.Split.FullSum = r.Split.Total;
      if (r.Split.Total == 0) {
        r.Split = SplitResult{};
        r.Days = 0;
      }
    }
    StoreSheet(c, f("ID"), oms, r.Split, r.SheetDays, true);
    caseDays = idIll != previousCase ? r.Days : caseDays + r.Days;
    previousCase = idIll;
    StoreCaseSums(c, idIll, caseDays);
    c.Step();
  }
  if (BudgetPricedByServices(c.In.Lpu.Id)) PriceByServices(c, deps, depp);
  FbQuery rep(c.Svc.Db, &c.Svc.Tr);
  rep.setSql(QStringLiteral("update REPORTS set SUM_DBF = :s where REPN = :repn"));
  rep.setParam(QStringLiteral("s"), static_cast<double>(KopecksHalfUp(c.St.RunCostUnits)) / 100);
  rep.setParam(QStringLiteral("repn"), c.St.ReportNumber);
  rep.ExecSQL();
}

}  // namespace kelmo
