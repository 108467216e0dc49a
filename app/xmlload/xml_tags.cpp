// The element-value reader of the XML loading.
#include "xml_tags.h"

#include <QStringList>

#include "domain/xml_dates.h"

namespace kelmo {

QString TrimmedXml(const QString& text) {
  qsizetype b = 0;
  qsizetype e = text.size();
  while (b < e && text[b].unicode() <= u' ') ++b;
  while (e > b && text[e - 1].unicode() <= u' ') --e;
  return text.mid(b, e - b);
}

QVariant TagDefault(const QString& key) {
  static const std::pair<const char*, const char*> kDefaults[] = {
      {"RSLT", "104"}, {"ISHOD", "102"}, {"SPEC_CODE", "null"}, {"NOVOR", "0"}};
  for (const auto& [k, v] : kDefaults)
    if (key == QLatin1String(k)) return QString::fromLatin1(v);
  return {};
}

const XmlNode& RequiredChild(const XmlNode& parent, const char* name) {
  const XmlNode* node = parent.First(name);
  if (node == nullptr)
    throw XmlValueError(
        ("Нет обязательного элемента " + QString::fromLatin1(name) + " в " + parent.Name)
            .toStdString());
  return *node;
}

QString InsertWithValues(const QString& insert) {
  const qsizetype open = insert.indexOf(QLatin1Char('('));
  const qsizetype close = insert.lastIndexOf(QLatin1Char(')'));
  QStringList marks;
  for (const QString& column : insert.mid(open + 1, close - open - 1).split(QLatin1Char(',')))
    marks << QLatin1Char(':') + column.trimmed();
  return insert + QStringLiteral("\rvalues(") + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
}

int XmlInteger(const QString& text) {
  bool ok = false;
  const int value = TrimmedXml(text).toInt(&ok);
  if (!ok) throw XmlValueError(("'" + text + "' is not a valid integer value").toStdString());
  return value;
}

double XmlDecimal(const QString& text) {
  QString t = TrimmedXml(text);
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double value = t.toDouble(&ok);
  if (!ok)
    throw XmlValueError(("'" + text + "' is not a valid floating point value").toStdString());
  return value;
}

QDate XmlDate(const QString& text) {
  const QString converted = ConvertXmlDate(TrimmedXml(text));
  const QDate date = QDate::fromString(converted, QStringLiteral("dd.MM.yyyy"));
  if (!date.isValid()) throw XmlValueError(("'" + text + "' is not a valid date").toStdString());
  return date;
}

QString TagReader::Found(const XmlNode& parent, const char* name) const {
  const XmlNode* node = parent.First(name);
  return node == nullptr ? QString() : TrimmedXml(node->FullText());
}

void TagReader::Logged(const char* name, const QString& value) const {
  if (!log_) return;
  log_(QStringLiteral("Чтение тэга: ") + QString::fromLatin1(name));
  log_(QStringLiteral("  Значение: ") + value);
}

int TagReader::Int(const XmlNode& parent, const char* name, const QString& defaultKey) const {
  const QString text = Found(parent, name);
  if (text.isEmpty()) {
    const QVariant d = TagDefault(defaultKey);
    return d.isNull() ? 0 : XmlInteger(d.toString());
  }
  const int value = XmlInteger(text);
  Logged(name, QString::number(value));
  return value;
}

QString TagReader::Text(const XmlNode& parent, const char* name, const QString& defaultKey) const {
  const QString text = Found(parent, name);
  if (text.isEmpty()) {
    const QVariant d = TagDefault(defaultKey);
    return d.isNull() ? QString() : d.toString();
  }
  Logged(name, text);
  return text;
}

QVariant TagReader::IntOrNull(const XmlNode& parent, const char* name) const {
  const QString text = Found(parent, name);
  if (text.isEmpty()) return {};
  const int value = XmlInteger(text);
  Logged(name, QString::number(value));
  return value;
}

QVariant TagReader::Num(const XmlNode& parent, const char* name, bool nullWhenMissing) const {
  const QString text = Found(parent, name);
  if (text.isEmpty()) return nullWhenMissing ? QVariant() : QVariant(0.0);
  const double value = XmlDecimal(text);
  Logged(name, QString::number(value));
  return value;
}

QVariant TagReader::DateText(const XmlNode& parent, const char* name) const {
  const QString text = Found(parent, name);
  if (text.isEmpty()) return {};
  const QString converted = ConvertXmlDate(text);
  Logged(name, converted);
  return converted;
}

QString TagReader::TextOf(const XmlNode& element) const {
  const QString text = TrimmedXml(element.FullText());
  if (!text.isEmpty() && log_) {
    log_(QStringLiteral("Чтение тэга: ") + element.Name);
    log_(QStringLiteral("  Значение: ") + text);
  }
  return text;
}

}  // namespace kelmo
