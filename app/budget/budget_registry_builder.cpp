// Writing budget registries.
#include "budget_registry_builder.h"

#include <QDir>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QVariantMap>

#include "dbf/table_builder.h"
#include "dbfsql/dbf_query.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

namespace kelmo {

namespace {

struct Field {
  const char* name;
  char type;
  int width;
};

void Build(const QString& folder, const QString& file, const std::vector<Field>& fields,
           const std::vector<QVariantMap>& rows) {
  {
    dbf::DFO_DBFBuild build(QDir(folder).filePath(file).toStdString());
    build.SetLanguageByte(0xC9);
    for (const Field& f : fields) build.AddField(f.name, f.type, f.width, 0);
    build.WriteFiles();
  }
  for (const QVariantMap& row : rows) {
    QStringList names, params;
    for (auto it = row.begin(); it != row.end(); ++it) {
      names << QLatin1Char('"') + it.key() + QLatin1Char('"');
      params << QStringLiteral(":p") + QString::number(params.size());
    }
    dbfsql::TQuery q;
    q.SetDatabaseName(folder);
    q.SetStatement({QStringLiteral("insert into ") + file + QStringLiteral(" (") +
                    names.join(QLatin1Char(',')) + QStringLiteral(") values (") +
                    params.join(QLatin1Char(',')) + QLatin1Char(')')});
    int i = 0;
    for (auto it = row.begin(); it != row.end(); ++it)
      q.SetParam(QStringLiteral("p") + QString::number(i++), it.value());
    q.ExecSQL();
  }
}

// A name whose page-1251 bytes are its page-866 form (what a table declared
// in page 1251 holds when the institution's program wrote page 866).
QString As866(const QString& name) {
  QStringEncoder to866("IBM866");
  QStringDecoder as1251("windows-1251");
  return as1251.decode(to866.encode(name));
}

std::vector<Field> StacionFields() {
  std::vector<Field> f = {{"ID", 'N', 10},        {"FAMILY", 'C', 40},    {"NAME", 'C', 40},
                          {"FATHER", 'C', 40},    {"POL", 'N', 1},        {"DR", 'D', 8},
                          {"RESP", 'C', 20},      {"OBL", 'N', 4},        {"RAION", 'C', 30},
                          {"PUNCT", 'C', 30},     {"STRIT", 'C', 30},     {"HOUSE", 'C', 6},
                          {"COURP", 'C', 4},      {"FLAT", 'C', 4},       {"G_S", 'N', 1},
                          {"NOMIB", 'C', 10},     {"DOKUMENT", 'N', 2},   {"D_SERIA", 'C', 10},
                          {"SERIA", 'C', 10},     {"D_NOMBER", 'C', 20},  {"NUMBER", 'C', 20},
                          {"POLIS", 'C', 10},     {"POL_OBL", 'C', 4},    {"SOCIUM", 'C', 2},
                          {"KATEGOR", 'N', 2},    {"OTDELENIE", 'N', 4},  {"IN_STAC", 'D', 8},
                          {"OUT_STAC", 'D', 8},   {"NAPR_DIAG", 'C', 7},  {"PROF_DIAG", 'C', 7},
                          {"STAC_DIAG", 'C', 7},  {"KOD_MES", 'N', 8},    {"FIRST", 'N', 1},
                          {"RW_RESULT", 'N', 1},  {"AIDS_RESUL", 'N', 1}, {"TRAVMA", 'N', 1},
                          {"COMP1", 'C', 7},      {"COMP2", 'C', 7},      {"COMP3", 'C', 7},
                          {"BL1_START", 'D', 8},  {"BL1_END", 'D', 8},    {"BL1_FIRST", 'N', 1},
                          {"BL1_POVOD", 'N', 1},  {"BL1_POL", 'N', 1},    {"BL1_VOZR", 'N', 3},
                          {"NAPRAVLEN", 'N', 2},  {"FIO", 'C', 40},       {"DZ", 'D', 8},
                          {"RES_LECEN", 'N', 2},  {"ISHOD_LECE", 'N', 2}, {"ACCOMP1", 'C', 7},
                          {"ACCOMP2", 'C', 7},    {"ACCOMP3", 'C', 7},    {"ACCOMP_L1", 'N', 1},
                          {"ACCOMP_L2", 'N', 1},  {"ACCOMP_L3", 'N', 1},  {"DISE_TIME", 'N', 2},
                          {"IN_STAC_T", 'C', 5},  {"OUT_STAC_T", 'C', 5}, {"SOOTVTSTV", 'N', 1},
                          {"DATA_ZAPOL", 'D', 8}, {"OPLAT", 'N', 1},      {"TIP_STAC", 'N', 1},
                          {"NUM_KARTA", 'N', 10}};
  return f;
}

std::vector<Field> MtlFields(const BudgetRegistryShape& shape) {
  std::vector<Field> f = {
      {"ID", 'N', 10},        {"NOM_MTL", 'N', 3},   {"OPLAT", 'N', 1},      {"PROFILE", 'N', 3},
      {"STAC_DIAG", 'C', 7},  {"KOD_MES", 'N', 8},   {"ACCOMP1", 'C', 7},    {"ACCOMP2", 'C', 7},
      {"ACCOMP3", 'C', 7},    {"MES_ACC1", 'N', 8},  {"MES_ACC2", 'N', 8},   {"MES_ACC3", 'N', 8},
      {"ACCOMP_L1", 'N', 1},  {"ACCOMP_L2", 'N', 1}, {"ACCOMP_L3", 'N', 1},  {"STAN_OBSL", 'N', 1},
      {"STAN_LECEN", 'N', 1}, {"KACH_MES", 'N', 1},  {"RES_LECHEN", 'N', 2}, {"ISHOD_LECE", 'N', 2},
      {"KURACIA", 'N', 1},    {"EXTREN", 'N', 1},    {"INTENSIV", 'N', 3},   {"INTERRUPT", 'N', 1},
      {"START", 'D', 8},      {"END", 'D', 8},       {"COMP1", 'C', 7},      {"COMP2", 'C', 7},
      {"COMP3", 'C', 7},      {"DREANIM", 'C', 7},   {"DETECT", 'C', 10},    {"VIDMTL", 'N', 1},
      {"APPEND", 'N', 1},     {"APP_KD", 'N', 3},    {"VR_SPEC", 'C', 10},   {"VR_FIO", 'C', 40}};
  if (shape.Reanim) f.push_back({"REANIM", 'N', 6});
  if (shape.Otdelenie) f.push_back({"OTDELENIE", 'N', 4});
  return f;
}

}  // namespace

void WriteBudgetRegistry(const QString& folder, const std::vector<BudgetStay>& stays,
                         const BudgetRegistryShape& shape) {
  std::vector<QVariantMap> stac, mtl, leaves, services;
  for (const BudgetStay& s : stays) {
    const auto name = [&](const QString& n) { return s.NamesInPage866 ? As866(n) : n; };
    stac.push_back({{"ID", s.Id},
                    {"FAMILY", name(s.Family)},
                    {"NAME", name(s.Name)},
                    {"FATHER", name(s.Father)},
                    {"POL", s.Pol},
                    {"DR", s.Dr},
                    {"OBL", 1137},
                    {"RAION", s.Raion},
                    {"NOMIB", s.Nomib},
                    {"DOKUMENT", 14},
                    {"SERIA", QStringLiteral("45 00")},
                    {"NUMBER", QStringLiteral("12345%1").arg(s.Id)},
                    {"POLIS", QStringLiteral("4500%1").arg(s.Id)},
                    {"POL_OBL", QStringLiteral("1137")},
                    {"SOCIUM", QStringLiteral("01")},
                    {"IN_STAC", s.In},
                    {"OUT_STAC", s.Out},
                    {"DZ", s.Out},
                    {"STAC_DIAG", s.Sheets.empty() ? QStringLiteral("I10") : s.Sheets.front().Diag},
                    {"RES_LECEN", s.Res},
                    {"ISHOD_LECE", s.Ishod},
                    {"OPLAT", 2},
                    {"TIP_STAC", s.TipStac},
                    {"NUM_KARTA", s.Id}});
    for (const BudgetSheet& m : s.Sheets) {
      QVariantMap row{{"ID", s.Id},
                      {"NOM_MTL", m.Nom},
                      {"PROFILE", m.Profile},
                      {"STAC_DIAG", m.Diag},
                      {"KOD_MES", m.KodMes},
                      {"STAN_OBSL", 1},
                      {"STAN_LECEN", 1},
                      {"KACH_MES", 1},
                      {"RES_LECHEN", m.Res},
                      {"ISHOD_LECE", m.Ishod},
                      {"KURACIA", 1},
                      {"EXTREN", 0},
                      {"INTENSIV", m.Intensiv},
                      {"INTERRUPT", 0},
                      {"START", m.Start},
                      {"END", m.End},
                      {"VIDMTL", m.Vidmtl},
                      {"APPEND", 0},
                      {"APP_KD", 0}};
      if (m.Oplat > 0) row.insert("OPLAT", m.Oplat);
      if (shape.Reanim) row.insert("REANIM", m.Reanim);
      if (shape.Otdelenie) row.insert("OTDELENIE", 10);
      mtl.push_back(row);
      for (const BudgetLeave& l : m.Leaves)
        leaves.push_back({{"ID", s.Id}, {"NOM_MTL", m.Nom}, {"NACH", l.Nach}, {"KON", l.Kon}});
      for (const auto& [code, count] : m.Services)
        services.push_back({{"ID", s.Id},
                            {"NOM_MTL", m.Nom},
                            {"DOKAZ", m.Start},
                            {"USLUG", code},
                            {"KOLVO", count}});
    }
  }
  Build(folder, QStringLiteral("stacion.dbf"), StacionFields(), stac);
  Build(folder, QStringLiteral("mtl.dbf"), MtlFields(shape), mtl);
  if (shape.Otpusk)
    Build(folder, QStringLiteral("otpusk.dbf"),
          {{"ID", 'N', 10}, {"NOM_MTL", 'N', 3}, {"NACH", 'D', 8}, {"KON", 'D', 8}}, leaves);
  if (shape.Mtlusl || !services.empty())
    Build(folder, QStringLiteral("mtlusl.dbf"),
          {{"ID", 'N', 10},
           {"NOM_MTL", 'N', 3},
           {"DOKAZ", 'D', 8},
           {"USLUG", 'C', 15},
           {"KOLVO", 'N', 5}},
          services);
  Build(folder, QStringLiteral("operat.dbf"),
        {{"ID", 'N', 10},
         {"OPERATION", 'N', 8},
         {"COMPLIC", 'C', 6},
         {"ANAESTHES", 'N', 2},
         {"DATA_OPER", 'D', 8},
         {"TIME_OPER", 'C', 5},
         {"FIO", 'C', 40},
         {"APP_ENDOK", 'N', 1},
         {"APP_LASER", 'N', 1},
         {"APP_KRIOG", 'N', 1},
         {"USLUG", 'C', 15},
         {"ID_CONS", 'N', 6},
         {"ID_SURGERY", 'N', 6},
         {"ID_T_LINE", 'N', 6},
         {"ID_T_CYCLE", 'N', 6},
         {"ID_R_TYPE", 'N', 6},
         {"ID_U_TYPE", 'N', 6}},
        {});
}

void WriteBudgetWorkbooks(const QString& folder, int stacType, double invoiceSum, int bedDays,
                          const std::vector<RegisterRow>& rows, const QString& versionLine) {
  const QDir dir(folder);
  auto sfakt = workbook::Workbook::Create();
  auto& invoice = sfakt->ActiveSheet();
  invoice.SetText(17, 1, "ВСЕГО");
  invoice.SetNumber(17, 3, bedDays);
  invoice.SetNumber(17, 9, invoiceSum);
  sfakt->SaveAs(dir.filePath(QStringLiteral("sfakt%1.xlsx").arg(stacType)).toStdString());

  auto sreestr = workbook::Workbook::Create();
  auto& reg = sreestr->ActiveSheet();
  int r = 7;
  for (const RegisterRow& row : rows) {
    reg.SetText(r, 2, row.Nomib.toStdString());
    reg.SetText(r, 3, row.Family.toStdString());
    reg.SetText(r, 4, row.Dr.toString(QStringLiteral("dd.MM.yyyy")).toStdString());
    reg.SetText(r, 14, row.Amount.toStdString());
    ++r;
  }
  reg.SetText(r, 3, "Итого:");
  reg.SetText(r + 3, 2, versionLine.toStdString());
  sreestr->SaveAs(dir.filePath(QStringLiteral("sreestr%1.xlsx").arg(stacType)).toStdString());

  auto profils = workbook::Workbook::Create();
  profils->ActiveSheet().SetText(1, 1, "Реестр коек по профилю");
  profils->SaveAs(dir.filePath(QStringLiteral("profils%1.xlsx").arg(stacType)).toStdString());
}

}  // namespace kelmo
