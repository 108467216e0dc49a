#include "skinwnd/title_buttons.h"

#include <QCursor>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

#include "winshim/non_client.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

TkTitleButton::TkTitleButton(TkTitleButtons* collection) : collection_(collection) {}

TkTitleButton::~TkTitleButton() = default;

int TkTitleButton::Index() const {
  return collection_ ? collection_->IndexOf(this) : -1;
}

void TkTitleButton::MouseDown(int button, int shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TkTitleButton::MouseUp(int button, int shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TkTitleButton::AssignTo(TkTitleButton* dest) const {
  if (!dest) throw std::invalid_argument("Cannot assign a TkTitleButton to a nil");
  dest->Enabled = Enabled;
  dest->Glyph = Glyph.copy();
  dest->Hint = Hint;
  dest->Name = Name;
  dest->UseSkinData = UseSkinData;
  dest->OnMouseDown = OnMouseDown;
  dest->OnMouseUp = OnMouseUp;
}

void TkTitleButton::ShowHintWnd() {
  HintWnd.reset();
  if (Hint.isEmpty()) return;
  auto hint = std::make_unique<QLabel>(
      Hint, nullptr, Qt::ToolTip | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
  hint->setAttribute(Qt::WA_ShowWithoutActivating);
  hint->setWordWrap(true);
  hint->setMaximumWidth(200);
  QPalette pal = hint->palette();
  const winshim::TColor info = winshim::GetSysColor(winshim::COLOR_INFOBK);
  pal.setColor(QPalette::Window,
               QColor(int(info & 0xFF), int(info >> 8 & 0xFF), int(info >> 16 & 0xFF)));
  hint->setPalette(pal);
  hint->setAutoFillBackground(true);
  hint->adjustSize();
  hint->resize(hint->width(), hint->height() + 4);
  hint->move(winshim::GetCursorPos() + QPoint(8, 16));
  hint->show();
  HintWnd = std::move(hint);
}

void TkTitleButton::HideHintWnd() {
  HintWnd.reset();
}

TkTitleButton* TkTitleButtons::Items(int index) const {
  return index >= 0 && index < Count() ? items_[std::size_t(index)].get() : nullptr;
}

TkTitleButton& TkTitleButtons::Add(const QString& name) {
  items_.push_back(std::make_unique<TkTitleButton>(this));
  items_.back()->Name = name.isEmpty() ? QStringLiteral("TkTitleButton") : name;
  return *items_.back();
}

void TkTitleButtons::Assign(const TkTitleButtons& other) {
  if (&other == this) return;
  items_.clear();
  for (int i = 0; i < other.Count(); ++i) other.Items(i)->AssignTo(&Add(other.Items(i)->Name));
}

int TkTitleButtons::IndexOf(const TkTitleButton* button) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[std::size_t(i)].get() == button) return i;
  return -1;
}

}  // namespace kelmo::skinwnd
