// The reception's search for the same patient twice. Two checks read the
// registry's stacion.dbf (the run reads its working copy) before anything is
// loaded and only make act lines (doubled records, overlapping stays); two
// check one case against the registry database while a pass's cases are
// checked (a stay paid earlier or doubled in this run's reports, a stay
// overlapping a stay of another report). The run's own entry points over
// its context (CheckDoubleRecords, CheckOverlappingStays) are in
// reception_checks.h.
//
// Errors: the desktop engine's dbfsql::EDbfSqlError and the registry
// database's DatabaseError pass through; the caller decides what they end.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "domain/case_errors.h"
#include "reception_context.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
struct PackageLists;

// The words of the database checks' messages for a report's payment kind and
// in-patient type. A value without a word keeps the word of the previous row
// of the same check (empty for the first row), so one instance lives for one
// check.
class ReportWords {
 public:
  void Update(int oplat, int tipStac);
  const QString& Payment() const { return payment_; }
  const QString& Type() const { return type_; }

 private:
  QString payment_;
  QString type_;
};

// --- stacion.dbf of the registry folder ---

// The act lines of the doubled-record check over the stacion.dbf of
// `folder`: records of the period (every in-patient type) whose surname,
// names, birth date, admission and discharge are the same. Dates are shown
// dd.mm.yyyy. Cost: one grouped statement over the table.
QStringList DoubleRecordLines(const QString& folder, const QDate& periodStart,
                              const QDate& periodEnd);

// One stay as the overlap check keeps it.
struct OverlapStay {
  QString Nomib;
  QString Family;
  QString Name;
  QString Father;
  QString Dr;  // dd.mm.yyyy, empty when the birth date is empty
  int TipStac = 0;
  QDate InStac;
  QDate OutStac;
  bool Marked = false;

  bool SamePerson(const OverlapStay& other) const;
};

// The stays of every chain of overlapping stays of one person, each once, in
// the order of `ordered` (sorted by person, admission and discharge). A stay
// overlaps its predecessor when both are the same person and the
// predecessor's discharge is later than its admission. The list is not
// capped. Cost: linear.
std::vector<OverlapStay> CollectOverlappingStays(const std::vector<OverlapStay>& ordered);

// Marks every stay of each run of consecutive stays of one person in which
// some stay has the in-patient type `tipStac`; true when any was marked.
bool MarkOverlapGroups(std::vector<OverlapStay>& stays, int tipStac);

// The act lines for marked stays: the table of the marked ones, or the line
// that none of the chosen type was found.
QStringList OverlapTableLines(const std::vector<OverlapStay>& stays);

// The stays of the period (discharge, or death, strictly inside the period)
// of the stacion.dbf of `folder`, ordered by person, admission and
// discharge. Cost: one statement; every row in memory.
std::vector<OverlapStay> ReadPeriodStays(const QString& folder, const QDate& periodStart,
                                         const QDate& periodEnd);

// The whole overlap check: its act lines for the run's in-patient type.
QStringList OverlappingStaysLines(const QString& folder, const QDate& periodStart,
                                  const QDate& periodEnd, int tipStac);

// --- one case against the registry database ---

// The person and the stay of the case being checked.
struct CheckedStay {
  int IdIll = 0;
  QString Family;
  QString Name;
  QString Father;
  QDateTime Dr;
  QDateTime InStac;
  QDateTime OutStac;
};

// "(r1,r2,...)": the report numbers of a pass as the statements list them.
// An empty list gives "()", which no statement accepts.
QString ReportListText(const QList<int>& reports);

// Stays of the same person in the database whose admission or discharge
// falls within this stay (bounds included) without merely touching it, not
// refused by the medical-economic control, in an accepted report of the
// same month of another institution or in-patient type than the case's own
// report, or in one of `passReports`. Each row (one per treatment sheet of such a stay) sets
// `rowRefused` and appends "Пересечение сроков с №<nomib> <payment>
// (<type>);" to `rowErrorText`. Returns the number of rows. Cost: one
// statement.
int CheckOverlapWithDatabase(FbDatabase& db, FbTransaction* tr, const QList<int>& passReports,
                             const CheckedStay& stay, QString& rowErrorText, bool& rowRefused);

// The same stay (person, admission and discharge) of another case in one of
// `passReports` or in an accepted report (both marks), not refused, where
// neither stay has a priced operation and neither carries the diagnosis
// N18.5: per report found a sanction of kind 1 for the case, code 71
// "Запись дублируется в <payment> (<type>)" when the report is one of
// `passReports`, else code 70 "Запись оплачена ранее в ...". Returns
// whether the statement returned any row (the act then gets
// PaidEarlierRule(), written by the caller). Cost: one statement.
bool CheckPaidEarlier(FbDatabase& db, FbTransaction* tr, const QList<int>& passReports, int nomMtl,
                      const CheckedStay& stay, const QString& diagnosis, QString& rowErrorText,
                      QList<rMEK>& caseErrors);

// The rule the paid-earlier check writes to the act after finding rows.
QString PaidEarlierRule();

// The run's forms of the two database checks: the pass's population picks
// the report list of the run's package lists
// (ThePackageLists().ReportLists); the paid-earlier check writes its rule to
// the act when it found rows.
QList<int> PassReports(const PackageLists& lists, Population pass);
bool CheckPaidEarlier(const ReceptionContext& ctx, Population pass, int nomMtl,
                      const CheckedStay& stay, const QString& diagnosis, QString& rowErrorText,
                      QList<rMEK>& caseErrors);
int CheckOverlapWithDatabase(const ReceptionContext& ctx, Population pass, const CheckedStay& stay,
                             QString& rowErrorText, bool& rowRefused);

}  // namespace kelmo
