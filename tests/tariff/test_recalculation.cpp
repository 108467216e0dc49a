// The recalculation of stored cases on a registry database: a period costed
// as the reception costs it, the tariff changed, the period recalculated;
// the recalculated columns beside the stored ones, the stored ones and the
// cases of other periods and institutions untouched.
#include <gtest/gtest.h>

#include "domain/holiday_calendar.h"
#include "firebird/fb_database.h"
#include "recording_run_user.h"
#include "tariff/case_cost.h"
#include "tariff/case_walk.h"
#include "tariff/recalculation.h"
#include "tariff_fixture.h"

namespace kelmo::tariff {
namespace {

using test::Day;
using test::Rub;

struct RecordedProgress : RecalcProgress {
  void ShowRows(int done, int toDo) override { shown.append({done, toDo}); }
  QList<QPair<int, int>> shown;
};

// What the reception stored of a sheet and what the recalculation wrote.
const QString kReceptionColumns = QStringLiteral(
    "select m.ocncost, m.calc_comment, m.calc_kf, m.ksg_id, m.kd, m.ksg_base_cost, s.kdmtl, "
    "s.ocncostmtl, (select sum(o.cost) from operat o where o.id_ill=s.id_ill) from mtl m "
    "join stacion s on s.id_ill=m.id_ill where m.id_ill=%1 order by m.nom_mtl");
const QString kNewColumns = QStringLiteral(
    "select ocncost_new, ksg_id_new, calc_kf_new, calc_comment_new from mtl where id_ill=%1 "
    "order by nom_mtl");

class Recalculation : public test::TariffFixture {
 protected:
  kelmo::test::RecordingRunUser user;
  RecordedProgress progress;

  // The reports' cases costed as the reception costs them: the same walk,
  // the reception's store.
  void Receive(const QList<int>& reports) {
    FbTransaction tr(f.Db());
    tr.StartTransaction();
    for (int repn : reports) {
      FbQuery cases(f.Db(), &tr);
      QStringList sql = CaseQueryHead();
      sql << QStringLiteral("where s.repn=:repn") << CaseWalkOrder();
      cases.setSql(sql);
      cases.setParam(QStringLiteral("repn"), repn);
      cases.Open();
      CaseCostSettings settings;
      settings.YearText = QStringLiteral("2019");
      settings.MonthIndex = 2;
      CaseCostCalculator calculator(f.Db(), tr, settings);
      RegistryHolidayCalendar holidays(f.Db(), &tr);
      WalkCaseRows(cases, calculator, holidays);
    }
    tr.Commit();
  }

  int Recalculate(int lpu, const QDate& periodStart) {
    FbTransaction tr(f.Db());
    tr.StartTransaction();
    const int calls = RecalculateStoredCases({lpu, periodStart}, {f.Db(), tr, user, progress});
    tr.Commit();
    return calls;
  }

  QList<QVariantList> Rows(const QString& sql, int idIll) {
    FbQuery q(f.Db());
    q.setSql(sql.arg(idIll));
    q.Open();
    QList<QVariantList> rows;
    for (int r = 0; r < q.RecordCount(); ++r) {
      QVariantList row;
      for (int c = 0; c < q.FieldNames().size(); ++c) row << q.Value(r, c);
      rows << row;
    }
    return rows;
  }
  bool NothingNew(int idIll) {
    for (const QVariantList& row : Rows(kNewColumns, idIll))
      for (const QVariant& v : row)
        if (!v.isNull()) return false;
    return true;
  }
};

TEST_F(Recalculation, WritesTheNewTariffBesideTheStoredCosts) {
  // The period of institution 1: two cases; the same institution's next
  // month, another institution's same month, a case with a MEK sum and a
  // report not yet seen by both parties are left alone.
  f.Report(501, 1, 1, 1, Day(2019, 3, 1), 1);
  ShortStay(7001);
  ShortStay(7002);
  f.Sheet(7002, 501, 2, Day(2019, 3, 12), Day(2019, 3, 15), QStringLiteral("Q99.8"), 1,
          QStringLiteral("3000001"));
  f.Report(502, 1, 1, 1, Day(2019, 4, 1), 1);
  ShortStay(7003, 502, Day(2019, 4, 15));
  f.Report(503, 25, 1, 1, Day(2019, 3, 1), 1);
  ShortStay(7004, 503);
  ShortStay(7005);
  f.Exec(QStringLiteral("update stacion set sum_mek = 0 where id_ill = 7005"));
  f.Report(504, 1, 1, 1, Day(2019, 3, 1), 0);
  ShortStay(7006, 504);
  Receive({501, 502, 503, 504});
  const QList<int> cases{7001, 7002, 7003, 7004, 7005, 7006};
  QHash<int, QList<QVariantList>> stored;
  for (int idIll : cases) {
    stored[idIll] = Rows(kReceptionColumns, idIll);
    EXPECT_TRUE(NothingNew(idIll)) << idIll;
  }
  EXPECT_EQ(MoneyOf(stored[7001][0][0]), Rub("10250.25"));

  // The tariff and the service's tariff change.
  f.Exec(QStringLiteral("update spr_ksg_cost set r_ur = 30000"));
  f.Exec(QStringLiteral("update usl_cost set cost = 300"));
  // Three rows, and the last case finished after them.
  EXPECT_EQ(Recalculate(1, QDate(2019, 3, 1)), 4);
  EXPECT_EQ(user.messages, QStringList{"Done!!! 3 records checked"});
  ASSERT_FALSE(progress.shown.isEmpty());
  EXPECT_EQ(progress.shown.first(), qMakePair(0, 3));
  EXPECT_EQ(progress.shown.last(), qMakePair(3, 3));

  const QList<QVariantList> first = Rows(kNewColumns, 7001);
  ASSERT_EQ(first.size(), 1);
  EXPECT_EQ(MoneyOf(first[0][0]), Rub("15300"));
  EXPECT_EQ(first[0][1].toString(), QStringLiteral("tst01"));
  EXPECT_EQ(first[0][2].toString(), QStringLiteral("t=101,k=0.5;"));
  EXPECT_TRUE(first[0][3].toString().startsWith(QStringLiteral("MKBG_0||30000*0.5 <= ")));
  // The two sheets of one case: one is paid by the group.
  const QList<QVariantList> second = Rows(kNewColumns, 7002);
  ASSERT_EQ(second.size(), 2);
  EXPECT_EQ(MoneyOf(second[0][0]), Rub("15300"));
  EXPECT_EQ(MoneyOf(second[1][0]), Money());
  EXPECT_TRUE(second[1][3].toString().endsWith(QStringLiteral("; ZERO(15000<15000)")));

  // What the reception stored is as it was, every case; only the period's
  // cases got new columns.
  for (int idIll : cases) {
    SCOPED_TRACE(idIll);
    EXPECT_EQ(Rows(kReceptionColumns, idIll), stored[idIll]);
    EXPECT_EQ(NothingNew(idIll), idIll > 7002);
  }
}

TEST_F(Recalculation, NothingFoundWritesNothing) {
  f.Report(501, 1, 1, 1, Day(2019, 3, 1), 1);
  ShortStay(7001);
  EXPECT_EQ(Recalculate(1, QDate(2019, 5, 1)), 0);
  EXPECT_EQ(user.messages, QStringList{"Nothing found"});
  EXPECT_EQ(progress.shown, (QList<QPair<int, int>>{{0, 0}}));
  EXPECT_TRUE(NothingNew(7001));
}

TEST_F(Recalculation, EachReportIsCostedByTheRoadItCame) {
  // A sheet without a bed profile is costed in an XML package, not in a DBF
  // registry, in the same period.
  f.Report(501, 1, 1, 1, Day(2019, 3, 1), 1);
  f.Report(502, 1, 1, 1, Day(2019, 3, 1), 1);
  f.Exec(QStringLiteral("update reports set xmlrep = 1 where repn = 501"));
  ShortStay(7001, 501);
  ShortStay(7002, 502, Day(2019, 3, 16));
  f.Exec(QStringLiteral("update mtl set profile = 0"));
  EXPECT_EQ(Recalculate(1, QDate(2019, 3, 1)), 3);
  EXPECT_EQ(MoneyOf(Rows(kNewColumns, 7001)[0][0]), Rub("10250.25"));
  EXPECT_TRUE(NothingNew(7002));
}

}  // namespace
}  // namespace kelmo::tariff
