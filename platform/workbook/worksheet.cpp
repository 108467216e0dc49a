// Cells, formats, merges and rows of one sheet (see worksheet.h).
#include "worksheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "workbook_error.h"

namespace kelmo::workbook {

namespace {

void CheckCell(int row, int column) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
    throw WorkbookError("Неверный адрес ячейки: " + std::to_string(row) + "," +
                        std::to_string(column));
}

std::string Trimmed(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return std::string(s.substr(a, b - a));
}

}  // namespace

std::string CellValue::Text() const {
  switch (type) {
    case CellType::Number: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.15g", number);
      std::string s = buf;
      if (s == "-0") s = "0";
      return s;
    }
    case CellType::Boolean:
      return number != 0 ? "TRUE" : "FALSE";
    case CellType::Text:
    case CellType::Error:
      return text;
    default:
      return {};
  }
}

double CellValue::Number() const {
  switch (type) {
    case CellType::Number:
    case CellType::Boolean:
      return number;
    case CellType::Empty:
      return 0;
    default:
      break;
  }
  std::string t = Trimmed(text);
  if (t.empty()) return 0;
  std::replace(t.begin(), t.end(), ',', '.');
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v))
    throw WorkbookError("Значение не является числом: " + text);
  return v;
}

Worksheet::Worksheet(std::string name, StringPool& strings, CellStyles& styles)
    : name_(std::move(name)), strings_(strings), styles_(styles) {}

const Worksheet::Cell* Worksheet::Find(int row, int column) const {
  if (row < 1 || row > static_cast<int>(rows_.size())) return nullptr;
  const auto& cells = rows_[row - 1].cells;
  const auto it = std::lower_bound(cells.begin(), cells.end(), static_cast<uint32_t>(column),
                                   [](const Cell& c, uint32_t col) { return c.column < col; });
  return it != cells.end() && it->column == static_cast<uint32_t>(column) ? &*it : nullptr;
}

Worksheet::Cell& Worksheet::Touch(int row, int column) {
  CheckCell(row, column);
  if (row > static_cast<int>(rows_.size())) rows_.resize(row);
  Row& r = rows_[row - 1];
  auto& cells = r.cells;
  const auto col = static_cast<uint32_t>(column);
  if (cells.empty() || cells.back().column < col) {
    Cell c;
    c.column = col;
    c.style = r.customFormat ? r.style : 0;
    cells.push_back(c);
    return cells.back();
  }
  auto it = std::lower_bound(cells.begin(), cells.end(), col,
                             [](const Cell& c, uint32_t k) { return c.column < k; });
  if (it != cells.end() && it->column == col) return *it;
  Cell c;
  c.column = col;
  c.style = r.customFormat ? r.style : 0;
  return *cells.insert(it, c);
}

void Worksheet::Remove(int row, int column) {
  if (row < 1 || row > static_cast<int>(rows_.size())) return;
  auto& cells = rows_[row - 1].cells;
  const auto it = std::lower_bound(cells.begin(), cells.end(), static_cast<uint32_t>(column),
                                   [](const Cell& c, uint32_t col) { return c.column < col; });
  if (it != cells.end() && it->column == static_cast<uint32_t>(column)) cells.erase(it);
}

CellValue Worksheet::Value(int row, int column) const {
  CellValue v;
  const Cell* c = Find(row, column);
  if (!c) return v;
  v.type = c->type;
  if (c->type == CellType::Text || c->type == CellType::Error)
    v.text = strings_.At(c->text);
  else if (c->type != CellType::Empty)
    v.number = c->number;
  return v;
}

std::string Worksheet::Formula(int row, int column) const {
  const Cell* c = Find(row, column);
  return c && c->formula ? strings_.At(c->formula - 1) : std::string();
}

void Worksheet::SetText(int row, int column, std::string_view text) {
  Cell& c = Touch(row, column);
  c.formula = 0;
  if (text.empty()) {
    c.type = CellType::Empty;
    c.number = 0;
    return;
  }
  c.type = CellType::Text;
  c.text = strings_.Intern(text);
}

void Worksheet::SetNumber(int row, int column, double value) {
  if (!std::isfinite(value))
    throw WorkbookError("Недопустимое число в ячейке " + FormatCell(row, column));
  Cell& c = Touch(row, column);
  c.formula = 0;
  c.type = CellType::Number;
  c.number = value;
}

void Worksheet::SetBoolean(int row, int column, bool value) {
  Cell& c = Touch(row, column);
  c.formula = 0;
  c.type = CellType::Boolean;
  c.number = value ? 1 : 0;
}

void Worksheet::SetFormula(int row, int column, std::string_view formula) {
  if (!formula.empty() && formula.front() == '=') formula.remove_prefix(1);
  Cell& c = Touch(row, column);
  c.type = CellType::Empty;
  c.number = 0;
  c.formula = formula.empty() ? 0 : strings_.Intern(formula) + 1;
}

template <typename F>
void Worksheet::ForEachCell(const CellRange& range, F f) {
  for (int r = range.first.row; r <= range.last.row; ++r)
    for (int col = range.first.column; col <= range.last.column; ++col) f(r, col, Touch(r, col));
}

void Worksheet::ClearContents(const CellRange& range) {
  for (int r = range.first.row; r <= std::min(range.last.row, static_cast<int>(rows_.size()));
       ++r) {
    auto& cells = rows_[r - 1].cells;
    for (auto it = cells.begin(); it != cells.end();) {
      if (static_cast<int>(it->column) >= range.first.column &&
          static_cast<int>(it->column) <= range.last.column) {
        it->type = CellType::Empty;
        it->formula = 0;
        it->number = 0;
        if (it->style == 0) {
          it = cells.erase(it);
          continue;
        }
      }
      ++it;
    }
  }
}

void Worksheet::Clear(const CellRange& range) {
  for (int r = range.first.row; r <= std::min(range.last.row, static_cast<int>(rows_.size()));
       ++r) {
    auto& cells = rows_[r - 1].cells;
    std::erase_if(cells, [&](const Cell& c) {
      return static_cast<int>(c.column) >= range.first.column &&
             static_cast<int>(c.column) <= range.last.column;
    });
  }
  RemoveMergesIn(range);
}

void Worksheet::SetFont(const CellRange& range, const FontChange& change) {
  ForEachCell(range, [&](int, int, Cell& c) { c.style = styles_.WithFont(c.style, change); });
}

void Worksheet::SetAlignment(const CellRange& range, const AlignmentChange& change) {
  ForEachCell(range, [&](int, int, Cell& c) { c.style = styles_.WithAlignment(c.style, change); });
}

void Worksheet::SetBorder(const CellRange& range, BorderIndex index, LineStyle style) {
  const CellRange& g = range;
  auto apply = [&](const CellRange& part, const BorderChange& change) {
    ForEachCell(part, [&](int, int, Cell& c) { c.style = styles_.WithBorder(c.style, change); });
  };
  BorderChange change;
  switch (index) {
    case BorderIndex::DiagonalDown:
      change.diagonalDown = style == LineStyle::Thin;
      apply(g, change);
      break;
    case BorderIndex::DiagonalUp:
      change.diagonalUp = style == LineStyle::Thin;
      apply(g, change);
      break;
    case BorderIndex::EdgeLeft:
      change.left = style;
      apply({g.first, {g.last.row, g.first.column}}, change);
      break;
    case BorderIndex::EdgeRight:
      change.right = style;
      apply({{g.first.row, g.last.column}, g.last}, change);
      break;
    case BorderIndex::EdgeTop:
      change.top = style;
      apply({g.first, {g.first.row, g.last.column}}, change);
      break;
    case BorderIndex::EdgeBottom:
      change.bottom = style;
      apply({{g.last.row, g.first.column}, g.last}, change);
      break;
    case BorderIndex::InsideVertical: {
      if (g.first.column == g.last.column)
        throw WorkbookError("Диапазон не имеет внутренних линий");
      BorderChange left, right;
      right.right = style;
      left.left = style;
      apply({g.first, {g.last.row, g.last.column - 1}}, right);
      apply({{g.first.row, g.first.column + 1}, g.last}, left);
      break;
    }
    case BorderIndex::InsideHorizontal: {
      if (g.first.row == g.last.row) throw WorkbookError("Диапазон не имеет внутренних линий");
      BorderChange top, bottom;
      bottom.bottom = style;
      top.top = style;
      apply({g.first, {g.last.row - 1, g.last.column}}, bottom);
      apply({{g.first.row + 1, g.first.column}, g.last}, top);
      break;
    }
  }
}

uint32_t Worksheet::StyleAt(int row, int column) const {
  const Cell* c = Find(row, column);
  if (c) return c->style;
  if (row >= 1 && row <= static_cast<int>(rows_.size()) && rows_[row - 1].customFormat)
    return rows_[row - 1].style;
  return 0;
}

const Font& Worksheet::FontAt(int row, int column) const {
  return styles_.FontOf(StyleAt(row, column));
}
const Border& Worksheet::BorderAt(int row, int column) const {
  return styles_.BorderOf(StyleAt(row, column));
}
const CellFormat& Worksheet::FormatAt(int row, int column) const {
  return styles_.Format(StyleAt(row, column));
}

void Worksheet::RemoveMergesIn(const CellRange& area) {
  auto it = merges_.lower_bound(area.first.row - tallestMerge_ + 1);
  while (it != merges_.end() && it->first <= area.last.row) {
    if (it->second.Intersects(area))
      it = merges_.erase(it);
    else
      ++it;
  }
}

void Worksheet::AddMergeUnchecked(const CellRange& range) {
  if (range.first == range.last) return;
  merges_.emplace(range.first.row, range);
  tallestMerge_ = std::max(tallestMerge_, range.Rows());
}

void Worksheet::Merge(const CellRange& range) {
  RemoveMergesIn(range);
  AddMergeUnchecked(range);
}

void Worksheet::Unmerge(const CellRange& range) {
  RemoveMergesIn(range);
}

std::vector<CellRange> Worksheet::Merges() const {
  std::vector<CellRange> out;
  out.reserve(merges_.size());
  for (const auto& [row, m] : merges_) out.push_back(m);
  return out;
}

void Worksheet::InsertRows(int row, int count) {
  CheckCell(row, 1);
  if (count <= 0) return;
  if (row <= static_cast<int>(rows_.size()))
    rows_.insert(rows_.begin() + (row - 1), static_cast<size_t>(count), Row{});
  if (static_cast<int>(rows_.size()) > kMaxRows) rows_.resize(kMaxRows);
  std::multimap<int, CellRange> moved;
  for (auto [top, m] : merges_) {
    if (m.first.row >= row) {
      m.first.row += count;
      m.last.row += count;
    } else if (m.last.row >= row) {
      m.last.row += count;
    }
    if (m.last.row <= kMaxRows) {
      moved.emplace(m.first.row, m);
      tallestMerge_ = std::max(tallestMerge_, m.Rows());
    }
  }
  merges_.swap(moved);
}

void Worksheet::DeleteRows(int row, int count) {
  CheckCell(row, 1);
  if (count <= 0) return;
  const int last = row + count - 1;
  if (row <= static_cast<int>(rows_.size()))
    rows_.erase(rows_.begin() + (row - 1),
                rows_.begin() + std::min(static_cast<int>(rows_.size()), last));
  std::multimap<int, CellRange> kept;
  for (auto [top, m] : merges_) {
    if (m.last.row < row) {
      // above: unchanged
    } else if (m.first.row > last) {
      m.first.row -= count;
      m.last.row -= count;
    } else {
      // The deleted rows come out of the merge.
      const int above = std::max(0, row - m.first.row);
      const int below = std::max(0, m.last.row - last);
      if (above + below == 0) continue;
      m.first.row = m.first.row < row ? m.first.row : row;
      m.last.row = m.first.row + above + below - 1;
    }
    if (!(m.first == m.last)) kept.emplace(m.first.row, m);
  }
  merges_.swap(kept);
}

void Worksheet::ClearRows(int firstRow, int lastRow) {
  const CellRange area = MakeRange(firstRow, 1, lastRow, kMaxColumns);
  for (int r = area.first.row; r <= std::min(area.last.row, static_cast<int>(rows_.size())); ++r) {
    Row& row = rows_[r - 1];
    row.cells.clear();
    row.style = 0;
    row.customFormat = false;
  }
  auto it = merges_.begin();
  while (it != merges_.end()) {
    if (it->second.first.row >= area.first.row && it->second.last.row <= area.last.row)
      it = merges_.erase(it);
    else
      ++it;
  }
}

void Worksheet::SetRowHeight(int row, double points) {
  CheckCell(row, 1);
  if (row > static_cast<int>(rows_.size())) rows_.resize(row);
  rows_[row - 1].height = points;
  rows_[row - 1].customHeight = points > 0;
}

double Worksheet::RowHeight(int row) const {
  if (row < 1 || row > static_cast<int>(rows_.size())) return 0;
  return rows_[row - 1].height;
}

void Worksheet::CopyRange(const CellRange& source, Worksheet& target, int row, int column) {
  // Into another workbook, texts and formats are that workbook's own: each
  // text is entered into its pool, each format found or added in its tables.
  const bool foreign = &target.strings_ != &strings_ || &target.styles_ != &styles_;
  std::unordered_map<uint32_t, uint32_t> formats;
  const auto carry = [&](Cell& c) {
    if (!foreign) return;
    if (c.type == CellType::Text || c.type == CellType::Error)
      c.text = target.strings_.Intern(strings_.At(c.text));
    if (c.formula) c.formula = target.strings_.Intern(strings_.At(c.formula - 1)) + 1;
    auto [it, added] = formats.try_emplace(c.style, 0);
    if (added) it->second = target.styles_.ImportFormat(styles_, c.style);
    c.style = it->second;
  };
  const int dr = row - source.first.row, dc = column - source.first.column;
  const CellRange area =
      MakeRange(row, column, row + source.Rows() - 1, column + source.Columns() - 1);
  const int lastSourceRow = std::min(source.last.row, static_cast<int>(rows_.size()));
  // The copies are gathered first (source and target may overlap) in a list
  // the sheet keeps: a register copies its block thousands of times.
  std::vector<CopiedCell>& cells = copyScratch_;
  cells.clear();
  for (int r = source.first.row; r <= lastSourceRow; ++r) {
    const auto& rc = rows_[r - 1].cells;
    auto it = std::lower_bound(rc.begin(), rc.end(), static_cast<uint32_t>(source.first.column),
                               [](const Cell& c, uint32_t col) { return c.column < col; });
    for (; it != rc.end() && static_cast<int>(it->column) <= source.last.column; ++it) {
      CopiedCell c{r + dr, *it};
      c.cell.column = static_cast<uint32_t>(static_cast<int>(it->column) + dc);
      if (it->formula && (dr != 0 || dc != 0))
        c.cell.formula = strings_.Intern(ShiftFormula(strings_.At(it->formula - 1), dr, dc)) + 1;
      carry(c.cell);
      cells.push_back(c);
    }
  }
  std::vector<CellRange> merges;
  {
    auto it = merges_.lower_bound(source.first.row);
    for (; it != merges_.end() && it->first <= source.last.row; ++it) {
      const CellRange& m = it->second;
      if (m.first.column >= source.first.column && m.last.column <= source.last.column &&
          m.last.row <= source.last.row)
        merges.push_back(
            {{m.first.row + dr, m.first.column + dc}, {m.last.row + dr, m.last.column + dc}});
    }
  }
  // Empty the target area, then put the copies in.
  for (int r = area.first.row; r <= std::min(area.last.row, static_cast<int>(target.rows_.size()));
       ++r) {
    auto& rc = target.rows_[r - 1].cells;
    auto first = std::lower_bound(rc.begin(), rc.end(), static_cast<uint32_t>(area.first.column),
                                  [](const Cell& c, uint32_t col) { return c.column < col; });
    auto last = first;
    while (last != rc.end() && static_cast<int>(last->column) <= area.last.column) ++last;
    rc.erase(first, last);
  }
  target.RemoveMergesIn(area);
  // The copies come row by row; each row grows once, to its exact size, so a
  // register of copied blocks holds no spare room in its rows.
  for (size_t i = 0; i < cells.size();) {
    size_t end = i;
    while (end < cells.size() && cells[end].row == cells[i].row) ++end;
    CheckCell(cells[i].row, 1);
    if (cells[i].row > static_cast<int>(target.rows_.size())) target.rows_.resize(cells[i].row);
    auto& rc = target.rows_[cells[i].row - 1].cells;
    rc.reserve(rc.size() + (end - i));
    for (; i < end; ++i) {
      Cell& dst = target.Touch(cells[i].row, static_cast<int>(cells[i].cell.column));
      dst = cells[i].cell;
    }
  }
  for (const CellRange& m : merges) target.AddMergeUnchecked(m);
  // A list grown by one large copy is not kept.
  if (cells.capacity() > 4096) std::vector<CopiedCell>().swap(cells);
}

int Worksheet::LastRow() const {
  for (int r = static_cast<int>(rows_.size()); r >= 1; --r)
    if (!rows_[r - 1].cells.empty()) return r;
  return 0;
}

int Worksheet::LastColumn() const {
  uint32_t last = 0;
  for (const Row& r : rows_)
    if (!r.cells.empty()) last = std::max(last, r.cells.back().column);
  return static_cast<int>(last);
}

std::string ShiftFormula(std::string_view f, int rows, int columns) {
  std::string out;
  out.reserve(f.size() + 8);
  size_t i = 0;
  while (i < f.size()) {
    const char ch = f[i];
    if (ch == '"') {  // string literal, copied as it is
      const size_t end = f.find('"', i + 1);
      const size_t stop = end == std::string_view::npos ? f.size() : end + 1;
      out.append(f.substr(i, stop - i));
      i = stop;
      continue;
    }
    if (ch == '\'') {  // quoted sheet name
      size_t j = i + 1;
      while (j < f.size() && !(f[j] == '\'' && (j + 1 >= f.size() || f[j + 1] != '\'')))
        j += f[j] == '\'' ? 2 : 1;
      const size_t stop = std::min(f.size(), j + 1);
      out.append(f.substr(i, stop - i));
      i = stop;
      continue;
    }
    const bool boundary = i == 0 || !(std::isalnum(static_cast<unsigned char>(f[i - 1])) ||
                                      f[i - 1] == '_' || f[i - 1] == '.');
    if (boundary && (ch == '$' || std::isalpha(static_cast<unsigned char>(ch)))) {
      size_t j = i;
      const bool colAbs = f[j] == '$';
      if (colAbs) ++j;
      const size_t letters = j;
      while (j < f.size() && std::isalpha(static_cast<unsigned char>(f[j])) && j - letters < 3) ++j;
      const size_t letterEnd = j;
      const bool rowAbs = j < f.size() && f[j] == '$';
      if (rowAbs) ++j;
      const size_t digits = j;
      while (j < f.size() && std::isdigit(static_cast<unsigned char>(f[j]))) ++j;
      const bool endsWord = j >= f.size() || !(std::isalnum(static_cast<unsigned char>(f[j])) ||
                                               f[j] == '_' || f[j] == '(');
      if (letterEnd > letters && j > digits && endsWord) {
        int col = 0;
        for (size_t k = letters; k < letterEnd; ++k)
          col = col * 26 + (std::toupper(static_cast<unsigned char>(f[k])) - 'A' + 1);
        // More digits than a sheet's rows have name no row (and must not overflow).
        const bool tooLong = j - digits > 8;
        long r = tooLong
                     ? 0
                     : std::strtol(std::string(f.substr(digits, j - digits)).c_str(), nullptr, 10);
        if (!colAbs) col += columns;
        if (!rowAbs) r += rows;
        if (tooLong || col < 1 || col > kMaxColumns || r < 1 || r > kMaxRows) {
          out += "#REF!";
        } else {
          if (colAbs) out += '$';
          out += ColumnName(col);
          if (rowAbs) out += '$';
          out += std::to_string(r);
        }
        i = j;
        continue;
      }
      // A name or function: copy the whole word.
      size_t w = i;
      while (w < f.size() && (std::isalnum(static_cast<unsigned char>(f[w])) || f[w] == '_' ||
                              f[w] == '.' || f[w] == '$'))
        ++w;
      out.append(f.substr(i, w - i));
      i = w;
      continue;
    }
    out += ch;
    ++i;
  }
  return out;
}

}  // namespace kelmo::workbook
