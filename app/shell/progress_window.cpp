// The progress window's components.
#include "progress_window.h"

#include <QVBoxLayout>

namespace kelmo {

TfmPrgs::TfmPrgs(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("fmPrgs"));
  Label1 = new QLabel(QStringLiteral("Загрузка данных..."), this);
  pb = new QProgressBar(this);
  pb->setFixedSize(243, 22);
  pb->setFormat(QStringLiteral("%p%"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->addWidget(Label1);
  layout->addWidget(pb);
  resize(260, 49);
}

}  // namespace kelmo
