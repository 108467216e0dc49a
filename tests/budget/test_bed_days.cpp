// The budget intake's bed-day counter and the recount of a report.
#include <gtest/gtest.h>

#include "../reception/registry_fixture.h"
#include "budget/bed_days.h"
#include "firebird/fb_database.h"

namespace kelmo {
namespace {

class FixedCalendar : public HolidayCalendar {
 public:
  QList<QDate> holidays;
  void OpenExceptions(int) override {}
  bool IsHoliday(const QDate& d) override { return holidays.contains(d); }
  bool HasWorkedHolidays() override { return false; }
  bool IsWorkedHoliday(int, const QDate&) override { return false; }
  QList<QDate> DaysOff() override { return {}; }
};

QDateTime At(int y, int m, int d, int h = 0) {
  return QDateTime(QDate(y, m, d), QTime(h, 0));
}

TEST(BudgetBedDays, SpecialDayOfItsOwnInstitutions) {
  FixedCalendar cal;
  cal.holidays = {QDate(2009, 1, 11)};
  struct Case {
    int lpu;
    int budget;
    int shared;
  } cases[] = {{27, 3, 2}, {25, 3, 3}, {24, 2, 3}, {1, 2, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(BedDays(2, At(2009, 1, 10), At(2009, 1, 12), c.lpu, cal), c.budget) << c.lpu;
    EXPECT_EQ(CountBedDays(2, At(2009, 1, 10), At(2009, 1, 12), c.lpu, cal), c.shared) << c.lpu;
  }
  EXPECT_EQ(BedDays(1, At(2024, 3, 1, 10), At(2024, 3, 5, 9), 1, cal), 4);
  EXPECT_EQ(BedDays(2, At(2024, 3, 1, 10), At(2024, 3, 5, 9), 1, cal), 5);
  EXPECT_EQ(BedDays(1, At(2024, 3, 5), At(2024, 3, 1), 1, cal), 0);
}

TEST(BudgetBedDays, RecountKeysEachEmptySheetByItself) {
  test::RegistryFixture db;
  db.Report(9, 1, 1, 2, test::Day(2026, 3, 1));
  test::RegistryFixture::Stay s;
  s.idIll = 90;
  s.repn = 9;
  s.in = test::Day(2026, 3, 1);
  s.out = test::Day(2026, 3, 10);
  db.Case(s);
  db.Sheet(90, 9, 2, test::Day(2026, 3, 10), test::Day(2026, 3, 12), QStringLiteral("I10"));
  db.Exec(QStringLiteral("update MTL set KD=NULL where ID_ILL=90"));
  FixedCalendar cal;
  FbTransaction tr(db.Db());
  RecountBedDays(db.Db(), tr, 9, 1, 1, cal, nullptr);
  FbQuery q(db.Db());
  q.setSql(QStringLiteral("select NOM_MTL, KD, KDOMS from MTL where ID_ILL=90 order by NOM_MTL"));
  q.Open();
  EXPECT_EQ(q.Value(0, 1).toInt(), 9);
  EXPECT_EQ(q.Value(1, 1).toInt(), 2);
  EXPECT_EQ(q.Value(1, 2).toInt(), 2);
  q.setSql(QStringLiteral("select KDF, KDMTL from STACION where ID_ILL=90"));
  q.Open();
  EXPECT_EQ(q.Value(0, 0).toInt(), 11);
  EXPECT_EQ(q.Value(0, 1).toInt(), 11);
}

}  // namespace
}  // namespace kelmo
