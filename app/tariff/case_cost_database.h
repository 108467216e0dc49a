// The registry database behind the cost calculation: the case data it reads
// (services, diagnoses, IVF stages, chemotherapy injections) and the stores
// it makes (MTL through the store statement, STACION's case sums, OPERAT's
// tariffs, the bed days of MEK-rejected sheets). Values are bound as
// parameters. Database errors raise DatabaseError.
#pragma once

#include <QHash>
#include <QSet>
#include "case_cost.h"

#include "case_cost_io.h"
#include "firebird/fb_statement.h"

namespace kelmo::tariff {

// The services and diagnoses are read for a window of consecutive case ids
// at a time (the walk goes through a pass's cases, which were loaded one
// after another), so that a case costs no statement of its own for them;
// the IVF stages (GET_ECO_INFO, from the stages of the case's services) are
// asked only for the cases of the window whose services record a stage.
class DatabaseCaseData : public CaseDataSource {
 public:
  DatabaseCaseData(FbDatabase& db, FbTransaction& tr);
  QList<CaseService> Services(int idIll) override;
  QList<SheetDiagnosis> Diagnoses(int mtlId) override;
  QString EcoStages(int idIll) override;
  std::optional<InjectionPlan> Injections(int idIll, const QString& scheme) override;

 private:
  FbDatabase& db_;
  FbTransaction& tr_;
  void LoadWindow(int idIll);

  // Prepared once; each window or case runs them again.
  FbStatement services_, diagnoses_, staged_, eco_;
  static constexpr int kWindow = 256;
  int from_ = 0, to_ = -1;
  QHash<int, QList<CaseService>> windowServices_;
  QHash<int, QList<SheetDiagnosis>> windowDiagnoses_;
  QSet<int> windowStaged_;  // by sheet, every sheet of the window
};

// In a recalculation only the sheets' recalculated columns are written: the
// case sums, the service tariffs and the bed days stored by the reception
// stay as they are.
class DatabaseCostSink : public CaseCostSink {
 public:
  DatabaseCostSink(FbDatabase& db, FbTransaction& tr, const CaseCostSettings& settings);
  void SetStatement(const CaseCostSettings& settings);
  void StoreMtl(const MtlCostValues& values) override;
  void StoreCaseSums(int idIll, int kdMtl, Money copAllCostMtl, int oplat) override;
  void StoreServiceCost(int operatId, std::optional<Money> cost) override;
  void StoreMekBedDays(int mtlId, int kd, int idIll, int kdMtl) override;

 private:
  FbStatement store_, caseSums_, serviceCost_, mekDays_, mekCaseDays_;
  bool recalc_ = false;
};

// The store statement of a recalculation.
QString RecalcStoreStatement();

}  // namespace kelmo::tariff
