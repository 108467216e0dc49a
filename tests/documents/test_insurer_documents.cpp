// One insurer's invoices and bill at the end of a formation, written from the
// program's templates over a registry database of a fixture formation with
// two insurers, several local reports and both DOPFOND passes, read back
// through the workbook layer; the amount in words; the insurer choice; and
// what missing templates and unwritable folders give.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <stdexcept>

#include "../reception/registry_fixture.h"
#include "documents/amount_in_words.h"
#include "documents/document_workbook.h"
#include "documents/insurer_documents.h"
#include "firebird/fb_database.h"
#include "recording_run_user.h"
#include "workbook/cell_address.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"

using namespace kelmo;
using workbook::Worksheet;

namespace {

struct SheetFixture {
  double ocn = 1000;
  double dop = 0;
  double onech = 0;
  double ffoms = 0, tfoms = 0, train = 0;
  int modKd = 0;
  int kdoms = 10;
  int onco = 0;
  int oplat = 1;
};

class InsurerDocumentsTest : public ::testing::Test {
 protected:
  InsurerDocumentsTest() : tr(db.Db()), services(db.Db(), tr, user, lists) {
    registry = QDir(dir.path()).filePath(QStringLiteral("Регистр"));
    QDir().mkpath(registry);
    templates = QStringLiteral(KELMO_SOURCE_DIR "/templates");
    db.Exec(QStringLiteral("delete from DORER"));
    Payer(3, "Филиал «Бервинта»", "4501000003");
    Payer(2, "Филиал «Тальви»", "4501000002");
  }

  void Payer(int id, const char* name, const char* inn) {
    db.Insert(QStringLiteral("DORER"), {{QStringLiteral("ID"), id},
                                        {QStringLiteral("FNAME"), QString::fromUtf8(name)},
                                        {QStringLiteral("INDX"), QStringLiteral("640000")},
                                        {QStringLiteral("ADDRESS"), QStringLiteral("г. Толвен")},
                                        {QStringLiteral("PHONE"), QStringLiteral("11-22")},
                                        {QStringLiteral("INN"), QString::fromUtf8(inn)},
                                        {QStringLiteral("KPP"), QStringLiteral("450101001")},
                                        {QStringLiteral("BANK"), QStringLiteral("ГРКЦ")},
                                        {QStringLiteral("P_C"), QStringLiteral("40701")},
                                        {QStringLiteral("BIKBANK"), QStringLiteral("043735001")}});
  }

  void Case(int id, int repn, const QString& polis, int dopfond, int vozrast,
            const QList<SheetFixture>& sheets) {
    db.Insert(QStringLiteral("STACION"), {{QStringLiteral("ID_ILL"), id},
                                          {QStringLiteral("REPN"), repn},
                                          {QStringLiteral("FAMILY"), QStringLiteral("Иванов")},
                                          {QStringLiteral("POLIS"), polis},
                                          {QStringLiteral("DOPFOND"), dopfond},
                                          {QStringLiteral("VOZRAST"), vozrast},
                                          {QStringLiteral("MCOD"), QStringLiteral("450001")}});
    int nom = 0;
    for (const SheetFixture& s : sheets) {
      ++nom;
      db.Insert(QStringLiteral("MTL"), {{QStringLiteral("ID"), id * 10 + nom},
                                        {QStringLiteral("ID_ILL"), id},
                                        {QStringLiteral("REPN"), repn},
                                        {QStringLiteral("NOM_MTL"), nom},
                                        {QStringLiteral("OPLAT"), s.oplat},
                                        {QStringLiteral("KDOMS"), s.kdoms},
                                        {QStringLiteral("OCNCOST"), s.ocn},
                                        {QStringLiteral("DOPCOST"), s.dop},
                                        {QStringLiteral("ONECH_COST"), s.onech},
                                        {QStringLiteral("MOD_FFOMS_COST"), s.ffoms},
                                        {QStringLiteral("MOD_TFOMS_COST"), s.tfoms},
                                        {QStringLiteral("MOD_TRAIN_COST"), s.train},
                                        {QStringLiteral("MOD_KD"), s.modKd},
                                        {QStringLiteral("MTL_ONCO_STATUS"), s.onco}});
    }
  }

  // Local reports 10 and 11 (round the clock) and 12 (day care at the
  // polyclinic); cases of insurers 2778 and 2779 in both DOPFOND passes.
  void Formation() {
    const QString berv = QStringLiteral("2778"), talv = QStringLiteral("2779");
    // 2778, report 10, pass 0: one adult with both additional tariffs and a
    // one-channel part, one child with the federal tariff and oncology.
    Case(1, 10, berv, 0, 40,
         {{.ocn = 1000.5,
           .dop = 200.25,
           .onech = 100,
           .ffoms = 30,
           .tfoms = 12.5,
           .train = 5,
           .modKd = 4,
           .kdoms = 10}});
    Case(2, 10, berv, 0, 12, {{.ocn = 500, .ffoms = 20, .modKd = 3, .kdoms = 6, .onco = 1}});
    // A sheet of another payment kind counts nowhere.
    Case(3, 10, berv, 0, 40, {{.ocn = 9999, .oplat = 6}});
    // 2778, report 10, pass 1.
    Case(4, 10, berv, 1, 50, {{.ocn = 700, .kdoms = 7}});
    // 2778, report 11 (the same in-patient type), pass 0 only.
    Case(5, 11, berv, 0, 30, {{.ocn = 300.015, .kdoms = 3}});
    // 2778, report 12 (day care), pass 0.
    Case(6, 12, berv, 0, 30, {{.ocn = 120, .kdoms = 2}});
    // 2779: report 10 pass 0 with a federal tariff, report 11 nothing.
    Case(7, 10, talv, 0, 60, {{.ocn = 400, .ffoms = 8, .modKd = 1, .kdoms = 4}});
  }

  InsurerDocumentInputs Inputs(const QString& code) {
    InsurerDocumentInputs in;
    in.CaseFilter = QStringLiteral(" and (s.polis='") + code + QStringLiteral("')");
    in.RegistryFolder = registry;
    in.CurrentFolder = QDir(registry).filePath(QStringLiteral("Отчет по стационару/") + code);
    in.TemplateFolder = templates;
    in.PayKind = PayKind::Oms;
    in.PayWord = QStringLiteral("ОМС");
    in.StacType = 1;
    in.PeriodStart = QDate(2026, 3, 1);
    in.PeriodEnd = QDate(2026, 3, 31);
    in.XmlPackageMode = true;
    in.Reports[Population::Local] = {rRepn{.Repn = 10, .TipStac = 1},
                                     rRepn{.Repn = 11, .TipStac = 1},
                                     rRepn{.Repn = 12, .TipStac = 2}};
    in.CostPhaseReportNumber = 10;
    InstitutionRequisites& l = in.Lpu;
    l.FName = QStringLiteral(" ГБУ «Больница №1» ");
    l.Adr = QStringLiteral("ул. Мира, 1");
    l.PhoneGlv = QStringLiteral("22-33");
    l.PC = QStringLiteral("40602");
    l.Bank = QStringLiteral("Банк");
    l.Inn = QStringLiteral("4500000001");
    l.Kpp = QStringLiteral("450001001");
    l.BikBank = QStringLiteral("043735002");
    l.GlVr = QStringLiteral("Петров Пётр Петрович");
    l.GlBx = QStringLiteral("Сидорова А.А.");
    l.ModPc = QStringLiteral("40101");
    l.ModRecPay = QStringLiteral("УФК по Толвенской области");
    l.ModBank = QStringLiteral("ГРКЦ Толвен");
    l.ModBikBank = QStringLiteral("043735000");
    l.ModKbk = QStringLiteral("39511");
    return in;
  }

  QString Doc(const QString& code, const QString& name) const {
    return QDir(registry).filePath(QStringLiteral("temp/") + code + QLatin1Char('/') + name);
  }

  static QStringList Sorted(const QDir& folder) {
    QStringList names = folder.entryList(QDir::Files);
    names.sort();
    return names;
  }

  QStringList Files(const QString& code) const {
    return Sorted(QDir(QDir(registry).filePath(QStringLiteral("temp/") + code)));
  }

  Worksheet& Read(const QString& path) { return reader.Open(path.toStdString()).ActiveSheet(); }

  static std::string Cell(Worksheet& s, const char* address) {
    const auto c = workbook::ParseCell(address);
    return s.Text(c.row, c.column);
  }

  // A template folder with every template but `missing`.
  QString TemplatesWithout(const QString& missing) {
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("templates-") + missing);
    QDir().mkpath(folder);
    for (const QString& name : QDir(templates).entryList(QDir::Files))
      if (name != missing) QFile::copy(QDir(templates).filePath(name), QDir(folder).filePath(name));
    return folder;
  }

  test::RegistryFixture db;
  FbTransaction tr;
  QTemporaryDir dir;
  QString registry, templates;
  test::RecordingRunUser user;
  PackageLists lists;
  InsurerDocumentServices services;
  workbook::ExcelApplication reader;
};

}  // namespace

TEST(AmountInWords, RoublesInWordsKopecksInDigits) {
  const struct {
    double value;
    const char* words;
  } cases[] = {
      {0, "00 копеек"},
      {0.005, "00 копеек"},
      {0.015, "02 копейки"},
      {0.03, "03 копейки"},
      {0.11, "11 копеек"},
      {0.12, "12 копеек"},
      {0.21, "21 копейка"},
      {0.5, "50 копеек"},
      {0.995, "один рубль 00 копеек"},
      {1, "один рубль 00 копеек"},
      {2, "два рубля 00 копеек"},
      {21, "двадцать один рубль 00 копеек"},
      {111, "сто одиннадцать рублей 00 копеек"},
      {1234.56, "одна тысяча двести тридцать четыре рубля 56 копеек"},
      {5000, "пять тысяч рублей 00 копеек"},
      {21000, "двадцать одна тысяча рублей 00 копеек"},
      {12019.999, "двенадцать тысяч двадцать рублей 00 копеек"},
      {1000000, "один миллион рублей 00 копеек"},
      {1000000.99, "один миллион рублей 99 копеек"},
      {2002013.04, "два миллиона две тысячи тринадцать рублей 04 копейки"},
      {999999999.994,
       "девятьсот девяносто девять миллионов девятьсот девяносто девять тысяч "
       "девятьсот девяносто девять рублей 99 копеек"},
      {-0.004, "00 копеек"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AmountInWords(c.value), QString::fromUtf8(c.words)) << c.value;
  // Exact amounts carry the same way.
  EXPECT_EQ(AmountInWords(Money::FromUnits(9950)), QStringLiteral("один рубль 00 копеек"));
  // Beyond the words' reach, below zero or not a number: an error, never
  // a text that reads as another amount.
  for (const double bad : {999999999.995, 1e9, 3e9, 1e300, -0.01, -5.0, std::nan("")})
    EXPECT_THROW(AmountInWords(bad), std::out_of_range) << bad;
}

TEST(InsurerChoice, FirstCodeOfTheFilterInTheTablesOrder) {
  const struct {
    const char* filter;
    bool outOfRegion;
    int code, dorer;
    const char *shortName, *label;
  } cases[] = {
      {" and (s.polis='2778')", false, 2778, 3, "Бервин", "2778"},
      {" and (s.polis='2779')", false, 2779, 2, "ЗНТ", "2779"},
      {" and (s.polis='2989')", false, 2989, 5, "", "2989"},
      {" and (s.polis='2779' or s.polis='2778')", false, 2778, 3, "Бервин", "2778"},
      {" and (s.polis='66004')", false, 0, 0, "", ""},
      {" and (s.pol_obl<>1137)", true, 0, 0, "", "Иногородние"},
      {" and (s.polis='2778')", true, 0, 0, "", "Иногородние"},
  };
  for (const auto& c : cases) {
    const InsurerChoice choice = ChooseInsurer(QString::fromUtf8(c.filter), c.outOfRegion);
    EXPECT_EQ(choice.Code, c.code) << c.filter;
    EXPECT_EQ(choice.DorerId, c.dorer) << c.filter;
    EXPECT_EQ(choice.ShortName, QString::fromUtf8(c.shortName)) << c.filter;
    EXPECT_EQ(choice.ExportLabel, QString::fromUtf8(c.label)) << c.filter;
    EXPECT_EQ(choice.OutOfRegion, c.outOfRegion);
  }
  EXPECT_EQ(ChooseInsurer(QStringLiteral("x"), false).CodeText(), QStringLiteral("0"));
}

TEST(InsurerCareKind, ByDocumentTypeAndPackage) {
  using D = CareKindDocument;
  EXPECT_EQ(InsurerCareKind(D::OneChannel, 1, false, false, false), "круглосуточный стационар");
  EXPECT_EQ(InsurerCareKind(D::Main, 1, false, true, false), "стационарная медицинская помощь");
  EXPECT_EQ(InsurerCareKind(D::Main, 3, false, false, false), "дневной стационар на дому");
  EXPECT_EQ(InsurerCareKind(D::Bill, 3, false, false, false), "стационар на дому");
  EXPECT_EQ(InsurerCareKind(D::Bill, 2, true, false, false), "дневной стационар при поликлинике");
  EXPECT_EQ(InsurerCareKind(D::OneChannel, 2, true, true, false), "Круглосуточный стационар");
  EXPECT_EQ(InsurerCareKind(D::Main, 2, true, true, false), "стационарная медицинская помощь");
  for (const D d : {D::OneChannel, D::Main, D::Bill}) {
    EXPECT_EQ(InsurerCareKind(d, 1, true, true, true), "Круглосуточный и дневные стационары");
    EXPECT_EQ(InsurerCareKind(d, 1, true, false, true), "Дневные стационары");
  }
  EXPECT_EQ(ReportCareKind(4), "дневной стационар при стационаре");
}

TEST_F(InsurerDocumentsTest, TwoInsurersGetTheirInvoicesInTheirOwnFolders) {
  Formation();
  // Left by an earlier run: the invoice of a pass that has no cases now,
  // and a file that is no invoice of this run.
  QDir().mkpath(Doc("2778", QString()));
  for (const char* name : {"Sfakt_NSZ2(ОМС)_Бервин.xlsx", "keep.xlsx"}) {
    QFile f(Doc("2778", QString::fromUtf8(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  WriteInsurerDocuments(Inputs(QStringLiteral("2778")), services);
  WriteInsurerDocuments(Inputs(QStringLiteral("2779")), services);
  EXPECT_TRUE(user.messages.isEmpty()) << user.messages.join(QLatin1Char('\n')).toStdString();

  // Report 10 in both passes, report 11 (the same type: its own name),
  // report 12; no pass-1 invoice of 11 and 12; FF, TF and the Modern form;
  // the bed-profile registers of both passes and a treated-patient register
  // per report.
  EXPECT_EQ(
      Files(QStringLiteral("2778")),
      QStringList(
          {"Modern1_FF(ОМС)_Бервин.xlsx", "Profils(ОМС)_Бервин.xlsx",
           "Profils_NCZ(ОМС)_Бервин.xlsx", "Sfakt(ОМС)_Бервин_ON.xlsx", "Sfakt1(ОМС)_Бервин.xlsx",
           "Sfakt1_11(ОМС)_Бервин.xlsx", "Sfakt1_FF(ОМС)_Бервин.xlsx", "Sfakt1_TF(ОМС)_Бервин.xlsx",
           "Sfakt2(ОМС)_Бервин.xlsx", "Sfakt_NSZ1(ОМС)_Бервин.xlsx", "Sreestr1(ОМС)_Бервин.xlsx",
           "Sreestr1_11(ОМС)_Бервин.xlsx", "Sreestr2(ОМС)_Бервин.xlsx", "keep.xlsx"}));
  EXPECT_EQ(Files(QStringLiteral("2779")),
            QStringList({"Profils(ОМС)_ЗНТ.xlsx", "Sfakt1(ОМС)_ЗНТ.xlsx", "Sfakt1_FF(ОМС)_ЗНТ.xlsx",
                         "Sreestr1(ОМС)_ЗНТ.xlsx"}))
      << Files(QStringLiteral("2779")).join(QLatin1Char(' ')).toStdString();
  // The bill of insurer 2778 lies in "temp" itself.
  EXPECT_TRUE(QFileInfo::exists(QDir(registry).filePath(QStringLiteral("temp/Счет(ОМС).xlsx"))));
  // Nothing in the current folder of a run without a package.
  EXPECT_FALSE(QFileInfo::exists(Inputs(QStringLiteral("2778")).CurrentFolder));

  Worksheet& s = Read(Doc("2778", QStringLiteral("Sfakt1(ОМС)_Бервин.xlsx")));
  EXPECT_EQ(Cell(s, "A1"), "СЧЕТ-ФАКТУРА № ____ от \" 31.03.2026 \"");
  EXPECT_EQ(Cell(s, "B3"),
            "ГБУ «Больница №1» (круглосуточный стационар)\nУФК по Толвенской области\nКБК 39511");
  EXPECT_EQ(Cell(s, "B4"), "ул. Мира, 1, тел. 22-33");
  EXPECT_EQ(Cell(s, "B5"), "40602 Банк");
  EXPECT_EQ(Cell(s, "B6"), "4500000001 / 450001001");
  EXPECT_EQ(Cell(s, "A6"), "Грузоотправитель и его адрес");
  EXPECT_EQ(Cell(s, "A7"), "Грузополучатель и его адрес");
  EXPECT_EQ(Cell(s, "A8"), "К платежно-расчетному документу №");
  EXPECT_EQ(Cell(s, "B9"), "Филиал «Бервинта»");
  EXPECT_EQ(Cell(s, "B10"), "г. Толвен, тел. 11-22");
  EXPECT_EQ(Cell(s, "B11"), "40701 ГРКЦ");
  EXPECT_EQ(Cell(s, "B12"), "4501000003 / 450101001");
  EXPECT_EQ(Cell(s, "B13"), "043735001");
  EXPECT_EQ(Cell(s, "A16"), "Оказанная медицинская помощь с 01.03.2026 по 31.03.2026");
  EXPECT_EQ(Cell(s, "B16"), "к/дн.");
  // Cases 1 and 2: 16 bed days; 1000.5 - 100 - 30 - 12.5 - 5 + 200.25 and
  // 500 - 20; the oncology line is case 2's.
  EXPECT_EQ(Cell(s, "C16"), "16");
  EXPECT_EQ(Cell(s, "E16"), "1533.25");
  EXPECT_EQ(Cell(s, "H16"), "1533.25");
  EXPECT_EQ(Cell(s, "A17"), "Всего");
  EXPECT_EQ(Cell(s, "C17"), "16");
  EXPECT_EQ(Cell(s, "H17"), "1533.25");
  EXPECT_EQ(Cell(s, "A18"), "в том числе онкология:");
  EXPECT_EQ(Cell(s, "C18"), "6");
  EXPECT_EQ(Cell(s, "H18"), "500.00");
  EXPECT_EQ(Cell(s, "A19"), "Руководитель");
  EXPECT_EQ(Cell(s, "B19"), "/Петров П.П./");
  EXPECT_EQ(Cell(s, "F19"), "Главный бухгалтер");
  EXPECT_EQ(Cell(s, "H19"), "/Сидорова А.А./");
  EXPECT_EQ(Cell(s, "A21"), "М.П.");

  Worksheet& nsz = Read(Doc("2778", QStringLiteral("Sfakt_NSZ1(ОМС)_Бервин.xlsx")));
  EXPECT_EQ(Cell(nsz, "H17"), "700.00");
  Worksheet& r11 = Read(Doc("2778", QStringLiteral("Sfakt1_11(ОМС)_Бервин.xlsx")));
  EXPECT_EQ(Cell(r11, "H17"), "300.02");
  Worksheet& r12 = Read(Doc("2778", QStringLiteral("Sfakt2(ОМС)_Бервин.xlsx")));
  EXPECT_EQ(Cell(r12, "B16"), "п/дн.");
  EXPECT_EQ(Cell(r12, "B3").rfind("ГБУ «Больница №1» (дневной стационар при поликлинике)", 0), 0u);

  Worksheet& on = Read(Doc("2778", QStringLiteral("Sfakt(ОМС)_Бервин_ON.xlsx")));
  EXPECT_EQ(Cell(on, "B3").rfind("ГБУ «Больница №1» (круглосуточный стационар)\n", 0), 0u);
  // Every sheet of payment kind 1 of 2778's reports, whatever its DOPFOND;
  // 2779 had no one-channel part, so no such invoice.
  EXPECT_EQ(Cell(on, "C16"), "28");
  EXPECT_EQ(Cell(on, "H17"), "100");
  EXPECT_EQ(Cell(on, "F19"), "/Сидорова А.А./");

  // FF: cases 1 and 2 (7 additional days, 50), the child case 2 (3, 20).
  Worksheet& ff = Read(Doc("2778", QStringLiteral("Sfakt1_FF(ОМС)_Бервин.xlsx")));
  EXPECT_EQ(Cell(ff, "B5"), "40101 УФК по Толвенской области ГРКЦ Толвен");
  EXPECT_EQ(Cell(ff, "B7"), "043735000");
  EXPECT_EQ(Cell(ff, "A8"), "КБК");
  EXPECT_EQ(Cell(ff, "B8"), "39511");
  EXPECT_EQ(Cell(ff, "A9"), "");
  EXPECT_EQ(Cell(ff, "A10"), "Покупатель");
  EXPECT_EQ(Cell(ff, "B10"), "Филиал «Бервинта»");
  EXPECT_EQ(Cell(ff, "B12"), "4501000003 / 450101001");
  EXPECT_EQ(Cell(ff, "A16").rfind("Оплата медицинской помощи по дополнительному тарифу на "
                                  "поэтапный переход к оказанию",
                                  0),
            0u);
  EXPECT_EQ(Cell(ff, "C16"), "7");
  EXPECT_EQ(Cell(ff, "E16"), "4");
  EXPECT_EQ(Cell(ff, "I16"), "50");
  EXPECT_EQ(Cell(ff, "C17"), "3");
  EXPECT_EQ(Cell(ff, "E17"), "20");
  EXPECT_EQ(Cell(ff, "I17"), "20");
  EXPECT_EQ(Cell(ff, "I18"), "50");
  EXPECT_EQ(Cell(ff, "I20"), "/Сидорова А.А./");
  Worksheet& tf = Read(Doc("2778", QStringLiteral("Sfakt1_TF(ОМС)_Бервин.xlsx")));
  EXPECT_EQ(Cell(tf, "B5"), "40602 Банк");
  EXPECT_EQ(Cell(tf, "B7"), "043735002");
  EXPECT_EQ(Cell(tf, "B9"), "Филиал «Бервинта»");
  EXPECT_EQ(Cell(tf, "A12"), "Р/счет №");
  EXPECT_EQ(Cell(tf, "B13"), "043735001");
  EXPECT_EQ(Cell(tf, "E16"), "5");
  EXPECT_EQ(Cell(tf, "I16"), "12.5");
  EXPECT_EQ(Cell(tf, "E17"), "0");  // the child has no territorial tariff
  Worksheet& modern = Read(Doc("2778", QStringLiteral("Modern1_FF(ОМС)_Бервин.xlsx")));
  EXPECT_EQ(Cell(modern, "A1"), "ГБУ «Больница №1»");
  EXPECT_EQ(Cell(modern, "A7"), "ИНН 4500000001 \\ КПП 450001001");
  EXPECT_EQ(Cell(modern, "F7"), "Сч. №40101");
  EXPECT_EQ(Cell(modern, "A18"), "Адрес: 640000, г. Толвен");
  EXPECT_EQ(Cell(modern, "E21"), "к/дн");
  EXPECT_EQ(Cell(modern, "H21"), "50");
  EXPECT_EQ(Cell(modern, "H22"), "20");
  EXPECT_EQ(Cell(modern, "A26"), "Всего наименований 1 на сумму 50 рублей");
  EXPECT_EQ(Cell(modern, "A27"), "пятьдесят рублей 00 копеек");
  EXPECT_EQ(Cell(modern, "E29"), "Петров П.П.");
  EXPECT_EQ(Cell(modern, "G31"), "Сидорова А.А.");

  // The bill repeats the last insurer line read: report 12's pass 1 had
  // none, so report 12's pass 0.
  Worksheet& bill = Read(QDir(registry).filePath(QStringLiteral("temp/Счет(ОМС).xlsx")));
  EXPECT_EQ(Cell(bill, "A13"), "СЧЕТ № ___ от \" 31.03.2026 \"");
  EXPECT_EQ(Cell(bill, "A15"), "Вид оказанной медицинской помощи: стационарная медицинская помощь");
  EXPECT_EQ(Cell(bill, "A16"), "Плательщик: Филиал «Бервинта»");
  EXPECT_EQ(Cell(bill, "B21"), "с 01.03.2026г. по 31.03.2026г.");
  EXPECT_EQ(Cell(bill, "F20"), "2");
  EXPECT_EQ(Cell(bill, "H20"), "120.00");
  EXPECT_EQ(Cell(bill, "H23"), "120.00");
  EXPECT_EQ(Cell(bill, "A25"), "Всего наименований 1, на сумму 120.00");
  EXPECT_EQ(Cell(bill, "A26"), "сто двадцать рублей 00 копеек");
  EXPECT_EQ(Cell(bill, "A28"), "Руководитель учреждения__________________(Петров П.П.)");

  // 2779 bills its own payer; its FF never replaced 2778's.
  Worksheet& ff79 = Read(Doc("2779", QStringLiteral("Sfakt1_FF(ОМС)_ЗНТ.xlsx")));
  EXPECT_EQ(Cell(ff79, "B10"), "Филиал «Тальви»");
  EXPECT_EQ(Cell(ff79, "I16"), "8");
  EXPECT_EQ(Cell(ff79, "C17"), "");  // no child: the children's cells stay empty
  EXPECT_EQ(Cell(ff79, "I17"), "");
}

TEST_F(InsurerDocumentsTest, WithoutAPackageEveryReportAndPassHasItsOwnFile) {
  Formation();
  InsurerDocumentInputs in = Inputs(QStringLiteral("2778"));
  in.XmlPackageMode = false;
  QDir().mkpath(in.CurrentFolder);
  WriteInsurerDocuments(in, services);
  // The registers too: the bed-profile registers of both passes and a
  // treated-patient register per report, each under a name of its own.
  EXPECT_EQ(Sorted(QDir(in.CurrentFolder)),
            QStringList({"Profils1.xlsx", "Profils1_NCZ.xlsx", "Sfakt1.xlsx", "Sfakt1_11.xlsx",
                         "Sfakt1_12.xlsx", "Sfakt1_NSZ.xlsx", "Sfakt1_ON.xlsx", "Sreestr1.xlsx",
                         "Sreestr1_11.xlsx", "Sreestr1_12.xlsx", "Счет1.xlsx"}));
  // The additional-tariff invoices stay in the insurer's document folder.
  const QStringList tariffs = {"Modern1_FF(ОМС)_Бервин.xlsx", "Sfakt1_FF(ОМС)_Бервин.xlsx",
                               "Sfakt1_TF(ОМС)_Бервин.xlsx"};
  EXPECT_EQ(Files(QStringLiteral("2778")), tariffs);
  // Without the insurer's own folder they all go to the document folder,
  // never to the process's current folder.
  in.CurrentFolder.clear();
  WriteInsurerDocuments(in, services);
  EXPECT_EQ(Files(QStringLiteral("2778")).size(), tariffs.size() + 11);
  EXPECT_FALSE(QFileInfo::exists(QStringLiteral("Sfakt1.xlsx")));
}

TEST_F(InsurerDocumentsTest, OutOfRegionPatientsAndOtherModesWriteNoInvoice) {
  Formation();
  InsurerDocumentInputs in = Inputs(QStringLiteral("2778"));
  in.CaseFilter = QStringLiteral(" and (s.pol_obl<>1137)");
  in.OutOfRegion = true;
  WriteInsurerDocuments(in, services);
  EXPECT_FALSE(QFileInfo::exists(QDir(registry).filePath(QStringLiteral("temp"))));

  // Not forming: only the bill is filled, with nothing to bill, and not
  // saved; the registers are written in every mode.
  in = Inputs(QStringLiteral("2778"));
  in.Forming = false;
  WriteInsurerDocuments(in, services);
  EXPECT_TRUE(Files(QStringLiteral("2778")).filter(QStringLiteral("Sfakt")).isEmpty());
  EXPECT_EQ(Files(QStringLiteral("2778")).filter(QStringLiteral("Sreestr")).size(), 3);
  EXPECT_FALSE(QFileInfo::exists(QDir(registry).filePath(QStringLiteral("temp/Счет(ОМС).xlsx"))));
}

TEST_F(InsurerDocumentsTest, MissingTemplatesAreToldOrSkipped) {
  Formation();
  // No sfaktM: told once per invoice, both skipped; the rest is written.
  InsurerDocumentInputs in = Inputs(QStringLiteral("2778"));
  in.TemplateFolder = TemplatesWithout(QStringLiteral("sfaktM.xlsx"));
  WriteInsurerDocuments(in, services);
  const QString missing =
      QStringLiteral("Не найден файл-шаблон ") + QDir(in.TemplateFolder).filePath("sfaktM.xlsx");
  EXPECT_EQ(user.messages, QStringList({missing, missing}));
  EXPECT_EQ(user.captions, QStringList({"Ошибка", "Ошибка"}));
  QStringList files = Files(QStringLiteral("2778"));
  EXPECT_FALSE(files.contains(QStringLiteral("Sfakt1_FF(ОМС)_Бервин.xlsx")));
  EXPECT_TRUE(files.contains(QStringLiteral("Modern1_FF(ОМС)_Бервин.xlsx")));
  EXPECT_TRUE(files.contains(QStringLiteral("Sfakt_NSZ1(ОМС)_Бервин.xlsx")));

  // No Modern or Bill: skipped silently.
  user.messages.clear();
  QDir(Doc("2778", QString())).removeRecursively();
  in.TemplateFolder = TemplatesWithout(QStringLiteral("Modern.xlsx"));
  QFile::remove(QDir(in.TemplateFolder).filePath(QStringLiteral("Bill.xlsx")));
  QFile::remove(QDir(registry).filePath(QStringLiteral("temp/Счет(ОМС).xlsx")));
  WriteInsurerDocuments(in, services);
  EXPECT_TRUE(user.messages.isEmpty());
  files = Files(QStringLiteral("2778"));
  EXPECT_FALSE(files.contains(QStringLiteral("Modern1_FF(ОМС)_Бервин.xlsx")));
  EXPECT_TRUE(files.contains(QStringLiteral("Sfakt1_FF(ОМС)_Бервин.xlsx")));
  EXPECT_FALSE(QFileInfo::exists(QDir(registry).filePath(QStringLiteral("temp/Счет(ОМС).xlsx"))));

  // No sfakt_on: told, and the operation ends there.
  user.messages.clear();
  QDir(Doc("2778", QString())).removeRecursively();
  in.TemplateFolder = TemplatesWithout(QStringLiteral("sfakt_on.xlsx"));
  WriteInsurerDocuments(in, services);
  EXPECT_EQ(user.messages, QStringList({QStringLiteral("Не найден файл-шаблон ") +
                                        QDir(in.TemplateFolder).filePath("sfakt_on.xlsx")}));
  EXPECT_TRUE(Files(QStringLiteral("2778")).isEmpty());
}

TEST_F(InsurerDocumentsTest, AnUnwritableFolderIsAnErrorNamingTheFile) {
  Formation();
  const QString folder = Doc("2778", QString());
  QDir().mkpath(folder);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  try {
    WriteInsurerDocuments(Inputs(QStringLiteral("2778")), services);
    ADD_FAILURE() << "no error";
  } catch (const DocumentSaveError& error) {
    EXPECT_NE(QString::fromUtf8(error.what()).indexOf(QStringLiteral("Sfakt(ОМС)_Бервин_ON.xlsx")),
              -1)
        << error.what();
  }
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // A run without a package whose insurer folder is missing.
  InsurerDocumentInputs in = Inputs(QStringLiteral("2778"));
  in.XmlPackageMode = false;
  EXPECT_THROW(WriteInsurerDocuments(in, services), DocumentSaveError);
}
