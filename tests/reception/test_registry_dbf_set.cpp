// The registry DBF set's field readers over a small table: what an empty
// field gives, a text that is not a whole number, a missing field, an
// optional field with its default; and the structure look-up.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dbfsql/dbf_query.h"
#include "reception/registry_dbf_set.h"
#include "reception_fixture.h"

using namespace kelmo;

TEST(RegistryDbfSet, FieldReadersAndStructure) {
  QTemporaryDir dir;
  test::BuildTable(
      dir.path(), "stacion.dbf",
      {{"ID", 'N', 10, 0},
       {"DOKUMENT", 'N', 2, 0},
       {"G_S", 'C', 4, 0},
       {"DR", 'D', 8, 0},
       {"FAMILY", 'C', 20, 0},
       {"SUMV", 'N', 10, 2}},
      {{{"ID", 5}, {"G_S", "12"}, {"DR", QDate(1970, 5, 1)}, {"FAMILY", "ИВАНОВ"}, {"SUMV", 12.5}},
       {{"ID", 6}, {"G_S", "1x"}}});
  dbfsql::TQuery q;
  q.SetDatabaseName(dir.path());
  q.SetStatement({"select * from stacion.dbf order by id"});
  q.Open();
  EXPECT_EQ(ReadInteger(q, "id"), 5);
  EXPECT_EQ(ReadInteger(q, "DOKUMENT"), 0);  // an empty numeric field
  EXPECT_EQ(ReadInteger(q, "G_S"), 12);
  EXPECT_EQ(ReadDate(q, "DR"), QDate(1970, 5, 1));
  EXPECT_EQ(ReadText(q, "family"), "ИВАНОВ");
  EXPECT_DOUBLE_EQ(ReadFloat(q, "SUMV"), 12.5);
  EXPECT_EQ(ReadOptional(q, "DOPFOND", 0), QVariant(0));
  try {
    ReadText(q, "NUM_KARTA");
    ADD_FAILURE() << "a missing field must raise";
  } catch (const DbfFieldError& e) {
    EXPECT_STREQ(e.what(), "Поле 'NUM_KARTA' не найдено");
  }
  q.Next();
  EXPECT_EQ(ReadDate(q, "DR"), ZeroDate());  // an empty date field
  EXPECT_EQ(ReadText(q, "FAMILY"), "");
  EXPECT_DOUBLE_EQ(ReadFloat(q, "SUMV"), 0.0);
  EXPECT_THROW(ReadInteger(q, "G_S"), DbfFieldError);  // not a whole number
  EXPECT_FALSE(ReadStored(q, "FAMILY").isValid());     // empty: null

  EXPECT_EQ(DbfFieldNames(dir.path(), "STACION.DBF"),
            (QStringList{"ID", "DOKUMENT", "G_S", "DR", "FAMILY", "SUMV"}));
  EXPECT_ANY_THROW(DbfFieldNames(dir.path(), "mtl.dbf"));
  EXPECT_EQ(RegistryTables().size(), 12u);
  EXPECT_EQ(FieldRenames().size(), 12u);
}
