// Streaming reads of the large parts of a package (a sheet's data, the shared
// strings) through libxml2's reader, so that reading a workbook of a hundred
// thousand rows holds its cells, not a tree of them.
#pragma once

#include <libxml/xmlreader.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelmo::workbook {

struct XmlReaderFree {
  void operator()(xmlTextReader* r) const { xmlFreeTextReader(r); }
};
using XmlReaderPtr = std::unique_ptr<xmlTextReader, XmlReaderFree>;

// A reader over pieces of text read one after another as one document (a
// wrapper's start tag, a fragment of a part, the wrapper's end tag), without
// copying the fragment. The pieces must outlive the reader.
class PieceSource {
 public:
  explicit PieceSource(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}
  XmlReaderPtr Open(const std::string& url);

 private:
  static int Read(void* context, char* buffer, int length);
  std::vector<std::string_view> pieces_;
  size_t piece_ = 0;
  size_t offset_ = 0;
};

// The reader's current node's attribute, empty when absent.
std::string ReaderAttr(xmlTextReader* r, const char* name);
std::string_view ReaderLocalName(xmlTextReader* r);

// The texts of the shared-string items of an sst part, in order.
// Returns false on malformed XML.
bool ReadSharedStrings(const std::string& bytes, std::vector<std::string>& out);

}  // namespace kelmo::workbook
