// Skinned menus: hooking menus and bars without touching the program's own
// item handlers, the kinds and measures of items, the background of a
// popup menu built once per shown menu, items painted from MENUITEM over
// it (hot when selected), the extra line, bar items over the form's menu
// line, and unhooking when the skin goes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <cmath>

#include "dialog_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skinwnd/auto_skin_hook.h"
#include "skinwnd/menu_module.h"
#include "skinwnd/skinned_menus.h"
#include "winshim/system_profile.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace td = kelmo::skinwnd::testing_dialogs;
using testing_controls::Near;
using testing_controls::PixelOf;
constexpr auto Grab = testing_controls::ControlForm::Grab;

namespace {

struct Menus : ::testing::Test {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  TkSkinableMenus& menus = manager.Menus;

  void SetUp() override {
    ws::ResetSystemProfile();
    td::WriteDialogsSkin(dir.path());
    StartAutoSkinning();
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Dialogs"));
    manager.SetActive(true);
  }
  void TearDown() override {
    manager.SetActive(false);
    ClearOpenMenuList();
  }
  static std::unique_ptr<QMenu> FileMenu() {
    auto m = std::make_unique<QMenu>();
    m->addAction(QStringLiteral("&Open"));
    m->addAction(QStringLiteral("Save"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    m->addSeparator();
    m->addAction(QStringLiteral("-Recent-"));
    m->addAction(QStringLiteral("Quit"))->setEnabled(false);
    return m;
  }
};

}  // namespace

TEST_F(Menus, ItemKindsAndMeasures) {
  EXPECT_EQ(ItemTypeOf(QStringLiteral("-")), TkMenuItemType::smDivider);
  EXPECT_EQ(ItemTypeOf(QStringLiteral("-Caption-")), TkMenuItemType::smCaption);
  EXPECT_EQ(ItemTypeOf(QStringLiteral("Word-")), TkMenuItemType::smNormal);
  EXPECT_EQ(ItemTypeOf(QStringLiteral("Word")), TkMenuItemType::smNormal);

  auto menu = FileMenu();
  const QList<QAction*> items = menu->actions();
  const int w = QFontMetrics(QApplication::font("QMenu")).height();
  const int text = int(std::lround(1.25 * w));
  EXPECT_EQ(ItemHeight(menus, {items[0], menu.get()}), std::max(text, 16) + 4);
  EXPECT_EQ(ItemHeight(menus, {items[2], menu.get()}), 2);
  EXPECT_EQ(ItemHeight(menus, {items[3], menu.get()}), text + 4);
  // A 24-pixel glyph sets the height.
  QPixmap big(24, 24);
  big.fill(Qt::red);
  items[1]->setIcon(QIcon(big));
  EXPECT_EQ(ItemHeight(menus, {items[1], menu.get()}), std::max(text, 24) + 4);
  items[1]->setIcon(QIcon());

  // The width: two glyph columns, the text (with the shortcut), three
  // margins and the spacing.
  int height = 0, width = 0;
  MeasureMenuItem(menus, {items[0], menu.get()}, height, width);
  const QFontMetrics fm(QApplication::font("QMenu"));
  EXPECT_EQ(width, 2 * 16 + fm.horizontalAdvance(QStringLiteral("Open")) + 3 * 2 + 6);
  EXPECT_EQ(height, ItemHeight(menus, {items[0], menu.get()}));
  int sh = 0, sw = 0;
  MeasureMenuItem(menus, {items[1], menu.get()}, sh, sw);
  EXPECT_EQ(sw, 2 * 16 +
                    fm.horizontalAdvance(
                        QStringLiteral("Save") +
                        QKeySequence(QStringLiteral("Ctrl+S")).toString(QKeySequence::NativeText)) +
                    12);
  // A break starts a column that is not shifted by the extra line.
  items[3]->setProperty("Break", true);
  EXPECT_FALSE(InLaterColumn({items[1], menu.get()}));
  EXPECT_TRUE(InLaterColumn({items[4], menu.get()}));
  // The tallest column of the two.
  const int first = ItemHeight(menus, {items[0], menu.get()}) * 2 + 2;
  const int second =
      ItemHeight(menus, {items[3], menu.get()}) + ItemHeight(menus, {items[4], menu.get()});
  EXPECT_EQ(MenuHeight(menus, {items[0], menu.get()}), std::max(first, second));

  // A bar item: the menu height less one, the caption without "&".
  QMenuBar bar;
  QAction* top = bar.addAction(QStringLiteral("&File"));
  MeasureMenuBarItem(menus, {top, &bar}, height, width);
  EXPECT_EQ(height, ws::GetSystemMetrics(ws::SM_CYMENU) - 1);
  EXPECT_EQ(width, fm.horizontalAdvance(QStringLiteral("File")));
  // The border width of MAINMENU's mask, whose own value is 0.
  EXPECT_EQ(menus.SkinBorderWidth(), 3);
}

TEST_F(Menus, HookingKeepsTheProgramsHandlers) {
  auto menu = FileMenu();
  QAction* own = menu->actions()[0];
  int ownDrawn = 0;
  ItemHandlers(own).OnAdvancedDrawItem = [&](const TkMenuItem&, ws::Dc&, const Rect&, unsigned) {
    ++ownDrawn;
  };
  HookMenu(menus, menu.get(), true);
  EXPECT_TRUE(IsOwnerDraw(menu.get()));
  ASSERT_NE(FindItemHandlers(own), nullptr);
  EXPECT_EQ(FindItemHandlers(own)->DrawOwner, nullptr);  // still the program's
  EXPECT_EQ(FindItemHandlers(own)->MeasureOwner, &menus);
  EXPECT_EQ(FindItemHandlers(menu->actions()[1])->DrawOwner, &menus);
  HookMenu(menus, menu.get(), false);
  EXPECT_FALSE(IsOwnerDraw(menu.get()));
  EXPECT_TRUE(FindItemHandlers(own)->OnAdvancedDrawItem);
  EXPECT_FALSE(FindItemHandlers(own)->OnMeasureItem);
  EXPECT_FALSE(FindItemHandlers(menu->actions()[1])->OnAdvancedDrawItem);

  // A bar's items get the bar handlers; HookItems gives only their
  // sub-items the popup ones.
  QMenuBar bar;
  QMenu* file = bar.addMenu(QStringLiteral("File"));
  QAction* open = file->addAction(QStringLiteral("Open"));
  HookMenuBar(menus, &bar, true);
  HookItems(menus, file->menuAction(), true);
  EXPECT_TRUE(IsOwnerDraw(&bar));
  EXPECT_TRUE(IsOwnerDraw(file));
  EXPECT_EQ(FindItemHandlers(open)->DrawOwner, &menus);
  // Without skinned popups a popup is not owner-drawn and the bar is left.
  HookMenuBar(menus, &bar, false);
  EXPECT_FALSE(IsOwnerDraw(&bar));
  manager.SetSkinnedPopups(false);
  HookMenu(menus, menu.get(), true);
  EXPECT_FALSE(IsOwnerDraw(menu.get()));
  HookMenuBar(menus, &bar, true);
  EXPECT_FALSE(IsOwnerDraw(&bar));
  manager.SetSkinnedPopups(true);
}

TEST_F(Menus, PopupPaintedOverOneBackground) {
  auto menu = FileMenu();
  HookMenu(menus, menu.get(), true);
  menu->popup(QPoint(50, 50));
  QCoreApplication::processEvents();
  const QList<QAction*> items = menu->actions();
  // Qt lays the items out at the measured heights.
  EXPECT_EQ(menu->actionGeometry(items[0]).height(), ItemHeight(menus, {items[0], menu.get()}));
  EXPECT_EQ(menu->actionGeometry(items[2]).height(), 2);
  menu->setActiveAction(items[1]);
  const QImage img = Grab(menu.get());
  ASSERT_EQ(OpenMenuList().size(), 1u);
  EXPECT_EQ(OpenMenuList()[0].Menu, menu.get());
  const QRect open = menu->actionGeometry(items[0]);
  const QRect save = menu->actionGeometry(items[1]);
  // Items over MENUITEM (hot when selected), the frame from the border.
  EXPECT_TRUE(Near(PixelOf(img, open.right() - 2, open.center().y()), td::kItemColor));
  EXPECT_TRUE(Near(PixelOf(img, save.right() - 2, save.center().y()), td::kItemHotColor));
  EXPECT_TRUE(Near(PixelOf(img, 1, img.height() / 2), td::kMenuBorderColor));
  // The region leaves out the border's magenta corner.
  EXPECT_FALSE(menu->mask().isEmpty());
  EXPECT_FALSE(menu->mask().contains(QPoint(0, 0)));
  // Painting again reuses the entry; closing the menu empties the list.
  Grab(menu.get());
  EXPECT_EQ(OpenMenuList().size(), 1u);
  menu->hide();
  EXPECT_TRUE(OpenMenuList().empty());
}

TEST_F(Menus, ExtraLineShiftsTheFirstColumn) {
  manager.MenuSupport.UseExtraLine = true;
  QImage returned(8, 8, QImage::Format_RGB32);
  bool show = true;
  manager.OnGetExtraLineData = [&](QAction*, QString&, bool& on, QImage& graphic, QString&) {
    on = show;
    graphic = returned;
  };
  auto menu = FileMenu();
  HookMenu(menus, menu.get(), true);
  menu->popup(QPoint(50, 50));
  QCoreApplication::processEvents();
  const QImage img = Grab(menu.get());
  const QRect open = menu->actionGeometry(menu->actions()[0]);
  // The line lies left of the items, which are painted 32 pixels on.
  EXPECT_TRUE(Near(PixelOf(img, open.left() + 10, open.center().y()), td::kExtraLineColor));
  EXPECT_TRUE(Near(PixelOf(img, open.left() + 40, open.bottom()), td::kItemColor));
  menu->hide();
  // Switched off by the event: its picture is freed, the line not shown.
  show = false;
  TMenuInfo entry;
  QueryExtraLine(menus, {menu->actions()[0], menu.get()});
  EXPECT_TRUE(MenuModule().ExtraLineGraphic.isNull());
  EXPECT_FALSE(MenuModule().ExtraLineOn);
  // A menu whose first item is the skin selector never shows it.
  show = true;
  menu->actions()[0]->setObjectName(QStringLiteral("SkinSelectItem"));
  QueryExtraLine(menus, {menu->actions()[0], menu.get()});
  EXPECT_FALSE(MenuModule().ExtraLineOn);
}

TEST_F(Menus, BarItemsOverTheMenuLine) {
  // The form is skinned through the hook: its provider paints the menu
  // line, over which the bar's items are painted.
  QMainWindow form;
  QMenu* file = form.menuBar()->addMenu(QStringLiteral("File"));
  file->addAction(QStringLiteral("Open"));
  form.menuBar()->addMenu(QStringLiteral("Edit"));
  form.resize(300, 200);
  form.show();
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&form, &activate);
  QCoreApplication::processEvents();
  ASSERT_TRUE(IsOwnerDraw(form.menuBar()));
  const QRect r = form.menuBar()->actionGeometry(file->menuAction());
  const QImage img = Grab(form.menuBar());
  EXPECT_TRUE(Near(PixelOf(img, r.left() + 1, r.top() + 1), td::kMenuLineColor))
      << std::hex << PixelOf(img, r.left() + 1, r.top() + 1);
  EXPECT_TRUE(Near(PixelOf(img, form.menuBar()->width() - 2, r.top() + 1), td::kMenuLineColor));
  // Selected, the item is painted from MENUITEM's hot look.
  QImage hot(form.menuBar()->size(), QImage::Format_BGR888);
  hot.fill(Qt::black);
  {
    ws::Dc dc(hot);
    DrawMenuBarItem(menus, {file->menuAction(), form.menuBar()}, dc, Rect::FromQRect(r),
                    odSelected);
  }
  EXPECT_TRUE(Near(PixelOf(hot.convertToFormat(QImage::Format_RGB32), r.left() + 1, r.top() + 1),
                   td::kItemHotColor));
}

TEST_F(Menus, SkinOffUnhooksEveryMenu) {
  auto menu = FileMenu();
  QMenuBar bar;
  bar.addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Open"));
  SyncActive(menus);
  EXPECT_TRUE(menus.Active);
  HookAll(menus, true);
  EXPECT_TRUE(IsOwnerDraw(menu.get()));
  EXPECT_TRUE(IsOwnerDraw(&bar));
  manager.SetActive(false);
  EXPECT_FALSE(menus.Active);
  EXPECT_FALSE(IsOwnerDraw(menu.get()));
  EXPECT_FALSE(IsOwnerDraw(&bar));
  EXPECT_FALSE(FindItemHandlers(menu->actions()[0])->OnAdvancedDrawItem);
}
