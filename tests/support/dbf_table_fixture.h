// DBF tables of a test built by code: an empty table written with lib/dbf
// from a field list, then its rows inserted through the desktop engine, each
// row naming its fields.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <vector>

#include "dbf/table_builder.h"
#include "dbfsql/dbf_query.h"

namespace kelmo::test {

struct FieldSpec {
  const char* name;
  char type;
  int width;
  int decimals;
};

// Writes an empty table (code page 1251 unless another language byte is
// given) and inserts the rows through the desktop engine; each row names its
// fields.
inline void BuildTable(const QString& folder, const QString& file,
                       const std::vector<FieldSpec>& fields, const std::vector<QVariantMap>& rows,
                       uint8_t language = 0xC9) {
  {
    dbf::DFO_DBFBuild build(QDir(folder).filePath(file).toStdString());
    build.SetLanguageByte(language);
    for (const FieldSpec& f : fields) build.AddField(f.name, f.type, f.width, f.decimals);
    build.WriteFiles();
  }
  dbfsql::InsertRows(folder, file, rows);
}

}  // namespace kelmo::test
