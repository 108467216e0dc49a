// The default report period.
#include "start_period.h"

namespace kelmo {

QDate DefaultReportMonth(const QDate& today) {
  if (today.month() == 1) return QDate(today.year() - 1, 12, 1);
  return QDate(today.year(), today.month() - 1, 1);
}

}  // namespace kelmo
