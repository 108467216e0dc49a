// The form provider on a main form skinned with the form fixture skin:
// the frame it takes over (geometry and hit codes of every region), the
// frame cache's pixels, the caption buttons' states, the system commands
// its buttons and system menu issue, moving and sizing through the hit
// codes, and the form given back whole when the skin is switched off.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <vector>

#include "form_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin_test_pixels.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_frame_painting.h"
#include "skinwnd/form_provider.h"
#include "skinwnd/form_sizing.h"
#include "skinwnd/form_title_buttons.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"
#include "winshim/region.h"
#include "winshim/system_menu.h"
#include "winshim/system_profile.h"
#include "winshim/timers.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace tf = kelmo::skinwnd::testing_form;
using kelmo::skin::testing_pixels::Px;

namespace {

// The classic metrics: frame 4, caption 19.
constexpr int kFrame = 4, kCaption = 19;
constexpr int kClientW = 300, kClientH = 200;
constexpr int kW = kClientW + 2 * kFrame, kH = kClientH + kCaption + 2 * kFrame;

// A manager with the form skin in force and a form with its provider.
struct SkinnedForm {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  std::unique_ptr<QWidget> form;
  std::unique_ptr<TkSkinProvider> provider;

  explicit SkinnedForm(std::unique_ptr<QWidget> widget = std::make_unique<QWidget>(),
                       bool glowing = false, bool extended = false) {
    ws::ResetSystemProfile();
    tf::WriteFormSkin(dir.path());
    manager.SetSkinDirectory(dir.path());
    manager.SetExtendedBorders(extended);
    manager.SetSkinName(extended ? QStringLiteral("FormExt") : QStringLiteral("Form"));
    manager.Manager.AllowGlowing = glowing;
    form = std::move(widget);
    form->setWindowTitle(QStringLiteral("Form"));
    form->setGeometry(100, 80, kClientW, kClientH);
    form->show();
    QCoreApplication::processEvents();
    provider = std::make_unique<TkSkinProvider>(form.get());
    provider->AfterConstruction();
    QCoreApplication::processEvents();
    // Offscreen windows are not activated by the platform.
    ws::SendMessage(H(), ws::WM_NCACTIVATE, 1, 0);
    Paint();
  }
  ~SkinnedForm() {
    provider.reset();
    form.reset();
  }

  ws::HWND H() const { return ws::HandleOf(form.get()); }
  QPoint Screen(int x, int y) const { return form->mapToGlobal(QPoint(x, y)); }
  int Hit(int x, int y) const {
    const QPoint s = Screen(x, y);
    return int(ws::SendMessage(H(), ws::WM_NCHITTEST, 0, ws::MakeLParam(s.x(), s.y())));
  }
  void Paint() {
    ws::SendMessage(H(), ws::WM_NCPAINT, 1, 0);
    QCoreApplication::processEvents();
  }
  const QImage& Cache() const { return provider->SkinData()->FCacheBmp; }
  // A click on a caption button: its hit code down and up at a window point.
  void Click(int x, int y) {
    const int code = Hit(x, y);
    const QPoint s = Screen(x, y);
    ws::SendMessage(H(), ws::WM_NCLBUTTONDOWN, ws::WPARAM(code), ws::MakeLParam(s.x(), s.y()));
    ws::SendMessage(H(), ws::WM_NCLBUTTONUP, ws::WPARAM(code), ws::MakeLParam(s.x(), s.y()));
    QCoreApplication::processEvents();
  }
};

// Where the caption buttons lie (window coordinates): right to left from
// the frame, BIRIGHT and BISPACE apart, centred in the caption, 2 lower
// for buttons under 16 pixels high.
constexpr int kButtonTop = (kFrame + kCaption - tf::kButtonH) / 2 + 2;
constexpr int kCloseRight = kW - tf::kRight - kFrame;
constexpr int kMaxRight = kCloseRight - tf::kButtonW - tf::kSpace;
constexpr int kMinRight = kMaxRight - tf::kButtonW - tf::kSpace;
constexpr int kButtonY = kButtonTop + tf::kButtonH / 2;

TEST(FormProvider, TakesTheFrameAndAnswersAHitCodeForEveryRegion) {
  SkinnedForm f;
  TkSkinProvider& p = *f.provider;
  // The form became a frameless window whose client area kept its size.
  EXPECT_TRUE(f.form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(f.form->size(), QSize(kW, kH));
  EXPECT_EQ(ws::NonClientMargins(f.H()), QMargins(kFrame, kFrame + kCaption, kFrame, kFrame));
  EXPECT_EQ(f.form->contentsMargins(), QMargins(kFrame, kFrame + kCaption, kFrame, kFrame));
  EXPECT_TRUE(f.form->hasMouseTracking());
  // It keeps the frame's style bits; the provider took the system menu.
  const std::uint32_t style = ws::GetWindowLong(f.H(), ws::GWL_STYLE);
  EXPECT_EQ(style & ws::WS_CAPTION, ws::WS_CAPTION);
  EXPECT_TRUE(style & ws::WS_THICKFRAME);
  EXPECT_FALSE(style & ws::WS_SYSMENU);
  EXPECT_TRUE(p.SysMenuTaken);
  EXPECT_EQ(FrameBorderWidth(p, true), kFrame);
  EXPECT_EQ(CaptionHeightOf(p, false), kCaption);
  EXPECT_EQ(FrameLeftWidth(p), kFrame);
  EXPECT_EQ(FrameTopHeight(p), kFrame + kCaption);
  EXPECT_EQ(CacheWidth(p), kW);
  EXPECT_EQ(IconRect(p), (ws::Rect{4, 4, 20, 20}));
  EXPECT_EQ(p.Buttons[tbClose].Rect, (ws::Rect{kCloseRight - tf::kButtonW, kButtonTop, kCloseRight,
                                               kButtonTop + tf::kButtonH}));

  p.GripMode = TkGripMode::gmRightBottom;
  struct Case {
    int x, y, code;
  };
  const Case cases[] = {
      {1, 1, ws::HTTOPLEFT},
      {kW / 2, 1, ws::HTTOP},
      {kW - 1, 1, ws::HTTOPRIGHT},
      {1, kH / 2, ws::HTLEFT},
      {kW - 1, kH / 2, ws::HTRIGHT},
      {1, kH - 1, ws::HTBOTTOMLEFT},
      {kW / 2, kH - 1, ws::HTBOTTOM},
      {kW - 1, kH - 1, ws::HTBOTTOMRIGHT},
      {kW / 2, 12, ws::HTCAPTION},
      {10, 12, ws::HTSYSMENU},
      {kCloseRight - 4, kButtonY, ws::HTCLOSE},
      {kMaxRight - 4, kButtonY, ws::HTMAXBUTTON},
      {kMinRight - 4, kButtonY, ws::HTMINBUTTON},
      // Between two buttons: the caption.
      {kMaxRight + 1, kButtonY, ws::HTCAPTION},
      // The caption band's bottom line is the menu line's top.
      {kW / 2, kFrame + kCaption, ws::HTMENU},
      {kW / 2, kH / 2, ws::HTCLIENT},
      // The grip (10 x 10 at the bottom-right inside the frame).
      {kW - kFrame - 3, kH - kFrame - 3, ws::HTBOTTOMRIGHT},
      {kW - kFrame - 20, kH - kFrame - 3, ws::HTCLIENT},
  };
  for (const Case& c : cases) EXPECT_EQ(f.Hit(c.x, c.y), c.code) << c.x << "," << c.y;

  // Maximized: no sizing borders; the maximize button answers for restore.
  p.GripMode = TkGripMode::gmNone;
  f.form->showMaximized();
  QCoreApplication::processEvents();
  f.Paint();
  EXPECT_EQ(f.Hit(1, 1), ws::HTCAPTION);
  EXPECT_EQ(f.Hit(f.form->width() / 2, f.form->height() - 1), ws::HTCLIENT);
  const int maxRight = f.form->width() - tf::kRight - kFrame - tf::kButtonW - tf::kSpace;
  EXPECT_EQ(f.Hit(maxRight - 4, kButtonY), ws::HTMAXBUTTON);
}

TEST(FormProvider, ExtendedBordersDrawTheFrameAroundTheForm) {
  SkinnedForm f(std::make_unique<QWidget>(), false, /*extended=*/true);
  TkSkinProvider& p = *f.provider;
  ASSERT_TRUE(p.BorderForm);
  EXPECT_EQ(ShadowMargins(p), (ws::Rect{tf::kShadow, tf::kShadow, tf::kShadow, tf::kShadow}));
  EXPECT_EQ(FrameBorderWidth(p, true), tf::kExtBorder);
  EXPECT_EQ(PlainFrameWidth(p, true), 0);
  EXPECT_EQ(CaptionHeightOf(p, true), tf::kExtTitle);
  EXPECT_EQ(ExtBorderExtra(p), tf::kExtBorder - kFrame);
  // The cache holds the extended frame and the shadow margins, with alpha.
  f.Paint();
  const QImage& cache = f.Cache();
  EXPECT_EQ(cache.format(), QImage::Format_ARGB32);
  EXPECT_EQ(cache.size(), QSize(CacheWidth(p), CacheHeight(p)));
  EXPECT_EQ(CacheWidth(p), kW + 2 * (tf::kExtBorder - kFrame) + 2 * tf::kShadow);
  EXPECT_EQ(qAlpha(cache.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(cache.pixel(cache.width() / 2, cache.height() / 2)), 255);
  // The form's own window shows only what lies below its caption.
  QRegion region;
  ws::GetWindowRgn(f.form.get(), region);
  EXPECT_FALSE(region.contains(QPoint(kW / 2, 5)));
  EXPECT_TRUE(region.contains(QPoint(kW / 2, kFrame + kCaption + 5)));
  // Switched off with the skin.
  f.manager.SetActive(false);
  QCoreApplication::processEvents();
  EXPECT_FALSE(p.BorderForm);
}

TEST(FormProvider, MaximizedSizeComesFromTheWorkArea) {
  SkinnedForm f;
  MINMAXINFO info;
  GetMinMaxInfo(*f.provider, info);
  const ws::Rect w = FormWorkArea(*f.provider);
  // No border window: the frame lies outside the work area on each side.
  EXPECT_EQ(info.ptMaxSize, QPoint(w.Width() + 2 * kFrame, w.Height() + 2 * kFrame - kFrame));
  EXPECT_EQ(info.ptMaxPosition.y(), 0);
}

TEST(FormProvider, PaintsTheFrameIntoItsCache) {
  SkinnedForm f;
  const QImage& cache = f.Cache();
  ASSERT_EQ(cache.size(), QSize(kW, kH));
  // Border in the active state, caption in the title's colour, the client
  // in the form's, the buttons in their normal state.
  EXPECT_EQ(Px(cache, 1, kH / 2), tf::kBorder[1]);
  EXPECT_EQ(Px(cache, kW / 2, kH - 1), tf::kBorder[1]);
  EXPECT_EQ(Px(cache, kW / 2, 1), tf::kTitleColor);
  EXPECT_EQ(Px(cache, kW / 2, 12), tf::kTitleColor);
  EXPECT_EQ(Px(cache, kW / 2, kH / 2), tf::kFormColor);
  EXPECT_EQ(Px(cache, kCloseRight - 4, kButtonY), tf::kClose[0]);
  EXPECT_EQ(Px(cache, kMaxRight - 4, kButtonY), tf::kMax[0]);
  EXPECT_EQ(Px(cache, kMinRight - 4, kButtonY), tf::kMin[0]);
  // The frame shows on the window; the client area is the form's colour.
  const QImage shown = f.form->grab().toImage();
  EXPECT_EQ(ws::FromQColor(shown.pixelColor(kW / 2, 12)), ws::ColorRef(tf::kTitleColor));
  EXPECT_EQ(ws::FromQColor(shown.pixelColor(kCloseRight - 4, kButtonY)),
            ws::ColorRef(tf::kClose[0]));
  shown.save(QCoreApplication::applicationDirPath() + "/skinned_form.png");
  // The region leaves out the border's magenta corner pixel.
  QRegion region;
  ws::GetWindowRgn(f.form.get(), region);
  EXPECT_FALSE(region.contains(QPoint(0, 0)));
  EXPECT_TRUE(region.contains(QPoint(1, 1)));
  EXPECT_TRUE(region.contains(QPoint(kW - 1, kH - 1)));

  // Deactivated: the inactive border.
  ws::SendMessage(f.H(), ws::WM_NCACTIVATE, 0, 0);
  EXPECT_FALSE(f.provider->FormActive);
  f.Paint();
  EXPECT_EQ(Px(f.Cache(), 1, kH / 2), tf::kBorder[0]);
}

TEST(FormProvider, PrintsTheWholeWindowIntoADc) {
  SkinnedForm f;
  QImage page = kelmo::skin::testing_pixels::Filled(kW, kH, 0xFFFFFF);
  {
    ws::Dc dc(page);
    ws::SendMessage(f.H(), ws::WM_PRINT, ws::WPARAM(&dc), 0);
  }
  EXPECT_EQ(Px(page, kW / 2, 12), tf::kTitleColor);
  EXPECT_EQ(Px(page, 1, kH / 2), tf::kBorder[1]);
  EXPECT_EQ(Px(page, kCloseRight - 4, kButtonY), tf::kClose[0]);
  EXPECT_EQ(Px(page, kW / 2, kH / 2), tf::kFormColor);
  // A hidden form prints nothing.
  f.form->hide();
  QImage blank = kelmo::skin::testing_pixels::Filled(kW, kH, 0xFFFFFF);
  ws::Dc dc(blank);
  ws::SendMessage(f.H(), ws::WM_PRINT, ws::WPARAM(&dc), 0);
  EXPECT_EQ(Px(blank, kW / 2, 12), TColor(0xFFFFFF));
}

TEST(FormProvider, CaptionButtonsGoHotAndPressedAndBackToNormal) {
  SkinnedForm f;
  TkSkinProvider& p = *f.provider;
  const int cx = kCloseRight - 4, mx = kMaxRight - 4;
  EXPECT_EQ(f.Hit(cx, kButtonY), ws::HTCLOSE);
  EXPECT_EQ(p.ActiveButtonCode, ws::HTCLOSE);
  EXPECT_EQ(p.Buttons[tbClose].State, 1);
  EXPECT_EQ(Px(f.Cache(), cx, kButtonY), tf::kClose[1]);
  // Over another button: the first goes back to normal.
  f.Hit(mx, kButtonY);
  EXPECT_EQ(p.Buttons[tbClose].State, 0);
  EXPECT_EQ(Px(f.Cache(), cx, kButtonY), tf::kClose[0]);
  EXPECT_EQ(Px(f.Cache(), mx, kButtonY), tf::kMax[1]);
  // Pressed.
  const QPoint s = f.Screen(mx, kButtonY);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDOWN, ws::HTMAXBUTTON, ws::MakeLParam(s.x(), s.y()));
  EXPECT_EQ(p.Buttons[tbMaximize].State, 2);
  EXPECT_TRUE(ProviderState().ButtonPressed);
  EXPECT_EQ(Px(f.Cache(), mx, kButtonY), tf::kMax[2]);
  // The mouse leaves the caption: every button normal.
  EXPECT_EQ(f.Hit(kW / 2, kH / 2), ws::HTCLIENT);
  EXPECT_EQ(p.ActiveButtonCode, 0);
  EXPECT_EQ(Px(f.Cache(), mx, kButtonY), tf::kMax[0]);
  // A release outside the pressed minimize button does not minimize.
  const QPoint m = f.Screen(kMinRight - 4, kButtonY);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDOWN, ws::HTMINBUTTON, ws::MakeLParam(m.x(), m.y()));
  const QPoint away = f.Screen(kW / 2, 12);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONUP, ws::HTMINBUTTON, ws::MakeLParam(away.x(), away.y()));
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.form->isMinimized());
  // The mouse leaving the window resets the hot button.
  f.Hit(cx, kButtonY);
  ws::SendMessage(f.H(), ws::WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(p.ActiveButtonCode, 0);
  EXPECT_EQ(p.Buttons[tbClose].State, 0);
}

TEST(FormProvider, HotButtonsFadeInAndOutInTwelveMillisecondSteps) {
  auto clock = std::make_shared<ws::ManualClock>();
  const auto before = ws::SetClock(clock);
  {
    SkinnedForm f(std::make_unique<QWidget>(), /*glowing=*/true);
    TkSkinProvider& p = *f.provider;
    const int cx = kCloseRight - 4;
    QCursor::setPos(f.Screen(cx, kButtonY));
    EXPECT_EQ(f.Hit(cx, kButtonY), ws::HTCLOSE);
    TitleBtnData& close = p.Buttons[tbClose];
    ASSERT_TRUE(close.Timer);
    EXPECT_TRUE(close.Timer->FadingIn);
    EXPECT_EQ(close.Timer->Steps, 10);
    std::vector<int> alphas;
    for (int i = 0; i < 10; ++i) {
      clock->Advance(12);
      alphas.push_back(close.Timer->LastAlpha);
    }
    EXPECT_TRUE(std::is_sorted(alphas.begin(), alphas.end())) << ::testing::PrintToString(alphas);
    EXPECT_LT(alphas.front(), alphas.back());
    clock->Advance(12);
    EXPECT_EQ(close.Timer->LastAlpha, 255);
    // Leaving it fades the button out and ends the fade.
    QCursor::setPos(f.Screen(kW / 2, 12));
    f.Hit(kW / 2, 12);
    ASSERT_TRUE(close.Timer);
    EXPECT_FALSE(close.Timer->FadingIn);
    clock->Advance(12 * 12);
    EXPECT_EQ(close.Timer->CurState, -1);
    EXPECT_FALSE(close.Timer->FadeForm);
    // Moving the form frees the fades.
    f.Hit(cx, kButtonY);
    ASSERT_TRUE(close.Timer);
    ws::SendMessage(f.H(), ws::WM_MOVE, 0, 0);
    EXPECT_FALSE(close.Timer);
  }
  ws::SetClock(before);
}

TEST(FormProvider, ShowingFadesTheFormInWithTheManagersAnimation) {
  auto clock = std::make_shared<ws::ManualClock>();
  const auto before = ws::SetClock(clock);
  {
    SkinnedForm f;
    f.form->hide();
    QCoreApplication::processEvents();
    // Without a duration the form just shows.
    const auto start = clock->Now();
    f.form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(clock->Now(), start);
    f.form->hide();
    f.manager.AnimEffects.FormShow.Time = 80;
    f.form->show();
    QCoreApplication::processEvents();
    // Ten mixed frames 8 ms apart on the window layer's clock.
    EXPECT_GE(clock->Now() - start, 80);
    EXPECT_FALSE(f.provider->InAnimation);
    EXPECT_TRUE(f.form->updatesEnabled());
  }
  ws::SetClock(before);
}

TEST(FormProvider, ButtonsAndTheSystemMenuReachTheWindow) {
  SkinnedForm f;
  TkSkinProvider& p = *f.provider;
  ASSERT_TRUE(p.SystemMenu);
  // Maximize: the maximize button then shows the restore image.
  f.Click(kMaxRight - 4, kButtonY);
  EXPECT_TRUE(f.form->isMaximized());
  f.Paint();
  const int maxRight = f.form->width() - tf::kRight - kFrame - tf::kButtonW - tf::kSpace;
  EXPECT_EQ(Px(f.Cache(), maxRight - 4, kButtonY), tf::kNorm[0]);
  // Restore through the same button.
  f.Click(maxRight - 4, kButtonY);
  EXPECT_FALSE(f.form->isMaximized());
  EXPECT_EQ(f.form->size(), QSize(kW, kH));

  // The system menu's items send their commands to the window.
  p.SystemMenu->UpdateItems();
  p.SystemMenu->ItemMinimize->trigger();
  QCoreApplication::processEvents();
  EXPECT_TRUE(f.form->isMinimized());
  p.SystemMenu->UpdateItems();
  EXPECT_TRUE(p.SystemMenu->ItemRestore->isEnabled());
  p.SystemMenu->ItemRestore->trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.form->isMinimized());
  p.SystemMenu->UpdateItems();
  p.SystemMenu->ItemMaximize->trigger();
  QCoreApplication::processEvents();
  EXPECT_TRUE(f.form->isMaximized());
  p.SystemMenu->UpdateItems();
  p.SystemMenu->ItemRestore->trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.form->isMaximized());
  // A right click on the caption opens it.
  const QPoint c = f.Screen(kW / 2, 12);
  ws::SendMessage(f.H(), ws::WM_NCRBUTTONUP, ws::HTCAPTION, ws::MakeLParam(c.x(), c.y()));
  EXPECT_TRUE(p.SystemMenu->isVisible());
  p.SystemMenu->hide();
  p.SystemMenu->ItemClose->trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.form->isVisible());

  // The close button closes too.
  f.form->show();
  QCoreApplication::processEvents();
  f.Paint();
  f.Click(kCloseRight - 4, kButtonY);
  EXPECT_FALSE(f.form->isVisible());
}

TEST(FormProvider, MinimizeButtonAndCaptionDoubleClick) {
  SkinnedForm f;
  f.Click(kMinRight - 4, kButtonY);
  EXPECT_TRUE(f.form->isMinimized());
  f.form->showNormal();
  QCoreApplication::processEvents();
  const QPoint c = f.Screen(kW / 2, 12);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDBLCLK, ws::HTCAPTION, ws::MakeLParam(c.x(), c.y()));
  QCoreApplication::processEvents();
  EXPECT_TRUE(f.form->isMaximized());
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDBLCLK, ws::HTCAPTION, ws::MakeLParam(c.x(), c.y()));
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.form->isMaximized());
}

TEST(FormProvider, UserTitleButtonsAreHitAndCalled) {
  SkinnedForm f;
  TkSkinProvider& p = *f.provider;
  int downs = 0, ups = 0;
  TkTitleButton& b = p.TitleButtons().Add(QStringLiteral("Pin"));
  b.OnMouseDown = [&](TkTitleButton&, int, int, int, int) { ++downs; };
  b.OnMouseUp = [&](TkTitleButton&, int, int, int, int) { ++ups; };
  p.InvalidateNonClient();
  f.Paint();
  // Left of the system buttons, 8 pixels apart.
  const int right = kMinRight - tf::kButtonW - tf::kSpace - 8;
  EXPECT_EQ(b.BtnData.Rect.right, right);
  EXPECT_EQ(Px(f.Cache(), right - 4, kButtonY), tf::kTitleButton[0]);
  EXPECT_EQ(f.Hit(right - 4, kButtonY), HTUSERBUTTON);
  f.Click(right - 4, kButtonY);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  b.Enabled = false;
  EXPECT_EQ(f.Hit(right - 4, kButtonY), ws::HTCAPTION);
}

TEST(FormProvider, RubberBandMovesAndSizesOnceOnRelease) {
  SkinnedForm f;
  TkSkinProvider& p = *f.provider;
  p.ResizeMode = TkResizeMode::rmBorder;
  const QRect before = f.form->geometry();
  auto moveTo = [&](QPoint screen) {
    const QPoint client = ws::ScreenToClient(f.H(), screen);
    ws::SendMessage(f.H(), ws::WM_MOUSEMOVE, 1, ws::MakeLParam(client.x(), client.y()));
  };
  // Moving by the caption: the outline follows; the form moves at the release.
  QPoint at = f.Screen(kW / 2, 12);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDOWN, ws::HTCAPTION, ws::MakeLParam(at.x(), at.y()));
  EXPECT_TRUE(RubberBand().Active);
  EXPECT_EQ(ws::GetCapture(), f.H());
  moveTo(at + QPoint(40, 25));
  EXPECT_EQ(RubberBandOutline(), QRect(before.topLeft() + QPoint(40, 25), before.size()));
  EXPECT_EQ(f.form->geometry(), before);
  ws::SendMessage(f.H(), ws::WM_LBUTTONUP, 0, 0);
  EXPECT_FALSE(RubberBand().Active);
  EXPECT_EQ(ws::GetCapture(), 0u);
  EXPECT_EQ(f.form->geometry(), before.translated(40, 25));
  EXPECT_TRUE(RubberBandOutline().isNull());

  // Sizing by the right border, kept at the minimum width.
  const QRect moved = f.form->geometry();
  f.form->setMinimumWidth(150);
  EXPECT_EQ(f.Hit(kW - 1, kH / 2), ws::HTRIGHT);
  at = f.Screen(kW - 1, kH / 2);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDOWN, ws::HTRIGHT, ws::MakeLParam(at.x(), at.y()));
  moveTo(at + QPoint(30, 0));
  EXPECT_EQ(RubberBandOutline().width(), kW + 30);
  moveTo(at - QPoint(kW, 0));
  EXPECT_EQ(RubberBandOutline().width(), 150);
  moveTo(at + QPoint(30, 10));
  ws::SendMessage(f.H(), ws::WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(f.form->geometry(), QRect(moved.topLeft(), QSize(kW + 30, kH)));

  // Sizing by the top-left corner moves the top-left edges only.
  const QRect sized = f.form->geometry();
  at = f.Screen(1, 1);
  EXPECT_EQ(f.Hit(1, 1), ws::HTTOPLEFT);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDOWN, ws::HTTOPLEFT, ws::MakeLParam(at.x(), at.y()));
  moveTo(at + QPoint(-10, -20));
  ws::SendMessage(f.H(), ws::WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(f.form->geometry(), sized.adjusted(-10, -20, 0, 0));

  // A size drag released before any move leaves the form as it was.
  const QRect still = f.form->geometry();
  ws::SendMessage(f.H(), ws::WM_SYSCOMMAND, ws::SC_SIZE, 0);
  EXPECT_EQ(ws::GetCapture(), f.H());
  StartRubberBand(p, ws::GetCursorPos());
  StopRubberBand(p);
  EXPECT_EQ(f.form->geometry(), still);
}

TEST(FormProvider, StandardModeHandsCaptionAndBorderPressesToTheWindowSystem) {
  // A handler below the provider sees what the provider passes on.
  std::vector<ws::Msg> below;
  auto widget = std::make_unique<QWidget>();
  ws::Subclass(ws::HandleOf(widget.get()), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (m.msg == ws::WM_NCLBUTTONDOWN || m.msg == ws::WM_NCHITTEST) below.push_back(m);
    next(m);
  });
  SkinnedForm f(std::move(widget));
  below.clear();
  for (const int code : {ws::HTCAPTION, ws::HTLEFT, ws::HTBOTTOMRIGHT}) {
    const QPoint at = f.Screen(kW / 2, 12);
    ws::SendMessage(f.H(), ws::WM_NCLBUTTONDOWN, ws::WPARAM(code), ws::MakeLParam(at.x(), at.y()));
  }
  ASSERT_EQ(below.size(), 3u);
  EXPECT_EQ(int(below[0].wParam), ws::HTCAPTION);
  EXPECT_EQ(int(below[2].wParam), ws::HTBOTTOMRIGHT);
  // The hit test itself is the provider's: the window below never sees it.
  below.clear();
  f.Hit(kW / 2, 12);
  EXPECT_TRUE(below.empty());
  // Clicks on buttons stay with the provider.
  const QPoint b = f.Screen(kCloseRight - 4, kButtonY);
  ws::SendMessage(f.H(), ws::WM_NCLBUTTONDOWN, ws::HTCLOSE, ws::MakeLParam(b.x(), b.y()));
  EXPECT_TRUE(below.empty());
}

// Counts the paint requests a widget receives.
class PaintCounter : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint || e->type() == QEvent::UpdateRequest) ++count;
    return false;
  }
};

TEST(FormProvider, SwitchingTheSkinOffGivesTheFormBackAndRedrawsOnlyIt) {
  SkinnedForm f;
  TkSkinProvider& p = *f.provider;
  const QMargins ownContents = QMargins();
  QWidget other;
  other.setGeometry(500, 500, 100, 100);
  other.show();
  QCoreApplication::processEvents();
  PaintCounter otherPaints, formPaints;
  other.installEventFilter(&otherPaints);
  f.form->installEventFilter(&formPaints);

  f.manager.SetActive(false);
  QCoreApplication::processEvents();
  // Frame, size, margins, style, region and colour are the form's own again.
  EXPECT_FALSE(f.form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(f.form->size(), QSize(kClientW, kClientH));
  EXPECT_EQ(f.form->contentsMargins(), ownContents);
  EXPECT_FALSE(f.form->hasMouseTracking());
  EXPECT_EQ(ws::NonClientMargins(f.H()), QMargins());
  const std::uint32_t style = ws::GetWindowLong(f.H(), ws::GWL_STYLE);
  EXPECT_TRUE(style & ws::WS_SYSMENU);
  EXPECT_FALSE(p.SysMenuTaken);
  QRegion region;
  EXPECT_EQ(ws::GetWindowRgn(f.form.get(), region), ws::NULLREGION);
  EXPECT_TRUE(f.Cache().isNull());
  EXPECT_EQ(ws::SendMessage(f.H(), SM_SKINCMD, ws::WPARAM(scIsSkinned) << 16, 0), 1);
  // A hit test is the window's own again: no handler answers it.
  const QPoint top = f.Screen(kClientW / 2, 5);
  ws::Msg hit{ws::WM_NCHITTEST, 0, ws::MakeLParam(top.x(), top.y())};
  EXPECT_FALSE(ws::DispatchMessage(f.H(), hit));
  // Only the form was redrawn.
  EXPECT_GT(formPaints.count, 0);
  EXPECT_EQ(otherPaints.count, 0);

  // Switched on again: the frame is taken anew.
  f.manager.SetActive(true);
  QCoreApplication::processEvents();
  EXPECT_TRUE(f.form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(f.form->size(), QSize(kW, kH));
}

TEST(FormProvider, SkinRemovalRedrawsTheMdiClientOnlyOnAnMdiParent) {
  auto main = std::make_unique<QMainWindow>();
  auto* area = new QMdiArea;
  main->setCentralWidget(area);
  area->addSubWindow(new QWidget)->resize(80, 60);
  QMainWindow* mainForm = main.get();
  SkinnedForm f(std::move(main));
  EXPECT_TRUE(f.provider->IsMdiParent());
  EXPECT_TRUE(f.provider->MDIForm);
  PaintCounter clientPaints;
  area->viewport()->installEventFilter(&clientPaints);
  f.manager.SetActive(false);
  QCoreApplication::processEvents();
  EXPECT_GT(clientPaints.count, 0);
  EXPECT_FALSE(f.provider->MDIForm);
  EXPECT_FALSE(mainForm->windowFlags() & Qt::FramelessWindowHint);
}

TEST(FormProvider, MaximizedMdiChildPutsItsButtonsInTheParentsMenuLine) {
  auto main = std::make_unique<QMainWindow>();
  main->menuBar()->addMenu(QStringLiteral("File"));
  auto* area = new QMdiArea;
  main->setCentralWidget(area);
  QMdiSubWindow* child = area->addSubWindow(new QWidget);
  child->resize(120, 90);
  SkinnedForm f(std::move(main));
  TkSkinProvider& parent = *f.provider;
  EXPECT_EQ(ProviderState().MdiParentProvider, &parent);
  auto childProvider = std::make_unique<TkSkinProvider>(child);
  EXPECT_EQ(childProvider->FormWidget(), child);
  childProvider->AfterConstruction();
  EXPECT_TRUE(childProvider->IsMdiChild());
  const ws::HWND ch = ws::HandleOf(child);
  ws::SendMessage(ch, ws::WM_SYSCOMMAND, ws::SC_MAXIMIZE, 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(child->isMaximized());
  EXPECT_EQ(ProviderState().MaxChildProvider, childProvider.get());
  EXPECT_TRUE(MdiButtonsVisible(parent));
  f.Paint();
  // Close, restore and minimize at the right end of the menu line.
  const ws::Rect close = parent.Buttons[tbMdiClose].Rect;
  const int menuTop = kFrame + kCaption;
  EXPECT_EQ(close.right, f.form->width() - kFrame - 1);
  EXPECT_GE(close.top, menuTop);
  EXPECT_EQ(f.Hit(close.left + 2, close.top + 2), HTMDICLOSE);
  const ws::Rect restore = parent.Buttons[tbMdiRestore].Rect;
  EXPECT_EQ(f.Hit(restore.left + 2, restore.top + 2), HTMDIRESTORE);
  EXPECT_EQ(Px(f.Cache(), restore.left + 2, restore.top + 2), tf::kNorm[1]);
  // Its restore button restores the child.
  f.Click(restore.left + 2, restore.top + 2);
  EXPECT_FALSE(child->isMaximized());
  EXPECT_EQ(ProviderState().MaxChildProvider, nullptr);
  EXPECT_FALSE(MdiButtonsVisible(parent));
  // Maximized again, its close button closes the child.
  ws::SendMessage(ch, ws::WM_SYSCOMMAND, ws::SC_MAXIMIZE, 0);
  f.Paint();
  const ws::Rect again = parent.Buttons[tbMdiClose].Rect;
  f.Click(again.left + 2, again.top + 2);
  EXPECT_FALSE(child->isVisible());
  childProvider.reset();
}

TEST(FormProvider, MenuLineHoldsTheMenuBarAndWrapsItsItems) {
  auto main = std::make_unique<QMainWindow>();
  for (const char* title : {"File", "Edit", "Help"})
    main->menuBar()->addMenu(QString::fromLatin1(title));
  main->setCentralWidget(new QWidget);
  QMainWindow* mainForm = main.get();
  SkinnedForm f(std::move(main));
  TkSkinProvider& p = *f.provider;
  ASSERT_TRUE(p.MainMenu());
  EXPECT_TRUE(MenuLineVisible(p));
  EXPECT_EQ(MenuLineHeight(p), 18);
  EXPECT_EQ(MenuLineRows(p), 1);
  // The menu line lies below the caption and the bar takes its place.
  const int menuTop = kFrame + kCaption;
  EXPECT_EQ(f.Hit(kW / 2, menuTop + 5), ws::HTMENU);
  EXPECT_EQ(mainForm->menuBar()->geometry().top(), menuTop);
  EXPECT_EQ(mainForm->menuBar()->height(), MenuLineHeight(p) + 1);
  EXPECT_EQ(mainForm->centralWidget()->geometry().top(), menuTop + MenuLineHeight(p) + 1);
  EXPECT_EQ(ws::NonClientMargins(f.H()).top(), menuTop + MenuLineHeight(p) + 1);
  EXPECT_EQ(Px(f.Cache(), 2 * kFrame, menuTop + 5), tf::kMenuLineColor);
  // A narrow form: the items wrap into rows, kept until recounted.
  f.form->resize(100, f.form->height());
  QCoreApplication::processEvents();
  p.MenuRows = -1;
  EXPECT_GT(MenuLineRows(p), 1);
}

TEST(FormProvider, OnlyOneProviderLivesOnAForm) {
  SkinnedForm f;
  auto second = std::make_unique<TkSkinProvider>(f.form.get());
  f.provider.release();  // freed by the new provider
  EXPECT_EQ(TkSkinProvider::Of(f.form.get()), second.get());
  EXPECT_EQ(ProviderList().size(), 1u);
  second.reset();
  EXPECT_EQ(TkSkinProvider::Of(f.form.get()), nullptr);
  EXPECT_TRUE(ProviderList().empty());
}

TEST(FormProvider, PropertyWritesOfTheSameValueSendNothing) {
  SkinnedForm f;
  int ncPaints = 0;
  ws::Subclass(f.H(), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (m.msg == ws::WM_NCPAINT) ++ncPaints;
    next(m);
  });
  f.provider->SetShowAppIcon(true);
  f.provider->SetTitleSkin(QString());
  f.provider->SetCaptionAlignment(TAlignment::taLeftJustify);
  EXPECT_EQ(ncPaints, 0);
  f.provider->SetCaptionAlignment(TAlignment::taCenter);
  EXPECT_EQ(ncPaints, 1);
  // Turning the frame painting off gives the frame back.
  f.provider->SetDrawNonClientArea(false);
  EXPECT_FALSE(f.form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(ws::GetWindowLong(f.H(), ws::GWL_STYLE) & ws::WS_SYSMENU);
}

}  // namespace
