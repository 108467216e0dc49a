// A budget intake for a test: a registry database of its own, a registry
// folder written by code, the run's inputs for the regional hospital (1, a
// district institution of group G) and the March 2026 period, a user without
// windows whose messages and questions go to a scripted interaction, and no
// main window.
#pragma once

#include "qt_test_application.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "../reception/registry_fixture.h"
#include "budget/budget_registry_builder.h"
#include "budget/budget_run.h"
#include "domain/case_errors.h"
#include "domain/holiday_calendar.h"
#include "domain/run_state.h"
#include "firebird/fb_database.h"
#include "interact/scripted_interaction.h"
#include "shell/window_run_user.h"

namespace kelmo::test {

inline QStringList ReadProtocol(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringDecoder decode("windows-1251");
  QString text = decode(file.readAll());
  if (text.endsWith(QStringLiteral("\r\n"))) text.chop(2);
  return text.split(QStringLiteral("\r\n"));
}

// A stay of one sheet of the round-the-clock budget standard.
inline BudgetStay Stay(int id, const QString& family, const QDate& in, const QDate& out,
                       const QString& kodMes = QStringLiteral("3010101"), int profile = 1) {
  BudgetStay s;
  s.Id = id;
  s.Nomib = QString::number(100 + id);
  s.Family = family;
  s.In = in;
  s.Out = out;
  BudgetSheet m;
  m.KodMes = kodMes;
  m.Profile = profile;
  m.Start = in;
  m.End = out;
  s.Sheets.push_back(m);
  return s;
}

// The run's user without windows: messages and questions go through the
// interaction layer; each showing of the protocol viewer is recorded.
class BudgetTestUser : public WindowRunUser {
 public:
  void ShowProtocol(bool) override { shown << TheRunState().ProtocolPath; }
  QStringList shown;
};

class BudgetFixture {
 public:
  BudgetFixture() : tr(db.Db()), calendar(db.Db(), &tr), scope(ui) {
    registry = QDir(dir.path()).filePath(QStringLiteral("registry"));
    QDir().mkpath(registry);
    in.RegistryFolder = registry;
    in.Receiving = true;
    in.StacType = 1;
    in.PeriodStart = QDate(2026, 3, 1);
    in.PeriodEnd = QDate(2026, 3, 31);
    in.ReceptionDate = QDate(2026, 4, 5);
    in.Lpu.Id = 1;
    in.Lpu.FName = QStringLiteral("ГБУ «Областная клиническая больница»");
    in.Lpu.Name = QStringLiteral("Областная больница");
    in.Lpu.Urov = QStringLiteral("Р");
    in.Lpu.GlVr = QStringLiteral("Иванов Иван Иванович");
    in.Lpu.GlBx = QStringLiteral("Петрова П. П.");
    in.DatabaseName = QStringLiteral("registry.fdb");
    in.TemplateFolder = QStringLiteral(KELMO_SOURCE_DIR "/templates");
    in.ReportFooter = QStringLiteral("Версия программы 1.0");
  }

  // Runs the intake; `protocol` holds its lines without the version banner,
  // `banners` says whether the banner was there.
  BudgetOutcome Run() {
    BudgetServices svc{db.Db(), tr, calendar, user,
                       [] { return QDateTime(QDate(2026, 4, 5), QTime(9, 47, 5)); }};
    outcome = IntakeBudgetReport(in, svc);
    shown = user.shown;
    protocol = ReadProtocol(outcome.ProtocolPath);
    const RunState& run = TheRunState();
    const QStringList banner =
        VersionBannerLines(run.CurrentExprVer, run.PackageExprVer, in.Receiving);
    banners = 0;
    if (protocol.mid(1, banner.size()) == banner) {
      protocol.erase(protocol.begin() + 1, protocol.begin() + 1 + banner.size());
      banners = 1;
    }
    return outcome;
  }

  QString ProtocolName() const {
    return QDir(registry).filePath(QStringLiteral("КрБ0504_0947.txt"));
  }

  // Rows of a statement, each as its columns' texts joined by "|".
  QStringList Rows(const QString& sql) {
    FbQuery q(db.Db(), &tr);
    q.setSql(sql);
    q.Open();
    QStringList rows;
    for (int r = 0; r < q.RecordCount(); ++r) {
      QStringList cols;
      for (int c = 0; c < q.FieldNames().size(); ++c) cols << q.Value(r, c).toString();
      rows << cols.join(QLatin1Char('|'));
    }
    return rows;
  }

  bool Has(const QString& line) const { return protocol.contains(line); }

  RegistryFixture db;
  FbTransaction tr;
  RegistryHolidayCalendar calendar;
  ScriptedInteraction ui;
  ScopedInteraction scope;
  BudgetTestUser user;
  QTemporaryDir dir;
  QString registry;
  BudgetInputs in;
  BudgetOutcome outcome;
  QStringList protocol;
  QStringList shown;
  int banners = 0;
};

}  // namespace kelmo::test
