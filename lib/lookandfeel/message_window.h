// The library's hidden message window: a window that is never shown and
// hands every message sent or posted to it to its window procedure. The
// base procedure gives each message the default handling (answer 0). One
// shared instance serves the whole library.
#pragma once

#include <memory>

#include "winshim/window.h"

class QWidget;

namespace kelmo::le {

class TleMessageWindow {
 public:
  TleMessageWindow();
  virtual ~TleMessageWindow();
  TleMessageWindow(const TleMessageWindow&) = delete;
  TleMessageWindow& operator=(const TleMessageWindow&) = delete;

  // The hidden window (released with this object, which drops any messages
  // still posted to it).
  winshim::HWND Handle() const { return handle_; }

 protected:
  // The window procedure; the base gives every message the default handling.
  virtual void WndProc(winshim::Msg& message);
  // The default handling, for procedures that pass a message on.
  void DefaultHandler(winshim::Msg& message);

 private:
  std::unique_ptr<QWidget> window_;
  winshim::HWND handle_ = 0;
  const winshim::NextHandler* next_ = nullptr;  // while a message is handled
};

// The shared instance, created when first asked.
TleMessageWindow& SharedMessageWindow();
bool SharedMessageWindowExists();
// Frees the shared instance when it was made (the controls module's close-down).
void FreeSharedMessageWindow();

}  // namespace kelmo::le
