// The pricing of one KSG candidate: the patient coefficients (IVF,
// concomitant diseases or polytrauma, interruption or short stay, long stay,
// accompanying person, oncology, senile asthenia or the Barthel scale), the
// cost, the calculation comment and the list of applied coefficient rows;
// and the pairing of recorded candidates by their groups.
#include <QSet>
#include <algorithm>
#include <cmath>

#include "cost_engine.h"
#include "cost_rules.h"
#include "domain/common.h"

namespace kelmo::tariff {

namespace {

bool In(int v, std::initializer_list<int> list) {
  return std::find(list.begin(), list.end(), v) != list.end();
}

bool Contains(const QString& list, const QString& code) {
  return list.contains(QLatin1Char(',') + code + QLatin1Char(','));
}

}  // namespace

PricedCandidate CaseCostCalculator::Impl::PriceCandidate(const CaseCostRow& row,
                                                         const KsgCandidateRow& k,
                                                         const WalkedService& w,
                                                         const PricingContext& ctx) {
  const TariffTables& tb = *Tables;
  const bool v2019 = ctx.Variant == 2019;
  const QDate out = row.OutStac;
  auto entry = [&](int code, double value) {
    return QStringLiteral("t=") + FindCoefficientRow(tb, code, out, value) + QStringLiteral(",k=") +
           NumberText(value) + QLatin1Char(';');
  };
  PricedCandidate p;
  p.KsgId = k.KsgId;
  p.Tariff = k.Cost.value_or(Money()).RoundToKopecks();
  int ovlong = k.OvLong;
  const bool surgical = k.IsHirKsg == 1;
  const bool operational = w.Type && *w.Type == 1;
  const bool scheme = k.CriteriaCode && k.CriteriaCode->contains(QStringLiteral("sh"));
  double cop = 1, app = 1, time = 1, brk = 1, eco = 1, astenia = 1;
  const double onko = ctx.Onko;
  if (v2019 && row.TipStac == 1 && row.IsKslpAst && row.ProfilBed == 16) astenia = 1.1;
  if (!v2019 && row.TipStac == 1 && p.KsgId == QLatin1String("339") && row.Vozrast > 60 &&
      ctx.BartelCriterion)
    astenia = 1.1;  // the Barthel scale takes the place of senile asthenia
  QString interruption, coefList, ecoEntry;

  // IVF.
  const QString stages = EcoStagesOf(row.IdIll);
  if (!stages.isEmpty()) {
    EcoCase = true;
    int code = 0;
    if (stages == QLatin1String("1") || stages == QLatin1String("12") ||
        stages == QLatin1String("123")) {
      eco = 0.6;
      code = 12;
    } else if (stages == QLatin1String("6")) {
      eco = 0.19;
      code = 14;
    } else if (stages == QLatin1String("12345")) {
      eco = 1.1;
      code = 13;
    }
    if (code != 0)
      ecoEntry = QStringLiteral("t=") + FindCoefficientRow(tb, code, out, eco) + QLatin1Char(',');
    if (v2019) {
      if (ctx.Column == QLatin1String("R_UR")) p.Tariff = Money::FromUnits(1258765400);
    } else {
      p.KsgId = QStringLiteral("5");
      p.Tariff = ctx.Column == QLatin1String("R_UR") ? Money::FromUnits(1048581900)
                                                     : Money::FromUnits(1214147400);
    }
  }

  // Concomitant diseases, or polytrauma.
  auto copFromService = [&] {
    if (w.CopKf && *w.CopKf > 0) cop = RoundTo(*w.CopKf, 1);
  };
  if (!k.KodObl) {
    copFromService();
  } else {
    const QString mkb = TrimText(row.StacDiag);
    const QString reanim = TrimText(row.Dreanim);
    QSet<int> codes;
    for (const PolitravmRow& kp : tb.Politravm) {
      bool hit = Contains(kp.Mkb, mkb) || Contains(kp.Mkb, mkb.left(5)) ||
                 (Contains(kp.Mkb, reanim) && kp.KodObl == 8);
      for (const SheetDiagnosis& d : RowDiags)
        if ((d.Status == 23 || (d.Status == 22 && kp.KodObl == 8)) &&
            (Contains(kp.Mkb, d.Diag) || Contains(kp.Mkb, d.Diag.left(5))))
          hit = true;
      if (hit) codes.insert(kp.KodObl);
    }
    QList<int> sorted(codes.begin(), codes.end());
    std::sort(sorted.begin(), sorted.end());
    int others = 0;
    for (int i = 0; i + 1 < sorted.size(); ++i) others += sorted[i] == 7 ? 2 : 1;
    if (!sorted.isEmpty() && sorted.last() == 8 && others >= 2) {
      p.KsgId = v2019 ? QStringLiteral("st29.007") : QStringLiteral("233");
      const int ts = row.TipStac == 1 ? 1 : 5;
      p.Tariff = Money();
      ovlong = 0;
      bool found = false;
      for (int ci : tb.KsgCostRowsOf(p.KsgId)) {
        const KsgCostRow& kc = tb.KsgCosts[ci];
        if (kc.Ts != ts || !kc.Valid.Covers(CaseMonthStart, CaseMonthEnd)) continue;
        for (int ki : tb.KsgRowsOf(p.KsgId)) {
          const KsgRow& kr = tb.Ksgs[ki];
          if (!kr.Valid.Covers(CaseMonthStart, CaseMonthEnd)) continue;
          p.Tariff = kc.Column(ctx.Column).value_or(Money()).RoundToKopecks();
          ovlong = kr.OvLong;
          found = true;
          break;
        }
        if (found) break;
      }
    } else {
      copFromService();
    }
  }

  // Interruption and short stay.
  const int kd = CaseBedDays;
  const int rslt = row.RsltMtl;
  const bool roundTheClock = row.TipStac == 1;
  auto addCode = [&](int code) { coefList += entry(code, brk); };
  const QString rsltText = QString::number(rslt);
  if (v2019) {
    static const std::initializer_list<int> l1 = {102, 107, 108, 110, 202, 207, 208};
    static const std::initializer_list<int> l2 = {102, 103, 105, 106, 107, 108, 110,
                                                  202, 203, 205, 206, 207, 208};
    const bool early = out <= QDate(2019, 1, 31);
    const bool late = out >= QDate(2019, 2, 1);
    const bool shortStay =
        kd <= 3 && !EcoCase &&
        ((early && (k.OvShort != 1 || In(rslt, l1))) || (late && (k.OvShort != 1 || In(rslt, l2))));
    const bool interrupted = (early && In(rslt, l1)) || (late && In(rslt, l2));
    if (shortStay) {
      if (surgical) {
        brk = 0.9;
        addCode(roundTheClock ? 105 : 106);
        interruption += QStringLiteral("0.9 <= (interrupted, KD <= 3, operational) ");
      } else {
        brk = 0.5;
        addCode(roundTheClock ? 103 : 104);
        interruption += QStringLiteral("0.5 <= (interrupted, KD <= 3, no_operation) ");
      }
      if (scheme) {
        if (CheckInjectionPlan(Data->Injections(row.IdIll, *k.CriteriaCode), *k.CriteriaCode)) {
          brk = 1.0;
          interruption = QStringLiteral("1.0 <= (interrupted, KD <= 3, finished_scheme) ");
        } else {
          brk = 0.5;
          addCode(125);
          interruption = QStringLiteral("0.5 <= (interrupted, KD <= 3, not_finished_scheme) ");
        }
      }
    } else if (interrupted) {
      if (surgical) {
        brk = 1.0;
        interruption += QStringLiteral("1.0 <= (interrupted, rslt=") + rsltText +
                        QStringLiteral(", operational) ");
      } else if (!roundTheClock) {
        brk = 0.8;
        addCode(123);
        interruption += QStringLiteral("0.8 <= (interrupted, rslt=") + rsltText +
                        QStringLiteral(", no_operation) ");
      }
      if (scheme) {
        if (CheckInjectionPlan(Data->Injections(row.IdIll, *k.CriteriaCode), *k.CriteriaCode)) {
          brk = 1.0;
          interruption += QStringLiteral("1.0 <= (interrupted, rslt=") + rsltText +
                          QStringLiteral(", finished_scheme) ");
        } else {
          brk = 0.8;
          addCode(126);
          interruption += QStringLiteral("0.8 <= (interrupted, rslt=") + rsltText +
                          QStringLiteral(", not_finished_scheme) ");
        }
      }
    } else if (early && In(rslt, {105, 106, 205, 206})) {
      interruption += QStringLiteral("1.0 <= (interrupted, KD > 3, Death) ");
    }
  } else {
    static const std::initializer_list<int> l1 = {102, 107, 108, 110, 202, 207, 208};
    if (k.OvShort == 1 || kd > 3 || EcoCase) {
      if (In(rslt, l1)) {
        if (operational) {
          interruption += QStringLiteral("1.0 <= (interrupted, rslt=") + rsltText +
                          QStringLiteral(", operational) ");
        } else if (roundTheClock && out >= QDate(2018, 3, 1)) {
          brk = 0.9;
          addCode(113);
          interruption += QStringLiteral("0.9 <= (interrupted, rslt=") + rsltText +
                          QStringLiteral(", no_operation) ");
        } else {
          brk = 0.5;
          addCode(123);
          interruption += QStringLiteral("0.5 <= (interrupted, rslt=") + rsltText +
                          QStringLiteral(", no_operation) ");
        }
      } else if (In(rslt, {105, 106, 205, 206})) {
        interruption += QStringLiteral("1.0 <= (interrupted, KD > 3, Death) ");
      }
    } else if (operational) {
      brk = 0.8;
      addCode(102);
      interruption += QStringLiteral("0.8 <= (interrupted, KD <= 3, operational) ");
    } else {
      brk = 0.5;
      addCode(101);
      interruption += QStringLiteral("0.5 <= (interrupted, KD <= 3, no_operation) ");
    }
  }

  // Long stay.
  if (roundTheClock && (!v2019 || ovlong != 2)) {
    const int threshold = ovlong * 15 + 30;
    if (kd > threshold)
      time = RoundTo(1 + double(kd - threshold) / threshold * (row.Intensiv > 0 ? 0.4 : 0.25), 7);
  }
  // Accompanying person, claimed cost, the complexity sum.
  if (row.AppKd > 0) app = 1.05;
  CaseKf = app;
  p.Claimed = row.CostSf.RoundToKopecks();
  double kslp = eco + cop + app + astenia + onko - 4;

  // The comment.
  QString parts;
  if (time > 1)
    parts += QLatin1Char('+') + NumberText(RoundTo(time - 1, 7)) + QStringLiteral("(time)");
  if (cop > 1) parts += QLatin1Char('+') + NumberText(cop - 1) + QStringLiteral("(cop)");
  if (app > 1) parts += QLatin1Char('+') + NumberText(app - 1) + QStringLiteral("(app)");
  if (eco != 1)
    parts += QStringLiteral("+(") + NumberText(eco - 1) + QStringLiteral(" ЭКО (") + stages +
             QStringLiteral("))");
  if (onko > 1) parts += QLatin1Char('+') + NumberText(onko - 1) + QStringLiteral("(onko)");
  if (astenia > 1)
    parts += QLatin1Char('+') + NumberText(astenia - 1) +
             (v2019 ? QStringLiteral("(astenia)") : QStringLiteral("(bartel)"));
  const QString tariffText = MoneyText(p.Tariff);
  p.Comment = (kslp != 1 || time != 1)
                  ? tariffText + QStringLiteral("*(1") + parts + QLatin1Char(')')
                  : tariffText;
  if (kslp > 1.8) {
    kslp = 1.8;
    p.Comment += time > 1 ? QStringLiteral(" -> ") + tariffText + QStringLiteral(" * (1.8(MAX)+") +
                                NumberText(time - 1) + QStringLiteral("(time))")
                          : QStringLiteral(" -> ") + tariffText + QStringLiteral(" * 1.8(MAX)");
  }
  // The cost.
  p.Cost = KopecksOf((time - 1 + kslp) * p.Tariff.ToDouble());
  if (brk < 1) {
    p.Cost = Money::FromDouble(brk * p.Cost.ToDouble());
    p.Comment += QLatin1Char('*') + interruption;
  }
  // The coefficient list after the interruption entries.
  if (time > 1) coefList += entry(9, time);
  if (cop > 1) coefList += entry(6, cop);
  if (app > 1) coefList += entry(3, app);
  if (onko > 1) coefList += entry(8, v2019 ? 1.5 : 1.8);
  if (eco != 1) coefList += ecoEntry + QStringLiteral("k=") + NumberText(eco) + QLatin1Char(';');
  if (astenia > 1) coefList += entry(v2019 ? 124 : 5, astenia);
  p.Kslp = kslp;
  p.Time = time;
  p.Break = brk;
  p.CoefList = coefList;
  return p;
}

void CaseCostCalculator::Impl::PairCandidates(QList<Candidate>& list, int firstNew,
                                              const QDate& outStac) {
  const int n = static_cast<int>(list.size());
  if (firstNew <= 0) return;
  auto groupEntry = [&](double kf) {
    return QStringLiteral("t=") + FindCoefficientRow(*Tables, 11, outStac, kf) +
           QStringLiteral(",k=") + NumberText(kf) + QLatin1Char(';');
  };
  for (int j = n - 1; j >= firstNew; --j) {
    if (list[j].SubGroup == -1) {
      list[j].AppliedGroupKf = list[j].GroupKf;
      list[j].CoefList += groupEntry(list[j].GroupKf);
      continue;
    }
    for (int nIdx = 0; nIdx < j; ++nIdx) {
      Candidate& J = list[j];
      Candidate& N = list[nIdx];
      if (N.Group != J.Group) continue;
      if (!(N.SubGroup != J.SubGroup || N.SubGroup == 0 || J.SubGroup == 0)) continue;
      if (!(J.AppliedGroupKf == 1.0 || N.AppliedGroupKf == 1.0)) continue;
      if (N.OperatId == J.OperatId) continue;
      auto apply = [&](Candidate& x, const Candidate& other, int otherIdx) {
        if (x.AppliedGroupKf != 1.0) return;
        x.AppliedGroupKf = RoundTo(x.GroupKf, 2);
        if (x.Partner == -2 && other.MtlId != x.MtlId) {
          x.Partner = otherIdx;
          x.PairCost = x.Cost + other.Cost;
        }
        if (x.GroupKf > 1) {
          if (!x.Comment.contains(QStringLiteral("*(1"))) x.Comment += QStringLiteral("*(1");
          if (x.Comment.endsWith(QLatin1Char(')'))) x.Comment.chop(1);
          x.Comment += QLatin1Char('+') + NumberText(x.AppliedGroupKf - 1) + QStringLiteral("(G") +
                       QString::number(x.Group) + QLatin1Char('.') + QString::number(x.SubGroup) +
                       QStringLiteral("))");
          x.CoefList += groupEntry(x.GroupKf);
        }
      };
      apply(J, N, nIdx);
      apply(N, J, j);
    }
  }
}

}  // namespace kelmo::tariff
