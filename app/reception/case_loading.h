// The rows of one case of a DBF registry: its STACION row, its treatment
// sheets with their diagnoses, its operations, its oncology data and
// referrals, its parents and the services of its sheets. One CaseLoader
// serves a whole pass: it holds the registry's child tables (read by the
// case key) and the prepared statements of the registry database, and loads
// one case at a time inside the caller's transaction.
//
// What differs between the passes (the policy-insurer rule, KOD_MES of a
// sheet, VMP_MET, the look-alike letters of a service code, the extra
// identity-document rule) is chosen by the population given.
//
// Errors: DbfFieldError for a field the read rules refuse, DatabaseError for
// a statement the database refuses, dbfsql::EDbfSqlError from the engine. A
// failure leaves some of the case's rows written; the caller undoes them.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "dbf_row.h"
#include "domain/reception_state.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;

// What the loading of a pass takes from the run.
struct CaseLoadingInputs {
  QString Folder;  // the registry's DBF tables
  Population Pass = Population::Local;
  int StacType = 1;  // 1..4
  QString YearText;  // the year control's text ("2014" reads NOMIB as a number)
  QDate PeriodStart;
  int Lpu = 0;
};

// A note the loading writes into the act about one case (a series cut to
// its column's width).
using CaseNote = std::function<void(const QString& line)>;

class CaseLoader {
 public:
  CaseLoader(FbDatabase& db, FbTransaction& tr, const CaseLoadingInputs& in);
  ~CaseLoader();
  CaseLoader(const CaseLoader&) = delete;
  CaseLoader& operator=(const CaseLoader&) = delete;

  // Loads the case of `stacion` (a row of stacion.dbf) under report `repn`;
  // returns its new ID_ILL. `badDocument` is set when the case breaks the
  // identity-document rule; `note` receives the act's notes on the case.
  int LoadCase(const DbfRow& stacion, int repn, bool& badDocument, const CaseNote& note);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A diagnosis code as the loading stores it: "j18." gives "J18"; any other
// text in upper case.
QString NormalisedDiagnosis(const QString& text);
// The policy series as stored: trimmed, upper case, padded on the left with
// spaces to 9 characters; a longer series is cut to its first 9 (`cut` set).
QString PaddedPolicySeries(const QString& field, bool& cut);
// The policy number as stored: trimmed, its first 16 characters, padded on
// the left with spaces to 16.
QString PaddedPolicyNumber(const QString& field);
// The insurer code as stored by the pass's rule.
QString StoredInsurer(const QString& field, Population pass);
// Every Cyrillic letter that looks like a Latin one replaced by it.
QString LatinLookAlikes(const QString& text);
// The identity-document rule of the pass for a row of stacion.dbf.
bool BreaksDocumentRule(const DbfRow& stacion, Population pass);
// The newborn date of a child born on `birth`: the same day of the next
// month, or that month's last day when it lacks the day.
QDate NewbornDate(const QDate& birth);
// URMES of a sheet from its KOD_MES field.
int StandardLevel(const DbfRow& mtl);
// VID_POM of a sheet: the field when 2 or more (or negative), else the
// default of the in-patient type.
int KindOfCare(const DbfRow& mtl, int stacType);

}  // namespace kelmo
