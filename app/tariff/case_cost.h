// The case cost calculation: every treatment sheet (MTL row) of a case gets
// its cost by clinical-statistical group (KSG, from 2019 or before), by the
// high-tech care tariff of its method (payment kind 6), or nothing.
//
// The caller walks the joined case query of a pass (one row per treatment
// sheet, ordered by discharge date, case and sheet number) and hands every
// row to `CalculateCaseCost`, then calls `FinishCases` once after the last
// row. KSG rows are stored one call late: a case is finalised (the dearest
// KSG of the rows sharing a diagnosis letter is paid, the others get their
// services only) when the next case's first row arrives, or in
// `FinishCases`. High-tech rows and rows of months before 2016 are stored in
// the same call.
//
// What the calculator reads and writes: the reference tables (KSG, tariffs,
// coefficients, plan, high-tech methods, criteria; `TariffTables`) are read
// once and kept; per case it reads the case's services, accompanying
// diagnoses, IVF stages and chemotherapy injections; it writes the cost
// columns of MTL (through the store statement of the settings), the case
// sums of STACION, the service tariffs of OPERAT and the bed days of
// MEK-rejected sheets. It commits nothing: the caller commits. Database
// failures raise DatabaseError from the statement that failed; the row's
// earlier writes stay.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <memory>

#include "domain/domain_codes.h"
#include "domain/money.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
class FbQuery;
class RunUser;

namespace tariff {

class TariffTables;
class CaseDataSource;
class CaseCostSink;

// One row of the joined case query: the fields of the treatment sheet, its
// case and its report that the calculation reads.
struct CaseCostRow {
  int Id = 0;          // MTL.ID
  int IdIll = 0;       // the case (STACION.ID_ILL)
  int NomMtl = 0;      // the sheet's number in the case
  int Lpu = 0;         // the institution (REPORTS.LPU)
  int TipStac = 1;     // in-patient type: 1 round-the-clock, 2..4 day hospitals
  bool IsMek = false;  // the case's MEK sum is recorded and 0
  QString KodMes;      // standard-of-care code (KSG rows: level code; VMP: method standard)
  int Profile = 0;     // the sheet's bed profile code (MTL.PROFILE)
  int ProfilBed = 0;   // the bed profile (MTL.PROFIL_BED)
  int PrOms = 0;       // MTL.PR_OMS
  int Oms = 0;         // the bed profile's OMS mark (LST_KOIKI.OMS)
  QString Family, Name, Father;
  QString IdCase;        // STACION.IDCASE as text
  int SresLechen = 0;    // STACION.SRES_LECHEN
  int SishodLece = 0;    // STACION.SISHOD_LECE
  QDate OutStac;         // discharge date of the case
  QDate Dz;              // STACION.DZ
  QDate Dr;              // birth date
  int Vozrast = 0;       // age in years
  int Pol = 0;           // sex
  QString StacDiag;      // main diagnosis
  QString Dreanim;       // diagnosis of the reanimation
  QDate StartD, Finish;  // the sheet's first and last day
  int Intensiv = 0;
  int AppKd = 0;      // bed days of an accompanying person
  Money CostSf;       // the institution's own cost of the sheet
  QString Criteries;  // classification criteria, separated by ";"
  int RsltMtl = 0;    // the sheet's result code
  int MtlOncoStatus = 0;
  int SchemeCntCase = 0;   // distinct "sh" schemes of the case
  int MtCntCase = 0;       // distinct "mt" schemes of the case
  bool IsKslpAst = false;  // senile asthenia among the accompanying diagnoses
  int Fractions = 0;       // radiotherapy fractions
  int VmpMet = 0;          // high-tech method code
  bool XmlReport = false;  // the case's report came as an XML package (REPORTS.XMLREP)
  // Bed days of the sheet: CountBedDays(tip_stac, FINISH, STARTD) with the
  // institution's holidays, counted by the caller.
  int BedDays = 0;
};

// The fields of the current row of the joined case query, read by name
// (missing columns read as empty; the sheet's result is RSLT_MTL, else
// RSLT). BedDays is left 0: the caller counts them with its holidays.
CaseCostRow ReadCaseCostRow(const FbQuery& query);

// What stays the same for a whole pass.
struct CaseCostSettings {
  PayKind Pay = PayKind::Oms;
  RegistrySourceKind Source = RegistrySourceKind::DbfFolder;
  bool XmlPackageMode = false;
  bool RecalcMode = false;
  // The report period: the year as the main window's text and the month
  // index (0 = January).
  QString YearText;
  int MonthIndex = 0;
  // The statement that stores one sheet's cost (CostUpdateStatement of the
  // year, or the recalculation's); empty: CostUpdateStatement(YearText).
  QString StoreStatement;
  // Where the two messages of the calculation go (a malformed standard code,
  // a too long comment); none: not shown.
  RunUser* User = nullptr;
};

// A row whose cost came out zero, with the reason ("Не найдена лицензия",
// the high-tech refusals).
struct ZeroCostCase {
  int MtlId = 0;
  QString Reason;
};

// One store of a treatment sheet's cost, as written to MTL.
struct StoredCaseCost {
  int MtlId = 0;
  Money Cost;         // OCNCOST, rounded to kopecks
  QString KsgId;      // KSG_ID ("0": none; a high-tech row: the SPR_VMP id)
  QString Comment;    // CALC_COMMENT
  QString CoefList;   // CALC_KF: "t=<KOEFF id>,k=<value>;" ...
  int BedDays = 0;    // KD
  int KdOms = 0;      // KDOMS
  int CareLevel = 0;  // UR_COST
  Money BaseCost;     // KSG_BASE_COST
};

// The calculator of one run (or one recalculation): the run state of the
// cost walk lives here, nowhere else.
class CaseCostCalculator {
 public:
  // Reads the reference tables from the database (once, cached in `tables`
  // when given and already loaded) and works on that database.
  CaseCostCalculator(FbDatabase& db, FbTransaction& tr, CaseCostSettings settings);
  // The calculation over given reference tables, case data and writer
  // (tests, the benchmark).
  CaseCostCalculator(std::shared_ptr<const TariffTables> tables, CaseDataSource& data,
                     CaseCostSink& sink, CaseCostSettings settings);
  ~CaseCostCalculator();
  CaseCostCalculator(const CaseCostCalculator&) = delete;
  CaseCostCalculator& operator=(const CaseCostCalculator&) = delete;

  // A new pass: the payment kind, registry source and XML mode may change.
  void SetSettings(CaseCostSettings settings);

  // One row of the case query.
  void CalculateCaseCost(const CaseCostRow& row);
  // After the last row: the open KSG case, if any, is finalised and stored.
  void FinishCases();
  // A KSG case is open (its rows are not stored yet).
  bool CasePending() const;

  // The run total of every stored cost (CalcSum).
  Money CalcSum() const;
  void ResetCalcSum();
  // The rows whose cost came out zero, in the order found.
  const QList<ZeroCostCase>& ZeroCostCases() const;
  // Every store made so far, in order (a row may be stored more than once;
  // the last store is the one in MTL).
  const QList<StoredCaseCost>& Stored() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tariff
}  // namespace kelmo
