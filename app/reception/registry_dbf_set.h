// The registry DBF set as the reception reads it: the tables of a registry
// folder, which of them a period requires, the fields the structure checks
// demand, the DBF fields whose registry-database column has another name,
// and the error of a field read (the ways the loading reads a field are in
// dbf_row.h).
//
// The tables are read through the desktop engine (platform/dbfsql), where a
// blank field is NULL, character fields come trimmed on the right and dates
// are ISO text. Field names are matched without regard to case.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>
#include <vector>

namespace kelmo {

// One table of the set.
struct RegistryTable {
  const char* File;     // as the program writes the name
  const char* RowPer;   // what one row is
  const char* CaseKey;  // the key to the case (or the parent row)
  bool Required;        // required whatever the period
};
// stacion.dbf, mtl.dbf, operat.dbf, parents.dbf, mtlusl.dbf and the
// oncology tables, in the order of the set.
const std::vector<RegistryTable>& RegistryTables();

// A file the reception requires for periods starting from First to Last
// (both included; dates of the form "dd.mm.yyyy").
struct RequiredFile {
  QString File;
  QString First;
  QString Last;
};
// The table of required files: mtl, stacion, operat always; parents.dbf from
// 01.04.2009; mtlusl.dbf from 01.01.2010 to 01.05.2010.
std::vector<RequiredFile> RequiredRegistryFiles();
// Whether a required file's rule applies to a period starting on `start`.
bool RequiredFor(const RequiredFile& file, const QDate& start);

// Fields the structure checks demand.
QStringList MtlRequiredFields();      // APPEND, APP_KD, VR_SPEC
QStringList StacionRequiredFields();  // VPOLIS, MCOD, HASH

// The field names of a DBF table of `folder` (through the desktop engine,
// no row read), upper case. Raises dbfsql::EDbfSqlError when the table
// cannot be opened.
QStringList DbfFieldNames(const QString& folder, const QString& table);
// The names of `required` missing from `fields` (without regard to case).
QStringList MissingFields(const QStringList& fields, const QStringList& required);

// A field of a table of the set as the case-entry program writes it.
struct DbfFieldSpec {
  const char* Name;
  char Type;  // DBF field type
  int Width;
  int Decimals;
};
// The fields of `table` (a name of RegistryTables(), without regard to case)
// as the case-entry program writes them: every field the loading reads, of
// the kind the loading reads it as; empty for a name not of the set.
std::vector<DbfFieldSpec> RegistryTableFields(const QString& table);

// A DBF field whose registry-database column has another name.
struct FieldRename {
  const char* Table;
  const char* DbfField;
  const char* Column;  // TABLE.COLUMN of the registry database
};
const std::vector<FieldRename>& FieldRenames();

// A field could not be read the way the loading reads it; message
// "Поле '<name>' не найдено" or "'<text>' is not a valid integer value"
// (the read rules of dbf_row.h raise it).
class DbfFieldError : public std::runtime_error {
 public:
  explicit DbfFieldError(const QString& text);
};

// The zero date of the framework's date fields.
QDate ZeroDate();

}  // namespace kelmo
