// The registry database behind the cost calculation.
#include "case_cost_database.h"

#include <QSqlQuery>

#include "domain/common.h"
#include "domain/reception_state.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"

namespace kelmo::tariff {

namespace {

QVariant MoneyValue(Money m) {
  return m.ToString();
}

QDate DateOf(const QVariant& v) {
  return v.isNull() ? QDate() : v.toDateTime().date();
}

}  // namespace

DatabaseCaseData::DatabaseCaseData(FbDatabase& db, FbTransaction& tr)
    : db_(db), tr_(tr), services_(db, &tr), diagnoses_(db, &tr), staged_(db, &tr), eco_(db, &tr) {
  services_.Prepare(
      QStringLiteral("select o.id, m.id mtl_id, o.nom_mtl, o.uslug, o.date_oper, o.anaesthes, "
                     "coalesce(o.npl, 0) npl, coalesce(o.multi, 1) multi, o.id_ill from operat o "
                     "left join mtl m on m.id_ill=o.id_ill and m.nom_mtl=o.nom_mtl "
                     "where o.id_ill between :id_from and :id_to order by o.id"));
  diagnoses_.Prepare(
      QStringLiteral("select m.id, d.diag, d.status from mtl m "
                     "left join diags d on d.mtl_id=m.id and d.status in (22,23) "
                     "where m.id_ill between :id_from and :id_to order by m.id, d.id"));
  staged_.Prepare(QStringLiteral(
      "select distinct u.id_ill from mtlusl u where u.id_ill between :id_from and :id_to and "
      "u.stage is not null"));
  eco_.Prepare(QStringLiteral("select eco_stages_out from get_eco_info(:id_ill)"));
}

void DatabaseCaseData::LoadWindow(int idIll) {
  from_ = idIll;
  to_ = idIll + kWindow - 1;
  windowServices_.clear();
  windowDiagnoses_.clear();
  services_.Set(QStringLiteral("id_from"), from_);
  services_.Set(QStringLiteral("id_to"), to_);
  services_.ExecRows([&](const QSqlQuery& q) {
    CaseService s;
    s.Id = q.value(0).toInt();
    s.MtlId = q.value(1).toInt();
    s.NomMtl = q.value(2).toInt();
    s.Uslug = q.value(3).toString();
    if (!q.value(4).isNull()) s.DateOper = DateOf(q.value(4));
    s.Anaesthes = q.value(5).toInt();
    s.Npl = q.value(6).toInt();
    s.Multi = q.value(7).toInt();
    windowServices_[q.value(8).toInt()].append(s);
  });
  diagnoses_.Set(QStringLiteral("id_from"), from_);
  diagnoses_.Set(QStringLiteral("id_to"), to_);
  diagnoses_.ExecRows([&](const QSqlQuery& q) {
    QList<SheetDiagnosis>& list = windowDiagnoses_[q.value(0).toInt()];
    if (!q.value(1).isNull()) list.append({TrimText(q.value(1).toString()), q.value(2).toInt()});
  });
  windowStaged_.clear();
  staged_.Set(QStringLiteral("id_from"), from_);
  staged_.Set(QStringLiteral("id_to"), to_);
  staged_.ExecRows([&](const QSqlQuery& q) { windowStaged_.insert(q.value(0).toInt()); });
}

QList<CaseService> DatabaseCaseData::Services(int idIll) {
  if (idIll < from_ || idIll > to_) LoadWindow(idIll);
  return windowServices_.value(idIll);
}

QList<SheetDiagnosis> DatabaseCaseData::Diagnoses(int mtlId) {
  const auto it = windowDiagnoses_.constFind(mtlId);
  if (it != windowDiagnoses_.cend()) return *it;
  // A sheet outside the window: its own look-up.
  FbQuery q(db_, &tr_);
  q.setSql(QStringLiteral(
      "select d.diag, d.status from diags d where d.mtl_id=:mtl_id and d.status in (22,23) "
      "order by d.id"));
  q.setParam(QStringLiteral("mtl_id"), mtlId);
  q.Open();
  QList<SheetDiagnosis> list;
  for (int i = 0; i < q.RecordCount(); ++i)
    list.append({TrimText(q.Value(i, 0).toString()), q.Value(i, 1).toInt()});
  return list;
}

QString DatabaseCaseData::EcoStages(int idIll) {
  if (idIll >= from_ && idIll <= to_ && !windowStaged_.contains(idIll)) return QString();
  eco_.Set(QStringLiteral("id_ill"), idIll);
  eco_.Exec();
  return TrimText(eco_.Value(QStringLiteral("ECO_STAGES_OUT")).toString());
}

std::optional<InjectionPlan> DatabaseCaseData::Injections(int idIll, const QString& scheme) {
  FbQuery q(db_, &tr_);
  // The total is a full integer (a case may have more than 255 injections).
  q.setSql(QStringList{
      QStringLiteral("select PLAN_INJ, iif(right(PLAN_INJ, 2) = '**', 1, 0) is_complic_plan, "
                     "list(cast(CNT_MTL as integer), '/') CASE_PLAN_INJ, "
                     "cast(sum(CNT_MTL) as bigint) CASE_CNT_INJ"),
      QStringLiteral("from (select T.NOM_MTL, T.PLAN_INJ, count(T.CODE_SCHEM) CNT_MTL"),
      QStringLiteral("from (select distinct ONC.NOM_MTL, OM.DATE_INJ, OM.CODE_SCHEM, "
                     "coalesce(CR.PLAN_INJ, '0') PLAN_INJ"),
      QStringLiteral("from ONCOLOGY ONC"),
      QStringLiteral("join ONCO_USLUG OU on OU.ID_ONCO = ONC.ID_ONCO"),
      QStringLiteral("join ONCO_MEDICALS OM on OM.ID_ONC_USL = OU.ID_ONC_USL"),
      QStringLiteral("join stacion s on s.id_ill=onc.id_ill"),
      QStringLiteral("join SPR_CRITERIES CR on CR.CODE = OM.CODE_SCHEM and"),
      QStringLiteral("(s.out_stac between CR.DATEBEG and coalesce(CR.DATEEND, '31.12.9999'))"),
      QStringLiteral("where ONC.ID_ILL = :ID_ILL and om.code_schem=:scheme) T"),
      QStringLiteral("group by T.NOM_MTL, T.PLAN_INJ)"), QStringLiteral("group by PLAN_INJ")});
  q.setParam(QStringLiteral("ID_ILL"), idIll);
  q.setParam(QStringLiteral("scheme"), scheme);
  q.Open();
  if (q.Eof()) return std::nullopt;
  InjectionPlan p;
  p.PlanInj = q.Value(0, 0).toString();
  p.IsComplicPlan = q.Value(0, 1).toInt() == 1;
  p.CasePlanInj = q.Value(0, 2).toString();
  p.CaseCntInj = q.Value(0, 3).toLongLong();
  return p;
}

QString RecalcStoreStatement() {
  return QStringLiteral(
      "update mtl m set CALC_COMMENT_NEW=:comment, m.calc_kf_new = :calc_kf, OCNCOST_NEW = "
      ":p_Ocncost, KSG_ID_NEW = :p_ksg_id\rwhere m.id = :mtl_id");
}

DatabaseCostSink::DatabaseCostSink(FbDatabase& db, FbTransaction& tr,
                                   const CaseCostSettings& settings)
    : store_(db, &tr),
      caseSums_(db, &tr),
      serviceCost_(db, &tr),
      mekDays_(db, &tr),
      mekCaseDays_(db, &tr) {
  SetStatement(settings);
  caseSums_.Prepare(
      QStringList{QStringLiteral("update stacion s"), QStringLiteral("set "),
                  QStringLiteral(" s.KDMTL = :p_KDMTL,"),
                  QStringLiteral(" s.OCNCOSTMTL = (select sum(m.ocncost) from mtl m where "
                                 "m.id_ill=:p_id_ill and m.oplat=:oplat),"),
                  QStringLiteral(" s.COPALLCOSTMTL = :p_CopAllCostMTL,"),
                  QStringLiteral(" s.MTLCOSTMTL = (select sum(m.ocncost) from mtl m where "
                                 "m.id_ill=:p_id_ill and m.oplat=:oplat)"),
                  QStringLiteral("where"), QStringLiteral("s.id_ill = :p_id_ill")}
          .join(QLatin1Char('\n')));
  serviceCost_.Prepare(QStringLiteral("update operat o set o.cost=:cost where o.id=:id"));
  mekDays_.Prepare(QStringLiteral(
      "update MTL m set m.kdoms=:KD, m.kd=:KD, m.KDFMTL=:KD, m.KDMES=:KD where m.id=:id"));
  mekCaseDays_.Prepare(
      QStringLiteral("update STACION s set s.KDMTL=:KDMTL where s.id_ill=:id_ill"));
}

void DatabaseCostSink::SetStatement(const CaseCostSettings& settings) {
  recalc_ = settings.RecalcMode;
  const QString text = !settings.StoreStatement.isEmpty() ? settings.StoreStatement
                       : settings.RecalcMode              ? RecalcStoreStatement()
                                                          : CostUpdateStatement(settings.YearText);
  if (text != store_.Text()) store_.Prepare(text);
}

void DatabaseCostSink::StoreMtl(const MtlCostValues& v) {
  // Parameters the statement does not name are ignored.
  store_.Clear();
  if (v.Recalc) {
    store_.Set(QStringLiteral("calc_kf"), v.CoefList);
    store_.Set(QStringLiteral("mtl_id"), v.MtlId);
    store_.Set(QStringLiteral("comment"), v.Comment);
    store_.Set(QStringLiteral("p_Ocncost"), MoneyValue(v.OcnCost));
    store_.Set(QStringLiteral("p_ksg_id"), v.KsgId);
    store_.Exec();
    return;
  }
  store_.Set(QStringLiteral("p_KD"), v.Kd);
  store_.Set(QStringLiteral("p_KDFMTL"), v.Kd);
  store_.Set(QStringLiteral("p_Ocncost"), MoneyValue(v.OcnCost));
  store_.Set(QStringLiteral("p_OCNCOSTPOMES"), MoneyValue(v.CostPoMes));
  store_.Set(QStringLiteral("p_KDOMS"), v.KdOms);
  store_.Set(QStringLiteral("p_KDMES"), v.KdMes);
  store_.Set(QStringLiteral("p_KDSvMES"), v.KdSvMes);
  store_.Set(QStringLiteral("p_KDNOT"), v.KdNot);
  store_.Set(QStringLiteral("p_OMS"), v.PrOms);
  store_.Set(QStringLiteral("p_id"), v.MtlId);
  store_.Set(QStringLiteral("p_ksg_id"), v.KsgId);
  for (const char* name : {"p_dopcost", "p_cop1cost", "p_cop2cost", "p_cop3cost", "p_OCNCOSTSVMES",
                           "p_COSTINTENSIV", "p_APP_COST", "p_FFOMS_COST", "p_TFOMS_COST",
                           "p_MOD_KD", "p_MOD_TRAIN_COST", "p_onech_cost"})
    store_.Set(QString::fromLatin1(name), 0);
  if (v.LongStatement) {
    store_.Set(QStringLiteral("p_baseCost"), v.BaseCost ? MoneyValue(*v.BaseCost) : QVariant());
    store_.Set(QStringLiteral("KF"), v.KfNull ? QVariant() : QVariant(v.Kf));
    store_.Set(QStringLiteral("UR"), v.CareLevel);
    store_.Set(QStringLiteral("comment"), v.Comment);
    store_.Set(QStringLiteral("KF_COM"), v.CoefList);
  }
  store_.Exec();
}

void DatabaseCostSink::StoreCaseSums(int idIll, int kdMtl, Money copAllCostMtl, int oplat) {
  if (recalc_) return;
  caseSums_.Set(QStringLiteral("p_KDMTL"), kdMtl);
  caseSums_.Set(QStringLiteral("p_CopAllCostMTL"), MoneyValue(copAllCostMtl));
  caseSums_.Set(QStringLiteral("p_id_ill"), idIll);
  caseSums_.Set(QStringLiteral("oplat"), oplat);
  caseSums_.Exec();
}

void DatabaseCostSink::StoreServiceCost(int operatId, std::optional<Money> cost) {
  if (recalc_) return;
  serviceCost_.Set(QStringLiteral("cost"), cost ? MoneyValue(*cost) : QVariant());
  serviceCost_.Set(QStringLiteral("id"), operatId);
  serviceCost_.Exec();
}

void DatabaseCostSink::StoreMekBedDays(int mtlId, int kd, int idIll, int kdMtl) {
  if (recalc_) return;
  mekDays_.Set(QStringLiteral("KD"), kd);
  mekDays_.Set(QStringLiteral("id"), mtlId);
  mekDays_.Exec();
  mekCaseDays_.Set(QStringLiteral("KDMTL"), kdMtl);
  mekCaseDays_.Set(QStringLiteral("id_ill"), idIll);
  mekCaseDays_.Exec();
}

CaseCostRow ReadCaseCostRow(const FbQuery& q) {
  const QStringList names = q.FieldNames();
  auto has = [&](const char* n) {
    return names.contains(QString::fromLatin1(n), Qt::CaseInsensitive);
  };
  auto v = [&](const char* n) {
    return has(n) ? q.FieldByName(QString::fromLatin1(n)) : QVariant();
  };
  auto i = [&](const char* n) { return v(n).toInt(); };
  auto s = [&](const char* n) { return v(n).toString(); };
  auto d = [&](const char* n) { return DateOf(v(n)); };
  CaseCostRow r;
  r.Id = i("ID");
  r.IdIll = i("ID_ILL");
  r.NomMtl = i("NOM_MTL");
  r.Lpu = i("LPU");
  r.TipStac = i("TIP_STAC");
  r.IsMek = i("IS_MEK") == 1;
  r.KodMes = s("KOD_MES");
  r.Profile = i("PROFILE");
  r.ProfilBed = i("PROFIL_BED");
  r.PrOms = i("PR_OMS");
  r.Oms = i("OMS");
  r.Family = s("FAMILY");
  r.Name = s("NAME");
  r.Father = s("FATHER");
  r.IdCase = s("IDCASE");
  r.SresLechen = i("SRES_LECHEN");
  r.SishodLece = i("SISHOD_LECE");
  r.OutStac = d("OUT_STAC");
  r.Dz = d("DZ");
  r.Dr = d("DR");
  r.Vozrast = i("VOZRAST");
  r.Pol = i("POL");
  r.StacDiag = s("STAC_DIAG");
  r.Dreanim = s("DREANIM");
  r.StartD = d("STARTD");
  r.Finish = d("FINISH");
  r.Intensiv = i("INTENSIV");
  r.AppKd = i("APP_KD");
  r.CostSf = Money::FromString(s("COST_SF")).value_or(Money());
  r.Criteries = s("CRITERIES");
  r.RsltMtl = has("RSLT_MTL") ? i("RSLT_MTL") : i("RSLT");
  r.MtlOncoStatus = i("MTL_ONCO_STATUS");
  r.SchemeCntCase = i("SCHEME_CNT_CASE");
  r.MtCntCase = i("MT_CNT_CASE");
  r.IsKslpAst = i("IS_KSLP_AST") == 1;
  r.Fractions = i("FRACTIONS");
  r.VmpMet = i("VMP_MET");
  r.XmlReport = i("XMLREP") != 0;
  return r;
}

}  // namespace kelmo::tariff
