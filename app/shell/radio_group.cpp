// Radio groups by item index.
#include "radio_group.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace kelmo {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent) {
  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items.at(i), this);
    buttons_.addButton(button, i);
    layout->addWidget(button);
  }
  connect(&buttons_, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::itemIndex() const {
  return buttons_.checkedId();
}

void RadioGroup::setItemIndex(int index) {
  if (QAbstractButton* button = buttons_.button(index)) button->setChecked(true);
}

int RadioGroup::count() const {
  return static_cast<int>(buttons_.buttons().size());
}

}  // namespace kelmo
