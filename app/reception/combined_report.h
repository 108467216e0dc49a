// The combined report: one institution's monthly registry rebuilt in its
// registry folder from the parts that arrive split into sub-folders, then
// received by the ordinary reception run. The sub-folders are "2778" and
// "2779" (the cases of those insurers), "2989" and "Иногородние" (the
// out-of-region patients); each holds a registry DBF set (stacion.dbf,
// mtl.dbf, operat.dbf, perhaps parents.dbf, mtlusl.dbf and onechcost.dat)
// and the institution's workbooks of its share. The first complete one of
// "2778" and "2779" is the base (copied into the registry folder); the
// other, then "2989", is merged into it (workbooks through the documents'
// merges, combined_books.h; tables through AppendInsurerRows,
// insurer_rows_append.h), and the out-of-region workbooks are copied and
// their rows appended. A folder without any of the four sub-folders is
// received as it is.
//
// Before merging, the results of a previous click are deleted from the
// registry folder (the tables, every workbook the merge writes or copies,
// both the out-of-region invoices with their one-channel invoice, and
// onechcost.dat), so a second click starts again from the sub-folders.
// Copies never overwrite a file that is there, and take only regular files
// (no links). Before the reception the package flags and lists are reset:
// the rebuilt registry is a folder of DBF tables. After a reception that
// returns normally, the run's report numbers, keys and totals are zeroed.
//
// Workbooks are found as the reception finds them: "X.xls" or "X.xlsx",
// names without regard to case; messages name them "X.xls".
//
// Errors: a refusal that ends the click before the reception (a required
// workbook missing, "Не найден файл \2779\sreestr1.xls" and the like, caption
// "Файл не найден"; an invoice or profile register of the wrong layout; the
// treatment sheets of 2779 that cannot be appended) is shown through the
// RunUser and RunCombinedReport returns false. Other errors (the desktop
// engine's, a workbook value that is not a number, a workbook that cannot
// be read) propagate; what was copied, merged or appended before stays.
#pragma once

#include <QString>
#include <functional>

#include "reception_inputs.h"
#include "reception_run.h"

namespace kelmo {

struct CombinedReportInputs {
  // The reception's inputs as the main window shows them: the registry
  // folder, the in-patient type (N of the workbook names), the institution
  // (its attached-population flag for the invoice checks).
  ReceptionInputs Reception;
  // The operations analysis asked for (ch_OperAnaliz); only a round-the-clock
  // run makes its file.
  bool OperAnalysis = false;
};

struct CombinedReportServices {
  ReceptionServices Reception;
  // The reception run of the rebuilt registry (ReceiveRegistry; tests may
  // put another in its place).
  std::function<void(const ReceptionInputs&, const ReceptionServices&)> Receive = ReceiveRegistry;
};

// TfmKelmo.obKelmoClick without the window: true when the reception of the
// rebuilt registry ran.
bool RunCombinedReport(const CombinedReportInputs& inputs, const CombinedReportServices& services);

// The files deleted from the registry folder before a merge, by the names
// the merge gives them ("X.xls" stands for "X.xlsx" too).
QStringList CombinedReportStaleFiles(int stacType);

}  // namespace kelmo
