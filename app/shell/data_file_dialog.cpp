// The data-file choice dialog's components.
#include "data_file_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kelmo {

TF_XML_load::TF_XML_load(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("F_XML_load"));
  setWindowTitle(QStringLiteral("Выбор файла с данными"));
  auto bold = [](QLabel* label) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
  };
  Label1 = bold(new QLabel(QStringLiteral("Источник:"), this));
  Label6 = new QLabel(this);
  Label2 = bold(new QLabel(QStringLiteral("Получатели:"), this));
  Label5 = new QLabel(this);
  Label3 = new QLabel(QStringLiteral("Вид оплаты:"), this);
  RadioButton1 = new QRadioButton(QStringLiteral("ОМС основная"), this);
  RadioButton2 = new QRadioButton(QStringLiteral("Реабилитация"), this);
  RadioButton3 = new QRadioButton(QStringLiteral("ВМП"), this);
  Label4 = new QLabel(QStringLiteral("Типы стационаров:"), this);
  CheckBox3 = new QCheckBox(QStringLiteral("Круглосуточный"), this);
  CheckBox4 = new QCheckBox(QStringLiteral("Дневной при поликлинике"), this);
  CheckBox5 = new QCheckBox(QStringLiteral("Дневной на дому"), this);
  CheckBox6 = new QCheckBox(QStringLiteral("Дневной при стационаре"), this);
  Button1 = new QPushButton(QStringLiteral("Продолжить"), this);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  const std::pair<QObject*, const char*> names[] = {{Label1, "Label1"},
                                                    {Label2, "Label2"},
                                                    {Label3, "Label3"},
                                                    {Label4, "Label4"},
                                                    {Label5, "Label5"},
                                                    {Label6, "Label6"},
                                                    {RadioButton1, "RadioButton1"},
                                                    {RadioButton2, "RadioButton2"},
                                                    {RadioButton3, "RadioButton3"},
                                                    {CheckBox3, "CheckBox3"},
                                                    {CheckBox4, "CheckBox4"},
                                                    {CheckBox5, "CheckBox5"},
                                                    {CheckBox6, "CheckBox6"},
                                                    {Button1, "Button1"},
                                                    {Button2, "Button2"}};
  for (const auto& [object, name] : names) object->setObjectName(QString::fromLatin1(name));

  auto* grid = new QGridLayout;
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Label6, 0, 1);
  grid->addWidget(Label2, 1, 0, Qt::AlignTop);
  grid->addWidget(Label5, 1, 1);
  auto* kinds = new QVBoxLayout;
  kinds->addWidget(Label3);
  kinds->addWidget(RadioButton1);
  kinds->addWidget(RadioButton2);
  kinds->addWidget(RadioButton3);
  auto* types = new QVBoxLayout;
  types->addWidget(Label4);
  types->addWidget(CheckBox3);
  types->addWidget(CheckBox4);
  types->addWidget(CheckBox5);
  types->addWidget(CheckBox6);
  auto* choices = new QHBoxLayout;
  choices->addLayout(kinds);
  choices->addLayout(types);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(choices);
  layout->addLayout(buttons);
  resize(418, 245);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

QCheckBox* TF_XML_load::InPatientTypeBox(int type) const {
  return findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(type + 2));
}

}  // namespace kelmo
