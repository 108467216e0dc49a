// libxml2 helpers for workbook parts (see xml_part.h).
#include "xml_part.h"

#include <libxml/parser.h>
#include <libxml/xmlsave.h>

#include <cstdint>

#include "workbook_error.h"

namespace kelmo::workbook {

namespace {

struct ParserContextFree {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

// A part that declares entities is refused at its first declaration, before
// any of them can be expanded: the parts of a workbook never declare any.
void RefuseEntity(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxt*>(context);
  ctxt->_private = ctxt;  // marks the refusal
  xmlStopParser(ctxt);
}

}  // namespace

XmlDocPtr ParseXmlPart(const std::string& bytes, const std::string& file, const std::string& part) {
  const std::string where = file + ": повреждена часть " + part;
  std::unique_ptr<xmlParserCtxt, ParserContextFree> ctxt(xmlNewParserCtxt());
  if (!ctxt || !ctxt->sax || bytes.size() > INT32_MAX) throw WorkbookError(where);
  ctxt->sax->entityDecl = RefuseEntity;
  ctxt->_private = nullptr;
  // No network, no huge-input relaxation (its limits keep entity expansion
  // and deep nesting bounded), no entity substitution.
  XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()),
                                  part.c_str(), nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (ctxt->_private || !ctxt->wellFormed || !doc || !xmlDocGetRootElement(doc.get()))
    throw WorkbookError(where);
  // A document type without entities says nothing the layer needs; it is not
  // written back.
  if (xmlDtd* dtd = xmlGetIntSubset(doc.get())) {
    xmlUnlinkNode(reinterpret_cast<xmlNode*>(dtd));
    xmlFreeDtd(dtd);
  }
  return doc;
}

std::string_view LocalName(const xmlNode* node) {
  return node && node->name ? std::string_view(reinterpret_cast<const char*>(node->name))
                            : std::string_view();
}

std::vector<xmlNode*> ElementChildren(xmlNode* node) {
  std::vector<xmlNode*> out;
  if (!node) return out;
  for (xmlNode* c = node->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE) out.push_back(c);
  return out;
}

std::vector<xmlNode*> Children(xmlNode* node, std::string_view name) {
  std::vector<xmlNode*> out;
  if (!node) return out;
  for (xmlNode* c = node->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && LocalName(c) == name) out.push_back(c);
  return out;
}

xmlNode* FirstChild(xmlNode* node, std::string_view name) {
  if (!node) return nullptr;
  for (xmlNode* c = node->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && LocalName(c) == name) return c;
  return nullptr;
}

std::string Attr(const xmlNode* node, std::string_view name) {
  if (!node) return {};
  for (xmlAttr* a = node->properties; a; a = a->next) {
    if (std::string_view(reinterpret_cast<const char*>(a->name)) == name) {
      xmlChar* v = xmlNodeListGetString(node->doc, a->children, 1);
      std::string s = v ? reinterpret_cast<const char*>(v) : "";
      xmlFree(v);
      return s;
    }
  }
  return {};
}

bool HasAttr(const xmlNode* node, std::string_view name) {
  if (!node) return false;
  for (xmlAttr* a = node->properties; a; a = a->next)
    if (std::string_view(reinterpret_cast<const char*>(a->name)) == name) return true;
  return false;
}

std::string Text(const xmlNode* node) {
  xmlChar* v = xmlNodeGetContent(node);
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

std::string NodeXml(xmlDoc* doc, xmlNode* node) {
  xmlBuffer* buf = xmlBufferCreate();
  xmlNodeDump(buf, doc, node, 0, 0);
  std::string s(reinterpret_cast<const char*>(xmlBufferContent(buf)),
                static_cast<size_t>(xmlBufferLength(buf)));
  xmlBufferFree(buf);
  return s;
}

std::string RootPrefix(xmlDoc* doc) {
  xmlNode* root = xmlDocGetRootElement(doc);
  if (root && root->ns && root->ns->prefix)
    return std::string(reinterpret_cast<const char*>(root->ns->prefix)) + ":";
  return {};
}

bool IsXmlUtf8(std::string_view text, bool xmlCharsOnly) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80                   ? 0
                      : lead >= 0xC2 && lead < 0xE0 ? 1
                      : lead >= 0xE0 && lead < 0xF0 ? 2
                      : lead >= 0xF0 && lead < 0xF5 ? 3
                                                    : -1;
    if (extra < 0 || text.size() - i <= static_cast<size_t>(extra)) return false;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (xmlCharsOnly &&
        ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF))
      return false;
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (char ch : text) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      default:
        // Control characters are not allowed in XML 1.0 at all.
        if (static_cast<unsigned char>(ch) >= 0x20) out += ch;
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string s;
  AppendEscaped(s, text);
  return s;
}

void ReplaceWithMark(xmlNode* node, const std::string& name) {
  xmlNode* comment = xmlNewDocComment(node->doc, BAD_CAST("kelmo:" + name).c_str());
  xmlReplaceNode(node, comment);
  xmlFreeNode(node);
}

void InsertMark(xmlNode* parent, xmlNode* before, const std::string& name) {
  xmlNode* comment = xmlNewDocComment(parent->doc, BAD_CAST("kelmo:" + name).c_str());
  if (before)
    xmlAddPrevSibling(before, comment);
  else
    xmlAddChild(parent, comment);
}

std::string DumpWithWriters(xmlDoc* doc, const std::map<std::string, MarkWriter>& writers,
                            size_t expectedSize) {
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc, &mem, &size, "UTF-8");
  const std::string_view dumped(reinterpret_cast<const char*>(mem), static_cast<size_t>(size));
  std::string out;
  out.reserve(dumped.size() + expectedSize);
  size_t pos = 0;
  while (pos < dumped.size()) {
    const size_t at = dumped.find("<!--kelmo:", pos);
    if (at == std::string_view::npos) break;
    const size_t end = dumped.find("-->", at);
    if (end == std::string_view::npos) break;
    const std::string name(dumped.substr(at + 10, end - at - 10));
    out.append(dumped.substr(pos, at - pos));
    const auto it = writers.find(name);
    if (it != writers.end()) it->second(out);
    pos = end + 3;
  }
  out.append(dumped.substr(pos));
  xmlFree(mem);
  return out;
}

std::string DumpWithMarks(xmlDoc* doc, const std::map<std::string, std::string>& texts) {
  std::map<std::string, MarkWriter> writers;
  size_t total = 0;
  for (const auto& [name, text] : texts) {
    writers[name] = [&text = text](std::string& out) { out += text; };
    total += text.size();
  }
  return DumpWithWriters(doc, writers, total);
}

}  // namespace kelmo::workbook
