// The interaction on a screen: QMessageBox, QDialog::exec and QFileDialog.
#pragma once

#include "interaction.h"

namespace kelmo {

class QtInteraction final : public Interaction {
 public:
  MessageAnswer Message(QWidget* parent, const QString& caption, const QString& text,
                        MessageIcon icon, MessageButtons buttons) override;
  bool RunModal(QDialog& dialog) override;
  QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) override;
  QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& path,
                         const QString& filter, const QString& defaultSuffix) override;
  QString ChooseFolder(QWidget* parent, const QString& caption, const QString& folder) override;
};

}  // namespace kelmo
