// The cost walk's driver (first a stub: the interface builds).
#include "case_cost.h"

namespace kelmo::tariff {

struct CaseCostCalculator::Impl {
  CaseCostSettings Settings;
  Money CalcSum;
  QList<ZeroCostCase> ZeroCost;
  QList<StoredCaseCost> Stored;
};

CaseCostRow ReadCaseCostRow(const FbQuery&) {
  return {};
}

CaseCostCalculator::CaseCostCalculator(FbDatabase&, FbTransaction&, CaseCostSettings settings)
    : impl_(std::make_unique<Impl>()) {
  impl_->Settings = std::move(settings);
}

CaseCostCalculator::CaseCostCalculator(std::shared_ptr<const TariffTables>, CaseDataSource&,
                                       CaseCostSink&, CaseCostSettings settings)
    : impl_(std::make_unique<Impl>()) {
  impl_->Settings = std::move(settings);
}

CaseCostCalculator::~CaseCostCalculator() = default;

void CaseCostCalculator::SetSettings(CaseCostSettings settings) {
  impl_->Settings = std::move(settings);
}
void CaseCostCalculator::CalculateCaseCost(const CaseCostRow&) {}
void CaseCostCalculator::FinishCases() {}
bool CaseCostCalculator::CasePending() const {
  return false;
}
Money CaseCostCalculator::CalcSum() const {
  return impl_->CalcSum;
}
void CaseCostCalculator::ResetCalcSum() {
  impl_->CalcSum = Money();
}
const QList<ZeroCostCase>& CaseCostCalculator::ZeroCostCases() const {
  return impl_->ZeroCost;
}
const QList<StoredCaseCost>& CaseCostCalculator::Stored() const {
  return impl_->Stored;
}

}  // namespace kelmo::tariff
