// The act's table of a month's fulfilment of the institution's plans: the
// health authority's assignment ("МЗ": bed days and money of the year) and
// the institution's estimate ("Смета"), against what the registry presents;
// from May 2006 on a second table by insurer. When a figure the table needs
// is zero (a monthly figure that rounds to zero included), messages say which
// one instead, so no percentage divides by zero.
//
// A plain function over the figures; the caller reads them from PLANINDEX,
// PLAN2MONTH, PISTAC and MTL. Cost: a few lines of text.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace kelmo {

struct PlanFigures {
  QDate PeriodStart;
  QDate PeriodEnd;
  double MZkd = 0;                // the assignment's bed days of the year (KY + GY + RY)
  double SmKd = 0;                // PIMEDHELP, the estimate's bed days of the year
  double StFinSum = 0;            // STFIN1 + .. + STFIN5, thousands of roubles a year
  double PiMoneyOut = 0;          // PIMONEYOUT, thousands of roubles a year
  double PrKd = 0;                // the presented bed days (sum of KDOMS of the report)
  std::int64_t InvoiceUnits = 0;  // the invoice sum, units of 1/10 000 rouble
  QString InsurerHead;            // the first regional insurer's 8-character head
};

// The lines, from the title to the closing empty line (without the
// signature line that follows them in the act).
QStringList PlanFulfilmentLines(const PlanFigures& figures);

// The last day of a month: its first day moved on by a month, less a day.
QDate LastDayOfMonth(int year, int month);

}  // namespace kelmo
