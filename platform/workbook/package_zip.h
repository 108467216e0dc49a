// The zip container of an .xlsx package, over lib/zip: all parts into memory,
// and all parts out to a new file.
// Errors: WorkbookError "<path>: файл не является книгой Excel" for a file the
// zip library cannot read, "Не удалось сохранить книгу <path>: <reason>".
// Cost: reading holds every part in memory; writing deflates each part once,
// at the fastest level.
#pragma once

#include <map>
#include <string>

namespace kelmo::workbook {

std::map<std::string, std::string> ReadZipParts(const std::string& path);
// Takes the parts over and frees each once the zip writer holds its bytes.
void WriteZipParts(const std::string& path, std::map<std::string, std::string> parts);

}  // namespace kelmo::workbook
