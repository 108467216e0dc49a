#include "skinwnd/control_queries.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "skin/skin_text.h"

namespace kelmo::skinwnd {

std::uint32_t StyleOf(ws::HWND wnd) {
  return ws::GetWindowLong(wnd, ws::GWL_STYLE);
}

std::uint32_t ExStyleOf(ws::HWND wnd) {
  return ws::GetWindowLong(wnd, ws::GWL_EXSTYLE);
}

bool WndVisible(ws::HWND wnd) {
  QWidget* w = ws::WidgetOf(wnd);
  return w && w->isVisible();
}

bool WndEnabled(ws::HWND wnd) {
  QWidget* w = ws::WidgetOf(wnd);
  return w && w->isEnabled();
}

unsigned ButtonStateOf(ws::HWND wnd) {
  ws::Msg m{BM_GETSTATE, 0, 0, 0};
  if (ws::DispatchMessage(wnd, m)) return unsigned(m.result);
  auto* button = qobject_cast<QAbstractButton*>(ws::WidgetOf(wnd));
  if (!button) return 0;
  unsigned state = 0;
  if (button->isDown()) state |= BST_PUSHED;
  if (button->hasFocus()) state |= BST_FOCUS;
  if (auto* check = qobject_cast<QCheckBox*>(button);
      check && check->checkState() == Qt::PartiallyChecked)
    state |= BST_INDETERMINATE;
  else if (button->isChecked())
    state |= BST_CHECKED;
  return state;
}

QFont FontOf(ws::HWND wnd) {
  ws::Msg m{WM_GETFONT, 0, 0, 0};
  if (ws::DispatchMessage(wnd, m) && m.result) return *reinterpret_cast<const QFont*>(m.result);
  QWidget* w = ws::WidgetOf(wnd);
  return w ? w->font() : QFont();
}

QImage StaticImageOf(ws::HWND wnd, bool icon) {
  ws::Msg m{icon ? STM_GETICON : STM_GETIMAGE, 0, 0, 0};
  if (ws::DispatchMessage(wnd, m))
    return m.result ? *reinterpret_cast<const QImage*>(m.result) : QImage();
  auto* label = qobject_cast<QLabel*>(ws::WidgetOf(wnd));
  return label ? label->pixmap().toImage() : QImage();
}

QPoint CursorPos() {
  return QCursor::pos();
}

bool CursorIn(const ws::Rect& r) {
  const QPoint p = CursorPos();
  return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
}

void SizeLinkCache(QImage& cache, QSize size) {
  if (cache.size() != size || cache.format() != QImage::Format_BGR888)
    cache = skin::CreateBmp24(std::max(1, size.width()), std::max(1, size.height()));
}

void BlitCache(ws::Dc* dc, ws::HWND wnd, const QImage& cache, const ws::Rect& part) {
  if (!dc) {
    Invalidate(wnd);
    return;
  }
  if (cache.isNull()) return;
  QImage& source = const_cast<QImage&>(cache);  // a memory DC only reads here
  ws::Dc src(source);
  dc->BitBlt(part.left, part.top, part.Width(), part.Height(), src, part.left, part.top,
             ws::SRCCOPY);
}

void BlitFrame(ws::Dc* dc, ws::HWND wnd, const QImage& cache, int b) {
  if (b <= 0 || cache.isNull()) return;
  if (!dc) {
    Invalidate(wnd);
    return;
  }
  QImage& source = const_cast<QImage&>(cache);
  ws::Dc src(source);
  skin::BitBltFrame(*dc, 0, 0, b, cache.height(), cache.width(), src, 0, 0);
}

void FadeDisabled(QImage& cache, const skin::TBgSource& bg) {
  if (bg.HasBitmap && bg.Bitmap) {
    const int x = bg.X, y = bg.Y;
    skin::BlendBmp(cache, 0, 0, skin::TColor(0xFF000000u), 0.4,
                   {x, y, x + cache.width() - 1, y + cache.height() - 1}, *bg.Bitmap);
  } else {
    skin::BlendBmpWithColor(cache, ws::ColorToRGB(bg.Color), skin::kTransparentKey, 0.4);
  }
}

int ShowPictureIn(ws::HWND child, QWidget* relativeTo, std::function<const QImage*()> provider) {
  auto shown = std::make_shared<bool>(false);  // the last erase showed the picture
  return ws::Subclass(
      child, [child, relativeTo = QPointer<QWidget>(relativeTo), shown,
              provider = std::move(provider)](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
        ws::Dc* dc = DcOf(m);
        QWidget* w = ws::WidgetOf(child);
        if ((m.msg != ws::WM_ERASEBKGND && m.msg != ws::WM_PAINT) || !dc || !w || !relativeTo) {
          next(m);
          return;
        }
        if (m.msg == ws::WM_ERASEBKGND) {
          const QImage* picture = provider();
          *shown = picture != nullptr;
          if (picture) {
            const QPoint at = w->mapTo(relativeTo, QPoint());
            QImage& source = const_cast<QImage&>(*picture);
            ws::Dc src(source);
            dc->BitBlt(0, 0, w->width(), w->height(), src, at.x(), at.y(), ws::SRCCOPY);
          }
        }
        if (!*shown) {
          next(m);
          return;
        }
        m.result = 1;
      });
}

void Invalidate(ws::HWND wnd) {
  if (QWidget* w = ws::WidgetOf(wnd)) w->update();
}

}  // namespace kelmo::skinwnd
