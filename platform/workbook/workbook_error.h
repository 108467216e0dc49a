// The one error type of the workbook layer. Its text names the file (when a
// file is involved) and what is wrong with it, in the program's language.
#pragma once

#include <stdexcept>
#include <string>

namespace kelmo::workbook {

class WorkbookError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kelmo::workbook
