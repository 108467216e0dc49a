// Legacy .xls workbooks: every sheet's values (texts, numbers; dates and
// times as their ISO text), no formats or merges, read by libfreexl in a
// child process (xls_child.h) and taken from its answer (xls_stream.h).
#include "workbook.h"
#include "xls_child.h"
#include "xls_stream.h"

namespace kelmo::workbook {

void Workbook::LoadXls(const std::string& path) {
  const std::string answer = RunXlsReader(XlsReaderProgram(), path);
  Load(NewWorkbookParts(), path);
  ReadXlsStream(answer, path, *this);
}

}  // namespace kelmo::workbook
