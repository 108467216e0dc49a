// The register of bed days, costs and counts by bed profile that every
// document set of a formation ends with (template "profils.xlsx"): one row
// per bed profile of the pass's treatment sheets of the run's payment kind,
// and the "Итого:" row, for the cases with DOPFOND 0 and, in the local and
// out-of-region sets, again for those with DOPFOND 1.
//
// Written: "Profils<N>.xlsx" in the registry folder ("Profils<N>_NCZ.xlsx"
// for DOPFOND 1), or in a package run "temp/Profils(<word>).xlsx",
// "temp/Profils_NCZ(<word>).xlsx" and for the out-of-region set
// "temp/Иногородние/Profilsi(<word>).xlsx" and "..._NCZ"; a register whose
// total cost is not above zero is not saved. An empty template folder
// writes nothing; a missing template stops a local or closing set
// (RegisterTemplateMissing) and skips the out-of-region register, as does an
// empty out-of-region report list.
//
// An insurer's register (RegisterVariant::Insurer) lists the profiles of
// all its reports' sheets, whoever insures them, with the sums of its own
// cases (a profile of other insurers' cases only gets a row of zeros), for
// DOPFOND 0 and 1, into its document folder: in a package run
// "Profils(<word>)_<short name>.xlsx" and "Profils_NCZ(<word>)_<short
// name>.xlsx", otherwise "Profils<N>.xlsx" and "Profils<N>_NCZ.xlsx". Its
// missing template skips it without a message.
//
// Cost: one statement over the sheets of the pass; the workbook holds one
// row per profile.
#pragma once

#include <QStringList>

#include "register_common.h"

namespace kelmo {

// Returns the files saved, in the order written.
QStringList WriteBedProfileRegister(const RegisterInputs& in, RegisterVariant variant);
// The register of a document set of the run.
QStringList WriteBedProfileRegister(DocumentRun& run, DocumentSet set);

}  // namespace kelmo
