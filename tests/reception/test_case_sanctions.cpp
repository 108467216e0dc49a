// Storing a check row's sanctions: the acts database (a private PostgreSQL
// server reached through ODBC), the registry's error rows and the case's
// sums, by party and mode; a failing acts database leaves neither half.
#include <gtest/gtest.h>

#include "acts_server.h"
#include "firebird/database_error.h"
#include "firebird/fb_query.h"
#include "reception/case_sanctions.h"
#include "registry_fixture.h"
#include "shell/acts_connection.h"

using namespace kelmo;
using test::Day;

namespace {

QList<rMEK> ThreeSanctions() {
  return {{7, 53, QStringLiteral("Отс.проф.в МТЛ."), 1},
          {7, 57, QStringLiteral("Отсутствует код прикрепления"), 1},
          {7, 66, QStringLiteral("Превышен план"), 1}};
}

SanctionTarget Target(Money amount, bool first) {
  SanctionTarget t;
  t.IdIll = 7;
  t.MtlOncoStatus = 0;
  t.SmoCode = QStringLiteral("45001");
  t.Repn = 3;
  t.LpuMcod = 450001;
  t.DateRep = QDate(2026, 3, 1);
  t.StacTypeNumber = 1;
  t.Amount = amount;
  t.FirstStoreOfCase = first;
  return t;
}

const SanctionParty kFundReceiving{WhoDetail(2), true, PayKind::Oms};

struct Registry {
  test::RegistryFixture f;
  FbTransaction tr{f.Db()};
  Registry() {
    f.Report(3, 1, 1, 1, Day(2026, 3, 1));
    test::RegistryFixture::Stay s;
    s.idIll = 7;
    s.repn = 3;
    f.Case(s);
  }
  QVariant Field(const QString& sql) {
    FbQuery q(f.Db(), &tr);
    q.setSql(sql);
    q.Open();
    return q.Eof() ? QVariant() : q.Value(0, 0);
  }
  int MekRows() { return Field(QStringLiteral("select count(*) from mek_cases")).toInt(); }
};

}  // namespace

TEST(CaseSanctions, CallsByPartyKindAndCondition) {
  const QList<SankCall> calls =
      SankCalls(ThreeSanctions(), Target(Money::FromDouble(1234.56), true), kFundReceiving);
  ASSERT_EQ(calls.size(), 3);
  EXPECT_EQ(calls[0].SSum, Money::FromDouble(1234.56));
  EXPECT_EQ(calls[1].SSum, Money());
  for (const SankCall& c : calls) {
    EXPECT_EQ(c.Sumv, Money::FromDouble(1234.56));
    EXPECT_EQ(c.SIst, 2);
    EXPECT_EQ(c.IdAkt, QVariant(-1));
    EXPECT_EQ(c.Smo, 45001);
    EXPECT_EQ(c.UslOk, 1);
  }
  // An insurer, a row without an insurer code.
  SanctionTarget noSmo = Target(Money(), true);
  noSmo.SmoCode.clear();
  const QList<SankCall> insurer =
      SankCalls(ThreeSanctions(), noSmo, SanctionParty{WhoDetail(2778), true, PayKind::Oms});
  EXPECT_EQ(insurer[0].Smo, 45);
  EXPECT_EQ(insurer[0].SIst, 1);
  // An institution never calls the acts database.
  EXPECT_TRUE(SankCalls(ThreeSanctions(), Target(Money(), true),
                        SanctionParty{WhoDetail(1), false, PayKind::Oms})
                  .isEmpty());
  EXPECT_THROW(InsurerOfRow(QStringLiteral("4500x")), std::exception);
  EXPECT_EQ(ConditionOfCare(1, PayKind::Oms), 1);
  EXPECT_EQ(ConditionOfCare(1, PayKind::Vmp), 11);
  EXPECT_EQ(ConditionOfCare(1, PayKind::Rehabilitation), 12);
  EXPECT_EQ(ConditionOfCare(1, PayKind::Budget), 10);
  EXPECT_EQ(ConditionOfCare(3, PayKind::Vmp), 23);
  EXPECT_EQ(ConditionOfCare(2, PayKind::Oms), 22);
  EXPECT_EQ(ConditionOfCare(4, PayKind::Oms), 24);
  EXPECT_EQ(ConditionOfCare(9, PayKind::Oms), 0);
}

TEST(CaseSanctions, WhoStoresWhat) {
  {
    // An institution forming: only the case's sums.
    Registry r;
    StoreCaseSanctions(r.f.Db(), r.tr, nullptr, ThreeSanctions(),
                       Target(Money::FromDouble(10), true),
                       SanctionParty{WhoDetail(1), false, PayKind::Oms});
    EXPECT_EQ(r.MekRows(), 0);
    EXPECT_EQ(r.Field("select sum_mek from stacion where id_ill=7").toDouble(), 10.0);
    EXPECT_EQ(r.Field("select expert from stacion where id_ill=7").toInt(), 4);
    EXPECT_TRUE(r.Field("select sum_mee from stacion where id_ill=7").isNull());
  }
  {
    // An institution receiving: nothing.
    Registry r;
    StoreCaseSanctions(r.f.Db(), r.tr, nullptr, ThreeSanctions(),
                       Target(Money::FromDouble(10), true),
                       SanctionParty{WhoDetail(1), true, PayKind::Oms});
    EXPECT_EQ(r.MekRows(), 0);
    EXPECT_TRUE(r.Field("select expert from stacion where id_ill=7").isNull());
  }
  {
    // The fund receiving without the acts database: error rows and sums.
    Registry r;
    StoreCaseSanctions(r.f.Db(), r.tr, nullptr, ThreeSanctions(),
                       Target(Money::FromDouble(10), true), kFundReceiving);
    EXPECT_EQ(r.MekRows(), 3);
    EXPECT_EQ(r.Field("select error_text from mek_cases order by id").toString(),
              "Отс.проф.в МТЛ.");
  }
}

TEST(CaseSanctions, ActsDatabaseHoldsTheSanctionsAndFailuresLeaveNoHalf) {
  test::ActsServer server;
  ActsConnection acts(QStringLiteral("case_sanctions_acts"));
  acts.setConnectionString(server.ConnectionString());
  acts.Open();
  Registry r;
  StoreCaseSanctions(r.f.Db(), r.tr, &acts, ThreeSanctions(),
                     Target(Money::FromDouble(1234.56), true), kFundReceiving);
  const QString sql = QStringLiteral(
      "select usl_ok, id_report, date_report, idcase, mcod, smo, s_sum, sumv, s_penalty, s_tip, "
      "s_osn, s_com, s_ist, id_akt, param_group from sank order by id");
  EXPECT_EQ(
      server.Rows(sql),
      (QStringList{
          "1|3|2026-03-01 00:00:00|7|450001|45001|1234.56|1234.56|0.00|1|53|Отс.проф.в МТЛ.|2|-1|0",
          "1|3|2026-03-01 00:00:00|7|450001|45001|0.00|1234.56|0.00|1|57|Отсутствует код "
          "прикрепления|2|-1|0",
          "1|3|2026-03-01 00:00:00|7|450001|45001|0.00|1234.56|0.00|1|66|Превышен план|2|-1|0"}));
  EXPECT_EQ(r.MekRows(), 3);
  EXPECT_DOUBLE_EQ(r.Field("select sum_mek from stacion where id_ill=7").toDouble(), 1234.56);
  EXPECT_EQ(r.Field("select expert from stacion where id_ill=7").toInt(), 4);

  // A further sheet of the same case: no amount, and the case keeps its
  // first МЭК sum.
  StoreCaseSanctions(r.f.Db(), r.tr, &acts, {{7, 53, QStringLiteral("Отс.диаг.в МТЛ."), 1}},
                     Target(Money(), false), kFundReceiving);
  EXPECT_EQ(server.Rows("select s_sum, sumv from sank where s_com = 'Отс.диаг.в МТЛ.'"),
            QStringList{"0.00|0.00"});
  EXPECT_DOUBLE_EQ(r.Field("select sum_mek from stacion where id_ill=7").toDouble(), 1234.56);

  // The acts database refuses the second of two sanctions: the first is
  // rolled back there and nothing reaches the registry.
  server.Rows("alter table sank add constraint no_99 check (s_osn <> 99)");
  const int before = r.MekRows();
  EXPECT_THROW(StoreCaseSanctions(
                   r.f.Db(), r.tr, &acts,
                   {{8, 53, QStringLiteral("первая"), 1}, {8, 99, QStringLiteral("вторая"), 1}},
                   Target(Money::FromDouble(5), true), kFundReceiving),
               DatabaseError);
  EXPECT_EQ(server.Rows("select count(*) from sank where idcase = 8"), QStringList{"0"});
  EXPECT_EQ(r.MekRows(), before);

  // The export reads a case's sanctions back: those of its report, of the
  // kinds 1, 10, 11 and 12, in the database's order, the row's key as code.
  server.Rows(
      "insert into sank (usl_ok, id_report, date_report, idcase, s_tip, s_osn, s_sum, s_ist) "
      "values (1, 3, '2026-03-01', 7, 2, 10, 5, 1), (1, 4, '2026-03-01', 7, 1, 10, 5, 1)");
  const QList<ActsSanction> read = ReadCaseSanctions(acts, 7, QDate(2026, 3, 1), 3);
  const QStringList ids = server.Rows(
      "select id from sank where idcase = 7 and id_report = 3 and s_tip = 1 order by id");
  ASSERT_EQ(read.size(), 4);
  for (int i = 0; i < read.size(); ++i) EXPECT_EQ(read[i].Code, ids.value(i)) << i;
  EXPECT_EQ(read[0].Sum, Money::FromDouble(1234.56));
  EXPECT_EQ(read[0].Reason, "53");
  EXPECT_EQ(read[0].Comment, "Отс.проф.в МТЛ.");
  EXPECT_EQ(read[0].Source, "2");
  EXPECT_EQ(read[3].Comment, "Отс.диаг.в МТЛ.");
  EXPECT_TRUE(ReadCaseSanctions(acts, 7, QDate(2026, 3, 2), 3).isEmpty());
  acts.Close();
}
