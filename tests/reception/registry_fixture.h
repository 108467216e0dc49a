// A registry database of its own for a test: created in a temporary folder
// from db/registry, with helpers that insert reports, cases and sheets.
#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QVariant>
#include <atomic>
#include <initializer_list>
#include <utility>

#include "firebird/fb_database.h"
#include "firebird/fb_query.h"

namespace kelmo::test {

inline QCoreApplication& CoreApp() {
  static int argc = 1;
  static char name[] = "reception_tests";
  static char* argv[] = {name, nullptr};
  if (auto* app = QCoreApplication::instance()) return *app;
  static QCoreApplication app(argc, argv);
  return app;
}

inline QDateTime Day(int y, int m, int d) {
  return QDateTime(QDate(y, m, d), QTime(0, 0));
}

class RegistryFixture {
 public:
  RegistryFixture() : db_(NextName()) {
    CoreApp();
    const QString path = dir_.path() + QStringLiteral("/registry.fdb");
    QFile::copy(TemplatePath(), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    db_.setParams(FbDatabase::DefaultParams());
    db_.setDatabaseName(path);
    db_.Open();
  }
  ~RegistryFixture() { db_.Close(); }

  FbDatabase& Db() { return db_; }

  void Exec(const QString& sql, std::initializer_list<std::pair<QString, QVariant>> params = {}) {
    FbQuery q(db_);
    q.setSql(sql);
    for (const auto& [name, value] : params) q.setParam(name, value);
    q.ExecSQL();
  }

  // Inserts a row: the columns and their values.
  void Insert(const QString& table, std::initializer_list<std::pair<QString, QVariant>> values) {
    QStringList names, marks;
    FbQuery q(db_);
    for (const auto& [name, value] : values) {
      names << name;
      marks << QLatin1Char(':') + name;
    }
    q.setSql(QStringLiteral("insert into %1 (%2) values (%3)")
                 .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (const auto& [name, value] : values) q.setParam(name, value);
    q.ExecSQL();
  }

  void Report(int repn, int lpu, int tipStac, int oplat, const QDateTime& dateBeg, int see = 0) {
    Insert(QStringLiteral("REPORTS"),
           {{QStringLiteral("REPN"), repn},
            {QStringLiteral("LPU"), lpu},
            {QStringLiteral("TIP_STAC"), tipStac},
            {QStringLiteral("OPLAT"), oplat},
            {QStringLiteral("INOGOR"), QStringLiteral("0")},
            {QStringLiteral("DATE_BEG"), dateBeg},
            {QStringLiteral("DATE_END"), dateBeg.addMonths(1).addDays(-1)},
            {QStringLiteral("SEE1"), see},
            {QStringLiteral("SEE2"), see}});
  }

  // A case of one person with one sheet (NOM_MTL 1).
  struct Stay {
    int idIll = 0;
    int repn = 0;
    QString family = QStringLiteral("ИВАНОВ");
    QString name = QStringLiteral("ИВАН");
    QString father = QStringLiteral("ИВАНОВИЧ");
    QDateTime dr = Day(1960, 5, 20);
    int pol = 1;
    QDateTime in = Day(2026, 3, 1);
    QDateTime out = Day(2026, 3, 10);
    QString nomib = QStringLiteral("101");
    QString polis = QStringLiteral("2778");
    QString diag = QStringLiteral("I10");
    QString kodMes;
    int oplat = 1;
    QVariant sumMek;
  };

  void Case(const Stay& s) {
    Insert(QStringLiteral("STACION"),
           {{QStringLiteral("ID_ILL"), s.idIll},
            {QStringLiteral("REPN"), s.repn},
            {QStringLiteral("FAMILY"), s.family},
            {QStringLiteral("NAME"), s.name},
            {QStringLiteral("FATHER"), s.father},
            {QStringLiteral("POL"), s.pol},
            {QStringLiteral("DR"), s.dr},
            {QStringLiteral("NOMIB"), s.nomib},
            {QStringLiteral("POLIS"), s.polis},
            {QStringLiteral("VPOLIS"), 3},
            {QStringLiteral("NUMBER"), QStringLiteral("4500000000000001")},
            {QStringLiteral("DOKUMENT"), 14},
            {QStringLiteral("D_SERIA"), QStringLiteral("4500")},
            {QStringLiteral("D_NOMBER"), QStringLiteral("123456")},
            {QStringLiteral("NOVOR"), QStringLiteral("0")},
            {QStringLiteral("POL_OBL"), QStringLiteral("1137")},
            {QStringLiteral("IN_STAC"), s.in},
            {QStringLiteral("OUT_STAC"), s.out},
            {QStringLiteral("STAC_DIAGS"), s.diag},
            {QStringLiteral("SRES_LECHEN"), 1},
            {QStringLiteral("SISHOD_LECE"), 1},
            {QStringLiteral("MCOD"), QStringLiteral("450001")},
            {QStringLiteral("SUM_MEK"), s.sumMek}});
    Sheet(s.idIll, s.repn, 1, s.in, s.out, s.diag, s.oplat, s.kodMes);
  }

  void Sheet(int idIll, int repn, int nomMtl, const QDateTime& start, const QDateTime& finish,
             const QString& diag, int oplat = 1, const QString& kodMes = QString()) {
    Insert(QStringLiteral("MTL"), {{QStringLiteral("ID_ILL"), idIll},
                                   {QStringLiteral("REPN"), repn},
                                   {QStringLiteral("NOM_MTL"), nomMtl},
                                   {QStringLiteral("OPLAT"), oplat},
                                   {QStringLiteral("PROFILE"), 1},
                                   {QStringLiteral("PROFIL_BED"), 1},
                                   {QStringLiteral("PR_FED"), 97},
                                   {QStringLiteral("PRVS"), 76},
                                   {QStringLiteral("VR_FIO"), QStringLiteral("Петров П. П.")},
                                   {QStringLiteral("STAC_DIAG"), diag},
                                   {QStringLiteral("KOD_MES"), kodMes},
                                   {QStringLiteral("RES_LECHEN"), 1},
                                   {QStringLiteral("ISHOD_LECE"), 1},
                                   {QStringLiteral("STARTD"), start},
                                   {QStringLiteral("FINISH"), finish},
                                   {QStringLiteral("KD"), static_cast<int>(start.daysTo(finish))}});
  }

 private:
  // The database made from the scripts once per test program; each fixture
  // works on a copy, which is much quicker than running the scripts again.
  static QString TemplatePath() {
    static QTemporaryDir dir;
    static const QString path = [] {
      const QString file = dir.path() + QStringLiteral("/template.fdb");
      FbDatabase db(QStringLiteral("reccheck_registry_template"));
      db.setParams(FbDatabase::DefaultParams());
      db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
      db.setDatabaseName(file);
      db.EnsureExists();
      return file;
    }();
    return path;
  }

  static QString NextName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("reccheck_registry_%1").arg(++counter);
  }

  QTemporaryDir dir_;
  FbDatabase db_;
};

}  // namespace kelmo::test
