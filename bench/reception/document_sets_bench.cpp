// The three document sets of a formation (invoices and registers) over a
// generated registry (2,000 cases by default; the aim is measured at 100,000:
// "document_sets_bench 100000"): the registry is loaded into an embedded
// registry database and costed as the cost benchmark does it (the cost
// phase's time is the yardstick), then every sheet is given a cost, a
// one-channel part and the three additional tariffs, a tenth of the cases are
// made out-of-region cases of three insurers in a report of their own, and
// the three document sets write their documents from the templates. Prints
// each set's time (minimum and median of `runs`), the peak memory of the
// process while they run (beside what it held before them), and the whole
// set's time against the cost phase's. Aim: the whole set in under a third
// of the cost phase.
//
// Usage: document_sets_bench [cases (2000)] [runs (3)]
#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "cost_phase.h"
#include "domain/package_lists.h"
#include "firebird/fb_query.h"
#include "generated_registry.h"
#include "reception/document_sets.h"
#include "recording_run_user.h"

using namespace kelmo;
using bench::Clock;
using bench::Median;
using bench::PeakSinceResetMb;
using bench::ResetPeak;
using bench::Seconds;

namespace {

void Exec(FbDatabase& db, FbTransaction& tr, const QString& sql) {
  FbQuery q(db, &tr);
  q.setSql(sql);
  q.ExecSQL();
}

int Scalar(FbDatabase& db, FbTransaction& tr, const QString& sql) {
  FbQuery q(db, &tr);
  q.setSql(sql);
  q.Open();
  return q.Value(0, 0).toInt();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int cases = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString registry = QDir(dir.path()).filePath(QStringLiteral("registry"));
  QDir().mkpath(registry);
  bench::GenerateRegistry(registry, cases);
  auto db = bench::CreateDatabase(dir.path(), QStringLiteral("invoices"));
  bench::LoadOnce(registry, *db, QDir(dir.path()).filePath(QStringLiteral("act.txt")));
  bench::AddReferenceTables(*db);
  Money costTotal;
  int zeroCost = 0;
  const double costing = bench::CostOnce(*db, costTotal, zeroCost);

  FbTransaction tr(*db);
  const int local = Scalar(*db, tr, QStringLiteral("select max(repn) from stacion"));
  const int outOfRegion = local + 1;
  Exec(*db, tr,
       QStringLiteral("update mtl set oplat = 1, kdoms = 5 + mod(id, 9), ocncost = 10000.0050 + "
                      "mod(id, 97), dopcost = mod(id, 3) * 100, onech_cost = mod(id, 5) * 10, "
                      "mod_ffoms_cost = mod(id, 2) * 30, mod_tfoms_cost = mod(id, 3) * 20, "
                      "mod_train_cost = mod(id, 4) * 5, mod_kd = 2, mtl_onco_status = "
                      "iif(mod(id, 10) = 0, 1, 0)"));
  Exec(*db, tr,
       QStringLiteral("update stacion set dopfond = iif(mod(id_ill, 20) = 0, 1, 0), polis = "
                      "iif(mod(id_ill, 3) = 0, '2778', iif(mod(id_ill, 3) = 1, '2779', 'X1'))"));
  Exec(*db, tr,
       QStringLiteral("update stacion set repn = %1 where mod(id_ill, 10) = 0").arg(outOfRegion));
  Exec(*db, tr,
       QStringLiteral("update mtl m set repn = %1 where exists (select 1 from stacion "
                      "s where s.id_ill = m.id_ill and s.repn = %1)")
           .arg(outOfRegion));
  tr.Commit();

  PackageLists& lists = ThePackageLists();
  lists.ReportLists[Population::Local] = {rRepn{local, 1, {}, {}, {}}};
  lists.ReportLists[Population::OutOfRegion] = {rRepn{outOfRegion, 1, {}, {}, {}}};
  lists.PayFolderWord = QStringLiteral("ОМС");
  ReceptionState state;
  state.ReportNumberCopy[Population::Local] = local;
  state.ReportNumberCopy[Population::OutOfRegion] = outOfRegion;
  ReceptionInputs in;
  in.RegistryFolder = registry;
  in.Receiving = false;
  in.PeriodStart = QDate(2024, 3, 1);
  in.PeriodEnd = QDate(2024, 3, 31);
  in.TemplateFolder = QStringLiteral(KELMO_SOURCE_DIR "/templates");
  in.Lpu.FName = QStringLiteral("ГБУ «Больница»");
  in.Lpu.GlVr = QStringLiteral("Петров Пётр Петрович");
  test::RecordingRunUser user;

  const char* const names[] = {"local set", "out-of-region set", "closing set"};
  std::vector<double> times[3];
  long peak = 0;
  // What the process held before the sets (the loading's and the cost
  // phase's), which the peak includes.
  const long before = bench::ResidentMb();
  for (int run = 0; run < runs; ++run) {
    for (int set = 0; set < 3; ++set) {
      state.XmlPackageMode = set > 0;
      FbTransaction setTr(*db);
      ReceptionContext ctx(state, *db, setTr, in, &user);
      ResetPeak();
      const auto t0 = Clock::now();
      WriteDocumentSet(ctx, static_cast<DocumentSet>(set));
      times[set].push_back(Seconds(t0));
      peak = std::max(peak, PeakSinceResetMb());
      setTr.Commit();
    }
  }
  std::printf("%d cases (%d out-of-region), %d runs\n", cases, cases / 10, runs);
  std::printf("document set        min s    median s\n");
  for (int set = 0; set < 3; ++set)
    std::printf("%-19s %-8.3f %.3f\n", names[set],
                *std::min_element(times[set].begin(), times[set].end()), Median(times[set]));
  std::printf("peak memory while the sets ran: %ld MB (resident before them: %ld MB)\n", peak,
              before);
  double wholeMin = 0, wholeMedian = 0;
  for (int set = 0; set < 3; ++set) {
    wholeMin += *std::min_element(times[set].begin(), times[set].end());
    wholeMedian += Median(times[set]);
  }
  std::printf(
      "cost phase %.3f s; whole set / cost phase: min %.2f, median %.2f (aim: under 0.33)\n",
      costing, wholeMin / costing, wholeMedian / costing);
  return 0;
}
