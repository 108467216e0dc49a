// Typed scan of a wide table: 500,000 records of 32 fields (text, numbers,
// dates, logicals), every field of every record read as a typed value, as the
// loading reads registry tables: through the table handler (texts copied, or
// as views into the record), and through the dataset (each field into a new
// value, into one value kept through the scan, into a value whose text is a
// view, or the whole record into views at once; exclusive, and shared with a
// new value per field). The values are folded into an integer sum, cheap
// beside the reads. Printed beside `cat` of the cached file and
// python's dbfread reading the same records, all in the same run: min and
// median of several runs, and the ratios to `cat`.
//
// Usage: dbf_typed_scan_bench [records] [runs] [dbfread runs] [scans]
// where scans, for profiling one of them, is a comma-separated list of the
// line names' short forms: defaults,buffered,views,dataset,one,dview,rview,
// shared
// (all when omitted).
#include <QTemporaryDir>
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bytes/code_pages.h"
#include "dbf/dbf_dataset.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"

using namespace kelmo::dbf;
using kelmo::bytes::CodePage;
using kelmo::bytes::EncodeFromUtf8;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

struct Spread {
  double min = 0;
  double median = 0;
};

template <typename Step>
Spread Runs(int runs, Step step) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    step();
    times.push_back(Seconds(t0));
  }
  std::sort(times.begin(), times.end());
  return {times.front(), times[times.size() / 2]};
}

struct FieldShape {
  char type;
  int width;
  int decimals;
};
// 32 fields: 16 texts, 10 numbers, 4 dates, 2 logicals.
const FieldShape kShapes[] = {
    {'N', 10, 0}, {'C', 40, 0}, {'C', 40, 0}, {'C', 40, 0}, {'C', 1, 0},  {'D', 8, 0}, {'C', 3, 0},
    {'C', 5, 0},  {'C', 30, 0}, {'C', 30, 0}, {'C', 30, 0}, {'C', 7, 0},  {'N', 2, 0}, {'C', 10, 0},
    {'C', 20, 0}, {'N', 2, 0},  {'N', 3, 0},  {'D', 8, 0},  {'D', 8, 0},  {'C', 7, 0}, {'C', 10, 0},
    {'N', 3, 0},  {'D', 8, 0},  {'N', 3, 0},  {'N', 5, 0},  {'N', 14, 2}, {'N', 1, 0}, {'C', 8, 0},
    {'C', 32, 0}, {'N', 2, 0},  {'L', 1, 0},  {'L', 1, 0},
};

std::string BuildTable(const std::string& folder, int records) {
  const std::string path = folder + "/wide.dbf";
  {
    DFO_DBFBuild b(path);
    b.SetLanguageByte(0x65);
    int i = 0;
    for (const FieldShape& s : kShapes) {
      b.AddField("F" + std::to_string(++i), s.type, s.width, s.decimals);
    }
    b.WriteFiles();
  }
  DFO_dBHandler t(path, false, true, "");
  const std::string names[] = {EncodeFromUtf8("Иванов", CodePage::Cp866),
                               EncodeFromUtf8("Петрова", CodePage::Cp866), "SMITH"};
  // Three record images, repeated through the table, written in large blocks.
  std::vector<char> three;
  for (int r = 1; r <= 3; ++r) {
    t.BlankRecord();
    for (const auto& f : t.Fields()) {
      switch (f.type) {
        case 'C':
          t.PutFieldText(f.number, names[(r + f.number) % 3]);
          break;
        case 'N':
          t.PutNumeric(f.number, f.decimalsByte ? (r % 100000) / 100.0 : (r + f.number) % 9);
          break;
        case 'D':
          t.PutFieldRaw(f.number, r % 7 ? "20120131" : "        ");
          break;
        case 'L':
          t.PutFieldRaw(f.number, r % 2 ? "T" : "F");
          break;
      }
    }
    three.insert(three.end(), t.RecordBuffer(), t.RecordBuffer() + t.RecordLength());
  }
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(t.HeaderLength());
  const size_t length = static_cast<size_t>(t.RecordLength());
  std::vector<char> block;
  for (int r = 0; r < records; ++r) {
    const char* rec = three.data() + length * static_cast<size_t>(r % 3);
    block.insert(block.end(), rec, rec + length);
    if (block.size() > (1 << 20) || r == records - 1) {
      file.write(block.data(), static_cast<std::streamsize>(block.size()));
      block.clear();
    }
  }
  file.put(0x1A);
  uint8_t count[4];
  PutLe32(count, static_cast<uint32_t>(records));
  file.seekp(4);
  file.write(reinterpret_cast<const char*>(count), 4);
  return path;
}

// Every field of every record through the table handler as typed values;
// texts copied (FieldText) or as views into the record (FieldView).
template <bool kViews>
uint64_t TypedScan(DFO_dBHandler& t) {
  // The values are folded into a sum of their bits: cheap beside the reads,
  // and no read can be left out.
  uint64_t sum = 0;
  for (t.GoTo(kMoveFirst); !t.Eof(); t.GoTo(kMoveNext)) {
    for (const auto& f : t.Fields()) {
      switch (f.type) {
        case 'N':
          sum += std::bit_cast<uint64_t>(t.GetNumeric(f.number));
          break;
        case 'D':
          sum += static_cast<uint64_t>(t.GetDate(f.number));
          break;
        case 'L':
          sum += t.GetLogical(f.number);
          break;
        default:
          if constexpr (kViews) {
            sum += t.FieldView(f.number).size();
          } else {
            sum += t.FieldText(f.number).size();
          }
      }
    }
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 500000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const int peerRuns = argc > 3 ? std::max(0, std::atoi(argv[3])) : 3;
  const std::string only = argc > 4 ? "," + std::string(argv[4]) + "," : std::string();
  auto chosen = [&](const char* scan) {
    return only.empty() || only.find("," + std::string(scan) + ",") != std::string::npos;
  };
  QTemporaryDir scratch;
  const std::string folder = scratch.path().toStdString();
  const std::string path = BuildTable(folder, records);
  std::printf("table: %d records of %zu fields, %ld bytes; %d runs (dbfread %d)\n", records,
              std::size(kShapes), static_cast<long>(std::ifstream(path, std::ios::ate).tellg()),
              runs, peerRuns);

  const std::string catCommand = "cat '" + path + "' > /dev/null";
  std::system(catCommand.c_str());  // the file in the page cache
  const Spread cat = Runs(runs, [&] { std::system(catCommand.c_str()); });

  uint64_t sink = 0;
  auto handlerScan = [&](bool buffer, bool views) {
    DFO_dBHandler t(path, true, false, "");
    t.SetUseDeleted(false);
    t.UseRecordBuffer(buffer);
    sink += views ? TypedScan<true>(t) : TypedScan<false>(t);
  };
  // Each field read into a new value, into one value kept through the scan,
  // into one value whose text is a view into the record, or the whole record
  // into values whose texts are views.
  enum class Into { kNewValue, kKeptValue, kView, kRecordViews };
  auto datasetScan = [&](bool exclusive, Into into) {
    TDbfDataSet ds;
    ds.SetDatabaseName(folder);
    ds.SetTableName("wide.dbf");
    ds.SetExclusive(exclusive);
    ds.SetReadOnly(true);
    ds.Open();
    const std::vector<TDbfFieldDef> defs = ds.FieldDefs();
    uint64_t sum = 0;
    auto add = [&](const auto& v) {
      sum += std::bit_cast<uint64_t>(v.number) + static_cast<uint64_t>(v.integer + v.day) +
             v.boolean + v.text.size();
    };
    TDbfFieldValue kept;
    TDbfFieldView view;
    std::vector<TDbfFieldView> views;
    for (; !ds.Eof(); ds.Next()) {
      if (into == Into::kRecordViews) {
        ds.GetRecordViews(views);
        for (const TDbfFieldDef& d : defs) add(views[static_cast<size_t>(d.fieldNo - 1)]);
        continue;
      }
      for (const TDbfFieldDef& d : defs) {
        switch (into) {
          case Into::kNewValue:
            add(ds.GetFieldData(d.fieldNo));
            break;
          case Into::kKeptValue:
            ds.GetFieldData(d.fieldNo, kept);
            add(kept);
            break;
          case Into::kView:
            ds.GetFieldView(d.fieldNo, view);
            add(view);
            break;
          case Into::kRecordViews:
            break;
        }
      }
    }
    sink += sum;
  };
  struct Scan {
    const char* shortName;
    const char* line;
    std::function<void()> step;
    Spread spread;
  };
  std::vector<Scan> scans = {
      {"defaults", "handler, engine defaults", [&] { handlerScan(false, false); }, {}},
      {"buffered", "handler, read buffer on", [&] { handlerScan(true, false); }, {}},
      {"views", "handler, read buffer, text views", [&] { handlerScan(true, true); }, {}},
      {"dataset", "dataset, exclusive", [&] { datasetScan(true, Into::kNewValue); }, {}},
      {"one", "dataset, exclusive, one value", [&] { datasetScan(true, Into::kKeptValue); }, {}},
      {"dview", "dataset, exclusive, text views", [&] { datasetScan(true, Into::kView); }, {}},
      {"rview",
       "dataset, exclusive, record views",
       [&] { datasetScan(true, Into::kRecordViews); },
       {}},
      {"shared", "dataset, shared", [&] { datasetScan(false, Into::kNewValue); }, {}},
  };
  for (Scan& scan : scans) {
    if (chosen(scan.shortName)) scan.spread = Runs(runs, scan.step);
  }

  Spread dbfread;
  if (peerRuns > 0) {
    const std::string script = folder + "/scan.py";
    std::ofstream(script) << "import sys\n"
                             "from dbfread import DBF\n"
                             "n = 0\n"
                             "for r in DBF(sys.argv[1], encoding='cp866', load=False):\n"
                             "    n += len(r)\n"
                             "print(n)\n";
    const std::string command = "/usr/bin/python3 '" + script + "' '" + path + "' > /dev/null";
    if (std::system("/usr/bin/python3 -c 'import dbfread' 2>/dev/null") == 0) {
      dbfread = Runs(peerRuns, [&] { std::system(command.c_str()); });
    } else {
      std::printf("python3-dbfread is not installed: no peer figure\n");
    }
  }

  auto line = [&](const char* what, const Spread& s) {
    std::printf("%-34s min %7.3f s  median %7.3f s  %10.0f records/s  x cat %6.2f / %6.2f\n", what,
                s.min, s.median, records / s.median, s.min / cat.min, s.median / cat.median);
  };
  line("cat of the cached file", cat);
  for (const Scan& scan : scans) {
    if (chosen(scan.shortName)) line(scan.line, scan.spread);
  }
  if (dbfread.median > 0) line("python dbfread", dbfread);
  std::printf("aim: typed scan within 4x cat (ratios min / median)   (%d)\n", sink > 0 ? 1 : 0);
  return 0;
}
