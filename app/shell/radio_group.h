// A titled group of radio buttons read by item index, as the main window's
// mode and in-patient type groups are.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace kelmo {

class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);
  // -1 when nothing is checked.
  int itemIndex() const;
  // Checks the item without emitting clicked.
  void setItemIndex(int index);
  int count() const;

 signals:
  // The user clicked an item.
  void clicked(int index);

 private:
  QButtonGroup buttons_;
};

}  // namespace kelmo
