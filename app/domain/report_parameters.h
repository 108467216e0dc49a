// The report numbers of a pass as the statements of the costs and of the sum
// search take them: one parameter per report (":repn1", ":repn2", ...), so a
// pass may hold any number of reports; a pass without reports gets one
// parameter 0, which no report has.
#pragma once

#include <QList>
#include <QString>

namespace kelmo {

class FbQuery;

// "(:repn1,:repn2)" for two reports; "(:repn1)" for none.
QString ReportParameterList(const QList<int>& reports,
                            const QString& prefix = QStringLiteral("repn"));
// Sets the parameters that ReportParameterList named.
void SetReportParameters(FbQuery& query, const QList<int>& reports,
                         const QString& prefix = QStringLiteral("repn"));

}  // namespace kelmo
