// The documents of a formation over the registry of the loading benchmark
// (2,000 cases by default for a quick run; the aim is measured at 100,000:
// "formation_documents_bench 100000"): the registry is generated, loaded and
// costed as the cost benchmark does it, then the registers of the local and
// the closing document set are written from the program's templates, each
// `runs` times. It prints each document's time (minimum and median) and peak
// resident memory, the size of the written file, and the ratio of the whole
// set's time to the cost phase's time of the same registry. Aim: the whole
// set takes under a third of the cost phase.
//
// Usage: formation_documents_bench [cases (2000)] [runs (3)]
#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "cost_phase.h"
#include "documents/bed_profile_register.h"
#include "documents/treated_patient_register.h"
#include "domain/package_lists.h"
#include "recording_run_user.h"

using namespace kelmo;
using bench::Clock;
using bench::Median;
using bench::Seconds;

namespace {

struct Document {
  const char* name;
  std::function<QStringList()> write;
};

struct Figures {
  std::vector<double> seconds;
  long peakMb = 0;
  qint64 bytes = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int cases = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString registry = bench::GeneratedRegistryIn(dir, cases);

  QTemporaryDir dbDir(dir.filePath(QStringLiteral("db-XXXXXX")));
  auto db = bench::CreateDatabase(dbDir.path(), QStringLiteral("documents"));
  const bench::LoadTimes loaded =
      bench::LoadOnce(registry, *db, dbDir.filePath(QStringLiteral("act.txt")));
  bench::AddReferenceTables(*db);
  Money total;
  int zero = 0;
  const double costing = bench::CostOnce(*db, total, zero);
  std::printf("loading %.2f s, cost phase %.2f s (total %s)\n", loaded.loading, costing,
              qPrintable(total.ToString()));

  FbTransaction tr(*db);
  // Bed profiles as the loading takes them from the licences: 25 of them.
  FbExecute(*db, &tr, QStringLiteral("update mtl set profil_bed = mod(id, 25) + 1"));
  tr.Commit();
  test::RecordingRunUser user;
  workbook::ExcelApplication excel;
  RegisterInputs in{*db, tr, user, excel};
  in.TemplateFolder = QStringLiteral(KELMO_SOURCE_DIR "/templates");
  in.RegistryFolder = registry;
  in.PeriodStart = QDate(2024, 3, 1);
  in.PeriodEnd = QDate(2024, 3, 31);
  in.LpuName = QStringLiteral("Областная больница");
  in.LpuMcod = QStringLiteral("450001");
  in.ReportFooter = QStringLiteral("kelmo");
  in.PayFolderWord = QStringLiteral("ОМС");
  in.Reports = ThePackageLists().ReportLists[Population::Local];
  RegisterInputs closing = in;
  closing.XmlPackageMode = true;
  closing.HasRoundTheClock = true;
  const std::vector<Document> documents = {
      {"local bed-profile register",
       [&] { return WriteBedProfileRegister(in, RegisterVariant::Local); }},
      {"local treated-patient register",
       [&] { return WriteTreatedPatientRegister(in, RegisterVariant::Local); }},
      {"closing bed-profile register",
       [&] { return WriteBedProfileRegister(closing, RegisterVariant::Closing); }},
      {"closing treated-patient register",
       [&] { return WriteTreatedPatientRegister(closing, RegisterVariant::Closing); }},
  };
  std::vector<Figures> figures(documents.size());
  std::vector<double> setSeconds;
  for (int run = 0; run < runs; ++run) {
    double set = 0;
    for (size_t d = 0; d < documents.size(); ++d) {
      bench::ResetPeak();
      const auto start = Clock::now();
      const QStringList saved = documents[d].write();
      const double seconds = Seconds(start);
      set += seconds;
      figures[d].seconds.push_back(seconds);
      figures[d].peakMb = std::max(figures[d].peakMb, bench::PeakSinceResetMb());
      figures[d].bytes = 0;
      for (const QString& file : saved) figures[d].bytes += QFileInfo(file).size();
    }
    setSeconds.push_back(set);
  }
  std::printf("\n%d cases, %d runs\n", cases, runs);
  for (size_t d = 0; d < documents.size(); ++d) {
    const Figures& f = figures[d];
    std::printf("%-34s min %6.2f s, median %6.2f s, peak %5ld MB, file %.1f MB\n",
                documents[d].name, *std::min_element(f.seconds.begin(), f.seconds.end()),
                Median(f.seconds), f.peakMb, f.bytes / 1048576.0);
  }
  const double best = *std::min_element(setSeconds.begin(), setSeconds.end());
  std::printf("whole set: min %.2f s, median %.2f s; cost phase %.2f s\n", best, Median(setSeconds),
              costing);
  std::printf("ratio set / cost phase: min %.2f, median %.2f (aim: under 0.33)\n", best / costing,
              Median(setSeconds) / costing);
  db->Close();
  return 0;
}
