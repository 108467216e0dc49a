// Joining two registers of treated patients: the second register's rows are
// pasted under the base's body and the totals of both are summed.
#include <QStringList>

#include "combined_books.h"
#include "merged_books.h"
#include "workbook/cell_address.h"

namespace kelmo {

namespace {

using workbook::MakeRange;
using workbook::Worksheet;

constexpr int kColumnA = 1, kColumnB = 2, kColumnQ = 17, kColumnS = 19;
// The register's heading line, copied over the merged body.
constexpr int kHeadingRow = 4;
// The footer is searched from here; the body starts at row 7, so a footer
// above row 11 leaves no room for the two totals rows under the header.
constexpr int kFooterSearchRow = 8;
constexpr int kLowestFooterRow = 11;

// The totals' places: columns of the first totals row (r - 4), then of the
// second (r - 3).
constexpr int kFirstRowColumns[] = {7, 8, 9, 10, 11};
constexpr int kSecondRowColumns[] = {14, 15, 16, 18, 19};

const QString kFooterWord = QStringLiteral("ВЕРСИЯ");
const QString kRegisterMessage = QStringLiteral("Неверный формат файла реестра");

// The footer row: the first row from row 8 whose column B holds "ВЕРСИЯ".
std::optional<int> FooterRow(const Worksheet& sheet) {
  const auto row = FindRowDown(sheet, kFooterSearchRow, [&](int r) {
    return CellHoldsUpper(sheet, r, kColumnB, kFooterWord);
  });
  if (!row || *row < kLowestFooterRow) return std::nullopt;
  return row;
}

RegisterTotals ReadTotals(const Worksheet& sheet, int footer, const QString& path) {
  RegisterTotals totals{};
  size_t i = 0;
  for (int column : kFirstRowColumns) totals[i++] = CellMoney(sheet, footer - 4, column, path);
  for (int column : kSecondRowColumns) totals[i++] = CellMoney(sheet, footer - 3, column, path);
  return totals;
}

void WriteMoney(Worksheet& sheet, int row, int column, Money value) {
  sheet.SetNumber(row, column, GeneralNumber(value.ToDouble()));
}

}  // namespace

bool MergeRegisterBook(CombinedBooksSession& session, const RegisterMerge& merge, RunUser& user) {
  session.BaseTotals = {};
  session.OtherTotals = {};
  MergedBooks books(session, merge.BasePath, merge.OtherPath);
  Worksheet& base = books.Base();
  Worksheet& other = books.Other();

  // Both footers are found before anything is changed: a register without
  // one is refused as it is.
  const auto baseFooter = FooterRow(base);
  const auto otherFooter = FooterRow(other);
  for (const auto& [found, path] :
       {std::pair{baseFooter, merge.BasePath}, std::pair{otherFooter, merge.OtherPath}}) {
    if (found) continue;
    books.Close();
    ShowRefusal(user, RefusalDetail(kRegisterMessage, path,
                                    QStringLiteral("нет строки со словом «ВЕРСИЯ» в столбце "
                                                   "B ниже строки 10")));
    return false;
  }
  const int r1 = *baseFooter, r2 = *otherFooter;
  session.BaseTotals = ReadTotals(base, r1, merge.BasePath);
  session.OtherTotals = ReadTotals(other, r2, merge.OtherPath);
  const QString footerLine = CellText(base, r1, kColumnB);

  // The base's totals and footer make way for the second register, headed by
  // its own heading line.
  const int g = r1 - 4;
  base.Clear(MakeRange(g, kColumnA, r1, kColumnS));
  base.SetText(g, kColumnB, CellText(other, kHeadingRow, kColumnB).toStdString());
  workbook::FontChange bold;
  bold.bold = true;
  base.SetFont(MakeRange(g, kColumnB, g, kColumnB), bold);

  // The second's body and its totals rows, with their formats and merges.
  const int firstRow = merge.FirstCopiedRow == 8 ? 8 : 7;
  other.CopyRange(MakeRange(firstRow, kColumnA, r2 - 2, kColumnS), base, g + 1, kColumnA);
  // The footer goes where the pasted rows leave room for it; the sums go on
  // the two rows above it.
  const int footer = firstRow == 7 ? r2 + g - 4 : r2 + g - 7;
  base.SetText(footer, kColumnB, footerLine.toStdString());

  const RegisterTotals& a = session.BaseTotals;
  const RegisterTotals& b = session.OtherTotals;
  for (size_t i = 0; i < 5; ++i) WriteMoney(base, footer - 4, kFirstRowColumns[i], a[i] + b[i]);
  WriteMoney(base, footer - 4, kSecondRowColumns[0], a[5] + b[5]);
  for (size_t i = 5; i < 10; ++i)
    WriteMoney(base, footer - 3, kSecondRowColumns[i - 5], a[i] + b[i]);
  WriteMoney(base, footer - 3, kColumnQ, a[8] + a[9] + b[8] + b[9]);

  books.SaveBase();
  return true;
}

}  // namespace kelmo
