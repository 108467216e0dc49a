// The backgrounds of popup menus and the painting of menu items: popup
// items over their menu's background, separators, caption items and the
// items of a bar over the form's menu line.
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "skinwnd/menu_module.h"
#include "skinwnd/skinned_menus.h"
#include "winshim/draw_text.h"
#include "winshim/region.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

MenuLineSource& LineSource() {
  static MenuLineSource source;
  return source;
}

TkSkinManager* MenusManager(const TkSkinableMenus& menus) {
  return menus.Owner;
}

int SectionIndex(const TkSkinableMenus& menus, const QString& name) {
  const TkSkinManager* m = MenusManager(menus);
  return m && !name.isEmpty() ? m->GetSkinIndex(name) : -1;
}

const TkMaskData* ExactMask(const TkSkinableMenus& menus, const QString& section,
                            const QString& property) {
  const TkSkinManager* m = MenusManager(menus);
  if (!m) return nullptr;
  const int i = m->GetMaskIndexExact(m->GetSkinIndex(section), section, property);
  return m->IsValidImgIndex(i) ? &m->ma[std::size_t(i)] : nullptr;
}

void Blit(QImage& target, int x, int y, const QImage& source, const Rect& from) {
  ws::Dc dst(target), src(const_cast<QImage&>(source));
  dst.BitBlt(x, y, from.Width(), from.Height(), src, from.left, from.top, ws::SRCCOPY);
}
void BlitTo(ws::Dc& canvas, int x, int y, const QImage& source, const Rect& from) {
  ws::Dc src(const_cast<QImage&>(source));
  canvas.BitBlt(x, y, from.Width(), from.Height(), src, from.left, from.top, ws::SRCCOPY);
}

bool MenuRightToLeft(const TkMenuItem& item) {
  return item.Menu && item.Menu->layoutDirection() == Qt::RightToLeft;
}

QString ShortcutText(const QAction* a) {
  return a->shortcut().isEmpty() ? QString() : a->shortcut().toString(QKeySequence::NativeText);
}

// The glyph of a system-menu command in the symbol font.
QString SysMenuGlyph(int tag) {
  switch (tag) {
    case 61472:
      return QStringLiteral("0");
    case 61488:
      return QStringLiteral("1");
    case 61536:
      return QStringLiteral("r");
    case 61728:
      return QStringLiteral("2");
    default:
      return {};
  }
}

void DrawDivider(TkSkinableMenus& menus, const TkMenuItem& item, ws::Dc& canvas, const Rect& rect,
                 const TMenuInfo& entry, int e) {
  const TkMaskData* mask =
      ExactMask(menus, QStringLiteral("DIVIDERV"), QStringLiteral("BORDERSMASK"));
  if (!mask || entry.Bmp.isNull()) {
    // An etched line straight on the canvas.
    canvas.FrameRect(rect, ws::Brush::SolidColor(ws::RGB(128, 128, 128)));
    canvas.FillRect({rect.left + 1, rect.bottom - 1, rect.right, rect.bottom},
                    ws::Brush::SolidColor(ws::RGB(255, 255, 255)));
    canvas.FillRect({rect.right - 1, rect.top + 1, rect.right, rect.bottom},
                    ws::Brush::SolidColor(ws::RGB(255, 255, 255)));
    return;
  }
  QImage image = CreateBmp24(rect.Width(), rect.Height());
  const int b = menus.BorderWidth;
  Blit(image, 0, 0, entry.Bmp,
       Rect::Sized(rect.left + b, rect.top + b, rect.Width(), rect.Height()));
  const MenuModuleState& unit = MenuModule();
  const int left = std::max(e + menus.Margin + menus.Spacing, e + unit.IconColumnWidth + 2);
  const Rect band{left, 0, rect.Width() - menus.Margin, rect.Height()};
  if (!band.IsEmpty()) PaintMask(image, band, 0, *mask, BgSourceFromBmp(&image, 0, 0), false, true);
  BlitTo(canvas, rect.left, rect.top, image, {0, 0, rect.Width(), rect.Height()});
  (void)item;
}

void DrawCaptionItem(TkSkinableMenus& menus, const TkMenuItem& item, ws::Dc& canvas,
                     const Rect& rect, const TMenuInfo& entry, int e) {
  TkSkinManager* m = MenusManager(menus);
  QImage image = CreateBmp24(rect.Width(), rect.Height());
  const int b = menus.BorderWidth;
  if (!entry.Bmp.isNull())
    Blit(image, 0, 0, entry.Bmp,
         Rect::Sized(rect.left + b, rect.top + b, rect.Width(), rect.Height()));
  const int toolbar = SectionIndex(menus, QStringLiteral("TOOLBAR"));
  const Rect inner{e + 1, 1, rect.Width() - 1, rect.Height() - 1};
  if (m && toolbar >= 0 && !inner.IsEmpty())
    PaintItem(toolbar, QStringLiteral("TOOLBAR"), BgSourceFromBmp(&image, 0, 0), -1, -1, m, image,
              {}, inner, 0, true);
  ws::Dc dc(image);
  dc.SelectFont(ws::Font{menus.CaptionFont, 0});
  dc.SetBkMode(ws::TRANSPARENT);
  DrawSectionText(dc, CaptionOf(item.Action).split(QLatin1Char('-'), Qt::SkipEmptyParts).value(0),
                  true, m, false, toolbar,
                  ws::DT_CENTER | ws::DT_VCENTER | ws::DT_SINGLELINE | ws::DT_HIDEPREFIX,
                  {e, 0, rect.Width(), rect.Height()});
  BlitTo(canvas, rect.left, rect.top, image, {0, 0, rect.Width(), rect.Height()});
}

}  // namespace

std::vector<TMenuInfo>& OpenMenuList() {
  static std::vector<TMenuInfo> list;
  return list;
}

void ClearOpenMenuList() {
  OpenMenuList().clear();
}

MenuLineSource SetMenuLineSource(MenuLineSource source) {
  MenuLineSource previous = std::move(LineSource());
  LineSource() = std::move(source);
  return previous;
}

int ExtraLineSpace(const TkSkinableMenus& menus, const TMenuInfo& entry) {
  const TkSkinManagerComponent* c = ComponentOf(menus);
  return c && c->MenuSupport.UseExtraLine && entry.ShowExtraLine ? c->MenuSupport.ExtraLineWidth
                                                                 : 0;
}

void QueryExtraLine(TkSkinableMenus& menus, const TkMenuItem& first) {
  MenuModuleState& unit = MenuModule();
  unit.ExtraLineOn = false;
  if (!first.Action || first.Action->objectName() == QLatin1String("SkinSelectItem")) return;
  unit.ExtraLineQuery = true;
  unit.ExtraLineSection = QStringLiteral("EXTRALINE");
  unit.ExtraLineGraphic = QImage();
  unit.ExtraLineText = QStringLiteral("Use OnGetExtraLineData event");
  unit.ExtraLineOn = true;
  if (TkSkinManagerComponent* c = ComponentOf(menus); c && c->OnGetExtraLineData)
    c->OnGetExtraLineData(first.Action, unit.ExtraLineSection, unit.ExtraLineOn,
                          unit.ExtraLineGraphic, unit.ExtraLineText);
  unit.ExtraLineText.remove(QLatin1Char('&'));
  if (!unit.ExtraLineOn) unit.ExtraLineGraphic = QImage();
  unit.ExtraLineQuery = false;
}

bool FindMenuInfo(TkSkinableMenus& menus, const TkMenuItem* item, int width, TMenuInfo& out,
                  HWND wnd, int height) {
  out = TMenuInfo{};
  std::vector<TMenuInfo>& list = OpenMenuList();
  if (item) {
    const QList<QAction*> all = item->Menu ? item->Menu->actions() : QList<QAction*>{};
    QAction* first = all.isEmpty() ? nullptr : all.first();
    for (const TMenuInfo& e : list)
      if (e.FirstItem == first && e.Menu == item->Menu) {
        out = e;
        return true;
      }
    if (width == 0 || !first) return false;
    MakeMenuBg(menus, {first, item->Menu}, width, height, wnd);
    out = list.back();
    return true;
  }
  for (const TMenuInfo& e : list)
    if (e.Wnd == wnd) {
      out = e;
      return true;
    }
  return false;
}

void MakeMenuBg(TkSkinableMenus& menus, const TkMenuItem& first, int width, int height, HWND wnd) {
  QueryExtraLine(menus, first);
  MenuModuleState& unit = MenuModule();
  TkSkinManager* m = MenusManager(menus);
  TkSkinManagerComponent* c = ComponentOf(menus);
  TMenuInfo entry;
  entry.FirstItem = first.Action;
  entry.Menu = first.Menu;
  entry.Wnd = wnd;
  entry.ShowExtraLine = unit.ExtraLineOn;
  entry.Bmp = CreateBmp24(std::max(1, width), std::max(1, height));
  unit.GlyphColumnWidth = ItemGlyphSize(first).width();
  unit.IconColumnWidth = menus.Margin + unit.GlyphColumnWidth + menus.Spacing;
  const int section = SectionIndex(menus, QStringLiteral("MAINMENU"));
  if (m && section >= 0) {
    const int sb = menus.SkinBorderWidth();
    const Rect all{0, 0, width, height};
    PaintItemBg(section, QStringLiteral("MAINMENU"), kEmptyBgSource, kTransparentKey, -1, -1, m,
                entry.Bmp, {}, all, false);
    const QString icoLine = c ? c->MenuSupport.IcoLineSkin : QString();
    if (const int ico = SectionIndex(menus, icoLine); ico >= 0 && height - 2 * sb > 0) {
      QImage column = CreateBmp24(unit.IconColumnWidth, height - 2 * sb);
      const int x = ExtraLineSpace(menus, entry) + sb;
      PaintItem(ico, icoLine, BgSourceFromBmp(&entry.Bmp, x, sb), -1, -1, m, column, {},
                {0, 0, column.width(), column.height()}, 0, true);
      Blit(entry.Bmp, x, sb, column, {0, 0, column.width(), column.height()});
    }
    const TkMaskData* border =
        ExactMask(menus, QStringLiteral("MAINMENU"), QStringLiteral("BORDERSMASK"));
    if (border) PaintMask(entry.Bmp, all, 0, *border, kEmptyBgSource, false, false);
    const int line = SectionIndex(menus, unit.ExtraLineSection);
    if (c && c->MenuSupport.UseExtraLine && entry.ShowExtraLine && line >= 0 &&
        height - 2 * sb > 0) {
      const int w = c->MenuSupport.ExtraLineWidth;
      QImage band = CreateBmp24(w, height - 2 * sb);
      PaintItem(line, unit.ExtraLineSection, BgSourceFromBmp(&entry.Bmp, sb, sb), -1, -1, m, band,
                {}, {0, 0, band.width(), band.height()}, 0, true);
      ws::Dc dc(band);
      int textBottom = band.height() - 12;
      if (!unit.ExtraLineGraphic.isNull()) {
        const QImage& g = unit.ExtraLineGraphic;
        dc.DrawIconEx((w - g.width()) / 2, band.height() - 12 - g.height(),
                      g.convertToFormat(QImage::Format_ARGB32));
        textBottom = band.height() - g.height() - 20;
      }
      if (!unit.ExtraLineText.isEmpty()) {
        QFont f = c->MenuSupport.ExtraLineFont;
        f.setWeight(QFont::Normal);
        dc.SelectFont(ws::Font{f, -2700});
        dc.SetBkMode(ws::TRANSPARENT);
        dc.SetTextColor(ws::ColorRef(m->gd[std::size_t(line)].FontColor[0]) & 0xFFFFFF);
        const int th = QFontMetrics(f).height();
        dc.TextOut((w - th) / 2 + th, textBottom, unit.ExtraLineText);
      }
      Blit(entry.Bmp, sb, sb, band, {0, 0, band.width(), band.height()});
      unit.ExtraLineGraphic = QImage();
    }
    menus.BorderAreas.clear();
    if (border) {
      AddTransparentAreas(menus.BorderAreas, width, *border, false, 0);
      AddTransparentAreas(menus.BorderAreas, width, *border, true, height - border->WB);
    }
  }
  OpenMenuList().push_back(entry);
  if (wnd && section >= 0) SetMenuRgn(menus, wnd, OpenMenuList().back().Bmp);
}

void SetMenuRgn(TkSkinableMenus& menus, HWND wnd, const QImage& bmp) {
  if (menus.SettingRegion) return;
  // Command 8 asks the popup's wrapper whether the region is set already.
  constexpr int scMenuRgnQuery = 8;
  if (!bmp.isNull() && SendSkinCommand(wnd, scMenuRgnQuery, 0) == 0) {
    SendSkinCommand(wnd, scMenuRgnDone, 0);
    menus.SettingRegion = true;
    QRegion region(0, 0, bmp.width(), bmp.height());
    if (menus.BorderAreas.empty())
      region -= QRegion(0, 0, 1, 1);
    else
      for (const Rect& r : menus.BorderAreas) region -= QRegion(r.ToQRect());
    ws::SetWindowRgn(ws::WidgetOf(wnd), region, true);
  }
  menus.SettingRegion = false;
}

void PaintMenuFrame(TkSkinableMenus& menus, QWidget* menu, ws::Dc& canvas) {
  if (!menu) return;
  const QList<QAction*> items = VisibleItems(menu);
  if (items.isEmpty()) return;
  TMenuInfo entry;
  const TkMenuItem first{items.first(), menu};
  if (!FindMenuInfo(menus, &first, menu->width(), entry, ws::HandleOf(menu), menu->height()) ||
      entry.Bmp.isNull())
    return;
  // The frame strips and whatever lies outside the items.
  canvas.SaveDC();
  if (auto* m = qobject_cast<QMenu*>(menu))
    for (QAction* a : items) {
      const QRect r = m->actionGeometry(a);
      canvas.ExcludeClipRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    }
  BlitTo(canvas, 0, 0, entry.Bmp, {0, 0, entry.Bmp.width(), entry.Bmp.height()});
  canvas.RestoreDC(-1);
}

void DrawMenuItem(TkSkinableMenus& menus, const TkMenuItem& item, ws::Dc& canvas, const Rect& rect,
                  unsigned state) {
  if (!menus.Active || !item.Action || !item.Menu) return;
  TkSkinManager* m = MenusManager(menus);
  MenuModuleState& unit = MenuModule();
  const int f = InLaterColumn(item) ? 0 : 1;
  // The popup window and its size.
  QWidget* window = item.Menu;
  const HWND wnd = ws::HandleOf(window);
  const int width =
      window->width() > 0 ? window->width() : MenuWidth(menus, item) + 2 * menus.BorderWidth;
  const int height =
      window->height() > 0 ? window->height() : MenuHeight(menus, item) + 2 * menus.BorderWidth;
  TMenuInfo entry;
  FindMenuInfo(menus, &item, width, entry, wnd, height);
  const int e = ExtraLineSpace(menus, entry);
  const QString caption = CaptionOf(item.Action);
  unit.CurrentItemType = ItemTypeOf(caption);
  if (unit.CurrentItemType == TkMenuItemType::smDivider) {
    DrawDivider(menus, item, canvas, rect, entry, e);
    return;
  }
  if (unit.CurrentItemType == TkMenuItemType::smCaption) {
    DrawCaptionItem(menus, item, canvas, rect, entry, e);
    return;
  }
  const bool enabled = item.Action->isEnabled();
  const bool selected = state & odSelected;
  const bool hot = enabled && (selected || (state & odHotLight));
  const bool rtl = MenuRightToLeft(item);
  // The item's picture over the menu's background.
  const int iw = std::max(1, rect.Width() - e * f), ih = std::max(1, rect.Height());
  QImage image = CreateBmp24(iw, ih);
  const Rect local{0, 0, iw, ih};
  if (!entry.Bmp.isNull())
    Blit(image, 0, 0, entry.Bmp, Rect::Sized(rect.left + e * f, rect.top, iw, ih));
  if (const int mi = SectionIndex(menus, QStringLiteral("MENUITEM")); m && mi >= 0) {
    ws::Dc dc(image);
    PaintItemToDC(mi, QStringLiteral("MENUITEM"),
                  BgSourceFromBmp(&entry.Bmp, rect.left + e * f, rect.top), m, dc, {}, local,
                  enabled && selected ? 1 : 0, true);
  }
  const QSize glyph = ItemGlyphSize(item);
  const int top = (ih - glyph.height()) / 2;
  // A checked item without a picture of its own shows the skin's check.
  if (item.Action->isChecked() && item.Action->icon().isNull() && m) {
    const bool radio = item.Action->actionGroup() && item.Action->actionGroup()->isExclusive();
    const TkMaskData* check =
        ExactMask(menus, QStringLiteral("GLOBALINFO"),
                  radio ? QStringLiteral("RADIOCHECKED") : QStringLiteral("CHECK"));
    if (!check)
      check = ExactMask(menus, QStringLiteral("GLOBALINFO"), QStringLiteral("BOXCHECKED"));
    if (check)
      PaintMaskImage(image, {menus.Margin, (ih - MaskImageHeight(*check)) / 2},
                     selected && enabled ? 1 : 0, *check, BgSourceFromBmp(&image, 0, 0), 1);
  }
  ws::Dc dc(image);
  dc.SetBkMode(ws::TRANSPARENT);
  const int menuItem = SectionIndex(menus, QStringLiteral("MENUITEM"));
  if (!item.Action->icon().isNull()) {
    const int left = rtl ? iw - top - glyph.width() : top;
    if (item.Action->isChecked()) {
      const int speed = SectionIndex(menus, QStringLiteral("SPEEDBUTTON_SMALL"));
      if (m && speed >= 0)
        PaintItem(speed, QStringLiteral("SPEEDBUTTON_SMALL"), BgSourceFromBmp(&image, 0, 0), -1, -1,
                  m, image, {},
                  Rect::Sized(left - 1, top - 1, glyph.width() + 2, glyph.height() + 2), 2, true);
    }
    dc.DrawIconEx(left, top,
                  item.Action->icon()
                      .pixmap(glyph, enabled ? QIcon::Normal : QIcon::Disabled)
                      .toImage()
                      .convertToFormat(QImage::Format_ARGB32));
  } else if (item.Menu->objectName() == QLatin1String("SysMenu")) {
    const QString g = SysMenuGlyph(item.Action->property("Tag").toInt());
    if (!g.isEmpty()) {
      QFont symbols(QStringLiteral("Webdings"));
      symbols.setPointSize(10);
      dc.SelectFont(ws::Font{symbols, 0});
      const int th = QFontMetrics(symbols).height();
      const int left = rtl ? iw - top - 16 : 4;
      DrawSectionText(dc, g, enabled, m, hot, menuItem, ws::DT_SINGLELINE | ws::DT_VCENTER,
                      Rect::Sized(left, 0, th + 10, ih));
    }
  }
  // The caption after the glyph column.
  dc.SelectFont(ws::Font{MenuFontOf(item), 0});
  QString text = caption;
  unsigned format = ws::DT_VCENTER | ws::DT_SINGLELINE | ws::DT_EXPANDTABS | ws::DT_NOCLIP;
  const int column = glyph.width() + 2 * menus.Margin + menus.Spacing;
  Rect textRect = rtl ? Rect{0, 0, iw - column, ih} : Rect{column, 0, iw, ih};
  if (text.startsWith(QChar(8))) {
    text = text.mid(1) + QStringLiteral("      ");
    format |= ws::DT_RIGHT;
  } else if (menus.Alignment & Qt::AlignRight) {
    format |= ws::DT_RIGHT;
  } else if (menus.Alignment & Qt::AlignHCenter) {
    format |= ws::DT_CENTER;
  }
  if (rtl) {
    textRect.right -= e;
    format |= ws::DT_RIGHT;
  }
  if (state & odNoAccel) format |= ws::DT_HIDEPREFIX;
  DrawSectionText(dc, text, enabled, m, hot, menuItem, format, textRect);
  if (const QString shortcut = ShortcutText(item.Action); !shortcut.isEmpty()) {
    const Rect r = rtl ? Rect{6, 0, iw, ih} : Rect{0, 0, iw - 8 - e, ih};
    DrawSectionText(dc, shortcut, enabled, m, hot, menuItem,
                    ws::DT_SINGLELINE | ws::DT_VCENTER | (rtl ? ws::DT_LEFT : ws::DT_RIGHT), r);
  }
  if (menus.OnDrawItem) menus.OnDrawItem(item.Action, dc, local, state, TkMenuItemType::smNormal);
  // A disabled item fades into the menu's background.
  if (!enabled && !entry.Bmp.isNull())
    BlendBmp(image, 0, 0, kTransparentKey, 0.6,
             {rect.left + e * f, rect.top, rect.left + e * f + iw - 1, rect.top + ih - 1},
             entry.Bmp);
  BlitTo(canvas, rect.left + e * f, rect.top, image, local);
  // The extra line's band beside the first item.
  if (e > 0 && f == 1 && !entry.Bmp.isNull() && VisibleItems(item.Menu).value(0) == item.Action)
    BlitTo(canvas, menus.BorderWidth, menus.BorderWidth, entry.Bmp,
           Rect::Sized(menus.BorderWidth, menus.BorderWidth, e,
                       entry.Bmp.height() - 2 * menus.BorderWidth));
}

void PaintMenuBarBg(QMenuBar* bar, ws::Dc& canvas) {
  QPoint off;
  const QImage* line = bar && LineSource() ? LineSource()(bar, off) : nullptr;
  if (!line || line->isNull()) return;
  canvas.SaveDC();
  for (QAction* a : VisibleItems(bar)) {
    const QRect r = bar->actionGeometry(a);
    canvas.ExcludeClipRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
  }
  BlitTo(canvas, 0, 0, *line, Rect::Sized(off.x(), off.y(), bar->width(), bar->height()));
  canvas.RestoreDC(-1);
}

void DrawMenuBarItem(TkSkinableMenus& menus, const TkMenuItem& item, ws::Dc& canvas,
                     const Rect& rect, unsigned state) {
  auto* bar = qobject_cast<QMenuBar*>(item.Menu);
  QPoint off;
  const QImage* line = bar && LineSource() ? LineSource()(bar, off) : nullptr;
  if (!line || line->isNull() || !item.Action) return;
  TkSkinManager* m = MenusManager(menus);
  const bool enabled = item.Action->isEnabled();
  const bool hot = enabled && (state & (odSelected | odHotLight));
  const int w = std::max(1, rect.Width()), h = std::max(1, rect.Height());
  QImage image = CreateBmp24(w, h);
  const Rect local{0, 0, w, h};
  const QPoint at(rect.left + off.x(), rect.top + off.y());
  Blit(image, 0, 0, *line, Rect::Sized(at.x(), at.y(), w, h));
  if (const int mi = SectionIndex(menus, QStringLiteral("MENUITEM")); m && mi >= 0 && hot)
    PaintItem(mi, QStringLiteral("MENUITEM"), BgSourceFromBmp(line, at.x(), at.y()), -1, -1, m,
              image, {}, local, 1, true);
  ws::Dc dc(image);
  int left = menus.Margin;
  if (!item.Action->icon().isNull()) {
    const QSize g = ItemGlyphSize(item);
    const int x = MenuRightToLeft(item) ? w - 3 - g.width() : 3;
    dc.DrawIconEx(x, enabled ? (h - g.height()) / 2 : 1,
                  item.Action->icon().pixmap(g).toImage().convertToFormat(QImage::Format_ARGB32));
    left = 3 + g.width();
  }
  dc.SelectFont(ws::Font{MenuFontOf(item), 0});
  dc.SetBkMode(ws::TRANSPARENT);
  unsigned format =
      ws::DT_CENTER | ws::DT_VCENTER | ws::DT_SINGLELINE | ws::DT_EXPANDTABS | ws::DT_NOCLIP;
  if (state & odNoAccel) format |= ws::DT_HIDEPREFIX;
  DrawSectionText(dc, CaptionOf(item.Action), enabled, m, hot,
                  SectionIndex(menus, QStringLiteral("MENULINE")), format,
                  {left, 0, w - menus.Margin, h});
  if (menus.OnDrawItem) menus.OnDrawItem(item.Action, dc, local, state, TkMenuItemType::smTopLine);
  if (!enabled) BlendBmpRect(image, *line, 102, {0, 0}, Rect::Sized(at.x(), at.y(), w, h));
  BlitTo(canvas, rect.left, rect.top, image, local);
}

}  // namespace kelmo::skinwnd
