// The KSG calculation of a treatment sheet (from 2019, and the variant
// before 2019): the sheet's services walked from the last, the KSG groups
// each service (or the diagnosis alone) leads to, each candidate priced with
// the patient coefficients and recorded in the open case, the dearest kept as
// the sheet's choice. The reference tables are the cached ones; the matching
// conditions are those of the group statement, evaluated here.
#include <QSet>
#include <algorithm>
#include <cmath>

#include "cost_engine.h"
#include "cost_rules.h"
#include "domain/case_data.h"
#include "domain/common.h"

namespace kelmo::tariff {

namespace {

bool In(int v, std::initializer_list<int> list) {
  return std::find(list.begin(), list.end(), v) != list.end();
}

// Ascending order with nulls first, as the database sorts.
template <typename T>
int CompareOpt(const std::optional<T>& a, const std::optional<T>& b) {
  if (!a && !b) return 0;
  if (!a) return -1;
  if (!b) return 1;
  return *a < *b ? -1 : (*b < *a ? 1 : 0);
}

std::optional<int> ToInt(const QString& text) {
  bool ok = false;
  const int v = text.toInt(&ok);
  return ok ? std::optional<int>(v) : std::nullopt;
}

// A diagnosis range "C00-C97" (longer than 6) or a letter ("C0", length 2).
bool MkbMatches(const std::optional<QString>& g, const QString& mkb) {
  if (!g) return true;
  if (*g == mkb) return true;
  if (g->size() > 6 && mkb.left(1) == g->left(1) && mkb.mid(1, 2) >= g->mid(1, 2) &&
      mkb.mid(1, 2) <= g->mid(5, 2))
    return true;
  return g->size() == 2 && mkb.left(1) == g->left(1);
}

bool DopMkbMatches(const std::optional<QString>& dop, const QList<SheetDiagnosis>& diags) {
  if (!dop) return true;
  for (const SheetDiagnosis& d : diags) {
    if (d.Status != 23) continue;
    if (d.Diag == *dop) return true;
    if (dop->size() > 6 && d.Diag.left(1) == dop->left(1)) {
      const auto v = ToInt(d.Diag.mid(1, 2)), lo = ToInt(dop->mid(1, 2)),
                 hi = ToInt(dop->mid(5, 2));
      if (v && lo && hi && *v >= *lo && *v <= *hi) return true;
    }
  }
  return false;
}

bool Contains(const QString& list, const QString& code) {
  return list.contains(QLatin1Char(',') + code + QLatin1Char(','));
}

}  // namespace

void CaseCostCalculator::Impl::CalculateKsg(const CaseCostRow& row, int variant) {
  const TariffTables& tb = *Tables;
  const bool v2019 = variant == 2019;
  // Row preparation: the care level and the tariff column.
  const CareLevelResult care =
      FindCareLevel(tb, {row.TipStac, PayCode(), row.Lpu, row.ProfilBed, row.OutStac, row.KodMes,
                         row.Family, row.Name, row.Father});
  if (!care.ZeroCostReason.isEmpty()) ZeroCost.append({row.Id, care.ZeroCostReason});
  if (!care.Message.isEmpty()) Message(care.Message);
  int level = care.Level;
  if (v2019) {
    // A day hospital is priced at the first level (when a plan gave one).
    if (row.TipStac != 1 && level > 0) level = 1;
  } else if (row.Lpu == 26 && row.TipStac != 1 && level > 0) {
    level = 3;
  }
  CaseCareLevel = level;
  QString column;
  switch (level) {
    case 1:
      column = QStringLiteral("R_UR");
      break;
    case 3:
      column = QStringLiteral("G_UR");
      break;
    case 4:
      column = (v2019 ? (row.Lpu == 26 || row.Lpu == 27) : row.Lpu == 27) ? QStringLiteral("N_UR")
                                                                          : QStringLiteral("K_UR");
      break;
    case 5:
      column = QStringLiteral("F_UR");
      break;
    default:
      break;
  }
  const bool newCase = row.IdIll != LastKsgCaseId;
  // The previous case is finalised once, when the next one begins.
  if (newCase && KsgCasePending && LastKsgCaseId > 0) FinaliseKsgCase();
  if (newCase) CaseServices = Data->Services(row.IdIll);
  CaseBedDays = row.BedDays;
  EcoCase = false;
  if (column.isEmpty() || row.IsMek) return;

  ServicesCostSum = Money();
  if (newCase) {
    KsgGroups.clear();
    LastKsgCaseId = row.IdIll;
    KsgCasePending = true;
    KsgVariantYear = variant;
  }
  // Service counts of the case: oncology services, transfusions, the
  // dialysis pair of this sheet, chemotherapy schemes.
  const QStringList& onco = tb.OncologyServices();
  QSet<QString> distinct;
  for (const CaseService& s : CaseServices) distinct.insert(TrimText(s.Uslug));
  int m = 0, a = 0, r = 0, n = 0, b5 = 0, b6 = 0;
  for (const QString& code : distinct) {
    if (onco.contains(code) &&
        (code.contains(QStringLiteral("A06")) || code.contains(QStringLiteral("A07"))))
      ++m;
    if (!v2019 && onco.contains(code) && code.contains(QStringLiteral("A25."))) ++a;
    if (!v2019 && code.contains(QStringLiteral("sh"))) {
      ++a;
      for (const CaseService& s : CaseServices)
        if (s.MtlId == row.Id && TrimText(s.Uslug) == code) {
          ++r;
          break;
        }
    }
  }
  for (const CaseService& s : CaseServices) {
    const QString code = TrimText(s.Uslug);
    if (code.contains(QStringLiteral("A16."))) ++n;
    if (s.MtlId == row.Id && code == QLatin1String("B05.069.005")) ++b5;
    if (s.MtlId == row.Id && code == QLatin1String("B05.069.006")) ++b6;
  }
  double onko = 1.0;
  if (v2019) {
    const int sc = row.SchemeCntCase, t = row.MtCntCase;
    if (row.TipStac == 1 && row.MtlOncoStatus > 0 &&
        ((sc > 0 && (m > 0 || t > 0)) || (sc > 0 && n > 0) || ((m > 0 || t > 0) && n > 0) ||
         sc > 1))
      onko = 1.5;
  } else if (row.TipStac == 1 && row.StacDiag.contains(QLatin1Char('C')) &&
             ((m > 0 && n > 0) || (m > 0 && a > 0) || (n > 0 && a > 0) || m > 1 || a > 1)) {
    onko = 1.8;
  }
  // Criteria of the sheet (bound as values, never spliced into a statement).
  QStringList criteria;
  for (const QString& item : row.Criteries.split(QLatin1Char(';')))
    if (!TrimText(item).isEmpty()) criteria.append(TrimText(item));
  if (b5 > 0 && b6 > 0) criteria.append(QStringLiteral("rbs"));
  const bool bartelCriterion = criteria.contains(QStringLiteral("bartel"));
  // Age group and the short-stay flag.
  int vozr = 6;
  if (row.Vozrast < 18) {
    vozr = 5;
    if (row.Vozrast < 3) vozr = 4;
    if (row.Vozrast == 0) vozr = 3;
    const int days = CalendarDayCount(row.StartD, row.Dr);
    if (days < 91) vozr = 2;
    if (days < 29) vozr = 1;
  }
  const int los = CaseBedDays <= 3 ? 1 : 0;
  // The sheet's letter group.
  const QString letter = row.StacDiag.left(1);
  int groupIdx = -1;
  for (int i = 0; i < KsgGroups.size(); ++i)
    if (KsgGroups[i].Letter == letter) groupIdx = i;
  if (groupIdx < 0) {
    KsgGroups.append({letter, row.Id, {}});
    groupIdx = static_cast<int>(KsgGroups.size()) - 1;
  }
  const QString groupText =
      QStringLiteral("MKBG_") + QString::number(groupIdx) + QStringLiteral("||");
  const int ts = row.TipStac == 1 ? 1 : 5;
  const QDate dbeg = CaseMonthStart, dend = CaseMonthEnd;
  RowDiags = Data->Diagnoses(row.Id);
  const QList<SheetDiagnosis>& diags = RowDiags;

  // The service statement: the sheet's services with tariff, KSG groups,
  // service group and the concomitant coefficient.
  std::vector<double> copKfs;
  for (const CopKfRow& cf : tb.CopKfs) {
    if (!cf.Valid.Covers(dbeg, dend)) continue;
    bool hit = false;
    for (const SheetDiagnosis& d : diags)
      if ((d.Status == 22 || d.Status == 23) &&
          (cf.Mkb == d.Diag || (cf.Grp == 1 && cf.Mkb == d.Diag.left(3))))
        hit = true;
    if (hit) copKfs.push_back(cf.Kf);
  }
  std::vector<WalkedService> serviceRows;
  for (const CaseService& o : CaseServices) {
    if (o.NomMtl != row.NomMtl || o.Npl != 0) continue;
    const QString code = TrimText(o.Uslug);
    struct Key {
      std::optional<QString> RecKsg;
      std::optional<int> Hir;
      std::optional<Money> Cost;
      std::optional<int> Type, Subtype;
      QSet<int> Groups;
    };
    std::vector<Key> keys;
    std::vector<std::optional<Money>> costs;
    for (const UslCostRow& uc : tb.UslCosts)
      if (uc.Uslug == code && uc.Ts == ts && uc.Valid.Covers(dbeg, dend)) costs.push_back(uc.Cost);
    if (costs.empty()) costs.push_back(std::nullopt);
    std::vector<const ServiceRow*> kinds;
    for (int si : tb.ServiceRowsOf(code)) {
      const ServiceRow& s = tb.Services[si];
      if (s.Valid.Begin <= dend && (!s.Valid.End || *s.Valid.End >= dend)) kinds.push_back(&s);
    }
    if (kinds.empty()) kinds.push_back(nullptr);
    struct GK {
      int GroupId;
      const KsgRow* K;
    };
    std::vector<GK> gks;
    for (int gi : tb.GroupRowsOfService(code)) {
      const KsgGroupRow& g = tb.KsgGroups[gi];
      if (g.Ts != ts || !g.Valid.Covers(dbeg, dend)) continue;
      bool any = false;
      for (int ki : tb.KsgRowsOf(g.KsgId)) {
        const KsgRow& k = tb.Ksgs[ki];
        if (k.Ts == g.Ts && k.Valid.Covers(dbeg, dend)) {
          gks.push_back({g.Id, &k});
          any = true;
        }
      }
      if (!any) gks.push_back({g.Id, nullptr});
    }
    if (gks.empty()) gks.push_back({-1, nullptr});
    for (const GK& gk : gks)
      for (const auto& cost : costs)
        for (const ServiceRow* kind : kinds) {
          Key key;
          if (gk.K) {
            key.RecKsg = gk.K->RecKsg;
            key.Hir = gk.K->IsHirKsg;
          }
          key.Cost = cost;
          if (kind) {
            key.Type = kind->Type;
            key.Subtype = kind->Subtype;
          }
          auto same = [&](const Key& x) {
            return x.RecKsg == key.RecKsg && x.Hir == key.Hir && x.Cost == key.Cost &&
                   x.Type == key.Type && x.Subtype == key.Subtype;
          };
          auto it = std::find_if(keys.begin(), keys.end(), same);
          if (it == keys.end()) {
            keys.push_back(key);
            it = keys.end() - 1;
          }
          if (gk.GroupId >= 0) it->Groups.insert(gk.GroupId);
        }
    for (const Key& key : keys) {
      if (!key.Cost && key.Groups.isEmpty()) continue;
      WalkedService w;
      w.Id = o.Id;
      w.Uslug = o.Uslug;
      w.DateOper = o.DateOper;
      w.UslCost = key.Cost;
      w.Type = key.Type;
      w.Subtype = key.Subtype;
      w.GCnt = static_cast<int>(key.Groups.size());
      w.RecKsg = key.RecKsg;
      bool anyGroup = false;
      for (const UslGroupRow& us : tb.UslGroups) {
        if (us.Uslug != code || us.Ts != ts || !us.Valid.Covers(dbeg, dend)) continue;
        anyGroup = true;
        WalkedService wg = w;
        wg.Grp = us.Grp;
        wg.Sgr = us.Sgr;
        bool anyKf = false;
        for (const GroupKfRow& gf : tb.GroupKfs)
          if (gf.Grp == us.Grp && gf.Valid.Covers(dbeg, dend)) {
            WalkedService wk = wg;
            wk.Kf = gf.Kf;
            serviceRows.push_back(wk);
            anyKf = true;
          }
        if (!anyKf) serviceRows.push_back(wg);
      }
      if (!anyGroup) serviceRows.push_back(w);
    }
  }
  if (serviceRows.empty()) serviceRows.push_back({});
  if (!copKfs.empty()) {
    std::vector<WalkedService> withCop;
    for (const WalkedService& w : serviceRows)
      for (double kf : copKfs) {
        WalkedService c = w;
        c.CopKf = kf;
        withCop.push_back(c);
      }
    serviceRows.swap(withCop);
  }
  std::stable_sort(serviceRows.begin(), serviceRows.end(),
                   [](const WalkedService& x, const WalkedService& y) {
                     if (int c = CompareOpt(x.RecKsg, y.RecKsg)) return c < 0;
                     if (int c = CompareOpt(x.Id, y.Id)) return c < 0;
                     if (int c = CompareOpt(x.Grp, y.Grp)) return c < 0;
                     return CompareOpt(x.Sgr, y.Sgr) < 0;
                   });

  // The walk from the last service row.
  // The sheet's best candidate: priced, from which service, recorded or not.
  struct Best : PricedCandidate {
    int ServiceId = 0;
    bool Recorded = false;
  } best;
  best.KsgId = QStringLiteral("0");
  // A candidate of the open case from a priced one.
  auto candidateOf = [&](const PricedCandidate& p, int operatId, int bedDays,
                         const QString& comment) {
    Candidate c;
    c.MtlId = row.Id;
    c.KsgId = p.KsgId;
    c.Cost = p.Cost;
    c.BaseCost = p.Tariff;
    c.ClaimedCost = p.Claimed;
    c.Kslp = p.Kslp;
    c.TimeKf = p.Time;
    c.BreakKf = p.Break;
    c.OperatId = operatId;
    c.RowBedDays = bedDays;
    c.PrOms = row.PrOms;
    c.CareLevel = CaseCareLevel;
    c.Comment = comment;
    c.CoefList = p.CoefList;
    return c;
  };
  QStringList dateList;
  QString exclusion;
  const int year = ReportYear();
  const int monthIdx = Settings.MonthIndex;
  const QString mkb = ConvertMkbCode(row.StacDiag, year, monthIdx, tb);
  bool first = true;
  std::optional<std::optional<int>> previousId;
  for (auto it = serviceRows.rbegin(); it != serviceRows.rend(); ++it) {
    const WalkedService& w = *it;
    const bool firstPass = first;
    first = false;
    if (!previousId || *previousId != w.Id) {
      if (ts == 5 && w.DateOper && w.Subtype) {
        const bool sub1 = *w.Subtype == 1 && ((monthIdx > 2 && year >= 2017) || year >= 2018);
        const bool sub2 = *w.Subtype == 2 && ((monthIdx > 6 && year >= 2017) || year >= 2018);
        const QString text = ShortDateText(*w.DateOper);
        if ((sub1 || sub2) && !dateList.contains(text)) dateList.append(text);
      }
      ServicesCostSum += w.UslCost.value_or(Money()).RoundToKopecks();
      if (w.Id) Sink->StoreServiceCost(*w.Id, w.UslCost);
    }
    previousId = w.Id;
    const QString code = TrimText(w.Uslug);
    const bool hasCode = !code.isEmpty() && w.DateOper.has_value();
    if (!((hasCode && (w.GCnt > 0 || firstPass)) || (!hasCode && w.GCnt == 0))) continue;

    // The KSG group statement for this service.
    std::vector<KsgCandidateRow> cands;
    auto consider = [&](const KsgGroupRow& g) {
      if (g.Ts != ts || !g.Valid.Covers(dbeg, dend)) return;
      if (!MkbMatches(g.Mkb, mkb)) return;
      if (g.CriteriaCode && !criteria.contains(*g.CriteriaCode)) return;
      if (v2019 && g.Fractions) {
        const auto lo = ToInt(g.Fractions->mid(2, 2)), hi = ToInt(g.Fractions->right(2));
        if (!lo || !hi || row.Fractions < *lo || row.Fractions > *hi) return;
      }
      if (g.Uslug && *g.Uslug != code) return;
      if (g.Los && *g.Los != los) return;
      if (g.Pol && *g.Pol != row.Pol) return;
      if (g.Vozr && !((*g.Vozr > vozr && *g.Vozr != 6) || *g.Vozr == vozr)) return;
      if (!DopMkbMatches(g.DopMkb, diags)) return;
      std::vector<std::optional<int>> obls;
      for (const PolitravmRow& kp : tb.Politravm)
        if (Contains(kp.Mkb, mkb) || Contains(kp.Mkb, mkb.left(5))) obls.push_back(kp.KodObl);
      if (obls.empty()) obls.push_back(std::nullopt);
      for (int ki : tb.KsgRowsOf(g.KsgId)) {
        const KsgRow& k = tb.Ksgs[ki];
        if (k.Ts != g.Ts || !k.Valid.Covers(dbeg, dend) || k.Oplat != PayCode()) continue;
        std::vector<std::optional<double>> kfs;
        if (k.Gr)
          for (const GroupKfRow& gf : tb.GroupKfs)
            if (gf.Grp == *k.Gr && gf.Valid.Covers(dbeg, dend)) kfs.push_back(gf.Kf);
        if (kfs.empty()) kfs.push_back(std::nullopt);
        std::vector<std::optional<Money>> costs;
        for (int ci : tb.KsgCostRowsOf(g.KsgId)) {
          const KsgCostRow& kc = tb.KsgCosts[ci];
          if (kc.Ts == g.Ts && kc.Valid.Covers(dbeg, dend)) costs.push_back(kc.Column(column));
        }
        if (costs.empty()) costs.push_back(std::nullopt);
        int stages = 0;
        for (const StageKsgRow& st : tb.Stages)
          if (st.Ksg == g.KsgId && g.Uslug && st.Uslug == *g.Uslug && st.Valid.Covers(dbeg, dend))
            ++stages;
        for (int s = 0; s < std::max(stages, 1); ++s)
          for (const auto& obl : obls)
            for (const auto& kf : kfs)
              for (const auto& cost : costs)
                cands.push_back({g.Los, g.KsgId, g.CriteriaCode, obl, cost, k.OvShort, k.OvLong,
                                 k.RecKsg, k.IsHirKsg, k.Gr, k.Sgr, kf});
      }
    };
    // Only rows without a diagnosis or with the diagnosis's first letter can
    // match; they are taken in the table's order.
    std::vector<int> rows;
    const QString letter = mkb.left(1);
    for (const QString& service : {QString(), code}) {
      for (const QString& l : {QString(), letter}) {
        const std::vector<int>& part = tb.GroupRowsOf(service, l);
        rows.insert(rows.end(), part.begin(), part.end());
        if (letter.isEmpty()) break;
      }
      if (code.isEmpty()) break;
    }
    std::sort(rows.begin(), rows.end());
    for (int gi : rows) consider(tb.KsgGroups[gi]);
    std::stable_sort(
        cands.begin(), cands.end(), [](const KsgCandidateRow& x, const KsgCandidateRow& y) {
          if (int c = CompareOpt(x.Los, y.Los)) return c < 0;
          if (int c =
                  CompareOpt(std::optional<QString>(x.RecKsg), std::optional<QString>(y.RecKsg)))
            return c < 0;
          if (int c = CompareOpt(x.Gr, y.Gr)) return c < 0;
          return CompareOpt(x.Cost, y.Cost) < 0;
        });
    for (auto ct = cands.rbegin(); ct != cands.rend(); ++ct) {
      const KsgCandidateRow& k = *ct;
      PricedCandidate p = PriceCandidate(row, k, w, {column, onko, variant, bartelCriterion});
      // Recording.
      const bool dropped = k.RecKsg == QLatin1String("R") && Contains(exclusion, p.KsgId);
      if (!dropped) {
        static const QStringList shortDiags = {QStringLiteral("O14.1"), QStringLiteral("O34.2"),
                                               QStringLiteral("O36.3"), QStringLiteral("O36.4"),
                                               QStringLiteral("O42.2")};
        const int kd = CaseBedDays;
        const bool ksgGroup = k.Gr && *k.Gr >= 1 &&
                              (kd >= 6 || (k.Sgr && *k.Sgr == 2) ||
                               (kd >= 2 && shortDiags.contains(TrimText(row.StacDiag))));
        const bool serviceGroup = w.Grp && *w.Grp >= 1;
        const bool recordable = serviceGroup || ksgGroup;
        if (recordable) {
          QList<Candidate>& list = KsgGroups[groupIdx].Candidates;
          const int before = static_cast<int>(list.size());
          Candidate c = candidateOf(p, w.Id.value_or(0), kd, groupText + p.Comment);
          if (serviceGroup) {
            c.Group = *w.Grp;
            c.SubGroup = w.Sgr.value_or(0);
            // A group without a coefficient row in force applies none (1.0),
            // rather than zeroing the candidate.
            c.GroupKf = w.Kf.value_or(1.0);
            c.CoefCode = c.Group < 3 ? 12 : (c.Group < 22 ? 15 : 16);
          }
          list.append(c);
          if (serviceGroup && ksgGroup) {
            Candidate c2 = c;
            c2.Group = c2.SubGroup = 0;
            c2.GroupKf = 0;
            c2.CoefCode = 0;
            c2.Partner = -2;
            list.append(c2);
          }
          if (ksgGroup) {
            Candidate& l = list.last();
            l.Group = *k.Gr;
            l.SubGroup = k.Sgr.value_or(0);
            l.GroupKf = k.Kf.value_or(1.0);
            l.CoefCode = 11;
            l.Partner = -2;
          }
          PairCandidates(list, before, row.OutStac);
        }
        if (!k.RecKsg.isEmpty() && k.RecKsg != QLatin1String("R")) exclusion += k.RecKsg;
        if (p.Cost > best.Cost) {
          static_cast<PricedCandidate&>(best) = p;
          best.ServiceId = w.Id.value_or(0);
          best.Recorded = recordable;
        }
      }
      if (k.Los && *k.Los == 1) break;
    }
  }

  // The end of the sheet.
  if (best.Cost > Money()) {
    if (!dateList.isEmpty())
      CaseBedDays = CountWorkingDays(dateList, tb.Holidays, tb.HolidayExceptions.value(row.Lpu));
    if (v2019) {
      CaseCostComment = groupText + best.Comment;
      if (ServicesCostSum > Money() && best.KsgId == QLatin1String("ds18.001")) {
        best.Cost = best.Tariff = best.Claimed = Money();
        best.KsgId = QStringLiteral("0");
        CaseCostComment = QStringLiteral(
            "КСГ ds18.001 игнорируется, диализ (без услуг A25.28.001.00X), стоимость только по "
            "услугам, пункт. Инструкции 4.4 (для 10%)");
      }
    } else {
      bool ok = false;
      const int number = best.KsgId.toInt(&ok);
      if (!ok) throw ConversionError(best.KsgId);
      if (In(number, {54, 55, 58, 59, 63}) && row.TipStac != 1 && r > 0) CaseBedDays = r;
    }
    QList<Candidate>& list = KsgGroups[groupIdx].Candidates;
    if (best.Recorded && ServicesCostSum > Money()) {
      if (!list.isEmpty()) list.last().ServicesCost = ServicesCostSum;
    } else if (!best.Recorded) {
      Candidate c = candidateOf(best, best.ServiceId, CaseBedDays,
                                v2019 ? CaseCostComment : groupText + best.Comment);
      c.ServicesCost = ServicesCostSum;
      list.append(c);
    }
  }
  if (best.Cost == Money()) {
    CaseKdOms = CaseKdMes = CaseKdSvMes = CaseKdNot = 0;
    CaseKsgId = QStringLiteral("0");
    CaseCostComment = QStringLiteral("NULL_COST");
    CaseOcnCost = ServicesCostSum;
    StoreCaseCost(row.Id, row.PrOms, Money(), QString(), CaseCareLevel);
  }
}

}  // namespace kelmo::tariff
