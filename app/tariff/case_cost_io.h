// What the cost calculation reads of a case and what it writes, as two
// interfaces: the registry database answers both (case_cost_database.h);
// tests and the benchmark answer them from memory.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

#include "domain/money.h"

namespace kelmo::tariff {

// A service of a case (OPERAT), with the treatment sheet it belongs to.
struct CaseService {
  int Id = 0;
  int MtlId = 0;
  int NomMtl = 0;
  QString Uslug;
  std::optional<QDate> DateOper;
  int Anaesthes = 0;
  int Npl = 0;
  int Multi = 0;
};

// An accompanying diagnosis (status 23) or complication (22) of a sheet.
struct SheetDiagnosis {
  QString Diag;
  int Status = 0;
};

// The chemotherapy injections of a case for one scheme, as the plan query
// gives them: the scheme's plan, whether it is planned per sheet ("**"),
// the per-sheet counts joined by "/", and the total (a full integer).
struct InjectionPlan {
  QString PlanInj;
  bool IsComplicPlan = false;
  QString CasePlanInj;
  long long CaseCntInj = 0;
};

class CaseDataSource {
 public:
  virtual ~CaseDataSource() = default;
  // Every service of the case, in the order of id.
  virtual QList<CaseService> Services(int idIll) = 0;
  // The accompanying diagnoses and complications of a sheet.
  virtual QList<SheetDiagnosis> Diagnoses(int mtlId) = 0;
  // The IVF stages of the case (empty: not an IVF case).
  virtual QString EcoStages(int idIll) = 0;
  // The injection plan of a scheme for the case; nothing when the case has no
  // injection of the scheme.
  virtual std::optional<InjectionPlan> Injections(int idIll, const QString& scheme) = 0;
};

// The values one store of a treatment sheet writes (the store statement's
// parameters; the concomitant, federal, modernisation and one-off amounts
// this calculation never computes are written as 0).
struct MtlCostValues {
  int MtlId = 0;
  int Kd = 0;       // KD and KDFMTL
  int KdOms = 0;    // KDOMS
  int KdMes = 0;    // KDMES
  int KdSvMes = 0;  // KDSVMES
  int KdNot = 0;
  Money OcnCost;    // OCNCOST
  Money CostPoMes;  // OCNCOSTPOMES
  int PrOms = 0;
  QString KsgId;
  // The long statement's values (not the year 2014's).
  bool LongStatement = true;
  bool KfNull = true;  // KF_COST null (a KSG store) or CaseKf (the driver's)
  double Kf = 1.0;
  int CareLevel = 0;
  QString Comment;
  QString CoefList;
  std::optional<Money> BaseCost;  // none: null
  // A recalculation writes only the comment, list, cost and KSG.
  bool Recalc = false;
};

class CaseCostSink {
 public:
  virtual ~CaseCostSink() = default;
  virtual void StoreMtl(const MtlCostValues& values) = 0;
  // The case sums of STACION after its sheets are stored.
  virtual void StoreCaseSums(int idIll, int kdMtl, Money copAllCostMtl, int oplat) = 0;
  // The tariff of a service written back to OPERAT.
  virtual void StoreServiceCost(int operatId, std::optional<Money> cost) = 0;
  // A MEK-rejected sheet: its bed days, and the case's sum of them.
  virtual void StoreMekBedDays(int mtlId, int kd, int idIll, int kdMtl) = 0;
};

}  // namespace kelmo::tariff
