#include "skin/skin_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace kelmo::skin {
namespace {

struct BoxState {
  MessageBoxPresenter presenter;
  int x = -1, y = -1;
};
BoxState& State() {
  static BoxState state;
  return state;
}

}  // namespace

int ShowQtMessageBox(const MessageBoxRequest& r) {
  QMessageBox box;
  box.setWindowTitle(r.caption);
  box.setText(r.text);
  switch (r.style & 0xF0) {
    case MB_ICONERROR:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONWARNING:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  struct Choice {
    QMessageBox::StandardButton button;
    int id;
  };
  std::vector<Choice> choices;
  switch (r.style & 0xF) {
    case MB_OKCANCEL:
      choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_ABORTRETRYIGNORE:
      choices = {{QMessageBox::Abort, IDABORT},
                 {QMessageBox::Retry, IDRETRY},
                 {QMessageBox::Ignore, IDIGNORE}};
      break;
    case MB_YESNOCANCEL:
      choices = {
          {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO:
      choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
      break;
    case MB_RETRYCANCEL:
      choices = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    default:
      choices = {{QMessageBox::Ok, IDOK}};
      break;
  }
  QMessageBox::StandardButtons buttons;
  for (const Choice& c : choices) buttons |= c.button;
  if (r.style & MB_HELP) buttons |= QMessageBox::Help;
  box.setStandardButtons(buttons);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (r.x != -1 || r.y != -1) box.move(r.x, r.y);
  const int answer = box.exec();
  for (const Choice& c : choices)
    if (answer == c.button) return c.id;
  return IDCANCEL;
}

QString MessageBoxCaption(int kind) {
  static const char* const captions[kMessageKinds] = {"Warning", "Error", "Information", "Confirm",
                                                      ""};
  return kind >= 0 && kind < kMessageKinds ? QLatin1String(captions[kind]) : QString();
}

unsigned MessageBoxStyle(int kind, unsigned b) {
  static const unsigned icons[kMessageKinds] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION,
                                                MB_ICONQUESTION, 0};
  unsigned style = MB_SETFOREGROUND | MB_TOPMOST;
  if (kind >= 0 && kind < kMessageKinds) style |= icons[kind];
  if (b & mbOK)
    style |= (b & mbCancel) ? MB_OKCANCEL : MB_OK;
  else if (b & (mbAbort | mbIgnore))
    style |= MB_ABORTRETRYIGNORE;
  else if (b & (mbYes | mbNo))
    style |= (b & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (b & mbRetry)
    style |= MB_RETRYCANCEL;
  if (b & mbHelp) style |= MB_HELP;
  return style;
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  return std::exchange(State().presenter, std::move(presenter));
}

int SkinMessageBox(const QString& caption, const QString& text, int kind, unsigned buttons,
                   int /*helpContext*/, int x, int y) {
  MessageBoxRequest request{caption.isEmpty() ? MessageBoxCaption(kind) : caption, text,
                            MessageBoxStyle(kind, buttons), x, y};
  BoxState& s = State();
  s.x = x;
  s.y = y;
  // The place is given back whatever way the box ends.
  struct Reset {
    BoxState& s;
    ~Reset() { s.x = s.y = -1; }
  } reset{s};
  return s.presenter ? s.presenter(request) : ShowQtMessageBox(request);
}

int SkinMessageBoxSimple(const QString& text, int kind, unsigned buttons, int helpContext) {
  return SkinMessageBox(QString(), text, kind, buttons, helpContext, -1, -1);
}

int MessageBoxX() {
  return State().x;
}
int MessageBoxY() {
  return State().y;
}

void ShowProviderError(const QString& text) {
  SkinMessageBoxSimple(text, 0, mbOK, 0);
}

void ShowAdapterError(const QString& text) {
  SkinMessageBoxSimple(text, 1, mbOK, 0);
}

}  // namespace kelmo::skin
