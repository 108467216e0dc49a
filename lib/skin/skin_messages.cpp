#include "skin/skin_messages.h"

#include <utility>

#include "winshim/window.h"

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
  if (!control) return 0;
  if (Sender()) return Sender()(control, command, lParam);
  // Down the control's handler chain: the command in wParam's high word.
  namespace ws = winshim;
  return ws::SendMessage(ws::HandleOf(control), SM_SKINCMD, ws::MakeWParam(0, command),
                         ws::LPARAM(lParam));
}

}  // namespace kelmo::skin
