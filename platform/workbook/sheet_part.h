// The worksheet part of an .xlsx package: reading the sheet data and merges of
// a sheet's XML into a Worksheet, and writing them back into the kept XML.
// Cost: linear in the sheet's cells both ways; the written sheet data is built
// as one text (about 40 bytes a cell).
#pragma once

#include <string>
#include <vector>

#include "worksheet.h"

namespace kelmo::workbook {

// Takes the sheet data, merges and dimension out of the part's document
// (which the sheet keeps) into the sheet; texts of shared-string cells come
// from `sharedStrings` (indexes into the workbook's pool).
void ReadSheetPart(Worksheet& sheet, XmlDocPtr doc, const std::vector<uint32_t>& sharedStrings,
                   const std::string& file, const std::string& part);

// The part's XML with the sheet's cells; `sstIndex` maps a pool index to its
// shared-string index.
std::string WriteSheetPart(Worksheet& sheet, const std::vector<int32_t>& sstIndex);

// The XML of a new, empty sheet part.
std::string NewSheetPartXml();

}  // namespace kelmo::workbook
