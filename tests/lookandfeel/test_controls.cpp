// The controls module: the hidden message window (sent and posted messages
// reach its window procedure; the shared one lives from first use to
// close-down) and the component that belongs to a control.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>
#include <vector>

#include "lookandfeel/control_child_component.h"
#include "lookandfeel/editors_startup.h"
#include "lookandfeel/message_window.h"
#include "qt_test_application.h"

namespace kelmo::le {
namespace {

// Records every message; answers those from 0x0400 on with their number
// plus WParam and gives the rest the default handling.
struct RecordingWindow : TleMessageWindow {
  std::vector<winshim::Msg> seen;
  void WndProc(winshim::Msg& m) override {
    seen.push_back(m);
    if (m.msg >= 0x0400)
      m.result = static_cast<winshim::LRESULT>(m.msg + m.wParam);
    else
      DefaultHandler(m);
  }
};

TEST(MessageWindow, TheBaseAnswersTheDefaultAndDerivedProceduresSeeEveryMessage) {
  TleMessageWindow plain;
  ASSERT_TRUE(winshim::IsWindow(plain.Handle()));
  EXPECT_FALSE(winshim::WidgetOf(plain.Handle())->isVisible());
  EXPECT_EQ(winshim::SendMessage(plain.Handle(), 0x0400, 7, 9), 0);

  RecordingWindow w;
  EXPECT_EQ(winshim::SendMessage(w.Handle(), 0x0401, 2, -3), 0x0403);
  EXPECT_EQ(winshim::SendMessage(w.Handle(), 0x0010), 0);  // default handling
  EXPECT_TRUE(winshim::PostMessage(w.Handle(), 0x0402, 1, 5));
  ASSERT_EQ(w.seen.size(), 2u);  // posted: not yet
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(w.seen.size(), 3u);
  EXPECT_EQ(w.seen[0].lParam, -3);
  EXPECT_EQ(w.seen[2].msg, 0x0402u);
  EXPECT_EQ(w.seen[2].lParam, 5);
}

TEST(MessageWindow, TheWindowGoesWithTheObject) {
  auto w = std::make_unique<RecordingWindow>();
  const winshim::HWND h = w->Handle();
  winshim::PostMessage(h, 0x0400);
  w.reset();
  EXPECT_FALSE(winshim::IsWindow(h));
  QCoreApplication::sendPostedEvents();  // nothing left to deliver to
  EXPECT_EQ(winshim::SendMessage(h, 0x0400), 0);
}

TEST(MessageWindow, SharedFromFirstUseToTheControlsCloseDown) {
  StartEditorsLibrary();
  EXPECT_TRUE(IsControlClassRegistered("TleControlChildComponent"));
  EXPECT_FALSE(SharedMessageWindowExists());  // made only when first asked
  TleMessageWindow& shared = SharedMessageWindow();
  EXPECT_EQ(&SharedMessageWindow(), &shared);
  EXPECT_TRUE(SharedMessageWindowExists());
  StopEditorsLibrary();
  EXPECT_FALSE(SharedMessageWindowExists());
  EXPECT_FALSE(IsControlClassRegistered("TleControlChildComponent"));
}

struct ListingControl : TleChildComponentControl {
  using TleChildComponentControl::TleChildComponentControl;
  std::vector<TleControlChildComponent*> forgotten;
  void ForgetChildComponent(TleControlChildComponent& c) override { forgotten.push_back(&c); }
};

struct Initialised : TleControlChildComponent {
  using TleControlChildComponent::TleControlChildComponent;
  int initialised = 0;
  void Initialize() override { ++initialised; }
};

TEST(ControlChildComponent, RecordsItsControlAndIsForgottenWhenDestroyed) {
  TComponent form(nullptr);
  ListingControl control(&form);
  struct Case {
    bool takeOwner;
    TComponent* expectedOwner;
  } cases[] = {{true, &form}, {false, nullptr}};
  for (const Case& c : cases) {
    auto child = TleControlChildComponent::CreateForControl<Initialised>(&control, c.takeOwner);
    EXPECT_EQ(child->Owner(), c.expectedOwner);
    EXPECT_EQ(child->initialised, 1);
    EXPECT_EQ(child->Control(), &control);
    EXPECT_EQ(child->GetParentComponent(), &control);
    EXPECT_TRUE(child->HasParent());
    child->SetParentComponent(nullptr);  // the framework's work only
    EXPECT_EQ(child->Control(), &control);
    EXPECT_FALSE(child->IsDestroying());
    TleControlChildComponent* raw = child.get();
    control.forgotten.clear();
    child.reset();
    EXPECT_EQ(control.forgotten, std::vector<TleControlChildComponent*>{raw});
  }

  // Without a control (or once it is cleared) nobody is told.
  auto loose = TleControlChildComponent::Create(&form);
  EXPECT_FALSE(loose->HasParent());
  EXPECT_EQ(loose->GetParentComponent(), nullptr);
  auto cleared = TleControlChildComponent::CreateForControl(&control, true);
  cleared->SetControl(nullptr);
  control.forgotten.clear();
  loose.reset();
  cleared.reset();
  EXPECT_TRUE(control.forgotten.empty());
}

}  // namespace
}  // namespace kelmo::le
