// The streaming reader of package files: libxml2's text reader, with the
// file opened as the package heads open theirs (xml_input.h).
#include "xml_tree.h"

#include <cstring>
#include <vector>

#include "domain/xml_input.h"

namespace kelmo {
namespace {

QString FromXml(const xmlChar* text) {
  return text == nullptr ? QString() : QString::fromUtf8(reinterpret_cast<const char*>(text));
}

void Stream(xmlTextReader* reader, XmlDocPtr& kept, const QString& path,
            std::initializer_list<const char*> names, const XmlTake& take,
            const XmlBounds& bounds) {
  auto refused = [&path](const QString& reason) { return XmlFileRefused(path, reason); };
  const QString entities = QStringLiteral("в файле объявлены или используются сущности XML");
  // The open elements of the tree being built, outermost first; empty when
  // no taken element is open.
  std::vector<XmlNode*> open;
  XmlNode root;
  int rootDepth = -1;
  int elements = 0;
  auto finish = [&] {
    open.clear();
    rootDepth = -1;
    take(std::move(root));
    root = XmlNode();
  };
  int r = 0;
  while ((r = xmlTextReaderRead(reader)) == 1) {
    const int type = xmlTextReaderNodeType(reader);
    const int depth = xmlTextReaderDepth(reader);
    if (depth > bounds.MaxDepth) throw refused(QStringLiteral("слишком глубокая вложенность"));
    switch (type) {
      case XML_READER_TYPE_DOCUMENT_TYPE:
        if (DeclaresEntities(reader, kept)) throw refused(entities);
        break;
      case XML_READER_TYPE_ENTITY_REFERENCE:
      case XML_READER_TYPE_ENTITY:
        throw refused(entities);
      case XML_READER_TYPE_ELEMENT: {
        const char* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader));
        const bool empty = xmlTextReaderIsEmptyElement(reader) == 1;
        XmlNode* node = nullptr;
        if (!open.empty()) {
          if (++elements > bounds.MaxTreeElements)
            throw refused(QStringLiteral("слишком много элементов в одной записи"));
          open.back()->Children.emplace_back();
          node = &open.back()->Children.back();
        } else {
          bool wanted = false;
          for (const char* n : names)
            wanted = wanted || (name != nullptr && std::strcmp(n, name) == 0);
          if (!wanted) break;
          root = XmlNode();
          rootDepth = depth;
          elements = 1;
          node = &root;
        }
        node->Name = QString::fromUtf8(name);
        if (empty) {
          if (node == &root) finish();
        } else {
          open.push_back(node);
        }
        break;
      }
      case XML_READER_TYPE_END_ELEMENT:
        if (open.empty()) break;
        open.pop_back();
        if (depth == rootDepth) finish();
        break;
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA:
      case XML_READER_TYPE_WHITESPACE:
      case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: {
        if (open.empty()) break;
        QString& text = open.back()->Text;
        const QString piece = FromXml(xmlTextReaderConstValue(reader));
        if (text.size() + piece.size() > bounds.MaxText)
          throw refused(QStringLiteral("слишком длинный текст элемента"));
        text += piece;
        break;
      }
      default:
        break;
    }
  }
  if (r < 0) {
    // libxml2 stops a document whose entities expand past its bounds before
    // the DOCTYPE is handed over: say so rather than "not well-formed".
    if (DeclaresEntities(reader, kept)) throw refused(entities);
    const xmlError* error = xmlGetLastError();
    QString reason = QStringLiteral("файл не читается как XML");
    if (error != nullptr && error->message != nullptr)
      reason += QStringLiteral(": ") + QString::fromUtf8(error->message).trimmed();
    throw refused(reason);
  }
}

}  // namespace

XmlFileRefused::XmlFileRefused(const QString& path, const QString& reason)
    : std::runtime_error((QStringLiteral("Файл ") + path + QStringLiteral(" не принят: ") + reason)
                             .toStdString()) {}

const XmlNode* XmlNode::First(const char* name) const {
  for (const XmlNode& child : Children)
    if (child.Name == QLatin1String(name)) return &child;
  return nullptr;
}

std::vector<const XmlNode*> XmlNode::All(const char* name) const {
  std::vector<const XmlNode*> found;
  for (const XmlNode& child : Children)
    if (child.Name == QLatin1String(name)) found.push_back(&child);
  return found;
}

QString XmlNode::FullText() const {
  // Mixed content keeps no order between text and children here; the
  // package files put text only in leaves.
  QString text = Text;
  for (const XmlNode& child : Children) text += child.FullText();
  return text;
}

bool NodeHasText(const XmlNode& node) {
  // Blanks between elements are no text (the document model drops them).
  if (node.Children.empty()) return !node.Text.trimmed().isEmpty();
  if (!node.Text.trimmed().isEmpty()) return true;
  for (const XmlNode& child : node.Children)
    if (!child.FullText().trimmed().isEmpty()) return true;
  return false;
}

void StreamXmlFile(const QString& path, std::initializer_list<const char*> names,
                   const XmlTake& take, const XmlBounds& bounds) {
  XmlDocPtr kept;
  XmlReaderPtr reader = OpenXmlFileReader(path);
  if (!reader) throw XmlFileRefused(path, QStringLiteral("файл не найден или не читается"));
  Stream(reader.get(), kept, path, names, take, bounds);
}

void StreamXmlBytes(const QByteArray& bytes, const QString& name,
                    std::initializer_list<const char*> names, const XmlTake& take,
                    const XmlBounds& bounds) {
  XmlDocPtr kept;
  XmlReaderPtr reader = OpenXmlMemoryReader(bytes.constData(), static_cast<int>(bytes.size()));
  if (!reader) throw XmlFileRefused(name, QStringLiteral("файл не читается как XML"));
  Stream(reader.get(), kept, name, names, take, bounds);
}

}  // namespace kelmo
