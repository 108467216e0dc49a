// Conditions the "dbf" module tests on the stored bytes of a character field
// (equality with text, LIKE and GLOB) give the same rows as SQLite alone: each
// statement runs on the DBF table and on a plain SQLite copy of it, for
// Cyrillic text in 866 and 1251 tables, blank fields, case differences,
// wildcards, values longer than the field and values outside the code page.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "bytes/code_pages.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "dbfsql/dbf_vtab.h"

using kelmo::bytes::CodePage;

namespace {

// Names stored in the tables (UTF-8; nullopt: the stored bytes of
// kEmbeddedNul). Characters a code page lacks are stored as its '?'.
const char* const kNames[] = {"Петров", "ПЕТРОВ",  "петров",    "пЕТРОВ", "Петрова",   "Пет",
                              "Пётр",   " Петров", "Пет ров",   "Ёлкин",  "ёлкин",     "ЁЛКИН",
                              "Ivanov", "IVANOV",  "ivan_ov",   "100%",   "a%b*c",     "12",
                              "12.0",   "",        "Їжак",      "їжак",   "Ўладзімір", "Ґанок",
                              "ґанок",  "№5",      "Ивановская"};
const char kEmbeddedNul[] = "Пе\0тров";

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

using Value = std::variant<std::monostate, std::string, long long>;

class DbfSqlPushdown : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    db_.reset(db);
    ASSERT_EQ(kelmo::dbfsql::RegisterDbfModule(db), SQLITE_OK);
    MakeTable("t866", 0x65, CodePage::Cp866);
    MakeTable("t1251", 0xC9, CodePage::Cp1251);
  }

  void MakeTable(const std::string& name, uint8_t language, CodePage cp) {
    const std::string path = dir_.path().toStdString() + "/" + name + ".dbf";
    {
      kelmo::dbf::DFO_DBFBuild b(path);
      b.SetLanguageByte(language);
      b.AddField("NAME", 'C', 12, 0);
      b.AddField("NUM", 'N', 5, 0);
      b.AddField("SHORT", 'C', 3, 0);
      b.WriteFiles();
      kelmo::dbf::DFO_dBHandler t(path, false, true, "");
      int i = 0;
      auto add = [&](const std::string& bytes) {
        t.BlankRecord();
        t.PutFieldRawByName("NAME", bytes);
        t.PutFieldRawByName("SHORT", bytes.substr(0, 3));
        t.PutNumericByName("NUM", ++i);
        t.Append();
      };
      for (const char* n : kNames) add(kelmo::bytes::EncodeFromUtf8(n, cp));
      add(kelmo::bytes::EncodeFromUtf8(std::string(kEmbeddedNul, sizeof kEmbeddedNul - 1), cp));
      // A field of NULs reads as blank, one of spaces and a NUL as blank too.
      add(std::string(12, '\0'));
      add(std::string("   \0", 4));
    }
    Exec("CREATE VIRTUAL TABLE " + name + " USING dbf('" + path + "')");
    Exec("CREATE TABLE copy_" + name + " AS SELECT rowid AS rid, * FROM " + name);
  }

  void Exec(const std::string& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &err);
    ASSERT_EQ(rc, SQLITE_OK) << sql << ": " << (err ? err : "");
    sqlite3_free(err);
  }

  // The first column of every row of sql with ? bound to value.
  std::vector<std::string> Rows(const std::string& sql, const Value& value) {
    sqlite3_stmt* s = nullptr;
    std::vector<std::string> out;
    EXPECT_EQ(sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &s, nullptr), SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db_.get());
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(s, sqlite3_finalize);
    if (!s) return out;
    if (const auto* text = std::get_if<std::string>(&value)) {
      sqlite3_bind_text(s, 1, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
    } else if (const auto* number = std::get_if<long long>(&value)) {
      sqlite3_bind_int64(s, 1, *number);
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      const unsigned char* v = sqlite3_column_text(s, 0);
      out.emplace_back(v ? reinterpret_cast<const char*>(v) : "<null>");
    }
    EXPECT_EQ(rc, SQLITE_DONE) << sql << ": " << sqlite3_errmsg(db_.get());
    return out;
  }

  // Runs the condition on the DBF table and on its copy; same rows expected.
  // Returns how many rows matched.
  size_t ExpectSameRows(const std::string& table, const std::string& condition,
                        const Value& value) {
    const auto viaDbf = Rows("SELECT rowid FROM " + table + " WHERE " + condition, value);
    const auto viaCopy = Rows("SELECT rid FROM copy_" + table + " WHERE " + condition, value);
    EXPECT_EQ(viaDbf, viaCopy) << table << " where " << condition << " with "
                               << (std::holds_alternative<std::string>(value)
                                       ? std::get<std::string>(value)
                                       : std::string("non-text"));
    return viaDbf.size();
  }

  std::vector<std::string> PlanDetails(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    std::vector<std::string> out;
    sqlite3_prepare_v2(db_.get(), ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr);
    while (s && sqlite3_step(s) == SQLITE_ROW) {
      out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
    }
    sqlite3_finalize(s);
    return out;
  }

  QTemporaryDir dir_;
  std::unique_ptr<sqlite3, DbCloser> db_;
};

const char* const kTables[] = {"t866", "t1251"};

const char* const kEqualValues[] = {
    "Петров", "петров", "ПЕТРОВ", "Пет",   "",       " Петров", "Петров ",
    "Пётр",   "Ёлкин",  "ёлкин",  "Ґанок", "Ivanov", "ivanov",  "ivan_ov",
    "100%",   "12",     "12.0",   "№5",    "Πέτρος", "?",       "Петровская область"};

const char* const kLikePatterns[] = {
    // clang-format off
    "Пет%", "пет%", "ПЕТ%", "пЕт%", "п_т%", "П_Т%",
    "%ров", "%РОВ", "Петров", "петров", "_", "%",
    "", "Пет", "Пет ", " Пет%", "Пет_", "Пет%ров",
    "ё%", "Ё%", "ЁЛ%", "iv%", "IV%", "ivan_ov",
    "IVAN%OV", "100%", "a%", "ґ%", "Ґ%", "ї%",
    "Ї%", "ў%", "Ў%", "Π%", "?%", "1%",
    "Ивановская%", "Ивановская облас%", "№%", "Пе", "Пе%", "%е%о%",
    "П%в", "%%ров", "П%%", "%е_р%", "%ё%", "%Ё%",
    "%i%O%", "%a%b%c%", "_%_", "%_", "Пет%ров%", "п%В",
    "%в", "%ов%ов", "%ов%в", "%ра", "%р%а%", "%е%тр%",
    "%т%ров", "П%е%т%р%о%в",
    // clang-format on
};

const char* const kGlobPatterns[] = {
    "Пет*",  "пет*",    "П?т*",   "[Пп]ет*", "Петров",     "*",      "?",     "Ёлкин",
    "ёлкин", "*ров",    "a%b*",   "a%b[*]c", "Пет?",       "Пет",    "Ґ*",    "ґ*",
    "I*",    "i*",      "Пе",     "Пе*",     "Ивановска*", "*е*о*",  "П*в",   "*?",
    "*р?в",  "*ров[а]", "П*[о]в", "*В",      "**ров",      "*т*ров", "*е*тр*"};

TEST_F(DbfSqlPushdown, EqualityWithTextGivesTheRowsSqliteGives) {
  for (const char* table : kTables) {
    for (const char* v : kEqualValues) {
      ExpectSameRows(table, "name = ?", std::string(v));
      ExpectSameRows(table, "short = ?", std::string(v));
    }
    EXPECT_EQ(ExpectSameRows(table, "name = ?", std::string("Петров")), 1u);
    // Not text: left to the look-up keys, still the same rows.
    ExpectSameRows(table, "name = ?", 12LL);
    ExpectSameRows(table, "name = ?", Value{});
    // A value with a NUL inside is compared whole.
    ExpectSameRows(table, "name = ?", std::string(kEmbeddedNul, sizeof kEmbeddedNul - 1));
    ExpectSameRows(table, "name = ?", std::string("Пе"));
  }
}

TEST_F(DbfSqlPushdown, LikeGivesTheRowsSqliteGives) {
  for (const char* table : kTables) {
    for (const char* p : kLikePatterns) {
      ExpectSameRows(table, "name LIKE ?", std::string(p));
      ExpectSameRows(table, "short LIKE ?", std::string(p));
      ExpectSameRows(table, "name NOT LIKE ?", std::string(p));
    }
    // Case-blind for ASCII only: the Latin and the exact Cyrillic forms.
    EXPECT_EQ(ExpectSameRows(table, "name LIKE ?", std::string("iv%")), 3u);
    EXPECT_EQ(ExpectSameRows(table, "name LIKE ?", std::string("Пет%")), 4u);
    // Blank fields never match, not even "%".
    EXPECT_EQ(ExpectSameRows(table, "name LIKE ?", std::string("%")), std::size(kNames) - 1 + 1);
    // Patterns that are not text, NULL, and a pattern with a NUL inside.
    ExpectSameRows(table, "name LIKE ?", 12LL);
    ExpectSameRows(table, "name LIKE ?", Value{});
    ExpectSameRows(table, "name LIKE ?", std::string("Пе\0x%", 7));
    // Longer than any field, with inner wildcards.
    ExpectSameRows(table, "name LIKE ?", "П" + std::string(1100, '_') + "%");
    ExpectSameRows(table, "name LIKE ?", "%" + std::string(1100, 'a') + "%в");
    // The pattern on the other side: nothing to test on the field's bytes.
    ExpectSameRows(table, "? LIKE name", std::string("Петров"));
    // A numeric field is not tested on its bytes.
    ExpectSameRows(table, "num LIKE ?", std::string("1%"));
  }
  Exec("PRAGMA case_sensitive_like = ON");
  for (const char* table : kTables) {
    for (const char* p : kLikePatterns) ExpectSameRows(table, "name LIKE ?", std::string(p));
    EXPECT_EQ(ExpectSameRows(table, "name LIKE ?", std::string("iv%")), 1u);
  }
  Exec("PRAGMA case_sensitive_like = OFF");
}

TEST_F(DbfSqlPushdown, GlobGivesTheRowsSqliteGives) {
  for (const char* table : kTables) {
    for (const char* p : kGlobPatterns) {
      ExpectSameRows(table, "name GLOB ?", std::string(p));
      ExpectSameRows(table, "short GLOB ?", std::string(p));
    }
    EXPECT_EQ(ExpectSameRows(table, "name GLOB ?", std::string("Пет*")), 4u);
  }
}

TEST_F(DbfSqlPushdown, MalformedAndOverlongPatterns) {
  const std::string malformed[] = {
      std::string("\xD0", 1) + "%",          // cut sequence
      std::string("\xD0\x9F\x80", 3) + "%",  // a stray continuation byte after "П"
      std::string("\xC0\xAF", 2) + "%",      // overlong
      std::string("\xED\xA0\x80", 3) + "%",  // surrogate
      std::string("\xF0\x9F\x98\x80", 4) + "%",
  };
  for (const char* table : kTables) {
    for (const auto& p : malformed) {
      ExpectSameRows(table, "name LIKE ?", p);
      ExpectSameRows(table, "name GLOB ?", p);
      ExpectSameRows(table, "name = ?", p);
    }
  }
  // A pattern over SQLite's limit is refused even though no record starts
  // with it.
  sqlite3_limit(db_.get(), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 8);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(
      sqlite3_prepare_v2(db_.get(), "SELECT count(*) FROM t866 WHERE name LIKE ?", -1, &s, nullptr),
      SQLITE_OK);
  sqlite3_bind_text(s, 1, "Zzzzzzzzzzzz%", -1, SQLITE_STATIC);
  EXPECT_EQ(sqlite3_step(s), SQLITE_ERROR);
  EXPECT_NE(std::string(sqlite3_errmsg(db_.get())).find("too complex"), std::string::npos);
  sqlite3_finalize(s);
}

TEST_F(DbfSqlPushdown, PatternsOnCharacterFieldsAreOfferedToTheScan) {
  auto plan = [&](const std::string& sql) {
    std::string all;
    for (const auto& d : PlanDetails(sql)) all += d + "\n";
    return all;
  };
  EXPECT_NE(plan("SELECT count(*) FROM t866 WHERE name LIKE 'Пет%'").find(":like"),
            std::string::npos);
  EXPECT_NE(plan("SELECT count(*) FROM t1251 WHERE name GLOB 'Пет*'").find(":glob"),
            std::string::npos);
  EXPECT_EQ(plan("SELECT count(*) FROM t866 WHERE num LIKE '1%'").find(":like"), std::string::npos);
  // Joined: the pattern of the outer row is applied to each inner scan.
  const auto joined = Rows(
      "SELECT a.rowid || '-' || b.rowid FROM t866 a JOIN t1251 b ON b.name LIKE a.name || '%' "
      "ORDER BY 1",
      {});
  const auto joinedCopy = Rows(
      "SELECT a.rid || '-' || b.rid FROM copy_t866 a JOIN copy_t1251 b ON b.name LIKE a.name "
      "|| '%' ORDER BY 1",
      {});
  EXPECT_EQ(joined, joinedCopy);
  EXPECT_FALSE(joined.empty());
}

}  // namespace
