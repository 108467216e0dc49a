// The up-down wrapper on the program's up-down button with the controls'
// fixture skin: the two buttons' rectangles, the arrows by orientation,
// hover and press on the painted grab, the dialog's left indent, and the
// button's own look after the skin.
#include <QMouseEvent>

#include "control_test_form.h"
#include "extctl/xt_spin.h"
#include "skinwnd/spin_wnd.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;

namespace {

struct Spins : ControlForm {
  TXtUpDown* spin = nullptr;
  ws::HWND h = 0;
  QImage own;  // the button's look before the skin
  std::unique_ptr<TkaSpinWnd> Make(QSize size) {
    spin = new TXtUpDown(&form);
    spin->setGeometry(40, 40, size.width(), size.height());
    h = ws::HandleOf(spin);
    Show();
    own = Grab(spin);
    SkinOn();
    return MakeWrapper<TkaSpinWnd>(h, nullptr, Manager(), QStringLiteral("UPDOWNBTN"), false);
  }
};

}  // namespace

TEST_F(Spins, ButtonsShareARowAtAnOddHeight) {
  auto w = Make({15, 21});
  GetWndGeometry(*w);
  const auto [first, second] = w->ButtonRects();
  EXPECT_EQ(first.top, 0);
  EXPECT_EQ(first.bottom, 11);  // rows 0 to 10
  EXPECT_EQ(second.top, 10);    // rows 10 to 20
  EXPECT_EQ(second.bottom, 21);
  w->LeftIndent = 2;
  EXPECT_EQ(w->ButtonRects().first.left, 2);
}

TEST_F(Spins, HoverPressAndArrows) {
  auto w = Make({15, 30});
  struct Case {
    const char* what;
    QPoint cursor;
    bool press;
    int first, second;
  };
  const Case cases[] = {
      {"away", {200, 200}, false, 0, 0},
      {"over the upper", {7, 4}, false, 1, 0},
      {"over the lower", {7, 25}, false, 0, 1},
      {"pressed on the lower", {7, 25}, true, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CursorAt(spin, c.cursor);
    if (c.press) ws::SendMessage(h, ws::WM_LBUTTONDOWN, 1, ws::MakeLParam(7, 25));
    const QImage img = Grab(spin);
    EXPECT_EQ(w->FirstBtnState, c.first);
    EXPECT_EQ(w->SecondBtnState, c.second);
    // The border of each button in its state; the arrows in the middle.
    EXPECT_EQ(PixelOf(img, 1, 7), kButton.colour[c.first]);
    EXPECT_EQ(PixelOf(img, 1, 22), kButton.colour[c.second]);
    EXPECT_EQ(PixelOf(img, 7, 7), kArrows[0].colour[c.first]);
    EXPECT_EQ(PixelOf(img, 7, 22), kArrows[1].colour[c.second]);
    if (c.press) ws::SendMessage(h, ws::WM_LBUTTONUP, 0, ws::MakeLParam(7, 25));
  }
  EXPECT_FALSE(w->MousePressed);
  // Horizontal: the left half's arrow is the left one.
  CursorAt(&form, {300, 200});
  ws::SetWindowLong(h, ws::GWL_STYLE, ws::GetWindowLong(h, ws::GWL_STYLE) | UDS_HORZ);
  spin->update();
  const QImage horizontal = Grab(spin);  // the button keeps its own width
  EXPECT_EQ(PixelOf(horizontal, spin->width() / 4, 15), kArrows[2].colour[0]);
  EXPECT_EQ(PixelOf(horizontal, spin->width() * 3 / 4, 15), kArrows[3].colour[0]);
  ws::SetWindowLong(h, ws::GWL_STYLE, ws::GetWindowLong(h, ws::GWL_STYLE) & ~UDS_HORZ);
  // In a dialog the two leftmost columns keep the window's own pixels.
  w->LeftIndent = 2;
  const QImage indented = Grab(spin);
  for (int x : {0, 1}) EXPECT_EQ(PixelOf(indented, x, 15), PixelOf(own, x, 15));
  EXPECT_EQ(PixelOf(indented, 3, 7), kButton.colour[0]);
  SkinOff();
  w.reset();
  EXPECT_EQ(Grab(spin), own);
}
