// Parameter reset of statements (see clear_params.h).
#include "clear_params.h"

#include <QVariant>

#include "firebird/fb_query.h"

namespace kelmo {

QStringList StatementParams(const QString& sql) {
  QStringList names;
  const int n = static_cast<int>(sql.size());
  for (int i = 0; i < n; ++i) {
    const QChar c = sql[i];
    if (c == '\'' || c == '"') {  // quoted text or name
      const int end = sql.indexOf(c, i + 1);
      i = end < 0 ? n : end;
    } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      const int end = sql.indexOf('\n', i);
      i = end < 0 ? n : end;
    } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      const int end = sql.indexOf(QLatin1String("*/"), i + 2);
      i = end < 0 ? n : end + 1;
    } else if (c == ':' && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == '_')) {
      int j = i + 1;
      while (j < n && (sql[j].isLetterOrNumber() || sql[j] == '_' || sql[j] == '$')) ++j;
      const QString name = sql.mid(i + 1, j - i - 1);
      if (!names.contains(name, Qt::CaseInsensitive)) names << name;
      i = j - 1;
    }
  }
  return names;
}

void ClearParams(FbQuery& procedure) {
  for (const QString& name : StatementParams(procedure.sql())) procedure.setParam(name, QVariant());
}

}  // namespace kelmo
