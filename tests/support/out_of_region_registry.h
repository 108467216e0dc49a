// An out-of-region registry of a test, built by code: stacion.dbf, mtl.dbf
// and parents.dbf with the fields the out-of-region check reads. Every case
// starts as a clean one of March 2026 (round-the-clock, paid, one sheet, no
// finding) and a test changes the fields it is about.
#pragma once

#include <QDate>
#include <QString>
#include <QVariantMap>
#include <vector>

#include "dbf_table_fixture.h"

namespace kelmo::test {

inline std::vector<FieldSpec> OutOfRegionStacionFields() {
  return {{"ID", 'N', 10, 0},        {"FAMILY", 'C', 40, 0},   {"NAME", 'C', 40, 0},
          {"FATHER", 'C', 40, 0},    {"POL", 'N', 1, 0},       {"DR", 'D', 8, 0},
          {"OBL", 'N', 4, 0},        {"NOMIB", 'C', 10, 0},    {"DOKUMENT", 'N', 2, 0},
          {"D_SERIA", 'C', 12, 0},   {"D_NOMBER", 'C', 12, 0}, {"F_DOCS", 'N', 2, 0},
          {"SOCIUM", 'C', 2, 0},     {"TIP_STAC", 'N', 1, 0},  {"IN_STAC", 'D', 8, 0},
          {"OUT_STAC", 'D', 8, 0},   {"DZ", 'D', 8, 0},        {"RES_LECEN", 'N', 3, 0},
          {"ISHOD_LECE", 'N', 3, 0}, {"DATE_N", 'D', 8, 0},    {"DATE_E", 'D', 8, 0},
          {"POL_OBL", 'C', 4, 0},    {"SERIA", 'C', 12, 0},    {"NUMBER", 'C', 20, 0},
          {"POLIS", 'C', 5, 0},      {"VPOLIS", 'N', 1, 0},    {"F_STREET", 'C', 40, 0},
          {"F_NPUNKT", 'C', 40, 0},  {"F_OKSM", 'C', 3, 0},    {"F_DELEGAT", 'C', 40, 0},
          {"F_STATUS", 'N', 1, 0},   {"F_PLACEW", 'C', 60, 0}};
}

inline std::vector<FieldSpec> OutOfRegionMtlFields() {
  return {{"ID", 'N', 10, 0},        {"NOM_MTL", 'N', 3, 0},    {"OPLAT", 'N', 1, 0},
          {"VIDMTL", 'N', 2, 0},     {"PROFILE", 'N', 3, 0},    {"STAC_DIAG", 'C', 6, 0},
          {"KOD_MES", 'C', 16, 0},   {"MES_ACC3", 'C', 10, 0},  {"ACCOMP3", 'C', 6, 0},
          {"ACCOMP_L3", 'N', 1, 0},  {"STAN_OBSL", 'N', 1, 0},  {"STAN_LECEN", 'N', 1, 0},
          {"RES_LECHEN", 'N', 3, 0}, {"ISHOD_LECE", 'N', 3, 0}, {"KURACIA", 'N', 1, 0},
          {"EXTREN", 'N', 1, 0},     {"INTENSIV", 'N', 1, 0},   {"INTERRUPT", 'N', 1, 0},
          {"KACH_MES", 'N', 1, 0},   {"REANIM", 'N', 3, 0},     {"APPEND", 'N', 1, 0},
          {"APP_KD", 'N', 3, 0},     {"VR_SPEC", 'C', 10, 0}};
}

inline std::vector<FieldSpec> OutOfRegionParentsFields() {
  return {{"ID", 'N', 10, 0},     {"FAMILY", 'C', 40, 0}, {"NAME", 'C', 40, 0},
          {"FATHER", 'C', 40, 0}, {"DR", 'D', 8, 0},      {"SERIA", 'C', 10, 0},
          {"NUMBER", 'C', 20, 0}, {"OBL", 'C', 5, 0}};
}

// A case without a finding, its row of stacion.dbf.
inline QVariantMap CleanOutOfRegionCase(int id) {
  return {{"ID", id},
          {"FAMILY", "Петров"},
          {"NAME", "Пётр"},
          {"FATHER", "Ильич"},
          {"POL", 1},
          {"DR", QDate(1980, 2, 3)},
          {"OBL", 37},
          {"NOMIB", QString::number(500 + id)},
          {"DOKUMENT", 14},
          {"D_SERIA", "45 01"},
          {"D_NOMBER", "1234567"},
          {"F_DOCS", 14},
          {"TIP_STAC", 1},
          {"IN_STAC", QDate(2026, 3, 2)},
          {"OUT_STAC", QDate(2026, 3, 12)},
          {"DZ", QDate(2026, 3, 12)},
          {"RES_LECEN", 1},
          {"ISHOD_LECE", 1},
          {"POL_OBL", "4501"},
          {"NUMBER", "4500000000000001"},
          {"POLIS", "2778"},
          {"VPOLIS", 3},
          {"F_OKSM", "643"},
          {"F_STATUS", 1}};
}

// A paid treatment sheet without a finding (NOM_MTL 1).
inline QVariantMap CleanOutOfRegionSheet(int id, int nomMtl = 1) {
  return {{"ID", id},       {"NOM_MTL", nomMtl},  {"OPLAT", 1},           {"VIDMTL", 0},
          {"PROFILE", 5},   {"STAC_DIAG", "I10"}, {"KOD_MES", "3100001"}, {"ACCOMP_L3", 0},
          {"STAN_OBSL", 1}, {"STAN_LECEN", 1},    {"RES_LECHEN", 1},      {"ISHOD_LECE", 1},
          {"KURACIA", 1},   {"EXTREN", 0},        {"INTENSIV", 0},        {"INTERRUPT", 0},
          {"KACH_MES", 1},  {"REANIM", 0},        {"APPEND", 0},          {"APP_KD", 0},
          {"VR_SPEC", "76"}};
}

// A representative without a finding, living where the case lives.
inline QVariantMap CleanRepresentative(int id) {
  return {{"ID", id},
          {"FAMILY", "Петрова"},
          {"NAME", "Анна"},
          {"FATHER", "Ивановна"},
          {"DR", QDate(1982, 4, 5)},
          {"NUMBER", "4500000000000002"},
          {"OBL", "37"}};
}

// The map with the changes laid over it (an invalid value blanks a field).
inline QVariantMap With(QVariantMap row, const QVariantMap& changes) {
  for (auto it = changes.begin(); it != changes.end(); ++it) {
    if (it.value().isValid())
      row.insert(it.key(), it.value());
    else
      row.remove(it.key());
  }
  return row;
}

struct OutOfRegionRegistry {
  std::vector<QVariantMap> cases, sheets, parents;
};

inline void BuildOutOfRegionRegistry(const QString& folder, const OutOfRegionRegistry& r) {
  BuildTable(folder, "stacion.dbf", OutOfRegionStacionFields(), r.cases);
  BuildTable(folder, "mtl.dbf", OutOfRegionMtlFields(), r.sheets);
  BuildTable(folder, "parents.dbf", OutOfRegionParentsFields(), r.parents);
}

}  // namespace kelmo::test
