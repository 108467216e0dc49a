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
#include "reception/dbf_loading.h"
#include "reception/preliminary_checks.h"
#include "reception/registry_dbf_set.h"

using namespace kelmo;
using Clock = std::chrono::steady_clock;

namespace {

long PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

// The peak resident size since the last ResetPeak (VmHWM), so that each run
// shows its own peak and not an earlier run's.
void ResetPeak() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

long PeakSinceResetMb() {
  long kb = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(f);
  }
  return kb > 0 ? kb / 1024 : PeakRssMb();
}

long ResidentMb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

std::string Cp1251(const char* utf8) {
  return bytes::EncodeFromUtf8(utf8, bytes::CodePage::Cp1251);
}

// A table of the registry set, its rows appended through the DBF engine.
class TableWriter {
 public:
  TableWriter(const QString& folder, const char* file) {
    const std::string path = QDir(folder).filePath(file).toStdString();
    {
      dbf::DFO_DBFBuild build(path);
      build.SetLanguageByte(0xC9);
      for (const DbfFieldSpec& f : RegistryTableFields(QString::fromLatin1(file)))
        build.AddField(f.Name, f.Type, f.Width, f.Decimals);
      build.WriteFiles();
    }
    table_ = std::make_unique<dbf::DFO_dBHandler>(path, false, true, "");
  }
  dbf::DFO_dBHandler& operator*() { return *table_; }
  dbf::DFO_dBHandler* operator->() { return table_.get(); }

 private:
  std::unique_ptr<dbf::DFO_dBHandler> table_;
};

void GenerateRegistry(const QString& folder, int cases) {
  TableWriter stacion(folder, "stacion.dbf");
  TableWriter mtl(folder, "mtl.dbf");
  TableWriter operat(folder, "operat.dbf");
  TableWriter(folder, "parents.dbf");
  const char* families[] = {"Иванов", "Петров", "Сидорова", "Смирнов", "Кузнецова"};
  std::vector<std::string> family;
  for (const char* f : families) family.push_back(Cp1251(f));
  const std::string name = Cp1251("Иван"), father = Cp1251("Иванович");
  for (int i = 1; i <= cases; ++i) {
    stacion->BlankRecord();
    stacion->PutNumericByName("ID", i);
    stacion->PutFieldTextByName("FAMILY", family[static_cast<size_t>(i) % family.size()]);
    stacion->PutFieldTextByName("NAME", name);
    stacion->PutFieldTextByName("FATHER", father);
    stacion->PutNumericByName("POL", 1 + i % 2);
    stacion->PutFieldTextByName("DR", "19700501");
    stacion->PutNumericByName("OBL", 1137);
    stacion->PutFieldTextByName("NOMIB", std::to_string(i));
    stacion->PutNumericByName("DOKUMENT", 14);
    stacion->PutFieldTextByName("D_SERIA", "45 01");
    stacion->PutFieldTextByName("D_NOMBER", "123456");
    stacion->PutFieldTextByName("IN_STAC", "20240301");
    stacion->PutFieldTextByName("OUT_STAC", "20240310");
    stacion->PutFieldTextByName("DZ", "20240310");
    stacion->PutFieldTextByName("SOCIUM", "1");
    stacion->PutNumericByName("TIP_STAC", 1);
    stacion->PutFieldTextByName("STAC_DIAG", "I10");
    stacion->PutNumericByName("RES_LECEN", 101);
    stacion->PutFieldTextByName("POL_OBL", "1137");
    stacion->PutFieldTextByName("SERIA", "AB");
    stacion->PutFieldTextByName("NUMBER", std::to_string(4500000000000000LL + i));
    stacion->PutFieldTextByName("POLIS", i % 2 ? "2778" : "2779");
    stacion->PutNumericByName("NUM_KARTA", i);
    stacion->PutNumericByName("VPOLIS", 3);
    stacion->PutFieldTextByName("MCOD", "450001");
    stacion->Append();
    const int sheets = i % 10 < 3 ? 2 : 1;
    for (int n = 1; n <= sheets; ++n) {
      mtl->BlankRecord();
      mtl->PutNumericByName("ID", i);
      mtl->PutNumericByName("NOM_MTL", n);
      mtl->PutNumericByName("OPLAT", 1);
      mtl->PutNumericByName("PROFILE", n);
      mtl->PutFieldTextByName("STAC_DIAG", "I10");
      if (n == 1) {
        mtl->PutFieldTextByName("ACCOMP1", "E11.9");
        mtl->PutFieldTextByName("COMP1", "I50");
      }
      mtl->PutFieldTextByName("KOD_MES", "1234567");
      mtl->PutFieldTextByName("START", n == 1 ? "20240301" : "20240305");
      mtl->PutFieldTextByName("END", n == sheets ? "20240310" : "20240305");
      mtl->PutFieldTextByName("VR_SPEC", "76");
      mtl->PutNumericByName("VID_POM", 31);
      mtl->Append();
    }
    if (i % 2 == 0) {
      operat->BlankRecord();
      operat->PutNumericByName("ID", i);
      operat->PutNumericByName("OPERATION", 7);
      operat->PutFieldTextByName("DATA_OPER", "20240303");
      operat->PutFieldTextByName("USLUG", "A16.14.009");
      operat->Append();
    }
  }
}

// A registry database made from db/registry in `folder`.
std::unique_ptr<FbDatabase> CreateDatabase(const QString& folder, const QString& connection) {
  auto db = std::make_unique<FbDatabase>(connection);
  db->setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
  db->setDatabaseName(QDir(folder).filePath(connection + QStringLiteral(".fdb")));
  db->Open();
  return db;
}

struct LoadTimes {
  double loading = 0;
  double description = 0;
  long selectionMb = 0;        // resident with the selection open
  long peakMb = 0;             // peak from the selection through the loading
  long descriptionPeakMb = 0;  // peak of the package description
};

LoadTimes LoadOnce(const QString& registry, FbDatabase& db, const QString& actPath) {
  FbTransaction tr(db);
  ReceptionState& state = TheReceptionState();
  state.Act.Create(actPath);
  ReceptionContext ctx{state, db, tr};
  ctx.RegistryFolder = registry;
  ctx.WorkFolder = registry;
  ctx.YearText = QStringLiteral("2024");
  ctx.MonthIndex = 2;
  ctx.PeriodStart = QDate(2024, 3, 1);
  ctx.PeriodEnd = QDate(2024, 3, 31);
  ctx.LpuId = 1;
  ResetPeak();
  PassSelection selection = SelectPassCases(ctx, Population::Local);
  if (!selection.HasCases()) throw std::runtime_error("the generated registry selects no case");
  LoadTimes t;
  t.selectionMb = ResidentMb();
  const auto t0 = Clock::now();
  LoadDbfPass(ctx, Population::Local, selection);
  tr.Commit();
  t.loading = Seconds(t0);
  t.peakMb = PeakSinceResetMb();
  ResetPeak();
  const auto t1 = Clock::now();
  FinishDbfPassLoading(ctx, Population::Local);
  tr.Commit();
  t.description = Seconds(t1);
  t.descriptionPeakMb = PeakSinceResetMb();
  state.Act.Close();
  return t;
}

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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
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
