// A registry database with a tariff of its own for the cost calculation's
// tests: one KSG "tst01" (diagnosis Q99.8, care level 1 tariff 20000), the
// coefficient of an interrupted short stay (0.5, KOEFF id 101) and one
// service tariff ('A16.12.001', 250.25); and a short stay to cost.
#pragma once

#include <gtest/gtest.h>

#include "../reception/registry_fixture.h"
#include "domain/money.h"

namespace kelmo::tariff::test {

using kelmo::test::Day;
using kelmo::test::RegistryFixture;

inline Money Rub(const char* text) {
  return *Money::FromString(QString::fromLatin1(text));
}

class TariffFixture : public ::testing::Test {
 protected:
  RegistryFixture f;

  QVariant Field(const QString& sql) {
    FbQuery q(f.Db());
    q.setSql(sql);
    q.Open();
    return q.Eof() ? QVariant() : q.Value(0, 0);
  }
  static Money MoneyOf(const QVariant& v) {
    return Money::FromString(v.toString()).value_or(Money::FromUnits(-1));
  }

  void SetUp() override {
    // The demonstration tables load with the schema; the test works on its own.
    ASSERT_GT(Field(QStringLiteral("select count(*) from spr_ksg")).toInt(), 0);
    for (const char* t : {"spr_ksg", "spr_ksg_group", "spr_ksg_cost", "koeff", "usl_cost"})
      f.Exec(QStringLiteral("delete from %1").arg(QString::fromLatin1(t)));
    f.Exec(
        QStringLiteral("insert into spr_ksg (id, ksg_id, ts, oplat, ovshort, ovlong, dbeg) values "
                       "(1, 'tst01', 1, 1, 0, 0, '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into spr_ksg_group (id, ksg_id, ts, mkb, dbeg) values "
                       "(1, 'tst01', 1, 'Q99.8', '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into spr_ksg_cost (id, ksg, ts, r_ur, dbeg) values "
                       "(1, 'tst01', 1, 20000, '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into koeff (id, zkoeff, npr, datebeg) values "
                       "(101, 0.5, 103, '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into usl_cost (uslug, ts, dbeg, cost) values "
                       "('A16.12.001', 1, '2019-01-01', 250.25)"));
  }

  // A three-day stay in report `repn` with one service, discharged on
  // 15.03.2019 (or `out`, three days after admission).
  void ShortStay(int idIll, int repn = 501, const QDateTime& out = Day(2019, 3, 15)) {
    RegistryFixture::Stay s;
    s.idIll = idIll;
    s.repn = repn;
    s.in = out.addDays(-3);
    s.out = out;
    s.diag = QStringLiteral("Q99.8");
    s.kodMes = QStringLiteral("3000001");
    f.Case(s);
    f.Exec(QStringLiteral("insert into operat (id_ill, repn, nom_mtl, uslug, date_oper) values "
                          "(:i, :r, 1, 'A16.12.001', :d)"),
           {{QStringLiteral("i"), idIll},
            {QStringLiteral("r"), repn},
            {QStringLiteral("d"), out.addDays(-2)}});
  }
};

}  // namespace kelmo::tariff::test
