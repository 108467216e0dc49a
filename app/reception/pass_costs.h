// The costs and totals of a pass: the cost calculation (app/tariff) walks
// the pass's main treatment sheets in discharge order and stores every
// sheet's cost; then the pass is summed (its calculated and invoice sums,
// the report rows' stored sums, the bed days), the sums are compared with
// the institution's (sum_differences.h) and the zero-cost sheets are listed.
//
// Errors: an error of the walk (a statement of the calculation, the bed-day
// count) is shown ("Ошибка при расчёте - " with the patient, the error and
// the case statement) and ends the walk, in either pass; the sheets not yet
// costed keep what the loading stored, and the pass's totals and act go on.
// The walk's costs are committed when it ends. Errors of the totals'
// statements reach the caller.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "domain/domain_codes.h"
#include "reception_context.h"

namespace kelmo {

// The costs, totals, sum search and zero-cost list of a pass with data.
void CalculatePassCosts(const ReceptionContext& ctx, Population pass);
// The totals, sum search and zero-cost list of the out-of-region pass
// without data (no walk).
void CompareOutOfRegionSums(const ReceptionContext& ctx);

// The case statement of the cost walk over the reports given (one row per
// main treatment sheet of the payment kind, in discharge order, then case,
// then sheet number).
QStringList CaseCostStatement(const QList<int>& reports);

// The statement of a pass's calculated and invoice sums. `truncated`: the
// calculated sum cut to kopecks (one institution's closing of March 2012);
// the invoice column is kept either way.
QString PassSumStatement(const QList<int>& reports, bool truncated);

// Whether the pass sum of this run is cut to kopecks: institution 18, the
// round-the-clock type, a period ending 31.03.2012, on a computer of the
// "OMS" domain.
bool TruncatesPassSum(const ReceptionInputs& inputs);

}  // namespace kelmo
