// The statement forms the reception run and the budget intake send to the
// desktop engine, run on a small registry folder: joins, GROUP BY ... HAVING,
// IN subqueries, CAST(COUNT(*) AS INTEGER), named and positional parameters,
// macro queries, updates, inserts and deletes written back to the DBF files.
#include <gtest/gtest.h>

#include <QDate>
#include <QFileInfo>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "dbfsql/xt_query.h"
#include "dbfsql_fixture.h"

using namespace kelmo::dbfsql;
using kelmo::dbf::DFO_dBHandler;

namespace {

const QString kFilled =
    "(s.tip_stac=:tip_stac) and (s.family is not null) and (s.name is not null) and "
    "(s.pol is not null) and (s.obl is not null) and (s.nomib is not null) and "
    "(s.socium is not null) and (s.in_stac is not null) and (s.out_stac is not null) and "
    "(s.dz is not null) and (s.pol_obl is not null) and";
const QString kPeriod1 = "(((s.out_stac>=:ps) and (s.out_stac<=:pp) and (s.res_lecen<>6)) or";
const QString kPeriod2 = "((s.dz>=:ps) and (s.dz<=:pp) and (s.res_lecen=6)))";
const QDate kPs(2012, 1, 1);
const QDate kPp(2012, 1, 31);

class DbfSqlStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    kelmo::dbfsql::testing::BuildRegistryFolder(dir_.path());
  }
  std::string Path(const char* name) const { return (dir_.path() + "/" + name).toStdString(); }
  std::vector<QVariant> Column(TQuery& q, const QString& field) {
    std::vector<QVariant> out;
    for (q.First(); !q.Eof(); q.Next()) out.push_back(q.FieldByName(field));
    return out;
  }
  QTemporaryDir dir_;
};

}  // namespace

TEST_F(DbfSqlStatements, ValuesAsSqlSeesThem) {
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"select * from stacion.dbf where id=:id"});
  q.SetParam("id", 1);
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName("family"), QVariant(QString("Иванов")));  // code page 866
  EXPECT_EQ(q.FieldByName("IN_STAC"), QVariant(QString("2012-01-05")));
  EXPECT_EQ(q.FieldAsDate("dr"), QDate(1980, 1, 1));
  EXPECT_EQ(q.FieldByName("SUMV"), QVariant(100.25));
  EXPECT_EQ(q.FieldByName("OK"), QVariant(qlonglong(1)));
  EXPECT_FALSE(q.FieldByName("MCOD").isValid());  // blank reads as NULL
  EXPECT_EQ(q.FieldByName("ID").typeId(), QMetaType::LongLong);
  q.Close();
  q.SetParam("id", 7);
  q.Open();
  EXPECT_FALSE(q.FieldByName("NAME").isValid());
}

TEST_F(DbfSqlStatements, PreliminaryCheckForms) {
  TXtQuery qOplNull;
  qOplNull.SetDatabaseName(dir_.path());
  qOplNull.SetSQL({"Select s.* from stacion.dbf s", "where", kFilled, kPeriod1, kPeriod2 + " and",
                   "(s.pol_obl %uslovie '1137') and", "id in", "(select id", "from mtl.dbf",
                   "where oplat is null or oplat<1)"});
  qOplNull.MacroParam("uslovie").value = "=";
  ASSERT_EQ(qOplNull.ParamCount(), 5);
  const QVariant positional[] = {1, kPs, kPp, kPs, kPp};
  for (int i = 0; i < 5; ++i) qOplNull.SetParamAt(i, positional[i]);
  qOplNull.Open();
  EXPECT_EQ(Column(qOplNull, "nomib"), (std::vector<QVariant>{QString("102")}));

  TQuery qID1, qID2;
  for (TQuery* q : {&qID1, &qID2}) q->SetDatabaseName(dir_.path());
  qID1.SetStatement({"Select id", "from stacion.dbf", "order by id"});
  qID2.SetStatement({"Select distinct id", "from stacion.dbf"});
  qID1.Open();
  qID2.Open();
  EXPECT_EQ(qID1.RecordCount(), 7);
  EXPECT_EQ(qID2.RecordCount(), 7);

  const QStringList mtlSelection = {"from stacion.dbf s",
                                    "where",
                                    kFilled,
                                    "(s.father is not null) and (s.dr is not null) and "
                                    "(s.num_karta is not null) and",
                                    kPeriod1,
                                    kPeriod2};
  TQuery qMTL1, qMTL2, qMTL3;
  qMTL1.SetStatement(QStringList{"Select s.nomib"} + mtlSelection);
  qMTL2.SetStatement(QStringList{"Select distinct s.nomib"} + mtlSelection);
  qMTL3.SetStatement(QStringList{"Select s.nomib, CAST(count(*) AS INTEGER) cnt"} + mtlSelection +
                     QStringList{"group by s.nomib", "having CAST(count(*) AS INTEGER) > 1"});
  for (TQuery* q : {&qMTL1, &qMTL2, &qMTL3}) {
    q->SetDatabaseName(dir_.path());
    for (int i = 0; i < 5; ++i) q->SetParamAt(i, positional[i]);
    q->Open();
  }
  EXPECT_EQ(qMTL1.RecordCount(), 5);
  EXPECT_EQ(qMTL2.RecordCount(), 4);
  ASSERT_EQ(qMTL3.RecordCount(), 1);
  EXPECT_EQ(qMTL3.FieldByName("nomib"), QVariant(QString("101")));
  EXPECT_EQ(qMTL3.FieldByName("cnt"), QVariant(qlonglong(2)));

  TQuery chekIdent;
  chekIdent.SetDatabaseName(dir_.path());
  chekIdent.SetStatement(
      {"Select distinct s.id,s.polis,s.mcod,s.hash,family,name,father,nomib,seria,number, "
       "s.pol_obl, s.in_stac from stacion.dbf s",
       "join mtl.dbf m on m.id=s.id", "where",
       "(s.tip_stac=:tip_stac) and (s.family is not null) and (s.name is not null) and "
       "(s.nomib is not null) and (s.in_stac is not null) and (s.out_stac is not null) and",
       "( ((s.pol_obl is not null) and (s.obl is not null)) or (s.pol_obl<>'1137') ) and", kPeriod1,
       kPeriod2 + " and", "(m.oplat=:oplat and m.oplat in (1,6,7))"});
  chekIdent.SetParam("tip_stac", 1);
  chekIdent.SetParam("ps", kPs);
  chekIdent.SetParam("pp", kPp);
  chekIdent.SetParam("oplat", 1);
  chekIdent.Open();
  EXPECT_EQ(Column(chekIdent, "id"),
            (std::vector<QVariant>{qlonglong(1), qlonglong(2), qlonglong(5), qlonglong(6)}));
}

TEST_F(DbfSqlStatements, CaseSelectionWithMacrosAndFixUps) {
  TXtQuery qStacion;
  qStacion.SetDatabaseName(dir_.path());
  const QStringList pattern = {"Select s.* from stacion.dbf s",
                               "where",
                               kFilled,
                               kPeriod1,
                               "((s.dz>=:ps) and (s.dz<=:pp) and (s.res_lecen=6)) %bm ) and",
                               "(s.pol_obl %uslovie '1137') and (s.id in (select m.id from mtl.dbf "
                               "m where m.oplat=:oplat group by m.id) )"};
  qStacion.SetSQL(pattern);
  // The fix-up through the same query, its macros expanded.
  qStacion.SetSQL(
      {"update stacion.dbf s set s.oplat=7 where (select m.vid_pom from mtl.dbf m "
       "where m.nom_mtl=1 and m.id=s.id)=5"});
  qStacion.ExecSQLWithMacros();
  EXPECT_EQ(qStacion.RowsAffected(), 1);
  {
    DFO_dBHandler t(Path("stacion.dbf"), true, false, "");
    t.GoTo(2);
    EXPECT_EQ(t.GetNumericByName("OPLAT"), 7);
    t.GoTo(1);
    EXPECT_EQ(t.GetNumericByName("OPLAT"), 0);
  }
  qStacion.SetSQL({"select * from stacion.dbf"});
  qStacion.Open();
  EXPECT_FALSE(qStacion.HasField("REPEAT_UPL"));
  qStacion.Close();
  qStacion.SetSQL(pattern);
  qStacion.SetParam("tip_stac", 1);
  qStacion.SetParam("ps", kPs);
  qStacion.SetParam("pp", kPp);
  qStacion.SetParam("oplat", 1);
  qStacion.MacroParam("bm").value = "";
  qStacion.MacroParam("uslovie").value = "=";
  qStacion.Open();
  EXPECT_EQ(Column(qStacion, "id"),
            (std::vector<QVariant>{qlonglong(1), qlonglong(2), qlonglong(6)}));
  qStacion.Close();
  qStacion.MacroParam("uslovie").value = "<>";
  qStacion.Open();
  EXPECT_EQ(Column(qStacion, "id"), (std::vector<QVariant>{qlonglong(5)}));

  TXtQuery qMtlOpl;
  qMtlOpl.SetDatabaseName(dir_.path());
  qMtlOpl.SetSQL({"select *", "from mtl.dbf", "where id in",
                  "(select s.id from stacion.dbf s where", kFilled, kPeriod1,
                  "((s.dz>=:ps) and (s.dz<=:pp) and (s.res_lecen=6)) %m_bm) and",
                  "(s.pol_obl %uslovie '1137')", ")  and (oplat=:oplat)"});
  qMtlOpl.MacroParam("m_bm").value = "or (s.id=3)";
  qMtlOpl.MacroParam("uslovie").value = "=";
  qMtlOpl.SetParam("tip_stac", 1);
  qMtlOpl.SetParam("ps", kPs);
  qMtlOpl.SetParam("pp", kPp);
  qMtlOpl.SetParam("oplat", 1);
  qMtlOpl.Open();
  EXPECT_EQ(Column(qMtlOpl, "id"), (std::vector<QVariant>{qlonglong(1), qlonglong(1), qlonglong(2),
                                                          qlonglong(3), qlonglong(6)}));

  TQuery tMTL;
  tMTL.SetDatabaseName(dir_.path());
  tMTL.SetStatement({"update mtl.dbf m set m.oplat=7, m.vid_pom=5"});
  EXPECT_EQ(tMTL.ExecSQL(), 9);
  tMTL.SetStatement({"select count(*) c from mtl.dbf where oplat=7 and vid_pom=5"});
  tMTL.Open();
  EXPECT_EQ(tMTL.FieldByName("c"), QVariant(qlonglong(9)));
}

TEST_F(DbfSqlStatements, DoublesOverlapsAndPerCaseLookups) {
  TQuery getDoubles;
  getDoubles.SetDatabaseName(dir_.path());
  getDoubles.SetStatement(
      {"Select FAMILY, NAME, FATHER, DR, IN_STAC, OUT_STAC, CAST(count(*) AS INTEGER) cnt",
       "from Stacion.dbf", "where (((out_stac>=:dPS) and (out_stac<=:dPP) and (res_lecen<>6)) or",
       "((dz>=:dPS) and (dz<=:dPP) and (res_lecen=6)))",
       "group by FAMILY,NAME,FATHER,DR,IN_STAC,OUT_STAC", "having CAST(count(*) AS INTEGER)>1"});
  getDoubles.SetParam("dPS", kPs);
  getDoubles.SetParam("dPP", kPp);
  getDoubles.Open();
  ASSERT_EQ(getDoubles.RecordCount(), 1);
  EXPECT_EQ(getDoubles.FieldByName("FAMILY"), QVariant(QString("Иванов")));

  TQuery qDat;
  qDat.SetDatabaseName(dir_.path());
  qDat.SetStatement({"Select NOMIB, FAMILY, NAME, FATHER, DR, TIP_STAC, IN_STAC, OUT_STAC",
                     "from Stacion.dbf",
                     "where (((out_stac>:ps) and (out_stac<:pp) and (res_lecen<>6)) or",
                     "((dz>:ps) and (dz<:pp) and (res_lecen=6)))",
                     "order by family, name, father, dr, in_stac, out_stac"});
  qDat.SetParamAt(0, QDate(2012, 1, 9));
  qDat.SetParamAt(1, QDate(2012, 1, 30));
  qDat.SetParamAt(2, QDate(2012, 1, 9));
  qDat.SetParamAt(3, QDate(2012, 1, 30));
  qDat.Open();
  // Strict bounds: the stay discharged on the 9th and the death on the 30th are out.
  EXPECT_EQ(Column(qDat, "NOMIB"), (std::vector<QVariant>{QString("101"), QString("101"),
                                                          QString("102"), QString("107")}));

  TQuery budget;
  budget.SetDatabaseName(dir_.path());
  budget.SetStatement({"Select s.nomib,s.num_karta, s.in_stac, CAST(count(*) AS INTEGER) cnt",
                       "  from stacion.dbf s", "group by s.nomib,s.num_karta, s.in_stac",
                       "having count(*) > 1"});
  budget.Open();
  EXPECT_EQ(budget.RecordCount(), 0);  // the doubled case has its own card number

  // Per-case look-ups, as the loading runs them for every case.
  TQuery qOp;
  qOp.SetDatabaseName(dir_.path());
  qOp.SetStatement({"select * from Operat.dbf", "where id=:id"});
  std::vector<int> counts;
  for (int id = 1; id <= 7; ++id) {
    qOp.Close();
    qOp.SetParam("id", id);
    qOp.Open();
    counts.push_back(qOp.RecordCount());
  }
  EXPECT_EQ(counts, (std::vector<int>{3, 0, 0, 1, 1, 1, 0}));
  qOp.Close();
  qOp.SetParam("id", 1);
  qOp.Open();
  EXPECT_EQ(qOp.FieldByName("NOTE"), QVariant(QString("заметка 1")));
  EXPECT_EQ(qOp.FieldByName("FIO"), QVariant(QString("Хирург 1")));

  TQuery qMTLUSL;
  qMTLUSL.SetDatabaseName(dir_.path());
  qMTLUSL.SetStatement({"SELECT * FROM mtl.dbf", "WHERE id=:p_id"});
  qMTLUSL.SetParam("p_id", 1.0);
  qMTLUSL.Open();
  EXPECT_EQ(qMTLUSL.RecordCount(), 2);

  TQuery joined;
  joined.SetDatabaseName(dir_.path());
  joined.SetStatement({"select s.nomib, o.operation from stacion.dbf s, operat.dbf o",
                       "where o.id=s.id and trim(s.nomib)='101' order by o.operation"});
  joined.Open();
  EXPECT_EQ(joined.RecordCount(), 4);  // cases 1 and 6 share the history number
}

TEST_F(DbfSqlStatements, InsertAndDeleteWriteBack) {
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"insert into mtl.dbf (id, nom_mtl, oplat, stac_diag) values (:id, :n, :o, :d)"});
  q.SetParam("id", 42);
  q.SetParam("n", 1);
  q.SetParam("o", 7);
  q.SetParam("d", QString("Ж10"));
  EXPECT_EQ(q.ExecSQL(), 1);
  q.SetStatement({"delete from stacion.dbf where id in (select id from mtl.dbf where vid_pom=5)"});
  EXPECT_EQ(q.ExecSQL(), 1);
  q.SetStatement({"select count(*) n from stacion.dbf"});
  q.Open();
  EXPECT_EQ(q.FieldByName("n"), QVariant(qlonglong(6)));
  {
    DFO_dBHandler mtl(Path("mtl.dbf"), true, false, "");
    mtl.GoTo(kelmo::dbf::kMoveLast);
    EXPECT_EQ(mtl.GetNumericByName("ID"), 42);
    EXPECT_EQ(
        mtl.GetFieldRawByName("STAC_DIAG"),
        kelmo::bytes::EncodeFromUtf8("Ж10     ", kelmo::bytes::CodePage::Cp1251).substr(0, 7));
    DFO_dBHandler st(Path("stacion.dbf"), false, true, "");
    st.GoTo(2);
    EXPECT_TRUE(st.CurrentRecordDeleted());
    st.Pack();  // the query holds no table open between statements
    EXPECT_EQ(st.RecordCount(), 6);
  }
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName("n"), QVariant(qlonglong(6)));
}

TEST_F(DbfSqlStatements, UpdatesTouchOnlyTheColumnsTheySet) {
  const auto memoSize = [&] { return QFileInfo(dir_.path() + "/Operat.FPT").size(); };
  const qint64 before = memoSize();
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"update operat.dbf o set o.fio=:fio, o.data_oper=:d where o.id=:id"});
  q.SetParam("fio", QString("Врач"));
  q.SetParam("d", QDate(2012, 2, 29));
  q.SetParam("id", 4);
  EXPECT_EQ(q.ExecSQL(), 1);
  EXPECT_EQ(memoSize(), before);  // the memo was not written again
  q.SetStatement({"update operat.dbf set note=:n where id=5"});
  q.SetParam("n", QString("новая заметка"));
  q.ExecSQL();
  q.SetStatement({"select fio, data_oper, note from operat.dbf where id in (4, 5) order by id"});
  q.Open();
  EXPECT_EQ(q.FieldByName("fio"), QVariant(QString("Врач")));
  EXPECT_EQ(q.FieldAsDate("data_oper"), QDate(2012, 2, 29));
  EXPECT_EQ(q.FieldByName("note"), QVariant(QString("заметка 4")));
  q.Next();
  EXPECT_EQ(q.FieldByName("note"), QVariant(QString("новая заметка")));
  q.Close();
  q.SetStatement({"update operat.dbf set operation=:v where id=6"});
  q.SetParam("v", 12345678);
  try {
    q.ExecSQL();
    FAIL();
  } catch (const EDbfSqlError& e) {
    EXPECT_NE(std::string(e.what()).find("numeric value too big in field OPERATION"),
              std::string::npos)
        << e.what();
  }
}

TEST_F(DbfSqlStatements, ATableRemadeBetweenRunsIsSeenAsItIsNow) {
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"select * from mtl.dbf where id=:id"});
  q.SetParam("id", 1);
  q.Open();
  EXPECT_EQ(q.FieldCount(), 8);
  EXPECT_EQ(q.RecordCount(), 2);
  q.Close();
  std::filesystem::remove(Path("mtl.dbf"));
  {
    kelmo::dbf::DFO_DBFBuild b(Path("MTL.DBF"));
    b.AddField("ID", 'N', 4, 0);
    b.AddField("EXTRA", 'C', 3, 0);
    b.WriteFiles();
    DFO_dBHandler t(Path("MTL.DBF"), false, true, "");
    t.BlankRecord();
    t.PutNumeric(1, 1);
    t.Append();
  }
  q.Open();
  EXPECT_EQ(q.FieldCount(), 2);
  EXPECT_EQ(q.RecordCount(), 1);
  EXPECT_TRUE(q.HasField("extra"));
}

TEST_F(DbfSqlStatements, EngineErrorsReachTheCaller) {
  kelmo::dbfsql::testing::SpoilThirdSheetPayKind(dir_.path());
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"select sum(oplat) from mtl.dbf"});
  try {
    q.Open();
    FAIL();
  } catch (const EDbfSqlError& e) {
    EXPECT_NE(std::string(e.what()).find("Invalid numeric value in field mtl->OPLAT (x*)"),
              std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(q.Active());
  q.SetStatement({"select * from nosuch.dbf"});
  EXPECT_THROW(q.Open(), EDbfSqlError);
  // A file that is no table: the engine's reason reaches the caller.
  {
    std::ofstream bad(Path("broken.dbf"), std::ios::binary);
    bad << "not a table at all, but long enough to hold a header";
  }
  q.SetStatement({"select * from broken.dbf"});
  try {
    q.Open();
    FAIL();
  } catch (const EDbfSqlError& e) {
    EXPECT_NE(std::string(e.what()).find("Table Header for"), std::string::npos) << e.what();
  }
  // An equality under another collation is not taken for an exact look-up.
  q.SetStatement({"select count(*) from stacion.dbf where polis = 'p1' collate nocase"});
  q.Open();
  EXPECT_EQ(q.Field(0), QVariant(qlonglong(1)));
  q.SetStatement({"select * from stacion.dbf where id=:id"});
  EXPECT_THROW(q.SetParam("other", 1), EDbfSqlError);
}

// An empty or NULL memo written through SQL leaves the pointer blank, as the
// format's other writers store it, on updates and on inserts alike.
TEST_F(DbfSqlStatements, EmptyMemosAreStoredAsBlankPointers) {
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"update operat.dbf set note=:n where id=4"});
  q.SetParam("n", QVariant());
  EXPECT_EQ(q.ExecSQL(), 1);
  q.SetStatement({"update operat.dbf set note='' where id=5"});
  EXPECT_EQ(q.ExecSQL(), 1);
  q.SetStatement({"insert into operat.dbf (id, note) values (7, NULL)"});
  q.ExecSQL();
  q.SetStatement({"insert into operat.dbf (id, note) values (8, '')"});
  q.ExecSQL();
  DFO_dBHandler t(Path("Operat.DBF"), false, false, "");
  const int note = t.FieldNumber("NOTE");
  for (int record : {4, 5, 7, 8}) {
    t.GoTo(record);
    EXPECT_EQ(t.GetFieldRaw(note), std::string(10, ' ')) << "record " << record;
  }
  t.GoTo(6);
  EXPECT_NE(t.GetFieldRaw(note), std::string(10, ' '));
}
