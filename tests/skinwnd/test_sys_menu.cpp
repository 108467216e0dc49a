// The skinned system menus: a form's items by window state and border
// style, the program's own items copied from the window's menu, a window
// without a system menu, the commands reaching the window (and what the
// window then does), the list of skins in columns of 20, and a dialog's
// menu from its saved style and frame kind.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <vector>

#include "adapter_fixture.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin_fixture.h"
#include "skinwnd/sys_menu.h"
#include "winshim/system_menu.h"

using namespace kelmo::skinwnd;
namespace ws = kelmo::winshim;
using kelmo::skinwnd::testing_provider::FakeProvider;

namespace {

// Visible and enabled flags of the six items, in menu order. Qt reports a
// hidden action disabled: enabling is compared for visible items only.
struct Flags {
  bool visible[6];
  bool enabled[6];
};

Flags FlagsOf(const TkSystemMenu& m) {
  const QAction* items[6] = {m.ItemRestore,  m.ItemMove,     m.ItemSize,
                             m.ItemMinimize, m.ItemMaximize, m.ItemClose};
  Flags f{};
  for (int i = 0; i < 6; ++i) {
    f.visible[i] = items[i]->isVisible();
    f.enabled[i] = items[i]->isEnabled();
  }
  return f;
}

struct Recorder {
  std::vector<unsigned> commands;
  void On(QWidget* w, bool passOn) {
    ws::Subclass(ws::HandleOf(w),
                 [this, passOn](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
                   if (m.msg == ws::WM_SYSCOMMAND) commands.push_back(unsigned(m.wParam));
                   if (passOn || m.msg != ws::WM_SYSCOMMAND) next(m);
                 });
  }
};

TEST(SystemMenu, ItemsFollowTheWindowStateAndBorderStyle) {
  //                                restore move  size  min   max   close
  struct Case {
    const char* what;
    bool fixedSize;
    int state;  // 0 normal, 1 minimized, 2 maximized
    bool removed;
    Flags want;
  };
  const Case cases[] = {
      {"sizeable, normal",
       false,
       0,
       true,
       {{true, true, true, true, true, true}, {false, true, true, true, true, true}}},
      {"sizeable, maximized",
       false,
       2,
       true,
       {{true, true, true, true, true, true}, {true, false, true, true, false, true}}},
      {"sizeable, minimized",
       false,
       1,
       true,
       {{true, true, true, true, true, true}, {true, true, false, false, true, true}}},
      {"single, normal",
       true,
       0,
       true,
       {{true, true, true, true, true, true}, {false, true, false, true, true, true}}},
      {"frame not taken over",
       false,
       0,
       false,
       {{false, true, true, false, false, false}, {false, true, true, true, true, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QWidget form;
    form.resize(200, 150);
    if (c.fixedSize) form.setFixedSize(200, 150);
    form.show();
    if (c.state == 1) form.showMinimized();
    if (c.state == 2) form.showMaximized();
    QCoreApplication::processEvents();
    FakeProvider provider(&form);
    provider.sysMenuRemoved = c.removed;
    TkSystemMenu menu(provider);
    EXPECT_EQ(menu.objectName(), QStringLiteral("SysMenu"));
    menu.UpdateItems();
    const Flags got = FlagsOf(menu);
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(got.visible[i], c.want.visible[i]);
      if (got.visible[i]) EXPECT_EQ(got.enabled[i], c.want.enabled[i]);
    }
  }
}

TEST(SystemMenu, CopiesTheProgramsItemsAndSendsCommands) {
  Recorder rec;  // before the form: it hears the form's end
  QWidget form;
  form.resize(200, 150);
  form.show();
  const ws::HWND h = ws::HandleOf(&form);
  ws::AppendSystemMenuItem(h, 0, {});  // a separator: not copied
  ws::AppendSystemMenuItem(h, 0x110, QStringLiteral("&About\tCtrl+B"));
  ws::AppendSystemMenuItem(h, 0x120, QString());  // no text: not copied
  FakeProvider provider(&form);
  TkSystemMenu menu(provider);
  EXPECT_EQ(menu.ExtItemsCount, 1);
  QStringList names, captions;
  std::vector<unsigned> tags;
  for (QAction* a : menu.actions()) {
    names << a->objectName();
    captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    tags.push_back(a->data().toUInt());
  }
  EXPECT_EQ(captions, (QStringList{"&Restore", "&Move", "&Size", "Mi&nimize", "Ma&ximize", "-",
                                   "&About", "-", "&Close"}));
  EXPECT_EQ(names.first(), QStringLiteral("kaIR"));
  EXPECT_EQ(names.last(), QStringLiteral("kaIC"));
  EXPECT_EQ(tags[6], 0x110u);
  EXPECT_EQ(menu.actions()[6]->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
  EXPECT_EQ(menu.ItemClose->shortcut(), QKeySequence(QStringLiteral("Alt+F4")));

  // The commands reach the window, and the window acts on them.
  rec.On(&form, true);
  menu.ItemMaximize->trigger();
  EXPECT_TRUE(form.isMaximized());
  menu.ItemRestore->trigger();
  EXPECT_FALSE(form.isMaximized());
  menu.ItemMinimize->trigger();
  EXPECT_TRUE(form.isMinimized());
  menu.ItemRestore->trigger();
  menu.ItemMove->trigger();
  menu.ItemSize->trigger();
  menu.ItemClose->trigger();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(rec.commands,
            (std::vector<unsigned>{ws::SC_MAXIMIZE, ws::SC_RESTORE, ws::SC_MINIMIZE, ws::SC_RESTORE,
                                   ws::SC_MOVE, ws::SC_SIZE, ws::SC_CLOSE}));
  // A copied item posts its own command.
  menu.actions()[6]->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(rec.commands.back(), 0x110u);
}

TEST(SystemMenu, AWindowWithoutOneGivesAnEmptyMenu) {
  QWidget form(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  FakeProvider provider(&form);
  TkSystemMenu menu(provider);
  EXPECT_TRUE(menu.actions().isEmpty());
  menu.UpdateItems();  // nothing to update, nothing breaks
  EXPECT_EQ(menu.ItemClose, nullptr);
}

TEST(SystemMenu, SkinListInColumnsOfTwenty) {
  QTemporaryDir dir;
  for (int i = 0; i < 45; ++i) {
    const QString folder = dir.path() + QString::asprintf("/Skin%02d", i);
    kelmo::skin::testing_fixture::WriteFile(folder + "/Options.dat", "[GLOBALINFO]\r\n");
  }
  kelmo::skin::TkSkinManagerComponent manager;
  manager.SetActive(false);
  manager.SetSkinDirectory(dir.path());
  manager.SetSkinName(QStringLiteral("Skin21"));
  QWidget form;
  FakeProvider provider(&form);
  TkSystemMenu menu(provider);
  const int before = int(menu.actions().size());
  menu.AddSkinList();
  const auto top = menu.actions();
  ASSERT_EQ(int(top.size()), before + 2);
  EXPECT_EQ(top[0]->objectName(), QStringLiteral("SkinSelectItem"));
  EXPECT_EQ(top[0]->text(), QStringLiteral("Available skins"));
  EXPECT_TRUE(top[1]->isSeparator());
  const auto skins = top[0]->menu()->actions();
  ASSERT_EQ(skins.size(), 45);
  for (int i = 0; i < 45; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(skins[i]->objectName(), QStringLiteral("SkinSelectItem") + QString::number(i));
    EXPECT_EQ(TkSystemMenu::SkinListColumn(skins[i]), i / 20);
    EXPECT_EQ(skins[i]->isChecked(), skins[i]->text() == QStringLiteral("Skin21"));
  }
  // Choosing one makes it the manager's skin; the list can be rebuilt.
  skins[3]->trigger();
  EXPECT_EQ(manager.SkinName(), QStringLiteral("Skin03"));
  menu.RemoveSkinList();
  EXPECT_EQ(int(menu.actions().size()), before);
}

struct FakeDialog : TkaDialogMenuOwner {
  FakeDialog(QWidget* d, std::uint32_t s, int k) : dialog(d), style(s), kind(k) {}
  QWidget* dialog;
  std::uint32_t style;
  int kind;
  ws::HWND DialogHandle() const override { return ws::HandleOf(dialog); }
  std::uint32_t DialogSavedStyle() const override { return style; }
  int DialogFrameKind() const override { return kind; }
};

TEST(DialogSystemMenu, ItemsFromTheSavedStyleAndFrameKind) {
  Recorder rec;
  QWidget dialog;
  dialog.resize(200, 120);
  dialog.show();
  const std::uint32_t all = ws::WS_SYSMENU | ws::WS_MINIMIZEBOX | ws::WS_MAXIMIZEBOX;
  struct Case {
    const char* what;
    std::uint32_t style;
    int kind;
    Flags want;
  };
  const Case cases[] = {
      {"fixed dialog frame, close only",
       ws::WS_SYSMENU,
       0,
       {{false, true, false, false, false, true}, {false, true, true, false, false, true}}},
      {"ordinary with both boxes",
       all,
       3,
       {{true, true, true, true, true, true}, {false, true, true, true, true, true}}},
      {"before the styles are read",
       all,
       1,
       {{true, true, true, true, true, true}, {false, true, false, true, true, true}}},
      {"popup without caption",
       0,
       2,
       {{false, true, false, false, false, false}, {false, true, true, false, false, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDialog owner(&dialog, c.style, c.kind);
    TkaSystemMenu menu(&owner);
    EXPECT_FALSE(menu.VisibleMax() || menu.VisibleMin() || menu.EnabledMax() || menu.EnabledMin() ||
                 menu.EnabledRestore());
    EXPECT_EQ(menu.VisibleClose(), bool(c.style & ws::WS_SYSMENU));
    menu.UpdateItems();
    const QAction* items[6] = {menu.ItemRestore,  menu.ItemMove,     menu.ItemSize,
                               menu.ItemMinimize, menu.ItemMaximize, menu.ItemClose};
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("miRestore"));
    EXPECT_EQ(items[5]->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(items[i]->isVisible(), c.want.visible[i]);
      if (c.want.visible[i]) EXPECT_EQ(items[i]->isEnabled(), c.want.enabled[i]);
    }
  }
  // The dialog's clicks reach the dialog.
  FakeDialog owner(&dialog, all, 3);
  TkaSystemMenu menu(&owner);
  rec.On(&dialog, false);
  menu.ItemClose->trigger();
  menu.ItemMinimize->trigger();
  EXPECT_EQ(rec.commands, (std::vector<unsigned>{ws::SC_CLOSE, ws::SC_MINIMIZE}));
}

}  // namespace
