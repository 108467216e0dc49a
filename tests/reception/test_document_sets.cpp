// The three document sets of a formation over a fixture registry database:
// a local report and an out-of-region report with several insurers (one of
// them unknown, with a code that is not a number), cases of DOPFOND 0 and 1,
// one-channel costs and the three additional tariffs. Every invoice is read
// back through the workbook layer (cells, fonts, merges, borders) and
// through LibreOffice, and the files each set leaves are named exactly.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "documents/document_workbook.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "firebird/fb_query.h"
#include "firebird/fb_statement.h"
#include "reception/document_sets.h"
#include "reception_fixture.h"
#include "recording_run_user.h"
#include "workbook/workbook.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

constexpr int kLocal = 7101;
constexpr int kOutOfRegion = 7102;

struct Sheet {
  int id;
  int repn;
  const char* polis;
  int dopfond;
  int age;
  int kdoms;
  const char* ocncost;
  const char* dopcost;
  const char* onech;
  const char* ff;
  const char* tf;
  const char* train;
  int modKd;
  int onco;
};

// The local report: two insurers' cases of DOPFOND 0 (one a child with
// oncology) and one of DOPFOND 1. The out-of-region report: three insurers
// with sums of half a kopeck, one of them unknown, and one case of DOPFOND 1
// with the federal additional tariff.
const Sheet kSheets[] = {
    {71011, kLocal, "2778", 0, 40, 10, "12000", "500", "1000", "300", "200", "100", 10, 0},
    {71012, kLocal, "2779", 0, 10, 5, "6000.125", "0", "0", "0", "150", "0", 5, 1},
    {71013, kLocal, "2778", 1, 50, 3, "3000", "0", "0", "0", "0", "0", 0, 0},
    {71021, kOutOfRegion, "2778", 0, 30, 7, "1000.005", "0", "200", "0", "0", "0", 0, 0},
    {71022, kOutOfRegion, "2779", 0, 30, 4, "2000.005", "0", "0", "0", "0", "0", 0, 1},
    {71023, kOutOfRegion, "X12", 0, 30, 2, "0.005", "0", "0", "0", "0", "0", 0, 0},
    {71024, kOutOfRegion, "2778", 1, 30, 1, "500", "0", "0", "50", "0", "0", 1, 0},
    // A second out-of-region report of its own.
    {71031, kOutOfRegion + 1, "2779", 0, 30, 2, "900", "0", "0", "70", "30", "0", 2, 0},
};

class DocumentSets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    db_ = new FbDatabase("document_sets");
    db_->setDatabaseName(RegistryDatabaseFile::Path());
    db_->Open();
    FbTransaction tr(*db_);
    FbQuery q(*db_, &tr);
    for (const Sheet& s : kSheets) {
      q.setSql(
          "insert into stacion (id_ill, repn, polis, dopfond, vozrast, mcod) "
          "values (:id, :repn, :polis, :dopfond, :age, '450001')");
      q.setParam("id", s.id);
      q.setParam("repn", s.repn);
      q.setParam("polis", s.polis);
      q.setParam("dopfond", s.dopfond);
      q.setParam("age", s.age);
      q.ExecSQL();
      q.setSql(
          "insert into mtl (id, id_ill, repn, oplat, kdoms, ocncost, dopcost, onech_cost, "
          "mod_ffoms_cost, mod_tfoms_cost, mod_train_cost, mod_kd, mtl_onco_status) values "
          "(:id, :id, :repn, 1, :kdoms, cast(:ocn as numeric(18,4)), cast(:dop as "
          "numeric(18,4)), cast(:onech as numeric(18,4)), cast(:ff as numeric(18,4)), "
          "cast(:tf as numeric(18,4)), cast(:train as numeric(18,4)), :modkd, :onco)");
      q.setParam("kdoms", s.kdoms);
      q.setParam("ocn", s.ocncost);
      q.setParam("dop", s.dopcost);
      q.setParam("onech", s.onech);
      q.setParam("ff", s.ff);
      q.setParam("tf", s.tf);
      q.setParam("train", s.train);
      q.setParam("modkd", s.modKd);
      q.setParam("onco", s.onco);
      q.ExecSQL();
    }
    q.setSql("insert into company (comp_code, comp_name) values ('2779', 'АО «Тальви-Мед»')");
    q.ExecSQL();
    tr.Commit();
  }
  static void TearDownTestSuite() {
    delete db_;
    db_ = nullptr;
  }

  void SetUp() override {
    PackageLists& lists = ThePackageLists();
    lists.ReportLists[Population::Local] = {rRepn{kLocal, 1, {}, {}, {}}};
    lists.ReportLists[Population::OutOfRegion] = {rRepn{kOutOfRegion, 1, {}, {}, {}}};
    lists.PayFolderWord = "ОМС";
    lists.HasRoundTheClock = true;
    lists.HasDayHospital = false;
    state_.ReportNumberCopy[Population::Local] = kLocal;
    state_.ReportNumberCopy[Population::OutOfRegion] = kOutOfRegion;
    state_.XmlPackageMode = false;
    in_.RegistryFolder = folder_.path();
    in_.Receiving = false;
    in_.PeriodStart = QDate(2024, 3, 1);
    in_.PeriodEnd = QDate(2024, 3, 31);
    in_.TemplateFolder = KELMO_SOURCE_DIR "/templates";
    in_.Lpu.FName = "ГБУ «Областная клиническая больница»";
    in_.Lpu.Adr = "г. Толвен, ул. Мира, 1";
    in_.Lpu.PhoneGlv = "22-33-44";
    in_.Lpu.PC = "40602810000000000001";
    in_.Lpu.Bank = "Отделение Толвен";
    in_.Lpu.Inn = "4501000001";
    in_.Lpu.Kpp = "450101001";
    in_.Lpu.BikBank = "043735001";
    in_.Lpu.GlVr = "Петров Пётр Петрович";
    in_.Lpu.GlBx = "Сидорова Анна";
    in_.Lpu.ModPc = "40101810000000000002";
    in_.Lpu.ModRecPay = "УФК по Толвенской области";
    in_.Lpu.ModBank = "ГРКЦ";
    in_.Lpu.ModBikBank = "043735002";
    in_.Lpu.ModKbk = "39520202000000000151";
  }

  void Write(DocumentSet set) {
    FbTransaction tr(*db_);
    ReceptionContext ctx(state_, *db_, tr, in_, &user_);
    try {
      WriteDocumentSet(ctx, set);
    } catch (const std::exception&) {
      // The connection keeps one transaction: a stopped set leaves it to the
      // next one rolled back.
      tr.Rollback();
      throw;
    }
    tr.Commit();
  }

  QStringList Files() const {
    QStringList names;
    QDirIterator it(folder_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) names << QDir(folder_.path()).relativeFilePath(it.next());
    names.sort();
    return names;
  }

  std::unique_ptr<workbook::Workbook> Open(const QString& name) const {
    return workbook::Workbook::Open(QDir(folder_.path()).filePath(name).toStdString());
  }

  static FbDatabase* db_;
  ReceptionState state_;
  ReceptionInputs in_;
  RecordingRunUser user_;
  QTemporaryDir folder_;
};

FbDatabase* DocumentSets::db_ = nullptr;

std::string T(workbook::Worksheet& s, const char* cell) {
  const auto ref = workbook::ParseCell(cell);
  return s.Text(ref.row, ref.column);
}

std::string Sides(workbook::Worksheet& s, const char* cell) {
  const auto ref = workbook::ParseCell(cell);
  const auto& b = s.BorderAt(ref.row, ref.column);
  auto one = [](const workbook::BorderEdge& e) { return e.style.empty() ? '.' : 'T'; };
  return {one(b.left), one(b.top), one(b.right), one(b.bottom)};
}

void ExpectHeader(workbook::Worksheet& s, const std::string& careKind) {
  EXPECT_EQ(T(s, "B3"), "ГБУ «Областная клиническая больница» (" + careKind + ")");
  EXPECT_EQ(T(s, "B4"), "г. Толвен, ул. Мира, 1, тел. 22-33-44");
  EXPECT_EQ(T(s, "B6"), "4501000001 / 450101001");
  EXPECT_EQ(T(s, "B9"), "ТФ ОМС Толвенской области");
  EXPECT_EQ(T(s, "B10"), "г. Курган, ул. Гоголя, 56, тел. ");
  EXPECT_EQ(T(s, "B11"), "40404810000000000001 Отделение Курган");
  EXPECT_EQ(T(s, "B12"), "4501000000 / 450101001");
  EXPECT_EQ(T(s, "B13"), "043735001");
  // The template's look: bold captions, the requisites merged across the
  // table's width, the table's heading framed.
  EXPECT_TRUE(s.FontAt(3, 1).bold);
  EXPECT_TRUE(s.FontAt(15, 1).bold);
  const auto merges = s.Merges();
  EXPECT_TRUE(std::any_of(merges.begin(), merges.end(), [](const workbook::CellRange& r) {
    return r.first == workbook::CellRef{3, 2} && r.last.row == 3 && r.last.column >= 8;
  }));
  EXPECT_EQ(Sides(s, "A15"), "TTTT");
}

}  // namespace

TEST_F(DocumentSets, LocalSetWritesItsInvoicesUnderTheRegistryNames) {
  Write(DocumentSet::Local);
  EXPECT_EQ(Files(),
            (QStringList{"Profils1.xlsx", "Profils1_NCZ.xlsx", "Sfakt1.xlsx", "Sfakt1_FF.xlsx",
                         "Sfakt1_NSZ.xlsx", "Sfakt1_ON.xlsx", "Sfakt1_TF.xlsx", "Sfakt1_TR.xlsx",
                         "Sfakti1_ON.xlsx", "Sreestr1.xlsx"}));
  EXPECT_TRUE(user_.messages.isEmpty()) << user_.messages.join('\n').toStdString();

  // The local invoice of DOPFOND 0: 16250.125 + 500 rounds half to even.
  auto book = Open("Sfakt1.xlsx");
  auto& s = book->Sheet(0);
  ExpectHeader(s, "стационарная медицинская помощь");
  EXPECT_EQ(T(s, "A16"), "Оказанная медицинская помощь с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(s, "B16"), "к/дн.");
  EXPECT_EQ(T(s, "C16"), "15");
  EXPECT_EQ(T(s, "E16"), "16750.12");
  EXPECT_EQ(T(s, "H16"), "16750.12");
  EXPECT_EQ(T(s, "A17"), "Всего");
  EXPECT_EQ(T(s, "C17"), "15");
  EXPECT_EQ(T(s, "H17"), "16750.12");
  EXPECT_EQ(T(s, "A18"), "в том числе онкология:");
  EXPECT_EQ(T(s, "C18"), "5");
  EXPECT_EQ(T(s, "H18"), "6000.12");
  EXPECT_EQ(Sides(s, "A16"), "TTTT");
  EXPECT_EQ(Sides(s, "H17"), "TTTT");
  EXPECT_EQ(T(s, "A19"), "Руководитель");
  EXPECT_EQ(T(s, "B19"), "/Петров П.П./");
  EXPECT_EQ(T(s, "E19"), "Главный бухгалтер");
  EXPECT_EQ(T(s, "F19"), "/Сидорова А./");
  EXPECT_EQ(T(s, "A21"), "М.П.");
  // DOPFOND 1 has its own file.
  auto nsz = Open("Sfakt1_NSZ.xlsx");
  EXPECT_EQ(T(nsz->Sheet(0), "H17"), "3000.00");
  EXPECT_EQ(T(nsz->Sheet(0), "C17"), "3");

  // The one-channel invoices: sums as numbers, payment kind 1 only.
  auto on = Open("Sfakt1_ON.xlsx");
  EXPECT_EQ(on->Sheet(0).Value(16, 3).number, 18);
  EXPECT_EQ(on->Sheet(0).Value(17, 8).number, 1000);
  EXPECT_EQ(T(on->Sheet(0), "A17"), "Всего");
  auto oni = Open("Sfakti1_ON.xlsx");
  auto& o = oni->Sheet(0);
  EXPECT_EQ(T(o, "B3"),
            "ГБУ «Областная клиническая больница» (стационарная медицинская помощь, иногородние)");
  // Every insurer has its line (the cases of DOPFOND 1 too), by code as text.
  EXPECT_EQ(T(o, "A16"), "Страховая компания «Бервинта» с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(o, "E16"), "200.00");
  EXPECT_EQ(T(o, "C16"), "8");
  EXPECT_EQ(T(o, "A17"), "АО «Тальви-Мед» с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(o, "A18"), "Иногородние с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(o, "A19"), "Всего");
  EXPECT_EQ(o.Value(19, 8).number, 200);
  EXPECT_EQ(T(o, "B21"), "/Петров П.П./");

  // The additional tariffs: amounts as the fields give them.
  auto ff = Open("Sfakt1_FF.xlsx");
  auto& f = ff->Sheet(0);
  EXPECT_TRUE(
      T(f, "A16").starts_with("Оплата медицинской помощи по дополнительному тарифу на "
                              "поэтапный переход"));
  EXPECT_TRUE(T(f, "A16").ends_with("( бюджет ФФ ОМС). За период с 01.03.2024 по 31.03.2024"));
  EXPECT_EQ(T(f, "C16"), "15");
  EXPECT_EQ(f.Value(16, 5).number, 10);
  EXPECT_EQ(T(f, "I16"), "300");
  EXPECT_EQ(T(f, "A17"), "в том числе дети:");
  EXPECT_EQ(T(f, "C17"), "5");
  EXPECT_EQ(T(f, "I17"), "0");
  EXPECT_EQ(T(f, "A18"), "Всего");
  EXPECT_EQ(T(f, "I18"), "300");
  EXPECT_EQ(T(f, "G20"), "/Сидорова А./");
  EXPECT_EQ(Sides(f, "I18"), "TTTT");
  auto tf = Open("Sfakt1_TF.xlsx");
  EXPECT_EQ(tf->Sheet(0).Value(16, 5).number, 11);
  EXPECT_EQ(T(tf->Sheet(0), "I16"), "350");
  EXPECT_EQ(T(tf->Sheet(0), "I17"), "150");
  auto tr = Open("Sfakt1_TR.xlsx");
  EXPECT_EQ(tr->Sheet(0).Value(16, 5).number, 12);
  EXPECT_EQ(T(tr->Sheet(0), "C16"), "18");
  EXPECT_EQ(T(tr->Sheet(0), "I17"), "100");
  EXPECT_EQ(T(tr->Sheet(0), "G19"), "/Сидорова А./");
}

TEST_F(DocumentSets, OutOfRegionAndClosingSetsLeaveThePackageNames) {
  Write(DocumentSet::Local);
  state_.XmlPackageMode = true;
  Write(DocumentSet::OutOfRegion);
  Write(DocumentSet::Closing);
  // Each set ends with its registers: the bed-profile and the treated-patient
  // register of the package, and those of the out-of-region report.
  EXPECT_EQ(
      Files(),
      (QStringList{
          "Sfakt1_TR.xlsx", "Sfakti1_FF.xlsx", "temp/Profils(ОМС).xlsx", "temp/Sfakt(ОМС).xlsx",
          "temp/Sfakt(ОМС)_ON.xlsx", "temp/Sfakt_NSZ(ОМС).xlsx", "temp/Sreestr(ОМС).xlsx",
          "temp/Иногородние/Profilsi(ОМС).xlsx", "temp/Иногородние/Profilsi_NCZ(ОМС).xlsx",
          "temp/Иногородние/Sfakti(ОМС)_ON.xlsx", "temp/Иногородние/Sfakti1(ОМС).xlsx",
          "temp/Иногородние/Sfakti1_NSZ(ОМС).xlsx", "temp/Иногородние/Sreestri1(ОМС).xlsx"}));
  EXPECT_TRUE(user_.messages.isEmpty()) << user_.messages.join('\n').toStdString();

  // The out-of-region invoice: one line per insurer, its total rounded after
  // each line, the oncology line the sum of the lines'.
  auto book = Open("temp/Иногородние/Sfakti1(ОМС).xlsx");
  auto& s = book->Sheet(0);
  EXPECT_EQ(T(s, "A1"), "СЧЕТ № _____ от \"31.03.2024 \"");
  EXPECT_TRUE(s.FontAt(1, 1).bold);
  ExpectHeader(s, "стационарная медицинская помощь");
  const char* lines[][4] = {
      {"A16", "Страховая компания «Бервинта» с 01.03.2024 по 31.03.2024", "C16", "7"},
      {"A17", "АО «Тальви-Мед» с 01.03.2024 по 31.03.2024", "C17", "4"},
      {"A18", "Иногородние с 01.03.2024 по 31.03.2024", "C18", "2"},
  };
  for (const auto& l : lines) {
    EXPECT_EQ(T(s, l[0]), l[1]);
    EXPECT_EQ(T(s, l[2]), l[3]);
  }
  EXPECT_EQ(T(s, "H16"), "800.00");
  EXPECT_EQ(T(s, "E17"), "2000.00");
  EXPECT_EQ(T(s, "H18"), "0.00");
  EXPECT_EQ(T(s, "A19"), "Всего");
  EXPECT_EQ(T(s, "C19"), "13");
  EXPECT_EQ(T(s, "H19"), "2800.00");
  EXPECT_EQ(T(s, "A20"), "в том числе онкология:");
  EXPECT_EQ(T(s, "C20"), "4");
  EXPECT_EQ(T(s, "H20"), "2000.00");
  EXPECT_EQ(Sides(s, "H19"), "TTTT");
  EXPECT_EQ(Sides(s, "A20"), "....");
  EXPECT_EQ(T(s, "A22"), "Руководитель");
  EXPECT_EQ(T(s, "F22"), "Главный бухгалтер");
  EXPECT_EQ(T(s, "H22"), "/Сидорова А./");
  EXPECT_EQ(T(s, "A24"), "М.П.");
  auto nsz = Open("temp/Иногородние/Sfakti1_NSZ(ОМС).xlsx");
  EXPECT_EQ(T(nsz->Sheet(0), "H17"), "450.00");

  // The out-of-region FF invoice: the additional tariffs' account.
  auto ff = Open("Sfakti1_FF.xlsx");
  auto& f = ff->Sheet(0);
  EXPECT_EQ(T(f, "A1"), "СЧЕТ № _____ от \"31.03.2024 \"");
  EXPECT_EQ(T(f, "B5"), "40101810000000000002 УФК по Толвенской области ГРКЦ");
  EXPECT_EQ(T(f, "B7"), "043735002");
  EXPECT_EQ(T(f, "A8"), "КБК");
  EXPECT_EQ(T(f, "B8"), "39520202000000000151");
  EXPECT_EQ(f.Value(16, 5).number, 13);
  EXPECT_EQ(T(f, "I18"), "50");
  EXPECT_EQ(T(f, "I20"), "/Сидорова А./");

  // The closing set's local invoice: the package's caption.
  auto local = Open("temp/Sfakt(ОМС).xlsx");
  EXPECT_EQ(T(local->Sheet(0), "B3"),
            "ГБУ «Областная клиническая больница» (стационарная медицинская помощь)");
  EXPECT_EQ(T(local->Sheet(0), "H17"), "16750.12");

  // LibreOffice reads every invoice: the totals as the cells hold them.
  QTemporaryDir lo;
  QStringList copies, names;
  int n = 0;
  for (const QString& name : Files()) {
    // The registers have their own layout, read in the documents' tests.
    if (!QFileInfo(name).fileName().startsWith(QStringLiteral("Sfakt"))) continue;
    names << name;
    const QString copy = lo.filePath(QString("f%1.xlsx").arg(++n));
    ASSERT_TRUE(QFile::copy(QDir(folder_.path()).filePath(name), copy));
    copies << copy;
  }
  QProcess soffice;
  soffice.setWorkingDirectory(lo.path());
  soffice.start("soffice",
                QStringList{"-env:UserInstallation=file://" + lo.filePath("profile"), "--headless",
                            "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir",
                            lo.filePath("csv")} +
                    copies);
  ASSERT_TRUE(soffice.waitForFinished(240000));
  QStringList csv;
  for (int i = 1; i <= n; ++i) {
    QFile f(lo.filePath(QString("csv/f%1.csv").arg(i)));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
    csv << QString::fromUtf8(f.readAll());
  }
  auto csvOf = [&](const QString& name) { return csv[names.indexOf(name)]; };
  EXPECT_TRUE(csvOf("temp/Sfakt(ОМС).xlsx").contains("Всего,,15,,,,,16750.12"))
      << csvOf("temp/Sfakt(ОМС).xlsx").toStdString();
  EXPECT_TRUE(csvOf("temp/Иногородние/Sfakti1(ОМС).xlsx").contains("Всего,,13,,,,,2800.00"));
  EXPECT_TRUE(csvOf("temp/Иногородние/Sfakti1(ОМС).xlsx")
                  .contains("Иногородние с 01.03.2024 по 31.03.2024,к/дн.,2,,0.00,,,0.00"));
  EXPECT_TRUE(csvOf("Sfakt1_TR.xlsx").contains("Всего,,18,,,,,,100"));
  EXPECT_TRUE(csvOf("temp/Sfakt(ОМС)_ON.xlsx").contains("Всего,,18,,1000,,,1000"));

  // An independent reader opens every invoice: the title's font, the
  // requisites' merges and readable column widths.
  QProcess python;
  python.start(
      "/usr/bin/python3",
      QStringList{"-c",
                  "import sys, openpyxl\n"
                  "for p in sys.argv[1:]:\n"
                  "    ws = openpyxl.load_workbook(p).active\n"
                  "    wide = ws.column_dimensions['A'].width >= 40\n"
                  "    merged = any(str(r).startswith('B3:') for r in ws.merged_cells.ranges)\n"
                  "    print(ws['A1'].font.b, merged, wide, ws['A15'].border.left.style)\n"} +
          copies);
  ASSERT_TRUE(python.waitForFinished(60000));
  const QStringList read =
      QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(read.size(), copies.size()) << python.readAllStandardError().toStdString();
  for (const QString& line : read) EXPECT_EQ(line, "True True True thin");
}

TEST_F(DocumentSets, StopsOfTheTemplates) {
  struct Case {
    const char* name;
    std::function<void(const QString& folder)> prepare;
    DocumentStopKind stop;
  };
  const Case cases[] = {
      {"no template folder", [this](const QString&) { in_.TemplateFolder.clear(); },
       DocumentStopKind::TemplateMissing},  // "/sfakt_on.xlsx" is looked for first
      {"one-channel template missing",
       [](const QString& f) { QFile::remove(QDir(f).filePath("sfakt_on.xlsx")); },
       DocumentStopKind::TemplateMissing},
      {"additional-tariff template missing",
       [](const QString& f) { QFile::remove(QDir(f).filePath("sfaktM.xlsx")); },
       DocumentStopKind::TemplateMissing},
      {"damaged invoice template",
       [](const QString& f) {
         QFile t(QDir(f).filePath("sfakt.xlsx"));
         t.open(QIODevice::WriteOnly | QIODevice::Truncate);
         t.write(
             "PK\x03\x04"
             "damaged");
       },
       DocumentStopKind::ExcelUnavailable},
      {"invoice template without the table's rows",
       [](const QString& f) {
         auto book = workbook::Workbook::Create();
         book->Sheet(0).SetText(3, 1, "Поставщик:");
         book->SaveAs(QDir(f).filePath("sfakt.xlsx").toStdString());
       },
       DocumentStopKind::ExcelUnavailable},
  };
  for (const Case& c : cases) {
    QTemporaryDir templates;
    for (const char* t : {"sfakt.xlsx", "sfakt_on.xlsx", "sfaktM.xlsx"})
      QFile::copy(QString(KELMO_SOURCE_DIR "/templates/") + t, templates.filePath(t));
    in_.TemplateFolder = templates.path();
    c.prepare(templates.path());
    try {
      Write(DocumentSet::Local);
      ADD_FAILURE() << c.name << ": no stop";
    } catch (const DocumentStop& stop) {
      EXPECT_EQ(stop.Kind(), c.stop) << c.name << ": " << stop.Text().toStdString();
    }
  }
  // With the template folder empty the local invoices stop on the folder.
  state_.ReportNumberCopy[Population::Local] = 0;
  in_.TemplateFolder.clear();
  try {
    Write(DocumentSet::Local);
    ADD_FAILURE() << "no stop";
  } catch (const DocumentStop& stop) {
    EXPECT_EQ(stop.Kind(), DocumentStopKind::TemplateFolderMissing);
    EXPECT_EQ(stop.Text(), "Не найден путь к файлам шаблонам! Прдолжение невозможно.");
  }
  // The out-of-region set goes on without templates and says nothing.
  EXPECT_NO_THROW(Write(DocumentSet::OutOfRegion));
}

TEST_F(DocumentSets, ReadOnlyOutOfRegionInvoiceIsToldAndTheSetGoesOn) {
  state_.XmlPackageMode = true;
  const QString folder = QDir(folder_.path()).filePath("temp/Иногородние");
  QDir().mkpath(folder);
  const QString name = QDir(folder).filePath("Sfakti1(ОМС).xlsx");
  {
    QFile f(name);
    f.open(QIODevice::WriteOnly);
    f.write("earlier");
  }
  QFile::setPermissions(name, QFile::ReadOwner);
  Write(DocumentSet::OutOfRegion);
  ASSERT_EQ(user_.messages.size(), 1);
  EXPECT_TRUE(user_.messages[0].contains(name)) << user_.messages[0].toStdString();
  QFile f(name);
  f.open(QIODevice::ReadOnly);
  EXPECT_EQ(f.readAll(), "earlier");
  EXPECT_TRUE(QFile::exists(QDir(folder).filePath("Sfakti1_NSZ(ОМС).xlsx")));
  EXPECT_TRUE(QFile::exists(QDir(folder_.path()).filePath("Sfakti1_FF.xlsx")));
}

TEST_F(DocumentSets, EachOutOfRegionReportHasItsOwnAdditionalTariffInvoices) {
  state_.XmlPackageMode = true;
  ThePackageLists().ReportLists[Population::OutOfRegion] << rRepn{kOutOfRegion + 1, 1, {}, {}, {}};
  Write(DocumentSet::OutOfRegion);
  const QString second = QString("Sfakti1_FF_%1.xlsx").arg(kOutOfRegion + 1);
  EXPECT_TRUE(Files().contains("Sfakti1_FF.xlsx"));
  EXPECT_TRUE(Files().contains(second));
  EXPECT_TRUE(Files().contains(QString("Sfakti1_TF_%1.xlsx").arg(kOutOfRegion + 1)));
  EXPECT_EQ(T(Open("Sfakti1_FF.xlsx")->Sheet(0), "I18"), "50");
  EXPECT_EQ(T(Open(second)->Sheet(0), "I18"), "70");
}

// The insurers' lines take every insurer's sums from one statement, matched
// to the insurer list by code as the database compares codes: a code with a
// trailing blank is the same insurer, and the cases without a code have a
// line of their own (the first: a missing code sorts first).
TEST_F(DocumentSets, InsurerLinesMatchTheListsCodes) {
  constexpr int kReport = kOutOfRegion + 2;
  struct Case {
    int id;
    const char* polis;
    int kdoms;
    const char* ocncost;
    const char* onech;
  };
  const Case cases[] = {{71041, "2778", 3, "100", "10"},
                        {71042, "2778 ", 2, "50", "5"},
                        {71043, nullptr, 1, "20", "2"}};
  {
    FbTransaction tr(*db_);
    FbQuery q(*db_, &tr);
    for (const Case& c : cases) {
      q.setSql(
          "insert into stacion (id_ill, repn, polis, dopfond, vozrast, mcod) "
          "values (:id, :repn, :polis, 0, 30, '450001')");
      q.setParam("id", c.id);
      q.setParam("repn", kReport);
      q.setParam("polis", c.polis ? QVariant(QString(c.polis)) : QVariant());
      q.ExecSQL();
      q.setSql(
          "insert into mtl (id, id_ill, repn, oplat, kdoms, ocncost, onech_cost) values "
          "(:id, :id, :repn, 1, :kdoms, cast(:ocn as numeric(18,4)), "
          "cast(:onech as numeric(18,4)))");
      q.setParam("kdoms", c.kdoms);
      q.setParam("ocn", c.ocncost);
      q.setParam("onech", c.onech);
      q.ExecSQL();
    }
    tr.Commit();
  }
  ThePackageLists().ReportLists[Population::OutOfRegion] = {rRepn{kReport, 1, {}, {}, {}}};
  state_.ReportNumberCopy[Population::OutOfRegion] = kReport;
  Write(DocumentSet::Local);
  state_.XmlPackageMode = true;
  Write(DocumentSet::OutOfRegion);
  {
    FbTransaction tr(*db_);
    FbExecute(*db_, &tr, QString("delete from mtl where repn = %1").arg(kReport));
    FbExecute(*db_, &tr, QString("delete from stacion where repn = %1").arg(kReport));
    tr.Commit();
  }

  // The out-of-region invoice: the cost less the one-channel part.
  auto book = Open("temp/Иногородние/Sfakti1(ОМС).xlsx");
  auto& s = book->Sheet(0);
  EXPECT_EQ(T(s, "A16"), "Иногородние с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(s, "C16"), "1");
  EXPECT_EQ(T(s, "H16"), "18.00");
  EXPECT_EQ(T(s, "A17"), "Страховая компания «Бервинта» с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(s, "C17"), "5");
  EXPECT_EQ(T(s, "H17"), "135.00");
  EXPECT_EQ(T(s, "A18"), "Всего");
  EXPECT_EQ(T(s, "H18"), "153.00");

  // The one-channel invoice of the out-of-region cases.
  auto oni = Open("Sfakti1_ON.xlsx");
  auto& o = oni->Sheet(0);
  EXPECT_EQ(T(o, "A16"), "Иногородние с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(o, "C16"), "1");
  EXPECT_EQ(T(o, "E16"), "2.00");
  EXPECT_EQ(T(o, "A17"), "Страховая компания «Бервинта» с 01.03.2024 по 31.03.2024");
  EXPECT_EQ(T(o, "C17"), "5");
  EXPECT_EQ(T(o, "E17"), "15.00");
  EXPECT_EQ(o.Value(18, 8).number, 17);
}
