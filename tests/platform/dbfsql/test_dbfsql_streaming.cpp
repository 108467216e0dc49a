// A unidirectional query reads its result a row at a time: the rows, their
// order, the count and the errors are those of the query that reads the
// result whole; going back is refused; and once the walk is over no table is
// left in use, so a table written meanwhile is seen as it is now.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dbfsql/xt_query.h"
#include "dbfsql_fixture.h"

using namespace kelmo::dbfsql;

namespace {

class DbfSqlStreaming : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    kelmo::dbfsql::testing::BuildRegistryFolder(dir_.path());
  }

  // Every row of the result with every field, walked from First.
  static std::vector<std::vector<QVariant>> Rows(TQuery& q) {
    std::vector<std::vector<QVariant>> rows;
    for (q.First(); !q.Eof(); q.Next()) {
      std::vector<QVariant> row;
      for (int i = 0; i < q.FieldCount(); ++i) row.push_back(q.Field(i));
      rows.push_back(std::move(row));
    }
    return rows;
  }

  QTemporaryDir dir_;
};

}  // namespace

TEST_F(DbfSqlStreaming, RowsOrderAndCountAreThoseOfTheWholeResult) {
  const struct {
    const char* what;
    QStringList statement;
  } cases[] = {
      {"every row", {"select * from stacion.dbf"}},
      {"no row", {"select * from stacion.dbf where id=:id"}},
      {"one row", {"select s.id, s.family from stacion.dbf s where s.id=:id+1"}},
      {"ordered, with a subquery",
       {"select s.* from stacion.dbf s where s.id in (select m.id from mtl.dbf m "
        "where m.oplat=:oplat group by m.id) order by s.nomib desc, s.id"}},
      {"joined", {"select s.id, m.nom_mtl from stacion.dbf s join mtl.dbf m on m.id=s.id"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TXtQuery whole, stream;
    for (TXtQuery* q : {&whole, &stream}) {
      q->SetDatabaseName(dir_.path());
      q->SetSQL(c.statement);
      for (const char* name : {"id", "oplat"})
        for (int i = 0; i < q->ParamCount(); ++i)
          if (q->Param(i).name == QLatin1String(name)) q->SetParam(name, name[0] == 'i' ? 0 : 1);
    }
    stream.SetUniDirectional(true);
    whole.Open();
    stream.Open();
    EXPECT_EQ(stream.IsEmpty(), whole.IsEmpty());
    EXPECT_EQ(stream.Eof(), whole.Eof());
    EXPECT_EQ(stream.FieldCount(), whole.FieldCount());
    // Counted before and after the walk alike.
    EXPECT_EQ(stream.RecordCount(), whole.RecordCount());
    const auto expected = Rows(whole);
    EXPECT_EQ(Rows(stream), expected);
    EXPECT_EQ(stream.RecordCount(), whole.RecordCount());
    // First starts the walk again.
    EXPECT_EQ(Rows(stream), expected);
  }
}

TEST_F(DbfSqlStreaming, GoingBackIsRefusedAndTheRowNumberCounts) {
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"select id from stacion.dbf"});
  q.SetUniDirectional(true);
  q.Open();
  EXPECT_TRUE(q.Bof());
  EXPECT_EQ(q.RecNo(), 1);
  q.Next();
  q.Next();
  EXPECT_EQ(q.RecNo(), 3);
  EXPECT_EQ(q.FieldByName("id"), QVariant(qlonglong(3)));
  for (auto back : {&TQuery::Prior, &TQuery::Last}) {
    try {
      (q.*back)();
      FAIL();
    } catch (const EDbfSqlError& e) {
      EXPECT_STREQ(e.what(), "Operation not allowed on a unidirectional dataset");
    }
  }
  while (!q.Eof()) q.Next();
  // The last row stays current at the end, as in the whole result.
  EXPECT_EQ(q.FieldByName("id"), QVariant(qlonglong(7)));
  q.Close();
  EXPECT_THROW(q.Next(), EDbfSqlError);
}

// A walk that ended, or was closed half-way, leaves no table in use: the
// tables can be written and the next run reads them as they are now.
TEST_F(DbfSqlStreaming, TablesAreFreeOnceTheWalkEndsOrCloses) {
  TQuery stream;
  stream.SetDatabaseName(dir_.path());
  stream.SetStatement({"select id, oplat from stacion.dbf"});
  stream.SetUniDirectional(true);
  stream.Open();
  stream.Next();
  stream.Close();
  TQuery update;
  update.SetDatabaseName(dir_.path());
  update.SetStatement({"update stacion.dbf set oplat=7 where id=1"});
  EXPECT_EQ(update.ExecSQL(), 1);
  stream.Open();
  EXPECT_EQ(stream.FieldByName("oplat"), QVariant(qlonglong(7)));
  while (!stream.Eof()) stream.Next();
  update.SetStatement({"delete from stacion.dbf where id=1"});
  EXPECT_EQ(update.ExecSQL(), 1);
  stream.First();
  EXPECT_EQ(stream.FieldByName("id"), QVariant(qlonglong(2)));
  EXPECT_EQ(stream.RecordCount(), 6);
}

// An engine error met half-way through the walk reaches the caller and
// closes the query.
TEST_F(DbfSqlStreaming, AnErrorHalfWayClosesTheQuery) {
  kelmo::dbfsql::testing::SpoilThirdSheetPayKind(dir_.path());
  TQuery q;
  q.SetDatabaseName(dir_.path());
  q.SetStatement({"select oplat from mtl.dbf"});
  q.SetUniDirectional(true);
  q.Open();
  q.Next();
  try {
    q.Next();
    FAIL();
  } catch (const EDbfSqlError& e) {
    EXPECT_NE(std::string(e.what()).find("Invalid numeric value in field mtl->OPLAT (x*)"),
              std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(q.Active());
}
