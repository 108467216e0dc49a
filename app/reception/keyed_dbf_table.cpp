// Registry tables read by key through one sorted index per table.
#include "keyed_dbf_table.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <limits>

#include "filenames/file_lookup.h"

namespace kelmo {

double KeyOf(const QVariant& stored) {
  if (!stored.isValid() || stored.isNull()) return std::numeric_limits<double>::quiet_NaN();
  bool ok = false;
  const double d = stored.toString().trimmed().toDouble(&ok);
  return ok ? d : std::numeric_limits<double>::quiet_NaN();
}

KeyedDbfTable::KeyedDbfTable(const QString& folder, const QString& file, const QString& keyField) {
  const QString path = FindFileNoCase(folder, file);
  if (path.isEmpty()) return;
  present_ = true;
  layout_ = DbfLayout::OfFile(path);
  const QString name = QDir(folder).relativeFilePath(path);
  {
    dbfsql::TQuery scan;
    scan.SetDatabaseName(folder);
    scan.SetStatement(
        {QStringLiteral("select rowid, ") + keyField + QStringLiteral(" from ") + name});
    scan.Open();
    index_.reserve(static_cast<size_t>(scan.RecordCount()));
    for (scan.First(); !scan.Eof(); scan.Next()) {
      const double key = KeyOf(scan.Field(1));
      if (!std::isnan(key)) index_.emplace_back(key, scan.Field(0).toLongLong());
    }
  }
  std::sort(index_.begin(), index_.end());
  byRecord_ = std::make_unique<dbfsql::TQuery>();
  byRecord_->SetDatabaseName(folder);
  byRecord_->SetStatement(
      {QStringLiteral("select * from ") + name + QStringLiteral(" where rowid=:r")});
}

bool KeyedDbfTable::Has(double key) const {
  const auto it = std::lower_bound(index_.begin(), index_.end(), std::make_pair(key, qint64(0)));
  return it != index_.end() && it->first == key;
}

std::vector<DbfRow> KeyedDbfTable::RowsOf(double key) {
  std::vector<DbfRow> rows;
  if (!present_ || std::isnan(key)) return rows;
  auto it = std::lower_bound(index_.begin(), index_.end(),
                             std::make_pair(key, std::numeric_limits<qint64>::min()));
  for (; it != index_.end() && it->first == key; ++it) {
    byRecord_->SetParam(QStringLiteral("r"), it->second);
    byRecord_->Open();
    if (!byRecord_->IsEmpty()) rows.push_back(DbfRow::OfQuery(layout_, *byRecord_));
    byRecord_->Close();
  }
  return rows;
}

}  // namespace kelmo
