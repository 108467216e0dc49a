// The reception run driven without the main window: its inputs are built as
// a value, its user is a recorder, its database the demonstration database.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "domain/run_user.h"
#include "firebird/fb_database.h"
#include "reception/reception_run.h"
#include "reception_fixture.h"
#include "reception_inputs_fixture.h"
#include "recording_user.h"
#include "registry_fixture.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

ReceptionInputs DemonstrationInputs(const QString& folder, const QString& database) {
  ReceptionInputs in = MarchReceptionInputs(
      folder, database, 1, QStringLiteral("ГБУ «Областная клиническая больница» "));
  in.MinimiseDuringRun = true;
  return in;
}

}  // namespace

TEST(ReceptionWithoutWindow, DemonstrationRegistryFromAValue) {
  CoreApp();
  QTemporaryDir folder;
  const QDir demo(KELMO_SOURCE_DIR "/examples/dbf-registry");
  for (const QString& name : demo.entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(demo.filePath(name), folder.filePath(name)));
  const QString before = QDir::currentPath();

  FbDatabase db(QStringLiteral("without_window"));
  db.setParams(FbDatabase::DefaultParams());
  db.setDatabaseName(RegistryDatabaseFile::Path());
  db.Open();
  FbTransaction tr(db);
  RecordingUser user;
  const ReceptionInputs inputs = DemonstrationInputs(folder.path(), db.databaseName());
  ReceiveRegistry(inputs, ReceptionServices{db, tr, user, [] {
                                              return QDateTime(QDate(2024, 4, 5), QTime(9, 42, 10));
                                            }});

  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  // The act is named by the in-patient type, the date and the time given.
  EXPECT_EQ(TheRunState().ProtocolPath, QDir(folder.path()).filePath("Кр0504_0942.txt"));
  const QStringList act = ReadActLines(TheRunState().ProtocolPath);
  for (const char* line :
       {"ЛПУ: ГБУ «Областная клиническая больница».", "Вид оплаты: ОМС",
        "Отчет за период с 01.03.2024 по 31.03.2024.", "Тип стационара: круглосуточный.",
        "Дата приема: 05.04.2024. Время приема: 9:42:10"})
    EXPECT_TRUE(act.contains(QString::fromUtf8(line))) << line;
  EXPECT_EQ(act.last(), "Подпись экономиста:");
  // The rule checks wrote their section before it.
  const qsizetype checks =
      act.indexOf("Обнаружены ошибки по местному населению, на которые были наложены санкции МЭК:");
  ASSERT_GE(checks, 0) << act.join("\n").toStdString();
  EXPECT_EQ(act[checks + 2].left(16), "|       Ист.бол.");
  EXPECT_TRUE(act.contains("|" + QString("ИТОГО СУММА ").rightJustified(36) + "|" +
                           QString("0").rightJustified(10) + "|"));
  // The tolerated and entry-error sections follow, then the costs' zero-cost
  // list, and the out-of-region pass finds no patient.
  const qsizetype tolerated = act.indexOf(
      "Ошибки, которые не влияют на прием реестра пролеченных больных по местному населению не "
      "обнаружены.");
  ASSERT_GT(tolerated, checks);
  EXPECT_EQ(act[tolerated + 2], "Всего по некорректным данным по местному населению: 0");
  EXPECT_TRUE(
      act.contains("В базе не найден ни один больной по иногороднему населению, "
                   "относящийся к выбранному периоду."));
  // Everything the run said to the user went through its user.
  EXPECT_EQ(user.calls.join(" | ").toStdString(),
            "minimise | phase Загрузка данных (мест.)... | phase Проверка ошибок (мест.). "
            "Подготовка | phase Проверка ошибок (мест.)... | phase Проверка допустимых ошибок "
            "(мест.)... | phase Проверка допустимых ошибок (мест.)... | phase Расчет стоимости "
            "лечения (мест.)... | end of progress | restore | beep | protocol at the end");
  // The run leaves the process's current folder where it was.
  EXPECT_EQ(QDir::currentPath(), before);
  db.Close();
}
