// The report period of a reception: the calendar month chosen in the main
// window, or, for the payment kind "ОМС" in January to March 2012, the fixed
// transition periods (some per institution); and the whole calendar months
// that a period touches. Plain functions; TfmKelmo::ComputePeriod,
// PeriodMonthStart and PeriodMonthEnd apply them to the window's fields.
#pragma once

#include <QDate>
#include <QString>

#include "domain_codes.h"

namespace kelmo {

struct ReportPeriod {
  QDate start;
  QDate end;
};

// The year of the year edit's text; a text that is not a whole number, or a
// year a date cannot hold (outside 1..9999), raises ConversionError.
int ReportYearFromText(const QString& yearText);

// The period of month 1..12 of the year for the payment kind and the current
// institution's id. Raises ConversionError for a bad year text.
ReportPeriod ComputeReportPeriod(int month, const QString& yearText, PayKind payKind, int lpuId);

// The period's start when it is the first of a month, else the first day of
// the following month (15.12.2011 gives 01.01.2012).
QDate PeriodMonthStartOf(const QDate& periodStart);

// The last day of the month of the period's end (26.02.2012 gives 29.02.2012).
QDate PeriodMonthEndOf(const QDate& periodEnd);

}  // namespace kelmo
