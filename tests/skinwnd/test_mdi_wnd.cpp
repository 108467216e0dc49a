// The MDI client wrapper on a form's QMdiArea with the scroll fixture
// skin: the client's background and border copied from the form's cache,
// the drawing frozen around each skinned scroll, and the area's own look
// once the skin is off.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <vector>

#include "qt_test_application.h"
#include "scroll_skin_fixture.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin_test_pixels.h"
#include "skinwnd/mdi_wnd.h"
#include "winshim/non_client.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace sf = kelmo::skinwnd::testing_scroll;

namespace {

constexpr TColor kFormCache = 0x336699;
constexpr TColor kFormColor = 0x808080;  // the fixture's FORM section

TEST(MdiClient, PaintsFromTheFormsCacheAndFreezesAroundScrolls) {
  std::vector<ws::Msg> below;
  QTemporaryDir dir;
  sf::WriteScrollSkin(dir.path());
  TkSkinManagerComponent manager;
  QWidget form;
  form.resize(320, 240);
  auto* area = new QMdiArea(&form);
  area->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);  // WS_EX_CLIENTEDGE
  area->setGeometry(10, 30, 300, 200);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* child = area->addSubWindow(new QWidget);
  child->setGeometry(5, 5, 120, 80);
  form.show();
  QCoreApplication::processEvents();
  const QImage own = area->grab().toImage();
  const ws::HWND h = ws::HandleOf(area);
  ws::Subclass(h, [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    below.push_back(m);
    next(m);
  });
  manager.SetSkinDirectory(dir.path());
  manager.SetSkinName(QStringLiteral("Scroll"));
  // The form's link and the cache its painting would leave.
  TkCommonData formLink(&form, true);
  formLink.SkinSection = QStringLiteral("FORM");
  formLink.UpdateIndexes();
  formLink.FCacheBmp = kelmo::skin::testing_pixels::Filled(320, 240, kFormCache);
  {
    auto wrapper = MakeMdiWrapper(h, &form, &formLink);
    EXPECT_EQ(wrapper->SkinLink->SkinSection, QStringLiteral("CHECKBOX"));
    EXPECT_EQ(SendSkinCommand(h, scIsSkinned, 0), 1);
    QCoreApplication::processEvents();
    QImage img = area->grab().toImage();
    // The client's background and border are the form's.
    EXPECT_EQ(sf::GrabPixel(img, 200, 150), kFormCache);
    EXPECT_EQ(sf::GrabPixel(img, 0, 100), kFormCache);
    EXPECT_EQ(sf::GrabPixel(img, 300 - 8, 8), sf::kArrow[0]);
    img.save(QCoreApplication::applicationDirPath() + "/skinned_mdi_client.png");

    // A skin without MDIAREA, while the form's picture need not be
    // repainted: the client in the form's colour, its sunken frame too.
    const int mdiArea = manager.Manager.GetSkinIndex(QStringLiteral("MDIAREA"));
    ASSERT_GE(mdiArea, 0);
    manager.Manager.gd[std::size_t(mdiArea)].ClassName = QStringLiteral("OTHER");
    formLink.ContainerFlags = 1;
    ASSERT_FALSE(formLink.MustRepaint());
    EXPECT_NE(ws::GetWindowLong(h, ws::GWL_EXSTYLE) & ws::WS_EX_CLIENTEDGE, 0u);
    img = area->grab().toImage();
    EXPECT_EQ(sf::GrabPixel(img, 200, 150), kFormColor);
    EXPECT_EQ(sf::GrabPixel(img, 0, 100), kFormColor);
    manager.Manager.gd[std::size_t(mdiArea)].ClassName = QStringLiteral("MDIAREA");
    formLink.ContainerFlags = 0;

    // Each skinned scroll is sent with the drawing frozen; the client is
    // redrawn after it, except while the thumb is dragged.
    struct Case {
      int code;
      bool redrawn;
    };
    for (const Case c : {Case{ws::SB_LINEDOWN, true}, Case{ws::SB_THUMBTRACK, false}}) {
      below.clear();
      ws::SetCapture(h);
      TkaScrollWnd::SendScrollMsg(h, ws::WM_VSCROLL, c.code, 3);
      std::vector<unsigned> seen;
      for (const ws::Msg& m : below)
        if (m.msg != SM_SKINCMD || ws::HiWord(m.wParam) >= scBeforeScroll)
          seen.push_back(m.msg == SM_SKINCMD ? unsigned(ws::HiWord(m.wParam))
                                             : m.msg * 100 + unsigned(m.wParam));
      EXPECT_EQ(seen, (std::vector<unsigned>{scBeforeScroll, ws::WM_SETREDRAW * 100,
                                             ws::WM_VSCROLL * 100 + unsigned(c.code) + (3u << 16),
                                             scAfterScroll, ws::WM_SETREDRAW * 100 + 1}))
          << c.code;
      EXPECT_TRUE(area->updatesEnabled());
      EXPECT_EQ(ws::GetCapture() == 0, c.redrawn);
    }
    ws::ReleaseCapture();

    // The skin off: the area's own background and frame.
    manager.SetActive(false);
    SendSkinCommand(h, scRemoveSkin, ws::LPARAM(&manager.Manager));
    QCoreApplication::processEvents();
    EXPECT_EQ(area->grab().toImage(), own);
    // Tiling reaches the area, which arranges its windows; the form's
    // picture is stale while the skin is in force.
    manager.SetActive(true);
    formLink.BGChanged = false;
    ws::SendMessage(h, ws::WM_MDITILE);
    EXPECT_EQ(child->geometry(), area->viewport()->rect());
    EXPECT_TRUE(formLink.BGChanged);
  }
  ws::ResetSystemProfile();
}

}  // namespace
