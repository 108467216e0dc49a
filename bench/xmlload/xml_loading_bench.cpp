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
#include "xmlload/xml_package_loader.h"

using namespace kelmo;
using Clock = std::chrono::steady_clock;

namespace {

const QString kPackage = QStringLiteral("HS45001M450001_2403001");

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

// The person file and the main file of the package, written case by case.
void GeneratePackage(const QString& folder, int cases) {
  QStringEncoder encode("windows-1251");
  QFile persons(folder + "/L" + kPackage.mid(1) + ".xml");
  QFile main(folder + "/" + kPackage + ".xml");
  persons.open(QIODevice::WriteOnly);
  main.open(QIODevice::WriteOnly);
  persons.write(
      encode(QStringLiteral("<?xml version=\"1.0\" "
                            "encoding=\"windows-1251\"?>\n<PERS_LIST><ZGLV><VERSION>3.2</VERSION>"
                            "<FILENAME1>%1</FILENAME1></ZGLV>\n")
                 .arg(kPackage)));
  main.write(encode(QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<ZL_LIST><ZGLV><VERSION>3.2</VERSION>"
      "</ZGLV><SCHET><CODE>7</CODE><NSCHET>11</NSCHET><DSCHET>2024-04-02</DSCHET></SCHET>\n")));
  const char* families[] = {"Иванов", "Петров", "Сидорова", "Смирнов", "Кузнецова"};
  for (int i = 1; i <= cases; ++i) {
    const QString id = QString::number(i);
    persons.write(encode(
        QStringLiteral("<PERS><ID_PAC>%1</ID_PAC><FAM>%2</FAM><IM>Иван</IM><OT>Иванович</OT>"
                       "<W>%3</W><DR>1970-05-01</DR><DOCTYPE>14</DOCTYPE><DOCSER>45 01</DOCSER>"
                       "<DOCNUM>123456</DOCNUM></PERS>\n")
            .arg(id, QString::fromUtf8(families[i % 5]), QString::number(1 + i % 2))));
    const int sheets = i % 10 < 3 ? 2 : 1;
    QString sl;
    for (int n = 1; n <= sheets; ++n) {
      sl += QStringLiteral(
                "<SL><SL_ID>%1</SL_ID><PROFIL>29</PROFIL><PROFIL_K>%1</PROFIL_K><DATE_1>%2</DATE_1>"
                "<DATE_2>%3</DATE_2><DS1>I10</DS1><CODE_MES1>1234567</CODE_MES1>"
                "<IDDOKT>76</IDDOKT><PRVS>76</PRVS><RSLT>101</RSLT><ISHOD>101</ISHOD>"
                "<SUM_M>15000.50</SUM_M>")
                .arg(QString::number(n), n == 1 ? "2024-03-01" : "2024-03-05",
                     n == sheets ? "2024-03-10" : "2024-03-05");
      if (n == 1) sl += QStringLiteral("<DS2><CODE_DS>E11.9</CODE_DS></DS2><DS3>I50</DS3>");
      if (n == 1 && i % 2 == 0)
        sl += QStringLiteral(
            "<USL><CODE_USL>A16.14.009</CODE_USL><DATE_IN>2024-03-03</DATE_IN>"
            "<KOL_USL>1</KOL_USL></USL>");
      sl += QStringLiteral("</SL>");
    }
    main.write(encode(
        QStringLiteral("<ZAP><N_ZAP>%1</N_ZAP><PR_NOV>0</PR_NOV><PACIENT><ID_PAC>%1</ID_PAC>"
                       "<VPOLIS>3</VPOLIS><NPOLIS>%2</NPOLIS><SMO>%3</SMO><SMO_OK>37000</SMO_OK>"
                       "<NOVOR>0</NOVOR></PACIENT><Z_SL><IDCASE>%1</IDCASE><USL_OK>1</USL_OK>"
                       "<VIDPOM>31</VIDPOM><LPU>450001</LPU><DATE_Z_1>2024-03-01</DATE_Z_1>"
                       "<DATE_Z_2>2024-03-10</DATE_Z_2><RSLT>101</RSLT><ISHOD>101</ISHOD>"
                       "<NHISTORY>%1</NHISTORY><DS1>I10</DS1><P_PER>1</P_PER></Z_SL>%4</ZAP>\n")
            .arg(id, QString::number(4500000000000000LL + i), i % 2 ? "45001" : "45002", sl)));
  }
  persons.write("</PERS_LIST>\n");
  main.write("</ZL_LIST>\n");
}

struct Run {
  double seconds = 0;
  long addedMb = 0;
};

Run LoadOnce(const QString& registry, FbDatabase& db) {
  FbTransaction tr(db);
  PackageLists lists;
  rSender sender;
  sender.Number = 450001;
  sender.LpuId = 1;
  sender.Kind = PartyKind::Institution;
  rAdresat a;
  a.Kind = PartyKind::Insurer;
  a.Number = 1;
  rFile f;
  f.SourceName = kPackage + QStringLiteral(".zip");
  f.LName = "L" + kPackage.mid(1);
  f.DSchet = QDate(2024, 4, 2);
  a.Files << f;
  sender.Adresats << a;
  lists.SenderList << sender;
  rRepn report;
  report.TipStac = 1;
  lists.ReportLists[Population::Local] << report;
  XmlLoadInputs in;
  in.RegistryFolder = registry;
  in.WhoDetail = WhoDetail(1);
  in.YearText = QStringLiteral("2024");
  in.MonthIndex = 2;
  in.PeriodStart = QDate(2024, 3, 1);
  in.PeriodEnd = QDate(2024, 3, 31);
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
