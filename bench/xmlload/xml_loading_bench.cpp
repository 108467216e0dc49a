// Loads a generated XML package (2,000 cases by default for a quick run; the
// aim is measured at 100,000: "xml_loading_bench 100000") into an embedded
// registry database created for the run, and prints cases per second, the
// peak memory and the ratio to the DBF loading of the same cases.
//
// The package's cases have the shape of the DBF loading benchmark's: about
// 1.3 treatment sheets a case, an accompanying and a complication diagnosis
// on the first sheet, an operation for every second case. The DBF loading is
// measured in the same run by running that benchmark (dbf_loading_bench,
// beside this program) with the same number of cases and runs; its best and
// median loading times are read from its output.
//
// Memory: the peak resident size during the loading minus the resident size
// before it (the package's files are streamed; a flat figure across sizes
// means the reader holds no more than one case's tree).
//
// Usage: xml_loading_bench [cases (2000)] [runs (3)]
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "domain/application_state.h"
#include "firebird/fb_database.h"
#include "generated_package.h"
#include "xml_package_lists.h"
#include "xmlload/xml_package_loader.h"

using namespace kelmo;
using kelmo::bench::GeneratePackage;
using kelmo::bench::kPackage;
using Clock = std::chrono::steady_clock;

namespace {

long StatusMb(const char* key) {
  long kb = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    const std::string format = std::string(key) + ": %ld kB";
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, format.c_str(), &kb) == 1) break;
    std::fclose(f);
  }
  return kb / 1024;
}

void ResetPeak() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

class QuietUser : public RunUser {
 public:
  void Message(const QString&, const QString&, RunMessageIcon) override {}
  bool Ask(const QString&, const QString&, RunMessageIcon) override { return true; }
  void Beep() override {}
  void ShowProgress() override {}
  void BeginPhase(const QString&, int) override {}
  void StepRecord() override {}
  void EndProgress() override {}
  void MinimiseWindow() override {}
  void RestoreWindow() override {}
  void ShowProtocol(bool) override {}
};

struct Run {
  double seconds = 0;
  long addedMb = 0;
};

Run LoadOnce(const QString& registry, FbDatabase& db) {
  FbTransaction tr(db);
  PackageLists lists = test::OnePackageLists(kPackage);
  const XmlLoadInputs in = test::MarchLoadInputs(registry);
  ReceptionState state;
  RunState run;
  QuietUser user;
  XmlLoadServices services{db, tr, user, lists, state, run, {}, {}};
  const long before = StatusMb("VmRSS");
  ResetPeak();
  const auto t0 = Clock::now();
  LoadXmlPackage(in, services, 0);
  Run r;
  r.seconds = Seconds(t0);
  r.addedMb = StatusMb("VmHWM") - before;
  return r;
}

// The DBF loading benchmark's best and median loading times for the same
// number of cases and runs; negative when it cannot be run.
std::pair<double, double> DbfLoading(int cases, int runs) {
  QProcess dbf;
  dbf.start(QCoreApplication::applicationDirPath() + "/dbf_loading_bench",
            {QString::number(cases), QString::number(runs)});
  if (!dbf.waitForFinished(-1)) return {-1, -1};
  const QString out = QString::fromUtf8(dbf.readAllStandardOutput());
  const QRegularExpression line(QStringLiteral("loading: +min ([0-9.]+) s, median ([0-9.]+) s"));
  const auto m = line.match(out);
  if (!m.hasMatch()) {
    std::printf("dbf_loading_bench ended with %d:\n%s\n%s\n", dbf.exitCode(),
                qPrintable(out.right(400)),
                qPrintable(QString::fromUtf8(dbf.readAllStandardError()).right(400)));
    return {-1, -1};
  }
  return {m.captured(1).toDouble(), m.captured(2).toDouble()};
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int cases = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString registry = dir.filePath(QStringLiteral("registry"));
  const QString folder = registry + QStringLiteral("/temp/") + kPackage + QStringLiteral(".zip");
  QDir().mkpath(folder);
  const auto g = Clock::now();
  GeneratePackage(folder, cases);
  std::printf("package of %d cases generated in %.1f s\n", cases, Seconds(g));
  std::vector<double> times;
  long added = 0;
  for (int i = 0; i < runs; ++i) {
    QTemporaryDir dbDir(dir.filePath(QStringLiteral("db-XXXXXX")));
    FbDatabase db(QStringLiteral("xmlload%1").arg(i));
    db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
    db.setDatabaseName(dbDir.filePath(QStringLiteral("registry.fdb")));
    db.Open();
    const Run r = LoadOnce(registry, db);
    times.push_back(r.seconds);
    added = std::max(added, r.addedMb);
    std::printf(
        "run %d: XML loading %.2f s (%.0f cases/s), memory added during the loading %ld MB\n",
        i + 1, r.seconds, cases / r.seconds, r.addedMb);
    db.Close();
  }
  const double best = *std::min_element(times.begin(), times.end());
  std::printf(
      "\nXML loading: min %.2f s, median %.2f s: %.0f cases/s (best); peak memory added "
      "%ld MB\n",
      best, Median(times), cases / best, added);
  const auto [dbfBest, dbfMedian] = DbfLoading(cases, runs);
  if (dbfBest <= 0) {
    std::printf("DBF loading: dbf_loading_bench could not be run\n");
    return 0;
  }
  std::printf("DBF loading of the same cases: min %.2f s, median %.2f s: %.0f cases/s (best)\n",
              dbfBest, dbfMedian, cases / dbfBest);
  std::printf("ratio XML / DBF loading: min %.2f, median %.2f (aim: within 1.5)\n", best / dbfBest,
              Median(times) / dbfMedian);
  return 0;
}
