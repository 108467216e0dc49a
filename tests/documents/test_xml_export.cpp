// The XML export: a registry loaded from a package built by code, given its
// costs, is exported for one insurer; the documents are checked as the
// exchange reads them, and loaded back by the XML loader into a fresh
// database, where the cases, sheets, diagnoses, operations, drugs, oncology
// rows and sums must come back equal.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "../reception/registry_fixture.h"
#include "documents/xml_export.h"
#include "documents/xml_export_cases.h"
#include "documents/xml_export_documents.h"
#include "firebird/fb_statement.h"
#include "recording_run_user.h"
#include "xml_package_builder.h"
#include "xml_package_lists.h"
#include "xmlload/xml_package_loader.h"
#include "xmlload/xml_tree.h"

namespace kelmo {
namespace {

using test::XCase;
using test::XPerson;
using test::XSheet;

const QString kPackage = QStringLiteral("HS45001M450001_2403001");
const QString kOnco = QStringLiteral("CS45001M450001_2403001");

// A registry database loaded from a package of the test's own.
struct Registry {
  explicit Registry(const QString& folder) : tr(reg.Db()), folder(folder) {
    reg.Exec("delete from ishod_fed");
    reg.Exec("delete from result_fed");
    reg.Exec("insert into ishod_fed (idiz, old_id, datebeg) values (101, 7, '01.01.2020')");
    reg.Exec("insert into result_fed (idrmp, old_result, datebeg) values (101, 3, '01.01.2020')");
    reg.Exec(
        "update or insert into lpu_mcod (lpu_id, mcod) values (1, '450001') matching (lpu_id)");
    lists = test::OnePackageLists(kPackage);
    rFile& f = lists.SenderList[0].Adresats[0].Files[0];
    f.LcName = "LC" + kPackage.mid(1);
    f.CName = kOnco;
  }
  QString PackageFolder() const { return folder + "/temp/" + kPackage + ".zip"; }
  int Load() {
    const XmlLoadInputs in = test::MarchLoadInputs(folder);
    XmlLoadServices sv{reg.Db(), tr, user, lists, state, run, {}, {}};
    const int repn = LoadXmlPackage(in, sv, -1);
    for (const XmlLoadError& e : state.XmlLoadErrors) ADD_FAILURE() << e.Text.toStdString();
    return repn;
  }
  // The rows of a statement, each as its values joined by "|".
  QStringList Rows(const QString& sql) {
    FbStatement s(reg.Db(), &tr);
    s.Prepare(sql);
    QStringList rows;
    s.ExecRows([&rows](const QSqlQuery& q) {
      QStringList values;
      for (int i = 0; i < q.record().count(); ++i) values << ColumnText(q.value(i));
      rows << values.join('|');
    });
    return rows;
  }
  XmlExportResult Export(XmlExportInputs in) {
    in.RegistryFolder = folder;
    XmlExportServices sv{reg.Db(), tr, user, lists, acts};
    return WriteXmlExport(in, sv);
  }

  test::RegistryFixture reg;
  FbTransaction tr;
  QString folder;
  PackageLists lists;
  ReceptionState state;
  RunState run;
  test::RecordingRunUser user;
  std::function<QList<ActsSanction>(int, const QDate&, int)> acts;
};

// The elements of a document as the loader's reader gives them.
std::vector<XmlNode> Elements(const QString& path, std::initializer_list<const char*> names) {
  std::vector<XmlNode> nodes;
  StreamXmlFile(path, names, [&nodes](XmlNode&& n) { nodes.push_back(std::move(n)); });
  return nodes;
}

QStringList ChildNames(const XmlNode& node) {
  QStringList names;
  for (const XmlNode& c : node.Children) names << c.Name;
  return names;
}

QString TextOf(const XmlNode& node, const char* name) {
  const XmlNode* c = node.First(name);
  return c == nullptr ? QStringLiteral("<absent>") : c->FullText();
}

class XmlExport : public ::testing::Test {
 protected:
  XmlExport() : src(dir.filePath("src")) {
    QDir().mkpath(src.PackageFolder());
    XPerson p1;
    p1.fam = "Петров-водкин";
    p1.extra = "<SNILS>123-456-789 01</SNILS><OKATOG>37401</OKATOG><KLADRG>45000001000</KLADRG>";
    XPerson p2;
    p2.idPac = "P2";
    p2.fam = "Сидорова";
    p2.w = 2;
    XPerson p3;
    p3.idPac = "P3";
    XCase c1;
    c1.zslExtra = "<NPR_MO>450002</NPR_MO><NPR_DATE>2024-02-28</NPR_DATE><TAL_NUM>T-1</TAL_NUM>";
    XSheet s1;
    s1.extra =
        "<RSLT>101</RSLT><ISHOD>101</ISHOD><EXTR>2</EXTR><PRVS>76</PRVS>"
        "<KSG_KPG><CRIT>it 1</CRIT><CRIT>it2</CRIT></KSG_KPG>"
        "<DS2><CODE_DS>I11</CODE_DS><CODE_MES>m1</CODE_MES></DS2><DS3>K20</DS3>"
        "<MES_IT>5</MES_IT><DS_IT>I21</DS_IT>"
        "<LEKAR><MNN>10</MNN><DOZ><ED>3</ED><VALUE>2.5</VALUE></DOZ><KOL><ED>1</ED>"
        "<VALUE>4</VALUE></KOL><DATE_1>2024-03-02</DATE_1><DATE_2>2024-03-05</DATE_2></LEKAR>"
        "<USL><CODE_USL>A16.01</CODE_USL><DS>I10</DS><KOL_USL>1.5</KOL_USL>"
        "<DATE_IN>2024-03-04</DATE_IN><CODE_MD>77</CODE_MD><NPL>2</NPL></USL>"
        "<USL><CODE_USL>A16.02</CODE_USL><VID_VME>A16.02.1</VID_VME><DS>I11</DS>"
        "<KOL_USL>1</KOL_USL><DATE_IN>2024-03-05</DATE_IN><PRVS>7</PRVS></USL>";
    XSheet s2;
    s2.slId = "2";
    s2.date1 = "2024-03-05";
    s2.ds1 = "I20";
    s2.sumM = "500.25";
    c1.sheets = {s1, s2};
    XCase c2;
    c2.idPac = "P2";
    c2.idcase = 2;
    c2.nhistory = "102";
    XCase other;
    other.idPac = "P3";
    other.idcase = 3;
    other.nhistory = "103";
    other.smo = "45002";
    test::WriteBytes(src.PackageFolder() + "/L" + kPackage.mid(1) + ".xml",
                     test::PersonFileBytes(kPackage, {p1, p2, p3}));
    test::WriteBytes(src.PackageFolder() + "/" + kPackage + ".xml",
                     test::MainFileBytes({c1, c2, other}));
    XPerson p4;
    p4.idPac = "P4";
    p4.fam = "Онкова";
    XCase onco;
    onco.idPac = "P4";
    onco.idcase = 4;
    onco.nhistory = "104";
    XSheet so;
    so.ds1 = "C50.1";
    so.extra =
        "<CONS><PR_CONS>1</PR_CONS><DT_CONS>2024-03-02</DT_CONS></CONS>"
        "<NAPR><NAPR_DATE>2024-03-03</NAPR_DATE><NAPR_V>3</NAPR_V><NAPR_USL>A06</NAPR_USL></NAPR>"
        "<ONK_SL><DS1_T>1</DS1_T><STAD>5</STAD><SOD>2.5</SOD>"
        "<B_DIAG><DIAG_DATE>2024-03-01</DIAG_DATE><DIAG_TIP>1</DIAG_TIP><DIAG_CODE>4</DIAG_CODE>"
        "</B_DIAG><B_DIAG><DIAG_DATE>2024-03-01</DIAG_DATE><DIAG_TIP>2</DIAG_TIP><DIAG_CODE>7"
        "</DIAG_CODE><DIAG_RSLT>8</DIAG_RSLT></B_DIAG>"
        "<B_PROT><PROT>1</PROT><D_PROT>2024-03-02</D_PROT></B_PROT>"
        "<ONK_USL><USL_TIP>2</USL_TIP><LEK_PR><REGNUM>R1</REGNUM><CODE_SH>S1</CODE_SH>"
        "<DATE_INJ>2024-03-02</DATE_INJ><DATE_INJ>2024-03-03</DATE_INJ></LEK_PR>"
        "<LEK_PR><REGNUM>R2</REGNUM><CODE_SH>S1</CODE_SH><DATE_INJ>2024-03-04</DATE_INJ></LEK_PR>"
        "</ONK_USL></ONK_SL><DS_ONK>1</DS_ONK>";
    onco.sheets = {so};
    test::WriteBytes(src.PackageFolder() + "/LC" + kPackage.mid(1) + ".xml",
                     test::PersonFileBytes(kOnco, {p4}));
    test::WriteBytes(src.PackageFolder() + "/" + kOnco + ".xml", test::MainFileBytes({onco}));
    repn = src.Load();
    // The cost phase's results, which the export writes as the sums.
    src.reg.Exec("update mtl set ocncost = cost_sf + 100, onech_cost = 10.5, kdoms = nom_mtl + 8");
    src.reg.Exec(
        "update stacion set sprav_date = '05.03.2024', tal_d = '01.02.2024', tal_p = "
        "'03.02.2024'");
    in.XmlPackageMode = true;
    in.InsurerCode = 2778;
    in.ExportLabel = "2778";
    in.Reports = {repn};
    in.YearText = "2024";
    in.MonthIndex = 2;
    in.ExprVer = "3.1/7";
    in.Today = QDate(2024, 4, 5);
  }

  QTemporaryDir dir;
  Registry src;
  int repn = 0;
  XmlExportInputs in;
};

// What the round trip compares, per table: the same statement on both
// databases (the source holds the other insurer's case too).
const char* kCompared[] = {
    "select s.idcase, s.family, s.name, s.father, s.pol, s.dr, s.d_seria, s.d_nomber, s.nomib, "
    "s.polis, s.pol_obl, s.in_stac, s.out_stac, s.stac_diags, s.vpolis, s.seria, s.number, "
    "s.snils, s.okatog, s.kl_reg, s.kl_ray, s.kl_g, s.kl_punkt, s.kl_street, s.rslt, s.ishod, "
    "s.onco_sluch, s.napravlen, s.napr_date, s.tal_d, s.tal_p, s.tal_num, s.sprav_date, s.mtlcnt "
    "from stacion s where s.polis='2778' order by s.idcase",
    "select s.idcase, m.nom_mtl, m.stac_diag, m.kod_mes, m.accomp1, m.mes_acc1, m.comp1, m.rslt, "
    "m.ishod, m.extren, m.prvs, m.iddokt, m.criteries, m.profil_bed, m.pr_fed, m.startd, "
    "m.finish, m.kod_mes_it, m.dreanim, m.ds_onk, m.oplat, m.kash_mes from mtl m join stacion s on "
    "s.id_ill=m.id_ill where s.polis='2778' order by 1, 2",
    "select s.idcase, m.nom_mtl, d.status, d.diag, d.mes from diags d join mtl m on "
    "m.id=d.mtl_id join stacion s on s.id_ill=m.id_ill where s.polis='2778' order by 1, 2, 3, 4",
    "select s.idcase, o.nom_mtl, o.uslug, o.vid_vme, o.diag_usl, o.multi, o.date_oper, o.iddokt, "
    "o.prvs, o.npl, o.anaesthes from operat o join stacion s on s.id_ill=o.id_ill where "
    "s.polis='2778' order by 1, 2, 3",
    "select s.idcase, l.mnn, l.tnn, l.forma, l.doz_ed, l.doz_val, l.kol_ed, l.kol_val, l.dbeg, "
    "l.dend from lekar l join mtl m on m.id=l.mtl_id join stacion s on s.id_ill=m.id_ill order by "
    "1",
    "select s.idcase, c.nom_mtl, c.pr_cons, c.dt_cons from consilium c join stacion s on "
    "s.id_ill=c.id_ill order by 1, 2",
    "select s.idcase, d.nom_mtl, d.dir_type, d.method, d.uslug_to, d.date_dir from onco_direct d "
    "join stacion s on s.id_ill=d.id_ill order by 1, 2",
    "select s.idcase, o.nom_mtl, o.id_cause, o.id_stage, o.id_tumor, o.dose, o.weight, o.height "
    "from oncology o join stacion s on s.id_ill=o.id_ill order by 1, 2",
    "select s.idcase, g.diag_type, g.id_g_s, g.id_g_t, g.id_mark, g.id_m_r, g.diag_date from "
    "onco_diagnostic g join oncology o on o.id_onco=g.id_onco join stacion s on "
    "s.id_ill=o.id_ill order by 1, 2",
    "select s.idcase, d.id_dec, d.date_dec from onco_decline d join oncology o on "
    "o.id_onco=d.id_onco join stacion s on s.id_ill=o.id_ill order by 1",
    "select s.idcase, u.id_u_type, md.code_drug, md.code_schem, md.date_inj from onco_medicals "
    "md join onco_uslug u on u.id_onc_usl=md.id_onc_usl join oncology o on o.id_onco=u.id_onco "
    "join stacion s on s.id_ill=o.id_ill order by 1, 3, 4, 5",
};

TEST_F(XmlExport, RegistryComesBackEqualThroughTheLoader) {
  const XmlExportResult r = src.Export(in);
  ASSERT_TRUE(r.Written) << src.user.messages.join('\n').toStdString();
  EXPECT_EQ(r.Cases, 3);
  const QString folder = dir.filePath("src/temp/2778");
  EXPECT_EQ(r.Folder, folder);
  EXPECT_EQ(r.PackagePath, folder + "/" + kPackage + ".zip");
  EXPECT_EQ(
      r.Documents,
      (QStringList{folder + "/L" + kPackage.mid(1) + ".xml", folder + "/" + kPackage + ".xml",
                   folder + "/LC" + kPackage.mid(1) + ".xml", folder + "/" + kOnco + ".xml"}));
  // The received package's documents are gone, its folder with them.
  EXPECT_FALSE(QDir(src.PackageFolder()).exists());

  // A fresh database loads the export as a package of the same names.
  Registry dst(dir.filePath("dst"));
  QDir().mkpath(dst.PackageFolder());
  for (const QString& path : r.Documents)
    ASSERT_TRUE(QFile::copy(path, dst.PackageFolder() + "/" + QFileInfo(path).fileName()));
  dst.Load();
  for (const char* sql : kCompared) {
    const QStringList before = src.Rows(sql);
    EXPECT_FALSE(before.isEmpty()) << sql;
    EXPECT_EQ(dst.Rows(sql), before) << sql;
  }
  // The sums: what the export wrote as a sheet's SUM_M is its cost.
  EXPECT_EQ(dst.Rows("select s.idcase, m.nom_mtl, m.cost_sf from mtl m join stacion s on "
                     "s.id_ill=m.id_ill order by 1, 2"),
            src.Rows("select s.idcase, m.nom_mtl, m.ocncost from mtl m join stacion s on "
                     "s.id_ill=m.id_ill where s.polis='2778' order by 1, 2"));
}

TEST_F(XmlExport, DocumentsAreDeclaredEncodedAndOrdered) {
  const XmlExportResult r = src.Export(in);
  ASSERT_TRUE(r.Written);
  QFile main(r.Documents[1]);
  ASSERT_TRUE(main.open(QIODevice::ReadOnly));
  const QByteArray bytes = main.readAll();
  EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<ZL_LIST>"));
  // A type without bed days keeps its place as an empty element.
  EXPECT_TRUE(bytes.contains("<KOL_KD TS=\"1\">37</KOL_KD><KOL_KD/><KOL_KD/><KOL_KD/>"));
  QFile persons(r.Documents[0]);
  ASSERT_TRUE(persons.open(QIODevice::ReadOnly));
  EXPECT_TRUE(persons.readAll().contains(test::Cp1251("<FAM>Петров-Водкин</FAM>")));

  const std::vector<XmlNode> heads = Elements(r.Documents[1], {"ZGLV", "SCHET"});
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_EQ(ChildNames(heads[0]).join(','), "VERSION,DATA,FILENAME,EXPR_VER");
  EXPECT_EQ(TextOf(heads[0], "DATA"), "2024-04-05");
  EXPECT_EQ(ChildNames(heads[1]).join(','),
            "CODE,CODE_MO,YEAR,MONTH,NSCHET,DSCHET,SUMMAV,KOL_KD,KOL_KD,KOL_KD,KOL_KD");
  EXPECT_EQ(TextOf(heads[1], "MONTH"), "3");
  EXPECT_EQ(TextOf(heads[1], "DSCHET"), "2024-04-02");
  // Both pairs carry the totals of all cases of the population: 15000.50 +
  // 500.25 + 15000.50 + 15000.50 plus 100 a sheet.
  EXPECT_EQ(TextOf(heads[1], "SUMMAV"), "45901.75");
  EXPECT_EQ(TextOf(heads[1], "KOL_KD"), "37");
  const std::vector<XmlNode> oncoHeads = Elements(r.Documents[3], {"SCHET"});
  EXPECT_EQ(TextOf(oncoHeads.at(0), "SUMMAV"), "45901.75");

  const std::vector<XmlNode> zaps = Elements(r.Documents[1], {"ZAP"});
  ASSERT_EQ(zaps.size(), 2u);
  EXPECT_EQ(ChildNames(zaps[0]).join(','), "N_ZAP,PR_NOV,PACIENT,Z_SL,SL,SL");
  EXPECT_EQ(ChildNames(*zaps[0].First("PACIENT")).join(','),
            "ID_PAC,VPOLIS,SPOLIS,NPOLIS,ST_OKATO,SMO,SMO_OGRN,SMO_OK,NOVOR");
  const XmlNode& zsl = *zaps[0].First("Z_SL");
  EXPECT_EQ(ChildNames(zsl).join(','),
            "IDCASE,USL_OK,VIDPOM,FOR_POM,NPR_MO,NPR_DATE,EXTR,LPU,PODR,DET,TAL_D,TAL_NUM,TAL_P,"
            "NHISTORY,P_PER,DATE_Z_1,DATE_Z_2,DS1,REF_COST_DATE,RSLT,ISHOD,PRVS,"
            "VERS_SPEC,IDDOKT,IDSP,ED_KOL,SUM_M");
  // Every date as YYYY-MM-DD, the database's own dates included.
  EXPECT_EQ(TextOf(zsl, "TAL_D"), "2024-02-01");
  EXPECT_EQ(TextOf(zsl, "TAL_P"), "2024-02-03");
  EXPECT_EQ(TextOf(zsl, "REF_COST_DATE"), "2024-03-05");
  EXPECT_EQ(TextOf(zsl, "DATE_Z_1"), "2024-03-01");
  EXPECT_EQ(TextOf(zsl, "SUM_M"), "15700.75");
  const XmlNode& sl = *zaps[0].First("SL");
  EXPECT_EQ(TextOf(sl, "DATE_2"), "2024-03-10");
  EXPECT_EQ(TextOf(sl, "SUM_M"), "15100.50");
  EXPECT_EQ(TextOf(sl, "SUMV_ONE"), "10.50");
  EXPECT_FALSE(sl.Has("SUMP"));
  // Criteria are split at ";" only: a blank belongs to the item.
  QStringList crit;
  for (const XmlNode* c : sl.First("KSG_KPG")->All("CRIT")) crit << c->FullText();
  EXPECT_EQ(crit, (QStringList{"it 1", "it2"}));
  EXPECT_EQ(ChildNames(*sl.First("KSG_KPG")).join(','),
            "N_KSG,VER_KSG,KOEF_Z,KOEF_UP,BZTSZ,KOEF_D,KOEF_U,CRIT,CRIT,SL_K,IT_SL,SL_KOEF");
  QStringList idserv;
  for (const XmlNode& z : zaps)
    for (const XmlNode* s : z.All("SL"))
      for (const XmlNode* u : s->All("USL")) idserv << u->First("IDSERV")->FullText();
  EXPECT_EQ(idserv, (QStringList{"1", "2"}));

  // N_ZAP restarts in the oncology pair.
  const std::vector<XmlNode> onco = Elements(r.Documents[3], {"ZAP"});
  ASSERT_EQ(onco.size(), 1u);
  EXPECT_EQ(TextOf(onco[0], "N_ZAP"), "1");
  const XmlNode& onk = *onco[0].First("SL")->First("ONK_SL");
  EXPECT_EQ(ChildNames(onk).join(','), "DS1_T,STAD,SOD,B_DIAG,B_DIAG,B_PROT,ONK_USL");
  // One LEK_PR per drug and scheme, with all its injection dates.
  const std::vector<const XmlNode*> drugs = onk.First("ONK_USL")->All("LEK_PR");
  ASSERT_EQ(drugs.size(), 2u);
  EXPECT_EQ(drugs[0]->All("DATE_INJ").size(), 2u);
}

TEST_F(XmlExport, ReportsAreMarkedUploadedOnlyByThePackageStep) {
  const XmlExportResult r = src.Export(in);
  ASSERT_TRUE(r.Written);
  EXPECT_EQ(r.ReportsToMark, QList<int>{repn});
  EXPECT_EQ(src.Rows("select uploaded from reports"), QStringList{"0"});
  MarkReportsUploaded(src.reg.Db(), src.tr, r.ReportsToMark);
  EXPECT_EQ(src.Rows("select uploaded from reports"), QStringList{"1"});

  // A case whose person key is not in the archive ends the export: nothing
  // to mark, and no half-written document under a final name.
  src.lists.XmlPatients.removeLast();
  src.reg.Exec("update reports set uploaded=0");
  in.ExportLabel = "again";
  const XmlExportResult stopped = src.Export(in);
  EXPECT_FALSE(stopped.Written);
  EXPECT_TRUE(stopped.ReportsToMark.isEmpty());
  EXPECT_TRUE(src.user.messages.last().startsWith("Запись не найдена в архиве: "));
  const QStringList left = QDir(dir.filePath("src/temp/again")).entryList(QDir::Files);
  EXPECT_EQ(left, (QStringList{kPackage + ".xml", "L" + kPackage.mid(1) + ".xml"}));

  // A folder that cannot be written: the error names the file.
  QFile blocked(dir.filePath("src/temp/blocked"));
  ASSERT_TRUE(blocked.open(QIODevice::WriteOnly));
  blocked.close();
  in.ExportLabel = "blocked";
  try {
    src.Export(in);
    ADD_FAILURE() << "no error";
  } catch (const XmlExportError& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).contains("blocked/L" + kPackage.mid(1) + ".xml"))
        << e.what();
  }
}

TEST_F(XmlExport, PayerFormingWritesSanctionsAndAcceptedSums) {
  in.FormingForPayer = true;
  in.ActsEnabled = true;
  src.reg.Exec("update stacion set sum_mek = 0");
  src.acts = [](int, const QDate& dend, int) {
    EXPECT_EQ(dend, QDate(2024, 3, 31));
    ActsSanction a;
    a.Code = " a1 ";
    a.Sum = Money::FromUnits(15000);
    a.Reason = "51";
    a.Source = "1";
    ActsSanction b = a;
    b.Code = "a2";
    b.Sum = Money::FromRoubles(100);
    return QList<ActsSanction>{a, b};
  };
  const XmlExportResult r = src.Export(in);
  ASSERT_TRUE(r.Written);
  const std::vector<XmlNode> zaps = Elements(r.Documents[1], {"ZAP"});
  const XmlNode& zsl = *zaps.at(0).First("Z_SL");
  // The person key of a payer's export is the case id.
  EXPECT_NE(TextOf(*zaps[0].First("PACIENT"), "ID_PAC"), "P1");
  const QStringList names = ChildNames(zsl);
  EXPECT_EQ(names.mid(names.indexOf("SUM_M")).join(','), "SUM_M,OPLATA,SUMP,SANK_IT,SANK,SANK");
  EXPECT_EQ(TextOf(zsl, "OPLATA"), "2");
  EXPECT_EQ(TextOf(zsl, "SANK_IT"), "0.00");
  EXPECT_EQ(TextOf(zsl, "SUM_M"), "15500.75");
  EXPECT_EQ(TextOf(zsl, "SUMP"), "15700.75");
  const std::vector<const XmlNode*> sank = zsl.All("SANK");
  EXPECT_EQ(ChildNames(*sank[0]).join(','), "S_CODE,S_SUM,S_TIP,S_OSN,S_IST");
  EXPECT_EQ(TextOf(*sank[0], "S_CODE"), "a1");
  EXPECT_EQ(TextOf(*sank[0], "S_SUM"), "1.5");
  EXPECT_EQ(TextOf(*sank[1], "S_SUM"), "100");
  EXPECT_EQ(TextOf(*sank[1], "S_TIP"), "1");
  const XmlNode& sl = *zaps[0].First("SL");
  EXPECT_EQ(TextOf(sl, "SUM_M"), "15000.50");
  EXPECT_EQ(TextOf(sl, "SUMP"), "15100.50");

  // Without the acts database a case with a sanctions sum is still marked,
  // and the user told.
  in.ActsEnabled = false;
  in.ExportLabel = "noacts";
  src.reg.Exec("update stacion set sum_mek = 200 where idcase = 1");
  const XmlExportResult n = src.Export(in);
  ASSERT_TRUE(n.Written);
  const XmlNode& z = *Elements(n.Documents[1], {"ZAP"}).at(0).First("Z_SL");
  EXPECT_EQ(TextOf(z, "OPLATA"), "2");
  EXPECT_EQ(TextOf(z, "SANK_IT"), "200.00");
  EXPECT_EQ(TextOf(z, "SUMP"), "15500.75");
  EXPECT_EQ(TextOf(*Elements(n.Documents[1], {"ZAP"}).at(0).First("SL"), "SUMP"), "0");
  EXPECT_TRUE(src.user.messages.contains("Выгрузка санкций: ID - " +
                                         src.Rows("select id_ill from stacion where idcase=1")[0] +
                                         "\rНет соединения с базой актов"));
}

TEST_F(XmlExport, OnlyOncologyCasesWriteOnlyTheOncologyPair) {
  src.reg.Exec("update stacion set onco_sluch = 1");
  const XmlExportResult r = src.Export(in);
  ASSERT_TRUE(r.Written);
  const QString folder = dir.filePath("src/temp/2778");
  EXPECT_EQ(r.Documents, (QStringList{folder + "/LC" + kPackage.mid(1) + ".xml",
                                      folder + "/" + kOnco + ".xml"}));
  // The package is still named after the ordinary main file.
  EXPECT_EQ(r.PackagePath, folder + "/" + kPackage + ".zip");
  QStringList numbers;
  for (const XmlNode& zap : Elements(r.Documents[1], {"ZAP"})) numbers << TextOf(zap, "N_ZAP");
  EXPECT_EQ(numbers, (QStringList{"1", "2", "3"}));
}

TEST_F(XmlExport, EachServiceOnceAndIdservRunsOn) {
  // Three sheet services on the first sheet of the first case: with its two
  // operations the case query gives six rows for that sheet.
  const QString sid = src.Rows("select id_ill from stacion where idcase=1")[0];
  for (int i = 1; i <= 3; ++i)
    src.reg.Exec(QStringLiteral("insert into mtlusl (id, id_ill, repn, nom_mtl, dokaz, uslug, "
                                "kolvo) values (%1, %2, %3, 1, '06.03.2024', 'B0%1', %1)")
                     .arg(i)
                     .arg(sid)
                     .arg(repn));
  const XmlExportResult r = src.Export(in);
  ASSERT_TRUE(r.Written);
  const std::vector<XmlNode> zaps = Elements(r.Documents[1], {"ZAP"});
  QStringList services;
  for (const XmlNode* u : zaps.at(0).First("SL")->All("USL"))
    services << TextOf(*u, "IDSERV") + ":" + TextOf(*u, "CODE_USL") + ":" + TextOf(*u, "KOL_USL");
  EXPECT_EQ(services, (QStringList{"1:A16.01:1.50", "2:B01:1.00", "3:B02:2.00", "4:B03:3.00",
                                   "5:A16.02:1.00"}));
}

TEST_F(XmlExport, OutOfRegionCasesGoToTheFundWithTheirTerritorysInsurer) {
  // The second case is a patient of another region, insured by a company
  // the registry knows only by its territory.
  src.reg.Exec("update stacion set polis = '9999', pol_obl = '2000' where idcase = 2");
  src.reg.Exec(
      "insert into smo (o_cod, o_terr, smocod, terr_okato, ogrn) values (9001, '2000', '77001', "
      "'45000', '1027700000001')");
  rAdresat fund = src.lists.SenderList[0].Adresats[0];
  fund.Kind = PartyKind::Fund;
  fund.Number = 0;
  fund.Files[0].HName = "HT45M450001_2403001";
  fund.Files[0].LName = "LT45M450001_2403001";
  src.lists.SenderList[0].Adresats << fund;
  in.OutOfRegion = true;
  in.InsurerCode = 0;
  in.ExportLabel = "Иногородние";
  const XmlExportResult r = src.Export(in);
  ASSERT_TRUE(r.Written);
  EXPECT_EQ(r.Cases, 1);
  EXPECT_EQ(r.Documents[1], dir.filePath("src/temp/Иногородние/HT45M450001_2403001.xml"));
  const std::vector<XmlNode> zaps = Elements(r.Documents[1], {"ZAP"});
  ASSERT_EQ(zaps.size(), 1u);
  const XmlNode& pacient = *zaps[0].First("PACIENT");
  EXPECT_EQ(TextOf(pacient, "SMO"), "77001");
  EXPECT_EQ(TextOf(pacient, "ST_OKATO"), "45000");
  EXPECT_EQ(TextOf(pacient, "SMO_OGRN"), "1027700000001");
  EXPECT_EQ(TextOf(*zaps[0].First("Z_SL"), "NHISTORY"), "102");

  // A territory without an insurer ends the export; nothing is marked.
  src.reg.Exec("delete from smo where o_cod = 9001");
  in.ExportLabel = "none";
  const XmlExportResult stopped = src.Export(in);
  EXPECT_FALSE(stopped.Written);
  EXPECT_TRUE(stopped.ReportsToMark.isEmpty());
  EXPECT_EQ(src.user.messages.last(), "Не определена территория страхования!");
  EXPECT_TRUE(QDir(dir.filePath("src/temp/none")).entryList(QDir::Files).isEmpty());

  // An insurer of no addressee (2989) exports nothing.
  in.OutOfRegion = false;
  in.InsurerCode = 2989;
  EXPECT_TRUE(src.Export(in).Documents.isEmpty());
}

TEST_F(XmlExport, InsurerDocumentsCallGivesTheExportItsInputs) {
  InsurerDocumentInputs call;
  call.RegistryFolder = src.folder;
  call.XmlPackageMode = true;
  call.Forming = true;
  call.WhoDetail = WhoDetail(2);
  call.YearText = "2024";
  call.MonthIndex = 2;
  call.ExprVer = "3.1/7";
  rRepn local, outOfRegion;
  local.Repn = repn;
  outOfRegion.Repn = 77;
  call.Reports[Population::Local] << local;
  call.Reports[Population::OutOfRegion] << outOfRegion;
  InsurerDocumentServices services(src.reg.Db(), src.tr, src.user, src.lists);
  services.Today = [] { return QDate(2024, 4, 5); };
  InsurerDocumentContext ctx(call, services);
  ctx.Insurer = ChooseInsurer(" and (s.polis='2778')", false);
  const XmlExportInputs e = XmlExportInputsOf(ctx);
  EXPECT_EQ(e.InsurerCode, 2778);
  EXPECT_EQ(e.ExportLabel, "2778");
  EXPECT_EQ(e.Reports, QList<int>{repn});
  EXPECT_TRUE(e.FormingForPayer);
  EXPECT_FALSE(e.ActsEnabled);
  EXPECT_EQ(e.Today, QDate(2024, 4, 5));
  // The fund's formation of the whole call writes the package's cases.
  const XmlExportResult r = WriteInsurerXmlExport(ctx);
  EXPECT_TRUE(r.Written);
  EXPECT_EQ(r.Cases, 3);

  // An institution's own formation is no payer's; the out-of-region call
  // takes its own reports.
  call.WhoDetail = WhoDetail(1);
  call.OutOfRegion = true;
  ctx.Insurer = ChooseInsurer(" and (s.pol_obl<>1137)", true);
  const XmlExportInputs o = XmlExportInputsOf(ctx);
  EXPECT_FALSE(o.FormingForPayer);
  EXPECT_TRUE(o.OutOfRegion);
  EXPECT_EQ(o.ExportLabel, "Иногородние");
  EXPECT_EQ(o.Reports, QList<int>{77});
}

TEST(XmlExportValues, NamesDatesAndCriteria) {
  const struct {
    const char* in;
    const char* out;
  } names[] = {
      {"  ПЕТРОВ-ВОДКИН ", "Петров-Водкин"},
      {"анна  мария", "Анна  Мария"},
      {"ivanov_x", "ivanov_x"},
      {"ИВАНОВ-", "ИВАНОВ-"},
      {"", ""},
  };
  for (const auto& n : names)
    EXPECT_EQ(CapitalizeName(QString::fromUtf8(n.in)), QString::fromUtf8(n.out)) << n.in;
  EXPECT_EQ(XmlDateText(QVariant()), "");
  EXPECT_EQ(XmlDateText(QString(" ")), "");
  EXPECT_EQ(XmlDateText(QString("05.03.2024")), "2024-03-05");
  EXPECT_EQ(XmlDateText(QString("2024-03-05")), "2024-03-05");
  EXPECT_EQ(XmlDateText(QDateTime(QDate(2024, 3, 5), QTime(10, 30))), "2024-03-05");
  EXPECT_THROW(XmlDateText(QString("05.03.2024 10:30")), XmlExportError);
  EXPECT_EQ(CriteriaItems("a b;\"c;d\";;e"), (QStringList{"a b", "\"c", "d\"", "e"}));
  EXPECT_TRUE(CriteriaItems("").isEmpty());
}

}  // namespace
}  // namespace kelmo
