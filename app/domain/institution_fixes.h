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

// A holiday on which the institution worked by order: its day-hospital bed
// days count the day although the calendar says otherwise.
bool IsOrderedWorkingDay(int lpuId, const QDate& day);

}  // namespace kelmo
