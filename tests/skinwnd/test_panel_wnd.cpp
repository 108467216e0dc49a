// The group-box, panel, dialog-panel and transparent-panel wrappers on a
// form with the controls' fixture skin: the section a panel's bevels
// choose, the painted frame, strip and caption of a group box, the dialog
// panel's section and colour by its class, the messages they answer, and
// each container's own look after the skin.
#include <QFrame>
#include <QGroupBox>

#include "control_test_form.h"
#include "skin/skin_link.h"
#include "skinwnd/panel_wnd.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::SendSkinCommand;
using kelmo::skin::TkCommonData;

using Panels = ControlForm;

TEST(PanelSections, ByTheBevels) {
  struct Case {
    PanelBevels bevels;
    const char* section;
  };
  const Case cases[] = {
      {{bvLowered, bvRaised, false}, "GROUPBOX"}, {{bvLowered, bvNone, false}, "PANEL_LOW"},
      {{bvRaised, bvLowered, false}, "GROUPBOX"}, {{bvRaised, bvSpace, false}, "PANEL"},
      {{bvNone, bvRaised, true}, "PANEL_LOW"},    {{bvSpace, bvNone, false}, "CHECKBOX"},
      {{bvNone, bvNone, false}, "CHECKBOX"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PanelSectionFor(c.bevels), QLatin1String(c.section))
        << c.bevels.outer << " " << c.bevels.inner;
  QFrame frame;
  frame.setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame.setProperty("bevelInner", int(bvLowered));
  EXPECT_EQ(PanelSectionFor(PanelBevelsOf(frame)), QStringLiteral("GROUPBOX"));
  frame.setFrameStyle(QFrame::Box | QFrame::Plain);
  EXPECT_EQ(PanelSectionFor(PanelBevelsOf(frame)), QStringLiteral("PANEL_LOW"));
}

TEST_F(Panels, PanelPaintsItsSection) {
  auto* frame = new QFrame(&form);
  frame->setGeometry(10, 10, 120, 80);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Show();
  const QImage own = Grab(frame);
  SkinOn();
  TkCommonData link(frame, true);
  auto w = MakeWrapper<TkaPanelWnd>(ws::HandleOf(frame), &link, Manager(), QStringLiteral("PANEL"),
                                    false);
  EXPECT_EQ(link.SkinSection, QStringLiteral("PANEL"));
  const QImage img = Grab(frame);
  EXPECT_EQ(PixelOf(img, 60, 40), kPanelColor);
  EXPECT_EQ(PixelOf(img, 0, 0), kPanelColor);  // the frame strips from the cache
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(frame), kelmo::skin::scIsSkinned, 0), 1);
  SkinOff();
  w.reset();
  EXPECT_EQ(Grab(frame), own);
}

TEST_F(Panels, GroupBoxStripFrameAndCaption) {
  auto* box = new QGroupBox(QStringLiteral("Group"), &form);
  box->setGeometry(10, 10, 160, 100);
  Show();
  const QImage own = Grab(box);
  SkinOn();
  auto w = MakeWrapper<TkaGroupBoxWnd>(ws::HandleOf(box), nullptr, Manager(),
                                       QStringLiteral("GROUPBOX"), false);
  GetWndGeometry(*w);
  const auto strip = w->CaptionStrip();
  EXPECT_EQ(strip.left, 6);
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(box), kelmo::skin::scCaptionHeight, 0), strip.Height());
  const QImage img = Grab(box);
  // Above half the strip the form shows over the whole width; the frame
  // starts there, with the section's colour inside.
  EXPECT_EQ(PixelOf(img, 155, 1), kFormColor);
  EXPECT_EQ(PixelOf(img, 155, strip.Height() / 2 + 1), kGroup.colour[0]);
  EXPECT_EQ(PixelOf(img, 80, 60), kGroupBoxColor);
  // The caption is written in the strip over the form's colour.
  const QRect ink = InkBox(img, kFormColor, QRect(strip.left, 0, strip.Width(), strip.Height()));
  EXPECT_FALSE(ink.isNull());
  // An erase with different parameters paints nothing and answers 1.
  EXPECT_EQ(ws::SendMessage(ws::HandleOf(box), ws::WM_ERASEBKGND, 1, 2), 1);
  // A box narrower than its caption cuts the strip at its width less 1.
  box->resize(20, 100);
  GetWndGeometry(*w);
  EXPECT_EQ(w->CaptionStrip().right, 19);
  box->resize(160, 100);
  SkinOff();
  w.reset();
  EXPECT_EQ(Grab(box), own);
}

TEST_F(Panels, DialogPanelByItsClass) {
  struct Case {
    const char* role;
    const char* section;
    bool globalColour;
  };
  for (const Case c : {Case{"TPanel", "CHECKBOX", true},
                       Case{"TSilentPaintPanel", "GROUPBOX", false}, Case{"", "GROUPBOX", false}}) {
    SCOPED_TRACE(c.role);
    auto* panel = new QFrame(&form);
    panel->setGeometry(10, 120, 100, 60);
    if (*c.role) ws::SetClassRole(panel, QString::fromLatin1(c.role));
    Show();
    SkinOn();
    const QColor ownColour = panel->palette().color(QPalette::Window);
    auto w = MakeWrapper<TkaDlgPanelWnd>(ws::HandleOf(panel), nullptr, Manager(),
                                         QStringLiteral("PANEL"), false);
    EXPECT_EQ(w->SkinLink->SkinSection, QLatin1String(c.section));
    EXPECT_EQ(panel->palette().color(QPalette::Window) ==
                  ws::ToQColor(ws::ColorRef(Manager()->GetGlobalColor())),
              c.globalColour);
    const QImage img = Grab(panel);
    EXPECT_EQ(PixelOf(img, 50, 30), c.globalColour ? kCheckBoxColor : kGroupBoxColor);
    SkinOff();
    w.reset();
    EXPECT_EQ(panel->palette().color(QPalette::Window), ownColour);
    delete panel;
  }
}

TEST_F(Panels, TransparentPanelShowsItsSection) {
  auto* page = new QWidget(&form);
  page->setGeometry(200, 10, 100, 80);
  Show();
  SkinOn();
  auto w = MakeWrapper<TkaTransPanelWnd>(ws::HandleOf(page), nullptr, Manager(),
                                         QStringLiteral("CHECKBOX"), false);
  EXPECT_EQ(PixelOf(Grab(page), 50, 40), kCheckBoxColor);
  EXPECT_EQ(ws::SendMessage(ws::HandleOf(page), ws::WM_NCPAINT), 0);
}
