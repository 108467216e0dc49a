// The reception against a registry database on the private test server:
// two institutions' registries received at once from two processes, the
// isolation of their uncommitted rows, and a server that goes away in the
// middle of a run in the window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "domain/run_user.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "firebird_test_server.h"
#include "reception/reception_run.h"
#include "reception_harness.h"
#include "reception_inputs_fixture.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

// The run's user of a worker process: nothing to show.
class QuietUser : public RunUser {
 public:
  void Message(const QString&, const QString& text, RunMessageIcon) override { messages << text; }
  bool Ask(const QString&, const QString& text, RunMessageIcon) override {
    messages << text;
    return true;
  }
  void Beep() override {}
  void ShowProgress() override {}
  void BeginPhase(const QString&, int) override {}
  void StepRecord() override {}
  void EndProgress() override {}
  void MinimiseWindow() override {}
  void RestoreWindow() override {}
  void ShowProtocol(bool) override {}
  QStringList messages;
};

struct Institution {
  int lpu;
  QString fullName;  // as the act's head writes it
  QString mcod;
  QStringList families;
};

const Institution kRegional{
    1, "ГБУ «Областная клиническая больница»", "450001", {"ИВАНОВ", "ПЕТРОВ", "СИДОРОВ"}};
const Institution kCity{25,
                        "ГБУ «Городская больница № 1»",
                        "450025",
                        {"ОРЛОВ", "ЗАЙЦЕВ", "ВОЛКОВ", "ЛЕБЕДЕВ", "КОЗЛОВ"}};

std::vector<RegistryCase> CasesOf(const Institution& inst) {
  std::vector<RegistryCase> cases;
  int day = 1;
  for (const QString& family : inst.families) {
    RegistryCase c;
    c.id = static_cast<int>(cases.size()) + 1;
    c.nomib = QString::number(100 + c.id);
    c.family = family;
    c.mcod = inst.mcod;
    c.number = QStringLiteral("45000000000000%1").arg(c.id + inst.lpu, 2, 10, QLatin1Char('0'));
    c.in = QDate(2024, 3, day);
    c.out = QDate(2024, 3, day + 5);
    day += 6;
    cases.push_back(c);
  }
  return cases;
}

FbDatabase& ServerConnection(FbDatabase& db, const FirebirdTestServer& server) {
  db.setParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=") + server.Password,
                QStringLiteral("lc_ctype=WIN1251")});
  db.setDatabaseName(server.Registry);
  return db;
}

QVariant One(FbDatabase& db, const QString& sql, const QVariant& repn = {}) {
  FbQuery q(db);
  q.setSql(sql);
  if (repn.isValid()) q.setParam(QStringLiteral("repn"), repn);
  q.Open();
  return q.Value(0, 0);
}

QStringList Families(FbDatabase& db, int repn) {
  FbQuery q(db);
  q.setSql(QStringLiteral("select trim(family) from stacion where repn = :repn order by id_ill"));
  q.setParam(QStringLiteral("repn"), repn);
  q.Open();
  QStringList families;
  for (int row = 0; row < q.RecordCount(); ++row) families << q.Value(row, 0).toString();
  return families;
}

// What a worker reports on its standard output, one "key=value" a line.
QMap<QString, QString> Report(const QByteArray& output) {
  QMap<QString, QString> report;
  for (const QString& line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (line.startsWith(QLatin1String("worker.")) && eq > 0)
      report.insert(line.mid(7, eq - 7), line.mid(eq + 1).trimmed());
  }
  return report;
}

}  // namespace

// One reception of a worker process started by the test below; it is not
// run on its own (the environment names its registry and database).
TEST(ServerReceptionWorker, DISABLED_Receive) {
  const QString folder = qEnvironmentVariable("KELMO_WORKER_FOLDER");
  if (folder.isEmpty()) GTEST_SKIP() << "run by TwoInstitutionsAtOnceFromTwoProcesses";
  const ReceptionInputs in =
      MarchReceptionInputs(folder, qEnvironmentVariable("KELMO_WORKER_DATABASE"),
                           qEnvironmentVariableIntValue("KELMO_WORKER_LPU"),
                           qEnvironmentVariable("KELMO_WORKER_LPU_NAME"));
  // Both workers start their runs together.
  const QString go = qEnvironmentVariable("KELMO_WORKER_GO");
  for (int i = 0; i < 3000 && !QFileInfo::exists(go); ++i) QThread::msleep(10);
  FbDatabase db(QStringLiteral("worker"));
  db.setParams(FbDatabase::DefaultParams());
  db.setDatabaseName(in.DatabaseName);
  FbTransaction tr(db);
  QuietUser user;
  ReceiveRegistry(in, ReceptionServices{db, tr, user, {}});
  db.Close();
  const ReceptionState& state = TheReceptionState();
  printf("worker.repn=%d\nworker.act=%s\n", state.ReportNumber[Population::Local],
         TheRunState().ProtocolPath.toUtf8().constData());
  fflush(stdout);
}

TEST(ServerReception, TwoInstitutionsAtOnceFromTwoProcesses) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  const Institution institutions[] = {kRegional, kCity};
  QTemporaryDir folders;
  std::vector<std::unique_ptr<QProcess>> workers;
  for (const Institution& inst : institutions) {
    const QString folder = folders.filePath(QString::number(inst.lpu));
    QDir().mkpath(folder);
    BuildRegistry(folder, CasesOf(inst));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KELMO_FB_PASSWORD", server.Password);
    env.insert("KELMO_WORKER_FOLDER", folder);
    env.insert("KELMO_WORKER_GO", folders.filePath("go"));
    env.insert("KELMO_WORKER_LPU", QString::number(inst.lpu));
    env.insert("KELMO_WORKER_LPU_NAME", inst.fullName);
    // One workstation names the server by host and port, the other by host
    // alone, its client's default port being the server's.
    if (inst.lpu == kRegional.lpu) {
      env.insert("KELMO_WORKER_DATABASE", server.Registry);
    } else {
      env.insert("FIREBIRD", server.Client);
      env.insert("KELMO_WORKER_DATABASE", server.Server.section('/', 0, 0) + ':' +
                                              server.Path(QStringLiteral("registry.fdb")));
    }
    auto worker = std::make_unique<QProcess>();
    worker->setProcessEnvironment(env);
    worker->setProcessChannelMode(QProcess::SeparateChannels);
    worker->start(QCoreApplication::applicationFilePath(),
                  {"--gtest_also_run_disabled_tests",
                   "--gtest_filter=ServerReceptionWorker.DISABLED_Receive"});
    workers.push_back(std::move(worker));
  }
  for (auto& worker : workers) ASSERT_TRUE(worker->waitForStarted());
  QFile(folders.filePath("go")).open(QIODevice::WriteOnly);

  std::vector<QMap<QString, QString>> reports;
  for (auto& worker : workers) {
    ASSERT_TRUE(worker->waitForFinished(180000));
    const QByteArray out = worker->readAllStandardOutput();
    EXPECT_EQ(worker->exitCode(), 0)
        << out.toStdString() << worker->readAllStandardError().toStdString();
    reports.push_back(Report(out));
  }

  FbDatabase db(QStringLiteral("two_workstations"));
  ServerConnection(db, server).Open();
  QSet<int> repns;
  for (size_t i = 0; i < reports.size(); ++i) {
    const Institution& inst = institutions[i];
    const auto& report = reports[i];
    SCOPED_TRACE(inst.lpu);
    const int repn = report.value("repn").toInt();
    ASSERT_GT(repn, 0);
    repns.insert(repn);
    // Both runs went through their loading to the end of the act.
    const QStringList act = ReadActLines(report.value("act"));
    EXPECT_TRUE(act.contains("ЛПУ: " + inst.fullName + ".")) << act.join('\n').toStdString();
    EXPECT_EQ(act.value(act.size() - 1), "Подпись экономиста:");
    EXPECT_FALSE(act.join('\n').contains("не загружен")) << act.join('\n').toStdString();
    // The database holds each registry whole, under its own report.
    EXPECT_EQ(One(db, "select lpu from reports where repn = :repn", repn).toInt(), inst.lpu);
    EXPECT_EQ(Families(db, repn), inst.families);
    EXPECT_EQ(One(db, "select count(*) from mtl where repn = :repn", repn).toInt(),
              inst.families.size());
  }
  EXPECT_EQ(repns.size(), 2);
  // The case ids come from one generator: no id is shared.
  const QList<int> both = repns.values();
  EXPECT_EQ(
      One(db, QStringLiteral("select count(distinct id_ill) from stacion where repn in (%1, %2)")
                  .arg(both[0])
                  .arg(both[1]))
          .toInt(),
      kRegional.families.size() + kCity.families.size());
  db.Close();
}

TEST(ServerReception, UncommittedRowsStayWithTheirWorkstation) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  FbDatabase first(QStringLiteral("first")), second(QStringLiteral("second"));
  ServerConnection(first, server);
  ServerConnection(second, server);
  FbTransaction trFirst(first), trSecond(second);
  auto newReport = [](FbDatabase& db, FbTransaction& tr, int lpu) {
    FbQuery repn(db, &tr);
    repn.setSql(QStringLiteral("execute procedure GETREPN"));
    repn.Open();
    const int number = repn.FieldByName(QStringLiteral("RREPN")).toInt();
    FbQuery insert(db, &tr);
    insert.setSql(QStringLiteral(
        "insert into reports (repn, lpu, oplat, tip_stac, inogor, date_beg, date_end) values "
        "(:repn, :lpu, 1, 1, '0', '2024-03-01', '2024-03-31')"));
    insert.setParam(QStringLiteral("repn"), number);
    insert.setParam(QStringLiteral("lpu"), lpu);
    insert.ExecSQL();
    return number;
  };
  auto seen = [](FbDatabase& db, FbTransaction& tr, int repn) {
    FbQuery q(db, &tr);
    q.setSql(QStringLiteral("select count(*) from reports where repn = :repn"));
    q.setParam(QStringLiteral("repn"), repn);
    q.Open();
    return q.Value(0, 0).toInt();
  };
  const int a = newReport(first, trFirst, kRegional.lpu);
  const int b = newReport(second, trSecond, kCity.lpu);
  EXPECT_NE(a, b);
  EXPECT_EQ(seen(second, trSecond, a), 0);
  EXPECT_EQ(seen(first, trFirst, b), 0);
  // A rolled-back registry leaves nothing; a committed one is seen by a
  // transaction started after the commit.
  trFirst.Rollback();
  trSecond.Commit();
  EXPECT_EQ(seen(first, trFirst, b), 1);
  EXPECT_EQ(seen(first, trFirst, a), 0);
  trFirst.Commit();
  FbQuery clean(second, &trSecond);
  clean.setSql(QStringLiteral("delete from reports where repn = :repn"));
  clean.setParam(QStringLiteral("repn"), b);
  clean.ExecSQL();
  trSecond.Commit();
  first.Close();
  second.Close();
}

TEST(ServerReception, ServerGoneMidRunIsInTheActAndTheWindowCarriesOn) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  qputenv("KELMO_FB_PASSWORD", server.Password.toLocal8Bit());
  ReceptionHarness h(server.Registry, server.Central);
  EXPECT_EQ(h.W().ibdb.databaseName(), server.Registry);
  // The central segment is the server's too.
  FbDatabase& central = h.forms.DM->CS_base;
  EXPECT_EQ(central.databaseName(), server.Central);
  central.Open();
  EXPECT_GT(One(central, "select count(*) from pacient").toInt(), 0);
  central.Close();
  BuildRegistry(h.registry, CasesOf(kRegional));
  h.Choose();
  h.SelectLpu(kRegional.lpu);

  // The server is stopped as soon as the first case has been loaded.
  bool stopped = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!stopped && h.forms.fmPrgs->pb->Progress() >= 1) {
      stopped = true;
      ASSERT_TRUE(server.Stop());
    }
  });
  watch.start(0);
  h.Press();
  watch.stop();
  ASSERT_TRUE(stopped) << "the run ended before its first case was loaded";
  const int brokenRepn = TheReceptionState().ReportNumber[Population::Local];

  // The act ends saying that the server went away; the run reached nothing
  // after the loading.
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::Error);
  const QStringList broken = h.Act();
  ASSERT_FALSE(broken.isEmpty());
  EXPECT_TRUE(broken.last().startsWith("Работа прервана из-за ошибки: Связь с сервером " +
                                       server.Server + " прервана"))
      << broken.last().toStdString();
  EXPECT_FALSE(broken.contains("Подпись экономиста:"));
  // The window told its user and is ready for another run.
  EXPECT_TRUE(h.W().bbKelmo->isEnabled());

  ASSERT_TRUE(server.Start());
  QDir(h.registry).removeRecursively();
  QDir().mkpath(h.registry);
  BuildRegistry(h.registry, CasesOf(kRegional));
  h.Press();
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  EXPECT_EQ(h.Act().last(), "Подпись экономиста:");
  const int repn = TheReceptionState().ReportNumber[Population::Local];
  EXPECT_NE(repn, brokenRepn);
  FbDatabase db(QStringLiteral("after_restart"));
  ServerConnection(db, server).Open();
  EXPECT_EQ(Families(db, repn), kRegional.families);
  // The broken run's report is not among the institution's received ones
  // (the window counts those accepted in both views).
  EXPECT_EQ(One(db, "select see1 + see2 from reports where repn = :repn", brokenRepn).toInt(), 0);
  db.Close();
}

TEST(ServerReception, MissingServerDatabasesAreNamedAtStartAndNotMade) {
  KELMO_TEST_SERVER_OR_SKIP(server);
  qputenv("KELMO_FB_PASSWORD", server.Password.toLocal8Bit());
  const QString registry = server.Name(QStringLiteral("no-registry.fdb"));
  const QString central = server.Name(QStringLiteral("no-central.fdb"));
  ReceptionHarness h(registry, central);
  // The window comes up and says which database on which server it could
  // not open; nothing was made in its place, here or on the server.
  QStringList messages;
  for (const auto& call : h.script.CallsOf(ScriptedInteraction::Kind::Message))
    messages << call.text;
  EXPECT_TRUE(messages.join('\n').contains(
      QStringLiteral("Не удалось открыть базу данных %1 на сервере %2")
          .arg(server.Path(QStringLiteral("no-registry.fdb")), server.Server)))
      << messages.join('\n').toStdString();
  EXPECT_FALSE(h.W().ibdb.Connected());
  EXPECT_FALSE(QFileInfo::exists(server.Path(QStringLiteral("no-registry.fdb"))));
  EXPECT_FALSE(QFileInfo::exists(server.Path(QStringLiteral("no-central.fdb"))));
  EXPECT_TRUE(h.W().bbKelmo->isEnabled());
}
