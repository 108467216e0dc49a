// The demonstration budget registry from the reception button to its
// protocol, its rows and its documents.
#include <gtest/gtest.h>

#include <QProcess>

#include "../reception/reception_harness.h"
#include "budget/budget_button.h"
#include "domain/run_state.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

namespace kelmo::test {
namespace {

class BudgetButton : public ::testing::Test {
 protected:
  // The demonstration registry as committed under examples/.
  void SetUp() override {
    const QDir demo(QStringLiteral(KELMO_SOURCE_DIR "/examples/budget-registry"));
    for (const QString& f : demo.entryList(QDir::Files))
      ASSERT_TRUE(QFile::copy(demo.filePath(f), QDir(h.registry).filePath(f))) << f.toStdString();
  }

  // Presses the button for the budget of March 2026, round-the-clock.
  void Press(int mode) {
    h.Choose(3, 2026, mode, 1, 0);
    h.W().deDKelmo->SetDateValue(QDate(2026, 4, 5));
    h.SelectLpu(1);
    TheRunState().ExcelPath = QStringLiteral(KELMO_SOURCE_DIR "/templates");
    ReceptionButton button{
        *h.forms.DM, ReceptionForms{h.W(), h.forms.fmUnCorr.get(), h.forms.fmPrgs.get(),
                                    [] { return QDateTime(QDate(2026, 4, 5), QTime(10, 5, 0)); }}};
    button.IntakeBudgetReport = [&button](const QString& registry) {
      RunBudgetIntake(button.Forms, registry);
    };
    bbKelmoClick(button);
  }

  ReceptionHarness h;
};

TEST_F(BudgetButton, ReceivesTheDemonstrationRegistry) {
  Press(0);
  const QStringList act = h.ActWithoutBanner();
  ASSERT_FALSE(act.isEmpty());
  EXPECT_EQ(TheRunState().ProtocolPath,
            QDir(h.registry).filePath(QStringLiteral("КрБ0504_1005.txt")));
  EXPECT_TRUE(act.contains(QStringLiteral("Вид оплаты: бюджет")));
  EXPECT_TRUE(act.contains(QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ZEVU сошлись.")))
      << act.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(act.contains(
      QStringLiteral("Количество койко-дней предоставленное ЛПУ и посчитанное ZEVU сошлось.")));
  EXPECT_EQ(act.last(), QStringLiteral("Подпись экономиста:"));
  // The institution's own files stay as they were handed in.
  EXPECT_TRUE(QFileInfo::exists(QDir(h.registry).filePath(QStringLiteral("stacion.dbf"))));
}

TEST_F(BudgetButton, FormsTheDocumentsAndArchives) {
  Press(1);
  const QDir archive(QDir(h.registry).filePath(QStringLiteral("Бюджет")));
  const QString protocol = archive.filePath(QStringLiteral("КрБ0504_1005.txt"));
  EXPECT_EQ(TheRunState().ProtocolPath, protocol);
  const QStringList act = ReadActLines(protocol);
  EXPECT_TRUE(act.contains(QStringLiteral("      Сумма по расчетам: 43420.00 р.")))
      << act.join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(
      act.contains(QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ZEVU сошлись.")));
  for (const char* f :
       {"stacion.dbf", "mtl.dbf", "otpusk.dbf", "Sfakt1.xlsx", "Profils1.xlsx", "Sreestr1.xlsx"})
    EXPECT_TRUE(QFileInfo::exists(archive.filePath(QString::fromUtf8(f)))) << f;
  // The tables stay in the registry folder, the documents and the protocol
  // moved.
  EXPECT_TRUE(QFileInfo::exists(QDir(h.registry).filePath(QStringLiteral("stacion.dbf"))));
  EXPECT_FALSE(QFileInfo::exists(QDir(h.registry).filePath(QStringLiteral("Sfakt1.xlsx"))));

  auto sfakt =
      workbook::Workbook::Open(archive.filePath(QStringLiteral("Sfakt1.xlsx")).toStdString());
  auto& s = sfakt->ActiveSheet();
  EXPECT_EQ(s.Text(17, 1), "ВСЕГО");
  EXPECT_EQ(s.Value(17, 3).Number(), 43);
  EXPECT_EQ(s.Text(17, 9), "43420");
  EXPECT_EQ(s.Text(19, 2), "Иванов И. И.");  // a name with points stays
  auto reg =
      workbook::Workbook::Open(archive.filePath(QStringLiteral("Sreestr1.xlsx")).toStdString());
  auto& r = reg->ActiveSheet();
  EXPECT_EQ(r.Text(8, 2), "2601");
  EXPECT_EQ(r.Text(8, 3), "АНДРЕЕВ П.И.");
  EXPECT_EQ(r.Text(9, 5), "I10");
  EXPECT_EQ(r.Text(8, 14), "10000");
  auto prof =
      workbook::Workbook::Open(archive.filePath(QStringLiteral("Profils1.xlsx")).toStdString());
  EXPECT_EQ(prof->ActiveSheet().Text(7, 1), "Терапевтический");

  // An independent reader opens the written documents.
  for (const char* f : {"Sfakt1.xlsx", "Profils1.xlsx", "Sreestr1.xlsx"}) {
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral("-c"),
              QStringLiteral("import sys, openpyxl; openpyxl.load_workbook(sys.argv[1])"),
              archive.filePath(QString::fromUtf8(f))});
    ASSERT_TRUE(py.waitForFinished(60000));
    EXPECT_EQ(py.exitCode(), 0) << f << py.readAllStandardError().toStdString();
  }

  FbQuery q(h.W().ibdb, &h.W().ibtr);
  q.setSql(
      QStringLiteral("select FILE_OSH, SUM_DBF from REPORTS where OPLAT=2 order by REPN desc"));
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.Value(0, 0).toString(), protocol);
  EXPECT_DOUBLE_EQ(q.Value(0, 1).toDouble(), 43420);
}

}  // namespace
}  // namespace kelmo::test
