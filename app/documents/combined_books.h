// The workbook merges of the combined report: two registers of treated
// patients joined into one (`MergeRegisterBook`), two bed-profile registers
// added cell by cell (`MergeProfileBook`) and two invoices of one kind added
// into one (`MergeInvoiceBook`). Each merge opens the base workbook in the
// session's first application and the other in the second, writes the result
// into the base, saves the base in place and closes both; on every failure
// both are closed without saving and the base stays as it was.
//
// Workbooks are found by the caller: a merge works on the paths it is given
// (an institution's ".xls" form or our own ".xlsx"; the base is saved in the
// workbook layer's format under its own name).
//
// Refusals (a message box through the RunUser with the caption "Ошибка" and
// the error icon, then the merge returns false and the click ends):
// - an invoice of the wrong layout: "Неверный формат файла счет-фактуры!" or,
//   for the unattached population, "Неверный формат файла счет-фактуры по
//   неприкрепленному населению!";
// - a bed-profile cell that is not a number, with ProfileCellFailure::Message:
//   "Неверный формат файла профилей!";
// - a workbook whose footer, totals or signature line is not found where the
//   layout needs it: the kind's message as above (for a register "Неверный
//   формат файла реестра"), then a line naming the file and what is missing.
//   Nothing of either workbook is changed.
// Errors (raised; the click ends through the application's error box):
// CombinedBookError naming the file and the cell for a register total, an
// invoice count or sum, or a bed-profile cell (ProfileCellFailure::Raise) that
// is not a number; the workbook layer's WorkbookError or DocumentSaveError
// when a workbook cannot be read or the base cannot be saved.
//
// Cost: each merge reads both workbooks whole into memory and writes the base
// once; the searches look no further than the last used row of the sheet.
#pragma once

#include <QString>
#include <array>
#include <stdexcept>

#include "domain/money.h"
#include "workbook/excel_application.h"

namespace kelmo {

class RunUser;

// A value of a merged workbook that cannot be taken as a number; the text
// names the file, the cell and the value.
class CombinedBookError : public std::runtime_error {
 public:
  explicit CombinedBookError(const QString& text);
};

// The ten totals of one register of treated patients: G, H, I, J, K of its
// first totals row, then N, O, P, R, S of the second, as money.
using RegisterTotals = std::array<Money, 10>;

// What the combined report's click keeps for its workbook merges: the two
// spreadsheet applications (made once per click), the totals of the last
// register merge (zeroed when a register merge starts) and the invoice check
// flag (cleared when an invoice merge starts, set when its check fails).
struct CombinedBooksSession {
  workbook::ExcelApplication BaseExcel;
  workbook::ExcelApplication OtherExcel;
  RegisterTotals BaseTotals{};
  RegisterTotals OtherTotals{};
  bool InvoiceCheckFailed = false;
};

// One register merge: the base register, the one appended under it and the
// first of its rows copied (7, or 8 when the second's first body row is left
// out).
struct RegisterMerge {
  QString BasePath;
  QString OtherPath;
  int FirstCopiedRow = 7;
};

// Appends the other register's rows under the base's body, sums the totals of
// both and keeps the base's footer line; saves the base. False when a register
// was refused (its message shown).
bool MergeRegisterBook(CombinedBooksSession& session, const RegisterMerge& merge, RunUser& user);

// What a bed-profile cell that is not a number does: shows the profile message
// (the "2778" and "2779" merge) or raises CombinedBookError (the third folder).
enum class ProfileCellFailure { Message, Raise };

// Adds the other register's columns B to H into the base's, row by row from
// row 7 to the totals row ("ИТОГО" in column A); saves the base. False when a
// register was refused (its message shown).
bool MergeProfileBook(CombinedBooksSession& session, const QString& basePath,
                      const QString& otherPath, ProfileCellFailure failure, RunUser& user);

// The invoice kinds, by the file name's suffix: "", "_ON", "_Neprik", "_FF",
// "_TF", "_TR".
enum class InvoiceKind { Basic, Oncology, Unattached, FF, TF, TR };

// One invoice merge. `OtherPath` may be empty for the oncology kind only: the
// base alone is checked, without effect, and left as it is.
struct InvoiceMerge {
  InvoiceKind Kind = InvoiceKind::Basic;
  QString BasePath;
  QString OtherPath;
  // The unattached kind of "2778" and "2779": the rows from 17 down to two
  // rows above the signature line are removed.
  bool RemoveSignatureRows = false;
  // The basic and oncology kinds need only C16 when the in-patient type is
  // not round-the-clock and the institution has an attached population.
  bool RoundTheClock = true;
  bool AttachedPopulation = false;
};

// Checks both invoices' layout, adds the other's counts and sums into the
// base and saves it. False when the check failed (the session's flag set, the
// message shown after both were closed unsaved).
bool MergeInvoiceBook(CombinedBooksSession& session, const InvoiceMerge& merge, RunUser& user);

}  // namespace kelmo
