// The library's hidden message window: an object that receives messages
// sent or posted to it and hands each to its window procedure. The base
// procedure answers every message with the default (0). On Qt the window is
// a hidden receiver object in the application's event queue; nothing is
// shown on any screen. One shared instance serves the whole library.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

namespace kelmo::le {

// One message as the window procedure sees it; the procedure sets Result.
struct TleMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

class TleMessageWindow {
 public:
  TleMessageWindow();
  virtual ~TleMessageWindow();
  TleMessageWindow(const TleMessageWindow&) = delete;
  TleMessageWindow& operator=(const TleMessageWindow&) = delete;

  // The hidden window that receives the messages (owned; released with this
  // object, which drops any messages still posted to it).
  QObject* Handle() const { return handle_.get(); }
  // Delivers the message to the window procedure now and answers its result.
  std::intptr_t Send(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  // Queues the message; the window procedure gets it when the event loop runs.
  void Post(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

 protected:
  friend class TleMessageReceiver;
  // The window procedure: the default answer for every message.
  virtual void WndProc(TleMessage& message);

 private:
  std::unique_ptr<QObject> handle_;
};

// The shared instance, created when first asked (needs a QCoreApplication
// for posted messages).
TleMessageWindow& SharedMessageWindow();
bool SharedMessageWindowExists();
// Frees the shared instance when it was made (the controls module's close-down).
void FreeSharedMessageWindow();

}  // namespace kelmo::le
