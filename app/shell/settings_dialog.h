// The settings dialog (`TfmProp`, instance `fmProp`, caption "Настройки
// программы"): the folder of the case-entry program, chosen with "..." and
// taken with "Принять". Text typed into the edit is not taken.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelmo {

class TDM;

class TfmProp : public QDialog {
  Q_OBJECT
 public:
  explicit TfmProp(TDM& dm, QWidget* parent = nullptr);

  // Each time the dialog is shown: the edit shows the data module's folder.
  void FormActivate();
  // "...": an open-file dialog; the chosen file's folder, with a trailing
  // separator, becomes the chosen folder and is shown. Cancel changes nothing.
  void btn1Click();
  // "Принять": a folder chosen since the program started that differs from
  // the data module's becomes it and marks it changed; then closes with OK.
  void btn2Click();

  // The folder chosen with "..." during this program run, or empty.
  const QString& chosenFolder() const { return chosenFolder_; }

  QLabel* lbl1;
  QLineEdit* lbledt1;
  QPushButton* btn1;
  QPushButton* btn2;
  QPushButton* btn3;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TDM& dm_;
  QString chosenFolder_;
};

}  // namespace kelmo
