// Licences of bed profiles that end soon, read from a registry database made
// from db/registry, and the act's identification table.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>

#include "interact/scripted_interaction.h"
#include "qt_test_application.h"
#include "reception/licence_expiry.h"
#include "reception/reception_checks.h"
#include "registry_fixture.h"

using namespace kelmo;
using kelmo::test::Day;

namespace {

void Licence(test::RegistryFixture& f, int lpu, int tipStac, int profile, int mz,
             const QDateTime& begin, const QDateTime& end) {
  f.Insert(QStringLiteral("PASS_LPU"), {{QStringLiteral("LPU_CODE"), lpu},
                                        {QStringLiteral("TIP_STAC"), tipStac},
                                        {QStringLiteral("PROF_CODE"), profile},
                                        {QStringLiteral("MZ"), mz},
                                        {QStringLiteral("VOZRAST"), 1},
                                        {QStringLiteral("DATE_BEG"), begin},
                                        {QStringLiteral("DATE_END"), end}});
}

QStringList ReadAct(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringDecoder decode("windows-1251");
  QString text = decode(file.readAll());
  QStringList lines = text.split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

const QString kIdentRule = QStringLiteral(
    "|--------|---------------------------|--------------------------------------------------------"
    "---|");

}  // namespace

TEST(ExpiringLicences, WithinThirtyDaysOfTheReception) {
  test::RegistryFixture f;
  // Profile names of the registry's own seed: 1 "Терапевтический",
  // 2 "Хирургический", 3 "Кардиологический", 4 "Неврологический".
  f.Exec(QStringLiteral("delete from PASS_LPU"));
  const int lpu = 33;
  Licence(f, lpu, 1, 1, 1, Day(2020, 1, 1), Day(2024, 3, 31));  // 30 days: listed
  Licence(f, lpu, 1, 2, 3, Day(2020, 1, 1), Day(2024, 4, 1));   // 31 days
  Licence(f, lpu, 1, 3, 1, Day(2020, 1, 1), Day(2024, 2, 29));  // ended
  Licence(f, lpu, 1, 4, 2, Day(2020, 1, 1), Day(2024, 3, 5));   // not a counted licence
  Licence(f, lpu, 2, 4, 1, Day(2020, 1, 1), Day(2024, 3, 5));   // another type
  Licence(f, 25, 1, 4, 1, Day(2020, 1, 1), Day(2024, 3, 5));    // another institution
  Licence(f, lpu, 1, 4, 1, Day(2024, 3, 2), Day(2024, 3, 20));  // not yet valid
  Licence(f, lpu, 1, 2, 1, Day(2020, 1, 1), Day(2024, 3, 1));   // ends on the day: listed
  const QList<ExpiringLicence> found =
      FindExpiringLicences(f.Db(), nullptr, lpu, 1, QDate(2024, 3, 1));
  ASSERT_EQ(found.size(), 2);
  EXPECT_EQ(found[0].Name, QStringLiteral("Хирургический"));
  EXPECT_EQ(found[0].DateEnd, QDate(2024, 3, 1));
  EXPECT_EQ(found[1].Name, QStringLiteral("Терапевтический"));
  EXPECT_EQ(ExpiringLicenceActLines(found),
            (QStringList{QStringLiteral("Обнаружены заканчивающиеся лицензии:"),
                         QStringLiteral("Хирургический. Окончание лицензии: 01.03.2024"),
                         QStringLiteral("Терапевтический. Окончание лицензии: 31.03.2024")}));
  EXPECT_EQ(ExpiringLicenceMessage(found),
            QStringLiteral("Хирургический. Окончание лицензии: 01.03.2024\r"
                           "Терапевтический. Окончание лицензии: 31.03.2024\r"));
  EXPECT_TRUE(ExpiringLicenceActLines({}).isEmpty());
}

TEST(ExpiringLicences, TheRunsCheckWritesTheActAndShowsOneMessage) {
  test::RegistryFixture f;
  f.Exec(QStringLiteral("delete from PASS_LPU"));
  QTemporaryDir dir;
  ReceptionState state;
  FbTransaction tr(f.Db());
  ReceptionContext ctx{state, f.Db(), tr};
  ctx.LpuId = 1;
  ctx.StacType = StacType::RoundTheClock;
  ctx.ReceptionDate = QDate(2024, 3, 1);
  const QString act = dir.filePath(QStringLiteral("act.txt"));
  state.Act.Create(act);
  ScriptedInteraction answers;
  ScopedInteraction scope(answers);
  CheckExpiringLicences(ctx);
  EXPECT_TRUE(answers.calls.empty());

  Licence(f, 1, 1, 1, 1, Day(2020, 1, 1), Day(2024, 3, 20));
  CheckExpiringLicences(ctx);
  state.Act.Close();
  EXPECT_EQ(ReadAct(act),
            (QStringList{QStringLiteral("Обнаружены заканчивающиеся лицензии:"),
                         QStringLiteral("Терапевтический. Окончание лицензии: 20.03.2024")}));
  ASSERT_EQ(answers.calls.size(), 1u);
  EXPECT_EQ(answers.calls[0].caption,
            QStringLiteral("Внимание, обнаружены заканчивающиеся лицензии..."));
  EXPECT_EQ(answers.calls[0].text,
            QStringLiteral("Терапевтический. Окончание лицензии: 20.03.2024\r"));
  EXPECT_EQ(answers.calls[0].icon, MessageIcon::Information);
  EXPECT_EQ(answers.calls[0].buttons, MessageButtons::Ok);
}

TEST(IdentificationTable, HeadAndRowsAsTheActDrawsThem) {
  QTemporaryDir dir;
  ActFile act;
  const QString path = dir.filePath(QStringLiteral("act.txt"));
  act.Create(path);
  bool begun = false;
  WriteIdentTableHead(act, begun);
  EXPECT_TRUE(begun);
  WriteIdentTableRow(act, QStringLiteral(" 101 "), QStringLiteral("ИВАНОВ И.И."),
                     QStringLiteral("Запись не проходила страховую идентификацию в ТФ ОМС"));
  const QString longReason(70, QLatin1Char('x'));
  WriteIdentTableRow(act, QStringLiteral("123456789"), QStringLiteral("П"), longReason);
  act.Close();
  const QStringList lines = ReadAct(path);
  const QStringList expected = {
      QString(),
      QStringLiteral("Дальнейший формирование/прием отчета не возможен, в связи с тем, что "
                     "обнаружены записи "),
      QStringLiteral("не прошедшие идентификацию в ТФ ОМС:"),
      kIdentRule,
      QStringLiteral("| № И.Б. |           ФИО             |                          Причина      "
                     "                    |"),
      kIdentRule,
      QStringLiteral("|     101|") + QString(16, QLatin1Char(' ')) +
          QStringLiteral("ИВАНОВ И.И.|") + QString(7, QLatin1Char(' ')) +
          QStringLiteral("Запись не проходила страховую идентификацию в ТФ ОМС|"),
      kIdentRule,
      QStringLiteral("|123456789|                          П|") + longReason + QLatin1Char('|'),
      kIdentRule,
  };
  EXPECT_EQ(lines.join(QLatin1Char('\n')).toStdString(),
            expected.join(QLatin1Char('\n')).toStdString());
  EXPECT_EQ(kIdentRule.size(), 98);
  EXPECT_EQ(expected[4].size(), 98);
  EXPECT_EQ(expected[6].size(), 98);
}
