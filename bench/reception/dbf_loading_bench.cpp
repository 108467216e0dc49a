// Loads a generated DBF registry (2,000 cases by default for a quick run;
// the aims are measured at 25,000 to 100,000: "dbf_loading_bench
// 25000,50000,100000"), with about 1.3 treatment sheets, 2 diagnoses and 0.5
// operations a case, written with the DBF engine, into an embedded registry
// database created for the run, and prints cases per second, the peak
// memory, and the ratio of the loading's time to a plain prepared insert of
// the same rows into the same tables in one transaction. Forced writes stay
// on (the database's default).
//
// The pass's cases are selected as the reception selects them (its fix-ups
// of the working copy and its selection of stacion.dbf, read forward) and
// loaded. Memory: the resident size with the selection open, and the peak
// of the process from the selection through the loading and the package
// description (VmHWM, reset before each run); the peak per size is printed
// at the end, smallest size first, to show that it stays flat.
//
// The loading is timed from its first case to its last commit, the newborn
// numbering included; the package description that follows (bed profiles,
// sheet counts and the description) is timed apart. The plain insert copies
// the loaded rows of STACION, MTL, DIAGS and OPERAT into a second database
// made from the same scripts, a block of rows at a time; only its inserts
// are timed. Each is run `runs` times on a fresh database; the minimum and
// the median are printed.
//
// Usage: dbf_loading_bench [cases (2000), or sizes separated by commas] [runs (3)]
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
#include "reception/preliminary_checks.h"
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
    // The stored columns only: a computed column takes no value.
    QSqlQuery columns(to.Database());
    columns.prepare(QStringLiteral(
        "select trim(rf.rdb$field_name) from rdb$relation_fields rf join rdb$fields f "
        "on f.rdb$field_name = rf.rdb$field_source where rf.rdb$relation_name = ? "
        "and f.rdb$computed_source is null order by rf.rdb$field_position"));
    columns.addBindValue(QString::fromLatin1(table));
    if (!columns.exec()) throw std::runtime_error(columns.lastError().text().toStdString());
    QStringList names, marks;
    while (columns.next()) {
      names << columns.value(0).toString();
      marks << QStringLiteral("?");
    }
    QSqlQuery read(from.Database());
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("select %1 from %2").arg(names.join(QLatin1Char(',')), table)))
      throw std::runtime_error(read.lastError().text().toStdString());
    const QSqlRecord layout = read.record();
    QSqlQuery insert(target);
    if (!insert.prepare(
            QStringLiteral("insert into %1 (%2) values (%3)")
                .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))))
      throw std::runtime_error(insert.lastError().text().toStdString());
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

struct SizeFigures {
  int cases = 0;
  long peakMb = 0;
  long descriptionPeakMb = 0;
  long selectionMb = 0;
  double ratioMin = 0;
  double ratioMedian = 0;
  double description = 0;
};

SizeFigures MeasureSize(const QString& root, int cases, int runs) {
  const QString registry = QDir(root).filePath(QStringLiteral("registry%1").arg(cases));
  QDir().mkpath(registry);
  auto t0 = Clock::now();
  GenerateRegistry(registry, cases);
  std::printf("registry of %d cases generated in %.1f s\n", cases, Seconds(t0));

  std::vector<double> loading, description, plain;
  long rows = 0;
  SizeFigures f;
  f.cases = cases;
  for (int run = 0; run < runs; ++run) {
    QTemporaryDir dbDir(QDir(root).filePath(QStringLiteral("db-XXXXXX")));
    auto db = CreateDatabase(dbDir.path(), QStringLiteral("load%1").arg(run));
    const LoadTimes t = LoadOnce(registry, *db, dbDir.filePath(QStringLiteral("act.txt")));
    loading.push_back(t.loading);
    description.push_back(t.description);
    std::printf(
        "run %d: loading %.2f s (%.0f cases/s), description %.2f s, resident with the selection "
        "open %ld MB, peak of the loading %ld MB, of the description %ld MB\n",
        run + 1, t.loading, cases / t.loading, t.description, t.selectionMb, t.peakMb,
        t.descriptionPeakMb);
    f.selectionMb = std::max(f.selectionMb, t.selectionMb);
    f.peakMb = std::max(f.peakMb, t.peakMb);
    f.descriptionPeakMb = std::max(f.descriptionPeakMb, t.descriptionPeakMb);
    auto copy = CreateDatabase(dbDir.path(), QStringLiteral("plain%1").arg(run));
    plain.push_back(PlainInsert(*db, *copy, rows));
    std::printf("run %d: plain insert of %ld rows %.2f s\n", run + 1, rows, plain.back());
    copy->Close();
    db->Close();
  }
  QDir(registry).removeRecursively();
  const double minLoad = *std::min_element(loading.begin(), loading.end());
  const double minPlain = *std::min_element(plain.begin(), plain.end());
  f.ratioMin = minLoad / minPlain;
  f.ratioMedian = Median(loading) / Median(plain);
  f.description = Median(description);
  std::printf("\n%d cases, %ld rows in STACION, MTL, DIAGS, OPERAT and REPORTS\n", cases, rows);
  std::printf("loading:        min %.2f s, median %.2f s: %.0f cases/s (best)\n", minLoad,
              Median(loading), cases / minLoad);
  std::printf("plain insert:   min %.2f s, median %.2f s: %.0f cases/s (best)\n", minPlain,
              Median(plain), cases / minPlain);
  std::printf("ratio loading / plain insert: min %.2f, median %.2f (aim: within 3)\n", f.ratioMin,
              f.ratioMedian);
  std::printf("package description after the loading: min %.2f s, median %.2f s\n",
              *std::min_element(description.begin(), description.end()), f.description);
  std::printf(
      "memory: resident with the selection open %ld MB, peak of the loading %ld MB, of the "
      "description %ld MB\n\n",
      f.selectionMb, f.peakMb, f.descriptionPeakMb);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<int> sizes;
  for (const QString& size :
       QString::fromLocal8Bit(argc > 1 ? argv[1] : "2000").split(QLatin1Char(','))) {
    sizes.push_back(std::max(1, size.toInt()));
  }
  std::sort(sizes.begin(), sizes.end());
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  std::vector<SizeFigures> figures;
  for (int cases : sizes) figures.push_back(MeasureSize(dir.path(), cases, runs));
  std::printf(
      "cases      peak MB of the loading  of the description  ratio min  ratio median  "
      "description s\n");
  for (const SizeFigures& f : figures)
    std::printf("%-10d %-23ld %-19ld %-10.2f %-13.2f %.2f\n", f.cases, f.peakMb,
                f.descriptionPeakMb, f.ratioMin, f.ratioMedian, f.description);
  std::printf(
      "peak memory of the whole process %ld MB (aim: the peak flat in the number of cases)\n",
      PeakRssMb());
  return 0;
}
