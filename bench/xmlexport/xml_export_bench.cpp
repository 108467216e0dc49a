// Exports a registry of generated cases (2,000 by default for a quick run;
// the aim is measured at 100,000: "xml_export_bench 100000") for the region's
// two insurers, and prints cases per second beside the XML loading of the
// same cases in the same run.
//
// Each run loads the generated package (the loading benchmark's) into an
// embedded registry database created for the run, timing the loading; gives
// every sheet a cost; then exports the local patients of insurer 2778 and of
// insurer 2779 (each about half the cases), timing both exports together.
// Aim: the export no slower than the loading (ratio export / loading at most
// 1).
//
// Usage: xml_export_bench [cases (2000)] [runs (3)]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "documents/xml_export.h"
#include "domain/application_state.h"
#include "firebird/fb_database.h"
#include "firebird/fb_statement.h"
#include "generated_package.h"
#include "recording_run_user.h"
#include "xml_package_lists.h"

using namespace kelmo;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Run {
  double loading = 0;
  double exporting = 0;
  int exported = 0;
};

Run RunOnce(const QString& registry, const QString& package, FbDatabase& db) {
  // The export removes the received package's documents: each run loads a
  // fresh copy.
  const QString folder = registry + "/temp/" + bench::kPackage + ".zip";
  QDir().mkpath(folder);
  for (const QString& name : QDir(package).entryList(QDir::Files))
    QFile::copy(package + "/" + name, folder + "/" + name);
  FbTransaction tr(db);
  PackageLists lists = test::OnePackageLists(bench::kPackage);
  ReceptionState state;
  RunState run;
  test::RecordingRunUser user;
  XmlLoadServices load{db, tr, user, lists, state, run, {}, {}};
  Run r;
  auto t0 = Clock::now();
  const int repn = LoadXmlPackage(test::MarchLoadInputs(registry), load, 0);
  r.loading = Seconds(t0);
  // The costs the cost phase would give, and the second insurer's addressee.
  FbExecute(db, &tr, QStringLiteral("update mtl set ocncost = cost_sf, onech_cost = 0, kdoms = 9"));
  tr.Commit();
  rAdresat second = lists.SenderList[0].Adresats[0];
  second.Number = 2;
  lists.SenderList[0].Adresats << second;

  XmlExportServices services{db, tr, user, lists, {}};
  t0 = Clock::now();
  for (const int insurer : {2778, 2779}) {
    XmlExportInputs in;
    in.RegistryFolder = registry;
    in.XmlPackageMode = true;
    in.InsurerCode = insurer;
    in.ExportLabel = QString::number(insurer);
    in.Reports = {repn};
    in.YearText = QStringLiteral("2024");
    in.MonthIndex = 2;
    in.Today = QDate(2024, 4, 5);
    const XmlExportResult e = WriteXmlExport(in, services);
    if (!e.Written)
      std::printf("export for %d not written: %s\n", insurer,
                  qPrintable(user.messages.join(QLatin1Char('\n'))));
    r.exported += e.Cases;
  }
  r.exporting = Seconds(t0);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int cases = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString package = dir.filePath(QStringLiteral("package"));
  QDir().mkpath(package);
  const auto g = Clock::now();
  bench::GeneratePackage(package, cases);
  std::printf("package of %d cases generated in %.1f s\n", cases, Seconds(g));
  std::vector<double> loading, exporting;
  for (int i = 0; i < runs; ++i) {
    QTemporaryDir runDir(dir.filePath(QStringLiteral("run-XXXXXX")));
    FbDatabase db(QStringLiteral("xmlexport%1").arg(i));
    db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
    db.setDatabaseName(runDir.filePath(QStringLiteral("registry.fdb")));
    db.Open();
    const Run r = RunOnce(runDir.filePath(QStringLiteral("registry")), package, db);
    loading.push_back(r.loading);
    exporting.push_back(r.exporting);
    std::printf(
        "run %d: XML loading %.2f s (%.0f cases/s), export of %d cases for two insurers "
        "%.2f s (%.0f cases/s)\n",
        i + 1, r.loading, cases / r.loading, r.exported, r.exporting, r.exported / r.exporting);
    db.Close();
  }
  const double bestLoad = *std::min_element(loading.begin(), loading.end());
  const double bestExport = *std::min_element(exporting.begin(), exporting.end());
  std::printf("\nXML loading: min %.2f s, median %.2f s: %.0f cases/s (best)\n", bestLoad,
              Median(loading), cases / bestLoad);
  std::printf("XML export:  min %.2f s, median %.2f s: %.0f cases/s (best)\n", bestExport,
              Median(exporting), cases / bestExport);
  std::printf("ratio export / loading: min %.2f, median %.2f (aim: at most 1)\n",
              bestExport / bestLoad, Median(exporting) / Median(loading));
  return 0;
}
