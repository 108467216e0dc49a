// The budget intake on registries written by code, against a registry
// database of its own.
#include <gtest/gtest.h>

#include "budget_fixture.h"
#include "domain/act_file.h"

namespace kelmo::test {
namespace {

const QDate M(int day) {
  return QDate(2026, 3, day);
}

TEST(BudgetRun, ReceivesAndCostsAFullRegistry) {
  BudgetFixture f;
  f.db.Insert(QStringLiteral("LST_KOIKI"), {{QStringLiteral("TIP"), 40},
                                            {QStringLiteral("NEW_BED"), 40},
                                            {QStringLiteral("OMS"), 40},
                                            {QStringLiteral("DATEBEG"), Day(2020, 1, 1)}});
  f.db.Insert(QStringLiteral("PROFIL"), {{QStringLiteral("TIP_PROF"), 40},
                                         {QStringLiteral("NAME"), QStringLiteral("Прочие")}});
  // A licence that lapses on 6 March and is taken up again on the 7th.
  for (auto [b, e] :
       {std::pair{Day(2020, 1, 1), Day(2026, 3, 5)}, std::pair{Day(2026, 3, 7), Day(2030, 1, 1)}})
    f.db.Insert(QStringLiteral("PASS_LPU"), {{QStringLiteral("LPU_CODE"), 1},
                                             {QStringLiteral("TIP_STAC"), 1},
                                             {QStringLiteral("PROF_CODE"), 40},
                                             {QStringLiteral("MZ"), 1},
                                             {QStringLiteral("DATE_BEG"), b},
                                             {QStringLiteral("DATE_END"), e}});
  std::vector<BudgetStay> stays;
  stays.push_back(Stay(1, QStringLiteral("АНДРЕЕВ"), M(2), M(12)));
  stays.push_back(Stay(2, QStringLiteral("БОРИСОВ"), M(1), M(20), QStringLiteral("3010201")));
  stays.back().Sheets[0].Diag = QStringLiteral("J18.9");
  BudgetStay leave =
      Stay(3, QStringLiteral("ВАСИЛЬЕВ"), M(1), M(11), QStringLiteral("3020301"), 36);
  leave.Sheets[0].Diag = QStringLiteral("F20.0");
  leave.Sheets[0].Leaves = {{M(4), M(6)}};
  stays.push_back(leave);
  BudgetStay intensive = Stay(4, QStringLiteral("ГРИГОРЬЕВ"), M(1), M(6));
  intensive.Sheets[0].Intensiv = 2;
  intensive.Sheets[0].Reanim = 90002;
  stays.push_back(intensive);
  stays.push_back(Stay(5, QStringLiteral("ДМИТРИЕВ,"), M(1), M(11)));
  stays.push_back(Stay(6, QStringLiteral("ЕГОРОВ"), M(1), M(8), QStringLiteral("3010101"), 40));
  WriteBudgetRegistry(f.registry, stays);
  WriteBudgetWorkbooks(f.registry, 1, 59420.00, 59, {}, QStringLiteral("Версия другой программы"));

  const BudgetOutcome out = f.Run();
  ASSERT_EQ(out.Stop, BudgetStop::None) << f.protocol.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(out.ProtocolPath, f.ProtocolName());
  EXPECT_EQ(f.protocol.value(0), QStringLiteral("Акт первичного технологического контроля"));
  EXPECT_EQ(f.protocol.value(3), QStringLiteral("Вид оплаты: бюджет"));
  EXPECT_EQ(f.protocol.value(6), QStringLiteral("Дата приема: 05.04.2026. Время приема: 9:47:05"));
  EXPECT_TRUE(f.Has(QStringLiteral(
      "Ошибки, по которым прием реестра пролеченных больных не возможен не обнаружены.")));
  EXPECT_TRUE(f.Has(QStringLiteral(
      "Обнаружены ошибки, которые не повлияют на прием реестра пролеченных больных:")));
  EXPECT_TRUE(f.Has(QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ZEVU сошлись.")))
      << f.protocol.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(f.Has(
      QStringLiteral("Количество койко-дней предоставленное ЛПУ и посчитанное ZEVU сошлось.")));
  EXPECT_TRUE(f.Has(QStringLiteral("         Сумма по счету: 59420.00 р.")));
  EXPECT_TRUE(f.Has(QStringLiteral("  В т.ч. по инт.терапии: 2400.00 р.")));
  EXPECT_TRUE(f.Has(QStringLiteral(" Койко-дней по расчетам: 59")));
  EXPECT_TRUE(
      f.Has(QStringLiteral("|            105|           ДМИТРИЕВ,|          |В фамилии бол.есть "
                           "недоп.символы(,).                             |")));
  EXPECT_TRUE(f.Has(
      QStringLiteral("Исполнение МЗ и сметы за март 2026 (местное и иногороднее население).")));
  EXPECT_TRUE(f.Has(QStringLiteral(
      "|Количество к/д    |        120|        200|         59|     49.17%|     29.50%|")));
  EXPECT_EQ(f.protocol.last(), QStringLiteral("Подпись экономиста:"));
  EXPECT_EQ(f.banners, 1);
  EXPECT_TRUE(out.Accepted);

  // The table of stays: walked days, paid, full, reduced, unpaid days and
  // the cost of each sheet.
  const QStringList sheets =
      f.Rows(QStringLiteral(
                 "select s.FAMILY, m.KD, m.KDOMS, m.KDMES, m.KDSVMES, m.KDNOT, m.OCNCOST, "
                 "m.KDFMTL, s.KDMTL "
                 "from MTL m join STACION s on s.ID_ILL=m.ID_ILL where m.REPN=%1 order by s.FAMILY")
                 .arg(out.ReportNumber));
  EXPECT_EQ(sheets, (QStringList{
                        QStringLiteral("АНДРЕЕВ|10|10|10|0|0|10000|10|10"),
                        QStringLiteral("БОРИСОВ|19|18|12|6|1|15600|19|19"),
                        QStringLiteral("ВАСИЛЬЕВ|10|10|10|0|0|12420|10|10"),
                        QStringLiteral("ГРИГОРЬЕВ|5|5|5|0|0|5400|5|5"),
                        QStringLiteral("ДМИТРИЕВ,|10|10|10|0|0|10000|10|10"),
                        QStringLiteral("ЕГОРОВ|7|6|6|0|1|6000|7|7"),
                    }));
  EXPECT_EQ(f.Rows(QStringLiteral("select SUM_DBF, SUM_SF from REPORTS where REPN=%1")
                       .arg(out.ReportNumber)),
            QStringList{QStringLiteral("59420|59420")});
  EXPECT_EQ(
      f.Rows(QStringLiteral("select NACH, KON from OTPUSK where REPN=%1").arg(out.ReportNumber))
          .size(),
      1);
}

TEST(BudgetRun, DayHospitalCountsLicensedWorkingDays) {
  BudgetFixture f;
  f.in.StacType = 2;
  // The institution's own day off on 5 March; 7 to 9 March are holidays.
  f.db.Insert(QStringLiteral("HOLIDAY_EXCEPT"), {{QStringLiteral("ID"), 9001},
                                                 {QStringLiteral("LPU_CODE"), 1},
                                                 {QStringLiteral("EXCEPT_DAY"), Day(2026, 3, 5)},
                                                 {QStringLiteral("DAY_TYPE"), 2}});
  BudgetStay s = Stay(1, QStringLiteral("АНДРЕЕВ"), M(2), M(13), QStringLiteral("7010101"));
  s.TipStac = 2;
  WriteBudgetRegistry(f.registry, {s});
  WriteBudgetWorkbooks(f.registry, 2, 6000, 6, {}, QString());
  const BudgetOutcome out = f.Run();
  ASSERT_EQ(out.Stop, BudgetStop::None) << f.protocol.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(out.ProtocolPath, QDir(f.registry).filePath(QStringLiteral("ДнПолБ0504_0947.txt")));
  // Licensed working days from admission: 2-6 and 10 March paid (the norm
  // of six), 11-13 March unpaid; the holidays count nothing. The sheet's
  // bed days leave out the holidays and the institution's day off.
  EXPECT_EQ(
      f.Rows(QStringLiteral("select m.KD, m.KDOMS, m.KDNOT, m.OCNCOST, m.KDFMTL, s.KDF from MTL m "
                            "join STACION s on s.ID_ILL=m.ID_ILL where m.REPN=%1")
                 .arg(out.ReportNumber)),
      QStringList{QStringLiteral("9|6|3|6000|8|8")});
  EXPECT_TRUE(f.Has(QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ZEVU сошлись.")))
      << f.protocol.join(QLatin1Char('\n')).toStdString();
}

TEST(BudgetRun, SheetsOfInstitution25ArePricedByTheirServices) {
  BudgetFixture f;
  f.in.Lpu.Id = 25;
  f.in.Lpu.Urov = QStringLiteral("Г");
  f.db.Insert(QStringLiteral("PASS_LPU"), {{QStringLiteral("LPU_CODE"), 25},
                                           {QStringLiteral("TIP_STAC"), 1},
                                           {QStringLiteral("PROF_CODE"), 1},
                                           {QStringLiteral("MZ"), 1},
                                           {QStringLiteral("DATE_BEG"), Day(2020, 1, 1)},
                                           {QStringLiteral("DATE_END"), Day(2030, 1, 1)}});
  BudgetStay s = Stay(1, QStringLiteral("АНДРЕЕВ"), M(2), M(12));
  s.Sheets[0].Vidmtl = 1;
  s.Sheets[0].Services = {{QStringLiteral("A16.01"), 2}};
  WriteBudgetRegistry(f.registry, {s});
  WriteBudgetWorkbooks(f.registry, 1, 5000, 0, {}, QString());
  const BudgetOutcome out = f.Run();
  ASSERT_EQ(out.Stop, BudgetStop::None) << f.protocol.join(QLatin1Char('\n')).toStdString();
  // Two services at 2500: the sheet costs 5000 and counts no paid days.
  EXPECT_EQ(f.Rows(QStringLiteral(
                       "select m.OCNCOST, m.OCNCOSTPOMES, m.KDOMS, s.MTLCOSTMTL, s.KDF from MTL m "
                       "join STACION s on s.ID_ILL=m.ID_ILL where m.REPN=%1")
                       .arg(out.ReportNumber)),
            QStringList{QStringLiteral("5000|5000|0|5000|0")});
  EXPECT_TRUE(f.Has(QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ZEVU сошлись.")))
      << f.protocol.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace kelmo::test
