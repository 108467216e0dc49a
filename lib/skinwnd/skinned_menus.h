// Skinned menus: how the program's menus (QMenu popups and QMenuBar bars)
// are made owner-drawn and given the menu object's measuring and painting
// handlers, across the whole application, and how their items are
// measured and painted from the skin.
//
// A menu is owner-drawn while it carries the menu style (a proxy of its
// own style): Qt then asks the style for each item's size and picture, and
// the style hands the item to the item's handlers. An item's handlers are
// the application's when it set them, else the menu object's (hooking
// never replaces the application's, unhooking never removes them).
//
// A popup menu is painted as one picture: the first item measured or
// painted of a shown menu builds a background of the whole menu (the
// MAINMENU section with its border, the glyph column and the optional
// extra line) kept in the open-menu list; each item paints over its part
// of it, the frame comes from it and the window's region is cut along its
// border. Bar items paint over the form provider's menu line. GUI thread
// only.
#pragma once

#include <QImage>
#include <QPointer>
#include <QSize>
#include <functional>
#include <vector>

#include "skin/skinable_menus.h"
#include "winshim/dc.h"
#include "winshim/window.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace kelmo::skin {
class TkSkinManagerComponent;
}

namespace kelmo::skinwnd {

using skin::TkMenuItemType;
using skin::TkSkinableMenus;
using winshim::HWND;
using winshim::Rect;

// An item as its handlers see it: the action and the menu (or bar) it is
// shown in.
struct TkMenuItem {
  QAction* Action = nullptr;
  QWidget* Menu = nullptr;
};
// OnAdvancedDrawItem: the canvas, the item's rectangle on it, the state
// (skin::od* bits). OnMeasureItem: the height and width, in and out.
using TkDrawItemHandler =
    std::function<void(const TkMenuItem&, winshim::Dc&, const Rect&, unsigned state)>;
using TkMeasureItemHandler = std::function<void(const TkMenuItem&, int& height, int& width)>;

// The two handlers of an item and whose they are (nullptr: the
// application's; else the menu object that set them).
struct TkMenuItemHandlers {
  TkDrawItemHandler OnAdvancedDrawItem;
  TkMeasureItemHandler OnMeasureItem;
  const TkSkinableMenus* DrawOwner = nullptr;
  const TkSkinableMenus* MeasureOwner = nullptr;
};
// The item's handlers, made on first use and freed with the action.
TkMenuItemHandlers& ItemHandlers(QAction* item);
// The item's handlers, or nullptr when it never had any.
TkMenuItemHandlers* FindItemHandlers(QAction* item);

// The menu object of a manager.
TkSkinableMenus& SkinableMenusOf(skin::TkSkinManagerComponent& manager);
// The manager component that owns a menu object (nullptr for none).
skin::TkSkinManagerComponent* ComponentOf(const TkSkinableMenus& menus);

// Whether the menu or bar is owner-drawn (carries the menu style).
bool IsOwnerDraw(const QWidget* menu);
// Makes the menu or bar owner-drawn (it gets the menu style of the menu
// object) or gives it its own style back.
void SetOwnerDraw(QWidget* menu, TkSkinableMenus* menus, bool on);

// Switches the menus on or off with the manager's skin.
void SyncActive(TkSkinableMenus& menus);
// On a change: stores it and hooks or unhooks every menu.
void SetActive(TkSkinableMenus& menus, bool on);
// Stores the state and walks every menu and bar of the application: a bar
// gets HookMenuBar and its items' sub-items HookItems, a popup HookMenu.
void HookAll(TkSkinableMenus& menus, bool on);
// A popup menu: owner-drawn with (on and SkinnedPopups), every item at
// every depth hooked or unhooked.
void HookMenu(TkSkinableMenus& menus, QMenu* menu, bool on);
// Every sub-item at every depth of the item (not the item itself) hooked
// or unhooked; items of a bar are never given the popup handlers.
void HookItems(TkSkinableMenus& menus, QAction* item, bool on);
// A bar: with on, a skin in force and SkinnedPopups its items get the bar
// handlers (replacing any), and nothing at all happens without
// SkinnedPopups; off removes the menu object's bar handlers. The bar is
// owner-drawn as on says (unless it is being destroyed).
void HookMenuBar(TkSkinableMenus& menus, QMenuBar* bar, bool on);
// One item: its menu owner-drawn as on; on gives a bar item the bar
// handlers, another item the popup handlers where it has none (with
// SkinnedPopups); off removes the menu object's.
void HookSingleItem(TkSkinableMenus& menus, const TkMenuItem& item, bool on);

// The kind of an item by its caption: "-" a separator, "-word-" a
// caption item, anything else a normal one.
TkMenuItemType ItemTypeOf(const QString& caption);
// The item being measured or painted.
TkMenuItemType CurrentItemType();
// The screen's menu font (bold for the menu's default item).
QFont MenuFontOf(const TkMenuItem& item);
// The glyph size: the item's icon's, else 16 by 16.
QSize ItemGlyphSize(const TkMenuItem& item);
// 2 for a separator; round(1.25 x the height of "W") + 2 x Margin for a
// caption item; the larger of that and the glyph's height + 2 x Margin
// for the others.
int ItemHeight(const TkSkinableMenus& menus, const TkMenuItem& item);
// The visible items' tallest column (a break starts a new one).
int MenuHeight(const TkSkinableMenus& menus, const TkMenuItem& item);
// The visible items' columns: each the largest measured width + 12, a
// break adding the finished column and 4.
int MenuWidth(TkSkinableMenus& menus, const TkMenuItem& item);
// Some item from the first to this one (inclusive) has a break.
bool InLaterColumn(const TkMenuItem& item);
// The popup items' OnMeasureItem.
void MeasureMenuItem(TkSkinableMenus& menus, const TkMenuItem& item, int& height, int& width);
// The bar items' OnMeasureItem.
void MeasureMenuBarItem(TkSkinableMenus& menus, const TkMenuItem& item, int& height, int& width);

// One open popup menu's background.
struct TMenuInfo {
  QAction* FirstItem = nullptr;  // identifies the menu
  QPointer<QWidget> Menu;
  QImage Bmp;  // 24-bit, the popup window's size
  HWND Wnd = 0;
  bool ShowExtraLine = false;
};
std::vector<TMenuInfo>& OpenMenuList();
// Empties the list (every background freed).
void ClearOpenMenuList();
// With an item: its menu's entry, built (MakeMenuBg) when missing and a
// width is given; without one: the entry of the window. False for none.
bool FindMenuInfo(TkSkinableMenus& menus, const TkMenuItem* item, int width, TMenuInfo& out,
                  HWND wnd, int height);
// Builds a menu's background and appends its entry.
void MakeMenuBg(TkSkinableMenus& menus, const TkMenuItem& first, int width, int height, HWND wnd);
// Cuts the popup window's region along the background's border.
void SetMenuRgn(TkSkinableMenus& menus, HWND wnd, const QImage& bmp);
// Whether the menu shows the extra line (and the line's section, picture
// and text for its background); asks the manager's OnGetExtraLineData.
void QueryExtraLine(TkSkinableMenus& menus, const TkMenuItem& first);
// The extra line's width for a menu entry: ExtraLineWidth when the
// options use it and the entry shows it; else 0.
int ExtraLineSpace(const TkSkinableMenus& menus, const TMenuInfo& entry);

// The painting handlers.
void DrawMenuItem(TkSkinableMenus& menus, const TkMenuItem& item, winshim::Dc& canvas,
                  const Rect& rect, unsigned state);
void DrawMenuBarItem(TkSkinableMenus& menus, const TkMenuItem& item, winshim::Dc& canvas,
                     const Rect& rect, unsigned state);
// The popup frame from the menu's background (the window's border strips).
void PaintMenuFrame(TkSkinableMenus& menus, QWidget* menu, winshim::Dc& canvas);

// The picture a form's provider keeps of its menu line (the bar's
// background) and where the bar's origin lies in it; nullptr when none.
using MenuLineSource = std::function<const QImage*(QMenuBar* bar, QPoint& offset)>;
// Sets where bar items find their background; returns the previous one.
// StartSkinnedMenus sets the form providers' menu lines.
MenuLineSource SetMenuLineSource(MenuLineSource source);
// The bar's background outside its items from the menu line.
void PaintMenuBarBg(QMenuBar* bar, winshim::Dc& canvas);
// Lets form providers hook their forms' menus and paint their menu lines'
// items (once per process; StartAutoSkinning calls it).
void StartSkinnedMenus();

}  // namespace kelmo::skinwnd
