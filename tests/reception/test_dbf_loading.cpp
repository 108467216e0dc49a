// The loading of a DBF registry's passes into a registry database of its
// own: a fixture registry with both populations, two sheets with their
// diagnoses, operations, parents, services and oncology data is loaded, and
// the rows are compared with the fixture field by field; then a table of
// small bad registries, each loaded as the rules say or named in the act.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <tuple>

#include "dbf/table_builder.h"
#include "documents/package_description.h"
#include "firebird/fb_query.h"
#include "reception/case_loading.h"
#include "reception/dbf_loading.h"
#include "reception_fixture.h"
#include "registry_fixture.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

// A table of the registry set with the rows given (code page 1251, or 866).
void SetTable(const QString& folder, const char* file, const std::vector<QVariantMap>& rows,
              std::vector<FieldSpec> fields = {}, uint8_t language = 0xC9) {
  if (fields.empty()) fields = Fields(file);
  BuildTable(folder, file, fields, rows, language);
}

QVariantMap Stay(int id, const QString& family, const QString& polObl = "1137") {
  return {{"ID", id},
          {"FAMILY", family},
          {"NAME", "ИВАН"},
          {"FATHER", "ИВАНОВИЧ"},
          {"POL", 1},
          {"DR", QDate(1970, 5, 1)},
          {"OBL", 1137},
          {"NOMIB", QString::number(100 + id)},
          {"IN_STAC", QDate(2024, 3, 1)},
          {"OUT_STAC", QDate(2024, 3, 10)},
          {"POL_OBL", polObl},
          {"NUMBER", "4500000000000001"},
          {"POLIS", "2778"},
          {"NUM_KARTA", id},
          {"VPOLIS", 3}};
}

QVariantMap Sheet(int id, int nom, int profile = 1) {
  return {{"ID", id},
          {"NOM_MTL", nom},
          {"OPLAT", 1},
          {"PROFILE", profile},
          {"STAC_DIAG", "I10"},
          {"START", QDate(2024, 3, 1)},
          {"END", QDate(2024, 3, 10)},
          {"VR_SPEC", "76"}};
}

// One loading run over a registry folder, both passes or one.
struct Loading {
  RegistryFixture db;
  FbTransaction tr{db.Db()};
  QTemporaryDir actDir;
  ReceptionState& state = TheReceptionState();
  QString error;

  Loading() { state.Act.Create(actDir.filePath("act.txt")); }
  ~Loading() {
    if (state.Act.IsOpen()) state.Act.Close();
  }

  ReceptionContext Context(const QString& folder) {
    ReceptionContext ctx{state, db.Db(), tr};
    ctx.RegistryFolder = folder;
    ctx.WorkFolder = folder;
    ctx.Receiving = true;
    ctx.StacType = StacType::RoundTheClock;
    ctx.PayKind = PayKind::Oms;
    ctx.YearText = "2024";
    ctx.MonthIndex = 2;
    ctx.PeriodStart = QDate(2024, 3, 1);
    ctx.PeriodEnd = QDate(2024, 3, 31);
    ctx.LpuId = 1;
    return ctx;
  }

  // Loads the pass; false when it raised (the message in `error`).
  bool Pass(const QString& folder, Population population) {
    ReceptionContext ctx = Context(folder);
    PassSelection selection;
    selection.qStacion = ctx.DbfQuery({population == Population::Local
                                           ? "select * from stacion.dbf where pol_obl='1137'"
                                           : "select * from stacion.dbf where pol_obl<>'1137'"});
    // Read forward, as the run's selection is.
    selection.qStacion->SetUniDirectional(true);
    selection.qStacion->Open();
    try {
      LoadDbfPass(ctx, population, selection);
      tr.Commit();
      FinishDbfPassLoading(ctx, population);
      tr.Commit();
      return true;
    } catch (const std::exception& e) {
      error = QString::fromUtf8(e.what());
      if (tr.InTransaction()) tr.Rollback();
      return false;
    }
  }

  QStringList Act() {
    state.Act.Close();
    return ReadActLines(actDir.filePath("act.txt"));
  }

  QVariantMap Row(const QString& sql) {
    FbQuery q(db.Db());
    q.setSql(sql);
    q.Open();
    QVariantMap row;
    if (q.Eof()) return row;
    for (const QString& name : q.FieldNames()) row.insert(name.toUpper(), q.FieldByName(name));
    return row;
  }
  int Count(const QString& sql) { return Row(sql).first().toInt(); }
};

// Compares the columns named with their expected values (texts compared
// whole, untrimmed; null expected as an invalid QVariant).
void ExpectColumns(const QVariantMap& row, const std::vector<std::pair<QString, QVariant>>& want) {
  ASSERT_FALSE(row.isEmpty());
  for (const auto& [column, value] : want) {
    SCOPED_TRACE(column.toStdString());
    const QVariant got = row.value(column);
    if (!value.isValid()) {
      EXPECT_TRUE(got.isNull()) << got.toString().toStdString();
      continue;
    }
    if (value.typeId() == QMetaType::QDate)
      EXPECT_EQ(got.toDate(), value.toDate());
    else
      EXPECT_EQ(got.toString(), value.toString());
  }
}

void BuildBothPasses(const QString& f) {
  QVariantMap a = Stay(1, "иванов");
  a.insert("SERIA", "ab");
  a.insert("NUMBER", "123");
  a.insert("NAPR_DIAG", "j18.");
  a.insert("STAC_DIAG", "J18.0");
  a.insert("DOKUMENT", 14);
  QVariantMap b = Stay(2, "ПЕТРОВ");  // no sheets
  b.insert("POLIS", "1775");
  b.insert("SERIA", "ABCDEFGHIJK");  // longer than its column
  b.insert("DOKUMENT", 1);
  b.insert("D_SERIA", "45-01");
  b.insert("D_NOMBER", "123456");
  QVariantMap twin1 = Stay(10, "МАЛЫШ");
  twin1.insert("DR", QDate(2024, 3, 15));
  twin1.insert("IN_STAC", QDate(2024, 3, 20));
  QVariantMap twin2 = twin1;
  twin2["ID"] = 11;
  twin2["NOMIB"] = "111";
  QVariantMap late = Stay(12, "ПОЗДНИЙ");  // born on the 31st
  late.insert("DR", QDate(2024, 1, 31));
  late.insert("IN_STAC", QDate(2024, 2, 10));
  QVariantMap other = Stay(20, "СМИТ", "4500");
  other.insert("POLIS", "1775");
  other.insert("OBL", 4500);
  SetTable(f, "stacion.dbf", {a, b, twin1, twin2, late, other});

  QVariantMap s1 = Sheet(1, 1);
  s1.insert("ACCOMP1", "k21.0");
  s1.insert("COMP2", "i10");
  s1.insert("ACCOMP2", "e11");
  s1.insert("MES_ACC2", "m1");
  s1.insert("ACCOMP_L2", 2);
  s1.insert("KOD_MES", "1234567");
  s1.insert("REANIM", 3);
  s1.insert("VID_POM", 5);
  QVariantMap s2 = Sheet(1, 2, 2);
  s2.insert("START", QDate(2024, 3, 5));
  s2.insert("KOD_MES", "ABCDEFGHIJK3XYZW");
  s2.insert("RES_LECHEN", 101);
  QVariantMap s20 = Sheet(20, 1);
  s20.insert("KOD_MES", "  77");
  SetTable(f, "mtl.dbf", {s1, s2, Sheet(10, 1, 5), Sheet(11, 1, 5), Sheet(12, 1, 77), s20});
  SetTable(f, "operat.dbf",
           {{{"ID", 1},
             {"OPERATION", 5},
             {"DATA_OPER", QDate(2024, 3, 6)},
             {"USLUG", "А16.20.001"},
             {"TIME_OPER", "10:00"}},
            {{"ID", 20}, {"OPERATION", 6}, {"USLUG", "А16.20.001Б"}}});
  const QVariantMap mother{
      {"FAMILY", " мамина "}, {"NAME", "МАРИЯ"}, {"FATHER", "ИВАНОВНА"}, {"DR", QDate(1995, 1, 1)}};
  std::vector<QVariantMap> parents;
  for (int id : {10, 11}) {
    QVariantMap p = mother;
    p.insert("ID", id);
    parents.push_back(p);
  }
  parents.push_back({{"ID", 12}, {"FAMILY", "ДРУГАЯ"}, {"DR", QDate(1990, 1, 1)}});
  SetTable(f, "parents.dbf", parents);
  SetTable(f, "mtlusl.dbf",
           {{{"ID", 1}, {"NOM_MTL", 1}, {"USLUG", "B01.001"}, {"KOLVO", 2}, {"STAGE", 1}},
            {{"ID", 1}, {"NOM_MTL", 2}, {"USLUG", "B01.002"}, {"KOLVO", 1}, {"STAGE", 2}}});
  SetTable(f, "oncology.dbf",
           {{{"ID", 1}, {"ID_ONCO", 500}, {"NOM_MTL", 2}, {"ID_STAGE", 3}, {"DIST_METAS", 1}},
            {{"ID", 1}, {"ID_ONCO", 500}, {"NOM_MTL", 1}, {"DIST_METAS", 0}}});
  SetTable(f, "onco_diagnostic.dbf",
           {{{"ID_ONCO", 500}, {"DIAG_TYPE", 1}, {"ID_G_S", 7}, {"ID_G_T", 8}, {"ID_MARK", 9}},
            {{"ID_ONCO", 500}, {"DIAG_TYPE", 2}, {"ID_G_S", 7}, {"ID_MARK", 9}, {"ID_M_R", 4}}});
  SetTable(f, "consilium.dbf", {{{"ID_ONCO", 500}, {"PR_CONS", 1}}});
  SetTable(f, "onco_direction.dbf", {{{"ID", 1}, {"NOM_MTL", 1}, {"DIR_TYPE", 2}}});
}

}  // namespace

TEST(DbfLoading, BothPassesLoadFieldByField) {
  QTemporaryDir dir;
  BuildBothPasses(dir.path());
  Loading load;
  ASSERT_TRUE(load.Pass(dir.path(), Population::Local)) << load.error.toStdString();
  const int localRepn = load.state.CurrentReportNumber;
  ASSERT_TRUE(load.Pass(dir.path(), Population::OutOfRegion)) << load.error.toStdString();
  const int otherRepn = load.state.CurrentReportNumber;
  EXPECT_EQ(load.state.BadDocumentCases.size(), 1);  // DOKUMENT 0, OBL 4500

  ExpectColumns(load.Row(QString("select * from reports where repn=%1").arg(localRepn)),
                {{"INOGOR", "0"}, {"LPU", 1}, {"TIP_STAC", 1}, {"OPLAT", 1}});
  EXPECT_FALSE(load.Row(QString("select * from reports where repn=%1").arg(localRepn))
                   .value("WHO_PRIN")
                   .toString()
                   .isEmpty());
  ExpectColumns(load.Row(QString("select * from reports where repn=%1").arg(otherRepn)),
                {{"INOGOR", "1"}, {"WHO_PRIN", QVariant()}});

  const QVariantMap a = load.Row("select * from stacion where idcase=1");
  ExpectColumns(a, {{"FAMILY", "ИВАНОВ"},
                    {"SERIA", "       AB"},
                    {"NUMBER", QString(13, ' ') + "123"},
                    {"POLIS", "2778"},
                    {"NAPR_DIAG", "J18"},
                    {"STAC_DIAGS", "J18.0"},
                    {"DR", QDate(1970, 5, 1)},
                    {"VOZRAST", 53},
                    {"MTLCNT", 2},
                    {"ONCO_SLUCH", 1},
                    {"NOVOR", "0"},
                    {"DOPFOND", 0},
                    {"PR_NOV", 0},
                    {"TAL_D", QVariant()},
                    {"VOV", QVariant()},
                    {"CONSENT", QVariant()}});
  const int idIll = a.value("ID_ILL").toInt();
  ExpectColumns(load.Row("select * from stacion where idcase=2"),
                {{"POLIS", "0"}, {"SERIA", "ABCDEFGHI"}, {"MTLCNT", 0}});
  // Twins of one mother get one counter; a child born on the 31st takes
  // the last day of the next month.
  EXPECT_EQ(load.Row("select novor from stacion where idcase=10").value("NOVOR").toString(),
            "11504241");
  EXPECT_EQ(load.Row("select novor from stacion where idcase=11").value("NOVOR").toString(),
            "11504242");
  EXPECT_EQ(load.Row("select novor from stacion where idcase=12").value("NOVOR").toString(),
            "12902241");
  ExpectColumns(load.Row("select * from stacion where idcase=20"),
                {{"POLIS", "1775"}, {"POL_OBL", "4500"}});

  const QString sheet = "select * from mtl where id_ill=%1 and nom_mtl=%2";
  const QVariantMap s1 = load.Row(sheet.arg(idIll).arg(1));
  ExpectColumns(s1, {{"ACCOMP1", "K21.0"},
                     {"ACCOMP2", "E11"},
                     {"MES_ACC2", "M1"},
                     {"ACCOMP_L2", 2},
                     {"ACCOMP3", QVariant()},
                     {"COMP1", QVariant()},
                     {"COMP2", "I10"},
                     {"URMES", 1},
                     {"KOD_MES_IT", "3"},
                     {"VID_POM", 5},
                     {"OPLAT", 7},
                     {"PR_OMS", 1},
                     {"PROFIL_BED", 1},
                     {"KDGUZO", 9},
                     {"VMP_MET", 0},
                     {"RSLT", QVariant()}});
  const QVariantMap s2 = load.Row(sheet.arg(idIll).arg(2));
  ExpectColumns(s2, {{"ACCOMP1", QVariant()},
                     {"COMP2", QVariant()},
                     {"URMES", 5},
                     {"VID_POM", 31},
                     {"OPLAT", 1},
                     {"PROFIL_BED", 2},
                     {"KOD_MES_IT", ""},
                     {"RES_LECHEN", 101},
                     {"RSLT", 101}});
  EXPECT_EQ(
      load.Count(QString("select count(*) from diags where mtl_id=%1").arg(s1.value("ID").toInt())),
      3);
  ExpectColumns(load.Row(QString("select * from diags where mtl_id=%1 and diag='K21.0'")
                             .arg(s1.value("ID").toInt())),
                {{"STATUS", 23}, {"MES", QVariant()}});
  // A case without sheets gets one placeholder.
  const int placeholderCase = load.Row("select id_ill from stacion where idcase=2").first().toInt();
  EXPECT_GT(load.Row(sheet.arg(placeholderCase).arg(0)).value("ID").toInt(), 0);
  ExpectColumns(load.Row(sheet.arg(placeholderCase).arg(0)), {{"STARTD", QDate(1899, 12, 30)},
                                                              {"VIDMTL", -1},
                                                              {"PR_OMS", QVariant()},
                                                              {"RES_LECHEN", 0},
                                                              {"RSLT", 0}});
  // A profile LST_KOIKI does not know.
  ExpectColumns(
      load.Row("select m.* from mtl m join stacion s on s.id_ill=m.id_ill where s.idcase=12"),
      {{"PR_OMS", 0}, {"PROFIL_BED", QVariant()}});
  // Out-of-region: KOD_MES as read, VMP_MET null, look-alike letters.
  ExpectColumns(
      load.Row("select m.* from mtl m join stacion s on s.id_ill=m.id_ill where s.idcase=20"),
      {{"KOD_MES", "  77"}, {"VMP_MET", QVariant()}});
  ExpectColumns(load.Row(QString("select * from operat where id_ill=%1").arg(idIll)),
                {{"USLUG", "А16.20.001"}, {"OPER", 5}, {"NOM_MTL", 2}});
  ExpectColumns(
      load.Row("select o.* from operat o join stacion s on s.id_ill=o.id_ill where s.idcase=20"),
      {{"USLUG", "A16.20.001Б"}});

  EXPECT_EQ(load.Count("select count(*) from parents"), 3);
  ExpectColumns(load.Row("select p.* from parents p join stacion s on s.id_ill=p.id_ill where "
                         "s.idcase=10"),
                {{"FAMILY", "МАМИНА"}, {"POLIS", QVariant()}});
  EXPECT_EQ(load.Count(QString("select count(*) from mtlusl where id_ill=%1").arg(idIll)), 2);
  EXPECT_EQ(load.Row(QString("select eco_stages_out from get_eco_info(%1)").arg(idIll))
                .first()
                .toString(),
            "12");

  // Two oncology rows of one ID_ONCO each take its children.
  EXPECT_EQ(load.Count(QString("select count(*) from oncology where id_ill=%1").arg(idIll)), 2);
  ExpectColumns(
      load.Row(QString("select * from oncology where id_ill=%1 and nom_mtl=2").arg(idIll)),
      {{"DIST_METAS", 1}, {"ID_STAGE", 3}});
  ExpectColumns(
      load.Row(QString("select * from oncology where id_ill=%1 and nom_mtl=1").arg(idIll)),
      {{"DIST_METAS", QVariant()}});
  EXPECT_EQ(load.Count("select count(*) from onco_diagnostic"), 4);
  ExpectColumns(load.Row("select first 1 * from onco_diagnostic where diag_type=1"),
                {{"ID_G_S", 7}, {"ID_MARK", QVariant()}});
  ExpectColumns(load.Row("select first 1 * from onco_diagnostic where diag_type=2"),
                {{"ID_G_S", QVariant()}, {"ID_M_R", 4}});
  EXPECT_EQ(load.Count("select count(*) from consilium where nom_mtl in (1, 2)"), 2);
  EXPECT_EQ(load.Count("select count(*) from onco_direct"), 1);

  // The package description: the first package of the month is 101.
  ExpectColumns(
      load.Row(QString("select * from xml_files where repn=%1 and smo_mcod=45001").arg(localRepn)),
      {{"NUM", 101}, {"NSCHET", "2"}, {"CODE", 2}});
  ExpectColumns(load.Row(QString("select * from xml_files where repn=%1").arg(otherRepn)),
                {{"SMO_MCOD", 45}, {"NUM", 101}});

  const QStringList act = load.Act();
  EXPECT_TRUE(
      act.contains("Случай ID=2 (ПЕТРОВ): серия полиса \"ABCDEFGHIJK\" длиннее 9 "
                   "знаков, записаны первые 9."))
      << act.join('\n').toStdString();
}

TEST(DbfLoading, PackageNumbersCountByIntegerValue) {
  QTemporaryDir dir;
  SetTable(dir.path(), "stacion.dbf", {Stay(1, "ИВАНОВ")});
  SetTable(dir.path(), "mtl.dbf", {Sheet(1, 1)});
  SetTable(dir.path(), "operat.dbf", {});
  Loading load;
  // Earlier packages of the month numbered up to 10: "9" must not win.
  for (const char* n : {"9", "10"})
    load.db.Exec(
        "insert into xml_files (repn, smo_mcod, num, code, nschet, date_beg, lpu_mcod) "
        "values (999, 45001, 105, 3, :n, '2024-03-01', 450001)",
        {{"n", QString(n)}});
  ASSERT_TRUE(load.Pass(dir.path(), Population::Local)) << load.error.toStdString();
  ExpectColumns(
      load.Row(
          QString("select * from xml_files where repn=%1").arg(load.state.CurrentReportNumber)),
      {{"NUM", 106}, {"NSCHET", "12"}, {"CODE", 5}});
  const rSMOf& smo = ThePackageLists().ReportLists[Population::Local].front().Smos.front();
  EXPECT_EQ(smo.NSchet, "12");
  const rFile& file = ThePackageLists().SenderList.front().Adresats.last().Files.front();
  EXPECT_EQ(file.NSchet, "11");
  EXPECT_EQ(file.SourceName, "HM450001S45001_2403106");
}

// The package query takes the insurer groups from the report's cases before
// joining the rest: its rows are those of the statement that joins every
// sheet of every case and keeps the distinct rows.
TEST(DbfLoading, PackageGroupsAreThoseOfTheWholeJoin) {
  const QString wholeJoin =
      "select t.mcod, t.id, t.name, t.date_beg, t.inogor, t.polis, t.smo_mcod, t.lpu_mcod, "
      "max(t.nschet) nschet, max(t.code) code, max(t.num) num from (select distinct lm.mcod, "
      "l.id, l.name, r.date_beg, r.inogor, iif(s.polis in ('2778','2779'),s.polis,'45') polis, "
      "xf.smo_mcod, xf.lpu_mcod, case when xf.nschet similar to '[0-9]{1,9}' then "
      "cast(xf.nschet as integer) else 0 end nschet, coalesce(xf.code,0) code, "
      "coalesce(xf.num,100) num from stacion s join reports r on r.repn=s.repn join lpu l on "
      "l.id=r.lpu join mtl m on m.id_ill=s.id_ill join lpu_mcod lm on lm.lpu_id=r.lpu left join "
      "xml_files xf on ((xf.smo_mcod=(case s.polis when '2778' then 45001 when '2779' then 45002 "
      "end) and r.inogor='0') or (xf.smo_mcod=45 and r.inogor='1')) and xf.date_beg=r.date_beg "
      "and xf.lpu_mcod=cast(lm.mcod as integer) where r.repn=:repn) t group by t.mcod, t.id, "
      "t.name, t.date_beg, t.inogor, t.polis, t.smo_mcod, t.lpu_mcod order by t.lpu_mcod, "
      "t.smo_mcod";
  QTemporaryDir dir;
  std::vector<QVariantMap> stays;
  std::vector<QVariantMap> sheets;
  int id = 0;
  for (const char* polis : {"2778", "2779", "1775", "2779", "2778"}) {
    QVariantMap s = Stay(++id, "ИВАНОВ");
    s.insert("POLIS", polis);
    stays.push_back(s);
    sheets.push_back(Sheet(id, 1));
    sheets.push_back(Sheet(id, 2));
  }
  QVariantMap other = Stay(++id, "СМИТ", "4500");
  other.insert("OBL", 4500);
  stays.push_back(other);  // no sheet: a placeholder
  SetTable(dir.path(), "stacion.dbf", stays);
  SetTable(dir.path(), "mtl.dbf", sheets);
  SetTable(dir.path(), "operat.dbf", {});
  Loading load;
  // Earlier packages of the month for two addressees, one of another month.
  for (const auto& [smo, nschet, date] :
       {std::tuple{45001, "9", "2024-03-01"}, std::tuple{45001, "10", "2024-03-01"},
        std::tuple{45, "x7", "2024-03-01"}, std::tuple{45002, "40", "2024-02-01"}})
    load.db.Exec(
        "insert into xml_files (repn, smo_mcod, num, code, nschet, date_beg, lpu_mcod) "
        "values (999, :smo, 104, 3, :n, :d, 450001)",
        {{"smo", smo}, {"n", QString(nschet)}, {"d", QString(date)}});
  std::vector<int> reports;
  for (const Population population : {Population::Local, Population::OutOfRegion}) {
    ASSERT_TRUE(load.Pass(dir.path(), population)) << load.error.toStdString();
    reports.push_back(load.state.CurrentReportNumber);
  }
  auto rows = [&load](const QString& sql, int repn) {
    FbQuery q(load.db.Db());
    q.setSql(sql);
    q.setParam("repn", repn);
    q.Open();
    QStringList out;
    for (; !q.Eof(); q.Next()) {
      QStringList values;
      for (const QString& name : q.FieldNames()) values << q.FieldByName(name).toString();
      out << values.join('|');
    }
    return out;
  };
  for (int repn : reports) {
    SCOPED_TRACE(repn);
    const QStringList expected = rows(wholeJoin, repn);
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(rows(PackageGroupsSql(), repn), expected);
  }
  EXPECT_EQ(rows(wholeJoin, reports.front()).size(), 3);  // 2778, 2779 and the others
}

// The operations-to-sheets step of the package description: an operation
// goes to the sheet whose stay holds its date; on the day one sheet ends and
// the next begins it goes to the later sheet, unless the earlier is the
// case's last or a high-tech sheet, which keep it (and then the later sheet
// does not take an operation of its first day).
TEST(DbfLoading, OperationsGoToTheSheetsOfTheirDates) {
  QTemporaryDir dir;
  const QString f = dir.path();
  auto sheet = [](int id, int nom, QDate from, QDate to, int oplat = 1) {
    QVariantMap m = Sheet(id, nom);
    m["START"] = from;
    m["END"] = to;
    m["OPLAT"] = oplat;
    return m;
  };
  auto op = [](int id, const QString& code, QDate day) {
    return QVariantMap{{"ID", id}, {"OPERATION", 1}, {"DATA_OPER", day}, {"USLUG", code}};
  };
  const QDate d1(2024, 3, 1), d3(2024, 3, 3), d5(2024, 3, 5), d6(2024, 3, 6), d10(2024, 3, 10),
      d15(2024, 3, 15), d20(2024, 3, 20);
  SetTable(f, "stacion.dbf", {Stay(1, "ОДИН"), Stay(2, "ДВА"), Stay(3, "ТРИ"), Stay(4, "ЧЕТЫРЕ")});
  SetTable(f, "mtl.dbf",
           {sheet(1, 1, d1, d5), sheet(1, 2, d5, d10), sheet(1, 3, d10, d15),
            sheet(2, 1, d1, d5, 6), sheet(2, 2, d5, d10), sheet(3, 1, d1, d10),
            sheet(3, 2, d5, d10), sheet(4, 1, d1, d5), sheet(4, 1, d5, d10)});
  SetTable(f, "operat.dbf",
           {op(1, "A3", d3), op(1, "A5", d5), op(1, "A10", d10), op(1, "A15", d15),
            op(1, "A20", d20), op(2, "B5", d5), op(2, "B5X", d5), op(2, "B6", d6), op(3, "C6", d6),
            op(3, "C1", d1), op(4, "D5", d5), op(4, "D6", d6)});
  Loading load;
  ASSERT_TRUE(load.Pass(f, Population::Local)) << load.error.toStdString();
  // An operation outside every stay keeps the column's default, 1.
  const std::vector<std::pair<QString, int>> want = {{"A3", 1},  {"A5", 2}, {"A10", 3}, {"A15", 3},
                                                     {"A20", 1}, {"B5", 1}, {"B5X", 1}, {"B6", 2},
                                                     {"C6", 2},  {"C1", 1}, {"D5", 1},  {"D6", 1}};
  for (const auto& [code, nom] : want) {
    SCOPED_TRACE(code.toStdString());
    EXPECT_EQ(load.Count(QString("select nom_mtl from operat where uslug='%1'").arg(code)), nom);
  }
}

namespace {

struct BadInput {
  const char* name;
  std::function<void(const QString& folder)> build;
  bool loads;  // the pass ends normally
  std::function<void(Loading& load, const QStringList& act)> check;
};

void Minimal(const QString& f, QVariantMap stay, QVariantMap sheet = Sheet(1, 1)) {
  SetTable(f, "stacion.dbf", {stay});
  SetTable(f, "mtl.dbf", {sheet});
  SetTable(f, "operat.dbf", {});
}

}  // namespace

TEST(DbfLoading, BadInputTable) {
  const BadInput cases[] = {
      {"blank dates",
       [](const QString& f) {
         QVariantMap s = Stay(1, "ИВАНОВ");
         s.remove("DR");
         s.remove("IN_STAC");
         QVariantMap m = Sheet(1, 1);
         m.remove("START");
         Minimal(f, s, m);
       },
       true,
       [](Loading& l, const QStringList&) {
         ExpectColumns(
             l.Row("select * from stacion"),
             {{"DR", QDate(1899, 12, 30)}, {"IN_STAC", QDate(1899, 12, 30)}, {"VOZRAST", 0}});
         ExpectColumns(l.Row("select * from mtl"), {{"STARTD", QDate(1899, 12, 30)}});
       }},
      {"blank numerics",
       [](const QString& f) {
         QVariantMap s = Stay(1, "ИВАНОВ");
         s.remove("POL");
         s.remove("VPOLIS");
         Minimal(f, s);
       },
       true,
       [](Loading& l, const QStringList&) {
         ExpectColumns(l.Row("select * from stacion"), {{"POL", 0}, {"VPOLIS", 0}});
       }},
      {"codes missing from the reference tables",
       [](const QString& f) { Minimal(f, Stay(1, "ИВАНОВ"), Sheet(1, 1, 77)); }, true,
       [](Loading& l, const QStringList&) {
         ExpectColumns(l.Row("select * from mtl"), {{"PR_OMS", 0}, {"PROFIL_BED", QVariant()}});
       }},
      {"text longer than its column",
       [](const QString& f) {
         std::vector<FieldSpec> fields = Fields("stacion.dbf");
         for (FieldSpec& field : fields)
           if (QLatin1String(field.name) == QLatin1String("FAMILY")) field.width = 60;
         SetTable(f, "stacion.dbf", {Stay(1, "ИВАНОВ"), Stay(2, QString(50, QChar(0x416)))},
                  fields);
         SetTable(f, "mtl.dbf", {Sheet(1, 1), Sheet(2, 1)});
         SetTable(f, "operat.dbf", {});
       },
       false,
       [](Loading& l, const QStringList& act) {
         // The first case stays, nothing of the second.
         EXPECT_EQ(l.Count("select count(*) from stacion"), 1);
         EXPECT_EQ(l.Count("select count(*) from mtl"), 1);
         ASSERT_GE(act.size(), 2);
         EXPECT_TRUE(act[act.size() - 2].startsWith("Случай ID=2 ("));
         EXPECT_EQ(act.last(), "Загрузка прервана. Загружено и сохранено случаев: 1.");
       }},
      {"Cyrillic in code page 866",
       [](const QString& f) {
         SetTable(f, "stacion.dbf", {Stay(1, "ёжиков")}, Fields("stacion.dbf"), 0x26);
         SetTable(f, "mtl.dbf", {Sheet(1, 1)});
         SetTable(f, "operat.dbf", {});
       },
       true,
       [](Loading& l, const QStringList&) {
         EXPECT_EQ(l.Row("select family from stacion").first().toString(), "ЁЖИКОВ");
       }},
      {"a sheet with no case and duplicate sheet numbers",
       [](const QString& f) {
         SetTable(f, "stacion.dbf", {Stay(1, "ИВАНОВ")});
         SetTable(f, "mtl.dbf", {Sheet(1, 1), Sheet(1, 1, 2), Sheet(99, 1)});
         SetTable(f, "operat.dbf", {});
       },
       true,
       [](Loading& l, const QStringList&) {
         EXPECT_EQ(l.Count("select count(*) from mtl"), 2);
         EXPECT_EQ(l.Count("select mtlcnt from stacion"), 1);
       }},
      {"oncology rows pointing at a missing sheet",
       [](const QString& f) {
         Minimal(f, Stay(1, "ИВАНОВ"));
         SetTable(f, "oncology.dbf", {{{"ID", 1}, {"ID_ONCO", 7}, {"NOM_MTL", 5}}});
       },
       true,
       [](Loading& l, const QStringList&) {
         EXPECT_EQ(l.Count("select nom_mtl from oncology"), 5);
         EXPECT_EQ(l.Count("select onco_sluch from stacion"), 1);
       }},
      {"a text read as an integer that is not a number",
       [](const QString& f) {
         std::vector<FieldSpec> fields = Fields("operat.dbf");
         for (FieldSpec& field : fields)
           if (QLatin1String(field.name) == QLatin1String("OPERATION")) field.type = 'C';
         SetTable(f, "stacion.dbf", {Stay(1, "ИВАНОВ")});
         SetTable(f, "mtl.dbf", {Sheet(1, 1)});
         SetTable(f, "operat.dbf", {{{"ID", 1}, {"OPERATION", "пять"}}}, fields);
       },
       false,
       [](Loading& l, const QStringList& act) {
         EXPECT_EQ(l.Count("select count(*) from stacion"), 0);
         EXPECT_EQ(l.Count("select count(*) from mtl"), 0);
         EXPECT_EQ(l.Count("select count(*) from reports"), 1);
         ASSERT_GE(act.size(), 2);
         EXPECT_TRUE(act[act.size() - 2].endsWith("'пять' is not a valid integer value"))
             << act[act.size() - 2].toStdString();
       }},
      {"a missing required field",
       [](const QString& f) {
         QVariantMap s = Stay(1, "ИВАНОВ");
         s.remove("NUM_KARTA");
         SetTable(f, "stacion.dbf", {s}, Without(Fields("stacion.dbf"), "NUM_KARTA"));
         SetTable(f, "mtl.dbf", {Sheet(1, 1)});
         SetTable(f, "operat.dbf", {});
       },
       false,
       [](Loading& l, const QStringList& act) {
         EXPECT_EQ(l.Count("select count(*) from stacion"), 0);
         EXPECT_TRUE(act.join('\n').contains("Поле 'NUM_KARTA' не найдено"));
       }},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    c.build(dir.path());
    Loading load;
    EXPECT_EQ(load.Pass(dir.path(), Population::Local), c.loads) << load.error.toStdString();
    const QStringList act = load.Act();
    c.check(load, act);
  }
}

TEST(DbfLoading, CaseRules) {
  EXPECT_EQ(NewbornDate(QDate(2019, 3, 15)), QDate(2019, 4, 15));
  EXPECT_EQ(NewbornDate(QDate(2019, 1, 31)), QDate(2019, 2, 28));
  EXPECT_EQ(NewbornDate(QDate(2019, 12, 31)), QDate(2020, 1, 31));
  EXPECT_EQ(NormalisedDiagnosis("j18."), "J18");
  EXPECT_EQ(NormalisedDiagnosis("J18.0"), "J18.0");
  EXPECT_EQ(NormalisedDiagnosis("j18"), "J18");
  bool cut = false;
  EXPECT_EQ(PaddedPolicySeries("ab", cut), "       AB");
  EXPECT_FALSE(cut);
  EXPECT_EQ(PaddedPolicyNumber(QString(20, '7')), QString(16, '7'));
  EXPECT_EQ(StoredInsurer("1775", Population::Local), "0");
  EXPECT_EQ(StoredInsurer("2778", Population::Local), "2778");
  EXPECT_EQ(StoredInsurer("", Population::Local), "0");
  EXPECT_EQ(StoredInsurer("1775", Population::OutOfRegion), "1775");
  EXPECT_EQ(LatinLookAlikes("АБВс"), "AБBc");
}
