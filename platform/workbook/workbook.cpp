// Workbooks: the .xlsx package's workbook, relationships, content types,
// shared strings and styles around the sheets (see workbook.h).
#include "workbook.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "number_text.h"
#include "package_zip.h"
#include "sheet_part.h"
#include "workbook_error.h"
#include "xml_stream.h"

namespace kelmo::workbook {

namespace {

constexpr const char* kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kSheetType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char* kStringsType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
constexpr const char* kStylesType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* kSheetContent =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* kStringsContent =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char* kStylesContent =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string Folder(const std::string& part) {
  const size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// A relationship target relative to the folder of the part that names it.
std::string ResolveTarget(const std::string& base, const std::string& target) {
  if (!target.empty() && target.front() == '/') return target.substr(1);
  std::vector<std::string> parts;
  std::string path = base + target, item;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (item == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!item.empty() && item != ".") {
        parts.push_back(item);
      }
      item.clear();
    } else {
      item += path[i];
    }
  }
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

std::string RelsPartOf(const std::string& part) {
  const size_t slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + name + ".rels";
}

// The target of a part as written in the workbook's relationships.
std::string RelativeTo(const std::string& folder, const std::string& part) {
  if (part.rfind(folder, 0) == 0) return part.substr(folder.size());
  return "/" + part;
}

std::string Dump(xmlDoc* doc) {
  return DumpWithMarks(doc, {});
}

// The first "rIdN" that no relationship uses: one pass over them.
std::string NewRelId(xmlNode* rels) {
  std::set<std::string> used;
  for (xmlNode* r : Children(rels, "Relationship")) used.insert(Attr(r, "Id"));
  for (size_t n = 1;; ++n) {
    std::string id = "rId" + std::to_string(n);
    if (!used.count(id)) return id;
  }
}

// An XML text that may declare a document type: one in UTF-8 that holds the
// declaration's keyword, or one in UTF-16, which a byte search cannot see
// into. Pictures and other binary parts begin otherwise and are copied as
// they are.
bool MayHoldDocumentType(std::string_view bytes) {
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF') ||
       (bytes[0] == '<' && bytes[1] == '\0') || (bytes[0] == '\0' && bytes[1] == '<')))
    return true;
  std::string_view text = bytes;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && text[first] == '<' &&
         text.find("<!DOCTYPE") != std::string_view::npos;
}

// A part name that is safe to keep and write back: relative, "/"-separated,
// without empty, "." or ".." steps, backslashes or control characters.
bool SafePartName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.back() == '/') return false;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && (static_cast<unsigned char>(name[i]) < 0x20 || name[i] == '\\'))
      return false;
    if (i == name.size() || name[i] == '/') {
      const std::string_view step = name.substr(start, i - start);
      if (step.empty() || step == "." || step == "..") return false;
      start = i + 1;
    }
  }
  return true;
}

void AddRelationship(xmlNode* rels, const std::string& id, const char* type,
                     const std::string& target) {
  xmlNode* r = xmlNewChild(rels, rels->ns, BAD_CAST "Relationship", nullptr);
  xmlNewProp(r, BAD_CAST "Id", BAD_CAST id.c_str());
  xmlNewProp(r, BAD_CAST "Type", BAD_CAST type);
  xmlNewProp(r, BAD_CAST "Target", BAD_CAST target.c_str());
}

void AddOverride(xmlNode* types, const std::string& part, const char* content) {
  for (xmlNode* o : Children(types, "Override"))
    if (Attr(o, "PartName") == "/" + part) return;
  xmlNode* o = xmlNewChild(types, types->ns, BAD_CAST "Override", nullptr);
  xmlNewProp(o, BAD_CAST "PartName", BAD_CAST("/" + part).c_str());
  xmlNewProp(o, BAD_CAST "ContentType", BAD_CAST content);
}

void RemoveNode(xmlNode* node) {
  xmlUnlinkNode(node);
  xmlFreeNode(node);
}

}  // namespace

PackageParts NewWorkbookParts() {
  PackageParts parts;
  parts["[Content_Types].xml"] =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
      R"(<Default Extension="xml" ContentType="application/xml"/>)"
      R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
      R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
      R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
      R"(</Types>)";
  parts["_rels/.rels"] =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
      R"(</Relationships>)";
  parts["xl/workbook.xml"] =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
      R"(<bookViews><workbookView activeTab="0"/></bookViews>)"
      R"(<sheets><sheet name="Лист1" sheetId="1" r:id="rId1"/></sheets></workbook>)";
  parts["xl/_rels/workbook.xml.rels"] =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
      R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
      R"(</Relationships>)";
  parts["xl/styles.xml"] = CellStyles::NewPartXml();
  parts["xl/worksheets/sheet1.xml"] = NewSheetPartXml();
  return parts;
}

Workbook::~Workbook() = default;

void Workbook::RenameSheet(size_t index, const std::string& name) {
  Worksheet& sheet = Sheet(index);
  xmlNode* wbRoot = xmlDocGetRootElement(workbookDoc_.get());
  for (xmlNode* s : Children(FirstChild(wbRoot, "sheets"), "sheet"))
    if (Attr(s, "name") == sheet.Name()) xmlSetProp(s, BAD_CAST "name", BAD_CAST name.c_str());
  sheet.SetName(name);
}

std::unique_ptr<Workbook> Workbook::Create() {
  auto wb = std::unique_ptr<Workbook>(new Workbook());
  wb->Load(NewWorkbookParts(), "Книга");
  return wb;
}

std::unique_ptr<Workbook> Workbook::FromParts(PackageParts parts, const std::string& label) {
  auto wb = std::unique_ptr<Workbook>(new Workbook());
  wb->Load(std::move(parts), label);
  return wb;
}

std::unique_ptr<Workbook> Workbook::Open(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path)) throw WorkbookError("Файл не найден: " + path);
  char magic[4] = {};
  in.read(magic, 4);
  in.close();
  auto wb = std::unique_ptr<Workbook>(new Workbook());
  if (std::string_view(magic, 4) == std::string_view("PK\x03\x04", 4)) {
    wb->Load(ReadZipParts(path), path);
  } else if (std::string_view(magic, 4) == std::string_view("\xD0\xCF\x11\xE0", 4)) {
    wb->LoadXls(path);
  } else {
    throw WorkbookError(path + ": файл не является книгой Excel");
  }
  wb->path_ = path;
  return wb;
}

void Workbook::Load(PackageParts parts, const std::string& label) {
  parts_ = std::move(parts);
  // Entries whose names climb out of the package or are not plain paths are
  // neither read nor written back.
  std::erase_if(parts_, [](const auto& part) { return !SafePartName(part.first); });
  // A kept XML part with a document type is read (entity declarations refuse
  // the workbook) and kept without it; a part in UTF-16 is kept re-written.
  for (auto& [name, bytes] : parts_)
    if (MayHoldDocumentType(bytes)) bytes = Dump(ParseXmlPart(bytes, label, name).get());
  auto need = [&](const std::string& part) -> const std::string& {
    const auto it = parts_.find(part);
    if (it == parts_.end()) throw WorkbookError(label + ": отсутствует часть " + part);
    return it->second;
  };
  typesDoc_ = ParseXmlPart(need("[Content_Types].xml"), label, "[Content_Types].xml");
  XmlDocPtr rootRels = ParseXmlPart(need("_rels/.rels"), label, "_rels/.rels");
  for (xmlNode* r : Children(xmlDocGetRootElement(rootRels.get()), "Relationship"))
    if (EndsWith(Attr(r, "Type"), "/officeDocument"))
      workbookPart_ = ResolveTarget("", Attr(r, "Target"));
  workbookDoc_ = ParseXmlPart(need(workbookPart_), label, workbookPart_);
  const std::string relsPart = RelsPartOf(workbookPart_);
  workbookRelsDoc_ = ParseXmlPart(need(relsPart), label, relsPart);

  const std::string folder = Folder(workbookPart_);
  std::map<std::string, std::pair<std::string, std::string>> rels;  // id -> type, part
  for (xmlNode* r : Children(xmlDocGetRootElement(workbookRelsDoc_.get()), "Relationship")) {
    const std::string type = Attr(r, "Type");
    if (Attr(r, "TargetMode") == "External") continue;
    const std::string part = ResolveTarget(folder, Attr(r, "Target"));
    rels[Attr(r, "Id")] = {type, part};
    if (EndsWith(type, "/sharedStrings")) stringsPart_ = part;
    if (EndsWith(type, "/styles")) stylesPart_ = part;
  }
  xmlNode* types = xmlDocGetRootElement(typesDoc_.get());
  xmlNode* relsRoot = xmlDocGetRootElement(workbookRelsDoc_.get());
  if (stylesPart_.empty() || !parts_.count(stylesPart_)) {
    // A package without styles gets the plain ones.
    stylesPart_ = folder + "styles.xml";
    parts_[stylesPart_] = CellStyles::NewPartXml();
    AddRelationship(relsRoot, NewRelId(relsRoot), kStylesType, RelativeTo(folder, stylesPart_));
    AddOverride(types, stylesPart_, kStylesContent);
  }
  stylesDoc_ = ParseXmlPart(parts_[stylesPart_], label, stylesPart_);
  try {
    styles_.Load(stylesDoc_.get());
  } catch (const WorkbookError&) {
    throw WorkbookError(label + ": повреждена часть " + stylesPart_);
  }

  std::vector<uint32_t> shared;
  if (!stringsPart_.empty()) {
    std::vector<std::string> texts;
    if (!ReadSharedStrings(need(stringsPart_), texts))
      throw WorkbookError(label + ": повреждена часть " + stringsPart_);
    shared.reserve(texts.size());
    for (const auto& t : texts) shared.push_back(strings_.Intern(t));
    // Written anew from the cells at every save.
    parts_.erase(stringsPart_);
  }
  parts_.erase(stylesPart_);

  xmlNode* wbRoot = xmlDocGetRootElement(workbookDoc_.get());
  for (xmlNode* s : Children(FirstChild(wbRoot, "sheets"), "sheet")) {
    std::string id;
    for (xmlAttr* a = s->properties; a; a = a->next)
      if (std::string_view(reinterpret_cast<const char*>(a->name)) == "id" && a->ns &&
          std::string_view(reinterpret_cast<const char*>(a->ns->href)) == kRelNs)
        id = Attr(s, "id");
    const auto rel = rels.find(id);
    if (rel == rels.end())
      throw WorkbookError(label + ": отсутствует часть листа " + Attr(s, "name"));
    if (!EndsWith(rel->second.first, "/worksheet")) continue;  // chart sheets are left alone
    const std::string& part = rel->second.second;
    auto sheet = std::make_unique<Worksheet>(Attr(s, "name"), strings_, styles_);
    ReadSheetPart(*sheet, need(part), shared, label, part);
    parts_.erase(part);  // written anew from the cells at every save
    sheets_.push_back({std::move(sheet), part});
  }
  if (sheets_.empty()) throw WorkbookError(label + ": в книге нет листов");
  for (xmlNode* d : Children(FirstChild(wbRoot, "definedNames"), "definedName"))
    definedNames_.emplace(Attr(d, "name"), Text(d));
  if (xmlNode* view = FirstChild(FirstChild(wbRoot, "bookViews"), "workbookView")) {
    const std::string tab = Attr(view, "activeTab");
    active_ = std::min<size_t>(std::strtoul(tab.c_str(), nullptr, 10), sheets_.size() - 1);
  }
}

Worksheet& Workbook::Sheet(size_t index) {
  if (index >= sheets_.size())
    throw WorkbookError("Нет листа " + std::to_string(index + 1) + " в книге " + path_);
  return *sheets_[index].sheet;
}

Worksheet* Workbook::FindSheet(const std::string& name) {
  for (auto& s : sheets_)
    if (s.sheet->Name() == name) return s.sheet.get();
  return nullptr;
}

Worksheet& Workbook::Sheet(const std::string& name) {
  Worksheet* s = FindSheet(name);
  if (!s) throw WorkbookError("Нет листа " + name + " в книге " + path_);
  return *s;
}

void Workbook::SetActiveSheet(size_t index) {
  Sheet(index);
  active_ = index;
}

Worksheet& Workbook::AddSheet(const std::string& name) {
  if (FindSheet(name)) throw WorkbookError("Лист " + name + " уже есть в книге " + path_);
  const std::string folder = Folder(workbookPart_);
  std::set<std::string> taken;
  for (const auto& s : sheets_) taken.insert(s.part);
  int n = 1;
  std::string part;
  do part = folder + "worksheets/sheet" + std::to_string(n++) + ".xml";
  while (parts_.count(part) || taken.count(part));
  xmlNode* relsRoot = xmlDocGetRootElement(workbookRelsDoc_.get());
  const std::string id = NewRelId(relsRoot);
  AddRelationship(relsRoot, id, kSheetType, RelativeTo(folder, part));
  AddOverride(xmlDocGetRootElement(typesDoc_.get()), part, kSheetContent);
  xmlNode* wbRoot = xmlDocGetRootElement(workbookDoc_.get());
  xmlNode* sheets = FirstChild(wbRoot, "sheets");
  int sheetId = 0;
  for (xmlNode* s : Children(sheets, "sheet"))
    sheetId = std::max(sheetId, static_cast<int>(ReadIndex(Attr(s, "sheetId"), 65535).value_or(0)));
  xmlNode* s = xmlNewChild(sheets, sheets->ns, BAD_CAST "sheet", nullptr);
  xmlNewProp(s, BAD_CAST "name", BAD_CAST name.c_str());
  xmlNewProp(s, BAD_CAST "sheetId", BAD_CAST std::to_string(sheetId + 1).c_str());
  xmlNs* r = xmlSearchNsByHref(workbookDoc_.get(), wbRoot, BAD_CAST kRelNs);
  if (!r) r = xmlNewNs(wbRoot, BAD_CAST kRelNs, BAD_CAST "r");
  xmlNewNsProp(s, r, BAD_CAST "id", BAD_CAST id.c_str());
  auto sheet = std::make_unique<Worksheet>(name, strings_, styles_);
  ReadSheetPart(*sheet, NewSheetPartXml(), {}, name, part);
  sheets_.push_back({std::move(sheet), part});
  return *sheets_.back().sheet;
}

std::optional<std::string> Workbook::DefinedName(const std::string& name) const {
  const auto it = definedNames_.find(name);
  if (it == definedNames_.end()) return std::nullopt;
  return it->second;
}

std::pair<Worksheet*, CellRange> Workbook::ResolveRange(const std::string& nameOrAddress,
                                                        Worksheet& current) {
  std::string text = nameOrAddress;
  if (auto named = DefinedName(nameOrAddress)) text = *named;
  const auto [sheetName, local] = SplitSheetPrefix(text);
  Worksheet* sheet = sheetName.empty() ? &current : &Sheet(sheetName);
  return {sheet, ParseRange(local)};
}

PackageParts Workbook::ToParts() {
  PackageParts out;
  for (PackageEntry& e : Entries()) out[e.name] = WholeText(e.produce);
  return out;
}

std::vector<PackageEntry> Workbook::Entries() {
  xmlNode* types = xmlDocGetRootElement(typesDoc_.get());
  xmlNode* relsRoot = xmlDocGetRootElement(workbookRelsDoc_.get());
  const std::string folder = Folder(workbookPart_);
  PackageParts out = parts_;  // the parts kept as they were
  // The cached calculation chain would not match the changed cells.
  std::set<std::string> chains;
  for (xmlNode* r : Children(relsRoot, "Relationship")) {
    if (!EndsWith(Attr(r, "Type"), "/calcChain")) continue;
    const std::string part = ResolveTarget(folder, Attr(r, "Target"));
    out.erase(part);
    parts_.erase(part);
    chains.insert("/" + part);
    RemoveNode(r);
  }
  if (!chains.empty())
    for (xmlNode* o : Children(types, "Override"))
      if (chains.count(Attr(o, "PartName"))) RemoveNode(o);
  if (stringsPart_.empty()) {
    stringsPart_ = folder + "sharedStrings.xml";
    AddRelationship(relsRoot, NewRelId(relsRoot), kStringsType, RelativeTo(folder, stringsPart_));
    AddOverride(types, stringsPart_, kStringsContent);
  }
  // Shared strings: the texts that cells hold, in order of first use.
  std::vector<int32_t> sstIndex(strings_.Size(), -1);
  std::vector<uint32_t> order;
  for (auto& s : sheets_)
    for (const auto& row : s.sheet->Rows())
      for (const auto& c : row.cells)
        if (c.type == CellType::Text && !c.formula && sstIndex[c.text] < 0) {
          sstIndex[c.text] = static_cast<int32_t>(order.size());
          order.push_back(c.text);
        }
  std::string sst =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst "
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
      std::to_string(order.size()) + "\" uniqueCount=\"" + std::to_string(order.size()) + "\">";
  for (uint32_t id : order) {
    const std::string& t = strings_.At(id);
    const bool keepSpace =
        !t.empty() && (t.front() == ' ' || t.back() == ' ' || t.find('\n') != std::string::npos);
    sst += keepSpace ? "<si><t xml:space=\"preserve\">" : "<si><t>";
    AppendEscaped(sst, t);
    sst += "</t></si>";
  }
  sst += "</sst>";
  out[stringsPart_] = std::move(sst);
  out[stylesPart_] = DumpWithMarks(stylesDoc_.get(), styles_.Texts(RootPrefix(stylesDoc_.get())));
  xmlNode* wbRoot = xmlDocGetRootElement(workbookDoc_.get());
  if (xmlNode* view = FirstChild(FirstChild(wbRoot, "bookViews"), "workbookView"))
    xmlSetProp(view, BAD_CAST "activeTab", BAD_CAST std::to_string(active_).c_str());
  out[workbookPart_] = Dump(workbookDoc_.get());
  out[RelsPartOf(workbookPart_)] = Dump(workbookRelsDoc_.get());
  out["[Content_Types].xml"] = Dump(typesDoc_.get());
  // The sheets are produced while they are written, a batch of rows at a time.
  const auto index = std::make_shared<const std::vector<int32_t>>(std::move(sstIndex));
  std::map<std::string, PartProducer> sheets;
  for (auto& s : sheets_) sheets[s.part] = SheetPartProducer(*s.sheet, index);
  std::vector<PackageEntry> entries;
  for (auto& [name, text] : out)
    if (!sheets.count(name)) entries.push_back({name, WholePart(std::move(text))});
  for (auto& [name, produce] : sheets) entries.push_back({name, std::move(produce)});
  std::sort(entries.begin(), entries.end(),
            [](const PackageEntry& a, const PackageEntry& b) { return a.name < b.name; });
  return entries;
}

void Workbook::SaveAs(const std::string& path) {
  WritePackage(path, Entries());
  path_ = path;
}

}  // namespace kelmo::workbook
