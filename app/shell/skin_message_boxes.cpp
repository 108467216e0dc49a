#include "skin_message_boxes.h"

#include "interact/interaction.h"
#include "skin/skin_message_box.h"

namespace kelmo {
namespace {

int ThroughInteraction(const skin::MessageBoxRequest& r) {
  using namespace skin;
  MessageButtons buttons;
  switch (r.style & 0xF) {
    case MB_OK:
      buttons = MessageButtons::Ok;
      break;
    case MB_OKCANCEL:
      buttons = MessageButtons::OkCancel;
      break;
    case MB_YESNO:
      buttons = MessageButtons::YesNo;
      break;
    case MB_YESNOCANCEL:
      buttons = MessageButtons::YesNoCancel;
      break;
    default:
      return ShowQtMessageBox(r);
  }
  if (r.style & MB_HELP) return ShowQtMessageBox(r);
  MessageIcon icon = MessageIcon::None;
  switch (r.style & 0xF0) {
    case MB_ICONERROR:
      icon = MessageIcon::Error;
      break;
    case MB_ICONQUESTION:
      icon = MessageIcon::Question;
      break;
    case MB_ICONWARNING:
      icon = MessageIcon::Warning;
      break;
    case MB_ICONINFORMATION:
      icon = MessageIcon::Information;
      break;
    default:
      break;
  }
  switch (Interact().Message(nullptr, r.caption, r.text, icon, buttons)) {
    case MessageAnswer::Ok:
      return IDOK;
    case MessageAnswer::Yes:
      return IDYES;
    case MessageAnswer::No:
      return IDNO;
    case MessageAnswer::Cancel:
      return IDCANCEL;
  }
  return IDCANCEL;
}

}  // namespace

void RouteSkinMessageBoxes() {
  skin::SetMessageBoxPresenter(ThroughInteraction);
}

}  // namespace kelmo
