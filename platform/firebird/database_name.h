// How a configured database name is read: a plain path is a file opened by the
// embedded engine in this process, "host:path" (or "host/port:path") reaches a
// server.
#pragma once

#include <QString>

namespace kelmo {

// True for "host:path" and "host/port:path" (a host name of letters, digits,
// ".", "-", "_" before the colon). "/data/kelmo.fdb", "kelmo.fdb" and
// "./a:b.fdb" are plain.
bool IsServerDatabaseName(const QString& name);

// A configured name taken apart: the server ("host" or "host/port") and the
// path the server opens; a plain name has no server and is its own path.
struct DatabaseLocation {
  QString Server;
  QString Path;
};
DatabaseLocation LocationOf(const QString& name);

// The password the program connects with: $KELMO_FB_PASSWORD when set,
// otherwise "quillbent".
QString DefaultFirebirdPassword();

}  // namespace kelmo
