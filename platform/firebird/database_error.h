// The error every database operation of the program raises: it carries the
// driver's or the program's message as the user should read it.
#pragma once

#include <QString>
#include <stdexcept>

namespace kelmo {

class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

}  // namespace kelmo
