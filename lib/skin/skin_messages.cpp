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

winshim::Msg SkinMessage(int command, winshim::LPARAM lParam, int low) {
  return winshim::Msg{SM_SKINCMD, winshim::MakeWParam(low, command), lParam, 0};
}

winshim::LRESULT SendSkinCommand(winshim::HWND window, int command, winshim::LPARAM lParam,
                                 int low) {
  return winshim::SendMessage(window, SM_SKINCMD, winshim::MakeWParam(low, command), lParam);
}

winshim::LRESULT SkinCommandToControl(QWidget* control, int command, winshim::LPARAM lParam,
                                      int low) {
  const winshim::HWND h = winshim::FindHandle(control);
  return h ? SendSkinCommand(h, command, lParam, low) : 0;
}

winshim::LRESULT AskControl(QWidget* control, int command) {
  return SkinCommandToControl(control, command, 0);
}

bool AskWnd(winshim::HWND window, int command) {
  return SendSkinCommand(window, command, 0) == 1;
}

}  // namespace kelmo::skin
