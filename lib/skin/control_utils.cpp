#include "skin/control_utils.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <memory>

#include "skin/paint_primitives.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "winshim/system_profile.h"
#include "winshim/timers.h"

namespace kelmo::skin {
namespace ws = winshim;

namespace {

std::vector<QPointer<QWidget>> Children(QWidget* w) {
  std::vector<QPointer<QWidget>> out;
  for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (!c->isWindow()) out.emplace_back(c);
  return out;
}

// The window the animation draws into: never activated, never painting a
// background of its own.
class TOutputWindow : public QWidget {
 public:
  TOutputWindow()
      : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setWindowTitle(QStringLiteral("kaOutputWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void Show(const QImage& image) {
    image_ = image;
    repaint();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, image_);
  }

 private:
  QImage image_;
};

}  // namespace

QWidget* BroadcastToControls(QWidget* container, ws::Msg msg) {
  if (!container) return nullptr;
  for (const QPointer<QWidget>& child : Children(container)) {
    if (!child) continue;
    const ws::HWND h = ws::FindHandle(child);
    if (h && AskWnd(h, scIsSkinned)) {
      ws::Msg m = msg;
      ws::DispatchMessage(h, m);
    } else {
      BroadcastToControls(child, msg);
    }
  }
  return nullptr;
}

void BroadcastToChildWindows(ws::HWND window, ws::Msg msg) {
  for (ws::HWND child : ws::GetChildren(window)) {
    ws::Msg m = msg;
    ws::DispatchMessage(child, m);
  }
}

void RecheckHotChildren(QWidget* container) {
  if (FormAnimating() || !container) return;
  for (const QPointer<QWidget>& child : Children(container))
    if (child && child->isVisible()) SkinCommandToControl(child, scRecheckHot, 0);
}

TColor GetWndBgColor(ws::HWND window) {
  if (!ws::IsWindow(window)) return kTransparentKey;
  return TColor(ws::ColorToRGB(TColor(SendSkinCommand(window, scGetBgColor, kTransparentKey))));
}

bool ControlIsReady(const QWidget* control) {
  return control && control->parentWidget();
}

QWidget* OwnerFormOf(QWidget* control) {
  return control ? control->window() : nullptr;
}

void NotifyParentForm(QWidget* control) {
  if (!control || !control->parentWidget()) return;
  SendSkinCommand(ws::HandleOf(control->window()), scControlLoaded, ws::LPARAM(control));
}

ws::HWND TopParentWnd(ws::HWND window) {
  for (ws::HWND p = ws::GetParent(window); p; p = ws::GetParent(window)) window = p;
  return window;
}

int AnimShowForm(QWidget* form, int time, const QImage* screen) {
  if (!form) return 0;
  SetFormAnimating(true);
  QPointer<QWidget> guard(form);
  std::unique_ptr<TOutputWindow> output;
  // Whichever way the animation ends, the form is shown and drawn again.
  struct Finish {
    QPointer<QWidget>& form;
    std::unique_ptr<TOutputWindow>& output;
    ~Finish() {
      SetFormAnimating(false);
      output.reset();
      if (!form) return;
      ws::SendMessage(ws::HandleOf(form), ws::WM_SETREDRAW, 1);
      form->update();
    }
  } finish{guard, output};

  const QRect place = form->frameGeometry();
  if (place.isEmpty()) return 0;
  QImage under;
  if (screen)
    under = *screen;
  else if (QScreen* s = QGuiApplication::primaryScreen())
    under = s->grabWindow(0, place.x(), place.y(), place.width(), place.height()).toImage();
  if (under.isNull()) return 0;
  under = under.scaled(place.size()).convertToFormat(QImage::Format_BGR888);

  const bool drawing = form->updatesEnabled();
  form->setUpdatesEnabled(true);
  const QImage picture =
      form->grab().toImage().scaled(place.size()).convertToFormat(QImage::Format_BGR888);
  form->setUpdatesEnabled(drawing);
  if (picture.isNull()) return 0;

  output = std::make_unique<TOutputWindow>();
  output->setGeometry(place);
  output->show();
  const int frames = time / 8;
  int shown = 0;
  if (frames > 0) {
    QImage mix = CreateBmp32(picture.width(), picture.height());
    for (int i = 0; i <= frames; ++i) {
      const int w = std::max(0, 255 - i * (255 / frames));
      MixBitmaps(mix, under, picture, w, nullptr);
      output->Show(mix);
      ++shown;
      if (i < frames) ws::Sleep(8);
      if (!guard) return shown;
    }
  }
  output->Show(picture);
  return shown;
}

}  // namespace kelmo::skin
