// What the message loop does with an error that no handler caught: an error
// box with the error's message, titled with the application's title, and the
// program goes on.
#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace kelmo {

// The application's title: "Kelmo".
QString ApplicationTitle();

void ShowErrorBox(const QString& message);

// The message of an exception as the user should read it.
QString ErrorMessage(const std::exception& error);

// Runs an event handler; an exception leaving it is shown in the error box.
// Returns false when it raised.
template <typename Handler>
bool RunGuarded(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
    return true;
  } catch (const std::exception& error) {
    ShowErrorBox(ErrorMessage(error));
  }
  return false;
}

}  // namespace kelmo
