// The query with macros: collecting macro names, expanding them, and the
// statement text handed to the engine.
#include <gtest/gtest.h>

#include "dbfsql/xt_query.h"

using namespace kelmo::dbfsql;

namespace {

QString Expand(const QString& line, std::vector<TMacro> macros) {
  return TXtQuery::ExpandLine(line, macros, QLatin1Char('%'));
}

TMacro M(const QString& name, const QString& value) {
  TMacro m;
  m.name = name;
  m.value = value;
  return m;
}

}  // namespace

TEST(DbfSqlMacros, ExpansionCases) {
  EXPECT_EQ(Expand("(s.pol_obl %uslovie '1137')", {M("uslovie", "=")}), "(s.pol_obl = '1137')");
  EXPECT_EQ(Expand("(s.pol_obl %uslovie '1137')", {M("uslovie", "0=0")}), "(s.pol_obl 0=0 '1137')");
  EXPECT_EQ(Expand("(s.res_lecen=6)) %bm ) and", {M("bm", "0=0")}), "(s.res_lecen=6)) 0=0 ) and");
  EXPECT_EQ(Expand("'a %x b'", {M("x", "Y")}), "'a %x b'");
  EXPECT_EQ(Expand("%x and %x", {M("x", "1")}), "1 and 1");
  EXPECT_EQ(Expand("%xy %x", {M("x", "1")}), "%xy %x");  // first occurrence does not qualify
}

TEST(DbfSqlMacros, CollectingNames) {
  auto names = [](const QString& t) { return TXtQuery::CollectMacroNames(t, QLatin1Char('%')); };
  EXPECT_EQ(names("a %uslovie b %bm) %UsLovie"), (std::vector<QString>{"uslovie", "bm"}));
  EXPECT_TRUE(names("'a %x b'").empty());
  EXPECT_TRUE(names("%%x").empty());
  EXPECT_EQ(names("%tbl.name"), (std::vector<QString>{"tbl"}));
  EXPECT_EQ(names("a % b"), (std::vector<QString>{""}));
  EXPECT_TRUE(TXtQuery::CollectMacroNames("%x", QChar()).empty());
}

TEST(DbfSqlMacros, PatternChangesKeepValuesAndParameters) {
  TXtQuery q;
  q.SetSQL({"select * from stacion.dbf s", "where (s.pol_obl %uslovie '1137') and s.id=:id"});
  ASSERT_EQ(q.MacroCount(), 1);
  EXPECT_EQ(q.MacroParam("USLOVIE").value, "0=0");
  EXPECT_EQ(q.StatementText(),
            "select * from stacion.dbf s\nwhere (s.pol_obl 0=0 '1137') and s.id=:id");
  q.SetParam("id", 5);
  q.MacroParam("uslovie").value = "<>";
  q.SetSQL({"select * from stacion.dbf s where s.pol_obl %uslovie '1' and s.id=:id"});
  EXPECT_EQ(q.MacroParam("uslovie").value, "<>");
  EXPECT_EQ(q.ParamValue("id"), QVariant(5));
  q.SetSQL({"select 1"});
  EXPECT_EQ(q.MacroCount(), 0);
  q.SetSQL({"select %m"});
  EXPECT_EQ(q.MacroParam("m").value, "0=0");
  EXPECT_THROW(q.MacroParam("nosuch"), EDbfSqlError);
  // Text put into the base statement becomes the pattern.
  q.SetStatement({"select %z from t"});
  EXPECT_EQ(q.SQL(), QStringList{"select %z from t"});
  EXPECT_EQ(q.MacroCount(), 1);
}
