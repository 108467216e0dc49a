// The style tables of a workbook (xl/styles.xml): number formats, fonts,
// fills, borders and cell formats (xf) parsed into values, everything else of
// the part kept as the template had it. A cell refers to a cell format by index; changing a cell's
// font, borders or alignment finds or adds the format with that change, so a
// template's formats stay as they were and each distinct look is stored once.
//
// Cost: a change is a hash look-up of the changed format (cached per format
// and change); writing is linear in the number of formats.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kelmo::workbook {

enum class LineStyle { None, Thin };

struct Font {
  bool bold = false;
  bool italic = false;
  double size = 11;
  bool hasSize = true;
  std::string name;
  std::string rest;  // the other children (colour, family, scheme, ...) as XML
  std::string Key() const;
};

struct BorderEdge {
  std::string style;  // empty: no line
  std::string colorXml;
};

struct Border {
  BorderEdge left, right, top, bottom, diagonal;
  bool diagonalUp = false;
  bool diagonalDown = false;
  std::string rest;  // vertical/horizontal edges and other attributes as XML
  std::string Key() const;
};

enum class HorizontalAlignment { General, Left, Center, Right, Justify };
enum class VerticalAlignment { Bottom, Center, Top, Justify };

struct CellFormat {
  int numFmtId = 0, fontId = 0, fillId = 0, borderId = 0;
  std::optional<int> xfId;
  std::vector<std::pair<std::string, std::string>> attributes;  // applyX and the like
  bool hasAlignment = false;
  std::vector<std::pair<std::string, std::string>> alignment;
  std::string tail;  // protection and extension children as XML
  std::string Key() const;
  std::string AlignmentAttr(const std::string& name) const;
  void SetAlignmentAttr(const std::string& name, const std::string& value);
  void SetAttribute(const std::string& name, const std::string& value);
};

// A change of some font properties; unset fields stay.
struct FontChange {
  std::optional<bool> bold;
  std::optional<bool> italic;
  std::optional<double> size;
  std::optional<std::string> name;
  std::string Key() const;
};

struct AlignmentChange {
  std::optional<HorizontalAlignment> horizontal;
  std::optional<VerticalAlignment> vertical;
  std::optional<bool> wrap;
  std::string Key() const;
};

// Which edges of one cell a border change sets; unset edges stay.
struct BorderChange {
  std::optional<LineStyle> left, right, top, bottom;
  std::optional<bool> diagonalUp, diagonalDown;
  std::string Key() const;
};

class CellStyles {
 public:
  // Takes the tables out of a parsed styles part, leaving marks in their
  // places; the document stays with the caller and is written with Texts().
  void Load(xmlDoc* doc);
  // The texts that replace the marks: fonts, borders and cellXfs, their
  // elements named with `prefix` (the part's prefix of the namespace, "x:" or "").
  std::map<std::string, std::string> Texts(const std::string& prefix = {}) const;
  // A minimal styles part for a new workbook (Calibri 11, one format).
  static std::string NewPartXml();

  size_t FormatCount() const { return formats_.size(); }
  const CellFormat& Format(uint32_t xf) const;
  const Font& FontOf(uint32_t xf) const;
  const Border& BorderOf(uint32_t xf) const;

  // The format `xf` of another workbook's tables as a format of these: its
  // number format, font, fill and border are found here or added, its cell
  // style becomes the workbook's normal one.
  uint32_t ImportFormat(const CellStyles& from, uint32_t xf);

  uint32_t WithFont(uint32_t xf, const FontChange& change);
  uint32_t WithAlignment(uint32_t xf, const AlignmentChange& change);
  uint32_t WithBorder(uint32_t xf, const BorderChange& change);

 private:
  uint32_t InternFormat(CellFormat format);
  int InternFont(const Font& font);
  int InternBorder(const Border& border);
  int InternFill(const std::string& xml);
  int InternNumberFormat(const std::string& code);

  std::string prefix_;  // the part's namespace prefix, which kept XML texts carry
  std::map<int, std::string> numberFormats_;  // the part's own: id -> format code
  std::vector<std::string> fills_;            // each <fill> as XML
  std::unordered_map<std::string, int> fillIndex_;
  std::vector<Font> fonts_;
  std::vector<Border> borders_;
  std::vector<CellFormat> formats_;
  std::unordered_map<std::string, int> fontIndex_;
  std::unordered_map<std::string, int> borderIndex_;
  std::unordered_map<std::string, uint32_t> formatIndex_;
  std::unordered_map<std::string, uint32_t> changeCache_;
};

}  // namespace kelmo::workbook
