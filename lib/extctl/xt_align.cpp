// Edge alignment of child widgets.
#include "xt_align.h"

#include <QWidget>

namespace {

constexpr char kAlignProperty[] = "xtAlign";

}  // namespace

TAlign ControlAlign(const QWidget* widget) {
  if (widget == nullptr) return TAlign::alNone;
  const QVariant v = widget->property(kAlignProperty);
  return v.isValid() ? static_cast<TAlign>(v.toInt()) : TAlign::alNone;
}

void SetControlAlign(QWidget* widget, TAlign align) {
  if (widget == nullptr) return;
  widget->setProperty(kAlignProperty, static_cast<int>(align));
  RealignChildren(widget->parentWidget());
}

void RealignChildren(QWidget* parent) {
  if (parent == nullptr) return;
  if (auto* layout = qobject_cast<TXtAlignLayout*>(parent->layout()))
    layout->setGeometry(parent->contentsRect());
}

TXtAlignLayout::TXtAlignLayout(QWidget* parent) : QLayout(parent) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
}

TXtAlignLayout::~TXtAlignLayout() = default;

void TXtAlignLayout::addItem(QLayoutItem* item) {
  items_.emplace_back(item);
}

QLayoutItem* TXtAlignLayout::itemAt(int index) const {
  return index >= 0 && index < static_cast<int>(items_.size()) ? items_[index].get() : nullptr;
}

QLayoutItem* TXtAlignLayout::takeAt(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  QLayoutItem* item = items_[index].release();  // the caller owns it now
  items_.erase(items_.begin() + index);
  return item;
}

int TXtAlignLayout::count() const {
  return static_cast<int>(items_.size());
}

QSize TXtAlignLayout::sizeHint() const {
  return minimumSize();
}

QSize TXtAlignLayout::minimumSize() const {
  return QSize(0, 0);
}

void TXtAlignLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  QRect rest = rect;
  for (TAlign pass :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (const auto& item : items_) {
      QWidget* w = item->widget();
      if (w == nullptr || w->isHidden() || ControlAlign(w) != pass) continue;
      switch (pass) {
        case TAlign::alTop:
          w->setGeometry(rest.left(), rest.top(), rest.width(), w->height());
          rest.setTop(rest.top() + w->height());
          break;
        case TAlign::alBottom:
          w->setGeometry(rest.left(), rest.bottom() + 1 - w->height(), rest.width(), w->height());
          rest.setBottom(rest.bottom() - w->height());
          break;
        case TAlign::alLeft:
          w->setGeometry(rest.left(), rest.top(), w->width(), rest.height());
          rest.setLeft(rest.left() + w->width());
          break;
        case TAlign::alRight:
          w->setGeometry(rest.right() + 1 - w->width(), rest.top(), w->width(), rest.height());
          rest.setRight(rest.right() - w->width());
          break;
        case TAlign::alClient:
          w->setGeometry(rest);
          break;
        default:
          break;
      }
    }
  }
}
