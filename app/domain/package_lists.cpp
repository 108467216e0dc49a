// The package lists' reset.
#include "package_lists.h"

#include "application_state.h"

namespace kelmo {

PackageLists& ThePackageLists() {
  return TheApplicationState().Packages;
}

void ResetPackageLists() {
  ThePackageLists() = PackageLists();
}

}  // namespace kelmo
