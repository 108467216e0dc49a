// The rows of the sub-cases (SL) of one case of an XML package: the
// consilia, referrals and oncology data, the treatment sheet (MTL) with its
// medicines (LEKAR) and additional diagnoses (DIAGS), and its services
// (OPERAT). The statements are prepared once per load and run once per row.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "domain/money.h"
#include "domain/package_lists.h"
#include "xml_package_loader.h"
#include "xml_tags.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
class HolidayCalendar;

// The database refused a row of the case: the case is undone and named in
// the act, and the load goes on with the next case.
class CaseRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the sub-cases of one case take from it, and the sums they add up.
struct SheetCase {
  int IdIll = 0;
  rRepn* Report = nullptr;
  oPacient* Patient = nullptr;
  // DATE_Z_2 of the case.
  QDate Out;
  // The case comes from the oncology pair.
  bool Oncology = false;
  // The case carries sanctions (OCNCOST of its sheets).
  bool CarriesSanctions = false;
  QString Surname;
  // The institution (lpu.id) whose holidays count the bed days.
  int Lpu = 0;
  // The text of VIDPOM of the case's Z_SL.
  QString Vidpom;
  // The case's SUM_M and SUMV_ONE (each rounded to four decimals).
  Money SumM;
  Money SumvOne;
};

class SheetRows {
 public:
  SheetRows(FbDatabase& db, FbTransaction& tr, RunUser& user, const TagReader& tags,
            HolidayCalendar& calendar);
  ~SheetRows();
  SheetRows(const SheetRows&) = delete;
  SheetRows& operator=(const SheetRows&) = delete;

  void Prepare();
  // The main file whose cases follow, and whether it is the oncology pair's.
  void BeginFile(const QString& mainName, bool oncology);
  // Writes the rows of one SL with its sheet number. Raises CaseRefused for
  // a row the database refuses; XmlLoadStopped for an oncology element in a
  // file that is not an oncology file; XmlValueError for a value that is
  // missing or not what it must be.
  void Load(const XmlNode& sl, int number, SheetCase& c, const XmlLoadInputs& in);
  // Adds a loaded case's sums to its report.
  static void AddTotals(const SheetCase& c);
  // old_id of ishod_fed (table "ishod_fed") or old_result of result_fed for
  // the code valid on `out`; null when none.
  QVariant Outcome(const char* table, int code, const QDate& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelmo
