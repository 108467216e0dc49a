// The button, bit-button and check-box wrappers on Qt buttons of a form
// with the controls' fixture skin: which wrapper a button's type gets, the
// states painted on a grab (normal, default, hot, pressed, disabled), the
// check images by type and check state, the glyph of a bit button, the
// messages the wrappers answer, and the buttons' own look after the skin.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "control_test_form.h"
#include "skinwnd/button_wnd.h"
#include "skinwnd/control_queries.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::SendSkinCommand;

namespace {

struct Buttons : ControlForm {
  QPushButton* button = nullptr;
  ws::HWND h = 0;
  std::vector<unsigned> below;  // messages that reached the button's own handler

  void MakeButton(const QString& text = QStringLiteral("OK")) {
    button = new QPushButton(text, &form);
    button->setGeometry(20, 30, 90, 30);
    // Only where a case gives it the focus: a focused button looks hot.
    button->setFocusPolicy(Qt::NoFocus);
    h = ws::HandleOf(button);
    ws::Subclass(h, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      below.push_back(m.msg);
      next(m);
    });
  }
  int Reached(unsigned msg) const { return int(std::count(below.begin(), below.end(), msg)); }
};

}  // namespace

TEST(ButtonKinds, ByTheTypeField) {
  struct Case {
    std::uint32_t style;
    ButtonWrapperKind kind;
  };
  const Case cases[] = {
      {0x0, ButtonWrapperKind::Push},          {0x1, ButtonWrapperKind::Push},
      {0x2, ButtonWrapperKind::Check},         {0x3, ButtonWrapperKind::Check},
      {0x4, ButtonWrapperKind::Check},         {0x5, ButtonWrapperKind::Check},
      {0x6, ButtonWrapperKind::Check},         {0x7, ButtonWrapperKind::Group},
      {0x8, ButtonWrapperKind::None},          {0x9, ButtonWrapperKind::Check},  // automatic radio
      {0xB, ButtonWrapperKind::None},                                            // owner-drawn
      {0xF, ButtonWrapperKind::None},                                            // unknown
      {0x2000 | 0x1, ButtonWrapperKind::Push}, {0x20 | 0x9, ButtonWrapperKind::Check},
  };
  for (const Case& c : cases) EXPECT_EQ(ButtonWrapperKindOf(c.style), c.kind) << c.style;
}

TEST(ButtonKinds, CheckImagesByTypeAndState) {
  struct Case {
    std::uint32_t style;
    int check;
    const char* name;
  };
  const Case cases[] = {
      {0x3, 0, "BOXUNCHECKED"},        {0x3, 1, "BOXCHECKED"}, {0x3, 2, "BOXGRAYED"},
      {0x4, 1, "RADIOCHECKED"},        {0x4, 2, "BOXGRAYED"},  {0x9, 1, "RADIOCHECKED"},
      {0x9, 0, "RADIOUNCHECKED"},      {0x2, 1, "BOXCHECKED"}, {0x6, 2, "BOXGRAYED"},
      {0x20 | 0x9, 1, "RADIOCHECKED"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckImageName(c.style, c.check), QLatin1String(c.name)) << c.style << " " << c.check;
}

TEST_F(Buttons, PaintsTheStatesOfAPushButton) {
  MakeButton();
  Show();
  const QImage own = Grab(button);
  SkinOn();
  auto w = WrapButtonWnd(h, Manager());
  ASSERT_NE(dynamic_cast<TkaBtnWnd*>(w.get()), nullptr);
  EXPECT_EQ(w->SkinLink->SkinSection, QStringLiteral("BUTTON"));
  struct Case {
    const char* what;
    std::function<void()> set, reset;
    TColor face;
  };
  const Case cases[] = {
      {"normal", [] {}, [] {}, kButton.colour[0]},
      {"default", [&] { button->setDefault(true); }, [&] { button->setDefault(false); },
       kButton.colour[1]},
      {"pressed", [&] { button->setDown(true); }, [&] { button->setDown(false); },
       kButton.colour[2]},
      {"hot", [&] { manager.SetActiveControl(h); }, [&] { manager.SetActiveControl(0); },
       kButton.colour[1]},
      {"focused",
       [&] {
         button->setFocusPolicy(Qt::StrongFocus);
         button->setFocus();
       },
       [&] {
         button->clearFocus();
         button->setFocusPolicy(Qt::NoFocus);
       },
       kButton.colour[1]},
      {"disabled", [&] { button->setEnabled(false); }, [&] { button->setEnabled(true); },
       Mix(kButton.colour[0], kFormColor, 0.4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.set();
    const QImage img = Grab(button);
    EXPECT_TRUE(Near(PixelOf(img, 2, 15), c.face)) << std::hex << PixelOf(img, 2, 15);
    EXPECT_TRUE(Near(PixelOf(img, 87, 3), c.face));
    c.reset();
  }
  // The magenta corner of the border shows the form.
  EXPECT_EQ(PixelOf(Grab(button), 0, 0), kFormColor);
  // The caption moves one pixel right and down while pressed.
  const QRect up = InkBox(Grab(button), 0xFFFFFF, QRect(4, 4, 82, 22));
  button->setDown(true);
  const QRect down = InkBox(Grab(button), 0xFFFFFF, QRect(4, 4, 82, 22));
  button->setDown(false);
  ASSERT_FALSE(up.isNull());
  EXPECT_EQ(down.topLeft(), up.topLeft() + QPoint(1, 1));

  // Switching the skin off and giving the button back restores its look.
  SkinOff();
  w.reset();
  EXPECT_EQ(Grab(button), own);
}

TEST_F(Buttons, HoverFromTheMouseAndMessagesOfTheChain) {
  MakeButton();
  Show();
  SkinOn();
  auto w = MakeWrapper<TkaBtnWnd>(h, nullptr, Manager(), QStringLiteral("BUTTON"), false);
  // A mouse move over the button makes it the manager's hot window; the
  // manager's enter command then paints it hot.
  CursorAt(button, {10, 10});
  ws::SendMessage(h, ws::WM_MOUSEMOVE, 0, ws::MakeLParam(10, 10));
  EXPECT_EQ(manager.ActiveControl(), h);
  EXPECT_TRUE(w->SkinLink->HotTracked);
  EXPECT_TRUE(Near(PixelOf(Grab(button), 2, 15), kButton.colour[1]));
  CursorAt(&form, {300, 200});
  ws::SendMessage(h, ws::WM_MOUSEMOVE, 0, ws::MakeLParam(280, 170));
  EXPECT_EQ(manager.ActiveControl(), 0u);
  EXPECT_FALSE(w->SkinLink->HotTracked);

  below.clear();
  // Erasing and the focus cues are the wrapper's; a disabled button never
  // gets the focus message.
  EXPECT_EQ(ws::SendMessage(h, ws::WM_ERASEBKGND), 1);
  EXPECT_EQ(ws::SendMessage(h, ws::WM_UPDATEUISTATE), 1);
  button->setEnabled(false);
  ws::SendMessage(h, ws::WM_SETFOCUS);
  EXPECT_EQ(Reached(ws::WM_SETFOCUS), 0);
  button->setEnabled(true);
  ws::SendMessage(h, ws::WM_SETFOCUS);
  EXPECT_EQ(Reached(ws::WM_SETFOCUS), 1);
  EXPECT_TRUE(w->SkinLink->FocusMark);
  ws::SendMessage(h, ws::WM_KILLFOCUS);
  EXPECT_FALSE(w->SkinLink->FocusMark);
  EXPECT_EQ(SendSkinCommand(h, kelmo::skin::scIsSkinned, 0), 1);
  EXPECT_EQ(Reached(ws::WM_ERASEBKGND), 0);
}

TEST_F(Buttons, CaptionWrapsOnlyOnSingleLineButtons) {
  MakeButton(QStringLiteral("one two three four five six"));
  Show();
  SkinOn();
  auto w = MakeWrapper<TkaBtnWnd>(h, nullptr, Manager(), QStringLiteral("BUTTON"), false);
  QImage probe = kelmo::skin::CreateBmp24(1, 1);
  ws::Dc dc(probe);
  dc.SelectFont({button->font(), 0});
  GetWndGeometry(*w);
  const QSize wrapped = w->CaptionSize(dc);
  ws::SetWindowLong(h, ws::GWL_STYLE, ws::GetWindowLong(h, ws::GWL_STYLE) | BS_MULTILINE);
  const QSize multi = w->CaptionSize(dc);
  EXPECT_GT(wrapped.height(), multi.height());
  EXPECT_LE(wrapped.width(), 88);
}

TEST_F(Buttons, BitButtonGlyphBesideTheCaption) {
  MakeButton(QStringLiteral("Go"));
  QImage icon(16, 16, QImage::Format_ARGB32);
  icon.fill(QColor(0, 0, 255));
  icon.setPixel(0, 0, qRgba(0, 0, 0, 0));  // one 32-bit image keeps its alpha
  button->setIcon(QIcon(QPixmap::fromImage(icon)));
  button->setIconSize({16, 16});
  Show();
  SkinOn();
  auto w = MakeWrapper<TkaBitBtnWnd>(h, nullptr, Manager(), QStringLiteral("BUTTON"), false);
  EXPECT_EQ(w->GlyphSize(), QSize(16, 16));
  const QImage img = Grab(button);
  // The glyph (blue) stands left of the caption, centred vertically; its
  // transparent pixel shows the face.
  const QRect glyph = InkBox(img, 0xFFFFFF, QRect(4, 4, 82, 22));
  int blue = 0;
  for (int x = 0; x < 90; ++x) blue += PixelOf(img, x, 15) == Bgr(0, 0, 255);
  EXPECT_EQ(blue, 16);
  const QRect caption = InkBox(img, 0xFFFFFF, QRect(glyph.left() + 17, 4, 60, 22));
  EXPECT_EQ(glyph.top(), 7);
  EXPECT_GT(caption.left(), glyph.left() + 16);
  EXPECT_EQ(PixelOf(img, glyph.left() + 1, 7), Bgr(0, 0, 255));
  EXPECT_EQ(PixelOf(img, glyph.left(), 7), 0xFFFFFFu);
}

TEST_F(Buttons, CheckBoxesAndRadioButtons) {
  auto* check = new QCheckBox(QStringLiteral("Check"), &form);
  check->setGeometry(20, 80, 120, 20);
  auto* radio = new QRadioButton(QStringLiteral("Radio"), &form);
  radio->setGeometry(20, 110, 120, 20);
  // A focused box looks hot.
  check->setFocusPolicy(Qt::NoFocus);
  radio->setFocusPolicy(Qt::NoFocus);
  Show();
  const QImage own = Grab(check);
  SkinOn();
  auto wc = WrapButtonWnd(ws::HandleOf(check), Manager());
  auto wr = WrapButtonWnd(ws::HandleOf(radio), Manager());
  ASSERT_NE(dynamic_cast<TkaCheckBoxWnd*>(wc.get()), nullptr);
  ASSERT_NE(dynamic_cast<TkaCheckBoxWnd*>(wr.get()), nullptr);
  // The image sits at the left, centred; the rest is the section.
  struct Case {
    const char* what;
    QWidget* widget;
    std::function<void()> set;
    TColor image;
  };
  const Case cases[] = {
      {"unchecked", check, [] {}, kChecks[0].colour[0]},
      {"checked", check, [&] { check->setChecked(true); }, kChecks[1].colour[0]},
      {"indeterminate", check,
       [&] {
         check->setTristate(true);
         check->setCheckState(Qt::PartiallyChecked);
       },
       kChecks[2].colour[0]},
      {"pressed", check, [&] { check->setDown(true); }, kChecks[2].colour[2]},
      {"radio", radio, [] {}, kChecks[3].colour[0]},
      {"radio checked", radio, [&] { radio->setChecked(true); }, kChecks[4].colour[0]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.set();
    const QImage img = Grab(c.widget);
    EXPECT_EQ(PixelOf(img, 6, 10), c.image);
    EXPECT_EQ(PixelOf(img, 117, 2), kCheckBoxColor);
  }
  check->setDown(false);
  // Text on the left puts the image at the right edge.
  ws::SetWindowLong(ws::HandleOf(check), ws::GWL_STYLE,
                    ws::GetWindowLong(ws::HandleOf(check), ws::GWL_STYLE) | BS_LEFTTEXT);
  EXPECT_EQ(PixelOf(Grab(check), 113, 10), kChecks[2].colour[0]);
  // The manager's commands reach the wrapper and repaint.
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(check), kelmo::skin::scIsSkinned, 0), 1);
  SkinOff();
  wc.reset();
  wr.reset();
  ws::SetWindowLong(ws::HandleOf(check), ws::GWL_STYLE,
                    ws::GetWindowLong(ws::HandleOf(check), ws::GWL_STYLE) & ~BS_LEFTTEXT);
  check->setCheckState(Qt::Unchecked);
  check->setTristate(false);
  EXPECT_EQ(Grab(check), own);
}

TEST_F(Buttons, DialogButtonsLeftUnwrapped) {
  MakeButton();
  SkinOn();
  ws::SetWindowLong(h, ws::GWL_STYLE, (ws::GetWindowLong(h, ws::GWL_STYLE) & ~0xFu) | 0xB);
  EXPECT_EQ(WrapButtonWnd(h, Manager()), nullptr);
  EXPECT_EQ(WrapperOfWnd(h), nullptr);
}

TEST(ButtonKinds, QtWidgetsCarryTheirTypeField) {
  QWidget host;
  auto* push = new QPushButton(&host);
  auto* byDefault = new QPushButton(&host);
  byDefault->setDefault(true);
  auto* check = new QCheckBox(&host);
  auto* tristate = new QCheckBox(&host);
  tristate->setTristate(true);
  auto* radio = new QRadioButton(&host);
  auto* plainRadio = new QRadioButton(&host);
  plainRadio->setAutoExclusive(false);
  struct Case {
    QWidget* widget;
    std::uint32_t type;
  };
  for (const Case& c : {Case{push, BS_PUSHBUTTON}, Case{byDefault, BS_DEFPUSHBUTTON},
                        Case{check, BS_AUTOCHECKBOX}, Case{tristate, BS_AUTO3STATE},
                        Case{radio, BS_AUTORADIOBUTTON}, Case{plainRadio, BS_RADIOBUTTON}})
    EXPECT_EQ(ws::GetWindowLong(ws::HandleOf(c.widget), ws::GWL_STYLE) & BS_TYPEMASK, c.type);
}
