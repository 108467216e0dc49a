// A DBF folder as an SQL database: an in-memory SQLite connection on which
// every DBF table of the folder is a virtual table of the module "dbf"
// (dbf_vtab.h), named after its file's base name (so "Stacion.DBF" answers to
// stacion, STACION, "stacion.dbf" ...). Before each statement the folder is
// looked at again: tables that appeared are added, those that went away or
// changed their fields are dropped or remade (one directory read and one stat
// per table). Statements are rewritten from the desktop engine's dialect first
// (dbf_sql_text.h).
//
// Errors: EDbfSqlError with SQLite's message, which carries the engine's text
// for an engine error ("Invalid numeric value in field ...", "Table Header for
// ... is invalid", ...). Not thread-safe: one connection per thread.
#pragma once

#include <sqlite3.h>

#include <QString>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bytes/code_pages.h"
#include "dbf_sql_text.h"

namespace kelmo::dbfsql {

class EDbfSqlError : public std::runtime_error {
 public:
  explicit EDbfSqlError(const std::string& message) : std::runtime_error(message) {}
};

struct StatementDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

class DbfSqlDatabase {
 public:
  // The folder need not hold any table yet. Text of tables whose language
  // byte names no code page is decoded as 1251.
  explicit DbfSqlDatabase(const QString& folder);
  ~DbfSqlDatabase();
  DbfSqlDatabase(const DbfSqlDatabase&) = delete;
  DbfSqlDatabase& operator=(const DbfSqlDatabase&) = delete;

  const QString& Folder() const { return folder_; }
  // The code page of tables whose language byte names none.
  void SetDefaultCodePage(bytes::CodePage cp) { defaultCodePage_ = cp; }

  // Rewrites and prepares one statement; parameters gets one name per
  // parameter occurrence (empty for "?").
  StatementHandle Prepare(const QString& sql, std::vector<std::string>* parameters);
  // Brings the virtual tables in line with the folder's files.
  void Refresh();
  sqlite3* Handle() const { return db_; }
  // Throws EDbfSqlError with the connection's message when rc is an error.
  void Check(int rc) const;

 private:
  struct TableEntry {
    std::string path;
    int64_t mtimeNs = 0;
    int64_t size = 0;
    uint64_t inode = 0;
    std::string layout;  // header lengths and field descriptors
  };
  void Exec(const std::string& sql);
  std::string LayoutOf(const std::string& path) const;

  QString folder_;
  sqlite3* db_ = nullptr;
  bytes::CodePage defaultCodePage_ = bytes::CodePage::Cp1251;
  std::map<std::string, TableEntry> tables_;
  // Files the engine could not open as tables, with its error.
  std::map<std::string, std::string> broken_;
};

}  // namespace kelmo::dbfsql
