// The cost walk's driver: the reference month of a case, the choice of the
// calculation, the driver's own stores (high-tech rows, months before 2016),
// the bed days of MEK-rejected sheets; and the store of one sheet.
#include "case_cost.h"

#include "case_cost_database.h"
#include "cost_engine.h"
#include "cost_rules.h"
#include "domain/common.h"
#include "domain/run_user.h"

namespace kelmo::tariff {

void CaseCostCalculator::Impl::Message(const QString& text) {
  if (Settings.User) Settings.User->Message(QString(), text, RunMessageIcon::Warning);
}

QString CaseCostCalculator::Impl::EcoStagesOf(int idIll) {
  if (!CaseEcoStages || CaseEcoCaseId != idIll) {
    CaseEcoStages = Data->EcoStages(idIll);
    CaseEcoCaseId = idIll;
  }
  return *CaseEcoStages;
}

void CaseCostCalculator::Impl::WriteMtl(MtlCostValues v) {
  v.Kd = CaseBedDays;
  v.OcnCost = CaseOcnCost;
  v.KsgId = CaseKsgId;
  v.LongStatement = LongStatement();
  v.Comment = CaseCostComment;
  v.Recalc = Settings.RecalcMode;
  Sink->StoreMtl(v);
  Stored.append({v.MtlId, v.OcnCost, v.KsgId, v.Comment, v.CoefList, v.Kd, v.KdOms, v.CareLevel,
                 v.BaseCost.value_or(Money())});
  if (v.LongStatement || v.Recalc) CaseCostComment.clear();
}

void CaseCostCalculator::Impl::StoreCaseCost(int mtlId, int prOms, Money baseCost,
                                             const QString& coefList, int careLevel) {
  CaseOcnCost = CaseOcnCost.RoundToKopecks();
  MtlCostValues v;
  v.MtlId = mtlId;
  v.CostPoMes = CaseOcnCost;
  v.KdOms = v.KdMes = v.KdSvMes = CaseKdOms;
  v.PrOms = prOms;
  v.KfNull = true;
  v.CareLevel = careLevel;
  v.CoefList = coefList;
  v.BaseCost = baseCost;
  WriteMtl(v);
}

void CaseCostCalculator::Impl::Calculate(const CaseCostRow& row) {
  const bool calculated = !row.IsMek || KsgCasePending;
  const QString kodMes = TrimText(row.KodMes);
  if (calculated) {
    if (!kodMes.isEmpty() && (row.Profile != 0 || Settings.XmlPackageMode)) {
      CaseKsgId = QStringLiteral("0");
      VmpCost = CaseOcnCost = CaseCostPoMes = Money();
      CaseCareLevel = 0;
      CaseCostComment.clear();
      CaseKf = 1.0;
      CaseBedDays = row.BedDays;
      if (row.IdIll != LastKsgCaseId || !CaseMonthEnd.isValid()) {
        // A DBF case that ended by transfer or death is dated by its
        // diagnosis date; every other case by its discharge.
        const bool byDz = Settings.Source != RegistrySourceKind::XmlPackage &&
                          (row.SresLechen == 6 || row.SishodLece == 9) && row.Dz.isValid();
        const QDate ref = byDz ? row.Dz : row.OutStac;
        CaseMonthStart = MonthStartOf(ref);
        CaseMonthEnd = EndOfMonth(ref);
      }
      switch (Settings.Pay) {
        case PayKind::Oms:
        case PayKind::Rehabilitation:
          CalculateKsg(row, CaseMonthEnd < QDate(2019, 1, 1) ? 2018 : 2019);
          break;
        case PayKind::Vmp:
          CalculateVmp(row);
          break;
        default:
          break;
      }
    } else {
      CaseBedDays = CaseKdOms = CaseKdMes = CaseKdSvMes = CaseKdNot = 0;
      CaseOcnCost = Money();
    }
    if (CaseOcnCost == Money() && CaseKsgId == QLatin1String("0")) {
      CaseBedDays = CaseKdOms = CaseKdMes = CaseKdSvMes = CaseKdNot = 0;
    }
  }
  const bool ownStore = !row.IsMek &&
                        (CaseMonthEnd < QDate(2016, 1, 1) || Settings.Pay == PayKind::Vmp) &&
                        !KsgCasePending;
  if (ownStore) {
    CaseOcnCost = CaseOcnCost.RoundToKopecks();
    CaseCostPoMes = CaseCostPoMes.RoundToKopecks();
    MtlCostValues v;
    v.MtlId = row.Id;
    v.CostPoMes = CaseCostPoMes;
    v.KdOms = CaseKdOms;
    v.KdMes = CaseKdMes;
    v.KdSvMes = CaseKdSvMes;
    v.KdNot = CaseKdNot;
    v.PrOms = row.Oms;
    v.KfNull = false;
    v.Kf = CaseKf;
    v.CareLevel = CaseCareLevel;
    WriteMtl(v);
    CalcSumValue += CaseOcnCost;
    if (row.IdIll != LastCostCaseId) {
      CaseKdMtl = 0;
      CaseOcnCostMtl = CaseCopCostMtl = CaseAllCostMtl = Money();
    }
    CaseKdMtl += CaseBedDays;
    CaseOcnCostMtl += CaseOcnCost;
    CaseAllCostMtl += CaseOcnCost;
    Sink->StoreCaseSums(row.IdIll, CaseKdMtl, CaseCopCostMtl, PayCode());
  }
  if (row.IsMek && !KsgCasePending) {
    if (row.IdIll != LastCostCaseId) CaseKdMtl = 0;
    CaseKdMtl += row.BedDays;
    Sink->StoreMekBedDays(row.Id, row.BedDays, row.IdIll, CaseKdMtl);
  }
  LastCostCaseId = row.IdIll;
}

void CaseCostCalculator::Impl::CalculateVmp(const CaseCostRow& row) {
  CaseBedDays = row.BedDays;
  const CareLevelResult level =
      FindCareLevel(*Tables, {row.TipStac, PayCode(), row.Lpu, row.ProfilBed, row.OutStac,
                              row.KodMes, row.Family, row.Name, row.Father});
  if (!level.ZeroCostReason.isEmpty()) ZeroCost.append({row.Id, level.ZeroCostReason});
  if (!level.Message.isEmpty()) Message(level.Message);
  CaseCareLevel = level.Level;

  QStringList codes;
  int stents = 0;
  int anaesthesia = 0;
  for (const CaseService& s : Data->Services(row.IdIll)) {
    if (s.NomMtl != row.NomMtl) continue;
    const QString code = TrimText(s.Uslug);
    codes.append(code);
    if (code == QLatin1String("A16.12.004.009"))
      stents += Settings.Source == RegistrySourceKind::XmlPackage ? s.Multi : 1;
    if (s.Anaesthes != 0) anaesthesia = 1;
  }
  const VmpRow* method = nullptr;
  const QString mes = DigitsOnly(row.KodMes);
  for (const VmpRow& v : Tables->Vmp) {
    if (v.VmpMes == mes && v.MetKod == row.VmpMet && v.DateFrom <= CaseMonthEnd &&
        (!v.DateTo || *v.DateTo >= CaseMonthEnd)) {
      method = &v;
      break;
    }
  }
  const QString d = ConvertMkbCode(row.StacDiag, ReportYear(), Settings.MonthIndex, *Tables);
  const QString d3 = d.left(3);
  const QString d5 = d.size() < 5 ? d : d.left(5);
  int reason = 0;
  if (!method) {
    reason = -1;
  } else {
    VmpCost = method->Cost;
    CaseKsgId = QString::number(method->Id);
    const QString semi = QStringLiteral(";");
    if (!TrimText(method->Diags).isEmpty() && !method->Diags.contains(d3 + semi) &&
        !method->Diags.contains(d5 + semi) && !method->Diags.contains(d + semi))
      reason = 1;
    if (!TrimText(method->Uslug).isEmpty()) {
      // Any service of the sheet may carry the method.
      bool any = false;
      for (const QString& c : codes)
        if (method->Uslug.contains(QLatin1Char(',') + c + QLatin1Char(','))) any = true;
      if (codes.isEmpty() && method->Uslug.contains(QStringLiteral(",,"))) any = true;
      if (!any) reason = 2;
    }
    bool numeric = false;
    const int required = TrimText(method->Anaestes).toInt(&numeric);
    if (numeric && required != anaesthesia && required != 0 && ReportYear() <= 2017) reason = 3;
    if (ReportYear() >= 2018) {
      const int g = method->Grp;
      if (((g == 31 || g == 34) && stents != 1) || ((g == 32 || g == 35) && stents != 2) ||
          ((g == 33 || g == 36) && stents < 3))
        reason = 4;
    }
  }
  if (reason != 0) {
    VmpCost = Money();
    CaseKsgId = QStringLiteral("0");
    static const QHash<int, QString> texts = {
        {-1, QStringLiteral("Код ВМП, либо метод ВМП не найден в справочнике")},
        {1, QStringLiteral("МКБ по осн.заболеванию не подходит для данного вида ВМП")},
        {2, QStringLiteral("Услуга не подходит для данного вида ВМП")},
        {3, QStringLiteral("Значение анест.не соотв.требованию данного метода ВМП")},
        {4, QStringLiteral("Несовпадение метода ВМП с кол-вом стентов")}};
    ZeroCost.append({row.Id, texts.value(reason)});
  }
  if (VmpCost > Money()) {
    CaseKdOms = CaseKdMes = CaseBedDays;
    CaseOcnCost = VmpCost;
    CaseCostPoMes = CaseOcnCost;
  } else {
    CaseKdOms = CaseKdMes = 0;
    CaseOcnCost = CaseCostPoMes = Money();
  }
  LastKsgCaseId = row.IdIll;
}

// --- The calculator ---

CaseCostCalculator::CaseCostCalculator(FbDatabase& db, FbTransaction& tr, CaseCostSettings settings)
    : impl_(std::make_unique<Impl>()) {
  impl_->Tables = std::make_shared<const TariffTables>(TariffTables::Load(db, tr));
  impl_->OwnData = std::make_unique<DatabaseCaseData>(db, tr);
  impl_->OwnSink = std::make_unique<DatabaseCostSink>(db, tr, settings);
  impl_->Data = impl_->OwnData.get();
  impl_->Sink = impl_->OwnSink.get();
  impl_->Settings = std::move(settings);
}

CaseCostCalculator::CaseCostCalculator(std::shared_ptr<const TariffTables> tables,
                                       CaseDataSource& data, CaseCostSink& sink,
                                       CaseCostSettings settings)
    : impl_(std::make_unique<Impl>()) {
  impl_->Tables = std::move(tables);
  impl_->Data = &data;
  impl_->Sink = &sink;
  impl_->Settings = std::move(settings);
}

CaseCostCalculator::~CaseCostCalculator() = default;

void CaseCostCalculator::SetSettings(CaseCostSettings settings) {
  if (auto* own = dynamic_cast<DatabaseCostSink*>(impl_->OwnSink.get()))
    own->SetStatement(settings);
  impl_->Settings = std::move(settings);
}

void CaseCostCalculator::CalculateCaseCost(const CaseCostRow& row) {
  impl_->Calculate(row);
}

void CaseCostCalculator::FinishCases() {
  if (impl_->KsgCasePending && impl_->LastKsgCaseId > 0) impl_->FinaliseKsgCase();
}

bool CaseCostCalculator::CasePending() const {
  return impl_->KsgCasePending;
}
Money CaseCostCalculator::CalcSum() const {
  return impl_->CalcSumValue;
}
void CaseCostCalculator::ResetCalcSum() {
  impl_->CalcSumValue = Money();
}
const QList<ZeroCostCase>& CaseCostCalculator::ZeroCostCases() const {
  return impl_->ZeroCost;
}
const QList<StoredCaseCost>& CaseCostCalculator::Stored() const {
  return impl_->Stored;
}

}  // namespace kelmo::tariff
