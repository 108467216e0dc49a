// The machine-wide start record.
#include "machine_settings.h"

#include <QDir>
#include <QFileInfo>

namespace kelmo {

std::unique_ptr<QSettings> OpenMachineRecord() {
  auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::SystemScope,
                                              QStringLiteral("DORER"), QStringLiteral("Kelmo"));
  // The key is created when missing: its folder first.
  QDir().mkpath(QFileInfo(settings->fileName()).absolutePath());
  if (!settings->isWritable()) return nullptr;
  return settings;
}

}  // namespace kelmo
