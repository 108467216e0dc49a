// Loads a generated DBF registry (2,000 cases by default for a quick run;
// the aim is measured at 100,000: "dbf_loading_bench 100000"), with about
// 1.3 treatment sheets, 2 diagnoses and 0.5 operations a case, written with
// the DBF engine, into an embedded registry database created for the run,
// and prints cases per second, the memory, and the ratio of the loading's
// time to a plain prepared insert of the same rows into the same tables in
// one transaction. Forced writes stay on (the database's default).
//
// Memory: the resident size when the pass's selection of stacion.dbf is open
// (the reception's selection holds its rows) and the peak after the loading;
// their difference is what the loading itself adds. Run it at several sizes
// to see that the difference stays flat.
//
// The loading is timed from its first case to its last commit, the newborn
// numbering included; the package description that follows is timed apart.
// The plain insert copies the loaded rows of STACION, MTL, DIAGS and OPERAT
// into a second database made from the same scripts, a block of rows at a
// time; only its inserts are timed. Each is run `runs` times on a fresh
// database; the minimum and the median are printed.
//
// Usage: dbf_loading_bench [cases (2000)] [runs (3)]
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bytes/code_pages.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "firebird/fb_database.h"
#include "generated_registry.h"
#include "reception/dbf_loading.h"
#include "reception/registry_dbf_set.h"

using namespace kelmo;
using bench::Clock;
using bench::CreateDatabase;
using bench::GenerateRegistry;
using bench::LoadOnce;
using bench::LoadTimes;
using bench::Median;
using bench::PeakRssMb;
using bench::Seconds;

namespace {

// Copies the loaded rows of the four tables from `from` into `to` with one
// prepared insert per table in one transaction; returns the time spent in
// the inserts and their commit.
double PlainInsert(FbDatabase& from, FbDatabase& to, long& rows) {
  QSqlDatabase target = to.Database();
  target.transaction();
  double spent = 0;
  rows = 0;
  for (const char* table : {"REPORTS", "STACION", "MTL", "DIAGS", "OPERAT"}) {
    QSqlQuery read(from.Database());
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("select * from %1").arg(table)))
      throw std::runtime_error(read.lastError().text().toStdString());
    const QSqlRecord layout = read.record();
    QStringList names, marks;
    for (int i = 0; i < layout.count(); ++i) {
      names << layout.fieldName(i);
      marks << QStringLiteral("?");
    }
    QSqlQuery insert(target);
    insert.prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                       .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    std::vector<std::vector<QVariant>> block;
    auto flush = [&] {
      const auto t0 = Clock::now();
      for (const auto& values : block) {
        for (size_t i = 0; i < values.size(); ++i) insert.bindValue(static_cast<int>(i), values[i]);
        if (!insert.exec()) throw std::runtime_error(insert.lastError().text().toStdString());
        ++rows;
      }
      spent += Seconds(t0);
      block.clear();
    };
    while (read.next()) {
      std::vector<QVariant> values;
      for (int i = 0; i < layout.count(); ++i) values.push_back(read.value(i));
      block.push_back(std::move(values));
      if (block.size() == 5000) flush();
    }
    flush();
  }
  const auto t0 = Clock::now();
  target.commit();
  spent += Seconds(t0);
  return spent;
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
  GenerateRegistry(registry, cases);
  std::printf("registry of %d cases generated in %.1f s\n", cases, Seconds(t0));

  std::vector<double> loading, description, plain;
  long rows = 0;
  long selectionMb = 0, peakAfterLoading = 0;
  for (int run = 0; run < runs; ++run) {
    QTemporaryDir dbDir(dir.filePath(QStringLiteral("db-XXXXXX")));
    auto db = CreateDatabase(dbDir.path(), QStringLiteral("load%1").arg(run));
    const LoadTimes t = LoadOnce(registry, *db, dbDir.filePath(QStringLiteral("act.txt")));
    loading.push_back(t.loading);
    description.push_back(t.description);
    std::printf(
        "run %d: loading %.2f s (%.0f cases/s), description %.2f s, resident with the selection "
        "open %ld MB, peak after the loading %ld MB\n",
        run + 1, t.loading, cases / t.loading, t.description, t.selectionMb, t.peakMb);
    selectionMb = std::max(selectionMb, t.selectionMb);
    peakAfterLoading = std::max(peakAfterLoading, t.peakMb);
    auto copy = CreateDatabase(dbDir.path(), QStringLiteral("plain%1").arg(run));
    plain.push_back(PlainInsert(*db, *copy, rows));
    std::printf("run %d: plain insert of %ld rows %.2f s\n", run + 1, rows, plain.back());
    copy->Close();
    db->Close();
  }
  const double minLoad = *std::min_element(loading.begin(), loading.end());
  const double minPlain = *std::min_element(plain.begin(), plain.end());
  std::printf("\n%d cases, %ld rows in STACION, MTL, DIAGS, OPERAT and REPORTS\n", cases, rows);
  std::printf("loading:        min %.2f s, median %.2f s: %.0f cases/s (best)\n", minLoad,
              Median(loading), cases / minLoad);
  std::printf("plain insert:   min %.2f s, median %.2f s: %.0f cases/s (best)\n", minPlain,
              Median(plain), cases / minPlain);
  std::printf("ratio loading / plain insert: min %.2f, median %.2f (aim: within 3)\n",
              minLoad / minPlain, Median(loading) / Median(plain));
  std::printf("package description after the loading: median %.2f s\n", Median(description));
  std::printf(
      "memory: resident with the selection open %ld MB, peak after the loading %ld MB (the "
      "loading adds %ld MB), peak of the whole run %ld MB\n",
      selectionMb, peakAfterLoading, peakAfterLoading - selectionMb, PeakRssMb());
  return 0;
}
