// Holidays of the registry database (see holiday_calendar.h).
#include "holiday_calendar.h"

#include <QDateTime>

namespace kelmo {

namespace {

QDate DayOf(const QVariant& v) {
  return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
}

}  // namespace

const QStringList kDialHolidaySql = {QStringLiteral("select h.holiday"),
                                     QStringLiteral("from holiday h"),
                                     QStringLiteral("order by h.holiday")};
const QStringList kDialExceptionsSql = {QStringLiteral("select he1.except_day, he1.day_type"),
                                        QStringLiteral("from HOLIDAY_EXCEPT HE1"),
                                        QStringLiteral("where he1.lpu_code=:LPU"),
                                        QStringLiteral("order by he1.except_day")};
const QStringList kLicenceSql = {
    QStringLiteral("select p.date_beg as DB,p.date_end as DE from pass_lpu p"),
    QStringLiteral(" where p.lpu_code=:lpu and"), QStringLiteral("       p.tip_stac=:ts and"),
    QStringLiteral("       p.prof_code=:prf "), QStringLiteral(" order by p.date_beg")};

QList<QDate> HolidaysOf(const FbQuery& q) {
  QList<QDate> days;
  for (int row = 0; row < q.RecordCount(); ++row) days.append(DayOf(q.Value(row, 0)));
  return days;
}

QList<DayException> ExceptionsOf(const FbQuery& q) {
  QList<DayException> out;
  for (int row = 0; row < q.RecordCount(); ++row)
    out.append({DayOf(q.Value(row, QStringLiteral("EXCEPT_DAY"))),
                q.Value(row, QStringLiteral("DAY_TYPE")).toInt()});
  return out;
}

QList<LicencePeriod> LicencesOf(const FbQuery& q) {
  QList<LicencePeriod> out;
  for (int row = 0; row < q.RecordCount(); ++row) {
    const QVariant end = q.Value(row, QStringLiteral("DE"));
    out.append({DayOf(q.Value(row, QStringLiteral("DB"))),
                end.isNull() ? std::nullopt : std::optional<QDate>(DayOf(end))});
  }
  return out;
}

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
