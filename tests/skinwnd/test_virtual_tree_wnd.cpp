// The virtual-tree wrapper on a stand-in control of that class (the program
// makes none) that publishes the colours and header-drawing events by name:
// the colours it sets and gives back, the handlers it hooks only where the
// control has none, and the header parts it draws in their states.
#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <QTreeView>

#include "list_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skinwnd/virtual_tree_wnd.h"
#include "winshim/dc.h"
#include "winshim/system_profile.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace tl = kelmo::skinwnd::testing_lists;

class Colours : public QObject {
  Q_OBJECT
  Q_PROPERTY(uint CompressedTextColor MEMBER compressed)
  Q_PROPERTY(uint FileTextColor MEMBER file)
  Q_PROPERTY(uint FolderTextColor MEMBER folder)
  Q_PROPERTY(QColor Color MEMBER color)
  Q_PROPERTY(int Style MEMBER style)
 public:
  uint compressed = 1, file = 2, folder = 3;
  QColor color{7, 7, 7};
  int style = 0;
};

class TreeHeader : public QObject {
  Q_OBJECT
  Q_PROPERTY(QStringList Options MEMBER options)
  Q_PROPERTY(QColor Color MEMBER color)
  Q_PROPERTY(QObject* Font READ fontObject)
  Q_PROPERTY(int SortDirection MEMBER sortDirection)
 public:
  QObject* fontObject() { return &font; }
  QStringList options{"hoVisible"};
  QColor color{8, 8, 8};
  Colours font;
  int sortDirection = 0;
};

class Column : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Text MEMBER text)
 public:
  QString text = QStringLiteral("Name");
};

// The stand-in virtual tree.
class VirtualTree : public QTreeView {
  Q_OBJECT
  Q_PROPERTY(QObject* VETColors READ vet)
  Q_PROPERTY(QObject* Header READ headerObject)
  Q_PROPERTY(QObject* PaintInfoColumn READ paintInfo)
  Q_PROPERTY(bool Themed MEMBER themed)
  Q_PROPERTY(kelmo::skinwnd::TkAdvancedHeaderDrawEvent OnAdvancedHeaderDraw READ drawEvent WRITE
                 setDrawEvent)
  Q_PROPERTY(kelmo::skinwnd::TkHeaderDrawQueryElementsEvent OnHeaderDrawQueryElements READ
                 queryEvent WRITE setQueryEvent)
 public:
  using QTreeView::QTreeView;
  QObject* vet() { return &vetColors; }
  QObject* headerObject() { return &treeHeader; }
  QObject* paintInfo() { return &paintInfoColumn; }
  TkAdvancedHeaderDrawEvent drawEvent() const { return onDraw; }
  void setDrawEvent(const TkAdvancedHeaderDrawEvent& e) { onDraw = e; }
  TkHeaderDrawQueryElementsEvent queryEvent() const { return onQuery; }
  void setQueryEvent(const TkHeaderDrawQueryElementsEvent& e) { onQuery = e; }
  Colours vetColors, paintInfoColumn;
  TreeHeader treeHeader;
  bool themed = true;
  TkAdvancedHeaderDrawEvent onDraw;
  TkHeaderDrawQueryElementsEvent onQuery;
};

namespace {

struct SkinnedVirtualTree : ::testing::Test {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  QWidget form;
  VirtualTree* tree = nullptr;
  ws::HWND h = 0;

  void SetUp() override {
    tl::WriteListSkin(dir.path());
    form.resize(300, 200);
    ws::HandleOf(&form);
    tree = new VirtualTree(&form);
    tree->setGeometry(10, 10, 200, 150);
    ws::SetClassRole(tree, QStringLiteral("TVirtualStringTree"));
    h = ws::HandleOf(tree);
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Lists"));
  }
  std::unique_ptr<TkaVirtualTreeViewWnd> Wrap() {
    auto w = MakeWrapper<TkaVirtualTreeViewWnd>(h, nullptr, &manager.Manager,
                                                QStringLiteral("EDIT"), false);
    w->ApplySectionLook();
    return w;
  }
};

}  // namespace

TEST_F(SkinnedVirtualTree, ColoursAndHandlersComeAndGo) {
  auto w = Wrap();
  EXPECT_EQ(tree->vetColors.file, 0x405060u);  // EDIT's hot font colour
  EXPECT_EQ(tree->onDraw.Owner, w.get());
  EXPECT_EQ(tree->onQuery.Owner, w.get());
  EXPECT_TRUE(tree->treeHeader.options.contains("hoOwnerDraw"));
  EXPECT_EQ(tree->paintInfoColumn.color, ws::ToQColor(tl::kGlobalColor));
  EXPECT_EQ(tree->paintInfoColumn.style, 1);
  EXPECT_EQ(tree->treeHeader.color, ws::ToQColor(tl::kGlobalHot));
  EXPECT_EQ(tree->treeHeader.font.color, ws::ToQColor(tl::kGlobalFont));
  EXPECT_FALSE(tree->themed);
  TkHeaderPaintInfo none;
  int elements = 0;
  tree->onQuery.Handler(tree, none, elements);
  EXPECT_EQ(elements, 27);

  // The skin going gives everything back as it was.
  tl::SwitchOff(manager, {h});
  EXPECT_EQ(tree->vetColors.compressed, 1u);
  EXPECT_EQ(tree->vetColors.file, 2u);
  EXPECT_EQ(tree->vetColors.folder, 3u);
  EXPECT_FALSE(tree->onDraw.Handler);
  EXPECT_FALSE(tree->onQuery.Handler);
  EXPECT_EQ(tree->treeHeader.options, QStringList{"hoVisible"});
  EXPECT_TRUE(tree->themed);
  EXPECT_EQ(tree->paintInfoColumn.color, ws::ToQColor(ws::ColorToRGB(ws::clBtnFace)));
  EXPECT_EQ(tree->treeHeader.font.color, ws::ToQColor(ws::ColorToRGB(ws::clBtnText)));
}

TEST_F(SkinnedVirtualTree, AControlsOwnHeaderHandlerIsKept) {
  int own = 0;
  tree->onDraw = {[&own](QObject*, TkHeaderPaintInfo&, int) { ++own; }, nullptr};
  tree->treeHeader.options = {"hoOwnerDraw"};
  auto w = Wrap();
  EXPECT_EQ(tree->onDraw.Owner, nullptr);
  EXPECT_FALSE(tree->onQuery.Handler);
  tl::SwitchOff(manager, {h});
  ASSERT_TRUE(tree->onDraw.Handler);
  TkHeaderPaintInfo p;
  tree->onDraw.Handler(tree, p, 0);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(tree->treeHeader.options, QStringList{"hoOwnerDraw"});
}

TEST_F(SkinnedVirtualTree, DrawsHeaderPartsInTheirStates) {
  auto w = Wrap();
  QImage canvas(200, 20, QImage::Format_BGR888);
  canvas.fill(Qt::white);
  ws::Dc dc(canvas);
  Column column;
  struct Case {
    const char* name;
    bool withColumn, hover, down;
    int elements;
    ws::TColor at11;  // the pixel at (1, 1) of the part
  };
  const Case cases[] = {
      {"normal background", true, false, false, hpeBackground, tl::kNormal},
      {"hot background", true, true, false, hpeBackground, tl::kHot},
      {"pressed outranks hot", true, true, true, hpeBackground, tl::kPressed},
      {"no column", false, false, false, hpeBackground, tl::kEditColor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TkHeaderPaintInfo p;
    p.TargetCanvas = &dc;
    p.Column = c.withColumn ? &column : nullptr;
    p.PaintRectangle = {60, 0, 120, 20};
    p.TextRectangle = {64, 2, 116, 18};
    p.IsHoverIndex = c.hover;
    p.IsDownIndex = c.down;
    tree->onDraw.Handler(tree, p, c.elements);
    EXPECT_EQ(tl::At(canvas, 61, 1), c.at11);
    EXPECT_EQ(tl::At(canvas, 59, 1), 0xFFFFFFu);  // nothing outside the part
  }
  // Over the background: the text and the sort arrow at its place.
  TkHeaderPaintInfo p;
  p.TargetCanvas = &dc;
  p.Column = &column;
  p.PaintRectangle = {60, 0, 120, 20};
  p.TextRectangle = {64, 2, 100, 18};
  p.ShowSortGlyph = true;
  p.SortGlyphPos = {105, 0};
  tree->onDraw.Handler(tree, p, hpeText | hpeSortGlyph);
  EXPECT_EQ(tl::At(canvas, 106, 10), tl::kGlyph);
  int text = 0;
  for (int x = 64; x < 100; ++x)
    for (int y = 2; y < 18; ++y) text += tl::At(canvas, x, y) != tl::kEditColor;
  EXPECT_GT(text, 0);
  canvas.save(QCoreApplication::applicationDirPath() + "/skinned_virtual_tree_header.png");
}

#include "test_virtual_tree_wnd.moc"
