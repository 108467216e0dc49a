// What the parts of package identification share.
#include "package_identification_parts.h"

namespace kelmo::package_identification {

QString TempFolder(const QString& registryFolder) {
  return registryFolder + QStringLiteral("temp");
}

QString PackageFolder(const QString& registryFolder, const rFile& file) {
  return TempFolder(registryFolder) + u'/' + file.SourceName;
}

QString TwoDigits(int n) {
  return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString YearDigits(int year) {
  return QString::number(year).mid(2, 2);
}

void UncheckRadio(QRadioButton* button) {
  button->setAutoExclusive(false);
  button->setChecked(false);
  button->setAutoExclusive(true);
}

void SetBox(QCheckBox* box, bool on) {
  box->setEnabled(on);
  box->setChecked(on);
}

}  // namespace kelmo::package_identification
