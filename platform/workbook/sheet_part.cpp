// Worksheet parts of .xlsx packages (see sheet_part.h).
#include "sheet_part.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <set>

#include "workbook_error.h"

namespace kelmo::workbook {

namespace {

// Elements that the schema puts between the sheet data and the merges.
const std::set<std::string_view> kBeforeMerges = {
    "sheetData",  "sheetCalcPr", "sheetProtection", "protectedRanges", "scenarios",
    "autoFilter", "sortState",   "dataConsolidate", "customSheetViews"};

std::string Num(double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool Truthy(const std::string& v) {
  return v == "1" || v == "true";
}

void ReadRow(Worksheet& sheet, xmlNode* rowNode, int rowNumber,
             const std::vector<uint32_t>& sharedStrings, const std::string& where) {
  auto& rows = sheet.MutableRows();
  if (rowNumber > static_cast<int>(rows.size())) rows.resize(rowNumber);
  Worksheet::Row& row = rows[rowNumber - 1];
  const std::string ht = Attr(rowNode, "ht");
  if (!ht.empty()) row.height = std::strtod(ht.c_str(), nullptr);
  row.customHeight = Truthy(Attr(rowNode, "customHeight"));
  row.hidden = Truthy(Attr(rowNode, "hidden"));
  row.customFormat = Truthy(Attr(rowNode, "customFormat"));
  if (row.customFormat)
    row.style = static_cast<uint32_t>(std::strtoul(Attr(rowNode, "s").c_str(), nullptr, 10));
  int column = 0;
  for (xmlNode* c = rowNode->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE || LocalName(c) != "c") continue;
    const std::string ref = Attr(c, "r");
    if (!ref.empty()) {
      const CellRef cell = ParseCell(ref);
      column = cell.column;
    } else {
      ++column;
    }
    if (column < 1 || column > kMaxColumns) throw WorkbookError(where);
    Worksheet::Cell cell;
    cell.column = static_cast<uint32_t>(column);
    cell.style = static_cast<uint32_t>(std::strtoul(Attr(c, "s").c_str(), nullptr, 10));
    const std::string t = Attr(c, "t");
    xmlNode* v = FirstChild(c, "v");
    xmlNode* f = FirstChild(c, "f");
    if (f) {
      const std::string formula = Text(f);
      // A shared formula's followers carry no text; they keep their value only.
      if (!formula.empty()) cell.formula = sheet.Strings().Intern(formula) + 1;
    }
    if (t == "s") {
      if (v) {
        const unsigned long k = std::strtoul(Text(v).c_str(), nullptr, 10);
        if (k >= sharedStrings.size()) throw WorkbookError(where);
        cell.type = CellType::Text;
        cell.text = sharedStrings[k];
      }
    } else if (t == "inlineStr") {
      std::string s;
      if (xmlNode* is = FirstChild(c, "is")) {
        for (xmlNode* k = is->children; k; k = k->next) {
          if (LocalName(k) == "t") s += Text(k);
          if (LocalName(k) == "r") s += Text(FirstChild(k, "t"));
        }
      }
      cell.type = s.empty() ? CellType::Empty : CellType::Text;
      if (!s.empty()) cell.text = sheet.Strings().Intern(s);
    } else if (t == "str" || t == "e" || t == "d") {
      if (v) {
        cell.type = t == "e" ? CellType::Error : CellType::Text;
        cell.text = sheet.Strings().Intern(Text(v));
      }
    } else if (t == "b") {
      if (v) {
        cell.type = CellType::Boolean;
        cell.number = Truthy(Text(v)) ? 1 : 0;
      }
    } else if (v && !Text(v).empty()) {
      // An empty value (a formula not yet computed) reads as an empty cell.
      const std::string s = Text(v);
      char* end = nullptr;
      const double number = std::strtod(s.c_str(), &end);
      if (end != s.c_str() + s.size()) throw WorkbookError(where);
      cell.type = CellType::Number;
      cell.number = number;
    }
    auto& cells = row.cells;
    if (!cells.empty() && cells.back().column >= cell.column) throw WorkbookError(where);
    cells.push_back(cell);
  }
}

void AppendCell(std::string& out, std::string_view column, int row, const Worksheet::Cell& c,
                const StringPool& strings, const std::vector<int32_t>& sstIndex) {
  out += "<c r=\"";
  out += column;
  char num[16];
  auto r = std::to_chars(num, num + sizeof num, row);
  out.append(num, r.ptr);
  out += '"';
  if (c.style) {
    out += " s=\"";
    r = std::to_chars(num, num + sizeof num, c.style);
    out.append(num, r.ptr);
    out += '"';
  }
  switch (c.type) {
    case CellType::Text:
      out += c.formula ? " t=\"str\"" : " t=\"s\"";
      break;
    case CellType::Boolean:
      out += " t=\"b\"";
      break;
    case CellType::Error:
      out += " t=\"e\"";
      break;
    default:
      break;
  }
  if (!c.formula && c.type == CellType::Empty) {
    out += "/>";
    return;
  }
  out += '>';
  if (c.formula) {
    out += "<f>";
    AppendEscaped(out, strings.At(c.formula - 1));
    out += "</f>";
  }
  switch (c.type) {
    case CellType::Number:
    case CellType::Boolean: {
      char buf[32];
      auto res = std::to_chars(buf, buf + sizeof buf, c.number);
      out += "<v>";
      out.append(buf, res.ptr);
      out += "</v>";
      break;
    }
    case CellType::Text:
      out += "<v>";
      if (c.formula) {
        AppendEscaped(out, strings.At(c.text));
      } else {
        r = std::to_chars(num, num + sizeof num, sstIndex[c.text]);
        out.append(num, r.ptr);
      }
      out += "</v>";
      break;
    case CellType::Error:
      out += "<v>";
      AppendEscaped(out, strings.At(c.text));
      out += "</v>";
      break;
    default:
      break;
  }
  out += "</c>";
}

void ApplySelection(Worksheet& sheet) {
  const auto sel = sheet.Selection();
  if (!sel) return;
  xmlNode* root = xmlDocGetRootElement(sheet.Part());
  xmlNode* views = FirstChild(root, "sheetViews");
  xmlNode* view = FirstChild(views, "sheetView");
  if (!view) return;
  for (xmlNode* s : Children(view, "selection")) {
    xmlUnlinkNode(s);
    xmlFreeNode(s);
  }
  const std::string ref = FormatCell(sel->row, sel->column);
  xmlNode* s = xmlNewChild(view, view->ns, BAD_CAST "selection", nullptr);
  xmlNewProp(s, BAD_CAST "activeCell", BAD_CAST ref.c_str());
  xmlNewProp(s, BAD_CAST "sqref", BAD_CAST ref.c_str());
}

}  // namespace

void ReadSheetPart(Worksheet& sheet, XmlDocPtr doc, const std::vector<uint32_t>& sharedStrings,
                   const std::string& file, const std::string& part) {
  const std::string where = file + ": повреждена часть " + part;
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (LocalName(root) != "worksheet") throw WorkbookError(where);
  xmlNode* data = FirstChild(root, "sheetData");
  if (!data) throw WorkbookError(where);
  try {
    int rowNumber = 0;
    for (xmlNode* r = data->children; r; r = r->next) {
      if (r->type != XML_ELEMENT_NODE || LocalName(r) != "row") continue;
      const std::string rn = Attr(r, "r");
      const int next = rn.empty() ? rowNumber + 1 : std::atoi(rn.c_str());
      if (next <= rowNumber || next > kMaxRows) throw WorkbookError(where);
      rowNumber = next;
      ReadRow(sheet, r, rowNumber, sharedStrings, where);
    }
    xmlNode* merges = FirstChild(root, "mergeCells");
    if (merges) {
      for (xmlNode* m : Children(merges, "mergeCell"))
        sheet.AddMergeUnchecked(ParseRange(Attr(m, "ref")));
      ReplaceWithMark(merges, "mergeCells");
    } else {
      xmlNode* before = data->next;
      while (before && (before->type != XML_ELEMENT_NODE || kBeforeMerges.count(LocalName(before))))
        before = before->next;
      InsertMark(root, before, "mergeCells");
    }
  } catch (const WorkbookError&) {
    // A bad address inside the part is the part's damage.
    throw WorkbookError(where);
  }
  ReplaceWithMark(data, "sheetData");
  if (xmlNode* dim = FirstChild(root, "dimension")) ReplaceWithMark(dim, "dimension");
  sheet.SetPart(std::move(doc));
}

std::string WriteSheetPart(Worksheet& sheet, const std::vector<int32_t>& sstIndex) {
  ApplySelection(sheet);
  std::map<std::string, std::string> texts;
  std::vector<std::string> columnNames(64);
  for (size_t k = 1; k < columnNames.size(); ++k) columnNames[k] = ColumnName(static_cast<int>(k));

  size_t cellCount = 0;
  for (const auto& row : sheet.Rows()) cellCount += row.cells.size();
  std::map<std::string, MarkWriter> writers;
  writers["sheetData"] = [&](std::string& data) {
    data += "<sheetData>";
    int rowNumber = 0;
    for (const auto& row : sheet.Rows()) {
      ++rowNumber;
      if (row.cells.empty() && row.height == 0 && !row.hidden && !row.customFormat) continue;
      data += "<row r=\"" + std::to_string(rowNumber) + "\"";
      if (row.customFormat) data += " s=\"" + std::to_string(row.style) + "\" customFormat=\"1\"";
      if (row.height > 0) data += " ht=\"" + Num(row.height) + "\"";
      if (row.customHeight) data += " customHeight=\"1\"";
      if (row.hidden) data += " hidden=\"1\"";
      if (row.cells.empty()) {
        data += "/>";
        continue;
      }
      data += '>';
      for (const auto& c : row.cells) {
        const std::string far =
            c.column < columnNames.size() ? std::string() : ColumnName(static_cast<int>(c.column));
        const std::string_view col = c.column < columnNames.size()
                                         ? std::string_view(columnNames[c.column])
                                         : std::string_view(far);
        AppendCell(data, col, rowNumber, c, sheet.Strings(), sstIndex);
      }
      data += "</row>";
    }
    data += "</sheetData>";
  };

  const auto merges = sheet.Merges();
  if (!merges.empty()) {
    std::string m = "<mergeCells count=\"" + std::to_string(merges.size()) + "\">";
    for (const auto& r : merges) m += "<mergeCell ref=\"" + FormatRange(r) + "\"/>";
    m += "</mergeCells>";
    texts["mergeCells"] = std::move(m);
  }
  const int lastRow = sheet.LastRow(), lastColumn = sheet.LastColumn();
  texts["dimension"] =
      "<dimension ref=\"" +
      (lastRow > 0 && lastColumn > 0 ? FormatRange(MakeRange(1, 1, lastRow, lastColumn))
                                     : std::string("A1")) +
      "\"/>";
  for (auto& [name, text] : texts)
    writers[name] = [&text = text](std::string& out) { out += text; };
  return DumpWithWriters(sheet.Part(), writers, cellCount * 36 + sheet.Rows().size() * 24);
}

std::string NewSheetPartXml() {
  return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         R"(<dimension ref="A1"/><sheetViews><sheetView workbookViewId="0"/></sheetViews>)"
         R"(<sheetFormatPr defaultRowHeight="15"/><sheetData/>)"
         R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)";
}

}  // namespace kelmo::workbook
