// A table of the registry folder read by a key field, the way the loading
// reads the rows that hang on a case ("select * from mtl.dbf where id=:id"),
// without walking the whole table once per case: the table's key column is
// read once into a sorted index of (key, record number). A key the index
// does not hold costs nothing; the rows of a key it holds are fetched with
// one query on the key column, which the engine answers from its own index
// of the column, and kept in the table's order. Keys compare as numbers, as
// the engine compares a numeric field with a number; a key that is not a
// number never matches. A row the query does not return (a text key written
// otherwise, "007") is fetched by its record number.
//
// Memory: 16 bytes per row of the table for the index (and the engine's
// index of the column), plus the rows of one key. Cost: one scan of the key
// column when opened; one look-up per key that has rows. Errors:
// dbfsql::EDbfSqlError from the engine.
#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "dbf_row.h"
#include "dbfsql/dbf_query.h"

namespace kelmo {

class KeyedDbfTable {
 public:
  // `file` is looked up in `folder` without regard to case; a table that is
  // not there leaves the object absent (Present() false, no rows).
  KeyedDbfTable(const QString& folder, const QString& file, const QString& keyField);

  bool Present() const { return present_; }
  const std::shared_ptr<const DbfLayout>& Layout() const { return layout_; }
  // The rows whose key equals `key`, in the table's order.
  std::vector<DbfRow> RowsOf(double key);
  // Whether any row has the key.
  bool Has(double key) const;

 private:
  bool present_ = false;
  std::shared_ptr<const DbfLayout> layout_;
  std::vector<std::pair<double, qint64>> index_;
  std::unique_ptr<dbfsql::TQuery> byKey_;
  std::unique_ptr<dbfsql::TQuery> byRecord_;
};

// The numeric key of a stored value (a number, or a text holding one); NaN
// when it is empty or not a number.
double KeyOf(const QVariant& stored);

}  // namespace kelmo
