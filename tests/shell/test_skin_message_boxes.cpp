// The skin library's message boxes and its version switch "/kaver" go
// through the program's interaction.
#include <gtest/gtest.h>

#include "interact/scripted_interaction.h"
#include "qt_test_application.h"
#include "shell/skin_message_boxes.h"
#include "skin/skin_message_box.h"
#include "skin/skin_startup.h"

using namespace kelmo;

TEST(SkinMessageBoxes, GoThroughTheProgramsInteraction) {
  ScriptedInteraction script;
  ScopedInteraction scope(script);
  RouteSkinMessageBoxes();
  script.messageAnswers = {MessageAnswer::No};
  EXPECT_EQ(skin::SkinMessageBoxSimple("Save?", 3, skin::mbYes | skin::mbNo, 0), skin::IDNO);
  // The program's start with "/kaver" shows the skin library's version.
  EXPECT_TRUE(skin::StartSkinModules({"user", "/KaVer"}));
  ASSERT_EQ(script.calls.size(), 2u);
  EXPECT_EQ(script.calls[0].caption, QStringLiteral("Confirm"));
  EXPECT_EQ(script.calls[0].icon, MessageIcon::Question);
  EXPECT_EQ(script.calls[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(script.calls[1].text, skin::SkinLibraryVersionText());
  EXPECT_EQ(script.calls[1].buttons, MessageButtons::Ok);
  skin::SetMessageBoxPresenter({});
}
