// The elements of a package file as the loader reads them: a streaming pass
// over the document that builds a small tree for each element of the names
// asked for (a person, a case, a header) and hands it over in document order,
// so no more than one such element's tree is held at a time.
//
// Every file is untrusted: a file that is not a regular file, is not
// well-formed, declares or uses an XML entity, nests deeper than the bound,
// or carries a text or an element larger than the bounds is refused with
// XmlFileRefused, whose message names the file.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace kelmo {

class XmlFileRefused : public std::runtime_error {
 public:
  XmlFileRefused(const QString& path, const QString& reason);
};

// One element: its name, its own text (the text children joined) and its
// child elements in document order.
struct XmlNode {
  QString Name;
  QString Text;
  std::vector<XmlNode> Children;

  // The first child element of the name; null when there is none.
  const XmlNode* First(const char* name) const;
  // Every child element of the name, in document order.
  std::vector<const XmlNode*> All(const char* name) const;
  bool Has(const char* name) const { return First(name) != nullptr; }
  // The element's text as the document model gives it: its own text and
  // that of every descendant, in document order.
  QString FullText() const;
};

// Whether the element carries any text: with child nodes, whether one of
// them has non-empty text; without, whether its own text is not empty.
bool NodeHasText(const XmlNode& node);

// The bounds of one file.
struct XmlBounds {
  // Nesting of elements.
  int MaxDepth = 64;
  // Characters of the text of one element.
  qsizetype MaxText = 64 * 1024;
  // Elements of one handed-over tree.
  int MaxTreeElements = 100000;
};

using XmlTake = std::function<void(XmlNode&& element)>;

// Streams the file: every element whose name is one of `names` (at any depth,
// not inside another one taken) is built and passed to `take`. Raises
// XmlFileRefused as above; what `take` raises passes through.
void StreamXmlFile(const QString& path, std::initializer_list<const char*> names,
                   const XmlTake& take, const XmlBounds& bounds = {});

// The same over bytes in memory; `name` stands for the file in messages.
void StreamXmlBytes(const QByteArray& bytes, const QString& name,
                    std::initializer_list<const char*> names, const XmlTake& take,
                    const XmlBounds& bounds = {});

}  // namespace kelmo
