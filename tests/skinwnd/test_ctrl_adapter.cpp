// The control adapter on a form of Qt controls with the controls' fixture
// skin: which wrapper each control gets by its class name, the controls it
// leaves alone, the provider's veto, the scans' re-entry guard, stale items
// after a wrapper let its window go, and the controls' own look once the
// skin is removed.
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "adapter_fixture.h"
#include "control_test_form.h"
#include "skinwnd/button_wnd.h"
#include "skinwnd/ctrl_adapter.h"
#include "skinwnd/edit_wnd.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/panel_wnd.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::AskControl;
using kelmo::skin::scIsSkinned;
using kelmo::skin::scRemoveSkin;
using kelmo::skin::SkinMessage;
using kelmo::skinwnd::testing_provider::FakeProvider;

namespace {

enum List { kEdits = 0, kButtons = 1, kCheckBoxes = 3, kGroupBoxes = 6, kPanels = 8, kSpeed = 17 };

struct Adapter : ControlForm {
  FakeProvider provider{&form};
  std::unique_ptr<TkaCtrlAdapter> adapter;
  QPushButton* ok = nullptr;
  QGroupBox* group = nullptr;
  QCheckBox* check = nullptr;
  QFrame* panel = nullptr;
  QPushButton* inPanel = nullptr;
  QPushButton* leftAlone = nullptr;
  QLineEdit* edit = nullptr;
  QLabel* label = nullptr;

  void SetUp() override {
    ControlForm::SetUp();
    ok = new QPushButton(QStringLiteral("OK"), &form);
    ok->setGeometry(10, 10, 80, 26);
    group = new QGroupBox(QStringLiteral("Group"), &form);
    group->setGeometry(10, 50, 160, 80);
    check = new QCheckBox(QStringLiteral("Check"), group);
    check->setGeometry(10, 20, 100, 20);
    panel = new QFrame(&form);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);  // a raised panel: section PANEL
    panel->setGeometry(180, 50, 160, 80);
    inPanel = new QPushButton(QStringLiteral("Inner"), panel);
    inPanel->setGeometry(10, 10, 80, 26);
    leftAlone = new QPushButton(QStringLiteral("Own"), &form);
    leftAlone->setGeometry(100, 10, 80, 26);
    SetTag(leftAlone, kTagNeverSkin);
    edit = new QLineEdit(&form);
    edit->setGeometry(10, 150, 120, 22);
    label = new QLabel(QStringLiteral("Label"), &form);
    label->setGeometry(150, 150, 80, 20);
    Show();
    SkinOn();
    SetList(kButtons, {"QPushButton"});
    SetList(kCheckBoxes, {"QCheckBox"});
    SetList(kGroupBoxes, {"QGroupBox"});
    SetList(kPanels, {"QFrame"});
    adapter = std::make_unique<TkaCtrlAdapter>(provider);
  }
  void TearDown() override {
    adapter.reset();
    ControlForm::TearDown();
  }
  void SetList(int index, QStringList names) { manager.ThirdLists[std::size_t(index)] = names; }
  static TkaMainWnd* WrapperOf(QWidget* w) { return WrapperOfWnd(ws::HandleOf(w)); }
  TkaAdapterItem* ItemOf(QWidget* w) const {
    for (int i = 0; i < adapter->Count(); ++i)
      if (adapter->GetItem(i)->Ctrl == w) return adapter->GetItem(i);
    return nullptr;
  }
};

TEST_F(Adapter, WrapsTheListedControlsOfTheWholeFormAndGivesThemBack) {
  adapter->AddAllItems();
  EXPECT_EQ(adapter->Count(), 5);
  EXPECT_TRUE(dynamic_cast<TkaBtnWnd*>(WrapperOf(ok)));
  EXPECT_TRUE(dynamic_cast<TkaBtnWnd*>(WrapperOf(inPanel)));  // inside a wrapped panel
  EXPECT_TRUE(dynamic_cast<TkaCheckBoxWnd*>(WrapperOf(check)));
  EXPECT_TRUE(dynamic_cast<TkaGroupBoxWnd*>(WrapperOf(group)));
  EXPECT_TRUE(dynamic_cast<TkaPanelWnd*>(WrapperOf(panel)));
  // The tagged button, the unlisted edit and the label get no wrapper.
  EXPECT_EQ(WrapperOf(leftAlone), nullptr);
  EXPECT_EQ(WrapperOf(edit), nullptr);
  EXPECT_EQ(WrapperOf(label), nullptr);
  // Each item owns its control's link, in the section its list names.
  EXPECT_EQ(ItemOf(ok)->SkinData->SkinSection, QStringLiteral("BUTTON"));
  EXPECT_EQ(ItemOf(check)->SkinData->SkinSection, QStringLiteral("CHECKBOX"));
  EXPECT_EQ(ItemOf(group)->SkinData->SkinSection, QStringLiteral("GROUPBOX"));
  EXPECT_EQ(ItemOf(panel)->SkinData->SkinSection, QStringLiteral("PANEL"));
  EXPECT_EQ(ItemOf(ok)->SkinData->CtrlSkinState, kKindAdapterItem);
  EXPECT_EQ(AskControl(ok, scIsSkinned), 1);
  // The label was offered and accepted: transparent, in the global font
  // colour (the fixture's GLOBALINFO gives black).
  EXPECT_FALSE(label->autoFillBackground());
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  // A second scan adds nothing.
  adapter->AddAllItems();
  EXPECT_EQ(adapter->Count(), 5);

  // The skin goes: every wrapper lets its window go, the adapter is freed.
  SkinOff();
  ws::Msg remove = SkinMessage(scRemoveSkin, ws::LPARAM(Manager()));
  adapter->BroadcastMessage(remove);
  adapter.reset();
  for (QWidget* w :
       {static_cast<QWidget*>(ok), static_cast<QWidget*>(inPanel), static_cast<QWidget*>(check),
        static_cast<QWidget*>(group), static_cast<QWidget*>(panel)}) {
    EXPECT_EQ(WrapperOf(w), nullptr);
    EXPECT_NE(AskControl(w, scIsSkinned), 1);
  }
}

TEST_F(Adapter, ClassNamesDecideExactlyAndTheLowerListWins) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, QStringList>> lists;
    QString role;  // the framework class the button claims
    bool wrapped;
    bool edit;  // wrapped as an edit
  };
  const Case cases[] = {
      {"two lists: the lower index",
       {{kEdits, {"QPushButton"}}, {kButtons, {"QPushButton"}}},
       {},
       true,
       true},
      {"speed-button list only", {{kButtons, {}}, {kSpeed, {"QPushButton"}}}, {}, false, false},
      {"the speed-button list decides nothing",
       {{kButtons, {"QPushButton"}}, {kSpeed, {"QPushButton"}}},
       {},
       true,
       false},
      {"a descendant is not its ancestor",
       {{kButtons, {"QPushButton"}}},
       QStringLiteral("TMyButton"),
       false,
       false},
      {"names compare with case", {{kButtons, {"qpushbutton"}}}, {}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto* button = new QPushButton(QStringLiteral("B"), &form);
    if (!c.role.isEmpty()) ws::SetClassRole(button, c.role);
    button->show();
    for (int i = 0; i < kelmo::skin::kThirdPartyCount; ++i) SetList(i, {});
    for (const auto& [list, names] : c.lists) SetList(list, names);
    TkaCtrlAdapter own(provider);
    own.AddNewItem(button);
    EXPECT_EQ(own.Count(), c.wrapped ? 1 : 0);
    EXPECT_EQ(WrapperOf(button) != nullptr, c.wrapped);
    EXPECT_EQ(dynamic_cast<TkaEditWnd*>(WrapperOf(button)) != nullptr, c.edit);
    delete button;
  }
}

TEST_F(Adapter, RulesVetoAndReentry) {
  // Without the third-party rule the scan does nothing, while a control
  // the provider adds itself is still wrapped.
  manager.SkinningRules &= ~kelmo::skin::srThirdParty;
  adapter->AddAllItems();
  EXPECT_EQ(adapter->Count(), 0);
  adapter->AddNewItem(ok);
  EXPECT_NE(WrapperOf(ok), nullptr);
  manager.SkinningRules |= kelmo::skin::srThirdParty;

  // The provider refuses the group box and moves the panel to another
  // section; a scan started from inside the scan does nothing.
  int nested = 0;
  provider.OnSkinItem = [&](QObject* item, bool& canBeAdded, QString& section) {
    if (item == group) canBeAdded = false;
    if (item == panel) section = QStringLiteral("PANEL_LOW");
    const int before = adapter->Count();
    adapter->AddAllItems();
    nested += adapter->Count() - before;
  };
  adapter->AddAllItems();
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(WrapperOf(group), nullptr);
  EXPECT_NE(WrapperOf(check), nullptr);  // the refused box's children are still scanned
  // A section the list fixes wins over the provider's.
  EXPECT_EQ(ItemOf(panel)->SkinData->SkinSection, QStringLiteral("PANEL"));
}

TEST_F(Adapter, StaleItemsAreReplacedAndCleaned) {
  adapter->AddAllItems();
  ASSERT_EQ(adapter->Count(), 5);
  EXPECT_EQ(adapter->GetItem(-1), nullptr);
  EXPECT_EQ(adapter->GetItem(adapter->Count()), nullptr);
  // The button's wrapper lets its window go: the same item gets a new one.
  TkaAdapterItem* item = ItemOf(ok);
  item->ScrollWnd->Release(false);
  EXPECT_EQ(WrapperOf(ok), nullptr);
  adapter->AddNewItem(ok);
  EXPECT_EQ(ItemOf(ok), item);
  ASSERT_TRUE(item->ScrollWnd);
  EXPECT_FALSE(item->ScrollWnd->Released);
  EXPECT_EQ(WrapperOf(ok), item->ScrollWnd.get());
  // Two stale items in a row go in one pass, the rest keep their order.
  std::vector<QWidget*> order;
  for (int i = 0; i < adapter->Count(); ++i) order.push_back(adapter->GetItem(i)->Ctrl);
  adapter->GetItem(1)->ScrollWnd->Release(false);
  adapter->GetItem(2)->ScrollWnd->Release(false);
  adapter->CleanItems();
  ASSERT_EQ(adapter->Count(), 3);
  EXPECT_EQ(adapter->GetItem(0)->Ctrl, order[0]);
  EXPECT_EQ(adapter->GetItem(1)->Ctrl, order[3]);
  EXPECT_EQ(adapter->GetItem(2)->Ctrl, order[4]);
  // Removing an item moves the last into its place.
  adapter->RemoveItem(0);
  ASSERT_EQ(adapter->Count(), 2);
  EXPECT_EQ(adapter->GetItem(0)->Ctrl, order[4]);
  adapter->RemoveItem(7);
  EXPECT_EQ(adapter->Count(), 2);
}

}  // namespace
