// The tables of the one-off corrections for particular institutions.
#include "institution_fixes.h"

#include <algorithm>
#include <initializer_list>

namespace kelmo {

namespace {

struct RehabilitationRecoding {
  const char* yearText;
  int monthIndex;
  std::initializer_list<int> lpuIds;
};

// October 2015 of two institutions was sent under the wrong payment kind.
const RehabilitationRecoding kRehabilitationRecodings[] = {
    {"2015", 9, {77, 124}},
};

// The institutions whose budget stays are priced by their services.
const std::initializer_list<int> kBudgetPricedByServices = {25};

// The holidays worked by order.
const QDate kOrderedWorkingDays[] = {QDate(2009, 1, 11)};

bool Listed(std::initializer_list<int> ids, int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

bool RegistryNeedsRehabilitationRecoding(const QString& yearText, int monthIndex, int lpuId) {
  for (const RehabilitationRecoding& r : kRehabilitationRecodings)
    if (yearText == QLatin1String(r.yearText) && monthIndex == r.monthIndex &&
        Listed(r.lpuIds, lpuId))
      return true;
  return false;
}

bool BudgetPricedByServices(int lpuId) {
  return Listed(kBudgetPricedByServices, lpuId);
}

bool IsOrderedWorkingDay(int lpuId, const QDate& day, SpecialDayInstitutions institutions) {
  if (lpuId != institutions.first && lpuId != institutions.second) return false;
  for (const QDate& worked : kOrderedWorkingDays)
    if (day == worked) return true;
  return false;
}

}  // namespace kelmo
