// The hidden message window.
#include "lookandfeel/message_window.h"

#include <QCoreApplication>
#include <QEvent>

namespace kelmo::le {
namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
 public:
  explicit MessageEvent(const TleMessage& m) : QEvent(kMessageEvent), message(m) {}
  TleMessage message;
};

std::unique_ptr<TleMessageWindow>& Shared() {
  static std::unique_ptr<TleMessageWindow> window;
  return window;
}

}  // namespace

// The receiving object: hands each message event to its window's procedure.
class TleMessageReceiver : public QObject {
 public:
  explicit TleMessageReceiver(TleMessageWindow& window) : window_(window) {
    setObjectName("TleMessageWindow");
  }
  bool event(QEvent* e) override {
    if (e->type() != kMessageEvent) return QObject::event(e);
    window_.WndProc(static_cast<MessageEvent*>(e)->message);
    return true;
  }

 private:
  TleMessageWindow& window_;
};

TleMessageWindow::TleMessageWindow() : handle_(std::make_unique<TleMessageReceiver>(*this)) {}

TleMessageWindow::~TleMessageWindow() = default;

std::intptr_t TleMessageWindow::Send(std::uint32_t msg, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
  MessageEvent e({msg, wParam, lParam, 0});
  QCoreApplication::sendEvent(handle_.get(), &e);
  return e.message.Result;
}

void TleMessageWindow::Post(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  QCoreApplication::postEvent(handle_.get(), new MessageEvent({msg, wParam, lParam, 0}));
}

void TleMessageWindow::WndProc(TleMessage& message) {
  message.Result = 0;
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
