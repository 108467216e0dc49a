// Statement text of the desktop engine as SQLite takes it. The statements the
// program holds are written for the desktop database engine: tables named as
// files ("stacion.dbf s", "Operat.dbf", "\"mtl.dbf\""), aliases after the
// table of an UPDATE or DELETE without AS, alias-qualified SET columns
// ("set s.oplat=7") and named parameters that may repeat (":ps ... :ps"),
// bound by name or by position of occurrence. RewriteDbfSql turns such a text
// into SQLite's: file names become the table names (the base name, quoted),
// "AS" is put before such aliases, the qualifier of SET columns is dropped and
// every parameter becomes "?" in the order of occurrence. Literals, quoted
// names and comments are copied unchanged. Linear in the text.
#pragma once

#include <string>
#include <vector>

namespace kelmo::dbfsql {

struct RewrittenSql {
  std::string text;
  // One entry per parameter occurrence, in order: the name without ":" (empty
  // for a "?" of the original text).
  std::vector<std::string> parameters;
  // Base names of the tables written as files, in order of occurrence.
  std::vector<std::string> fileTables;
};

RewrittenSql RewriteDbfSql(const std::string& sql);

}  // namespace kelmo::dbfsql
