// The day walks of a sheet's cost.
#include <gtest/gtest.h>

#include "budget/stay_cost_split.h"

namespace kelmo {
namespace {

const QDate kStart(2024, 3, 4);

SheetDays Licensed(const QDate& start = kStart) {
  SheetDays s;
  s.StartD = start;
  s.MonthStart = QDate(start.year(), start.month(), 1);
  s.Licences = {LicencePeriod{QDate(2020, 1, 1), QDate(2030, 12, 31)}};
  return s;
}

TEST(StayCostSplit, RoundsKopecksHalfUp) {
  EXPECT_DOUBLE_EQ(RoundKopecksUp(1000.0L / 3), 333.33);
  EXPECT_DOUBLE_EQ(RoundKopecksUp(333.33L * 0.6L), 200.00);
  EXPECT_DOUBLE_EQ(RoundKopecksUp(333.33L * 0.14L), 46.67);
  EXPECT_DOUBLE_EQ(RoundKopecksUp(0.125L), 0.13);
}

TEST(StayCostSplit, PaysTheBands) {
  const SplitResult r = SplitStayCost(5, 3, 1000, Licensed());
  EXPECT_EQ(r.FullDays, 3);
  EXPECT_EQ(r.ReducedDays, 2);
  EXPECT_EQ(r.PaidDays, 5);
  EXPECT_EQ(r.UnpaidDays, 0);
  EXPECT_NEAR(r.FullSum, 999.99, 1e-9);
  EXPECT_NEAR(r.ReducedSum, 400.00, 1e-9);
  EXPECT_NEAR(r.Total, 1399.99, 1e-9);
}

TEST(StayCostSplit, BandLimitsByNorm) {
  // Days in the reduced band of a long stay: 1.5 × norm rounded half up.
  struct Case {
    int norm;
    int reduced;
  } cases[] = {{3, 2}, {4, 2}, {5, 3}};
  for (const Case& c : cases) {
    const SplitResult r = SplitStayCost(20, c.norm, 1000, Licensed());
    EXPECT_EQ(r.FullDays, c.norm) << c.norm;
    EXPECT_EQ(r.ReducedDays, c.reduced) << c.norm;
    EXPECT_EQ(r.UnpaidDays, 20 - c.norm - c.reduced) << c.norm;
  }
}

TEST(StayCostSplit, LeaveWalkHasOneMoreReducedDay) {
  const SplitResult plain = SplitStayCost(8, 4, 1000, Licensed());
  const SplitResult leave = SplitStayCostWithLeave(8, 4, 1000, Licensed());
  EXPECT_EQ(plain.ReducedDays, 2);
  EXPECT_EQ(plain.UnpaidDays, 2);
  EXPECT_EQ(leave.ReducedDays, 3);
  EXPECT_EQ(leave.UnpaidDays, 1);
}

TEST(StayCostSplit, LicencesEndingAndMissing) {
  SheetDays s = Licensed();
  s.Licences = {LicencePeriod{QDate(2020, 1, 1), kStart.addDays(2)}};
  SplitResult r = SplitStayCost(4, 10, 1000, s);
  EXPECT_EQ(r.PaidDays, 3);
  EXPECT_EQ(r.UnpaidDays, 1);
  s.Licences.clear();
  r = SplitStayCost(4, 10, 1000, s);
  EXPECT_EQ(r.PaidDays + r.UnpaidDays, 0);
  EXPECT_EQ(r.Total, 0);
  EXPECT_EQ(SplitStayCost(4, 0, 1000, Licensed()).Total, 0);
}

TEST(StayCostSplit, LeaveDaysPaidAtFourteenPercent) {
  SheetDays s = Licensed();
  s.Leaves = {LeavePeriod{kStart.addDays(2), kStart.addDays(4)}};
  EXPECT_FALSE(IsLeaveDay(kStart.addDays(1), s.Leaves));
  EXPECT_TRUE(IsLeaveDay(kStart.addDays(2), s.Leaves));
  EXPECT_TRUE(IsLeaveDay(kStart.addDays(3), s.Leaves));
  EXPECT_FALSE(IsLeaveDay(kStart.addDays(4), s.Leaves));
  const SplitResult r = SplitStayCostWithLeave(5, 10, 3333.3, s);
  // Rate 333.33: three full days and two leave days of 46.67.
  EXPECT_NEAR(r.FullSum, 3 * 333.33 + 2 * 46.67, 1e-9);
  EXPECT_EQ(r.FullDays, 5);
}

TEST(StayCostSplit, WalkFromTheMonthStart) {
  SheetDays s = Licensed(QDate(2024, 2, 27));
  s.MonthStart = QDate(2024, 3, 1);
  s.Start = WalkStart::PreviousMonth;
  // The norm of 4 days counts from 27 February (a leap year) and ends on 2
  // March: 1 March is a full day, 2 to 4 March (BandEnd included) reduced,
  // then unpaid.
  const SplitResult r = SplitStayCostWithLeave(7, 4, 400, s);
  EXPECT_EQ(r.FullDays, 1);
  EXPECT_EQ(r.ReducedDays, 3);
  EXPECT_EQ(r.UnpaidDays, 3);
}

TEST(StayCostSplit, IntensiveSurchargeOnTheFirstDays) {
  const SplitResult r = SplitStayCostIntensive(2, 3, 3, 1000, Licensed());
  EXPECT_NEAR(r.FullSum, 3 * 333.33 + 2 * 66.67, 1e-9);
  EXPECT_NEAR(r.IntensiveCost, 2 * 333.33 * 1.2, 1e-9);
  SheetDays none = Licensed();
  none.Licences.clear();
  const SplitResult unlicensed = SplitStayCostIntensive(2, 3, 3, 1000, none);
  EXPECT_EQ(unlicensed.Total, 0);
  EXPECT_NEAR(unlicensed.IntensiveCost, 2 * 333.33 * 1.2, 1e-9);
}

TEST(StayCostSplit, IntensiveBlockAfterTheLeaveWalk) {
  struct Case {
    int stayDays, intDays, days;
    double full, reduced, intensive;
  };
  const double rate = 100;  // cost 1000, norm 10
  const Case cases[] = {
      // inside the norm
      {8, 3, 8, 8 * rate + 3 * rate * 0.2, 0, 3 * rate * 1.2},
      // a stay into the reduced band, few intensive days
      {12, 4, 12, 10 * rate + 4 * rate * 0.2, 2 * 60, 4 * rate * 1.2},
      // a stay into the reduced band, intensive days across it
      {12, 12, 12, 10 * rate + 10 * rate * 0.2, 2 * 60 + 2 * rate * 0.2 * 0.6,
       10 * rate * 1.2 + 2 * rate * 1.2 * 0.6},
      // a stay past the band (six reduced days, BandEnd included), intensive
      // days past it too
      {20, 18, 20, 10 * rate + 10 * rate * 0.2, 6 * 60 + 5 * rate * 0.2 * 0.6,
       10 * rate * 1.2 + 5 * rate * 1.2 * 0.6},
  };
  for (const Case& c : cases) {
    const SplitResult r =
        SplitStayCostIntensiveWithLeave(c.stayDays, c.intDays, c.days, 1000, 10, Licensed());
    EXPECT_NEAR(r.FullSum, c.full, 1e-6) << c.stayDays << "/" << c.intDays;
    EXPECT_NEAR(r.ReducedSum, c.reduced, 1e-6) << c.stayDays << "/" << c.intDays;
    EXPECT_NEAR(r.IntensiveCost, c.intensive, 1e-6) << c.stayDays << "/" << c.intDays;
    EXPECT_NEAR(r.Total, r.FullSum + r.ReducedSum, 1e-9);
  }
}

TEST(StayCostSplit, DayHospitalWalk) {
  const QList<LicencePeriod> all = {LicencePeriod{QDate(2020, 1, 1), QDate(2030, 1, 1)}};
  DayHospitalDays d = WalkDayHospital(kStart, kStart.addDays(9), 6, all, {});
  EXPECT_EQ(d.PaidDays, 6);
  EXPECT_EQ(d.UnpaidDays, 4);
  // A licensed holiday counts nothing and keeps the counter.
  d = WalkDayHospital(kStart, kStart.addDays(9), 6, all, {kStart.addDays(1)});
  EXPECT_EQ(d.PaidDays, 6);
  EXPECT_EQ(d.UnpaidDays, 3);
  d = WalkDayHospital(kStart, kStart.addDays(9), 6, {}, {});
  EXPECT_EQ(d.PaidDays + d.UnpaidDays, 0);
}

}  // namespace
}  // namespace kelmo
