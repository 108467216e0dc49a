// The reference tables of the cost calculation, read once per run and kept:
// KSG groups and KSGs with their tariffs, group coefficients, stages and
// polytrauma regions; service tariffs, service groups, the service list;
// concomitant-disease coefficients; the coefficient rows (KOEFF); the
// institutions' plans; the high-tech methods; the chemotherapy criteria; the
// old-to-new diagnosis codes; the holidays. Every look-up the per-case walk
// makes goes to these vectors, never to the database.
//
// Dates "dbeg/dend" follow the tables: a row is in force over a period when
// it began on or before the period's start and ends on or after its end, or
// has no end. Loading raises DatabaseError; a table that is missing in an
// older database raises too (the schema creates them all).
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

#include "domain/case_data.h"
#include "domain/money.h"

namespace kelmo {
class FbDatabase;
class FbTransaction;
}  // namespace kelmo

namespace kelmo::tariff {

// A period of a reference row: begin, and end (none: open).
struct ValidPeriod {
  QDate Begin;
  std::optional<QDate> End;
  // Begun on or before `from` and not ended before `to`.
  bool Covers(const QDate& from, const QDate& to) const {
    return Begin.isValid() && Begin <= from && (!End || *End >= to);
  }
};

// SPR_KSG_GROUP: one way into a KSG (diagnosis, service, criteria, ...).
struct KsgGroupRow {
  int Id = 0;
  QString KsgId;
  int Ts = 0;
  std::optional<int> Los;
  std::optional<QString> Mkb, Uslug, DopMkb, CriteriaCode, Fractions;
  std::optional<int> Pol, Vozr;
  ValidPeriod Valid;
};

// SPR_KSG: the KSG itself.
struct KsgRow {
  QString KsgId;
  int Ts = 0;
  int Oplat = 0;
  std::optional<int> Gr, Sgr;
  int OvShort = 0;
  int OvLong = 0;
  QString RecKsg;  // "R", a list ",5,7," of KSGs it excludes, or empty
  int IsHirKsg = 0;
  ValidPeriod Valid;
};

// SPR_KSG_COST: the KSG's tariff per care level column.
struct KsgCostRow {
  QString Ksg;
  int Ts = 0;
  std::optional<Money> RUr, GUr, KUr, NUr, FUr;
  ValidPeriod Valid;
  std::optional<Money> Column(const QString& name) const;
};

struct GroupKfRow {
  int Grp = 0;
  double Kf = 1.0;
  ValidPeriod Valid;
};

struct StageKsgRow {
  QString Ksg, Uslug;
  ValidPeriod Valid;
};

// KSG16_POLITRAVM: the diagnoses of a body region (",S06.1,S06.2,").
struct PolitravmRow {
  QString Mkb;
  int KodObl = 0;
};

struct UslCostRow {
  QString Uslug;
  int Ts = 0;
  std::optional<Money> Cost;
  ValidPeriod Valid;
};

struct UslGroupRow {
  QString Uslug;
  int Ts = 0;
  int Grp = 0;
  int Sgr = 0;
  ValidPeriod Valid;
};

// SPR_USLUG: the service list with the kind of each service.
struct ServiceRow {
  QString Uslug;
  QString Name;
  std::optional<int> Type, Subtype;
  ValidPeriod Valid;
};

// COP_KF: the concomitant-disease coefficient of a diagnosis (or, grp 1, of
// its three-character heading).
struct CopKfRow {
  QString Mkb;
  int Grp = 0;
  double Kf = 0;
  ValidPeriod Valid;
};

// KOEFF: a coefficient row, identified in the stored coefficient list.
struct KoeffRow {
  int Id = 0;
  double Zkoeff = 0;
  std::optional<int> Npr, TfomsNpr;
  QDate DateBeg;
  std::optional<QDate> DateEnd;
};

// PLANINDEX joined with PLAN2MONTH: the level an institution's plan gives.
struct PlanLevelRow {
  int Lpu = 0, Oplat = 0, Ts = 0, Profile = 0, Month = 0;
  int Level = 0;  // 1 ry_m, 3 gy_m, 4 ky_m, 5 none of them positive
};

// SPR_VMP: a high-tech care method.
struct VmpRow {
  int Id = 0;
  QString VmpMes;
  int MetKod = 0;
  QString Diags, Uslug;
  Money Cost;
  QString Anaestes;
  int Grp = 0;
  QDate DateFrom;
  std::optional<QDate> DateTo;
};

struct CriteriaRow {
  QString Code;
  QString PlanInj;
  ValidPeriod Valid;
};

class TariffTables {
 public:
  std::vector<KsgGroupRow> KsgGroups;  // in the table's order (by id)
  std::vector<KsgRow> Ksgs;
  std::vector<KsgCostRow> KsgCosts;
  std::vector<GroupKfRow> GroupKfs;
  std::vector<StageKsgRow> Stages;
  std::vector<PolitravmRow> Politravm;
  std::vector<UslCostRow> UslCosts;
  std::vector<UslGroupRow> UslGroups;
  std::vector<ServiceRow> Services;
  std::vector<CopKfRow> CopKfs;
  std::vector<KoeffRow> Koeffs;
  std::vector<PlanLevelRow> Plan;
  QHash<int, int> FedLpu;  // LPU.ID -> FED_LPU
  std::vector<VmpRow> Vmp;
  std::vector<CriteriaRow> Criteria;
  QHash<QString, QString> MkbOldToNew;
  QList<QDate> Holidays;
  QHash<int, QList<DayException>> HolidayExceptions;  // by institution

  // Reads every table. Raises DatabaseError.
  static TariffTables Load(FbDatabase& db, FbTransaction& tr);
  // Builds the look-up indexes; called by Load, and by tests and the
  // benchmark after filling the vectors by hand.
  void Index();

  // The KSG-group rows of a service code (null service: key ""), in order.
  const std::vector<int>& GroupRowsOfService(const QString& uslug) const;
  // The KSG-group rows of a service code (null service: key "") whose
  // diagnosis begins with the letter (no diagnosis: letter ""), in order.
  // Every diagnosis condition of a group row needs the same first letter.
  const std::vector<int>& GroupRowsOf(const QString& uslug, const QString& letter) const;
  const std::vector<int>& KsgRowsOf(const QString& ksgId) const;
  const std::vector<int>& KsgCostRowsOf(const QString& ksgId) const;
  // The oncology services: names with one of the tumour words, still open.
  const QStringList& OncologyServices() const { return oncology_; }
  // The service list rows of a code.
  const std::vector<int>& ServiceRowsOf(const QString& uslug) const;

 private:
  QHash<QString, std::vector<int>> groupsByService_;
  QHash<QString, std::vector<int>> groupsByServiceLetter_;
  QHash<QString, std::vector<int>> ksgsById_;
  QHash<QString, std::vector<int>> costsByKsg_;
  QHash<QString, std::vector<int>> servicesByCode_;
  QStringList oncology_;
};

}  // namespace kelmo::tariff
