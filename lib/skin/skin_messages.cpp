#include "skin/skin_messages.h"

#include <utility>

namespace kelmo::skin {
namespace {
SkinMessageSender& Sender() {
  static SkinMessageSender sender;
  return sender;
}
}  // namespace

SkinMessageSender SetSkinMessageSender(SkinMessageSender sender) {
  return std::exchange(Sender(), std::move(sender));
}

std::intptr_t SendSkinCommand(QWidget* control, int command, void* lParam) {
  if (!control || !Sender()) return 0;
  return Sender()(control, command, lParam);
}

}  // namespace kelmo::skin
