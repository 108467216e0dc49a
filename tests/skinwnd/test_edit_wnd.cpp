// The edit-family wrappers on a line edit, a memo, a list box and a tree of
// a form with the scroll fixture skin: what they answer through the chain,
// the section's colours, the border painted and turning hot and focused,
// the memo's skinned bar, and the widgets' own look once the skin is off.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <functional>

#include "qt_test_application.h"
#include "scroll_skin_fixture.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin_test_pixels.h"
#include "skinwnd/edit_wnd.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace sf = kelmo::skinwnd::testing_scroll;

namespace {

// An edit of the program's own kind: its colour and its colour while
// focused are properties.
class FocusColorEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int Color MEMBER color)
  Q_PROPERTY(int FocusColor MEMBER focusColor)

 public:
  using QLineEdit::QLineEdit;
  int color = 0x112233;
  int focusColor = 0x445566;
};

struct EditFamily : ::testing::Test {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  QWidget form;

  void SetUp() override {
    sf::WriteScrollSkin(dir.path());
    form.resize(320, 240);
    ws::HandleOf(&form);
    form.show();
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Scroll"));
  }
  void TearDown() override { ws::ResetSystemProfile(); }
  static QImage Grab(QWidget* w) {
    QCoreApplication::processEvents();
    return w->grab().toImage();
  }
};

struct Family {
  const char* name;
  std::function<QWidget*(QWidget*)> make;
  bool tree;
  bool bar;  // shows a vertical bar
};

TEST_F(EditFamily, SkinsTheFamiliesAndGivesTheirLookBack) {
  const Family families[] = {
      {"line edit", [](QWidget* p) { return new QLineEdit(QStringLiteral("text"), p); }, false,
       false},
      {"memo",
       [](QWidget* p) {
         auto* memo = new QPlainTextEdit(p);
         memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
         for (int i = 0; i < 60; ++i) memo->appendPlainText(QStringLiteral("line"));
         return memo;
       },
       false, true},
      {"list box",
       [](QWidget* p) {
         auto* list = new QListWidget(p);
         list->addItems({QStringLiteral("one"), QStringLiteral("two")});
         return list;
       },
       false, false},
      {"tree",
       [](QWidget* p) {
         auto* tree = new QTreeWidget(p);
         tree->setHeaderHidden(true);
         new QTreeWidgetItem(tree, {QStringLiteral("root")});
         return tree;
       },
       true, false},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.name);
    QWidget* w = f.make(&form);
    w->setGeometry(20, 20, 160, 120);
    w->show();
    const QImage own = Grab(w);
    const ws::HWND h = ws::HandleOf(w);
    {
      TkCommonData link(w, true);
      link.SkinSection = QStringLiteral("EDIT");
      link.UpdateIndexes();
      std::unique_ptr<TkaEditWnd> wrapper =
          f.tree ? std::unique_ptr<TkaEditWnd>(
                       MakeWrapper<TkaTreeViewWnd>(h, &link, nullptr, QStringLiteral("EDIT"), true))
                 : MakeWrapper<TkaEditWnd>(h, &link, nullptr, QStringLiteral("EDIT"), true);
      EXPECT_EQ(SendSkinCommand(h, scIsSkinned, 0), 1);
      EXPECT_EQ(SendSkinCommand(h, scGetSectionIndex, 0), link.SkinIndex + 1);
      QImage img = Grab(w);
      // The section's colours: a tree takes the hot colour as its own.
      EXPECT_TRUE(wrapper->LookApplied);
      const QPalette pal = w->palette();
      // (A focused control is active: the hot colour.)
      EXPECT_EQ(ws::FromQColor(pal.color(QPalette::Base)),
                ws::ColorRef(f.tree || link.IsActive() ? sf::kEditHotColor : sf::kEditColor));
      EXPECT_EQ(ws::FromQColor(pal.color(QPalette::Text)), ws::ColorRef(sf::kEditHotFont));
      // The border from the skin, in the normal state.
      EXPECT_GT(wrapper->EdgeLeft, 0);
      EXPECT_EQ(sf::GrabPixel(img, 0, 60), sf::kBorder[0]);
      if (f.bar) {
        EXPECT_TRUE(wrapper->VertBar->Shown);
        EXPECT_EQ(sf::GrabPixel(img, w->width() - wrapper->EdgeRight - 8, wrapper->EdgeTop + 4),
                  sf::kArrow[0]);
      }
      img.save(QCoreApplication::applicationDirPath() + "/skinned_" +
               QString::fromLatin1(f.name).replace(' ', '_') + ".png");
      // Focus and the mouse over it turn the border's state.
      ws::SendMessage(h, ws::WM_SETFOCUS);
      EXPECT_TRUE(link.FocusMark);
      EXPECT_EQ(sf::GrabPixel(Grab(w), 0, 60), sf::kBorder[1]);
      ws::SendMessage(h, ws::WM_KILLFOCUS);
      EXPECT_EQ(sf::GrabPixel(Grab(w), 0, 60), sf::kBorder[0]);
      ws::SendMessage(h, ws::CM_MOUSEENTER);
      EXPECT_TRUE(link.HotTracked);
      EXPECT_EQ(sf::GrabPixel(Grab(w), 0, 60), sf::kBorder[1]);
      ws::SendMessage(h, ws::CM_MOUSELEAVE);
      EXPECT_EQ(sf::GrabPixel(Grab(w), 0, 60), sf::kBorder[0]);

      // The skin off: the widget's own look, palette and frame.
      manager.SetActive(false);
      SendSkinCommand(h, scRemoveSkin, ws::LPARAM(&manager.Manager));
      EXPECT_FALSE(w->testAttribute(Qt::WA_SetPalette));
      EXPECT_EQ(ws::NonClientMargins(h), ws::OwnFrameMargins(h));
      EXPECT_EQ(Grab(w), own);
    }
    delete w;
    manager.SetActive(true);
  }
}

TEST_F(EditFamily, ColourPropertiesTakeTheSectionsColourAndGetTheirOwnBack) {
  auto* edit = new FocusColorEdit(&form);
  const ws::HWND h = ws::HandleOf(edit);
  TkCommonData link(edit, true);
  link.SkinSection = QStringLiteral("EDIT");
  link.UpdateIndexes();
  auto wrapper = MakeWrapper<TkaEditWnd>(h, &link, nullptr, QStringLiteral("EDIT"), false);
  wrapper->ApplySectionLook();
  const int section = link.IsActive() ? sf::kEditHotColor : sf::kEditColor;
  EXPECT_EQ(edit->color, section);
  EXPECT_EQ(edit->focusColor, section);
  wrapper->RestoreOwnLook();
  EXPECT_EQ(edit->color, 0x112233);
  EXPECT_EQ(edit->focusColor, 0x445566);
}

TEST_F(EditFamily, ListsAndRawWindows) {
  auto* list = new QListWidget(&form);
  const ws::HWND h = ws::HandleOf(list);
  TkCommonData link(list, true);
  link.SkinSection = QStringLiteral("EDIT");
  link.UpdateIndexes();
  auto wrapper = MakeWrapper<TkaEditWnd>(h, &link, nullptr, QStringLiteral("EDIT"), false);
  // An empty list has no top item.
  EXPECT_EQ(ws::SendMessage(h, LB_GETTOPINDEX), -1);
  list->addItem(QStringLiteral("one"));
  EXPECT_EQ(ws::SendMessage(h, LB_GETTOPINDEX), 0);

  // A tree erases with its section's hot colour, in a standard dialog with
  // the window colour; one whose items have a delegate of their own
  // erases its own way.
  auto* tree = new QTreeWidget(&form);
  tree->resize(40, 30);
  TkCommonData treeLink(tree, true);
  treeLink.SkinSection = QStringLiteral("EDIT");
  treeLink.UpdateIndexes();
  for (const bool dialog : {false, true}) {
    WrapperState().WrappingDialog = dialog;
    auto treeWrapper = MakeWrapper<TkaTreeViewWnd>(ws::HandleOf(tree), &treeLink, nullptr,
                                                   QStringLiteral("EDIT"), false);
    WrapperState().WrappingDialog = false;
    GetWndGeometry(*treeWrapper);
    QImage erased = kelmo::skin::testing_pixels::Filled(40, 30, 0x000001);
    ws::Dc dc(erased);
    ws::SendMessage(ws::HandleOf(tree), ws::WM_ERASEBKGND, ws::WPARAM(&dc));
    EXPECT_EQ(kelmo::skin::testing_pixels::Px(erased, 20, 15),
              dialog ? TColor(ws::ColorToRGB(ws::clWindow)) : sf::kEditHotColor);
  }

  // A raw edit of a standard dialog paints with the window colour and a
  // black frame; outside dialogs with its section's colour.
  auto* raw = new QLineEdit(&form);
  for (const bool dialog : {true, false}) {
    WrapperState().WrappingDialog = dialog;
    auto rawWrapper =
        MakeWrapper<TkaEditWnd>(ws::HandleOf(raw), nullptr, nullptr, QStringLiteral("EDIT"), false);
    WrapperState().WrappingDialog = false;
    rawWrapper->ApplySectionLook();
    EXPECT_EQ(rawWrapper->PaintColor, dialog ? ws::clWindow : sf::kEditColor);
    EXPECT_EQ(rawWrapper->PaintFrameColor, 0);
  }
}

}  // namespace

#include "test_edit_wnd.moc"
