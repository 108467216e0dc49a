// A workbook: its sheets, its texts and its formats, read from and written to
// an .xlsx package, or read from a legacy .xls file.
//
// Reading: Open takes an .xlsx (a zip package; by content, whatever the
// extension) or an .xls (an OLE2 compound file, read through libfreexl in a
// child process under limits: values only, no formats; such a workbook can be
// saved as .xlsx). Every part
// of an .xlsx that the layer does not model (themes, column widths, page
// set-up, printer settings, pictures) is kept and written back unchanged.
// Errors: WorkbookError naming the file: "Файл не найден: <path>", "<path>:
// файл не является книгой Excel", "<path>: отсутствует часть <part>", "<path>:
// повреждена часть <part>", "<path>: книга .xls не читается (<reason>)".
//
// Writing: SaveAs writes an .xlsx package (whatever the extension of the
// name), replacing a file of that name; WorkbookError "Не удалось сохранить
// книгу <path>: <reason>" when it cannot.
//
// Cost: a workbook lives in memory (24 bytes a cell plus each distinct text
// once); Open reads the package into memory and streams each sheet's cells
// (no tree of them is built); SaveAs writes every sheet in one pass, streamed
// into the package a batch of rows at a time.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cell_styles.h"
#include "package_zip.h"
#include "string_pool.h"
#include "worksheet.h"
#include "xml_part.h"

namespace kelmo::workbook {

using PackageParts = std::map<std::string, std::string>;

// The parts of a new workbook with one empty sheet "Лист1".
PackageParts NewWorkbookParts();

class Workbook {
 public:
  static std::unique_ptr<Workbook> Open(const std::string& path);
  // A new workbook with one empty sheet "Лист1".
  static std::unique_ptr<Workbook> Create();
  // From the parts of an .xlsx package (name -> bytes); `label` names it in errors.
  static std::unique_ptr<Workbook> FromParts(PackageParts parts, const std::string& label);

  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;
  ~Workbook();

  // The file it was opened from or last saved as; empty for a new one.
  const std::string& Path() const { return path_; }

  size_t SheetCount() const { return sheets_.size(); }
  Worksheet& Sheet(size_t index);
  // WorkbookError "Нет листа <name> в книге <path>" when missing.
  Worksheet& Sheet(const std::string& name);
  Worksheet* FindSheet(const std::string& name);
  Worksheet& ActiveSheet() { return Sheet(active_); }
  void SetActiveSheet(size_t index);
  // Adds an empty sheet at the end.
  Worksheet& AddSheet(const std::string& name);
  void RenameSheet(size_t index, const std::string& name);

  // A defined name's reference ("Лист1!$A$8:$S$13"), when the workbook has it.
  std::optional<std::string> DefinedName(const std::string& name) const;
  // A range given by a defined name or by an address ("A8:S13",
  // "Лист1!A8:S13"); an address without a sheet lies on `current`.
  std::pair<Worksheet*, CellRange> ResolveRange(const std::string& nameOrAddress,
                                                Worksheet& current);

  CellStyles& Styles() { return styles_; }
  StringPool& Strings() { return strings_; }

  void SaveAs(const std::string& path);
  PackageParts ToParts();

 private:
  Workbook() = default;
  void Load(PackageParts parts, const std::string& label);
  void LoadXls(const std::string& path);
  // The package's parts in name order, the sheets produced while written.
  std::vector<PackageEntry> Entries();
  struct SheetEntry {
    std::unique_ptr<Worksheet> sheet;
    std::string part;  // package part name, e.g. xl/worksheets/sheet1.xml
  };

  std::string path_;
  PackageParts parts_;
  StringPool strings_;
  CellStyles styles_;
  std::vector<SheetEntry> sheets_;
  size_t active_ = 0;
  std::map<std::string, std::string> definedNames_;
  std::string workbookPart_ = "xl/workbook.xml";
  std::string stylesPart_;
  std::string stringsPart_;
  XmlDocPtr stylesDoc_;
  XmlDocPtr workbookDoc_;
  XmlDocPtr workbookRelsDoc_;
  XmlDocPtr typesDoc_;
};

}  // namespace kelmo::workbook
