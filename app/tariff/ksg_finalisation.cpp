// The finalisation of an open KSG case: among the sheets whose main
// diagnoses share a first letter only the dearest KSG is paid; the other
// sheets are paid their services with a "ZERO" note; every sheet is stored
// and the case's sums go to STACION.
#include <cmath>

#include "cost_engine.h"
#include "cost_rules.h"

namespace kelmo::tariff {

namespace {

// The candidate's amount with its own coefficients, without the cap.
Money Uncapped(const Candidate& c) {
  return KopecksOf((c.AppliedGroupKf + c.Kslp - 1 + c.TimeKf - 1) * c.BaseCost.ToDouble() *
                   c.BreakKf);
}

Money Final(const Candidate& c) {
  return c.PairCost != Money() ? c.PairCost.RoundToKopecks() : Uncapped(c);
}

QString Zero(Money a, Money b) {
  return QStringLiteral("; ZERO(") + MoneyText(a) + QLatin1Char('<') + MoneyText(b) +
         QLatin1Char(')');
}

// The claimed cost replaces a computed one less than 1.5 kopecks away.
Money NearClaimed(Money amount, Money claimed) {
  const std::int64_t d = amount.units() - claimed.units();
  return (d < 150 && d > -150) ? claimed : amount;
}

}  // namespace

void CaseCostCalculator::Impl::FinaliseKsgCase() {
  CaseKdMtl = 0;
  CaseOcnCostMtl = CaseCopCostMtl = CaseAllCostMtl = Money();

  // Stores a sheet with cost X and comment T (cut to 150 characters unless
  // `cut` is false); the bed days and KSG may come from another candidate.
  auto store = [&](const Candidate& r, Money x, const QString& t, bool cut = true,
                   const Candidate* daysOf = nullptr) {
    const Candidate& d = daysOf ? *daysOf : r;
    CaseBedDays = CaseKdOms = d.RowBedDays;
    CaseKsgId = d.KsgId;
    CaseOcnCost = x;
    CaseCostComment = cut ? t.left(150) : t;
    StoreCaseCost(r.MtlId, r.PrOms, r.BaseCost, r.CoefList, r.CareLevel);
    CalcSumValue += CaseOcnCost;
    CaseKdMtl += CaseBedDays;
    CaseOcnCostMtl += CaseOcnCost;
    CaseAllCostMtl += CaseOcnCost;
  };

  for (LetterGroup& group : KsgGroups) {
    QList<Candidate>& c = group.Candidates;
    const int n = static_cast<int>(c.size());
    if (n == 0) continue;
    Money best;
    int bestIdx = 0;
    int cur = 0;
    Money svcMax;
    // A partner index that names a candidate of the list.
    auto partnerOf = [&](int i) {
      return c[i].Partner >= 0 && c[i].Partner < n ? c[i].Partner : -1;
    };
    for (int i = 0; i < n; ++i) {
      const Money f = Final(c[i]);
      if (i == 0) {
        cur = c[0].MtlId;
        best = f;
        bestIdx = 0;
        svcMax = Money();
      }
      if (c[i].MtlId == cur) {
        svcMax = std::max(svcMax, c[i].ServicesCost);
      } else {
        c[i - 1].ServicesCost = svcMax;
        if (c[bestIdx].MtlId == cur) c[bestIdx].ServicesCost = svcMax;
        svcMax = c[i].ServicesCost;
      }
      if (f > best) {
        if (c[bestIdx].MtlId != c[i].MtlId) {
          const int p = partnerOf(bestIdx);
          if (p >= 0 && c[p].MtlId < cur)
            store(c[p], c[p].ServicesCost, c[p].Comment + Zero(best, f), false, &c[bestIdx]);
          const QString text = c[bestIdx].Comment + Zero(best, f);
          if (text.size() > 150)
            Message(QStringLiteral("Слишком длинный комментарий:") + QLatin1Char('\r') +
                    text.left(150));
          store(c[bestIdx], c[bestIdx].ServicesCost, text);
          if (c[bestIdx].MtlId != cur && c[i].MtlId != cur)
            store(c[i - 1], c[i - 1].ServicesCost, c[i - 1].Comment + Zero(best, f));
          cur = c[i].MtlId;
        }
        best = f;
        bestIdx = i;
      }
      if (c[i].MtlId != cur) {
        const int p = partnerOf(bestIdx);
        if (c[bestIdx].MtlId != cur && (p < 0 || c[p].MtlId != cur))
          store(c[i - 1], c[i - 1].ServicesCost, c[i - 1].Comment + Zero(f, best));
        cur = c[i].MtlId;
        svcMax = c[i - 1].ServicesCost;
      }
    }
    // The winner, with the cap of 1.8 on its coefficients.
    const Candidate& w = c[bestIdx];
    const double a = w.AppliedGroupKf, k = w.Kslp, t = w.TimeKf, b = w.BaseCost.ToDouble(),
                 r = w.BreakKf;
    double amount;
    if (a + k - 1 <= 1.8)
      amount = r * (t + k + a - 2) * b;
    else if (t > 1)
      amount = r * (t - 1 + 1.8) * b;
    else
      amount = b * 1.8 * r;
    store(w, NearClaimed(KopecksOf(amount) + svcMax, w.ClaimedCost), w.Comment);
    const int wp = partnerOf(bestIdx);
    if (wp >= 0)
      store(c[wp], NearClaimed(Uncapped(c[wp]) + svcMax, c[wp].ClaimedCost), c[wp].Comment);
    const Candidate& last = c[n - 1];
    if (last.MtlId != w.MtlId && (wp < 0 || c[wp].MtlId != last.MtlId)) {
      const Money lastCost = Money::FromDouble(last.Cost.ToDouble() * last.AppliedGroupKf);
      store(last, last.ServicesCost, last.Comment + Zero(lastCost, best));
    }
  }
  Sink->StoreCaseSums(LastKsgCaseId, CaseKdMtl, CaseCopCostMtl, PayCode());
  KsgCasePending = false;
  KsgVariantYear = 0;
}

}  // namespace kelmo::tariff
