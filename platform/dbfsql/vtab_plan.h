// The plan the "dbf" module offers SQLite for one set of constraints
// (xBestIndex), kept apart from the module so that the choice can be read and
// tested on its own.
//
// A plan uses every usable equality constraint on a column (several columns
// at once): the look-up goes by the most selective column, the one with the
// most distinct values (ties go to the lower column number, so the choice
// never depends on the order in which a statement writes its conditions),
// and the other columns' values are tested on each candidate record before
// SQLite sees it. An IN list is used only on the look-up column, whose
// values the module then takes all at once; elsewhere SQLite tests it. A range (<, <=, >, >=) on a
// numeric or date column is tested on each record the same way. SQLite still evaluates these
// conditions itself, so the tests only spare it records that cannot match. An IS NOT NULL is
// left to SQLite: this SQLite reads the column and tests it even when a plan takes the
// condition over, so a test of the module would only be made twice.
//
// The estimates: a scan costs one unit a record; a look-up costs the log of
// the table plus the records per value of its column; the rows expected are
// the table's records divided by the distinct values of every column used
// (at least one). So a correlated subquery or the inner side of a join goes
// by its most selective column, and SQLite puts on the outer side the table
// whose scan is cheapest.
//
// A scan without value tests may return its rows in the order of one column
// (an ORDER BY on it, perhaps followed by the rowid, or a DISTINCT or GROUP
// BY on it): the module keeps the column's values sorted as SQLite sorts
// them, and SQLite then neither sorts nor reads the file for that column. It
// costs a scan and a sort the first time in a file state, little after.
// For a DISTINCT this SQLite keeps its own structure of the values seen even
// when the module gives the order (it takes a virtual table's order for
// ORDER BY and GROUP BY only). The module still returns every row: leaving
// out repeated values would spare that structure only the repeats, and
// SQLite asks the same of a table joined to others, where the row left out
// may be the only one of its value with a match.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelmo::dbfsql {

// One constraint as SQLite offers it.
struct OfferedConstraint {
  int column = 0;        // -1: the rowid
  unsigned char op = 0;  // SQLITE_INDEX_CONSTRAINT_*
  bool usable = false;
  bool binary = true;   // compared with the BINARY collation
  bool inList = false;  // an IN (...) constraint
};

// What the module knows of a column when it plans.
struct PlanColumn {
  bool character = false;  // a character field (patterns are tested on its bytes)
  bool numeric = false;    // read as INTEGER or REAL
  bool date = false;       // read as ISO date text
  bool orderable = false;  // its values can be kept sorted (text, number, date)
  // Equal look-up keys mean SQLite finds the values equal and the converse
  // (whole or decimal numbers of at most 15 digits, dates): the module's
  // equality test is exact, and SQLite need not test it again.
  bool exactEquality = false;
};

// The order SQLite asks of the rows (one column, then perhaps the rowid),
// already checked to be one the module can give.
struct PlanOrder {
  int column = 0;
  bool descending = false;
  bool byRecord = false;  // the rowid follows as a second term
  bool recordDescending = false;
  bool ready = false;  // the column's sorted values are at hand
};

struct VtabPlan {
  // 0: scan; -1: the rowid; else as below. The statement's argument i is the
  // value of constraint args[i].
  int idxNum = 0;
  // "like" or "glob" for a pattern scan (idxNum is the column + 1); for a
  // plan with value tests, "k:" then one "<op><column>" per argument, the
  // first the look-up column when idxNum is 1 (else every test is made on a
  // scan). Ops: '=', 'i' (an IN list taken all at once), '<', '{' (<=), '>',
  // '}' (>=). An ordered scan has
  // idxNum 2 and "o:<column>:" with 'a' or 'd' for the column's direction
  // and then the rowid's.
  std::string idxStr;
  std::vector<int> args;
  // The IN constraints whose values the look-up takes all at once.
  std::vector<int> inAllAtOnce;
  // The constraints the module decides alone (SQLite omits its own test).
  std::vector<int> omit;
  double cost = 0;
  double rows = 0;
  bool orderByConsumed = false;
};

// records: the table's records; distinctOf(column): the estimated distinct
// values of a column (at least 1), asked only for columns with a usable
// equality constraint. order: the order asked when the module can give it.
VtabPlan ChooseVtabPlan(const std::vector<OfferedConstraint>& offered,
                        const std::vector<PlanColumn>& columns, double records,
                        const std::function<double(int)>& distinctOf,
                        const PlanOrder* order = nullptr);

// The order of an ordered scan's idxStr ("o:..."); false for any other text.
bool ParsePlanOrder(const char* idxStr, PlanOrder& order);

// One value test of a plan: the op character and the column.
struct PlanTest {
  char op = '=';
  int column = 0;
};
// The tests of a plan's idxStr ("k:..."); empty for any other text.
std::vector<PlanTest> ParsePlanTests(const char* idxStr);

}  // namespace kelmo::dbfsql
