// The rows of the sub-cases of one case of an XML package.
#include "sheet_rows.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "domain/case_data.h"
#include "firebird/database_error.h"
#include "firebird/fb_database.h"
#include "firebird/fb_statement.h"

namespace kelmo {
namespace {

const QString kMtlInsert = QStringLiteral(
    "insert into MTL (ID, ID_ILL, NOM_MTL, OPLAT, PODR, PROFILE, Pr_OMS, STAC_DIAG, KOD_MES, "
    "STAN_OBSL, STAN_LECEN, KASH_MES, RSLT, ISHOD, TELEMED,KURACIA, EXTREN, INTENSIV, KOD_MES_IT, "
    "INTERRUPT, STARTD, FINISH, REPN, REANIM, DREANIM, DETECT, VIDMTL,KDGUZO,ACCOMP1,ACCOMP2,"
    "ACCOMP3,MES_ACC1,MES_ACC2,MES_ACC3,COMP1,COMP2,COMP3,URMES, APPEND, APP_KD, IDDOKT, VR_SPEC, "
    "VR_FIO, VID_POM, PR_FED, VERS_SPEC, PRVS,RES_LECHEN,ISHOD_LECE, VMP_MET, PROFIL_BED, "
    "OPLAT_RMIS, COST_SF, OCNCOST, CRITERIES, DS_ONK, C_ZAB)");

const QString kOperatInsert = QStringLiteral(
    "insert into Operat (ID_ILL,REPN,USLUG,COMPLIC,ANAESTHES,MULTI,DATE_OPER,TIME_OPER,APP_ENDOK,"
    "APP_LASER,APP_KRIOG,FIO,PRVS,IDDOKT,NOM_MTL, NPL, VID_VME, DIAG_USL)\rvalues (:ID_ILL,:REPN,"
    ":USLUG,:COMPLIC,:ANAESTHES,:MULTI,:DATE_OPER,:TIME_OPER,:APP_ENDOK,:APP_LASER,:APP_KRIOG,:FIO,"
    ":PRVS,:IDDOKT,:NOM_MTL,:NPL, :VID_VME, :DIAG_USL)");

const QString kLekarInsert = QStringLiteral(
    "insert into lekar (mtl_id, mnn, tnn, forma, doz_ed, doz_val, kol_ed, kol_val, dbeg, dend)"
    "\rvalues(:mtl_id, :mnn, :tnn, :forma, :doz_ed, :doz_val, :kol_ed, :kol_val, :dbeg, :dend)");

const QString kDiagsInsert = QStringLiteral(
    "insert into diags (mtl_id, diag, mes, vr_action, status)\rvalues(:mid, :diag, :mes, "
    ":vr_act, :status)");

const QString kConsiliumInsert = QStringLiteral(
    "insert into CONSILIUM (ID_ILL, NOM_MTL, PR_CONS, DT_CONS) \rvalues (:ID_ILL, :NOM_MTL, "
    ":PR_CONS, :DT_CONS)");

const QString kBedProfile = QStringLiteral(
    "select l.oms, l.tip from profil_bed b\rjoin lst_koiki l on l.tip=b.old_bed and :d between "
    "l.datebeg and coalesce(l.dateend, cast('31.12.9999' as timestamp))\rwhere b.id_mp=:p and\r"
    "   b.bed_id=:k and\r   :d between b.datebeg and coalesce(b.dateend, cast('31.12.9999' as "
    "timestamp))\rorder by b.old_bed, l.tip");

const QString kKsgGroup = QStringLiteral(
    "select first 1 g.ksg_id from spr_ksg_group g\rwhere g.dop_mkb=:mkb and g.dbeg<=:out and "
    "(g.dend>=:out or g.dend is null) and g.ts=:ts\rorder by g.ksg_id");

QVariant Stamp(const QDate& date) {
  return date.isValid() ? QVariant(QDateTime(date, QTime(0, 0))) : QVariant();
}

// A date text (DD.MM.YYYY or null) as a timestamp.
QVariant StampOfText(const QVariant& text) {
  return text.isNull() ? QVariant() : Stamp(XmlDate(text.toString()));
}

// A value the element gives only when present with text: its integer, else
// null.
QVariant IntIfGiven(const XmlNode& parent, const char* name, const TagReader& tags) {
  return tags.IntOrNull(parent, name);
}

}  // namespace

struct SheetRows::Impl {
  Impl(FbDatabase& db, FbTransaction& tr, RunUser& u, const TagReader& t, HolidayCalendar& cal)
      : user(u),
        tags(t),
        calendar(cal),
        mtl(db, &tr),
        operat(db, &tr),
        lekar(db, &tr),
        diags(db, &tr),
        consilium(db, &tr),
        bedProfile(db, &tr),
        ksgGroup(db, &tr),
        ishodFed(db, &tr),
        resultFed(db, &tr),
        getMtlId(db, &tr),
        newDirect(db, &tr),
        newOncology(db, &tr),
        newDiagnostic(db, &tr),
        newDecline(db, &tr),
        newUslug(db, &tr),
        newMedicals(db, &tr) {}

  RunUser& user;
  const TagReader& tags;
  HolidayCalendar& calendar;
  FbStatement mtl, operat, lekar, diags, consilium, bedProfile, ksgGroup, ishodFed, resultFed,
      getMtlId, newDirect, newOncology, newDiagnostic, newDecline, newUslug, newMedicals;
  QString mainName;
  bool oncologyFile = false;
  // The answers of the reference look-ups, by their inputs: the reference
  // tables do not change while a package loads, and most cases of a month
  // ask the same questions.
  std::map<std::tuple<bool, int, QDate>, QVariant> outcomes;
  std::map<std::tuple<QDate, int, int>, std::pair<QVariant, QVariant>> bedProfiles;
  std::map<std::tuple<QString, QDate, int>, QVariant> groups;

  void Run(FbStatement& s) {
    try {
      s.Exec();
    } catch (const DatabaseError& error) {
      throw CaseRefused(error.what());
    }
  }
  QVariant Group(const QString& code, const SheetCase& c) {
    const int ts = c.Report->TipStac == 1 ? 1 : 5;
    const auto key = std::make_tuple(code, c.Out, ts);
    if (const auto found = groups.find(key); found != groups.end()) return found->second;
    ksgGroup.Set(QStringLiteral("mkb"), code);
    ksgGroup.Set(QStringLiteral("out"), Stamp(c.Out));
    ksgGroup.Set(QStringLiteral("ts"), ts);
    ksgGroup.Exec();
    const QVariant id = ksgGroup.Value(QStringLiteral("KSG_ID"));
    return groups[key] = id.isNull() ? QVariant() : QVariant(id.toString());
  }
  void OncologyRows(const XmlNode& sl, int number, const SheetCase& c);
  void Diagnoses(const XmlNode& sl, int mtlId, const SheetCase& c, const XmlLoadInputs& in);
  void Services(const XmlNode& sl, int number, const SheetCase& c);
};

void SheetRows::Impl::OncologyRows(const XmlNode& sl, int number, const SheetCase& c) {
  for (const XmlNode* cons : sl.All(xml_tag::CONS)) {
    consilium.Set(QStringLiteral("ID_ILL"), c.IdIll);
    consilium.Set(QStringLiteral("NOM_MTL"), number);
    consilium.Set(QStringLiteral("PR_CONS"), tags.Int(*cons, "PR_CONS"));
    consilium.Set(QStringLiteral("DT_CONS"), StampOfText(tags.DateText(*cons, "DT_CONS")));
    Run(consilium);
  }
  for (const XmlNode* napr : sl.All(xml_tag::NAPR)) {
    newDirect.Clear();
    newDirect.Set(QStringLiteral("IN_ID_ILL"), c.IdIll);
    newDirect.Set(QStringLiteral("IN_NOM_MTL"), number);
    newDirect.Set(QStringLiteral("IN_DIR_TYPE"), tags.IntOrNull(*napr, "NAPR_V"));
    newDirect.Set(QStringLiteral("IN_METHOD"), tags.IntOrNull(*napr, "MET_ISSL"));
    newDirect.Set(QStringLiteral("IN_USLUG_TO"), tags.Text(*napr, "NAPR_USL"));
    newDirect.Set(QStringLiteral("IN_DATE_DIR"), StampOfText(tags.DateText(*napr, "NAPR_DATE")));
    tags.IntOrNull(*napr, "NAPR_MO");
    Run(newDirect);
  }
  const XmlNode* onk = sl.First(xml_tag::ONK_SL);
  if (onk == nullptr || !NodeHasText(*onk)) return;
  newOncology.Clear();
  auto set = [this](const char* name, const QVariant& v) {
    newOncology.Set(QString::fromLatin1(name), v);
  };
  set("IN_ID_ILL", c.IdIll);
  set("IN_NOM_MTL", number);
  set("IN_REPN", c.Report->Repn);
  set("IN_ID_CAUSE", tags.IntOrNull(*onk, "DS1_T"));
  set("IN_ID_STAGE", tags.IntOrNull(*onk, "STAD"));
  set("IN_ID_TUMOR", tags.IntOrNull(*onk, "ONK_T"));
  set("IN_ID_NODUS", tags.IntOrNull(*onk, "ONK_N"));
  set("IN_ID_METAS", tags.IntOrNull(*onk, "ONK_M"));
  set("IN_DIST_METAS", tags.IntOrNull(*onk, "MTSTZ"));
  set("IN_DOSE", tags.Num(*onk, "SOD", true));
  set("IN_FRACTIONS", tags.IntOrNull(*onk, "K_FR"));
  set("IN_WEIGHT", tags.Num(*onk, "WEI", true));
  set("IN_HEIGHT", tags.IntOrNull(*onk, "HEI"));
  set("IN_BSA", tags.Num(*onk, "BSA", true));
  Run(newOncology);
  const int block = newOncology.Value(QStringLiteral("OUT_ID_ONCO")).toInt();
  for (const XmlNode* diag : onk->All(xml_tag::B_DIAG)) {
    newDiagnostic.Clear();
    newDiagnostic.Set(QStringLiteral("in_id_onco"), block);
    newDiagnostic.Set(QStringLiteral("in_diag_date"),
                      StampOfText(tags.DateText(*diag, "DIAG_DATE")));
    const QVariant type = tags.IntOrNull(*diag, "DIAG_TIP");
    newDiagnostic.Set(QStringLiteral("in_diag_type"), type);
    newDiagnostic.Set(QStringLiteral("in_rec_rslt"), tags.IntOrNull(*diag, "REC_RSLT"));
    if (type.toInt() == 1) {
      newDiagnostic.Set(QStringLiteral("in_id_g_s"), tags.IntOrNull(*diag, "DIAG_CODE"));
      newDiagnostic.Set(QStringLiteral("in_id_g_t"), tags.IntOrNull(*diag, "DIAG_RSLT"));
    } else if (type.toInt() == 2) {
      newDiagnostic.Set(QStringLiteral("in_id_mark"),
                        XmlInteger(RequiredChild(*diag, "DIAG_CODE").FullText()));
      newDiagnostic.Set(QStringLiteral("in_id_m_r"),
                        XmlInteger(RequiredChild(*diag, "DIAG_RSLT").FullText()));
    }
    Run(newDiagnostic);
  }
  for (const XmlNode* prot : onk->All(xml_tag::B_PROT)) {
    newDecline.Clear();
    newDecline.Set(QStringLiteral("in_ID_ONCO"), block);
    newDecline.Set(QStringLiteral("in_id_dec"), tags.IntOrNull(*prot, "PROT"));
    newDecline.Set(QStringLiteral("in_date_dec"), StampOfText(tags.DateText(*prot, "D_PROT")));
    Run(newDecline);
  }
  for (const XmlNode* usl : onk->All(xml_tag::ONK_USL)) {
    newUslug.Clear();
    newUslug.Set(QStringLiteral("IN_ID_ONCO"), block);
    newUslug.Set(QStringLiteral("IN_ID_U_TYPE"), tags.IntOrNull(*usl, "USL_TIP"));
    newUslug.Set(QStringLiteral("IN_ID_SURGERY"), tags.IntOrNull(*usl, "HIR_TIP"));
    newUslug.Set(QStringLiteral("IN_ID_T_LINE"), tags.IntOrNull(*usl, "LEK_TIP_L"));
    newUslug.Set(QStringLiteral("IN_ID_T_CYCLE"), tags.IntOrNull(*usl, "LEK_TIP_V"));
    newUslug.Set(QStringLiteral("IN_ID_R_TYPE"), tags.IntOrNull(*usl, "LUCH_TIP"));
    newUslug.Set(QStringLiteral("IN_REFLEX"), tags.IntOrNull(*usl, "PPTR"));
    Run(newUslug);
    const int service = newUslug.Value(QStringLiteral("OUT_ID_ONC_USL")).toInt();
    for (const XmlNode* lek : usl->All(xml_tag::LEK_PR)) {
      const QString regnum = tags.Text(*lek, "REGNUM");
      const QString scheme = tags.Text(*lek, "CODE_SH");
      for (const XmlNode* inj : lek->All("DATE_INJ")) {
        newMedicals.Clear();
        newMedicals.Set(QStringLiteral("IN_ID_ONC_USL"), service);
        newMedicals.Set(QStringLiteral("IN_CODE_DRUG"), regnum);
        newMedicals.Set(QStringLiteral("IN_CODE_SCHEM"), scheme);
        const QString text = tags.TextOf(*inj);
        newMedicals.Set(QStringLiteral("IN_DATE_INJ"),
                        text.isEmpty() ? QVariant() : Stamp(XmlDate(text)));
        Run(newMedicals);
      }
    }
  }
}

void SheetRows::Impl::Diagnoses(const XmlNode& sl, int mtlId, const SheetCase& c,
                                const XmlLoadInputs& in) {
  const std::vector<const XmlNode*> ds2 = sl.All("DS2");
  const std::vector<const XmlNode*> ds3 = sl.All("DS3");
  std::array<QVariant, 3> accomp, mesAcc, comp;
  std::array<QString, 3> accompGroups{"0", "0", "0"}, complGroups{"0", "0", "0"};
  for (int i = 0; i < 3; ++i) {
    if (static_cast<std::size_t>(i) < ds2.size()) {
      const QString code = tags.Text(*ds2[i], "CODE_DS");
      accomp[i] = code;
      mesAcc[i] = tags.Text(*ds2[i], "CODE_MES");
      const QVariant g = Group(code, c);
      if (!g.isNull()) accompGroups[i] = g.toString();
    }
    if (static_cast<std::size_t>(i) < ds3.size()) {
      const QString code = tags.TextOf(*ds3[i]);
      comp[i] = code;
      const QVariant g = Group(code, c);
      if (!g.isNull()) complGroups[i] = g.toString();
    }
  }
  // From June 2016 a later diagnosis with a KSG group of its own takes a slot
  // whose diagnosis has none, or whose group repeats another slot's.
  auto target = [](const std::array<QString, 3>& groups, const QString& g) -> int {
    for (int i = 0; i < 3; ++i)
      if (groups[i] == QLatin1String("0")) return i;
    if (g == groups[0] || g == groups[1] || g == groups[2]) return -1;
    if (groups[0] == groups[2]) return 2;
    if (groups[1] == groups[2]) return 2;
    if (groups[0] == groups[1]) return 1;
    return -1;
  };
  if (in.PeriodStart >= QDate(2016, 6, 1)) {
    for (std::size_t i = 3; i < ds2.size(); ++i) {
      const QString code = tags.Text(*ds2[i], "CODE_DS");
      const QVariant g = Group(code, c);
      if (g.isNull()) continue;
      const int t = target(accompGroups, g.toString());
      if (t < 0) continue;
      accomp[t] = code;
      mesAcc[t] = tags.Text(*ds2[i], "CODE_MES");
      accompGroups[t] = g.toString();
    }
    for (std::size_t i = 3; i < ds3.size(); ++i) {
      const QString code = tags.TextOf(*ds3[i]);
      const QVariant g = Group(code, c);
      if (g.isNull()) continue;
      const int t = target(complGroups, g.toString());
      if (t < 0) continue;
      comp[t] = code;
      complGroups[t] = g.toString();
    }
  }
  for (int i = 0; i < 3; ++i) {
    const QString n = QString::number(i + 1);
    mtl.Set(QStringLiteral("ACCOMP") + n, accomp[i]);
    mtl.Set(QStringLiteral("MES_ACC") + n, mesAcc[i]);
    mtl.Set(QStringLiteral("COMP") + n, comp[i]);
  }
  for (const XmlNode* d : ds2) {
    diags.Set(QStringLiteral("mid"), mtlId);
    diags.Set(QStringLiteral("diag"), tags.Text(*d, "CODE_DS"));
    diags.Set(QStringLiteral("mes"), tags.Text(*d, "CODE_MES"));
    diags.Set(QStringLiteral("vr_act"), QVariant());
    diags.Set(QStringLiteral("status"), 23);
    Run(diags);
  }
  for (const XmlNode* d : ds3) {
    diags.Set(QStringLiteral("mid"), mtlId);
    diags.Set(QStringLiteral("diag"), tags.TextOf(*d));
    diags.Set(QStringLiteral("mes"), QVariant());
    diags.Set(QStringLiteral("vr_act"), QVariant());
    diags.Set(QStringLiteral("status"), 22);
    Run(diags);
  }
}

void SheetRows::Impl::Services(const XmlNode& sl, int number, const SheetCase& c) {
  for (const XmlNode* usl : sl.All(xml_tag::USL)) {
    const QString code = tags.Text(*usl, "CODE_USL");
    operat.Set(QStringLiteral("ID_ILL"), c.IdIll);
    operat.Set(QStringLiteral("REPN"), c.Report->Repn);
    operat.Set(QStringLiteral("NOM_MTL"), number);
    operat.Set(QStringLiteral("USLUG"), code);
    operat.Set(QStringLiteral("DIAG_USL"), tags.Text(*usl, "DS"));
    operat.Set(QStringLiteral("VID_VME"), usl->Has("VID_VME") ? tags.Text(*usl, "VID_VME") : code);
    operat.Set(QStringLiteral("COMPLIC"), QVariant());
    operat.Set(QStringLiteral("ANAESTHES"), tags.Int(*usl, "CODE_ANEST"));
    operat.Set(QStringLiteral("MULTI"), tags.Num(*usl, "KOL_USL"));
    operat.Set(QStringLiteral("DATE_OPER"), StampOfText(tags.DateText(*usl, "DATE_IN")));
    for (const char* null : {"TIME_OPER", "APP_ENDOK", "APP_LASER", "APP_KRIOG", "FIO"})
      operat.Set(QString::fromLatin1(null), QVariant());
    operat.Set(QStringLiteral("IDDOKT"), tags.Text(*usl, "CODE_MD"));
    operat.Set(QStringLiteral("PRVS"), tags.Int(*usl, "PRVS"));
    operat.Set(QStringLiteral("NPL"), tags.Int(*usl, "NPL"));
    if (!TrimmedXml(code).isEmpty()) Run(operat);
  }
}

SheetRows::SheetRows(FbDatabase& db, FbTransaction& tr, RunUser& user, const TagReader& tags,
                     HolidayCalendar& calendar)
    : impl_(std::make_unique<Impl>(db, tr, user, tags, calendar)) {}

SheetRows::~SheetRows() = default;

void SheetRows::Prepare() {
  Impl& d = *impl_;
  d.mtl.Prepare(InsertWithValues(kMtlInsert));
  d.operat.Prepare(kOperatInsert);
  d.lekar.Prepare(kLekarInsert);
  d.diags.Prepare(kDiagsInsert);
  d.consilium.Prepare(kConsiliumInsert);
  d.bedProfile.Prepare(kBedProfile);
  d.ksgGroup.Prepare(kKsgGroup);
  d.ishodFed.Prepare(QStringLiteral(
      "select first 1 i.old_id from ishod_fed i\rwhere i.idiz=:code and (i.datebeg<=:out or "
      "i.datebeg is null) and (i.dateend>=:out or i.dateend is null)"));
  d.resultFed.Prepare(QStringLiteral(
      "select first 1 r.old_result from result_fed r\rwhere r.idrmp=:code and ((r.datebeg is null) "
      "or (r.datebeg<=:out)) and ((r.dateend is null) or (r.dateend>=:out))"));
  d.getMtlId.Prepare(QStringLiteral("select MTL_ID from GETMTL_ID"));
  d.newDirect.Prepare(QStringLiteral(
      "execute procedure NEW_ONCO_DIRECT(:IN_ID_ILL, :IN_NOM_MTL, :IN_DIR_TYPE, :IN_METHOD, "
      ":IN_USLUG_TO, :IN_DATE_DIR)"));
  d.newOncology.Prepare(QStringLiteral(
      "execute procedure NEW_ONCOLOGY(:IN_ID_ILL, :IN_NOM_MTL, :IN_REPN, :IN_ID_CAUSE, "
      ":IN_ID_STAGE, :IN_ID_TUMOR, :IN_ID_NODUS, :IN_ID_METAS, :IN_DIST_METAS, :IN_DOSE, "
      ":IN_FRACTIONS, :IN_WEIGHT, :IN_HEIGHT, :IN_BSA)"));
  d.newDiagnostic.Prepare(QStringLiteral(
      "execute procedure NEW_ONCO_DIAGNOSTIC(:in_id_onco, :in_diag_date, :in_diag_type, "
      ":in_rec_rslt, :in_id_g_s, :in_id_g_t, :in_id_mark, :in_id_m_r)"));
  d.newDecline.Prepare(
      QStringLiteral("execute procedure NEW_ONCO_DECLINE(:in_ID_ONCO, :in_id_dec, :in_date_dec)"));
  d.newUslug.Prepare(QStringLiteral(
      "execute procedure NEW_ONCO_USLUG(:IN_ID_ONCO, :IN_ID_U_TYPE, :IN_ID_SURGERY, :IN_ID_T_LINE, "
      ":IN_ID_T_CYCLE, :IN_ID_R_TYPE, :IN_REFLEX)"));
  d.newMedicals.Prepare(QStringLiteral(
      "execute procedure NEW_ONCO_MEDICALS(:IN_ID_ONC_USL, :IN_CODE_DRUG, :IN_CODE_SCHEM, "
      ":IN_DATE_INJ)"));
}

void SheetRows::BeginFile(const QString& mainName, bool oncology) {
  impl_->mainName = mainName;
  impl_->oncologyFile = oncology;
}

QVariant SheetRows::Outcome(const char* table, int code, const QDate& out) {
  const bool ishod = QLatin1String(table) == QLatin1String("ishod_fed");
  const auto key = std::make_tuple(ishod, code, out);
  if (const auto found = impl_->outcomes.find(key); found != impl_->outcomes.end())
    return found->second;
  FbStatement& q = ishod ? impl_->ishodFed : impl_->resultFed;
  q.Set(QStringLiteral("code"), code);
  q.Set(QStringLiteral("out"), Stamp(out));
  q.Exec();
  const QVariant v = q.Value(ishod ? QStringLiteral("OLD_ID") : QStringLiteral("OLD_RESULT"));
  return impl_->outcomes[key] = v.isNull() ? QVariant() : QVariant(v.toInt());
}

void SheetRows::AddTotals(const SheetCase& c) {
  c.Report->SumInvoice = c.Report->SumInvoice + c.SumM;
  c.Report->SumCalc = c.Report->SumCalc + c.SumvOne;
}

void SheetRows::Load(const XmlNode& sl, int number, SheetCase& c, const XmlLoadInputs& in) {
  Impl& d = *impl_;
  const TagReader& tags = d.tags;
  const int kind = SubCasePayKind(sl, tags);
  // An oncology element in a file that is not an oncology file makes
  // further reception impossible.
  const bool guarded = !d.oncologyFile && kind != 6 && in.PayKind != PayKind::Vmp;
  for (const char* tag : {xml_tag::NAPR, xml_tag::ONK_SL}) {
    if (!guarded || !sl.Has(tag)) continue;
    const QString text = QStringLiteral("Недопустимый тэг \"") + QLatin1String(tag) +
                         QStringLiteral("\" для файла ") + d.mainName +
                         QStringLiteral(". Дальнейший приём/формирование отчёта невозможен.");
    d.user.Message(QStringLiteral("Неверный формат"), text, RunMessageIcon::Error);
    throw XmlLoadStopped(text);
  }
  d.OncologyRows(sl, number, c);

  FbStatement& m = d.mtl;
  auto set = [&m](const char* name, const QVariant& value) {
    m.Set(QString::fromLatin1(name), value);
  };
  // The stage of the case.
  QList<oStage>& stages = c.Patient->Stages;
  while (stages.size() < number) stages.append(oStage{});
  oStage& stage = stages[number - 1];
  stage.Number = number;
  if (in.Receiving) {
    Money sumM;
    try {
      const QString text = tags.Text(sl, "SUM_M");
      if (!text.isEmpty()) {
        QString t = text;
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        sumM = Money::FromString(t).value_or(Money());
      }
    } catch (const XmlValueError&) {
    }
    double sumv = 0;
    try {
      sumv = tags.Num(sl, "SUMV_ONE").toDouble();
    } catch (const XmlValueError&) {
    }
    stage.SumM = sumM.ToDouble();
    stage.SumvOne = sumv;
    c.SumM = c.SumM + sumM;
    c.SumvOne = c.SumvOne + Money::FromDouble(sumv);
    set("COST_SF", sumM.ToDouble());
    set("OCNCOST", c.CarriesSanctions ? QVariant(sumM.ToDouble()) : QVariant());
  } else {
    set("COST_SF", QVariant());
    set("OCNCOST", QVariant());
  }
  const QVariant profil = tags.IntOrNull(sl, "PROFIL");
  const int profilK = tags.Int(sl, "PROFIL_K");
  const int profilCode = profil.isNull() ? 0 : profil.toInt();
  const auto bedKey = std::make_tuple(c.Out, profilCode, profilK);
  auto bed = d.bedProfiles.find(bedKey);
  if (bed == d.bedProfiles.end()) {
    d.bedProfile.Set(QStringLiteral("d"), Stamp(c.Out));
    d.bedProfile.Set(QStringLiteral("p"), profilCode);
    d.bedProfile.Set(QStringLiteral("k"), profilK);
    d.bedProfile.Exec();
    bed = d.bedProfiles
              .emplace(bedKey, std::make_pair(d.bedProfile.Value(QStringLiteral("TIP")),
                                              d.bedProfile.Value(QStringLiteral("OMS"))))
              .first;
  }
  const auto& [tip, oms] = bed->second;
  d.getMtlId.Exec();
  const int mtlId = d.getMtlId.Value(QStringLiteral("MTL_ID")).toInt();
  set("ID", mtlId);
  set("ID_ILL", c.IdIll);
  set("NOM_MTL", number);
  set("REPN", c.Report->Repn);
  set("VID_POM", XmlInteger(c.Vidpom));
  set("OPLAT", kind);
  set("OPLAT_RMIS", tags.Int(sl, "FUNDING"));
  const int quality = tags.Int(sl, "QUALITY_MES1");
  set("KASH_MES", quality == 0 ? 1 : quality);
  set("PODR", tags.Int(sl, "PODR"));
  set("PROFILE", tip.isNull() ? 0 : tip.toInt());
  set("Pr_OMS", oms.isNull() ? 0 : oms.toInt());
  set("STAC_DIAG", SheetDiagnosis(tags.Text(sl, "DS1")));
  QString kodMes = tags.Text(sl, "CODE_MES1");
  set("TELEMED", tags.IntOrNull(sl, "TELEMED"));
  set("PROFIL_BED", profilK);
  set("PR_FED", profil);
  const QString vers = tags.Text(sl, "VERS_SPEC");
  set("VERS_SPEC", vers.isEmpty() ? QVariant() : QVariant(vers));
  if (const XmlNode* doctor = sl.First("IDDOKT")) {
    set("IDDOKT", TrimmedXml(doctor->FullText()));
  } else {
    d.user.Message(QString(),
                   QStringLiteral("У пациента ") + TrimmedXml(c.Surname) +
                       QStringLiteral(" не заполнен код врача"),
                   RunMessageIcon::None);
    set("IDDOKT", QVariant());
  }
  set("PRVS", IntIfGiven(sl, "PRVS", tags));
  d.Diagnoses(sl, mtlId, c, in);
  for (const XmlNode* lek : sl.All(xml_tag::LEKAR)) {
    const XmlNode& doz = RequiredChild(*lek, "DOZ");
    const XmlNode& kol = RequiredChild(*lek, "KOL");
    d.lekar.Set(QStringLiteral("mtl_id"), mtlId);
    d.lekar.Set(QStringLiteral("mnn"), tags.Int(*lek, "MNN"));
    d.lekar.Set(QStringLiteral("tnn"), tags.Int(*lek, "TNN"));
    d.lekar.Set(QStringLiteral("forma"), tags.Int(*lek, "FORMA"));
    d.lekar.Set(QStringLiteral("doz_ed"), tags.Int(doz, "ED"));
    d.lekar.Set(QStringLiteral("doz_val"), tags.Num(doz, "VALUE"));
    d.lekar.Set(QStringLiteral("kol_ed"), tags.Int(kol, "ED"));
    d.lekar.Set(QStringLiteral("kol_val"), tags.Num(kol, "VALUE"));
    d.lekar.Set(QStringLiteral("dbeg"), Stamp(XmlDate(RequiredChild(*lek, "DATE_1").FullText())));
    d.lekar.Set(QStringLiteral("dend"), Stamp(XmlDate(RequiredChild(*lek, "DATE_2").FullText())));
    d.Run(d.lekar);
  }
  if (sl.Has("MES_IT")) {
    const QVariant mesIt = tags.IntOrNull(sl, "MES_IT");
    set("KOD_MES_IT", mesIt.isNull() ? QVariant() : QVariant(mesIt.toString()));
    set("REANIM", mesIt);
    set("DREANIM", tags.Text(sl, "DS_IT"));
    set("INTENSIV", tags.IntOrNull(sl, "KD_IT"));
  } else {
    set("KOD_MES_IT", QVariant());
    set("REANIM", QVariant());
    set("DREANIM", QVariant());
    set("INTENSIV", 0);
  }
  const XmlNode* obsl = sl.First("STAN_OBSL");
  const XmlNode* lecen = sl.First("STAN_LECEN");
  set("STAN_OBSL", obsl && lecen ? XmlInteger(obsl->FullText()) : 1);
  set("STAN_LECEN", obsl && lecen ? XmlInteger(lecen->FullText()) : 1);
  set("CRITERIES", SheetCriteria(sl.First(xml_tag::KSG_KPG)));
  const int ishod = tags.Int(sl, "ISHOD");
  const int rsltCode = tags.Int(sl, "RSLT");
  set("RES_LECHEN", Outcome("ishod_fed", ishod, c.Out));
  set("ISHOD_LECE", Outcome("result_fed", rsltCode, c.Out));
  if (!tags.Text(sl, "RSLT").isEmpty()) {
    set("RSLT", rsltCode);
    set("ISHOD", XmlInteger(RequiredChild(sl, "ISHOD").FullText()));
  } else {
    set("RSLT", QVariant());
    set("ISHOD", QVariant());
  }
  set("KURACIA",
      !sl.Has("CURATION") && in.YearText == QLatin1String("2015") ? 1 : tags.Int(sl, "CURATION"));
  const int extr = tags.Int(sl, "EXTR");
  set("EXTREN", extr > 0 ? extr - 1 : 0);
  const QDate start = XmlDate(RequiredChild(sl, "DATE_1").FullText());
  const QDate finish = XmlDate(RequiredChild(sl, "DATE_2").FullText());
  set("INTERRUPT", 1);
  set("STARTD", Stamp(start));
  set("FINISH", Stamp(finish));
  set("DETECT", QVariant());
  set("VIDMTL", 0);
  set("KDGUZO", CountBedDays(c.Report->TipStac, QDateTime(start, QTime(0, 0)),
                             QDateTime(finish, QTime(0, 0)), c.Lpu, d.calendar));
  set("APPEND", QVariant());
  set("APP_KD", tags.Int(sl, "SOVM_P"));
  set("C_ZAB", tags.IntOrNull(sl, "C_ZAB"));
  const QString hmp = tags.Text(sl, "VID_HMP");
  const QString method = tags.Text(sl, "METOD_HMP");
  if (!hmp.isEmpty() && !method.isEmpty()) {
    kodMes = QString(hmp).remove(QLatin1Char('.'));
    set("VMP_MET", XmlInteger(method));
  } else {
    set("VMP_MET", QVariant());
  }
  set("KOD_MES", kodMes);
  set("URMES", CareLevelOfCode(kodMes));
  const QVariant dsOnk = tags.IntOrNull(sl, "DS_ONK");
  set("DS_ONK", guarded ? QVariant() : dsOnk);
  d.Run(m);
  d.Services(sl, number, c);
}

}  // namespace kelmo
