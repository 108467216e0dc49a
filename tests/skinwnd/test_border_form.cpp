// The extended-border window around a stand-in owner: its place around the
// owner and its picture, the hit codes of every region (a table of points),
// mouse input over the shadow passed to the window below in that window's
// own coordinates, presses on the extended caption reaching the owner, a
// maximized owner, an owner blended with a constant alpha, and a dialog
// owner's buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <vector>

#include "border_owner_fixture.h"
#include "qt_test_application.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skinwnd/form_traits.h"
#include "winshim/non_client.h"
#include "winshim/system_menu.h"
#include "winshim/system_profile.h"

using namespace kelmo::skinwnd;
namespace ws = kelmo::winshim;
using kelmo::skinwnd::testing_border::FakeOwner;

namespace {

constexpr int kW = 332, kH = 248;  // the border picture
constexpr QRgb kShadow = 0x20000000, kFrame = 0xFF336699;

struct Border : ::testing::Test {
  kelmo::skin::TkSkinManagerComponent manager;
  std::vector<ws::Msg> ownerHeard;  // before the form: it hears the form's end
  QWidget form{nullptr, Qt::FramelessWindowHint};
  kelmo::skin::TkCommonData link{&form, true};
  FakeOwner owner{&form, &link};
  int f = 0;  // the owner's system frame width

  void SetUp() override {
    manager.ShadowMargins = {10, 12, 14, 16};
    link.SkinManager = &manager.Manager;
    // A skinned form is frameless; its provider keeps the sizing frame's
    // style.
    const ws::HWND h = ws::HandleOf(&form);
    ws::SetWindowLong(h, ws::GWL_STYLE, ws::GetWindowLong(h, ws::GWL_STYLE) | ws::WS_THICKFRAME);
    f = ws::GetSystemMetrics(ws::SM_CXFRAME);
    form.setGeometry(300, 200, 300, 200);
    form.show();
    link.FCacheBmp = kelmo::skin::CreateBmp32(kW, kH);
    link.FCacheBmp.fill(kShadow);
    for (int y = 12; y < kH - 16; ++y)
      for (int x = 10; x < kW - 14; ++x) link.FCacheBmp.setPixel(x, y, kFrame);
    link.BGChanged = false;
    owner.close.Rect = {290, 16, 311, 37};
    owner.max.Rect = {268, 16, 289, 37};
    owner.min.Rect = {246, 16, 267, 37};
    owner.helpBtn.Rect = {224, 16, 245, 37};
    owner.users.Add(QStringLiteral("Pin")).BtnData.Rect = {200, 16, 221, 37};
    owner.users.Items(0)->Enabled = false;
    owner.users.Add(QStringLiteral("Note")).BtnData.Rect = {176, 16, 197, 37};
    ws::Subclass(h, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg >= ws::WM_NCMOUSEMOVE && m.msg <= ws::WM_NCMBUTTONDBLCLK) ownerHeard.push_back(m);
      if (m.msg == ws::WM_SYSCOMMAND) {
        ownerHeard.push_back(m);
        return;
      }
      next(m);
    });
    owner.MakeBorder();
    owner.border->UpdateExBorder(true, 255);
    QCoreApplication::processEvents();
  }
  QWidget* AForm() { return owner.border->AForm.get(); }
  QPoint Origin() { return QPoint(300 - (10 + 4 - f), 200 - (12 + 30 - f - 22)); }
  int Hit(QPoint local) {
    const QPoint s = AForm()->pos() + local;
    return owner.border->HitTest(ws::Msg{ws::WM_NCHITTEST, 0, ws::MakeLParam(s.x(), s.y()), 0});
  }
  void Press(QPoint local, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent e(type, QPointF(local), QPointF(AForm()->pos() + local), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(AForm(), &e);
  }
};

TEST_F(Border, SitsAroundItsOwnerWithTheOwnersPicture) {
  ASSERT_TRUE(AForm()->isVisible());
  EXPECT_EQ(AForm()->geometry(), QRect(Origin(), QSize(kW, kH)));
  auto* layered = owner.border->AForm.get();
  EXPECT_EQ(layered->ConstantAlpha(), 255);
  EXPECT_EQ(layered->Content().pixel(0, 0), kShadow);
  EXPECT_EQ(layered->Content().pixel(50, 50), kFrame);
  EXPECT_TRUE(AForm()->mask().isEmpty());  // no region: the whole window
  // It takes the mouse (a fade window does not).
  EXPECT_FALSE(AForm()->windowFlags() & Qt::WindowTransparentForInput);
  EXPECT_FALSE(AForm()->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_EQ(kelmo::skinwnd::TagOf(AForm()), kTagNeverSkin);
  // A stale frame is painted before it is shown.
  link.BGChanged = true;
  owner.border->UpdateExBorder(false, 255);
  EXPECT_EQ(owner.painted, 1);
  // It follows the owner, and hides with it.
  form.move(400, 250);
  owner.border->UpdateExBorder(false, 255);
  EXPECT_EQ(AForm()->pos(), Origin() + QPoint(100, 50));
  form.hide();
  owner.border->UpdateExBorder(false, 255);
  EXPECT_FALSE(AForm()->isVisible());
}

TEST_F(Border, HitCodesOfEveryRegion) {
  owner.menuLine = 18;
  struct Case {
    QPoint p;
    int code;
    int hot;  // the hot button afterwards
  };
  const int r = kW - 14, b = kH - 16;
  const Case cases[] = {
      {{300, 20}, ws::HTCLOSE, ws::HTCLOSE},
      {{275, 20}, ws::HTMAXBUTTON, ws::HTMAXBUTTON},
      {{250, 20}, ws::HTMINBUTTON, ws::HTMINBUTTON},
      {{185, 20}, 1001, 1001},         // the enabled user button
      {{205, 20}, ws::HTCAPTION, -1},  // the disabled one: not hot
      {{25, 17}, ws::HTSYSMENU, -1},   // the caption icon
      {{100, 30}, ws::HTCAPTION, -1},  // in the band of the menu line's top
      {{100, 20}, ws::HTCAPTION, -1},
      {{100, 46}, 5, -1},  // the menu line
      {{100, 12}, ws::HTTOP, -1},
      {{10, 12}, ws::HTTOPLEFT, -1},
      {{r, 12 + f}, ws::HTTOPRIGHT, -1},
      {{10 + f, 100}, ws::HTLEFT, -1},
      {{r - f, 100}, ws::HTRIGHT, -1},
      {{100, b}, ws::HTBOTTOM, -1},
      {{10, b - f}, ws::HTBOTTOMLEFT, -1},
      {{r, b}, ws::HTBOTTOMRIGHT, -1},
      {{100, 150}, -1, 0},  // the client area
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.p.x() << "," << c.p.y());
    owner.hot.clear();
    EXPECT_EQ(Hit(c.p), c.code);
    EXPECT_EQ(owner.LastHot(), c.hot);
  }
  // Without a visible maximize button the second is minimize; a
  // minimize that cannot act answers the caption.
  owner.menu.max = false;
  owner.max.Rect = {};
  owner.min.Rect = {268, 16, 289, 37};
  EXPECT_EQ(Hit({275, 20}), ws::HTMINBUTTON);
  owner.menu.enMin = false;
  EXPECT_EQ(Hit({275, 20}), ws::HTCAPTION);
  // A disabled owner answers nothing.
  form.setEnabled(false);
  EXPECT_EQ(Hit({300, 20}), -1);
}

TEST_F(Border, ShadowInputFallsThroughInTheWindowBelowsCoordinates) {
  std::vector<ws::Msg> heard;
  QWidget below;
  below.setGeometry(250, 200, 100, 150);
  below.show();
  QCoreApplication::processEvents();
  ws::Subclass(ws::HandleOf(&below), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (m.msg >= ws::WM_MOUSEMOVE && m.msg <= ws::WM_MBUTTONDBLCLK) heard.push_back(m);
    next(m);
  });
  const QPoint shadow(3, 100);  // left of the owner's picture
  const QPoint screen = AForm()->pos() + shadow;
  owner.hot.clear();
  Press(shadow);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].msg, unsigned(ws::WM_LBUTTONDOWN));
  const QPoint client = below.mapFromGlobal(screen);
  EXPECT_EQ(ws::XOf(heard[0].lParam), client.x());
  EXPECT_EQ(ws::YOf(heard[0].lParam), client.y());
  EXPECT_EQ(owner.LastHot(), -1);  // the shadow clears the hot button
  // The window lets the next event at that point through.
  EXPECT_FALSE(AForm()->mask().contains(shadow));
  EXPECT_TRUE(AForm()->mask().contains(shadow + QPoint(0, 1)));
  EXPECT_EQ(ws::WindowFromPoint(screen), ws::HandleOf(&below));
  // Nothing of it reached the owner.
  EXPECT_TRUE(ownerHeard.empty());

  // A press on the extended caption reaches the owner as a non-client
  // press whose hit code the owner works out itself.
  Press({100, 20});
  ASSERT_EQ(ownerHeard.size(), 1u);
  EXPECT_EQ(ownerHeard[0].msg, unsigned(ws::WM_NCLBUTTONDOWN));
  EXPECT_EQ(ownerHeard[0].wParam, ws::WPARAM(-1));
  EXPECT_EQ(QPoint(ws::XOf(ownerHeard[0].lParam), ws::YOf(ownerHeard[0].lParam)),
            AForm()->pos() + QPoint(100, 20));
  EXPECT_EQ(heard.size(), 1u);
}

TEST_F(Border, DoubleClicksOnTheCaptionAndTheIcon) {
  const auto dbl = [&](QPoint local) {
    const QPoint s = AForm()->pos() + local;
    ws::SendMessage(owner.border->Handle(), ws::WM_NCLBUTTONDBLCLK, 19,
                    ws::MakeLParam(s.x(), s.y()));
  };
  dbl({100, 20});
  ASSERT_FALSE(ownerHeard.empty());
  EXPECT_EQ(ownerHeard.back().msg, unsigned(ws::WM_SYSCOMMAND));
  EXPECT_EQ(ownerHeard.back().wParam, ws::WPARAM(ws::SC_MAXIMIZE));
  dbl({25, 17});
  EXPECT_EQ(ownerHeard.back().wParam, ws::WPARAM(ws::SC_CLOSE));
  // Neither maximizing nor restoring allowed: the caption does nothing.
  owner.menu.enMax = false;
  const std::size_t before = ownerHeard.size();
  dbl({100, 20});
  EXPECT_EQ(ownerHeard.size(), before);
}

TEST_F(Border, AMaximizedOwner) {
  form.showMaximized();
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.isMaximized());
  // No shadow and no sizing borders; the region is the inner rectangle.
  ws::Msg shadow{ws::WM_MOUSEMOVE, 0, ws::MakeLParam(3, 100), 0};
  EXPECT_FALSE(owner.border->PointOutsideForm(shadow));
  EXPECT_EQ(Hit({100, 12}), ws::HTCAPTION);
  const int e = 4 - f;
  EXPECT_EQ(
      owner.border->CreateFormRegion(),
      QRegion(QRect(QPoint(f + e + 10, 12 + 4), QPoint(kW - f - e - 14 - 1, kH - f - e - 16 - 1))));
}

TEST_F(Border, AnAlphaBlendedOwnerLeavesItsClientOut) {
  owner.alphaBlend = true;
  owner.alphaValue = 128;
  owner.clientInFrame = {30, 50, 300, 220};
  owner.border->UpdateExBorder(true, 255);
  EXPECT_EQ(owner.border->AForm->ConstantAlpha(), 128);
  const QRegion mask = AForm()->mask();
  EXPECT_TRUE(mask.contains(QPoint(5, 5)));
  EXPECT_FALSE(mask.contains(QPoint(40, 60)));
  EXPECT_TRUE(mask.contains(QPoint(305, 60)));
}

TEST_F(Border, ADialogOwnerAnswersCloseAndHelpOnly) {
  owner.dialog = true;
  owner.help = true;
  owner.menu.max = owner.menu.min = false;  // a dialog's menu answers so
  owner.close.Rect = {290, 16, 311, 37};
  owner.helpBtn.Rect = {268, 16, 289, 37};
  owner.min.Rect = {246, 16, 267, 37};
  EXPECT_EQ(Hit({300, 20}), ws::HTCLOSE);
  EXPECT_EQ(Hit({275, 20}), 21);
  EXPECT_EQ(Hit({250, 20}), ws::HTCAPTION);  // never minimize from a dialog's border
  EXPECT_EQ(Hit({185, 20}), ws::HTCAPTION);  // nor a user button
}

}  // namespace
