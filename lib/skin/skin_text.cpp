#include "skin/skin_text.h"

#include <QFontMetrics>
#include <QWidget>

#include "skin/paint_primitives.h"
#include "skin/skin_link.h"
#include "winshim/draw_text.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {

using winshim::Dc;

void FillDCRect(Dc& dc, const Rect& rect, TColor color) {
  dc.SaveDC();
  winshim::FillSolidRect(dc, rect, winshim::ColorToRGB(color));
  dc.RestoreDC(-1);
}

void FillDCFrame(Dc& dc, const Rect& r, TColor color, int left, int top, int right, int bottom) {
  dc.SaveDC();
  const winshim::ColorRef c = winshim::ColorToRGB(color);
  winshim::FillSolidRect(dc, {r.left, r.top, r.right, r.top + top}, c);
  winshim::FillSolidRect(dc, {r.left, r.top + top, r.left + left, r.bottom}, c);
  winshim::FillSolidRect(dc, {r.left + left, r.bottom - bottom, r.right, r.bottom}, c);
  winshim::FillSolidRect(dc, {r.right - right, r.top + top, r.right, r.bottom - bottom}, c);
  dc.RestoreDC(-1);
}

void BitBltFrame(Dc& target, int x, int y, int b, int h, int w, const Dc& source, int sx, int sy) {
  target.BitBlt(x, y, b, h, source, sx, sy, winshim::SRCCOPY);
  target.BitBlt(x + b, y, w - b, b, source, sx + b, sy, winshim::SRCCOPY);
  target.BitBlt(x + w - b, y + b, b, h - b, source, sx + w - b, sy + b, winshim::SRCCOPY);
  target.BitBlt(x + b, y + h - b, w - 2 * b, b, source, sx + b, sy + h - b, winshim::SRCCOPY);
}

void ExcludeGraphicControls(Dc& dc, const QWidget* parent, int yOffset, int xOffset) {
  if (!parent) return;
  for (const QObject* o : parent->children()) {
    const auto* w = qobject_cast<const QWidget*>(o);
    if (!w || !w->isVisible() || !w->property("kelmoGraphicControl").toBool()) continue;
    const QRect g = w->geometry();
    dc.ExcludeClipRect(g.left() + xOffset, g.top() + yOffset, g.right() + 1 + xOffset,
                       g.bottom() + 1 + yOffset);
  }
}

QString CutTextToWidth(const QFont& font, const QString& text, int maxWidth) {
  if (maxWidth <= 0) return {};
  const QFontMetrics fm(font);
  if (fm.horizontalAdvance(text) <= maxWidth) return text;
  QString s = text;
  const QString dots = QStringLiteral("...");
  while (!s.isEmpty()) {
    s.chop(1);
    if (fm.horizontalAdvance(s + dots) <= maxWidth) break;
  }
  return s.isEmpty() ? QString() : s + dots;
}

int DrawTextStr(Dc& dc, const QString& text, Rect& rect, unsigned format) {
  return winshim::DrawText(dc, text, rect, format);
}

int TextWidthOf(const QFont& font, const QString& text) {
  return QFontMetrics(font).horizontalAdvance(text);
}

QSize TextExtentOf(const QFont& font, const QString& text) {
  const QFontMetrics fm(font);
  return {fm.horizontalAdvance(text), fm.height()};
}

void TextRectOut(Dc& dc, const Rect& rect, int x, int y, const QString& text) {
  dc.ExtTextOut(x, y, 4, &rect, text);
}

namespace {

// Four contour passes (left, up, right, down; -1 skipped), then the text.
void DrawWithContour(Dc& dc, const QString& text, const std::array<std::int32_t, 5>& colors,
                     unsigned format, const Rect& rect) {
  const int dx[4] = {-1, 0, 1, 0}, dy[4] = {0, -1, 0, 1};
  for (int k = 0; k < 4; ++k) {
    if (colors[std::size_t(k + 1)] == -1) continue;
    dc.SetTextColor(winshim::ColorToRGB(colors[std::size_t(k + 1)]));
    Rect r = rect.Offset(dx[k], dy[k]);
    winshim::DrawText(dc, text, r, format);
  }
  dc.SetTextColor(winshim::ColorToRGB(colors[0]));
  Rect r = rect;
  winshim::DrawText(dc, text, r, format);
}

}  // namespace

void DrawSectionTextBuf(Dc& dc, const QString& text, bool enabled, const TkSkinManager* manager,
                        bool hot, int sectionIndex, unsigned format, Rect rect) {
  if (!TkSkinManager::Default()) return;
  const TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (!m->IsValidSkinIndex(sectionIndex)) return;
  dc.SetBkMode(winshim::TRANSPARENT);
  if (text.isEmpty()) return;
  const TkGeneralData& s = m->gd[std::size_t(sectionIndex)];
  if (enabled) {
    DrawWithContour(dc, text, hot ? s.HotFontColor : s.FontColor, format, rect);
  } else {
    dc.SetTextColor(winshim::ColorToRGB(MixColors(s.FontColor[0], s.Color, 0.4)));
    winshim::DrawText(dc, text, rect, format);
  }
}

int GetFontSection(const QWidget* control, int sectionIndex, const TkSkinManager* manager) {
  // A parent that gives its own font colours to its children lends its section.
  if (!manager || !control) return sectionIndex;
  for (const QWidget* p = control->parentWidget(); p; p = p->parentWidget()) {
    const QString name = p->property("kelmoSkinSection").toString().toUpper();
    if (name.isEmpty()) continue;
    const int i = manager->GetSkinIndex(name);
    if (i >= 0 && manager->gd[std::size_t(i)].GiveOwnFont) return i;
  }
  return sectionIndex;
}

void DrawControlTextBuf(Dc& dc, const QString& text, bool enabled, bool hot,
                        const TkCommonData& link, unsigned format, Rect rect) {
  QWidget* owner = link.Owner();
  winshim::Font font = dc.CurrentFont();
  if (owner) font.qfont = owner->font();
  const TkSkinManager* m = link.GetSkinManager();
  const bool validSection = m && m->IsValidSkinIndex(link.SkinIndex);
  if (hot && validSection &&
      m->gd[std::size_t(link.SkinIndex)].ClassName == QLatin1String("WEBBUTTON"))
    font.qfont.setUnderline(true);
  dc.SaveDC();
  dc.SelectFont(font);
  dc.IntersectClipRect(rect.left, rect.top, rect.right, rect.bottom);
  dc.SetBkMode(winshim::TRANSPARENT);
  if (!text.isEmpty()) {
    int section = link.SkinIndex;
    const bool graphic = owner && owner->property("kelmoGraphicControl").toBool();
    const int kind = link.CtrlSkinState;
    if (validSection && (kind == 32 || kind == 33 || kind == 74 || graphic) && owner &&
        owner->parentWidget()) {
      const TkGeneralData& s = m->gd[std::size_t(link.SkinIndex)];
      if ((hot ? s.HotTransparency : s.Transparency) >= 1)
        section = GetFontSection(owner, section, m);
    }
    const TColor fontColor =
        owner ? TColor(winshim::FromQColor(owner->palette().color(owner->foregroundRole()))) : 0;
    const bool valid = m && m->IsValidSkinIndex(section);
    if (enabled) {
      if (valid && !link.CustomFont) {
        const TkGeneralData& s = m->gd[std::size_t(section)];
        DrawWithContour(dc, text, hot ? s.HotFontColor : s.FontColor, format | winshim::DT_NOCLIP,
                        rect);
      } else {
        dc.SetTextColor(winshim::ColorToRGB(fontColor));
        winshim::DrawText(dc, text, rect, format | winshim::DT_NOCLIP);
      }
    } else {
      const TColor c =
          valid ? MixColors(m->gd[std::size_t(section)].FontColor[0], m->GetGlobalColor(), 0.4)
                : fontColor;
      dc.SetTextColor(winshim::ColorToRGB(c));
      winshim::DrawText(dc, text, rect, format);
    }
  }
  dc.RestoreDC(-1);
}

void DrawNestedFrames(Dc& dc, Rect& rect, TColor topLeft, int& count, TColor bottomRight) {
  const winshim::ColorRef tl = winshim::ColorToRGB(topLeft);
  const winshim::ColorRef br = winshim::ColorRef(bottomRight) & 0xFFFFFF;
  for (; count > 0; --count) {
    if (rect.IsEmpty()) {
      rect = rect.Inflate(-1, -1);
      continue;
    }
    winshim::FillSolidRect(dc, {rect.left, rect.top, rect.right - 1, rect.top + 1}, tl);
    winshim::FillSolidRect(dc, {rect.left, rect.top, rect.left + 1, rect.bottom - 1}, tl);
    winshim::FillSolidRect(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, br);
    winshim::FillSolidRect(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, br);
    rect = rect.Inflate(-1, -1);
  }
}

void DrawFocusDots(Dc& dc, const Rect& r) {
  const winshim::ColorRef black = 0, white = 0xFFFFFF;
  for (int i = 0; i <= r.Width() / 3; ++i) {
    const int x = r.left + 3 * i;
    dc.SetPixel(x, r.top, black);
    dc.SetPixel(x - 1, r.top - 1, white);
    dc.SetPixel(x, r.bottom - 1, black);
    dc.SetPixel(x - 1, r.bottom - 2, white);
  }
  for (int i = 0; i <= r.Height() / 3; ++i) {
    const int y = r.top + 3 * i;
    dc.SetPixel(r.left, y, black);
    dc.SetPixel(r.left - 1, y - 1, white);
    dc.SetPixel(r.right - 1, y, black);
    dc.SetPixel(r.right - 2, y - 1, white);
  }
}

GlyphLayout CalcGlyphLayout(const Rect& c, QSize glyph, QSize caption, bool rtl, int spacing,
                            int margin, int alignment, int layout) {
  if (rtl && (layout == 0 || layout == 1)) layout = 1 - layout;
  const int cw = c.Width(), ch = c.Height();
  const int gw = glyph.width(), gh = glyph.height(), tw = caption.width(), th = caption.height();
  GlyphLayout out;
  Rect cap{0, 0, tw, th};
  QPoint gp;
  const bool horizontal = layout == 0 || layout == 1;
  if (!horizontal) {
    gp.setX((cw - gw + 1) / 2);
    cap = cap.Offset((cw - tw + 1) / 2, 0);
  } else {
    gp.setY((ch - gh + 1) / 2);
    cap = cap.Offset(0, (ch - th + 1) / 2);
  }
  if (tw == 0 || gw == 0) spacing = 0;
  const int extent = horizontal ? cw : ch;
  const int content = horizontal ? gw + tw : gh + th;
  if (margin == -1 && spacing == -1) {
    margin = spacing = (extent - content) / 3;
  } else if (margin == -1) {
    if (alignment == 2) {
      const int need = content + spacing;
      margin = (extent - need + 1) >> 1;
      if (need - extent >= 2 && ((need - extent) % 2 == 0)) ++margin;
    } else {
      margin = 2;
    }
  } else if (spacing == -1) {
    spacing = (extent - margin - content) / 2;
  }
  auto setCapX = [&](int x) { cap = {x, cap.top, x + tw, cap.bottom}; };
  auto setCapY = [&](int y) { cap = {cap.left, y, cap.right, y + th}; };
  switch (layout) {
    case 0:
      if (alignment == 0) {
        gp.setX(margin);
        setCapX(margin + gw + spacing);
      } else if (alignment == 1) {
        setCapX(cw - margin - tw);
        gp.setX(cap.left - spacing - gw);
      } else {
        gp.setX((cw - tw - spacing - gw) / 2);
        setCapX(gp.x() + gw + spacing);
      }
      break;
    case 1:
      if (alignment == 0) {
        setCapX(margin);
        gp.setX(margin + tw + spacing);
      } else if (alignment == 1) {
        gp.setX(cw - margin - gw);
        setCapX(gp.x() - spacing - tw);
      } else {
        setCapX((cw - tw - spacing - gw) / 2);
        gp.setX(cap.left + tw + spacing);
      }
      break;
    case 2:
      gp.setY((ch - gh - spacing - th) / 2);
      setCapY(gp.y() + gh + spacing);
      break;
    default:
      gp.setY(ch - gh - (ch - gh - spacing - th) / 2);
      setCapY(gp.y() - spacing - th);
      break;
  }
  out.captionRect = cap.Offset(c.left, c.top);
  out.glyphPoint = gp + QPoint(c.left, c.top);
  return out;
}

}  // namespace kelmo::skin
