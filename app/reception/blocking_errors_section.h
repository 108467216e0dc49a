// The first error section of a pass in the act: the rows of the rule checks
// that have findings, under the heading of errors that make the reception
// impossible or of errors that carried МЭК sanctions; the findings of the
// XML loading; the section's total. Refused cases are removed from the
// registry database as their rows pass through (through the remover given).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "domain/act_file.h"
#include "domain/domain_codes.h"
#include "domain/reception_state.h"

namespace kelmo {

// One row of the rule checks as the section lists it.
struct ListedRow {
  int IdIll = 0;
  QString Nomib;
  QString Family;
  // SUM_MEK of the check row is -1 (a stay that meets another one).
  bool SumMekMinusOne = false;
  // OSH41 of the check row is "1" (no insurer code).
  bool NoInsurer = false;
  // The row's findings joined, and whether one of them refuses the case.
  QString ErrorText;
  bool Refused = false;
  // The amount for the column "Сумма": empty for none.
  QString AmountText;
};

class BlockingErrorsSection {
 public:
  // Removes a refused case (all its rows) from the registry database.
  using CaseRemover = std::function<void(int idIll)>;

  // The section of one pass; `fund` is the party being the fund.
  // `xmlErrors` is the run's list of XML-load findings: read at the end and
  // cleared when listed.
  BlockingErrorsSection(ActFile& act, Population pass, bool fund, XmlLoadErrorList& xmlErrors,
                        CaseRemover remover);

  // Lists one check row. `row.Refused` is raised when the row belongs to a
  // case already refused, or when the listing refuses it (a case already
  // listed with sanctions that has a further row with findings); the caller
  // reads it back.
  void ListRow(ListedRow& row);
  // Ends the section: the XML-load findings, the total or the line saying
  // that nothing was found. Returns the section's total. `lastRowRefused` is
  // the refusal of the pass's last row (it picks the heading of the XML-load
  // findings when no row was listed).
  double End(bool lastRowRefused);

  // The fixed lines of the table (for tests and the act's layout).
  static QString Head();
  static QString NextSheetLine();
  static QString TotalLine(double sum);
  // The wrapped text lines of a row: the first with the three columns given,
  // the others with blank columns; 65 characters each.
  static QStringList TextLines(const QString& nomib, const QString& family, const QString& amount,
                               const QString& text);

 private:
  void StartSection(bool refused);
  bool LocalFundSuppressed(const ListedRow& row) const;

  ActFile& act_;
  Population pass_;
  bool fund_;
  XmlLoadErrorList& xmlErrors_;
  CaseRemover remover_;
  int lastListedCaseId_ = 0;
  bool listedCaseRefused_ = false;
  bool sectionStarted_ = false;
  double sum_ = 0;
};

// The shortest decimal text of a sum (up to 15 significant digits, "." as
// the separator): 0 → "0", 1234.5 → "1234.5".
QString SectionSumText(double sum);

}  // namespace kelmo
