// The combined act from the protocol viewer after a reception through the
// button: the run hands the viewer its institution and month, and the act
// the run wrote (found through its REPORTS row) is copied whole, its head,
// errors, sums, insurer and plan tables in their places.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "documents/combined_act.h"
#include "documents/un_corr.h"
#include "reception_harness.h"
#include "workbook/workbook.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

QString Text(const workbook::Worksheet& sheet, int row, int column = 1) {
  return QString::fromStdString(sheet.Text(row, column));
}

// The first row whose column A starts with the text, or 0.
int RowStarting(const workbook::Worksheet& sheet, const QString& text) {
  for (int r = 1; r <= sheet.LastRow(); ++r)
    if (Text(sheet, r).startsWith(text)) return r;
  return 0;
}

TEST(CombinedActOfReception, TheViewerBuildsItFromTheRunsAct) {
  ReceptionHarness h;
  ASSERT_NO_FATAL_FAILURE(h.CopyDemonstrationRegistry());
  h.Choose();
  h.Press();
  ASSERT_EQ(TheReceptionState().LastStop, ReceptionStop::None);

  TfmUnCorr& viewer = *h.forms.fmUnCorr;
  ASSERT_TRUE(viewer.CombinedActFor.has_value());
  EXPECT_EQ(viewer.CombinedActFor->Database, &h.W().ibdb);
  EXPECT_EQ(viewer.CombinedActFor->LpuId, h.W().ibqLPU.FieldByName("ID").toInt());
  EXPECT_EQ(viewer.CombinedActFor->MonthStart, QDate(2024, 3, 1));
  EXPECT_EQ(viewer.CombinedActFor->PayKind, PayKind::Oms);

  std::vector<std::string> shown;
  viewer.Opener = [&shown](const std::string& path) { shown.push_back(path); };
  const size_t calls = h.script.calls.size();
  viewer.join_act_btClick();
  EXPECT_EQ(h.script.calls.size(), calls);  // no message
  ASSERT_EQ(shown.size(), 1u);
  auto book = workbook::Workbook::Open(shown[0]);
  QFile::remove(QString::fromStdString(shown[0]));
  const workbook::Worksheet& s = book->ActiveSheet();

  EXPECT_EQ(Text(s, 3), QString("ЛПУ: ГБУ «Областная клиническая больница»."));
  EXPECT_TRUE(s.FontAt(3, 1).bold);
  const int title = RowStarting(s, "Тип стационара: круглосуточный.");
  ASSERT_GT(title, 0);
  EXPECT_TRUE(s.FontAt(title, 1).bold);
  // The sums: the out-of-region figures beside the local ones.
  const int local = RowStarting(s, "По местным:");
  ASSERT_GT(local, 0);
  EXPECT_TRUE(Text(s, local, 6).startsWith("По иногородним:"));
  // The insurer table and the plan table as sheet tables, their act lines
  // gone.
  const int insurers = RowStarting(s, "Наименование СМО");
  ASSERT_GT(insurers, 0);
  EXPECT_EQ(Text(s, insurers, 3), QString("За счет терр. прогр."));
  EXPECT_EQ(s.BorderAt(insurers, 1).top.style, "thin");
  const int plan = RowStarting(s, "Показатели");
  ASSERT_GT(plan, insurers);
  EXPECT_EQ(Text(s, plan + 1), QString("Количество к/д"));
  EXPECT_EQ(Text(s, plan + 3), QString("Стоимость 1 к/д"));
  EXPECT_EQ(s.BorderAt(plan + 3, 7).right.style, "thin");
  EXPECT_EQ(RowStarting(s, "|    Наименование СМО"), 0);
  EXPECT_EQ(RowStarting(s, "|    Показатели"), 0);
  EXPECT_EQ(RowStarting(s, "|-"), 0);
  // One signature line, the combined act's own, at its end.
  EXPECT_EQ(Text(s, s.LastRow()), QString("Подпись экономиста:"));
  EXPECT_EQ(RowStarting(s, "Подпись экономиста:"), s.LastRow());
}

}  // namespace
