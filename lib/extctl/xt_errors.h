// Exceptions the extension controls raise, each carrying the user-facing text.
//
// Controls raise them from their public operations. Inside Qt event handlers
// (focus leaving an edit, a key) an exception must not cross the event loop,
// so the control catches it there, puts the focus back and emits its
// ErrorRaised(message) signal instead.
#pragma once

#include <QString>
#include <stdexcept>

class EXtError : public std::runtime_error {
 public:
  explicit EXtError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// A value outside a spin edit's limits.
class ERangeError : public EXtError {
 public:
  using EXtError::EXtError;
};

// Text that does not convert ("'%s' is not a valid date").
class EConvertError : public EXtError {
 public:
  using EXtError::EXtError;
};

// A date outside a date edit's limits, or conflicting limits.
class EGeneralError : public EXtError {
 public:
  using EXtError::EXtError;
};
