// The one instance of the package lists.
#include "package_lists.h"

namespace kelmo {
namespace {

PackageLists g_lists;

}  // namespace

void PackageLists::SyncReportCounts() {
  for (int i = 0; i < 2; ++i) ReportCounts[i] = static_cast<std::uint16_t>(ReportLists[i].size());
}

PackageLists& ThePackageLists() {
  return g_lists;
}

void ResetPackageLists() {
  g_lists = PackageLists();
}

}  // namespace kelmo
