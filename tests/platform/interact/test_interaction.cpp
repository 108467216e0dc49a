// The interaction seam: scripted answers, recorded calls, nested scopes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

#include "interact/interaction.h"
#include "interact/scripted_interaction.h"

using namespace kelmo;

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_interaction";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

TEST(Interaction, ScriptedAnswersAndDefaults) {
  App();
  ScriptedInteraction script;
  ScopedInteraction scope(script);
  script.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_EQ(Interact().Message(nullptr, "c", "t", MessageIcon::Question, MessageButtons::YesNo),
            MessageAnswer::No);
  // An empty queue answers the first button.
  EXPECT_EQ(Interact().Message(nullptr, "c", "t", MessageIcon::Question, MessageButtons::YesNo),
            MessageAnswer::Yes);
  ShowMessage(nullptr, "Ошибка", "Не найдена папка /x", MessageIcon::Error);
  ASSERT_EQ(script.calls.size(), 3u);
  EXPECT_EQ(script.calls[2].caption, QString("Ошибка"));
  EXPECT_EQ(script.calls[2].icon, MessageIcon::Error);

  QDialog dialog;
  dialog.setWindowTitle("Настройки программы");
  EXPECT_FALSE(Interact().RunModal(dialog));  // nobody accepts by default
  script.modalHandlers.push_back([](QDialog& d) {
    d.setProperty("touched", true);
    return true;
  });
  EXPECT_TRUE(Interact().RunModal(dialog));
  EXPECT_TRUE(dialog.property("touched").toBool());
  EXPECT_EQ(script.CallsOf(ScriptedInteraction::Kind::Modal).size(), 2u);

  EXPECT_TRUE(Interact().ChooseOpenFile(nullptr, "c", "/tmp", "").isEmpty());
  script.fileAnswers.push_back("/tmp/a.txt");
  EXPECT_EQ(Interact().ChooseSaveFile(nullptr, "c", "/tmp/a", "", "txt"), QString("/tmp/a.txt"));
  script.folderAnswers.push_back("/tmp");
  EXPECT_EQ(Interact().ChooseFolder(nullptr, "c", "/"), QString("/tmp"));
}

TEST(Interaction, ScopesNest) {
  App();
  ScriptedInteraction outer;
  ScopedInteraction outerScope(outer);
  {
    ScriptedInteraction inner;
    ScopedInteraction innerScope(inner);
    ShowMessage(nullptr, "a", "b");
    EXPECT_EQ(inner.calls.size(), 1u);
  }
  ShowMessage(nullptr, "a", "b");
  EXPECT_EQ(outer.calls.size(), 1u);
}

}  // namespace
