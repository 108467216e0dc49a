// The cost calculation over small reference tables held in memory: each road
// of the KSG calculation (from 2019 and before), the high-tech cost, the care
// levels, the coefficients and the zero-cost reasons, to the kopeck, with the
// comment and the coefficient list stored.
#include <gtest/gtest.h>

#include <QMap>
#include <functional>

#include "tariff/case_cost.h"
#include "tariff/case_cost_io.h"
#include "tariff/cost_rules.h"
#include "tariff/tariff_tables.h"

namespace kelmo::tariff {
namespace {

const QDate kFrom2018(2018, 1, 1);
const QDate kFrom2019(2019, 1, 1);

ValidPeriod Open(const QDate& from) {
  return {from, std::nullopt};
}
Money Rub(const char* text) {
  return *Money::FromString(QString::fromLatin1(text));
}

std::shared_ptr<TariffTables> Tables() {
  auto t = std::make_shared<TariffTables>();
  auto ksg = [&](const char* id, int ts, const char* rUr, int ovShort, int ovLong,
                 const char* rec = "", const QDate& from = kFrom2019, int hir = 0) {
    KsgRow k;
    k.KsgId = QString::fromLatin1(id);
    k.Ts = ts;
    k.Oplat = 1;
    k.OvShort = ovShort;
    k.OvLong = ovLong;
    k.RecKsg = QString::fromLatin1(rec);
    k.IsHirKsg = hir;
    k.Valid = Open(from);
    t->Ksgs.push_back(k);
    KsgCostRow c;
    c.Ksg = k.KsgId;
    c.Ts = ts;
    c.RUr = Rub(rUr);
    c.GUr = Rub(rUr) + Rub("5000");
    c.KUr = Rub(rUr) + Rub("10000");
    c.FUr = Rub(rUr) + Rub("20000");
    c.Valid = Open(from);
    t->KsgCosts.push_back(c);
  };
  int gid = 0;
  auto group = [&](const char* ksgId, int ts, const char* mkb, std::optional<int> los = {},
                   const char* criteria = nullptr, const char* uslug = nullptr,
                   const QDate& from = kFrom2019) {
    KsgGroupRow g;
    g.Id = ++gid;
    g.KsgId = QString::fromLatin1(ksgId);
    g.Ts = ts;
    g.Mkb = QString::fromLatin1(mkb);
    g.Los = los;
    if (criteria) g.CriteriaCode = QString::fromLatin1(criteria);
    if (uslug) g.Uslug = QString::fromLatin1(uslug);
    g.Valid = Open(from);
    t->KsgGroups.push_back(g);
  };
  ksg("st01", 1, "20000", 0, 1);
  group("st01", 1, "I20.0");
  ksg("st02", 1, "30000", 0, 0);
  group("st02", 1, "I21.0");
  ksg("st29.005", 1, "30000", 0, 0);
  group("st29.005", 1, "S06.1");
  ksg("st29.007", 1, "150000", 0, 0);
  ksg("ds02", 5, "15000", 0, 0);
  group("ds02", 5, "I20.0");
  ksg("ds18.001", 5, "100000", 0, 0);
  group("ds18.001", 5, "N18.5");
  // The exclusion: st10 excludes st11 ("R"); st11 is dearer.
  ksg("st10", 1, "20000", 0, 0, ",st11,");
  group("st10", 1, "K80.0", 0);
  ksg("st11", 1, "50000", 0, 0, "R");
  group("st11", 1, "K80.0");
  // A chemotherapy scheme.
  ksg("st19.027", 1, "20000", 0, 0);
  group("st19.027", 1, "C50.1", {}, "sh0001");
  // Before 2019: numeric KSG ids.
  ksg("12", 1, "20000", 0, 0, "", kFrom2018);
  t->Ksgs.back().Valid.End = QDate(2018, 12, 31);
  t->KsgCosts.back().Valid.End = QDate(2018, 12, 31);
  group("12", 1, "I20.0", {}, nullptr, nullptr, kFrom2018);
  t->KsgGroups.back().Valid.End = QDate(2018, 12, 31);

  // A pair of KSG groups: group 3 with two sub-groups, coefficient 1.2.
  ksg("st40", 1, "20000", 0, 0);
  t->Ksgs.back().Gr = 3;
  t->Ksgs.back().Sgr = 1;
  group("st40", 1, "M17.0");
  ksg("st41", 1, "30000", 0, 0);
  t->Ksgs.back().Gr = 3;
  t->Ksgs.back().Sgr = 2;
  group("st41", 1, "M16.0");
  t->GroupKfs.push_back({3, 1.2, Open(kFrom2019)});
  t->UslCosts.push_back({QStringLiteral("A01"), 1, Rub("100"), Open(kFrom2018)});
  t->UslCosts.push_back({QStringLiteral("A02"), 1, Rub("200"), Open(kFrom2018)});
  // A KSG group without a coefficient row.
  ksg("st43", 1, "20000", 0, 0);
  t->Ksgs.back().Gr = 9;
  t->Ksgs.back().Sgr = -1;
  group("st43", 1, "N20-N23");
  // Two KSGs of equal tariff for one diagnosis; a KSG without a tariff row.
  ksg("st60", 1, "25000", 0, 0);
  group("st60", 1, "J45.0");
  ksg("st61", 1, "25000", 0, 0);
  group("st61", 1, "J45.0");
  ksg("st70", 1, "25000", 0, 0);
  t->KsgCosts.pop_back();
  group("st70", 1, "L40.0");
  // Before 2019: the Barthel-scale KSG.
  ksg("339", 1, "20000", 0, 0, "", kFrom2018);
  group("339", 1, "I63.0", {}, nullptr, nullptr, kFrom2018);
  // Day-hospital services counted by working days.
  t->Services.push_back(
      {QStringLiteral("B01.047.009"), QStringLiteral("Осмотр"), 2, 1, Open(kFrom2018)});
  t->UslCosts.push_back({QStringLiteral("B01.047.009"), 5, Rub("10"), Open(kFrom2018)});
  t->Politravm = {{QStringLiteral(",S06.1,S06.2,"), 8},
                  {QStringLiteral(",S22.4,"), 3},
                  {QStringLiteral(",S32.0,"), 5}};
  t->CopKfs.push_back({QStringLiteral("E11.9"), 0, 1.3, Open(kFrom2018)});
  // Coefficients of a three-character heading: one ended with 2018.
  t->CopKfs.push_back({QStringLiteral("E10"), 1, 1.5, {kFrom2018, QDate(2018, 12, 31)}});
  t->CopKfs.push_back({QStringLiteral("E14"), 1, 1.2, Open(kFrom2018)});
  t->UslCosts.push_back({QStringLiteral("A18.05.002"), 5, Rub("1500.5"), Open(kFrom2018)});
  auto koeff = [&](int id, int code, double value) {
    t->Koeffs.push_back({id, value, code, std::nullopt, kFrom2018, std::nullopt});
  };
  koeff(101, 103, 0.5);
  koeff(102, 123, 0.8);
  koeff(103, 6, 1.3);
  koeff(104, 3, 1.05);
  koeff(105, 8, 1.5);
  koeff(106, 124, 1.1);
  koeff(107, 14, 0.19);
  koeff(108, 125, 0.5);
  koeff(109, 101, 0.5);
  koeff(110, 11, 1.2);
  koeff(111, 113, 0.9);
  koeff(112, 123, 0.5);
  koeff(113, 5, 1.1);
  // Day-hospital plans: institution 5 has a town-level plan for March.
  t->Plan.push_back({5, 1, 2, 7, 3, 3});
  t->Plan.push_back({5, 6, 1, 7, 3, 1});
  t->FedLpu.insert(9, 1);
  VmpRow v;
  v.Id = 77;
  v.VmpMes = QStringLiteral("1200001");
  v.MetKod = 5;
  v.Diags = QStringLiteral("C50;");
  v.Uslug = QStringLiteral(",A16.20.032,");
  v.Cost = Rub("180000");
  v.Grp = 1;
  v.DateFrom = kFrom2018;
  t->Vmp.push_back(v);
  // A stent method: three stents at least.
  v.Id = 78;
  v.VmpMes = QStringLiteral("1200002");
  v.MetKod = 7;
  v.Diags.clear();
  v.Uslug.clear();
  v.Cost = Rub("200000");
  v.Grp = 33;
  t->Vmp.push_back(v);
  t->Index();
  return t;
}

// Case data held in memory.
class MemoryData : public CaseDataSource {
 public:
  QMap<int, QList<CaseService>> services;
  QMap<int, QList<SheetDiagnosis>> diags;
  QMap<int, QString> eco;
  std::optional<InjectionPlan> injections;
  QList<CaseService> Services(int idIll) override { return services.value(idIll); }
  QList<SheetDiagnosis> Diagnoses(int mtlId) override { return diags.value(mtlId); }
  QString EcoStages(int idIll) override { return eco.value(idIll); }
  std::optional<InjectionPlan> Injections(int, const QString&) override { return injections; }
};

class MemorySink : public CaseCostSink {
 public:
  QMap<int, Money> serviceCosts;
  QMap<int, int> mekDays;
  QMap<int, int> mekCaseDays;
  void StoreMtl(const MtlCostValues&) override {}
  void StoreCaseSums(int, int, Money, int) override {}
  void StoreServiceCost(int id, std::optional<Money> cost) override {
    serviceCosts[id] = cost.value_or(Money());
  }
  void StoreMekBedDays(int mtlId, int kd, int idIll, int kdMtl) override {
    mekDays[mtlId] = kd;
    mekCaseDays[idIll] = kdMtl;
  }
};

// A round-the-clock sheet of the first level discharged on 15.03.2019.
CaseCostRow Sheet(int id, const char* diag, int days) {
  CaseCostRow r;
  r.Id = id;
  r.IdIll = id;
  r.NomMtl = 1;
  r.Lpu = 1;
  r.TipStac = 1;
  r.KodMes = QStringLiteral("3000001");
  r.Profile = 1;
  r.ProfilBed = 1;
  r.Family = QStringLiteral("Иванов");
  r.OutStac = QDate(2019, 3, 15);
  r.Dr = QDate(1950, 1, 1);
  r.Vozrast = 69;
  r.Pol = 1;
  r.StacDiag = QString::fromLatin1(diag);
  r.StartD = r.OutStac.addDays(-days);
  r.Finish = r.OutStac;
  r.RsltMtl = 101;
  r.BedDays = days;
  return r;
}

struct Expected {
  Money Cost;
  QString KsgId;
  QString Comment;
  QString CoefList;
};

struct CostRun {
  std::shared_ptr<TariffTables> tables = Tables();
  MemoryData data;
  MemorySink sink;
  CaseCostSettings settings;
  CostRun() {
    settings.YearText = QStringLiteral("2019");
    settings.MonthIndex = 2;
  }
  // Costs the rows, finishes, returns the calculator's results.
  std::unique_ptr<CaseCostCalculator> Cost(const QList<CaseCostRow>& rows) {
    auto calc = std::make_unique<CaseCostCalculator>(tables, data, sink, settings);
    for (const CaseCostRow& r : rows) calc->CalculateCaseCost(r);
    calc->FinishCases();
    return calc;
  }
};

// The last store of a sheet.
StoredCaseCost LastStore(const CaseCostCalculator& c, int mtlId) {
  StoredCaseCost last;
  for (const StoredCaseCost& s : c.Stored())
    if (s.MtlId == mtlId) last = s;
  return last;
}

void ExpectStore(const CaseCostCalculator& c, int mtlId, const Expected& e) {
  const StoredCaseCost s = LastStore(c, mtlId);
  EXPECT_EQ(s.MtlId, mtlId);
  EXPECT_EQ(s.Cost, e.Cost) << s.Cost.ToString().toStdString();
  EXPECT_EQ(s.KsgId, e.KsgId);
  EXPECT_EQ(s.Comment, e.Comment);
  EXPECT_EQ(s.CoefList, e.CoefList);
}

struct SheetCase {
  const char* name;
  std::function<void(CaseCostRow&, CostRun&)> setup;
  Expected expected;
};

TEST(CaseCost, OneSheetRoads2019) {
  const QString shortText = QStringLiteral("*0.5 <= (interrupted, KD <= 3, no_operation) ");
  const std::vector<SheetCase> cases = {
      {"plain KSG", [](CaseCostRow&, CostRun&) {}, {Rub("20000"), "st01", "MKBG_0||20000", ""}},
      {"short stay without operation",
       [](CaseCostRow& r, CostRun&) { r.BedDays = 3; },
       {Rub("10000"), "st01", "MKBG_0||20000" + shortText, "t=101,k=0.5;"}},
      {"long stay over 45 days",
       [](CaseCostRow& r, CostRun&) { r.BedDays = 46; },
       {Rub("20111.11"), "st01", "MKBG_0||20000*(1+0.0055556(time))", "t=,k=1.0055556;"}},
      {"complexity capped at 1.8",
       [](CaseCostRow& r, CostRun& run) {
         r.IsKslpAst = true;
         r.ProfilBed = 16;
         r.AppKd = 3;
         r.MtlOncoStatus = 1;
         r.SchemeCntCase = 2;
         run.data.diags[r.Id] = {{QStringLiteral("E11.9"), 23}};
       },
       {Rub("36000"), "st01",
        "MKBG_0||20000*(1+0.3(cop)+0.05(app)+0.5(onko)+0.1(astenia)) -> 20000 * 1.8(MAX)",
        "t=103,k=1.3;t=104,k=1.05;t=105,k=1.5;t=106,k=1.1;"}},
      {"concomitant disease by its heading",
       [](CaseCostRow& r, CostRun& run) {
         run.data.diags[r.Id] = {{QStringLiteral("E14.2"), 22}};
       },
       {Rub("24000"), "st01", "MKBG_0||20000*(1+0.2(cop))", "t=,k=1.2;"}},
      {"a heading's coefficient that ended is not applied",
       [](CaseCostRow& r, CostRun& run) {
         run.data.diags[r.Id] = {{QStringLiteral("E10.1"), 23}};
       },
       {Rub("20000"), "st01", "MKBG_0||20000", ""}},
      {"IVF stage 6 at the first level",
       [](CaseCostRow& r, CostRun& run) {
         r.BedDays = 2;
         run.data.eco[r.IdIll] = QStringLiteral("6");
       },
       {Rub("23916.54"), "st01", "MKBG_0||125876.54*(1+(-0.81 ЭКО (6)))", "t=107,k=0.19;"}},
      {"polytrauma of three regions",
       [](CaseCostRow& r, CostRun& run) {
         r.StacDiag = QStringLiteral("S06.1");
         run.data.diags[r.Id] = {{QStringLiteral("S22.4"), 23}, {QStringLiteral("S32.0"), 23}};
       },
       {Rub("150000"), "st29.007", "MKBG_0||150000", ""}},
      {"two regions are no polytrauma",
       [](CaseCostRow& r, CostRun& run) {
         r.StacDiag = QStringLiteral("S06.1");
         run.data.diags[r.Id] = {{QStringLiteral("S22.4"), 23}};
       },
       {Rub("30000"), "st29.005", "MKBG_0||30000", ""}},
      {"interrupted day hospital",
       [](CaseCostRow& r, CostRun&) {
         r.TipStac = 2;
         r.Lpu = 5;
         r.ProfilBed = 7;
         r.RsltMtl = 102;
       },
       {Rub("12000"), "ds02", "MKBG_0||15000*0.8 <= (interrupted, rslt=102, no_operation) ",
        "t=102,k=0.8;"}},
      {"federal institution's fourth level is the fifth",
       [](CaseCostRow& r, CostRun&) {
         r.KodMes = QStringLiteral("5000001");
         r.Lpu = 9;
       },
       {Rub("40000"), "st01", "MKBG_0||40000", ""}},
      {"a dearer KSG excluded by the one met first",
       [](CaseCostRow& r, CostRun&) {
         r.StacDiag = QStringLiteral("K80.0");
         r.BedDays = 5;
       },
       {Rub("20000"), "st10", "MKBG_0||20000", ""}},
      {"short stay with a finished scheme",
       [](CaseCostRow& r, CostRun& run) {
         r.StacDiag = QStringLiteral("C50.1");
         r.Criteries = QStringLiteral("sh0001");
         r.BedDays = 2;
         run.data.injections = InjectionPlan{QStringLiteral("4"), false, QStringLiteral("4"), 4};
       },
       {Rub("20000"), "st19.027", "MKBG_0||20000", "t=101,k=0.5;"}},
      {"short stay with an unfinished scheme",
       [](CaseCostRow& r, CostRun& run) {
         r.StacDiag = QStringLiteral("C50.1");
         r.Criteries = QStringLiteral("sh0001");
         r.BedDays = 2;
         run.data.injections = InjectionPlan{QStringLiteral("4"), false, QStringLiteral("3"), 3};
       },
       {Rub("10000"), "st19.027",
        "MKBG_0||20000*0.5 <= (interrupted, KD <= 3, not_finished_scheme) ",
        "t=101,k=0.5;t=108,k=0.5;"}},
      {"no KSG for the diagnosis",
       [](CaseCostRow& r, CostRun&) { r.StacDiag = QStringLiteral("Z99.9"); },
       {Money(), "0", "NULL_COST", ""}},
      {"dialysis KSG ignored when services are paid",
       [](CaseCostRow& r, CostRun& run) {
         r.TipStac = 2;
         r.Lpu = 5;
         r.ProfilBed = 7;
         r.StacDiag = QStringLiteral("N18.5");
         run.data.services[r.IdIll] = {
             {900, r.Id, 1, QStringLiteral("A18.05.002"), QDate(2019, 3, 10), 0, 0, 1}};
       },
       {Rub("1500.5"), "0",
        "КСГ ds18.001 игнорируется, диализ (без услуг A25.28.001.00X), стоимость только по "
        "услугам, пункт. Инструкции 4.4 (для 10%)",
        ""}},
  };
  for (const SheetCase& c : cases) {
    SCOPED_TRACE(c.name);
    CostRun run;
    CaseCostRow row = Sheet(1, "I20.0", 10);
    c.setup(row, run);
    auto calc = run.Cost({row});
    ExpectStore(*calc, 1, c.expected);
    EXPECT_FALSE(calc->CasePending());
  }
}

TEST(CaseCost, KsgGroupsPairTwoSheets) {
  CostRun run;
  CaseCostRow a = Sheet(1, "M17.0", 10);
  CaseCostRow b = Sheet(2, "M16.0", 10);
  b.IdIll = 1;
  b.NomMtl = 2;
  run.data.services[1] = {{501, 1, 1, QStringLiteral("A01"), QDate(2019, 3, 6), 0, 0, 1},
                          {502, 2, 2, QStringLiteral("A02"), QDate(2019, 3, 8), 0, 0, 1}};
  auto calc = run.Cost({a, b});
  // Both sheets are paid with the group coefficient, plus the larger
  // service sum the walk carried.
  ExpectStore(*calc, 1, {Rub("24100"), "st40", "MKBG_0||20000*(1+0.2(G3.1))", "t=110,k=1.2;"});
  ExpectStore(*calc, 2, {Rub("36100"), "st41", "MKBG_0||30000*(1+0.2(G3.2))", "t=110,k=1.2;"});
  EXPECT_EQ(calc->CalcSum(), Rub("60200"));
  EXPECT_EQ(run.sink.serviceCosts.value(501), Rub("100"));
  EXPECT_EQ(run.sink.serviceCosts.value(502), Rub("200"));
}

TEST(CaseCost, Before2019Roads) {
  const std::vector<SheetCase> cases = {
      {"IVF at the third level is KSG 5",
       [](CaseCostRow& r, CostRun& run) {
         r.KodMes = QStringLiteral("4000001");
         run.data.eco[r.IdIll] = QStringLiteral("6");
       },
       {Rub("23068.8"), "5", "MKBG_0||121414.74*(1+(-0.81 ЭКО (6)))", "t=107,k=0.19;"}},
      {"Barthel scale over 60",
       [](CaseCostRow& r, CostRun&) {
         r.StacDiag = QStringLiteral("I63.0");
         r.Criteries = QStringLiteral("bartel");
         r.Vozrast = 61;
       },
       {Rub("22000"), "339", "MKBG_0||20000*(1+0.1(bartel))", "t=113,k=1.1;"}},
      {"no Barthel coefficient at 60",
       [](CaseCostRow& r, CostRun&) {
         r.StacDiag = QStringLiteral("I63.0");
         r.Criteries = QStringLiteral("bartel");
         r.Vozrast = 60;
       },
       {Rub("20000"), "339", "MKBG_0||20000", ""}},
      {"interrupted from March 2018",
       [](CaseCostRow& r, CostRun&) { r.RsltMtl = 102; },
       {Rub("18000"), "12", "MKBG_0||20000*0.9 <= (interrupted, rslt=102, no_operation) ",
        "t=111,k=0.9;"}},
      {"interrupted before March 2018",
       [](CaseCostRow& r, CostRun&) {
         r.RsltMtl = 102;
         r.OutStac = QDate(2018, 2, 15);
       },
       {Rub("10000"), "12", "MKBG_0||20000*0.5 <= (interrupted, rslt=102, no_operation) ",
        "t=112,k=0.5;"}},
  };
  for (const SheetCase& c : cases) {
    SCOPED_TRACE(c.name);
    CostRun run;
    run.settings.YearText = QStringLiteral("2018");
    CaseCostRow row = Sheet(1, "I20.0", 10);
    row.OutStac = QDate(2018, 3, 15);
    c.setup(row, run);
    auto calc = run.Cost({row});
    ExpectStore(*calc, 1, c.expected);
  }
}

TEST(CaseCost, BadInput) {
  // Equal candidates: the one met first walking back (the later row) stays.
  {
    CostRun run;
    auto calc = run.Cost({Sheet(1, "J45.0", 10)});
    ExpectStore(*calc, 1, {Rub("25000"), "st61", "MKBG_0||25000", ""});
  }
  // A KSG without a tariff row for the date costs nothing.
  {
    CostRun run;
    auto calc = run.Cost({Sheet(1, "L40.0", 10)});
    ExpectStore(*calc, 1, {Money(), "0", "NULL_COST", ""});
  }
  // A KSG group the coefficient table does not know applies no coefficient:
  // the second sheet keeps its price (and loses to the first, equal one).
  {
    CostRun run;
    CaseCostRow b = Sheet(2, "N21.0", 10);
    b.IdIll = 1;
    b.NomMtl = 2;
    auto calc = run.Cost({Sheet(1, "N20.0", 10), b});
    ExpectStore(*calc, 1, {Rub("20000"), "st43", "MKBG_0||20000", ""});
    ExpectStore(*calc, 2, {Money(), "st43", "MKBG_0||20000; ZERO(20000<20000)", "t=,k=1;"});
  }
  // A standard code of a level the tariff has no column for: no cost, no store.
  {
    CostRun run;
    CaseCostRow r = Sheet(1, "I20.0", 10);
    r.KodMes = QStringLiteral("1000001");
    auto calc = run.Cost({r});
    EXPECT_TRUE(calc->Stored().isEmpty());
    EXPECT_FALSE(calc->CasePending());
  }
  // A malformed standard code: the message, and nothing costed.
  {
    CostRun run;
    CaseCostRow r = Sheet(1, "I20.0", 10);
    r.KodMes = QStringLiteral("X000001");
    auto calc = run.Cost({r});
    EXPECT_TRUE(calc->Stored().isEmpty());
  }
  // A second sheet of a case with no level does not store the previous case
  // again.
  {
    CostRun run;
    CaseCostRow b1 = Sheet(2, "I20.0", 10);
    b1.KodMes = QStringLiteral("1000001");
    CaseCostRow b2 = b1;
    b2.Id = 3;
    b2.NomMtl = 2;
    b1.IdIll = b2.IdIll = 2;
    auto calc = run.Cost({Sheet(1, "I20.0", 10), b1, b2});
    EXPECT_EQ(calc->Stored().size(), 1);
    EXPECT_EQ(calc->CalcSum(), Rub("20000"));
  }
}

TEST(CaseCost, MekRejectedSheetsGetOnlyTheirBedDays) {
  CostRun run;
  CaseCostRow a = Sheet(1, "I20.0", 4);
  CaseCostRow b = Sheet(2, "I20.0", 6);
  a.IsMek = b.IsMek = true;
  b.IdIll = 1;
  b.NomMtl = 2;
  auto calc = run.Cost({a, b});
  EXPECT_TRUE(calc->Stored().isEmpty());
  EXPECT_EQ(run.sink.mekDays.value(1), 4);
  EXPECT_EQ(run.sink.mekDays.value(2), 6);
  EXPECT_EQ(run.sink.mekCaseDays.value(1), 10);
  EXPECT_EQ(calc->CalcSum(), Money());
}

TEST(CaseCost, DayHospitalCountsItsServiceDays) {
  CostRun run;
  CaseCostRow r = Sheet(1, "I20.0", 10);
  r.TipStac = 2;
  r.Lpu = 5;
  r.ProfilBed = 7;
  // Two services of the same working day.
  run.data.services[1] = {{601, 1, 1, QStringLiteral("B01.047.009"), QDate(2019, 3, 12), 0, 0, 1},
                          {602, 1, 1, QStringLiteral("B01.047.009"), QDate(2019, 3, 12), 0, 0, 1}};
  auto calc = run.Cost({r});
  const StoredCaseCost s = LastStore(*calc, 1);
  EXPECT_EQ(s.BedDays, 1);
  EXPECT_EQ(s.Cost, Rub("15020"));
  EXPECT_EQ(s.KsgId, QStringLiteral("ds02"));
}

TEST(CaseCost, SameLetterPaysOnlyTheDearestSheet) {
  CostRun run;
  CaseCostRow a = Sheet(1, "I20.0", 10);
  CaseCostRow b = Sheet(2, "I21.0", 10);
  b.IdIll = 1;
  b.NomMtl = 2;
  auto calc = run.Cost({a, b});
  ExpectStore(*calc, 1, {Money(), "st01", "MKBG_0||20000; ZERO(20000<30000)", ""});
  ExpectStore(*calc, 2, {Rub("30000"), "st02", "MKBG_0||30000", ""});
  EXPECT_EQ(calc->CalcSum(), Rub("30000"));
}

TEST(CaseCost, DifferentLettersAreCostedApart) {
  CostRun run;
  CaseCostRow a = Sheet(1, "I20.0", 10);
  CaseCostRow b = Sheet(2, "K80.0", 10);
  b.IdIll = 1;
  b.NomMtl = 2;
  auto calc = run.Cost({a, b});
  ExpectStore(*calc, 1, {Rub("20000"), "st01", "MKBG_0||20000", ""});
  ExpectStore(*calc, 2, {Rub("20000"), "st10", "MKBG_1||20000", ""});
  EXPECT_EQ(calc->CalcSum(), Rub("40000"));
}

TEST(CaseCost, CaseIsStoredWhenTheNextBegins) {
  CostRun run;
  CaseCostCalculator calc(run.tables, run.data, run.sink, run.settings);
  calc.CalculateCaseCost(Sheet(1, "I20.0", 10));
  EXPECT_TRUE(calc.CasePending());
  EXPECT_TRUE(calc.Stored().isEmpty());
  calc.CalculateCaseCost(Sheet(2, "I20.0", 10));
  ASSERT_EQ(calc.Stored().size(), 1);
  EXPECT_EQ(calc.Stored()[0].MtlId, 1);
  calc.FinishCases();
  EXPECT_EQ(calc.Stored().size(), 2);
  // A second finish stores nothing more.
  calc.FinishCases();
  EXPECT_EQ(calc.Stored().size(), 2);
  EXPECT_EQ(calc.CalcSum(), Rub("40000"));
}

TEST(CaseCost, DayHospitalWithoutPlanIsZeroCostWithReason) {
  CostRun run;
  CaseCostRow r = Sheet(1, "I20.0", 10);
  r.TipStac = 2;
  r.Lpu = 6;
  auto calc = run.Cost({r});
  ASSERT_EQ(calc->ZeroCostCases().size(), 1);
  EXPECT_EQ(calc->ZeroCostCases()[0].MtlId, 1);
  EXPECT_EQ(calc->ZeroCostCases()[0].Reason, QStringLiteral("Не найдена лицензия"));
  EXPECT_TRUE(calc->Stored().isEmpty());
  EXPECT_EQ(calc->CalcSum(), Money());
}

TEST(CaseCost, Before2019ShortStayAndNumericKsg) {
  CostRun run;
  run.settings.YearText = QStringLiteral("2018");
  CaseCostRow r = Sheet(1, "I20.0", 2);
  r.OutStac = QDate(2018, 3, 15);
  auto calc = run.Cost({r});
  ExpectStore(*calc, 1,
              {Rub("10000"), "12", "MKBG_0||20000*0.5 <= (interrupted, KD <= 3, no_operation) ",
               "t=109,k=0.5;"});
}

TEST(CaseCost, DbfCaseEndedByTransferIsDatedByItsDiagnosisDate) {
  CostRun run;
  CaseCostRow r = Sheet(1, "I20.0", 10);
  r.OutStac = QDate(2019, 1, 2);
  r.Dz = QDate(2018, 12, 28);
  r.SresLechen = 6;
  auto dbf = run.Cost({r});
  EXPECT_EQ(LastStore(*dbf, 1).KsgId, QStringLiteral("12"));
  CostRun xml;
  xml.settings.Source = RegistrySourceKind::XmlPackage;
  auto fromXml = xml.Cost({r});
  EXPECT_EQ(LastStore(*fromXml, 1).KsgId, QStringLiteral("st01"));
}

TEST(CaseCost, HighTechCareAndItsRefusals) {
  struct V {
    const char* name;
    const char* diag;
    QList<const char*> services;
    Money cost;
    QString reason;
  };
  const std::vector<V> cases = {
      {"method fits", "C50.1", {"A16.20.032"}, Rub("180000"), ""},
      {"any service of the sheet may fit",
       "C50.1",
       {"A16.20.032", "B01.001.001"},
       Rub("180000"),
       ""},
      {"diagnosis outside the method",
       "C51.0",
       {"A16.20.032"},
       Money(),
       "МКБ по осн.заболеванию не подходит для данного вида ВМП"},
      {"service outside the method",
       "C50.1",
       {"B01.001.001"},
       Money(),
       "Услуга не подходит для данного вида ВМП"},
  };
  for (const V& c : cases) {
    SCOPED_TRACE(c.name);
    CostRun run;
    run.settings.Pay = PayKind::Vmp;
    CaseCostRow r = Sheet(1, c.diag, 10);
    r.Lpu = 5;
    r.ProfilBed = 7;
    r.KodMes = QStringLiteral("12.00.001");
    r.VmpMet = 5;
    int id = 500;
    for (const char* s : c.services)
      run.data.services[1].append(
          {++id, 1, 1, QString::fromLatin1(s), QDate(2019, 3, 10), 0, 0, 1});
    auto calc = run.Cost({r});
    const StoredCaseCost s = LastStore(*calc, 1);
    EXPECT_EQ(s.Cost, c.cost);
    EXPECT_EQ(s.KsgId, c.reason.isEmpty() ? QStringLiteral("77") : QStringLiteral("0"));
    EXPECT_EQ(s.BedDays, c.reason.isEmpty() ? 10 : 0);
    EXPECT_EQ(calc->CalcSum(), c.cost);
    if (c.reason.isEmpty()) {
      EXPECT_TRUE(calc->ZeroCostCases().isEmpty());
    } else {
      ASSERT_EQ(calc->ZeroCostCases().size(), 1);
      EXPECT_EQ(calc->ZeroCostCases()[0].Reason, c.reason);
    }
  }
}

TEST(CaseCost, HighTechStentsAndUnknownMethods) {
  auto row = [] {
    CaseCostRow r = Sheet(1, "I21.0", 5);
    r.Lpu = 5;
    r.ProfilBed = 7;
    r.KodMes = QStringLiteral("12.00.002");
    r.VmpMet = 7;
    return r;
  };
  const CaseService stent{701, 1, 1, QStringLiteral("A16.12.004.009"), QDate(2019, 3, 12), 1, 0, 3};
  struct V {
    const char* name;
    RegistrySourceKind source;
    QList<CaseService> services;
    int met;
    Money cost;
    QString reason;
  };
  const std::vector<V> cases = {
      {"two stent rows of a DBF registry are two stents",
       RegistrySourceKind::DbfFolder,
       {stent, {702, 1, 1, stent.Uslug, stent.DateOper, 1, 0, 3}},
       7,
       Money(),
       QStringLiteral("Несовпадение метода ВМП с кол-вом стентов")},
      {"a package's stent row counts its multiplicity",
       RegistrySourceKind::XmlPackage,
       {stent},
       7,
       Rub("200000"),
       QString()},
      {"an unknown method",
       RegistrySourceKind::DbfFolder,
       {stent},
       8,
       Money(),
       QStringLiteral("Код ВМП, либо метод ВМП не найден в справочнике")},
  };
  for (const V& c : cases) {
    SCOPED_TRACE(c.name);
    CostRun run;
    run.settings.Pay = PayKind::Vmp;
    run.settings.Source = c.source;
    run.data.services[1] = c.services;
    CaseCostRow r = row();
    r.VmpMet = c.met;
    auto calc = run.Cost({r});
    EXPECT_EQ(LastStore(*calc, 1).Cost, c.cost);
    if (c.reason.isEmpty()) {
      EXPECT_TRUE(calc->ZeroCostCases().isEmpty());
    } else {
      ASSERT_EQ(calc->ZeroCostCases().size(), 1);
      EXPECT_EQ(calc->ZeroCostCases()[0].Reason, c.reason);
    }
  }
}

TEST(CostRules, CalendarDayCountIgnoresLeapDays) {
  EXPECT_EQ(CalendarDayCount(QDate(2019, 3, 1), QDate(2019, 1, 1)), 59);
  EXPECT_EQ(CalendarDayCount(QDate(2020, 3, 1), QDate(2020, 2, 28)), 1);
  EXPECT_EQ(CalendarDayCount(QDate(2020, 2, 28), QDate(2020, 3, 1)), -1);
  EXPECT_EQ(CalendarDayCount(QDate(2019, 5, 20), QDate(2019, 5, 3)), 17);
  EXPECT_EQ(FixedMonthLength(13), 0);
}

TEST(CostRules, MkbConversion) {
  TariffTables t;
  t.MkbOldToNew.insert(QStringLiteral("K35.0"), QStringLiteral("K35.2"));
  EXPECT_EQ(ConvertMkbCode(QStringLiteral("K35.0"), 2015, 2, t), QStringLiteral("K35.2"));
  EXPECT_EQ(ConvertMkbCode(QStringLiteral("K35.0"), 2015, 3, t), QStringLiteral("K35.0"));
  EXPECT_EQ(ConvertMkbCode(QStringLiteral("K35.8+"), 2019, 0, t), QStringLiteral("K35.8"));
  EXPECT_EQ(ConvertMkbCode(QStringLiteral("K35.+*"), 2019, 0, t), QStringLiteral("K35.+"));
  EXPECT_EQ(ConvertMkbCode(QStringLiteral("  "), 2019, 0, t), QStringLiteral("  "));
}

TEST(CostRules, CoefficientRowAgreesToSevenDecimals) {
  TariffTables t;
  t.Koeffs = {{1, 1.1, 9, std::nullopt, kFrom2018, std::nullopt},
              {2, 1.1, 9, std::nullopt, kFrom2018, std::nullopt}};
  EXPECT_EQ(FindCoefficientRow(t, 9, QDate(2019, 3, 1), 1.1), QStringLiteral("1"));
  EXPECT_EQ(FindCoefficientRow(t, 9, QDate(2019, 3, 1), 1.0999999), QStringLiteral("1"));
  EXPECT_EQ(FindCoefficientRow(t, 9, QDate(2019, 3, 1), 1.0999997), QString());
  EXPECT_EQ(FindCoefficientRow(t, 9, QDate(2017, 3, 1), 1.1), QString());
}

TEST(CostRules, CareLevels) {
  TariffTables t;
  t.FedLpu.insert(9, 1);
  t.Plan = {{5, 1, 2, 7, 3, 3}};
  CareLevelInput in;
  in.KodMes = QStringLiteral("3000001");
  EXPECT_EQ(FindCareLevel(t, in).Level, 1);
  in.KodMes = QStringLiteral("5000001");
  EXPECT_EQ(FindCareLevel(t, in).Level, 4);
  in.Lpu = 9;
  EXPECT_EQ(FindCareLevel(t, in).Level, 5);
  in.KodMes = QStringLiteral("00000000000200");
  EXPECT_EQ(FindCareLevel(t, in).Level, 3);
  in.KodMes = QStringLiteral("X");
  EXPECT_EQ(FindCareLevel(t, in).Level, 0);
  EXPECT_TRUE(FindCareLevel(t, in).Message.startsWith(QStringLiteral("Не указан код МЭС ")));
  CareLevelInput day;
  day.TipStac = 2;
  day.Lpu = 5;
  day.ProfilBed = 7;
  day.OutStac = QDate(2019, 3, 15);
  EXPECT_EQ(FindCareLevel(t, day).Level, 3);
  day.OutStac = QDate(2019, 4, 15);
  EXPECT_EQ(FindCareLevel(t, day).ZeroCostReason, QStringLiteral("Не найдена лицензия"));
}

TEST(CostRules, InjectionPlan) {
  auto plan = [](const char* p, bool complic, const char* parts, long long total) {
    return std::optional<InjectionPlan>(
        InjectionPlan{QString::fromLatin1(p), complic, QString::fromLatin1(parts), total});
  };
  const QString sh = QStringLiteral("sh0001");
  EXPECT_TRUE(CheckInjectionPlan(plan("5", false, "5", 5), QString()));
  EXPECT_TRUE(CheckInjectionPlan(std::nullopt, sh));
  EXPECT_FALSE(CheckInjectionPlan(plan("5", false, "4", 4), sh));
  EXPECT_TRUE(CheckInjectionPlan(plan("5", false, "6", 6), sh));
  // The total is a full integer: 300 injections are not 44.
  EXPECT_TRUE(CheckInjectionPlan(plan("260", false, "300", 300), sh));
  EXPECT_TRUE(CheckInjectionPlan(plan("3/3**", true, "3/3", 6), sh));
  EXPECT_FALSE(CheckInjectionPlan(plan("3/3**", true, "3/2", 5), sh));
  EXPECT_FALSE(CheckInjectionPlan(plan("3/3**", true, "6", 6), sh));
  EXPECT_TRUE(CheckInjectionPlan(plan("3/3**", true, "3/3/1", 7), sh));
  EXPECT_TRUE(CheckInjectionPlan(plan("9/9**", true, "10/9", 19), sh));
  EXPECT_TRUE(CheckInjectionPlan(plan("0", false, "1", 1), sh));
}

}  // namespace
}  // namespace kelmo::tariff
