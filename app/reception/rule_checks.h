// The rule checks of a pass: the check procedure SP_PROVERKI over the pass's
// reports, one row per treatment sheet; per row the rules of groups A, B and
// C and the oncology procedure (check_rules.h), the row's listing in the
// act's blocking-errors section with the removal of refused cases
// (blocking_errors_section.h), and the storing of its sanctions
// (case_sanctions.h). The section's total becomes the pass's
// BlockingErrorsSum.
#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "domain/domain_codes.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "reception_context.h"

namespace kelmo {

// The rule checks of the pass. More than four reports in a pass are refused
// up front (the check procedure takes four). Errors of a statement, of the
// acts database or of a value that must be a number propagate (the run then
// notes them in the act). Returns the check procedure's rows as the checks
// read them, for the tolerated errors' walks of the same pass (null when a
// fund or an insurer forms: no checks run).
std::unique_ptr<FbQuery> RunRuleChecks(const ReceptionContext& ctx, Population pass);

// The check procedure SP_PROVERKI over the pass's reports (at most four; the
// missing ones 0), opened with all its rows read.
std::unique_ptr<FbQuery> OpenCheckProcedure(const ReceptionContext& ctx, const QList<int>& reports);

// Removes a case and everything loaded for it: its sheets and their
// diagnoses, operations, parents, services, oncology rows and sanction rows.
void RemoveCase(FbDatabase& db, FbTransaction& tr, int idIll);

}  // namespace kelmo
