// The private Firebird server that scripts/test starts for the tests that
// need a real server (scripts/firebird-test-server): where it is, how to
// stop it and start it again. A test program run by hand without it skips
// its server tests; under scripts/test (KELMO_TEST_FB_REQUIRED=1) a missing
// server is a failure, never a skip.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <optional>

namespace kelmo::test {

struct FirebirdTestServer {
  QString Home;      // the server's folder
  QString Server;    // "127.0.0.1/<port>"
  QString Password;  // its SYSDBA password
  QString Data;      // the folder of its databases
  QString Registry;  // the registry database, "<server>:<path>"
  QString Central;   // the central segment
  QString Client;    // a client configuration whose default port is the server's

  static std::optional<FirebirdTestServer> FromEnvironment() {
    const QString server = qEnvironmentVariable("KELMO_TEST_FB_SERVER");
    if (server.isEmpty()) return std::nullopt;
    return FirebirdTestServer{qEnvironmentVariable("KELMO_TEST_FB_HOME"),
                              server,
                              qEnvironmentVariable("KELMO_TEST_FB_PASSWORD"),
                              qEnvironmentVariable("KELMO_TEST_FB_DATA"),
                              qEnvironmentVariable("KELMO_TEST_FB_REGISTRY"),
                              qEnvironmentVariable("KELMO_TEST_FB_CENTRAL"),
                              qEnvironmentVariable("KELMO_TEST_FB_CLIENT")};
  }

  // A database of the server's folder in the host and port form.
  QString Name(const QString& file) const { return Server + QLatin1Char(':') + Data + '/' + file; }
  // The path alone, as the server opens it.
  QString Path(const QString& file) const { return Data + QLatin1Char('/') + file; }

  // Stops the server (its clients lose their connections) and starts it
  // again; both wait until it is done.
  bool Stop() const { return Control(QStringLiteral("stop")); }
  bool Start() const { return Control(QStringLiteral("start")); }

 private:
  bool Control(const QString& what) const {
    return QProcess::execute(
               QStringLiteral("bash"),
               {QStringLiteral(KELMO_SOURCE_DIR "/scripts/firebird-test-server"), what, Home}) == 0;
  }
};

// The server, or a skip (a failure when the test command promised one).
#define KELMO_TEST_SERVER_OR_SKIP(var)                                               \
  const auto var##_found = ::kelmo::test::FirebirdTestServer::FromEnvironment();     \
  if (!var##_found) {                                                                \
    if (qEnvironmentVariable("KELMO_TEST_FB_REQUIRED") == QLatin1String("1"))        \
      FAIL() << "KELMO_TEST_FB_SERVER is not set: run through scripts/test";         \
    GTEST_SKIP() << "no private Firebird server (scripts/firebird-test-server run)"; \
  }                                                                                  \
  const ::kelmo::test::FirebirdTestServer& var = *var##_found

}  // namespace kelmo::test
