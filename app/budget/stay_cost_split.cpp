// The four day walks of a sheet's cost and the day-hospital walk.
#include "stay_cost_split.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelmo {

double RoundKopecksUp(long double x) {
  return static_cast<double>(std::trunc(x * 100.0L + 0.5000001L) / 100.0L);
}

bool IsLeaveDay(const QDate& day, const QList<LeavePeriod>& leaves) {
  for (const LeavePeriod& l : leaves)
    if (l.Nach.isValid() && l.Kon.isValid() && l.Nach <= day && day < l.Kon) return true;
  return false;
}

QDate SheetDays::FirstDay() const {
  return Start == WalkStart::Sheet ? StartD : MonthStart;
}

namespace {

enum Band { kFull, kReduced, kUnpaid };

// The norm's two limits, both counted from the sheet's start.
struct Limits {
  QDate NormEnd;
  QDate BandEnd;
  int BandLength = 0;  // 1.5 × norm rounded half up, in days
};

Limits LimitsOf(const SheetDays& sheet, int norm) {
  const int band = static_cast<int>(std::trunc(norm * 1.5 + 0.5));
  return {sheet.StartD.addDays(norm), sheet.StartD.addDays(band), band};
}

// The band of a day: the plain walk ends the reduced band before BandEnd,
// the leave walks on it.
Band BandOf(const QDate& d, const Limits& l, bool bandEndIncluded) {
  if (d < l.NormEnd) return kFull;
  if (bandEndIncluded ? d <= l.BandEnd : d < l.BandEnd) return kReduced;
  return kUnpaid;
}

struct Day {
  QDate Date;
  bool Licensed = true;
  bool Leave = false;
  Band InBand = kFull;
};

std::vector<Day> Walk(const QDate& first, int days, const Limits& l, bool bandEndIncluded,
                      const SheetDays& sheet, bool checkLicence, bool leaves) {
  std::vector<Day> walk;
  for (int i = 0; i < days; ++i) {
    Day d;
    d.Date = first.addDays(i);
    d.Licensed = !checkLicence || ProfileLicensedOn(d.Date, sheet.Licences);
    d.Leave = leaves && IsLeaveDay(d.Date, sheet.Leaves);
    d.InBand = BandOf(d.Date, l, bandEndIncluded);
    walk.push_back(d);
  }
  return walk;
}

// Pays the walked days; the leave rate applies on leave days when given.
void PayDays(const std::vector<Day>& walk, double rate, double leaveRate, bool leaves,
             SplitResult& r) {
  for (const Day& d : walk) {
    if (!d.Licensed) {
      ++r.UnpaidDays;
      continue;
    }
    switch (d.InBand) {
      case kFull:
        ++r.PaidDays;
        ++r.FullDays;
        r.FullSum += leaves && d.Leave ? leaveRate : rate;
        break;
      case kReduced:
        ++r.PaidDays;
        ++r.ReducedDays;
        r.ReducedSum += RoundKopecksUp((leaves && d.Leave ? leaveRate : rate) * 0.6L);
        break;
      case kUnpaid:
        ++r.UnpaidDays;
        break;
    }
  }
}

SplitResult WithLicence(int days, int norm, double cost, const SheetDays& sheet, bool leaves) {
  SplitResult r;
  if (norm == 0) return r;
  const double rate = RoundKopecksUp(static_cast<long double>(cost) / norm);
  const double leaveRate = RoundKopecksUp(rate * 0.14L);
  if (sheet.Licences.isEmpty()) return r;
  const Limits l = LimitsOf(sheet, norm);
  const QDate first = leaves ? sheet.FirstDay() : sheet.StartD;
  PayDays(Walk(first, days, l, leaves, sheet, true, leaves), rate, leaveRate, leaves, r);
  r.Total = r.FullSum + r.ReducedSum;
  return r;
}

}  // namespace

SplitResult SplitStayCost(int days, int norm, double cost, const SheetDays& sheet) {
  return WithLicence(days, norm, cost, sheet, false);
}

SplitResult SplitStayCostWithLeave(int days, int norm, double cost, const SheetDays& sheet) {
  return WithLicence(days, norm, cost, sheet, true);
}

SplitResult SplitStayCostIntensive(int intDays, int days, int norm, double cost,
                                   const SheetDays& sheet) {
  SplitResult r;
  if (norm == 0) return r;
  const double rate = RoundKopecksUp(static_cast<long double>(cost) / norm);
  const double intRate = rate + rate * 0.2;
  r.IntensiveCost = intDays * intRate;
  if (sheet.Licences.isEmpty()) return r;
  const Limits l = LimitsOf(sheet, norm);
  const std::vector<Day> walk = Walk(sheet.StartD, days, l, false, sheet, true, false);
  PayDays(walk, rate, rate, false, r);
  int k = 1;
  for (const Day& d : walk) {
    if (d.Licensed && k <= intDays) {
      if (d.InBand == kFull) r.FullSum += RoundKopecksUp(rate * 0.2L);
      if (d.InBand == kReduced && intDays > norm)
        r.ReducedSum += RoundKopecksUp(rate * 0.6L * 0.2L);
    }
    if (k <= intDays) ++k;
  }
  r.Total = r.FullSum + r.ReducedSum;
  return r;
}

SplitResult SplitStayCostIntensiveWithLeave(int stayDays, int intDays, int days, double cost,
                                            int norm, const SheetDays& sheet) {
  SplitResult r;
  if (norm == 0) return r;
  const double rate = RoundKopecksUp(static_cast<long double>(cost) / norm);
  const double leaveRate = RoundKopecksUp(rate * 0.14L);
  const Limits l = LimitsOf(sheet, norm);
  const QDate first = sheet.FirstDay();
  intDays = std::min(intDays, days);
  PayDays(Walk(first, days, l, true, sheet, false, true), rate, leaveRate, true, r);

  const int n = norm;
  const int m = l.BandLength;
  const int f = static_cast<int>(first.daysTo(l.NormEnd));
  const int b = static_cast<int>(l.NormEnd.daysTo(l.BandEnd));
  // The surcharge of the intensive days inside the norm only, or split
  // between the norm and the reduced band.
  auto insideNorm = [&] {
    r.FullSum += rate * 0.2 * intDays;
    r.IntensiveCost = rate * 1.2 * intDays;
  };
  auto acrossBand = [&](int reducedDays) {
    r.FullSum += f * rate * 0.2;
    r.ReducedSum += reducedDays * rate * 0.2 * 0.6;
    r.IntensiveCost = f * rate * 1.2 + reducedDays * rate * 1.2 * 0.6;
  };
  if (stayDays <= n) insideNorm();
  if (r.PaidDays > 0 && stayDays > n) {
    if (intDays < n)
      insideNorm();
    else if (intDays <= m)
      acrossBand(intDays - f);
    else if (stayDays > m)
      acrossBand(b);
  }
  r.Total = r.FullSum + r.ReducedSum;
  return r;
}

DayHospitalDays WalkDayHospital(const QDate& walkStart, const QDate& finish, int norm,
                                const QList<LicencePeriod>& licences,
                                const QList<QDate>& holidays) {
  DayHospitalDays r;
  if (licences.isEmpty() || !walkStart.isValid() || !finish.isValid()) return r;
  int k = 1;
  for (QDate d = walkStart; d <= finish; d = d.addDays(1)) {
    if (ProfileLicensedOn(d, licences)) {
      if (holidays.contains(d)) continue;
      if (norm < k)
        ++r.UnpaidDays;
      else
        ++r.PaidDays;
      ++k;
    } else {
      ++r.UnpaidDays;
      ++k;
    }
  }
  return r;
}

}  // namespace kelmo
