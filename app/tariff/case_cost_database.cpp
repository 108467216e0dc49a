// The registry database behind the cost calculation.
#include "case_cost_database.h"

#include <QRegularExpression>

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

// Sets a parameter only when the statement names it.
void SetIfNamed(FbQuery& q, const QString& name, const QVariant& value) {
  static const QRegularExpression word(QStringLiteral("[A-Za-z0-9_]"));
  const QString text = q.sql();
  const QString mark = QLatin1Char(':') + name;
  for (int at = text.indexOf(mark, 0, Qt::CaseInsensitive); at >= 0;
       at = text.indexOf(mark, at + 1, Qt::CaseInsensitive)) {
    const int end = at + mark.size();
    if (end >= text.size() || !word.match(text.mid(end, 1)).hasMatch()) {
      q.setParam(name, value);
      return;
    }
  }
}

}  // namespace

QList<CaseService> DatabaseCaseData::Services(int idIll) {
  FbQuery q(db_, &tr_);
  q.setSql(
      QStringLiteral("select o.id, m.id mtl_id, o.nom_mtl, o.uslug, o.date_oper, o.anaesthes, "
                     "coalesce(o.npl, 0) npl, coalesce(o.multi, 1) multi from operat o "
                     "left join mtl m on m.id_ill=o.id_ill and m.nom_mtl=o.nom_mtl "
                     "where o.id_ill=:id_ill order by o.id"));
  q.setParam(QStringLiteral("id_ill"), idIll);
  q.Open();
  QList<CaseService> list;
  for (int i = 0; i < q.RecordCount(); ++i) {
    CaseService s;
    s.Id = q.Value(i, 0).toInt();
    s.MtlId = q.Value(i, 1).toInt();
    s.NomMtl = q.Value(i, 2).toInt();
    s.Uslug = q.Value(i, 3).toString();
    if (!q.Value(i, 4).isNull()) s.DateOper = DateOf(q.Value(i, 4));
    s.Anaesthes = q.Value(i, 5).toInt();
    s.Npl = q.Value(i, 6).toInt();
    s.Multi = q.Value(i, 7).toInt();
    list.append(s);
  }
  return list;
}

QList<SheetDiagnosis> DatabaseCaseData::Diagnoses(int mtlId) {
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
  FbQuery q(db_, &tr_);
  q.setSql(QStringLiteral("select eco_stages_out from get_eco_info(:id_ill)"));
  q.setParam(QStringLiteral("id_ill"), idIll);
  q.Open();
  return q.Eof() ? QString() : TrimText(q.Value(0, 0).toString());
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
    : db_(db), tr_(tr) {
  SetStatement(settings);
}

void DatabaseCostSink::SetStatement(const CaseCostSettings& settings) {
  statement_ = !settings.StoreStatement.isEmpty() ? settings.StoreStatement
               : settings.RecalcMode              ? RecalcStoreStatement()
                                                  : CostUpdateStatement(settings.YearText);
}

void DatabaseCostSink::StoreMtl(const MtlCostValues& v) {
  FbQuery q(db_, &tr_);
  q.setSql(statement_);
  if (v.Recalc) {
    SetIfNamed(q, QStringLiteral("calc_kf"), v.CoefList);
    SetIfNamed(q, QStringLiteral("mtl_id"), v.MtlId);
    SetIfNamed(q, QStringLiteral("comment"), v.Comment);
    SetIfNamed(q, QStringLiteral("p_Ocncost"), MoneyValue(v.OcnCost));
    SetIfNamed(q, QStringLiteral("p_ksg_id"), v.KsgId);
    q.ExecSQL();
    return;
  }
  const QVariant zero = 0;
  SetIfNamed(q, QStringLiteral("p_KD"), v.Kd);
  SetIfNamed(q, QStringLiteral("p_KDFMTL"), v.Kd);
  SetIfNamed(q, QStringLiteral("p_Ocncost"), MoneyValue(v.OcnCost));
  SetIfNamed(q, QStringLiteral("p_OCNCOSTPOMES"), MoneyValue(v.CostPoMes));
  SetIfNamed(q, QStringLiteral("p_KDOMS"), v.KdOms);
  SetIfNamed(q, QStringLiteral("p_KDMES"), v.KdMes);
  SetIfNamed(q, QStringLiteral("p_KDSvMES"), v.KdSvMes);
  SetIfNamed(q, QStringLiteral("p_KDNOT"), v.KdNot);
  SetIfNamed(q, QStringLiteral("p_OMS"), v.PrOms);
  SetIfNamed(q, QStringLiteral("p_id"), v.MtlId);
  SetIfNamed(q, QStringLiteral("p_ksg_id"), v.KsgId);
  for (const char* name : {"p_dopcost", "p_cop1cost", "p_cop2cost", "p_cop3cost", "p_OCNCOSTSVMES",
                           "p_COSTINTENSIV", "p_APP_COST", "p_FFOMS_COST", "p_TFOMS_COST",
                           "p_MOD_KD", "p_MOD_TRAIN_COST", "p_onech_cost"})
    SetIfNamed(q, QString::fromLatin1(name), zero);
  if (v.LongStatement) {
    SetIfNamed(q, QStringLiteral("p_baseCost"), v.BaseCost ? MoneyValue(*v.BaseCost) : QVariant());
    SetIfNamed(q, QStringLiteral("KF"), v.KfNull ? QVariant() : QVariant(v.Kf));
    SetIfNamed(q, QStringLiteral("UR"), v.CareLevel);
    SetIfNamed(q, QStringLiteral("comment"), v.Comment);
    SetIfNamed(q, QStringLiteral("KF_COM"), v.CoefList);
  }
  q.ExecSQL();
}

void DatabaseCostSink::StoreCaseSums(int idIll, int kdMtl, Money copAllCostMtl, int oplat) {
  FbQuery q(db_, &tr_);
  q.setSql(QStringList{QStringLiteral("update stacion s"), QStringLiteral("set "),
                       QStringLiteral(" s.KDMTL = :p_KDMTL,"),
                       QStringLiteral(" s.OCNCOSTMTL = (select sum(m.ocncost) from mtl m where "
                                      "m.id_ill=:p_id_ill and m.oplat=:oplat),"),
                       QStringLiteral(" s.COPALLCOSTMTL = :p_CopAllCostMTL,"),
                       QStringLiteral(" s.MTLCOSTMTL = (select sum(m.ocncost) from mtl m where "
                                      "m.id_ill=:p_id_ill and m.oplat=:oplat)"),
                       QStringLiteral("where"), QStringLiteral("s.id_ill = :p_id_ill")});
  q.setParam(QStringLiteral("p_KDMTL"), kdMtl);
  q.setParam(QStringLiteral("p_CopAllCostMTL"), MoneyValue(copAllCostMtl));
  q.setParam(QStringLiteral("p_id_ill"), idIll);
  q.setParam(QStringLiteral("oplat"), oplat);
  q.ExecSQL();
}

void DatabaseCostSink::StoreServiceCost(int operatId, std::optional<Money> cost) {
  FbQuery q(db_, &tr_);
  q.setSql(QStringLiteral("update operat o set o.cost=:cost where o.id=:id"));
  q.setParam(QStringLiteral("cost"), cost ? MoneyValue(*cost) : QVariant());
  q.setParam(QStringLiteral("id"), operatId);
  q.ExecSQL();
}

void DatabaseCostSink::StoreMekBedDays(int mtlId, int kd, int idIll, int kdMtl) {
  FbQuery q(db_, &tr_);
  q.setSql(QStringLiteral(
      "update MTL m set m.kdoms=:KD, m.kd=:KD, m.KDFMTL=:KD, m.KDMES=:KD where m.id=:id"));
  q.setParam(QStringLiteral("KD"), kd);
  q.setParam(QStringLiteral("id"), mtlId);
  q.ExecSQL();
  q.setSql(QStringLiteral("update STACION s set s.KDMTL=:KDMTL where s.id_ill=:id_ill"));
  q.setParam(QStringLiteral("KDMTL"), kdMtl);
  q.setParam(QStringLiteral("id_ill"), idIll);
  q.ExecSQL();
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
  return r;
}

}  // namespace kelmo::tariff
