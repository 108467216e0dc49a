// Small rules of the cost calculation over values.
#include "cost_rules.h"

#include <QStringList>
#include <cmath>

#include "domain/common.h"

namespace kelmo::tariff {

int FixedMonthLength(int month) {
  switch (month) {
    case 2:
      return 28;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
      return 31;
    default:
      return 0;
  }
}

int CalendarDayCount(const QDate& later, const QDate& earlier) {
  const int ma = later.month(), mb = earlier.month();
  int s = 0;
  for (int m = std::min(ma, mb); m < std::max(ma, mb); ++m) s += FixedMonthLength(m);
  if (ma < mb) s = -s;
  return (later.year() - earlier.year()) * 365 + s + later.day() - earlier.day();
}

QDate MonthStartOf(const QDate& date) {
  return QDate(date.year(), date.month(), 1);
}

QString ConvertMkbCode(const QString& code, int reportYear, int monthIndex,
                       const TariffTables& tables) {
  const QString trimmed = TrimText(code);
  if (trimmed.isEmpty()) return code;
  if (reportYear < 2016 && monthIndex >= 0 && monthIndex <= 2) {
    const auto it = tables.MkbOldToNew.constFind(code);
    return it != tables.MkbOldToNew.cend() ? *it : trimmed;
  }
  if (!IsDigitChar(trimmed.back())) return trimmed.left(trimmed.size() - 1);
  return trimmed;
}

QString NumberText(double value) {
  if (value == 0) return QStringLiteral("0");
  return QString::number(value, 'g', 15);
}

double RoundTo(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

Money KopecksOf(double roubles) {
  return Money::FromDouble(roubles).RoundToKopecks();
}

QString FindCoefficientRow(const TariffTables& tables, int code, const QDate& date, double value) {
  double best = 1.0;
  int bestId = -1;
  const double v = RoundTo(value, 7);
  for (const KoeffRow& k : tables.Koeffs) {
    if (!((k.Npr && *k.Npr == code) || (k.TfomsNpr && *k.TfomsNpr == code))) continue;
    const QDate end = k.DateEnd.value_or(QDate(9999, 12, 31));
    if (!(k.DateBeg <= date && date <= end)) continue;
    const double diff = std::fabs(RoundTo(k.Zkoeff, 7) - v);
    if (diff < 1.1e-7 && diff < best) {
      best = diff;
      bestId = k.Id;
    }
  }
  return bestId < 0 ? QString() : QString::number(bestId);
}

CareLevelResult FindCareLevel(const TariffTables& tables, const CareLevelInput& in) {
  CareLevelResult r;
  if (in.TipStac != 1 || in.PayKind == 6) {
    const int month = in.OutStac.month();
    for (const PlanLevelRow& p : tables.Plan) {
      if (p.Lpu == in.Lpu && p.Oplat == in.PayKind && p.Ts == in.TipStac &&
          p.Profile == in.ProfilBed && p.Month == month) {
        r.Level = p.Level;
        return r;
      }
    }
    r.ZeroCostReason = QStringLiteral("Не найдена лицензия");
    return r;
  }
  const QString code = TrimText(in.KodMes);
  const QChar c = code.size() < 12 ? (code.isEmpty() ? QChar() : code.at(0)) : code.at(11);
  if (!IsDigitChar(c)) {
    r.Message = QStringLiteral("Не указан код МЭС ") + in.Family + QLatin1Char(' ') + in.Name +
                QLatin1Char(' ') + in.Father + QLatin1Char('\r') + in.KodMes;
    return r;
  }
  int level = code.size() < 12 ? c.digitValue() - 1 : c.digitValue() + 1;
  if (level == 2) level = 1;
  if (tables.FedLpu.value(in.Lpu) == 1 && level == 4) level = 5;
  r.Level = level & 0xFF;
  return r;
}

bool CheckInjectionPlan(const std::optional<InjectionPlan>& plan, const QString& scheme) {
  if (scheme.isEmpty() || !plan) return true;
  auto number = [](const QString& text) {
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (!ok) throw ConversionError(text);
    return v;
  };
  if (plan->IsComplicPlan) {
    const QStringList caseParts = plan->CasePlanInj.split(QLatin1Char('/'));
    const QStringList planned =
        plan->PlanInj.left(plan->PlanInj.size() - 2).split(QLatin1Char('/'));
    if (caseParts.size() < planned.size()) return false;
    for (int i = 0; i < planned.size(); ++i)
      if (number(caseParts[i]) < number(planned[i])) return false;
    return true;
  }
  if (!plan->PlanInj.isEmpty()) return plan->CaseCntInj >= number(plan->PlanInj);
  return true;
}

}  // namespace kelmo::tariff
