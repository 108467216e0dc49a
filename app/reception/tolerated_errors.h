// The tolerated errors and the entry errors of a pass: after the rule checks
// the run walks the check procedure's rows of the pass twice more and writes
// two act sections, the cases whose findings do not affect the reception
// (tolerated_rules.h; a case with a refusing finding as well is left out)
// and the cases with numbering errors of the institution's case-entry
// program, each with its total; in mode "Принять" a line then sums the
// pass's three section totals. The escort's-age rule stores its sanctions
// with the row's own amount.
//
// Errors: a row whose values cannot be read (a date or number that is not
// one) is passed over; a statement that fails, or an amount of the
// institution's register that is not a number, ends the walk with the error.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "case_sanctions.h"
#include "check_rules.h"
#include "domain/act_file.h"
#include "domain/domain_codes.h"
#include "firebird/fb_query.h"
#include "reception_context.h"

namespace kelmo {

// The two walks of the pass over the check procedure's rows that the rule
// checks of the pass read (RunRuleChecks), so the procedure runs once a pass
// and the walks see the rows the checks saw; null: the procedure is run here
// over the pass's reports (at most four, as the rule checks). Sets the
// pass's NonBlockingErrorsSum and EntryErrorsSum.
void RunToleratedErrors(const ReceptionContext& ctx, Population pass, FbQuery* checkRows = nullptr);

// Where the escort's-age rule stores the row's sanctions: the row's own case,
// report and insurer, with the row's own amount (the case's cost_sf).
SanctionTarget ToleratedSanctionTarget(const CheckRow& row, bool firstOfCase);

// The sections of the two walks in the act.
enum class FindingsSectionKind { Tolerated, EntryErrors };

// A section of listed cases: its head before the first case, a line (and its
// continuations) per case, and its end with the total or the line saying
// that nothing was found.
class FindingsSection {
 public:
  FindingsSection(ActFile& act, FindingsSectionKind kind, Population pass);
  // Lists a case; `amount` (its text, empty for none) is added to the total.
  void List(const QString& nomib, const QString& family, const QString& amountText, double amount,
            const QString& findings);
  // Writes the end of the section and returns its total.
  double End();

  static QString Title(FindingsSectionKind kind, Population pass);
  static QString NothingFound(FindingsSectionKind kind, Population pass);

 private:
  ActFile& act_;
  FindingsSectionKind kind_;
  Population pass_;
  bool started_ = false;
  double sum_ = 0;
};

// "Всего по некорректным данным по местному населению: " + the sum.
QString AllSectionsLine(Population pass, double sum);

// The amount of a case in the institution's treated-patient register (the
// active sheet of its workbook): rows from 7 on, up to the first whose
// third column has "ИТОГО"; the first row with the case-history number in
// column 2 and the surname within column 3 whose column 14 is not empty.
// Empty when there is none.
QString RegisterAmountText(const std::function<QString(int row, int column)>& cell, int lastRow,
                           const QString& nomib, const QString& family);

}  // namespace kelmo
