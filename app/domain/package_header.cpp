// Package file heads through libxml2's streaming reader: one pass, nothing of
// the document kept but the texts the head and the cases need.
#include "package_header.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common.h"
#include "xml_dates.h"
#include "xml_input.h"

namespace kelmo {
namespace {

// Texts longer than this are not codes, numbers or dates; the rest is cut.
constexpr std::size_t kMaxText = 4096;

// The text of one element being read (all its descendants' text).
struct Capture {
  int depth;
  std::string* text;
};

// What one SL element holds: its first CODE_MES1 and REAB children's texts,
// and whether it has a VID_HMP child.
struct SlSeen {
  std::optional<std::string> mes;
  std::optional<std::string> reab;
  bool hasHmp = false;
};

bool NameIs(const xmlChar* name, const char* wanted) {
  return xmlStrcmp(name, reinterpret_cast<const xmlChar*>(wanted)) == 0;
}

PackageRefused EntitiesRefused(const QString& path) {
  return PackageRefused(
      ("В файле " + path + " объявлены сущности XML: такой файл не читается").toStdString());
}

int ToInteger(const QString& text) {
  bool ok = false;
  const int value = TrimText(text).toInt(&ok);
  if (!ok) throw ConversionError(text);
  return value;
}

QDate ToDate(const QString& text) {
  const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
  if (!date.isValid()) throw PackageRefused(("'" + text + "' is not a valid date").toStdString());
  return date;
}

bool IsForcedPolyclinicSender(const QString& code) {
  return code == QLatin1String("M450092") || code == QLatin1String("M450100") ||
         code == QLatin1String("M450102");
}

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The head (first SCHET's first CODE, NSCHET and DSCHET children) and the SL
// elements, in document order, of one streaming pass.
struct Scan {
  std::optional<std::string> code, nschet, dschet;
  // A deque: captures point into its elements while it grows.
  std::deque<SlSeen> sls;
};

Scan ScanFile(const QString& path, bool readCases) {
  // Entities are left as references (and refused below). A document taken
  // from the reader outlives it (declared first).
  XmlDocPtr kept;
  XmlReaderPtr reader = OpenXmlFileReader(path);
  if (!reader) throw PackageHeaderMissing(path);
  Scan scan;
  int schetDepth = -1;
  bool headDone = false;
  std::vector<Capture> captures;
  // Open SL elements: their depth and index in scan.sls.
  std::vector<std::pair<int, std::size_t>> openSl;
  int r = 0;
  while ((r = xmlTextReaderRead(reader.get())) == 1) {
    const int type = xmlTextReaderNodeType(reader.get());
    const int depth = xmlTextReaderDepth(reader.get());
    switch (type) {
      case XML_READER_TYPE_DOCUMENT_TYPE:
        if (DeclaresEntities(reader.get(), kept)) throw EntitiesRefused(path);
        break;
      case XML_READER_TYPE_ENTITY_REFERENCE:
        throw EntitiesRefused(path);
      case XML_READER_TYPE_ELEMENT: {
        const xmlChar* name = xmlTextReaderConstLocalName(reader.get());
        const bool empty = xmlTextReaderIsEmptyElement(reader.get()) == 1;
        std::string* target = nullptr;
        if (!headDone && schetDepth < 0 && NameIs(name, "SCHET")) {
          schetDepth = depth;
          if (empty) headDone = true;
        } else if (schetDepth >= 0 && depth == schetDepth + 1) {
          for (auto [field, tag] :
               {std::pair{&scan.code, "CODE"}, std::pair{&scan.nschet, "NSCHET"},
                std::pair{&scan.dschet, "DSCHET"}}) {
            if (!field->has_value() && NameIs(name, tag)) target = &field->emplace();
          }
        }
        if (readCases) {
          if (!openSl.empty() && depth == openSl.back().first + 1) {
            SlSeen& sl = scan.sls[openSl.back().second];
            if (!sl.mes && NameIs(name, "CODE_MES1")) {
              sl.mes.emplace();
              if (!empty) captures.push_back({depth, &*sl.mes});
            } else if (!sl.reab && NameIs(name, "REAB")) {
              sl.reab.emplace();
              if (!empty) captures.push_back({depth, &*sl.reab});
            } else if (NameIs(name, "VID_HMP")) {
              sl.hasHmp = true;
            }
          }
          if (NameIs(name, "SL")) {
            scan.sls.emplace_back();
            if (!empty) openSl.emplace_back(depth, scan.sls.size() - 1);
          }
        }
        if (target != nullptr && !empty) captures.push_back({depth, target});
        break;
      }
      case XML_READER_TYPE_END_ELEMENT:
        while (!captures.empty() && captures.back().depth == depth) captures.pop_back();
        if (!openSl.empty() && openSl.back().first == depth) openSl.pop_back();
        if (schetDepth == depth && !headDone) {
          headDone = true;
          schetDepth = -1;
          if (!readCases) return scan;
        }
        break;
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA:
      case XML_READER_TYPE_WHITESPACE:
      case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: {
        if (captures.empty()) break;
        const char* value = reinterpret_cast<const char*>(xmlTextReaderConstValue(reader.get()));
        if (value == nullptr) break;
        const std::string_view piece(value);
        for (const Capture& c : captures) {
          if (c.text->size() < kMaxText) c.text->append(piece.substr(0, kMaxText - c.text->size()));
        }
        break;
      }
      default:
        break;
    }
  }
  if (r < 0) {
    // libxml2 stops a document whose entities expand past its bounds before
    // the DOCTYPE is handed over: say so rather than "no head".
    if (DeclaresEntities(reader.get(), kept)) throw EntitiesRefused(path);
    throw PackageHeaderMissing(path);
  }
  return scan;
}

}  // namespace

PackageHeaderMissing::PackageHeaderMissing(const QString& path)
    : std::runtime_error(("Не определён счёт в файле " + path).toStdString()) {}

PackageXml ReadPackageXml(const QString& path, bool tPackage, const QString& senderCode,
                          bool readCases) {
  const Scan scan = ScanFile(path, readCases);
  if (!scan.code || !scan.nschet || !scan.dschet) throw PackageHeaderMissing(path);

  PackageXml result;
  result.Code = ToInteger(Text(*scan.code));
  const QString number = Text(*scan.nschet);
  result.NSchet = TrimText(number).isEmpty() ? QStringLiteral("0") : number;
  result.DSchet = ToDate(ConvertXmlDate(Text(*scan.dschet)));
  if (!readCases) return result;

  for (const SlSeen& sl : scan.sls) {
    const QString mesText = sl.mes ? TrimText(Text(*sl.mes)) : QString();
    const bool taken =
        (!mesText.isEmpty() && mesText != QLatin1String("0")) || (tPackage && sl.hasHmp);
    if (!taken) continue;
    PackageCase c;
    if (sl.hasHmp) {
      c.CareCode = 32;
    } else if (sl.reab && Text(*sl.reab) != QLatin1String("0")) {
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
