// The plan the "dbf" module offers SQLite for one set of constraints.
#include "vtab_plan.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace kelmo::dbfsql {

namespace {

char RangeOp(unsigned char op) {
  switch (op) {
    case SQLITE_INDEX_CONSTRAINT_LT:
      return '<';
    case SQLITE_INDEX_CONSTRAINT_LE:
      return '{';
    case SQLITE_INDEX_CONSTRAINT_GT:
      return '>';
    case SQLITE_INDEX_CONSTRAINT_GE:
      return '}';
    default:
      return 0;
  }
}

bool ValidColumn(const std::vector<PlanColumn>& columns, int column) {
  return column >= 0 && column < static_cast<int>(columns.size());
}

void AddTest(VtabPlan& plan, int constraint, char op, int column) {
  plan.args.push_back(constraint);
  plan.idxStr += (plan.idxStr.size() > 2 ? "," : "") + std::string(1, op) + std::to_string(column);
}

// An equality test the module makes exactly: SQLite leaves it to the module.
void AddEqualityTest(VtabPlan& plan, int constraint, int column,
                     const std::vector<PlanColumn>& columns) {
  AddTest(plan, constraint, '=', column);
  if (columns[static_cast<size_t>(column)].exactEquality) plan.omit.push_back(constraint);
}

// The ranges on numeric and date columns, tested on each record; each bound
// is taken to keep a quarter of the rows.
void AddRangeTests(VtabPlan& plan, const std::vector<OfferedConstraint>& offered,
                   const std::vector<PlanColumn>& columns) {
  for (int i = 0; i < static_cast<int>(offered.size()); ++i) {
    const OfferedConstraint& c = offered[static_cast<size_t>(i)];
    const char op = RangeOp(c.op);
    if (!op || !c.usable || !c.binary || !ValidColumn(columns, c.column)) continue;
    const PlanColumn& col = columns[static_cast<size_t>(c.column)];
    if (!col.numeric && !col.date) continue;
    AddTest(plan, i, op, c.column);
    plan.rows /= 4;
  }
}

}  // namespace

VtabPlan ChooseVtabPlan(const std::vector<OfferedConstraint>& offered,
                        const std::vector<PlanColumn>& columns, double records,
                        const std::function<double(int)>& distinctOf, const PlanOrder* order) {
  const double n = std::max(records, 1.0);
  VtabPlan plan;
  for (int i = 0; i < static_cast<int>(offered.size()); ++i) {
    const OfferedConstraint& c = offered[static_cast<size_t>(i)];
    if (c.usable && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.column == -1) {
      plan.idxNum = -1;
      plan.args = {i};
      plan.cost = 1;
      plan.rows = 1;
      return plan;
    }
  }
  // The equality constraints by column: the plain ones first, then the IN
  // lists, each in the order offered.
  std::map<int, std::vector<int>> equal;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < static_cast<int>(offered.size()); ++i) {
      const OfferedConstraint& c = offered[static_cast<size_t>(i)];
      if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ || !c.binary) continue;
      if (!ValidColumn(columns, c.column) || c.inList != (pass == 1)) continue;
      equal[c.column].push_back(i);
    }
  }
  if (!equal.empty()) {
    int best = -1;
    double bestDistinct = 0;
    std::map<int, double> distinct;
    for (const auto& [column, list] : equal) {
      const double d = std::clamp(distinctOf(column), 1.0, n);
      distinct[column] = d;
      if (best < 0 || d > bestDistinct) {
        best = column;
        bestDistinct = d;
      }
    }
    plan.idxNum = 1;
    plan.idxStr = "k:";
    // The look-up: the best column's first constraint; its other plain
    // constraints are tested. IN lists elsewhere are left to SQLite, which
    // would otherwise run the look-up once for each of their values.
    const std::vector<int>& own = equal[best];
    const bool list = offered[static_cast<size_t>(own.front())].inList;
    if (list) {
      AddTest(plan, own.front(), 'i', best);
      plan.inAllAtOnce.push_back(own.front());
    } else {
      AddEqualityTest(plan, own.front(), best, columns);
    }
    for (size_t k = 1; k < own.size(); ++k) {
      if (!offered[static_cast<size_t>(own[k])].inList) {
        AddEqualityTest(plan, own[k], best, columns);
      }
    }
    double rows = n / bestDistinct;
    for (const auto& [column, list] : equal) {
      if (column == best) continue;
      bool used = false;
      for (int i : list) {
        if (offered[static_cast<size_t>(i)].inList) continue;
        AddEqualityTest(plan, i, column, columns);
        used = true;
      }
      if (used) rows /= distinct[column];
    }
    const double perKey = n / bestDistinct;
    // The first look-up of a statement is a scan; a look-up never costs more.
    plan.cost = std::min(n, std::log2(n + 1) + perKey);
    plan.rows = rows;
    AddRangeTests(plan, offered, columns);
    plan.rows = std::max(plan.rows, 1.0);
    return plan;
  }
  // A LIKE or GLOB on a character field: the scan tests the pattern's literal
  // parts on the stored bytes. SQLite still evaluates the pattern itself.
  for (int i = 0; i < static_cast<int>(offered.size()); ++i) {
    const OfferedConstraint& c = offered[static_cast<size_t>(i)];
    if (!c.usable || !ValidColumn(columns, c.column)) continue;
    if (c.op != SQLITE_INDEX_CONSTRAINT_LIKE && c.op != SQLITE_INDEX_CONSTRAINT_GLOB) continue;
    if (!columns[static_cast<size_t>(c.column)].character) continue;
    plan.idxNum = c.column + 1;
    plan.idxStr = c.op == SQLITE_INDEX_CONSTRAINT_LIKE ? "like" : "glob";
    plan.args = {i};
    plan.cost = n * 0.9;
    plan.rows = std::max(n / 10, 1.0);
    return plan;
  }
  plan.idxNum = 0;
  plan.idxStr = "k:";
  plan.cost = n;
  plan.rows = n;
  AddRangeTests(plan, offered, columns);
  if (plan.args.empty() && order) {
    // The sorted values are read from memory, not from the file; building
    // them costs a scan and a sort.
    plan.idxNum = 2;
    plan.idxStr = "o:" + std::to_string(order->column) + ":" + (order->descending ? "d" : "a") +
                  (order->recordDescending ? "d" : "a");
    plan.cost = order->ready ? n / 2 : n * (1 + std::log2(n + 1) / 32);
    plan.orderByConsumed = true;
  } else if (plan.args.empty()) {
    plan.idxStr.clear();
  } else {
    plan.cost = n * 0.95;
  }
  plan.rows = std::max(plan.rows, 1.0);
  return plan;
}

std::vector<PlanTest> ParsePlanTests(const char* idxStr) {
  std::vector<PlanTest> tests;
  if (!idxStr || idxStr[0] != 'k' || idxStr[1] != ':') return tests;
  const char* p = idxStr + 2;
  while (*p) {
    PlanTest t;
    t.op = *p++;
    t.column = 0;
    while (*p >= '0' && *p <= '9') t.column = t.column * 10 + (*p++ - '0');
    tests.push_back(t);
    if (*p == ',') ++p;
  }
  return tests;
}

bool ParsePlanOrder(const char* idxStr, PlanOrder& order) {
  if (!idxStr || idxStr[0] != 'o' || idxStr[1] != ':') return false;
  const char* p = idxStr + 2;
  if (*p < '0' || *p > '9') return false;
  order = PlanOrder{};
  while (*p >= '0' && *p <= '9') order.column = order.column * 10 + (*p++ - '0');
  if (p[0] != ':' || (p[1] != 'a' && p[1] != 'd') || (p[2] != 'a' && p[2] != 'd') || p[3]) {
    return false;
  }
  order.descending = p[1] == 'd';
  order.recordDescending = p[2] == 'd';
  return true;
}

}  // namespace kelmo::dbfsql
