// Recorded calls and queued answers for headless runs.
#include "scripted_interaction.h"

#include <QDialog>

namespace kelmo {
namespace {

template <typename T>
bool PopFront(std::deque<T>& queue, T& out) {
  if (queue.empty()) return false;
  out = std::move(queue.front());
  queue.pop_front();
  return true;
}

}  // namespace

std::vector<ScriptedInteraction::Call> ScriptedInteraction::CallsOf(Kind kind) const {
  std::vector<Call> result;
  for (const Call& call : calls)
    if (call.kind == kind) result.push_back(call);
  return result;
}

MessageAnswer ScriptedInteraction::Message(QWidget*, const QString& caption, const QString& text,
                                           MessageIcon icon, MessageButtons buttons) {
  calls.push_back({Kind::Message, caption, text, icon, buttons});
  MessageAnswer answer;
  if (PopFront(messageAnswers, answer)) return answer;
  return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
             ? MessageAnswer::Yes
             : MessageAnswer::Ok;
}

bool ScriptedInteraction::RunModal(QDialog& dialog) {
  calls.push_back({Kind::Modal, dialog.windowTitle(), dialog.objectName()});
  std::function<bool(QDialog&)> handler;
  if (!PopFront(modalHandlers, handler)) return false;
  return handler(dialog);
}

QString ScriptedInteraction::ChooseOpenFile(QWidget*, const QString& caption, const QString& folder,
                                            const QString&) {
  calls.push_back({Kind::OpenFile, caption, folder});
  QString answer;
  PopFront(fileAnswers, answer);
  return answer;
}

QString ScriptedInteraction::ChooseSaveFile(QWidget*, const QString& caption, const QString& path,
                                            const QString&, const QString&) {
  calls.push_back({Kind::SaveFile, caption, path});
  QString answer;
  PopFront(fileAnswers, answer);
  return answer;
}

QString ScriptedInteraction::ChooseFolder(QWidget*, const QString& caption, const QString& folder) {
  calls.push_back({Kind::Folder, caption, folder});
  QString answer;
  PopFront(folderAnswers, answer);
  return answer;
}

}  // namespace kelmo
