// The database layer against the private test server: both forms of a
// server name, a missing server database, and a server that goes away.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <atomic>
#include <chrono>
#include <thread>

#include "firebird/database_error.h"
#include "firebird/database_name.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "firebird_test_server.h"

using namespace kelmo;
using kelmo::test::FirebirdTestServer;

namespace {

QCoreApplication& App() {
  static const QStringList connections = QSqlDatabase::connectionNames();
  static int argc = 1;
  static char name[] = "test_fb_server";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

QStringList ParamsOf(const FirebirdTestServer& server) {
  return {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=") + server.Password,
          QStringLiteral("lc_ctype=WIN1251")};
}

// How this connection reaches its database, as the server sees it.
QString Protocol(FbDatabase& db) {
  FbQuery q(db);
  q.setSql(QStringLiteral(
      "select trim(mon$remote_protocol) p from mon$attachments where mon$attachment_id = "
      "current_connection"));
  q.Open();
  return q.FieldByName(QStringLiteral("P")).toString();
}

class FbServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The client's configuration: its default port is the test server's,
    // as a fund's workstation reaches its server on the default port.
    if (const auto server = FirebirdTestServer::FromEnvironment())
      qputenv("FIREBIRD", server->Client.toLocal8Bit());
    App();
  }
};

}  // namespace

TEST_F(FbServer, BothNameFormsReachTheServer) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  const QString path = server.Path(QStringLiteral("registry.fdb"));
  const QString host = server.Server.section(QLatin1Char('/'), 0, 0);
  for (const QString& name : {server.Registry, host + QLatin1Char(':') + path}) {
    SCOPED_TRACE(name.toStdString());
    ASSERT_TRUE(IsServerDatabaseName(name));
    EXPECT_EQ(LocationOf(name).Path, path);
    FbDatabase db(QStringLiteral("forms"));
    db.setParams(ParamsOf(server));
    db.setDatabaseName(name);
    db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
    db.Open();
    EXPECT_EQ(Protocol(db), QStringLiteral("TCPv4"));
    // The schema the server's database was made with, WIN1251 text included.
    FbQuery q(db);
    q.setSql(QStringLiteral("select count(*) n from lpu"));
    q.Open();
    EXPECT_GT(q.FieldByName(QStringLiteral("N")).toInt(), 0);
    db.Close();
  }
}

TEST_F(FbServer, MissingServerDatabaseIsNamedNotCreated) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  const QString path = server.Path(QStringLiteral("missing.fdb"));
  FbDatabase db(QStringLiteral("missing"));
  db.setParams(ParamsOf(server));
  db.setDatabaseName(server.Name(QStringLiteral("missing.fdb")));
  db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
  // Nothing is created: neither here nor on the server (the same machine).
  EXPECT_NO_THROW(db.EnsureExists());
  try {
    db.Open();
    FAIL() << "a missing server database opened";
  } catch (const DatabaseError& error) {
    const QString expected = QStringLiteral("Не удалось открыть базу данных %1 на сервере %2: ")
                                 .arg(path, server.Server);
    EXPECT_TRUE(error.message().startsWith(expected)) << error.message().toStdString();
  }
  EXPECT_FALSE(db.Connected());
  EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(FbServer, ServerGoingAwayDropsTheConnectionAndAReopenWorks) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  FbDatabase db(QStringLiteral("away"));
  db.setParams(ParamsOf(server));
  db.setDatabaseName(server.Registry);
  FbTransaction tr(db);
  FbQuery next(db, &tr);
  next.setSql(QStringLiteral("select gen_id(gen_repn, 0) g from rdb$database"));
  next.Open();
  ASSERT_TRUE(tr.InTransaction());

  ASSERT_TRUE(server.Stop());
  try {
    next.Open();
    FAIL() << "a statement ran on a stopped server";
  } catch (const DatabaseError& error) {
    EXPECT_TRUE(error.message().startsWith(
        QStringLiteral("Связь с сервером %1 прервана: ").arg(server.Server)))
        << error.message().toStdString();
  }
  EXPECT_FALSE(db.Connected());
  // The transaction's work is gone: its commit says so instead of passing
  // for a save; a rollback of it is quiet.
  EXPECT_THROW(tr.Commit(), DatabaseError);
  EXPECT_NO_THROW(tr.Rollback());
  // While the server is down, opening names the server.
  EXPECT_THROW(next.Open(), DatabaseError);

  ASSERT_TRUE(server.Start());
  // The next use connects afresh and starts a new transaction.
  next.Open();
  EXPECT_TRUE(tr.InTransaction());
  EXPECT_NO_THROW(tr.Commit());
  db.Close();
}

TEST_F(FbServer, LockConflictIsReportedAndTheWorkCanBeRedone) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  const QString touch = QStringLiteral("update lpu set phone_glv = :phone where id = 1");
  FbDatabase first(QStringLiteral("conflict_first"));
  first.setParams(ParamsOf(server));
  first.setDatabaseName(server.Registry);
  FbTransaction trFirst(first);
  FbQuery before(first);
  before.setSql(QStringLiteral("select phone_glv from lpu where id = 1"));
  before.Open();
  const QVariant original = before.FieldByName(QStringLiteral("PHONE_GLV"));
  FbQuery update(first, &trFirst);
  update.setSql(touch);
  update.setParam(QStringLiteral("phone"), QStringLiteral("1"));
  update.ExecSQL();

  // Another workstation (a connection of its own thread) touches the same
  // row: it waits for the first, which commits, and then hears of the
  // conflict; its connection stays up and the work, done again in a new
  // transaction, goes through.
  QString conflict;
  bool connectedAfter = false;
  bool redone = false;
  std::atomic<bool> begun = false;
  std::thread other([&] {
    FbDatabase second(QStringLiteral("conflict_second"));
    second.setParams(ParamsOf(server));
    second.setDatabaseName(server.Registry);
    FbTransaction trSecond(second);
    FbQuery mine(second, &trSecond);
    mine.setSql(touch);
    mine.setParam(QStringLiteral("phone"), QStringLiteral("2"));
    trSecond.StartTransaction();
    // Its snapshot is older than the first one's commit: the conflict is
    // certain whether the update waits or comes after the commit.
    begun = true;
    try {
      mine.ExecSQL();
    } catch (const DatabaseError& error) {
      conflict = error.message();
    }
    connectedAfter = second.Connected();
    trSecond.Rollback();
    try {
      mine.ExecSQL();
      trSecond.Commit();
      redone = true;
    } catch (const DatabaseError&) {
    }
    second.Close();
  });
  while (!begun) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  trFirst.Commit();
  other.join();
  EXPECT_TRUE(conflict.contains(QStringLiteral("update conflicts with concurrent update")))
      << conflict.toStdString();
  EXPECT_TRUE(connectedAfter);
  EXPECT_TRUE(redone);
  FbQuery phone(first);
  phone.setSql(QStringLiteral("select phone_glv from lpu where id = 1"));
  phone.Open();
  EXPECT_EQ(phone.FieldByName(QStringLiteral("PHONE_GLV")).toString(), QStringLiteral("2"));
  // The shared database is left as it was found.
  update.setParam(QStringLiteral("phone"), original);
  update.ExecSQL();
  trFirst.Commit();
  first.Close();
}
