// The institution's own workbooks beside its DBF registry, read when a
// registry is received: whether the required ones are there, whether the
// cells the reception reads hold what they must, and the invoice totals and
// bed days that the sum search and the act summary compare with the run's
// own. The run's entry points over its context (CheckLocalWorkbooks,
// CheckOutOfRegionWorkbooks) are in reception_checks.h.
//
// Workbooks are read through the workbook layer as .xlsx or legacy .xls,
// the active (first) sheet only, and closed again (every open workbook of
// the application). A workbook that cannot be opened raises WorkbookError.
// Cost: each workbook present is read whole once.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "domain/money.h"

namespace kelmo {

namespace workbook {
class ExcelApplication;
}

// The file of an institution's workbook named "X.xls" by the checks (it may
// be "X.xlsx", names without regard to case); empty when missing.
using WorkbookFinder = std::function<QString(const QString& xlsName)>;

// The folder's workbook named "X.xls" by the checks: "X.xls", else
// "X.xlsx", names without regard to case; empty when missing.
QString FindInstitutionWorkbook(const QString& folder, const QString& xlsName);

enum class WorkbookProblem {
  None,
  FilesMissing,    // a required workbook is missing
  RegisterLayout,  // the register of an attached day hospital has no total
  InvoiceLayout,   // an invoice's total row or sum is missing
};

// What the check of a pass's workbooks found and read. The sums are those
// of the pass (the run zeroes them when the pass starts); on a problem they
// hold what was read before it.
struct WorkbookReading {
  WorkbookProblem Problem = WorkbookProblem::None;
  // The "Отсутствует файл ..." lines, in the order of the checks.
  QStringList ActLines;
  // For InvoiceLayout: the last failing workbook, as "\sfakt1_FF.xls".
  QString FailingName;
  Money LpuInvoiceSum;
  int LpuInvoiceBedDays = 0;
  Money BaseSum;   // the pass's InvoiceBaseSum
  Money ExtraSum;  // the "_ON" invoice: the pass's InvoiceExtraSum
};

// The local pass: sfaktN.xls and sreestrN.xls required, profilsN.xls only
// noted, the optional invoices _FF, _ON, _TF, _TR. `stacType` is N (1..4),
// `attached` the institution's ATTACH = 1.
WorkbookReading ReadLocalWorkbooks(workbook::ExcelApplication& excel, const WorkbookFinder& find,
                                   int stacType, bool attached);

// The out-of-region pass: sfaktiN.xls and sreestriN.xls required,
// profilsiN.xls only noted, the optional invoices _FF, _ON, _TF.
WorkbookReading ReadOutOfRegionWorkbooks(workbook::ExcelApplication& excel,
                                         const WorkbookFinder& find, int stacType);

// The stop lines of the layout problems.
QString RegisterLayoutStopLine(int stacType);
QString InvoiceLayoutStopLine(const QString& failingName);

}  // namespace kelmo
