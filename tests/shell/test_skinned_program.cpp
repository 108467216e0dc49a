// The program's own forms under a skin: the data module's skin manager,
// switched on with a fixture skin, skins the main window through the
// thread hook; the reception of the demonstration registry then runs to
// its act summary as it does unskinned, and switching the skin off gives
// the window its own frame back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "dialog_skin.h"
#include "reception_harness.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/auto_skin_hook.h"
#include "skinwnd/form_provider.h"
#include "winshim/non_client.h"
#include "winshim/system_profile.h"

using namespace kelmo;
using namespace kelmo::test;
namespace ws = kelmo::winshim;

namespace {

void Activate(QWidget* w) {
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(w, &activate);
}

}  // namespace

TEST(SkinnedProgram, DemonstrationRegistryIsReceivedUnderASkin) {
  ws::ResetSystemProfile();
  // The data module lets its manager skin windows through the hook.
  ReceptionHarness h;
  skin::TkSkinManagerComponent& manager = *h.forms.DM->sSkinManager;
  ASSERT_TRUE(manager.IsDefault());
  QTemporaryDir skins;
  skinwnd::testing_dialogs::WriteDialogsSkin(skins.path());
  manager.SetSkinDirectory(skins.path());
  manager.SetSkinName(QStringLiteral("Dialogs"));
  manager.SetActive(true);
  ASSERT_TRUE(manager.HookInstalled());

  TfmKelmo& window = h.W();
  window.show();
  Activate(&window);
  QCoreApplication::processEvents();
  const ws::HWND main = ws::HandleOf(&window);
  EXPECT_NE(skin::SendSkinCommand(main, skin::scIsSkinned, 0), 0);
  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);

  const QDir demo(KELMO_SOURCE_DIR "/examples/dbf-registry");
  for (const QString& name : demo.entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(demo.filePath(name), QDir(h.registry).filePath(name)));
  h.Choose();
  h.Press();
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  EXPECT_TRUE(
      h.ActWithoutBanner().contains("Всего по некорректным данным по местному населению: 0"));

  manager.SetActive(false);
  EXPECT_FALSE(manager.HookInstalled());
  EXPECT_FALSE(window.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(ws::NonClientMargins(main), QMargins());
}
