// The reference tables of the cost calculation: reading and indexes.
#include "tariff_tables.h"

#include "domain/common.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"

namespace kelmo::tariff {

namespace {

const std::vector<int> kNone;

std::optional<QDate> OptDate(const QVariant& v) {
  if (v.isNull()) return std::nullopt;
  return v.toDateTime().date();
}
std::optional<int> OptInt(const QVariant& v) {
  if (v.isNull()) return std::nullopt;
  return v.toInt();
}
std::optional<QString> OptText(const QVariant& v) {
  if (v.isNull()) return std::nullopt;
  return v.toString();
}
std::optional<Money> OptMoney(const QVariant& v) {
  if (v.isNull()) return std::nullopt;
  return Money::FromString(v.toString());
}
ValidPeriod Period(const FbQuery& q, int row, const char* begin, const char* end) {
  return {q.Value(row, QString::fromLatin1(begin)).toDateTime().date(),
          OptDate(q.Value(row, QString::fromLatin1(end)))};
}

// Runs a select over the whole table and calls `fill` for every row.
template <typename F>
void ReadAll(FbDatabase& db, FbTransaction& tr, const QString& sql, F fill) {
  FbQuery q(db, &tr);
  q.setSql(sql);
  q.Open();
  for (int i = 0; i < q.RecordCount(); ++i) fill(q, i);
}

}  // namespace

std::optional<Money> KsgCostRow::Column(const QString& name) const {
  if (name == QLatin1String("R_UR")) return RUr;
  if (name == QLatin1String("G_UR")) return GUr;
  if (name == QLatin1String("K_UR")) return KUr;
  if (name == QLatin1String("N_UR")) return NUr;
  if (name == QLatin1String("F_UR")) return FUr;
  return std::nullopt;
}

void TariffTables::Index() {
  groupsByService_.clear();
  groupsByServiceLetter_.clear();
  ksgsById_.clear();
  costsByKsg_.clear();
  servicesByCode_.clear();
  oncology_.clear();
  for (int i = 0; i < static_cast<int>(KsgGroups.size()); ++i) {
    const KsgGroupRow& g = KsgGroups[i];
    groupsByService_[g.Uslug.value_or(QString())].push_back(i);
    groupsByServiceLetter_[g.Uslug.value_or(QString()) + QLatin1Char('|') +
                           (g.Mkb ? g.Mkb->left(1) : QString())]
        .push_back(i);
  }
  for (int i = 0; i < static_cast<int>(Ksgs.size()); ++i) ksgsById_[Ksgs[i].KsgId].push_back(i);
  for (int i = 0; i < static_cast<int>(KsgCosts.size()); ++i)
    costsByKsg_[KsgCosts[i].Ksg].push_back(i);
  static const QStringList words = {QStringLiteral("лучев"),      QStringLiteral("рентген"),
                                    QStringLiteral("гамма"),      QStringLiteral("новообр"),
                                    QStringLiteral("злокачеств"), QStringLiteral("онколог"),
                                    QStringLiteral("опухол")};
  for (int i = 0; i < static_cast<int>(Services.size()); ++i) {
    const ServiceRow& s = Services[i];
    servicesByCode_[s.Uslug].push_back(i);
    if (s.Valid.End) continue;
    const QString name = s.Name.toUpper();
    for (const QString& w : words)
      if (name.contains(w.toUpper())) {
        oncology_.append(s.Uslug);
        break;
      }
  }
}

const std::vector<int>& TariffTables::GroupRowsOfService(const QString& uslug) const {
  const auto it = groupsByService_.constFind(uslug);
  return it == groupsByService_.cend() ? kNone : *it;
}
const std::vector<int>& TariffTables::GroupRowsOf(const QString& uslug,
                                                  const QString& letter) const {
  const auto it = groupsByServiceLetter_.constFind(uslug + QLatin1Char('|') + letter);
  return it == groupsByServiceLetter_.cend() ? kNone : *it;
}
const std::vector<int>& TariffTables::KsgRowsOf(const QString& ksgId) const {
  const auto it = ksgsById_.constFind(ksgId);
  return it == ksgsById_.cend() ? kNone : *it;
}
const std::vector<int>& TariffTables::KsgCostRowsOf(const QString& ksgId) const {
  const auto it = costsByKsg_.constFind(ksgId);
  return it == costsByKsg_.cend() ? kNone : *it;
}
const std::vector<int>& TariffTables::ServiceRowsOf(const QString& uslug) const {
  const auto it = servicesByCode_.constFind(uslug);
  return it == servicesByCode_.cend() ? kNone : *it;
}

TariffTables TariffTables::Load(FbDatabase& db, FbTransaction& tr) {
  TariffTables t;
  ReadAll(db, tr, QStringLiteral("select * from spr_ksg_group order by id"),
          [&](const FbQuery& q, int i) {
            KsgGroupRow g;
            g.Id = q.Value(i, QStringLiteral("ID")).toInt();
            g.KsgId = TrimText(q.Value(i, QStringLiteral("KSG_ID")).toString());
            g.Ts = q.Value(i, QStringLiteral("TS")).toInt();
            g.Los = OptInt(q.Value(i, QStringLiteral("LOS")));
            g.Mkb = OptText(q.Value(i, QStringLiteral("MKB")));
            g.Uslug = OptText(q.Value(i, QStringLiteral("USLUG")));
            g.DopMkb = OptText(q.Value(i, QStringLiteral("DOP_MKB")));
            g.CriteriaCode = OptText(q.Value(i, QStringLiteral("CRITERIA_CODE")));
            g.Fractions = OptText(q.Value(i, QStringLiteral("FRACTIONS")));
            g.Pol = OptInt(q.Value(i, QStringLiteral("POL")));
            g.Vozr = OptInt(q.Value(i, QStringLiteral("VOZR")));
            g.Valid = Period(q, i, "DBEG", "DEND");
            t.KsgGroups.push_back(g);
          });
  ReadAll(db, tr, QStringLiteral("select * from spr_ksg order by ksg_id, dbeg"),
          [&](const FbQuery& q, int i) {
            KsgRow k;
            k.KsgId = TrimText(q.Value(i, QStringLiteral("KSG_ID")).toString());
            k.Ts = q.Value(i, QStringLiteral("TS")).toInt();
            k.Oplat = q.Value(i, QStringLiteral("OPLAT")).toInt();
            k.Gr = OptInt(q.Value(i, QStringLiteral("GR")));
            k.Sgr = OptInt(q.Value(i, QStringLiteral("SGR")));
            k.OvShort = q.Value(i, QStringLiteral("OVSHORT")).toInt();
            k.OvLong = q.Value(i, QStringLiteral("OVLONG")).toInt();
            k.RecKsg = q.Value(i, QStringLiteral("REC_KSG")).toString();
            k.IsHirKsg = q.Value(i, QStringLiteral("IS_HIR_KSG")).toInt();
            k.Valid = Period(q, i, "DBEG", "DEND");
            t.Ksgs.push_back(k);
          });
  ReadAll(db, tr, QStringLiteral("select * from spr_ksg_cost order by ksg, dbeg"),
          [&](const FbQuery& q, int i) {
            KsgCostRow c;
            c.Ksg = TrimText(q.Value(i, QStringLiteral("KSG")).toString());
            c.Ts = q.Value(i, QStringLiteral("TS")).toInt();
            c.RUr = OptMoney(q.Value(i, QStringLiteral("R_UR")));
            c.GUr = OptMoney(q.Value(i, QStringLiteral("G_UR")));
            c.KUr = OptMoney(q.Value(i, QStringLiteral("K_UR")));
            c.NUr = OptMoney(q.Value(i, QStringLiteral("N_UR")));
            c.FUr = OptMoney(q.Value(i, QStringLiteral("F_UR")));
            c.Valid = Period(q, i, "DBEG", "DEND");
            t.KsgCosts.push_back(c);
          });
  ReadAll(db, tr, QStringLiteral("select * from group_kf order by grp, dbeg"),
          [&](const FbQuery& q, int i) {
            t.GroupKfs.push_back({q.Value(i, QStringLiteral("GRP")).toInt(),
                                  q.Value(i, QStringLiteral("KF")).toDouble(),
                                  Period(q, i, "DBEG", "DEND")});
          });
  ReadAll(db, tr, QStringLiteral("select * from stage_ksg order by ksg"),
          [&](const FbQuery& q, int i) {
            t.Stages.push_back({TrimText(q.Value(i, QStringLiteral("KSG")).toString()),
                                q.Value(i, QStringLiteral("USLUG")).toString(),
                                Period(q, i, "DATEBEG", "DATEEND")});
          });
  ReadAll(db, tr, QStringLiteral("select mkb, kod_obl from ksg16_politravm order by kod_obl"),
          [&](const FbQuery& q, int i) {
            t.Politravm.push_back({q.Value(i, 0).toString(), q.Value(i, 1).toInt()});
          });
  ReadAll(db, tr, QStringLiteral("select * from usl_cost"), [&](const FbQuery& q, int i) {
    t.UslCosts.push_back({TrimText(q.Value(i, QStringLiteral("USLUG")).toString()),
                          q.Value(i, QStringLiteral("TS")).toInt(),
                          OptMoney(q.Value(i, QStringLiteral("COST"))),
                          Period(q, i, "DBEG", "DEND")});
  });
  ReadAll(db, tr, QStringLiteral("select * from usl_group"), [&](const FbQuery& q, int i) {
    t.UslGroups.push_back(
        {TrimText(q.Value(i, QStringLiteral("USLUG")).toString()),
         q.Value(i, QStringLiteral("TS")).toInt(), q.Value(i, QStringLiteral("GRP")).toInt(),
         q.Value(i, QStringLiteral("SGR")).toInt(), Period(q, i, "DBEG", "DEND")});
  });
  ReadAll(db, tr, QStringLiteral("select * from spr_uslug"), [&](const FbQuery& q, int i) {
    t.Services.push_back(
        {TrimText(q.Value(i, QStringLiteral("USLUG")).toString()),
         q.Value(i, QStringLiteral("NAME")).toString(), OptInt(q.Value(i, QStringLiteral("TYPE"))),
         OptInt(q.Value(i, QStringLiteral("SUBTYPE"))), Period(q, i, "DATE_BEG", "DATE_END")});
  });
  ReadAll(db, tr, QStringLiteral("select * from cop_kf"), [&](const FbQuery& q, int i) {
    t.CopKfs.push_back({TrimText(q.Value(i, QStringLiteral("MKB")).toString()),
                        q.Value(i, QStringLiteral("GRP")).toInt(),
                        q.Value(i, QStringLiteral("KF")).toDouble(), Period(q, i, "DBEG", "DEND")});
  });
  ReadAll(db, tr, QStringLiteral("select * from koeff k order by id"),
          [&](const FbQuery& q, int i) {
            t.Koeffs.push_back({q.Value(i, QStringLiteral("ID")).toInt(),
                                q.Value(i, QStringLiteral("ZKOEFF")).toDouble(),
                                OptInt(q.Value(i, QStringLiteral("NPR"))),
                                OptInt(q.Value(i, QStringLiteral("TFOMS_NPR"))),
                                q.Value(i, QStringLiteral("DATEBEG")).toDateTime().date(),
                                OptDate(q.Value(i, QStringLiteral("DATEEND")))});
          });
  ReadAll(db, tr,
          QStringLiteral("select p.lpu, p.oplat, p.ts, p.profile, p2.n_month, "
                         "iif(coalesce(p2.ry_m,0)>0, 1, iif(coalesce(p2.gy_m,0)>0, 3, "
                         "iif(coalesce(p2.ky_m,0)>0, 4, 5))) urov from planindex p "
                         "join lpu l on l.id=p.lpu join plan2month p2 on p2.plan_idx=p.id "
                         "order by p.id, p2.n_month"),
          [&](const FbQuery& q, int i) {
            t.Plan.push_back({q.Value(i, 0).toInt(), q.Value(i, 1).toInt(), q.Value(i, 2).toInt(),
                              q.Value(i, 3).toInt(), q.Value(i, 4).toInt(), q.Value(i, 5).toInt()});
          });
  ReadAll(db, tr, QStringLiteral("select id, coalesce(fed_lpu, 0) from lpu"),
          [&](const FbQuery& q, int i) {
            t.FedLpu.insert(q.Value(i, 0).toInt(), q.Value(i, 1).toInt());
          });
  ReadAll(db, tr, QStringLiteral("select * from spr_vmp order by id"),
          [&](const FbQuery& q, int i) {
            VmpRow v;
            v.Id = q.Value(i, QStringLiteral("ID")).toInt();
            v.VmpMes = q.Value(i, QStringLiteral("VMP_MES")).toString();
            v.MetKod = q.Value(i, QStringLiteral("MET_KOD")).toInt();
            v.Diags = q.Value(i, QStringLiteral("DIAGS")).toString();
            v.Uslug = q.Value(i, QStringLiteral("USLUG")).toString();
            v.Cost = OptMoney(q.Value(i, QStringLiteral("COST"))).value_or(Money());
            v.Anaestes = q.Value(i, QStringLiteral("ANAESTES")).toString();
            v.Grp = q.Value(i, QStringLiteral("GRP")).toInt();
            v.DateFrom = q.Value(i, QStringLiteral("DATEFROM")).toDateTime().date();
            v.DateTo = OptDate(q.Value(i, QStringLiteral("DATETO")));
            t.Vmp.push_back(v);
          });
  ReadAll(db, tr, QStringLiteral("select * from spr_criteries"), [&](const FbQuery& q, int i) {
    t.Criteria.push_back({TrimText(q.Value(i, QStringLiteral("CODE")).toString()),
                          q.Value(i, QStringLiteral("PLAN_INJ")).toString(),
                          Period(q, i, "DATEBEG", "DATEEND")});
  });
  ReadAll(db, tr, QStringLiteral("select mkb_old, mkb_new from mkb_to_mkb14"),
          [&](const FbQuery& q, int i) {
            const QString old = q.Value(i, 0).toString();
            if (!t.MkbOldToNew.contains(old)) t.MkbOldToNew.insert(old, q.Value(i, 1).toString());
          });
  ReadAll(db, tr, QStringLiteral("select holiday from holiday order by holiday"),
          [&](const FbQuery& q, int i) { t.Holidays.append(q.Value(i, 0).toDateTime().date()); });
  ReadAll(db, tr,
          QStringLiteral(
              "select lpu_code, except_day, day_type from holiday_except order by except_day"),
          [&](const FbQuery& q, int i) {
            t.HolidayExceptions[q.Value(i, 0).toInt()].append(
                {q.Value(i, 1).toDateTime().date(), q.Value(i, 2).toInt()});
          });
  t.Index();
  return t;
}

}  // namespace kelmo::tariff
