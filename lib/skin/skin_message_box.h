// The skinned message box: the platform's standard message box, shown
// modally, which the automatic skinning gives the skin while one is in
// force and moves to a requested place. The box is shown by a presenter:
// the program routes it through its interaction (scripted in tests), so
// nothing waits for a person there.
#pragma once

#include <QString>
#include <functional>

namespace kelmo::skin {

// The message-dialog buttons, as a set of bits.
enum TMsgDlgBtn : unsigned {
  mbYes = 1,
  mbNo = 2,
  mbOK = 4,
  mbCancel = 8,
  mbAbort = 16,
  mbRetry = 32,
  mbIgnore = 64,
  mbHelp = 128
};

// The platform's style bits and answers.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_HELP = 0x4000,
  MB_SETFOREGROUND = 0x10000,
  MB_TOPMOST = 0x40000,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// The dialog kinds: 0 warning, 1 error, 2 information, 3 confirmation, 4 custom.
inline constexpr int kMessageKinds = 5;
// "Warning", "Error", "Information", "Confirm", "".
QString MessageBoxCaption(int kind);
// The style of a kind and a button set.
unsigned MessageBoxStyle(int kind, unsigned buttons);

struct MessageBoxRequest {
  QString caption;
  QString text;
  unsigned style = 0;
  int x = -1, y = -1;  // -1: the platform's placement
};
using MessageBoxPresenter = std::function<int(const MessageBoxRequest&)>;
// Installs the presenter (an empty one restores the Qt message box);
// returns the previous one.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);
// The Qt message box of a request (the default presenter).
int ShowQtMessageBox(const MessageBoxRequest& request);

// Shows the box; the answer (IDOK, IDCANCEL, ...). The help context is not used.
int SkinMessageBox(const QString& caption, const QString& text, int kind, unsigned buttons,
                   int helpContext, int x, int y);
int SkinMessageBoxSimple(const QString& text, int kind, unsigned buttons, int helpContext);
// The place asked for the box being shown; -1 when none is shown.
int MessageBoxX();
int MessageBoxY();

// An OK box of the warning kind and of the error kind.
void ShowProviderError(const QString& text);
void ShowAdapterError(const QString& text);

}  // namespace kelmo::skin
