// The walk of the check procedure's rows for one pass.
#include "rule_checks.h"

#include <QSqlField>
#include <QSqlRecord>
#include <stdexcept>

#include "blocking_errors_section.h"
#include "case_sanctions.h"
#include "check_rules.h"
#include "domain/application_state.h"
#include "domain/common.h"
#include "domain/run_state.h"
#include "doubles_overlaps.h"
#include "firebird/fb_query.h"

namespace kelmo {
namespace {

// The detail row of one treatment sheet: what the rules read beyond the
// check procedure's columns.
const QStringList kDetailStatement{
    QStringLiteral("select r.xmlrep, r.date_end, s.tal_d, s.tal_num, s.tal_p, s.p_per, "
                   "s.onco_sluch, p.bed_name, sp.specname, coalesce(m.c_zab, 0) c_zab, "
                   "m.mtl_onco_status,"),
    QStringLiteral("iif(((r.oplat <> 6) and (select sum(m1.mtl_onco_status) from mtl m1 "
                   "where m1.id_ill=s.id_ill and m1.oplat<>6) > 0), 1, 0) isNeedOncoFile"),
    QStringLiteral("from STACION s"),
    QStringLiteral("join reports r on r.repn=s.repn"),
    QStringLiteral("left JOIN MTL m on s.id_ill=m.id_ill"),
    QStringLiteral("left JOIN PROFIL_BED p on p.bed_id=m.profil_bed and p.id_mp=m.pr_fed and "
                   "p.old_bed=m.profile and (r.date_beg between p.datebeg and "
                   "coalesce(p.dateend, '31.12.9999'))"),
    QStringLiteral("left join spr_speciality sp on sp.code_spec = m.prvs and (r.date_beg "
                   "between sp.datebeg and coalesce(sp.dateend, '31.12.9999'))"),
    QStringLiteral("where s.id_ill = :id_ill and m.nom_mtl = :nom_mtl"),
};

// The statements that remove a case, children before their parents.
const char* const kRemoveCase[] = {
    "delete from onco_medicals where id_onc_usl in (select u.id_onc_usl from onco_uslug u "
    "join oncology o on o.id_onco = u.id_onco where o.id_ill = :id_ill)",
    "delete from onco_uslug where id_onco in (select id_onco from oncology where id_ill = :id_ill)",
    "delete from onco_diagnostic where id_onco in (select id_onco from oncology where id_ill = "
    ":id_ill)",
    "delete from onco_decline where id_onco in (select id_onco from oncology where id_ill = "
    ":id_ill)",
    "delete from oncology where id_ill = :id_ill",
    "delete from consilium where id_ill = :id_ill",
    "delete from onco_direct where id_ill = :id_ill",
    "delete from diags where mtl_id in (select id from mtl where id_ill = :id_ill)",
    "delete from operat where id_ill = :id_ill",
    "delete from mtlusl where id_ill = :id_ill",
    "delete from parents where id_ill = :id_ill",
    "delete from mek_cases where id_ill = :id_ill",
    "delete from stacion where id_ill = :id_ill",
    "delete from mtl where id_ill = :id_ill",
};

QVariantHash RowValues(const FbQuery& q) {
  QVariantHash values;
  if (q.Eof()) return values;
  const QStringList names = q.FieldNames();
  for (int i = 0; i < names.size(); ++i) values.insert(names[i].toUpper(), q.Value(q.RecNo(), i));
  return values;
}

int CountOf(FbQuery& q) {
  q.Open();
  const int count = q.Eof() ? 0 : q.Value(0, 0).toInt();
  q.Close();
  return count;
}

// The central segment's person register rows of the row's patient (a
// newborn: of its representative), oldest first.
QList<RegisterPerson> RegisterPersons(FbDatabase& central, const CheckRow& row) {
  FbQuery q(central);
  q.setSql(QStringList{
      QStringLiteral("select p.* from pacient p"),
      QStringLiteral(
          "where (p.fam=upper(:fam) and p.im=upper(:im) and coalesce(p.ot,'')=upper(:ot) "
          "and p.dr=:dr and cast(:novor as varchar(12))='0') or"),
      QStringLiteral("      (p.fam_p=upper(:fam) and p.im_p=upper(:im) and p.ot_p=upper(:ot) and "
                     "p.dr_p=:dr and cast(:novor as varchar(12))<>'0')"),
      QStringLiteral("order by p.date_edit")});
  const bool newborn = row.Text(QStringLiteral("NOVOR")).trimmed() != QLatin1String("0");
  q.setParam(QStringLiteral("fam"),
             row.Text(newborn ? QStringLiteral("PR_FAM") : QStringLiteral("FAMILY")).trimmed());
  q.setParam(QStringLiteral("im"),
             row.Text(newborn ? QStringLiteral("PR_IM") : QStringLiteral("NAME")).trimmed());
  q.setParam(QStringLiteral("ot"),
             row.Text(newborn ? QStringLiteral("PR_OT") : QStringLiteral("FATHER")).trimmed());
  q.setParam(QStringLiteral("dr"),
             row.Value(newborn ? QStringLiteral("PR_DR") : QStringLiteral("DR")));
  q.setParam(QStringLiteral("novor"), row.Text(QStringLiteral("NOVOR")).trimmed());
  q.Open();
  QList<RegisterPerson> persons;
  for (q.First(); !q.Eof(); q.Next()) {
    auto text = [&q](const char* name) {
      return q.FieldByName(QString::fromLatin1(name)).toString();
    };
    auto day = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)).toDate(); };
    persons.append({text("TERR_OMS"), text("SPOLIS"), text("NPOLIS"), text("DOCSER"),
                    text("DOCNUM"), text("ANSWER"), day("DATE_1"), day("DATE_2"),
                    day("DATE_EDIT")});
  }
  return persons;
}

}  // namespace

void RemoveCase(FbDatabase& db, FbTransaction& tr, int idIll) {
  FbQuery q(db, &tr);
  for (const char* statement : kRemoveCase) {
    q.setSql(QString::fromLatin1(statement));
    q.setParam(QStringLiteral("id_ill"), idIll);
    q.ExecSQL();
  }
}

std::unique_ptr<FbQuery> OpenCheckProcedure(const ReceptionContext& ctx,
                                            const QList<int>& reports) {
  auto sp = std::make_unique<FbQuery>(ctx.Db, &ctx.Tr);
  sp->setSql(QStringLiteral("select * from SP_PROVERKI (:repn1 , :repn2, :repn3, :repn4)"));
  for (int i = 0; i < 4; ++i)
    sp->setParam(QStringLiteral("repn%1").arg(i + 1), i < reports.size() ? reports[i] : 0);
  sp->Open();
  return sp;
}

std::unique_ptr<FbQuery> RunRuleChecks(const ReceptionContext& ctx, Population pass) {
  const bool local = pass == Population::Local;
  ReceptionState& state = ctx.State;
  const QList<int> reports = PassReports(ThePackageLists(), pass);
  ctx.BeginPhase(local ? QStringLiteral("Проверка ошибок (мест.). Подготовка")
                       : QStringLiteral("Проверка ошибок (иног.). Подготовка"),
                 0);
  if (reports.isEmpty()) throw std::runtime_error("Проверка ошибок: у прохода нет отчётов.");
  if (reports.size() > 4)
    throw std::runtime_error(
        QStringLiteral("Проверка ошибок принимает не более четырёх отчётов прохода, а их %1.")
            .arg(reports.size())
            .toStdString());
  FbQuery count(ctx.Db, &ctx.Tr);
  count.setSql(QStringLiteral("SELECT CAST(COUNT(*) AS INTEGER) as CNT FROM mtl WHERE repn in ") +
               ReportListText(reports));
  ctx.BeginPhase(local ? QStringLiteral("Проверка ошибок (мест.)...")
                       : QStringLiteral("Проверка ошибок (иног.)..."),
                 CountOf(count));
  if (!ctx.WhoDetail.IsInstitution() && !ctx.Receiving) return nullptr;

  std::unique_ptr<FbQuery> rows = OpenCheckProcedure(ctx, reports);
  FbQuery& sp = *rows;
  RunState& run = TheRunState();
  run.CurrentExprVer =
      run.ProgramVersion + QLatin1Char('/') +
      (sp.Eof() ? QString() : sp.FieldByName(QStringLiteral("VERSION_BASE")).toString().mid(7));

  FbQuery detail(ctx.Db, &ctx.Tr);
  detail.setSql(kDetailStatement);
  FbQuery sheets(ctx.Db, &ctx.Tr);
  sheets.setSql(
      QStringLiteral("select count(*) from mtl where (id_ill=:p_id_ill) and (oplat=:oplat)"));
  FbQuery kindOne(ctx.Db, &ctx.Tr);
  kindOne.setSql(QStringLiteral("SELECT count(*) FROM MTL WHERE ID_ILL=:p_ID_ILL and VIDMTL=1"));
  FbQuery services(ctx.Db, &ctx.Tr);
  services.setSql(QStringLiteral("select first 1 * from check_mtlusl(:p_id_ill,:p_nom_mtl)"));
  FbQuery onco(ctx.Db, &ctx.Tr);
  onco.setSql(
      QStringLiteral("select * from SP_PROVERKI_ONCO(:ID_ILL, :NOM_MTL, :OUT_STAC, "
                     ":STAC_DIAG, :ACC1, :ACC2, :ACC3, :MTL_ONCO_STATUS, :VOZRAST, :OPLAT)"));
  FbQuery ageMonths(ctx.Db, &ctx.Tr);
  ageMonths.setSql(QStringLiteral("select s.vozrastm from stacion s where s.id_ill=:id"));

  BlockingErrorsSection section(ctx.Act(), pass, ctx.WhoDetail.IsFund(), state.XmlLoadErrors,
                                [&ctx](int idIll) { RemoveCase(ctx.Db, ctx.Tr, idIll); });
  const SanctionParty party{ctx.WhoDetail, ctx.Receiving, ctx.PayKind};
  bool yearOk = false;
  const int year = ctx.YearText.trimmed().toInt(&yearOk);
  if (!yearOk) throw ConversionError(QStringLiteral("'%1' не является годом").arg(ctx.YearText));

  int checkCaseId = 0;
  bool firstStoreOfCase = true;
  bool lastRowRefused = false;
  for (sp.First(); !sp.Eof(); sp.Next(), ctx.StepRecord()) {
    CheckRow row;
    row.Proc = RowValues(sp);
    const int idIll = row.Int(QStringLiteral("ID_ILL"));
    const int nomMtl = row.Int(QStringLiteral("NOMMTL"));
    detail.setParam(QStringLiteral("id_ill"), idIll);
    detail.setParam(QStringLiteral("nom_mtl"), nomMtl);
    detail.Open();
    row.Detail = RowValues(detail);
    detail.Close();
    if (idIll != checkCaseId) {
      firstStoreOfCase = true;
      checkCaseId = idIll;
    }
    state.RegistrySource = row.DetailValue(QStringLiteral("XMLREP")).toInt() == 0
                               ? RegistrySourceKind::XmlFromDbf
                               : RegistrySourceKind::XmlPackage;
    RuleContext rc;
    rc.Pass = pass;
    rc.PayKind = ctx.PayKind;
    rc.XmlPackageMode = state.XmlPackageMode;
    rc.RegistrySource = state.RegistrySource;
    rc.WhoDetail = ctx.WhoDetail;
    rc.MonthIndex = ctx.MonthIndex;
    rc.Year = year;
    rc.LpuId = ctx.LpuId;
    rc.BadDocumentCases = state.BadDocumentCases;
    rc.ProfilesLicensedTwice = state.ProfilesLicensedTwice;

    RowFindings found;
    found.CaseId = idIll;
    CheckGroupA(row, rc, found);
    if (local) state.CurrentPatientName = row.Text(QStringLiteral("FAMILY")).trimmed();

    sheets.setParam(QStringLiteral("p_id_ill"), idIll);
    sheets.setParam(QStringLiteral("oplat"), Code(ctx.PayKind));
    kindOne.setParam(QStringLiteral("p_ID_ILL"), idIll);
    rc.HasKindOneSheet = CountOf(kindOne) > 0;
    // A case without a sheet of the run's payment kind is not this run's.
    if (CountOf(sheets) == 0) continue;

    rc.PaidEarlier = [&](RowFindings& f) {
      CheckedStay stay;
      stay.IdIll = idIll;
      stay.Family = row.Text(QStringLiteral("FAMILY"));
      stay.Name = row.Text(QStringLiteral("NAME"));
      stay.Father = row.Text(QStringLiteral("FATHER"));
      stay.Dr = row.Value(QStringLiteral("DR")).toDateTime();
      stay.InStac = row.Value(QStringLiteral("DIN_STAC")).toDateTime();
      stay.OutStac = row.Value(QStringLiteral("DOUT_STAC")).toDateTime();
      const qsizetype before = f.Sanctions.size();
      CheckPaidEarlier(ctx, pass, nomMtl, stay, row.Text(QStringLiteral("STAC_DIAG")), f.Text,
                       f.Sanctions);
      for (qsizetype i = before; i < f.Sanctions.size(); ++i)
        f.Items.append({FindingKind::Sanction, f.Sanctions[i].BasisCode, f.Sanctions[i].Text});
    };
    if (!local && ctx.Central && ctx.Central->Connected()) {
      rc.Identify = [&](RowFindings& f) {
        state.CurrentPatientName = row.Text(QStringLiteral("FAMILY")).trimmed();
        IdentifyInsurance(row, RegisterPersons(*ctx.Central, row), f);
      };
    }
    if (!local) {
      ageMonths.setParam(QStringLiteral("id"), idIll);
      ageMonths.Open();
      rc.AgeMonths = ageMonths.Eof() ? 0 : ageMonths.Value(0, 0).toInt();
      ageMonths.Close();
    }
    if (local && rc.HasKindOneSheet) {
      services.setParam(QStringLiteral("p_id_ill"), idIll);
      services.setParam(QStringLiteral("p_nom_mtl"), nomMtl);
      services.Open();
      if (!services.Eof())
        rc.FirstService = ServiceFinding{services.FieldByName(QStringLiteral("USLUG")).toString(),
                                         services.FieldByName(QStringLiteral("ERR")).toInt()};
      services.Close();
    }

    CheckGroupB(row, rc, found);
    CheckGroupC(row, rc, found);
    if (OncologyChecksApply(row, rc)) {
      onco.setParam(QStringLiteral("ID_ILL"), idIll);
      onco.setParam(QStringLiteral("NOM_MTL"), nomMtl);
      onco.setParam(QStringLiteral("OUT_STAC"), row.Value(QStringLiteral("DOUT_STAC")));
      for (const char* name : {"STAC_DIAG", "ACC1", "ACC2", "ACC3"})
        onco.setParam(QString::fromLatin1(name), row.Value(QString::fromLatin1(name)));
      onco.setParam(QStringLiteral("MTL_ONCO_STATUS"), row.Int(QStringLiteral("MTL_ONCO_STATUS")));
      onco.setParam(QStringLiteral("VOZRAST"), row.Value(QStringLiteral("P_VOZRAST")));
      onco.setParam(QStringLiteral("OPLAT"), row.Int(QStringLiteral("OPLAT")));
      onco.Open();
      CheckOncologyOutputs(row, RowValues(onco), found);
      onco.Close();
    }

    ListedRow listed;
    listed.IdIll = idIll;
    listed.Nomib = row.Text(QStringLiteral("NOMIB"));
    listed.Family = row.Text(QStringLiteral("FAMILY"));
    listed.SumMekMinusOne = row.Value(QStringLiteral("SUM_MEK")).toDouble() == -1;
    listed.NoInsurer = row.IsSet(QStringLiteral("OSH41"));
    listed.ErrorText = found.Text;
    listed.Refused = found.Refused;
    section.ListRow(listed);
    lastRowRefused = listed.Refused;

    // A refused case is gone from the registry: its sanctions are not stored.
    if (!found.Sanctions.isEmpty() && !listed.Refused && StoresSanctions(party)) {
      SanctionTarget target;
      target.IdIll = idIll;
      target.MtlOncoStatus = row.Int(QStringLiteral("MTL_ONCO_STATUS"));
      target.SmoCode = row.Text(QStringLiteral("H_SMOCOD"));
      target.Repn = row.Int(QStringLiteral("REPN"));
      target.LpuMcod = row.Int(QStringLiteral("LPU_MCOD"));
      target.DateRep = row.Date(QStringLiteral("DATE_REP"));
      target.StacTypeNumber = row.Int(QStringLiteral("P_TS"));
      target.Amount = firstStoreOfCase
                          ? Money::FromDouble(row.Value(QStringLiteral("COST_SF")).toDouble())
                          : Money();
      target.FirstStoreOfCase = firstStoreOfCase;
      StoreCaseSanctions(ctx.Db, ctx.Tr, ctx.Acts, found.Sanctions, target, party);
      firstStoreOfCase = false;
    }
  }
  state.Pass[pass].BlockingErrorsSum = section.End(lastRowRefused);
  return rows;
}

}  // namespace kelmo
