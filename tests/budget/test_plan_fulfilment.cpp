// The plan-fulfilment tables of the budget act.
#include <gtest/gtest.h>

#include "budget/plan_fulfilment.h"

namespace kelmo {
namespace {

PlanFigures May2006() {
  PlanFigures p;
  p.PeriodStart = QDate(2006, 5, 1);
  p.PeriodEnd = QDate(2006, 5, 31);
  p.MZkd = 120;
  p.SmKd = 240;
  p.StFinSum = 1200;
  p.PiMoneyOut = 2400;
  p.PrKd = 12;
  p.InvoiceUnits = 95260LL * 10000;
  p.InsurerHead = QStringLiteral("РОСНО");
  return p;
}

TEST(PlanFulfilment, WritesBothTablesFromMay2006) {
  const QStringList lines = PlanFulfilmentLines(May2006());
  ASSERT_GE(lines.size(), 16);
  EXPECT_EQ(lines[0],
            QStringLiteral("Исполнение МЗ и сметы за май 2006 (местное и иногороднее население)."));
  EXPECT_EQ(
      lines[4],
      QStringLiteral(
          "|Количество к/д    |         10|         20|         12|    120.00%|     60.00%|"));
  EXPECT_EQ(
      lines[5],
      QStringLiteral(
          "|Затраты (тыс.руб.)|        100|        200|       95.3|      95.3%|     47.65%|"));
  EXPECT_EQ(
      lines[6],
      QStringLiteral(
          "|Стоимость 1 к/д   |      10000|      10000|       7942|     79.42%|     79.42%|"));
  EXPECT_TRUE(lines[9].startsWith(QStringLiteral("Исполнение МЗ за май 2006 в разрезе")));
  EXPECT_EQ(lines[15], QStringLiteral("|Количество к/д    |       10|       12|        |        |  "
                                      "      |  120.00%|        |        |        |"));
  for (const QString& l : lines)
    EXPECT_FALSE(l.contains(QStringLiteral("nan")) || l.contains(QStringLiteral("inf")));
}

TEST(PlanFulfilment, AprilHasOnlyTheFirstTable) {
  PlanFigures p = May2006();
  p.PeriodStart = QDate(2006, 4, 1);
  p.PeriodEnd = QDate(2006, 4, 30);
  const QStringList lines = PlanFulfilmentLines(p);
  EXPECT_EQ(lines.size(), 9);
  EXPECT_TRUE(lines[0].contains(QStringLiteral("апрель 2006")));
}

TEST(PlanFulfilment, TiesOfTheInvoiceRoundToEven) {
  PlanFigures p = May2006();
  p.InvoiceUnits = 95250LL * 10000;
  EXPECT_TRUE(PlanFulfilmentLines(p)[5].contains(QStringLiteral("|       95.2|")));
}

TEST(PlanFulfilment, ZeroFiguresGiveMessagesNotDivisions) {
  PlanFigures p = May2006();
  p.MZkd = 5;  // a monthly figure that rounds to zero
  p.InvoiceUnits = 0;
  const QStringList lines = PlanFulfilmentLines(p);
  EXPECT_TRUE(
      lines.contains(QStringLiteral("Количество к\\д по МЗ равно 0 ( Смотреть в "
                                    "\"ЛПУ->Справочники->Плановые показатели (по профилям)\" ).")));
  EXPECT_TRUE(lines.contains(QStringLiteral("Затраты (т.руб.) по реестру равны 0.")));
  EXPECT_TRUE(lines.contains(QStringLiteral("В связи с этим формирование таблицы невозможно.")));
  for (const QString& l : lines) EXPECT_FALSE(l.contains(QStringLiteral("inf")));
}

TEST(PlanFulfilment, LastDayOfMonth) {
  EXPECT_EQ(LastDayOfMonth(2024, 2), QDate(2024, 2, 29));
  EXPECT_EQ(LastDayOfMonth(2023, 12), QDate(2023, 12, 31));
}

}  // namespace
}  // namespace kelmo
