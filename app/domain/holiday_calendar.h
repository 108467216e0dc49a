// The holidays of the registry database as CountBedDays asks for them: the
// table HOLIDAY and the main window's exception queries checkHol, workExc and
// hol_ex over HOLIDAY_EXCEPT, with their texts as the window holds them.
// Database errors (DatabaseError) reach the caller.
// Cost: HOLIDAY is read once per calendar; each count opens checkHol and
// workExc once, and hol_ex once per holiday of the stay.
#pragma once

#include <QDate>
#include <QList>
#include <QSet>
#include <optional>

#include "case_data.h"
#include "firebird/fb_query.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;

// The statements of the main window's queries that the working-day count and
// the licence test read (the callers set the parameters and open them).
extern const QStringList kDialHolidaySql;     // qDial_Holiday
extern const QStringList kDialExceptionsSql;  // qDial_Exeptions, parameter LPU
extern const QStringList kLicenceSql;         // LIC, parameters lpu, ts, prf

// The rows of an opened qDial_Holiday, qDial_Exeptions or LIC as
// CountWorkingDays and ProfileLicensedOn take them.
QList<QDate> HolidaysOf(const FbQuery& qDial_Holiday);
QList<DayException> ExceptionsOf(const FbQuery& qDial_Exeptions);
QList<LicencePeriod> LicencesOf(const FbQuery& LIC);

class RegistryHolidayCalendar : public HolidayCalendar {
 public:
  RegistryHolidayCalendar(FbDatabase& database, FbTransaction* transaction);

  void OpenExceptions(int lpu) override;
  bool IsHoliday(const QDate& day) override;
  bool HasWorkedHolidays() override;
  bool IsWorkedHoliday(int lpu, const QDate& day) override;
  QList<QDate> DaysOff() override;

  FbQuery checkHol;
  FbQuery workExc;
  FbQuery hol_ex;
  FbQuery ibtHoliday;

 private:
  std::optional<QSet<QDate>> holidays_;
};

}  // namespace kelmo
