// The combo-box wrappers on a form with the list skin: the button's place,
// the border and button painted over the combo box's own face in their
// states, the drop-down list coloured and wrapped once, and the combo
// box's own look back when the skin goes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListView>
#include <QTemporaryDir>

#include "list_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/combo_box_wnd.h"
#include "skinwnd/control_answers.h"
#include "skinwnd/control_messages.h"
#include "winshim/system_profile.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace tl = kelmo::skinwnd::testing_lists;

namespace {

struct SkinnedCombo : ::testing::Test {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  QWidget form;
  QComboBox* combo = nullptr;
  ws::HWND h = 0;

  void SetUp() override {
    tl::WriteListSkin(dir.path());
    form.resize(200, 100);
    ws::HandleOf(&form);
    combo = new QComboBox(&form);
    combo->addItems({"One", "Two"});
    combo->setGeometry(10, 10, 120, 24);
    form.show();
    h = ws::HandleOf(combo);
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Lists"));
  }
  template <typename T = TkaComboBoxWnd>
  std::unique_ptr<T> Wrap() {
    return MakeWrapper<T>(h, nullptr, &manager.Manager, QStringLiteral("COMBOBOX"), false);
  }
  ws::Rect Button(const TkaComboBoxWnd& w) const {
    ws::Rect r;
    w.ButtonRect(r);
    return r;
  }
};

const int kScrollWidth = ws::GetSystemMetrics(ws::SM_CXVSCROLL);

}  // namespace

TEST_F(SkinnedCombo, ButtonPlaceByKindClassAndReadingOrder) {
  struct Case {
    const char* name;
    const char* classRole;  // "" for none
    bool simple, rightToLeft, wellWritten;
    int left, width;
  };
  const Case cases[] = {
      {"drop-down list", "", false, false, false, 120 - kScrollWidth - 2, kScrollWidth},
      {"right to left", "", false, true, false, 2, kScrollWidth},
      {"simple", "", true, false, false, 118, 0},
      {"framework class, simple", "TComboBox", true, false, true, 118, 0},
      {"framework class, drop-down", "TComboBox", false, false, true, 120 - kScrollWidth - 2,
       kScrollWidth},
      {"another class, simple", "TwwDBComboBox", true, false, true, 120 - kScrollWidth - 2,
       kScrollWidth},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QComboBox box(&form);
    box.setGeometry(0, 0, 120, 24);
    if (*c.classRole) ws::SetClassRole(&box, QString::fromLatin1(c.classRole));
    const ws::HWND bh = ws::HandleOf(&box);
    if (c.rightToLeft) box.setLayoutDirection(Qt::RightToLeft);
    if (c.simple) {
      AnswerControlMessages(bh);
      ws::SetWindowLong(bh, ws::GWL_STYLE,
                        (ws::GetWindowLong(bh, ws::GWL_STYLE) & ~CBS_DROPDOWNLIST) | CBS_SIMPLE);
    }
    std::unique_ptr<TkaComboBoxWnd> w =
        c.wellWritten ? std::unique_ptr<TkaComboBoxWnd>(MakeWrapper<TkaWWComboBoxWnd>(
                            bh, nullptr, &manager.Manager, QStringLiteral("COMBOBOX"), false))
                      : MakeWrapper<TkaComboBoxWnd>(bh, nullptr, &manager.Manager,
                                                    QStringLiteral("COMBOBOX"), false);
    const ws::Rect r = Button(*w);
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.Width(), c.width);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.bottom, 22);
  }
}

TEST_F(SkinnedCombo, PaintsBorderAndButtonInTheirStates) {
  const QImage own = tl::Grab(combo);
  auto w = Wrap();
  const ws::Rect b = Button(*w);
  const int glyphX = b.left + (b.Width() - 10) / 2 + 5, glyphY = 12;
  QImage img = tl::Grab(combo);
  // The border strips from the section's mask, the button in state 0 with
  // its arrow, the combo box's own face inside.
  EXPECT_EQ(tl::At(img, 1, 12), tl::kNormal);
  EXPECT_EQ(tl::At(img, b.left + 1, 12), tl::kNormal);
  EXPECT_EQ(tl::At(img, glyphX, glyphY), tl::kGlyph);
  EXPECT_EQ(tl::At(img, 40, 12), tl::At(own, 40, 12));

  // Hot while the mouse is over it.
  ws::SendMessage(h, ws::CM_MOUSEENTER);
  EXPECT_EQ(w->ButtonState(), 1);
  img = tl::Grab(combo);
  EXPECT_EQ(tl::At(img, b.left + 1, 12), tl::kHot);
  ws::SendMessage(h, ws::CM_MOUSELEAVE);
  EXPECT_EQ(w->ButtonState(), 0);
  img.save(QCoreApplication::applicationDirPath() + "/skinned_combo_hot.png");

  // The list asks for its colours when it shows: it gets the EDIT
  // section's, its wrapper is made once, one brush serves every request.
  combo->showPopup();
  QWidget* list = combo->view();
  ws::SendMessage(ws::HandleOf(list), ws::WM_SHOWWINDOW, 1);
  ASSERT_EQ(w->ListWnd, ws::HandleOf(list));
  ASSERT_NE(w->ListWrapper, nullptr);
  EXPECT_EQ(list->palette().color(QPalette::Base), ws::ToQColor(tl::kEditColor));
  EXPECT_EQ(list->palette().color(QPalette::Text), ws::ToQColor(tl::kEditFont));
  const TkaMainWnd* listWrapper = w->ListWrapper.get();
  const ws::Brush* brush = w->ListBrush();
  ws::SendMessage(ws::HandleOf(list), ws::WM_SHOWWINDOW, 1);
  EXPECT_EQ(w->ListWrapper.get(), listWrapper);
  EXPECT_EQ(w->ListBrush(), brush);
  // Pressed while dropped down.
  EXPECT_EQ(w->ButtonState(), 2);
  combo->hidePopup();

  // Printing draws the selected item's text into the cache.
  QImage printed(120, 24, QImage::Format_BGR888);
  {
    ws::Dc dc(printed);
    ws::SendMessage(h, ws::WM_PRINT, ws::WPARAM(&dc));
  }
  EXPECT_EQ(tl::At(printed, 1, 12), tl::kNormal);
  EXPECT_EQ(tl::At(printed, glyphX, glyphY), tl::kGlyph);
  int text = 0;
  for (int x = 4; x < 40; ++x)
    for (int y = 4; y < 20; ++y) text += tl::At(printed, x, y) != tl::At(printed, 60, 12);
  EXPECT_GT(text, 0);
  // A focused drop-down list shows its text highlighted.
  form.activateWindow();
  QCoreApplication::processEvents();
  combo->setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(combo->hasFocus());
  {
    ws::Dc dc(printed);
    ws::SendMessage(h, ws::WM_PRINT, ws::WPARAM(&dc));
    EXPECT_EQ(tl::At(printed, 60, 12), ws::ColorToRGB(ws::clHighlight));
  }

  // Without the skin the combo box paints its own face again.
  tl::SwitchOff(manager, {h});
  img = tl::Grab(combo);
  EXPECT_EQ(tl::At(img, 1, 12), tl::At(own, 1, 12));
  EXPECT_EQ(tl::At(img, b.left + 1, 12), tl::At(own, b.left + 1, 12));
}
