// Unpacking one registry package into its folder: the main, person and
// oncology files named after the package, and the reference files, flat.
#pragma once

#include <QString>
#include <stdexcept>

#include "package_lists.h"
#include "zip/zip_reader.h"

namespace kelmo {

// The package cannot be taken: an entry would unpack to more than a
// registry file can be, or two entries land on one name (one of them made
// to replace the other). The message says which.
class PackageUnpackRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What one package may unpack to (see the definition for the figures).
zip::TExtractLimits PackageExtractLimits();

// Reads the archive zipPath and extracts into folder (which exists) the
// entries named "L", "", "LC" and "C" + the body of file.SourceName with
// ".XML" or ".xml", and the reference files of the sender's number; sets
// file.LName, HName, LcName and CName to the base names found (empty when
// absent). Raises PackageUnpackRefused as above (nothing of the refused
// entry written) and the zip reader's errors for an archive it cannot read.
void UnpackPackage(const QString& zipPath, int senderNumber, const QString& folder, rFile& file);

}  // namespace kelmo
