// The act summary, the last section of every run's act: the sums by report
// (invoiced by the institution and calculated by the fund, for local and
// out-of-region patients, in total, by the base tariff and by the additional
// tariff), and when receiving the verdict on the sums, the cross-check of
// sanctions in the acts database, the table of sums by insurer and the
// table of plan execution. It reads the registry database and the acts
// database and writes nothing to either.
//
// Errors: a failing statement or a failed write to the act reaches the
// caller (the run then ends with the error). A case's policy code is compared
// as text, so a code that is not a number or is out of any range never ends
// the run; a code of no regional insurer counts under "Иногородние".
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "domain/domain_codes.h"
#include "domain/money.h"
#include "domain/reception_state.h"
#include "reception_context.h"

namespace kelmo {

// What the summary's totals statement gives for the reports of one
// population (zero when the population was not summed).
struct SummaryTotals {
  Money OcnCost;    // calculated cost net of the modernisation parts
  Money OnechCost;  // the additional-tariff (one-channel) part
  Money SumMek;     // MEK sanctions of the party's cases, once per case
  Money SumNcz;     // calculated cost of the cases with DOPFOND 1
  Money SumNczSf;   // invoiced cost of those cases

  // The calculated base-tariff sum (LocalBaseCalcSum, OutOfRegionBaseCalcSum).
  Money BaseCalcSum() const { return OcnCost - OnechCost; }
};

// One row of the table of sums by insurer: the policy code as the registry
// holds it and its three sums.
struct InsurerSums {
  QString Polis;
  Money OcnCost;  // the territorial programme
  Money BaseTrp;  // of it, the base tariff
  Money OkFin;    // of it, the additional tariff
};

// The plan-execution row of the registry database's procedure.
struct PlanExecution {
  int KdMz = 0, KdPr = 0, KdPrM = 0, KdPrI = 0;
  double KdPrc = 0;
  double CostMz = 0, CostPr = 0, CostPrM = 0, CostPrI = 0, CostPrPrc = 0;
  double CostKdMz = 0, CostKdPr = 0, CostKdPrM = 0, CostKdPrI = 0, CostKdPrc = 0;
};

// The money text of the summary: two decimals with ".", rounded halves to
// even, then " р." ("1234.50 р.", "-0.50 р.").
QString SummaryMoneyText(Money value);

// The sum lines, from the empty line before "Общая сумма по отчету: " to the
// empty line after the additional-tariff block. `receiving`: mode "Принять".
QStringList SumLines(const PerPopulation<PassTotals>& pass,
                     const PerPopulation<SummaryTotals>& totals, bool receiving, WhoDetail who);

// Whether the institution's and the fund's sums agree: per population the
// invoice total and the calculated total, each cut to whole kopecks, equal.
bool SumsAgree(const PerPopulation<PassTotals>& pass);

// The table of sums by insurer, from its first rule to its last: a row for
// each regional insurer present and one "Иногородние" row adding up every
// other code when their territorial sum is above zero.
QStringList InsurerTable(const QList<InsurerSums>& rows);

// The plan-execution table, from its title to its last rule, for the period
// and the calculated base-tariff sums of the two populations.
QStringList PlanTable(const PlanExecution& plan, const QDate& periodStart, const QDate& periodEnd,
                      Money localBaseCalcSum, Money outOfRegionBaseCalcSum);

// The mismatch line of the sanction cross-check for the acts database's row.
QString SanctionMismatchLine(const QString& idCase, const QString& idReport);

// The summary of the run: reads the totals, closes the progress window,
// restores the main window, writes the summary and closes the act. Sets
// Pass[OutOfRegion].CalcTotal to the out-of-region calculated sum.
void WriteActSummary(const ReceptionContext& ctx);

}  // namespace kelmo
