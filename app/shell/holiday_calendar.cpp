// Holidays of the registry database (see holiday_calendar.h).
#include "holiday_calendar.h"

#include <QDateTime>

namespace kelmo {

namespace {

QDate DayOf(const QVariant& v) {
  return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
}

}  // namespace

RegistryHolidayCalendar::RegistryHolidayCalendar(FbDatabase& database, FbTransaction* transaction)
    : checkHol(database, transaction),
      workExc(database, transaction),
      hol_ex(database, transaction),
      ibtHoliday(database, transaction) {
  checkHol.setSql(QStringList{QStringLiteral("select he.id from holiday_except he"),
                              QStringLiteral(" where he.lpu_code=:lpu and he.day_type=1")});
  workExc.setSql(QStringList{QStringLiteral("select * from holiday_except he"),
                             QStringLiteral(" where he.lpu_code=:lpu and he.day_type=2")});
  hol_ex.setSql(QStringList{
      QStringLiteral("select * from holiday_except he"),
      QStringLiteral(" where he.lpu_code=:lpu and he.except_day=:day and he.day_type=:day_t")});
  ibtHoliday.setSql(QStringLiteral("select ID, HOLIDAY, HOLINAME, HOLIWORK from HOLIDAY"));
}

void RegistryHolidayCalendar::OpenExceptions(int lpu) {
  checkHol.Close();
  checkHol.setParam(QStringLiteral("lpu"), lpu);
  checkHol.Open();
  workExc.Close();
  workExc.setParam(QStringLiteral("lpu"), lpu);
  workExc.Open();
}

bool RegistryHolidayCalendar::IsHoliday(const QDate& day) {
  if (!holidays_) {
    ibtHoliday.Close();
    ibtHoliday.Open();
    holidays_ = QSet<QDate>();
    for (int row = 0; row < ibtHoliday.RecordCount(); ++row)
      holidays_->insert(DayOf(ibtHoliday.Value(row, QStringLiteral("HOLIDAY"))));
  }
  return holidays_->contains(day);
}

bool RegistryHolidayCalendar::HasWorkedHolidays() {
  return checkHol.RecordCount() > 0;
}

bool RegistryHolidayCalendar::IsWorkedHoliday(int lpu, const QDate& day) {
  hol_ex.Close();
  hol_ex.setParam(QStringLiteral("lpu"), lpu);
  hol_ex.setParam(QStringLiteral("day"), QDateTime(day, QTime(0, 0)));
  hol_ex.setParam(QStringLiteral("day_t"), 1);
  hol_ex.Open();
  return hol_ex.RecordCount() > 0;
}

QList<QDate> RegistryHolidayCalendar::DaysOff() {
  QList<QDate> days;
  for (int row = 0; row < workExc.RecordCount(); ++row)
    days.append(DayOf(workExc.Value(row, QStringLiteral("EXCEPT_DAY"))));
  return days;
}

}  // namespace kelmo
