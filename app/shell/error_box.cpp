// The error box of uncaught errors.
#include "error_box.h"

#include "firebird/database_error.h"
#include "interact/interaction.h"

namespace kelmo {

QString ApplicationTitle() {
  return QStringLiteral("Kelmo");
}

void ShowErrorBox(const QString& message) {
  Interact().Message(nullptr, ApplicationTitle(), message, MessageIcon::Error, MessageButtons::Ok);
}

QString ErrorMessage(const std::exception& error) {
  if (const auto* database = dynamic_cast<const DatabaseError*>(&error)) return database->message();
  return QString::fromUtf8(error.what());
}

}  // namespace kelmo
