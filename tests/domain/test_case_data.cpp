// Case-data helpers: ages, bed days with holidays, working days, stage masks,
// the ICD-10 list test, licences, names and folder clearing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "domain/case_data.h"
#include "domain/common.h"

using namespace kelmo;

namespace {

// Holidays and exceptions held in memory, as the registry tables would hold them.
class FakeCalendar : public HolidayCalendar {
 public:
  QList<QDate> holidays;
  QList<QDate> worked;   // day type 1
  QList<QDate> daysOff;  // day type 2
  int opened = 0;
  void OpenExceptions(int) override { ++opened; }
  bool IsHoliday(const QDate& d) override { return holidays.contains(d); }
  bool HasWorkedHolidays() override { return !worked.isEmpty(); }
  bool IsWorkedHoliday(int, const QDate& d) override { return worked.contains(d); }
  QList<QDate> DaysOff() override { return daysOff; }
};

QDateTime At(int y, int m, int d, int hour = 0) {
  return QDateTime(QDate(y, m, d), QTime(hour, 0));
}

}  // namespace

TEST(CaseData, AgeInYears) {
  struct Case {
    QDate birth, on;
    int age;
  } cases[] = {
      {{2000, 2, 29}, {2018, 2, 28}, 17}, {{2000, 2, 29}, {2018, 3, 1}, 18},
      {{2010, 5, 5}, {2009, 1, 1}, 0},    {{1990, 6, 15}, {2020, 6, 15}, 30},
      {{1990, 6, 15}, {2020, 6, 14}, 29},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AgeInYears(c.birth, c.on), c.age) << c.birth.toString().toStdString();
}

TEST(CaseData, BedDays) {
  FakeCalendar none;
  FakeCalendar march;
  march.holidays = {QDate(2013, 3, 2), QDate(2013, 3, 3), QDate(2013, 3, 9), QDate(2013, 3, 10)};
  FakeCalendar worksSaturday = march;
  worksSaturday.worked = {QDate(2013, 3, 2)};
  FakeCalendar dayOff = march;
  dayOff.daysOff = {QDate(2013, 3, 5)};
  struct Case {
    const char* what;
    int type;
    QDateTime in, out;
    FakeCalendar* calendar;
    int lpu, days;
  } cases[] = {
      {"round-the-clock counts nights", 1, At(2013, 3, 1), At(2013, 3, 10), &march, 7, 9},
      {"day hospital skips holidays", 4, At(2013, 3, 1), At(2013, 3, 10), &march, 7, 6},
      {"day hospital, no holidays", 2, At(2013, 3, 1), At(2013, 3, 10), &none, 7, 10},
      {"worked holiday counts", 4, At(2013, 3, 1), At(2013, 3, 10), &worksSaturday, 7, 7},
      {"institution's day off", 3, At(2013, 3, 1), At(2013, 3, 10), &dayOff, 7, 5},
      {"discharge before admission", 1, At(2013, 3, 10), At(2013, 3, 1), &none, 7, 0},
      {"discharge before admission, day hospital", 2, At(2013, 3, 10), At(2013, 3, 1), &march, 7,
       0},
      {"same day", 1, At(2013, 3, 5), At(2013, 3, 5), &none, 7, 1},
      {"same day, day hospital", 2, At(2013, 3, 5), At(2013, 3, 5), &none, 7, 1},
      {"same day, different hours", 1, At(2013, 3, 5, 8), At(2013, 3, 5, 18), &none, 7, 0},
      {"a day hospital stay of holidays only", 2, At(2013, 3, 9), At(2013, 3, 10), &march, 7, 0},
      {"11.01.2009 for institution 24", 2, At(2009, 1, 10), At(2009, 1, 12), &none, 24, 4},
      {"11.01.2009 elsewhere", 2, At(2009, 1, 10), At(2009, 1, 12), &none, 23, 3},
      {"invalid dates", 2, QDateTime(), At(2009, 1, 12), &none, 7, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CountBedDays(c.type, c.in, c.out, c.lpu, *c.calendar), c.days) << c.what;
  EXPECT_EQ(none.opened, 4);  // the round-the-clock type never asks
}

TEST(CaseData, WorkingDays) {
  const QList<QDate> holidays{QDate(2013, 3, 2), QDate(2013, 3, 3), QDate(2013, 3, 8)};
  const QList<DayException> exceptions{{QDate(2013, 3, 2), 1}, {QDate(2013, 3, 4), 2}};
  EXPECT_EQ(CountWorkingDays({"01.03.2013", "02.03.2013", "03.03.2013", "04.03.2013", "05.03.2013"},
                             holidays, exceptions),
            3);
  EXPECT_EQ(CountWorkingDays({}, holidays, exceptions), 0);
  EXPECT_THROW(CountWorkingDays({"31.02.2013"}, holidays, exceptions), ConversionError);
}

TEST(CaseData, StageMaskText) {
  struct Case {
    const char* mask;
    const char* text;
  } cases[] = {{"1", "(1)"},  {"2", "(2)"},  {"3", "(12)"},  {"4", "(3)"},
               {"5", "(13)"}, {"6", "(23)"}, {"7", "(123)"}, {"8", ""},
               {"0", ""},     {"", ""},      {"-1", ""}};
  for (const auto& c : cases) EXPECT_EQ(StageMaskText(c.mask), QString::fromUtf8(c.text)) << c.mask;
  EXPECT_THROW(StageMaskText("x"), ConversionError);
}

TEST(CaseData, MkbInList) {
  struct Case {
    const char* code;
    const char* list;
    bool in;
  } cases[] = {
      {"A05.1", "A00-A09", true},
      {"A05.1", "A00-B09", false},
      {"A05.1+", "A05", true},
      {"A05.1*", "A05", true},
      {"a05", "A05", false},
      {"A05", "A05", true},
      {"A05.12", "A05", true},
      {"A05.123", "A05", false},
      {"A06", "A05", false},
      {"A03.2", "A01.1-A05", true},
      {"A01.1", "A01.1-A05", true},
      {"A01.3", "A01.1-A05", true},
      {"A01.7", "A01.1-A01.5", true},
      {"A01.17", "A01.1-A01.5", true},
      {"A02.1", "A01.1-A01.5", false},
      {"F15.2", "F10.0-F19.9", true},
      {"F20", "F10.0-F19.9", false},
      {"A01", "A00, A01", false},
      {"A00", "A00, A01", true},
      {"A00.1", "A00.", true},
      {"A00.", "A00.", true},
      {"A00.1", "A00.1", true},
      {"A00.15", "A00.1", true},
      {"A00.2", "A00.1", false},
      {"A00.12", "A00.12", true},
      {"A00.1", "A00.12", false},
      {"A00.123", "A00.123", true},
      {"A00.5", "A00-A09.9", true},
      {"A09.95", "A00-A09.9", true},
      {"A05", "A00-A09.9", true},
      {"A10", "A00-A09.9", false},
      {"B01.05", "B01.03-B01.07", true},
      {"B01.5", "B01.03-B01.07", true},
      {"B01.08", "B01.03-B01.07", false},
      {"C50.9", "C00-C97,D00-D09", true},
      {"D05.1", "C00-C97,D00-D09", true},
      {"D10", "C00-C97,D00-D09", false},
      {"A05", "A09-A00", false},  // an upper bound below the lower one covers nothing
      {"A05", "", false},
      {"A05", ",,", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MkbInList(c.code, c.list), c.in) << c.code << " in " << c.list;
  EXPECT_THROW(MkbInList("A05", "AXX-A09"), ConversionError);
}

TEST(CaseData, ProfileLicensedOn) {
  const QList<LicencePeriod> licences{{QDate(2012, 1, 1), QDate(2012, 12, 31)},
                                      {QDate(2013, 1, 1), std::nullopt}};
  EXPECT_TRUE(ProfileLicensedOn(QDate(2012, 1, 1), licences));
  EXPECT_TRUE(ProfileLicensedOn(QDate(2012, 12, 31), licences));
  EXPECT_FALSE(ProfileLicensedOn(QDate(2013, 5, 1), licences));  // open-ended never matches
  EXPECT_FALSE(ProfileLicensedOn(QDate(2011, 12, 31), licences));
  EXPECT_FALSE(ProfileLicensedOn(QDate(2012, 5, 1), {}));
}

TEST(CaseData, NamesAndTexts) {
  EXPECT_EQ(UpperCaseCyr(QStringLiteral("ёлка Иван abc")), QStringLiteral("ёЛКА ИВАН ABC"));
  struct Case {
    const char* name;
    const char* found;
  } cases[] = {{"file.dbf", ""},     {".hidden", "."}, {"name.", "."}, {"a_b,c", ",_"},
               {"a:b;c\\d", ":;\\"}, {"", ""},         {".", "."}};
  for (const auto& c : cases)
    EXPECT_EQ(ForbiddenNameChars(c.name), QString::fromUtf8(c.found)) << c.name;
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("abcabc", "bc", ""), "aa");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(CaseData, ClearFolderTree) {
  QTemporaryDir tmp;
  const QString root = tmp.path() + "/temp";
  QDir().mkpath(root + "/a/b/c");
  QDir().mkpath(root + "/d");
  for (const QString& f : {root + "/x.txt", root + "/a/y.txt", root + "/a/b/c/z.txt"}) {
    QFile file(f);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  // A link to a folder outside must not be followed.
  const QString outside = tmp.path() + "/outside";
  QDir().mkpath(outside);
  QFile keep(outside + "/keep.txt");
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.close();
  std::filesystem::create_directory_symlink(outside.toStdString(), (root + "/link").toStdString());
  // A deep tree.
  QString deep = root + "/deep";
  for (int i = 0; i < 300; ++i) deep += "/d";
  std::filesystem::create_directories(deep.toStdString());
  EXPECT_TRUE(ClearFolderTree(root));
  EXPECT_TRUE(QDir(root).exists());
  EXPECT_TRUE(QDir(root)
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)
                  .isEmpty());
  EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));
  EXPECT_TRUE(ClearFolderTree(tmp.path() + "/missing"));
}
