// The comparison of the institution's sums and bed days with the computed
// ones, the summary of the act and its plan-fulfilment tables.
#include <cmath>

#include "budget_context.h"
#include "domain/common.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "plan_fulfilment.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

namespace kelmo {

std::int64_t KopecksHalfUp(std::int64_t units) {
  return static_cast<std::int64_t>(
      std::trunc((static_cast<long double>(units) * 100 + 5000.001L) / 10000));
}

namespace {

QString Plain(double v) {
  return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

// The computed cost stored for the report (SUM_DBF), in 1/10 000 rouble.
std::int64_t CalcUnits(BudgetContext& c) {
  if (c.St.ReportNumber == 0) return 0;
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral("select SUM_DBF from REPORTS where REPN=:repn"));
  q.setParam(QStringLiteral("repn"), c.St.ReportNumber);
  q.Open();
  return q.Eof() ? 0 : std::llround(q.Value(0, 0).toDouble() * 10000);
}

int CalcBedDays(BudgetContext& c) {
  if (c.St.ReportNumber == 0) return 0;
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(
      QStringLiteral("select sum(KDOMS) from MTL where (repn=:p_repn1) or (repn=:p_repn2) or "
                     "(repn=:p_repn3) or (repn=:p_repn4)"));
  q.setParam(QStringLiteral("p_repn1"), c.St.ReportNumber);
  for (const char* p : {"p_repn2", "p_repn3", "p_repn4"}) q.setParam(QString::fromLatin1(p), 0);
  q.Open();
  return q.Eof() ? 0 : q.Value(0, 0).toInt();
}

// Money as the act's summary writes it: two decimals with the program's
// point and the rouble sign.
QString Currency(double v) {
  return QString::number(v, 'f', 2) + QStringLiteral(" р.");
}

}  // namespace

void SearchSumDifferences(BudgetContext& c) {
  const std::int64_t invoice = c.St.LpuInvoiceUnits;
  const std::int64_t calc = CalcUnits(c);
  const std::int64_t difference =
      invoice - calc - static_cast<std::int64_t>(std::nearbyint(c.St.BlockingErrorsSum * 10000));
  if (!c.In.Receiving || TrimText(c.St.RegisterVersion) != c.In.ReportFooter) return;
  const double d = static_cast<double>(KopecksHalfUp(difference)) / 100;
  if (d == 0 || invoice <= 0) return;
  c.St.IntakeAccepted = false;
  const QString rule = RuleLine(QLatin1Char('-'), 92);
  c.Act().WriteLines(
      {QStringLiteral("Обнаружена разница в сумме по ошибкам и в расчитанной сумме: ") + Plain(d),
       QStringLiteral("В связи с этим проведено сравнение реестров пролеченных больных, "
                      "предоставленного ЛПУ и"),
       QStringLiteral("сформированного в ZEVU."), QStringLiteral("Получены следующие результаты:"),
       rule,
       TableRow({{QStringLiteral("Ист.бол."), 10},
                 {QStringLiteral("Фамилия И.О."), 30},
                 {QStringLiteral("Сумма в ЛПУ"), 15},
                 {QStringLiteral("Сумма в ZEVU"), 15},
                 {QStringLiteral("Разница в суммах"), 16}}),
       rule});
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral("select * from sp_analiz (:repn1, :repn2, :repn3, :repn4)"));
  q.setParam(QStringLiteral("repn1"), c.St.ReportNumber);
  for (const char* p : {"repn2", "repn3", "repn4"}) q.setParam(QString::fromLatin1(p), 0);
  q.Open();
  c.BeginPhase(QStringLiteral("Поиск разницы в суммах... "), q.RecordCount());
  workbook::Worksheet& sheet =
      c.Excel
          ->Open(c.FindWorkbook(QStringLiteral("sreestr%1.xls").arg(c.In.StacType)).toStdString())
          .ActiveSheet();
  auto cell = [&](int row, int col) { return QString::fromStdString(sheet.Text(row, col)); };
  double total = 0;
  for (q.First(); !q.Eof(); q.Next()) {
    const QString nomib = TrimText(q.FieldByName(QStringLiteral("NOMIB")).toString());
    const QString family = TrimText(q.FieldByName(QStringLiteral("FAMILY")).toString());
    const QString dr = ShortDateText(q.FieldByName(QStringLiteral("DR")).toDate());
    const int kol = q.FieldByName(QStringLiteral("KOL")).toInt();
    const double computed = q.FieldByName(QStringLiteral("MTLCOSTMTL")).toDouble();
    for (int row = 7; row <= sheet.LastRow(); ++row) {
      const QString c2 = TrimText(cell(row, 2));
      if (TrimText(cell(row, 3)).toUpper().contains(QStringLiteral("ИТОГО"))) break;
      if (c2.isEmpty()) continue;
      const bool total2 = c2.toUpper().contains(QStringLiteral("ИТОГО"));
      const bool match = (kol == 1 ? !total2 && c2 == nomib : total2) &&
                         cell(row, 3).contains(family) && cell(row, 4).contains(dr);
      if (!match) continue;
      const QString lpuText = TrimText(cell(row, 14));
      const double lpu = QString(lpuText).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
      if (std::nearbyint(computed * 100) != std::nearbyint(lpu * 100)) {
        const QString name = TrimText(q.FieldByName(QStringLiteral("NAME")).toString());
        const QString father = TrimText(q.FieldByName(QStringLiteral("FATHER")).toString());
        c.Act().WriteLine(
            TableRow({{nomib, 10},
                      {family + QLatin1Char(' ') + name.left(1) + QLatin1Char('.') +
                           father.left(1) + QLatin1Char('.'),
                       30},
                      {lpuText, 15},
                      {QString::number(std::nearbyint(computed * 100) / 100, 'f', 2), 15},
                      {Plain(std::trunc((lpu - computed) * 100 + 0.5000001) / 100), 16}}));
        total += lpu - computed;
      }
      break;
    }
    c.Step();
  }
  c.Excel->CloseAll();
  c.Act().WriteLines({rule,
                      TableRow({{QStringLiteral("ИТОГО"), 73},
                                {Plain(std::trunc(total * 100 + 0.5000001) / 100), 16}}),
                      rule});
}

void WriteSummary(BudgetContext& c) {
  const std::int64_t invoice = c.In.Receiving ? c.St.LpuInvoiceUnits : 0;
  const std::int64_t calc = CalcUnits(c);
  const int invoiceDays = c.In.Receiving ? c.St.LpuInvoiceBedDays : 0;
  const int calcDays = CalcBedDays(c);
  const double intensiveCost = std::trunc(c.St.IntensiveCostTotal * 100 + 0.5000001) / 100;
  if (calc == 0) c.St.IntakeAccepted = false;
  QStringList lines{QString()};
  if (c.In.Receiving)
    lines << QStringLiteral("         Сумма по счету: ") +
                 Currency(static_cast<double>(invoice) / 10000);
  lines << QStringLiteral("      Сумма по расчетам: ") + Currency(static_cast<double>(calc) / 10000)
        << QStringLiteral("  В т.ч. по инт.терапии: ") + Currency(intensiveCost);
  if (c.In.Receiving)
    lines << QStringLiteral("       Разница в суммах: ") +
                 Currency(static_cast<double>(KopecksHalfUp(invoice - calc)) / 100)
          << QStringLiteral("    Койко-дней по счету: ") + QString::number(invoiceDays);
  lines << QStringLiteral(" Койко-дней по расчетам: ") + QString::number(calcDays)
        << QStringLiteral("  В т.ч. по инт.терапии: ") + QString::number(c.St.IntensiveDaysTotal);
  if (c.In.Receiving)
    lines << QStringLiteral("   Разница в койко-днях: ") + QString::number(invoiceDays - calcDays);
  lines << QString();
  c.Act().WriteLines(lines);
  if (!c.In.Receiving) return;
  if (invoice * 100 / 10000 == calc * 100 / 10000) {
    c.Act().WriteLine(QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ZEVU сошлись."));
  } else {
    c.St.IntakeAccepted = false;
    c.Act().WriteLine(QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ZEVU не сошлись."));
  }
  if (invoiceDays == calcDays) {
    c.Act().WriteLine(
        QStringLiteral("Количество койко-дней предоставленное ЛПУ и посчитанное ZEVU сошлось."));
  } else {
    c.St.IntakeAccepted = false;
    c.Act().WriteLine(
        QStringLiteral("Количество койко-дней предоставленное ЛПУ и посчитанное ZEVU не сошлось."));
  }
  c.Act().WriteLine();
  if (c.St.IntakeAccepted && c.In.FolderButtonEnabled) {
    PlanFigures p;
    p.PeriodStart = c.In.PeriodStart;
    p.PeriodEnd = c.In.PeriodEnd;
    FbQuery kd(c.Svc.Db, &c.Svc.Tr);
    // The assignment's bed days of the whole year, which the tables divide
    // by twelve.
    kd.setSql(QStringLiteral(
        "select sum(p2.ky_m) KY,sum(p2.gy_m) GY, sum(p2.ry_m) RY from PLANINDEX p join plan2month "
        "p2 on p.id=p2.plan_idx where (p.lpu=:p_lpu) and (p.ts=:p_ts) and (p.oplat=1) and "
        "(p2.n_month between :m1 and :m2)"));
    kd.setParam(QStringLiteral("p_lpu"), c.In.Lpu.Id);
    kd.setParam(QStringLiteral("p_ts"), c.In.StacType);
    kd.setParam(QStringLiteral("m1"), 1);
    kd.setParam(QStringLiteral("m2"), 12);
    kd.Open();
    for (kd.First(); !kd.Eof(); kd.Next())
      p.MZkd += kd.FieldByName(QStringLiteral("KY")).toDouble() +
                kd.FieldByName(QStringLiteral("GY")).toDouble() +
                kd.FieldByName(QStringLiteral("RY")).toDouble();
    FbQuery sm(c.Svc.Db, &c.Svc.Tr);
    sm.setSql(
        QStringLiteral("select STFIN5, STFIN4, STFIN3, STFIN2, STFIN1, PIMEDHELP, PIMONEYOUT "
                       "from PISTAC where (LPU=:p_lpu) and (TS=:p_ts)"));
    sm.setParam(QStringLiteral("p_lpu"), c.In.Lpu.Id);
    sm.setParam(QStringLiteral("p_ts"), c.In.StacType);
    sm.Open();
    if (!sm.Eof()) {
      for (const char* f : {"STFIN1", "STFIN2", "STFIN3", "STFIN4", "STFIN5"})
        p.StFinSum += sm.FieldByName(QString::fromLatin1(f)).toDouble();
      p.SmKd = sm.FieldByName(QStringLiteral("PIMEDHELP")).toDouble();
      p.PiMoneyOut = sm.FieldByName(QStringLiteral("PIMONEYOUT")).toDouble();
    }
    p.PrKd = calcDays;
    p.InvoiceUnits = invoice;
    FbQuery smo(c.Svc.Db, &c.Svc.Tr);
    smo.setSql(QStringLiteral("select first 1 NAME from SMO order by SMOCOD"));
    smo.Open();
    if (!smo.Eof()) {
      QString name = TrimText(smo.Value(0, 0).toString());
      const int quote = name.indexOf(QChar(0x00AB));
      if (quote >= 0) name = name.mid(quote + 1).remove(QChar(0x00BB));
      p.InsurerHead = name.left(8);
    }
    c.Act().WriteLines(PlanFulfilmentLines(p));
  }
  c.Act().WriteLine(QStringLiteral("Подпись экономиста:"));
}

}  // namespace kelmo
