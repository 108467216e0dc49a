// The splash window.
#include "connect_window.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace kelmo {

TfmConnect::TfmConnect(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("fmConnect"));
  setFixedSize(206, 74);
  Image1 = new QLabel(this);
  Image1->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
  Label1 = new QLabel(QStringLiteral("Подключение..."), this);
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);
  Label2 = new QLabel(QStringLiteral("Пожалуйста, подождите"), this);
  auto* texts = new QVBoxLayout;
  texts->addWidget(Label1);
  texts->addWidget(Label2);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Image1);
  layout->addLayout(texts);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - rect().center());
  }
}

void TfmConnect::ShowNow() {
  show();
  repaint();
}

}  // namespace kelmo
