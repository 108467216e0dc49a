// The speed-button handler on the program's speed button with the
// controls' fixture skin: the glyph and caption layout, the states painted
// on a grab, the commands it answers, and giving the button back.
#include "control_test_form.h"
#include "extctl/xt_speed_button.h"
#include "skin/skin_link.h"
#include "skinwnd/main_wnd.h"
#include "skinwnd/speed_button.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::SendSkinCommand;
using kelmo::skin::TkCommonData;

namespace {

struct Speed : ControlForm {
  TXtSpeedButton* button = nullptr;
  std::unique_ptr<TkCommonData> link;
  std::unique_ptr<TkaSpeedButtonHandler> Make() {
    button = new TXtSpeedButton(&form);
    button->setGeometry(30, 30, 24, 22);
    QImage glyph(16, 16, QImage::Format_ARGB32);
    glyph.fill(QColor(0, 0, 255));
    glyph.setPixel(0, 0, qRgba(0, 0, 0, 0));
    button->SetGlyph(glyph);
    Show();
    SkinOn();
    link = std::make_unique<TkCommonData>(button, true);
    return std::make_unique<TkaSpeedButtonHandler>(button, QStringLiteral("SPEEDBUTTON"), Manager(),
                                                   link.get());
  }
  void TearDown() override {
    ControlForm::TearDown();
    link.reset();
  }
};

}  // namespace

TEST_F(Speed, GlyphPlacedByTheLayoutAndStatesPainted) {
  auto handler = Make();
  EXPECT_EQ(link->SkinSection, QStringLiteral("SPEEDBUTTON"));
  ASSERT_EQ(button->Margin(), -1);
  EXPECT_EQ(handler->GlyphRect({16, 16}, {}), QRect(4, 3, 16, 16));
  QImage img = Grab(button);
  EXPECT_EQ(PixelOf(img, 1, 11), kButton.colour[0]);
  EXPECT_EQ(PixelOf(img, 5, 4), Bgr(0, 0, 255));
  EXPECT_EQ(PixelOf(img, 4, 3), 0xFFFFFFu);  // the glyph's clear pixel shows the face

  // Hot with the mouse over it, pressed while down.
  ws::SendMessage(ws::HandleOf(button), ws::CM_MOUSEENTER);
  EXPECT_EQ(PixelOf(Grab(button), 1, 11), kButton.colour[1]);
  ws::SendMessage(ws::HandleOf(button), ws::CM_MOUSELEAVE);
  button->SetGroupIndex(1);
  button->SetAllowAllUp(true);
  button->SetDown(true);
  ASSERT_EQ(handler->ButtonState(), 2);
  EXPECT_EQ(handler->GlyphRect({16, 16}, {}), QRect(5, 4, 16, 16));
  img = Grab(button);
  EXPECT_EQ(PixelOf(img, 1, 11), kButton.colour[2]);
  EXPECT_EQ(PixelOf(img, 6, 5), Bgr(0, 0, 255));
  button->SetDown(false);
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(button), kelmo::skin::scIsSkinned, 0), 1);

  // A caption wider than 255 pixels is measured wrapped at 255.
  button->SetCaption(QStringLiteral("word ").repeated(40).trimmed());
  EXPECT_LE(handler->CaptionSize().width(), 255);
  EXPECT_GT(handler->CaptionSize().height(), QFontMetrics(button->font()).height());
}

TEST_F(Speed, GivesThePaintingBack) {
  auto handler = Make();
  SkinOff();
  const QImage skinned = Grab(button);
  // Freed while the adapter frees all its items: the handler leaves the
  // button's chain all the same, so nothing calls a freed handler.
  WrapperState().AdapterRemovingAll = true;
  handler.reset();
  WrapperState().AdapterRemovingAll = false;
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(button), kelmo::skin::scIsSkinned, 0), 0);
  (void)skinned;
}
