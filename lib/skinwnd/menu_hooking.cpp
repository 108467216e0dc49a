// Making menus owner-drawn, the item handlers and the hooking of every
// menu of the application; the measuring of items.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <cmath>
#include <map>

#include "skin/skin_manager.h"
#include "skinwnd/menu_module.h"
#include "skinwnd/skinned_menus.h"
#include "winshim/draw_text.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using skin::TkSkinManagerComponent;

namespace {

std::map<QAction*, TkMenuItemHandlers>& HandlerTable() {
  static auto* table = new std::map<QAction*, TkMenuItemHandlers>;  // to the process's end
  return *table;
}

// The item an option of Qt's menu painting or measuring stands for: by its
// rectangle when it has one, else by its caption (Qt does not say which
// action it measures; items of one caption measure alike).
QAction* ActionOfOption(const QWidget* menu, const QStyleOptionMenuItem& opt, bool byRect) {
  if (!menu) return nullptr;
  const bool separator = opt.menuItemType == QStyleOptionMenuItem::Separator;
  const QString caption = opt.text.section(QLatin1Char('\t'), 0, 0);
  for (QAction* a : menu->actions()) {
    if (!a->isVisible()) continue;
    if (byRect) {
      QRect r;
      if (auto* m = qobject_cast<const QMenu*>(menu))
        r = m->actionGeometry(a);
      else if (auto* b = qobject_cast<const QMenuBar*>(menu))
        r = b->actionGeometry(a);
      if (r == opt.rect) return a;
      continue;
    }
    if (separator ? a->isSeparator() : (!a->isSeparator() && a->text() == caption)) return a;
  }
  return nullptr;
}

unsigned StateOf(const QStyleOption& opt, const QStyleOptionMenuItem* item, const TkMenuItem& m) {
  unsigned s = 0;
  if (opt.state & QStyle::State_Selected) s |= skin::odSelected;
  if (item && item->checked) s |= skin::odChecked;
  if (auto* menu = qobject_cast<QMenu*>(m.Menu); menu && menu->defaultAction() == m.Action)
    s |= skin::odDefault;
  if (opt.state & QStyle::State_Sunken) s |= skin::odHotLight;
  if (!(opt.state & QStyle::State_HasFocus) && item && !item->text.contains(QLatin1Char('&')))
    s |= skin::odNoAccel;
  return s;
}

// The style of an owner-drawn menu: sizes and pictures of items come from
// their handlers; the popup's frame and empty space from its background.
class MenuStyle : public QProxyStyle {
 public:
  explicit MenuStyle(TkSkinableMenus* menus) : menus_(menus) {}
  TkSkinableMenus* Menus() const { return menus_; }

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    if (type == CT_MenuItem || type == CT_MenuBarItem) {
      const auto* opt = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
      QAction* a = opt ? ActionOfOption(widget, *opt, false) : nullptr;
      TkMenuItemHandlers* h = a ? FindItemHandlers(a) : nullptr;
      if (h && h->OnMeasureItem) {
        int height = size.height(), width = size.width();
        h->OnMeasureItem({a, const_cast<QWidget*>(widget)}, height, width);
        return {width, height};
      }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element == CE_MenuItem || element == CE_MenuBarItem) {
      const auto* opt = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
      QAction* a = opt ? ActionOfOption(widget, *opt, true) : nullptr;
      TkMenuItemHandlers* h = a ? FindItemHandlers(a) : nullptr;
      if (h && h->OnAdvancedDrawItem && widget) {
        const TkMenuItem item{a, const_cast<QWidget*>(widget)};
        ws::Dc canvas(*painter, widget->size());
        h->OnAdvancedDrawItem(item, canvas, Rect::FromQRect(opt->rect), StateOf(*opt, opt, item));
        return;
      }
    }
    if (element == CE_MenuBarEmptyArea && menus_->Active) {
      if (auto* bar = qobject_cast<QMenuBar*>(const_cast<QWidget*>(widget))) {
        ws::Dc canvas(*painter, bar->size());
        PaintMenuBarBg(bar, canvas);
        return;
      }
    }
    if (element == CE_MenuEmptyArea && menus_->Active && widget) {
      ws::Dc canvas(*painter, widget->size());
      PaintMenuFrame(*menus_, const_cast<QWidget*>(widget), canvas);
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if ((element == PE_FrameMenu || element == PE_PanelMenu) && menus_->Active && widget &&
        qobject_cast<const QMenu*>(widget)) {
      ws::Dc canvas(*painter, widget->size());
      PaintMenuFrame(*menus_, const_cast<QWidget*>(widget), canvas);
      return;
    }
    if (element == PE_PanelMenuBar && menus_->Active)
      if (auto* bar = qobject_cast<QMenuBar*>(const_cast<QWidget*>(widget))) {
        ws::Dc canvas(*painter, bar->size());
        PaintMenuBarBg(bar, canvas);
        return;
      }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (menus_->Active && qobject_cast<const QMenu*>(widget)) {
      if (metric == PM_MenuPanelWidth) return menus_->BorderWidth;
      if (metric == PM_MenuHMargin || metric == PM_MenuVMargin) return 0;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  TkSkinableMenus* menus_;
};

// A shown popup closes as the platform's popup window dies: the open-menu
// list is emptied, so the next menu builds its background again.
class MenuCloseWatcher : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && qobject_cast<QMenu*>(watched)) ClearOpenMenuList();
    return false;
  }
};
MenuCloseWatcher& CloseWatcher() {
  static auto* watcher = new MenuCloseWatcher;  // to the process's end
  return *watcher;
}

MenuStyle* StyleOfMenu(const QWidget* menu) {
  return menu ? menu->findChild<MenuStyle*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool SkinnedPopups(const TkSkinableMenus& menus) {
  const TkSkinManagerComponent* c = ComponentOf(menus);
  return c && c->SkinnedPopups();
}
bool SkinInForce(const TkSkinableMenus& menus) {
  return menus.Owner && menus.Owner->SkinData.SkinActive;
}

void HookPopupItem(TkSkinableMenus& menus, const TkMenuItem& item) {
  TkMenuItemHandlers& h = ItemHandlers(item.Action);
  TkSkinableMenus* self = &menus;
  if (!h.OnAdvancedDrawItem) {
    h.OnAdvancedDrawItem = [self](const TkMenuItem& i, ws::Dc& c, const Rect& r, unsigned s) {
      DrawMenuItem(*self, i, c, r, s);
    };
    h.DrawOwner = self;
  }
  if (!h.OnMeasureItem) {
    h.OnMeasureItem = [self](const TkMenuItem& i, int& height, int& width) {
      MeasureMenuItem(*self, i, height, width);
    };
    h.MeasureOwner = self;
  }
}

void HookBarItem(TkSkinableMenus& menus, const TkMenuItem& item) {
  TkMenuItemHandlers& h = ItemHandlers(item.Action);
  TkSkinableMenus* self = &menus;
  h.OnAdvancedDrawItem = [self](const TkMenuItem& i, ws::Dc& c, const Rect& r, unsigned s) {
    DrawMenuBarItem(*self, i, c, r, s);
  };
  h.OnMeasureItem = [self](const TkMenuItem& i, int& height, int& width) {
    MeasureMenuBarItem(*self, i, height, width);
  };
  h.DrawOwner = h.MeasureOwner = self;
}

// Clears the two handlers where they are the menu object's own.
void UnhookItem(const TkSkinableMenus& menus, QAction* action) {
  TkMenuItemHandlers* h = FindItemHandlers(action);
  if (!h) return;
  if (h->DrawOwner == &menus) {
    h->OnAdvancedDrawItem = nullptr;
    h->DrawOwner = nullptr;
  }
  if (h->MeasureOwner == &menus) {
    h->OnMeasureItem = nullptr;
    h->MeasureOwner = nullptr;
  }
}

// Every item of the menu at every depth.
void HookTree(TkSkinableMenus& menus, QMenu* menu, bool on, int depth = 0) {
  if (!menu || depth > 32) return;
  for (QAction* a : menu->actions()) {
    if (on)
      HookPopupItem(menus, {a, menu});
    else
      UnhookItem(menus, a);
    if (QMenu* sub = a->menu()) {
      SetOwnerDraw(sub, &menus, on && SkinnedPopups(menus));
      HookTree(menus, sub, on, depth + 1);
    }
  }
}

// The screen's menu font.
QFont ScreenMenuFont() {
  return QApplication::font("QMenu");
}

int TextWidth(const QFont& font, const QString& text) {
  QImage scratch(1, 1, QImage::Format_RGB32);
  ws::Dc dc(scratch);
  dc.SelectFont(ws::Font{font, 0});
  Rect r{0, 0, 0, 0};
  ws::DrawText(dc, text, r, ws::DT_CALCRECT | ws::DT_SINGLELINE | ws::DT_EXPANDTABS);
  return r.Width();
}

bool HasBreak(const QAction* a) {
  return a->property("Break").toBool();
}

}  // namespace

TkMenuItemHandlers& ItemHandlers(QAction* item) {
  auto [it, made] = HandlerTable().try_emplace(item);
  if (made) QObject::connect(item, &QObject::destroyed, [item] { HandlerTable().erase(item); });
  return it->second;
}

TkMenuItemHandlers* FindItemHandlers(QAction* item) {
  auto it = HandlerTable().find(item);
  return it == HandlerTable().end() ? nullptr : &it->second;
}

TkSkinableMenus& SkinableMenusOf(TkSkinManagerComponent& manager) {
  return manager.Menus;
}

TkSkinManagerComponent* ComponentOf(const TkSkinableMenus& menus) {
  return menus.Owner ? menus.Owner->Component : nullptr;
}

bool IsOwnerDraw(const QWidget* menu) {
  return StyleOfMenu(menu) != nullptr;
}

void SetOwnerDraw(QWidget* menu, TkSkinableMenus* menus, bool on) {
  if (!menu) return;
  MenuStyle* own = StyleOfMenu(menu);
  if (on == (own != nullptr) && (!own || own->Menus() == menus)) return;
  if (own) {
    menu->setStyle(nullptr);
    delete own;
    menu->removeEventFilter(&CloseWatcher());
  }
  if (on && menus) {
    auto* style = new MenuStyle(menus);
    style->setParent(menu);  // freed with the menu
    menu->setStyle(style);
    menu->installEventFilter(&CloseWatcher());
  }
}

void SyncActive(TkSkinableMenus& menus) {
  SetActive(menus, SkinInForce(menus));
}

void SetActive(TkSkinableMenus& menus, bool on) {
  if (on == menus.Active) return;
  menus.Active = on;
  HookAll(menus, on);
}

void HookAll(TkSkinableMenus& menus, bool on) {
  menus.Active = on;
  const bool popups = on && SkinnedPopups(menus);
  for (QWidget* w : QApplication::allWidgets()) {
    if (auto* bar = qobject_cast<QMenuBar*>(w)) {
      HookMenuBar(menus, bar, on);
      for (QAction* top : bar->actions()) HookItems(menus, top, popups);
    } else if (auto* menu = qobject_cast<QMenu*>(w)) {
      // A bar's submenus were hooked with their bar; a popup of its own
      // (no bar above it) is hooked whole.
      if (!qobject_cast<QMenuBar*>(menu->parentWidget())) HookMenu(menus, menu, popups);
    }
  }
}

void HookMenu(TkSkinableMenus& menus, QMenu* menu, bool on) {
  if (!menu) return;
  SetOwnerDraw(menu, &menus, on && SkinnedPopups(menus));
  // The framework's menu animation is switched off while skinned: Qt's
  // menus follow the style's effects, which the proxy leaves alone.
  HookTree(menus, menu, on);
}

void HookItems(TkSkinableMenus& menus, QAction* item, bool on) {
  if (!item) return;
  if (QMenu* sub = item->menu()) {
    SetOwnerDraw(sub, &menus, on && SkinnedPopups(menus));
    HookTree(menus, sub, on);
  }
}

void HookMenuBar(TkSkinableMenus& menus, QMenuBar* bar, bool on) {
  if (!bar) return;
  for (QAction* top : bar->actions()) {
    if (on && SkinInForce(menus)) {
      if (!SkinnedPopups(menus)) return;  // the bar is left as it is
      HookBarItem(menus, {top, bar});
    } else if (!on) {
      UnhookItem(menus, top);
    }
  }
  SetOwnerDraw(bar, &menus, on);
}

void HookSingleItem(TkSkinableMenus& menus, const TkMenuItem& item, bool on) {
  if (!item.Action) return;
  SetOwnerDraw(item.Menu, &menus, on);
  if (!on) {
    UnhookItem(menus, item.Action);
    return;
  }
  if (qobject_cast<QMenuBar*>(item.Menu))
    HookBarItem(menus, item);
  else if (SkinnedPopups(menus))
    HookPopupItem(menus, item);
}

TkMenuItemType ItemTypeOf(const QString& caption) {
  if (caption == QLatin1String("-")) return TkMenuItemType::smDivider;
  if (caption.size() > 1 && caption.startsWith(QLatin1Char('-')) &&
      caption.endsWith(QLatin1Char('-')))
    return TkMenuItemType::smCaption;
  return TkMenuItemType::smNormal;
}

MenuModuleState& MenuModule() {
  static MenuModuleState state;
  return state;
}

TkMenuItemType CurrentItemType() {
  return MenuModule().CurrentItemType;
}

QList<QAction*> VisibleItems(const QWidget* menu) {
  QList<QAction*> out;
  if (menu)
    for (QAction* a : menu->actions())
      if (a->isVisible()) out << a;
  return out;
}

QString CaptionOf(const QAction* a) {
  return a->isSeparator() ? QStringLiteral("-") : a->text();
}

QFont MenuFontOf(const TkMenuItem& item) {
  QFont f = ScreenMenuFont();
  if (auto* menu = qobject_cast<QMenu*>(item.Menu); menu && menu->defaultAction() == item.Action)
    f.setBold(true);
  return f;
}

QSize ItemGlyphSize(const TkMenuItem& item) {
  if (item.Action && !item.Action->icon().isNull()) {
    const QList<QSize> sizes = item.Action->icon().availableSizes();
    if (!sizes.isEmpty()) return sizes.first();
  }
  return {16, 16};
}

int ItemHeight(const TkSkinableMenus& menus, const TkMenuItem& item) {
  const QString caption = CaptionOf(item.Action);
  if (caption == QLatin1String("-")) return 2;
  const int text = int(std::lround(1.25 * QFontMetrics(ScreenMenuFont()).height()));
  if (ItemTypeOf(caption) == TkMenuItemType::smCaption) return text + 2 * menus.Margin;
  return std::max(text, ItemGlyphSize(item).height()) + 2 * menus.Margin;
}

int MenuHeight(const TkSkinableMenus& menus, const TkMenuItem& item) {
  int tallest = 0, column = 0;
  for (QAction* a : VisibleItems(item.Menu)) {
    if (HasBreak(a)) {
      tallest = std::max(tallest, column);
      column = 0;
    }
    column += ItemHeight(menus, {a, item.Menu});
  }
  return std::max(tallest, column);
}

int MenuWidth(TkSkinableMenus& menus, const TkMenuItem& item) {
  int sum = 0, widest = 0;
  for (QAction* a : VisibleItems(item.Menu)) {
    if (HasBreak(a)) {
      sum += widest + 12 + 4;
      widest = 0;
    }
    int h = 0, w = 0;
    MeasureMenuItem(menus, {a, item.Menu}, h, w);
    widest = std::max(widest, w);
  }
  return sum + widest + 12;
}

bool InLaterColumn(const TkMenuItem& item) {
  for (QAction* a : item.Menu ? item.Menu->actions() : QList<QAction*>{}) {
    if (HasBreak(a)) return true;
    if (a == item.Action) break;
  }
  return false;
}

void MeasureMenuItem(TkSkinableMenus& menus, const TkMenuItem& item, int& height, int& width) {
  if (!item.Action) return;
  MenuModuleState& unit = MenuModule();
  unit.MenuMeasuring = true;
  TMenuInfo entry;
  const bool known = FindMenuInfo(menus, &item, 0, entry, 0, 0);
  const QString caption = CaptionOf(item.Action);
  unit.CurrentItemType = ItemTypeOf(caption);
  if (!known && !unit.ExtraLineQuery) {
    const QList<QAction*> all = item.Menu ? item.Menu->actions() : QList<QAction*>{};
    if (!all.isEmpty()) QueryExtraLine(menus, {all.first(), item.Menu});
  }
  QString text;
  switch (unit.CurrentItemType) {
    case TkMenuItemType::smCaption:
      text = QLatin1Char('-') + caption + QLatin1Char('-');
      break;
    case TkMenuItemType::smDivider:
      break;
    default:
      text = caption;
      if (!item.Action->shortcut().isEmpty())
        text += item.Action->shortcut().toString(QKeySequence::NativeText);
      break;
  }
  const QSize glyph = ItemGlyphSize(item);
  width = 2 * glyph.width() + TextWidth(MenuFontOf(item), text) + 3 * menus.Margin + menus.Spacing;
  if (!InLaterColumn(item)) {
    TMenuInfo shown;
    shown.ShowExtraLine = known ? entry.ShowExtraLine : unit.ExtraLineOn;
    width += ExtraLineSpace(menus, shown);
  }
  height = ItemHeight(menus, item);
  unit.MenuMeasuring = false;
}

void MeasureMenuBarItem(TkSkinableMenus& menus, const TkMenuItem& item, int& height, int& width) {
  (void)menus;
  height = ws::GetSystemMetrics(ws::SM_CYMENU) - 1;
  QString caption = CaptionOf(item.Action);
  caption.remove(QLatin1Char('&'));
  width = QFontMetrics(ScreenMenuFont()).horizontalAdvance(caption);
  if (!item.Action->icon().isNull()) width += ItemGlyphSize(item).width() + 6;
}

}  // namespace kelmo::skinwnd
