// Container and edit styles: value resolution through the state, the
// controller chain and the defaults; controller cycles; the default edit
// style controller.
#include <gtest/gtest.h>

#include "lookandfeel/edit_style.h"
#include "qt_test_application.h"

namespace kelmo::le {
namespace {

class Styles : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateLookAndFeelRoot();
    StartEditStyles();
  }
  void TearDown() override {
    StopEditStyles();
    FreeLookAndFeelRoot();
  }
};

// The four styles of a control: a base style and its three state styles.
struct ControlStyles {
  ControlStyles() {
    base = std::make_unique<TleEditStyle>(nullptr, ssNormal, nullptr, false);
    for (int s = 1; s < 4; ++s) {
      states[s] = std::make_unique<TleEditStyle>(nullptr, s, base.get(), false);
    }
  }
  TleEditStyle& operator[](int s) { return s == 0 ? *base : *states[s]; }
  std::unique_ptr<TleEditStyle> base;
  std::unique_ptr<TleEditStyle> states[4];
};

TEST_F(Styles, DefaultsByStateAndLook) {
  ControlStyles c;
  struct Row {
    int state;
    TColor borderColor, textColor, color;
    TleContainerBorderStyle border;
  } rows[] = {{ssNormal, clWindowFrame, clWindowText, clBtnFace, cbsUltraFlat},
              {ssFocused, clWindowFrame, clWindowText, clBtnFace, cbsUltraFlat},
              {ssDisabled, clBtnShadow, clBtnShadow, clBtnFace, cbsUltraFlat},
              {ssHot, clWindowFrame, clWindowText, clBtnFace, cbsUltraFlat}};
  for (const Row& r : rows) {
    EXPECT_EQ(c[r.state].BorderColor(), r.borderColor) << r.state;
    EXPECT_EQ(c[r.state].TextColor(), r.textColor) << r.state;
    EXPECT_EQ(c[r.state].Color(), r.color) << r.state;
    EXPECT_EQ(c[r.state].BorderStyle(), r.border) << r.state;
    EXPECT_EQ(c[r.state].Edges(), bsAll);
    EXPECT_TRUE(c[r.state].HotTrack());
  }
  // The base border style follows the look-and-feel.
  struct Kind {
    TleLookAndFeelKind kind;
    TleContainerBorderStyle border;
  } kinds[] = {{lfFlat, cbsFlat},
               {lfStandard, cbs3D},
               {lfUltraFlat, cbsUltraFlat},
               {lfOffice11, cbsOffice11}};
  for (const Kind& k : kinds) {
    c.base->LookAndFeel().SetKind(k.kind);
    EXPECT_EQ(c.base->BorderStyle(), k.border);
  }
}

TEST_F(Styles, FocusedAndHotBorderStyles) {
  struct Row {
    TleContainerBorderStyle base;
    bool hotTrack;
    TleContainerBorderStyle focused, disabled;
  } rows[] = {{cbsSingle, true, cbsThick, cbsSingle},
              {cbsNone, true, cbsFlat, cbsNone},
              {cbsFlat, true, cbs3D, cbsFlat},
              {cbsThick, true, cbsThick, cbsThick},
              {cbsUltraFlat, true, cbsUltraFlat, cbsUltraFlat},
              {cbsSingle, false, cbsSingle, cbsSingle}};
  for (const Row& r : rows) {
    ControlStyles c;
    c.base->SetBorderStyle(r.base);
    c.base->SetHotTrack(r.hotTrack);
    EXPECT_EQ(c[ssFocused].BorderStyle(), r.focused) << int(r.base) << r.hotTrack;
    EXPECT_EQ(c[ssHot].BorderStyle(), r.focused);
    EXPECT_EQ(c[ssDisabled].BorderStyle(), r.disabled);
  }
}

TEST_F(Styles, DisabledColoursAndBaseValues) {
  ControlStyles c;
  c.base->SetTextColor(clBlue);
  c.base->SetBorderColor(clBlue);
  EXPECT_EQ(c[ssDisabled].TextColor(), clBtnShadow);
  EXPECT_EQ(c[ssDisabled].BorderColor(), clBtnShadow);
  EXPECT_EQ(c[ssFocused].TextColor(), clBlue);
  c[ssDisabled].SetTextColor(clWhite);
  EXPECT_EQ(c[ssDisabled].TextColor(), clWhite);
  // Values of the base style set through a state style land on the base.
  c[ssHot].SetEdges(bsLeft | bsTop);
  EXPECT_EQ(c.base->Edges(), bsLeft | bsTop);
  EXPECT_TRUE(c.base->AssignedValues() & (1u << svEdges));
  EXPECT_FALSE(c[ssHot].AssignedValues() & (1u << svEdges));
}

TEST_F(Styles, ControllerSuppliesUnassignedValues) {
  TleStyleController controller(nullptr);
  ControlStyles c;
  c.base->SetStyleController(&controller);
  EXPECT_EQ(c.base->StyleController(), &controller);
  EXPECT_EQ(c[ssHot].StyleController(), &controller);
  controller.Style(ssFocused).SetColor(clBlue);
  controller.BaseStyle().SetColor(clWhite);
  struct Row {
    int state;
    TColor color;
  } rows[] = {{ssNormal, clWhite}, {ssFocused, clBlue}, {ssDisabled, clWhite}, {ssHot, clWhite}};
  for (const Row& r : rows) EXPECT_EQ(c[r.state].Color(), r.color) << r.state;
  c[ssFocused].SetColor(clBlack);  // its own value wins
  EXPECT_EQ(c[ssFocused].Color(), clBlack);
  EXPECT_TRUE(c[ssHot].IsStyleValueAssigned(svColor) == false);
  EXPECT_TRUE(c[ssNormal].IsStyleValueAssigned(svColor));
  // The style's look-and-feel follows the controller's.
  controller.BaseStyle().LookAndFeel().SetKind(lfStandard);
  EXPECT_EQ(c.base->LookAndFeel().Kind(), lfStandard);
}

TEST_F(Styles, DestroyedControllerFallsBackToTheDefaults) {
  ControlStyles c;
  {
    TleStyleController controller(nullptr);
    c.base->SetStyleController(&controller);
    controller.BaseStyle().SetColor(clBlue);
    EXPECT_EQ(c.base->Color(), clBlue);
  }
  EXPECT_EQ(c.base->StyleController(), nullptr);
  EXPECT_EQ(c.base->ActiveStyleController(), DefaultStyleController());
  EXPECT_EQ(c.base->Color(), clBtnFace);
}

TEST_F(Styles, ControllerCyclesAreRefused) {
  TleStyleController a(nullptr), b(nullptr), d(nullptr);
  b.BaseStyle().SetStyleController(&a);
  a.BaseStyle().SetStyleController(&b);  // would close a cycle
  EXPECT_EQ(a.BaseStyle().StyleController(), nullptr);
  EXPECT_EQ(b.BaseStyle().StyleController(), &a);
  // A longer ring: d follows b, then a may not follow d.
  d.BaseStyle().SetStyleController(&b);
  a.BaseStyle().SetStyleController(&d);
  EXPECT_EQ(a.BaseStyle().StyleController(), nullptr);
  EXPECT_EQ(a.FakeStyleController(), nullptr);
  EXPECT_EQ(d.FakeStyleController(), &b);
  // Values resolve along the chain d -> b -> a.
  a.Style(ssHot).SetBorderColor(clBlue);
  EXPECT_EQ(d.Style(ssHot).BorderColor(), clBlue);
}

TEST_F(Styles, ChangeNotificationsAndUpdateBrackets) {
  ControlStyles c;
  int changes = 0;
  c.base->StyleChangeHandler = [&](TleContainerStyle*) { ++changes; };
  c.base->SetColor(clBlue);
  c.base->SetColor(clBlue);  // already assigned with that value
  EXPECT_EQ(changes, 1);
  c.base->BeginStyleUpdate();
  c.base->SetBorderColor(clBlue);
  c.base->SetShadow(true);
  EXPECT_EQ(changes, 1);
  c.base->EndStyleUpdate();
  EXPECT_EQ(changes, 2);
  int controllerChanges = 0;
  TleStyleController controller(nullptr);
  controller.OnStyleChanged = [&](TleStyleController*) { ++controllerChanges; };
  c.base->SetStyleController(&controller);
  const int before = changes;
  controller.Style(ssHot).SetColor(clWhite);
  EXPECT_EQ(controllerChanges, 1);
  EXPECT_GT(changes, before);  // the following style heard it
  c.base->RestoreStyleDefaults();
  EXPECT_EQ(c.base->AssignedValues(), 0u);
  EXPECT_EQ(c.base->Color(), clBtnFace);
}

TEST_F(Styles, FontsComeFromTheChain) {
  TleStyleController controller(nullptr);
  StyleFont big;
  big.font.setPixelSize(20);
  big.font.setBold(true);
  big.color = clBlue;
  controller.BaseStyle().SetFont(big);
  ControlStyles c;
  c.base->SetStyleController(&controller);
  EXPECT_EQ(c.base->Font(), big);
  EXPECT_FALSE(c.base->AssignedValues() & (1u << svFont));
  EXPECT_EQ(c[ssFocused].TextColor(), clBlue);
  EXPECT_EQ(c[ssFocused].TextStyle(), 1);
  StyleFont own;
  c[ssHot].SetFont(own);
  EXPECT_TRUE(c.base->AssignedValues() & (1u << svFont));
}

TEST_F(Styles, DirectAccessStyles) {
  TleEditStyle direct(nullptr, ssNormal, nullptr, true);
  EXPECT_EQ(direct.AssignedValues(), (1u << 14) - 1);
  EXPECT_EQ(direct.BorderColor(), clDefault);
  EXPECT_EQ(direct.Edges(), 0);
  EXPECT_TRUE(direct.TransparentBorder());
  EXPECT_EQ(direct.ActiveStyleController(), nullptr);
}

TEST_F(Styles, EditStyleValues) {
  TleEditStyle s(nullptr, ssNormal, nullptr, false);
  EXPECT_EQ(s.ButtonStyle(), btsDefault);
  EXPECT_EQ(s.ButtonTransparency(), ebtNone);
  EXPECT_EQ(s.PopupBorderStyle(), epbsDefault);
  EXPECT_FALSE(s.GradientButtons());
  EXPECT_TRUE(s.PopupCloseButton());
  EXPECT_EQ(s.StyleValueCount(), 14);
  EXPECT_EQ(s.StyleValueName(12), "PopupBorderStyle");
  EXPECT_EQ(s.StyleValueName(9), "TransparentBorder");
  EXPECT_EQ(s.StyleValueName(14), "");
  // The default controller's focused button style reaches every follower's
  // focused state only.
  ControlStyles c;
  DefaultEditStyleController()->StyleFocused().SetButtonStyle(btsHotFlat);
  EXPECT_EQ(c[ssFocused].ButtonStyle(), btsHotFlat);
  EXPECT_EQ(c[ssNormal].ButtonStyle(), btsDefault);
  EXPECT_EQ(c[ssHot].ButtonStyle(), btsDefault);
  // A popup border set on the hot style lands on the base; all states see it.
  c[ssHot].SetPopupBorderStyle(epbsFrame3D);
  for (int st = 0; st < 4; ++st) EXPECT_EQ(c[st].PopupBorderStyle(), epbsFrame3D);
  // Assign copies the values that are not streamed too.
  TleEditStyle source(nullptr, ssNormal, nullptr, false);
  source.SetGradientButtons(true);
  source.SetPopupCloseButton(false);
  TleEditStyle copy(nullptr, ssNormal, nullptr, false);
  copy.Assign(source);
  EXPECT_TRUE(copy.GradientButtons());
  EXPECT_FALSE(copy.PopupCloseButton());
}

TEST_F(Styles, DefaultControllerIsStoredButNotReported) {
  ControlStyles c;
  EXPECT_EQ(c.base->StyleController(), nullptr);
  EXPECT_EQ(c.base->ActiveStyleController(), DefaultStyleController());
  EXPECT_TRUE(DefaultStyleController()->IsListening(c.base.get()));
  // The default controller's own styles follow none.
  EXPECT_EQ(DefaultEditStyleController()->Style().ActiveStyleController(), nullptr);
  EXPECT_EQ(ResourceTextHook()("x"), "x");
}

}  // namespace
}  // namespace kelmo::le
