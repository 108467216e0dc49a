// Packing a DBF table through the DBF dataset.
#include "pack_dbf_table.h"

namespace kelmo::shell {

void PackDbfTable(kelmo::dbf::TDbfDataSet& dbfDataSet, const QString& folder,
                  const QString& tableName) {
  if (dbfDataSet.Active()) dbfDataSet.Close();
  dbfDataSet.SetDatabaseName(folder.toStdString());
  dbfDataSet.SetTableName(tableName.toStdString());
  dbfDataSet.SetExclusive(true);
  dbfDataSet.Open();
  try {
    dbfDataSet.Pack();
  } catch (...) {
    dbfDataSet.Close();
    throw;
  }
  dbfDataSet.Close();
}

void PackDbfTable(const QString& folder, const QString& tableName) {
  kelmo::dbf::TDbfDataSet dataSet;
  PackDbfTable(dataSet, folder, tableName);
}

}  // namespace kelmo::shell
