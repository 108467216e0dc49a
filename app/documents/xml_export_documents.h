// The documents of the XML export and their value rules: a document streamed
// to its file element by element (libxml2), the element writer, and the text
// rules of dates, names and money.
//
// A document is declared <?xml version="1.0" encoding="windows-1251"?> and
// encoded in code page 1251 (a character the code page lacks is written as a
// character reference). It is written under a temporary name beside the
// final one and renamed when closed, so a failed export never leaves a
// half-written file under the final name.
#pragma once

#include <libxml/tree.h>

#include <QFile>
#include <QString>
#include <QVariant>
#include <memory>

#include "domain/money.h"
#include "xml_export.h"

namespace kelmo {

// One element tree, freed with its children when the owner goes.
struct XmlNodeFree {
  void operator()(xmlNode* node) const { xmlFreeNode(node); }
};
using XmlElement = std::unique_ptr<xmlNode, XmlNodeFree>;

// A new element without a parent.
XmlElement NewXmlElement(const char* name);

// Appends one child element and returns it; nothing (null) when `always` is
// false and the text is empty: optional elements vanish when empty, an
// element written always with an empty text is an empty element.
xmlNode* AppendXmlElement(xmlNode* parent, const char* name, const QString& text, bool always);
inline xmlNode* AppendAlways(xmlNode* parent, const char* name, const QString& text = {}) {
  return AppendXmlElement(parent, name, text, true);
}
inline xmlNode* AppendOptional(xmlNode* parent, const char* name, const QString& text) {
  return AppendXmlElement(parent, name, text, false);
}
// The same with the attribute TS = `ts` (written even with an empty text).
xmlNode* AppendXmlElementTs(xmlNode* parent, const char* name, const QString& text,
                            const QString& ts);
// Replaces the text of an element (a placeholder filled when its case
// closes).
void SetXmlText(xmlNode* element, const QString& text);

// A date as YYYY-MM-DD: a date or timestamp value, or a text DD.MM.YYYY or
// YYYY-MM-DD (trimmed); empty for null or an empty text. Any other text
// raises XmlExportError naming it.
QString XmlDateText(const QVariant& value);

// A person's name as the export writes it: every part (cut after each blank
// and "-") with its first character upper case and the rest lower case. An
// empty text, one holding "_", and one ending with a separator come back
// trimmed and otherwise unchanged.
QString CapitalizeName(const QString& text);

// The column's text as the dataset gives it; empty for null.
QString ColumnText(const QVariant& value);
// An amount of a money column (four decimals); 0 for null.
Money ColumnMoney(const QVariant& value);

// One export document written as it is built.
class ExportDocument {
 public:
  // Creates the file (under its temporary name) and writes the declaration
  // and the root's start tag. Raises XmlExportError naming the file.
  ExportDocument(const QString& path, const char* root);
  ~ExportDocument();
  ExportDocument(const ExportDocument&) = delete;
  ExportDocument& operator=(const ExportDocument&) = delete;

  // Writes a finished child element of the root, then frees it.
  void Write(XmlElement element);
  // Writes the root's end tag and gives the file its final name. Raises
  // XmlExportError naming the file.
  void Close();
  const QString& Path() const { return path_; }

 private:
  // Releases the document and its temporary file, then raises.
  [[noreturn]] void Fail(const char* what);

  QString path_;
  QString partPath_;
  QByteArray root_;
  QFile file_;
  xmlDoc* doc_ = nullptr;
  xmlOutputBuffer* out_ = nullptr;
};

}  // namespace kelmo
