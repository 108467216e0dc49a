// Appending one sub-folder's share of a split registry to the registry
// folder's five tables, for the combined report (combined_report.h): the
// home-region cases of insurer 2779 or 2989, or the out-of-region cases,
// with their treatment sheets, operations, parents and services. A query
// of the desktop engine over the sub-folder's DBF files selects the rows;
// each row is appended to the registry folder's table of the same name,
// field by position (the k-th field of the source goes to the k-th field of
// the target, whatever their names), the engine converting each value to
// the target field's type. The base's rows stay first; nothing is deleted
// or updated, and each row is in the file once it is appended (a DBF table
// has no transaction).
//
// PARENTS and MTLUSL are handled only when both folders hold that table.
//
// Errors: CombinedReportStop "Ошибка при объединении отчёта: 2779/MTL.dbf"
// (caption "Ошибка объединения") when the treatment sheets of 2779 cannot be
// appended; otherwise the desktop engine's EDbfSqlError (a missing table, a
// value the target field cannot take) or InsurerRowsError when a source
// table has more fields than the registry folder's (the out-of-region
// treatment sheets leave the surplus fields out instead). The rows appended
// before an error stay. Cost: each selected row read once and appended once.
#pragma once

#include <QString>
#include <stdexcept>

namespace kelmo {

// The share of a sub-folder that is appended.
enum class InsurerRowsMember { Insurer2779, Insurer2989, OutOfRegion };

// The sub-folder of a member: "2779", "2989" or "Иногородние".
QString SubFolderOf(InsurerRowsMember member);

class InsurerRowsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// AppendInsurerRows: the member's rows of `registryFolder`/<sub-folder>
// appended to the tables of `registryFolder`.
void AppendInsurerRows(const QString& registryFolder, InsurerRowsMember member);

}  // namespace kelmo
