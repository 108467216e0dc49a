// The cost calculator's own state and steps, shared by its files: the run
// state of the walk (the open KSG case and its candidates, the sums), the
// KSG walk of a sheet, the pricing of a candidate, the case's finalisation,
// the high-tech cost and the store.
#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

#include "case_cost.h"
#include "case_cost_io.h"
#include "tariff_tables.h"

namespace kelmo::tariff {

// One priced KSG candidate of the open case.
struct Candidate {
  int Group = 0;
  int SubGroup = 0;
  double GroupKf = 0;
  int OperatId = 0;
  int MtlId = 0;
  QString KsgId;
  Money PairCost;
  Money Cost;
  Money BaseCost;
  double Kslp = 1.0;
  double TimeKf = 1.0;
  double BreakKf = 1.0;
  Money ServicesCost;
  Money ClaimedCost;
  double AppliedGroupKf = 1.0;
  int RowBedDays = 0;
  int PrOms = 0;
  int CareLevel = 0;
  QString Comment;
  QString CoefList;
  int CoefCode = 0;
  int Partner = -1;
};

// The candidates of the open case whose main diagnoses share a first letter.
struct LetterGroup {
  QString Letter;
  int FirstMtlId = 0;
  QList<Candidate> Candidates;
};

// One row of the service statement of a sheet: a service with its tariff,
// group and the concomitant coefficient, or a row without a service.
struct WalkedService {
  std::optional<int> Id;
  QString Uslug;
  std::optional<QDate> DateOper;
  std::optional<Money> UslCost;
  std::optional<int> Type, Subtype;
  int GCnt = 0;
  std::optional<QString> RecKsg;
  std::optional<double> CopKf;
  std::optional<int> Grp, Sgr;
  std::optional<double> Kf;
};

// One row of the KSG group statement.
struct KsgCandidateRow {
  std::optional<int> Los;
  QString KsgId;
  std::optional<QString> CriteriaCode;
  std::optional<int> KodObl;
  std::optional<Money> Cost;
  int OvShort = 0;
  int OvLong = 0;
  QString RecKsg;
  int IsHirKsg = 0;
  std::optional<int> Gr, Sgr;
  std::optional<double> Kf;
};

// What the pricing of a candidate takes from its sheet.
struct PricingContext {
  QString Column;  // the tariff column of the care level
  double Onko = 1.0;
  int Variant = 2019;
  bool BartelCriterion = false;
};

// A priced candidate.
struct PricedCandidate {
  QString KsgId;
  Money Cost, Tariff, Claimed;
  double Kslp = 1, Time = 1, Break = 1;
  QString Comment, CoefList;
};

struct CaseCostCalculator::Impl {
  std::shared_ptr<const TariffTables> Tables;
  CaseDataSource* Data = nullptr;
  CaseCostSink* Sink = nullptr;
  std::unique_ptr<CaseDataSource> OwnData;
  std::unique_ptr<CaseCostSink> OwnSink;
  CaseCostSettings Settings;

  // Results.
  Money CalcSumValue;
  QList<ZeroCostCase> ZeroCost;
  QList<StoredCaseCost> Stored;

  // The walk's state.
  int LastKsgCaseId = 0;
  bool KsgCasePending = false;
  int KsgVariantYear = 0;
  QList<LetterGroup> KsgGroups;
  int LastCostCaseId = 0;
  QDate CaseMonthStart, CaseMonthEnd;
  QList<CaseService> CaseServices;  // of the case LastKsgCaseId
  std::optional<QString> CaseEcoStages;
  int CaseEcoCaseId = 0;

  // The values of the row being calculated.
  QString CaseKsgId = QStringLiteral("0");
  Money VmpCost;
  Money CaseOcnCost;
  Money CaseCostPoMes;
  int CaseCareLevel = 0;
  QString CaseCostComment;
  double CaseKf = 1.0;
  int CaseBedDays = 0;
  int CaseKdOms = 0, CaseKdMes = 0, CaseKdSvMes = 0, CaseKdNot = 0;
  int CaseKdMtl = 0;
  Money CaseOcnCostMtl, CaseCopCostMtl, CaseAllCostMtl;
  Money ServicesCostSum;
  QList<SheetDiagnosis> RowDiags;  // of the sheet being calculated
  bool EcoCase = false;

  int ReportYear() const { return Settings.YearText.toInt(); }
  int PayCode() const { return static_cast<int>(Settings.Pay); }
  bool LongStatement() const { return Settings.YearText != QLatin1String("2014"); }

  void Calculate(const CaseCostRow& row);
  void CalculateKsg(const CaseCostRow& row, int variant);
  void CalculateVmp(const CaseCostRow& row);
  void FinaliseKsgCase();
  // Writes one sheet: the current days, cost, KSG and comment with what the
  // caller set; the comment is emptied after a store that writes it.
  void WriteMtl(MtlCostValues v);
  void StoreCaseCost(int mtlId, int prOms, Money baseCost, const QString& coefList, int careLevel);
  PricedCandidate PriceCandidate(const CaseCostRow& row, const KsgCandidateRow& k,
                                 const WalkedService& w, const PricingContext& ctx);
  // Pairs the candidates appended from `firstNew` with the earlier ones of
  // the same group.
  void PairCandidates(QList<Candidate>& list, int firstNew, const QDate& outStac);
  void Message(const QString& text);
  QString EcoStagesOf(int idIll);
};

}  // namespace kelmo::tariff
