// An insurer's copy of a DBF registry pruned to its own cases: every table's
// records of other insurers' cases and of cases without a policy code are
// gone for good (packed), the insurer's stay, with or without the optional
// tables; the progress window counts six steps.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dbf/dbf_dataset.h"
#include "dbf/table_builder.h"
#include "dbfsql/dbf_query.h"
#include "documents/insurer_dbf_copy.h"
#include "recording_run_user.h"

using namespace kelmo;

namespace {

void Table(const QString& folder, const char* name, bool withPolis) {
  dbf::DFO_DBFBuild build(QDir(folder).filePath(QString::fromLatin1(name)).toStdString());
  build.AddField("ID", 'N', 10, 0);
  if (withPolis) build.AddField("POLIS", 'C', 5, 0);
  build.WriteFiles();
}

// Cases 1 and 3 of insurer 2778, 2 of 2779, 4 without a policy code; every
// case has a row in each detail table (case 1 two).
void Registry(const QString& folder, bool optional) {
  Table(folder, "stacion.dbf", true);
  QStringList details = {"mtl.dbf", "operat.dbf"};
  if (optional)
    details << "parents.dbf"
            << "mtlusl.dbf";
  for (const QString& t : details) Table(folder, t.toLatin1().constData(), false);
  dbfsql::TQuery q;
  q.SetDatabaseName(folder);
  const std::pair<int, const char*> cases[] = {{1, "2778"}, {2, "2779"}, {3, "2778"}, {4, nullptr}};
  for (const auto& [id, polis] : cases) {
    q.SetStatement({"insert into stacion.dbf (id, polis) values (:id, :polis)"});
    q.SetParam("id", id);
    q.SetParam("polis", polis ? QVariant(QString::fromLatin1(polis)) : QVariant());
    q.ExecSQL();
    for (const QString& t : details) {
      q.SetStatement({"insert into " + t + " (id) values (:id)"});
      q.SetParam("id", id);
      q.ExecSQL();
      if (id == 1) q.ExecSQL();
    }
  }
}

// The ids of a table's records, deleted ones included (a pack removes those).
QList<int> PhysicalIds(const QString& folder, const char* table) {
  dbf::TDbfDataSet ds;
  ds.SetDatabaseName(folder.toStdString());
  ds.SetTableName(table);
  ds.SetUseDeleted(true);
  ds.Open();
  QList<int> ids;
  for (ds.First(); !ds.Eof(); ds.Next()) ids << static_cast<int>(ds.GetFieldData("ID").integer);
  ds.Close();
  return ids;
}

}  // namespace

TEST(InsurerDbfCopy, KeepsTheInsurersCasesInEveryTable) {
  for (const bool optional : {true, false}) {
    SCOPED_TRACE(optional ? "with parents and services" : "without them");
    QTemporaryDir dir;
    Registry(dir.path(), optional);
    test::RecordingRunUser user;
    PruneInsurerDbfCopy(dir.path(), QStringLiteral("2778"), user,
                        QStringLiteral("Выборка для Бервинта Кредо..."));
    EXPECT_EQ(PhysicalIds(dir.path(), "stacion.dbf"), QList<int>({1, 3}));
    QStringList details = {"mtl.dbf", "operat.dbf"};
    if (optional)
      details << "parents.dbf"
              << "mtlusl.dbf";
    for (const QString& t : details)
      EXPECT_EQ(PhysicalIds(dir.path(), t.toLatin1().constData()), QList<int>({1, 1, 3}))
          << t.toStdString();
    EXPECT_EQ(user.phases, QStringList({"Выборка для Бервинта Кредо..."}));
    EXPECT_EQ(user.steps, 6);
  }
}

TEST(InsurerDbfCopy, AMissingCaseTableEndsThePruning) {
  QTemporaryDir dir;
  Registry(dir.path(), false);
  QFile::remove(QDir(dir.path()).filePath("operat.dbf"));
  test::RecordingRunUser user;
  EXPECT_THROW(PruneInsurerDbfCopy(dir.path(), QStringLiteral("2779"), user, QString()),
               std::exception);
}
