// Helpers over libxml2 for the XML parts of a workbook package: parsing with a
// file-naming error, walking children by local name, and serialising a part
// with some of its elements replaced by text that the layer writes itself
// (the sheet data, the merges, the style tables), so that everything else a
// template holds goes back out untouched.
#pragma once

#include <libxml/tree.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelmo::workbook {

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

// Parses a part; raises WorkbookError "<file>: повреждена часть <part>" on
// malformed XML.
XmlDocPtr ParseXmlPart(const std::string& bytes, const std::string& file, const std::string& part);

std::string_view LocalName(const xmlNode* node);
// Element children of a node with the given local name (any namespace).
std::vector<xmlNode*> Children(xmlNode* node, std::string_view name);
xmlNode* FirstChild(xmlNode* node, std::string_view name);
std::vector<xmlNode*> ElementChildren(xmlNode* node);
// An attribute by local name (namespaced or not); empty when absent.
std::string Attr(const xmlNode* node, std::string_view name);
bool HasAttr(const xmlNode* node, std::string_view name);
// The text content of a node.
std::string Text(const xmlNode* node);
// The node and its subtree as XML text.
std::string NodeXml(xmlDoc* doc, xmlNode* node);

// "x:" when the root element's namespace has the prefix x, else "".
std::string RootPrefix(xmlDoc* doc);

// Whether the text is UTF-8 as XML takes it: no overlong forms, surrogates or
// code points past U+10FFFF; with `xmlCharsOnly` also none of the control
// characters, U+FFFE or U+FFFF that XML 1.0 has no form for.
bool IsXmlUtf8(std::string_view text, bool xmlCharsOnly);

// Escapes text for element content and attribute values.
void AppendEscaped(std::string& out, std::string_view text);
std::string Escaped(std::string_view text);

// The layer's own elements live in a kept document as marks (comments named
// "kelmo:<name>"): ReplaceWithMark swaps an element for its mark at load,
// InsertMark adds one where a template had no such element, and DumpWithMarks
// serialises the document with each mark replaced by the layer's text. The
// document itself is not changed by a dump, so a workbook can be saved twice.
void ReplaceWithMark(xmlNode* node, const std::string& name);
void InsertMark(xmlNode* parent, xmlNode* before, const std::string& name);
std::string DumpWithMarks(xmlDoc* doc, const std::map<std::string, std::string>& texts);
// The same with writers that append their text to the output in place, so a
// large text (a sheet's data) is never held twice.
using MarkWriter = std::function<void(std::string& out)>;
std::string DumpWithWriters(xmlDoc* doc, const std::map<std::string, MarkWriter>& writers,
                            size_t expectedSize);

}  // namespace kelmo::workbook
