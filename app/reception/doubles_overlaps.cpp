// Placeholder until the doubled-record and overlapping-stay checks land:
// they write nothing yet.
#include "reception_checks.h"

namespace kelmo {

void CheckDoubleRecords(const ReceptionContext&) {}
void CheckOverlappingStays(const ReceptionContext&) {}

}  // namespace kelmo
