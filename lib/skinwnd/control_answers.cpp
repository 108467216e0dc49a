#include "skinwnd/control_answers.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <cstdlib>

#include "skinwnd/control_messages.h"
#include "winshim/dc.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using ws::Msg;
using ws::Rect;

namespace {

const QString kAnsweredProp = QStringLiteral("kelmoControlAnswers");
// A divider takes this many pixels on each side of a section's edge.
constexpr int kDividerHalf = 3;

QHeaderView* HorizontalHeaderOf(QWidget* w) {
  if (auto* table = qobject_cast<QTableView*>(w)) return table->horizontalHeader();
  if (auto* tree = qobject_cast<QTreeView*>(w)) return tree->header();
  return nullptr;
}

bool AnswerHeader(QHeaderView& h, Msg& m) {
  switch (m.msg) {
    case HDM_GETITEMCOUNT:
      m.result = h.count();
      return true;
    case HDM_GETITEMRECT: {
      const int i = int(m.wParam);
      auto* r = reinterpret_cast<Rect*>(m.lParam);
      m.result = 0;
      if (!r || i < 0 || i >= h.count() || h.isSectionHidden(i)) return true;
      const int pos = h.sectionViewportPosition(i);
      *r = {pos, 0, pos + h.sectionSize(i), h.height()};
      m.result = 1;
      return true;
    }
    case HDM_ORDERTOINDEX:
      m.result = h.logicalIndex(int(m.wParam));
      return true;
    case HDM_GETORDERARRAY: {
      auto* order = reinterpret_cast<int*>(m.lParam);
      const int n = std::min(int(m.wParam), h.count());
      for (int v = 0; order && v < n; ++v) order[v] = h.logicalIndex(v);
      m.result = order && int(m.wParam) >= h.count() ? 1 : 0;
      return true;
    }
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HdHitTestInfo*>(m.lParam);
      if (!info) return true;
      info->flags = HHT_NOWHERE;
      info->iItem = -1;
      const int x = info->pt.x();
      for (int v = 0; v < h.count(); ++v) {
        const int i = h.logicalIndex(v);
        if (h.isSectionHidden(i)) continue;
        const int right = h.sectionViewportPosition(i) + h.sectionSize(i);
        if (std::abs(x - right) <= kDividerHalf) {
          info->flags = HHT_ONDIVIDER;
          info->iItem = i;
        }
      }
      if (info->flags == HHT_NOWHERE && x >= 0 && info->pt.y() >= 0 && info->pt.y() < h.height()) {
        info->iItem = h.logicalIndexAt(x);
        if (info->iItem >= 0) info->flags = HHT_ONHEADER;
      }
      m.result = info->iItem;
      return true;
    }
    case HDM_GETITEM: {
      auto* item = reinterpret_cast<HdItem*>(m.lParam);
      const int i = int(m.wParam);
      m.result = 0;
      if (!item || i < 0 || i >= h.count() || !h.model()) return true;
      if (item->mask & HDI_TEXT)
        item->text = h.model()
                         ->headerData(i, h.orientation(), Qt::DisplayRole)
                         .toString()
                         .left(std::max(0, item->cchTextMax - 1));
      if (item->mask & HDI_FORMAT) {
        const QVariant a = h.model()->headerData(i, h.orientation(), Qt::TextAlignmentRole);
        const Qt::Alignment align = a.isValid() ? Qt::Alignment(a.toInt()) : h.defaultAlignment();
        int fmt = align & Qt::AlignRight     ? HDF_RIGHT
                  : align & Qt::AlignHCenter ? HDF_CENTER
                                             : HDF_LEFT;
        if (h.isSortIndicatorShown() && h.sortIndicatorSection() == i)
          fmt |= h.sortIndicatorOrder() == Qt::AscendingOrder ? HDF_SORTUP : HDF_SORTDOWN;
        if (h.model()->headerData(i, h.orientation(), Qt::DecorationRole).isValid())
          fmt |= HDF_IMAGE;
        item->fmt = fmt;
      }
      if (item->mask & HDI_IMAGE) item->iImage = i;
      m.result = 1;
      return true;
    }
    default:
      return false;
  }
}

// Scrolls one bar of the view by a distance in pixels; a bar that moves by
// items moves by whole items (toward zero), as a list view in report view does.
void ScrollBy(QScrollBar* bar, int pixels, bool perPixel, int unit) {
  if (!bar || pixels == 0) return;
  bar->setValue(bar->value() + (perPixel ? pixels : unit > 0 ? pixels / unit : 0));
}

bool AnswerListView(QAbstractItemView& v, Msg& m) {
  auto setRole = [&v](QPalette::ColorRole role, ws::ColorRef c) {
    // A list that paints on each paint sets the same colours each time.
    if (v.palette().color(role) == ws::ToQColor(c)) return;
    QPalette p = v.palette();
    p.setColor(role, ws::ToQColor(c));
    v.setPalette(p);
  };
  switch (m.msg) {
    case LVM_GETVIEW: {
      QHeaderView* header = HorizontalHeaderOf(&v);
      m.result = header && !header->isHidden() ? LV_VIEW_DETAILS : LV_VIEW_LIST;
      return true;
    }
    case LVM_GETBKCOLOR:
      m.result = ws::FromQColor(v.palette().color(QPalette::Base));
      return true;
    case LVM_GETTEXTCOLOR:
      m.result = ws::FromQColor(v.palette().color(QPalette::Text));
      return true;
    case LVM_SETBKCOLOR:
      setRole(QPalette::Base, ws::ColorRef(m.lParam));
      m.result = 1;
      return true;
    case LVM_SETTEXTCOLOR:
      setRole(QPalette::Text, ws::ColorRef(m.lParam));
      m.result = 1;
      return true;
    case LVM_SETTEXTBKCOLOR:
      // Qt items are drawn on the view's base colour: nothing of its own.
      m.result = 1;
      return true;
    case LVM_GETITEMRECT: {
      auto* r = reinterpret_cast<Rect*>(m.lParam);
      m.result = 0;
      if (!r || !v.model() || int(m.wParam) >= v.model()->rowCount()) return true;
      QRect bounds;
      for (int c = 0; c < v.model()->columnCount(); ++c)
        bounds |= v.visualRect(v.model()->index(int(m.wParam), c));
      if (bounds.isEmpty()) return true;
      *r = {bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1};
      m.result = 1;
      return true;
    }
    case LVM_SCROLL: {
      const QRect first =
          v.model() && v.model()->rowCount() > 0 ? v.visualRect(v.model()->index(0, 0)) : QRect();
      ScrollBy(v.horizontalScrollBar(), int(ws::LPARAM(m.wParam)),
               v.horizontalScrollMode() == QAbstractItemView::ScrollPerPixel, first.width());
      ScrollBy(v.verticalScrollBar(), int(m.lParam),
               v.verticalScrollMode() == QAbstractItemView::ScrollPerPixel, first.height());
      m.result = 1;
      return true;
    }
    default:
      return false;
  }
}

bool AnswerComboBox(QComboBox& c, Msg& m) {
  switch (m.msg) {
    case CB_GETCOUNT:
      m.result = c.count();
      return true;
    case CB_GETCURSEL:
      m.result = c.currentIndex();
      return true;
    case CB_GETLBTEXTLEN:
      m.result = int(m.wParam) < c.count() ? c.itemText(int(m.wParam)).size() : -1;
      return true;
    case CB_GETLBTEXT:
      if (auto* text = reinterpret_cast<QString*>(m.lParam); text && int(m.wParam) < c.count()) {
        *text = c.itemText(int(m.wParam));
        m.result = text->size();
      } else {
        m.result = -1;
      }
      return true;
    case CB_GETITEMHEIGHT: {
      const int row = c.view() ? c.view()->sizeHintForRow(0) : -1;
      m.result = row > 0 ? row : c.fontMetrics().height();
      return true;
    }
    case CB_GETDROPPEDSTATE:
      m.result = c.view() && c.view()->isVisible() ? 1 : 0;
      return true;
    case WM_GETTEXTLENGTH:
      m.result = c.currentText().size();
      return true;
    case ws::WM_GETTEXT:
      if (auto* text = reinterpret_cast<QString*>(m.lParam)) *text = c.currentText();
      m.result = c.currentText().size();
      return true;
    default:
      return false;
  }
}

// Before the list of a combo box shows, it asks its combo box for its
// colours: the text colour set on the DC and the brush answered.
void AskListColours(ws::HWND combo, ws::HWND list) {
  QWidget* view = ws::WidgetOf(list);
  if (!view) return;
  QImage pixel(1, 1, QImage::Format_BGR888);
  ws::Dc dc(pixel);
  const ws::ColorRef text = ws::FromQColor(view->palette().color(QPalette::Text));
  dc.SetTextColor(text);
  const auto* brush = reinterpret_cast<const ws::Brush*>(
      ws::SendMessage(combo, WM_CTLCOLORLISTBOX, ws::WPARAM(&dc), ws::LPARAM(list)));
  if (!brush) return;
  QPalette p = view->palette();
  p.setColor(QPalette::Base, ws::ToQColor(brush->color));
  p.setColor(QPalette::Text, ws::ToQColor(dc.GetTextColor()));
  view->setPalette(p);
}

void AddStyle(ws::HWND wnd, int index, std::uint32_t bits) {
  ws::SetWindowLong(wnd, index, ws::GetWindowLong(wnd, index) | bits);
}

}  // namespace

void AnswerControlMessages(ws::HWND wnd) {
  QWidget* w = ws::WidgetOf(wnd);
  if (!w || ws::GetProp(wnd, kAnsweredProp)) return;
  if (w->layoutDirection() == Qt::RightToLeft) AddStyle(wnd, ws::GWL_EXSTYLE, WS_EX_RTLREADING);
  if (auto* header = qobject_cast<QHeaderView*>(w)) {
    if (header->sectionsMovable()) AddStyle(wnd, ws::GWL_STYLE, HDS_DRAGDROP);
    ws::Subclass(wnd, [header](ws::HWND, Msg& m, const ws::NextHandler& next) {
      if (!AnswerHeader(*header, m)) next(m);
    });
  } else if (auto* view = qobject_cast<QAbstractItemView*>(w);
             view && ws::GetClassName(wnd) == QLatin1String("SysListView32")) {
    ws::Subclass(wnd, [view](ws::HWND, Msg& m, const ws::NextHandler& next) {
      if (!AnswerListView(*view, m)) next(m);
    });
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    AddStyle(wnd, ws::GWL_STYLE, combo->isEditable() ? CBS_DROPDOWN : CBS_DROPDOWNLIST);
    ws::Subclass(wnd, [combo](ws::HWND, Msg& m, const ws::NextHandler& next) {
      if (!AnswerComboBox(*combo, m)) next(m);
    });
    if (combo->view()) {
      const ws::HWND list = ws::HandleOf(combo->view());
      ws::Subclass(list, [wnd](ws::HWND self, Msg& m, const ws::NextHandler& next) {
        if (m.msg == ws::WM_SHOWWINDOW && m.wParam) AskListColours(wnd, self);
        next(m);
      });
    }
  } else {
    return;
  }
  ws::SetProp(wnd, kAnsweredProp, 1);
}

ws::HWND HeaderPaintWindow(ws::HWND header) {
  auto* h = qobject_cast<QHeaderView*>(ws::WidgetOf(header));
  return h ? ws::HandleOf(h->viewport()) : 0;
}

}  // namespace kelmo::skinwnd
