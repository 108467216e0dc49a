// The interaction in force and its scopes.
#include "interaction.h"

#include "qt_interaction.h"

namespace kelmo {
namespace {

// The innermost ScopedInteraction; null means the Qt interaction.
Interaction* g_current = nullptr;

}  // namespace

Interaction& Interact() {
  if (g_current != nullptr) return *g_current;
  static QtInteraction qt;
  return qt;
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text, MessageIcon icon) {
  Interact().Message(parent, caption, text, icon, MessageButtons::Ok);
}

ScopedInteraction::ScopedInteraction(Interaction& interaction) : previous_(g_current) {
  g_current = &interaction;
}

ScopedInteraction::~ScopedInteraction() {
  g_current = previous_;
}

}  // namespace kelmo
