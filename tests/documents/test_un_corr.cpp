// The protocol viewer: loading the protocol, the failure box, saving a copy
// of the protocol or of its archive, and a cancelled print.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QStringConverter>
#include <QTemporaryDir>

#include "documents/un_corr.h"
#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "qt_test_application.h"

using namespace kelmo;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class UnCorrTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunState(); }
  QTemporaryDir dir;
  ScriptedInteraction script;
  ScopedInteraction scope{script};
  TfmUnCorr viewer;
};

TEST_F(UnCorrTest, ShowsTheProtocolInCodePage1251) {
  EXPECT_EQ(viewer.windowTitle(), QString("Обнаружены некорректные записи"));
  EXPECT_TRUE(viewer.join_act_bt->isHidden());
  EXPECT_FALSE(viewer.ArchiveMode);
  const QString path = dir.filePath("Кр1503_0947.txt");
  QStringEncoder encode("windows-1251");
  Write(path, encode(QString("Акт первичного технологического контроля\r\nЛПУ: Больница.\r\n")));
  TheRunState().ProtocolPath = path;
  viewer.ShowProtocol();
  EXPECT_TRUE(viewer.re->toPlainText().startsWith("Акт первичного технологического контроля"));
  EXPECT_TRUE(viewer.re->toPlainText().contains("ЛПУ: Больница."));
  ASSERT_EQ(script.calls.size(), 1u);  // only the modal showing
  EXPECT_EQ(script.calls[0].kind, ScriptedInteraction::Kind::Modal);
}

TEST_F(UnCorrTest, AProtocolThatCannotBeOpenedGivesTheBoxAndAnEmptyViewer) {
  viewer.re->setPlainText("old text");
  TheRunState().ProtocolPath = dir.filePath("missing.txt");
  viewer.FormShow();
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_EQ(script.calls[0].caption, QString("Ошибка открытия файла."));
  EXPECT_EQ(script.calls[0].text, dir.filePath("missing.txt"));
  EXPECT_EQ(script.calls[0].icon, MessageIcon::Error);
  EXPECT_TRUE(viewer.re->toPlainText().isEmpty());
}

TEST_F(UnCorrTest, SavesTheArchiveOnceThenTheProtocol) {
  // A name with more than one point: the archive keeps the whole name the
  // archiver gave it, the protocol's without ".txt".
  const QString protocol = dir.filePath("Кр1503.0947.txt");
  Write(protocol, "protocol");
  Write(dir.filePath("Кр1503.0947.rar"), "archive");
  Write(dir.filePath("Кр1503.rar"), "another archive");
  TheRunState().ProtocolPath = protocol;
  viewer.ArchiveMode = true;
  const QString target = dir.filePath("out/copy.rar");
  QDir().mkpath(dir.filePath("out"));
  script.fileAnswers.push_back(target);
  viewer.btSaveasClick();
  EXPECT_FALSE(viewer.ArchiveMode);
  EXPECT_EQ(script.calls.back().text, QString("Кр1503.0947.rar"));
  EXPECT_EQ(Read(target), QByteArray("archive"));

  // The second press offers the text protocol and overwrites the target.
  const QString textTarget = dir.filePath("out/copy.txt");
  Write(textTarget, "old");
  script.fileAnswers.push_back(textTarget);
  viewer.btSaveasClick();
  EXPECT_EQ(script.calls.back().text, QString("Кр1503.0947.txt"));
  EXPECT_EQ(Read(textTarget), QByteArray("protocol"));
}

TEST_F(UnCorrTest, AFailedCopyIsReportedAndKeepsTheTarget) {
  // No archive beside the protocol: the user is told, and the file already
  // standing under the chosen name is left as it was.
  TheRunState().ProtocolPath = dir.filePath("Кр1503.txt");
  Write(dir.filePath("Кр1503.txt"), "protocol");
  viewer.ArchiveMode = true;
  const QString target = dir.filePath("kept.rar");
  Write(target, "kept");
  script.fileAnswers.push_back(target);
  viewer.btSaveasClick();
  ASSERT_EQ(script.calls.back().kind, ScriptedInteraction::Kind::Message);
  EXPECT_EQ(script.calls.back().icon, MessageIcon::Error);
  EXPECT_NE(script.calls.back().text.indexOf(dir.filePath("Кр1503.rar")), -1);
  EXPECT_EQ(Read(target), QByteArray("kept"));
  EXPECT_FALSE(QFile::exists(target + ".part"));
}

TEST_F(UnCorrTest, CancellingTheSaveDialogStillClearsArchiveMode) {
  TheRunState().ProtocolPath = dir.filePath("a.txt");
  viewer.ArchiveMode = true;
  viewer.btSaveasClick();  // nobody answers: cancelled
  EXPECT_FALSE(viewer.ArchiveMode);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
}

TEST_F(UnCorrTest, PrintingCancelledDoesNothing) {
  viewer.bbPrintClick();
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_EQ(script.calls[0].kind, ScriptedInteraction::Kind::Modal);
  EXPECT_EQ(script.calls[0].text, QString("PrinterSetupDialog1"));
}

}  // namespace
