// Bed days counted over the holidays of a seeded registry database.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "domain/case_data.h"
#include "domain/holiday_calendar.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "qt_test_application.h"

using namespace kelmo;

namespace {

void Exec(FbDatabase& db, const QString& sql) {
  FbQuery q(db);
  q.setSql(sql);
  q.ExecSQL();
}

QDateTime At(int y, int m, int d) {
  return QDateTime(QDate(y, m, d), QTime(0, 0));
}

}  // namespace

TEST(HolidayCalendar, BedDaysFromTheRegistryTables) {
  QTemporaryDir tmp;
  FbDatabase db(QStringLiteral("holidays"));
  db.setParams(FbDatabase::DefaultParams());
  db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
  db.setDatabaseName(tmp.path() + "/registry.fdb");
  db.Open();
  int id = 0;
  for (const char* day : {"2013-03-02", "2013-03-03", "2013-03-09", "2013-03-10"})
    Exec(db,
         QStringLiteral("insert into HOLIDAY (ID, HOLIDAY, HOLINAME) values (%1, '%2', 'выходной')")
             .arg(++id)
             .arg(day));
  // Institution 12 works on 02.03 and rests on 05.03.
  Exec(db,
       "insert into HOLIDAY_EXCEPT (ID, LPU_CODE, EXCEPT_DAY, DAY_TYPE) values (1, 12, "
       "'2013-03-02', 1)");
  Exec(db,
       "insert into HOLIDAY_EXCEPT (ID, LPU_CODE, EXCEPT_DAY, DAY_TYPE) values (2, 12, "
       "'2013-03-05', 2)");
  RegistryHolidayCalendar calendar(db, nullptr);
  struct Case {
    int type, lpu;
    QDateTime in, out;
    int days;
  } cases[] = {
      {1, 7, At(2013, 3, 1), At(2013, 3, 10), 9},  {4, 7, At(2013, 3, 1), At(2013, 3, 10), 6},
      {2, 12, At(2013, 3, 1), At(2013, 3, 10), 6},  // one holiday worked, one working day off
      {3, 7, At(2013, 3, 9), At(2013, 3, 10), 0},  {2, 7, At(2013, 3, 10), At(2013, 3, 1), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CountBedDays(c.type, c.in, c.out, c.lpu, calendar), c.days)
        << c.type << " " << c.lpu << " " << c.in.toString().toStdString();
  // The working-day count over the dialog queries of the same tables.
  FbQuery holidays(db), exceptions(db);
  holidays.setSql(kDialHolidaySql);
  holidays.Open();
  exceptions.setSql(kDialExceptionsSql);
  exceptions.setParam("LPU", 12);
  exceptions.Open();
  EXPECT_EQ(CountWorkingDays({"01.03.2013", "02.03.2013", "03.03.2013", "05.03.2013", "06.03.2013"},
                             HolidaysOf(holidays), ExceptionsOf(exceptions)),
            3);
  holidays.Close();
  exceptions.Close();
  db.Close();
}
