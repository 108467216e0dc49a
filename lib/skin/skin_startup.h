// Start-up of the skinning modules: the process-wide values they prepare
// once before the first form, and the version switch "/kaver" that shows
// the skinning library's version in a plain message box.
#pragma once

#include <QStringList>

namespace kelmo::skin {

// Once per process; true when the version box was shown.
bool StartSkinModules(const QStringList& arguments);
// The short date format writes the year with four digits.
bool YearHasFourDigits();
// Compares each argument in lower case with "/kaver"; at the first match
// shows the version box and stops. True when shown.
bool ShowVersionOnSwitch(const QStringList& arguments);
// "Skin library, version 6.44".
QString SkinLibraryVersionText();

}  // namespace kelmo::skin
