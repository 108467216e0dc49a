// Pruning an insurer's copy of a DBF registry (see insurer_dbf_copy.h).
#include "insurer_dbf_copy.h"

#include <QFileInfo>

#include "dbfsql/dbf_query.h"
#include "domain/pack_dbf_table.h"
#include "domain/run_user.h"
#include "filenames/file_lookup.h"

namespace kelmo {

namespace {

// The cases of other insurers, and those of none.
const QString kOtherCases =
    QStringLiteral("WHERE ID in (SELECT ID FROM STACION WHERE POLIS<>:polis or POLIS is null)");

void Delete(dbfsql::TQuery& query, const QString& table, const QString& condition,
            const QString& insurerCode) {
  query.SetStatement({QStringLiteral("DELETE FROM ") + table, condition});
  query.SetParam(QStringLiteral("polis"), insurerCode);
  query.ExecSQL();
}

}  // namespace

void PruneInsurerDbfCopy(const QString& folder, const QString& insurerCode, RunUser& user,
                         const QString& caption) {
  user.BeginPhase(caption, 6);
  dbfsql::TQuery query;
  query.SetDatabaseName(folder);
  const bool parents = !FindFileNoCase(folder, QStringLiteral("parents.dbf")).isEmpty();
  const bool services = !FindFileNoCase(folder, QStringLiteral("mtlusl.dbf")).isEmpty();
  // The detail tables first: they find the other insurers' cases through
  // STACION.
  Delete(query, QStringLiteral("MTL"), kOtherCases, insurerCode);
  user.StepRecord();
  Delete(query, QStringLiteral("OPERAT"), kOtherCases, insurerCode);
  user.StepRecord();
  if (parents) Delete(query, QStringLiteral("PARENTS"), kOtherCases, insurerCode);
  user.StepRecord();
  if (services) Delete(query, QStringLiteral("MTLUSL"), kOtherCases, insurerCode);
  user.StepRecord();
  Delete(query, QStringLiteral("STACION"), QStringLiteral("WHERE POLIS<>:polis or polis is null"),
         insurerCode);
  query.Close();
  user.StepRecord();
  for (const char* table : {"operat.dbf", "mtl.dbf", "stacion.dbf", "parents.dbf", "mtlusl.dbf"}) {
    const QString file = FindFileNoCase(folder, QString::fromLatin1(table));
    if (!file.isEmpty()) shell::PackDbfTable(folder, QFileInfo(file).fileName());
  }
  user.StepRecord();
}

}  // namespace kelmo
