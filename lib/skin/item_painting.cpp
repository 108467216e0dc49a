#include "skin/item_painting.h"

#include "skin/mask_painting.h"
#include "skin/skin_link.h"
#include "skin/skin_text.h"
#include "winshim/dib.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {

using px::Bpp;

namespace {

bool RectInside(const QImage& bitmap, const Rect& r) {
  return !r.IsEmpty() && r.left >= 0 && r.top >= 0 && r.right <= bitmap.width() &&
         r.bottom <= bitmap.height();
}

void Fill(QImage& bitmap, const Rect& r, TColor color) {
  if (Bpp(bitmap) == 4) {
    FillBitmapRect32(bitmap, r, color);
  } else {
    winshim::Dc dc(bitmap);
    FillDCRect(dc, r, color);
  }
}

// What the background puts under a rect: its colour, or its bitmap's
// pixels from the background's position plus the offset.
void PutBackground(QImage& bitmap, const Rect& r, const TBgSource& bg, QPoint offset) {
  if (!bg.HasBitmap || !bg.Bitmap) {
    Fill(bitmap, r, bg.Color);
    return;
  }
  if (bg.Bitmap == &bitmap) return;
  CopyKeyedRectOverBg(bitmap, *bg.Bitmap, r.left, false, kEmptyBgSource, TColor(0x1000000),
                      {bg.X + offset.x(), bg.Y + offset.y(), bg.X + offset.x() + r.Width() - 1,
                       bg.Y + offset.y() + r.Height() - 1},
                      r.top);
}

struct BgValues {
  TColor color = 0;
  int transparency = 0;
  int texturePercent = 0;
  int gradientPercent = 0;
  const TkGradArray* stops = nullptr;
  int mask = -1;     // a plain or masked texture image
  int pattern = -1;  // a picture of the pattern table
};

// The inner painter: texture, gradient and colour into Q of T.
void InnerPaint(QImage& t, const Rect& q, const BgValues& v, TkSkinManager& m, const TBgSource& bg,
                int textureWeight, bool forMask) {
  bool textured = false;
  if (v.texturePercent > 0 && (v.mask >= 0 || v.pattern >= 0)) {
    Rect left = q;
    if (v.pattern >= 0) {
      PaintTexture(t, left, m.pa[std::size_t(v.pattern)].Img.get(), 0, TkMaskData{});
    } else {
      const TkMaskData& mask = m.ma[std::size_t(v.mask)];
      if (mask.MaskType != 0)
        PaintMaskedTexture(t, left, bg, mask.DrawMode, mask);
      else
        PaintTexture(t, left, mask.Bmp.get(), mask.DrawMode, mask);
    }
    if (!(left.left == -1 && left.top == -1 && left.right == -1 && left.bottom == -1))
      Fill(t, IntersectRect(left, q), v.color);
    textured = true;
  }
  if (v.gradientPercent > 0) {
    if (textured) {
      QImage g =
          Bpp(t) == 4 ? CreateBmp32(q.Width(), q.Height()) : CreateBmp24(q.Width(), q.Height());
      if (v.stops && !v.stops->empty())
        PaintGradientRect(g, {0, 0, q.Width(), q.Height()}, *v.stops);
      else
        Fill(g, {0, 0, q.Width(), q.Height()}, v.color);
      BlendBmpRect(t, g, std::uint8_t(textureWeight), {q.left, q.top},
                   {0, 0, q.Width() - 1, q.Height()});
    } else if (v.stops && !v.stops->empty()) {
      PaintGradientRect(t, q, *v.stops);
    } else {
      Fill(t, q, v.color);
    }
  }
  const int p = v.gradientPercent + v.texturePercent;
  if (p == 0) {
    const bool useBg = !bg.HasBitmap && (forMask ? v.transparency == 100 : v.transparency != 0);
    Fill(t, q, useBg ? bg.Color : v.color);
  } else if (p < 100) {
    MixColorIntoRect(t, {q.left, q.top, q.right - 1, q.bottom - 1}, p, v.color);
  }
}

BgValues ChooseValues(const TkGeneralData& s, bool hot) {
  BgValues v;
  v.color = hot ? s.HotColor : s.Color;
  v.transparency = hot ? s.HotTransparency : s.Transparency;
  if (v.transparency != 100) {
    v.texturePercent = hot ? s.HotImagePercent : s.ImagePercent;
    v.gradientPercent = hot ? s.HotGradientPercent : s.GradientPercent;
    if (v.gradientPercent != 0) v.stops = hot ? &s.HotGradientArray : &s.GradientArray;
  }
  return v;
}

}  // namespace

void PaintItemBg(int si, const QString& name, const TBgSource& bg, TColor customColor,
                 int hotTexture, int texture, TkSkinManager* manager, QImage& bitmap, QPoint offset,
                 const Rect& rect, bool hot) {
  TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (!TkSkinManager::Default() || !m || !m->IsValidSkinIndex(si) || !Bpp(bitmap) || rect.IsEmpty())
    return;
  const TkGeneralData& s = m->gd[std::size_t(si)];
  BgValues v;
  if (customColor != kTransparentKey) {
    v.color = customColor;
  } else {
    v = ChooseValues(s, hot);
  }
  if (v.texturePercent > 0) {
    const QString prop = hot ? QStringLiteral("HOTPATTERN") : QStringLiteral("PATTERN");
    int given = hot ? hotTexture : texture;
    if (given == -1) {
      given = m->GetMaskIndex(si, name, prop);
    } else if (m->IsValidImgIndex(given) && m->ma[std::size_t(given)].MaskType != 0) {
      given = -1;
    }
    if (m->IsValidImgIndex(given))
      v.mask = given;
    else
      v.pattern = m->GetPatternIndex(si, name, prop);
  }
  if ((!bg.HasBitmap && bg.Color == kTransparentKey) || v.transparency == 0) {
    InnerPaint(bitmap, rect, v, *m, bg, ClampByte(v.texturePercent * 255 / 100), false);
  } else if (v.transparency == 100) {
    PutBackground(bitmap, rect, bg, offset);
  } else {
    QImage temp = Bpp(bitmap) == 4 ? CreateBmp32(rect.Width(), rect.Height())
                                   : CreateBmp24(rect.Width(), rect.Height());
    InnerPaint(temp, {0, 0, rect.Width(), rect.Height()}, v, *m, bg,
               ClampByte(v.texturePercent * 255 / 100), false);
    PutBackground(bitmap, rect, bg, offset);
    BlendBmpRect(bitmap, temp, std::uint8_t(ClampByte(v.transparency * 255 / 100)),
                 {rect.left, rect.top}, {0, 0, temp.width(), temp.height()});
  }
  if (!hot) {
    auto isTen = [&](int i, bool needMasked) {
      if (!m->IsValidImgIndex(i)) return false;
      const TkMaskData& k = m->ma[std::size_t(i)];
      return (needMasked ? k.MaskType > 0 : k.MaskType >= 1) && k.DrawMode == 10;
    };
    int ten = -1;
    const bool plainNormal =
        texture == -1 || (m->IsValidImgIndex(texture) && m->ma[std::size_t(texture)].MaskType < 1);
    if (plainNormal && hotTexture != -1 && isTen(hotTexture, true))
      ten = hotTexture;
    else if (isTen(texture, false))
      ten = texture;
    if (ten >= 0) {
      TBgSource moved = bg;
      moved.X += offset.x();
      moved.Y += offset.y();
      Rect r = rect;
      PaintMaskedTexture(bitmap, r, moved, 10, m->ma[std::size_t(ten)]);
    }
  }
}

void PaintControlBg(const TkCommonData& link, const TBgSource& bg, bool hot, QImage& bitmap,
                    QPoint offset, const Rect& rect) {
  TColor custom = kTransparentKey;
  if (link.CustomColor && link.Owner())
    custom =
        TColor(winshim::FromQColor(link.Owner()->palette().color(link.Owner()->backgroundRole())));
  PaintItemBg(link.SkinIndex, link.SkinSection.toUpper(), bg, custom, link.HotTexture, link.Texture,
              link.GetSkinManager(), bitmap, offset, rect, hot);
}

void PaintItemBgForMask(int si, int texture, int hotTexture, TkSkinManager* manager, QImage& bitmap,
                        QPoint offset, const Rect& rect, bool hot, const TBgSource& bg,
                        const QString&) {
  TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (!m || !m->IsValidSkinIndex(si) || !Bpp(bitmap) || rect.IsEmpty()) return;
  BgValues v = ChooseValues(m->gd[std::size_t(si)], hot);
  const int given = hot ? hotTexture : texture;
  if (v.texturePercent > 0 && m->IsValidImgIndex(given)) v.mask = given;
  const int weight = std::min(255, v.texturePercent * 256 / 100);
  if (!bg.HasBitmap || v.transparency == 0) {
    InnerPaint(bitmap, rect, v, *m, bg, weight, true);
  } else if (v.transparency == 100) {
    PutBackground(bitmap, rect, bg, offset);
  } else {
    QImage temp = CreateBmp24(rect.Width(), rect.Height());
    InnerPaint(temp, {0, 0, rect.Width(), rect.Height()}, v, *m, bg, weight, true);
    PutBackground(bitmap, rect, bg, offset);
    BlendBmpRect(bitmap, temp, std::uint8_t(ClampByte(v.transparency * 255 / 100)),
                 {rect.left, rect.top}, {0, 0, temp.width(), temp.height()});
  }
}

namespace {
void PaintCorners(const TkGeneralData& s, TkSkinManager& m, QImage& bitmap, const Rect& rect,
                  int state) {
  const TBgSource self = BgSourceFromBmp(&bitmap, 0, 0);
  auto corner = [&](int index, bool right, bool bottom) {
    if (!m.IsValidImgIndex(index)) return;
    const TkMaskData& k = m.ma[std::size_t(index)];
    const QPoint at(right ? rect.right - MaskImageWidth(k) : rect.left,
                    bottom ? rect.bottom - MaskImageHeight(k) : rect.top);
    PaintMaskImage(bitmap, at, state, k, self, 1);
  };
  corner(s.CornerTopLeft, false, false);
  corner(s.CornerTopRight, true, false);
  corner(s.CornerBottomLeft, false, true);
  corner(s.CornerBottomRight, true, true);
}
}  // namespace

void PaintItem(int si, const QString& name, const TBgSource& bg, int hotTexture, int texture,
               TkSkinManager* manager, QImage& bitmap, QPoint offset, const Rect& rect, int state,
               bool centre) {
  TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (bitmap.isNull() || !m || !m->IsValidSkinIndex(si) || !RectInside(bitmap, rect)) return;
  PaintItemBg(si, name, bg, kTransparentKey, hotTexture, texture, m, bitmap, offset, rect,
              state != 0);
  const TkGeneralData& s = m->gd[std::size_t(si)];
  PaintCorners(s, *m, bitmap, rect, state);
  if (m->IsValidImgIndex(s.BorderIndex)) {
    TBgSource moved = bg;
    moved.X += offset.x();
    moved.Y += offset.y();
    PaintMask(bitmap, rect, state, m->ma[std::size_t(s.BorderIndex)], moved, true, centre);
  }
}

void PaintItemToDC(int si, const QString& name, const TBgSource& bg, TkSkinManager* manager,
                   winshim::Dc& dc, QPoint offset, const Rect& rect, int state, bool centre) {
  TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (!m || !m->IsValidSkinIndex(si) || rect.left < 0 || rect.top < 0 || rect.Width() < 1 ||
      rect.Height() < 1)
    return;
  QImage work = CreateBmp24(rect.Width(), rect.Height());
  PaintItem(si, name, bg, -1, -1, m, work, offset, {0, 0, rect.Width(), rect.Height()}, state,
            centre);
  dc.SaveDC();
  winshim::Dc src(work);
  dc.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), src, 0, 0, winshim::SRCCOPY);
  dc.RestoreDC(-1);
}

void PaintItemWithMask(int si, int maskIndex, int texture, TkSkinManager* manager, QImage& bitmap,
                       QPoint offset, const Rect& rect, int state, bool centre, const TBgSource& bg,
                       const QString& name, int hotTexture) {
  TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (!m || !m->IsValidSkinIndex(si) || !RectInside(bitmap, rect)) return;
  PaintItemBgForMask(si, texture, hotTexture, m, bitmap, offset, rect, state != 0, bg, name);
  if (!m->IsValidImgIndex(maskIndex)) return;
  TBgSource moved = bg;
  moved.X += offset.x();
  moved.Y += offset.y();
  PaintMask(bitmap, rect, state, m->ma[std::size_t(maskIndex)], moved, true, centre);
}

int PaintSectionByName(QImage& bitmap, const QString& name, const QString& second, winshim::Dc* dc,
                       TColor color, const Rect& dcRect, TkSkinManager* manager, int state) {
  TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (!m) return -1;
  int si = m->GetSkinIndex(name);
  if (!m->IsValidSkinIndex(si)) si = m->GetSkinIndex(second);
  if (!m->IsValidSkinIndex(si)) return si;
  TBgSource bg{nullptr, 0, 0, color, false};
  QImage behind;
  if (dc && dc->Image()) {
    behind = dc->Image()->copy(dcRect.left, dcRect.top, bitmap.width(), bitmap.height());
    behind = winshim::ConvertDib(behind, px::Bpp(bitmap) == 4 ? 32 : 24);
    bg = BgSourceFromBmp(&behind, 0, 0);
  }
  PaintItem(si, m->gd[std::size_t(si)].ClassName, bg, -1, -1, m, bitmap, {0, 0},
            {0, 0, bitmap.width(), bitmap.height()}, state, true);
  return si;
}

void PaintControlItem(const TkCommonData& link, const TBgSource& bg, bool centre,
                      bool cornersFromBg, QImage& bitmap, QPoint offset, const Rect& rect,
                      int state) {
  TkSkinManager* m = link.GetSkinManager();
  if (bitmap.isNull() || !m || !m->IsValidSkinIndex(link.SkinIndex) || !RectInside(bitmap, rect))
    return;
  PaintControlBg(link, bg, state != 0, bitmap, offset, rect);
  if (m->IsValidImgIndex(link.BorderIndex)) {
    const TkMaskData& mask = m->ma[std::size_t(link.BorderIndex)];
    if (state != 0 || !(mask.DrawMode & 2)) {
      TBgSource moved = bg;
      moved.X += offset.x();
      moved.Y += offset.y();
      PaintMask(bitmap, rect, state, mask, moved, cornersFromBg, centre);
    }
  }
  PaintCorners(m->gd[std::size_t(link.SkinIndex)], *m, bitmap, rect, state);
}

void AddTransparentAreas(std::vector<Rect>& list, int width, const TkMaskData& mask, bool bottom,
                         int rowOffset) {
  if (!mask.Manager) return;
  const QImage* pic = mask.Bmp ? mask.Bmp.get() : mask.Manager->MasterBitmap.get();
  if (!pic || Bpp(*pic) != 3) return;
  const int sw = MaskImageWidth(mask), sh = MaskImageHeight(mask);
  const int band = bottom ? mask.WB : mask.WT;
  const int top = bottom ? mask.R.top + sh - mask.WB : mask.R.top;
  if (top < 0 || top + band > pic->height()) return;
  auto scan = [&](int fromX, int count, int shift) {
    for (int r = 0; r < band; ++r) {
      int start = -1;
      for (int i = 0; i <= count; ++i) {
        const int x = fromX + i;
        const bool key = i < count && px::Inside(*pic, x, top + r) &&
                         px::IsKey(px::At(*pic, x, top + r), kTransparentKey);
        if (key && start < 0) start = i;
        if (!key && start >= 0) {
          list.push_back({start + shift, rowOffset + r, i + shift, rowOffset + r + 1});
          start = -1;
        }
      }
    }
  };
  scan(mask.R.left, mask.WL, 0);
  scan(mask.R.left + sw - mask.WR, mask.WR, width - mask.WR);
}

}  // namespace kelmo::skin
