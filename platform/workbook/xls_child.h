// Legacy .xls files are read by libfreexl in a child process (the program
// kelmo-xls-reader beside the running program), so that a damaged file which
// leads the library astray (it reads out of bounds on some damaged files)
// costs that process only. The child runs under limits of memory, processor
// time and wall time, writes no files, and its answer (see xls_stream.h) is
// read under a limit of size.
// Errors: WorkbookError "<path>: книга .xls не читается (<reason>)" when the
// child cannot be started, fails, is stopped by a limit or answers too much.
// Cost: one process start (a few milliseconds) plus libfreexl's own reading.
#pragma once

#include <cstddef>
#include <string>

namespace kelmo::workbook {

struct XlsChildLimits {
  size_t memoryBytes = size_t{1} << 30;  // address space of the child
  int cpuSeconds = 30;
  int wallSeconds = 60;
  size_t answerBytes = size_t{512} << 20;
};

// The reader program: $KELMO_XLS_READER when set, else kelmo-xls-reader in
// the folder of the running program.
std::string XlsReaderProgram();

// Runs `program` on the file and answers what it wrote to its output.
std::string RunXlsReader(const std::string& program, const std::string& path,
                         const XlsChildLimits& limits = {});

}  // namespace kelmo::workbook
