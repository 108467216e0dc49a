// The workstation facts: account and domain, computer name, registered
// programs, the machine record.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <csignal>

#include "system/account.h"
#include "system/machine_settings.h"
#include "system/termination_signals.h"
#include "system/workstation.h"

using namespace kelmo;

namespace {

TEST(Account, NameAndDomainFromThePosixAccount) {
  struct Case {
    const char *posix, *env;
    bool ok;
    const char *name, *domain;
  } cases[] = {
      {"OMS\\ivanov", "IGNORED", true, "ivanov", "OMS"},
      {"ivanov@oms.local", "", true, "ivanov", "oms.local"},
      {"ivanov", "OMS", true, "ivanov", "OMS"},
      {"ivanov", "", true, "ivanov", ""},
      {"", "OMS", false, "", ""},
  };
  for (const Case& c : cases) {
    QString name = "x", domain = "y";
    int nameSize = 50, domainSize = 50;
    EXPECT_EQ(TokenAccount({c.posix, c.env}, name, nameSize, domain, domainSize), c.ok) << c.posix;
    if (!c.ok) continue;
    EXPECT_EQ(name, QString(c.name));
    EXPECT_EQ(domain, QString(c.domain));
    EXPECT_EQ(nameSize, name.size());
  }
  // A domain that does not fit: false, nothing written, the size needed told.
  QString name = "x", domain = "y";
  int nameSize = 50, domainSize = 5;
  EXPECT_FALSE(TokenAccount({"ivanov", "LONGDOMAIN"}, name, nameSize, domain, domainSize));
  EXPECT_EQ(domain, QString("y"));
  EXPECT_EQ(domainSize, 10);
  EXPECT_FALSE(CurrentAccountSource().posixName.isEmpty());
}

TEST(Workstation, ComputerNameAndPrograms) {
  const QString computer = ComputerName();
  EXPECT_FALSE(computer.isEmpty());
  EXPECT_EQ(computer, computer.toUpper());
  EXPECT_TRUE(RegisteredOpenCommand("").isEmpty());
  EXPECT_TRUE(RegisteredOpenCommand("kelmo-no-such-type").isEmpty());
  // A program of that name on PATH.
  EXPECT_TRUE(RegisteredOpenCommand("sh").endsWith("/sh"));
}

TEST(MachineRecord, WrittenWhereTheSystemScopePoints) {
  int argc = 1;
  char name[] = "test_workstation";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, dir.filePath("etc"));
  {
    auto record = OpenMachineRecord();
    ASSERT_TRUE(record);
    record->setValue("DataBase", "/data/kelmo.fdb");
  }
  QSettings check(dir.filePath("etc/DORER/Kelmo.ini"), QSettings::IniFormat);
  EXPECT_EQ(check.value("DataBase").toString(), QString("/data/kelmo.fdb"));
}

}  // namespace

namespace {

TEST(TerminationSignals, ArriveAsAQtSignal) {
  kelmo::BlockTerminationSignals();
  int argc = 1;
  char name[] = "test_workstation";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  int received = 0;
  {
    kelmo::TerminationSignals termination;
    QObject::connect(&termination, &kelmo::TerminationSignals::received, [&] { ++received; });
    raise(SIGTERM);
    for (int i = 0; i < 50 && received == 0; ++i)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(received, 1);
    raise(SIGINT);
    for (int i = 0; i < 50 && received == 1; ++i)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(received, 2);
  }
}

}  // namespace
