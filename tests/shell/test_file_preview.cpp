// Preview of the picked file and the button "Печать".
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>

#include "interact/interaction.h"
#include "shell/file_preview.h"
#include "shell_test_support.h"
#include "workbook/workbook.h"

using namespace kelmo;

namespace {

// Answers the printer set-up dialog with a fixed choice.
class AnswerDialogs : public Interaction {
 public:
  bool accept = false;
  int dialogs = 0;
  MessageAnswer Message(QWidget*, const QString&, const QString&, MessageIcon,
                        MessageButtons) override {
    return MessageAnswer::Ok;
  }
  bool RunModal(QDialog&) override {
    ++dialogs;
    return accept;
  }
  QString ChooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  QString ChooseSaveFile(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override {
    return {};
  }
  QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

class PreviewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::App(); }
  void SetUp() override {
    re = new QPlainTextEdit(&panel);
    ole1 = new QLabel(&panel);
    ole1->hide();
  }
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = tmp.path() + "/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QTemporaryDir tmp;
  QWidget panel;
  QPlainTextEdit* re = nullptr;
  QLabel* ole1 = nullptr;
};

}  // namespace

TEST_F(PreviewTest, ByExtension) {
  struct Case {
    const char* name;
    PreviewAction action;
  } cases[] = {{"a.TXT", PreviewAction::Text},     {"a.txt", PreviewAction::Text},
               {"a.PRN", PreviewAction::Text},     {"stacion.dbf", PreviewAction::ClearText},
               {"a.xls", PreviewAction::Workbook}, {"Sfakt1.xlsx", PreviewAction::Workbook},
               {"a.zip", PreviewAction::None},     {"noext", PreviewAction::None}};
  for (const auto& c : cases) EXPECT_EQ(PreviewActionFor(c.name), c.action) << c.name;
}

TEST_F(PreviewTest, TextDbfZipAndWorkbook) {
  PreviewFile(Write("act.TXT", "Акт\nстрока\n"), re, ole1);
  EXPECT_EQ(re->toPlainText(), "Акт\nстрока\n");
  auto book = workbook::Workbook::Create();
  book->ActiveSheet().SetText(17, 1, "ВСЕГО");
  const QString xlsx = tmp.path() + "/Sfakt1.xlsx";
  book->SaveAs(xlsx.toStdString());
  PreviewFile(xlsx, re, ole1);
  EXPECT_FALSE(ole1->isHidden());
  EXPECT_TRUE(ole1->text().contains("ВСЕГО"));
  EXPECT_EQ(re->toPlainText(), "Акт\nстрока\n");  // the text box keeps what it showed
  PreviewFile(Write("pack.zip", "PK"), re, ole1);
  EXPECT_TRUE(ole1->isHidden());
  EXPECT_EQ(re->toPlainText(), "Акт\nстрока\n");
  PreviewFile(Write("stacion.dbf", "x"), re, ole1);
  EXPECT_TRUE(re->toPlainText().isEmpty());
  // A code page 1251 protocol.
  PreviewFile(Write("p.prn", QByteArray("\xc0\xea\xf2")), re, ole1);
  EXPECT_EQ(re->toPlainText(), "Акт");
}

TEST_F(PreviewTest, PrintingTextOnlyAfterTheDialogsOk) {
  AnswerDialogs answers;
  ScopedInteraction scope(answers);
  re->setPlainText("протокол");
  QStringList printed;
  auto printer = [&](QPlainTextEdit* box, QPrinter& target) {
    printed << box->toPlainText();
    EXPECT_TRUE(target.docName().isEmpty());
  };
  QStringList shown;
  auto opener = [&](const std::string& p) { shown << QString::fromStdString(p); };
  PrintPreviewed(&panel, ole1, re, "", opener, printer);
  EXPECT_EQ(answers.dialogs, 1);
  EXPECT_TRUE(printed.isEmpty());
  answers.accept = true;
  PrintPreviewed(&panel, ole1, re, "", opener, printer);
  EXPECT_EQ(printed, QStringList{"протокол"});
  // With a workbook previewed: its print preview, never the dialog.
  auto book = workbook::Workbook::Create();
  const QString xlsx = tmp.path() + "/r.xlsx";
  book->SaveAs(xlsx.toStdString());
  PreviewFile(xlsx, re, ole1);
  PrintPreviewed(&panel, ole1, re, xlsx, opener, printer);
  EXPECT_EQ(answers.dialogs, 2);
  EXPECT_EQ(shown, QStringList{xlsx});
}
