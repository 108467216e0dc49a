// One-off corrections for particular institutions, kept as data: which
// institution, which month or day, what is corrected. Code asks these
// tables; it never compares an institution's id itself.
#pragma once

#include <QDate>
#include <QString>

namespace kelmo {

// The registry of the institution for the month (year text and month-list
// index 0..11 of the main window) was sent with rehabilitation cases under
// the wrong payment kind: its treatment sheets are recoded to rehabilitation
// before the cases are selected.
bool RegistryNeedsRehabilitationRecoding(const QString& yearText, int monthIndex, int lpuId);

// The two institutions a count of bed days takes as having worked the holiday
// 11.01.2009 by order: the reception counts it for 24 and 25, the budget
// intake's recount for 25 and 27.
struct SpecialDayInstitutions {
  int first = 24;
  int second = 25;
};
inline constexpr SpecialDayInstitutions kBudgetRecountSpecialDay{25, 27};

// The institution whose budget stays are priced by their services: its
// budget registry must hold the services table mtlusl.dbf, and its sheets of
// kind 1 cost the sum of their services at the month's tariffs.
bool BudgetPricedByServices(int lpuId);

// A holiday on which one of the institutions worked by order: its
// day-hospital bed days count the day although the calendar says otherwise.
bool IsOrderedWorkingDay(int lpuId, const QDate& day, SpecialDayInstitutions institutions = {});

}  // namespace kelmo
