// The shell's small start-up helpers: the sorted list of marked
// institutions, the report month a start offers and the start record's date.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDate>

#include "domain/common.h"
#include "domain/money.h"
#include "shell/sorted_text_list.h"
#include "shell/start_period.h"
#include "shell/start_record.h"

using namespace kelmo;

namespace {

TEST(SortedTextList, SortedWithoutDuplicates) {
  SortedTextList list;
  for (const char* id : {"30", "1", "25", "33"}) list.Add(id);
  EXPECT_EQ(list.Items(), (QStringList{"1", "25", "30", "33"}));
  EXPECT_EQ(list.IndexOf("30"), 2);
  EXPECT_EQ(list.IndexOf("4"), -1);
  try {
    list.Add("25");
    ADD_FAILURE();
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "List does not allow duplicates");
  }
  list.Delete(0);
  EXPECT_EQ(list.At(0), QString("25"));
  EXPECT_THROW(list.Delete(7), std::out_of_range);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(RoundToKopecks(*Money::FromString("1.2250")), *Money::FromString("1.22"));
}

}  // namespace

namespace {

TEST(StartPeriod, PreviousMonth) {
  struct Case {
    QDate today, month;
  } cases[] = {
      {{2013, 1, 15}, {2012, 12, 1}},
      {{2013, 3, 31}, {2013, 2, 1}},
      {{2013, 12, 1}, {2013, 11, 1}},
      {{2024, 3, 1}, {2024, 2, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(DefaultReportMonth(c.today), c.month);
}

TEST(StartRecord, DayBasedDate) {
  // 8 bytes, little-endian double of the days since 30.12.1899.
  EXPECT_EQ(DayBasedDateBytes(QDate(1899, 12, 30)), QByteArray(8, '\0'));
  const QByteArray day2 = DayBasedDateBytes(QDate(1900, 1, 1));  // 2.0
  EXPECT_EQ(day2, QByteArray::fromHex("0000000000000040"));
  const QByteArray recent = DayBasedDateBytes(QDate(2013, 3, 1));  // 41334.0
  EXPECT_EQ(recent, QByteArray::fromHex("00000000c02ee440"));
}

}  // namespace
