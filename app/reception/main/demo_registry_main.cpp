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

#include "dbf/table_builder.h"
#include "dbfsql/dbf_query.h"
#include "domain/record_hash.h"
#include "reception/registry_dbf_set.h"
#include "workbook/workbook.h"

namespace {

void Table(const QString& folder, const QString& file, const std::vector<QVariantMap>& rows) {
  {
    kelmo::dbf::DFO_DBFBuild build(QDir(folder).filePath(file).toStdString());
    build.SetLanguageByte(0xC9);  // code page 1251
    for (const kelmo::DbfFieldSpec& f : kelmo::RegistryTableFields(file))
      build.AddField(f.Name, f.Type, f.Width, f.Decimals);
    build.WriteFiles();
  }
  kelmo::dbfsql::InsertRows(folder, file, rows);
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
       "2778",
       "4597000000000011"},
      {2,
       "2402",
       "ПЕТРОВА",
       "МАРИЯ",
       "СЕРГЕЕВНА",
       {1975, 7, 14},
       {2024, 3, 4},
       {2024, 3, 15},
       "2779",
       "4597000000000022"},
      {3,
       "2403",
       "СИДОРОВ",
       "ПЁТР",
       "АЛЕКСЕЕВИЧ",
       {1950, 11, 30},
       {2024, 3, 12},
       {2024, 3, 22},
       "2778",
       "4597000000000033"},
      {4,
       "2404",
       "КУЗНЕЦОВА",
       "ОЛЬГА",
       "ИВАНОВНА",
       {1988, 4, 9},
       {2024, 3, 20},
       {2024, 3, 29},
       "2779",
       "4597000000000044"},
  };
  const QString mcod = "450001";
  std::vector<QVariantMap> stacion, mtl, operat, parents;
  for (const Case& c : cases) {
    stacion.push_back({{"ID", c.id},
                       {"FAMILY", c.family},
                       {"NAME", c.name},
                       {"FATHER", c.father},
                       {"POL", c.id % 2 == 1 ? 1 : 2},
                       {"DR", c.dr},
                       {"RESP", "45"},
                       {"OBL", 1137},
                       {"RAION", "Центральный"},
                       {"PUNCT", "Кельмо"},
                       {"STRIT", "Лесная"},
                       {"HOUSE", QString::number(c.id * 3)},
                       {"NOMIB", c.nomib},
                       {"DOKUMENT", 14},
                       {"D_SERIA", "45 01"},
                       {"D_NOMBER", QString("12345%1").arg(c.id)},
                       {"SOCIUM", "1"},
                       {"TIP_STAC", 1},
                       {"IN_STAC", c.in},
                       {"OUT_STAC", c.out},
                       {"NAPR_DIAG", "I10"},
                       {"STAC_DIAG", c.id == 3 ? "K80.1" : "I10"},
                       {"KOD_MES", c.id == 3 ? "3030101" : "3010101"},
                       {"DZ", c.out},
                       {"RES_LECEN", 101},
                       {"ISHOD_LECE", 101},
                       {"ACCOMP1", c.id == 1 ? "E11.9" : ""},
                       {"IN_STAC_T", "09:00"},
                       {"OUT_STAC_T", "12:00"},
                       {"DATA_ZAPOL", c.out},
                       {"KOD_LPU", mcod},
                       {"POL_OBL", "1137"},
                       {"NUMBER", c.number},
                       {"POLIS", c.polis},
                       {"NUM_KARTA", 1000 + c.id},
                       {"VPOLIS", 3},
                       {"MCOD", mcod},
                       {"HASH", Hash(c.id, mcod, c.polis, c.number, c.in)}});
    QVariantMap sheet{{"ID", c.id},         {"NOM_MTL", 1},         {"OPLAT", 1},
                      {"VID_POM", 3},       {"OTDELENIE", 10},      {"PROFILE", 1},
                      {"STAC_DIAG", "I10"}, {"KOD_MES", "3010101"}, {"STAN_OBSL", 1},
                      {"STAN_LECEN", 1},    {"RES_LECHEN", 101},    {"ISHOD_LECE", 101},
                      {"START", c.in},      {"END", c.out},         {"APPEND", 0},
                      {"APP_KD", 0},        {"VR_SPEC", "76"},      {"VR_FIO", "ВРАЧОВ В.В."}};
    if (c.id == 1) sheet.insert("ACCOMP1", "E11.9");
    if (c.id == 3) {
      // A surgical case: a first sheet in therapy, a second in surgery with
      // an operation.
      sheet["STAC_DIAG"] = "K80.1";
      sheet["KOD_MES"] = "3030101";
      sheet["END"] = c.in.addDays(3);
      mtl.push_back(sheet);
      sheet["NOM_MTL"] = 2;
      sheet["PROFILE"] = 2;
      sheet["START"] = c.in.addDays(3);
      sheet["END"] = c.out;
      operat.push_back({{"ID", c.id},
                        {"OPERATION", 1},
                        {"ANAESTHES", 1},
                        {"DATA_OPER", c.in.addDays(4)},
                        {"TIME_OPER", "10:30"},
                        {"FIO", "ХИРУРГОВ Х.Х."},
                        {"USLUG", "A16.14.009"}});
    }
    mtl.push_back(sheet);
  }
  Table(folder, "stacion.dbf", stacion);
  Table(folder, "mtl.dbf", mtl);
  Table(folder, "operat.dbf", operat);
  Table(folder, "parents.dbf", parents);

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
