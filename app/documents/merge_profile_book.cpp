// Adding two bed-profile registers cell by cell: columns B to H from row 7
// down to the totals row.
#include <vector>

#include "combined_books.h"
#include "merged_books.h"

namespace kelmo {

namespace {

using workbook::Worksheet;

constexpr int kColumnA = 1, kFirstColumn = 2, kLastColumn = 8;
constexpr int kFirstRow = 7;
const QString kTotalsWord = QStringLiteral("ИТОГО");
const QString kProfileMessage = QStringLiteral("Неверный формат файла профилей!");

std::optional<int> TotalsRow(const Worksheet& sheet) {
  return FindRowDown(sheet, kFirstRow,
                     [&](int r) { return CellHoldsUpper(sheet, r, kColumnA, kTotalsWord); });
}

// A summed cell must hold a number; an empty one does not.
std::optional<double> SummedCell(const Worksheet& sheet, int row, int column, const QString& path,
                                 ProfileCellFailure failure) {
  if (!sheet.IsEmpty(row, column)) {
    try {
      return CellNumber(sheet, row, column, path);
    } catch (const CombinedBookError&) {
      if (failure == ProfileCellFailure::Raise) throw;
      return std::nullopt;
    }
  }
  if (failure == ProfileCellFailure::Raise) ThrowNotANumber(sheet, row, column, path);
  return std::nullopt;
}

}  // namespace

bool MergeProfileBook(CombinedBooksSession& session, const QString& basePath,
                      const QString& otherPath, ProfileCellFailure failure, RunUser& user) {
  MergedBooks books(session, basePath, otherPath);
  Worksheet& base = books.Base();
  const Worksheet& other = books.Other();
  const auto refuse = [&](const QString& text) {
    books.Close();
    ShowRefusal(user, text);
    return false;
  };

  // The registers are added by position, so both must end with their totals
  // on the same row.
  const auto totals = TotalsRow(base);
  if (!totals)
    return refuse(RefusalDetail(kProfileMessage, basePath,
                                QStringLiteral("нет строки «Итого» в столбце A ниже строки 6")));
  if (!CellHoldsUpper(other, *totals, kColumnA, kTotalsWord))
    return refuse(RefusalDetail(
        kProfileMessage, otherPath,
        QStringLiteral("нет строки «Итого» в строке %1, как в ").arg(*totals) + basePath));

  std::vector<double> sums;
  for (int column = kFirstColumn; column <= kLastColumn; ++column)
    for (int row = kFirstRow; row <= *totals; ++row) {
      const auto a = SummedCell(base, row, column, basePath, failure);
      const auto b = a ? SummedCell(other, row, column, otherPath, failure) : std::nullopt;
      if (!b) return refuse(kProfileMessage);
      sums.push_back(GeneralNumber(*a + *b));
    }
  auto sum = sums.begin();
  for (int column = kFirstColumn; column <= kLastColumn; ++column)
    for (int row = kFirstRow; row <= *totals; ++row) base.SetNumber(row, column, *sum++);

  books.SaveBase();
  return true;
}

}  // namespace kelmo
