// The shared life cycle and head of the documents: template tests and stops,
// saving without half-written files, read-only outputs and unwritable
// folders, signature short names and the texts of amounts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "documents/document_header.h"
#include "documents/document_workbook.h"
#include "workbook/workbook.h"

using namespace kelmo;

namespace {

// A template of one sheet with captions in A3 and A15.
QString MakeTemplate(const QDir& dir, const QString& name = "t.xlsx") {
  auto book = workbook::Workbook::Create();
  book->Sheet(0).SetText(3, 1, "Поставщик:");
  book->Sheet(0).SetText(15, 1, "Наименование");
  const QString path = dir.filePath(name);
  book->SaveAs(path.toStdString());
  return path;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

DocumentStopKind StopOf(const std::function<void()>& f, QString* text = nullptr) {
  try {
    f();
  } catch (const DocumentStop& stop) {
    if (text) *text = stop.Text();
    return stop.Kind();
  }
  ADD_FAILURE() << "no stop";
  return DocumentStopKind::ExcelUnavailable;
}

}  // namespace

TEST(DocumentHeader, SignatureShortNamesUseTheWordsPresent) {
  const std::pair<const char*, const char*> cases[] = {
      {"Иванов Иван Иванович", "Иванов И.И."}, {"  Петрова   Анна  Сергеевна ", "Петрова А.С."},
      {"Сидоров Пётр", "Сидоров П."},          {"Сидоров", "Сидоров"},
      {"Иванов И.И.", "Иванов И.И."},          {"", ""},
      {"Оглы Мамед Али Гусейн", "Оглы М.А."},
  };
  for (const auto& [full, expected] : cases)
    EXPECT_EQ(SignatureShortName(QString::fromUtf8(full)), QString::fromUtf8(expected)) << full;
}

TEST(DocumentHeader, AmountsRoundToKopecksHalfToEvenAndFieldTextsKeepTheirDecimals) {
  EXPECT_EQ(MoneyStr(Money::FromUnits(12345650)), "1234.56");
  EXPECT_EQ(MoneyStr(Money::FromUnits(12345750)), "1234.58");
  EXPECT_EQ(MoneyStr(Money::FromUnits(40)), "0.00");
  EXPECT_EQ(MoneyText(Money::FromRoubles(1500)), "1500");
  EXPECT_EQ(MoneyText(Money::FromUnits(15002500)), "1500.25");
  // Sums come from the database as exact decimals, as doubles or as null.
  EXPECT_EQ(MoneyOfField(QVariant(QString("1000.0050"))), Money::FromUnits(10000050));
  EXPECT_EQ(MoneyOfField(QVariant(1234.5678)), Money::FromUnits(12345678));
  EXPECT_EQ(MoneyOfField(QVariant(qlonglong(7))), Money::FromRoubles(7));
  EXPECT_EQ(MoneyOfField(QVariant()), Money());
}

TEST(DocumentHeader, RequisitesAndSignatureCells) {
  auto book = workbook::Workbook::Create();
  auto& sheet = book->Sheet(0);
  InstitutionRequisites lpu;
  lpu.FName = " ГБУ «Больница» ";
  lpu.Adr = "ул. Мира, 1";
  lpu.PhoneGlv = "22-33-44";
  lpu.PC = "40602";
  lpu.Bank = "Банк";
  lpu.Inn = "3700000001";
  lpu.Kpp = "370001001";
  lpu.BikBank = "044525000";
  lpu.GlVr = "Иванов Иван Иванович";
  lpu.GlBx = "";
  FundRequisites fund{"г. Толвен", "11-11", "40101", "ГРКЦ", "3700000002", "370002002", "0445"};
  WriteRequisitesHeader(sheet, lpu, fund,
                        {CareKindOfStacType(2), "ТФ ОМС Толвенской области", " / "});
  EXPECT_EQ(sheet.Text(3, 2), "ГБУ «Больница» (дневной стационар при поликлинике)");
  EXPECT_EQ(sheet.Text(4, 2), "ул. Мира, 1, тел. 22-33-44");
  EXPECT_EQ(sheet.Text(5, 2), "40602 Банк");
  EXPECT_EQ(sheet.Text(6, 2), "3700000001 / 370001001");
  EXPECT_EQ(sheet.Text(7, 2), "044525000");
  EXPECT_EQ(sheet.Text(9, 2), "ТФ ОМС Толвенской области");
  EXPECT_EQ(sheet.Text(10, 2), "г. Толвен, тел. 11-11");
  EXPECT_EQ(sheet.Text(11, 2), "40101 ГРКЦ");
  EXPECT_EQ(sheet.Text(12, 2), "3700000002 / 370002002");
  EXPECT_EQ(sheet.Text(13, 2), "0445");
  WriteSignatureBlock(sheet, {{19, 1}, {19, 2}, {19, 5}, {19, 6}, {21, 1}}, lpu);
  EXPECT_EQ(sheet.Text(19, 1), "Руководитель");
  EXPECT_EQ(sheet.Text(19, 2), "/Иванов И.И./");
  EXPECT_EQ(sheet.Text(19, 5), "Главный бухгалтер");
  EXPECT_EQ(sheet.Text(19, 6), "//");
  EXPECT_EQ(sheet.Text(21, 1), "М.П.");
  EXPECT_EQ(PeriodText("с ", QDate(2024, 3, 1), QDate(2024, 3, 31)), "с 01.03.2024 по 31.03.2024");
}

TEST(DocumentWorkbook, TemplateFolderAndTemplateStops) {
  QTemporaryDir dir;
  QString text;
  EXPECT_EQ(StopOf([] { RequireTemplateFolder(" "); }, &text),
            DocumentStopKind::TemplateFolderMissing);
  EXPECT_EQ(text, "Не найден путь к файлам шаблонам! Прдолжение невозможно.");
  EXPECT_EQ(TemplatePath("", "sfakt_on.xlsx"), "/sfakt_on.xlsx");
  EXPECT_EQ(StopOf([&] { RequireTemplate(TemplatePath(dir.path(), "sfakt.xlsx")); }, &text),
            DocumentStopKind::TemplateMissing);
  EXPECT_EQ(text, "Не найден файл-шаблон " + dir.filePath("sfakt.xlsx"));
  // A folder or a link under the template's name is not a template.
  QDir(dir.path()).mkdir("folder.xlsx");
  EXPECT_FALSE(TemplatePresent(dir.filePath("folder.xlsx")));
  const QString real = MakeTemplate(QDir(dir.path()));
  QFile::link(real, dir.filePath("link.xlsx"));
  EXPECT_TRUE(TemplatePresent(real));
  EXPECT_FALSE(TemplatePresent(dir.filePath("link.xlsx")));
}

TEST(DocumentWorkbook, DamagedOrUnsuitableTemplateStopsNamingTheFile) {
  QTemporaryDir dir;
  workbook::ExcelApplication app;
  const QString damaged = dir.filePath("damaged.xlsx");
  {
    QFile f(damaged);
    f.open(QIODevice::WriteOnly);
    f.write("PK\x03\x04 not really a workbook");
  }
  QString text;
  EXPECT_EQ(StopOf([&] { DocumentWorkbook d(app, damaged); }, &text),
            DocumentStopKind::ExcelUnavailable);
  EXPECT_TRUE(text.startsWith("Выгрузка в Excel не возможна!\n")) << text.toStdString();
  EXPECT_TRUE(text.contains(damaged)) << text.toStdString();
  const QString plain = MakeTemplate(QDir(dir.path()));
  EXPECT_EQ(StopOf(
                [&] {
                  DocumentWorkbook d(app, plain, {{3, 1}, {16, 1}});
                },
                &text),
            DocumentStopKind::ExcelUnavailable);
  EXPECT_TRUE(text.contains(plain + ": шаблон не содержит строк документа (ячейка A16)"))
      << text.toStdString();
  EXPECT_EQ(app.WorkbookCount(), 0u);
  EXPECT_NO_THROW(DocumentWorkbook d(app, plain, {{3, 1}, {15, 1}}));
  EXPECT_EQ(app.WorkbookCount(), 0u);  // closed with the document
}

TEST(DocumentWorkbook, SavingReplacesWholeOrLeavesTheOldFile) {
  QTemporaryDir dir;
  const QDir d(dir.path());
  const QString templ = MakeTemplate(d);
  const QByteArray templateBytes = ReadAll(templ);
  workbook::ExcelApplication app;
  const QString out = d.filePath("Sfakt1.xlsx");
  {
    DocumentWorkbook doc(app, templ);
    doc.Text(16, 1, "первый");
    doc.Save(out);
  }
  EXPECT_EQ(ReadAll(templ), templateBytes);  // the template is never written
  EXPECT_EQ(workbook::Workbook::Open(out.toStdString())->Sheet(0).Text(16, 1), "первый");

  struct Case {
    const char* name;
    std::function<QString()> prepare;  // returns the output name
    const char* reason;
  };
  const Case cases[] = {
      {"read-only output",
       [&] {
         QFile::setPermissions(out, QFile::ReadOwner | QFile::ReadGroup);
         return out;
       },
       "файл доступен только для чтения"},
      {"output open in a spreadsheet program",
       [&] {
         QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner);
         QFile lock(d.filePath(".~lock.Sfakt1.xlsx#"));
         lock.open(QIODevice::WriteOnly);
         return out;
       },
       "файл открыт в другой программе"},
      {"missing folder", [&] { return d.filePath("nowhere/Sfakt1.xlsx"); }, "нет папки"},
      {"unwritable folder",
       [&] {
         d.mkdir("locked");
         QFile::setPermissions(d.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
         return d.filePath("locked/Sfakt1.xlsx");
       },
       "нет доступа на запись в папку"},
  };
  for (const Case& c : cases) {
    const QString target = c.prepare();
    DocumentWorkbook doc(app, templ);
    doc.Text(16, 1, "второй");
    try {
      doc.Save(target);
      ADD_FAILURE() << c.name << ": saved";
    } catch (const DocumentSaveError& e) {
      const QString what = QString::fromUtf8(e.what());
      EXPECT_TRUE(what.contains(target)) << c.name << ": " << e.what();
      EXPECT_TRUE(what.contains(QString::fromUtf8(c.reason))) << c.name << ": " << e.what();
    }
  }
  QFile::setPermissions(d.filePath("locked"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // The old file stands unchanged and nothing half-written is left beside it.
  EXPECT_EQ(workbook::Workbook::Open(out.toStdString())->Sheet(0).Text(16, 1), "первый");
  EXPECT_EQ(d.entryList(QDir::Files | QDir::Hidden),
            (QStringList{".~lock.Sfakt1.xlsx#", "Sfakt1.xlsx", "t.xlsx"}));
}
