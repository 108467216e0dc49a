// The general routines, the skinned message box, the start-up's version
// switch and the form-show animation.
#include <gtest/gtest.h>

#include <QWidget>

#include "qt_test_application.h"
#include "skin/control_utils.h"
#include "skin/skin_message_box.h"
#include "skin/skin_startup.h"
#include "skin/skin_state.h"
#include "skin/skin_utils.h"
#include "winshim/timers.h"

using namespace kelmo::skin;
namespace ws = kelmo::winshim;

TEST(SkinUtils, WordsIniAndPaths) {
  const QString delims = QStringLiteral(" ,");
  const QString text = QStringLiteral("a,, b");
  EXPECT_EQ(WordCountOf(text, delims), 2);
  EXPECT_EQ(NthWord(1, text, delims), QStringLiteral("a"));
  EXPECT_EQ(NthWord(2, text, delims), QStringLiteral("b"));
  EXPECT_EQ(NthWord(3, text, delims), QString());
  EXPECT_EQ(NthWordPos(2, text, delims), 5);

  const IniSections s = ParseIniSections({"KEY=1", "[A]", "; note", "X=0x1F", "Y=0X", "[", "Z=3"});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(IniSectionInt(s, "A", 7, "X"), 31);
  EXPECT_EQ(IniSectionInt(s, "A", 7, "Y"), 7);
  EXPECT_EQ(IniSectionInt(s, "A", 7, "Z"), 3);  // "[" alone starts no section
  EXPECT_EQ(IniSectionValue(s, "A", "KEY", "none"), QStringLiteral("none"));

  EXPECT_EQ(AddPathDelimiter("C"), QStringLiteral("C:\\"));
  EXPECT_EQ(AddPathDelimiter("d/skins/"), QStringLiteral("d/skins\\"));
  EXPECT_EQ(AddPathDelimiter(""), QString());
  EXPECT_EQ(ClampInt(5, 10, 3), 10);
  EXPECT_EQ(ClampInt(20, 10, 3), 3);
  EXPECT_FALSE(RectOverlaps({0, 0, 10, 10}, {10, 0, 20, 10}));
  EXPECT_TRUE(RectOverlaps({0, 0, 10, 10}, {9, 9, 20, 20}));
}

TEST(SkinMessageBox, StylesCaptionsAndPlace) {
  struct Case {
    int kind;
    unsigned buttons;
    unsigned style;
  };
  const unsigned base = MB_SETFOREGROUND | MB_TOPMOST;
  const Case cases[] = {
      {2, 0, base | MB_ICONINFORMATION | MB_OK},
      {3, mbYes | mbNo | mbCancel, base | MB_ICONQUESTION | MB_YESNOCANCEL},
      {0, mbOK | mbCancel, base | MB_ICONWARNING | MB_OKCANCEL},
      {1, mbOK | mbYes, base | MB_ICONERROR | MB_OK},
      {4, mbAbort, base | MB_ABORTRETRYIGNORE},
      {4, mbRetry | mbHelp, base | MB_RETRYCANCEL | MB_HELP},
      {4, mbYes | mbNo, base | MB_YESNO},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageBoxStyle(c.kind, c.buttons), c.style) << c.kind;

  MessageBoxRequest seen;
  int placeX = 0;
  auto previous = SetMessageBoxPresenter([&](const MessageBoxRequest& r) {
    seen = r;
    placeX = MessageBoxX();
    return IDNO;
  });
  EXPECT_EQ(SkinMessageBoxSimple("text", 2, 0, 0), IDNO);
  EXPECT_EQ(seen.caption, QStringLiteral("Information"));
  EXPECT_EQ(placeX, -1);
  EXPECT_EQ(SkinMessageBox("Own", "text", 1, mbOK, 0, 40, 50), IDNO);
  EXPECT_EQ(seen.caption, QStringLiteral("Own"));
  EXPECT_EQ(placeX, 40);
  EXPECT_EQ(MessageBoxX(), -1);
  EXPECT_EQ(MessageBoxY(), -1);
  ShowAdapterError("broken");
  EXPECT_EQ(seen.caption, QStringLiteral("Error"));

  // "/kaver", in any case, shows the version box; a longer switch does not.
  seen = {};
  EXPECT_FALSE(ShowVersionOnSwitch({"/kaverx", "user"}));
  EXPECT_TRUE(ShowVersionOnSwitch({"x", "/KAVER"}));
  EXPECT_EQ(seen.text, SkinLibraryVersionText());
  EXPECT_TRUE(seen.text.contains(QStringLiteral("6.44")));
  EXPECT_TRUE(StartSkinModules({"/kaver"}));
  EXPECT_FALSE(StartSkinModules({"/kaver"}));  // once per process
  SetMessageBoxPresenter(previous);
}

TEST(FormShowAnimation, FramesAndEveryWayOut) {
  auto clock = std::make_shared<ws::ManualClock>();
  auto previous = ws::SetClock(clock);
  QWidget form;
  form.setGeometry(50, 50, 60, 40);
  form.setAutoFillBackground(true);
  form.setPalette(QPalette(Qt::green));
  form.show();
  QImage screen(60, 40, QImage::Format_RGB888);
  screen.fill(Qt::black);
  ws::SendMessage(ws::HandleOf(&form), ws::WM_SETREDRAW, 0);
  EXPECT_EQ(AnimShowForm(&form, 7, &screen), 0);
  EXPECT_FALSE(FormAnimating());
  EXPECT_TRUE(form.updatesEnabled());
  const auto before = clock->Now();
  EXPECT_EQ(AnimShowForm(&form, 8, &screen), 2);
  EXPECT_EQ(clock->Now() - before, 8);
  EXPECT_EQ(AnimShowForm(&form, 40, &screen), 6);
  // No picture of the screen: the animation ends at once, and still the
  // flag is cleared and the form draws again.
  ws::SendMessage(ws::HandleOf(&form), ws::WM_SETREDRAW, 0);
  const QImage none;
  EXPECT_EQ(AnimShowForm(&form, 40, &none), 0);
  EXPECT_FALSE(FormAnimating());
  EXPECT_TRUE(form.updatesEnabled());
  ws::SetClock(previous);
}

TEST(FormBroadcasts, ProviderListAndControls) {
  QWidget a, b, c;
  RegisterProvider(&a);
  RegisterProvider(&b);
  RegisterProvider(&c);
  QWidget stranger;
  UnregisterProvider(&stranger);
  EXPECT_EQ(ProviderList().size(), 3u);
  UnregisterProvider(&a);  // the last takes its place
  ASSERT_EQ(ProviderList().size(), 2u);
  EXPECT_EQ(ProviderList()[0], &c);
  UnregisterProvider(&b);
  UnregisterProvider(&c);
  EXPECT_TRUE(ProviderList().empty());

  // Child windows: direct children only.
  QWidget parent;
  auto* child = new QWidget(&parent);
  auto* grandchild = new QWidget(child);
  int heard = 0;
  for (QWidget* w : {child, grandchild})
    ws::Subclass(ws::HandleOf(w), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg == ws::WM_USER) ++heard;
      next(m);
    });
  BroadcastToChildWindows(ws::HandleOf(&parent), ws::Msg{ws::WM_USER});
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(OwnerFormOf(grandchild), &parent);
  EXPECT_EQ(OwnerFormOf(&parent), &parent);
  EXPECT_EQ(TopParentWnd(ws::HandleOf(grandchild)), ws::HandleOf(&parent));
}
