// The interaction of tests: every call is recorded, answers come from queues
// the test fills beforehand. With an empty queue a message box answers its
// first button (Ok or Yes), a modal dialog is rejected and a chooser is
// cancelled, so an unexpected question never blocks a headless run.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "interaction.h"

namespace kelmo {

class ScriptedInteraction final : public Interaction {
 public:
  enum class Kind { Message, Modal, OpenFile, SaveFile, Folder };
  struct Call {
    Kind kind;
    QString caption;  // message caption, dialog window title, chooser caption
    QString text;     // message text, dialog object name, chooser start path
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
  };

  std::deque<MessageAnswer> messageAnswers;
  // Each handler gets the dialog (to fill it as a user would) and says
  // whether it is accepted.
  std::deque<std::function<bool(QDialog&)>> modalHandlers;
  std::deque<QString> fileAnswers;  // open and save choosers
  std::deque<QString> folderAnswers;
  std::vector<Call> calls;

  // The calls of one kind, in order.
  std::vector<Call> CallsOf(Kind kind) const;

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
