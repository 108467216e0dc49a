// The institution grid's flags from a seeded registry database, its marks and
// menu actions, and the painting of marked rows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "shell/institution_grid.h"
#include "shell/main_window.h"
#include "shell_test_support.h"

using namespace kelmo;

namespace {

class GridTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::App(); }
};

void Exec(FbDatabase& db, const QString& sql) {
  FbQuery q(db);
  q.setSql(sql);
  q.ExecSQL();
}

}  // namespace

TEST_F(GridTest, FlagsFromASeededDatabase) {
  QTemporaryDir tmp;
  FbDatabase db(QStringLiteral("grid_flags"));
  db.setParams(FbDatabase::DefaultParams());
  db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
  db.setDatabaseName(tmp.path() + "/registry.fdb");
  db.Open();
  // Institutions 901..904 of the test, with no reports, three received of
  // which none, two, three uploaded.
  for (int id : {901, 902, 903, 904})
    Exec(db, QStringLiteral("insert into LPU (ID, NAME) values (%1, 'ЛПУ %1')").arg(id));
  int repn = 9000;
  auto report = [&](int lpu, int uploaded, const char* inogor, const char* month) {
    Exec(db,
         QStringLiteral("insert into REPORTS (REPN, LPU, INOGOR, DATE_BEG, SEE1, SEE2, UPLOADED) "
                        "values (%1, %2, '%3', '%4', 1, 1, %5)")
             .arg(++repn)
             .arg(lpu)
             .arg(inogor)
             .arg(month)
             .arg(uploaded));
  };
  for (int u : {0, 0, 0}) report(902, u, "0", "2013-03-01");
  for (int u : {1, 1, 0}) report(903, u, "0", "2013-03-01");
  for (int u : {1, 1, 1}) report(904, u, "0", "2013-03-01");
  report(901, 1, "1", "2013-03-01");  // out-of-region: seen by the fund only
  report(901, 0, "0", "2013-02-01");  // another month

  FbQuery ibqLPU(db);
  ibqLPU.setSql(kLpuGridSql);
  auto flags = [&](int whoDetail, int inog, QDate month) {
    ibqLPU.Close();
    ibqLPU.setParam("inog", inog);
    ibqLPU.setParam("dbeg", QDateTime(month, QTime(0, 0)));
    ibqLPU.Open();
    QMap<int, QString> out;
    for (ibqLPU.First(); !ibqLPU.Eof(); ibqLPU.Next()) {
      const int id = ibqLPU.FieldByName("ID").toInt();
      if (id >= 901 && id <= 904)
        out[id] = LpuFlag(WhoDetail(whoDetail), ibqLPU.FieldByName("R_CNT"),
                          ibqLPU.FieldByName("UPL_CNT"));
    }
    return out;
  };
  const QDate march(2013, 3, 1);
  const auto insurer = flags(45001, 0, march);
  EXPECT_EQ(insurer.value(901), "");
  EXPECT_EQ(insurer.value(902), "+");
  EXPECT_EQ(insurer.value(903), "V+");
  EXPECT_EQ(insurer.value(904), "V");
  const auto fund = flags(2, 1, march);
  EXPECT_EQ(fund.value(901), "V");
  EXPECT_EQ(fund.value(902), "");
  const auto own = flags(1, 2, march);
  for (int id : {901, 902, 903, 904}) EXPECT_EQ(own.value(id), "") << id;

  // "Отметить все невыгруженные ЛПУ" as an insurer sees the month.
  flags(45001, 0, march);
  SortedTextList marks;
  int repaints = 0;
  auto flagOfRow = [&] {
    return LpuFlag(WhoDetail(45001), ibqLPU.FieldByName("R_CNT"), ibqLPU.FieldByName("UPL_CNT"));
  };
  MarkLpus(ibqLPU, marks, true, flagOfRow, [&] { ++repaints; });
  EXPECT_EQ(marks.Items(), (QStringList{"902", "903"}));
  EXPECT_EQ(repaints, ibqLPU.RecordCount());
  // "Отметить все ЛПУ": every row, the last one current afterwards.
  MarkLpus(ibqLPU, marks, false, flagOfRow, {});
  EXPECT_EQ(marks.Count(), ibqLPU.RecordCount());
  EXPECT_FALSE(ibqLPU.Eof());
  EXPECT_EQ(ibqLPU.RecNo(), ibqLPU.RecordCount() - 1);
  // Changing the month and reopening keeps the marks.
  flags(45001, 0, QDate(2013, 2, 1));
  EXPECT_TRUE(marks.Contains("904"));
  repaints = 0;
  const int count = marks.Count();
  ClearLpuMarks(marks, [&] { ++repaints; });
  EXPECT_EQ(marks.Count(), 0);
  EXPECT_EQ(repaints, count);
  ibqLPU.Close();
  db.Close();
}

TEST_F(GridTest, ToggleAndClearMarks) {
  SortedTextList marks;
  ToggleLpuMark(marks, "25");
  ToggleLpuMark(marks, "3");
  ToggleLpuMark(marks, "100");
  EXPECT_EQ(marks.Items(), (QStringList{"100", "25", "3"}));
  ToggleLpuMark(marks, "25");
  EXPECT_EQ(marks.Items(), (QStringList{"100", "3"}));
  int repaints = 0;
  SortedTextList none;
  ClearLpuMarks(none, [&] { ++repaints; });
  EXPECT_EQ(repaints, 0);
}

TEST_F(GridTest, MarkedRowsArePaintedSkyBlue) {
  QStandardItemModel model(3, 2);
  for (int r = 0; r < 3; ++r) {
    model.setItem(r, 0, new QStandardItem(QString::number(10 + r)));
    model.setItem(r, 1, new QStandardItem(QStringLiteral("ЛПУ")));
  }
  SortedTextList marks;
  marks.Add("11");
  QTableView view;
  view.setModel(&model);
  MarkedLpuDelegate delegate([&](int row) { return marks.Contains(model.item(row, 0)->text()); });
  view.setItemDelegate(&delegate);
  view.resize(300, 200);
  view.show();
  const QImage shot = view.viewport()->grab().toImage();
  const QRect marked = view.visualRect(model.index(1, 1));
  const QRect plain = view.visualRect(model.index(0, 1));
  EXPECT_EQ(shot.pixel(marked.right() - 3, marked.bottom() - 2) & 0xffffff, 0xa6caf0u);
  EXPECT_NE(shot.pixel(plain.right() - 3, plain.bottom() - 2) & 0xffffff, 0xa6caf0u);
}
