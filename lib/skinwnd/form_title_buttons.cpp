// The caption buttons of a skinned form: images, measures, layout,
// states and repainting.
#include "skinwnd/form_title_buttons.h"

#include <QPainter>
#include <QWidget>

#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_frame_painting.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"

namespace kelmo::skinwnd {
namespace ws = winshim;
using skin::TkSkinManager;

namespace {

int GlobalMask(const TkSkinManager& m, const char* name) {
  return m.GetMaskIndex(m.ConstData.IndexGlobalInfo, QStringLiteral("GLOBALINFO"),
                        QLatin1String(name));
}

// The mask of the form section, then of GLOBALINFO (or the other way).
int FormOrGlobalMask(const TkSkinProvider& p, const char* name, bool globalFirst) {
  const TkSkinManager* m = p.ProviderManager();
  if (!m) return -1;
  const skin::TkCommonData* link = p.SkinData();
  const int form = m->GetMaskIndex(link->SkinIndex, link->SkinSection, QLatin1String(name));
  const int global = GlobalMask(*m, name);
  const int first = globalFirst ? global : form, second = globalFirst ? form : global;
  return m->IsValidImgIndex(first) ? first : second;
}

int ImageWidthOf(const TkSkinManager* m, int index, int fallback) {
  if (!m || !m->IsValidImgIndex(index)) return fallback;
  const skin::TkMaskData& mask = m->ma[std::size_t(index)];
  if (mask.Bmp && mask.ImageCount > 0) return mask.Bmp->width() / mask.ImageCount;
  return skin::MaskImageWidth(mask);
}

bool IsUserCode(int code) {
  return code >= HTUSERBUTTON;
}

}  // namespace

int ButtonSpacing(const TkSkinProvider& p) {
  const TkSkinManager* m = p.ProviderManager();
  return m && HasNormalCaption(p) ? m->SkinData.TitleBtnSpacing : 0;
}

void LoadButtonImages(TkSkinProvider& p) {
  TkSkinManager* m = p.ProviderManager();
  if (!m || !m->IsValidSkinIndex(m->ConstData.IndexGlobalInfo)) return;
  auto& b = p.Buttons;
  b[tbMinimize].HitCode = ws::HTMINBUTTON;
  b[tbMaximize].HitCode = ws::HTMAXBUTTON;
  b[tbClose].HitCode = ws::HTCLOSE;
  b[tbHelp].HitCode = ws::HTHELP;
  b[tbMdiClose].HitCode = HTMDICLOSE;
  b[tbMdiRestore].HitCode = HTMDIRESTORE;
  b[tbMdiMinimize].HitCode = HTMDIMINIMIZE;
  auto setBig = [&] {
    b[tbMinimize].ImageIndex = GlobalMask(*m, "BICONMIN");
    b[tbMaximize].ImageIndex = GlobalMask(*m, "BICONMAX");
    b[tbClose].ImageIndex = GlobalMask(*m, "BICONCLOSE");
    b[tbHelp].ImageIndex = GlobalMask(*m, "BICONHELP");
    for (int i : {tbMinimize, tbMaximize, tbClose, tbHelp}) b[i].TopAligned = true;
  };
  if (HasNormalCaption(p)) {
    setBig();
  } else {
    b[tbClose].ImageIndex = GlobalMask(*m, "SICONCLOSE");
    b[tbMinimize].ImageIndex = GlobalMask(*m, "SICONMIN");
    b[tbMaximize].ImageIndex = GlobalMask(*m, "SICONMAX");
    b[tbHelp].ImageIndex = GlobalMask(*m, "SICONHELP");
    if (!m->IsValidImgIndex(b[tbHelp].ImageIndex))
      b[tbHelp].ImageIndex = GlobalMask(*m, "BICONHELP");
    for (int i : {tbMinimize, tbMaximize, tbClose, tbHelp}) b[i].TopAligned = false;
  }
  if (!m->IsValidImgIndex(b[tbClose].ImageIndex)) {
    setBig();
    if (p.IsMdiParent()) {
      b[tbMdiMinimize].ImageIndex = GlobalMask(*m, "BICONMIN");
      b[tbMdiRestore].ImageIndex = GlobalMask(*m, "BICONMAX");
      b[tbMdiClose].ImageIndex = GlobalMask(*m, "BICONCLOSE");
      for (int i : {tbMdiMinimize, tbMdiRestore, tbMdiClose}) b[i].TopAligned = true;
    }
  } else if (p.IsMdiParent()) {
    b[tbMdiMinimize].ImageIndex = GlobalMask(*m, "SICONMIN");
    b[tbMdiRestore].ImageIndex = GlobalMask(*m, "SICONMAX");
    b[tbMdiClose].ImageIndex = GlobalMask(*m, "SICONCLOSE");
    for (int i : {tbMdiMinimize, tbMdiRestore, tbMdiClose}) b[i].TopAligned = false;
    if (!m->IsValidImgIndex(b[tbMdiMinimize].ImageIndex)) {
      b[tbMdiMinimize].ImageIndex = b[tbMinimize].ImageIndex;
      b[tbMdiRestore].ImageIndex = b[tbMaximize].ImageIndex;
      b[tbMdiClose].ImageIndex = b[tbClose].ImageIndex;
      for (int i : {tbMdiMinimize, tbMdiRestore, tbMdiClose}) b[i].TopAligned = true;
    }
  }
  p.TitleButtonMask = GlobalMask(*m, "TITLEBUTTON");
}

int ButtonHeight(const TkSkinProvider& p) {
  const TkSkinManager* m = p.ProviderManager();
  const int i = p.Buttons[tbClose].ImageIndex;
  if (!m || !m->IsValidImgIndex(i)) return 21;
  const skin::TkMaskData& mask = m->ma[std::size_t(i)];
  if (mask.Bmp) return mask.Bmp->height() / 2;
  return mask.R.Height() / (mask.MaskType + 1);
}

int ButtonWidth(const TkSkinProvider& p, const TitleBtnData& b) {
  return ImageWidthOf(p.ProviderManager(), b.ImageIndex, 21);
}

int UserButtonWidth(const TkSkinProvider& p, const TkTitleButton& b) {
  const int image = ImageWidthOf(p.ProviderManager(), p.TitleButtonMask, 21);
  return std::max(image, b.Glyph.isNull() ? 0 : b.Glyph.width() + 2);
}

int TitleButtonsWidth(TkSkinProvider& p) {
  const TkSkinManager* m = p.ProviderManager();
  int w = m ? m->SkinData.TitleBtnRightMargin : 0;
  const int g = ButtonSpacing(p);
  if (p.SystemMenu && p.SystemMenu->VisibleClose()) {
    w += ButtonWidth(p, p.Buttons[tbClose]);
    if (p.SystemMenu->VisibleMax()) w += ButtonWidth(p, p.Buttons[tbMaximize]) + g;
    if (p.SystemMenu->VisibleMin()) w += ButtonWidth(p, p.Buttons[tbMinimize]) + g;
    if (p.BorderIcons() & biHelp) w += ButtonWidth(p, p.Buttons[tbHelp]) + g;
  }
  if (p.TitleButtons().Count() > 0) {
    w += 8;
    for (int i = 0; i < p.TitleButtons().Count(); ++i)
      w += UserButtonWidth(p, *p.TitleButtons().Items(i)) + g;
  }
  return w;
}

int SysButtonCount(TkSkinProvider& p) {
  if (!p.SystemMenu || !p.SystemMenu->VisibleClose()) return 0;
  return 3 - (p.SystemMenu->VisibleMax() ? 0 : 1) - (p.SystemMenu->VisibleMin() ? 0 : 1) +
         ((p.BorderIcons() & biHelp) ? 1 : 0);
}

int MdiButtonWidth(const TkSkinProvider& p) {
  const TkSkinManager* m = p.ProviderManager();
  const int i = p.Buttons[tbMdiClose].ImageIndex;
  if (!m || !m->IsValidImgIndex(i)) return 16;
  const skin::TkMaskData& mask = m->ma[std::size_t(i)];
  if (mask.Bmp) return mask.Bmp->width() / 3;
  return mask.ImageCount > 0 ? mask.R.Width() / mask.ImageCount : 16;
}

int MdiButtonHeight(const TkSkinProvider& p) {
  const TkSkinManager* m = p.ProviderManager();
  const int i = p.Buttons[tbMdiClose].ImageIndex;
  if (!m || !m->IsValidImgIndex(i)) return 16;
  const skin::TkMaskData& mask = m->ma[std::size_t(i)];
  if (mask.Bmp) return mask.Bmp->height() / 2;
  return mask.R.Height() / (mask.MaskType + 1);
}

bool MdiButtonsVisible(const TkSkinProvider& p) {
  const TkSkinProvider* child = ProviderState().MaxChildProvider;
  return child && child != &p && p.IsMdiParent() && p.MainMenu() && child->IsZoomed() &&
         (child->BorderIcons() & biSystemMenu);
}

TitleBtnData* ButtonByCode(TkSkinProvider& p, int code) {
  switch (code) {
    case ws::HTMINBUTTON:
      return &p.Buttons[tbMinimize];
    case ws::HTMAXBUTTON:
      return &p.Buttons[tbMaximize];
    case ws::HTCLOSE:
      return &p.Buttons[tbClose];
    case ws::HTHELP:
      return &p.Buttons[tbHelp];
    case HTMDICLOSE:
      return &p.Buttons[tbMdiClose];
    case HTMDIRESTORE:
      return &p.Buttons[tbMdiRestore];
    case HTMDIMINIMIZE:
      return &p.Buttons[tbMdiMinimize];
    default:
      break;
  }
  if (!IsUserCode(code)) return nullptr;
  TkTitleButton* b = p.TitleButtons().Items(code - HTUSERBUTTON);
  return b ? &b->BtnData : nullptr;
}

// ---- layout and painting ----

namespace {

// The image a system button shows now: the restore image stands in for
// maximize on a maximized form and for minimize on a minimized one.
int ShownImage(TkSkinProvider& p, int slot) {
  const TitleBtnData& b = p.Buttons[std::size_t(slot)];
  if ((slot == tbMaximize && p.IsZoomed()) || (slot == tbMinimize && p.IsIconic())) {
    const int norm = FormOrGlobalMask(p, "BICONNORM", true);
    if (norm >= 0) return norm;
  }
  if (slot == tbMaximize && p.IsIconic()) {
    const int max = FormOrGlobalMask(p, "BICONMAX", true);
    if (max >= 0) return max;
  }
  if (slot == tbMdiRestore) {
    const TkSkinProvider* child = ProviderState().MaxChildProvider;
    if (child && child->IsZoomed()) {
      const TkSkinManager* m = p.ProviderManager();
      const int s = m ? GlobalMask(*m, "SICONNORM") : -1;
      if (m && m->IsValidImgIndex(s)) return s;
      return FormOrGlobalMask(p, "BICONNORM", false);
    }
  }
  return b.ImageIndex;
}

bool ButtonEnabled(TkSkinProvider& p, int slot) {
  TkSystemMenu* sm = p.SystemMenu.get();
  switch (slot) {
    case tbMaximize:
      return sm && (p.IsZoomed() ? sm->EnabledRestore() : sm->EnabledMax());
    case tbMinimize:
      return sm && (p.IsIconic() ? sm->EnabledRestore() : sm->EnabledMin());
    default:
      return true;
  }
}

// Places a button whose right edge is x; returns its rect.
ws::Rect PlaceButton(TkSkinProvider& p, const TitleBtnData& b, int x, int width) {
  const ws::Rect sm = ShadowMargins(p);
  const bool border = p.BorderForm != nullptr;
  const int th = SkinTitleHeight(p), mh = SkinMaxTitleHeight(p), co = SkinCenterOffset(p);
  const TkSkinManager* m = p.ProviderManager();
  const int valign = m ? m->SkinData.TitleBtnVAlign : 0;
  int top;
  if (b.TopAligned && valign == 1) {
    top = sm.top;
    if (p.IsZoomed()) {
      top += FrameBorderWidth(p, false) - 1;
      if (border && th != mh) top += th - mh;
      if (border && SkinBorderMode(p) == 1) top += co;
    }
  } else {
    top = (PlainFrameWidth(p, true) + CaptionHeightOf(p, true) - ButtonHeight(p)) / 2 + sm.top;
    if (border && SkinBorderMode(p) == 1) top += co;
    if (p.IsZoomed() && border) {
      top -= 2;
      if (th != mh) top += (th - mh - co) / 2 - 2;
    }
    if (border && p.IsZoomed()) top += FrameBorderWidth(p, false) / 2;
    if (HasNormalCaption(p) && ButtonHeight(p) < 16) top += 2;
  }
  return {x - width, top, x, top + ButtonHeight(p)};
}

void PaintButtonImage(TkSkinProvider& p, const TitleBtnData& b, int image, bool enabled) {
  TkSkinManager* m = p.ProviderManager();
  QImage& cache = p.SkinData()->FCacheBmp;
  if (!m || !m->IsValidImgIndex(image) || cache.isNull()) return;
  const bool fading = b.Timer != nullptr;
  const int state = fading ? 0 : b.State;
  const int mode = (state == 0 || fading) && !(p.FormActive && enabled) ? 2 : 1;
  skin::PaintMaskImage(cache, QPoint(b.Rect.left, b.Rect.top), state, m->ma[std::size_t(image)],
                       skin::BgSourceFromBmp(&cache, b.Rect.left, b.Rect.top), mode);
}

void DrawGlyphCentred(QImage& cache, const QImage& glyph, const ws::Rect& r, bool pressed) {
  if (glyph.isNull() || cache.isNull()) return;
  const int x = r.left + (r.Width() - glyph.width()) / 2 + (pressed ? 1 : 0);
  const int y = r.top + (r.Height() - glyph.height()) / 2 + (pressed ? 1 : 0);
  QImage g = glyph.convertToFormat(QImage::Format_ARGB32);
  if (!glyph.hasAlphaChannel()) {
    // The glyph's bottom-left pixel is its transparent colour.
    const QRgb key = g.pixel(0, g.height() - 1);
    for (int yy = 0; yy < g.height(); ++yy)
      for (int xx = 0; xx < g.width(); ++xx)
        if (g.pixel(xx, yy) == key) g.setPixel(xx, yy, 0);
  }
  QImage target = cache.convertToFormat(QImage::Format_ARGB32);
  QPainter painter(&target);
  painter.drawImage(x, y, g);
  painter.end();
  cache = target.convertToFormat(cache.format());
}

}  // namespace

void PaintTitleButtons(TkSkinProvider& p) {
  if (!HasFrame(p)) return;
  const TkSkinManager* m = p.ProviderManager();
  const ws::Rect sm = ShadowMargins(p);
  const int g = ButtonSpacing(p);
  int x = CacheWidth(p) - (m ? m->SkinData.TitleBtnRightMargin : 0) - sm.right -
          FrameBorderWidth(p, true);
  RestoreButtonsBg(p);
  if (p.SystemMenu && p.SystemMenu->VisibleClose()) {
    auto place = [&](int slot) {
      TitleBtnData& b = p.Buttons[std::size_t(slot)];
      b.Rect = PlaceButton(p, b, x, ButtonWidth(p, b));
      PaintButtonImage(p, b, ShownImage(p, slot), ButtonEnabled(p, slot));
      x = b.Rect.left - g;
    };
    if (m && m->IsValidImgIndex(p.Buttons[tbClose].ImageIndex)) place(tbClose);
    if (p.SystemMenu->VisibleMax()) place(tbMaximize);
    if (p.SystemMenu->VisibleMin()) place(tbMinimize);
    if (p.BorderIcons() & biHelp) place(tbHelp);
  }
  if (p.TitleButtons().Count() > 0) {
    x -= 8;
    for (int i = 0; i < p.TitleButtons().Count(); ++i) {
      TkTitleButton* item = p.TitleButtons().Items(i);
      TitleBtnData& b = item->BtnData;
      b.ImageIndex =
          item->UseSkinData && m && m->IsValidImgIndex(p.TitleButtonMask) ? p.TitleButtonMask : -1;
      b.Rect = PlaceButton(p, b, x, UserButtonWidth(p, *item));
      PaintButtonImage(p, b, b.ImageIndex, item->Enabled);
      b.HitCode = HTUSERBUTTON + i;
      DrawGlyphCentred(p.SkinData()->FCacheBmp, item->Glyph, b.Rect, false);
      x = b.Rect.left - g;
    }
  }
  if (MdiButtonsVisible(p)) {
    const int w = MdiButtonWidth(p), h = MdiButtonHeight(p);
    const int y =
        PlainFrameWidth(p, true) + CaptionHeightOf(p, true) + sm.top + (MenuLineHeight(p) - h) / 2;
    const int r = CacheWidth(p) - FrameBorderWidth(p, true) - sm.right;
    TkSkinProvider* child = ProviderState().MaxChildProvider;
    TkSystemMenu* csm = child ? child->SystemMenu.get() : nullptr;
    auto place = [&](int slot, int left, bool enabled) {
      TitleBtnData& b = p.Buttons[std::size_t(slot)];
      b.Rect = {left, y, left + w, y + h};
      PaintButtonImage(p, b, ShownImage(p, slot), enabled);
    };
    if (m && m->IsValidImgIndex(p.Buttons[tbMdiMinimize].ImageIndex))
      place(tbMdiMinimize, r - 3 * w - 3, csm && csm->EnabledMin());
    place(tbMdiRestore, r - 2 * w - 2, csm && csm->EnabledRestore());
    place(tbMdiClose, r - w - 1, true);
  }
}

void SaveButtonsBg(TkSkinProvider& p, bool full) {
  const QImage& cache = p.SkinData()->FCacheBmp;
  if (cache.isNull()) return;
  const ws::Rect sm = ShadowMargins(p);
  const int w = FrameBorderWidth(p, true) + TitleButtonsWidth(p) + sm.right + 10;
  const int h = PlainFrameWidth(p, true) + CaptionHeightOf(p, true) + FrameBorderWidth(p, false) +
                MenuLineHeight(p) + sm.top;
  const int rows = full ? h : PlainFrameWidth(p, true) + CaptionHeightOf(p, true);
  const int x = CacheWidth(p) - w - 1;
  if (p.ButtonsBg.size() != QSize(w, h) || p.ButtonsBg.format() != cache.format())
    p.ButtonsBg = QImage(w, h, cache.format());
  ws::Dc dst(p.ButtonsBg);
  ws::Dc src(const_cast<QImage&>(cache));
  dst.BitBlt(0, 0, w, rows, src, x, 0, ws::SRCCOPY);
}

void RestoreButtonsBg(TkSkinProvider& p) {
  QImage& cache = p.SkinData()->FCacheBmp;
  if (cache.isNull() || p.ButtonsBg.isNull()) return;
  const int x = CacheWidth(p) - p.ButtonsBg.width() - 1;
  ws::Dc dst(cache);
  ws::Dc src(p.ButtonsBg);
  dst.BitBlt(x, 0, p.ButtonsBg.width(), p.ButtonsBg.height(), src, 0, 0, ws::SRCCOPY);
}

void RepaintButton(TkSkinProvider& p, int code) {
  TitleBtnData* b = ButtonByCode(p, code);
  QImage& cache = p.SkinData()->FCacheBmp;
  if (!b || cache.isNull()) return;
  const bool mdi = code >= HTMDICLOSE && code <= HTMDIMINIMIZE;
  const TkSkinManager* m = p.ProviderManager();
  const bool direct = mdi || (m && !m->AllowGlowing && !p.BorderForm);
  if (!direct) {
    if (b->State != -1) AnimateTitleButton(*b, b->State, b->State == 2 ? 1 : 10, p, b->State != 0);
    return;
  }
  if (b->Rect.left < IconRect(p).right) return;
  // The button's place shows the caption under it again, then its image.
  if (!p.ButtonsBg.isNull()) {
    ws::Dc dst(cache);
    ws::Dc src(p.ButtonsBg);
    dst.BitBlt(b->Rect.left, b->Rect.top, b->Rect.Width(), b->Rect.Height(), src,
               p.ButtonsBg.width() + b->Rect.left - CacheWidth(p), b->Rect.top, ws::SRCCOPY);
  }
  if (IsUserCode(code)) {
    auto& item = *p.TitleButtons().Items(code - HTUSERBUTTON);
    if (item.UseSkinData && m && m->IsValidImgIndex(b->ImageIndex))
      PaintButtonImage(p, *b, b->ImageIndex, item.Enabled);
    DrawGlyphCentred(cache, item.Glyph, b->Rect, b->State == 2);
  } else {
    int slot = int(b - p.Buttons.data());
    if (code == HTMDIMINIMIZE) {
      const TkSkinProvider* child = ProviderState().MaxChildProvider;
      if (child && child->SystemMenu && !child->SystemMenu->EnabledMin()) return;
    }
    bool enabled = ButtonEnabled(p, slot);
    if (code == HTMDIRESTORE) {
      const TkSkinProvider* child = ProviderState().MaxChildProvider;
      enabled = !(child && child->SystemMenu && !child->SystemMenu->EnabledRestore());
    }
    PaintButtonImage(p, *b, ShownImage(p, slot), enabled);
  }
  CopyCacheToWindow(p, b->Rect);
}

void SetHotButton(TkSkinProvider& p, int code, bool repaint) {
  if (!p.DrawNonClientArea()) return;
  if (code == p.ActiveButtonCode || (code == -1 && p.ActiveButtonCode == 0)) return;
  const int before = p.ActiveButtonCode;
  if (before > 0) {
    if (TitleBtnData* b = ButtonByCode(p, before)) {
      b->State = 0;
      if (repaint) RepaintButton(p, before);
    }
  }
  p.ActiveButtonCode = code;
  ProviderState().ButtonPressed = false;
  if (TitleBtnData* b = ButtonByCode(p, code)) {
    b->State = 1;
    if (repaint) RepaintButton(p, code);
  }
}

void SetPressedButton(TkSkinProvider& p, int code) {
  TitleBtnData* b = ButtonByCode(p, code);
  if (p.ActiveButtonCode != code) {
    if (TitleBtnData* old = ButtonByCode(p, p.ActiveButtonCode)) {
      old->State = 0;
      RepaintButton(p, p.ActiveButtonCode);
    }
  }
  p.ActiveButtonCode = code;
  ProviderState().ButtonPressed = true;
  if (b) {
    b->State = 2;
    RepaintButton(p, code);
  }
}

}  // namespace kelmo::skinwnd
