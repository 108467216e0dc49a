// The popup-menu wrapper on menus shown with the list skin: the region
// question of the menu painter, the background painted from MENU while a
// skinned menu draws, the commands kept from the menu window, and what
// happens when the menus go.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTemporaryDir>
#include <vector>

#include "list_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/menu_wnd.h"
#include "winshim/dc.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace tl = kelmo::skinwnd::testing_lists;

namespace {

struct SkinnedMenus : ::testing::Test {
  std::vector<std::pair<ws::HWND, unsigned>> got;  // below the wrappers
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  std::unique_ptr<QMenu> first, second;

  void SetUp() override {
    tl::WriteListSkin(dir.path());
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Lists"));
    first = Menu();
    second = Menu();
  }
  void TearDown() override {
    MenuUnit() = {};
    FreeLeftMenuWrappers();
  }
  std::unique_ptr<QMenu> Menu() {
    auto menu = std::make_unique<QMenu>();
    menu->addAction(QStringLiteral("Open"));
    menu->resize(100, 60);
    menu->show();
    const ws::HWND h = ws::HandleOf(menu.get());
    ws::Subclass(h, [this](ws::HWND self, ws::Msg& m, const ws::NextHandler& next) {
      got.emplace_back(self, m.msg);
      next(m);
    });
    return menu;
  }
  int Reached(ws::HWND h, unsigned msg) const {
    int n = 0;
    for (const auto& [w, m] : got) n += w == h && m == msg;
    return n;
  }
};

}  // namespace

TEST_F(SkinnedMenus, RegionQuestionBackgroundAndCommands) {
  const ws::HWND h = ws::HandleOf(first.get());
  TkaMnuWnd* w = AddMenuWrapper(h, &manager.Manager);
  // The menu painter's commands; the menu window hears none of them.
  struct Case {
    int command;
    ws::LRESULT answer;
  };
  EXPECT_EQ(SendSkinCommand(h, scMenuRgnDone, 0), 0);
  for (const Case c : {Case{scIsSkinned, 1}, Case{8, 1}, Case{99, 0},
                       Case{scGetApplication, ws::LRESULT(QCoreApplication::instance())}})
    EXPECT_EQ(SendSkinCommand(h, c.command, 0), c.answer) << c.command;
  EXPECT_EQ(Reached(h, SM_SKINCMD), 0);

  // Outside a skinned menu the erase is the window's own.
  QImage img(94, 54, QImage::Format_BGR888);
  img.fill(Qt::black);
  {
    ws::Dc dc(img);
    ws::SendMessage(h, ws::WM_ERASEBKGND, ws::WPARAM(&dc));
  }
  EXPECT_EQ(Reached(h, ws::WM_ERASEBKGND), 1);
  EXPECT_EQ(tl::At(img, 40, 20), 0u);
  // While a skinned menu draws, the erase paints MENU's background and the
  // region counts as not set until the painter sets it again.
  MenuUnit().MenuSkinActive = true;
  {
    ws::Dc dc(img);
    ws::SendMessage(h, ws::WM_ERASEBKGND, ws::WPARAM(&dc));
  }
  EXPECT_EQ(Reached(h, ws::WM_ERASEBKGND), 1);
  EXPECT_EQ(tl::At(img, 40, 20), tl::kMenuColor);
  EXPECT_EQ(SendSkinCommand(h, 8, 0), 0);
  EXPECT_FALSE(w->RegionSet);
  // A hidden menu's region is never set.
  first->hide();
  SendSkinCommand(h, scMenuRgnDone, 0);
  EXPECT_EQ(SendSkinCommand(h, 8, 0), 0);
}

TEST_F(SkinnedMenus, TheLastMenuGoingEndsTheSkinnedMenus) {
  const ws::HWND a = ws::HandleOf(first.get()), b = ws::HandleOf(second.get());
  AddMenuWrapper(a, &manager.Manager);
  AddMenuWrapper(b, &manager.Manager);
  MenuUnit().MenuSkinActive = true;
  // One going: the other's frame is redrawn from its skin, the array keeps it.
  const TkaMnuWnd* other = MenuUnit().TkaMnuArray[1].get();
  ASSERT_TRUE(other->SkinLink->FCacheBmp.isNull());
  first.reset();
  EXPECT_EQ(Reached(b, ws::WM_NCPAINT), 0);
  EXPECT_FALSE(other->SkinLink->FCacheBmp.isNull());
  EXPECT_FALSE(MenuUnit().MenuSkinActive);
  ASSERT_EQ(MenuUnit().TkaMnuArray.size(), 2u);
  EXPECT_EQ(MenuUnit().TkaMnuArray[0], nullptr);
  EXPECT_EQ(MenuUnit().TkaMnuArray[1]->WndHandle, b);
  // The last going empties the array.
  MenuUnit().MenuSkinActive = true;
  second.reset();
  EXPECT_TRUE(MenuUnit().TkaMnuArray.empty());
  EXPECT_FALSE(MenuUnit().MenuSkinActive);
  // Their wrappers are freed after their last message.
  QCoreApplication::processEvents();
  EXPECT_EQ(ws::GetProp(a, kWrapperProp), 0);
}
