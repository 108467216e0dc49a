// The cost phase over the registry of the loading benchmark (2,000 cases by
// default for a quick run; the aim is measured at 100,000:
// "case_cost_bench 100000"): the registry is generated and loaded as the
// loading benchmark does it, reference tables of realistic size are added
// (about 400 KSG with their tariffs, 4,000 ways into them, 1,000 coefficient
// rows, beside the demonstration rows), and every treatment sheet is costed
// through the calculator on the registry database, the walk of the joined
// case query, the stores and the commit included. It prints cases per second
// and the ratio of the costing's time to the loading's time of the same
// registry, the minimum and the median of `runs` runs, each on a fresh
// database. Aim: costing takes no longer than loading.
//
// Usage: case_cost_bench [cases (2000)] [runs (3)]
#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "cost_phase.h"

using namespace kelmo;
using bench::Clock;
using bench::Median;
using bench::Seconds;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int cases = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString registry = bench::GeneratedRegistryIn(dir, cases);

  std::vector<double> loading, costing, ratio;
  for (int run = 0; run < runs; ++run) {
    QTemporaryDir dbDir(dir.filePath(QStringLiteral("db-XXXXXX")));
    auto db = bench::CreateDatabase(dbDir.path(), QStringLiteral("cost%1").arg(run));
    const bench::LoadTimes t =
        bench::LoadOnce(registry, *db, dbDir.filePath(QStringLiteral("act.txt")));
    bench::AddReferenceTables(*db);
    Money total;
    int zero = 0;
    const double cost = bench::CostOnce(*db, total, zero);
    loading.push_back(t.loading);
    costing.push_back(cost);
    ratio.push_back(cost / t.loading);
    std::printf(
        "run %d: loading %.2f s (%.0f cases/s), costing %.2f s (%.0f cases/s), ratio %.2f; "
        "total %s, %d zero-cost rows\n",
        run + 1, t.loading, cases / t.loading, cost, cases / cost, cost / t.loading,
        qPrintable(total.ToString()), zero);
    db->Close();
  }
  const double minCost = *std::min_element(costing.begin(), costing.end());
  std::printf("\n%d cases\n", cases);
  std::printf("loading:  min %.2f s, median %.2f s\n",
              *std::min_element(loading.begin(), loading.end()), Median(loading));
  std::printf("costing:  min %.2f s, median %.2f s: %.0f cases/s (best)\n", minCost,
              Median(costing), cases / minCost);
  std::printf("ratio costing / loading: min %.2f, median %.2f (aim: at most 1)\n",
              *std::min_element(ratio.begin(), ratio.end()), Median(ratio));
  return 0;
}
