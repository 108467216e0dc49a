// The elements of one case of the XML export.
#include "xml_export_cases.h"

#include <QSqlRecord>
#include <array>

#include "domain/common.h"
#include "domain/report_parameters.h"
#include "xmlload/xml_tags.h"

namespace kelmo {
namespace {

// One expression with its alias per column of Col, in its order.
constexpr std::array<const char*, static_cast<size_t>(Col::Count)> kCaseColumns = {
    "coalesce(s.onco_sluch,0) is_onco_sluch",
    "s.id_ill sid",
    "s.idcase",
    "s.family",
    "s.name",
    "s.father",
    "s.dr",
    "s.pol",
    "pr.pol W_p",
    "pr.family p_FAM",
    "pr.name p_IM",
    "pr.father p_OT",
    "pr.dr p_DR",
    "s.snils",
    "s.f_docs",
    "s.d_seria",
    "s.d_nomber",
    "s.seria",
    "s.number",
    "s.nomib",
    "s.okatog",
    "s.okatop",
    "smo.ogrn smo_ogrn",
    "s.vpolis",
    "s.in_stac",
    "s.out_stac",
    "smo.smocod smo_cod",
    "smo.terr_okato smo_ok",
    "s.mcod",
    "s.podr sPODR",
    "s.prik_start",
    "s.prik_finish",
    "s.rslt sRSLT",
    "s.ishod sISHOD",
    "s.kod_mess",
    "s.stac_diags",
    "s.dise_time",
    "s.vozrast",
    "s.vozrastm",
    "s.novor",
    "s.vnov_d",
    "s.vnov_m",
    "s.sprav_date",
    "s.sum_mek",
    "s.dopfond",
    "s.pol_obl",
    "s.pr_nov",
    "s.dz",
    "coalesce(s.kl_reg,'') kl_reg",
    "coalesce(s.kl_ray,'') kl_ray",
    "coalesce(s.kl_g,'') kl_g",
    "coalesce(s.kl_punkt,'') kl_punkt",
    "coalesce(s.kl_street,'') kl_street",
    "s.p_per",
    "s.tal_d",
    "s.tal_p",
    "s.tal_num",
    "m.id mid",
    "m.vidmtl",
    "m.vmp_met",
    "lm.mcod lpu_mcod",
    "m.podr",
    "m.pr_fed",
    "m.profil_bed",
    "m.startd",
    "m.finish",
    "m.oplat",
    "m.nom_mtl",
    "m.stac_diag",
    "m.kod_mes",
    "m.vr_fio",
    "m.kash_mes",
    "m.rslt",
    "m.ishod",
    "m.prvs",
    "m.vers_spec",
    "m.iddokt",
    "m.stan_obsl",
    "m.stan_lecen",
    "m.app_kd",
    "m.ocncost",
    "m.cost_sf",
    "m.onech_cost",
    "coalesce(m.oplat_rmis,0) oplat_rmis",
    "coalesce(m.kuracia,0) kuracia",
    "coalesce(m.telemed,0) telemed",
    "o.id oID",
    "o.anaesthes",
    "o.date_oper",
    "o.uslug oUSLUG",
    "o.iddokt oIDDOKT",
    "o.prvs oPRVS",
    "o.cost usl_cost",
    "o.npl",
    "o.multi",
    "o.vid_vme",
    "o.diag_usl",
    "mu.id uID",
    "mu.dokaz",
    "mu.uslug",
    "mu.kolvo",
    "s.repn",
    "r.tip_stac",
    "m.extren",
    "s.napr_diag",
    "v.vmp_kod",
    "m.pr_oms",
    "m.kod_mes_it",
    "m.dreanim",
    "m.intensiv",
    "r.date_end",
    "coalesce(r.xmlrep,0) xmlrep",
    "m.criteries",
    "r.oplat rep_oplat",
    "m.ds_onk",
    "m.ksg_id",
    "onc.id_onco",
    "onc.id_cause",
    "onc.id_stage",
    "onc.id_tumor",
    "onc.id_nodus",
    "onc.id_metas",
    "onc.dist_metas",
    "onc.dose",
    "onc.fractions",
    "onc.weight",
    "onc.height",
    "onc.bsa",
    "s.napravlen",
    "s.napr_date",
    "m.c_zab"};

const QString kTrue = QStringLiteral("1");

QString Num(int value) {
  return QString::number(value);
}

// Rows of a detail group; none when the owner has none.
const std::vector<DetailRow>& RowsOf(const DetailRows& rows, qint64 key) {
  static const std::vector<DetailRow> none;
  const auto found = rows.find(key);
  return found == rows.end() ? none : found->second;
}

QString Trim(const QVariant& v) {
  return TrimText(ColumnText(v));
}

QString CareConditions(const CaseRow& row) {
  const int tip = row.Int(Col::TipStac);
  return tip == 1 ? kTrue : QStringLiteral("2") + Num(tip);
}

QString CareForm(const CaseRow& row) {
  return row.Int(Col::Extren) == 1 ? kTrue : QStringLiteral("3");
}

QString PaymentUnit(const CaseRow& row) {
  return row.Int(Col::TipStac) == 1 ? QStringLiteral("33") : QStringLiteral("34");
}

// Not null and not 0.
bool Given(const QVariant& v) {
  return !v.isNull() && v.toInt() != 0;
}

// The diagnoses of an owner and status: DS2 with CODE_DS (and CODE_MES when
// `withMes`), or DS3 with the code as its text.
void AppendDiagnoses(xmlNode* parent, const ExportDetails& d, int owner, int accompanying,
                     int complication, bool withMes) {
  for (const DetailRow& r : RowsOf(d.Diagnoses, DetailKey(owner, accompanying))) {
    xmlNode* ds2 = AppendAlways(parent, "DS2");
    AppendAlways(ds2, "CODE_DS", Trim(r[1]));
    if (withMes) AppendOptional(ds2, "CODE_MES", Trim(r[0]));
  }
  for (const DetailRow& r : RowsOf(d.Diagnoses, DetailKey(owner, complication)))
    AppendAlways(parent, "DS3", Trim(r[1]));
}

void AppendOncology(xmlNode* sl, const CaseRow& row, const ExportDetails& d) {
  xmlNode* onk = AppendAlways(sl, xml_tag::ONK_SL);
  AppendAlways(onk, "DS1_T", row.Trimmed(Col::IdCause));
  const std::pair<const char*, Col> optional[] = {
      {"STAD", Col::IdStage},   {"ONK_T", Col::IdTumor},   {"ONK_N", Col::IdNodus},
      {"ONK_M", Col::IdMetas},  {"MTSTZ", Col::DistMetas}, {"SOD", Col::Dose},
      {"K_FR", Col::Fractions}, {"WEI", Col::Weight},      {"HEI", Col::Height},
      {"BSA", Col::Bsa}};
  for (const auto& [name, col] : optional) AppendOptional(onk, name, row.Trimmed(col));
  const qint64 block = row[Col::IdOnco].toLongLong();
  for (const DetailRow& r : RowsOf(d.OncoDiagnostics, block)) {
    // diag_type, id_g_s, id_g_t, id_mark, id_m_r, rec_rslt, diag_date
    xmlNode* diag = AppendAlways(onk, xml_tag::B_DIAG);
    AppendAlways(diag, "DIAG_DATE", XmlDateText(r[6]));
    const QString type = Trim(r[0]);
    AppendAlways(diag, "DIAG_TIP", type);
    if (type == QLatin1String("1")) {
      AppendAlways(diag, "DIAG_CODE", Trim(r[1]));
      AppendOptional(diag, "DIAG_RSLT", Trim(r[2]));
    } else if (type == QLatin1String("2")) {
      AppendAlways(diag, "DIAG_CODE", Trim(r[3]));
      AppendOptional(diag, "DIAG_RSLT", Trim(r[4]));
    }
    AppendOptional(diag, "REC_RSLT", Trim(r[5]));
  }
  for (const DetailRow& r : RowsOf(d.OncoDeclines, block)) {
    xmlNode* prot = AppendAlways(onk, xml_tag::B_PROT);
    AppendAlways(prot, "PROT", Trim(r[0]));
    AppendAlways(prot, "D_PROT", XmlDateText(r[1]));
  }
  for (const DetailRow& r : RowsOf(d.OncoServices, block)) {
    xmlNode* usl = AppendAlways(onk, xml_tag::ONK_USL);
    const char* names[] = {"USL_TIP", "HIR_TIP", "LEK_TIP_L", "LEK_TIP_V", "LUCH_TIP", "PPTR"};
    for (size_t i = 0; i < std::size(names); ++i) AppendOptional(usl, names[i], Trim(r[i + 1]));
    // One LEK_PR per drug and scheme, carrying all their injection dates.
    xmlNode* lek = nullptr;
    QString drug, scheme;
    for (const DetailRow& m : RowsOf(d.OncoDrugs, r[0].toLongLong())) {
      const QString thisDrug = Trim(m[0]);
      const QString thisScheme = Trim(m[1]);
      if (lek == nullptr || thisDrug != drug || thisScheme != scheme) {
        lek = AppendAlways(usl, xml_tag::LEK_PR);
        AppendOptional(lek, "REGNUM", thisDrug);
        AppendOptional(lek, "CODE_SH", thisScheme);
        drug = thisDrug;
        scheme = thisScheme;
      }
      AppendOptional(lek, "DATE_INJ", XmlDateText(m[2]));
    }
  }
}

void AppendKsg(xmlNode* sl, const CaseRow& row, const CaseElementContext& c) {
  xmlNode* ksg = AppendAlways(sl, xml_tag::KSG_KPG);
  AppendAlways(ksg, "N_KSG", row.Text(Col::KsgId));
  AppendAlways(ksg, "VER_KSG", c.In.YearText);
  for (const char* empty : {"KOEF_Z", "KOEF_UP", "BZTSZ", "KOEF_D", "KOEF_U"})
    AppendAlways(ksg, empty);
  for (const QString& item : CriteriaItems(row.Text(Col::Criteries)))
    AppendOptional(ksg, "CRIT", item);
  AppendAlways(ksg, "SL_K");
  AppendAlways(ksg, "IT_SL");
  xmlNode* koef = AppendAlways(ksg, "SL_KOEF");
  AppendAlways(koef, "IDSL");
  AppendAlways(koef, xml_tag::Z_SL);
}

}  // namespace

QString CaseQueryText(const QList<int>& reports) {
  QStringList columns;
  for (const char* c : kCaseColumns) columns << QLatin1String(c);
  return QStringLiteral("select ") + columns.join(QStringLiteral(", ")) +
         QStringLiteral(
             "\rfrom stacion s\rjoin reports r on r.repn=s.repn\r"
             "join mtl m on m.id_ill=s.id_ill\r"
             "left join operat o on o.id_ill=m.id_ill and o.nom_mtl=m.nom_mtl\r"
             "left join mtlusl mu on mu.id_ill=m.id_ill and mu.nom_mtl=m.nom_mtl\r"
             "left join smo on cast(smo.o_cod as varchar(20))=s.polis\r"
             "left join lpu_mcod lm on lm.lpu_id=r.lpu\r"
             "left join parents pr on pr.id_ill=s.id_ill\r"
             "left join spr_vmp v on v.met_kod=m.vmp_met and s.out_stac between v.datefrom and "
             "coalesce(v.dateto, cast('31.12.9999' as timestamp))\r"
             "left join oncology onc on onc.id_ill=m.id_ill and onc.nom_mtl=m.nom_mtl\r"
             "where r.repn in ") +
         ReportParameterList(reports) +
         QStringLiteral(
             " and (s.polis=:smo or (1=:inogor and s.pol_obl<>'1137'))\r"
             "order by coalesce(s.onco_sluch,0), s.id_ill, m.nom_mtl, o.id, mu.id");
}

void CaseRow::Read(const QSqlQuery& q) {
  for (size_t i = 0; i < values_.size(); ++i) values_[i] = q.value(static_cast<int>(i));
}

QString CaseRow::Trimmed(Col c) const {
  return Trim((*this)[c]);
}

QStringList CriteriaItems(const QString& criteries) {
  QStringList items;
  for (const QString& part : criteries.split(QLatin1Char(';'))) {
    const QString item = TrimText(part);
    if (!item.isEmpty()) items << item;
  }
  return items;
}

QString ChildMark(const CaseRow& row) {
  return row.Int(Col::Vozrast) > 17 ? QStringLiteral("0") : kTrue;
}

XmlElement BuildPers(const CaseRow& row, const QString& key, const CaseElementContext& c) {
  XmlElement pers = NewXmlElement(xml_tag::PERS);
  xmlNode* p = pers.get();
  AppendAlways(p, "ID_PAC", key);
  AppendOptional(p, "FAM", CapitalizeName(row.Text(Col::Family)));
  AppendOptional(p, "IM", CapitalizeName(row.Text(Col::Name)));
  AppendOptional(p, "OT", CapitalizeName(row.Text(Col::Father)));
  AppendAlways(p, "W", row.Text(Col::Pol));
  AppendAlways(p, "DR", XmlDateText(row[Col::Dr]));
  AppendOptional(p, "FAM_P", CapitalizeName(row.Text(Col::PFam)));
  AppendOptional(p, "IM_P", CapitalizeName(row.Text(Col::PIm)));
  AppendOptional(p, "OT_P", CapitalizeName(row.Text(Col::POt)));
  AppendOptional(p, "W_P", row.Text(Col::WP));
  AppendOptional(p, "DR_P", XmlDateText(row[Col::PDr]));
  AppendOptional(p, "DOCTYPE", row.Text(Col::FDocs));
  AppendOptional(p, "DOCSER", row.Text(Col::DSeria));
  AppendOptional(p, "DOCNUM", row.Text(Col::DNomber));
  AppendOptional(p, "SNILS", row.Trimmed(Col::Snils));
  AppendAlways(p, "OKATOG", row.Trimmed(Col::Okatog));
  // The address code exists from the February report of 2016 on; the
  // year is compared as the text typed.
  if (c.In.YearText >= QLatin1String("2016") && c.In.MonthIndex != 0) {
    QString address;
    for (const Col part : {Col::KlReg, Col::KlRay, Col::KlG, Col::KlPunkt, Col::KlStreet}) {
      const QString text = row.Trimmed(part);
      if (text.isEmpty()) break;
      address += text;
    }
    AppendAlways(p, "KLADRG", address);
  }
  AppendOptional(p, "OKATOP", row.Trimmed(Col::Okatop));
  return pers;
}

XmlElement BuildZap(const CaseRow& row, int nZap, const QString& key, const CaseInsurer& insurer,
                    const CaseElementContext& c, xmlNode*& zsl, CaseSums& sums) {
  XmlElement zap = NewXmlElement(xml_tag::ZAP);
  xmlNode* z = zap.get();
  AppendAlways(z, "N_ZAP", Num(nZap));
  AppendAlways(z, "PR_NOV", row.Text(Col::PrNov));

  xmlNode* p = AppendAlways(z, xml_tag::PACIENT);
  AppendAlways(p, "ID_PAC", key);
  AppendAlways(p, "VPOLIS", row.Text(Col::Vpolis));
  AppendAlways(p, "SPOLIS", row.Trimmed(Col::Seria));
  AppendAlways(p, "NPOLIS", row.Trimmed(Col::Number));
  AppendAlways(p, "ST_OKATO", insurer.Okato);
  AppendAlways(p, "SMO", insurer.Code);
  AppendAlways(p, "SMO_OGRN", insurer.Ogrn);
  AppendAlways(p, "SMO_OK", insurer.Okato);
  AppendOptional(p, "MCOD", row.Trimmed(Col::Mcod));
  AppendOptional(p, "PR_DATE_1", XmlDateText(row[Col::PrikStart]));
  AppendOptional(p, "PR_DATE_2", XmlDateText(row[Col::PrikFinish]));
  // A newborn of the first quarter keeps its stored mark, even an empty one.
  const QString novor = row.Text(Col::Novor);
  const bool newbornOfQuarter = row.Int(Col::Vozrastm) == 0 && c.In.MonthIndex < 3;
  AppendAlways(p, "NOVOR", newbornOfQuarter || !novor.isEmpty() ? novor : QStringLiteral("0"));
  if (Given(row[Col::VnovD])) AppendAlways(p, "VNOV_D", row.Text(Col::VnovD));

  zsl = AppendAlways(z, xml_tag::Z_SL);
  xmlNode* s = zsl;
  const bool fromDbf = c.Source == RegistrySourceKind::XmlFromDbf;
  AppendAlways(s, "IDCASE", row.Text(Col::Idcase));
  AppendAlways(s, "USL_OK", CareConditions(row));
  switch (row.Int(Col::RepOplat)) {
    case 1: {
      const int tip = row.Int(Col::TipStac);
      AppendAlways(s, "VIDPOM", tip == 2 || tip == 3 ? QStringLiteral("13") : QStringLiteral("31"));
      break;
    }
    case 6:
      AppendAlways(s, "VIDPOM", QStringLiteral("32"));
      break;
    case 7:
      AppendAlways(s, "VIDPOM", QStringLiteral("5"));
      break;
    default:
      break;
  }
  if (fromDbf) AppendOptional(s, "DZ", XmlDateText(row[Col::Dz]));
  AppendAlways(s, "FOR_POM", CareForm(row));
  AppendOptional(s, "NPR_MO", row.Text(Col::Napravlen));
  AppendOptional(s, "NPR_DATE", XmlDateText(row[Col::NaprDate]));
  AppendAlways(s, "EXTR", row.Int(Col::Extren) == 1 ? QStringLiteral("2") : kTrue);
  AppendAlways(s, "LPU", row.Text(Col::LpuMcod));
  AppendAlways(s, "PODR", row.Text(Col::SPodr));
  AppendAlways(s, "DET", ChildMark(row));
  AppendOptional(s, "TAL_D", XmlDateText(row[Col::TalD]));
  AppendOptional(s, "TAL_NUM", row.Trimmed(Col::TalNum));
  AppendOptional(s, "TAL_P", XmlDateText(row[Col::TalP]));
  AppendAlways(s, "NHISTORY", row.Trimmed(Col::Nomib));
  AppendAlways(s, "P_PER", row.Trimmed(Col::PPer));
  AppendAlways(s, "DATE_Z_1", XmlDateText(row[Col::InStac]));
  AppendAlways(s, "DATE_Z_2", XmlDateText(row[Col::OutStac]));
  AppendOptional(s, "DS0", row.Trimmed(Col::NaprDiag));
  AppendAlways(s, "DS1", row.Trimmed(Col::StacDiags));
  AppendDiagnoses(s, c.Details, row.Int(Col::Sid), 13, 12, false);
  if (Given(row[Col::VnovM])) AppendAlways(s, "VNOV_M", row.Text(Col::VnovM));
  if (!row[Col::SpravDate].isNull())
    AppendAlways(s, "REF_COST_DATE", XmlDateText(row[Col::SpravDate]));
  if (const QString mes = row.Trimmed(Col::KodMess); !mes.isEmpty())
    AppendAlways(s, "CODE_MES1", mes);
  AppendAlways(s, "RSLT", row.Trimmed(Col::SRslt));
  AppendAlways(s, "ISHOD", row.Trimmed(Col::SIshod));
  AppendAlways(s, "PRVS", row.Trimmed(Col::Prvs));
  AppendAlways(s, "VERS_SPEC", row.Text(Col::VersSpec));
  AppendAlways(s, "IDDOKT", row.Trimmed(Col::Iddokt));
  AppendOptional(s, "IDSP", PaymentUnit(row));
  AppendAlways(s, "ED_KOL", QStringLiteral("1.00"));
  AppendOptional(s, "DISE_TIME", row.Text(Col::DiseTime));
  sums.SumM = AppendAlways(s, "SUM_M");
  return zap;
}

void AppendCaseTail(xmlNode* zsl, const CaseRow& row, const CaseElementContext& c) {
  if (c.Source == RegistrySourceKind::XmlFromDbf)
    AppendOptional(zsl, "DOPFOND", row.Text(Col::Dopfond));
}

xmlNode* AppendSl(xmlNode* zap, const CaseRow& row, const CaseElementContext& c, SheetSums& sums) {
  xmlNode* sl = AppendAlways(zap, xml_tag::SL);
  const bool highTech = row.Int(Col::Oplat) == 6;
  AppendAlways(sl, "IDCASE", row.Text(Col::Idcase));
  AppendAlways(sl, "SL_ID", row.Text(Col::NomMtl));
  AppendAlways(sl, "USL_OK", CareConditions(row));
  AppendAlways(sl, "REAB", row.Int(Col::Oplat) == 7 ? kTrue : QStringLiteral("0"));
  AppendAlways(sl, "FOR_POM", CareForm(row));
  if (highTech) {
    AppendOptional(sl, "VID_HMP", row.Text(Col::VmpKod));
    AppendOptional(sl, "METOD_HMP", row.Text(Col::VmpMet));
  }
  AppendAlways(sl, "EXTR", Num(row.Int(Col::Extren) + 1));
  AppendAlways(sl, "LPU", row.Text(Col::LpuMcod));
  AppendAlways(sl, "PODR", row.Text(Col::Podr));
  const QString profile = row.Text(Col::PrFed);
  AppendAlways(sl, "PROFIL", !profile.isEmpty() || !c.BedProfile ? profile : c.BedProfile(row));
  AppendAlways(sl, "PROFIL_K", row.Text(Col::ProfilBed));
  AppendAlways(sl, "DET", ChildMark(row));
  AppendAlways(sl, "NHISTORY", row.Trimmed(Col::Nomib));
  AppendAlways(sl, "DATE_1", XmlDateText(row[Col::Startd]));
  AppendAlways(sl, "DATE_2", XmlDateText(row[Col::Finish]));
  AppendAlways(sl, "DS1", row.Trimmed(Col::StacDiag));
  const int mid = row.Int(Col::Mid);
  AppendDiagnoses(sl, c.Details, mid, 23, 22, true);
  const qint64 sheet = DetailKey(row.Int(Col::Sid), row.Int(Col::NomMtl));
  for (const DetailRow& r : RowsOf(c.Details.Referrals, sheet)) {
    // napr_mo, dir_type, method, uslug_to, date_dir
    xmlNode* napr = AppendAlways(sl, xml_tag::NAPR);
    AppendOptional(napr, "NAPR_DATE", XmlDateText(r[4]));
    AppendOptional(napr, "NAPR_MO", Trim(r[0]));
    AppendOptional(napr, "NAPR_V", Trim(r[1]));
    AppendOptional(napr, "MET_ISSL", Trim(r[2]));
    AppendOptional(napr, "NAPR_USL", Trim(r[3]));
  }
  for (const DetailRow& r : RowsOf(c.Details.Consultations, sheet)) {
    xmlNode* cons = AppendAlways(sl, xml_tag::CONS);
    AppendAlways(cons, "PR_CONS", ColumnText(r[0]));
    AppendOptional(cons, "DT_CONS", XmlDateText(r[1]));
  }
  AppendOptional(sl, "DS_ONK", row.Text(Col::DsOnk));
  if (!row[Col::IdOnco].isNull()) AppendOncology(sl, row, c.Details);
  AppendAlways(sl, "CODE_MES1", row.Trimmed(Col::KodMes));
  AppendKsg(sl, row, c);
  AppendAlways(sl, "QUALITY_MES1", row.Trimmed(Col::KashMes));
  AppendOptional(sl, "MES_IT", row.Text(Col::KodMesIt));
  AppendOptional(sl, "DS_IT", row.Text(Col::Dreanim));
  AppendOptional(sl, "KD_IT", row.Text(Col::Intensiv));
  AppendAlways(sl, "TELEMED", row.Text(Col::Telemed));
  AppendAlways(sl, "RSLT", row.Trimmed(Col::Rslt));
  AppendAlways(sl, "ISHOD", row.Trimmed(Col::Ishod));
  AppendAlways(sl, "CURATION", row.Text(Col::Kuracia));
  AppendAlways(sl, "PRVS", row.Trimmed(Col::Prvs));
  AppendAlways(sl, "VERS_SPEC", row.Text(Col::VersSpec));
  const bool fromPackage = c.Source == RegistrySourceKind::XmlPackage;
  AppendAlways(sl, "IDDOKT", fromPackage ? row.Trimmed(Col::Iddokt) : QStringLiteral("0"));
  if (!fromPackage) AppendAlways(sl, "VR_FIO", row.Trimmed(Col::VrFio));
  AppendOptional(sl, "IDSP", PaymentUnit(row));
  AppendAlways(sl, "ED_KOL", QStringLiteral("1.00"));
  AppendOptional(sl, "STAN_OBSL", row.Text(Col::StanObsl));
  AppendOptional(sl, "STAN_LECEN", row.Text(Col::StanLecen));
  if (row.Int(Col::AppKd) > 0) AppendOptional(sl, "SOVM_P", row.Text(Col::AppKd));
  AppendOptional(sl, "C_ZAB", row.Text(Col::CZab));
  sums.SumM = AppendAlways(sl, "SUM_M");
  sums.SumvOne = AppendAlways(sl, "SUMV_ONE");
  if (row.Int(Col::OplatRmis) != 0) AppendAlways(sl, "FUNDING", row.Text(Col::OplatRmis));
  sums.Sump = c.In.FormingForPayer ? AppendAlways(sl, "SUMP") : nullptr;
  return sl;
}

void AppendDrugs(xmlNode* parent, const CaseRow& row, const CaseElementContext& c) {
  for (const DetailRow& r : RowsOf(c.Details.Drugs, row.Int(Col::Mid))) {
    // mnn, tnn, forma, doz_ed, doz_val, kol_ed, kol_val, dbeg, dend
    xmlNode* lek = AppendAlways(parent, xml_tag::LEKAR);
    AppendAlways(lek, "MNN", ColumnText(r[0]));
    AppendAlways(lek, "TNN", ColumnText(r[1]));
    AppendAlways(lek, "FORMA", ColumnText(r[2]));
    xmlNode* doz = AppendAlways(lek, "DOZ");
    AppendAlways(doz, "ED", ColumnText(r[3]));
    AppendAlways(doz, "VALUE", ColumnText(r[4]));
    xmlNode* kol = AppendAlways(lek, "KOL");
    AppendAlways(kol, "ED", ColumnText(r[5]));
    AppendAlways(kol, "VALUE", ColumnText(r[6]));
    AppendAlways(lek, "DATE_1", XmlDateText(r[7]));
    AppendAlways(lek, "DATE_2", XmlDateText(r[8]));
  }
}

namespace {

// The values of one USL; the operation and the sheet service differ in
// their sources only (and the operation's VID_VME and CODE_ANEST).
struct ServiceValues {
  QString Day;
  QString VidVme;
  QString Diagnosis;
  QString Code;
  QString Anaesthesia;
  QString Count;
  QString Tariff;
  QString Sum;
  QString SumOneChannel;
  QString Speciality;
  QString Doctor;
};

void AppendUsl(xmlNode* parent, const CaseRow& row, int idserv, const ServiceValues& v,
               bool operation) {
  xmlNode* u = AppendAlways(parent, xml_tag::USL);
  AppendAlways(u, "IDSERV", Num(idserv));
  AppendAlways(u, "LPU", row.Trimmed(Col::LpuMcod));
  AppendAlways(u, "PODR", row.Text(Col::Podr));
  AppendAlways(u, "PROFIL", row.Text(Col::PrFed));
  if (operation) AppendOptional(u, "VID_VME", v.VidVme);
  AppendAlways(u, "DET", ChildMark(row));
  AppendAlways(u, "DATE_IN", v.Day);
  AppendAlways(u, "DATE_OUT", v.Day);
  AppendAlways(u, "DS", v.Diagnosis);
  AppendAlways(u, "CODE_USL", v.Code);
  if (!v.Anaesthesia.isEmpty()) AppendAlways(u, "CODE_ANEST", v.Anaesthesia);
  AppendAlways(u, "KOL_USL", v.Count);
  AppendAlways(u, "TARIF", v.Tariff);
  AppendAlways(u, "SUMV_USL", v.Sum);
  AppendAlways(u, "SUMV_USL_ONE", v.SumOneChannel);
  AppendAlways(u, "PRVS", v.Speciality);
  AppendAlways(u, "CODE_MD", v.Doctor);
  AppendAlways(u, "NPL", row.Trimmed(Col::Npl));
}

}  // namespace

void AppendOperationUsl(xmlNode* parent, const CaseRow& row, int idserv) {
  const QString cost = MoneyStr(row.Amount(Col::UslCost));
  AppendUsl(
      parent, row, idserv,
      {XmlDateText(row[Col::DateOper]), row.Trimmed(Col::VidVme), row.Trimmed(Col::DiagUsl),
       row.Trimmed(Col::OUslug), Given(row[Col::Anaesthes]) ? row.Text(Col::Anaesthes) : QString(),
       MoneyStr(row.Amount(Col::Multi)), cost, cost, QStringLiteral("0.00"),
       row.Trimmed(Col::OPrvs), row.Trimmed(Col::OIddokt)},
      true);
}

void AppendSheetServiceUsl(xmlNode* parent, const CaseRow& row, int idserv) {
  AppendUsl(
      parent, row, idserv,
      {XmlDateText(row[Col::Dokaz]), QString(), row.Trimmed(Col::StacDiag), row.Trimmed(Col::Uslug),
       QString(), MoneyStr(row.Amount(Col::Kolvo)), QStringLiteral("0.00"),
       MoneyStr(row.Amount(Col::Ocncost)), MoneyStr(row.Amount(Col::OnechCost)),
       row.Trimmed(Col::Prvs), row.Trimmed(Col::Iddokt)},
      false);
}

}  // namespace kelmo
