// The recalculation of stored cases.
#include "recalculation.h"

#include "case_cost.h"
#include "case_walk.h"
#include "domain/holiday_calendar.h"
#include "domain/report_period.h"
#include "domain/run_user.h"
#include "firebird/fb_query.h"

namespace kelmo::tariff {

QStringList RecalcCaseStatement() {
  QStringList lines = CaseQueryHead();
  lines += QStringList{
      QStringLiteral("where r.lpu=:lpu and r.date_beg=:dbeg and (r.see1=1) and (r.see2=1) and "
                     "(s.sum_mek is null) and (m.oplat=1) and s.out_stac >= '01.01.2019'"),
      CaseWalkOrder()};
  return lines;
}

namespace {

// The settings of the rows of a report: the period's year and month, the
// road the report came by.
CaseCostSettings SettingsFor(const QDate& monthStart, bool xmlReport, RunUser& user) {
  CaseCostSettings s;
  s.Pay = PayKind::Oms;
  s.Source = xmlReport ? RegistrySourceKind::XmlPackage : RegistrySourceKind::DbfFolder;
  s.XmlPackageMode = xmlReport;
  s.RecalcMode = true;
  s.YearText = QString::number(monthStart.year());
  s.MonthIndex = monthStart.month() - 1;
  s.User = &user;
  return s;
}

}  // namespace

int RecalculateStoredCases(const RecalcInputs& in, const RecalcServices& sv) {
  FbQuery cases(sv.Db, &sv.Tr);
  cases.setSql(RecalcCaseStatement());
  cases.setParam(QStringLiteral("lpu"), in.LpuId);
  cases.setParam(QStringLiteral("dbeg"), in.PeriodStart.startOfDay());
  cases.Open();
  const int rows = cases.RecordCount();
  sv.Progress.ShowRows(0, rows);
  if (rows == 0) {
    sv.User.Message(QString(), QStringLiteral("Nothing found"), RunMessageIcon::None);
    return 0;
  }

  const QDate monthStart = PeriodMonthStartOf(in.PeriodStart);
  bool xmlReport = ReadCaseCostRow(cases).XmlReport;
  CaseCostCalculator calculator(sv.Db, sv.Tr, SettingsFor(monthStart, xmlReport, sv.User));
  RegistryHolidayCalendar holidays(sv.Db, &sv.Tr);
  CaseWalkHooks hooks;
  hooks.BeforeRow = [&](const CaseCostRow& row, int done) {
    sv.Progress.ShowRows(done, rows);
    // A case is calculated by the road its report came (the finishing of
    // the case still open does not depend on it).
    if (row.XmlReport != xmlReport) {
      xmlReport = row.XmlReport;
      calculator.SetSettings(SettingsFor(monthStart, xmlReport, sv.User));
    }
  };
  const int calls = WalkCaseRows(cases, calculator, holidays, hooks);
  sv.Progress.ShowRows(rows, rows);
  sv.User.Message(
      QString(),
      QStringLiteral("Done!!! ") + QString::number(calls - 1) + QStringLiteral(" records checked"),
      RunMessageIcon::None);
  return calls;
}

}  // namespace kelmo::tariff
