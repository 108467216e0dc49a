// The budget intake's bed-day counter and the recount of a report's sheets
// whose bed days are still empty. BedDays is CountBedDays with its own pair
// of institutions for which 11.01.2009 counts in a day hospital (25 and 27).
#pragma once

#include <QDateTime>

#include "domain/case_data.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
class RunUser;

int BedDays(int stacType, const QDateTime& start, const QDateTime& finish, int lpu,
            HolidayCalendar& calendar);

// Fills KD, KDFMTL, KDOMS and KDMES of every sheet of report `repn` whose KD
// is empty with its own bed days, then KDF and KDMTL of the report's cases
// whose KDMTL is empty with the sum of their sheets. Each sheet is updated by
// its own key, so a case of several sheets keeps each sheet's count. Commits.
// The recount is a phase of the progress window when `user` is given.
// Raises DatabaseError.
void RecountBedDays(FbDatabase& db, FbTransaction& tr, int repn, int stacType, int lpu,
                    HolidayCalendar& calendar, RunUser* user);

}  // namespace kelmo
