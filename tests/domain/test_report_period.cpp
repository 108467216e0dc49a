// Report periods: calendar months and the 2012 transition periods.
#include <gtest/gtest.h>

#include "domain/common.h"
#include "domain/report_period.h"

using namespace kelmo;

TEST(ReportPeriod, TableOfCases) {
  struct Case {
    int month;
    const char* year;
    int payKind, lpu;
    QDate start, end;
  } cases[] = {
      {2, "2012", 6, 33, {2012, 2, 1}, {2012, 2, 29}},  // VMP: no transition period
      {1, "2012", 1, 33, {2012, 1, 1}, {2012, 1, 30}},  // OMS, institution 33
      {2, "2012", 1, 33, {2012, 1, 31}, {2012, 2, 26}},
      {3, "2012", 1, 33, {2012, 2, 27}, {2012, 3, 31}},
      {1, "2012", 1, 7, {2012, 1, 1}, {2012, 1, 27}},  // any other institution
      {2, "2012", 1, 7, {2012, 1, 28}, {2012, 2, 26}},
      {3, "2012", 1, 7, {2012, 2, 27}, {2012, 3, 31}},
      {1, "2012", 1, 25, {2012, 1, 1}, {2012, 1, 28}},
      {2, "2012", 1, 25, {2012, 1, 29}, {2012, 2, 28}},
      {3, "2012", 1, 25, {2012, 2, 29}, {2012, 3, 31}},
      {2, "2012", 1, 30, {2012, 1, 28}, {2012, 2, 27}},
      {3, "2012", 1, 30, {2012, 2, 28}, {2012, 3, 31}},
      {4, "2012", 1, 33, {2012, 4, 1}, {2012, 4, 30}},  // after March: calendar months
      {12, "2013", 1, 7, {2013, 12, 1}, {2013, 12, 31}},
      {2, "2013", 1, 7, {2013, 2, 1}, {2013, 2, 28}},
      {1, "2011", 1, 33, {2011, 1, 1}, {2011, 1, 31}},
  };
  for (const auto& c : cases) {
    const ReportPeriod p = ComputeReportPeriod(c.month, c.year, PayKindOfCode(c.payKind), c.lpu);
    EXPECT_EQ(p.start, c.start) << c.month << "/" << c.year << " lpu " << c.lpu;
    EXPECT_EQ(p.end, c.end) << c.month << "/" << c.year << " lpu " << c.lpu;
  }
}

TEST(ReportPeriod, BadYearTextRaises) {
  for (const char* bad : {"", "20a2", "0", "10000"})
    EXPECT_THROW(ComputeReportPeriod(1, bad, PayKind::Oms, 1), ConversionError) << bad;
}

TEST(ReportPeriod, WholeMonthsOfAPeriod) {
  EXPECT_EQ(PeriodMonthStartOf(QDate(2011, 12, 15)), QDate(2012, 1, 1));
  EXPECT_EQ(PeriodMonthStartOf(QDate(2012, 1, 28)), QDate(2012, 2, 1));
  EXPECT_EQ(PeriodMonthStartOf(QDate(2012, 3, 1)), QDate(2012, 3, 1));
  EXPECT_EQ(PeriodMonthEndOf(QDate(2012, 2, 26)), QDate(2012, 2, 29));
  EXPECT_EQ(PeriodMonthEndOf(QDate(2013, 12, 1)), QDate(2013, 12, 31));
}
