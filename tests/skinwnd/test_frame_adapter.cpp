// The frame adapter on a frame (a container of framework class "TFrame")
// of a form with the controls' fixture skin: the refusal of any other
// owner, the skin message answered for the frame, a plain section filled
// on erasing with no cache kept, the hot mark passed to every child, two
// adapters on one frame chaining, and the frame's own handling after.
#include <QPushButton>

#include "control_test_form.h"
#include "skin/skin_message_box.h"
#include "skinwnd/frame_adapter.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using namespace kelmo::skin;

namespace {

struct Frames : ControlForm {
  QWidget* frame = nullptr;
  QPushButton* child = nullptr;
  std::vector<ws::Msg> childHeard;

  void SetUp() override {
    ControlForm::SetUp();
    frame = new QWidget(&form);
    ws::SetClassRole(frame, QStringLiteral("TFrame"));
    frame->setGeometry(20, 20, 200, 140);
    child = new QPushButton(QStringLiteral("In"), frame);
    child->setGeometry(10, 10, 80, 26);
    ws::Subclass(ws::HandleOf(child), [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg == SM_SKINCMD) childHeard.push_back(m);
      next(m);
    });
    Show();
    SkinOn();
  }
};

TEST_F(Frames, AnyOtherOwnerIsRefused) {
  QStringList shown;
  auto previous = SetMessageBoxPresenter([&](const MessageBoxRequest& r) {
    shown << r.text;
    return 1;
  });
  TkFrameAdapter adapter(child);
  SetMessageBoxPresenter(previous);
  EXPECT_EQ(shown, QStringList{"TkFrameAdapter adapter must be placed on the handled frame"});
  EXPECT_FALSE(adapter.Frame);
  EXPECT_FALSE(adapter.Attached());
  EXPECT_NE(AskControl(child, scIsSkinned), 1);
  EXPECT_EQ(adapter.SkinData->SkinSection, QStringLiteral("GROUPBOX"));
}

TEST_F(Frames, AnswersForTheFrameAndPaintsAPlainSection) {
  TkFrameAdapter adapter(frame);
  ASSERT_TRUE(adapter.Attached());
  adapter.Loaded();
  EXPECT_EQ(adapter.SkinData->CtrlSkinState, kKindFrameAdapter);
  EXPECT_EQ(AskControl(frame, scIsSkinned), 1);
  const int group = Manager()->GetSkinIndex(QStringLiteral("GROUPBOX"));
  ASSERT_GE(group, 0);
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(frame), scGetSectionIndex, 0), group + 1);

  // A section without border mask or transparency on a plain container:
  // the frame is filled with the section's colour, nothing is cached.
  adapter.SkinData->SkinSection = QStringLiteral("PANEL");
  adapter.SkinData->UpdateIndexes();
  adapter.SkinData->ContainerFlags = 1;
  ASSERT_FALSE(adapter.SkinData->MustRepaint());
  const QImage img = Grab(frame);
  EXPECT_EQ(PixelOf(img, 150, 120), kPanelColor);
  EXPECT_TRUE(adapter.SkinData->FCacheBmp.isNull());

  // The hot mark reaches every child with the same argument.
  SendSkinCommand(ws::HandleOf(frame), scSetHot, 0, 1);
  EXPECT_TRUE(adapter.SkinData->FHot);
  ASSERT_FALSE(childHeard.empty());
  EXPECT_EQ(childHeard.back().wParam, SkinMessage(scSetHot, 0, 1).wParam);
}

TEST_F(Frames, TwoAdaptersChainAndLeaveTheFrameAsItWas) {
  auto first = std::make_unique<TkFrameAdapter>(frame);
  auto second = std::make_unique<TkFrameAdapter>(frame);
  EXPECT_EQ(AskControl(frame, scIsSkinned), 1);
  second.reset();
  EXPECT_EQ(AskControl(frame, scIsSkinned), 1);  // the first still answers
  first.reset();
  EXPECT_NE(AskControl(frame, scIsSkinned), 1);
  // Without a skin the frame's messages pass to its own handling.
  TkFrameAdapter adapter(frame);
  SkinOff();
  adapter.SkinData->SetHot(true);
  EXPECT_EQ(SendSkinCommand(ws::HandleOf(frame), scIsHot, 0), 0);
}

}  // namespace
