// The walk of the cost calculation over the joined case query (one row per
// treatment sheet, with its case, report, bed profile, standard of care and
// oncology counts): every row is read, its bed days are counted with the
// institution's holidays and it is handed to the calculator; after the last
// row the case still open is finished. The reception's cost phase and the
// recalculation of stored cases both walk this way; they differ only in the
// rows they select and in what they do around each row.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace kelmo {

class FbQuery;
class HolidayCalendar;

namespace tariff {

class CaseCostCalculator;
struct CaseCostRow;

// The select list and joins of the joined case query; the caller adds its
// where clause and CaseWalkOrder().
QStringList CaseQueryHead();

// The order the walk needs: discharge date, case, sheet number, so that the
// sheets of a case come one after another.
QString CaseWalkOrder();

// What the caller does around each row: before it is calculated (with the
// row as read and the number of rows done) and after.
struct CaseWalkHooks {
  std::function<void(const CaseCostRow&, int done)> BeforeRow;
  std::function<void()> AfterRow;
};

// Walks the open case query from its first row. Returns the number of
// calculations made: one per row, and one more when a KSG case was still
// open after the last row and had to be finished. Errors of the statements
// and of the bed-day count pass to the caller; what was stored before them
// stays.
int WalkCaseRows(FbQuery& cases, CaseCostCalculator& calculator, HolidayCalendar& holidays,
                 const CaseWalkHooks& hooks = {});

}  // namespace tariff
}  // namespace kelmo
