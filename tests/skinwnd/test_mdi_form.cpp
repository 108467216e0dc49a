// An MDI parent form skinned through its provider's satellites with the
// scroll fixture skin: the MDI client wrapped once by the MDI support, the
// children's controls wrapped by the control adapter, all given back when
// the skin goes, and the redraw after a removal reaching the MDI client
// only on an MDI parent.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include "adapter_fixture.h"
#include "qt_test_application.h"
#include "scroll_skin_fixture.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/ctrl_adapter.h"
#include "skinwnd/edit_wnd.h"
#include "skinwnd/mdi_form.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace sf = kelmo::skinwnd::testing_scroll;
using kelmo::skinwnd::testing_provider::FakeProvider;

namespace {

struct MdiParent : ::testing::Test {
  QTemporaryDir dir;
  TkSkinManagerComponent manager;
  QMainWindow main;
  QMdiArea* area = new QMdiArea;
  QLineEdit* edits[2] = {new QLineEdit, new QLineEdit};
  FakeProvider provider{&main};

  void SetUp() override {
    sf::WriteScrollSkin(dir.path());
    main.setCentralWidget(area);
    main.resize(400, 300);
    for (QLineEdit* e : edits) area->addSubWindow(e)->resize(160, 80);
    main.show();
    QCoreApplication::processEvents();
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Scroll"));
    manager.ThirdLists[0] = QStringList{QStringLiteral("QLineEdit")};
    provider.link->UpdateIndexes();
  }
  static TkaMainWnd* WrapperOf(QWidget* w) { return WrapperOfWnd(ws::HandleOf(w)); }
};

TEST_F(MdiParent, ClientAndChildrenSkinnedAndGivenBack) {
  ASSERT_TRUE(provider.link->Skinned());
  auto mdi = std::make_unique<TkMDIForm>(provider);
  mdi->AttachClient();
  TkaMDIWnd* client = mdi->ClientWrapper.get();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(WrapperOf(area), client);
  EXPECT_EQ(client->MdiForm, &main);
  EXPECT_EQ(client->ProviderLink, provider.link.get());
  mdi->AttachClient();  // a second call keeps the wrapper
  EXPECT_EQ(mdi->ClientWrapper.get(), client);
  mdi->InvalidateNonClient();
  EXPECT_EQ(provider.invalidated, 1);

  auto adapter = std::make_unique<TkaCtrlAdapter>(provider);
  adapter->AddAllItems();
  EXPECT_EQ(adapter->Count(), 2);
  for (QLineEdit* e : edits) {
    EXPECT_TRUE(dynamic_cast<TkaEditWnd*>(WrapperOf(e)));
    EXPECT_EQ(AskControl(e, scIsSkinned), 1);
  }

  // The skin goes: the adapter's wrappers and the client's let go.
  manager.SetActive(false);
  ws::Msg remove = SkinMessage(scRemoveSkin, ws::LPARAM(&manager.Manager));
  adapter->BroadcastMessage(remove);
  adapter.reset();
  mdi.reset();
  EXPECT_EQ(WrapperOf(area), nullptr);
  for (QLineEdit* e : edits) {
    EXPECT_EQ(WrapperOf(e), nullptr);
    EXPECT_NE(AskControl(e, scIsSkinned), 1);
  }
}

TEST_F(MdiParent, AnUnskinnedProviderLeavesTheClientUnwrapped) {
  TkMDIForm mdi(provider);
  mdi.AttachClient();
  ASSERT_TRUE(mdi.ClientWrapper);
  provider.link->SkinSection = QStringLiteral("NOSUCHSECTION");
  provider.link->UpdateIndexes();
  mdi.ConnectClient();
  EXPECT_FALSE(mdi.ClientWrapper);
  EXPECT_EQ(WrapperOf(area), nullptr);
  mdi.AttachClient();
  EXPECT_FALSE(mdi.ClientWrapper);
}

TEST_F(MdiParent, RemovalRedrawsTheClientOnlyOnMdiParents) {
  EXPECT_EQ(RedrawAfterSkinRemoval(&main),
            (std::vector<ws::HWND>{ws::HandleOf(&main), ws::HandleOf(area)}));
  QWidget plain;
  EXPECT_EQ(RedrawAfterSkinRemoval(&plain), (std::vector<ws::HWND>{ws::HandleOf(&plain)}));
  EXPECT_TRUE(RedrawAfterSkinRemoval(nullptr).empty());
}

}  // namespace
