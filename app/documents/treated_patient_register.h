// The register of treated patients that every document set of a formation
// ends with (template "sreestr.xlsx"): for every treatment sheet of the
// run's payment kind a copy of the template's six-row block (rows 8 to 13)
// with the patient's identity, the diagnoses, the bed days and the costs;
// three total rows under a case of several sheets; the register's totals
// with the line for children. The local and closing registers list all
// cases of the local reports in name order; the out-of-region register
// writes one workbook per out-of-region report, its cases grouped by insurer
// (the template's rows 5 to 13 copied for every further insurer) with a
// total per insurer.
//
// Written: "Sreestr<N>.xlsx" in the registry folder, or in a package run
// "temp/Sreestr(<word>).xlsx"; the out-of-region workbooks
// "temp/Иногородние/Sreestri<T>(<word>).xlsx" by the report's in-patient
// type T (a second report of the same type adds "_<report number>"), their
// names put into the package files. A register whose full cost is not above
// zero is not saved. An empty template folder writes nothing; a missing
// template stops a local or closing set (RegisterTemplateMissing) and skips
// the out-of-region register, as does an empty out-of-region report list.
//
// An insurer's register (RegisterVariant::Insurer) writes one workbook per
// report of the list, headed by the report's in-patient type: the insurer's
// name in A4 (bold), its cases with MCOD in name order, the three total
// rows (no line for children) and the footer. Saved into the document folder
// as "Sreestr<T>(<word>)_<short name>.xlsx" in a package run, otherwise
// "Sreestr<N>.xlsx" (a second report of a type adds "_<report number>"),
// when its main cost is above zero; an earlier file of the names goes first.
// Its missing template skips it without a message.
//
// Cost: one statement for the cases and one run of a prepared statement per
// case; the workbook holds six rows per treatment sheet. Each out-of-region
// report is written in a spreadsheet session of its own.
#pragma once

#include <QStringList>

#include "register_common.h"

namespace kelmo {

// Returns the files saved, in the order written.
QStringList WriteTreatedPatientRegister(const RegisterInputs& in, RegisterVariant variant);
// The register of a document set of the run.
QStringList WriteTreatedPatientRegister(DocumentRun& run, DocumentSet set);

}  // namespace kelmo
