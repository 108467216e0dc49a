// Splitting of schema scripts into statements.
#include <gtest/gtest.h>

#include "firebird/sql_script.h"

using kelmo::SplitSqlScript;

TEST(SqlScript, SplitsAsIsqlReadsScripts) {
  struct Case {
    const char* name;
    QString script;
    QStringList expected;
  };
  const Case cases[] = {
      {"plain",
       "create table a (x int);\ninsert into a values (1);",
       {"create table a (x int)", "insert into a values (1)"}},
      {"last without terminator", "select 1 from rdb$database", {"select 1 from rdb$database"}},
      {"terminator in literal", "insert into a values ('x;y');", {"insert into a values ('x;y')"}},
      {"doubled quote", "insert into a values ('it''s;');", {"insert into a values ('it''s;')"}},
      {"quoted identifier", "create table \"A;B\" (x int);", {"create table \"A;B\" (x int)"}},
      {"line comment", "-- one; two\nselect 1 from t; -- tail;\n", {"select 1 from t"}},
      {"block comment", "/* a; b */ select 1 from t;", {"select 1 from t"}},
      {"set term",
       "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN x = 1; y = 2; END^\nSET TERM ; ^\nselect 1 from "
       "t;",
       {"CREATE PROCEDURE P AS BEGIN x = 1; y = 2; END", "select 1 from t"}},
      {"set term lower case", "set term !! ;\na; b!!\nset term ; !!\nc;", {"a; b", "c"}},
      {"empty statements", ";;\n ; ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitSqlScript(c.script), c.expected) << c.name;
}
