// Statement text of the desktop engine: the rewrite into SQLite's dialect.
#include "dbf_sql_text.h"

#include <cctype>

namespace kelmo::dbfsql {

namespace {

enum class Tok { kSpace, kWord, kQuoted, kString, kParam, kPunct, kComment };

struct Token {
  Tok kind;
  std::string text;
};

bool IsWordChar(unsigned char c) {
  return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool EndsWithDbf(const std::string& s) {
  return s.size() > 4 && Upper(s.substr(s.size() - 4)) == ".DBF";
}

std::string Quote(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::vector<Token> Lex(const std::string& s, std::vector<std::string>& params,
                       std::vector<std::string>& files) {
  std::vector<Token> out;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t start = i;
    if (std::isspace(c)) {
      while (i < n && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      out.push_back({Tok::kSpace, s.substr(start, i - start)});
    } else if (c == '\'') {
      ++i;
      while (i < n) {
        if (s[i] == '\'') {
          if (i + 1 < n && s[i + 1] == '\'') {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      out.push_back({Tok::kString, s.substr(start, i - start)});
    } else if (c == '"' || c == '[' || c == '`') {
      const char close = c == '[' ? ']' : static_cast<char>(c);
      ++i;
      std::string inner;
      while (i < n && s[i] != close) inner += s[i++];
      if (i < n) ++i;
      if (EndsWithDbf(inner)) {
        std::string base = inner.substr(0, inner.size() - 4);
        size_t slash = base.find_last_of("/\\");
        if (slash != std::string::npos) base = base.substr(slash + 1);
        files.push_back(base);
        out.push_back({Tok::kQuoted, Quote(base)});
      } else {
        out.push_back({Tok::kQuoted, s.substr(start, i - start)});
      }
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
      out.push_back({Tok::kComment, s.substr(start, i - start)});
    } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      size_t end = s.find("*/", i + 2);
      i = end == std::string::npos ? n : end + 2;
      out.push_back({Tok::kComment, s.substr(start, i - start)});
    } else if (c == ':' && i + 1 < n && IsWordChar(static_cast<unsigned char>(s[i + 1])) &&
               !(i > 0 && s[i - 1] == ':')) {
      ++i;
      while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      params.push_back(s.substr(start + 1, i - start - 1));
      out.push_back({Tok::kParam, "?"});
    } else if (c == '?') {
      ++i;
      params.emplace_back();
      out.push_back({Tok::kParam, "?"});
    } else if (IsWordChar(c)) {
      while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      std::string word = s.substr(start, i - start);
      // name.dbf: the table of that file.
      if (i + 3 < n && s[i] == '.' && Upper(s.substr(i + 1, 3)) == "DBF" &&
          (i + 4 >= n || !IsWordChar(static_cast<unsigned char>(s[i + 4])))) {
        i += 4;
        files.push_back(word);
        out.push_back({Tok::kQuoted, Quote(word)});
      } else {
        out.push_back({Tok::kWord, word});
      }
    } else {
      ++i;
      out.push_back({Tok::kPunct, s.substr(start, 1)});
    }
  }
  return out;
}

bool IsKeyword(const Token& t, const char* word) {
  return t.kind == Tok::kWord && Upper(t.text) == word;
}

bool IsName(const Token& t) {
  return t.kind == Tok::kWord || t.kind == Tok::kQuoted;
}

// Index of the next token that is not blank or comment, from i on.
size_t Next(const std::vector<Token>& t, size_t i) {
  while (i < t.size() && (t[i].kind == Tok::kSpace || t[i].kind == Tok::kComment)) ++i;
  return i;
}

const char* const kClauseWords[] = {"SET",   "WHERE", "AS",        "INDEXED", "NOT",
                                    "ORDER", "LIMIT", "RETURNING", "FROM"};

bool IsClauseWord(const Token& t) {
  for (const char* w : kClauseWords)
    if (IsKeyword(t, w)) return true;
  return false;
}

// "update T a set" / "delete from T a where": AS before the alias.
void AddAliasAs(std::vector<Token>& t) {
  size_t first = Next(t, 0);
  if (first >= t.size()) return;
  size_t table;
  if (IsKeyword(t[first], "UPDATE")) {
    table = Next(t, first + 1);
  } else if (IsKeyword(t[first], "DELETE")) {
    size_t from = Next(t, first + 1);
    if (from >= t.size() || !IsKeyword(t[from], "FROM")) return;
    table = Next(t, from + 1);
  } else {
    return;
  }
  if (table >= t.size() || !IsName(t[table])) return;
  size_t after = Next(t, table + 1);
  // schema.table
  if (after < t.size() && t[after].text == ".") {
    table = Next(t, after + 1);
    after = Next(t, table + 1);
  }
  if (after < t.size() && t[after].kind == Tok::kWord && !IsClauseWord(t[after])) {
    t.insert(t.begin() + static_cast<long>(after), {Tok::kSpace, " "});
    t.insert(t.begin() + static_cast<long>(after), {Tok::kWord, "AS"});
  }
}

// "set s.a=1, s.b=2": the qualifier of each assigned column is dropped.
void DropSetQualifiers(std::vector<Token>& t) {
  size_t first = Next(t, 0);
  if (first >= t.size() || !IsKeyword(t[first], "UPDATE")) return;
  int depth = 0;
  bool inSet = false;
  bool expectColumn = false;
  for (size_t i = first; i < t.size(); ++i) {
    const Token& tok = t[i];
    if (tok.kind == Tok::kPunct && tok.text == "(") ++depth;
    if (tok.kind == Tok::kPunct && tok.text == ")") --depth;
    if (depth != 0) continue;
    if (IsKeyword(tok, "SET")) {
      inSet = true;
      expectColumn = true;
      continue;
    }
    if (!inSet) continue;
    if (IsKeyword(tok, "WHERE") || IsKeyword(tok, "FROM") || IsKeyword(tok, "RETURNING")) break;
    if (tok.kind == Tok::kPunct && tok.text == ",") {
      expectColumn = true;
      continue;
    }
    if (expectColumn && IsName(tok)) {
      size_t dot = Next(t, i + 1);
      if (dot < t.size() && t[dot].text == ".") {
        size_t col = Next(t, dot + 1);
        if (col < t.size() && IsName(t[col])) {
          t.erase(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(col));
        }
      }
      expectColumn = false;
    } else if (tok.kind != Tok::kSpace && tok.kind != Tok::kComment) {
      expectColumn = false;
    }
  }
}

}  // namespace

RewrittenSql RewriteDbfSql(const std::string& sql) {
  RewrittenSql out;
  std::vector<Token> tokens = Lex(sql, out.parameters, out.fileTables);
  AddAliasAs(tokens);
  DropSetQualifiers(tokens);
  for (const auto& t : tokens) out.text += t.text;
  return out;
}

}  // namespace kelmo::dbfsql
