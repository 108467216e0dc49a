// What the parts of package identification share: the "temp" folder of the
// registry folder and each package's folder in it, the digits of a package
// name's month, the dialog's controls set and cleared, and the refusal of a
// folder that cannot be made. Private to the identification's files.
#pragma once

#include <QCheckBox>
#include <QRadioButton>
#include <QString>
#include <stdexcept>

#include "domain/package_lists.h"

namespace kelmo::package_identification {

// A folder below the registry folder that cannot be made: the identification
// refuses with this text.
class FolderNotWritable : public std::runtime_error {
 public:
  explicit FolderNotWritable(const QString& folder)
      : std::runtime_error(("Не удалось создать каталог " + folder).toStdString()) {}
};

// The "temp" folder of the registry folder (given with a trailing "/"), and
// a package's folder in it.
QString TempFolder(const QString& registryFolder);
QString PackageFolder(const QString& registryFolder, const rFile& file);

// The month and the year's last two digits as a package name writes them.
QString TwoDigits(int n);
QString YearDigits(int year);

// A choice of the data-file dialog cleared; a check box enabled and checked
// together, or neither.
void UncheckRadio(QRadioButton* button);
void SetBox(QCheckBox* box, bool on);

}  // namespace kelmo::package_identification
