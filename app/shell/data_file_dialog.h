// The data-file choice dialog (`TF_XML_load`, instance `F_XML_load`, caption
// "Выбор файла с данными"): the sender, the addressees, the payment kind
// among those the packages hold and the in-patient types to take. A plain
// form; the package identification fills and reads it.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace kelmo {

class TF_XML_load : public QDialog {
  Q_OBJECT
 public:
  explicit TF_XML_load(QWidget* parent = nullptr);

  // The check box of in-patient type 1..4 ("CheckBox" + (type + 2)).
  QCheckBox* InPatientTypeBox(int type) const;

  QLabel* Label1;
  QLabel* Label6;
  QLabel* Label2;
  QLabel* Label5;
  QLabel* Label3;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QRadioButton* RadioButton3;
  QLabel* Label4;
  QCheckBox* CheckBox3;
  QCheckBox* CheckBox4;
  QCheckBox* CheckBox5;
  QCheckBox* CheckBox6;
  QPushButton* Button1;
  QPushButton* Button2;
};

}  // namespace kelmo
