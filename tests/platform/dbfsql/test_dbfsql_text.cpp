// The rewrite of the desktop engine's statements into SQLite's dialect.
#include <gtest/gtest.h>

#include "dbfsql/dbf_sql_text.h"

using namespace kelmo::dbfsql;

TEST(DbfSqlText, RewriteCases) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"Select s.* from stacion.dbf s", "Select s.* from \"stacion\" s"},
      {"select * from Operat.dbf where id=:id", "select * from \"Operat\" where id=?"},
      {"select * from \"mtl.dbf\"", "select * from \"mtl\""},
      {"update stacion.dbf s set s.oplat=7 where s.id=1",
       "update \"stacion\" AS s set oplat=7 where s.id=1"},
      {"update mtl.dbf m set m.oplat=7, m.vid_pom=5", "update \"mtl\" AS m set oplat=7, vid_pom=5"},
      {"update t set a=(select x.b from x where x.c=1), t.d=2",
       "update t set a=(select x.b from x where x.c=1), d=2"},
      {"delete from stacion.dbf s where s.id=2", "delete from \"stacion\" AS s where s.id=2"},
      {"select 'a.dbf :x' from t where b=?", "select 'a.dbf :x' from t where b=?"},
      {"select x.dbfield from t x", "select x.dbfield from t x"},
  };
  for (const auto& c : cases) EXPECT_EQ(RewriteDbfSql(c.in).text, c.out) << c.in;
}

TEST(DbfSqlText, ParametersOnePerOccurrence) {
  auto r = RewriteDbfSql(
      "where s.tip_stac=:tip_stac and (s.dz>=:ps) and (s.dz<=:pp) or s.x>=:ps and y=?");
  EXPECT_EQ(r.parameters, (std::vector<std::string>{"tip_stac", "ps", "pp", "ps", ""}));
}
