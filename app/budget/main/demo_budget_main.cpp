// Writes the demonstration budget registry: a folder of DBF tables with six
// round-the-clock budget-funded stays of March 2026 of the regional hospital
// (institution 1 of the demonstration database) — plain stays, a stay past
// its norm, a psychiatric stay with a leave, a stay with intensive care — and
// the hospital's invoice, treated-patient register and bed-profile register.
// Usage: kelmo_demo_budget_registry <folder>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "budget/budget_registry_builder.h"

namespace {

kelmo::BudgetStay Stay(int id, const QString& family, const QString& name, int inDay, int outDay,
                       const QString& diag, const QString& mes, int profile = 1) {
  kelmo::BudgetStay s;
  s.Id = id;
  s.Nomib = QString::number(2600 + id);
  s.Family = family;
  s.Name = name;
  s.In = QDate(2026, 3, inDay);
  s.Out = QDate(2026, 3, outDay);
  kelmo::BudgetSheet m;
  m.Diag = diag;
  m.KodMes = mes;
  m.Profile = profile;
  m.Start = s.In;
  m.End = s.Out;
  s.Sheets.push_back(m);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelmo_demo_budget_registry <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  std::vector<kelmo::BudgetStay> stays;
  stays.push_back(Stay(1, QStringLiteral("АНДРЕЕВ"), QStringLiteral("ПЕТР"), 2, 12,
                       QStringLiteral("I10"), QStringLiteral("3010101")));
  stays.push_back(Stay(2, QStringLiteral("БОРИСОВА"), QStringLiteral("АННА"), 1, 20,
                       QStringLiteral("J18.9"), QStringLiteral("3010201")));
  stays.back().Pol = 2;
  stays.back().Father = QStringLiteral("ИВАНОВНА");
  stays.push_back(Stay(3, QStringLiteral("ВАСИЛЬЕВ"), QStringLiteral("ОЛЕГ"), 1, 11,
                       QStringLiteral("F20.0"), QStringLiteral("3020301"), 36));
  stays.back().Sheets[0].Leaves = {{QDate(2026, 3, 4), QDate(2026, 3, 6)}};
  stays.push_back(Stay(4, QStringLiteral("ГРИГОРЬЕВ"), QStringLiteral("ИЛЬЯ"), 1, 6,
                       QStringLiteral("I10"), QStringLiteral("3010101")));
  stays.back().Sheets[0].Intensiv = 2;
  stays.back().Sheets[0].Reanim = 90002;
  kelmo::WriteBudgetRegistry(folder, stays);
  kelmo::WriteBudgetWorkbooks(folder, 1, 43420.00, 43,
                              {{QStringLiteral("2601"), QStringLiteral("АНДРЕЕВ"),
                                QDate(1960, 5, 20), QStringLiteral("10000")},
                               {QStringLiteral("2602"), QStringLiteral("БОРИСОВА"),
                                QDate(1960, 5, 20), QStringLiteral("15600")},
                               {QStringLiteral("2603"), QStringLiteral("ВАСИЛЬЕВ"),
                                QDate(1960, 5, 20), QStringLiteral("12420")},
                               {QStringLiteral("2604"), QStringLiteral("ГРИГОРЬЕВ"),
                                QDate(1960, 5, 20), QStringLiteral("5400")}},
                              QStringLiteral("Версия реестра ЛПУ"));
  return 0;
}
