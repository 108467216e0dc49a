// The grid wrappers on stand-in grids that publish the grid colour
// properties, with and without a "ControlLook" object: which colours follow
// the skin, that the kept ones come back with the grid's scroll bars
// rebuilt when the skin goes, and that the further grid kind behaves alike.
#include <gtest/gtest.h>

#include <QTableView>
#include <QTemporaryDir>
#include <vector>

#include "list_skin.h"
#include "qt_test_application.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skinwnd/grid_wnd.h"
#include "winshim/system_profile.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace tl = kelmo::skinwnd::testing_lists;

// A font or look object with colour properties.
class ColourObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(uint Color MEMBER color)
  Q_PROPERTY(QColor FixedGradientFrom MEMBER from)
  Q_PROPERTY(QColor FixedGradientTo MEMBER to)
 public:
  uint color = ws::clBtnText;  // a system colour, kept as it is
  QColor from{1, 2, 3}, to{4, 5, 6};
};

// A grid publishing the colours every grid kind has.
class PlainGrid : public QTableView {
  Q_OBJECT
  Q_PROPERTY(QColor FixedColor MEMBER fixedColor)
  Q_PROPERTY(QColor FooterColor MEMBER footerColor)
  Q_PROPERTY(QColor FooterCellColor MEMBER footerCellColor)
  Q_PROPERTY(QColor TitleColor MEMBER titleColor)
  Q_PROPERTY(QColor IndicatorIconColor MEMBER indicatorColor)
  Q_PROPERTY(QColor SelectionColor MEMBER selectionColor)
  Q_PROPERTY(QColor GridLineColor MEMBER gridLineColor)
  Q_PROPERTY(QObject* TitleFont READ titleFontObject)
  Q_PROPERTY(int ScrollBars READ scrollBars WRITE setScrollBars)
 public:
  using QTableView::QTableView;
  QObject* titleFontObject() const { return const_cast<ColourObject*>(&titleFont); }
  int scrollBars() const { return bars; }
  void setScrollBars(int v) {
    bars = v;
    barWrites.push_back(v);
  }
  QColor fixedColor{10, 10, 10}, footerColor{11, 11, 11}, footerCellColor{12, 12, 12},
      titleColor{13, 13, 13}, indicatorColor{14, 14, 14}, selectionColor{15, 15, 15},
      gridLineColor{16, 16, 16};
  ColourObject titleFont;
  int bars = 3;
  std::vector<int> barWrites;
};

// A grid with a look object: its lines, selection and fixed font follow too.
class LookGrid : public PlainGrid {
  Q_OBJECT
  Q_PROPERTY(QObject* ControlLook READ lookObject)
  Q_PROPERTY(QObject* FixedFont READ fixedFontObject)
  Q_PROPERTY(QColor SelectionTextColor MEMBER selectionTextColor)
  Q_PROPERTY(QColor GridFixedLineColor MEMBER gridFixedLineColor)
 public:
  using PlainGrid::PlainGrid;
  QObject* lookObject() const { return const_cast<ColourObject*>(&look); }
  QObject* fixedFontObject() const { return const_cast<ColourObject*>(&fixedFont); }
  ColourObject look, fixedFont;
  QColor selectionTextColor{17, 17, 17}, gridFixedLineColor{18, 18, 18};
};

namespace {

QColor Rgb(ws::TColor c) {
  return ws::ToQColor(ws::ColorToRGB(c));
}

struct SkinnedGrid : ::testing::Test {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  QWidget form;

  void SetUp() override {
    tl::WriteListSkin(dir.path());
    form.resize(300, 200);
    form.show();
    ws::HandleOf(&form);
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Lists"));
  }
};

}  // namespace

TEST_F(SkinnedGrid, ColoursFollowTheSkinAndComeBack) {
  const TkSkinManager& m = manager.Manager;
  for (const bool withLook : {false, true}) {
    SCOPED_TRACE(withLook ? "with a look object" : "plain");
    std::unique_ptr<PlainGrid> grid =
        withLook ? std::make_unique<LookGrid>(&form) : std::make_unique<PlainGrid>(&form);
    auto* look = dynamic_cast<LookGrid*>(grid.get());
    grid->show();
    const ws::HWND h = ws::HandleOf(grid.get());
    std::unique_ptr<TkaGridWnd> w =
        withLook
            ? std::unique_ptr<TkaGridWnd>(MakeWrapper<TkaGridEhWnd>(h, nullptr, &manager.Manager,
                                                                    QStringLiteral("EDIT"), false))
            : MakeWrapper<TkaGridWnd>(h, nullptr, &manager.Manager, QStringLiteral("EDIT"), false);
    ws::SendMessage(h, ws::WM_PAINT);
    EXPECT_TRUE(w->LookApplied);
    EXPECT_EQ(grid->fixedColor, Rgb(tl::kGlobalColor));
    EXPECT_EQ(grid->titleFont.color, tl::kGlobalFont);
    for (const QColor& c : {grid->footerColor, grid->footerCellColor, grid->titleColor})
      EXPECT_EQ(c, Rgb(tl::kGlobalColor));
    EXPECT_EQ(grid->indicatorColor, Rgb(tl::kEditFont));
    if (look) {
      EXPECT_EQ(grid->selectionColor, Rgb(tl::kMenuItemHot));
      EXPECT_EQ(look->selectionTextColor, Rgb(0x000001));
      EXPECT_EQ(grid->gridLineColor, Rgb(MixColors(tl::kGlobalHot, 0x405060, 0.5)));
      EXPECT_EQ(look->gridFixedLineColor, Rgb(m.SkinData.PlainBorderColor));
      EXPECT_EQ(look->fixedFont.color, tl::kGlobalFont);
      EXPECT_EQ(look->look.from, Rgb(MixColors(tl::kGlobalColor, tl::kGlobalHot, 0.5)));
      EXPECT_EQ(look->look.to, Rgb(tl::kGlobalColor));
    } else {
      // Without a look object the lines and the selection keep their colours.
      EXPECT_EQ(grid->selectionColor, QColor(15, 15, 15));
      EXPECT_EQ(grid->gridLineColor, QColor(16, 16, 16));
    }

    // The skin going gives every kept colour back (the title font's system
    // colour as it was) and the grid rebuilds its scroll bars.
    tl::SwitchOff(manager, {h});
    EXPECT_EQ(grid->fixedColor, QColor(10, 10, 10));
    EXPECT_EQ(grid->footerColor, QColor(11, 11, 11));
    EXPECT_EQ(grid->footerCellColor, QColor(12, 12, 12));
    EXPECT_EQ(grid->titleColor, QColor(13, 13, 13));
    EXPECT_EQ(grid->indicatorColor, QColor(14, 14, 14));
    EXPECT_EQ(grid->titleFont.color, uint(ws::clBtnText));
    EXPECT_EQ(grid->barWrites, (std::vector<int>{0, 3}));
    if (look) {
      EXPECT_EQ(grid->selectionColor, QColor(15, 15, 15));
      EXPECT_EQ(look->selectionTextColor, QColor(17, 17, 17));
      EXPECT_EQ(grid->gridLineColor, QColor(16, 16, 16));
      EXPECT_EQ(look->gridFixedLineColor, QColor(18, 18, 18));
      EXPECT_EQ(look->fixedFont.color, uint(ws::clBtnText));
      EXPECT_EQ(look->look.from, QColor(1, 2, 3));
      EXPECT_EQ(look->look.to, QColor(4, 5, 6));
    }
    w.reset();
    manager.SetSkinName(QStringLiteral("Lists"));
    manager.SetActive(true);
  }
}

#include "test_grid_wnd.moc"
