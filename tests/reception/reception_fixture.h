// What the reception's tests share: a registry folder of DBF tables built by
// code (lib/dbf for the files, the desktop engine for the rows), the
// institution's workbooks, and a registry database made from db/registry in
// a temporary folder.
#pragma once

#include <QDate>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>
#include <string>
#include <vector>

#include "dbf/dbf_dataset.h"
#include "dbf/table_builder.h"
#include "dbf_table_fixture.h"
#include "dbfsql/dbf_query.h"
#include "domain/record_hash.h"
#include "firebird/fb_database.h"
#include "qt_test_application.h"
#include "reception/registry_dbf_set.h"
#include "workbook/workbook.h"

namespace kelmo::test {

// The registry set's tables as a case-entry program writes them.
inline std::vector<FieldSpec> Fields(const char* table) {
  std::vector<FieldSpec> fields;
  for (const DbfFieldSpec& f : RegistryTableFields(QString::fromLatin1(table)))
    fields.push_back({f.Name, f.Type, f.Width, f.Decimals});
  return fields;
}

inline std::vector<FieldSpec> StacionFields() {
  return Fields("stacion.dbf");
}

inline std::vector<FieldSpec> MtlFields() {
  return Fields("mtl.dbf");
}

inline std::vector<FieldSpec> OperatFields() {
  return Fields("operat.dbf");
}
inline std::vector<FieldSpec> ParentsFields() {
  return Fields("parents.dbf");
}

inline std::vector<FieldSpec> Without(std::vector<FieldSpec> fields, const char* name) {
  std::erase_if(fields,
                [&](const FieldSpec& f) { return QLatin1String(f.name) == QLatin1String(name); });
  return fields;
}

// The checksum the fund's identification writes into HASH.
inline QString RecordHash(int id, const QString& mcod, const QString& polis, const QString& seria,
                          const QString& number, const QDate& inStac) {
  const QString text =
      HashFieldText(qlonglong(id)) + mcod + polis + seria + number + HashFieldText(inStac);
  QStringEncoder encode("windows-1251");
  return Md5Hex(encode(text));
}

// One case of the registry: a row of stacion.dbf and its first sheet.
struct RegistryCase {
  int id = 1;
  QString nomib = "101";
  QString family = "ИВАНОВ", name = "ИВАН", father = "ИВАНОВИЧ";
  QDate dr{1970, 5, 1};
  QDate in{2024, 3, 1}, out{2024, 3, 10};
  QString polObl = "1137";
  int tipStac = 1;
  int oplat = 1;  // the sheet's payment kind (0: empty)
  QString mcod = "450001";
  QString polis = "45001", seria = "", number = "4500000000000001";
  bool hashed = true;    // HASH holds the right checksum
  QString hashOverride;  // a HASH of the test's choosing

  QVariantMap Stacion() const {
    QVariantMap r{{"ID", id},          {"FAMILY", family},
                  {"NAME", name},      {"FATHER", father},
                  {"POL", 1},          {"DR", dr},
                  {"OBL", 1137},       {"NOMIB", nomib},
                  {"SOCIUM", "1"},     {"TIP_STAC", tipStac},
                  {"IN_STAC", in},     {"OUT_STAC", out},
                  {"DZ", out},         {"RES_LECEN", 1},
                  {"POL_OBL", polObl}, {"NUMBER", number},
                  {"POLIS", polis},    {"NUM_KARTA", id},
                  {"VPOLIS", 3}};
    if (!mcod.isEmpty()) r.insert("MCOD", mcod);
    if (!seria.isEmpty()) r.insert("SERIA", seria);
    if (!hashOverride.isEmpty())
      r.insert("HASH", hashOverride);
    else if (hashed)
      r.insert("HASH", RecordHash(id, mcod, polis, seria, number, in));
    return r;
  }
  QVariantMap Mtl() const {
    QVariantMap r{{"ID", id},    {"NOM_MTL", 1},      {"VID_POM", 3},    {"PROFILE", 1},
                  {"APPEND", 0}, {"APP_KD", 0},       {"VR_SPEC", "76"}, {"START", in},
                  {"END", out},  {"STAC_DIAG", "I10"}};
    if (oplat > 0) r.insert("OPLAT", oplat);
    return r;
  }
};

// A case of a split registry's sub-folder: its id, policy code and policy
// region, a stay in March 2024 that starts on day 1 + id % 20.
inline RegistryCase SplitCase(int id, const QString& polis,
                              const QString& polObl = QStringLiteral("1137")) {
  RegistryCase c;
  c.id = id;
  c.polis = polis;
  c.polObl = polObl;
  c.nomib = QString::number(100 + id);
  c.family = QStringLiteral("ФАМИЛИЯ%1").arg(id);
  c.in = QDate(2024, 3, 1 + id % 20);
  c.out = c.in.addDays(10);
  return c;
}

// Whole-number fields of every record of a table, in physical order, read
// with the DBF engine: "11/2" for ID and NOM_MTL, "-" for a blank field.
inline QStringList DbfRecords(const QString& folder, const char* table,
                              const QStringList& fields = {QStringLiteral("ID")}) {
  dbf::TDbfDataSet ds;
  ds.SetDatabaseName(folder.toStdString());
  ds.SetTableName(table);
  ds.Open();
  QStringList records;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    QStringList values;
    for (const QString& f : fields) {
      const dbf::TDbfFieldValue v = ds.GetFieldData(f.toStdString());
      values << (v.isNull ? QStringLiteral("-") : QString::number(v.integer));
    }
    records << values.join(u'/');
  }
  ds.Close();
  return records;
}

// The institution's workbooks of a round-the-clock local pass: the invoice
// with its "ВСЕГО" row, the treated-patient register and the bed-profile
// register.
inline void WriteLocalWorkbooks(const QString& folder, int stacType, double sum, int bedDays) {
  auto sfakt = workbook::Workbook::Create();
  auto& sheet = sfakt->ActiveSheet();
  sheet.SetText(17, 1, "ВСЕГО");
  sheet.SetNumber(17, 3, bedDays);
  sheet.SetNumber(17, 8, sum);
  sfakt->SaveAs(QDir(folder).filePath(QString("sfakt%1.xlsx").arg(stacType)).toStdString());
  for (const char* name : {"sreestr", "profils"}) {
    auto book = workbook::Workbook::Create();
    book->ActiveSheet().SetText(1, 1, name);
    book->SaveAs(QDir(folder).filePath(QString("%1%2.xlsx").arg(name).arg(stacType)).toStdString());
  }
}

// A registry folder with the required tables and the workbooks.
inline void BuildRegistry(const QString& folder, const std::vector<RegistryCase>& cases,
                          bool workbooks = true) {
  std::vector<QVariantMap> stac, mtl;
  for (const RegistryCase& c : cases) {
    stac.push_back(c.Stacion());
    mtl.push_back(c.Mtl());
  }
  BuildTable(folder, "stacion.dbf", StacionFields(), stac);
  BuildTable(folder, "mtl.dbf", MtlFields(), mtl);
  BuildTable(folder, "operat.dbf", OperatFields(), {});
  BuildTable(folder, "parents.dbf", ParentsFields(), {});
  if (workbooks) WriteLocalWorkbooks(folder, 1, 12345.50, 10);
}

// The lines of a text file in code page 1251 with CR LF ends.
inline QStringList ReadActLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringDecoder decode("windows-1251");
  QString text = decode(file.readAll());
  if (text.endsWith("\r\n")) text.chop(2);
  return text.split("\r\n");
}

// A registry database made from db/registry, once per test program.
class RegistryDatabaseFile {
 public:
  static QString Path() {
    static RegistryDatabaseFile file;
    return file.path_;
  }

 private:
  RegistryDatabaseFile() {
    path_ = dir_.filePath("registry.fdb");
    FbDatabase db("reception_fixture_create");
    db.setDatabaseName(path_);
    db.setScriptFolder(KELMO_SOURCE_DIR "/db/registry");
    db.Open();
    db.Close();
  }
  QTemporaryDir dir_;
  QString path_;
};

}  // namespace kelmo::test
