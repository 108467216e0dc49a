// The protocol viewer.
#include "un_corr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringConverter>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "domain/run_state.h"
#include "interact/interaction.h"

namespace kelmo {

TfmUnCorr::TfmUnCorr(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fmUnCorr"));
  setWindowTitle(QStringLiteral("Обнаружены некорректные записи"));
  re = new QPlainTextEdit(this);
  re->setObjectName(QStringLiteral("re"));
  re->setFont(QFont(QStringLiteral("Courier New")));
  re->setLineWrapMode(QPlainTextEdit::NoWrap);
  bbPrint = new QPushButton(QStringLiteral("Печать"), this);
  bbPrint->setObjectName(QStringLiteral("bbPrint"));
  btSaveas = new QPushButton(QStringLiteral("Сохранить"), this);
  btSaveas->setObjectName(QStringLiteral("btSaveas"));
  join_act_bt = new QPushButton(QStringLiteral("Объединенный акт"), this);
  join_act_bt->setObjectName(QStringLiteral("join_act_bt"));
  join_act_bt->hide();
  bbClose = new QPushButton(QStringLiteral("Закрыть"), this);
  bbClose->setObjectName(QStringLiteral("bbClose"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bbPrint);
  buttons->addWidget(btSaveas);
  buttons->addWidget(join_act_bt);
  buttons->addStretch();
  buttons->addWidget(bbClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(re, 1);
  layout->addLayout(buttons);
  resize(760, 520);
  connect(bbPrint, &QPushButton::clicked, this, [this] { bbPrintClick(); });
  connect(btSaveas, &QPushButton::clicked, this, [this] { btSaveasClick(); });
  connect(join_act_bt, &QPushButton::clicked, this, [this] { join_act_btClick(); });
  connect(bbClose, &QPushButton::clicked, this, [this] { bbCloseClick(); });
}

void TfmUnCorr::ShowProtocol() {
  FormShow();
  Interact().RunModal(*this);
}

void TfmUnCorr::FormShow() {
  const QString path = TheRunState().ProtocolPath;
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    re->clear();
    Interact().Message(this, QStringLiteral("Ошибка открытия файла."), path, MessageIcon::Error,
                       MessageButtons::Ok);
    return;
  }
  QStringDecoder decode("windows-1251");
  re->clear();
  re->setPlainText(decode(file.readAll()));
}

void TfmUnCorr::bbPrintClick() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
  if (!Interact().RunModal(dialog)) return;
  printer.setDocName(QString());
  re->print(&printer);
}

void TfmUnCorr::btSaveasClick() {
  const QFileInfo protocol(TheRunState().ProtocolPath);
  QString name = protocol.fileName();
  QString filter = QStringLiteral("Текстовые файлы (*.txt)");
  QString suffix;
  if (ArchiveMode) {
    filter = QStringLiteral("Архивы RAR (*.rar)");
    suffix = QStringLiteral("rar");
    // The archiver packs the protocol beside it under the protocol's name
    // without ".txt", points inside the name included.
    name = protocol.completeBaseName() + QStringLiteral(".rar");
    ArchiveMode = false;
  }
  const QString target = Interact().ChooseSaveFile(this, QString(), name, filter, suffix);
  if (target.isEmpty()) return;
  const QString source = protocol.dir().filePath(name);
  if (QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath()) return;
  // The copy goes beside the target first, so a failed copy leaves an
  // existing file of that name as it was; the user hears of every failure.
  const QString part = target + QStringLiteral(".part");
  QFile::remove(part);
  bool copied = QFileInfo(source).isFile() && QFile::copy(source, part);
  if (copied) {
    QFile::remove(target);
    copied = QFile::rename(part, target);
  }
  if (!copied) {
    QFile::remove(part);
    Interact().Message(this, QStringLiteral("Ошибка"),
                       QStringLiteral("Не удалось сохранить копию файла ") + source +
                           QStringLiteral(" в ") + target,
                       MessageIcon::Error, MessageButtons::Ok);
  }
}

void TfmUnCorr::bbCloseClick() {
  accept();
}

void TfmUnCorr::join_act_btClick() {
  if (!CombinedActFor) return;
  // Shown, not saved: the workbook goes to a temporary file of its own,
  // which stays for the program that shows it.
  QTemporaryFile file(QDir::temp().filePath(QStringLiteral("Объединенный акт XXXXXX.xlsx")));
  file.setAutoRemove(false);
  if (!file.open()) {
    Interact().Message(this, QStringLiteral("Ошибка"),
                       QStringLiteral("Не удалось создать временный файл ") + file.fileName(),
                       MessageIcon::Error, MessageButtons::Ok);
    return;
  }
  const QString path = file.fileName();
  file.close();
  try {
    if (BuildCombinedAct(*CombinedActFor, path)) {
      workbook::ShowWorkbook(path.toStdString(), Opener);
      return;
    }
    QFile::remove(path);
  } catch (const CombinedActError& e) {
    QFile::remove(path);
    Interact().Message(this, e.Caption(), e.Text(), MessageIcon::Error, MessageButtons::Ok);
  } catch (const std::exception& e) {
    QFile::remove(path);
    Interact().Message(this, QStringLiteral("Ошибка"), QString::fromStdString(e.what()),
                       MessageIcon::Error, MessageButtons::Ok);
  }
}

}  // namespace kelmo
