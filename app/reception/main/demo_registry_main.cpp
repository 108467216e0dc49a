// Writes the demonstration registry: a folder of DBF tables of four
// round-the-clock cases of March 2024 of the regional hospital (institution
// 1 of the demonstration database), identified by the fund, with the
// institution's invoice, treated-patient register and bed-profile register.
// Usage: kelmo_demo_registry <folder>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QStringEncoder>
#include <QVariantMap>
#include <cstdio>
#include <vector>

#include "dbfsql/dbf_query.h"
#include "domain/record_hash.h"
#include "dbf/table_builder.h"
#include "workbook/workbook.h"

namespace {

struct Field {
  const char* name;
  char type;
  int width;
};

void Table(const QString& folder, const QString& file, const std::vector<Field>& fields,
           const std::vector<QVariantMap>& rows) {
  {
    kelmo::dbf::DFO_DBFBuild build(QDir(folder).filePath(file).toStdString());
    build.SetLanguageByte(0xC9);  // code page 1251
    for (const Field& f : fields) build.AddField(f.name, f.type, f.width, 0);
    build.WriteFiles();
  }
  for (const QVariantMap& row : rows) {
    QStringList names, params;
    for (auto it = row.begin(); it != row.end(); ++it) {
      names << it.key();
      params << QLatin1Char(':') + it.key();
    }
    kelmo::dbfsql::TQuery q;
    q.SetDatabaseName(folder);
    q.SetStatement(
        {"insert into " + file + " (" + names.join(',') + ") values (" + params.join(',') + ")"});
    for (auto it = row.begin(); it != row.end(); ++it) q.SetParam(it.key(), it.value());
    q.ExecSQL();
  }
}

QString Hash(int id, const QString& mcod, const QString& polis, const QString& number,
             const QDate& in) {
  QStringEncoder encode("windows-1251");
  return kelmo::Md5Hex(encode(kelmo::HashFieldText(qlonglong(id)) + mcod + polis + number +
                              kelmo::HashFieldText(in)));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelmo_demo_registry <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  struct Case {
    int id;
    const char* nomib;
    const char* family;
    const char* name;
    const char* father;
    QDate dr, in, out;
    const char* polis;
    const char* number;
  };
  const std::vector<Case> cases = {
      {1,
       "2401",
       "ИВАНОВ",
       "ИВАН",
       "ИВАНОВИЧ",
       {1961, 2, 3},
       {2024, 3, 1},
       {2024, 3, 11},
       "45001",
       "4597000000000011"},
      {2,
       "2402",
       "ПЕТРОВА",
       "МАРИЯ",
       "СЕРГЕЕВНА",
       {1975, 7, 14},
       {2024, 3, 4},
       {2024, 3, 15},
       "45002",
       "4597000000000022"},
      {3,
       "2403",
       "СИДОРОВ",
       "ПЁТР",
       "АЛЕКСЕЕВИЧ",
       {1950, 11, 30},
       {2024, 3, 12},
       {2024, 3, 22},
       "45001",
       "4597000000000033"},
      {4,
       "2404",
       "КУЗНЕЦОВА",
       "ОЛЬГА",
       "ИВАНОВНА",
       {1988, 4, 9},
       {2024, 3, 20},
       {2024, 3, 29},
       "45002",
       "4597000000000044"},
  };
  const QString mcod = "450001";
  std::vector<QVariantMap> stacion, mtl;
  for (const Case& c : cases) {
    stacion.push_back({{"ID", c.id},
                       {"FAMILY", c.family},
                       {"NAME", c.name},
                       {"FATHER", c.father},
                       {"POL", 1},
                       {"DR", c.dr},
                       {"OBL", 1137},
                       {"NOMIB", c.nomib},
                       {"SOCIUM", "1"},
                       {"TIP_STAC", 1},
                       {"IN_STAC", c.in},
                       {"OUT_STAC", c.out},
                       {"DZ", c.out},
                       {"RES_LECEN", 1},
                       {"POL_OBL", "1137"},
                       {"NUMBER", c.number},
                       {"POLIS", c.polis},
                       {"NUM_KARTA", 1000 + c.id},
                       {"VPOLIS", 3},
                       {"MCOD", mcod},
                       {"HASH", Hash(c.id, mcod, c.polis, c.number, c.in)}});
    mtl.push_back({{"ID", c.id},
                   {"NOM_MTL", 1},
                   {"OPLAT", 1},
                   {"VID_POM", 3},
                   {"PROFILE", 1},
                   {"APPEND", 0},
                   {"APP_KD", 0},
                   {"VR_SPEC", "76"}});
  }
  Table(folder, "stacion.dbf",
        {{"ID", 'N', 10},     {"FAMILY", 'C', 40},   {"NAME", 'C', 40},      {"FATHER", 'C', 40},
         {"POL", 'N', 1},     {"DR", 'D', 8},        {"OBL", 'N', 4},        {"NOMIB", 'C', 10},
         {"SOCIUM", 'C', 2},  {"TIP_STAC", 'N', 1},  {"IN_STAC", 'D', 8},    {"OUT_STAC", 'D', 8},
         {"DZ", 'D', 8},      {"RES_LECEN", 'N', 3}, {"POL_OBL", 'C', 4},    {"SERIA", 'C', 10},
         {"NUMBER", 'C', 20}, {"POLIS", 'C', 5},     {"NUM_KARTA", 'N', 10}, {"VPOLIS", 'N', 1},
         {"MCOD", 'C', 6},    {"HASH", 'C', 32}},
        stacion);
  Table(folder, "mtl.dbf",
        {{"ID", 'N', 10},
         {"NOM_MTL", 'N', 3},
         {"OPLAT", 'N', 1},
         {"VID_POM", 'N', 2},
         {"PROFILE", 'N', 3},
         {"APPEND", 'N', 1},
         {"APP_KD", 'N', 3},
         {"VR_SPEC", 'C', 10}},
        mtl);
  Table(folder, "operat.dbf", {{"ID", 'N', 10}, {"OPERATION", 'C', 10}}, {});
  Table(folder, "parents.dbf", {{"ID", 'N', 10}, {"FAMILY", 'C', 40}}, {});

  auto sfakt = kelmo::workbook::Workbook::Create();
  sfakt->ActiveSheet().SetText(17, 1, "ВСЕГО");
  sfakt->ActiveSheet().SetNumber(17, 3, 39);
  sfakt->ActiveSheet().SetNumber(17, 8, 98765.50);
  sfakt->SaveAs(QDir(folder).filePath("sfakt1.xlsx").toStdString());
  for (const char* name : {"sreestr1.xlsx", "profils1.xlsx"}) {
    auto book = kelmo::workbook::Workbook::Create();
    book->ActiveSheet().SetText(1, 1, "ГБУ «Областная клиническая больница»");
    book->SaveAs(QDir(folder).filePath(name).toStdString());
  }
  return 0;
}
