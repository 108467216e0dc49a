// The plan-fulfilment tables of the budget act.
#include "plan_fulfilment.h"

#include <cmath>

#include "domain/act_file.h"
#include "domain/common.h"

namespace kelmo {

QDate LastDayOfMonth(int year, int month) {
  return QDate(year, month, 1).addMonths(1).addDays(-1);
}

namespace {

// Nearest, halves to even (the default rounding mode).
double Nearest(double v) {
  return std::nearbyint(v);
}
double Nearest2(double v) {
  return std::nearbyint(v * 100) / 100;
}
QString Plain(double v) {
  return QString::number(v, 'g', QLocale::FloatingPointShortest);
}
QString Fixed2(double v) {
  return QString::number(v, 'f', 2);
}
QString Int(double v) {
  return QString::number(static_cast<qint64>(v));
}

QString Cell(const QString& text, int width) {
  return RightAligned(text, width) + QLatin1Char('|');
}

const QString kKdTitle = QStringLiteral("|Количество к/д    |");
const QString kSumTitle = QStringLiteral("|Затраты (тыс.руб.)|");
const QString kDayTitle = QStringLiteral("|Стоимость 1 к/д   |");

}  // namespace

QStringList PlanFulfilmentLines(const PlanFigures& p) {
  const int month = p.PeriodStart.month();
  const QString monthYear =
      MonthName(month) + QLatin1Char(' ') + QString::number(p.PeriodStart.year());
  QStringList out;
  out << QStringLiteral("Исполнение МЗ и сметы за ") + monthYear +
             QStringLiteral(" (местное и иногороднее население).");
  out << RuleLine(QLatin1Char('-'), 80)
      << QStringLiteral(
             "|    Показатели    |     МЗ    | Смета(ОМС)|Предъявлено|  %исп.МЗ  | %исп.сметы|")
      << RuleLine(QLatin1Char('-'), 80);

  const double mzKdM = Nearest(p.MZkd / 12);
  const double smKdM = Nearest(p.SmKd / 12);
  const double mzSum = Nearest2(p.StFinSum / 12);
  const double smSum = Nearest2(p.PiMoneyOut / 12);
  const double prH = Nearest(static_cast<double>(p.InvoiceUnits) / 100 / 10000);
  const double prSum = prH / 10;
  const double mzDay = mzKdM != 0 ? Nearest(mzSum * 1000 / mzKdM) : 0;
  const double smDay = smKdM != 0 ? Nearest(smSum * 1000 / smKdM) : 0;
  const double prDay = p.PrKd != 0 ? Nearest(prH / 10 / p.PrKd * 1000) : 0;

  const bool complete = mzKdM != 0 && smKdM != 0 && p.PrKd != 0 && mzSum != 0 && smSum != 0 &&
                        p.InvoiceUnits != 0 && mzDay != 0 && smDay != 0;
  if (!complete) {
    if (mzKdM == 0)
      out << QStringLiteral(
          "Количество к\\д по МЗ равно 0 ( Смотреть в \"ЛПУ->Справочники->Плановые показатели (по "
          "профилям)\" ).");
    if (smKdM == 0)
      out << QStringLiteral(
          "Количество к\\д по Смете равно 0 ( Смотреть в \"ЛПУ->Справочники->Плановые показатели "
          "(общие)\" ).");
    if (p.PrKd == 0) out << QStringLiteral("Количество к\\д по реестру равно 0.");
    if (mzSum == 0 || mzDay == 0)
      out << QStringLiteral(
          "Затраты (т.руб.) по МЗ равны 0 ( Смотреть в \"ЛПУ->Справочники->Плановые показатели "
          "(общие)\" ).");
    if (smSum == 0 || smDay == 0)
      out << QStringLiteral(
          "Затраты (т.руб.) по Смете равны 0 ( Смотреть в \"ЛПУ->Справочники->Плановые показатели "
          "(общие)\" ).");
    if (p.InvoiceUnits == 0) out << QStringLiteral("Затраты (т.руб.) по реестру равны 0.");
    out << QStringLiteral("В связи с этим формирование таблицы невозможно.") << QString();
    return out;
  }

  const QString pct = QStringLiteral("%|");
  out << kKdTitle + Cell(Int(mzKdM), 11) + Cell(Int(smKdM), 11) + Cell(Int(p.PrKd), 11) +
             RightAligned(Fixed2(p.PrKd * 100 / mzKdM), 10) + pct +
             RightAligned(Fixed2(p.PrKd * 100 / smKdM), 10) + pct;
  out << kSumTitle + Cell(Plain(mzSum), 11) + Cell(Plain(smSum), 11) + Cell(Plain(prSum), 11) +
             RightAligned(Plain(Nearest2(prSum * 100 / mzSum)), 10) + pct +
             RightAligned(Plain(Nearest2(prSum * 100 / smSum)), 10) + pct;
  out << kDayTitle + Cell(Int(mzDay), 11) + Cell(Int(smDay), 11) + Cell(Plain(prDay), 11) +
             RightAligned(Fixed2(Nearest2(prDay * 100 / mzDay)), 10) + pct +
             RightAligned(Fixed2(Nearest2(prDay * 100 / smDay)), 10) + pct;
  out << RuleLine(QLatin1Char('-'), 80);

  if (p.PeriodEnd >= QDate(2006, 5, 1)) {
    const QString empty3 = QStringLiteral("|        |        |        ");
    QString insurer = p.InsurerHead.left(8);
    insurer = RightAligned(insurer, 8);
    const QString sub =
        QStringLiteral("  всего  |") + insurer + QStringLiteral("|ЗНТ-мед.| Иногор.|");
    out << QString()
        << QStringLiteral("Исполнение МЗ за ") + monthYear +
               QStringLiteral(
                   " в разрезе страховых компаний, (местное и иногороднее "
                   "население).");
    out << RuleLine(QLatin1Char('-'), 104)
        << QStringLiteral(
               "|                  |         |            Предъявлено             |         "
               "%исполнения МЗ             |")
        << QStringLiteral(
               "|    Показатели    |   МЗ    "
               "|--------------------------------------------------------------------------")
        << QLatin1Char('|') + QString(18, QLatin1Char(' ')) + QLatin1Char('|') +
               QString(9, QLatin1Char(' ')) + QLatin1Char('|') + sub + sub
        << RuleLine(QLatin1Char('-'), 104);
    auto row = [&](const QString& title, const QString& mz, const QString& pr, const QString& pc) {
      return title + RightAligned(mz, 9) + QLatin1Char('|') + RightAligned(pr, 9) + empty3 +
             QLatin1Char('|') + RightAligned(pc, 8) + QLatin1Char('%') + empty3 + QLatin1Char('|');
    };
    out << row(kKdTitle, Int(mzKdM), Int(p.PrKd), Fixed2(p.PrKd * 100 / mzKdM));
    out << row(kSumTitle, Plain(mzSum), Plain(prSum), Plain(Nearest2(prSum * 100 / mzSum)));
    out << row(kDayTitle, Int(mzDay), Plain(prDay), Fixed2(Nearest2(prDay * 100 / mzDay)));
    out << RuleLine(QLatin1Char('-'), 104);
  }
  out << QString();
  return out;
}

}  // namespace kelmo
