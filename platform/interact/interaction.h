// The program's one way of talking to the user: message boxes, modal dialogs
// and the "choose a file/folder" dialogs. Forms and runs call Interact();
// the program installs the Qt implementation, tests a scripted one, so every
// question can be answered without a screen.
#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace kelmo {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class Interaction {
 public:
  virtual ~Interaction() = default;

  // A modal message box; returns the button pressed (closing the box counts as
  // Cancel, or No when there is no Cancel button).
  virtual MessageAnswer Message(QWidget* parent, const QString& caption, const QString& text,
                                MessageIcon icon, MessageButtons buttons) = 0;

  // Runs an already built dialog modally; true when it was accepted.
  virtual bool RunModal(QDialog& dialog) = 0;

  // File and folder choosers; an empty result means the user cancelled.
  // `filter` uses Qt's form ("Текстовые файлы (*.txt)").
  virtual QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
  virtual QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& path,
                                 const QString& filter, const QString& defaultSuffix) = 0;
  virtual QString ChooseFolder(QWidget* parent, const QString& caption, const QString& folder) = 0;
};

// The interaction in force: the innermost live ScopedInteraction, otherwise the
// Qt one. Cost: a pointer read.
Interaction& Interact();

// Shorthand for the commonest case: an OK box.
void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                 MessageIcon icon = MessageIcon::None);

// Installs an interaction for its lifetime (the program's start, a test).
// Scopes nest; they must end in reverse order of their creation.
class ScopedInteraction {
 public:
  explicit ScopedInteraction(Interaction& interaction);
  ~ScopedInteraction();
  ScopedInteraction(const ScopedInteraction&) = delete;
  ScopedInteraction& operator=(const ScopedInteraction&) = delete;

 private:
  Interaction* previous_;
};

}  // namespace kelmo
