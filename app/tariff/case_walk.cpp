// The walk of the cost calculation over the joined case query.
#include "case_walk.h"

#include "case_cost.h"
#include "domain/case_data.h"
#include "firebird/fb_query.h"

namespace kelmo::tariff {

QStringList CaseQueryHead() {
  return {
      QStringLiteral("select r.tip_stac, iif((coalesce(s.sum_mek, 0)=0) and s.sum_mek is not null "
                     ",1,0) is_mek, r.lpu, s.*, m.*, mi.*, lk.oms, mes.*, "
                     "coalesce(pr.family,'') pr_fam, "),
      QStringLiteral("coalesce(pr.name,'') pr_name, coalesce(pr.polis,'') pr_polis, lm.mcod "
                     "lpu_mcod, l.UR_KSG , r.date_end, s.rankin, m.CRITERIES, m.rslt rslt_mtl, "
                     "m.oplat MTL_OPLAT, p.bed_name, sp.specname, r.xmlrep, "),
      QStringLiteral("m.mtl_onco_status, coalesce(t.scheme_cnt_case, 0) scheme_cnt_case, "
                     "coalesce(t.scheme_cnt_mtl, 0) scheme_cnt_mtl, "),
      QStringLiteral("coalesce(t.MT_CNT_CASE, 0) MT_CNT_CASE, coalesce(t.MT_CNT_MTL, 0) "
                     "MT_CNT_MTL, coalesce(onc.fractions, 0) fractions, "),
      QStringLiteral("(iif(exists(select d.id from diags d where d.mtl_id=m.id and "
                     "left(d.diag, 3) = 'R54' and d.status=23) and (left(m.stac_diag, 3) <> "
                     "'R54'), 1, 0)) is_kslp_ast"),
      QStringLiteral("from STACION s"),
      QStringLiteral("left join parents pr on pr.id_ill=s.id_ill"),
      QStringLiteral("join reports r on r.repn=s.repn"),
      QStringLiteral("join lpu l on l.id=r.lpu"),
      QStringLiteral("join lpu_mcod lm on lm.lpu_id=r.lpu"),
      QStringLiteral("left JOIN MTL m on s.id_ill=m.id_ill"),
      QStringLiteral("left JOIN PROFIL_BED p on p.bed_id=m.profil_bed and p.id_mp=m.pr_fed and "
                     "p.old_bed=m.profile and (r.date_beg between p.datebeg and "
                     "coalesce(p.dateend, '31.12.9999'))"),
      QStringLiteral("left join spr_speciality sp on sp.code_spec = m.prvs and (r.date_beg "
                     "between sp.datebeg and coalesce(sp.dateend, '31.12.9999'))"),
      QStringLiteral("left JOIN LST_KOIKI lk on lk.tip=m.profile and s.out_stac between "
                     "lk.datebeg and coalesce(lk.dateend,'31.12.9999')"),
      QStringLiteral("left JOIN MES mes on mes.kod=trim(m.kod_mes) and mes.datefrom <= "
                     "s.out_stac and (mes.dateto >= s.out_stac or mes.dateto is null)"),
      QStringLiteral(
          "left join mes_it mi on cast(mi.kod as varchar(5))=coalesce(trim(m.kod_mes),'')"),
      QStringLiteral("left join oncology onc on onc.id_ill=m.id_ill and onc.nom_mtl=m.nom_mtl"),
      QStringLiteral("left join (select ONC.ID_ILL, M1.NOM_MTL, count(distinct "
                     "iif(left(OM.CODE_SCHEM, 2) = 'sh', OM.CODE_SCHEM, null)) SCHEME_CNT_CASE,"),
      QStringLiteral("count(iif((left(OM.CODE_SCHEM, 2) = 'sh') and (ONC.NOM_MTL = M1.NOM_MTL), "
                     "OM.CODE_SCHEM, null)) SCHEME_CNT_MTL,"),
      QStringLiteral("count(distinct iif(left(OM.CODE_SCHEM, 2) = 'mt', OM.CODE_SCHEM, null)) "
                     "MT_CNT_CASE,"),
      QStringLiteral("count(iif((left(OM.CODE_SCHEM, 2) = 'mt') and (ONC.NOM_MTL = M1.NOM_MTL), "
                     "OM.CODE_SCHEM, null)) MT_CNT_MTL"),
      QStringLiteral("from ONCOLOGY ONC"),
      QStringLiteral("join ONCO_USLUG OU on OU.ID_ONCO = ONC.ID_ONCO"),
      QStringLiteral("join ONCO_MEDICALS OM on OM.ID_ONC_USL = OU.ID_ONC_USL"),
      QStringLiteral("join MTL M1 on M1.ID_ILL = ONC.ID_ILL"),
      QStringLiteral("group by ONC.ID_ILL, M1.NOM_MTL) t on t.id_ill = s.id_ill and t.nom_mtl = "
                     "m.nom_mtl"),
  };
}

QString CaseWalkOrder() {
  return QStringLiteral("order by s.out_stac, s.id_ill,m.nom_mtl");
}

int WalkCaseRows(FbQuery& cases, CaseCostCalculator& calculator, HolidayCalendar& holidays,
                 const CaseWalkHooks& hooks) {
  int calls = 0;
  for (cases.First(); !cases.Eof(); cases.Next()) {
    CaseCostRow row = ReadCaseCostRow(cases);
    if (hooks.BeforeRow) hooks.BeforeRow(row, calls);
    row.BedDays =
        CountBedDays(row.TipStac, cases.FieldByName(QStringLiteral("STARTD")).toDateTime(),
                     cases.FieldByName(QStringLiteral("FINISH")).toDateTime(), row.Lpu, holidays);
    calculator.CalculateCaseCost(row);
    ++calls;
    if (hooks.AfterRow) hooks.AfterRow();
  }
  // The last case's sheets are stored when it is finished.
  if (calculator.CasePending()) ++calls;
  calculator.FinishCases();
  return calls;
}

}  // namespace kelmo::tariff
