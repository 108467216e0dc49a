// The settings dialog.
#include "settings_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "data_module.h"
#include "interact/interaction.h"

namespace kelmo {

TfmProp::TfmProp(TDM& dm, QWidget* parent) : QDialog(parent), dm_(dm) {
  setObjectName(QStringLiteral("fmProp"));
  setWindowTitle(QStringLiteral("Настройки программы"));
  lbl1 = new QLabel(QStringLiteral("Путь к базе \"Квиллона\""), this);
  lbledt1 = new QLineEdit(this);
  lbledt1->setObjectName(QStringLiteral("lbledt1"));
  btn1 = new QPushButton(QStringLiteral("..."), this);
  btn1->setObjectName(QStringLiteral("btn1"));
  btn2 = new QPushButton(QStringLiteral("Принять"), this);
  btn2->setObjectName(QStringLiteral("btn2"));
  btn3 = new QPushButton(QStringLiteral("Отмена"), this);
  btn3->setObjectName(QStringLiteral("btn3"));
  auto* edit = new QHBoxLayout;
  edit->addWidget(lbledt1);
  edit->addWidget(btn1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btn2);
  buttons->addWidget(btn3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbl1);
  layout->addLayout(edit);
  layout->addLayout(buttons);
  connect(btn1, &QPushButton::clicked, this, [this] { btn1Click(); });
  connect(btn2, &QPushButton::clicked, this, [this] { btn2Click(); });
  connect(btn3, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmProp::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormActivate();
}

void TfmProp::FormActivate() {
  lbledt1->setText(dm_.KvillonPath);
}

void TfmProp::btn1Click() {
  const QString file = Interact().ChooseOpenFile(this, windowTitle(), dm_.KvillonPath, QString());
  if (file.isEmpty()) return;
  chosenFolder_ = QFileInfo(file).absolutePath();
  if (!chosenFolder_.endsWith(QLatin1Char('/'))) chosenFolder_ += QLatin1Char('/');
  lbledt1->setText(chosenFolder_);
}

void TfmProp::btn2Click() {
  if (!chosenFolder_.isEmpty() && chosenFolder_ != dm_.KvillonPath) {
    dm_.KvillonPath = chosenFolder_;
    dm_.KvillonPathChanged = true;
  }
  accept();
}

}  // namespace kelmo
