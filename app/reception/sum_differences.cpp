// The sum search and the zero-cost list of a pass.
#include "sum_differences.h"

#include <cmath>

#include "blocking_errors_section.h"
#include "domain/act_file.h"
#include "domain/common.h"
#include "domain/report_parameters.h"
#include "doubles_overlaps.h"
#include "firebird/fb_query.h"

namespace kelmo {
namespace {

QString PopulationWord(Population pass) {
  return pass == Population::Local ? QStringLiteral("местному") : QStringLiteral("иногороднему");
}

// A name with its initials: "ИВАНОВ И.И" + `last`.
QString ShortName(const QString& family, const QString& name, const QString& father,
                  const QString& last) {
  return TrimText(family) + QLatin1Char(' ') + TrimText(name).left(1) + QLatin1Char('.') +
         TrimText(father).left(1) + last;
}

double Kopecks(double value) {
  return std::nearbyint(value * 100);
}

}  // namespace

// Rounded down after adding the half: a negative amount rounds like a
// positive one (-50 stays -50, where cutting towards zero gives -49.99).
double RoundedHalfUp(double value) {
  return std::floor(value * 100 + 0.5000001) / 100;
}

Money RoundedHalfUp(Money value) {
  return Money::FromUnits(
      static_cast<std::int64_t>(std::floor(value.ToDouble() * 100 + 0.5000001)) * 100);
}

QStringList DifferenceTable(Population pass, double difference, const QList<ComparedCase>& cases,
                            const QList<oPacient>& packageCases) {
  const QString rule = RuleLine(QLatin1Char('-'), 92);
  QStringList lines{
      QStringLiteral("Обнаружена разница в сумме по ошибкам и в расчитанной сумме по ") +
          PopulationWord(pass) + QStringLiteral(" населению: ") + SectionSumText(difference),
      QStringLiteral("В связи с этим проведено сравнение реестров пролеченных больных по ") +
          PopulationWord(pass) + QStringLiteral(" населению, предоставленного ЛПУ и"),
      QStringLiteral("сформированного в ТФ ОМС."),
      QStringLiteral("Получены следующие результаты:"),
      rule,
      TableRow({{QStringLiteral("Ист.бол."), 10},
                {QStringLiteral("Фамилия И.О."), 30},
                {QStringLiteral("Сумма в ЛПУ"), 15},
                {QStringLiteral("Сумма в ОМС"), 15},
                {QStringLiteral("Разница в суммах"), 16}}),
      rule};
  double total = 0;
  for (const ComparedCase& c : cases) {
    const auto own = std::find_if(packageCases.begin(), packageCases.end(),
                                  [&c](const oPacient& p) { return p.RidIll == c.IdIll; });
    if (own == packageCases.end()) continue;
    double lpu = 0;
    for (const oStage& stage : own->Stages) lpu += stage.SumM;
    if (Kopecks(c.Calculated) == Kopecks(lpu)) continue;
    lines << TableRow({{c.Nomib, 10},
                       {ShortName(c.Family, c.Name, c.Father, QStringLiteral(".")), 30},
                       {SectionSumText(lpu), 15},
                       {SectionSumText(Kopecks(c.Calculated) / 100), 15},
                       {SectionSumText(RoundedHalfUp(lpu - c.Calculated)), 16}});
    total += lpu - c.Calculated;
  }
  lines << rule
        << TableRow({{QStringLiteral("ИТОГО"), 73}, {SectionSumText(RoundedHalfUp(total)), 16}})
        << rule;
  return lines;
}

void SearchSumDifferences(const ReceptionContext& ctx, Population pass) {
  PassTotals& totals = ctx.State.Pass[pass];
  totals.SumDifference =
      totals.InvoiceTotal - totals.CalcTotal - Money::FromDouble(totals.BlockingErrorsSum);
  if (!ctx.Receiving) return;
  const double difference = RoundedHalfUp(totals.SumDifference.ToDouble());
  if (difference == 0 || totals.InvoiceTotal <= Money()) return;
  const QList<int> reports = PassReports(ThePackageLists(), pass);
  FbQuery analysis(ctx.Db, &ctx.Tr);
  analysis.setSql(
      QStringList{QStringLiteral("select s.id_ill, s.nomib, s.family, s.name, s.father, "
                                 "coalesce(s.mtlcostmtl, 0) mtlcostmtl from stacion s"),
                  QStringLiteral("where s.repn in ") + ReportParameterList(reports),
                  QStringLiteral("order by s.family, s.name, s.father, s.id_ill")});
  SetReportParameters(analysis, reports);
  analysis.Open();
  ctx.BeginPhase(pass == Population::Local ? QStringLiteral("Поиск разницы в суммах... ")
                                           : QStringLiteral("Поиск разницы в суммах..."),
                 analysis.RecordCount());
  QList<ComparedCase> cases;
  for (analysis.First(); !analysis.Eof(); analysis.Next(), ctx.StepRecord()) {
    auto text = [&analysis](const char* name) {
      return analysis.FieldByName(QString::fromLatin1(name)).toString();
    };
    cases.append({analysis.FieldByName(QStringLiteral("ID_ILL")).toInt(), text("NOMIB"),
                  text("FAMILY"), text("NAME"), text("FATHER"),
                  analysis.FieldByName(QStringLiteral("MTLCOSTMTL")).toDouble()});
  }
  // A registry of DBF tables has no per-case sums of the institution.
  const bool byCase = pass == Population::OutOfRegion || ctx.State.XmlPackageMode;
  ctx.Act().WriteLines(DifferenceTable(pass, difference, cases,
                                       byCase ? ThePackageLists().XmlPatients : QList<oPacient>()));
}

QStringList ZeroCostList(Population pass, const QList<ZeroCostSheet>& sheets,
                         const QList<rNull>& reasons) {
  if (sheets.isEmpty()) return {};
  const QString rule = RuleLine(QLatin1Char('-'), 86);
  QStringList lines{QString(),
                    QStringLiteral("Внимание: некоторые записи по ") + PopulationWord(pass) +
                        QStringLiteral(" населению"),
                    QStringLiteral("          были рассчитаны с нулевой стоимостью"),
                    rule,
                    TableRow({{QStringLiteral("Ист.бол."), 10},
                              {QStringLiteral("Фамилия И.О."), 22},
                              {QStringLiteral("Возможная ошибка"), 50}}),
                    rule};
  for (const ZeroCostSheet& sheet : sheets) {
    const auto reason = std::find_if(reasons.begin(), reasons.end(),
                                     [&sheet](const rNull& r) { return r.MtlId == sheet.MtlId; });
    lines << TableRow({{TrimText(sheet.Nomib) + QLatin1Char(' '), 10},
                       {ShortName(sheet.Family, sheet.Name, sheet.Father, QStringLiteral(" ")), 22},
                       {reason == reasons.end() ? QString() : reason->Reason, 50}});
  }
  lines << rule;
  return lines;
}

void ListZeroCostSheets(const ReceptionContext& ctx, Population pass) {
  const QList<int> reports = PassReports(ThePackageLists(), pass);
  FbQuery q(ctx.Db, &ctx.Tr);
  q.setSql(QStringList{
      QStringLiteral("select t.nomib, t.family, t.name, t.father, t.id, t.ksg_id, t.ocncost, "
                     "t.app_cost, t.cost from"),
      QStringLiteral("  (select s.nomib, s.family, s.name, s.father, m.id, m.ksg_id, m.ocncost, "
                     "m.app_cost, sum(coalesce(o.cost, 0)) cost from mtl m"),
      QStringLiteral("   join stacion s on m.id_ill=s.id_ill"),
      QStringLiteral("   left join operat o on o.id_ill=m.id_ill and o.nom_mtl=m.nom_mtl"),
      QStringLiteral("   where m.repn in ") + ReportParameterList(reports) +
          QStringLiteral(" and m.oplat=:oplat and s.sum_mek is null"),
      QStringLiteral("   group by s.nomib, s.family, s.name, s.father, m.id, m.ksg_id, m.ocncost, "
                     "m.app_cost) t"),
      QStringLiteral("where ((t.ocncost=0 or (t.ocncost is null)) or (t.ocncost=t.app_cost) or "
                     "(t.ocncost=t.cost)) and"),
      QStringLiteral("      (t.ksg_id='0' or t.ksg_id is null)"),
      QStringLiteral("order by t.family, t.name, t.father")});
  SetReportParameters(q, reports);
  q.setParam(QStringLiteral("oplat"), Code(ctx.PayKind));
  q.Open();
  QList<ZeroCostSheet> sheets;
  for (q.First(); !q.Eof(); q.Next()) {
    auto text = [&q](const char* name) {
      return q.FieldByName(QString::fromLatin1(name)).toString();
    };
    sheets.append({q.FieldByName(QStringLiteral("ID")).toInt(), text("NOMIB"), text("FAMILY"),
                   text("NAME"), text("FATHER")});
  }
  q.Close();
  ctx.Act().WriteLines(ZeroCostList(pass, sheets, ctx.State.ZeroCostCases));
}

}  // namespace kelmo
