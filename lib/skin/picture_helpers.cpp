#include "skin/picture_helpers.h"

#include <QBuffer>
#include <QPainter>
#include <QWidget>

#include "skin/mask_painting.h"
#include "skin/png_graphic.h"
#include "skin/skin_link.h"
#include "skin/skin_text.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {

SkinConstants& SkinConst() {
  static SkinConstants values;
  return values;
}

void InitSkinConstants() {
  SkinConst().hScrollArrowWidth = winshim::GetSystemMetrics(winshim::SM_CXHSCROLL);
}

namespace {
// The program's own start-up pictures: a coloured band with a letter each,
// written as PNG data so they load through the picture reader.
std::vector<std::uint8_t> StartupPicture(int n) {
  QImage img(48, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv(n * 60, 160, 220));
    p.drawRoundedRect(QRect(1, 1, 46, 14), 4, 4);
    p.setPen(Qt::black);
    p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("SFSRSDSESC").mid(2 * n, 2));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return {bytes.begin(), bytes.end()};
}
}  // namespace

TkBlendImageList& StartupImageList() {
  static TkBlendImageList list = [] {
    TkBlendImageList l(48, 16);
    l.MakeSystemList();
    for (int n = 0; n < 5; ++n) {
      TkImgListItem item;
      item.ImgData = StartupPicture(n);
      l.Items.push_back(std::move(item));
    }
    l.BuildSystemList();
    return l;
  }();
  return list;
}

Rect PaintControlBorder(winshim::Dc& dc, const Rect& rect, int W, int state, TkCommonData& link) {
  const TColor color = link.BgColor(state);
  QWidget* owner = link.Owner();
  TParentBgInfo info;
  if (owner && owner->parentWidget()) {
    GetControlBgInfo(info, owner->parentWidget(), false);
    info.X += owner->x();
    info.Y += owner->y();
  }
  TkSkinManager* m = link.GetSkinManager();
  if (link.BorderIndex >= 0 && m && m->IsValidImgIndex(link.BorderIndex)) {
    const TkMaskData& mask = m->ma[std::size_t(link.BorderIndex)];
    link.InitCacheBmp();
    QImage& cache = link.FCacheBmp;
    winshim::Dc cacheDc(cache);
    if (mask.MaskType == 1) {
      if (info.Ready == 2 && info.Bitmap) {
        winshim::Dc parentDc(const_cast<QImage&>(*info.Bitmap));
        cacheDc.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), parentDc,
                       info.X + rect.left, info.Y + rect.top, winshim::SRCCOPY);
      } else {
        FillDCFrame(cacheDc, rect, color, mask.WL, mask.WT, mask.WR, mask.WB);
      }
    }
    PaintMask(cache, rect, state, mask, BgInfoToSource(info), true, false);
    Rect inner{rect.left + mask.WL, rect.top + mask.WT, rect.right - mask.WR,
               rect.bottom - mask.WB};
    if (W != 0) {
      const int w = rect.Width(), h = rect.Height();
      const int l = std::max(std::min(w - mask.WR, W) - mask.WL, 0);
      const int t = std::max(std::min(h - mask.WB, W) - mask.WT, 0);
      const int r = std::max(std::min(w - mask.WL, W) - mask.WR, 0);
      const int b = std::max(std::min(h - mask.WT, W) - mask.WB, 0);
      FillDCFrame(cacheDc, inner, color, l, t, r, b);
      inner = rect.Inflate(-W, -W);
      inner.right = std::max(inner.right, inner.left);
      inner.bottom = std::max(inner.bottom, inner.top);
      if (dc.Image() != &cache)
        BitBltFrame(dc, rect.left, rect.top, W, rect.Height(), rect.Width(), cacheDc, rect.left,
                    rect.top);
    }
    return inner;
  }
  if (W != 0) FillDCFrame(dc, rect, color, W, W, W, W);
  return rect;
}

}  // namespace kelmo::skin
