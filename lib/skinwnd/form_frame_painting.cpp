// Painting a skinned form's frame into its cache and showing it.
#include "skinwnd/form_frame_painting.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "skin/control_utils.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_title_buttons.h"
#include "winshim/draw_text.h"
#include "winshim/non_client.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {
namespace ws = winshim;
using skin::TkSkinManager;

namespace {

int FormSectionMask(const TkSkinProvider& p, const char* name) {
  const TkSkinManager* m = p.ProviderManager();
  const skin::TkCommonData* link = p.SkinData();
  return m ? m->GetMaskIndex(link->SkinIndex, link->SkinSection, QLatin1String(name)) : -1;
}

QString TitleSectionName(const TkSkinProvider& p) {
  return p.TitleSkin().isEmpty() ? QStringLiteral("FORMTITLE") : p.TitleSkin();
}

QString MenuLineSectionName(const TkSkinProvider& p) {
  const TkSkinManager* m = p.ProviderManager();
  if (m && !p.MenuLineSkin().isEmpty() && m->IsValidSkinIndex(m->GetSkinIndex(p.MenuLineSkin())))
    return p.MenuLineSkin();
  return QStringLiteral("MENULINE");
}

// The form's frame rect in the cache: inside the shadow margins.
ws::Rect FrameRect(const TkSkinProvider& p, int w, int h, int captionBottom) {
  const ws::Rect sm = ShadowMargins(p);
  ws::Rect fr{sm.left, sm.top, w - sm.right, h - sm.bottom};
  if (p.IsIconic()) fr.bottom = captionBottom - sm.bottom + 1;
  return fr;
}

int CaptionBottom(const TkSkinProvider& p) {
  return PlainFrameWidth(p, false) + CaptionHeightOf(p, true) + ShadowMargins(p).top;
}

void PaintCaptionText(TkSkinProvider& p, QImage& cache) {
  QWidget* form = p.FormWidget();
  TkSkinManager* m = p.ProviderManager();
  if (!form || !m) return;
  const ws::Rect sm = ShadowMargins(p);
  const int cb = CaptionBottom(p);
  const int w = CacheWidth(p);
  ws::Rect r;
  r.left = FrameBorderWidth(p, true) + (IconVisible(p) ? IconWidth(p) : 0) + SkinButtonsLeft(p) +
           sm.left + 4;
  r.right = w - sm.right - TitleButtonsWidth(p) - sm.right - 6;
  r.top = p.IsZoomed() ? FrameBorderWidth(p, false) / 2 + sm.top + 1 : sm.top + 2;
  r.bottom = cb;
  if (p.BorderForm && SkinBorderMode(p) == 1) {
    r = r.Offset(0, SkinCenterOffset(p));
    if (p.IsZoomed() && SkinTitleHeight(p) != SkinMaxTitleHeight(p))
      r = r.Offset(0, (SkinTitleHeight(p) - SkinMaxTitleHeight(p)) / 2 - 2);
  }
  if (r.IsEmpty()) return;
  QFont font = QApplication::font();
  font.setBold(true);
  ws::Dc dc(cache);
  dc.SelectFont(ws::Font{font, 0});
  const QString caption = form->windowTitle();
  const int textH = QFontMetrics(font).height();
  const int mid = (r.top + r.bottom) / 2;
  r.top = mid - textH / 2;
  r.bottom = r.top + textH;
  unsigned align = ws::DT_LEFT;
  if (p.CaptionAlignment() == TAlignment::taCenter) align = ws::DT_CENTER;
  if (p.CaptionAlignment() == TAlignment::taRightJustify) align = ws::DT_RIGHT;
  const int title = m->GetSkinIndex(TitleSectionName(p));
  skin::DrawSectionText(
      dc, caption, form->isEnabled(), m, p.FormActive,
      m->IsValidSkinIndex(title) ? title : p.SkinData()->SkinIndex,
      align | ws::DT_END_ELLIPSIS | ws::DT_NOPREFIX | ws::DT_SINGLELINE | ws::DT_VCENTER, r);
}

// The caption strip: the title section, the icon and the title-bar mask.
void PaintCaptionStrip(TkSkinProvider& p, QImage& cache, const ws::Rect& fr, bool extMode) {
  if (CaptionHeightOf(p, true) == 0 || !p.DrawNonClientArea()) return;
  TkSkinManager* m = p.ProviderManager();
  const int cb = CaptionBottom(p);
  const QString title = TitleSectionName(p);
  const int ti = m->GetSkinIndex(title);
  if (m->IsValidSkinIndex(ti) && !extMode) {
    const ws::Rect r{fr.left, fr.top, fr.right, p.IsIconic() ? fr.bottom : cb};
    skin::PaintItem(ti, title, skin::BgSourceFromBmp(&cache, 0, 0), -1, -1, m, cache, QPoint(0, 0),
                    r, p.FormActive ? 1 : 0, true);
  }
  PaintTitleIcon(p);
  const int bar = FormSectionMask(p, "TITLEBAR");
  if (SysButtonCount(p) > 0 && m->IsValidImgIndex(bar)) {
    const skin::TkMaskData& mask = m->ma[std::size_t(bar)];
    const int one = mask.Bmp ? mask.Bmp->width() / 9 * 2
                             : mask.R.Width() / std::max(1, mask.ImageCount * 3) * 2;
    const int w = TitleButtonsWidth(p) + one;
    skin::PaintMask(
        cache,
        {CacheWidth(p) - w, 0, cache.width(), CaptionHeightOf(p, true) + PlainFrameWidth(p, false)},
        p.FormActive ? 1 : 0, mask, skin::BgSourceFromBmp(&cache, 0, 0), false, true);
  }
}

void PaintMenuLine(TkSkinProvider& p, QImage& cache, int w, int cb) {
  if (!p.MainMenu() || !MenuLineVisible(p) || MenuLineHeight(p) <= 0) return;
  TkSkinManager* m = p.ProviderManager();
  const ws::Rect sm = ShadowMargins(p);
  const int rows = MenuLineRows(p);
  const int h = rows * MenuLineHeight(p);
  const QString name = MenuLineSectionName(p);
  const int index = m->GetSkinIndex(name);
  if (!m->IsValidSkinIndex(index)) return;
  const ws::Rect r{sm.left, cb, w - sm.right, cb + h};
  skin::PaintItem(index, name, skin::BgSourceFromBmp(&cache, 0, 0), -1, -1, m, cache, QPoint(0, 0),
                  r, p.FormActive ? 1 : 0, true);
  p.MenuLineBg = cache.copy(r.ToQRect()).convertToFormat(QImage::Format_BGR888);
  if (FormSatellites().PaintMenuLineItems) FormSatellites().PaintMenuLineItems(p, cache, r);
}

}  // namespace

QPoint WindowOffsetInCache(const TkSkinProvider& p) {
  const ws::Rect sm = ShadowMargins(p);
  return {sm.left + ExtBorderExtra(p), sm.top + ExtTitleExtra(p)};
}

void PaintTitleIcon(TkSkinProvider& p) {
  if (!IconVisible(p)) return;
  QWidget* form = p.FormWidget();
  QImage& cache = p.SkinData()->FCacheBmp;
  if (!form || cache.isNull()) return;
  const ws::Rect r = IconRect(p);
  QImage icon;
  if (!p.TitleIcon.Glyph.isNull()) {
    icon = p.TitleIcon.Glyph;
  } else {
    QIcon qicon = form->windowIcon();
    if (qicon.isNull()) qicon = QApplication::windowIcon();
    if (!qicon.isNull()) icon = qicon.pixmap(QSize(IconWidth(p), IconHeight(p))).toImage();
  }
  if (icon.isNull()) return;
  QImage target = cache.convertToFormat(QImage::Format_ARGB32);
  QPainter painter(&target);
  painter.drawImage(QRect(r.left, r.top, IconWidth(p), IconHeight(p)), icon);
  painter.end();
  cache = target.convertToFormat(cache.format());
}

void PaintGrip(TkSkinProvider& p, ws::Dc& dc) {
  TkSkinManager* m = p.ProviderManager();
  if (!m) return;
  const int grip = m->GetMaskIndex(m->ConstData.IndexGlobalInfo, QStringLiteral("GLOBALINFO"),
                                   QStringLiteral("GRIPIMAGE"));
  QImage& cache = p.SkinData()->FCacheBmp;
  if (!m->IsValidImgIndex(grip) || cache.isNull()) return;
  const QSize size = m->GetMaskSize(grip);
  const QPoint pos = GripPos(p, grip);
  QImage bmp = skin::CreateBmp24(size.width(), size.height());
  {
    ws::Dc b(bmp);
    ws::Dc src(cache);
    b.BitBlt(0, 0, size.width(), size.height(), src, pos.x(), pos.y(), ws::SRCCOPY);
  }
  skin::PaintMaskImage(bmp, QPoint(0, 0), 0, m->ma[std::size_t(grip)],
                       skin::BgSourceFromBmp(&bmp, 0, 0), 1);
  ws::Dc b(bmp);
  dc.BitBlt(pos.x(), pos.y(), size.width(), size.height(), b, 0, 0, ws::SRCCOPY);
}

void SaveCaptionCopy(TkSkinProvider& p) {
  const QImage& cache = p.SkinData()->FCacheBmp;
  const int h = PlainFrameWidth(p, true) + CaptionHeightOf(p, true) + ShadowMargins(p).top;
  if (cache.isNull() || h <= 0) return;
  p.CaptionCopy = cache.copy(0, 0, cache.width(), h).convertToFormat(QImage::Format_ARGB32);
}

void PaintCaption(TkSkinProvider& p) {
  QImage& cache = p.SkinData()->FCacheBmp;
  if (cache.isNull()) return;
  const ws::Rect fr = FrameRect(p, cache.width(), cache.height(), CaptionBottom(p));
  const bool extMode = p.BorderForm && SkinBorderMode(p) == 1;
  PaintCaptionStrip(p, cache, fr, extMode);
  PaintCaptionText(p, cache);
}

void PaintFormFrame(TkSkinProvider& p) {
  QWidget* form = p.FormWidget();
  TkSkinManager* m = p.ProviderManager();
  skin::TkCommonData& link = *p.SkinData();
  if (!form || !m) return;
  const int w = CacheWidth(p), h = CacheHeight(p);
  if (w <= 0 || h <= 0) return;
  const bool extMode = p.BorderForm && SkinBorderMode(p) == 1;
  const QImage::Format format = p.BorderForm ? QImage::Format_ARGB32 : QImage::Format_BGR888;
  if (link.FCacheBmp.isNull()) {
    link.FCacheBmp = p.BorderForm ? skin::CreateBmp32(w, h) : skin::CreateBmp24(w, h);
    link.UpdateContainerFlag(false);
    if (!p.Loading) skin::BroadcastToControls(form, skin::SkinMessage(skin::scContainerFlag, 1));
  }
  if (link.BGChanged) {
    const int border = link.BorderIndex;
    const bool fast = !p.RebuildFrame && MaskIsSingleImage(border, m) && !p.CaptionCopy.isNull() &&
                      p.CaptionCopy.width() == w && link.FCacheBmp.height() == form->height() &&
                      CaptionHeightOf(p, true) != 0 && !p.BorderForm;
    if (fast) {
      if (p.DrawNonClientArea()) {
        // The caption's copy goes back and the caption is painted over it.
        QImage& cache = link.FCacheBmp;
        QImage back = p.CaptionCopy.convertToFormat(cache.format());
        ws::Dc dst(cache);
        ws::Dc src(back);
        dst.BitBlt(0, 0, back.width(), back.height(), src, 0, 0, ws::SRCCOPY);
        PaintCaption(p);
        SaveButtonsBg(p, true);
        PaintTitleButtons(p);
      }
    } else {
      p.RgnChanged = true;
      // The frame is painted on a 24-bit picture; with a border window
      // the cache holds it with alpha.
      QImage cache =
          link.FCacheBmp.size() == QSize(w, h) && link.FCacheBmp.format() == QImage::Format_BGR888
              ? link.FCacheBmp
              : skin::CreateBmp24(w, h);
      const int cb = CaptionBottom(p);
      const ws::Rect fr = FrameRect(p, w, h, cb);
      if (m->IsValidSkinIndex(link.SkinIndex)) {
        if (HasFrame(p) && !extMode)
          skin::PaintControlItem(link, skin::TBgSource{nullptr, 0, 0, p.GetFormColor(), false},
                                 true, false, cache, QPoint(0, 0), fr, p.FormActive ? 1 : 0);
        else
          skin::PaintItemBg(link.SkinIndex, link.SkinSection,
                            skin::TBgSource{nullptr, 0, 0, skin::kTransparentKey, false}, -1, -1,
                            -1, m, cache, QPoint(0, 0), fr, p.FormActive);
      }
      link.FCacheBmp = cache;
      if (!extMode) PaintCaptionStrip(p, link.FCacheBmp, fr, extMode);
      PaintMenuLine(p, link.FCacheBmp, w, cb);
      if (MaskIsSingleImage(border, m) && (p.CaptionCopy.isNull() || p.CaptionCopy.width() != w))
        SaveCaptionCopy(p);
      if (!extMode) PaintCaptionText(p, link.FCacheBmp);
      if (CaptionHeightOf(p, true) != 0 && p.DrawNonClientArea()) {
        SaveButtonsBg(p, true);
        PaintTitleButtons(p);
      }
      if (GripVisible(p)) {
        ws::Dc dc(link.FCacheBmp);
        PaintGrip(p, dc);
      }
      if (format == QImage::Format_ARGB32) {
        // Inside the shadow margins the frame is opaque, outside clear.
        QImage c32 = link.FCacheBmp.convertToFormat(QImage::Format_ARGB32);
        const ws::Rect sm = ShadowMargins(p);
        MakeOpaqueInside(c32, {sm.left, sm.top, w - sm.right, h - sm.bottom});
        link.FCacheBmp = c32;
      }
      p.RebuildFrame = false;
    }
  }
  p.FramePainted = true;
  link.BGChanged = false;
  link.SetHot(false);
}

void PaintAllToDC(TkSkinProvider& p, ws::Dc& dc) {
  skin::TkCommonData& link = *p.SkinData();
  if (link.BGChanged || CacheSizeWrong(p)) PaintFormFrame(p);
  if (link.FCacheBmp.isNull()) return;
  const QPoint o = WindowOffsetInCache(p);
  ws::Dc src(link.FCacheBmp);
  const ws::Rect in = NonClientInsets(p);
  QWidget* form = p.FormWidget();
  const int fw = form->width(), fh = form->height();
  // The four frame strips around the client area.
  dc.BitBlt(0, 0, fw, in.top, src, o.x(), o.y(), ws::SRCCOPY);
  dc.BitBlt(0, in.top, in.left, fh - in.top, src, o.x(), o.y() + in.top, ws::SRCCOPY);
  dc.BitBlt(fw - in.right, in.top, in.right, fh - in.top, src, o.x() + fw - in.right,
            o.y() + in.top, ws::SRCCOPY);
  dc.BitBlt(in.left, fh - in.bottom, fw - in.left - in.right, in.bottom, src, o.x() + in.left,
            o.y() + fh - in.bottom, ws::SRCCOPY);
}

void PaintNonClient(TkSkinProvider& p) {
  QWidget* form = p.FormWidget();
  if (!form) return;
  if (p.RgnChanged) {
    BuildRegionAreas(p);
    PaintFormFrame(p);
    UpdateRegion(p, false);
    p.RgnChanged = false;
  }
  auto dc = ws::GetWindowDC(p.FormHandle());
  if (!dc) return;
  PaintAllToDC(p, *dc);
  ws::ReleaseDC(p.FormHandle(), std::move(dc));
}

void PaintFrameNow(TkSkinProvider& p) {
  p.SkinData()->BGChanged = true;
  PaintNonClient(p);
}

void CopyCacheToWindow(TkSkinProvider& p, const ws::Rect& r) {
  QImage& cache = p.SkinData()->FCacheBmp;
  if (cache.isNull()) return;
  auto dc = ws::GetWindowDC(p.FormHandle());
  if (!dc) return;
  const QPoint o = WindowOffsetInCache(p);
  ws::Dc src(cache);
  dc->BitBlt(r.left - o.x(), r.top - o.y(), r.Width(), r.Height(), src, r.left, r.top, ws::SRCCOPY);
  ws::ReleaseDC(p.FormHandle(), std::move(dc));
}

void PaintClientBg(TkSkinProvider& p, ws::Dc& dc) {
  QWidget* form = p.FormWidget();
  if (!form) return;
  const ws::Rect in = NonClientInsets(p);
  const ws::Rect client{in.left, in.top, form->width() - in.right, form->height() - in.bottom};
  skin::TkCommonData& link = *p.SkinData();
  if (link.MustRepaint() && !link.FCacheBmp.isNull() && !CacheSizeWrong(p)) {
    const QPoint o = WindowOffsetInCache(p);
    ws::Dc src(link.FCacheBmp);
    dc.BitBlt(client.left, client.top, client.Width(), client.Height(), src, o.x() + client.left,
              o.y() + client.top, ws::SRCCOPY);
    return;
  }
  ws::FillSolidRect(dc, client, ws::ColorToRGB(p.GetFormColor()));
}

}  // namespace kelmo::skinwnd
