// The hidden message window.
#include "lookandfeel/message_window.h"

#include <QWidget>

namespace kelmo::le {
namespace {

std::unique_ptr<TleMessageWindow>& Shared() {
  static std::unique_ptr<TleMessageWindow> window;
  return window;
}

}  // namespace

TleMessageWindow::TleMessageWindow() : window_(std::make_unique<QWidget>()) {
  window_->setObjectName("TleMessageWindow");
  window_->setAttribute(Qt::WA_DontShowOnScreen);
  handle_ = winshim::HandleOf(window_.get());
  winshim::Subclass(handle_,
                    [this](winshim::HWND, winshim::Msg& m, const winshim::NextHandler& next) {
                      const winshim::NextHandler* outer = next_;
                      next_ = &next;
                      WndProc(m);
                      next_ = outer;
                    });
}

TleMessageWindow::~TleMessageWindow() = default;

void TleMessageWindow::WndProc(winshim::Msg& message) {
  DefaultHandler(message);
}

void TleMessageWindow::DefaultHandler(winshim::Msg& message) {
  if (next_) (*next_)(message);
}

TleMessageWindow& SharedMessageWindow() {
  if (!Shared()) Shared() = std::make_unique<TleMessageWindow>();
  return *Shared();
}

bool SharedMessageWindowExists() {
  return Shared() != nullptr;
}

void FreeSharedMessageWindow() {
  Shared().reset();
}

}  // namespace kelmo::le
