// SQLite virtual-table module "dbf" over lib/dbf: one virtual table per DBF
// file. Rows are the live records in physical order (deleted records are not
// seen), the rowid is the record number. A blank field reads as NULL,
// character and memo fields right-trimmed and decoded from the table's code
// page (866 when the language byte says so, else the connection's default) to
// UTF-8, numeric fields as INTEGER (no decimals) or REAL, dates as ISO text
// "yyyy-mm-dd", logical fields as 1 or 0. INSERT appends a record, UPDATE
// rewrites the changed fields of a record, DELETE marks it deleted; each goes
// to the file at once (there is no rollback: a DBF table has no journal).
//
// A table is opened shared for each scan and closed when the scan ends, so no
// handle is held between statements. The plan of each scan (vtab_plan.h) uses
// every equality constraint SQLite offers: the look-up goes by the column with
// the most distinct values (estimated from a sample of records, exact once
// the column's index exists) and the other values, and ranges on numeric and
// date columns, are tested on each record. A look-up is answered by a scan the
// first time and by a hash index of the column from the second time on
// within the same file state (nested-loop joins, correlated subqueries, IN
// subqueries), so a plain scan keeps memory flat and a join or a correlated
// UPDATE runs in n log n whatever the order of its conditions. A scan for a text value on a
// character field, and a LIKE or GLOB on one, first tests each record's stored bytes
// (raw_text_filter.h) and decodes and hands to SQLite only the records that
// may match; SQLite still evaluates the condition on them, so the rows are
// those SQLite alone would give. A scan asked for one column's order (an
// ORDER BY on it, perhaps followed by the rowid, or a DISTINCT or GROUP BY on
// it) sorts the column's values once in a file state, as SQLite sorts them
// with the BINARY collation, and returns the rows in that order: the column
// comes from memory and a record is read only when SQLite asks for another
// column. Engine errors reach SQLite as the
// statement's error with the engine's text.
#pragma once

#include <sqlite3.h>

#include "bytes/code_pages.h"

namespace kelmo::dbfsql {

// Registers the module "dbf" on the connection; tables are made with
// CREATE VIRTUAL TABLE name USING dbf('<path>', '<866|1251>'). With
// planLookups false every plan is a plain scan (the rows are the same; used
// to compare).
int RegisterDbfModule(sqlite3* db, bool planLookups = true);

}  // namespace kelmo::dbfsql
