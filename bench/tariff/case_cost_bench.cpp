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

#include "firebird/fb_query.h"
#include "firebird/fb_statement.h"
#include "generated_registry.h"
#include "tariff/case_cost.h"

using namespace kelmo;
using bench::Clock;
using bench::Median;
using bench::Seconds;

namespace {

// Reference tables of realistic size: KSG "st50.001".. with a tariff row
// each, ten ways into each (a diagnosis range, a diagnosis with a service,
// an age group), coefficient rows of every code; the sheets get a
// standard code of the fourth level.
void AddReferenceTables(FbDatabase& db) {
  FbTransaction tr(db);
  FbExecute(db, &tr,
            QStringLiteral(
                "execute block as declare k integer = 1; declare g integer = 1; "
                "declare id varchar(20); begin while (k <= 400) do begin "
                "id = 'st50.' || lpad(k, 3, '0'); "
                "insert into spr_ksg (id, ksg_id, ts, oplat, gr, sgr, ovshort, ovlong, dbeg) "
                "values (1000 + :k, :id, iif(mod(:k, 4) = 0, 5, 1), 1, iif(mod(:k, 7) = 0, 3, "
                "null), 0, mod(:k, 2), mod(:k, 3), '2019-01-01'); "
                "insert into spr_ksg_cost (id, ksg, ts, r_ur, g_ur, k_ur, n_ur, f_ur, dbeg) "
                "values (1000 + :k, :id, iif(mod(:k, 4) = 0, 5, 1), 10000 + :k * 37.11, "
                "11000 + :k * 37.11, 12000 + :k * 37.11, 12000 + :k * 37.11, 13000 + :k * "
                "37.11, '2019-01-01'); "
                "while (g <= :k * 10) do begin "
                "insert into spr_ksg_group (id, ksg_id, ts, mkb, uslug, vozr, dbeg) values "
                "(1000 + :g, :id, iif(mod(:k, 4) = 0, 5, 1), "
                "iif(mod(:g, 3) = 0, null, 'K' || lpad(mod(:g, 90), 2, '0') || '-K' || "
                "lpad(mod(:g, 90) + 2, 2, '0')), iif(mod(:g, 3) = 0, 'A16.' || lpad(:g, 5, '0'), "
                "null), iif(mod(:g, 5) = 0, 5, null), '2019-01-01'); g = g + 1; end "
                "k = k + 1; end "
                "k = 1; while (k <= 1000) do begin "
                "insert into koeff (id, zkoeff, npr, datebeg) values (1000 + :k, 0.5 + :k / "
                "1000.0, mod(:k, 130), '2019-01-01'); k = k + 1; end end"));
  FbExecute(db, &tr, QStringLiteral("update mtl set kod_mes = '5000001'"));
  tr.Commit();
}

// Costs every sheet of the registry; returns the seconds spent.
double CostOnce(FbDatabase& db, Money& total, int& zero) {
  const auto t0 = Clock::now();
  FbTransaction tr(db);
  tariff::CaseCostSettings settings;
  settings.YearText = QStringLiteral("2024");
  settings.MonthIndex = 2;
  tariff::CaseCostCalculator calc(db, tr, settings);
  FbQuery q(db, &tr);
  q.setSql(QStringLiteral(
      "select r.tip_stac, iif((coalesce(s.sum_mek, 0)=0) and s.sum_mek is not null, 1, 0) "
      "is_mek, r.lpu, s.family, s.name, s.father, s.dr, s.pol, s.vozrast, s.idcase, s.out_stac, "
      "s.dz, s.sres_lechen, s.sishod_lece, s.cost_sf, m.id, m.id_ill, m.nom_mtl, m.kod_mes, "
      "m.profile, m.profil_bed, m.pr_oms, m.stac_diag, m.dreanim, m.startd, m.finish, "
      "m.intensiv, m.app_kd, m.criteries, m.rslt rslt_mtl, m.mtl_onco_status, m.vmp_met "
      "from stacion s join reports r on r.repn=s.repn join mtl m on m.id_ill=s.id_ill "
      "order by s.out_stac, s.id_ill, m.nom_mtl"));
  q.Open();
  for (q.First(); !q.Eof(); q.Next()) {
    tariff::CaseCostRow row = tariff::ReadCaseCostRow(q);
    row.BedDays = std::max(1, static_cast<int>(row.StartD.daysTo(row.Finish)));
    calc.CalculateCaseCost(row);
  }
  calc.FinishCases();
  tr.Commit();
  total = calc.CalcSum();
  zero = static_cast<int>(calc.ZeroCostCases().size());
  return Seconds(t0);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int cases = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString registry = dir.filePath(QStringLiteral("registry"));
  QDir().mkpath(registry);
  auto t0 = Clock::now();
  bench::GenerateRegistry(registry, cases);
  std::printf("registry of %d cases generated in %.1f s\n", cases, Seconds(t0));

  std::vector<double> loading, costing, ratio;
  for (int run = 0; run < runs; ++run) {
    QTemporaryDir dbDir(dir.filePath(QStringLiteral("db-XXXXXX")));
    auto db = bench::CreateDatabase(dbDir.path(), QStringLiteral("cost%1").arg(run));
    const bench::LoadTimes t =
        bench::LoadOnce(registry, *db, dbDir.filePath(QStringLiteral("act.txt")));
    AddReferenceTables(*db);
    Money total;
    int zero = 0;
    const double cost = CostOnce(*db, total, zero);
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
