// The machine-wide record the program writes at every start (what Windows
// keeps under HKEY_LOCAL_MACHINE\SoftWare\DORER\Kelmo): QSettings in system
// scope, organisation "DORER", application "Kelmo". Tests move the system
// scope into a folder of their own with QSettings::setPath.
#pragma once

#include <QSettings>
#include <memory>

namespace kelmo {

// The record opened for writing, or null when it cannot be written (no
// rights): then nothing is recorded and nothing is reported.
std::unique_ptr<QSettings> OpenMachineRecord();

}  // namespace kelmo
