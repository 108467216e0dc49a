// Opening an XML file of a package for libxml2's streaming reader, safely:
// only a regular file, read through its descriptor, without network access,
// without loading an external DTD and with entities left as references, so a
// reader of package files can refuse any document that declares or uses
// one. The package heads and the XML loading both read through here.
#pragma once

#include <libxml/xmlreader.h>

#include <QString>
#include <memory>

namespace kelmo {

struct XmlReaderFree {
  void operator()(xmlTextReader* r) const { xmlFreeTextReader(r); }
};
using XmlReaderPtr = std::unique_ptr<xmlTextReader, XmlReaderFree>;

struct XmlDocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

// A reader over the file; null when the file is not a regular file or cannot
// be opened. The reader owns the descriptor.
XmlReaderPtr OpenXmlFileReader(const QString& path);

// A reader over bytes in memory (the fuzz targets and the tests), with the
// same options. The bytes must outlive the reader.
XmlReaderPtr OpenXmlMemoryReader(const char* data, int size);

// Whether the document's DOCTYPE declares any entity. Asking for the
// reader's document hands it to the caller: `kept` takes it, to free it once
// the reader is gone (declare `kept` before the reader).
bool DeclaresEntities(xmlTextReader* reader, XmlDocPtr& kept);

}  // namespace kelmo
