// Streaming XML reads (see xml_stream.h).
#include "xml_stream.h"

#include <algorithm>
#include <cstring>

namespace kelmo::workbook {

int PieceSource::Read(void* context, char* buffer, int length) {
  auto* self = static_cast<PieceSource*>(context);
  int written = 0;
  while (written < length && self->piece_ < self->pieces_.size()) {
    const std::string_view p = self->pieces_[self->piece_];
    const size_t n =
        std::min<size_t>(p.size() - self->offset_, static_cast<size_t>(length - written));
    std::memcpy(buffer + written, p.data() + self->offset_, n);
    written += static_cast<int>(n);
    self->offset_ += n;
    if (self->offset_ == p.size()) {
      ++self->piece_;
      self->offset_ = 0;
    }
  }
  return written;
}

XmlReaderPtr PieceSource::Open(const std::string& url) {
  return XmlReaderPtr(xmlReaderForIO(&PieceSource::Read, nullptr, this, url.c_str(), nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

std::string ReaderAttr(xmlTextReader* r, const char* name) {
  xmlChar* v = xmlTextReaderGetAttribute(r, BAD_CAST name);
  if (!v) return {};
  std::string s(reinterpret_cast<const char*>(v));
  xmlFree(v);
  return s;
}

std::string_view ReaderLocalName(xmlTextReader* r) {
  const xmlChar* n = xmlTextReaderConstLocalName(r);
  return n ? std::string_view(reinterpret_cast<const char*>(n)) : std::string_view();
}

bool ReadSharedStrings(const std::string& bytes, std::vector<std::string>& out) {
  PieceSource source({bytes});
  XmlReaderPtr reader = source.Open("sharedStrings.xml");
  if (!reader) return false;
  xmlTextReader* r = reader.get();
  std::string current;
  bool inItem = false, inText = false;
  int phoneticDepth = -1;
  int rc;
  while ((rc = xmlTextReaderRead(r)) == 1) {
    const int type = xmlTextReaderNodeType(r);
    const int depth = xmlTextReaderDepth(r);
    // A document type comes before any text that could use its entities.
    if (type == XML_READER_TYPE_DOCUMENT_TYPE) return false;
    if (phoneticDepth >= 0) {
      if (type == XML_READER_TYPE_END_ELEMENT && depth == phoneticDepth) phoneticDepth = -1;
      continue;
    }
    if (type == XML_READER_TYPE_ELEMENT) {
      const std::string_view name = ReaderLocalName(r);
      const bool empty = xmlTextReaderIsEmptyElement(r);
      if (name == "si") {
        current.clear();
        inItem = true;
        if (empty) {
          out.push_back(current);
          inItem = false;
        }
      } else if (inItem && name == "rPh" && !empty) {
        phoneticDepth = depth;
      } else if (inItem && name == "t") {
        inText = !empty;
      }
    } else if (type == XML_READER_TYPE_END_ELEMENT) {
      const std::string_view name = ReaderLocalName(r);
      if (name == "t") inText = false;
      if (name == "si" && inItem) {
        out.push_back(current);
        inItem = false;
      }
    } else if (inText && (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                          type == XML_READER_TYPE_WHITESPACE ||
                          type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE)) {
      const xmlChar* v = xmlTextReaderConstValue(r);
      if (v) current += reinterpret_cast<const char*>(v);
    }
  }
  return rc == 0;
}

}  // namespace kelmo::workbook
