// The combined report: a registry split into the insurers' and the
// out-of-region sub-folders is rebuilt in its registry folder (tables,
// workbooks) and received as one; a required workbook missing ends it with
// the file's name; a second click starts again from the sub-folders; a
// folder without sub-folders is received as it is.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "documents/combined_act.h"
#include "documents/un_corr.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "firebird/fb_query.h"
#include "reception/combined_report.h"
#include "reception_fixture.h"
#include "reception_harness.h"
#include "recording_user.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

using workbook::Workbook;
using workbook::Worksheet;

std::string Path(const QString& folder, const QString& name) {
  return QDir(folder).filePath(name).toStdString();
}

// A register of treated patients: its heading in B4, a patient a row from
// row 7 (from row 8 under a row of column numbers), a blank row, the two
// totals rows (G the patients, H the sum; N the sum, R and S its parts) and,
// three rows under them, the footer line.
void WriteRegister(const QString& folder, const QString& name, const QString& heading,
                   const QStringList& patients, double sum, bool numbersRow = false) {
  auto book = Workbook::Create();
  Worksheet& s = book->ActiveSheet();
  s.SetText(4, 2, heading.toStdString());
  int row = 7;
  if (numbersRow) {
    for (int c = 1; c <= 19; ++c) s.SetNumber(row, c, c);
    ++row;
  }
  for (const QString& patient : patients) s.SetText(row++, 2, patient.toStdString());
  const int totals = row + 1;
  s.SetNumber(totals, 7, patients.size());
  s.SetNumber(totals, 8, sum);
  s.SetNumber(totals + 1, 14, sum);
  s.SetNumber(totals + 1, 17, 1);  // whatever Q held, the merge writes R + S
  s.SetNumber(totals + 1, 18, sum * 0.75);
  s.SetNumber(totals + 1, 19, sum * 0.25);
  s.SetText(totals + 4, 2, "Версия Kelmo 1.0");
  book->SaveAs(Path(folder, name));
}

// An invoice: the care of row 16 (C bed days, E the tariff, H or I the sum)
// and the totals row (17, or 18 for the FF and TF invoices).
void WriteInvoice(const QString& folder, const QString& name, int bedDays, double tariff,
                  double sum, int totalsRow = 17, int sumColumn = 8) {
  auto book = Workbook::Create();
  Worksheet& s = book->ActiveSheet();
  s.SetText(16, 1, "Оказанная медицинская помощь с 01.03.2024 по 31.03.2024");
  s.SetNumber(16, 3, bedDays);
  s.SetNumber(16, 5, tariff);
  s.SetNumber(16, sumColumn, sum);
  s.SetText(totalsRow, 1, "ВСЕГО");
  s.SetNumber(totalsRow, 3, bedDays);
  s.SetNumber(totalsRow, sumColumn, sum);
  s.SetText(totalsRow + 3, 1, "Руководитель");
  book->SaveAs(Path(folder, name));
}

// A bed-profile register: two profiles in rows 7 and 8, B to H each `unit`
// times the column, and their totals in row 9.
void WriteProfiles(const QString& folder, const QString& name, double unit) {
  auto book = Workbook::Create();
  Worksheet& s = book->ActiveSheet();
  s.SetText(7, 1, "Терапия");
  s.SetText(8, 1, "Хирургия");
  s.SetText(9, 1, "Итого");
  for (int c = 2; c <= 8; ++c) {
    s.SetNumber(7, c, unit * c);
    s.SetNumber(8, c, unit * c);
    s.SetNumber(9, c, 2 * unit * c);
  }
  book->SaveAs(Path(folder, name));
}

// A sub-folder: its tables with the cases, and its workbooks.
QString SubFolder(const QString& registry, const QString& name,
                  const std::vector<RegistryCase>& cases) {
  const QString folder = QDir(registry).filePath(name);
  QDir().mkpath(folder);
  BuildRegistry(folder, cases, false);
  return folder;
}

// The registry folder of March 2024 split into its four sub-folders: "2778"
// with cases 1 and 2, "2779" with 3 and 4 (and the copy of case 1, which is
// not its own), "2989" with case 5 (and a case of 2779), "Иногородние" with
// the out-of-region case 6 (and a home-region one).
void WriteSplitRegistry(const QString& registry) {
  const QString a = SubFolder(registry, "2778", {SplitCase(1, "2778"), SplitCase(2, "2778")});
  WriteRegister(a, "sreestr1.xlsx", "Бервинта", {"Пациент 1", "Пациент 2"}, 1000);
  WriteInvoice(a, "sfakt1.xlsx", 120, 1000, 350000.50);
  WriteInvoice(a, "sfakt1_FF.xlsx", 5, 100, 500, 18, 9);
  WriteProfiles(a, "profils1.xlsx", 1);
  const QString b = SubFolder(registry, "2779",
                              {SplitCase(3, "2779"), SplitCase(4, "2779"), SplitCase(1, "2778")});
  WriteRegister(b, "sreestr1.xlsx", "Тальви", {"Пациент 3", "Пациент 4"}, 2000);
  WriteRegister(b, "sreestr1_Neprik.xlsx", "Тальви", {"Пациент 4"}, 700);
  WriteInvoice(b, "sfakt1.xlsx", 30, 500, 90000);
  WriteInvoice(b, "sfakt1_FF.xlsx", 7, 100, 700, 18, 9);
  WriteProfiles(b, "profils1.xlsx", 10);
  const QString c = SubFolder(registry, "2989", {SplitCase(5, "2989"), SplitCase(7, "2779")});
  WriteRegister(c, "sreestr1.xlsx", "Сентара", {"Пациент 5"}, 400, true);
  WriteInvoice(c, "sfakt1.xlsx", 10, 200, 10000.25);
  WriteProfiles(c, "profils1.xlsx", 100);
  const QString d =
      SubFolder(registry, "Иногородние", {SplitCase(6, "66004", "4500"), SplitCase(8, "2778")});
  WriteRegister(d, "sreestri1.xlsx", "Иногородние", {"Пациент 6"}, 300);
  WriteInvoice(d, "sfakti1.xlsx", 9, 300, 2700);
  WriteInvoice(d, "sfakti1_ON.xlsx", 9, 10, 90);
  WriteProfiles(d, "profilsi1.xlsx", 1000);
}

std::unique_ptr<Workbook> Open(const QString& folder, const QString& name) {
  return Workbook::Open(Path(folder, name));
}

// The rows of a register whose column B names a patient.
QStringList Patients(const Worksheet& s) {
  QStringList patients;
  for (int r = 1; r <= s.LastRow(); ++r)
    if (QString::fromStdString(s.Text(r, 2)).startsWith("Пациент"))
      patients << QString::fromStdString(s.Text(r, 2));
  return patients;
}

int FooterRow(const Worksheet& s) {
  for (int r = 8; r <= s.LastRow(); ++r)
    if (QString::fromStdString(s.Text(r, 2)).toUpper().contains("ВЕРСИЯ")) return r;
  return 0;
}

// The combined report of a folder without windows; the reception is only
// recorded with the state it found.
struct StubbedRun {
  explicit StubbedRun(const QString& folder) {
    in.Reception.RegistryFolder = folder;
    in.Reception.StacType = StacType::RoundTheClock;
  }
  bool Run() {
    CombinedReportServices svc{ReceptionServices{db, tr, user, {}, nullptr, nullptr}};
    svc.Receive = [this](const ReceptionInputs& inputs, const ReceptionServices&) {
      const ReceptionState& state = TheReceptionState();
      received << inputs.RegistryFolder;
      packageFlagsOff = !state.XmlPackageMode && !state.PackageConfirmed &&
                        state.RegistrySource == RegistrySourceKind::DbfFolder &&
                        state.ZeroCostCases.isEmpty() && ThePackageLists().SenderList.isEmpty();
      analysisOpen = state.OperAnalysisOpen;
      // What a reception leaves in the run variables.
      TheReceptionState().ReportNumber[Population::Local] = 12;
      TheReceptionState().CurrentLpu = 1;
      TheReceptionState().Pass[Population::Local].CalcTotal = Money::FromDouble(5);
    };
    return RunCombinedReport(in, svc);
  }
  CombinedReportInputs in;
  // Never opened: the recorded reception does not reach them.
  FbDatabase db{QStringLiteral("combined_report_stub")};
  FbTransaction tr{db};
  RecordingUser user;
  QStringList received;
  bool packageFlagsOff = false;
  bool analysisOpen = false;
};

}  // namespace

namespace {

double Number(const Worksheet& s, int row, int column) {
  return s.Value(row, column).Number();
}

// What the merge of WriteSplitRegistry's folders leaves in the registry
// folder.
void ExpectMergedSet(const QString& registry) {
  // The base's cases, then those of 2779, 2989 and the out-of-region one;
  // each with its treatment sheet.
  EXPECT_EQ(DbfRecords(registry, "stacion.dbf"), QStringList({"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(DbfRecords(registry, "mtl.dbf", {"ID", "NOM_MTL"}),
            QStringList({"1/1", "2/1", "3/1", "4/1", "5/1", "6/1"}));

  // The register: every insurer's patients under the base's, the footer line
  // at the end and the sums of the three registers above it.
  {
    auto book = Open(registry, "sreestr1.xlsx");
    const Worksheet& s = book->ActiveSheet();
    EXPECT_EQ(Patients(s),
              QStringList({"Пациент 1", "Пациент 2", "Пациент 3", "Пациент 4", "Пациент 5"}));
    const int footer = FooterRow(s);
    ASSERT_EQ(footer, 23);
    EXPECT_EQ(s.Text(footer, 2), "Версия Kelmo 1.0");
    EXPECT_EQ(Number(s, footer - 4, 7), 5);
    EXPECT_EQ(Number(s, footer - 4, 8), 3400);
    EXPECT_EQ(Number(s, footer - 3, 14), 3400);
    EXPECT_EQ(Number(s, footer - 3, 17), 3400);
    EXPECT_EQ(Number(s, footer - 3, 18), 2550);
    EXPECT_EQ(Number(s, footer - 3, 19), 850);
  }
  // The unattached register of 2779 alone is copied.
  EXPECT_EQ(Patients(Open(registry, "sreestr1_Neprik.xlsx")->ActiveSheet()),
            QStringList({"Пациент 4"}));
  // The invoices: bed days, tariffs and sums of all three; the FF invoice
  // of the two that have one; the bed profiles, cell by cell.
  struct MergedCell {
    const char* file;
    int row, column;
    double value;
  };
  const MergedCell cells[] = {
      {"sfakt1.xlsx", 16, 3, 160},       {"sfakt1.xlsx", 16, 5, 1700},
      {"sfakt1.xlsx", 16, 8, 450000.75}, {"sfakt1.xlsx", 17, 3, 160},
      {"sfakt1.xlsx", 17, 8, 450000.75}, {"sfakt1_FF.xlsx", 16, 3, 12},
      {"sfakt1_FF.xlsx", 16, 9, 1200},   {"sfakt1_FF.xlsx", 18, 3, 12},
      {"sfakt1_FF.xlsx", 18, 9, 1200},   {"profils1.xlsx", 7, 2, 222},
      {"profils1.xlsx", 8, 5, 555},      {"profils1.xlsx", 9, 8, 1776},
  };
  for (const MergedCell& c : cells)
    EXPECT_DOUBLE_EQ(Number(Open(registry, c.file)->ActiveSheet(), c.row, c.column), c.value)
        << c.file << " R" << c.row << "C" << c.column;
  // The out-of-region workbooks are copied, the one-channel invoice too.
  for (const char* name : {"sreestri1.xlsx", "sfakti1.xlsx", "profilsi1.xlsx"})
    EXPECT_TRUE(QFile::exists(QDir(registry).filePath(name))) << name;
  EXPECT_EQ(Number(Open(registry, "sfakti1_ON.xlsx")->ActiveSheet(), 16, 3), 9);
}

}  // namespace

TEST(CombinedReport, AFolderWithoutSubFoldersIsReceivedAsItIs) {
  QTemporaryDir dir;
  BuildRegistry(dir.path(), {SplitCase(1, "2778")});
  const QStringList before = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
  // What a package run before left in the flags and lists.
  TheReceptionState().XmlPackageMode = true;
  TheReceptionState().PackageConfirmed = true;
  TheReceptionState().ZeroCostCases.append(rNull{7, "нет тарифа"});
  ThePackageLists().SenderList.append(rSender());

  StubbedRun run(dir.path());
  run.in.OperAnalysis = true;
  EXPECT_TRUE(run.Run());
  EXPECT_EQ(run.received, QStringList({dir.path()}));
  EXPECT_TRUE(run.packageFlagsOff);
  // The operations analysis of a round-the-clock run is open for the
  // reception, empty, and closed after it.
  EXPECT_TRUE(run.analysisOpen);
  EXPECT_FALSE(TheReceptionState().OperAnalysisOpen);
  EXPECT_EQ(QFileInfo(QDir(dir.path()).filePath("AnalizOperat.txt")).size(), 0);
  QStringList after = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
  after.removeOne("AnalizOperat.txt");
  EXPECT_EQ(after, before);
  // The run variables the reception left are zeroed.
  EXPECT_EQ(TheReceptionState().ReportNumber[Population::Local], 0);
  EXPECT_EQ(TheReceptionState().CurrentLpu, 0);
  EXPECT_EQ(TheReceptionState().Pass[Population::Local].CalcTotal, Money());
  EXPECT_EQ(DbfRecords(dir.path(), "stacion.dbf"), QStringList({"1"}));
  EXPECT_TRUE(run.user.calls.isEmpty());
}

TEST(CombinedReport, AMissingRequiredWorkbookEndsItWithItsName) {
  struct Row {
    const char* missing;
    const char* message;
    // The registry folder's register after the stop: its patients (none
    // when it was not made); and its invoice's bed days (0: not made).
    int patients;
    int invoiceBedDays;
    // The cases of the registry folder's stacion.dbf.
    QStringList cases;
  };
  const Row rows[] = {
      {"2779/sreestr1.xlsx", "Не найден файл \\2779\\sreestr1.xls", 0, 0, {"1", "2"}},
      // The registers and invoices merged before stay merged.
      {"2778/sfakt1.xlsx", "Не найден файл \\2778\\sfakt1.xls", 4, 0, {"1", "2"}},
      {"2779/profils1.xlsx", "Не найден файл \\2779\\profils1.xls", 4, 150, {"1", "2"}},
      {"2989/sreestr1.xlsx", "Не найден файл \\2989\\sreestr1.xls", 4, 150, {"1", "2", "3", "4"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.missing);
    QTemporaryDir dir;
    WriteSplitRegistry(dir.path());
    ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath(row.missing)));
    StubbedRun run(dir.path());
    EXPECT_FALSE(run.Run());
    EXPECT_EQ(run.user.calls, QStringList({QStringLiteral("message ") + row.message}));
    EXPECT_TRUE(run.received.isEmpty());
    if (row.patients == 0)
      EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("sreestr1.xlsx")));
    else
      EXPECT_EQ(Patients(Open(dir.path(), "sreestr1.xlsx")->ActiveSheet()).size(), row.patients);
    if (row.invoiceBedDays == 0)
      EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("sfakt1.xlsx")));
    else
      EXPECT_EQ(Number(Open(dir.path(), "sfakt1.xlsx")->ActiveSheet(), 16, 3), row.invoiceBedDays);
    // The base's tables are copied before any workbook; a folder's rows are
    // appended only after all its workbooks.
    EXPECT_EQ(DbfRecords(dir.path(), "stacion.dbf"), row.cases);
  }
}

TEST(CombinedReport, ASecondClickStartsAgainFromTheSubFolders) {
  QTemporaryDir dir;
  WriteSplitRegistry(dir.path());
  // A previous run's out-of-region one-channel invoice and cost file.
  WriteInvoice(dir.path(), "sfakti1_ON.xlsx", 1, 1, 1);
  QFile cost(QDir(dir.path()).filePath("onechcost.dat"));
  ASSERT_TRUE(cost.open(QIODevice::WriteOnly));
  cost.close();
  for (int click = 1; click <= 2; ++click) {
    SCOPED_TRACE(click);
    StubbedRun run(dir.path());
    EXPECT_TRUE(run.Run());
    EXPECT_EQ(run.received, QStringList({dir.path()}));
    EXPECT_TRUE(run.packageFlagsOff);
    EXPECT_TRUE(run.user.calls.isEmpty()) << run.user.calls.join('\n').toStdString();
    ExpectMergedSet(dir.path());
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("onechcost.dat")));
  }
}

// The combined report from its button: the split registry is rebuilt and the
// reception receives it as one registry, with the act naming every case.
TEST(CombinedReport, ThreeInsurersAndTheOutOfRegionFolderAreReceivedAsOne) {
  ReceptionHarness h;
  {
    // The database learns the third insurer and the out-of-region one.
    FbQuery q(h.W().ibdb, &h.W().ibtr);
    q.setSql(
        "update or insert into smo (o_cod, o_terr, smocod, terr_okato, name) values (2989, "
        "'1137', '45003', '37000', 'Страховая компания «Сентара»') matching (o_cod)");
    q.ExecSQL();
    q.setSql(
        "update or insert into smo (o_cod, o_terr, smocod, terr_okato, name) values (66004, "
        "'4500', '66004', '65000', 'Страховая компания «Уралсто»') matching (o_cod)");
    q.ExecSQL();
    h.W().ibtr.Commit();
  }
  WriteSplitRegistry(h.registry);
  h.Choose(3, 2024, 0);
  h.SelectLpu(1);
  h.W().obKelmo->click();

  ExpectMergedSet(h.registry);
  ASSERT_EQ(TheReceptionState().LastStop, ReceptionStop::None) << h.Act().join('\n').toStdString();
  const QStringList act = h.Act();
  EXPECT_TRUE(act.contains("ЛПУ: ГБУ «Областная клиническая больница»."))
      << act.join('\n').toStdString();

  // The combined act of the month, built after the run from the acts the
  // reception recorded: the head lines once, the local and the out-of-region
  // error tables as cells, the signature line at the end.
  // The viewer was given the run's institution and month for it.
  ASSERT_TRUE(h.forms.fmUnCorr->CombinedActFor.has_value());
  const CombinedActRequest request = *h.forms.fmUnCorr->CombinedActFor;
  EXPECT_EQ(request.LpuId, 1);
  EXPECT_EQ(request.MonthStart, QDate(2024, 3, 1));
  QTemporaryDir out;
  const auto built = BuildCombinedAct(request, out.filePath("act.xlsx"));
  ASSERT_TRUE(built.has_value());
  auto book = Workbook::Open(built->toStdString());
  const Worksheet& s = book->ActiveSheet();
  EXPECT_EQ(s.Text(3, 1), "ЛПУ: ГБУ «Областная клиническая больница».");
  EXPECT_TRUE(s.FontAt(3, 1).bold);
  QStringList column, families;
  for (int r = 1; r <= s.LastRow(); ++r) {
    column << QString::fromStdString(s.Text(r, 1));
    if (QString::fromStdString(s.Text(r, 2)).startsWith("ФАМИЛИЯ"))
      families << QString::fromStdString(s.Text(r, 2));
  }
  EXPECT_EQ(column.count("Вид оплаты: ОМС"), 1);
  EXPECT_TRUE(column.contains("Тип стационара: круглосуточный."));
  // Every case of the rebuilt registry stands in its table: the five local
  // ones, then the out-of-region one.
  EXPECT_EQ(families,
            QStringList({"ФАМИЛИЯ1", "ФАМИЛИЯ2", "ФАМИЛИЯ3", "ФАМИЛИЯ4", "ФАМИЛИЯ5", "ФАМИЛИЯ6"}));
  EXPECT_EQ(column.last(), "Подпись экономиста:");
}

TEST(CombinedReport, AnIncompleteFolderContributesNothing) {
  // "2779" without its operations: "2778" is the base alone and "2989" is
  // merged into it.
  {
    QTemporaryDir dir;
    WriteSplitRegistry(dir.path());
    ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath("2779/operat.dbf")));
    StubbedRun run(dir.path());
    EXPECT_TRUE(run.Run());
    EXPECT_EQ(DbfRecords(dir.path(), "stacion.dbf"), QStringList({"1", "2", "5", "6"}));
    EXPECT_EQ(Patients(Open(dir.path(), "sreestr1.xlsx")->ActiveSheet()),
              QStringList({"Пациент 1", "Пациент 2", "Пациент 5"}));
    EXPECT_EQ(Number(Open(dir.path(), "sfakt1.xlsx")->ActiveSheet(), 16, 3), 130);
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("sreestr1_Neprik.xlsx")));
  }
  // "2778" without its bed-profile register: "2989" takes its place as the
  // base's register, and its own case is appended to the base's tables
  // rather than lost (a copy never overwrites the base's).
  {
    QTemporaryDir dir;
    WriteSplitRegistry(dir.path());
    ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath("2778/profils1.xlsx")));
    ASSERT_TRUE(QDir(QDir(dir.path()).filePath("2779")).removeRecursively());
    StubbedRun run(dir.path());
    EXPECT_TRUE(run.Run());
    EXPECT_EQ(DbfRecords(dir.path(), "stacion.dbf"), QStringList({"1", "2", "5", "6"}));
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath("profils1.xlsx")));
  }
  // Only the out-of-region folder: the tables it would be appended to were
  // cleared, so the engine's error ends the click before the reception.
  {
    QTemporaryDir dir;
    WriteSplitRegistry(dir.path());
    for (const char* folder : {"2778", "2779", "2989"})
      ASSERT_TRUE(QDir(QDir(dir.path()).filePath(folder)).removeRecursively());
    BuildRegistry(dir.path(), {SplitCase(1, "2778")});
    StubbedRun run(dir.path());
    EXPECT_THROW(run.Run(), std::exception);
    EXPECT_TRUE(run.received.isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("stacion.dbf")));
  }
}
