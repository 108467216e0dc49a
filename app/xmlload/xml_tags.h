// The one reader of element values for the XML loading: the text of a child
// element trimmed and turned into a value of its kind, every value found
// written to the log ("Чтение тэга: " and "  Значение: ").
//
// Kinds: an integer (0 when the element is absent or blank), a text (empty),
// an integer or null, a decimal ("," read as ".", 0 or null), a date text
// (YYYY-MM-DD turned into DD.MM.YYYY, null). Four names carry defaults for
// an absent or blank element: "RSLT" 104, "ISHOD" 102, "SPEC_CODE" "null",
// "NOVOR" 0. A text that is not a number where one is read raises
// XmlValueError.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>
#include <stdexcept>

#include "xml_tree.h"

namespace kelmo {

// The elements of the registry dialect that hold other elements: the roots
// and heads of the person and main documents, the records and the blocks
// inside them. The loading reads through them and the export writes them,
// under these one spellings.
namespace xml_tag {
inline constexpr char PERS_LIST[] = "PERS_LIST";
inline constexpr char ZL_LIST[] = "ZL_LIST";
inline constexpr char ZGLV[] = "ZGLV";
inline constexpr char SCHET[] = "SCHET";
inline constexpr char PERS[] = "PERS";
inline constexpr char ZAP[] = "ZAP";
inline constexpr char PACIENT[] = "PACIENT";
inline constexpr char Z_SL[] = "Z_SL";
inline constexpr char SL[] = "SL";
inline constexpr char SANK[] = "SANK";
inline constexpr char NAPR[] = "NAPR";
inline constexpr char CONS[] = "CONS";
inline constexpr char ONK_SL[] = "ONK_SL";
inline constexpr char B_DIAG[] = "B_DIAG";
inline constexpr char B_PROT[] = "B_PROT";
inline constexpr char ONK_USL[] = "ONK_USL";
inline constexpr char LEK_PR[] = "LEK_PR";
inline constexpr char KSG_KPG[] = "KSG_KPG";
inline constexpr char LEKAR[] = "LEKAR";
inline constexpr char USL[] = "USL";
}  // namespace xml_tag

class XmlValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Trimmed as the program trims: every character up to the blank cut off at
// both ends.
QString TrimmedXml(const QString& text);

// The default text of a named default key; null when the key has none.
QVariant TagDefault(const QString& key);

class TagReader {
 public:
  using Log = std::function<void(const QString& line)>;
  explicit TagReader(Log log = {}) : log_(std::move(log)) {}

  // Integer: 0 when absent or blank (or the named default).
  int Int(const XmlNode& parent, const char* name, const QString& defaultKey = {}) const;
  // Trimmed text: empty when absent (or the named default).
  QString Text(const XmlNode& parent, const char* name, const QString& defaultKey = {}) const;
  // Integer, null when absent or blank.
  QVariant IntOrNull(const XmlNode& parent, const char* name) const;
  // Decimal: 0 when absent or blank; null instead with `nullWhenMissing`.
  QVariant Num(const XmlNode& parent, const char* name, bool nullWhenMissing = false) const;
  // Date text DD.MM.YYYY (ConvertXmlDate); null when absent or blank.
  QVariant DateText(const XmlNode& parent, const char* name) const;
  // The text of one given element (a repeated one), trimmed, logged.
  QString TextOf(const XmlNode& element) const;

 private:
  // The trimmed text of the first child of the name; empty when absent.
  QString Found(const XmlNode& parent, const char* name) const;
  void Logged(const char* name, const QString& value) const;
  Log log_;
};

// The first child of the name, which must be there; raises XmlValueError
// naming the element and its parent.
const XmlNode& RequiredChild(const XmlNode& parent, const char* name);
// Its text as written.
inline QString RequiredText(const XmlNode& parent, const char* name) {
  return RequiredChild(parent, name).FullText();
}

// An insert's text followed by its values line: every column of the list as
// a parameter of its name.
QString InsertWithValues(const QString& insert);

// Whole-number conversion of a trimmed text; raises XmlValueError.
int XmlInteger(const QString& text);
// Decimal conversion ("," read as "."); raises XmlValueError.
double XmlDecimal(const QString& text);
// A date: the text converted by ConvertXmlDate and read as DD.MM.YYYY;
// raises XmlValueError for a text that is no date (an empty one included).
QDate XmlDate(const QString& text);

}  // namespace kelmo
