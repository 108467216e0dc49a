// The main window's services wired into the window: the month and year
// handlers reopen the grid for the fund, the period follows the grid's
// current institution, marks by double click and the menu actions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "shell/data_module.h"
#include "shell/main_window.h"
#include "shell_test_support.h"

using namespace kelmo;

namespace {

class MainWindowServices : public ::testing::Test {
 protected:
  // A window started in a folder of its own as the given party.
  std::unique_ptr<TfmKelmo> Start(int whoDetail) {
    QFile ini(start_.File("kelmo.ini"));
    EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[Options]\r\nWHO=%1\r\nWho_Detail=%2\r\n")
                  .arg(whoDetail == 1 ? "lpu" : "tfoms")
                  .arg(whoDetail)
                  .toUtf8());
    ini.close();
    const ShellPaths paths = start_.Paths();
    dm_ = std::make_unique<TDM>(QStringLiteral("DM%1").arg(++instance_));
    auto fm = std::make_unique<TfmKelmo>(*dm_, paths);
    fm->FormCreate();
    return fm;
  }
  void TearDown() override { ResetRunState(); }

  static inline int instance_ = 0;
  test::TempStart start_;
  std::unique_ptr<TDM> dm_;
};

}  // namespace

TEST_F(MainWindowServices, FundReopensTheGridOnMonthAndYear) {
  auto fm = Start(2);
  ASSERT_TRUE(fm->ibqLPU.Active());
  fm->cbMonth->setCurrentIndex(4);
  fm->cbMonthSelect();
  EXPECT_EQ(fm->ibqLPU.param("inog").toInt(), 1);
  EXPECT_EQ(fm->ibqLPU.param("dbeg").toDateTime().date(),
            QDate(fm->seYear->ValueAsInteger(), 5, 1));
  fm->seYear->SetValue(2013);  // the year's text changes: reopened at once
  EXPECT_EQ(fm->ibqLPU.param("dbeg").toDateTime().date(), QDate(2013, 5, 1));
  EXPECT_TRUE(fm->ibqLPU.Active());
}

TEST_F(MainWindowServices, InstitutionLeavesTheGridAloneAndMarksNothing) {
  auto fm = Start(1);
  const QVariant before = fm->ibqLPU.param("dbeg");
  fm->cbMonth->setCurrentIndex((fm->cbMonth->currentIndex() + 3) % 12);
  fm->cbMonthSelect();
  EXPECT_EQ(fm->ibqLPU.param("dbeg"), before);
  EXPECT_EQ(fm->ibqLPU.param("inog").toInt(), 2);
  fm->DBGrid1DblClick();
  EXPECT_EQ(fm->MarkedLpus.Count(), 0);
  for (int row = 0; row < fm->ibqLPU.RecordCount(); ++row) EXPECT_EQ(fm->LpuFlagOfRow(row), "");
}

TEST_F(MainWindowServices, MarksAndThePeriodOfTheCurrentRow) {
  auto fm = Start(2);
  ASSERT_GT(fm->ibqLPU.RecordCount(), 1) << "the demonstration data hold institutions";
  fm->DBGrid1->setCurrentIndex(fm->lpuModel->index(0, 0));
  fm->DBGrid1DblClick();
  ASSERT_EQ(fm->MarkedLpus.Count(), 1);
  fm->DBGrid1DblClick();
  EXPECT_EQ(fm->MarkedLpus.Count(), 0);
  fm->N1Click();
  EXPECT_EQ(fm->MarkedLpus.Count(), fm->ibqLPU.RecordCount());
  EXPECT_EQ(fm->DBGrid1->currentIndex().row(), fm->ibqLPU.RecordCount() - 1);
  EXPECT_EQ(fm->ibqLPU.RecNo(), fm->ibqLPU.RecordCount() - 1);
  fm->N2Click();
  EXPECT_EQ(fm->MarkedLpus.Count(), 0);
  // The period: calendar month, for the current institution.
  fm->seYear->SetValue(2013);
  fm->cbMonth->setCurrentIndex(1);
  fm->ComputePeriod();
  EXPECT_EQ(fm->PeriodStart, QDate(2013, 2, 1));
  EXPECT_EQ(fm->PeriodEnd, QDate(2013, 2, 28));
  EXPECT_EQ(fm->PeriodMonthEnd(), QDate(2013, 2, 28));
}

TEST_F(MainWindowServices, InsurerSeesTheFlagsInTheGrid) {
  auto fm = Start(2778);
  ASSERT_GT(fm->ibqLPU.RecordCount(), 2);
  const int first = fm->ibqLPU.Value(0, "ID").toInt();
  const int second = fm->ibqLPU.Value(1, "ID").toInt();
  const int third = fm->ibqLPU.Value(2, "ID").toInt();
  const QDate month(2013, 3, 1);
  int repn = 70000;
  auto report = [&](int lpu, int uploaded) {
    FbQuery q(fm->ibdb, &fm->ibtr);
    q.setSql(
        QStringLiteral("insert into REPORTS (REPN, LPU, INOGOR, DATE_BEG, SEE1, SEE2, UPLOADED) "
                       "values (:repn, :lpu, '0', :dbeg, 1, 1, :uploaded)"));
    q.setParam("repn", ++repn);
    q.setParam("lpu", lpu);
    q.setParam("dbeg", QDateTime(month, QTime(0, 0)));
    q.setParam("uploaded", uploaded);
    q.ExecSQL();
  };
  for (int u : {1, 1, 0}) report(first, u);
  for (int u : {1, 1, 1}) report(second, u);
  for (int u : {0, 0, 0}) report(third, u);
  fm->ibtr.Commit();
  fm->seYear->SetValue(2013);
  fm->cbMonth->setCurrentIndex(2);
  fm->cbMonthSelect();
  auto flagShown = [&](int row) {
    return fm->lpuModel->data(fm->lpuModel->index(row, 2)).toString();
  };
  EXPECT_EQ(flagShown(0), "V+");
  EXPECT_EQ(flagShown(1), "V");
  EXPECT_EQ(flagShown(2), "+");
  for (int row = 3; row < fm->ibqLPU.RecordCount(); ++row) EXPECT_EQ(flagShown(row), "") << row;
  fm->N3Click();  // only the institutions with something not uploaded
  const QStringList expected = [&] {
    QStringList l{QString::number(first), QString::number(third)};
    l.sort(Qt::CaseInsensitive);
    return l;
  }();
  EXPECT_EQ(fm->MarkedLpus.Items(), expected);
}

TEST_F(MainWindowServices, LogButtonAndCaseErrorsGoThroughTheRunState) {
  auto fm = Start(1);
  QString row;
  fm->AddCaseError(row, "Ошибка. ", 52, 7, row, 1);
  EXPECT_EQ(TheRunState().CaseErrors.size(), 1);
  EXPECT_EQ(row, "Ошибка. ");
  fm->AddLogLine("строка", false);
  EXPECT_TRUE(TheRunState().Log.Active());
}

TEST_F(MainWindowServices, HiddenRecalculationRunsForTheCurrentInstitutionsPeriod) {
  ScriptedInteraction script;
  ScopedInteraction scope(script);
  auto fm = Start(2);
  EXPECT_TRUE(fm->ksg_rename->isHidden());
  EXPECT_EQ(fm->ksg_rename->text(), "Перерасчёт");
  // A period without stored reports: nothing to recalculate, and the
  // window's transaction is ended.
  fm->seYear->SetValue(2013);
  fm->ksg_rename->click();
  const auto messages = script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Nothing found");
  EXPECT_EQ(fm->lb1->text(), "0");
  EXPECT_EQ(fm->lb2->text(), "0");
  EXPECT_FALSE(fm->ibtr.InTransaction());
}
