// An error that leaves an event handler reaches the error box and the
// program goes on.
#include <gtest/gtest.h>

#include <QEvent>

#include "firebird/database_error.h"
#include "interact/scripted_interaction.h"
#include "shell/kelmo_application.h"

using namespace kelmo;

namespace {

class Thrower : public QObject {
 public:
  bool event(QEvent*) override { throw DatabaseError("Не удалось открыть базу"); }
};

TEST(KelmoApplication, UncaughtErrorsGoToTheErrorBox) {
  int argc = 1;
  char name[] = "kelmo";
  char* argv[] = {name, nullptr};
  KelmoApplication app(argc, argv);
  ScriptedInteraction script;
  ScopedInteraction scope(script);
  Thrower thrower;
  QEvent event(QEvent::User);
  EXPECT_FALSE(app.notify(&thrower, &event));
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_EQ(script.calls[0].caption, QString("Kelmo"));
  EXPECT_EQ(script.calls[0].text, QString("Не удалось открыть базу"));
  EXPECT_EQ(script.calls[0].icon, MessageIcon::Error);
  QObject quiet;
  app.notify(&quiet, &event);
  EXPECT_EQ(script.calls.size(), 1u);
}

}  // namespace
