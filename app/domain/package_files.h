// The extracted XML files of a package in its folder under "temp": removed
// once the package is loaded, or when the data-file choice drops it. The
// reference files (EMP_LIST_, DEP_LIST_, HOLDING.XML) are not touched here.
#pragma once

#include <QString>

#include "package_lists.h"

namespace kelmo {

// Deletes from the folder the person and main files (when the main file is
// named) and the oncology pair (when its main file is named) of the
// package-th package of the adresat-th addressee of the first sender. Names
// are matched without regard to case; failures are ignored.
void DeletePackageXml(const PackageLists& lists, const QString& folder, int adresat, int package);
void DeleteFirstPackageXml(const PackageLists& lists, const QString& folder, int adresat);
// The same for one package's file entry.
void DeletePackageXml(const rFile& file, const QString& folder);

}  // namespace kelmo
