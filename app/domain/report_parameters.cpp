// Report-number parameters of the cost and sum statements.
#include "report_parameters.h"

#include <QStringList>

#include "firebird/fb_query.h"

namespace kelmo {

QString ReportParameterList(const QList<int>& reports, const QString& prefix) {
  QStringList names;
  const qsizetype count = reports.isEmpty() ? 1 : reports.size();
  for (qsizetype i = 0; i < count; ++i) names << QStringLiteral(":%1%2").arg(prefix).arg(i + 1);
  return QLatin1Char('(') + names.join(QLatin1Char(',')) + QLatin1Char(')');
}

void SetReportParameters(FbQuery& query, const QList<int>& reports, const QString& prefix) {
  if (reports.isEmpty()) query.setParam(prefix + QLatin1Char('1'), 0);
  for (qsizetype i = 0; i < reports.size(); ++i)
    query.setParam(QStringLiteral("%1%2").arg(prefix).arg(i + 1), reports[i]);
}

}  // namespace kelmo
