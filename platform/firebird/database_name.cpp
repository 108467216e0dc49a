// Reading configured database names.
#include "database_name.h"

#include <QRegularExpression>

namespace kelmo {

bool IsServerDatabaseName(const QString& name) {
  // host, optionally "/port" or "/service", then ":" and the server's path.
  static const QRegularExpression server(
      QStringLiteral("^[A-Za-z0-9][A-Za-z0-9._-]*(/[A-Za-z0-9_]+)?:"));
  return server.match(name).hasMatch();
}

DatabaseLocation LocationOf(const QString& name) {
  if (!IsServerDatabaseName(name)) return {QString(), name};
  const qsizetype colon = name.indexOf(QLatin1Char(':'));
  return {name.left(colon), name.mid(colon + 1)};
}

QString DefaultFirebirdPassword() {
  const QByteArray fromEnv = qgetenv("KELMO_FB_PASSWORD");
  return fromEnv.isEmpty() ? QStringLiteral("quillbent") : QString::fromLocal8Bit(fromEnv);
}

}  // namespace kelmo
