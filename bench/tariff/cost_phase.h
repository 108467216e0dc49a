// The cost phase of the benchmarks: reference tables of realistic size added
// to a loaded registry database, and every treatment sheet costed through the
// calculator as the run does it (the walk of the joined case query, the
// stores and the commit included).
#pragma once

#include "firebird/fb_query.h"
#include "firebird/fb_statement.h"
#include "generated_registry.h"
#include "tariff/case_cost.h"

namespace kelmo::bench {

// Reference tables of realistic size: KSG "st50.001".. with a tariff row
// each, ten ways into each (a diagnosis range, a diagnosis with a service,
// an age group), coefficient rows of every code; the sheets get a
// standard code of the fourth level.
inline void AddReferenceTables(FbDatabase& db) {
  FbTransaction tr(db);
  FbExecute(db, &tr,
            QStringLiteral(
                "execute block as declare k integer = 1; declare g integer = 1; "
                "declare id varchar(20); begin while (k <= 400) do begin "
                "id = 'st50.' || lpad(k, 3, '0'); "
                "insert into spr_ksg (id, ksg_id, ts, oplat, gr, sgr, ovshort, ovlong, dbeg) "
                "values (1000 + :k, :id, iif(mod(:k, 4) = 0, 5, 1), 1, iif(mod(:k, 7) = 0, 3, "
                "null), 0, mod(:k, 2), mod(:k, 3), '2019-01-01'); "
                "insert into spr_ksg_cost (id, ksg, ts, r_ur, g_ur, k_ur, n_ur, f_ur, dbeg) "
                "values (1000 + :k, :id, iif(mod(:k, 4) = 0, 5, 1), 10000 + :k * 37.11, "
                "11000 + :k * 37.11, 12000 + :k * 37.11, 12000 + :k * 37.11, 13000 + :k * "
                "37.11, '2019-01-01'); "
                "while (g <= :k * 10) do begin "
                "insert into spr_ksg_group (id, ksg_id, ts, mkb, uslug, vozr, dbeg) values "
                "(1000 + :g, :id, iif(mod(:k, 4) = 0, 5, 1), "
                "iif(mod(:g, 3) = 0, null, 'K' || lpad(mod(:g, 90), 2, '0') || '-K' || "
                "lpad(mod(:g, 90) + 2, 2, '0')), iif(mod(:g, 3) = 0, 'A16.' || lpad(:g, 5, '0'), "
                "null), iif(mod(:g, 5) = 0, 5, null), '2019-01-01'); g = g + 1; end "
                "k = k + 1; end "
                "k = 1; while (k <= 1000) do begin "
                "insert into koeff (id, zkoeff, npr, datebeg) values (1000 + :k, 0.5 + :k / "
                "1000.0, mod(:k, 130), '2019-01-01'); k = k + 1; end end"));
  FbExecute(db, &tr, QStringLiteral("update mtl set kod_mes = '5000001'"));
  tr.Commit();
}

// Costs every sheet of the registry; returns the seconds spent.
inline double CostOnce(FbDatabase& db, Money& total, int& zero) {
  const auto t0 = Clock::now();
  FbTransaction tr(db);
  tariff::CaseCostSettings settings;
  settings.YearText = QStringLiteral("2024");
  settings.MonthIndex = 2;
  tariff::CaseCostCalculator calc(db, tr, settings);
  FbQuery q(db, &tr);
  q.setSql(QStringLiteral(
      "select r.tip_stac, iif((coalesce(s.sum_mek, 0)=0) and s.sum_mek is not null, 1, 0) "
      "is_mek, r.lpu, s.family, s.name, s.father, s.dr, s.pol, s.vozrast, s.idcase, s.out_stac, "
      "s.dz, s.sres_lechen, s.sishod_lece, s.cost_sf, m.id, m.id_ill, m.nom_mtl, m.kod_mes, "
      "m.profile, m.profil_bed, m.pr_oms, m.stac_diag, m.dreanim, m.startd, m.finish, "
      "m.intensiv, m.app_kd, m.criteries, m.rslt rslt_mtl, m.mtl_onco_status, m.vmp_met "
      "from stacion s join reports r on r.repn=s.repn join mtl m on m.id_ill=s.id_ill "
      "order by s.out_stac, s.id_ill, m.nom_mtl"));
  q.Open();
  for (q.First(); !q.Eof(); q.Next()) {
    tariff::CaseCostRow row = tariff::ReadCaseCostRow(q);
    row.BedDays = std::max(1, static_cast<int>(row.StartD.daysTo(row.Finish)));
    calc.CalculateCaseCost(row);
  }
  calc.FinishCases();
  tr.Commit();
  total = calc.CalcSum();
  zero = static_cast<int>(calc.ZeroCostCases().size());
  return Seconds(t0);
}

}  // namespace kelmo::bench
