// Parsing, changing and writing the style tables (see cell_styles.h).
#include "cell_styles.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "number_text.h"
#include "workbook_error.h"
#include "xml_part.h"

namespace kelmo::workbook {

namespace {

std::string NumberText(double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

int IntAttr(const xmlNode* node, std::string_view name, int fallback = 0) {
  const std::string v = Attr(node, name);
  if (v.empty()) return fallback;
  try {
    return std::stoi(v);
  } catch (...) {
    return fallback;
  }
}

// <b/>, <b val="1"/>, <b val="true"/> are on; val 0 or false is off.
bool FlagElement(const xmlNode* node) {
  const std::string v = Attr(node, "val");
  return v.empty() || v == "1" || v == "true";
}

const char* HorizontalName(HorizontalAlignment h) {
  switch (h) {
    case HorizontalAlignment::Left:
      return "left";
    case HorizontalAlignment::Center:
      return "center";
    case HorizontalAlignment::Right:
      return "right";
    case HorizontalAlignment::Justify:
      return "justify";
    default:
      return "general";
  }
}

const char* VerticalName(VerticalAlignment v) {
  switch (v) {
    case VerticalAlignment::Center:
      return "center";
    case VerticalAlignment::Top:
      return "top";
    case VerticalAlignment::Justify:
      return "justify";
    default:
      return "bottom";
  }
}

// Stands for the automatic colour of lines the layer draws; written with the
// part's prefix.
const char kAutoColor[] = "\x01auto";

void AppendEdge(std::string& out, const std::string& prefix, const char* edge,
                const BorderEdge& e) {
  const std::string name = prefix + edge;
  out += '<';
  out += name;
  if (e.style.empty()) {
    out += "/>";
    return;
  }
  out += " style=\"" + e.style + "\"";
  if (e.colorXml.empty()) {
    out += "/>";
    return;
  }
  out += ">" + (e.colorXml == kAutoColor ? "<" + prefix + "color auto=\"1\"/>" : e.colorXml) +
         "</" + name + ">";
}

BorderEdge ReadEdge(xmlDoc* doc, xmlNode* node) {
  BorderEdge e;
  if (!node) return e;
  e.style = Attr(node, "style");
  if (e.style == "none") e.style.clear();
  if (xmlNode* c = FirstChild(node, "color")) e.colorXml = NodeXml(doc, c);
  return e;
}

void SetEdge(BorderEdge& e, LineStyle style) {
  if (style == LineStyle::None) {
    e = BorderEdge{};
  } else {
    // Thin, in the automatic colour.
    e.style = "thin";
    e.colorXml = kAutoColor;
  }
}

const char* ToText(std::optional<bool> v) {
  return !v ? "-" : (*v ? "1" : "0");
}

// Ids from here on are a workbook's own number formats.
constexpr int kFirstOwnNumberFormat = 164;
constexpr uint32_t kMaxNumberFormatId = 1000000;

// XML kept from one part, written into a part whose elements carry another
// namespace prefix ("x:" or none): every element's prefix is swapped.
std::string RenamePrefix(const std::string& xml, const std::string& from, const std::string& to) {
  if (from == to || xml.empty()) return xml;
  std::string out;
  out.reserve(xml.size() + 16);
  for (size_t i = 0; i < xml.size();) {
    if (xml[i] != '<') {
      out += xml[i++];
      continue;
    }
    out += '<';
    ++i;
    if (i < xml.size() && xml[i] == '/') {
      out += '/';
      ++i;
    }
    const bool element = i < xml.size() && (std::isalpha(static_cast<unsigned char>(xml[i])) ||
                                            xml[i] == '_' || xml[i] & 0x80);
    if (!element) continue;
    if (!from.empty()) {
      if (xml.compare(i, from.size(), from) != 0) continue;  // another namespace's element
      i += from.size();
    } else if (xml.find(':', i) < xml.find_first_of(" />", i)) {
      continue;  // an element of another namespace stays as it is
    }
    out += to;
  }
  return out;
}

}  // namespace

std::string Font::Key() const {
  return std::string(bold ? "b" : "") + (italic ? "i" : "") + "|" +
         (hasSize ? NumberText(size) : "") + "|" + name + "|" + rest;
}

std::string Border::Key() const {
  std::string s;
  for (const BorderEdge* e : {&left, &right, &top, &bottom, &diagonal})
    s += e->style + e->colorXml + "|";
  s += diagonalUp ? "u" : "";
  s += diagonalDown ? "d" : "";
  return s + "|" + rest;
}

std::string CellFormat::Key() const {
  std::string s = std::to_string(numFmtId) + "," + std::to_string(fontId) + "," +
                  std::to_string(fillId) + "," + std::to_string(borderId) + "," +
                  (xfId ? std::to_string(*xfId) : "-") + "|";
  for (const auto& [k, v] : attributes) s += k + "=" + v + ";";
  s += hasAlignment ? "|a:" : "|";
  for (const auto& [k, v] : alignment) s += k + "=" + v + ";";
  return s + "|" + tail;
}

std::string CellFormat::AlignmentAttr(const std::string& name) const {
  for (const auto& [k, v] : alignment)
    if (k == name) return v;
  return {};
}

void CellFormat::SetAlignmentAttr(const std::string& name, const std::string& value) {
  hasAlignment = true;
  for (auto& [k, v] : alignment)
    if (k == name) {
      v = value;
      return;
    }
  alignment.emplace_back(name, value);
}

void CellFormat::SetAttribute(const std::string& name, const std::string& value) {
  for (auto& [k, v] : attributes)
    if (k == name) {
      v = value;
      return;
    }
  attributes.emplace_back(name, value);
}

std::string FontChange::Key() const {
  return std::string("f") + ToText(bold) + ToText(italic) + (size ? NumberText(*size) : "-") + "|" +
         (name ? *name : "\x01");
}

std::string AlignmentChange::Key() const {
  return std::string("a") + (horizontal ? HorizontalName(*horizontal) : "-") + "|" +
         (vertical ? VerticalName(*vertical) : "-") + ToText(wrap);
}

std::string BorderChange::Key() const {
  std::string s = "b";
  for (const auto* e : {&left, &right, &top, &bottom})
    s += !*e ? '-' : (**e == LineStyle::Thin ? 't' : 'n');
  return s + ToText(diagonalUp) + ToText(diagonalDown);
}

void CellStyles::Load(xmlDoc* doc) {
  xmlNode* root = xmlDocGetRootElement(doc);
  xmlNode* fonts = FirstChild(root, "fonts");
  xmlNode* fills = FirstChild(root, "fills");
  xmlNode* borders = FirstChild(root, "borders");
  xmlNode* cellXfs = FirstChild(root, "cellXfs");
  if (!fonts || !borders || !cellXfs || !fills)
    throw WorkbookError("styles.xml: нет таблиц шрифтов, рамок или форматов ячеек");
  prefix_ = RootPrefix(doc);
  xmlNode* numFmts = FirstChild(root, "numFmts");
  // A format whose id does not read cannot be referred to; it is dropped.
  for (xmlNode* n : Children(numFmts, "numFmt"))
    if (const auto id = ReadIndex(Attr(n, "numFmtId"), kMaxNumberFormatId))
      numberFormats_[static_cast<int>(*id)] = Attr(n, "formatCode");
  for (xmlNode* f : Children(fills, "fill")) {
    fillIndex_.emplace(NodeXml(doc, f), static_cast<int>(fills_.size()));
    fills_.push_back(NodeXml(doc, f));
  }
  for (xmlNode* f : Children(fonts, "font")) {
    Font font;
    font.hasSize = false;
    for (xmlNode* c : ElementChildren(f)) {
      const std::string_view n = LocalName(c);
      if (n == "b")
        font.bold = FlagElement(c);
      else if (n == "i")
        font.italic = FlagElement(c);
      else if (n == "sz") {
        font.hasSize = true;
        const std::optional<double> size = ReadFinite(Attr(c, "val"));
        if (!size || *size < 0) throw WorkbookError("styles.xml: неверный размер шрифта");
        font.size = *size;
      } else if (n == "name")
        font.name = Attr(c, "val");
      else
        font.rest += NodeXml(doc, c);
    }
    fontIndex_.emplace(font.Key(), static_cast<int>(fonts_.size()));
    fonts_.push_back(std::move(font));
  }
  for (xmlNode* b : Children(borders, "border")) {
    Border border;
    border.left = ReadEdge(doc, FirstChild(b, "left"));
    border.right = ReadEdge(doc, FirstChild(b, "right"));
    border.top = ReadEdge(doc, FirstChild(b, "top"));
    border.bottom = ReadEdge(doc, FirstChild(b, "bottom"));
    border.diagonal = ReadEdge(doc, FirstChild(b, "diagonal"));
    const std::string up = Attr(b, "diagonalUp"), down = Attr(b, "diagonalDown");
    border.diagonalUp = up == "1" || up == "true";
    border.diagonalDown = down == "1" || down == "true";
    for (xmlNode* c : ElementChildren(b)) {
      const std::string_view n = LocalName(c);
      if (n == "vertical" || n == "horizontal") border.rest += NodeXml(doc, c);
    }
    borderIndex_.emplace(border.Key(), static_cast<int>(borders_.size()));
    borders_.push_back(std::move(border));
  }
  for (xmlNode* x : Children(cellXfs, "xf")) {
    CellFormat f;
    for (xmlAttr* a = x->properties; a; a = a->next) {
      const std::string name = reinterpret_cast<const char*>(a->name);
      const std::string value = Attr(x, name);
      if (name == "numFmtId")
        f.numFmtId = IntAttr(x, name);
      else if (name == "fontId")
        f.fontId = IntAttr(x, name);
      else if (name == "fillId")
        f.fillId = IntAttr(x, name);
      else if (name == "borderId")
        f.borderId = IntAttr(x, name);
      else if (name == "xfId")
        f.xfId = IntAttr(x, name);
      else
        f.attributes.emplace_back(name, value);
    }
    for (xmlNode* c : ElementChildren(x)) {
      if (LocalName(c) == "alignment") {
        f.hasAlignment = true;
        for (xmlAttr* a = c->properties; a; a = a->next) {
          const std::string name = reinterpret_cast<const char*>(a->name);
          f.alignment.emplace_back(name, Attr(c, name));
        }
      } else {
        f.tail += NodeXml(doc, c);
      }
    }
    if (f.fontId < 0 || f.fontId >= static_cast<int>(fonts_.size())) f.fontId = 0;
    if (f.borderId < 0 || f.borderId >= static_cast<int>(borders_.size())) f.borderId = 0;
    formatIndex_.emplace(f.Key(), static_cast<uint32_t>(formats_.size()));
    formats_.push_back(std::move(f));
  }
  if (fonts_.empty() || borders_.empty() || formats_.empty())
    throw WorkbookError("styles.xml: пустые таблицы стилей");
  if (numFmts)
    ReplaceWithMark(numFmts, "numFmts");
  else
    InsertMark(root, fonts, "numFmts");
  ReplaceWithMark(fonts, "fonts");
  ReplaceWithMark(fills, "fills");
  ReplaceWithMark(borders, "borders");
  ReplaceWithMark(cellXfs, "cellXfs");
}

std::map<std::string, std::string> CellStyles::Texts(const std::string& p) const {
  std::map<std::string, std::string> texts;
  std::string s;
  if (!numberFormats_.empty()) {
    s = "<" + p + "numFmts count=\"" + std::to_string(numberFormats_.size()) + "\">";
    for (const auto& [id, code] : numberFormats_)
      s += "<" + p + "numFmt numFmtId=\"" + std::to_string(id) + "\" formatCode=\"" +
           Escaped(code) + "\"/>";
    s += "</" + p + "numFmts>";
  }
  texts["numFmts"] = std::move(s);

  s = "<" + p + "fills count=\"" + std::to_string(fills_.size()) + "\">";
  for (const std::string& f : fills_) s += f;
  s += "</" + p + "fills>";
  texts["fills"] = std::move(s);

  s = "<" + p + "fonts count=\"" + std::to_string(fonts_.size()) + "\">";
  for (const Font& f : fonts_) {
    s += "<" + p + "font>";
    if (f.bold) s += "<" + p + "b/>";
    if (f.italic) s += "<" + p + "i/>";
    if (f.hasSize) s += "<" + p + "sz val=\"" + NumberText(f.size) + "\"/>";
    s += f.rest;
    if (!f.name.empty()) s += "<" + p + "name val=\"" + Escaped(f.name) + "\"/>";
    s += "</" + p + "font>";
  }
  s += "</" + p + "fonts>";
  texts["fonts"] = std::move(s);

  s = "<" + p + "borders count=\"" + std::to_string(borders_.size()) + "\">";
  for (const Border& b : borders_) {
    s += "<" + p + "border";
    if (b.diagonalUp) s += " diagonalUp=\"1\"";
    if (b.diagonalDown) s += " diagonalDown=\"1\"";
    s += ">";
    AppendEdge(s, p, "left", b.left);
    AppendEdge(s, p, "right", b.right);
    AppendEdge(s, p, "top", b.top);
    AppendEdge(s, p, "bottom", b.bottom);
    AppendEdge(s, p, "diagonal", b.diagonal);
    s += b.rest + "</" + p + "border>";
  }
  s += "</" + p + "borders>";
  texts["borders"] = std::move(s);

  s = "<" + p + "cellXfs count=\"" + std::to_string(formats_.size()) + "\">";
  for (const CellFormat& f : formats_) {
    s += "<" + p + "xf numFmtId=\"" + std::to_string(f.numFmtId) + "\" fontId=\"" +
         std::to_string(f.fontId) + "\" fillId=\"" + std::to_string(f.fillId) + "\" borderId=\"" +
         std::to_string(f.borderId) + "\"";
    if (f.xfId) s += " xfId=\"" + std::to_string(*f.xfId) + "\"";
    for (const auto& [k, v] : f.attributes) s += " " + k + "=\"" + Escaped(v) + "\"";
    if (!f.hasAlignment && f.tail.empty()) {
      s += "/>";
      continue;
    }
    s += ">";
    if (f.hasAlignment) {
      s += "<" + p + "alignment";
      for (const auto& [k, v] : f.alignment) s += " " + k + "=\"" + Escaped(v) + "\"";
      s += "/>";
    }
    s += f.tail + "</" + p + "xf>";
  }
  s += "</" + p + "cellXfs>";
  texts["cellXfs"] = std::move(s);
  return texts;
}

std::string CellStyles::NewPartXml() {
  return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
         R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts>)"
         R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
         R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
         R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
         R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>)"
         R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
         R"(</styleSheet>)";
}

const CellFormat& CellStyles::Format(uint32_t xf) const {
  return formats_.at(xf < formats_.size() ? xf : 0);
}

const Font& CellStyles::FontOf(uint32_t xf) const {
  return fonts_[Format(xf).fontId];
}

const Border& CellStyles::BorderOf(uint32_t xf) const {
  return borders_[Format(xf).borderId];
}

uint32_t CellStyles::InternFormat(CellFormat format) {
  std::string key = format.Key();
  const auto it = formatIndex_.find(key);
  if (it != formatIndex_.end()) return it->second;
  const auto index = static_cast<uint32_t>(formats_.size());
  formats_.push_back(std::move(format));
  formatIndex_.emplace(std::move(key), index);
  return index;
}

int CellStyles::InternFont(const Font& font) {
  std::string key = font.Key();
  const auto it = fontIndex_.find(key);
  if (it != fontIndex_.end()) return it->second;
  const int index = static_cast<int>(fonts_.size());
  fonts_.push_back(font);
  fontIndex_.emplace(std::move(key), index);
  return index;
}

int CellStyles::InternBorder(const Border& border) {
  std::string key = border.Key();
  const auto it = borderIndex_.find(key);
  if (it != borderIndex_.end()) return it->second;
  const int index = static_cast<int>(borders_.size());
  borders_.push_back(border);
  borderIndex_.emplace(std::move(key), index);
  return index;
}

int CellStyles::InternFill(const std::string& xml) {
  const auto it = fillIndex_.find(xml);
  if (it != fillIndex_.end()) return it->second;
  const int index = static_cast<int>(fills_.size());
  fills_.push_back(xml);
  fillIndex_.emplace(xml, index);
  return index;
}

int CellStyles::InternNumberFormat(const std::string& code) {
  for (const auto& [id, known] : numberFormats_)
    if (known == code) return id;
  // The workbook's own formats are numbered from 164, after the built-in ones.
  const int id = numberFormats_.empty()
                     ? kFirstOwnNumberFormat
                     : std::max(kFirstOwnNumberFormat, numberFormats_.rbegin()->first + 1);
  numberFormats_[id] = code;
  return id;
}

uint32_t CellStyles::ImportFormat(const CellStyles& from, uint32_t xf) {
  CellFormat f = from.Format(xf);
  const auto local = [&](const std::string& xml) {
    return RenamePrefix(xml, from.prefix_, prefix_);
  };
  Font font = from.fonts_[f.fontId];
  font.rest = local(font.rest);
  f.fontId = InternFont(font);
  Border border = from.borders_[f.borderId];
  for (BorderEdge* e : {&border.left, &border.right, &border.top, &border.bottom, &border.diagonal})
    if (e->colorXml != kAutoColor) e->colorXml = local(e->colorXml);
  border.rest = local(border.rest);
  f.borderId = InternBorder(border);
  f.fillId = f.fillId >= 0 && f.fillId < static_cast<int>(from.fills_.size())
                 ? InternFill(local(from.fills_[f.fillId]))
                 : 0;
  if (f.numFmtId >= kFirstOwnNumberFormat) {
    const auto code = from.numberFormats_.find(f.numFmtId);
    f.numFmtId = code == from.numberFormats_.end() ? 0 : InternNumberFormat(code->second);
  }
  // Cell styles are not carried over: the format rests on the normal one.
  if (f.xfId) f.xfId = 0;
  f.tail = local(f.tail);
  return InternFormat(std::move(f));
}

uint32_t CellStyles::WithFont(uint32_t xf, const FontChange& change) {
  const std::string key = std::to_string(xf) + change.Key();
  if (auto it = changeCache_.find(key); it != changeCache_.end()) return it->second;
  CellFormat f = Format(xf);
  Font font = fonts_[f.fontId];
  if (change.bold) font.bold = *change.bold;
  if (change.italic) font.italic = *change.italic;
  if (change.size) {
    font.size = *change.size;
    font.hasSize = true;
  }
  if (change.name) font.name = *change.name;
  f.fontId = InternFont(font);
  f.SetAttribute("applyFont", "1");
  const uint32_t result = InternFormat(std::move(f));
  changeCache_.emplace(key, result);
  return result;
}

uint32_t CellStyles::WithAlignment(uint32_t xf, const AlignmentChange& change) {
  const std::string key = std::to_string(xf) + change.Key();
  if (auto it = changeCache_.find(key); it != changeCache_.end()) return it->second;
  CellFormat f = Format(xf);
  if (change.horizontal) f.SetAlignmentAttr("horizontal", HorizontalName(*change.horizontal));
  if (change.vertical) f.SetAlignmentAttr("vertical", VerticalName(*change.vertical));
  if (change.wrap) f.SetAlignmentAttr("wrapText", *change.wrap ? "1" : "0");
  f.SetAttribute("applyAlignment", "1");
  const uint32_t result = InternFormat(std::move(f));
  changeCache_.emplace(key, result);
  return result;
}

uint32_t CellStyles::WithBorder(uint32_t xf, const BorderChange& change) {
  const std::string key = std::to_string(xf) + change.Key();
  if (auto it = changeCache_.find(key); it != changeCache_.end()) return it->second;
  CellFormat f = Format(xf);
  Border b = borders_[f.borderId];
  if (change.left) SetEdge(b.left, *change.left);
  if (change.right) SetEdge(b.right, *change.right);
  if (change.top) SetEdge(b.top, *change.top);
  if (change.bottom) SetEdge(b.bottom, *change.bottom);
  if (change.diagonalUp) b.diagonalUp = *change.diagonalUp;
  if (change.diagonalDown) b.diagonalDown = *change.diagonalDown;
  if (!b.diagonalUp && !b.diagonalDown) b.diagonal = BorderEdge{};
  f.borderId = InternBorder(b);
  f.SetAttribute("applyBorder", "1");
  const uint32_t result = InternFormat(std::move(f));
  changeCache_.emplace(key, result);
  return result;
}

}  // namespace kelmo::workbook
