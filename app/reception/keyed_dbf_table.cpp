// Registry tables read by key through one sorted index per table.
#include "keyed_dbf_table.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

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
  byKey_ = std::make_unique<dbfsql::TQuery>();
  byKey_->SetDatabaseName(folder);
  byKey_->SetStatement({QStringLiteral("select rowid, * from ") + name + QStringLiteral(" where ") +
                        keyField + QStringLiteral("=:k")});
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
  auto first = std::lower_bound(index_.begin(), index_.end(),
                                std::make_pair(key, std::numeric_limits<qint64>::min()));
  auto last = first;
  while (last != index_.end() && last->first == key) ++last;
  if (first == last) return rows;
  // The engine finds the key's rows through its index of the column; the
  // record numbers of this index decide which of them belong to the key, so
  // the rows are those of a numeric comparison whatever the column's type.
  std::vector<std::optional<DbfRow>> found(static_cast<size_t>(last - first));
  auto slotOf = [&](qint64 record) -> std::optional<DbfRow>* {
    for (auto it = first; it != last; ++it)
      if (it->second == record) return &found[static_cast<size_t>(it - first)];
    return nullptr;
  };
  const double whole = std::trunc(key);
  byKey_->SetParam(QStringLiteral("k"), whole == key && std::fabs(key) < 9e18
                                            ? QVariant(static_cast<qlonglong>(whole))
                                            : QVariant(key));
  byKey_->Open();
  for (byKey_->First(); !byKey_->Eof(); byKey_->Next())
    if (std::optional<DbfRow>* slot = slotOf(byKey_->Field(0).toLongLong()))
      *slot = DbfRow::OfQuery(layout_, *byKey_);
  byKey_->Close();
  // A key written otherwise in a text column ("007") is fetched by record.
  for (auto it = first; it != last; ++it) {
    std::optional<DbfRow>& slot = found[static_cast<size_t>(it - first)];
    if (slot) continue;
    byRecord_->SetParam(QStringLiteral("r"), it->second);
    byRecord_->Open();
    if (!byRecord_->IsEmpty()) slot = DbfRow::OfQuery(layout_, *byRecord_);
    byRecord_->Close();
  }
  for (std::optional<DbfRow>& row : found)
    if (row) rows.push_back(std::move(*row));
  return rows;
}

}  // namespace kelmo
