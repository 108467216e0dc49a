// Rows of a registry table read by their key: a numeric key column and a
// text one whose keys are written in several ways, rows kept in the table's
// order, keys without rows.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "reception/keyed_dbf_table.h"
#include "reception_fixture.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

QStringList Names(const std::vector<DbfRow>& rows) {
  QStringList names;
  for (const DbfRow& row : rows) names << ReadText(row, "NAME");
  return names;
}

}  // namespace

TEST(KeyedDbfTable, RowsOfAKeyInTheTablesOrder) {
  QTemporaryDir dir;
  BuildTable(dir.path(), "num.dbf", {{"ID", 'N', 10, 0}, {"NAME", 'C', 10, 0}},
             {{{"ID", 2}, {"NAME", "b1"}},
              {{"ID", 1}, {"NAME", "a1"}},
              {{"ID", 2}, {"NAME", "b2"}},
              {{"NAME", "blank"}},
              {{"ID", 2}, {"NAME", "b3"}}});
  BuildTable(dir.path(), "text.dbf", {{"ID", 'C', 5, 0}, {"NAME", 'C', 10, 0}},
             {{{"ID", "7"}, {"NAME", "plain"}},
              {{"ID", "007"}, {"NAME", "zeros"}},
              {{"ID", "  7"}, {"NAME", "spaces"}},
              {{"ID", "x7"}, {"NAME", "text"}},
              {{"ID", "8"}, {"NAME", "other"}}});
  KeyedDbfTable numeric(dir.path(), "NUM.DBF", "id");
  ASSERT_TRUE(numeric.Present());
  EXPECT_EQ(Names(numeric.RowsOf(2)), QStringList({"b1", "b2", "b3"}));
  EXPECT_EQ(Names(numeric.RowsOf(1)), QStringList({"a1"}));
  EXPECT_TRUE(numeric.RowsOf(3).empty());
  EXPECT_TRUE(numeric.RowsOf(KeyOf(QVariant())).empty());
  EXPECT_TRUE(numeric.Has(1));
  EXPECT_FALSE(numeric.Has(0));

  KeyedDbfTable text(dir.path(), "text.dbf", "id");
  EXPECT_EQ(Names(text.RowsOf(7)), QStringList({"plain", "zeros", "spaces"}));
  EXPECT_EQ(Names(text.RowsOf(8)), QStringList({"other"}));

  KeyedDbfTable missing(dir.path(), "none.dbf", "id");
  EXPECT_FALSE(missing.Present());
  EXPECT_TRUE(missing.RowsOf(1).empty());
}
