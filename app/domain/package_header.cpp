// Package file heads through libxml2's tree.
#include "package_header.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <QFile>
#include <memory>

#include "common.h"
#include "xml_dates.h"

namespace kelmo {
namespace {

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

bool IsElement(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE &&
         xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

const xmlNode* FirstChild(const xmlNode* parent, const char* name) {
  for (const xmlNode* c = parent->children; c != nullptr; c = c->next) {
    if (IsElement(c, name)) return c;
  }
  return nullptr;
}

QString TextOf(const xmlNode* node) {
  xmlChar* content = xmlNodeGetContent(node);
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content));
  xmlFree(content);
  return text;
}

// Elements of the name anywhere below the node, in document order.
void CollectElements(const xmlNode* node, const char* name, QList<const xmlNode*>& out) {
  for (const xmlNode* c = node; c != nullptr; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    if (IsElement(c, name)) out.append(c);
    CollectElements(c->children, name, out);
  }
}

const xmlNode* FirstElement(const xmlNode* node, const char* name) {
  for (const xmlNode* c = node; c != nullptr; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    if (IsElement(c, name)) return c;
    if (const xmlNode* found = FirstElement(c->children, name)) return found;
  }
  return nullptr;
}

int ToInteger(const QString& text) {
  bool ok = false;
  const int value = TrimText(text).toInt(&ok);
  if (!ok) throw ConversionError(text);
  return value;
}

QDate ToDate(const QString& text) {
  const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
  if (!date.isValid()) {
    throw std::runtime_error(("'" + text + "' is not a valid date").toStdString());
  }
  return date;
}

bool IsForcedPolyclinicSender(const QString& code) {
  return code == QLatin1String("M450092") || code == QLatin1String("M450100") ||
         code == QLatin1String("M450102");
}

}  // namespace

PackageHeaderMissing::PackageHeaderMissing(const QString& path)
    : std::runtime_error(("Не определён счёт в файле " + path).toStdString()) {}

PackageXml ReadPackageXml(const QString& path, bool tPackage, const QString& senderCode,
                          bool readCases) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw PackageHeaderMissing(path);
  const QByteArray bytes = file.readAll();
  // The declared encoding (windows-1251 as a rule) is honoured by the parser;
  // no network access and no entity expansion from outside.
  DocPtr doc(xmlReadMemory(bytes.constData(), static_cast<int>(bytes.size()), nullptr, nullptr,
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) throw PackageHeaderMissing(path);
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  const xmlNode* schet = root != nullptr ? FirstElement(root, "SCHET") : nullptr;
  const xmlNode* code = schet != nullptr ? FirstChild(schet, "CODE") : nullptr;
  const xmlNode* nschet = schet != nullptr ? FirstChild(schet, "NSCHET") : nullptr;
  const xmlNode* dschet = schet != nullptr ? FirstChild(schet, "DSCHET") : nullptr;
  if (code == nullptr || nschet == nullptr || dschet == nullptr) throw PackageHeaderMissing(path);

  PackageXml result;
  result.Code = ToInteger(TextOf(code));
  const QString number = TextOf(nschet);
  result.NSchet = TrimText(number).isEmpty() ? QStringLiteral("0") : number;
  result.DSchet = ToDate(ConvertXmlDate(TextOf(dschet)));
  if (!readCases) return result;

  QList<const xmlNode*> sls;
  CollectElements(root, "SL", sls);
  for (const xmlNode* sl : sls) {
    const xmlNode* mes = FirstChild(sl, "CODE_MES1");
    const QString mesText = mes != nullptr ? TrimText(TextOf(mes)) : QString();
    const bool hasHmp = FirstChild(sl, "VID_HMP") != nullptr;
    const bool taken =
        (!mesText.isEmpty() && mesText != QLatin1String("0")) || (tPackage && hasHmp);
    if (!taken) continue;
    PackageCase c;
    const xmlNode* reab = FirstChild(sl, "REAB");
    if (hasHmp) {
      c.CareCode = 32;
    } else if (reab != nullptr && TextOf(reab) != QLatin1String("0")) {
      c.CareCode = 5;
    } else {
      c.CareCode = 31;
    }
    if (!tPackage) {
      if (IsForcedPolyclinicSender(senderCode)) {
        c.TypeCode = QStringLiteral("7");
      } else if (mesText.size() >= 16) {
        c.TypeCode = mesText.left(2).toUpper();
      } else {
        c.TypeCode = mesText.left(1);
        if (!c.TypeCode[0].isDigit() || c.TypeCode[0] > u'9') throw ConversionError(c.TypeCode);
      }
    }
    result.Cases.append(c);
  }
  return result;
}

std::array<bool, 4> InPatientTypesOf(const PackageCase& c) {
  const QString& t = c.TypeCode;
  const bool hmp = c.CareCode == 32;
  std::array<bool, 4> types{};
  types[0] = (t.size() == 1 && t[0] >= u'0' && t[0] <= u'5') || t == QStringLiteral("КС") || hmp;
  types[2] = (t == QLatin1String("6") || t == QStringLiteral("ДД")) && !hmp;
  types[1] = (t == QLatin1String("7") || t == QStringLiteral("ДП")) && !hmp;
  types[3] = (t == QLatin1String("8") || t == QStringLiteral("ДС")) && !hmp;
  return types;
}

}  // namespace kelmo
