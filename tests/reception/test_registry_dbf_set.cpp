// The registry DBF set's read rules over a small table: each field kind
// (numeric, text, date) read as text, integer, floating number, date and as
// stored, filled and empty, as a table of cases; a missing field; the
// optional readers; and the structure look-up.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <variant>

#include "dbfsql/dbf_query.h"
#include "reception/dbf_row.h"
#include "reception/registry_dbf_set.h"
#include "reception_fixture.h"

using namespace kelmo;

namespace {

struct Raises {};
using Expected = std::variant<QVariant, Raises>;

struct ReadCase {
  const char* field;
  int row;   // 0 filled, 1 empty or odd
  char how;  // 't' text, 'i' integer, 'f' float, 'd' date, 's' stored
  Expected expected;
};

QVariant Read(const DbfRow& r, const QString& field, char how) {
  switch (how) {
    case 't':
      return ReadText(r, field);
    case 'i':
      return ReadInteger(r, field);
    case 'f':
      return ReadFloat(r, field);
    case 'd':
      return ReadDate(r, field);
    default:
      return ReadStored(r, field);
  }
}

}  // namespace

TEST(RegistryDbfSet, ReadRulesTable) {
  QTemporaryDir dir;
  test::BuildTable(dir.path(), "stacion.dbf",
                   {{"ID", 'N', 10, 0},
                    {"DOKUMENT", 'N', 2, 0},
                    {"G_S", 'C', 4, 0},
                    {"DR", 'D', 8, 0},
                    {"FAMILY", 'C', 20, 0},
                    {"SUMV", 'N', 10, 2},
                    {"DATE_N", 'C', 10, 0}},
                   {{{"ID", 5},
                     {"DOKUMENT", 3},
                     {"G_S", "12"},
                     {"DR", QDate(1970, 5, 1)},
                     {"FAMILY", "ИВАНОВ"},
                     {"SUMV", 12.5},
                     {"DATE_N", "02.03.2024"}},
                    {{"ID", 6}, {"G_S", "1x"}, {"DATE_N", "вчера"}}});
  dbfsql::TQuery q;
  q.SetDatabaseName(dir.path());
  q.SetStatement({"select * from stacion.dbf order by id"});
  q.Open();
  const auto layout = DbfLayout::OfFile(dir.filePath("stacion.dbf"));
  std::vector<DbfRow> rows;
  for (q.First(); !q.Eof(); q.Next()) rows.push_back(DbfRow::OfQuery(layout, q));
  ASSERT_EQ(rows.size(), 2u);

  const QVariant none;
  const ReadCase cases[] = {
      {"id", 0, 'i', QVariant(5LL)},
      {"DOKUMENT", 0, 'i', QVariant(3LL)},
      {"DOKUMENT", 1, 'i', QVariant(0LL)},  // an empty numeric field
      {"DOKUMENT", 1, 'f', QVariant(0.0)},
      {"DOKUMENT", 1, 's', none},  // empty: null
      {"DOKUMENT", 0, 't', QVariant(QString("3"))},
      {"G_S", 0, 'i', QVariant(12LL)},
      {"G_S", 1, 'i', Raises{}},  // a text that is not a whole number
      {"G_S", 1, 'f', Raises{}},
      {"FAMILY", 0, 't', QVariant(QString("ИВАНОВ"))},
      {"FAMILY", 1, 't', QVariant(QString())},
      {"FAMILY", 1, 'i', Raises{}},  // an empty text read as an integer
      {"FAMILY", 1, 's', none},
      {"SUMV", 0, 'f', QVariant(12.5)},
      {"SUMV", 1, 'f', QVariant(0.0)},
      {"DR", 0, 'd', QVariant(QDate(1970, 5, 1))},
      {"DR", 1, 'd', QVariant(ZeroDate())},  // an empty date field
      {"DR", 0, 's', QVariant(QDate(1970, 5, 1))},
      {"DR", 1, 's', none},
      {"DATE_N", 0, 'd', QVariant(QDate(2024, 3, 2))},  // text, then date
      {"DATE_N", 1, 'd', Raises{}},
      {"NUM_KARTA", 0, 't', Raises{}},  // a missing field
      {"NUM_KARTA", 0, 'i', Raises{}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " row " + std::to_string(c.row) + " as " + c.how);
    const DbfRow& r = rows[static_cast<size_t>(c.row)];
    if (std::holds_alternative<Raises>(c.expected)) {
      EXPECT_THROW(Read(r, c.field, c.how), DbfFieldError);
    } else {
      const QVariant got = Read(r, c.field, c.how);
      const QVariant& want = std::get<QVariant>(c.expected);
      EXPECT_EQ(got.isValid(), want.isValid());
      if (want.isValid()) EXPECT_EQ(got.toString(), want.toString());
    }
  }
  try {
    ReadText(rows[0], "NUM_KARTA");
    ADD_FAILURE() << "a missing field must raise";
  } catch (const DbfFieldError& e) {
    EXPECT_STREQ(e.what(), "Поле 'NUM_KARTA' не найдено");
  }
  try {
    ReadInteger(rows[1], "FAMILY");
    ADD_FAILURE() << "an empty text read as an integer must raise";
  } catch (const DbfFieldError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  EXPECT_EQ(ReadOptionalInteger(rows[0], "DOPFOND", 0), QVariant(0));
  EXPECT_FALSE(ReadOptionalText(rows[0], "CONSENT", QVariant()).isValid());
  EXPECT_EQ(ReadOptionalInteger(rows[0], "DOKUMENT", QVariant()).toLongLong(), 3);
  EXPECT_TRUE(StoredEquals(rows[0], "DOKUMENT", 3));
  EXPECT_FALSE(StoredEquals(rows[1], "DOKUMENT", 0));  // empty is never equal

  EXPECT_EQ(DbfFieldNames(dir.path(), "STACION.DBF"),
            (QStringList{"ID", "DOKUMENT", "G_S", "DR", "FAMILY", "SUMV", "DATE_N"}));
  EXPECT_ANY_THROW(DbfFieldNames(dir.path(), "mtl.dbf"));
  EXPECT_EQ(RegistryTables().size(), 12u);
  EXPECT_EQ(FieldRenames().size(), 12u);
}
