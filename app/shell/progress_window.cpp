// The progress window (see progress_window.h).
#include "progress_window.h"

#include <QApplication>
#include <QScreen>

namespace kelmo {

TfmPrgs::TfmPrgs(QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("fmPrgs"));
  Label1 = new QLabel(QStringLiteral("Загрузка данных..."), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(8, 4, 243, 16);
  pb = new skin::TkGauge(this);
  pb->setObjectName(QStringLiteral("pb"));
  pb->setGeometry(8, 22, 243, 22);
  pb->SetSkinSection(QStringLiteral("GAUGE"));
  pb->SetForeColor(Qt::blue);
  pb->SetSuffix(QStringLiteral("%"));
  pb->Loaded();
  setFixedSize(260, 49);
  FormCreate();
}

void TfmPrgs::FormCreate() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  const QSize frame = frameGeometry().size();
  move(area.left() + area.width() - frame.width() - 15, area.top() + 15);
}

void TfmPrgs::FormShow() {
  setWindowTitle(FormingMode && FormingMode() ? QStringLiteral("Формирование отчета")
                                              : QStringLiteral("Прием отчета"));
}

void TfmPrgs::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TfmPrgs::BeginPhase(const QString& text, int recordCount) {
  if (!isVisible()) show();
  Label1->setText(text);
  pb->SetProgress(0);
  pb->SetMaxValue(recordCount < 0 ? 0 : recordCount);
  QApplication::processEvents();
}

void TfmPrgs::StepRecord() {
  pb->AddProgress(1);
  QApplication::processEvents();
}

void TfmPrgs::EndRun() {
  hide();
}

}  // namespace kelmo
