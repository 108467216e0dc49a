// CombinedReportStop: a message that ends the combined report's click before
// the reception run (combined_report.h): shown in a message box with the
// error icon, its caption and its text.
#pragma once

#include <QString>
#include <stdexcept>

namespace kelmo {

class CombinedReportStop : public std::runtime_error {
 public:
  CombinedReportStop(QString caption, QString text)
      : std::runtime_error(text.toStdString()),
        Caption(std::move(caption)),
        Text(std::move(text)) {}
  QString Caption;
  QString Text;
};

}  // namespace kelmo
