// The skin message travels down a control's handler chain: the command in
// wParam's high word, its record in lParam.
#include <gtest/gtest.h>

#include <QWidget>

#include "qt_test_application.h"
#include "skin/paint_primitives.h"
#include "skin/skin_messages.h"
#include "winshim/window.h"

using namespace kelmo::skin;
namespace ws = kelmo::winshim;

TEST(SkinMessage, BackgroundRequestsAreAnsweredThroughTheChain) {
  QWidget parent;
  std::vector<int> commands;
  ws::Subclass(ws::HandleOf(&parent), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (m.msg != SM_SKINCMD) return next(m);
    commands.push_back(ws::HiWord(m.wParam));
    if (ws::HiWord(m.wParam) == scGetBgInfo) {
      auto* info = reinterpret_cast<TParentBgInfo*>(m.lParam);
      info->Color = 0x123456;
      info->Ready = 1;
      m.result = 1;
    }
  });
  TParentBgInfo info;
  EXPECT_TRUE(GetControlBgInfo(info, &parent, false));
  EXPECT_EQ(info.Color, 0x123456);
  EXPECT_EQ(SendSkinCommand(&parent, scIsSkinned, nullptr), 0);  // heard, not answered
  EXPECT_EQ(commands, (std::vector<int>{scGetBgInfo, scIsSkinned}));
  // A control without handlers answers nothing: its own colour is taken.
  QWidget plain;
  TParentBgInfo none;
  EXPECT_FALSE(GetControlBgInfo(none, &plain, false));
  EXPECT_EQ(none.Ready, 1);
}
