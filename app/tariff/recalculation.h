// The recalculation of stored cases: the cost calculation run again over the
// cases of one institution's report period already in the registry
// database, with its results written beside the stored ones (MTL's
// CALC_COMMENT_NEW, CALC_KF_NEW, OCNCOST_NEW and KSG_ID_NEW), so that a
// changed tariff rule can be compared with what the reception stored. The
// reception's own columns (the sheets' costs, the case sums, the service
// tariffs) stay as they are.
//
// It takes the OMS sheets from 2019 of the period's reports seen by both
// parties, of cases without a MEK sum, in the walk's order, and calculates
// them as the reception does (tariff/case_walk.h), each report by the road
// it came (XML package or DBF folder). It commits nothing: the caller does.
// Database errors raise DatabaseError; the columns written before stay in
// the transaction.
#pragma once

#include <QDate>
#include <QStringList>

namespace kelmo {

class FbDatabase;
class FbTransaction;
class RunUser;

namespace tariff {

// What the recalculation is run for.
struct RecalcInputs {
  int LpuId = 0;      // the institution (REPORTS.LPU)
  QDate PeriodStart;  // the first day of its report period (REPORTS.DATE_BEG)
};

// Where the recalculation shows its progress: rows done of rows to do (the
// main window's two labels).
class RecalcProgress {
 public:
  virtual ~RecalcProgress() = default;
  virtual void ShowRows(int done, int toDo) = 0;
};

struct RecalcServices {
  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;  // the closing message and the calculation's own messages
  RecalcProgress& Progress;
};

// The case statement of the recalculation (parameters lpu and dbeg).
QStringList RecalcCaseStatement();

// Runs the recalculation. It ends with the message "Done!!! " + (calculations
// - 1) + " records checked", or "Nothing found" when no row was selected;
// returns the number of calculations (the rows, and one more when the last
// case had to be finished after them).
int RecalculateStoredCases(const RecalcInputs& in, const RecalcServices& sv);

}  // namespace tariff
}  // namespace kelmo
