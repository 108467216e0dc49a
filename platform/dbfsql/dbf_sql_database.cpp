// A DBF folder as an SQL database.
#include "dbf_sql_database.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <fstream>

#include "dbf_vtab.h"

namespace kelmo::dbfsql {

namespace {

std::string Lower(std::string s) {
  for (auto& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

std::string QuoteIdentifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string QuoteLiteral(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

}  // namespace

DbfSqlDatabase::DbfSqlDatabase(const QString& folder) : folder_(folder) {
  if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw EDbfSqlError(message);
  }
  RegisterDbfModule(db_);
  // SQLite's own temporary structures (the rows an UPDATE or DELETE of a
  // virtual table collects before it changes them, a DISTINCT's values seen,
  // an IN list) stay in memory: a registry's are a few megabytes, and written
  // to a temporary file when they pass SQLite's small page cache they would
  // cost more than the statement.
  sqlite3_exec(db_, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
}

DbfSqlDatabase::~DbfSqlDatabase() {
  sqlite3_close_v2(db_);
}

void DbfSqlDatabase::Check(int rc) const {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
    throw EDbfSqlError(sqlite3_errmsg(db_));
  }
}

void DbfSqlDatabase::Exec(const std::string& sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    std::string message = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    throw EDbfSqlError(message);
  }
}

std::string DbfSqlDatabase::LayoutOf(const std::string& path) const {
  std::ifstream in(path, std::ios::binary);
  char head[32] = {};
  in.read(head, 32);
  if (in.gcount() < 12) return {};
  const int headerLength =
      static_cast<unsigned char>(head[8]) | (static_cast<unsigned char>(head[9]) << 8);
  std::string layout(head + 8, head + 12);
  layout += head[29];
  std::string area(static_cast<size_t>(std::max(0, std::min(headerLength - 32, 65536))), '\0');
  in.read(area.data(), static_cast<std::streamsize>(area.size()));
  return layout + area.substr(0, static_cast<size_t>(in.gcount()));
}

void DbfSqlDatabase::Refresh() {
  QDir dir(folder_);
  const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
  std::map<std::string, std::string> found;
  for (const QFileInfo& fi : files) {
    if (fi.suffix().compare("dbf", Qt::CaseInsensitive) != 0) continue;
    std::string name = Lower(fi.completeBaseName().toStdString());
    found.emplace(name, fi.absoluteFilePath().toStdString());
  }
  for (auto it = broken_.begin(); it != broken_.end();) {
    it = found.count(it->first) ? std::next(it) : broken_.erase(it);
  }
  for (auto it = tables_.begin(); it != tables_.end();) {
    if (!found.count(it->first)) {
      Exec("DROP TABLE IF EXISTS " + QuoteIdentifier(it->first));
      it = tables_.erase(it);
    } else {
      ++it;
    }
  }
  for (const auto& [name, path] : found) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) continue;
    const int64_t mtime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    auto it = tables_.find(name);
    if (it != tables_.end() && it->second.path == path && it->second.mtimeNs == mtime &&
        it->second.size == st.st_size && it->second.inode == st.st_ino) {
      continue;
    }
    std::string layout = LayoutOf(path);
    if (it != tables_.end()) {
      it->second.mtimeNs = mtime;
      it->second.size = st.st_size;
      it->second.inode = st.st_ino;
      if (it->second.path == path && it->second.layout == layout) continue;
      Exec("DROP TABLE IF EXISTS " + QuoteIdentifier(name));
      tables_.erase(it);
    }
    const char* cp = defaultCodePage_ == bytes::CodePage::Cp866 ? "866" : "1251";
    // A file that is no table stays out of the database; a statement naming
    // it then fails with "no such table".
    char* err = nullptr;
    std::string ddl = "CREATE VIRTUAL TABLE " + QuoteIdentifier(name) + " USING dbf(" +
                      QuoteLiteral(path) + ", '" + cp + "')";
    if (sqlite3_exec(db_, ddl.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      broken_[name] = err ? err : sqlite3_errmsg(db_);
      sqlite3_free(err);
      continue;
    }
    broken_.erase(name);
    tables_[name] = TableEntry{path, mtime, st.st_size, st.st_ino, layout};
  }
}

StatementHandle DbfSqlDatabase::Prepare(const QString& sql, std::vector<std::string>* parameters) {
  RewrittenSql rewritten = RewriteDbfSql(sql.toStdString());
  Refresh();
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db_, rewritten.text.c_str(), -1, &stmt, &tail);
  if (rc != SQLITE_OK) {
    std::string message = sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    // A table whose file the engine refused: its error says why.
    const std::string missing = "no such table: ";
    if (message.rfind(missing, 0) == 0) {
      std::string name = message.substr(missing.size());
      size_t dot = name.find('.');
      if (dot != std::string::npos) name = name.substr(dot + 1);
      for (auto& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      }
      auto it = broken_.find(name);
      if (it != broken_.end()) message = it->second;
    }
    throw EDbfSqlError(message);
  }
  if (!stmt) throw EDbfSqlError("empty statement");
  if (parameters) *parameters = rewritten.parameters;
  return StatementHandle(stmt);
}

}  // namespace kelmo::dbfsql
