// The generated DBF registry of the loading benchmark and its loading into
// an embedded registry database, shared by the benchmarks that measure what
// follows the loading (the cost phase): about 1.3 treatment sheets, 2
// diagnoses and 0.5 operations a case, March 2024, institution 1.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bytes/code_pages.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "firebird/fb_database.h"
#include "reception/dbf_loading.h"
#include "reception/preliminary_checks.h"
#include "reception/registry_dbf_set.h"

namespace kelmo::bench {

using Clock = std::chrono::steady_clock;

inline long PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

// The peak resident size since the last ResetPeak (VmHWM), so that each run
// shows its own peak and not an earlier run's.
inline void ResetPeak() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

inline long PeakSinceResetMb() {
  long kb = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(f);
  }
  return kb > 0 ? kb / 1024 : PeakRssMb();
}

inline long ResidentMb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

inline double Seconds(Clock::time_point from) {
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

inline void GenerateRegistry(const QString& folder, int cases) {
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

// The generated registry in the folder "registry" of `dir`, with the time
// it took printed.
inline QString GeneratedRegistryIn(const QTemporaryDir& dir, int cases) {
  const QString registry = dir.filePath(QStringLiteral("registry"));
  QDir().mkpath(registry);
  const auto t0 = Clock::now();
  GenerateRegistry(registry, cases);
  std::printf("registry of %d cases generated in %.1f s\n", cases, Seconds(t0));
  return registry;
}

// A registry database made from db/registry in `folder`.
inline std::unique_ptr<FbDatabase> CreateDatabase(const QString& folder,
                                                  const QString& connection) {
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

inline LoadTimes LoadOnce(const QString& registry, FbDatabase& db, const QString& actPath) {
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

// The middle value of several runs.
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace kelmo::bench
