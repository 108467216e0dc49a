// The registry database layer against real embedded Firebird databases made
// in a temporary folder: creation from scripts, WIN1251 text, parameters,
// transactions and the messages of the failures.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include "firebird/database_error.h"
#include "firebird/database_name.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "firebird/fb_statement.h"

using namespace kelmo;

namespace {

QCoreApplication& App() {
  // QtSql's connection list must outlive the application object, whose
  // destruction at exit still reaches it: make it first.
  static const QStringList connections = QSqlDatabase::connectionNames();
  static int argc = 1;
  static char name[] = "test_fb_database";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

void WriteFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

class FbDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(dir.isValid());
    scripts = dir.filePath("scripts");
    QDir().mkpath(scripts);
    WriteFile(scripts + "/020_data.sql",
              "INSERT INTO T (ID, NAME) VALUES (1, 'Больница');\n"
              "INSERT INTO T (ID, NAME) VALUES (2, 'it''s; fine');\n"
              "EXECUTE PROCEDURE P_ADD(3, 'третья');\n");
    WriteFile(scripts + "/010_schema.sql",
              "-- a table; and a procedure\n"
              "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), "
              "SUM_SF NUMERIC(18,4), D TIMESTAMP);\n"
              "SET TERM ^ ;\n"
              "CREATE PROCEDURE P_ADD (AID INTEGER, ANAME VARCHAR(40)) AS\n"
              "BEGIN\n  INSERT INTO T (ID, NAME) VALUES (:AID, :ANAME);\nEND^\n"
              "CREATE PROCEDURE P_NEXT (AID INTEGER) RETURNS (NEXT_ID INTEGER) AS\n"
              "BEGIN\n  NEXT_ID = AID + 1;\nEND^\n"
              "SET TERM ; ^\n");
  }

  QTemporaryDir dir;
  QString scripts;
};

TEST_F(FbDatabaseTest, CreatesMissingDatabaseFromScriptsInNameOrder) {
  const QString path = dir.filePath("reg.fdb");
  FbDatabase db("test_create");
  db.setDatabaseName(path);
  db.setScriptFolder(scripts);
  db.Open();
  EXPECT_TRUE(QFile::exists(path));
  FbQuery q(db);
  q.setSql(QStringList{"select ID, NAME from T", "order by ID"});
  q.Open();
  ASSERT_EQ(q.RecordCount(), 3);
  EXPECT_EQ(q.FieldByName("name").toString(), QString("Больница"));
  q.Next();
  EXPECT_EQ(q.FieldByName("NAME").toString(), QString("it's; fine"));
  q.Next();
  EXPECT_EQ(q.FieldByName("NAME").toString(), QString("третья"));
  q.Next();
  EXPECT_TRUE(q.Eof());
  EXPECT_THROW(q.FieldByName("NOPE"), DatabaseError);
}

// An executed procedure answers one row: reading it as a result set must
// stop there rather than fetch the same row for ever.
TEST_F(FbDatabaseTest, ExecutedProcedureOpensAsOneRow) {
  FbDatabase db("test_exec_proc");
  db.setDatabaseName(dir.filePath("reg.fdb"));
  db.setScriptFolder(scripts);
  FbQuery q(db);
  q.setSql("  EXECUTE PROCEDURE P_NEXT(:id)");
  q.setParam("id", 41);
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName("NEXT_ID").toInt(), 42);
}

TEST_F(FbDatabaseTest, ParametersByNameAndTransactionCommit) {
  const QString path = dir.filePath("reg.fdb");
  {
    FbDatabase db("test_params");
    db.setDatabaseName(path);
    db.setScriptFolder(scripts);
    FbTransaction tr(db);
    FbQuery ins(db, &tr);
    ins.setSql("insert into T (ID, NAME, SUM_SF, D) values (:id, :name, :sum, :d)");
    ins.setParam("id", 10);
    ins.setParam("name", QString("Ёлка"));
    ins.setParam("sum", QString("1234.5678"));
    ins.setParam("d", QDateTime(QDate(2013, 3, 1), QTime(0, 0)));
    ins.ExecSQL();
    EXPECT_TRUE(tr.InTransaction());
    tr.Commit();
    FbQuery sel(db);
    sel.setSql("select NAME, SUM_SF, D from T where ID = :id and D >= :d");
    sel.setParam("id", 10);
    sel.setParam("d", QDateTime(QDate(2013, 3, 1), QTime(0, 0)));
    sel.Open();
    ASSERT_EQ(sel.RecordCount(), 1);
    EXPECT_EQ(sel.FieldByName("NAME").toString(), QString("Ёлка"));
    EXPECT_EQ(sel.FieldByName("SUM_SF").toString(), QString("1234.5678"));
    EXPECT_EQ(sel.FieldByName("D").toDateTime().date(), QDate(2013, 3, 1));
  }
  // A second connection later sees the committed row.
  FbDatabase again("test_params2");
  again.setDatabaseName(path);
  FbQuery sel(again);
  sel.setSql("select count(*) from T");
  sel.Open();
  EXPECT_EQ(sel.Value(0, 0).toInt(), 4);
}

TEST_F(FbDatabaseTest, FailuresNameThePathOrCarryTheDriverMessage) {
  struct Case {
    QString name;
    QString path;
    QString expected;
  };
  const QString missingFolder = dir.filePath("no/such/folder/reg.fdb");
  const QString readOnly = dir.filePath("ro");
  QDir().mkpath(readOnly);
  QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
  const bool root = QFileInfo(readOnly).isWritable();  // root writes anywhere
  std::vector<Case> cases = {
      {"missing folder", missingFolder, "Папка базы данных не существует"},
      {"empty name", "", "Не задано имя базы данных"},
  };
  if (!root) cases.push_back({"read-only folder", readOnly + "/reg.fdb", "Нет права записи"});
  for (const Case& c : cases) {
    FbDatabase db("test_fail");
    db.setDatabaseName(c.path);
    db.setScriptFolder(scripts);
    try {
      db.Open();
      ADD_FAILURE() << c.name.toStdString();
    } catch (const DatabaseError& e) {
      EXPECT_TRUE(e.message().contains(c.expected)) << e.message().toStdString();
      if (!c.path.isEmpty()) EXPECT_TRUE(e.message().contains(c.path)) << c.name.toStdString();
    }
    EXPECT_FALSE(db.Connected());
  }
  // Without a script folder a missing file is not created: the driver's
  // message reaches the caller.
  FbDatabase db("test_nocreate");
  db.setDatabaseName(dir.filePath("absent.fdb"));
  EXPECT_THROW(db.Open(), DatabaseError);
  EXPECT_FALSE(QFile::exists(dir.filePath("absent.fdb")));
}

TEST_F(FbDatabaseTest, BrokenScriptLeavesNoHalfMadeDatabase) {
  WriteFile(scripts + "/030_bad.sql", "CREATE TABLE BROKEN (;\n");
  const QString path = dir.filePath("bad.fdb");
  FbDatabase db("test_bad");
  db.setDatabaseName(path);
  db.setScriptFolder(scripts);
  try {
    db.Open();
    ADD_FAILURE();
  } catch (const DatabaseError& e) {
    EXPECT_TRUE(e.message().startsWith("030_bad.sql")) << e.message().toStdString();
  }
  EXPECT_FALSE(QFile::exists(path));
}

TEST(DatabaseName, PlainPathsAndServerNames) {
  struct Case {
    const char* name;
    bool server;
  } cases[] = {
      {"/data/kelmo.fdb", false}, {"kelmo.fdb", false},       {"./a:b.fdb", false},
      {"srv:/data/k.fdb", true},  {"srv/3050:/data/k", true}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsServerDatabaseName(c.name), c.server) << c.name;
}

}  // namespace

// A prepared statement runs again after its transaction was committed, a
// name written twice is bound in both places, an empty text stays a text,
// and an executed procedure's outputs are read.
TEST_F(FbDatabaseTest, PreparedStatementOutlivesCommits) {
  FbDatabase db("test_statement");
  db.setDatabaseName(dir.filePath("reg.fdb"));
  db.setScriptFolder(scripts);
  FbTransaction tr(db);
  FbStatement insert(db, &tr);
  insert.Prepare("insert into T (ID, NAME, SUM_SF) values (:id, :name, :id)");
  for (int id = 10; id < 14; ++id) {
    insert.Set("id", id);
    insert.Set("name", id == 11 ? QVariant(QString()) : QVariant(QString("n%1").arg(id)));
    insert.Set("unknown", 1);  // ignored
    insert.Exec();
    tr.Commit();
  }
  FbStatement next(db, &tr);
  next.Prepare("execute procedure P_NEXT(:id)");
  next.Set("id", 41);
  next.Exec();
  EXPECT_EQ(next.Value("NEXT_ID").toInt(), 42);
  tr.Commit();
  FbQuery q(db);
  q.setSql("select count(*) c, sum(SUM_SF) s from T where ID >= 10 and NAME is not null");
  q.Open();
  EXPECT_EQ(q.FieldByName("C").toInt(), 4);
  EXPECT_EQ(q.FieldByName("S").toDouble(), 46.0);
}
