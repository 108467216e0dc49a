// The report period a start offers: the month before today's.
#pragma once

#include <QDate>

namespace kelmo {

// Day 1 of the previous month: in January, December of the previous year.
QDate DefaultReportMonth(const QDate& today);

}  // namespace kelmo
