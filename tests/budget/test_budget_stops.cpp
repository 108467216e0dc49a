// The budget intake's stops, and the listing and removal of blocking stays.
#include <gtest/gtest.h>

#include <functional>

#include "budget_fixture.h"
#include "domain/act_file.h"
#include "reception/reception_run.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

namespace kelmo::test {
namespace {

const QDate M(int day) {
  return QDate(2026, 3, day);
}

std::vector<BudgetStay> OneStay(int oplat = 2) {
  std::vector<BudgetStay> stays{Stay(1, QStringLiteral("АНДРЕЕВ"), M(2), M(12))};
  stays[0].Sheets[0].Oplat = oplat;
  return stays;
}

const QString kFilesMissing = QStringLiteral(
    "Дальнейший прием отчета не возможен, в связи с тем, что не найдены все необходимые файлы.");

TEST(BudgetStops, EachStopWritesItsLines) {
  struct Case {
    const char* what;
    std::function<void(BudgetFixture&)> prepare;
    BudgetStop stop;
    QStringList tail;  // the protocol's last lines
    bool banner;
  };
  const QStringList block = StopBlock({kFilesMissing});
  const Case cases[] = {
      {"otpusk.dbf missing",
       [](BudgetFixture& f) {
         BudgetRegistryShape shape;
         shape.Otpusk = false;
         WriteBudgetRegistry(f.registry, OneStay(), shape);
       },
       BudgetStop::FilesMissing,
       QStringList{QStringLiteral("Отсутствует файл otpusk.dbf.")} + block, true},
      {"otpusk.dbf missing when forming",
       [](BudgetFixture& f) {
         f.in.Receiving = false;
         BudgetRegistryShape shape;
         shape.Otpusk = false;
         WriteBudgetRegistry(f.registry, OneStay(), shape);
       },
       BudgetStop::FilesMissing,
       {QString(), QStringLiteral("Отсутствует файл otpusk.dbf.")},
       true},
      {"no REANIM",
       [](BudgetFixture& f) {
         BudgetRegistryShape shape;
         shape.Reanim = false;
         shape.Otdelenie = false;
         WriteBudgetRegistry(f.registry, OneStay(), shape);
       },
       BudgetStop::MtlStructure,
       StopBlock(
           {QStringLiteral("Дальнейший прием отчета не возможен, в связи с тем, что не верная"),
            QStringLiteral("структура файла mtl.dbf(нет поля REANIM).")}),
       true},
      {"no OTDELENIE when forming",
       [](BudgetFixture& f) {
         f.in.Receiving = false;
         BudgetRegistryShape shape;
         shape.Otdelenie = false;
         WriteBudgetRegistry(f.registry, OneStay(), shape);
       },
       BudgetStop::MtlStructure,
       StopBlock(
           {QStringLiteral("Формирование и прием отчета не возможен, в связи с тем, что не верная"),
            QStringLiteral("структура файла mtl.dbf(нет поля OPLAT или OTDELENIE).")}),
       true},
      {"a sheet without payment kind",
       [](BudgetFixture& f) {
         f.in.Receiving = false;
         WriteBudgetRegistry(f.registry, OneStay(0));
       },
       BudgetStop::PaymentKind,
       {RuleLine(QLatin1Char('-'), 75),
        QStringLiteral(
            "|          101/1|             АНДРЕЕВ|           ИВАН|            ИВАНОВИЧ|"),
        RuleLine(QLatin1Char('-'), 75), QString(), QStringLiteral("Подпись экономиста:")},
       true},
      {"no register", [](BudgetFixture& f) { WriteBudgetRegistry(f.registry, OneStay()); },
       BudgetStop::RegisterMissing, block, true},
      {"no stay of the period",
       [](BudgetFixture& f) {
         f.in.PeriodStart = QDate(2026, 4, 1);
         f.in.PeriodEnd = QDate(2026, 4, 30);
         WriteBudgetRegistry(f.registry, OneStay());
         WriteBudgetWorkbooks(f.registry, 1, 10000, 10, {}, QString());
       },
       BudgetStop::NoStays,
       {QStringLiteral("В базе не найден ни один больной, относящийся к выбранному периоду.")},
       false},
      {"an invoice without its total row",
       [](BudgetFixture& f) {
         WriteBudgetRegistry(f.registry, OneStay());
         WriteBudgetWorkbooks(f.registry, 1, 10000, 10, {}, QString());
         auto book = workbook::Workbook::Open(
             QDir(f.registry).filePath(QStringLiteral("sfakt1.xlsx")).toStdString());
         book->ActiveSheet().SetText(17, 1, "Итого");
         book->SaveAs(QDir(f.registry).filePath(QStringLiteral("sfakt1.xlsx")).toStdString());
       },
       BudgetStop::InvoiceLayout,
       {QStringLiteral("Неверный формат файла счет-фактуры! Дальнейший прием невозможен.")},
       false},
  };
  for (const Case& c : cases) {
    BudgetFixture f;
    c.prepare(f);
    const BudgetOutcome out = f.Run();
    EXPECT_EQ(out.Stop, c.stop) << c.what;
    EXPECT_EQ(f.protocol.mid(f.protocol.size() - c.tail.size()), c.tail)
        << c.what << "\n"
        << f.protocol.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(f.banners, c.banner ? 1 : 0) << c.what;
    EXPECT_EQ(f.shown.size(), 1) << c.what;
    EXPECT_TRUE(f.Rows(QStringLiteral("select REPN from REPORTS where OPLAT=2")).isEmpty())
        << c.what;
  }
}

TEST(BudgetStops, NoBudgetSheetAskedTwice) {
  for (const bool load : {false, true}) {
    BudgetFixture f;
    WriteBudgetRegistry(f.registry, OneStay(1));
    WriteBudgetWorkbooks(f.registry, 1, 0, 0, {}, QString());
    f.ui.messageAnswers.push_back(load ? MessageAnswer::Yes : MessageAnswer::No);
    const BudgetOutcome out = f.Run();
    EXPECT_EQ(
        f.ui.CallsOf(ScriptedInteraction::Kind::Message).front().text,
        QStringLiteral("Не найден ни одной больной с формой оплаты бюджет.\n\rВсе равно загрузить "
                       "данные в базу?"));
    if (load) {
      EXPECT_EQ(out.Stop, BudgetStop::ForcedLoad);
      // Loaded and recounted, nothing checked or costed.
      EXPECT_EQ(f.Rows(QStringLiteral("select m.KD, m.KDOMS, s.KDMTL from MTL m join STACION s on "
                                      "s.ID_ILL=m.ID_ILL where m.REPN=%1")
                           .arg(out.ReportNumber)),
                QStringList{QStringLiteral("10|10|10")});
    } else {
      EXPECT_EQ(out.Stop, BudgetStop::NothingToLoad);
      EXPECT_EQ(out.ReportNumber, 0);
      EXPECT_TRUE(f.Has(QStringLiteral("Ни один случай не загружен.")));
      EXPECT_TRUE(f.Has(QStringLiteral("      Сумма по расчетам: 0.00 р.")));
      EXPECT_TRUE(f.Rows(QStringLiteral("select REPN from REPORTS where OPLAT=2")).isEmpty());
    }
  }
}

TEST(BudgetStops, BlockingStaysAreListedAndRemoved) {
  BudgetFixture f;
  std::vector<BudgetStay> stays;
  stays.push_back(Stay(1, QStringLiteral("АНДРЕЕВ"), M(2), M(12)));
  // Three sheets; the second has an unknown diagnosis, the third is carried.
  BudgetStay three = Stay(2, QStringLiteral("БОРИСОВ"), M(1), M(10));
  three.Sheets[0].End = M(4);
  BudgetSheet second = three.Sheets[0];
  second.Nom = 2;
  second.Start = M(4);
  second.End = M(7);
  second.Diag = QStringLiteral("X99");
  BudgetSheet third = second;
  third.Nom = 3;
  third.Start = M(7);
  third.End = M(10);
  third.Diag = QStringLiteral("I10");
  three.Sheets.push_back(second);
  three.Sheets.push_back(third);
  stays.push_back(three);
  // The same patient twice at overlapping dates, names stored in page 866.
  BudgetStay a = Stay(3, QStringLiteral("ВАСИЛЬЕВ"), M(1), M(11));
  a.NamesInPage866 = true;
  BudgetStay b = Stay(4, QStringLiteral("ВАСИЛЬЕВ"), M(10), M(20));
  b.NamesInPage866 = true;
  stays.push_back(a);
  stays.push_back(b);
  WriteBudgetRegistry(f.registry, stays);
  WriteBudgetWorkbooks(f.registry, 1, 10000, 10,
                       {{QStringLiteral("101"), QStringLiteral("АНДРЕЕВ"), QDate(1960, 5, 20),
                         QStringLiteral("10000")},
                        {QStringLiteral("ИТОГО"), QStringLiteral("БОРИСОВ"), QDate(1960, 5, 20),
                         QStringLiteral("9000")}},
                       QString());
  const BudgetOutcome out = f.Run();
  ASSERT_EQ(out.Stop, BudgetStop::None) << f.protocol.join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(out.Accepted);
  const int at = static_cast<int>(f.protocol.indexOf(QStringLiteral(
      "Обнаружены ошибки, по которым прием реестра пролеченных больных не возможен:")));
  ASSERT_GE(at, 0) << f.protocol.join(QLatin1Char('\n')).toStdString();
  const QString blank = QStringLiteral("|               |                    |          |");
  EXPECT_EQ(f.protocol.mid(at + 4, 1),
            QStringList{
                QStringLiteral("|            102|             БОРИСОВ|      9000|") +
                QStringLiteral("Несоот.диаг.МЭСу по осн.заб.(3010101, X99).Несущ.шифр МКБ по осн.")
                    .leftJustified(65) +
                QLatin1Char('|')});
  EXPECT_EQ(f.protocol.value(at + 5),
            blank + QStringLiteral("забол.").leftJustified(65) + QLatin1Char('|'));
  EXPECT_TRUE(f.Has(QStringLiteral("|                        ИТОГО СУММА |      9000|")));
  // The overlapping stays, their names readable.
  EXPECT_TRUE(f.Has(
      QStringLiteral("В базе обнаружены случаи госпитализации с перекрытием сроков лечения:")));
  EXPECT_TRUE(
      f.Has(QStringLiteral("|          103/3|            ВАСИЛЬЕВ|           ИВАН|       "
                           "ИВАНОВИЧ|20.05.1960|  1|01.03.2026|11.03.2026|")))
      << f.protocol.join(QLatin1Char('\n')).toStdString();
  // The blocking stay left with all its rows (the loading keeps the names
  // as they are stored).
  EXPECT_EQ(
      f.Rows(QStringLiteral("select count(*) from STACION where REPN=%1").arg(out.ReportNumber)),
      QStringList{QStringLiteral("3")});
  EXPECT_TRUE(
      f.Rows(QStringLiteral("select ID_ILL from STACION where FAMILY='БОРИСОВ'")).isEmpty());
  EXPECT_EQ(f.Rows(QStringLiteral("select count(*) from MTL where REPN=%1").arg(out.ReportNumber)),
            QStringList{QStringLiteral("3")});
}

}  // namespace
}  // namespace kelmo::test
