// The preliminary checks of the reception that the run frame calls between
// the act's head and the loading of a pass, besides its own file, structure,
// payment-kind, doubled-id and identification checks (preliminary_checks.h).
//
// Each function writes its findings to ctx.Act() as its lines say; none of
// them stops the run by itself: the frame decides from the result. DBF
// statements run through ctx.DbfQuery (the working copy of the registry);
// registry-database statements through ctx.Db / ctx.Tr (FbQuery). Errors of
// the desktop engine (dbfsql::EDbfSqlError), of the registry database
// (DatabaseError) and of the workbook layer (WorkbookError) propagate; the
// frame ends the run with them and notes the error in the act.
#pragma once

#include <QString>

#include "domain/act_file.h"
#include "reception_context.h"

namespace kelmo {

// --- Doubled records and overlapping stays (doubles_overlaps.cpp) ---

// Doubled records of stacion.dbf in the period (every in-patient type):
// "Двойных записей в базе не обнаружено." or the table of doubles.
void CheckDoubleRecords(const ReceptionContext& ctx);
// Overlapping stays of one person in stacion.dbf: the table of the chains
// that touch the run's in-patient type, or the line that none were found.
void CheckOverlappingStays(const ReceptionContext& ctx);

// --- Licence expiry and the identification table (licence_expiry.cpp) ---

// Licences of the institution's bed profiles for the in-patient type that
// end within 30 days of ctx.ReceptionDate: act lines and one message box
// (through Interact(), owner ctx.MessageOwner). Called once per run, only
// when no profile is licensed twice.
void CheckExpiringLicences(const ReceptionContext& ctx);
// The head of the table of records that failed the insurance
// identification; sets `begun` to true.
void WriteIdentTableHead(ActFile& act, bool& begun);
// One row of that table and its bottom line.
void WriteIdentTableRow(ActFile& act, const QString& number, const QString& name,
                        const QString& reason);

// --- The institution's workbooks (institution_workbooks.cpp) ---

// What the workbook checks of a pass found. The frame writes the stop block
// for FilesMissing (the "Отсутствует файл ..." lines are the check's own),
// and the stop line for the two layout outcomes.
enum class WorkbookOutcome {
  Passed,
  FilesMissing,    // a required workbook is missing (LocalWorkbookMissing,
                   // OutOfRegionWorkbookMissing)
  RegisterLayout,  // sreestrN.xls of an attached day hospital (RegisterLayout)
  InvoiceLayout,   // an invoice's layout (InvoiceLayout, OutOfRegionInvoiceLayout)
};
struct WorkbookCheckResult {
  WorkbookOutcome Outcome = WorkbookOutcome::Passed;
  // For InvoiceLayout: the last failing workbook as the stop line names it,
  // e.g. "\sfakt1_FF.xls".
  QString FailingName;
};

// Presence, layout and totals of the local pass's workbooks, read through
// ctx.Excel (mode "Принять" only); sets LpuInvoiceSum, LpuInvoiceBedDays,
// InvoiceBaseSum and InvoiceExtraSum of the local pass of ctx.State.
WorkbookCheckResult CheckLocalWorkbooks(const ReceptionContext& ctx);
// The same for the out-of-region pass.
WorkbookCheckResult CheckOutOfRegionWorkbooks(const ReceptionContext& ctx);

}  // namespace kelmo
