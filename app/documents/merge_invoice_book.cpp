// Adding two invoices of one kind: their layout is checked, then the second
// invoice's bed-day counts and sums are added into the base.
#include <vector>

#include "combined_books.h"
#include "merged_books.h"

namespace kelmo {

namespace {

using workbook::Worksheet;

constexpr int kColumnA = 1, kColumnC = 3, kColumnE = 5, kColumnH = 8, kColumnI = 9;
// Every invoice carries its care in row 16; the unattached one's signature
// rows are removed from row 17 down.
constexpr int kCareRow = 16;
constexpr int kFirstRemovedRow = 17;
// The signature line must stand at least two rows below the first removed
// row: above that the removal would reach the summed row.
constexpr int kLowestSignatureRow = 19;

struct CellAt {
  int row;
  int column;
};

// What the merge reads and writes of one kind of invoice.
struct InvoiceLayout {
  int labelRow;  // the totals row's caption in column A; 0: none
  std::vector<CellAt> counts;
  std::vector<CellAt> sums;
};

const QString kInvoiceMessage = QStringLiteral("Неверный формат файла счет-фактуры!");
const QString kUnattachedMessage =
    QStringLiteral("Неверный формат файла счет-фактуры по неприкрепленному населению!");
const QString kTotalWord = QStringLiteral("ВСЕГО");
const QString kCareWords = QStringLiteral("медицинская помощь");
const QString kSignatureWord = QStringLiteral("руководитель");

InvoiceLayout LayoutOf(InvoiceKind kind) {
  switch (kind) {
    case InvoiceKind::Unattached:
      return {0, {{kCareRow, kColumnC}}, {{kCareRow, kColumnE}, {kCareRow, kColumnH}}};
    case InvoiceKind::FF:
    case InvoiceKind::TF:
      return {18,
              {{kCareRow, kColumnC}, {18, kColumnC}},
              {{kCareRow, kColumnE}, {kCareRow, kColumnI}, {18, kColumnI}}};
    case InvoiceKind::TR:
      return {17,
              {{kCareRow, kColumnC}, {17, kColumnC}},
              {{kCareRow, kColumnE}, {kCareRow, kColumnI}, {17, kColumnI}}};
    case InvoiceKind::Basic:
    case InvoiceKind::Oncology:
    default:
      return {17,
              {{kCareRow, kColumnC}, {17, kColumnC}},
              {{kCareRow, kColumnE}, {kCareRow, kColumnH}, {17, kColumnH}}};
  }
}

bool Present(const Worksheet& sheet, const CellAt& cell) {
  return !sheet.Text(cell.row, cell.column).empty();
}

// The part of the check that one invoice must pass on its own.
bool PassesCheck(const Worksheet& sheet, const InvoiceMerge& merge, const InvoiceLayout& layout,
                 bool isBase) {
  const bool shortCheck =
      (merge.Kind == InvoiceKind::Basic || merge.Kind == InvoiceKind::Oncology) &&
      !merge.RoundTheClock && merge.AttachedPopulation;
  if (shortCheck) return Present(sheet, {kCareRow, kColumnC});
  if (layout.labelRow != 0 && !CellHoldsUpper(sheet, layout.labelRow, kColumnA, kTotalWord))
    return false;
  if (merge.Kind == InvoiceKind::Unattached && isBase &&
      !CellHoldsLower(sheet, kCareRow, kColumnA, kCareWords))
    return false;
  for (const auto* cells : {&layout.counts, &layout.sums})
    for (const CellAt& cell : *cells)
      if (!Present(sheet, cell)) return false;
  return true;
}

}  // namespace

bool MergeInvoiceBook(CombinedBooksSession& session, const InvoiceMerge& merge, RunUser& user) {
  session.InvoiceCheckFailed = false;
  const InvoiceLayout layout = LayoutOf(merge.Kind);
  const QString& message =
      merge.Kind == InvoiceKind::Unattached ? kUnattachedMessage : kInvoiceMessage;
  MergedBooks books(session, merge.BasePath, merge.OtherPath);
  Worksheet& base = books.Base();
  const auto refuse = [&](const QString& text) {
    session.InvoiceCheckFailed = true;
    books.Close();
    ShowRefusal(user, text);
    return false;
  };

  const bool baseFits = PassesCheck(base, merge, layout, true);
  // An oncology invoice of "2778" alone is only checked, to no effect; it
  // stays as it is (saving it again would change nothing but its format).
  if (!books.HasOther() && merge.Kind == InvoiceKind::Oncology) return true;
  const Worksheet& other = books.Other();
  if (!baseFits || !PassesCheck(other, merge, layout, false)) return refuse(message);

  std::optional<int> signature;
  if (merge.Kind == InvoiceKind::Unattached && merge.RemoveSignatureRows) {
    signature = FindRowDown(base, kFirstRemovedRow, [&](int r) {
      return CellHoldsLower(base, r, kColumnA, kSignatureWord);
    });
    if (!signature || *signature < kLowestSignatureRow)
      return refuse(RefusalDetail(message, merge.BasePath,
                                  QStringLiteral("нет строки «Руководитель» в столбце A ниже "
                                                 "строки 18")));
  }

  // Everything is read before anything is written: a value that is not a
  // number leaves the base as it was.
  std::vector<qint64> counts;
  for (const CellAt& c : layout.counts)
    counts.push_back(CellInteger(base, c.row, c.column, merge.BasePath) +
                     CellInteger(other, c.row, c.column, merge.OtherPath));
  std::vector<double> sums;
  for (const CellAt& c : layout.sums)
    sums.push_back(GeneralNumber(CellNumber(base, c.row, c.column, merge.BasePath) +
                                 CellNumber(other, c.row, c.column, merge.OtherPath)));
  for (size_t i = 0; i < counts.size(); ++i)
    base.SetNumber(layout.counts[i].row, layout.counts[i].column, static_cast<double>(counts[i]));
  for (size_t i = 0; i < sums.size(); ++i)
    base.SetNumber(layout.sums[i].row, layout.sums[i].column, sums[i]);
  // The signature line moves up to row 18, right under the row above it.
  if (signature) base.DeleteRows(kFirstRemovedRow, *signature - 2 - kFirstRemovedRow + 1);

  books.SaveBase();
  return true;
}

}  // namespace kelmo
