#include "skinwnd/scroll_bar.h"

#include <QWidget>
#include <algorithm>
#include <cstdlib>

#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_data.h"
#include "skin/skin_messages.h"
#include "skinwnd/scroll_wnd.h"
#include "winshim/dc.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

ScrollTracking& Tracking() {
  static ScrollTracking state;
  return state;
}

int ScrollBarSize() {
  return ws::GetSystemMetrics(ws::SM_CXHSCROLL);
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = static_cast<long long>(a) * b;
  long long q = p / c;
  // Rounded half away from zero.
  if (2 * std::llabs(p % c) >= std::llabs(static_cast<long long>(c)))
    q += (p < 0) != (c < 0) ? -1 : 1;
  return int(std::clamp<long long>(q, INT32_MIN, INT32_MAX));
}

void TkaScrollBar::ReadInfo() {
  Info.cbSize = 28;
  Info.fMask = ws::SIF_ALL;
  if (!Owner || !ws::GetScrollInfo(Owner->WndHandle, Kind, Info)) {
    Info = ws::SCROLLINFO{};
  }
}

namespace {

TkSkinManager* ManagerOf(const TkaScrollBar& bar) {
  if (!bar.Owner) return nullptr;
  if (bar.Owner->Manager) return bar.Owner->Manager;
  return bar.Owner->SkinLink ? bar.Owner->SkinLink->GetSkinManager() : nullptr;
}

// One image of a mask along its width or height.
int ImageLength(const TkMaskData& mask, bool width) {
  return width ? MaskImageWidth(mask) : MaskImageHeight(mask);
}

// A bar's extent along and across, and rectangles from along positions.
int AlongStart(const TkaScrollBar& bar, const Rect& r) {
  return bar.Kind == 0 ? r.left : r.top;
}
int AlongEnd(const TkaScrollBar& bar, const Rect& r) {
  return bar.Kind == 0 ? r.right : r.bottom;
}
Rect AlongRect(int kind, int from, int to, int across) {
  return kind == 0 ? Rect{from, 0, to, across} : Rect{0, from, across, to};
}

// The painting items of the skin's scroll sections.
struct Item {
  int section, mask, texture, hotTexture, glyph;
  const char* name;
};

Item ArrowItem(const TkConstData& c, int which) {
  static const char* names[] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT",
                                "SCROLLBTNRIGHT"};
  const std::size_t i = std::size_t(which);
  return {c.IndexScroll[i],      c.MaskScroll[i],  c.ScrollPattern[i],
          c.ScrollHotPattern[i], c.ScrollGlyph[i], names[i]};
}

Item SliderItem(const TkConstData& c, bool horizontal) {
  return horizontal ? Item{c.IndexSliderH,      c.MaskSliderH,  c.SliderHPattern,
                           c.SliderHHotPattern, c.SliderHGlyph, "SCROLLSLIDERH"}
                    : Item{c.IndexSliderV,      c.MaskSliderV,  c.SliderVPattern,
                           c.SliderVHotPattern, c.SliderVGlyph, "SCROLLSLIDERV"};
}

// Track halves: 1H, 1V, 2H, 2V.
Item TrackItem(const TkConstData& c, int which) {
  static const char* names[] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
  const std::size_t i = std::size_t(which);
  return {c.IndexScrollBar[i],
          c.MaskScrollBar[i],
          c.ScrollBarPattern[i],
          c.ScrollBarHotPattern[i],
          -1,
          names[i]};
}

// An arrow or slider: the item over what the bitmap holds at its place,
// then its glyph centred in the glyph area.
void PaintButtonItem(QImage& bitmap, const Rect& r, int state, TkSkinManager* m, const Item& item,
                     const Rect& glyphArea) {
  if (!m || r.IsEmpty()) return;
  QImage part = CreateBmp24(r.Width(), r.Height());
  const TBgSource bg = BgSourceFromBmp(&bitmap, r.left, r.top);
  const Rect all{0, 0, r.Width(), r.Height()};
  PaintItemWithMask(item.section, item.mask, item.texture, m, part, {0, 0}, all, state, true, bg,
                    QString::fromLatin1(item.name), item.hotTexture);
  PaintGlyphCentered(part, item.glyph, state, glyphArea, m);
  ws::Dc target(bitmap), source(part);
  target.BitBlt(r.left, r.top, r.Width(), r.Height(), source, 0, 0, ws::SRCCOPY);
}

}  // namespace

int ScrollBarPartSize(const TkaScrollBar& bar, int part, bool skinned) {
  if (bar.Kind != 0 && bar.Kind != 1) return 0;
  if (part == 1) {
    if (bar.ThicknessSetting >= 0) return bar.ThicknessSetting;
    return -bar.ThicknessSetting *
           ws::GetSystemMetrics(bar.Kind == 0 ? ws::SM_CYHSCROLL : ws::SM_CXVSCROLL);
  }
  if (bar.ArrowLenSetting >= 0) return bar.ArrowLenSetting;
  int length = ScrollBarSize();
  const TkSkinManager* m = ManagerOf(bar);
  if (skinned && m) {
    const TkConstData& c = m->ConstData;
    // The skin's own arrow buttons may be longer than the system's.
    const int left = c.IndexScroll[2], leftMask = c.MaskScroll[2], topMask = c.MaskScroll[0];
    if (m->IsValidSkinIndex(left) && m->gd[std::size_t(left)].ReservedBoolean &&
        m->IsValidImgIndex(leftMask)) {
      if (bar.Kind == 0)
        length = std::max(length, ImageLength(m->ma[std::size_t(leftMask)], true));
      else if (m->IsValidImgIndex(topMask))
        length = std::max(length, ImageLength(m->ma[std::size_t(topMask)], false));
    }
  }
  return -bar.ArrowLenSetting * length;
}

bool SetMinThumbSize(ws::HWND wnd, int which, int size) {
  auto* wrapper = dynamic_cast<TkaScrollWnd*>(WrapperOfWnd(wnd));
  if (!wrapper || !wrapper->HorzBar || !wrapper->VertBar) return false;
  if (which == 0 || which == 3) wrapper->HorzBar->MinThumb = size;
  if (which == 1 || which == 3) wrapper->VertBar->MinThumb = size;
  return true;
}

TkaScrollBar* ScrollBarOfWnd(ws::HWND wnd, int kind) {
  auto* wrapper = dynamic_cast<TkaScrollWnd*>(WrapperOfWnd(wnd));
  if (!wrapper) return nullptr;
  if (kind == 0) return wrapper->HorzBar.get();
  if (kind == 1) return wrapper->VertBar.get();
  return nullptr;
}

void ThumbGeometry(const TkaScrollBar& bar, const Rect& r, int& size, int& start) {
  const int a = ScrollBarPartSize(bar, 0, false);
  const int length = AlongEnd(bar, r) - AlongStart(bar, r) - 2 * a;
  const ws::SCROLLINFO& i = bar.Info;
  const unsigned range = unsigned(i.nMax) - unsigned(i.nMin);
  const bool huge = range > 0x7FFFFFFEu;
  if (i.nPage == 0)
    size = a;
  else if (huge)
    size = 0;
  else
    size = std::max(MulDiv(int(i.nPage), length, int(range) + 1), bar.MinThumb);
  int p = 0;
  if (!huge) {
    const int page = i.nPage ? int(i.nPage) : 1;
    p = MulDiv(i.nPos - i.nMin, length - size, int(range) - page + 1);
    p = std::clamp(p, 0, std::max(0, length - size));
  }
  start = AlongStart(bar, r) + a + p;
}

int HitTestBar(const TkaScrollBar& bar, ws::HWND, const Rect& r, int x, int y) {
  const int across = bar.Kind == 0 ? y : x, along = bar.Kind == 0 ? x : y;
  const int acrossStart = bar.Kind == 0 ? r.top : r.left;
  const int acrossEnd = bar.Kind == 0 ? r.bottom : r.right;
  if (across < acrossStart || across >= acrossEnd) return sbpNone;
  const int a = ScrollBarPartSize(bar, 0, false);
  const int start = AlongStart(bar, r), end = AlongEnd(bar, r), w = end - start;
  const int b = 2 * a < w ? a : w / 2;
  if (along >= start && along < start + b) return sbpFirstArrow;
  if (along >= end - b && along < end) return sbpSecondArrow;
  int size = 0, thumb = 0;
  ThumbGeometry(bar, r, size, thumb);
  if (size >= w - 2 * a) return sbpNone;
  if (along >= thumb && along < thumb + size) return sbpThumb;
  if (along >= start + b && along < thumb) return sbpTrackBefore;
  if (along >= thumb + size && along < end - b) return sbpTrackAfter;
  return sbpNone;
}

bool IsBarActive(const TkaScrollBar& bar) {
  if (!bar.Owner) return false;
  ws::SCROLLBARINFO info;
  const std::int32_t object = bar.Kind == 0   ? ws::OBJID_HSCROLL
                              : bar.Kind == 1 ? ws::OBJID_VSCROLL
                                              : ws::OBJID_CLIENT;
  return ws::GetScrollBarInfo(bar.Owner->WndHandle, object, info) &&
         !(info.rgstate[0] & ws::STATE_SYSTEM_UNAVAILABLE);
}

QImage BarCanvas(TkaScrollBar& bar, ws::HWND wnd, const Rect& r, const BarLook& look) {
  TkSkinManager* m = ManagerOf(bar);
  QImage canvas = CreateBmp24(r.Width(), r.Height());
  if (!m) return canvas;
  const TkConstData& c = m->ConstData;
  const bool horizontal = bar.Kind == 0;
  const int along = horizontal ? r.Width() : r.Height();
  const int across = horizontal ? r.Height() : r.Width();
  // Transparent skin pixels show the window's own background.
  TParentBgInfo info;
  GetControlBgInfo(info, ws::WidgetOf(wnd), false);
  TBgSource bg = BgInfoToSource(info);
  const QPoint shift = bar.Owner ? bar.Owner->BarBgOffset() : QPoint();
  const QPoint at = QPoint(r.left, r.top) + shift;
  auto track = [&](const Item& item, int from, int to, int state) {
    const Rect pr = AlongRect(bar.Kind, from, to, across);
    if (pr.IsEmpty()) return;
    PaintItemWithMask(item.section, item.mask, item.texture, m, canvas,
                      at + QPoint(pr.left, pr.top), pr, state, true, bg,
                      QString::fromLatin1(item.name), item.hotTexture);
  };
  track(TrackItem(c, horizontal ? 0 : 1), 0, look.split, look.track1);
  track(TrackItem(c, horizontal ? 2 : 3), look.split, along, look.track2);
  const Rect first = AlongRect(bar.Kind, 0, look.arrow1Len, across);
  const Rect second = AlongRect(bar.Kind, along - look.arrow2Len, along, across);
  if (horizontal) {
    PaintArrowLeft(canvas, first, look.arrow1, m);
    PaintArrowRight(canvas, second, look.arrow2, m);
  } else {
    PaintArrowTop(canvas, first, look.arrow1, m);
    PaintArrowBottom(canvas, second, look.arrow2, m);
  }
  if (look.thumb >= 0) {
    const Rect thumb =
        AlongRect(bar.Kind, look.thumbStart, look.thumbStart + look.thumbSize, across);
    if (horizontal)
      PaintSliderH(canvas, thumb, look.thumb, m);
    else
      PaintSliderV(canvas, thumb, look.thumb, m);
  }
  return canvas;
}

bool PaintBar(TkaScrollBar& bar, ws::HWND wnd, ws::Dc& dc, int thumbStart, int pressed,
              const Rect& r) {
  TkaScrollWnd* owner = bar.Owner;
  TkSkinManager* m = ManagerOf(bar);
  const bool horizontal = bar.Kind == 0;
  if (!owner || owner->DraggingThumb || !bar.Shown || !m) return false;
  if (!m->IsValidSkinIndex(m->ConstData.IndexScrollBar[horizontal ? 0 : 1])) return false;
  if ((horizontal ? r.Width() : r.Height()) <= 1) return false;
  if (!horizontal && owner->SendingScroll) return false;
  bar.ReadInfo();
  const int a = ScrollBarPartSize(bar, 0, true);
  const int w = horizontal ? r.Width() : r.Height();
  if (w <= 0) return false;

  QWidget* control = owner->SkinLink ? owner->SkinLink->Owner() : nullptr;
  const bool active = IsBarActive(bar) && (owner->OwnsLink || !control || control->isEnabled());
  const ScrollTracking& t = Tracking();
  const bool tracked = wnd == t.TrackWnd;
  const bool hovered = tracked && t.HoverBar == bar.Kind && active;
  const bool hot1 = hovered && t.HoverPart == sbpFirstArrow;
  const bool hot2 = hovered && t.HoverPart == sbpSecondArrow;
  const bool hotThumb = hovered && t.HoverPart == sbpThumb;
  if (!tracked) pressed = sbpNone;

  int size = 0, start = 0;
  ThumbGeometry(bar, r, size, start);
  if (thumbStart != -1) start = thumbStart;
  const int along0 = horizontal ? r.left : r.top;

  BarLook look;
  look.arrow1 = tracked ? (pressed == sbpFirstArrow ? 2 : hot1 ? 1 : 0) : 0;
  look.arrow2 = tracked ? (pressed == sbpSecondArrow ? 2 : hot2 ? 1 : 0) : 0;
  if (2 * a < w) {
    look.split = start + size / 2 - along0;
    look.track1 = pressed == sbpTrackBefore ? 2 : 0;
    look.track2 = pressed == sbpTrackAfter ? 2 : 0;
    look.arrow1Len = look.arrow2Len = a;
    const int s = std::max(MulDiv(int(bar.Info.nPage), w - 2 * a, bar.Info.nMax - bar.Info.nMin),
                           bar.MinThumb);
    if (active && w - 2 * a >= s && size > 0) {
      look.thumb = hotThumb ? 1 : 0;
      look.thumbStart = start - along0;
      look.thumbSize = size;
    }
  } else {
    look.split = w / 2;
    look.arrow1Len = w / 2;
    look.arrow2Len = w - w / 2;
  }
  QImage canvas = BarCanvas(bar, wnd, r, look);

  if (!active) {
    // An unavailable bar fades toward the window's background.
    TParentBgInfo info;
    GetControlBgInfo(info, ws::WidgetOf(wnd), false);
    const TBgSource bg = BgInfoToSource(info);
    if (bg.HasBitmap && bg.Bitmap) {
      const QPoint shift = owner->BarBgOffset();
      const int x = bg.X + r.left + shift.x(), y = bg.Y + r.top + shift.y();
      BlendBmp(canvas, 0, 0, 0, 0.6, {x, y, x + r.Width() - 1, y + r.Height() - 1}, *bg.Bitmap);
    } else {
      BlendRoundRectSteps(canvas, {0, 0, r.Width(), r.Height()}, 60, 0, 0, bg.Color);
    }
  }
  ws::Dc source(canvas);
  dc.BitBlt(r.left, r.top, r.Width(), r.Height(), source, 0, 0, ws::SRCCOPY);
  return true;
}

void PaintGlyphCentered(QImage& bitmap, int glyphMask, int state, const Rect& r, TkSkinManager* m) {
  if (!m || !m->IsValidImgIndex(glyphMask)) return;
  const TkMaskData& mask = m->ma[std::size_t(glyphMask)];
  if (mask.ImageCount <= 0) return;
  const int gw = MaskImageWidth(mask), gh = MaskImageHeight(mask);
  const QPoint at(r.left + (r.Width() - gw) / 2, r.top + (r.Height() - gh) / 2);
  PaintMaskImage(bitmap, at, state, mask, BgSourceFromBmp(&bitmap, 0, 0), 1);
}

void PaintArrowTop(QImage& bitmap, const Rect& r, int state, TkSkinManager* m) {
  if (!m) return;
  PaintButtonItem(bitmap, r, state, m, ArrowItem(m->ConstData, 0),
                  {0, 0, r.Width(), ScrollBarSize()});
}

void PaintArrowBottom(QImage& bitmap, const Rect& r, int state, TkSkinManager* m) {
  if (!m) return;
  PaintButtonItem(bitmap, r, state, m, ArrowItem(m->ConstData, 1),
                  {0, r.Height() - ScrollBarSize(), r.Width(), r.Height()});
}

void PaintArrowLeft(QImage& bitmap, const Rect& r, int state, TkSkinManager* m) {
  if (!m) return;
  PaintButtonItem(bitmap, r, state, m, ArrowItem(m->ConstData, 2),
                  {0, 0, ScrollBarSize(), r.Height()});
}

void PaintArrowRight(QImage& bitmap, const Rect& r, int state, TkSkinManager* m) {
  if (!m) return;
  PaintButtonItem(bitmap, r, state, m, ArrowItem(m->ConstData, 3),
                  {r.Width() - ScrollBarSize(), 0, r.Width(), r.Height()});
}

void PaintSliderH(QImage& bitmap, const Rect& r, int state, TkSkinManager* m) {
  if (!m) return;
  PaintButtonItem(bitmap, r, state, m, SliderItem(m->ConstData, true),
                  {0, 0, r.Width(), r.Height()});
}

void PaintSliderV(QImage& bitmap, const Rect& r, int state, TkSkinManager* m) {
  if (!m) return;
  PaintButtonItem(bitmap, r, state, m, SliderItem(m->ConstData, false),
                  {0, 0, r.Width(), r.Height()});
}

}  // namespace kelmo::skinwnd
