// The window wrapper root on a line edit of a form with the fixture skin:
// what its handler answers and passes on through the window's chain, how
// it attaches and gives the window back, and the border it paints.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTemporaryDir>
#include <vector>

#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin_fixture.h"
#include "skin_test_pixels.h"
#include "skinwnd/main_wnd.h"
#include "winshim/theme.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace fx = kelmo::skin::testing_fixture;
namespace ws = kelmo::winshim;
using kelmo::skin::testing_pixels::Px;

namespace {

// A wrapper that counts the looks it is asked to keep and give back.
struct CountingWnd : TkaMainWnd {
  using TkaMainWnd::TkaMainWnd;
  ~CountingWnd() override { Destroy(); }
  void KeepOwnLook() override { ++kept; }
  void RestoreOwnLook() override { ++restored; }
  int kept = 0, restored = 0;
};

struct WrappedEdit : ::testing::Test {
  // What reached the window's own handler below the wrapper (made first:
  // the form's children still report as they die).
  std::vector<ws::Msg> below;
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  QWidget form;
  QLineEdit* edit = nullptr;
  ws::HWND h = 0;

  void SetUp() override {
    fx::WriteFixtureSkins(dir.path());
    form.resize(200, 100);
    ws::HandleOf(&form);
    edit = new QLineEdit(QStringLiteral("before"), &form);
    edit->setGeometry(10, 20, 120, 24);
    h = ws::HandleOf(edit);
    ws::Subclass(h, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      below.push_back(m);
      if (m.msg == ws::WM_SETTEXT) edit->setText(*reinterpret_cast<const QString*>(m.lParam));
      next(m);
    });
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Fixture"));
  }
  int Reached(unsigned msg) const {
    int n = 0;
    for (const ws::Msg& m : below) n += m.msg == msg;
    return n;
  }
  ws::LRESULT Command(int command, ws::LPARAM lParam = 0) {
    return SendSkinCommand(h, command, lParam);
  }
};

}  // namespace

TEST_F(WrappedEdit, AnswersAndPassesMessagesThroughTheChain) {
  auto w = MakeWrapper<CountingWnd>(h, nullptr, nullptr, QStringLiteral("edit"), false);
  EXPECT_EQ(WrapperOfWnd(h), w.get());
  EXPECT_EQ(w->SkinLink->SkinSection, QStringLiteral("EDIT"));
  EXPECT_TRUE(w->OwnsLink);
  EXPECT_EQ(w->kept, 1);
  EXPECT_FALSE(w->LookApplied);
  EXPECT_EQ(w->KeptText, QStringLiteral("before"));
  EXPECT_TRUE(ws::WindowThemeOff(h));

  // The focus cues' redraw never reaches the window.
  ws::SendMessage(h, ws::WM_UPDATEUISTATE, 1, 0);
  EXPECT_EQ(Reached(ws::WM_UPDATEUISTATE), 0);
  // The text is set once, and the wrapper reads it again.
  const QString text = QStringLiteral("after");
  ws::SendMessage(h, ws::WM_SETTEXT, 0, ws::LPARAM(&text));
  EXPECT_EQ(Reached(ws::WM_SETTEXT), 1);
  EXPECT_EQ(w->KeptText, text);
  // Printing is painting with the same arguments.
  below.clear();
  ws::SendMessage(h, ws::WM_PRINT, 0x1234, 0x56);
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(below[0].msg, unsigned(ws::WM_PAINT));
  EXPECT_EQ(below[0].wParam, 0x1234u);
  EXPECT_EQ(below[0].lParam, 0x56);
  // Resizing marks the cache stale and goes on.
  w->SkinLink->BGChanged = false;
  ws::SendMessage(h, ws::WM_SIZE, 0, ws::MakeLParam(120, 24));
  EXPECT_TRUE(w->SkinLink->BGChanged);
  EXPECT_EQ(Reached(ws::WM_SIZE), 1);

  // The skin message.
  below.clear();
  EXPECT_EQ(Command(scIsSkinned), 1);
  // The window's own answer first; without one, EDIT's COLOR.
  EXPECT_EQ(TColor(Command(scGetBgColor)), 0xFFFFFF);
  EXPECT_EQ(Reached(SM_SKINCMD), 1);
  below.clear();
  EXPECT_EQ(Command(scGetApplication), ws::LRESULT(QCoreApplication::instance()));
  w->SkinLink->SetHot(true);
  EXPECT_EQ(Command(scIsHot), 1);
  EXPECT_TRUE(below.empty());
  // Another manager's repaint goes on untouched; our manager's is answered
  // with a paint of the window.
  TkSkinManager other;
  Command(scRepaint, ws::LPARAM(&other));
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(below[0].msg, unsigned(SM_SKINCMD));
  EXPECT_TRUE(w->SkinLink->FHot);
  below.clear();
  Command(scRepaint, ws::LPARAM(&manager.Manager));
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(below[0].msg, unsigned(ws::WM_PAINT));
  EXPECT_EQ(below[0].wParam, 0u);
  EXPECT_FALSE(w->SkinLink->FHot);
  // The background information is the link's answer.
  TParentBgInfo info;
  Command(scGetBgInfo, ws::LPARAM(&info));
  EXPECT_NE(info.Ready, 0);
  EXPECT_EQ(Reached(SM_SKINCMD), 0);

  // The removal of the skin gives the control its own look back, though
  // the manager marks its skin out of force before it tells; with the skin
  // off every message passes.
  below.clear();
  manager.Manager.SkinData.SkinActive = false;
  Command(scRemoveSkin, ws::LPARAM(&other));
  EXPECT_EQ(w->restored, 0);
  Command(scRemoveSkin, ws::LPARAM(&manager.Manager));
  EXPECT_EQ(w->restored, 1);
  EXPECT_EQ(Reached(SM_SKINCMD), 2);
  manager.SetActive(false);
  below.clear();
  Command(scIsSkinned);
  EXPECT_EQ(Reached(SM_SKINCMD), 1);
}

TEST_F(WrappedEdit, SwitchingTheManagerOffReachesTheWrapper) {
  // The manager's own removal, not a command sent by hand: it marks the skin
  // out of force first and then tells only the windows that say they are
  // skinned, so the wrapper must still say so while the skin goes.
  auto w = MakeWrapper<CountingWnd>(h, nullptr, &manager.Manager, QStringLiteral("EDIT"), false);
  ASSERT_EQ(Command(scIsSkinned), 1);
  manager.SetActive(false);
  EXPECT_EQ(w->restored, 1);
  EXPECT_EQ(Command(scIsSkinned), 0);
}

TEST_F(WrappedEdit, GivesTheWindowBackWhenItDies) {
  auto w = MakeWrapper<CountingWnd>(h, nullptr, nullptr, QStringLiteral("EDIT"), false);
  delete edit;
  EXPECT_TRUE(w->Released);
  EXPECT_FALSE(w->Attached());
  EXPECT_EQ(w->restored, 1);
  EXPECT_EQ(ws::GetProp(h, kWrapperProp), 0);
  // Freeing the wrapper later leaves the gone window alone.
  w.reset();
}

TEST_F(WrappedEdit, ReleasingAndDestroyingGiveTheWindowBack) {
  struct Case {
    const char* section;
    bool release;  // released by its owner before it is freed
    bool themeOffAfter;
  };
  for (const Case c :
       {Case{"EDIT", false, false}, Case{"EDIT", true, true}, Case{"DIALOG", false, false}}) {
    SCOPED_TRACE(c.section);
    std::unique_ptr<TkaMainWnd> w =
        MakeWrapper<CountingWnd>(h, nullptr, nullptr, QString::fromLatin1(c.section), false);
    const int themeCalls = ws::SetWindowThemeCalls(h);
    EXPECT_EQ(ws::WindowThemeOff(h), QLatin1String(c.section) != QLatin1String("DIALOG"));
    if (c.release) {
      ReleaseWndWrapper(h, false, false, w);
      EXPECT_TRUE(w->Released);
      EXPECT_EQ(WrapperOfWnd(h), nullptr);
      EXPECT_EQ(static_cast<CountingWnd*>(w.get())->restored, 1);
      ReleaseWndWrapper(h, true, false, w);
      EXPECT_EQ(w, nullptr);
      // A released window keeps its style switched off.
      EXPECT_EQ(ws::SetWindowThemeCalls(h), themeCalls);
    } else {
      w.reset();
    }
    EXPECT_EQ(ws::WindowThemeOff(h), c.themeOffAfter);
    EXPECT_EQ(WrapperOfWnd(h), nullptr);
    // Nothing of the wrapper stays on the chain.
    below.clear();
    EXPECT_EQ(Command(scIsSkinned), 0);
    EXPECT_EQ(Reached(SM_SKINCMD), 1);
    ws::SetWindowTheme(h, std::nullopt, std::nullopt);
  }
}

TEST_F(WrappedEdit, AdapterRemovingAllLeavesTheLookButNoHandler) {
  auto w = MakeWrapper<CountingWnd>(h, nullptr, nullptr, QStringLiteral("EDIT"), false);
  auto* counting = w.get();
  WrapperState().AdapterRemovingAll = true;
  counting->Destroy();
  WrapperState().AdapterRemovingAll = false;
  EXPECT_EQ(counting->restored, 0);
  EXPECT_TRUE(ws::WindowThemeOff(h));
  // The window no longer names or calls the wrapper.
  EXPECT_EQ(WrapperOfWnd(h), nullptr);
  w.reset();
  below.clear();
  EXPECT_EQ(Command(scIsSkinned), 0);
  EXPECT_EQ(Reached(SM_SKINCMD), 1);
}

TEST_F(WrappedEdit, WithoutSkinEveryMessagePasses) {
  manager.SetActive(false);
  auto w = MakeWrapper<TkaMainWnd>(h, nullptr, nullptr, QStringLiteral("EDIT"), false);
  below.clear();
  EXPECT_EQ(Command(scIsSkinned), 0);
  Command(scRepaint, ws::LPARAM(&manager.Manager));
  ASSERT_EQ(below.size(), 2u);
  EXPECT_EQ(below[1].msg, unsigned(SM_SKINCMD));
  // The root's own handling still applies.
  ws::SendMessage(h, ws::WM_UPDATEUISTATE);
  EXPECT_EQ(Reached(ws::WM_UPDATEUISTATE), 0);
}

TEST_F(WrappedEdit, PaintsTheBorderFromTheSection) {
  auto w = MakeWrapper<TkaMainWnd>(h, nullptr, nullptr, QStringLiteral("EDIT"), false);
  TkCommonData& link = *w->SkinLink;
  ASSERT_GE(link.BorderIndex, 0);
  // EDIT's border read as a keyed picture: the master bitmap's colour with
  // its magenta top-left pixel.
  manager.Manager.ma[std::size_t(link.BorderIndex)].MaskType = 0;
  EXPECT_TRUE(HasStatefulBorder(&link));
  link.BGChanged = true;
  Command(scUpdateScrolls);
  EXPECT_FALSE(link.BGChanged);
  const QImage& img = link.FCacheBmp;
  ASSERT_EQ(img.size(), QSize(120, 24));
  // The centre in EDIT's colour, the border from the master bitmap.
  EXPECT_EQ(Px(img, 60, 12), 0xFFFFFFu);
  EXPECT_EQ(Px(img, 1, 12), fx::kMasterFill);
  EXPECT_EQ(Px(img, 60, 1), fx::kMasterFill);
  // The key-coloured corner of the mask shows the parent's background.
  GetWndGeometry(*w);
  EXPECT_EQ(w->PosInParent, QPoint(10, 20));
  EXPECT_EQ(w->Extent, QSize(120, 24));
  EXPECT_EQ(w->ParentHandle, ws::HandleOf(&form));
  kelmo::skin::testing_pixels::Put(link.FCacheBmp, 0, 0, 0x000001);
  UpdateWndCorners(&link, 0, *w);
  EXPECT_EQ(Px(img, 0, 0), GetBgColorOf(&form));
  EXPECT_EQ(Px(img, 1, 1), fx::kMasterFill);
  img.save(QCoreApplication::applicationDirPath() + "/skinned_edit_border.png");
  // A stale cache of a window without a parent stays stale.
  QLineEdit lone;
  link.BGChanged = true;
  PaintWndBorder(&link, ws::HandleOf(&lone), false);
  EXPECT_TRUE(link.BGChanged);
}

TEST(WrapperHelpers, PropertiesByNameAndControlsByHandle) {
  int loaded = 0;  // outlives the form, whose handler counts into it
  QWidget form;
  auto* inner = new QWidget(&form);
  auto* edit = new QLineEdit(inner);
  // Properties the object has are set and read; others are left alone.
  SetOrdPropIfAny(edit, "maxLength", 7);
  EXPECT_EQ(edit->maxLength(), 7);
  SetOrdPropIfAny(edit, "noSuchProperty", 7);
  EXPECT_FALSE(edit->property("noSuchProperty").isValid());
  SetOrdPropIfAny(nullptr, "maxLength", 7);
  edit->setProperty("fixedColor", QColor(0x10, 0x20, 0x30));
  EXPECT_EQ(ColorPropOf(edit, "fixedColor"), 0);  // a dynamic property is not the class's
  EXPECT_EQ(ColorPropOf(nullptr, "maxLength"), 0);
  EXPECT_EQ(ColorPropOf(edit, "maxLength"), 7);
  // The search goes depth first and finds only windows that have a handle.
  EXPECT_EQ(FindControlByHandle(&form, ws::HandleOf(edit)), edit);
  EXPECT_EQ(FindControlByHandle(&form, 0), nullptr);
  QLineEdit elsewhere;
  EXPECT_EQ(FindControlByHandle(&form, ws::HandleOf(&elsewhere)), nullptr);
  // The top window hears that a control was loaded.
  ws::Subclass(ws::HandleOf(&form), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (m.msg == SM_SKINCMD && ws::HiWord(m.wParam) == scControlLoaded) ++loaded;
    next(m);
  });
  NotifyTopParentWnd(ws::HandleOf(edit));
  EXPECT_EQ(loaded, 1);
}
