// The day walks that price a budget-funded treatment sheet from the normative
// cost and the normative stay (the norm) of its standard of care. Days before
// the end of the norm are paid the daily rate, days up to one and a half
// norms 60 % of it, later days nothing; days without a licence for the bed
// profile are not paid; leave days are paid at 14 % of the rate; intensive
// care adds 20 %. The daily rate is the cost over the norm, rounded to
// kopecks.
//
// Plain functions over values: the licence periods and leave periods of the
// sheet are given, nothing is read. A norm of 0 pays nothing; a day count of
// 0 or less walks no day. Cost: one step per walked day (times the licence
// and leave periods).
#pragma once

#include <QDate>
#include <QList>

#include "domain/case_data.h"

namespace kelmo {

// Kopecks half up with a bias: the whole part of x × 100 + 0.5000001, / 100.
double RoundKopecksUp(long double x);

// A leave of a treatment sheet: the days from Nach up to the day before Kon.
struct LeavePeriod {
  QDate Nach;
  QDate Kon;
};

// Whether a day is a leave day of one of the periods.
bool IsLeaveDay(const QDate& day, const QList<LeavePeriod>& leaves);

// How a sheet is walked.
enum class WalkStart {
  Sheet,         // from the sheet's start (start kind 0)
  EarlierMonth,  // from the report month's first day, the sheet began earlier (1)
  PreviousMonth  // the same, the sheet began in the month before (2)
};

struct SheetDays {
  QDate StartD;      // the sheet's start; the norm counts from it
  QDate MonthStart;  // the report month's first day
  WalkStart Start = WalkStart::Sheet;
  QList<LicencePeriod> Licences;  // the bed profile's licences (query LIC)
  QList<LeavePeriod> Leaves;      // the sheet's leaves (table OTPUSK)

  // The first walked day: the sheet's start or the month's first day.
  QDate FirstDay() const;
};

struct SplitResult {
  double Total = 0;
  double FullSum = 0;
  double ReducedSum = 0;
  double IntensiveCost = 0;
  int PaidDays = 0;
  int FullDays = 0;
  int ReducedDays = 0;
  int UnpaidDays = 0;
};

// No intensive care, OMS code outside 35..38: licence checked per day.
SplitResult SplitStayCost(int days, int norm, double cost, const SheetDays& sheet);
// No intensive care, OMS code 35..38: licence checked, leaves at 14 %, the
// 60 % band one day longer, the walk may start at the month's first day.
SplitResult SplitStayCostWithLeave(int days, int norm, double cost, const SheetDays& sheet);
// Intensive care, OMS code outside 35..39: the first intDays walked days get
// 20 % more.
SplitResult SplitStayCostIntensive(int intDays, int days, int norm, double cost,
                                   const SheetDays& sheet);
// Intensive care, OMS code 35..39: no licence check, leaves as above, the
// intensive surcharge added as one block after the walk by the stay's length.
SplitResult SplitStayCostIntensiveWithLeave(int stayDays, int intDays, int days, double cost,
                                            int norm, const SheetDays& sheet);

// A day-hospital sheet: the days from `walkStart` to `finish` with a licence
// counter K from 1; a licensed working day is paid while K is within the norm,
// otherwise unpaid; a licensed public holiday counts nothing and keeps K; an
// unlicensed day is unpaid. No licence at all: nothing is counted.
struct DayHospitalDays {
  int PaidDays = 0;
  int UnpaidDays = 0;
};
DayHospitalDays WalkDayHospital(const QDate& walkStart, const QDate& finish, int norm,
                                const QList<LicencePeriod>& licences, const QList<QDate>& holidays);

}  // namespace kelmo
