#include "skin/skin_startup.h"

#include <QCoreApplication>
#include <QLocale>

#include "skin/skin_manager.h"
#include "skin/skin_message_box.h"

namespace kelmo::skin {
namespace {
bool g_yearHasFourDigits = false;
bool g_started = false;
}  // namespace

QString SkinLibraryVersionText() {
  return QStringLiteral("Skin library, version %1").arg(TkSkinManagerComponent::Version());
}

bool ShowVersionOnSwitch(const QStringList& arguments) {
  for (const QString& a : arguments) {
    if (a.toLower() != QLatin1String("/kaver")) continue;
    // The framework's plain message: the program's name as the caption.
    SkinMessageBox(QCoreApplication::applicationName(), SkinLibraryVersionText(), 4, mbOK, 0, -1,
                   -1);
    return true;
  }
  return false;
}

bool YearHasFourDigits() {
  return g_yearHasFourDigits;
}

bool StartSkinModules(const QStringList& arguments) {
  if (g_started) return false;
  g_started = true;
  g_yearHasFourDigits =
      QLocale().dateFormat(QLocale::ShortFormat).toUpper().contains(QLatin1String("YYYY"));
  return ShowVersionOnSwitch(arguments);
}

}  // namespace kelmo::skin
