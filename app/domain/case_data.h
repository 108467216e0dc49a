// Helpers on case data that the reception run, the XML loading, the cost
// calculation and the budget intake share: a patient's age, the bed days of a
// stay with the institution's holidays, working days, the treatment-stage
// mask text, the ICD-10 list test, the bed-profile licence test, upper-casing
// of Russian text, the characters a name must not hold,
// replace-all and the clearing of a folder (rounding to kopecks is in common.h).
// Plain functions; each costs one pass over its input unless it says more.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "institution_fixes.h"
#include "money.h"

namespace kelmo {

// Full years from the birth date to the on-date, never below 0
// (29.02.2000 on 28.02.2018 is 17, on 01.03.2018 18).
int AgeInYears(const QDate& birth, const QDate& onDate);

// What CountBedDays asks of the registry database about non-working days:
// the region's holidays (table HOLIDAY) and the institution's exceptions
// (HOLIDAY_EXCEPT: day type 1, a holiday it works on; day type 2, a working
// day it does not). Database errors reach the caller.
class HolidayCalendar {
 public:
  virtual ~HolidayCalendar() = default;
  // Called once per count, before the other questions, with the institution.
  virtual void OpenExceptions(int lpu) = 0;
  virtual bool IsHoliday(const QDate& day) = 0;
  // The institution has any day-type-1 exception (query checkHol).
  virtual bool HasWorkedHolidays() = 0;
  // The institution works on this holiday (query hol_ex, day type 1).
  virtual bool IsWorkedHoliday(int lpu, const QDate& day) = 0;
  // The institution's day-type-2 exceptions (query workExc).
  virtual QList<QDate> DaysOff() = 0;
};

// Bed days of a stay of in-patient type 1..4 for the institution: a
// round-the-clock stay (type 1) counts its nights (a same-day stay 1); the
// other types count the days from admission to discharge, both included,
// that are working days of the institution. Discharge before admission gives
// 0. In a day hospital a holiday worked by order counts for the institutions
// given (IsOrderedWorkingDay, institution_fixes.h). Cost: one holiday
// question per day of the stay.
int CountBedDays(int stacType, const QDateTime& admission, const QDateTime& discharge, int lpu,
                 HolidayCalendar& calendar, SpecialDayInstitutions special = {});

// One exception row of qDial_Exeptions: a day and its day type.
struct DayException {
  QDate day;
  int dayType = 0;
};

// Working days among dates given as dd.mm.yyyy texts: a day works when it is
// not a holiday; a day among the exceptions works exactly when the
// exception's type is 1. A text that is not a date raises ConversionError.
int CountWorkingDays(const QStringList& dates, const QList<QDate>& holidays,
                     const QList<DayException>& exceptions);

// "(1)" .. "(123)" for the stage set 1..7 given as text; empty for an empty
// text, 0 or any other number; a text that is not a number raises
// ConversionError.
QString StageMaskText(const QString& mask);

// Whether an ICD-10 code belongs to a list of codes and ranges written as one
// text ("A00-A09,B15.1,C00.0-C00.9"). Daggers and asterisks ("+", "*") are
// dropped from the code; list items are not trimmed, so an item written after
// ", " matches nothing. A range number position without digits raises
// ConversionError. Cost: linear in the list.
bool MkbInList(const QString& code, const QString& list);

// One licence row of query LIC: its start and its end (none: open-ended).
struct LicencePeriod {
  QDate begin;
  std::optional<QDate> end;
};

// Whether a licence covers the date: the first row whose start is not after
// the date and whose end is not before it; a row without an end never matches.
bool ProfileLicensedOn(const QDate& date, const QList<LicencePeriod>& licences);

// Latin a..z and Russian а..я in upper case; everything else (ё too) stays.
QString UpperCaseCyr(const QString& text);

// The forbidden characters found in a name, in this order: "." (a leading
// point, or a first point that is the last character), ",", ":", ";", "_",
// "\". Empty means the name is clean.
QString ForbiddenNameChars(const QString& text);

// Every occurrence of `searched`, scanning from the left, replaced; the
// replacement is not searched again. An empty `searched` changes nothing.
QString ReplaceAll(const QString& text, const QString& searched, const QString& replacement);

// Deletes every file of the folder and its sub-folders and removes the
// sub-folders; the folder itself stays. What cannot be deleted stays and the
// clearing goes on. Symbolic links are removed as links, never followed, so
// nothing outside the folder is touched. Any depth. Always true.
bool ClearFolderTree(const QString& folder);

}  // namespace kelmo
