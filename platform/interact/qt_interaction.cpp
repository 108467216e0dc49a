// Message boxes and choosers on a screen.
#include "qt_interaction.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace kelmo {
namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

}  // namespace

MessageAnswer QtInteraction::Message(QWidget* parent, const QString& caption, const QString& text,
                                     MessageIcon icon, MessageButtons buttons) {
  QMessageBox box(ToQt(icon), caption, text, ToQt(buttons), parent);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    default:
      return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
  }
}

bool QtInteraction::RunModal(QDialog& dialog) {
  return dialog.exec() == QDialog::Accepted;
}

QString QtInteraction::ChooseOpenFile(QWidget* parent, const QString& caption,
                                      const QString& folder, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString QtInteraction::ChooseSaveFile(QWidget* parent, const QString& caption, const QString& path,
                                      const QString& filter, const QString& defaultSuffix) {
  QFileDialog dialog(parent, caption, path, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  if (!path.isEmpty()) dialog.selectFile(path);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

QString QtInteraction::ChooseFolder(QWidget* parent, const QString& caption,
                                    const QString& folder) {
  return QFileDialog::getExistingDirectory(parent, caption, folder);
}

}  // namespace kelmo
