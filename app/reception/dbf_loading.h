// The loading phase of a pass of a DBF registry: the report's REPORTS row,
// every selected case with all its rows (case_loading.h), the identity-
// document rule's list, the newborn numbering, and after the pass's commit
// the bed profiles and sheet counts of the report and its package
// description.
//
// A case is loaded whole or not at all: each case runs inside a savepoint
// that is released when all its rows are written and rolled back when any
// of them fails. A failing case is written to the act with its identifiers
// ("Случай ID=..."), the finished cases of the pass are committed, the act
// says how many, and the error ends the run; no half of a case is left in
// the transaction for a later commit. The local pass commits its finished
// cases as it goes, at most a second apart; the out-of-region pass commits
// them with the pass.
//
// Errors: as case_loading.h; the error that ends the pass is raised again
// after the act lines are written.
#pragma once

#include "preliminary_checks.h"
#include "reception_context.h"

namespace kelmo {

// Loading of a DBF pass from its selection (the report row is created here).
void LoadDbfPass(const ReceptionContext& ctx, Population population, PassSelection& selection);
// The statements after a DBF pass's loading and the package description.
void FinishDbfPassLoading(const ReceptionContext& ctx, Population population);

// The newborn numbering of report `repn`: the NOVOR of every child numbered
// per parent (out-of-region reports use the statement without the surname).
void NumberNewborns(FbDatabase& db, FbTransaction& tr, int repn, Population population);

}  // namespace kelmo
