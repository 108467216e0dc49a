// The export documents streamed to their files, and the value rules of the
// export's elements.
#include "xml_export_documents.h"

#include <libxml/encoding.h>
#include <libxml/xmlsave.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "domain/common.h"

namespace kelmo {
namespace {

const xmlChar* Name(const char* name) {
  return reinterpret_cast<const xmlChar*>(name);
}

}  // namespace

XmlElement NewXmlElement(const char* name) {
  xmlNode* node = xmlNewNode(nullptr, Name(name));
  if (node == nullptr) throw std::bad_alloc();
  return XmlElement(node);
}

xmlNode* AppendXmlElement(xmlNode* parent, const char* name, const QString& text, bool always) {
  if (!always && text.isEmpty()) return nullptr;
  const QByteArray utf8 = text.toUtf8();
  // A text child is escaped when written: "&" and "<" of a value stay text.
  xmlNode* node = xmlNewTextChild(parent, nullptr, Name(name),
                                  text.isEmpty() ? nullptr : Name(utf8.constData()));
  if (node == nullptr) throw std::bad_alloc();
  return node;
}

xmlNode* AppendXmlElementTs(xmlNode* parent, const char* name, const QString& text,
                            const QString& ts) {
  xmlNode* node = AppendAlways(parent, name, text);
  if (xmlNewProp(node, Name("TS"), Name(ts.toUtf8().constData())) == nullptr)
    throw std::bad_alloc();
  return node;
}

void SetXmlText(xmlNode* element, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  // xmlNodeSetContent would read "&" as the start of an entity.
  xmlNodeSetContent(element, nullptr);
  if (!text.isEmpty()) xmlNodeAddContentLen(element, Name(utf8.constData()), utf8.size());
}

QString XmlDateText(const QVariant& value) {
  if (value.isNull()) return {};
  QDate date;
  if (value.typeId() == QMetaType::QDateTime) {
    date = value.toDateTime().date();
  } else if (value.typeId() == QMetaType::QDate) {
    date = value.toDate();
  } else {
    const QString text = TrimText(value.toString());
    if (text.isEmpty()) return {};
    date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid()) date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
      throw XmlExportError(QStringLiteral("'") + text + QStringLiteral("' is not a valid date"));
  }
  if (!date.isValid()) return {};
  return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString CapitalizeName(const QString& text) {
  const QString trimmed = TrimText(text);
  if (trimmed.isEmpty() || trimmed.contains(QLatin1Char('_'))) return trimmed;
  const auto separator = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('-'); };
  if (separator(trimmed.back())) return trimmed;
  QString result;
  result.reserve(trimmed.size());
  // Each part runs to its separator, included; its first character is upper
  // case, the rest lower case (a lone blank stays a blank).
  bool first = true;
  for (const QChar c : trimmed) {
    result += first ? c.toUpper() : c.toLower();
    first = separator(c);
  }
  return result;
}

QString ColumnText(const QVariant& value) {
  if (value.isNull()) return {};
  if (value.typeId() == QMetaType::QDateTime)
    return value.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy"));
  return value.toString();
}

Money ColumnMoney(const QVariant& value) {
  if (value.isNull()) return {};
  if (value.typeId() == QMetaType::QString) {
    if (const std::optional<Money> m = Money::FromString(TrimText(value.toString()))) return *m;
  }
  return Money::FromDouble(value.toDouble());
}

ExportDocument::ExportDocument(const QString& path, const char* root)
    : path_(path), partPath_(path + QStringLiteral(".part")), root_(root), file_(partPath_) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  doc_ = xmlNewDoc(Name("1.0"));
  xmlCharEncodingHandler* cp1251 = xmlFindCharEncodingHandler("windows-1251");
  if (doc_ == nullptr || cp1251 == nullptr) Fail("нет перекодировки в windows-1251");
  // The file is written through Qt, not opened by name by the parser, which
  // would read a "%" or a "?" of the path as a URI's.
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) Fail("файл не создан");
  out_ = xmlOutputBufferCreateIO(
      [](void* file, const char* bytes, int size) -> int {
        return static_cast<QFile*>(file)->write(bytes, size) == size ? size : -1;
      },
      nullptr, &file_, cp1251);
  if (out_ == nullptr) Fail("файл не создан");
  xmlOutputBufferWriteString(out_, "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<");
  xmlOutputBufferWriteString(out_, root_.constData());
  xmlOutputBufferWriteString(out_, ">\n");
}

ExportDocument::~ExportDocument() {
  if (out_ != nullptr) {
    xmlOutputBufferClose(out_);
    file_.close();
    QFile::remove(partPath_);
  }
  if (doc_ != nullptr) xmlFreeDoc(doc_);
}

void ExportDocument::Fail(const char* what) {
  // A failure while the document is made leaves nothing behind: the
  // destructor does not run for a constructor that throws.
  if (out_ != nullptr) xmlOutputBufferClose(out_);
  out_ = nullptr;
  if (file_.isOpen()) file_.close();
  QFile::remove(partPath_);
  if (doc_ != nullptr) xmlFreeDoc(doc_);
  doc_ = nullptr;
  throw XmlExportError(QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral(": ") +
                       QString::fromUtf8(what));
}

void ExportDocument::Write(XmlElement element) {
  xmlNodeDumpOutput(out_, doc_, element.get(), 0, 0, "windows-1251");
  xmlOutputBufferWriteString(out_, "\n");
  if (out_->error != 0) Fail("ошибка записи");
}

void ExportDocument::Close() {
  xmlOutputBufferWriteString(out_, "</");
  xmlOutputBufferWriteString(out_, root_.constData());
  xmlOutputBufferWriteString(out_, ">\n");
  const int written = xmlOutputBufferClose(out_);
  out_ = nullptr;
  const bool flushed = file_.flush();
  file_.close();
  if (written < 0 || !flushed || file_.error() != QFileDevice::NoError) {
    QFile::remove(partPath_);
    Fail("ошибка записи");
  }
  QFile::remove(path_);
  if (!QFile::rename(partPath_, path_)) {
    QFile::remove(partPath_);
    Fail("файл не переименован");
  }
}

}  // namespace kelmo
