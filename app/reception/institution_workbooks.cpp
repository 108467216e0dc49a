// Placeholder until the institution's workbook checks land: every pass's
// workbooks count as present and well-formed.
#include "reception_checks.h"

namespace kelmo {

WorkbookCheckResult CheckLocalWorkbooks(const ReceptionContext&) {
  return {};
}
WorkbookCheckResult CheckOutOfRegionWorkbooks(const ReceptionContext&) {
  return {};
}

}  // namespace kelmo
