// The bed-profile and treated-patient registers of a formation, written from
// the program's templates over a registry database of a fixture formation
// (a local pass of two reports, an out-of-region pass of three reports and
// several insurers), read back through the workbook layer and through
// LibreOffice; and what bad templates and outputs give.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "../reception/registry_fixture.h"
#include "documents/bed_profile_register.h"
#include "documents/document_run.h"
#include "documents/document_workbook.h"
#include "documents/treated_patient_register.h"
#include "domain/package_lists.h"
#include "firebird/fb_database.h"
#include "recording_run_user.h"
#include "workbook/cell_address.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"

using namespace kelmo;
using workbook::ExcelApplication;
using workbook::Worksheet;

namespace {

// One treatment sheet's figures.
struct SheetFixture {
  int profile = 1;  // -1: none
  int kd = 10, kdoms = 10, kdmes = 9, kdsvmes = 1, kdnot = 0;
  double ocn = 1000, dop = 0, pomes = 900, svmes = 100;
  double cop1 = 0, cop2 = 0, cop3 = 0;
  double ffoms = 0, tfoms = 0;
  int oplat = 1;
  QString accomp1, mesAcc1;
  int accompL1 = 0;
};

struct CaseFixture {
  int id = 0;
  int repn = 10;
  QString family, name = QStringLiteral("Иван"), father = QStringLiteral("Петрович");
  QString number = QStringLiteral("4500000000000001");
  QString polis = QStringLiteral("2778");
  QString socium = QStringLiteral("01");
  int dopfond = 0;
  int vozrast = 40;
  QString mcod = QStringLiteral("450001");
  QList<SheetFixture> sheets;
};

class RegistersTest : public ::testing::Test {
 protected:
  RegistersTest() : tr(db.Db()) {
    registry = QDir(dir.path()).filePath(QStringLiteral("Регистр"));
    QDir().mkpath(registry);
    db.Exec(QStringLiteral("delete from PROFIL"));
    for (const auto& [code, name] : {std::pair{"66004", "Страховая компания «Уралсто»"},
                                     std::pair{"77011", "Страховая компания «Мерона»"}})
      db.Insert(QStringLiteral("COMPANY"),
                {{QStringLiteral("COMP_CODE"), QString::fromUtf8(code)},
                 {QStringLiteral("COMP_NAME"), QString::fromUtf8(name)}});
    db.Insert(QStringLiteral("PROFIL"),
              {{QStringLiteral("TIP_PROF"), 1},
               {QStringLiteral("NAME"), QStringLiteral("Кардиологические")}});
    db.Insert(QStringLiteral("PROFIL"),
              {{QStringLiteral("TIP_PROF"), 2},
               {QStringLiteral("NAME"), QStringLiteral("Терапевтические")}});
  }

  RegisterInputs Inputs(RegisterVariant variant) {
    RegisterInputs in{db.Db(), tr, user, excel};
    in.TemplateFolder = QStringLiteral(KELMO_SOURCE_DIR "/templates");
    in.RegistryFolder = registry;
    in.PeriodStart = QDate(2026, 3, 1);
    in.PeriodEnd = QDate(2026, 3, 31);
    in.LpuName = QStringLiteral(" Городская больница №1 ");
    in.LpuMcod = QStringLiteral("450001");
    in.ReportFooter = QStringLiteral("Kelmo 1.0");
    in.PayFolderWord = QStringLiteral("ОМС");
    in.Reports = variant == RegisterVariant::OutOfRegion ? outOfRegion : local;
    in.PackageFiles = &packageFiles;
    return in;
  }

  void AddCase(const CaseFixture& c) {
    db.Insert(QStringLiteral("STACION"),
              {{QStringLiteral("ID_ILL"), c.id},
               {QStringLiteral("REPN"), c.repn},
               {QStringLiteral("FAMILY"), c.family},
               {QStringLiteral("NAME"), c.name},
               {QStringLiteral("FATHER"), c.father},
               {QStringLiteral("DR"), test::Day(1980, 2, 3)},
               {QStringLiteral("NOMIB"), QStringLiteral("ИБ-%1").arg(c.id)},
               {QStringLiteral("SERIA"), QStringLiteral("АБ")},
               {QStringLiteral("NUMBER"), c.number},
               {QStringLiteral("D_SERIA"), QStringLiteral("45 01")},
               {QStringLiteral("D_NOMBER"), QStringLiteral("123456")},
               {QStringLiteral("POLIS"), c.polis},
               {QStringLiteral("SOCIUM"), c.socium},
               {QStringLiteral("DOPFOND"), c.dopfond},
               {QStringLiteral("VOZRAST"), c.vozrast},
               {QStringLiteral("MCOD"), c.mcod}});
    int nom = 0;
    for (const SheetFixture& s : c.sheets) {
      ++nom;
      db.Insert(QStringLiteral("MTL"),
                {{QStringLiteral("ID"), c.id * 10 + nom},
                 {QStringLiteral("ID_ILL"), c.id},
                 {QStringLiteral("REPN"), c.repn},
                 {QStringLiteral("NOM_MTL"), nom},
                 {QStringLiteral("OPLAT"), s.oplat},
                 {QStringLiteral("PROFIL_BED"), s.profile < 0 ? QVariant() : QVariant(s.profile)},
                 {QStringLiteral("STAC_DIAG"), QStringLiteral("I10")},
                 {QStringLiteral("KOD_MES"), QStringLiteral("st27.%1").arg(nom)},
                 {QStringLiteral("RES_LECHEN"), 2},
                 {QStringLiteral("KD"), s.kd},
                 {QStringLiteral("KDOMS"), s.kdoms},
                 {QStringLiteral("KDMES"), s.kdmes},
                 {QStringLiteral("KDSVMES"), s.kdsvmes},
                 {QStringLiteral("KDNOT"), s.kdnot},
                 {QStringLiteral("OCNCOST"), s.ocn},
                 {QStringLiteral("DOPCOST"), s.dop},
                 {QStringLiteral("OCNCOSTPOMES"), s.pomes},
                 {QStringLiteral("OCNCOSTSVMES"), s.svmes},
                 {QStringLiteral("COP1COST"), s.cop1},
                 {QStringLiteral("COP2COST"), s.cop2},
                 {QStringLiteral("COP3COST"), s.cop3},
                 {QStringLiteral("MOD_FFOMS_COST"), s.ffoms},
                 {QStringLiteral("MOD_TFOMS_COST"), s.tfoms},
                 {QStringLiteral("ACCOMP1"), s.accomp1},
                 {QStringLiteral("MES_ACC1"), s.mesAcc1},
                 {QStringLiteral("ACCOMP_L1"), s.accompL1}});
    }
  }

  // The fixture formation: local reports 10 and 11, out-of-region reports
  // 20 (round the clock, two insurers), 21 (day care) and 22 (round the
  // clock again).
  void Formation() {
    local = {rRepn{.Repn = 10, .TipStac = 1}, rRepn{.Repn = 11, .TipStac = 1}};
    outOfRegion = {rRepn{.Repn = 20, .TipStac = 1}, rRepn{.Repn = 21, .TipStac = 2},
                   rRepn{.Repn = 22, .TipStac = 1}};
    CaseFixture a{.id = 1, .repn = 10, .family = QStringLiteral("Смирнов")};
    a.socium = QStringLiteral("10");
    a.sheets = {SheetFixture{.profile = 1,
                             .ocn = 1000.5,
                             .dop = 200.25,
                             .cop1 = 200.25,
                             .ffoms = 30,
                             .tfoms = 12.5,
                             .accomp1 = QStringLiteral("E11.9"),
                             .mesAcc1 = QStringLiteral("st04.1"),
                             .accompL1 = 3}};
    AddCase(a);
    // Three sheets; a policy of 15 characters; a concomitant diagnosis with
    // the standard "0" is not shown.
    CaseFixture b{.id = 2, .repn = 11, .family = QStringLiteral("Алексеев")};
    b.number = QStringLiteral("450000000000002");
    b.sheets = {SheetFixture{.profile = 1, .kd = 3, .ocn = 300},
                SheetFixture{.profile = 2,
                             .kd = 4,
                             .ocn = 400,
                             .accomp1 = QStringLiteral("J45"),
                             .mesAcc1 = QStringLiteral("0"),
                             .accompL1 = 1},
                SheetFixture{.profile = 99, .kd = 5, .ocn = 500}};
    b.vozrast = 12;
    AddCase(b);
    // Only a sheet of another payment kind: nothing written.
    CaseFixture c{.id = 3, .repn = 10, .family = QStringLiteral("Борисов")};
    c.sheets = {SheetFixture{.oplat = 6}};
    AddCase(c);
    // DOPFOND 1: its cost is the NCZ amount.
    CaseFixture d{.id = 4, .repn = 10, .family = QStringLiteral("Викторов")};
    d.dopfond = 1;
    d.sheets = {SheetFixture{.profile = 2, .kd = 7, .ocn = 700, .pomes = 700, .svmes = 0}};
    AddCase(d);
    // Out-of-region cases; Ильин's sheet has no bed profile.
    const auto polis77 = QStringLiteral("77011");
    AddCase({.id = 11,
             .repn = 20,
             .family = QStringLiteral("Яковлев"),
             .polis = polis77,
             .sheets = {SheetFixture{.ocn = 1500.555}}});
    AddCase({.id = 12,
             .repn = 20,
             .family = QStringLiteral("Егоров"),
             .number = QStringLiteral("6600000000000012"),
             .polis = QStringLiteral("66004"),
             .sheets = {SheetFixture{.ocn = 800}, SheetFixture{.ocn = 200}}});
    AddCase({.id = 13,
             .repn = 21,
             .family = QStringLiteral("Жуков"),
             .polis = polis77,
             .sheets = {SheetFixture{.kd = 2, .ocn = 250}}});
    AddCase({.id = 14,
             .repn = 22,
             .family = QStringLiteral("Зайцев"),
             .polis = polis77,
             .sheets = {SheetFixture{.ocn = 100}}});
    AddCase({.id = 15,
             .repn = 22,
             .family = QStringLiteral("Ильин"),
             .polis = polis77,
             .sheets = {SheetFixture{.profile = -1, .ocn = 50}}});
  }

  QString RegistryFile(const QString& name) const { return QDir(registry).filePath(name); }

  Worksheet& Read(const QString& path) { return reader.Open(path.toStdString()).ActiveSheet(); }

  static std::string Cell(Worksheet& s, const char* address) {
    const auto c = workbook::ParseCell(address);
    return s.Text(c.row, c.column);
  }

  test::RegistryFixture db;
  FbTransaction tr;
  QTemporaryDir dir;
  QString registry;
  test::RecordingRunUser user;
  ExcelApplication excel;
  ExcelApplication reader;
  QList<rRepn> local, outOfRegion;
  QStringList packageFiles;
};

// "TTTT": thin lines on the left, top, right and bottom.
std::string Sides(Worksheet& s, int row, int column) {
  const auto& b = s.BorderAt(row, column);
  auto one = [](const workbook::BorderEdge& e) { return e.style.empty() ? '.' : 'T'; };
  return {one(b.left), one(b.top), one(b.right), one(b.bottom)};
}

// The rows of a bed-profile register from row 7, columns A to H.
void ExpectProfileRows(Worksheet& s, const std::vector<std::vector<std::string>>& rows) {
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < 8; ++c) EXPECT_EQ(s.Text(7 + r, c + 1), rows[r][c]) << r << "," << c;
}

bool HasMerge(Worksheet& s, const char* range) {
  const auto wanted = workbook::ParseRange(range);
  for (const auto& m : s.Merges())
    if (m == wanted) return true;
  return false;
}

}  // namespace

TEST(RegisterReportNumbers, FirstFourReportsTheLastRepeated) {
  struct Case {
    QList<int> reports;
    std::array<int, 4> numbers;
  } cases[] = {
      {{}, {0, 0, 0, 0}},
      {{7}, {7, 7, 7, 7}},
      {{7, 8}, {7, 8, 8, 8}},
      {{1, 2, 3, 4, 5}, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    QList<rRepn> reports;
    for (int n : c.reports) reports << rRepn{.Repn = n, .TipStac = 1};
    EXPECT_EQ(RegisterReportNumbers(reports), c.numbers) << c.reports.size();
  }
}

TEST_F(RegistersTest, BedProfileRegisterOfTheLocalSetSumsByProfileAndDopfond) {
  Formation();
  const QStringList saved =
      WriteBedProfileRegister(Inputs(RegisterVariant::Local), RegisterVariant::Local);
  ASSERT_EQ(saved, QStringList({RegistryFile("Profils1.xlsx"), RegistryFile("Profils1_NCZ.xlsx")}));
  Worksheet& s = Read(saved[0]);
  EXPECT_EQ(Cell(s, "A1"), "Реестр коек по профилю с 01.03.2026 по 31.03.2026");
  EXPECT_EQ(Cell(s, "A3"), "Городская больница №1 (круглосуточный стационар, местное население)");
  // Profile 1: cases 1 and 2's first sheet; 2: case 2's second; 99 (not in
  // PROFIL): an empty name. Case 3 (another payment kind) and case 4
  // (DOPFOND 1) are not here.
  const std::vector<std::vector<std::string>> rows = {
      {"Кардиологические", "13", "20", "1500.75", "1300.50", "200.25", "2", "1"},
      {"Терапевтические", "4", "10", "400.00", "400.00", "0.00", "1", "0"},
      {"", "5", "10", "500.00", "500.00", "0.00", "1", "0"},
      {"Итого:", "22", "40", "2400.75", "2200.50", "200.25", "4", "1"}};
  ExpectProfileRows(s, rows);
  EXPECT_EQ(Sides(s, 7, 1), "TTTT");
  EXPECT_EQ(Sides(s, 10, 8), "TTTT");
  EXPECT_EQ(Sides(s, 11, 1), "....");
  EXPECT_TRUE(s.FontAt(1, 1).bold);
  EXPECT_TRUE(HasMerge(s, "A1:H1"));
  Worksheet& ncz = Read(saved[1]);
  EXPECT_EQ(Cell(ncz, "A7"), "Терапевтические");
  EXPECT_EQ(Cell(ncz, "D7"), "700.00");
  EXPECT_EQ(Cell(ncz, "A8"), "Итого:");
  EXPECT_EQ(excel.WorkbookCount(), 0u);
}

TEST_F(RegistersTest, BedProfileRegisterNamesOfAPackageRunAndTheEmptyRegister) {
  Formation();
  RegisterInputs in = Inputs(RegisterVariant::OutOfRegion);
  in.XmlPackageMode = true;
  in.HasRoundTheClock = true;
  in.HasDayHospital = true;
  EXPECT_EQ(WriteBedProfileRegister(in, RegisterVariant::OutOfRegion),
            QStringList({RegistryFile("temp/Иногородние/Profilsi(ОМС).xlsx")}));
  Worksheet& s = Read(RegistryFile("temp/Иногородние/Profilsi(ОМС).xlsx"));
  EXPECT_EQ(Cell(s, "A3"),
            "Городская больница №1 (Круглосуточный и дневные стационары, "
            "иногороднее население)");
  // The first four reports: 20, 21, 22 (the last repeated); the sheet
  // without a bed profile first, under no name, and in the total.
  EXPECT_EQ(Cell(s, "A7"), "");
  EXPECT_EQ(Cell(s, "D7"), "50.00");
  EXPECT_EQ(Cell(s, "A8"), "Кардиологические");
  EXPECT_EQ(Cell(s, "A9"), "Итого:");
  EXPECT_EQ(Cell(s, "B9"), "52");
  EXPECT_EQ(Cell(s, "D9"), "2900.56");
  EXPECT_EQ(Cell(s, "G9"), "6");

  RegisterInputs closing = Inputs(RegisterVariant::Closing);
  closing.XmlPackageMode = true;
  closing.HasDayHospital = true;
  EXPECT_EQ(WriteBedProfileRegister(closing, RegisterVariant::Closing),
            QStringList({RegistryFile("temp/Profils(ОМС).xlsx")}));
  EXPECT_EQ(Cell(Read(RegistryFile("temp/Profils(ОМС).xlsx")), "A3"),
            "Городская больница №1 (Дневные стационары, местное население)");

  // A closing set without local reports: all parameters 0, nothing saved,
  // and the older register of its name is gone.
  closing.XmlPackageMode = false;
  closing.Reports.clear();
  QFile old(RegistryFile("Profils1.xlsx"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.close();
  EXPECT_TRUE(WriteBedProfileRegister(closing, RegisterVariant::Closing).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(RegistryFile("Profils1.xlsx")));
  // An out-of-region set without reports skips its register.
  in.Reports.clear();
  EXPECT_TRUE(WriteBedProfileRegister(in, RegisterVariant::OutOfRegion).isEmpty());
}

TEST_F(RegistersTest, TreatedPatientRegisterFlatLayout) {
  Formation();
  const QStringList saved =
      WriteTreatedPatientRegister(Inputs(RegisterVariant::Local), RegisterVariant::Local);
  ASSERT_EQ(saved, QStringList({RegistryFile("Sreestr1.xlsx")}));
  Worksheet& s = Read(saved[0]);
  EXPECT_EQ(Cell(s, "A1"), "Реестр пролеченных больных с 01.03.2026 по 31.03.2026");
  EXPECT_EQ(Cell(s, "A3"), "Городская больница №1 (круглосуточный стационар, местное население)");
  // Name order: Алексеев (three sheets, rows 8, 14, 20, totals 26..28),
  // Викторов (row 29; Борисов has no sheet of the payment kind), Смирнов
  // (row 35).
  EXPECT_EQ(Cell(s, "C8"), "Алексеев И.П.");
  EXPECT_EQ(Cell(s, "B8"), "ИБ-2");
  EXPECT_EQ(Cell(s, "D8"), "03.02.1980");
  EXPECT_EQ(Cell(s, "A9"), "450000000000002");
  EXPECT_EQ(Cell(s, "A10"), "45 01");
  EXPECT_EQ(Cell(s, "A11"), "123456");
  EXPECT_EQ(Cell(s, "F9"), "st27.1");
  EXPECT_EQ(Cell(s, "G9"), "3");
  EXPECT_EQ(Cell(s, "L9"), "Кардиоло");
  EXPECT_EQ(Cell(s, "M9"), "Улучшени");
  EXPECT_EQ(Cell(s, "N8"), "300");
  EXPECT_EQ(Cell(s, "E17"), "");  // standard "0": the diagnosis is not shown
  EXPECT_EQ(Cell(s, "F17"), "");
  EXPECT_EQ(Cell(s, "L21"), "");  // a profile missing from PROFIL
  EXPECT_EQ(Cell(s, "B26"), "ИТОГО");
  EXPECT_EQ(Cell(s, "C26"), "Алексеев И.П.");
  EXPECT_EQ(s.Value(26, 7).type, workbook::CellType::Number);
  EXPECT_EQ(Cell(s, "G26"), "12");
  EXPECT_EQ(Cell(s, "N26"), "1200");
  EXPECT_EQ(Cell(s, "C27"), "в т.ч. по основн.");
  EXPECT_EQ(Cell(s, "C28"), "в т.ч. по сопутств.");
  EXPECT_TRUE(s.FontAt(26, 3).italic);
  EXPECT_EQ(s.FontAt(28, 19).size, 8);
  EXPECT_EQ(Sides(s, 27, 10), "TTTT");
  // DOPFOND 1: the whole cost is the NCZ amount.
  EXPECT_EQ(Cell(s, "C29"), "Викторов И.П.");
  EXPECT_EQ(Cell(s, "N30"), "0");
  EXPECT_EQ(Cell(s, "O30"), "0");
  EXPECT_EQ(Cell(s, "S30"), "");
  // A policy of 16 characters is a single policy number.
  EXPECT_EQ(Cell(s, "C35"), "Смирнов И.П.");
  EXPECT_EQ(Cell(s, "A36"), "ЕНП:4500000000000001");
  EXPECT_EQ(Cell(s, "N35"), "1200.75");
  EXPECT_EQ(Cell(s, "N37"), "200.25");
  EXPECT_EQ(Cell(s, "E38"), "E11.9");
  EXPECT_EQ(Cell(s, "F38"), "st04.1(12)");
  EXPECT_EQ(Cell(s, "N38"), "200.25");
  EXPECT_EQ(Cell(s, "Q36"), "42.5");
  EXPECT_EQ(Cell(s, "R36"), "30");
  EXPECT_EQ(Cell(s, "S36"), "12.5");
  // Every block is a copy of the template's: its frame and merges.
  for (int first : {8, 14, 20, 29, 35}) {
    EXPECT_EQ(Sides(s, first, 1)[1], 'T') << first;
    EXPECT_EQ(Sides(s, first + 5, 19)[3], 'T') << first;
    EXPECT_EQ(s.FontAt(first + 1, 5).size, 8) << first;
    EXPECT_TRUE(
        HasMerge(s, workbook::FormatRange(workbook::MakeRange(first + 1, 3, first + 5, 3)).c_str()))
        << first;
  }
  // Totals from row 42 (R = 41), the children's line from case 2.
  EXPECT_EQ(Cell(s, "C42"), "Итого:");
  EXPECT_EQ(Cell(s, "G42"), "29");
  EXPECT_EQ(Cell(s, "N42"), "2400.75");
  EXPECT_EQ(Cell(s, "N43"), "2200.5");
  EXPECT_EQ(Cell(s, "S43"), "700");
  EXPECT_EQ(Cell(s, "Q43"), "42.5");
  EXPECT_EQ(Cell(s, "C44"), " в т.ч. по сопутств.");
  EXPECT_EQ(Cell(s, "C45"), " в т.ч. по детям");
  EXPECT_EQ(Cell(s, "G45"), "12");
  EXPECT_EQ(Cell(s, "N45"), "1200");
  EXPECT_EQ(Cell(s, "Q45"), "");
  EXPECT_EQ(Sides(s, 42, 1), "TT..");
  EXPECT_EQ(Sides(s, 45, 19), "..TT");
  EXPECT_EQ(Cell(s, "B47"), "Kelmo 1.0");
}

TEST_F(RegistersTest, TreatedPatientRegisterOutOfRegionGroupsByInsurerPerReport) {
  Formation();
  RegisterInputs in = Inputs(RegisterVariant::OutOfRegion);
  in.XmlPackageMode = true;
  packageFiles << QStringLiteral("stale.xlsx");
  const QStringList saved = WriteTreatedPatientRegister(in, RegisterVariant::OutOfRegion);
  const QStringList names = {RegistryFile("temp/Иногородние/Sreestri1(ОМС).xlsx"),
                             RegistryFile("temp/Иногородние/Sreestri2(ОМС).xlsx"),
                             RegistryFile("temp/Иногородние/Sreestri1_22(ОМС).xlsx")};
  ASSERT_EQ(saved, names);
  EXPECT_EQ(packageFiles, names);
  Worksheet& s = Read(names[0]);
  EXPECT_EQ(Cell(s, "A3"),
            "Городская больница №1 (Круглосуточный стационар, иногороднее "
            "население)");
  // Insurer 66004 (Егоров, two sheets: rows 8 and 14, totals 20..22), its
  // total in rows 24..26; insurer 77011 from row 28 (heads 28..30, name in
  // row 27, Яковлев in row 31), its total in rows 38..40; the register's
  // totals from row 42.
  EXPECT_EQ(Cell(s, "B4"), "Страховая компания «Уралсто»");
  EXPECT_TRUE(s.FontAt(4, 2).bold);
  EXPECT_TRUE(s.FontAt(4, 2).italic);
  EXPECT_EQ(Cell(s, "A9"), "6600000000000012");
  EXPECT_EQ(Cell(s, "B20"), "ИТОГО");
  EXPECT_EQ(Cell(s, "C24"), "Итого по страх. компании");
  EXPECT_EQ(Cell(s, "N24"), "1000");
  EXPECT_TRUE(s.FontAt(25, 3).italic);
  EXPECT_EQ(Cell(s, "B27"), "Страховая компания «Мерона»");
  EXPECT_EQ(Cell(s, "A30"), "1");
  EXPECT_TRUE(HasMerge(s, "G28:K28"));
  EXPECT_EQ(Cell(s, "C31"), "Яковлев И.П.");
  EXPECT_EQ(Cell(s, "N32"), "1500.56");
  EXPECT_EQ(Cell(s, "C38"), "Итого по страх. компании");
  EXPECT_EQ(Cell(s, "B42"), "По всем страховым организациям");
  EXPECT_TRUE(s.FontAt(42, 2).bold);
  EXPECT_EQ(Cell(s, "C43"), "Итого");
  EXPECT_EQ(Cell(s, "N43"), "2500.56");
  EXPECT_EQ(Cell(s, "C45"), "в т.ч. по сопутств.");
  EXPECT_EQ(Cell(s, "C46"), " в т.ч. по детям");
  EXPECT_EQ(Cell(s, "N46"), "0.00");
  EXPECT_EQ(Cell(s, "B48"), "Kelmo 1.0");
  EXPECT_EQ(Cell(Read(names[1]), "A3"),
            "Городская больница №1 (дневной стационар при "
            "поликлинике, иногороднее население)");
  EXPECT_EQ(Cell(Read(names[2]), "C8"), "Зайцев И.П.");
}

TEST_F(RegistersTest, LibreOfficeReadsTheRegisters) {
  Formation();
  const QStringList saved =
      WriteBedProfileRegister(Inputs(RegisterVariant::Local), RegisterVariant::Local) +
      WriteTreatedPatientRegister(Inputs(RegisterVariant::Local), RegisterVariant::Local);
  ASSERT_EQ(saved.size(), 3);
  const QString out = QDir(dir.path()).filePath(QStringLiteral("csv"));
  QProcess soffice;
  soffice.start(
      QStringLiteral("soffice"),
      {QStringLiteral("-env:UserInstallation=file://") + dir.path() + QStringLiteral("/lo-profile"),
       QStringLiteral("--headless"), QStringLiteral("--convert-to"),
       QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"), out,
       saved[0], saved[2]});
  ASSERT_TRUE(soffice.waitForFinished(120000));
  auto lines = [&](const QString& name) {
    QFile f(QDir(out).filePath(name));
    if (!f.open(QIODevice::ReadOnly)) return QStringList();
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
  };
  const QStringList profils = lines(QStringLiteral("Profils1.csv"));
  ASSERT_GE(profils.size(), 10) << soffice.readAllStandardError().toStdString();
  EXPECT_EQ(profils[0].section(QLatin1Char(','), 0, 0),
            QStringLiteral("Реестр коек по профилю с 01.03.2026 по 31.03.2026"));
  EXPECT_EQ(profils[9], QStringLiteral("Итого:,22,40,2400.75,2200.50,200.25,4,1"));
  const QStringList sreestr = lines(QStringLiteral("Sreestr1.csv"));
  ASSERT_GE(sreestr.size(), 47);
  EXPECT_TRUE(sreestr[7].startsWith(QStringLiteral("АБ,ИБ-2,Алексеев И.П.,03.02.1980,")))
      << sreestr[7].toStdString();
  EXPECT_TRUE(sreestr[41].startsWith(QStringLiteral(",,Итого:,,,,29,")))
      << sreestr[41].toStdString();
}

// Every bad input stops the register with a text that names the file, and
// leaves no file of its own behind; the registers themselves show nothing
// (the run shows a stop's message box).
TEST_F(RegistersTest, BadTemplatesAndOutputs) {
  Formation();
  QTemporaryDir templates;
  const QString ours = QStringLiteral(KELMO_SOURCE_DIR "/templates");
  auto put = [&](const QString& name, const QByteArray& bytes) {
    QFile f(QDir(templates.path()).filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  auto blank = [&](const QString& name) {
    workbook::Workbook::Create()->SaveAs(QDir(templates.path()).filePath(name).toStdString());
  };
  auto ourTemplates = [&] {
    for (const char* name : {"profils.xlsx", "sreestr.xlsx"})
      QFile::copy(QDir(ours).filePath(QString::fromLatin1(name)),
                  QDir(templates.path()).filePath(QString::fromLatin1(name)));
  };
  enum Outcome { Nothing, Stop, SaveError };
  struct Case {
    const char* what;
    std::function<void()> prepare;
    RegisterVariant variant;
    bool profiles;
    Outcome outcome;
    const char* error;  // the text after which the file's name follows
    const char* file;   // the file the text names
  } cases[] = {
      {"missing sreestr, local", [] {}, RegisterVariant::Local, false, Stop,
       "Не найден файл-шаблон ", "sreestr.xlsx"},
      {"missing profils, closing", [] {}, RegisterVariant::Closing, true, Stop,
       "Не найден файл-шаблон ", "profils.xlsx"},
      {"missing sreestr, out-of-region", [] {}, RegisterVariant::OutOfRegion, false, Nothing},
      {"damaged profils", [&] { put("profils.xlsx", "PK\x03\x04garbage"); }, RegisterVariant::Local,
       true, Stop, "Выгрузка в Excel не возможна!\n", "profils.xlsx"},
      {"sreestr without its block", [&] { blank("sreestr.xlsx"); }, RegisterVariant::Local, false,
       Stop, "Выгрузка в Excel не возможна!\n", "sreestr.xlsx: в шаблоне нет строк блока A8:S13"},
      {"profils without its table", [&] { blank("profils.xlsx"); }, RegisterVariant::OutOfRegion,
       true, Stop, "Выгрузка в Excel не возможна!\n", "profils.xlsx: в шаблоне нет строк таблицы"},
      {"a folder under the register's name",
       [&] {
         ourTemplates();
         QDir().mkpath(RegistryFile("Sreestr1.xlsx/inside"));
       },
       RegisterVariant::Local, false, SaveError, "Не удалось сохранить книгу ", "Sreestr1.xlsx"},
      {"the register open in a spreadsheet program",
       [&] {
         ourTemplates();
         QFile lock(RegistryFile(".~lock.Profils1.xlsx#"));
         ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
       },
       RegisterVariant::Local, true, SaveError, "Не удалось сохранить книгу ", "Profils1.xlsx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const QString& name : QDir(templates.path()).entryList(QDir::Files))
      QFile::remove(QDir(templates.path()).filePath(name));
    QDir(registry).removeRecursively();
    QDir().mkpath(registry);
    c.prepare();
    user.messages.clear();
    RegisterInputs in = Inputs(c.variant);
    in.TemplateFolder = templates.path();
    in.XmlPackageMode = c.variant != RegisterVariant::Local;
    Outcome outcome = Nothing;
    QString error;
    QStringList saved;
    try {
      saved = c.profiles ? WriteBedProfileRegister(in, c.variant)
                         : WriteTreatedPatientRegister(in, c.variant);
    } catch (const DocumentStop& e) {
      outcome = Stop;
      error = e.Text();
    } catch (const DocumentSaveError& e) {
      outcome = SaveError;
      error = QString::fromUtf8(e.what());
    }
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_TRUE(saved.isEmpty());
    if (c.error) {
      EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.error))) << error.toStdString();
      EXPECT_TRUE(error.contains(QString::fromUtf8(c.file))) << error.toStdString();
    }
    EXPECT_TRUE(user.messages.isEmpty());
    EXPECT_EQ(excel.WorkbookCount(), 0u);
    const QStringList left = QDir(registry).entryList(QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.filter(QStringLiteral("xlsx.")).isEmpty()) << left.join(' ').toStdString();
  }
  // No template folder at all: nothing is written and nothing is asked.
  RegisterInputs none = Inputs(RegisterVariant::Local);
  none.TemplateFolder.clear();
  EXPECT_TRUE(WriteTreatedPatientRegister(none, RegisterVariant::Local).isEmpty());
  EXPECT_TRUE(WriteBedProfileRegister(none, RegisterVariant::Local).isEmpty());
}

// The registers of a document set take the set's values: the pass's
// reports, the institution's short name, the package's word and files.
TEST_F(RegistersTest, RegistersOfADocumentSet) {
  Formation();
  DocumentRun run(db.Db(), tr, user);
  run.RegistryFolder = registry;
  run.TemplateFolder = QStringLiteral(KELMO_SOURCE_DIR "/templates");
  run.PayWord = QStringLiteral("ВМП");
  run.StacType = 1;
  run.PeriodStart = QDate(2026, 3, 1);
  run.PeriodEnd = QDate(2026, 3, 31);
  run.Lpu.Name = QStringLiteral("Больница №1");
  run.Lpu.Mcod = QStringLiteral("450001");
  run.XmlPackageMode = true;
  run.Reports[Population::Local] = local;
  run.Reports[Population::OutOfRegion] = outOfRegion;
  ThePackageLists().PackageFiles = {QStringLiteral("old.xlsx")};
  EXPECT_EQ(WriteBedProfileRegister(run, DocumentSet::Closing),
            QStringList({RegistryFile("temp/Profils(ВМП).xlsx")}));
  EXPECT_EQ(Cell(Read(RegistryFile("temp/Profils(ВМП).xlsx")), "A3"),
            "Больница №1 (круглосуточный стационар, местное население)");
  const QStringList saved = WriteTreatedPatientRegister(run, DocumentSet::OutOfRegion);
  EXPECT_EQ(saved.size(), 3);
  EXPECT_EQ(ThePackageLists().PackageFiles, saved);
  EXPECT_EQ(saved.value(1), RegistryFile("temp/Иногородние/Sreestri2(ВМП).xlsx"));
}

// An insurer's registers at the split by insurer: its own cases of every
// local report, the bed profiles of all insurers' sheets, one treated-patient
// workbook per report, in its document folder.
class InsurerRegistersTest : public RegistersTest {
 protected:
  void SetUp() override {
    Formation();
    db.Insert(QStringLiteral("PROFIL"),
              {{QStringLiteral("TIP_PROF"), 3},
               {QStringLiteral("NAME"), QStringLiteral("Хирургические")}});
    db.Insert(QStringLiteral("COMPANY"),
              {{QStringLiteral("COMP_CODE"), QStringLiteral("2778")},
               {QStringLiteral("COMP_NAME"), QStringLiteral("Бервинта-Кредо")}});
    db.Insert(QStringLiteral("COMPANY"),
              {{QStringLiteral("COMP_CODE"), QStringLiteral("2779")},
               {QStringLiteral("COMP_NAME"), QStringLiteral("Тальви-Мед")}});
    // The other insurer's case, with a profile of its own.
    AddCase({.id = 5,
             .repn = 10,
             .family = QStringLiteral("Григорьев"),
             .polis = QStringLiteral("2779"),
             .sheets = {SheetFixture{.profile = 3, .kd = 6, .kdoms = 6, .ocn = 600}}});
  }

  RegisterInputs Insurer(const QString& code, const QString& shortName, bool package = true) {
    RegisterInputs in = Inputs(RegisterVariant::Local);
    in.XmlPackageMode = package;
    in.Insurer = {code, shortName, RegistryFile(QStringLiteral("temp/") + code)};
    return in;
  }
  QString DocumentFile(const QString& code, const QString& name) const {
    return RegistryFile(QStringLiteral("temp/") + code + QLatin1Char('/') + name);
  }
};

TEST_F(InsurerRegistersTest, BedProfileRegisterListsEveryProfileWithTheInsurersSums) {
  const QStringList saved =
      WriteBedProfileRegister(Insurer("2778", "Бервин"), RegisterVariant::Insurer);
  ASSERT_EQ(saved, QStringList({DocumentFile("2778", "Profils(ОМС)_Бервин.xlsx"),
                                DocumentFile("2778", "Profils_NCZ(ОМС)_Бервин.xlsx")}));
  Worksheet& s = Read(saved[0]);
  EXPECT_EQ(Cell(s, "A1"), "Реестр коек по профилю с 01.03.2026 по 31.03.2026");
  EXPECT_EQ(Cell(s, "A3"), "Городская больница №1 (круглосуточный стационар, местное население)");
  // The surgical profile is the other insurer's only: a row of zeros.
  const std::vector<std::vector<std::string>> rows = {
      {"Кардиологические", "13", "20", "1500.75", "1300.50", "200.25", "2", "1"},
      {"Терапевтические", "4", "10", "400.00", "400.00", "0.00", "1", "0"},
      {"Хирургические", "0", "0", "0.00", "0.00", "0.00", "0", "0"},
      {"", "5", "10", "500.00", "500.00", "0.00", "1", "0"},
      {"Итого:", "22", "40", "2400.75", "2200.50", "200.25", "4", "1"}};
  ExpectProfileRows(s, rows);
  EXPECT_EQ(Sides(s, 11, 8), "TTTT");
  EXPECT_EQ(Cell(Read(saved[1]), "D7"), "700.00");

  // The other insurer: its one sheet; its DOPFOND 1 register has no cost
  // and is not saved, and leaves no file of an earlier run of its name.
  const QString stale = DocumentFile("2779", "Profils_NCZ(ОМС)_ЗНТ.xlsx");
  QDir().mkpath(QFileInfo(stale).path());
  QFile(stale).open(QIODevice::WriteOnly);
  EXPECT_EQ(WriteBedProfileRegister(Insurer("2779", "ЗНТ"), RegisterVariant::Insurer),
            QStringList({DocumentFile("2779", "Profils(ОМС)_ЗНТ.xlsx")}));
  EXPECT_FALSE(QFileInfo::exists(stale));
  Worksheet& other = Read(DocumentFile("2779", "Profils(ОМС)_ЗНТ.xlsx"));
  EXPECT_EQ(Cell(other, "A7"), "Кардиологические");
  EXPECT_EQ(Cell(other, "D7"), "0.00");
  EXPECT_EQ(Cell(other, "A9"), "Хирургические");
  EXPECT_EQ(Cell(other, "D9"), "600.00");
  EXPECT_EQ(Cell(other, "A11"), "Итого:");
  EXPECT_EQ(Cell(other, "B11"), "6");

  // Outside a package both DOPFOND passes keep a register of their own in
  // the insurer's folder: the second never replaces the first.
  EXPECT_EQ(WriteBedProfileRegister(Insurer("2778", "Бервин", false), RegisterVariant::Insurer),
            QStringList({DocumentFile("2778", "Profils1.xlsx"),
                         DocumentFile("2778", "Profils1_NCZ.xlsx")}));
  EXPECT_EQ(Cell(Read(DocumentFile("2778", "Profils1.xlsx")), "D11"), "2400.75");
  EXPECT_EQ(Cell(Read(DocumentFile("2778", "Profils1_NCZ.xlsx")), "D8"), "700.00");
}

TEST_F(InsurerRegistersTest, TreatedPatientRegisterOneWorkbookPerReport) {
  const QStringList saved =
      WriteTreatedPatientRegister(Insurer("2778", "Бервин"), RegisterVariant::Insurer);
  // Two reports of the same in-patient type: the second gets its number.
  ASSERT_EQ(saved, QStringList({DocumentFile("2778", "Sreestr1(ОМС)_Бервин.xlsx"),
                                DocumentFile("2778", "Sreestr1_11(ОМС)_Бервин.xlsx")}));
  Worksheet& s = Read(saved[0]);
  EXPECT_EQ(Cell(s, "A1"), "Реестр пролеченных больных с 01.03.2026 по 31.03.2026");
  EXPECT_EQ(Cell(s, "A3"), "Городская больница №1 (круглосуточный стационар, местное население)");
  EXPECT_EQ(Cell(s, "A4"), "Бервинта-Кредо");
  EXPECT_TRUE(s.FontAt(4, 1).bold);
  // Report 10: Викторов (DOPFOND 1, row 8), Смирнов (row 14); Борисов has
  // no sheet of the payment kind and the other insurer's case is not here.
  EXPECT_EQ(Cell(s, "C8"), "Викторов И.П.");
  EXPECT_EQ(Cell(s, "N9"), "0");
  EXPECT_EQ(Cell(s, "S9"), "700");
  EXPECT_EQ(Cell(s, "C14"), "Смирнов И.П.");
  EXPECT_EQ(Cell(s, "A15"), "4500000000000001");  // never "ЕНП:"
  EXPECT_EQ(Cell(s, "N14"), "1200.75");
  EXPECT_EQ(Cell(s, "N15"), "1000.5");
  EXPECT_EQ(Cell(s, "Q15"), "42.5");
  EXPECT_EQ(Cell(s, "R15"), "30");
  EXPECT_EQ(Cell(s, "S15"), "0");
  EXPECT_EQ(Cell(s, "F17"), "st04.1(12)");
  // The totals from R + 1 = 21, without a line for children; the footer in
  // B(R + 5).
  EXPECT_EQ(Cell(s, "C21"), "Итого:");
  EXPECT_EQ(Cell(s, "G21"), "17");
  EXPECT_EQ(Cell(s, "N21"), "1200.75");
  EXPECT_EQ(Cell(s, "C22"), "в т.ч. по основн.");
  EXPECT_EQ(Cell(s, "N22"), "1000.5");
  EXPECT_EQ(Cell(s, "Q22"), "42.5");
  EXPECT_EQ(Cell(s, "S22"), "700");
  EXPECT_EQ(Cell(s, "C23"), " в т.ч. по сопутств.");
  EXPECT_EQ(Cell(s, "N23"), "200.25");
  EXPECT_EQ(Cell(s, "C24"), "");
  EXPECT_EQ(Sides(s, 21, 1), "TTTT");
  EXPECT_EQ(Sides(s, 23, 19), "TTTT");
  EXPECT_EQ(Cell(s, "B25"), "Kelmo 1.0");
  // Report 11: Алексеев's three sheets at 8, 14, 20, the case total at
  // 26..28, the register's totals from 30.
  Worksheet& second = Read(saved[1]);
  EXPECT_EQ(Cell(second, "B26"), "ИТОГО");
  EXPECT_EQ(Cell(second, "C30"), "Итого:");
  EXPECT_EQ(Cell(second, "N30"), "1200");
  EXPECT_EQ(Cell(second, "B34"), "Kelmo 1.0");

  // The other insurer has cases in report 10 only.
  EXPECT_EQ(WriteTreatedPatientRegister(Insurer("2779", "ЗНТ"), RegisterVariant::Insurer),
            QStringList({DocumentFile("2779", "Sreestr1(ОМС)_ЗНТ.xlsx")}));
  Worksheet& other = Read(DocumentFile("2779", "Sreestr1(ОМС)_ЗНТ.xlsx"));
  EXPECT_EQ(Cell(other, "A4"), "Тальви-Мед");
  EXPECT_EQ(Cell(other, "C8"), "Григорьев И.П.");
  EXPECT_EQ(Cell(other, "C15"), "Итого:");
  EXPECT_EQ(Cell(other, "N15"), "600");

  // A missing template skips the registers without a word.
  RegisterInputs none = Insurer("2778", "Бервин");
  none.TemplateFolder = dir.path();
  EXPECT_TRUE(WriteTreatedPatientRegister(none, RegisterVariant::Insurer).isEmpty());
  EXPECT_TRUE(WriteBedProfileRegister(none, RegisterVariant::Insurer).isEmpty());
  EXPECT_TRUE(user.messages.isEmpty());
}
