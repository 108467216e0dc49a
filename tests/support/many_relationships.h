// The parts of a workbook whose workbook part has `count` relationships (the
// sheet and external links), without styles or shared strings, so that
// opening and saving it each add a relationship under a new id. Shared by the
// workbook tests and the workbook benchmark.
#pragma once

#include <string>

#include "workbook/workbook.h"

inline kelmo::workbook::PackageParts ManyRelationshipsParts(int count) {
  kelmo::workbook::PackageParts parts = kelmo::workbook::Workbook::Create()->ToParts();
  parts.erase("xl/styles.xml");
  std::string rels =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
  for (int i = 2; i <= count; ++i)
    rels += "<Relationship Id=\"rId" + std::to_string(i) +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "hyperlink\" Target=\"http://example.com/" +
            std::to_string(i) + "\" TargetMode=\"External\"/>";
  parts["xl/_rels/workbook.xml.rels"] = rels + "</Relationships>";
  return parts;
}
