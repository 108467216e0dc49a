// Scroll data over the QScrollBars of a scroll area.
#include "winshim/scroll_info.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace kelmo::winshim {

namespace {

QScrollBar* BarOf(HWND hwnd, int bar) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return nullptr;
  if (bar == SB_CTL) return qobject_cast<QScrollBar*>(w);
  auto* area = qobject_cast<QAbstractScrollArea*>(w);
  if (!area) return nullptr;
  if (bar == SB_HORZ) return area->horizontalScrollBar();
  if (bar == SB_VERT) return area->verticalScrollBar();
  return nullptr;
}

int BarOfObject(std::int32_t object) {
  return object == OBJID_HSCROLL ? SB_HORZ : object == OBJID_VSCROLL ? SB_VERT : SB_CTL;
}

}  // namespace

bool GetScrollInfo(HWND hwnd, int bar, SCROLLINFO& info) {
  QScrollBar* b = BarOf(hwnd, bar);
  if (!b) return false;
  const int page = std::max(b->pageStep(), 0);
  if (info.fMask & SIF_RANGE) {
    info.nMin = b->minimum();
    // The last position is nMax - nPage + 1.
    info.nMax = b->maximum() + std::max(page, 1) - 1;
  }
  if (info.fMask & SIF_PAGE) info.nPage = unsigned(page);
  if (info.fMask & SIF_POS) info.nPos = b->value();
  if (info.fMask & SIF_TRACKPOS) info.nTrackPos = b->sliderPosition();
  return true;
}

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO& info, bool /*redraw*/) {
  QScrollBar* b = BarOf(hwnd, bar);
  if (!b) return 0;
  if (info.fMask & SIF_PAGE) b->setPageStep(int(info.nPage));
  if (info.fMask & SIF_RANGE) {
    const int page = std::max(b->pageStep(), 1);
    b->setRange(info.nMin, std::max(info.nMin, info.nMax - page + 1));
  }
  if (info.fMask & SIF_POS) b->setValue(info.nPos);
  return b->value();
}

bool GetScrollBarInfo(HWND hwnd, std::int32_t object, SCROLLBARINFO& info) {
  QScrollBar* b = BarOf(hwnd, BarOfObject(object));
  if (!b) return false;
  info = SCROLLBARINFO{};
  if (!b->isEnabled()) info.rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
  return true;
}

namespace detail {

void DefaultScroll(HWND hwnd, const Msg& msg) {
  QScrollBar* b = BarOf(hwnd, msg.msg == WM_HSCROLL ? SB_HORZ : SB_VERT);
  if (!b) return;
  const int code = LoWord(msg.wParam);
  // The 16-bit position field; its clipped value leaves the position set
  // before the message.
  const int pos = HiWord(msg.wParam);
  switch (code) {
    case SB_LINEUP:
      b->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case SB_LINEDOWN:
      b->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case SB_PAGEUP:
      b->triggerAction(QAbstractSlider::SliderPageStepSub);
      break;
    case SB_PAGEDOWN:
      b->triggerAction(QAbstractSlider::SliderPageStepAdd);
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      if (pos != 0xFFFF) b->setValue(pos);
      break;
    case SB_TOP:
      b->triggerAction(QAbstractSlider::SliderToMinimum);
      break;
    case SB_BOTTOM:
      b->triggerAction(QAbstractSlider::SliderToMaximum);
      break;
    default:
      break;
  }
}

}  // namespace detail

}  // namespace kelmo::winshim
