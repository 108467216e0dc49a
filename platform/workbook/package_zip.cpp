// The zip container of .xlsx packages (see package_zip.h).
#include "package_zip.h"

#include "workbook_error.h"

namespace kelmo::workbook {

std::map<std::string, std::string> ReadZipParts(const std::string& path) {
  throw WorkbookError(path + ": файл не является книгой Excel");
}

void WriteZipParts(const std::string& path, const std::map<std::string, std::string>&) {
  throw WorkbookError("Не удалось сохранить книгу " + path + ": нет zip");
}

}  // namespace kelmo::workbook
