// Appending a sub-folder's rows to the registry folder's tables (see
// insurer_rows_append.h).
#include "insurer_rows_append.h"

#include <QDir>
#include <QStringList>

#include "combined_report_stop.h"
#include "dbfsql/dbf_query.h"
#include "filenames/file_lookup.h"

namespace kelmo {

namespace {

const QString kHomeRegion = QStringLiteral("1137");

// The case condition of a member: the insurer's home-region cases, or the
// cases of other regions; `prefix` qualifies the columns ("STACION." in the
// joins).
QString CaseCondition(InsurerRowsMember member, const QString& prefix) {
  switch (member) {
    case InsurerRowsMember::Insurer2779:
    case InsurerRowsMember::Insurer2989:
      return QStringLiteral("WHERE (%1POLIS='%2') AND (%1POL_OBL='%3')")
          .arg(prefix, SubFolderOf(member), kHomeRegion);
    case InsurerRowsMember::OutOfRegion:
      return QStringLiteral("WHERE (%1POL_OBL<>'%2')").arg(prefix, kHomeRegion);
  }
  return {};
}

// The statement that selects a table's rows of the member, line by line.
QStringList SelectStatement(const QString& table, InsurerRowsMember member) {
  const QString cases = CaseCondition(member, QStringLiteral("STACION."));
  const bool outOfRegion = member == InsurerRowsMember::OutOfRegion;
  if (table == QLatin1String("STACION"))
    return {QStringLiteral("SELECT * FROM STACION"), CaseCondition(member, QString())};
  if (table == QLatin1String("MTL"))
    // The out-of-region sheets are joined to their cases (a sheet without
    // one is not selected either way).
    return {QStringLiteral("SELECT MTL.*"), QStringLiteral("FROM MTL"),
            outOfRegion ? QStringLiteral("JOIN STACION ON MTL.ID=STACION.ID")
                        : QStringLiteral("LEFT JOIN STACION ON MTL.ID=STACION.ID"),
            cases, QStringLiteral("ORDER BY MTL.ID, MTL.NOM_MTL")};
  if (table == QLatin1String("OPERAT"))
    return {QStringLiteral("SELECT OPERAT.*"), QStringLiteral("FROM OPERAT"),
            QStringLiteral("LEFT JOIN STACION ON Operat.ID=STACION.ID"), cases};
  if (table == QLatin1String("PARENTS"))
    return outOfRegion
               ? QStringList{QStringLiteral("SELECT PARENTS.*"), QStringLiteral("FROM PARENTS"),
                             QStringLiteral("LEFT JOIN STACION ON Parents.ID=STACION.ID"), cases}
               : QStringList{QStringLiteral("SELECT PARENTS.* FROM PARENTS"),
                             QStringLiteral("LEFT JOIN STACION ON Parents.ID=Stacion.ID"), cases};
  return outOfRegion
             ? QStringList{QStringLiteral("SELECT MTLUSL.*"), QStringLiteral("FROM MTLUSL"),
                           QStringLiteral("LEFT JOIN STACION ON Mtlusl.ID=STACION.ID"), cases}
             : QStringList{QStringLiteral("SELECT MTLUSL.* FROM MTLUSL"),
                           QStringLiteral("LEFT JOIN STACION ON MTLUSL.ID=Stacion.ID"), cases};
}

// The field names of a table of the target folder, in field order. Opening
// it is also the test that the table is there.
QStringList TargetFields(dbfsql::TQuery& target, const QString& table) {
  target.SetStatement({QStringLiteral("SELECT * FROM ") + table, QStringLiteral("WHERE 1=0")});
  target.Open();
  QStringList names;
  for (int k = 0; k < target.FieldCount(); ++k) names << target.FieldName(k);
  target.Close();
  return names;
}

// Appends the selected rows of one table: field k of the source into field
// k of the target. `dropSurplus`: fields beyond the target's are left out
// instead of refused.
void AppendTable(dbfsql::TQuery& source, dbfsql::TQuery& target, const QString& table,
                 InsurerRowsMember member, bool dropSurplus) {
  const QStringList fields = TargetFields(target, table);
  source.Close();
  source.SetStatement(SelectStatement(table, member));
  source.Open();
  const int sourceCount = source.FieldCount();
  if (sourceCount > fields.size() && !dropSurplus)
    throw InsurerRowsError(
        QStringLiteral("Таблица %1 папки %2 содержит больше полей (%3), чем таблица "
                       "отчёта (%4)")
            .arg(table, SubFolderOf(member))
            .arg(sourceCount)
            .arg(fields.size())
            .toStdString());
  const int copied = std::min<int>(sourceCount, static_cast<int>(fields.size()));
  QStringList columns, values;
  for (int k = 0; k < copied; ++k) {
    columns << QLatin1Char('"') + fields[k] + QLatin1Char('"');
    values << QStringLiteral(":f%1").arg(k);
  }
  target.SetStatement(
      {QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
           columns.join(QLatin1Char(',')) + QStringLiteral(")"),
       QStringLiteral("VALUES (") + values.join(QLatin1Char(',')) + QStringLiteral(")")});
  for (; !source.Eof(); source.Next()) {
    for (int k = 0; k < copied; ++k) target.SetParamAt(k, source.Field(k));
    target.ExecSQL();
  }
  source.Close();
  source.SetStatement({});
  target.Close();
}

}  // namespace

QString SubFolderOf(InsurerRowsMember member) {
  switch (member) {
    case InsurerRowsMember::Insurer2779:
      return QStringLiteral("2779");
    case InsurerRowsMember::Insurer2989:
      return QStringLiteral("2989");
    case InsurerRowsMember::OutOfRegion:
      return QStringLiteral("Иногородние");
  }
  return {};
}

void AppendInsurerRows(const QString& registryFolder, InsurerRowsMember member) {
  const QString subFolder = QDir(registryFolder).filePath(SubFolderOf(member));
  dbfsql::TQuery target;
  target.SetDatabaseName(registryFolder);
  dbfsql::TQuery source;
  source.SetDatabaseName(subFolder);
  // The registry folder's cases must be there before anything is appended.
  TargetFields(target, QStringLiteral("STACION"));
  for (const char* name : {"STACION", "MTL", "OPERAT", "PARENTS", "MTLUSL"}) {
    const QString table = QString::fromLatin1(name);
    const QString file = table.toLower() + QStringLiteral(".dbf");
    if ((table == QLatin1String("PARENTS") || table == QLatin1String("MTLUSL")) &&
        (FindFileNoCase(registryFolder, file).isEmpty() ||
         FindFileNoCase(subFolder, file).isEmpty()))
      continue;
    const bool sheets = table == QLatin1String("MTL");
    if (sheets && member == InsurerRowsMember::Insurer2779) {
      try {
        AppendTable(source, target, table, member, false);
      } catch (const std::exception&) {
        throw CombinedReportStop(QStringLiteral("Ошибка объединения"),
                                 QStringLiteral("Ошибка при объединении отчёта: 2779/MTL.dbf"));
      }
      continue;
    }
    AppendTable(source, target, table, member, sheets && member == InsurerRowsMember::OutOfRegion);
  }
}

}  // namespace kelmo
