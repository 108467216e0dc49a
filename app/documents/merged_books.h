// What the workbook merges of the combined report share: the two workbooks of
// a merge open in the session's two applications, closed on every way out
// (the base saved only when the merge says so), the refusal message box, and
// the cells read as the merges read them. Internal to the merges.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "combined_books.h"
#include "workbook/worksheet.h"

namespace kelmo {

// The base workbook in the session's first application and the other in the
// second. Opening refuses a path that is not a regular file (a link or a
// folder) with WorkbookError naming it. The destructor closes both without
// saving, alerts off.
class MergedBooks {
 public:
  // `otherPath` may be empty: then only the base is opened.
  MergedBooks(CombinedBooksSession& session, const QString& basePath, const QString& otherPath);
  ~MergedBooks();
  MergedBooks(const MergedBooks&) = delete;
  MergedBooks& operator=(const MergedBooks&) = delete;

  workbook::Worksheet& Base() { return *base_; }
  // CombinedBookError "Файл не найден: " when no other workbook was given.
  workbook::Worksheet& Other();
  const QString& BasePath() const { return basePath_; }
  const QString& OtherPath() const { return otherPath_; }
  bool HasOther() const { return other_ != nullptr; }

  // Closes the other workbook, saves the base in place (never a half-written
  // file under its name) and closes it.
  void SaveBase();
  // Closes both without saving.
  void Close();

 private:
  CombinedBooksSession& session_;
  QString basePath_;
  QString otherPath_;
  workbook::Worksheet* base_ = nullptr;
  workbook::Worksheet* other_ = nullptr;
};

// The message box of a refused workbook: caption "Ошибка", the error icon.
void ShowRefusal(RunUser& user, const QString& text);

// "<path>: ..." for the refusals that name what a workbook lacks.
QString RefusalDetail(const QString& text, const QString& path, const QString& what);

// The cell's text as the application gives it.
QString CellText(const workbook::Worksheet& sheet, int row, int column);
// The cell's text, trimmed of characters below code 33 and upper-cased (or
// lower-cased), holds `word`.
bool CellHoldsUpper(const workbook::Worksheet& sheet, int row, int column, const QString& word);
bool CellHoldsLower(const workbook::Worksheet& sheet, int row, int column, const QString& word);

// The first row from `firstRow` down to the sheet's last used row that
// satisfies `holds`; nothing when there is none.
std::optional<int> FindRowDown(const workbook::Worksheet& sheet, int firstRow,
                               const std::function<bool(int row)>& holds);

// The cell's value as a number (blanks around, "." or "," as the separator;
// an empty cell is 0); CombinedBookError naming the file and the cell
// otherwise.
double CellNumber(const workbook::Worksheet& sheet, int row, int column, const QString& path);
// The same as an integer (a fraction is refused).
qint64 CellInteger(const workbook::Worksheet& sheet, int row, int column, const QString& path);
// The cell's value as money, rounded to four decimals halves to even.
Money CellMoney(const workbook::Worksheet& sheet, int row, int column, const QString& path);
// The CombinedBookError of a cell that does not hold a number.
[[noreturn]] void ThrowNotANumber(const workbook::Worksheet& sheet, int row, int column,
                                  const QString& path);

// A number as the application's general format keeps it: 15 significant
// digits.
double GeneralNumber(double value);

}  // namespace kelmo
