// The worksheet part of an .xlsx package: reading the sheet data and merges of
// a sheet's XML into a Worksheet, and writing them back into the kept XML.
// Cost: linear in the sheet's cells both ways; memory for reading is the cells
// themselves; writing holds the part without its cells plus one batch of rows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "package_zip.h"
#include "worksheet.h"

namespace kelmo::workbook {

// Reads the part's text into the sheet: the cells are streamed (never held as
// a tree), the merges taken, and the rest of the part kept as a document for
// writing back. Texts of shared-string cells come from `sharedStrings`
// (indexes into the workbook's pool). WorkbookError "<file>: повреждена часть
// <part>" on malformed XML, a bad address or a bad value.
void ReadSheetPart(Worksheet& sheet, const std::string& bytes,
                   const std::vector<uint32_t>& sharedStrings, const std::string& file,
                   const std::string& part);

// The part's XML with the sheet's cells, produced a batch of rows at a time
// (the sheet must not change until the last piece is out); `sstIndex` maps a
// pool index to its shared-string index.
PartProducer SheetPartProducer(Worksheet& sheet,
                               std::shared_ptr<const std::vector<int32_t>> sstIndex);

// The XML of a new, empty sheet part.
std::string NewSheetPartXml();

}  // namespace kelmo::workbook
