// The search for sum differences and the zero-cost list of a pass, right
// after its totals. When the institution's invoice total, less the refused
// cases' total, differs from the calculated total (mode "Принять"), the act
// gets a table of the cases whose own sums differ from the calculated ones
// (a registry that came as an XML package, case by case); then the act lists
// the treatment sheets without a KSG whose cost came out zero, with the
// reason the cost calculation gave.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "domain/money.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "reception_context.h"

namespace kelmo {

// The amount rounded half up to kopecks: the whole part below
// value × 100 + 0.5000001, / 100 (a negative amount too).
double RoundedHalfUp(double value);
Money RoundedHalfUp(Money value);

// The search of the pass (reads the pass's totals, writes SumDifference).
void SearchSumDifferences(const ReceptionContext& ctx, Population pass);

// One case of the comparison: its number, name, calculated cost and, for a
// case of the package, the institution's own sum (the sum of its stages).
struct ComparedCase {
  int IdIll = 0;
  QString Nomib, Family, Name, Father;
  double Calculated = 0;
};

// The difference table's lines for the cases given (the explanatory lines,
// the head, the differing cases, the total); `packageCases` are the cases
// of the package (none for a registry of DBF tables).
QStringList DifferenceTable(Population pass, double difference, const QList<ComparedCase>& cases,
                            const QList<oPacient>& packageCases);

// One sheet of the zero-cost list.
struct ZeroCostSheet {
  int MtlId = 0;
  QString Nomib, Family, Name, Father;
};

// The zero-cost list's lines (nothing when no sheet is given), each sheet
// with the reason of the first entry of `reasons` for it.
QStringList ZeroCostList(Population pass, const QList<ZeroCostSheet>& sheets,
                         const QList<rNull>& reasons);

// The zero-cost list of the pass from the registry database.
void ListZeroCostSheets(const ReceptionContext& ctx, Population pass);

}  // namespace kelmo
