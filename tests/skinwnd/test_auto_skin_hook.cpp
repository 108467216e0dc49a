// Automatic skinning through the thread hook: standard dialogs and message
// boxes skinned as they are activated (their frames, caption buttons and
// hit codes, the wrappers of their child windows chosen by class and type
// field), the rules that leave windows alone, popup menus wrapped as they
// are made, and switching the skin off giving everything back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCursor>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include "dialog_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_message_box.h"
#include "skin/skin_messages.h"
#include "skinwnd/auto_skin_hook.h"
#include "skinwnd/button_wnd.h"
#include "skinwnd/dialog_wnd.h"
#include "skinwnd/edit_wnd.h"
#include "skinwnd/form_provider.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/menu_wnd.h"
#include "skinwnd/panel_wnd.h"
#include "skinwnd/skinned_menus.h"
#include "skinwnd/static_wnd.h"
#include "skinwnd/title_fade.h"
#include "winshim/hooks.h"
#include "winshim/non_client.h"
#include "winshim/system_menu.h"
#include "winshim/system_profile.h"
#include "winshim/timers.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace td = kelmo::skinwnd::testing_dialogs;
using testing_controls::Bgr;
using testing_controls::Near;
using testing_controls::PixelOf;
constexpr auto Grab = testing_controls::ControlForm::Grab;

namespace {

void Activate(QWidget* w) {
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(w, &activate);
}

struct HookedSkin : ::testing::Test {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;

  void SetUp() override {
    ws::ResetSystemProfile();
    td::WriteDialogsSkin(dir.path());
    StartAutoSkinning();
    // Stored inactive: each test switches the skin on when it wants it.
    manager.SetActive(false);
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Dialogs"));
  }
  void TearDown() override { manager.SetActive(false); }

  // A dialog with a child of every kind the hook tells apart.
  struct Dialog {
    std::unique_ptr<QDialog> dlg = std::make_unique<QDialog>();
    QLabel* text = new QLabel(QStringLiteral("Text"), dlg.get());
    QLabel* line = new QLabel(dlg.get());  // an etched line: no wrapper
    QPushButton* push = new QPushButton(QStringLiteral("OK"), dlg.get());
    QPushButton* ownerDrawn = new QPushButton(QStringLiteral("Own"), dlg.get());
    QCheckBox* check = new QCheckBox(QStringLiteral("Check"), dlg.get());
    QGroupBox* group = new QGroupBox(QStringLiteral("Group"), dlg.get());
    QLineEdit* edit = new QLineEdit(dlg.get());
    QLineEdit* hiddenEdit = new QLineEdit(dlg.get());

    Dialog() {
      dlg->setWindowTitle(QStringLiteral("Dialog"));
      dlg->setGeometry(100, 100, 300, 200);
      line->setFrameShape(QFrame::HLine);
      text->setGeometry(10, 10, 80, 20);
      line->setGeometry(10, 35, 80, 4);
      push->setGeometry(10, 45, 80, 24);
      ownerDrawn->setGeometry(100, 45, 80, 24);
      check->setGeometry(10, 75, 80, 20);
      group->setGeometry(190, 10, 100, 80);
      edit->setGeometry(10, 100, 120, 22);
      hiddenEdit->setGeometry(140, 100, 120, 22);
      // The owner-drawn kind in the button's type field.
      const ws::HWND own = ws::HandleOf(ownerDrawn);
      ws::SetWindowLong(own, ws::GWL_STYLE, ws::GetWindowLong(own, ws::GWL_STYLE) | 0xB);
      dlg->show();
      hiddenEdit->hide();
      QCoreApplication::processEvents();
    }
    ws::HWND H() const { return ws::HandleOf(dlg.get()); }
  };

  TkaProvider* ProviderOf(ws::HWND wnd) { return FindProviderOfWnd(wnd); }
};

}  // namespace

TEST_F(HookedSkin, DialogChildrenAreWrappedByClassAndTypeField) {
  manager.SetActive(true);
  ASSERT_TRUE(manager.HookInstalled());
  Dialog d;
  Activate(d.dlg.get());
  TkaProvider* p = ProviderOf(d.H());
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->DialogWnd, nullptr);
  EXPECT_EQ(DialogWndOf(d.H()), p->DialogWnd.get());
  struct Case {
    QWidget* w;
    bool (*is)(TkaMainWnd*);
    const char* what;
  };
  const Case cases[] = {
      {d.text, [](TkaMainWnd* w) { return dynamic_cast<TkaStaticWnd*>(w) != nullptr; }, "static"},
      {d.line, [](TkaMainWnd* w) { return w == nullptr; }, "etched line"},
      {d.push, [](TkaMainWnd* w) { return dynamic_cast<TkaBtnWnd*>(w) != nullptr; }, "push"},
      // The type field 0xB is owner-drawn: the platform paints it.
      {d.ownerDrawn, [](TkaMainWnd* w) { return w == nullptr; }, "owner-drawn"},
      {d.check, [](TkaMainWnd* w) { return dynamic_cast<TkaCheckBoxWnd*>(w) != nullptr; }, "check"},
      {d.group, [](TkaMainWnd* w) { return dynamic_cast<TkaGroupBoxWnd*>(w) != nullptr; }, "group"},
      {d.edit, [](TkaMainWnd* w) { return dynamic_cast<TkaEditWnd*>(w) != nullptr; }, "edit"},
      {d.hiddenEdit, [](TkaMainWnd* w) { return w == nullptr; }, "hidden edit"},
  };
  for (const Case& c : cases) EXPECT_TRUE(c.is(WrapperOfWnd(ws::HandleOf(c.w)))) << c.what;
  // An edit makes the dialog paint its own client area.
  EXPECT_FALSE(p->DialogWnd->SkipClientPaint);

  // Activating it again makes nothing more.
  const std::size_t providers = AutoSkin().AutoProviders.size();
  Activate(d.dlg.get());
  EXPECT_EQ(AutoSkin().AutoProviders.size(), providers);

  // The hidden edit is wrapped by a later walk once it shows.
  d.hiddenEdit->show();
  SendSkinCommand(d.H(), 28, 0);
  EXPECT_NE(dynamic_cast<TkaEditWnd*>(WrapperOfWnd(ws::HandleOf(d.hiddenEdit))), nullptr);
}

TEST_F(HookedSkin, DialogFrameCaptionButtonsAndHitCodes) {
  // Without glowing the buttons' states are painted into the frame at once.
  manager.Manager.AllowGlowing = false;
  manager.SetActive(true);
  Dialog d;
  Activate(d.dlg.get());
  TkaDialogWnd* w = DialogWndOf(d.H());
  ASSERT_NE(w, nullptr);
  QCoreApplication::processEvents();
  // The frame is the skin's: frameless, margins of the frame and caption.
  EXPECT_TRUE(d.dlg->windowFlags() & Qt::FramelessWindowHint);
  const int fw = ws::GetSystemMetrics(ws::SM_CXFRAME);
  const int ch = ws::GetSystemMetrics(ws::SM_CYCAPTION);
  EXPECT_EQ(ws::NonClientMargins(d.H()), QMargins(fw, fw + ch, fw, fw));
  EXPECT_EQ(d.dlg->size(), QSize(300 + 2 * fw, 200 + 2 * fw + ch));

  const QImage img = Grab(d.dlg.get());
  const int cy = fw + ch / 2;
  EXPECT_TRUE(Near(PixelOf(img, d.dlg->width() / 2, cy), td::kTitleColor));
  EXPECT_TRUE(Near(PixelOf(img, 1, d.dlg->height() / 2), td::kDialogColor));
  // Once the dialog has painted, its children held back paint too: the
  // edit shows inside its border.
  const QImage again = Grab(d.dlg.get());
  EXPECT_TRUE(Near(PixelOf(again, d.edit->x() + 20, d.edit->y() + d.edit->height() / 2),
                   Bgr(0xFF, 0xFF, 0xFF)));
  // The client background where no child lies.
  EXPECT_TRUE(Near(PixelOf(img, fw + 295, fw + ch + 195), td::kDialogColor));
  // The close button at the right of the caption in its normal state.
  const Rect close = w->CloseBtn.Rect;
  ASSERT_FALSE(close.IsEmpty());
  EXPECT_TRUE(Near(PixelOf(img, close.left + 6, close.top + 6), td::kTitleButtons[0].colour[0]));

  // Points of the window and their hit codes.
  const QPoint origin = d.dlg->mapToGlobal(QPoint(0, 0));
  auto hit = [&](QPoint local) {
    const QPoint s = origin + local;
    return int(ws::SendMessage(d.H(), ws::WM_NCHITTEST, 0, ws::MakeLParam(s.x(), s.y())));
  };
  const int W = d.dlg->width(), H = d.dlg->height();
  struct Point {
    QPoint at;
    int code;
  };
  const Point table[] = {
      {{W / 2, cy}, ws::HTCAPTION},
      {{close.left + 6, close.top + 6}, ws::HTCLOSE},
      {{w->MaxBtn.Rect.left + 6, w->MaxBtn.Rect.top + 6}, ws::HTMAXBUTTON},
      {{w->MinBtn.Rect.left + 6, w->MinBtn.Rect.top + 6}, ws::HTMINBUTTON},
      {{fw + 2, cy}, ws::HTSYSMENU},
      {{1, H / 2}, ws::HTLEFT},
      {{W - 1, H / 2}, ws::HTRIGHT},
      {{W / 2, H - 1}, ws::HTBOTTOM},
      {{W - 1, H - 1}, ws::HTBOTTOMRIGHT},
      {{1, 1}, ws::HTTOPLEFT},
      {{W / 2, H / 2}, ws::HTCLIENT},
  };
  for (const Point& p : table) EXPECT_EQ(hit(p.at), p.code) << p.at.x() << "," << p.at.y();

  // The icon pops the skinned system menu up; its commands reach the
  // window.
  const QPoint icon = origin + QPoint(fw + 2, cy);
  ws::SendMessage(d.H(), ws::WM_NCLBUTTONDOWN, ws::HTSYSMENU, ws::MakeLParam(icon.x(), icon.y()));
  ASSERT_NE(w->SystemMenu, nullptr);
  EXPECT_TRUE(w->SystemMenu->isVisible());
  EXPECT_TRUE(IsOwnerDraw(w->SystemMenu.get()));
  QStringList shown;
  for (QAction* a : w->SystemMenu->actions())
    if (a->isVisible() && !a->isSeparator()) shown << a->objectName();
  EXPECT_EQ(shown,
            (QStringList{"miRestore", "miMove", "miSize", "miMinimize", "miMaximize", "miClose"}));
  EXPECT_FALSE(w->SystemMenu->ItemRestore->isEnabled());
  w->SystemMenu->ItemMaximize->trigger();
  EXPECT_TRUE(d.dlg->isMaximized());
  w->SystemMenu->ItemRestore->trigger();
  EXPECT_FALSE(d.dlg->isMaximized());
  w->SystemMenu->ItemMinimize->trigger();
  EXPECT_TRUE(d.dlg->isMinimized());
  // Popped up again, the menu offers the restore of the minimized dialog.
  w->PopupSystemMenu(icon);
  EXPECT_TRUE(w->SystemMenu->ItemRestore->isEnabled());
  w->SystemMenu->ItemRestore->trigger();
  EXPECT_FALSE(d.dlg->isMinimized());
  w->SystemMenu->hide();

  // Over the close button it is hot; a press makes it pressed, the
  // release closes the dialog through the system command.
  std::vector<unsigned> commands;
  ws::Subclass(d.H(), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (m.msg == ws::WM_SYSCOMMAND) commands.push_back(unsigned(m.wParam));
    next(m);
  });
  // The recorder lies above the wrapper; the wrapper's own commands go
  // down the chain below it.
  const QPoint at = origin + QPoint(close.left + 6, close.top + 6);
  EXPECT_EQ(hit(QPoint(close.left + 6, close.top + 6)), ws::HTCLOSE);
  EXPECT_EQ(w->ActiveButtonCode, ws::HTCLOSE);
  EXPECT_EQ(w->CloseBtn.State, 1);
  EXPECT_TRUE(Near(PixelOf(Grab(d.dlg.get()), close.left + 6, close.top + 6),
                   td::kTitleButtons[0].colour[1]));
  ws::SendMessage(d.H(), ws::WM_NCLBUTTONDOWN, ws::HTCLOSE, ws::MakeLParam(at.x(), at.y()));
  EXPECT_EQ(w->CloseBtn.State, 2);
  EXPECT_TRUE(Near(PixelOf(Grab(d.dlg.get()), close.left + 6, close.top + 6),
                   td::kTitleButtons[0].colour[2]));
  ws::SendMessage(d.H(), ws::WM_NCLBUTTONUP, ws::HTCLOSE, ws::MakeLParam(at.x(), at.y()));
  EXPECT_EQ(w->CloseBtn.State, 0);
  EXPECT_EQ(w->ActiveButtonCode, 0);
  EXPECT_EQ(commands, std::vector<unsigned>{ws::SC_CLOSE});
  // The command reached the window, which closed.
  EXPECT_FALSE(d.dlg->isVisible());
}

TEST_F(HookedSkin, CaptionButtonsFadeOnTheClock) {
  auto clock = std::make_shared<ws::ManualClock>();
  const std::shared_ptr<ws::Clock> before = ws::SetClock(clock);
  manager.SetActive(true);
  ASSERT_TRUE(manager.Manager.AllowGlowing);
  Dialog d;
  Activate(d.dlg.get());
  TkaDialogWnd* w = DialogWndOf(d.H());
  ASSERT_NE(w, nullptr);
  QCoreApplication::processEvents();
  const Rect close = w->CloseBtn.Rect;
  const QPoint at = d.dlg->mapToGlobal(QPoint(close.left + 6, close.top + 6));
  QCursor::setPos(at);
  ws::SendMessage(d.H(), ws::WM_NCHITTEST, 0, ws::MakeLParam(at.x(), at.y()));
  // Hot: the fade in starts and steps every 12 ms for ten steps.
  ASSERT_NE(w->CloseBtn.Timer, nullptr);
  TkaSBAnimation& fade = *w->CloseBtn.Timer;
  EXPECT_TRUE(fade.Enabled());
  EXPECT_EQ(fade.Steps, 10);
  const int start = fade.Counter;
  clock->Advance(12);
  EXPECT_EQ(fade.Counter, start + 1);
  clock->Advance(12 * 12);
  EXPECT_EQ(fade.Counter, 10);
  EXPECT_EQ(w->CloseBtn.State, 1);
  // Pressed: the pressed image at once.
  ws::SendMessage(d.H(), ws::WM_NCLBUTTONDOWN, ws::HTCLOSE, ws::MakeLParam(at.x(), at.y()));
  ASSERT_NE(w->CloseBtn.Timer, nullptr);
  EXPECT_EQ(w->CloseBtn.Timer->Counter, w->CloseBtn.Timer->Steps);
  EXPECT_EQ(w->CloseBtn.Timer->Steps, 1);
  // Hidden, the dialog drops its fades.
  d.dlg->hide();
  EXPECT_EQ(w->CloseBtn.Timer, nullptr);
  ws::SetClock(before);
}

TEST_F(HookedSkin, RulesLeaveWindowsAlone) {
  manager.SetActive(true);
  {
    // Without the dialogs rule a dialog stays the platform's.
    manager.SkinningRules = srStdForms;
    Dialog d;
    Activate(d.dlg.get());
    EXPECT_EQ(ProviderOf(d.H()), nullptr);
    EXPECT_EQ(WrapperOfWnd(d.H()), nullptr);
    manager.SkinningRules = srStdForms | srStdDialogs;
  }
  Dialog first;
  Activate(first.dlg.get());
  ASSERT_NE(DialogWndOf(first.H()), nullptr);
  // A second dialog while a skinned one is visible stays unskinned...
  Dialog second;
  Activate(second.dlg.get());
  EXPECT_EQ(DialogWndOf(second.H()), nullptr);
  // ...unless it holds a tool bar.
  Dialog third;
  new QToolBar(third.dlg.get());
  Activate(third.dlg.get());
  EXPECT_NE(DialogWndOf(third.H()), nullptr);
  // A form tagged as the library's own is never skinned.
  QWidget tagged;
  tagged.setProperty("Tag", -98);
  tagged.show();
  EXPECT_EQ(AutoSkinWindow(ws::HandleOf(&tagged)), 0);
}

TEST_F(HookedSkin, MessageBoxSkinnedWhereItWasAskedFor) {
  manager.SetActive(true);
  bool checked = false;
  QTimer::singleShot(0, [&] {
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
    ASSERT_NE(box, nullptr);
    Activate(box);
    const ws::HWND h = ws::HandleOf(box);
    TkaDialogWnd* w = DialogWndOf(h);
    EXPECT_NE(w, nullptr);
    EXPECT_EQ(box->pos(), QPoint(40, 30));
    // Its text, icon and buttons have their wrappers.
    int statics = 0, buttons = 0;
    for (QLabel* l : box->findChildren<QLabel*>())
      statics += dynamic_cast<TkaStaticWnd*>(WrapperOfWnd(ws::HandleOf(l))) != nullptr;
    for (QPushButton* b : box->findChildren<QPushButton*>())
      buttons += dynamic_cast<TkaBtnWnd*>(WrapperOfWnd(ws::HandleOf(b))) != nullptr;
    EXPECT_GE(statics, 1);
    EXPECT_EQ(buttons, 1);
    checked = true;
    box->accept();
  });
  SkinMessageBox(QStringLiteral("Caption"), QStringLiteral("Text of the box"), 0, 0, 0, 40, 30);
  EXPECT_TRUE(checked);
  // The box died: its provider went with the window's destruction.
  for (const auto& p : AutoSkin().AutoProviders) EXPECT_TRUE(!p || !p->DialogWnd);
}

TEST_F(HookedSkin, PopupMenusAreWrappedWhenMade) {
  manager.SetActive(true);
  QMenu menu;
  menu.addAction(QStringLiteral("Open"));
  menu.show();
  const ws::HWND h = ws::HandleOf(&menu);
  EXPECT_EQ(SendSkinCommand(h, scIsSkinned, 0), 1);
  ASSERT_EQ(AutoSkin().TkaMnuArray.size(), 1u);
  EXPECT_EQ(AutoSkin().TkaMnuArray[0], h);
  menu.hide();
  // Without skinned popups a new menu is left alone.
  manager.SetSkinnedPopups(false);
  QMenu plain;
  plain.addAction(QStringLiteral("Save"));
  plain.show();
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(&plain), scIsSkinned, 0), 0);
  manager.SetSkinnedPopups(true);
}

TEST_F(HookedSkin, SwitchingOffGivesEverythingBack) {
  Dialog d;
  const QSize size = d.dlg->size();
  const Qt::WindowFlags flags = d.dlg->windowFlags();
  const QPoint pushAt = d.push->pos();
  manager.SetActive(true);
  Activate(d.dlg.get());
  // Children the dialog places itself move with its client area.
  const QMargins nc = ws::NonClientMargins(d.H());
  EXPECT_EQ(d.push->pos(), pushAt + QPoint(nc.left(), nc.top()));
  ASSERT_NE(DialogWndOf(d.H()), nullptr);
  ASSERT_NE(WrapperOfWnd(ws::HandleOf(d.push)), nullptr);
  EXPECT_TRUE(d.dlg->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(ws::GetWindowLong(d.H(), ws::GWL_STYLE) & ws::WS_SYSMENU);
  manager.SetActive(false);
  EXPECT_FALSE(manager.HookInstalled());
  EXPECT_EQ(WrapperOfWnd(d.H()), nullptr);
  for (QWidget* c : {static_cast<QWidget*>(d.text), static_cast<QWidget*>(d.push),
                     static_cast<QWidget*>(d.check), static_cast<QWidget*>(d.edit)})
    EXPECT_EQ(WrapperOfWnd(ws::HandleOf(c)), nullptr);
  EXPECT_EQ(d.dlg->windowFlags(), flags);
  EXPECT_EQ(d.dlg->size(), size);
  EXPECT_EQ(d.push->pos(), pushAt);
  EXPECT_EQ(ws::NonClientMargins(d.H()), QMargins());
  EXPECT_TRUE(AutoSkin().AutoProviders.empty());
  EXPECT_TRUE(ws::GetWindowLong(d.H(), ws::GWL_STYLE) & ws::WS_SYSMENU);
  // Activation after the skin is gone skins nothing.
  Activate(d.dlg.get());
  EXPECT_EQ(WrapperOfWnd(d.H()), nullptr);
}

TEST_F(HookedSkin, MainAndMdiFormsGetFormProviders) {
  manager.SetActive(true);
  // A main form with its main menu.
  QMainWindow main;
  QMenu* file = main.menuBar()->addMenu(QStringLiteral("File"));
  file->addAction(QStringLiteral("Open"));
  main.setGeometry(50, 50, 320, 240);
  main.show();
  Activate(&main);
  QCoreApplication::processEvents();
  TkSkinProvider* p = TkSkinProvider::Of(&main);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(main.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(IsOwnerDraw(main.menuBar()));
  EXPECT_TRUE(IsOwnerDraw(file));
  EXPECT_FALSE(p->MenuLineBg.isNull());
  // The frame answers the caption and a border.
  auto hit = [&](QWidget& w, QPoint at) {
    const QPoint s = w.mapToGlobal(at);
    return int(
        ws::SendMessage(ws::HandleOf(&w), ws::WM_NCHITTEST, 0, ws::MakeLParam(s.x(), s.y())));
  };
  EXPECT_EQ(hit(main, {main.width() / 2, 8}), ws::HTCAPTION);
  EXPECT_EQ(hit(main, {main.width() - 1, main.height() / 2}), ws::HTRIGHT);
  EXPECT_EQ(hit(main, {main.width() / 2, main.height() / 2}), ws::HTCLIENT);
  // Activating it again makes no second provider.
  const std::size_t providers = AutoSkin().AutoProviders.size();
  Activate(&main);
  EXPECT_EQ(AutoSkin().AutoProviders.size(), providers);

  // An MDI form: the parent and each of its children.
  QMainWindow mdi;
  auto* area = new QMdiArea;
  mdi.setCentralWidget(area);
  QMdiSubWindow* first = area->addSubWindow(new QWidget);
  QMdiSubWindow* second = area->addSubWindow(new QWidget);
  mdi.setGeometry(400, 50, 400, 300);
  mdi.show();
  first->show();
  second->show();
  Activate(&mdi);
  QCoreApplication::processEvents();
  EXPECT_NE(TkSkinProvider::Of(&mdi), nullptr);
  EXPECT_NE(TkSkinProvider::Of(first), nullptr);
  EXPECT_NE(TkSkinProvider::Of(second), nullptr);

  // Off: every form has its own frame and menus back.
  manager.SetActive(false);
  EXPECT_FALSE(main.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(mdi.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(IsOwnerDraw(main.menuBar()));
  EXPECT_FALSE(IsOwnerDraw(file));
  EXPECT_EQ(ws::NonClientMargins(ws::HandleOf(&main)), QMargins());
}

// Extended borders: a hooked dialog gets a border window placed around it
// that shows the extended frame, caption and shadow (border mode 0: the
// shadow around the dialog's own frame; 1: the picture is the frame and the
// caption is painted over it); presses in the shadow fall through to the
// window below, those on the extended caption act for the dialog, and
// switching the skin off takes the window away.
TEST_F(HookedSkin, ExtendedBorderAroundADialog) {
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    manager.Manager.AllowGlowing = false;
    manager.SetSkinName(QStringLiteral("DialogsExt%1").arg(mode));
    manager.SetExtendedBorders(true);
    manager.SetActive(true);
    Dialog d;
    Activate(d.dlg.get());
    QCoreApplication::processEvents();
    TkaDialogWnd* w = DialogWndOf(d.H());
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->BorderForm, nullptr);
    QPointer<QWidget> border = w->BorderForm->AForm.get();
    ASSERT_TRUE(border->isVisible());
    const int sm = mode == 0 ? 8 - td::kFormOffset : td::kFormOffset;
    EXPECT_EQ(w->Margins(), (Rect{sm, sm, sm, sm}));

    // Placed around the dialog, its picture's client area over the
    // dialog's client area.
    const int fw = ws::GetSystemMetrics(ws::SM_CXFRAME);
    const int ch = ws::GetSystemMetrics(ws::SM_CYCAPTION);
    const QPoint client = d.dlg->pos() + QPoint(fw, fw + ch);
    EXPECT_EQ(border->size(), QSize(300 + 2 * td::kExtBorder + 2 * sm,
                                    200 + td::kExtTitle + td::kExtBorder + 2 * sm));
    EXPECT_EQ(border->pos() + QPoint(w->ClientOffsetX(), w->ClientOffsetY()), client);
    EXPECT_EQ(w->ClientOffsetY(), sm + td::kExtTitle);
    // The dialog's own window keeps its client area only.
    QRegion region;
    ws::GetWindowRgn(d.dlg.get(), region);
    EXPECT_FALSE(region.contains(QPoint(d.dlg->width() / 2, fw + ch / 2)));
    EXPECT_TRUE(region.contains(QPoint(d.dlg->width() / 2, fw + ch)));

    // The picture: the shadow's corner, the caption, the close button (in
    // the picture's coordinates), the client background; all but the
    // shadow opaque.
    const QImage& cache = w->SkinLink->FCacheBmp;
    ASSERT_EQ(cache.size(), border->size());
    auto at = [&](QPoint p) { return cache.pixelColor(p); };
    // The fixture's border picture lies in the master bitmap, which gives
    // the manager no shadow picture: the shadow is clear.
    EXPECT_EQ(at({1, 1}).alpha(), 0);
    const int cy = sm + td::kExtTitle / 2;
    const Rect close = w->CloseBtn.Rect;
    ASSERT_FALSE(close.IsEmpty());
    EXPECT_LT(close.right, cache.width() - sm);
    EXPECT_GE(close.top, sm);
    EXPECT_EQ(at({cache.width() / 2, cy}).alpha(), 255);
    // In border mode 1 the border's picture is the caption's background
    // (the title section is not painted).
    if (mode == 0) EXPECT_TRUE(Near(PixelOf(cache, cache.width() / 2, cy), td::kTitleColor));
    EXPECT_TRUE(
        Near(PixelOf(cache, close.left + 6, close.top + 6), td::kTitleButtons[0].colour[0]));
    EXPECT_EQ(at({cache.width() - sm - 20, cache.height() - sm - 20}).alpha(), 255);

    // A press in the shadow goes to the window below, in its coordinates;
    // the dialog hears nothing of it.
    QWidget below;  // a window the hook leaves alone
    SetTag(&below, kTagNeverSkin);
    below.setGeometry(QRect(border->pos() - QPoint(40, 0), QSize(45, 100)));
    below.show();
    QCoreApplication::processEvents();
    std::vector<ws::Msg> heard, dialogHeard;
    ws::Subclass(ws::HandleOf(&below), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg >= ws::WM_MOUSEMOVE && m.msg <= ws::WM_MBUTTONDBLCLK) heard.push_back(m);
      next(m);
    });
    ws::Subclass(d.H(), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg == ws::WM_NCLBUTTONDOWN || m.msg == ws::WM_SYSCOMMAND ||
          (m.msg >= ws::WM_MOUSEMOVE && m.msg <= ws::WM_MBUTTONDBLCLK))
        dialogHeard.push_back(m);
      next(m);
    });
    auto press = [&](QPoint local, QEvent::Type type) {
      QMouseEvent e(type, QPointF(local), QPointF(border->pos() + local), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(border, &e);
    };
    const QPoint shadow(1, 50);
    press(shadow, QEvent::MouseButtonPress);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].msg, unsigned(ws::WM_LBUTTONDOWN));
    const QPoint inBelow = below.mapFromGlobal(border->pos() + shadow);
    EXPECT_EQ(QPoint(ws::XOf(heard[0].lParam), ws::YOf(heard[0].lParam)), inBelow);
    EXPECT_TRUE(dialogHeard.empty());

    // The extended caption's close button: hot under the mouse, pressed by
    // a press (the dialog works the code out itself), and its release
    // closes the dialog, which takes its border window away.
    const QPoint onClose(close.left + 6, close.top + 6);
    const QPoint s = border->pos() + onClose;
    EXPECT_EQ(
        ws::SendMessage(w->BorderForm->Handle(), ws::WM_NCHITTEST, 0, ws::MakeLParam(s.x(), s.y())),
        19);
    EXPECT_EQ(w->BorderForm->HitTest(ws::Msg{ws::WM_NCHITTEST, 0, ws::MakeLParam(s.x(), s.y()), 0}),
              ws::HTCLOSE);
    ws::SendMessage(w->BorderForm->Handle(), ws::WM_NCLBUTTONDOWN, 19,
                    ws::MakeLParam(s.x(), s.y()));
    ASSERT_FALSE(dialogHeard.empty());
    EXPECT_EQ(dialogHeard[0].msg, unsigned(ws::WM_NCLBUTTONDOWN));
    EXPECT_EQ(dialogHeard[0].wParam, ws::WPARAM(-1));
    EXPECT_EQ(w->CloseBtn.State, 2);
    ws::SendMessage(w->BorderForm->Handle(), ws::WM_NCLBUTTONUP, 19, ws::MakeLParam(s.x(), s.y()));
    EXPECT_FALSE(d.dlg->isVisible());
    EXPECT_EQ(w->BorderForm, nullptr);
    EXPECT_TRUE(border.isNull());

    // Shown again, the next repaint command brings it back; switching the
    // skin off removes it and gives the dialog its own frame back.
    d.dlg->show();
    QCoreApplication::processEvents();
    SendSkinCommand(d.H(), scRepaint, 0);
    ASSERT_NE(w->BorderForm, nullptr);
    border = w->BorderForm->AForm.get();
    EXPECT_TRUE(border->isVisible());
    manager.SetActive(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(border.isNull());
    EXPECT_FALSE(d.dlg->windowFlags() & Qt::FramelessWindowHint);
    manager.SetExtendedBorders(false);
  }
}
