// The list-view wrapper on a table of a form with the list skin: its
// colours and scroll messages through the list's chain, the column header
// it paints in report view (hot, pressed, reordered, sorted, the empty
// rest), and the list's own look back when the skin goes.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <vector>

#include "list_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/control_answers.h"
#include "skinwnd/control_messages.h"
#include "skinwnd/list_view_wnd.h"
#include "skinwnd/scroll_bar.h"
#include "winshim/non_client.h"
#include "winshim/scroll_info.h"
#include "winshim/timers.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace tl = kelmo::skinwnd::testing_lists;

namespace {

struct SkinnedTable : ::testing::Test {
  std::vector<ws::Msg> listGot, headerGot;  // below the wrapper
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  QWidget form;
  QStandardItemModel model{20, 3};
  QTableView* table = nullptr;
  QHeaderView* header = nullptr;
  ws::HWND h = 0, hh = 0;
  QColor ownBase;

  void SetUp() override {
    tl::WriteListSkin(dir.path());
    form.resize(320, 240);
    ws::HandleOf(&form);
    table = new QTableView(&form);
    table->setGeometry(10, 10, 300, 200);
    table->setModel(&model);
    model.setHorizontalHeaderLabels({"Alpha", "Beta", "Gamma"});
    header = table->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionsMovable(true);
    for (int c = 0; c < 3; ++c) header->resizeSection(c, 60);
    form.show();
    ownBase = table->palette().color(QPalette::Base);
    h = ws::HandleOf(table);
    hh = ws::HandleOf(header);
    AnswerControlMessages(h);
    AnswerControlMessages(hh);
    ws::Subclass(h, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      listGot.push_back(m);
      next(m);
    });
    ws::Subclass(HeaderPaintWindow(hh), [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      headerGot.push_back(m);
      next(m);
    });
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Lists"));
  }
  std::vector<ws::Msg> Got(unsigned msg) const {
    std::vector<ws::Msg> out;
    for (const ws::Msg& m : listGot)
      if (m.msg == msg) out.push_back(m);
    return out;
  }
  std::unique_ptr<TkaListViewWnd> Wrap() {
    return MakeWrapper<TkaListViewWnd>(h, nullptr, &manager.Manager, QStringLiteral("EDIT"), false);
  }
  // The header's pixel in the middle of a section's top border.
  ws::TColor Top(const QImage& img, int logical) const {
    return tl::At(img, header->sectionViewportPosition(logical) + 30, 1);
  }
};

}  // namespace

TEST_F(SkinnedTable, ColoursCommandsAndThumbDrag) {
  auto w = Wrap();
  EXPECT_EQ(w->HeaderWnd, hh);
  EXPECT_EQ(w->ListViewStyle(), 3);
  EXPECT_EQ(w->SavedColor, ws::FromQColor(ownBase));
  // Every paint gives the list its section's colours.
  ws::SendMessage(h, ws::WM_PAINT);
  const auto bk = Got(LVM_SETBKCOLOR), text = Got(LVM_SETTEXTCOLOR);
  ASSERT_FALSE(bk.empty());
  EXPECT_EQ(ws::TColor(bk.back().lParam), tl::kEditColor);
  EXPECT_EQ(ws::TColor(text.back().lParam), tl::kEditFont);
  EXPECT_EQ(table->palette().color(QPalette::Base), ws::ToQColor(tl::kEditColor));
  EXPECT_EQ(SendSkinCommand(h, scGetSectionIndex, 0), w->SkinLink->SkinIndex + 1);
  EXPECT_EQ(SendSkinCommand(h, scBeforeScroll, 0), 1);

  // A dragged thumb scrolls by whole items from where the skinned bar's
  // drag last stood; a step that does not move sends nothing; other codes
  // go on without the position.
  ws::Rect item{LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(ws::SendMessage(h, LVM_GETITEMRECT, 0, ws::LPARAM(&item)));
  struct Case {
    int code;
    ws::LPARAM lParam;
    int hiWord;
    int scrolledBy;  // -1: no LVM_SCROLL
    int passedOn;    // messages passed on
  };
  const Case cases[] = {{ws::SB_THUMBTRACK, 3, 0, 3, 0},
                        {ws::SB_THUMBTRACK, 3, 0, -1, 0},
                        {ws::SB_THUMBTRACK, 0, 5, 2, 0},
                        {ws::SB_THUMBPOSITION, 5, 5, -1, 1}};
  int position = 0;
  for (const Case& c : cases) {
    listGot.clear();
    Tracking().LastTrackPos = position;
    ws::SendMessage(h, ws::WM_VSCROLL, ws::MakeWParam(c.code, c.hiWord), c.lParam);
    const auto scrolls = Got(LVM_SCROLL);
    if (c.scrolledBy < 0) {
      EXPECT_TRUE(scrolls.empty());
    } else {
      ASSERT_EQ(scrolls.size(), 1u);
      EXPECT_EQ(scrolls[0].lParam, c.scrolledBy * item.Height());
      position += c.scrolledBy;
      EXPECT_EQ(table->verticalScrollBar()->value(), position);
    }
    const auto passed = Got(ws::WM_VSCROLL);
    ASSERT_EQ(int(passed.size()), c.passedOn);
    if (c.passedOn) EXPECT_EQ(passed[0].lParam, 0);
  }
}

TEST_F(SkinnedTable, TheSkinnedBarDragsTheListByWholeItems) {
  auto clock = std::make_shared<ws::ManualClock>();
  auto oldClock = ws::SetClock(clock);
  Tracking() = ScrollTracking{};
  auto w = Wrap();
  RedrawWndFrame(h, true);
  QCoreApplication::processEvents();
  ASSERT_TRUE(w->VertBar && w->VertBar->Shown);
  const ws::Rect window = ws::GetWindowRect(h), bar = w->VertBarRect();
  const int x = bar.left - window.left + bar.Width() / 2;
  const int thumbY = bar.top - window.top + bar.Width() + 2;
  // The bar is painted from the skin: the track after the thumb.
  const QImage img = tl::Grab(table);
  EXPECT_EQ(tl::At(img, x, bar.bottom - window.top - bar.Width() - 4), tl::kTrack2V);
  auto mouse = [&](QEvent::Type type, int y, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(x, y), QPointF(window.left + x, window.top + y), Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(table, &e);
  };
  ws::Rect item{LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(ws::SendMessage(h, LVM_GETITEMRECT, 0, ws::LPARAM(&item)));
  listGot.clear();
  mouse(QEvent::MouseButtonPress, thumbY, Qt::LeftButton);
  EXPECT_TRUE(w->DraggingThumb);
  for (int dy : {10, 25, 40}) mouse(QEvent::MouseMove, thumbY + dy, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, thumbY + 40, Qt::NoButton);
  const auto scrolls = Got(LVM_SCROLL);
  ASSERT_FALSE(scrolls.empty());
  int items = 0;
  for (const ws::Msg& m : scrolls) {
    EXPECT_EQ(m.lParam % item.Height(), 0);
    items += int(m.lParam / item.Height());
  }
  EXPECT_GT(items, 0);
  EXPECT_EQ(table->verticalScrollBar()->value(), items);
  w.reset();
  ws::SetClock(oldClock);
}

TEST_F(SkinnedTable, HeaderHotPressedAndItsPainting) {
  auto w = Wrap();
  const ws::HWND paintWnd = HeaderPaintWindow(hh);
  auto screen = [this](int x) { return header->viewport()->mapToGlobal(QPoint(x, 5)); };
  auto lparam = [](QPoint p) { return ws::MakeLParam(p.x(), p.y()); };
  // The mouse over the second column makes it hot.
  ws::SendMessage(paintWnd, ws::WM_NCHITTEST, 0, lparam(screen(90)));
  EXPECT_EQ(w->HotColumn, 1);
  QImage img = tl::Grab(header);
  EXPECT_EQ(Top(img, 0), tl::kNormal);
  EXPECT_EQ(Top(img, 1), tl::kHot);
  // The empty rest right of the last column is painted as an item.
  EXPECT_EQ(tl::At(img, header->width() - 10, 1), tl::kNormal);

  // A press on a column presses it; on a divider it presses none.
  struct Press {
    int x, pressed;
  };
  for (const Press p : {Press{30, 0}, Press{60, -1}, Press{150, 2}}) {
    ws::SendMessage(paintWnd, ws::WM_LBUTTONDOWN, 1, ws::MakeLParam(p.x, 5));
    EXPECT_EQ(w->PressedColumn, p.pressed) << p.x;
  }
  img = tl::Grab(header);
  EXPECT_EQ(Top(img, 2), tl::kPressed);
  EXPECT_EQ(Top(img, 1), tl::kNormal);  // a pressed column outranks the hot one
  ws::SendMessage(paintWnd, ws::WM_LBUTTONUP, 0, ws::MakeLParam(150, 5));
  EXPECT_EQ(w->PressedColumn, -1);
  // The mouse in the list clears both.
  ws::SendMessage(paintWnd, ws::WM_NCHITTEST, 0, lparam(screen(90)));
  ws::SendMessage(h, ws::WM_NCHITTEST, 0, 0);
  EXPECT_EQ(w->HotColumn, -1);

  // Reordered columns are painted in their display order; a sorted column
  // carries the scroll button's arrow.
  header->moveSection(0, 2);
  ws::Rect first;
  ASSERT_TRUE(w->HeaderItemRect(0, first));
  EXPECT_EQ(first.left, 0);
  EXPECT_EQ(ws::SendMessage(hh, HDM_ORDERTOINDEX, 0), 1);
  w->PressedColumn = 0;
  header->setSortIndicatorShown(true);
  header->setSortIndicator(0, Qt::DescendingOrder);
  img = tl::Grab(header);
  EXPECT_EQ(tl::At(img, 150, 1), tl::kPressed);  // logical 0 stands third
  EXPECT_EQ(tl::At(img, 30, 1), tl::kNormal);
  int glyphPixels = 0;
  for (int x = 120; x < 180; ++x)
    for (int y = 4; y < header->height() - 4; ++y) glyphPixels += tl::At(img, x, y) == tl::kGlyph;
  EXPECT_GT(glyphPixels, 0);
  // The header's own paint never reaches it while the wrapper paints.
  headerGot.clear();
  tl::Grab(header);
  for (const ws::Msg& m : headerGot) EXPECT_NE(m.msg, unsigned(ws::WM_PAINT));
  img.save(QCoreApplication::applicationDirPath() + "/skinned_list_header.png");
}

TEST_F(SkinnedTable, OutsideReportAndWithoutSkinTheHeaderIsItsOwn) {
  auto w = Wrap();
  const QImage skinned = tl::Grab(header);
  ASSERT_EQ(tl::At(skinned, 30, 1), tl::kNormal);
  // Out of report view every header message goes to the header.
  header->hide();
  EXPECT_EQ(w->ListViewStyle(), 2);
  headerGot.clear();
  ws::SendMessage(HeaderPaintWindow(hh), ws::WM_PAINT);
  ASSERT_EQ(headerGot.size(), 1u);
  header->show();

  // Switching the skin off gives the list its colours and the header its
  // own painting back.
  tl::SwitchOff(manager, {h});
  EXPECT_EQ(w->HeaderWnd, 0u);
  EXPECT_EQ(table->palette().color(QPalette::Base), ownBase);
  const QImage own = tl::Grab(header);
  for (ws::TColor c : {tl::kNormal, tl::kHot, tl::kPressed}) EXPECT_NE(tl::At(own, 30, 1), c);
}
