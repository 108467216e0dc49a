// Worksheet parts of .xlsx packages (see sheet_part.h).
#include "sheet_part.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>

#include "number_text.h"
#include "workbook_error.h"
#include "xml_stream.h"

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

// Element names with the prefix that the part's root element uses for the
// spreadsheet namespace ("" when it is the default namespace).
struct Tags {
  explicit Tags(const std::string& p)
      : c("<" + p + "c r=\""),
        cEnd("</" + p + "c>"),
        f("<" + p + "f>"),
        fEnd("</" + p + "f>"),
        v("<" + p + "v>"),
        vEnd("</" + p + "v>"),
        prefix(p) {}
  std::string c, cEnd, f, fEnd, v, vEnd, prefix;
};

void AppendCell(std::string& out, const Tags& tags, std::string_view column, int row,
                const Worksheet::Cell& c, const StringPool& strings,
                const std::vector<int32_t>& sstIndex) {
  out += tags.c;
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
    out += tags.f;
    AppendEscaped(out, strings.At(c.formula - 1));
    out += tags.fEnd;
  }
  switch (c.type) {
    case CellType::Number:
    case CellType::Boolean: {
      char buf[32];
      auto res = std::to_chars(buf, buf + sizeof buf, c.number);
      out += tags.v;
      out.append(buf, res.ptr);
      out += tags.vEnd;
      break;
    }
    case CellType::Text:
      out += tags.v;
      if (c.formula) {
        AppendEscaped(out, strings.At(c.text));
      } else {
        r = std::to_chars(num, num + sizeof num, sstIndex[c.text]);
        out.append(num, r.ptr);
      }
      out += tags.vEnd;
      break;
    case CellType::Error:
      out += tags.v;
      AppendEscaped(out, strings.At(c.text));
      out += tags.vEnd;
      break;
    default:
      break;
  }
  out += tags.cEnd;
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

namespace {

// Where the sheet data element lies in a part's text.
struct SheetDataSpan {
  size_t start = 0, end = 0;                // the whole element
  size_t contentStart = 0, contentEnd = 0;  // its children
  std::string qname;
};

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

// The end of a start tag: its '>' outside quoted attribute values.
size_t TagEnd(const std::string& text, size_t from) {
  char quote = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return std::string::npos;
}

std::optional<SheetDataSpan> FindSheetData(const std::string& text) {
  for (size_t pos = text.find("sheetData"); pos != std::string::npos;
       pos = text.find("sheetData", pos + 9)) {
    size_t k = pos;
    if (k > 0 && text[k - 1] == ':') {
      --k;
      while (k > 0 && IsNameChar(text[k - 1])) --k;
    }
    if (k == 0 || text[k - 1] != '<') continue;
    const size_t after = pos + 9;
    if (after >= text.size() || !(std::isspace(static_cast<unsigned char>(text[after])) ||
                                  text[after] == '/' || text[after] == '>'))
      continue;
    SheetDataSpan span;
    span.start = k - 1;
    span.qname = text.substr(k, after - k);
    const size_t gt = TagEnd(text, after);
    if (gt == std::string::npos) return std::nullopt;
    if (text[gt - 1] == '/') {
      span.contentStart = span.contentEnd = gt + 1;
      span.end = gt + 1;
      return span;
    }
    span.contentStart = gt + 1;
    const size_t close = text.find("</" + span.qname, span.contentStart);
    if (close == std::string::npos) return std::nullopt;
    const size_t closeEnd = text.find('>', close);
    if (closeEnd == std::string::npos) return std::nullopt;
    span.contentEnd = close;
    span.end = closeEnd + 1;
    return span;
  }
  return std::nullopt;
}

// The namespace declarations of the part's root element, for the wrapper
// that the sheet data is streamed in.
std::string RootNamespaces(const std::string& text) {
  size_t lt = 0;
  while ((lt = text.find('<', lt)) != std::string::npos) {
    if (lt + 1 < text.size() && (text[lt + 1] == '?' || text[lt + 1] == '!')) {
      ++lt;
      continue;
    }
    break;
  }
  if (lt == std::string::npos) return {};
  const size_t gt = TagEnd(text, lt);
  if (gt == std::string::npos) return {};
  const std::string tag = text.substr(lt, gt - lt);
  std::string out;
  for (size_t pos = tag.find("xmlns"); pos != std::string::npos; pos = tag.find("xmlns", pos + 5)) {
    if (pos == 0 || !std::isspace(static_cast<unsigned char>(tag[pos - 1]))) continue;
    const size_t eq = tag.find('=', pos);
    if (eq == std::string::npos) break;
    size_t q = eq + 1;
    while (q < tag.size() && std::isspace(static_cast<unsigned char>(tag[q]))) ++q;
    if (q >= tag.size() || (tag[q] != '"' && tag[q] != '\'')) continue;
    const size_t qe = tag.find(tag[q], q + 1);
    if (qe == std::string::npos) break;
    out += ' ' + tag.substr(pos, qe + 1 - pos);
  }
  return out;
}

// Style indexes that a part may give a cell or a row; the style table itself
// is far smaller, but an index is copied as read.
constexpr uint32_t kMaxStyleIndex = 65535;

template <typename T>
T Required(const std::optional<T>& value, const std::string& where) {
  if (!value) throw WorkbookError(where);
  return *value;
}

// One cell being read: its attributes and the texts of its children.
struct CellReading {
  std::string ref, style, type, value, formula, inlineText;
  bool hasValue = false;
};

void FinishCell(Worksheet& sheet, Worksheet::Row& row, int& column, const CellReading& c,
                const std::vector<uint32_t>& sharedStrings, const std::string& where) {
  column = c.ref.empty() ? column + 1 : ParseCell(c.ref).column;
  if (column < 1 || column > kMaxColumns) throw WorkbookError(where);
  Worksheet::Cell cell;
  cell.column = static_cast<uint32_t>(column);
  cell.style = c.style.empty() ? 0 : Required(ReadIndex(c.style, kMaxStyleIndex), where);
  // A shared formula's followers carry no text; they keep their value only.
  if (!c.formula.empty()) cell.formula = sheet.Strings().Intern(c.formula) + 1;
  const std::string& t = c.type;
  if (t == "s") {
    if (c.hasValue) {
      const uint32_t k = Required(ReadIndex(c.value, UINT32_MAX), where);
      if (k >= sharedStrings.size()) throw WorkbookError(where);
      cell.type = CellType::Text;
      cell.text = sharedStrings[k];
    }
  } else if (t == "inlineStr") {
    if (!c.inlineText.empty()) {
      cell.type = CellType::Text;
      cell.text = sheet.Strings().Intern(c.inlineText);
    }
  } else if (t == "str" || t == "e" || t == "d") {
    if (c.hasValue) {
      cell.type = t == "e" ? CellType::Error : CellType::Text;
      cell.text = sheet.Strings().Intern(c.value);
    }
  } else if (t == "b") {
    if (c.hasValue) {
      cell.type = CellType::Boolean;
      cell.number = Truthy(c.value) ? 1 : 0;
    }
  } else if (c.hasValue && !c.value.empty()) {
    // An empty value (a formula not yet computed) reads as an empty cell.
    cell.type = CellType::Number;
    cell.number = Required(ReadFinite(c.value), where);
  }
  if (!row.cells.empty() && row.cells.back().column >= cell.column) throw WorkbookError(where);
  row.cells.push_back(cell);
}

void StreamSheetData(Worksheet& sheet, std::string_view content, const std::string& namespaces,
                     const std::vector<uint32_t>& sharedStrings, const std::string& where) {
  const std::string open = "<kelmoRows" + namespaces + ">";
  const std::string close = "</kelmoRows>";
  PieceSource source({open, content, close});
  XmlReaderPtr reader = source.Open("sheetData");
  if (!reader) throw WorkbookError(where);
  xmlTextReader* r = reader.get();
  auto& rows = sheet.MutableRows();
  int rowNumber = 0, column = 0;
  Worksheet::Row* row = nullptr;
  CellReading cell;
  bool inCell = false, inInline = false;
  std::string* capture = nullptr;
  int skipDepth = -1;
  int rc;
  while ((rc = xmlTextReaderRead(r)) == 1) {
    const int type = xmlTextReaderNodeType(r);
    if (skipDepth >= 0) {
      if (type == XML_READER_TYPE_END_ELEMENT && xmlTextReaderDepth(r) == skipDepth) skipDepth = -1;
      continue;
    }
    if (type == XML_READER_TYPE_ELEMENT) {
      const std::string_view name = ReaderLocalName(r);
      const bool empty = xmlTextReaderIsEmptyElement(r);
      if (name == "row") {
        const std::string rn = ReaderAttr(r, "r");
        const int next =
            rn.empty() ? rowNumber + 1 : static_cast<int>(Required(ReadIndex(rn, kMaxRows), where));
        if (next <= rowNumber || next > kMaxRows) throw WorkbookError(where);
        rowNumber = next;
        if (rowNumber > static_cast<int>(rows.size())) rows.resize(rowNumber);
        row = &rows[rowNumber - 1];
        const std::string ht = ReaderAttr(r, "ht");
        if (!ht.empty()) {
          row->height = Required(ReadFinite(ht), where);
          if (row->height < 0) throw WorkbookError(where);
        }
        row->customHeight = Truthy(ReaderAttr(r, "customHeight"));
        row->hidden = Truthy(ReaderAttr(r, "hidden"));
        row->customFormat = Truthy(ReaderAttr(r, "customFormat"));
        const std::string rowStyle = ReaderAttr(r, "s");
        if (row->customFormat && !rowStyle.empty())
          row->style = Required(ReadIndex(rowStyle, kMaxStyleIndex), where);
        column = 0;
      } else if (name == "c" && row) {
        cell = CellReading();
        cell.ref = ReaderAttr(r, "r");
        cell.style = ReaderAttr(r, "s");
        cell.type = ReaderAttr(r, "t");
        inCell = true;
        if (empty) {
          FinishCell(sheet, *row, column, cell, sharedStrings, where);
          inCell = false;
        }
      } else if (inCell && name == "v") {
        cell.hasValue = true;
        capture = empty ? nullptr : &cell.value;
      } else if (inCell && name == "f") {
        capture = empty ? nullptr : &cell.formula;
      } else if (inCell && name == "is") {
        inInline = !empty;
      } else if (inInline && name == "rPh" && !empty) {
        skipDepth = xmlTextReaderDepth(r);
      } else if (inInline && name == "t") {
        capture = empty ? nullptr : &cell.inlineText;
      }
    } else if (type == XML_READER_TYPE_END_ELEMENT) {
      const std::string_view name = ReaderLocalName(r);
      if (name == "v" || name == "f" || name == "t") {
        capture = nullptr;
      } else if (name == "is") {
        inInline = false;
      } else if (name == "c" && inCell && row) {
        FinishCell(sheet, *row, column, cell, sharedStrings, where);
        inCell = false;
      } else if (name == "row") {
        row = nullptr;
      }
    } else if (capture && (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                           type == XML_READER_TYPE_WHITESPACE ||
                           type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE)) {
      const xmlChar* v = xmlTextReaderConstValue(r);
      if (v) *capture += reinterpret_cast<const char*>(v);
    }
  }
  if (rc != 0) throw WorkbookError(where);
}

}  // namespace

void ReadSheetPart(Worksheet& sheet, const std::string& bytes,
                   const std::vector<uint32_t>& sharedStrings, const std::string& file,
                   const std::string& part) {
  const std::string where = file + ": повреждена часть " + part;
  const std::optional<SheetDataSpan> span = FindSheetData(bytes);
  if (!span) throw WorkbookError(where);
  // The tree keeps everything but the cells, which are streamed.
  std::string rest;
  rest.reserve(bytes.size() - (span->end - span->start) + span->qname.size() + 3);
  rest.append(bytes, 0, span->start);
  rest += "<" + span->qname + "/>";
  rest.append(bytes, span->end, std::string::npos);
  XmlDocPtr doc = ParseXmlPart(rest, file, part);
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (LocalName(root) != "worksheet") throw WorkbookError(where);
  // One sheet data, the one taken out for streaming: a second would be
  // written back beside the cells.
  const std::vector<xmlNode*> datas = Children(root, "sheetData");
  if (datas.size() != 1 || datas.front()->children) throw WorkbookError(where);
  xmlNode* data = datas.front();
  try {
    StreamSheetData(
        sheet,
        std::string_view(bytes).substr(span->contentStart, span->contentEnd - span->contentStart),
        RootNamespaces(bytes), sharedStrings, where);
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

PartProducer SheetPartProducer(Worksheet& sheet,
                               std::shared_ptr<const std::vector<int32_t>> sstIndex) {
  ApplySelection(sheet);
  auto tags = std::make_shared<const Tags>(RootPrefix(sheet.Part()));
  const std::string& p = tags->prefix;
  // The part around the cells, whole: the sheet data's place in it is
  // where the mark's writer is called.
  std::map<std::string, std::string> texts;
  const auto merges = sheet.Merges();
  if (!merges.empty()) {
    std::string m = "<" + p + "mergeCells count=\"" + std::to_string(merges.size()) + "\">";
    for (const auto& r : merges) m += "<" + p + "mergeCell ref=\"" + FormatRange(r) + "\"/>";
    m += "</" + p + "mergeCells>";
    texts["mergeCells"] = std::move(m);
  }
  const int lastRow = sheet.LastRow(), lastColumn = sheet.LastColumn();
  texts["dimension"] =
      "<" + p + "dimension ref=\"" +
      (lastRow > 0 && lastColumn > 0 ? FormatRange(MakeRange(1, 1, lastRow, lastColumn))
                                     : std::string("A1")) +
      "\"/>";
  std::map<std::string, MarkWriter> writers;
  size_t dataAt = std::string::npos;
  writers["sheetData"] = [&dataAt](std::string& out) { dataAt = out.size(); };
  for (auto& [name, text] : texts)
    writers[name] = [&text = text](std::string& out) { out += text; };
  std::string around = DumpWithWriters(sheet.Part(), writers, 0);
  if (dataAt == std::string::npos) dataAt = around.size();

  // Then the rows, a batch of them to a piece.
  constexpr size_t kPieceBytes = 256 * 1024;
  struct State {
    std::string around;
    size_t dataAt;
    size_t nextRow = 0;  // index into the rows; 0 before the head is out
    bool headDone = false;
    std::vector<std::string> columnNames;
  };
  auto state = std::make_shared<State>();
  state->around = std::move(around);
  state->dataAt = dataAt;
  state->columnNames.resize(64);
  for (size_t k = 1; k < state->columnNames.size(); ++k)
    state->columnNames[k] = ColumnName(static_cast<int>(k));
  return [&sheet, sstIndex, tags, state](std::string& data) {
    State& st = *state;
    const Tags& t = *tags;
    if (!st.headDone) {
      data.append(st.around, 0, st.dataAt);
      data += "<" + t.prefix + "sheetData>";
      st.headDone = true;
    }
    const auto& rows = sheet.Rows();
    std::string far;
    while (st.nextRow < rows.size() && data.size() < kPieceBytes) {
      const auto& row = rows[st.nextRow++];
      const int rowNumber = static_cast<int>(st.nextRow);
      if (row.cells.empty() && row.height == 0 && !row.hidden && !row.customFormat) continue;
      data += "<" + t.prefix + "row r=\"" + std::to_string(rowNumber) + "\"";
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
        std::string_view col;
        if (c.column < st.columnNames.size()) {
          col = st.columnNames[c.column];
        } else {
          far = ColumnName(static_cast<int>(c.column));
          col = far;
        }
        AppendCell(data, t, col, rowNumber, c, sheet.Strings(), *sstIndex);
      }
      data += "</" + t.prefix + "row>";
    }
    if (st.nextRow < rows.size()) return true;
    data += "</" + t.prefix + "sheetData>";
    data.append(st.around, st.dataAt, std::string::npos);
    std::string().swap(st.around);
    return false;
  };
}

std::string NewSheetPartXml() {
  return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         R"(<dimension ref="A1"/><sheetViews><sheetView workbookViewId="0"/></sheetViews>)"
         R"(<sheetFormatPr defaultRowHeight="15"/><sheetData/>)"
         R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)";
}

}  // namespace kelmo::workbook
