// Report periods and the 2012 transition table (see report_period.h).
#include "report_period.h"

#include "common.h"

namespace kelmo {

namespace {

struct TransitionPeriod {
  int month;
  int lpu;  // 0: every institution not listed
  int startMonth, startDay, endMonth, endDay;
};

// The OMS months of the 2012 changeover: for each institution the three
// periods join without a gap and March ends on 31.03.2012.
constexpr TransitionPeriod kTransition2012[] = {
    {1, 0, 1, 1, 1, 27},  {1, 25, 1, 1, 1, 28},  {1, 30, 1, 1, 1, 27},  {1, 33, 1, 1, 1, 30},
    {2, 0, 1, 28, 2, 26}, {2, 25, 1, 29, 2, 28}, {2, 30, 1, 28, 2, 27}, {2, 33, 1, 31, 2, 26},
    {3, 0, 2, 27, 3, 31}, {3, 25, 2, 29, 3, 31}, {3, 30, 2, 28, 3, 31}, {3, 33, 2, 27, 3, 31},
};

}  // namespace

int ReportYearFromText(const QString& yearText) {
  bool ok = false;
  const int year = yearText.toInt(&ok);
  if (!ok || year < 1 || year > 9999) throw ConversionError(yearText);
  return year;
}

ReportPeriod ComputeReportPeriod(int month, const QString& yearText, PayKind payKind, int lpuId) {
  const int year = ReportYearFromText(yearText);
  if (payKind == PayKind::Oms && year == 2012 && month >= 1 && month <= 3) {
    const TransitionPeriod* chosen = nullptr;
    for (const auto& p : kTransition2012) {
      if (p.month != month) continue;
      if (p.lpu == lpuId) chosen = &p;
      if (p.lpu == 0 && chosen == nullptr) chosen = &p;
    }
    return {QDate(2012, chosen->startMonth, chosen->startDay),
            QDate(2012, chosen->endMonth, chosen->endDay)};
  }
  const QDate first(year, month, 1);
  return {first, QDate(year, month, first.daysInMonth())};
}

QDate PeriodMonthStartOf(const QDate& periodStart) {
  if (periodStart.day() == 1) return periodStart;
  return QDate(periodStart.year(), periodStart.month(), 1).addMonths(1);
}

QDate PeriodMonthEndOf(const QDate& periodEnd) {
  return QDate(periodEnd.year(), periodEnd.month(), periodEnd.daysInMonth());
}

}  // namespace kelmo
