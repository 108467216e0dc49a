// A private PostgreSQL server holding the acts database for a test: a
// cluster in a temporary folder, reached only through a socket there, the
// scripts of db/acts loaded, stopped and removed when the fixture ends. As
// root the server runs as the `postgres` user (PostgreSQL refuses root).
#pragma once

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <stdexcept>

namespace kelmo::test {

class ActsServer {
 public:
  ActsServer() {
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                           QFileDevice::WriteOther | QFileDevice::ExeOther);
    Run(Bin("initdb"), {"-D", Data(), "-A", "trust", "-U", "postgres", "-E", "UTF8"});
    Run(Bin("pg_ctl"), {"-D", Data(), "-w", "-l", dir_.path() + "/server.log", "-o",
                        "-k " + dir_.path() + " -p 5432 -c listen_addresses=''", "start"});
    started_ = true;
    Psql("postgres", {"-c", "create database acts"});
    QDir scripts(QStringLiteral(KELMO_SOURCE_DIR "/db/acts"));
    for (const QString& file : scripts.entryList({"*.sql"}, QDir::Files, QDir::Name))
      Psql("acts", {"-v", "ON_ERROR_STOP=1", "-f", scripts.filePath(file)});
  }
  ~ActsServer() {
    if (started_) {
      try {
        Run(Bin("pg_ctl"), {"-D", Data(), "-m", "immediate", "stop"});
      } catch (const std::exception&) {
      }
    }
  }
  ActsServer(const ActsServer&) = delete;
  ActsServer& operator=(const ActsServer&) = delete;

  // The ODBC connection string of the acts database.
  QString ConnectionString() const {
    return QStringLiteral("Driver=%1;Servername=%2;Port=5432;Database=acts;Username=postgres")
        .arg(Driver(), dir_.path());
  }

  // A query's rows, one text line each, columns separated by "|".
  QStringList Rows(const QString& sql) const {
    const QString out = Psql("acts", {"-A", "-t", "-c", sql});
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }

 private:
  static QString Bin(const QString& name) { return "/usr/lib/postgresql/15/bin/" + name; }
  static QString Driver() {
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so",
                             "/usr/lib/aarch64-linux-gnu/odbc/psqlodbcw.so"})
      if (QFile::exists(QString::fromLatin1(path))) return QString::fromLatin1(path);
    throw std::runtime_error("psqlODBC (odbc-postgresql) is not installed");
  }
  QString Data() const { return dir_.path() + "/data"; }

  QString Psql(const QString& db, QStringList args) const {
    args = QStringList{"-q", "-h", dir_.path(), "-p", "5432", "-U", "postgres", "-d", db} + args;
    return Run(QStringLiteral("/usr/bin/psql"), args);
  }

  // Runs a program, as `postgres` when this process is root.
  static QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    if (::geteuid() == 0)
      p.start(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--", program} + args);
    else
      p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
      throw std::runtime_error(
          (program + " failed: " + QString::fromLocal8Bit(p.readAllStandardError())).toStdString());
    return QString::fromUtf8(p.readAllStandardOutput());
  }

  QTemporaryDir dir_;
  bool started_ = false;
};

}  // namespace kelmo::test
