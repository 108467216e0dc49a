// Scans a 500,000-record table shaped like stacion.dbf three ways and prints
// records per second and the ratios: a plain sequential read of the file, the
// DBF engine reading every field of every record, and the SQL layer counting
// the rows that match a condition on a text field (equality, LIKE, GLOB). The
// engine scan and each statement run several times and the best time counts,
// so that a busy machine does not decide the ratios. The peak resident memory
// is printed after each phase: it must not grow with the table (the look-up
// phase holds a 12-byte-a-row index of the searched column).
//
// Usage: dbf_scan_bench [records] [folder] [runs]
#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bytes/code_pages.h"
#include "dbfsql/dbf_query.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"

using namespace kelmo::dbf;
using namespace kelmo::bytes;
using Clock = std::chrono::steady_clock;

namespace {

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// The shortest of runs timings of step.
template <typename Step>
double Best(int runs, Step step) {
  double best = 0;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    step();
    const double s = Seconds(t0);
    if (i == 0 || s < best) best = s;
  }
  return best;
}

// Fields of the registry's stacion.dbf that the loading reads (a subset of
// the real table, with its widths).
struct FieldShape {
  const char* name;
  char type;
  int width;
  int decimals;
};
const FieldShape kFields[] = {
    {"ID", 'N', 10, 0},        {"FAMILY", 'C', 40, 0},    {"NAME", 'C', 40, 0},
    {"FATHER", 'C', 40, 0},    {"POL", 'C', 1, 0},        {"DR", 'D', 8, 0},
    {"RESP", 'C', 3, 0},       {"OBL", 'C', 5, 0},        {"RAION", 'C', 30, 0},
    {"PUNCT", 'C', 30, 0},     {"STRIT", 'C', 30, 0},     {"HOUSE", 'C', 7, 0},
    {"FLAT", 'C', 5, 0},       {"NOMIB", 'C', 15, 0},     {"DOKUMENT", 'N', 2, 0},
    {"SERIA", 'C', 10, 0},     {"NUMBER", 'C', 20, 0},    {"POLIS", 'C', 20, 0},
    {"POL_OBL", 'C', 5, 0},    {"SOCIUM", 'N', 2, 0},     {"KATEGOR", 'N', 3, 0},
    {"OTDELENIE", 'C', 10, 0}, {"IN_STAC", 'D', 8, 0},    {"OUT_STAC", 'D', 8, 0},
    {"NAPR_DIAG", 'C', 7, 0},  {"STAC_DIAGS", 'C', 7, 0}, {"KOD_MESS", 'C', 10, 0},
    {"RES_LECEN", 'N', 3, 0},  {"DZ", 'D', 8, 0},         {"VOZRAST", 'N', 3, 0},
    {"KDMTL", 'N', 5, 0},      {"SUMV", 'N', 14, 2},      {"TIP_STAC", 'N', 1, 0},
    {"MCOD", 'C', 8, 0},       {"HASH", 'C', 32, 0},      {"OPLAT", 'N', 2, 0},
};

const char* kFamilies[] = {"Иванов", "Петров",  "Сидоров", "Смирнов", "Кузнецов",
                           "Попов",  "Соколов", "Лебедев", "Козлов",  "Новиков"};

std::string BuildTable(const std::string& folder, int records) {
  const std::string path = folder + "/stacion.dbf";
  {
    DFO_DBFBuild b(path);
    b.SetLanguageByte(0x65);
    for (const FieldShape& s : kFields) b.AddField(s.name, s.type, s.width, s.decimals);
    b.WriteFiles();
  }
  std::vector<uint8_t> image;
  int32_t headerLength = 0, recordLength = 0;
  std::vector<int> idOffset(1), familyOffset(1);
  {
    DFO_dBHandler t(path, false, true, "");
    t.BlankRecord();
    for (const auto& f : t.Fields()) {
      if (f.type == 'C') t.PutFieldText(f.number, "X");
    }
    t.PutFieldTextByName("DR", "19700101");
    t.PutFieldTextByName("IN_STAC", "20120105");
    t.PutFieldTextByName("OUT_STAC", "20120115");
    t.PutFieldRawByName("DZ", "");
    t.PutFieldTextByName("POL_OBL", "1137");
    t.PutNumericByName("SUMV", 12345.67);
    t.PutNumericByName("TIP_STAC", 1);
    image.assign(t.RecordBuffer(), t.RecordBuffer() + t.RecordLength());
    headerLength = t.HeaderLength();
    recordLength = t.RecordLength();
    idOffset[0] = t.FieldByName("ID").offset;
    familyOffset[0] = t.FieldByName("FAMILY").offset;
  }
  std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
  out.seekp(headerLength);
  std::vector<char> chunk;
  chunk.reserve(static_cast<size_t>(recordLength) * 1024);
  std::vector<std::string> families;
  for (const char* f : kFamilies) families.push_back(EncodeFromUtf8(f, CodePage::Cp866));
  for (int i = 1; i <= records; ++i) {
    char id[16];
    std::snprintf(id, sizeof id, "%10d", i);
    std::memcpy(image.data() + idOffset[0], id, 10);
    const std::string& fam = families[static_cast<size_t>(i) % families.size()];
    std::memset(image.data() + familyOffset[0], ' ', 40);
    std::memcpy(image.data() + familyOffset[0], fam.data(), fam.size());
    chunk.insert(chunk.end(), image.begin(), image.end());
    if (chunk.size() >= static_cast<size_t>(recordLength) * 1024 || i == records) {
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      chunk.clear();
    }
  }
  out.put(0x1A);
  uint8_t count[4];
  PutLe32(count, static_cast<uint32_t>(records));
  out.seekp(4);
  out.write(reinterpret_cast<const char*>(count), 4);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 500000;
  QTemporaryDir scratch;
  const std::string folder = argc > 2 ? argv[2] : scratch.path().toStdString();
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  auto t0 = Clock::now();
  const std::string path = BuildTable(folder, records);
  std::printf("table: %d records, built in %.2f s, peak RSS %ld KB\n", records, Seconds(t0),
              PeakRssKb());

  // Plain sequential read, 32 KB at a time, nothing done with the bytes.
  t0 = Clock::now();
  uint64_t checksum = 0;
  {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    std::vector<char> buf(32768);
    size_t n;
    while (in && (n = std::fread(buf.data(), 1, buf.size(), in)) > 0)
      checksum += static_cast<unsigned char>(buf[n - 1]);
    if (in) std::fclose(in);
  }
  const double plain = Seconds(t0);
  std::printf("plain read:   %.3f s  %12.0f records/s  peak RSS %ld KB  (checksum %llu)\n", plain,
              records / plain, PeakRssKb(), static_cast<unsigned long long>(checksum));

  // Engine: every field of every record, raw bytes.
  uint64_t touched = 0;
  int seen = 0;
  const double engine = Best(runs, [&] {
    touched = 0;
    seen = 0;
    DFO_dBHandler t(path, true, false, "");
    t.SetUseDeleted(false);
    t.UseRecordBuffer(true);
    for (t.GoTo(kMoveFirst); !t.Eof(); t.GoTo(kMoveNext)) {
      ++seen;
      for (const auto& f : t.Fields()) touched += static_cast<unsigned char>(t.RawField(f)[0]);
    }
  });
  std::printf("engine scan:  %.3f s  %12.0f records/s  peak RSS %ld KB  (%d records, %llu)\n",
              engine, seen / engine, PeakRssKb(), seen, static_cast<unsigned long long>(touched));

  // Engine with typed values: display text, numbers and dates.
  t0 = Clock::now();
  double sum = 0;
  {
    DFO_dBHandler t(path, true, false, "");
    t.SetUseDeleted(false);
    t.UseRecordBuffer(true);
    for (t.GoTo(kMoveFirst); !t.Eof(); t.GoTo(kMoveNext)) {
      for (const auto& f : t.Fields()) {
        if (f.type == 'N') {
          sum += t.GetNumeric(f.number);
        } else if (f.type == 'D') {
          sum += t.GetDate(f.number);
        } else {
          sum += static_cast<double>(t.FieldText(f.number).size());
        }
      }
    }
  }
  const double typed = Seconds(t0);
  std::printf("engine typed: %.3f s  %12.0f records/s  peak RSS %ld KB\n", typed, records / typed,
              PeakRssKb());

  // SQL layer: count over a condition on a text field.
  const char* statements[] = {
      "select count(*) n from stacion.dbf s where s.family = 'Петров'",
      "select count(*) n from stacion.dbf s where s.family like 'Пет%'",
      "select count(*) n from stacion.dbf s where s.family like 'пЕТ%'",
      "select count(*) n from stacion.dbf s where s.family glob 'Пет*'",
      "select count(*) n from stacion.dbf s where s.family like '%ров'",
  };
  std::vector<double> sqlTimes;
  for (const char* sql : statements) {
    long long rows = 0;
    const double s = Best(runs, [&] {
      kelmo::dbfsql::TQuery q;
      q.SetDatabaseName(QString::fromStdString(folder));
      q.SetStatement({QString::fromUtf8(sql)});
      q.Open();
      rows = q.FieldByName("n").toLongLong();
    });
    sqlTimes.push_back(s);
    std::printf("sql:          %.3f s  %12.0f records/s  peak RSS %ld KB  (%lld rows: %s)\n", s,
                records / s, PeakRssKb(), rows, sql);
  }
  // Per-case look-ups, as the loading runs them: the first scans, the second
  // builds the column's look-up index, the rest use it.
  {
    kelmo::dbfsql::TQuery q;
    q.SetDatabaseName(QString::fromStdString(folder));
    q.SetStatement({"select * from stacion.dbf where id=:id"});
    const int lookups = 2000;
    t0 = Clock::now();
    long found = 0;
    for (int i = 0; i < lookups; ++i) {
      q.Close();
      q.SetParam("id", 1 + (i * 7919) % records);
      q.Open();
      found += q.RecordCount();
    }
    const double s = Seconds(t0);
    std::printf("sql look-ups: %.3f s  %12.0f look-ups/s  peak RSS %ld KB  (%ld found)\n", s,
                lookups / s, PeakRssKb(), found);
  }
  std::printf("ratios: engine/plain %.2f, typed engine/plain %.2f\n", engine / plain,
              typed / plain);
  for (size_t i = 0; i < sqlTimes.size(); ++i) {
    std::printf("ratio sql/engine %.2f: %s\n", sqlTimes[i] / engine, statements[i]);
  }
  return 0;
}
