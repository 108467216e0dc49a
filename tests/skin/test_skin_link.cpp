// The skin link: its section and indexes, the answers it gives to the
// skin commands, the transparency mixing of its background colour in both
// places that compute it, and the kinds' rules.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include "qt_test_application.h"
#include "skin/skin_link.h"
#include "skin/skin_messages.h"

using namespace kelmo::skin;
namespace ws = kelmo::winshim;

namespace {

struct LinkSkin {
  TkSkinManager manager;
  LinkSkin() {
    auto section = [&](const char* name, TColor color, int transparency) {
      TkGeneralData s;
      s.ClassName = QLatin1String(name);
      s.Color = color;
      s.Transparency = transparency;
      manager.gd.push_back(s);
    };
    section("EDIT", 0x0000FF, 0);
    section("GLASS", 0x0000FF, 10);
    section("CLEAR", 0x00FF00, 100);
    section("THICK", 0x00FF00, 100);
    manager.SkinData.SkinActive = true;
    border("THICK", 13, 12);  // WL + WR = 25
    border("CLEAR", 12, 12);  // WL + WR = 24, WT + WB = 24
  }
  void border(const char* section, int wl, int wt) {
    TkMaskData m;
    m.ClassName = QLatin1String(section);
    m.PropertyName = QStringLiteral("BORDERSMASK");
    m.WL = m.WR = std::int16_t(wl);
    m.WT = m.WB = std::int16_t(wt);
    m.R = {0, 0, 30, 30};
    m.ImageCount = 1;
    m.Manager = &manager;
    manager.ma.push_back(m);
  }
};

// A parent whose background colour is asked through the skin message.
struct ColouredParent {
  QWidget widget;
  explicit ColouredParent(TColor colour) {
    ws::Subclass(ws::HandleOf(&widget), [colour](ws::HWND, ws::Msg& m, const ws::NextHandler& n) {
      if (m.msg == SM_SKINCMD && ws::HiWord(m.wParam) == scIsSkinned) {
        m.result = 1;
        return;
      }
      if (m.msg == SM_SKINCMD && ws::HiWord(m.wParam) == scGetBgColor) {
        m.result = colour;
        return;
      }
      n(m);
    });
  }
};

}  // namespace

TEST(SkinLink, SectionNamesAndIndexes) {
  LinkSkin skin;
  QWidget parent;
  auto* owner = new QWidget(&parent);
  TkCommonData link(owner, false);
  EXPECT_EQ(link.SkinIndex, -1);
  EXPECT_FALSE(link.Skinned());
  EXPECT_TRUE(link.RepaintNeeded());
  std::vector<int> heard;
  ws::Subclass(ws::HandleOf(owner), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& n) {
    if (m.msg == SM_SKINCMD) heard.push_back(ws::HiWord(m.wParam));
    n(m);
  });
  link.SkinManager = &skin.manager;
  link.SetSkinSection(QStringLiteral("edit"));
  EXPECT_EQ(link.SkinSection, QStringLiteral("EDIT"));
  EXPECT_EQ(link.SkinIndex, 0);
  EXPECT_TRUE(link.Skinned(true));
  EXPECT_EQ(heard, std::vector<int>{scRepaint});
  link.SetSkinSection(QStringLiteral("EDIT"));  // the same name: nothing sent
  EXPECT_EQ(heard.size(), 1u);
  link.SetSkinSection(QString());
  EXPECT_EQ(link.SkinSection, QStringLiteral("UNKNOWN"));
  EXPECT_EQ(link.SkinIndex, -1);
  EXPECT_EQ(heard.back(), scRemoveSkin);

  // Default sections by kind.
  struct KindCase {
    int kind;
    const char* section;
  };
  for (const KindCase& c : {KindCase{161, "GAUGE"},
                            {2, "EDIT"},
                            {97, "EDIT"},
                            {13, "COMBOBOX"},
                            {226, "GROUPBOX"},
                            {93, "BUTTON"},
                            {151, "STATUSBAR"},
                            {1, ""}})
    EXPECT_EQ(DefaultSectionOfKind(c.kind), QLatin1String(c.section)) << c.kind;
}

TEST(SkinLink, TransparencyMixesTheParentByItsShareInBothPlaces) {
  LinkSkin skin;
  ColouredParent parent(0xFF0000);
  auto* owner = new QWidget(&parent.widget);
  TkCommonData link(owner, false);
  link.SkinManager = &skin.manager;
  link.SkinSection = QStringLiteral("GLASS");
  link.UpdateIndexes();
  // 10 % transparency: 10 % of the parent's colour, 90 % of the section's.
  const TColor expected = MixColors(0xFF0000, 0x0000FF, 0.10);
  EXPECT_EQ(link.BgColor(0), expected);
  ws::Msg ask = SkinMessage(scGetBgColor, 0);
  ASSERT_TRUE(HandleSkinCommand(ask, &link));
  const TColor answered = TColor(ask.result);
  for (int shift : {0, 16})
    EXPECT_NEAR(int((answered >> shift) & 0xFF), int((expected >> shift) & 0xFF), 1) << shift;
  EXPECT_LT(answered & 0xFF, 0xF0u);  // mostly the section's red, not the parent's share by 10/256
}

TEST(SkinLink, AnswersAndBorders) {
  LinkSkin skin;
  QWidget parent;
  auto* owner = new QWidget(&parent);
  TkCommonData link(owner, true);
  link.SkinManager = &skin.manager;
  link.SkinSection = QStringLiteral("EDIT");
  link.UpdateIndexes();
  struct Case {
    int command, low;
    bool answered;
    ws::LRESULT result;
  };
  const Case cases[] = {{scIsSkinned, 0, true, 1},
                        {scGetSectionIndex, 0, true, 1},
                        {scIsHot, 0, true, 1},
                        {scHalfVisibleQuery, 0, true, 1},
                        {scNotifyParent, 0, false, 0}};
  for (const Case& c : cases) {
    ws::Msg m = SkinMessage(c.command, 0, c.low);
    EXPECT_EQ(HandleSkinCommand(m, &link), c.answered) << c.command;
    EXPECT_EQ(m.result, c.result) << c.command;
  }
  ws::Msg app = SkinMessage(scGetApplication, 0);
  EXPECT_FALSE(HandleSkinCommand(app, &link));
  EXPECT_EQ(app.result, ws::LRESULT(QCoreApplication::instance()));
  ws::Msg hot = SkinMessage(scSetHot, 0, 1);
  HandleSkinCommand(hot, &link);
  EXPECT_TRUE(link.FHot);
  ws::Msg none;
  EXPECT_EQ(HandleCommonMessage(none, nullptr), 0);

  // A fully transparent section with a thin border passes the background
  // question up; 25 pixels of border do not.
  for (auto [section, passes] : {std::pair{"CLEAR", true}, std::pair{"THICK", false}}) {
    link.SkinSection = QLatin1String(section);
    link.UpdateIndexes();
    ASSERT_GE(link.BorderIndex, 0) << section;
    bool asked = false;
    const int id =
        ws::Subclass(ws::HandleOf(&parent), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& n) {
          if (m.msg == SM_SKINCMD && ws::HiWord(m.wParam) == scGetBgInfo) asked = true;
          n(m);
        });
    TParentBgInfo info;
    ws::Msg m = SkinMessage(scGetBgInfo, ws::LPARAM(&info));
    HandleSkinCommand(m, &link);
    EXPECT_EQ(asked, passes) << section;
    EXPECT_NE(info.Ready, 0) << section;
    ws::RemoveHandler(ws::HandleOf(&parent), id);
  }
  // A border of 31 pixels makes even a plain section's background complex.
  skin.border("EDIT", 2, 16);
  skin.manager.ma.back().WT = 15;  // WT + WB = 31
  link.SkinSection = QStringLiteral("EDIT");
  link.UpdateIndexes();
  EXPECT_TRUE(link.HasComplexBg());
  skin.manager.ma.back().WB = 15;  // 30
  EXPECT_FALSE(link.HasComplexBg());
}

TEST(SkinLink, KindsWithoutHotLookOrGlow) {
  LinkSkin skin;
  QWidget parent;
  auto* owner = new QWidget(&parent);
  owner->setEnabled(true);
  TkCommonData link(owner, false);
  link.SkinManager = &skin.manager;
  link.SkinSection = QStringLiteral("EDIT");
  link.UpdateIndexes();
  for (auto [kind, hot] : {std::pair{19, false}, std::pair{2, true}, std::pair{161, false}}) {
    link.CtrlSkinState = kind;
    link.HotTracked = false;
    ws::Msg enter{ws::CM_MOUSEENTER};
    HandleCommonMessage(enter, &link);
    EXPECT_EQ(link.IsActive(), hot) << kind;
  }
}
