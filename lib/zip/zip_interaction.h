// What the zip library asks of the application: message boxes (replace a
// file? insert the next disk? an unknown method), the file and folder choice
// dialogs, and a chance to keep the window system alive inside long loops.
// The shell supplies Qt dialogs; tests supply fixed answers. Without one, a
// question is answered with its negative button (No / Cancel) and a dialog
// counts as cancelled.
#pragma once

#include <string>

namespace kelmo::zip {

// Button sets and answers of ShowMessage, with the values of the message box
// they stand for.
inline constexpr unsigned kMbOk = 0;
inline constexpr unsigned kMbOkCancel = 1;
inline constexpr unsigned kMbYesNo = 4;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Library message numbers.
inline constexpr int kMsgNextDisk = 184;
inline constexpr int kMsgExplodeMemory = 193;
inline constexpr int kMsgReplaceFile = 196;
inline constexpr int kMsgUnknownMethod = 197;
inline constexpr int kMsgShortRead = 208;

class TZipInteraction {
 public:
  virtual ~TZipInteraction() = default;
  // A modal message; returns the button pressed.
  virtual int ShowMessage(int message_id, const std::string& text, const std::string& caption,
                          unsigned buttons) = 0;
  // "Open a Zip File": false when cancelled.
  virtual bool ChooseZipFile(const std::string& title, const std::string& filter,
                             const std::string& initial_folder, std::string& chosen) {
    (void)title, (void)filter, (void)initial_folder, (void)chosen;
    return false;
  }
  // A folder (may be created in the dialog): false when cancelled.
  virtual bool ChooseFolder(const std::string& start, std::string& chosen) {
    (void)start, (void)chosen;
    return false;
  }
  // Dispatches pending window messages; true when the application is quitting.
  virtual bool ProcessPendingMessages() { return false; }
};

}  // namespace kelmo::zip
