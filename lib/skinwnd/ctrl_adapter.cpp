#include "skinwnd/ctrl_adapter.h"

#include <QLabel>
#include <array>

#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/button_wnd.h"
#include "skinwnd/combo_box_wnd.h"
#include "skinwnd/edit_wnd.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/grid_wnd.h"
#include "skinwnd/list_view_wnd.h"
#include "skinwnd/panel_wnd.h"
#include "skinwnd/provider_face.h"
#include "skinwnd/speed_button.h"
#include "skinwnd/status_bar_wnd.h"
#include "skinwnd/tab_wnd.h"
#include "skinwnd/tool_bar_wnd.h"
#include "skinwnd/virtual_tree_wnd.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

using WrapperFactory = std::unique_ptr<TkaMainWnd> (*)(HWND, TkCommonData*, TkSkinManager*,
                                                       const QString&);

template <typename T>
std::unique_ptr<TkaMainWnd> Make(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                                 const QString& section) {
  return MakeWrapper<T>(wnd, link, manager, section, true);
}

// By class list: the wrapper, the link's section (null: kept) and the
// section the wrapper is given.
struct WrapperChoice {
  WrapperFactory make;
  const char* linkSection;
  const char* wrapperSection;
};
const std::array<WrapperChoice, kThirdPartyCount> kChoices = {{
    {&Make<TkaEditWnd>, nullptr, "EDIT"},
    {&Make<TkaBtnWnd>, "BUTTON", "BUTTON"},
    {&Make<TkaBitBtnWnd>, "BUTTON", "BUTTON"},
    {&Make<TkaCheckBoxWnd>, "CHECKBOX", ""},
    {&Make<TkaComboBoxWnd>, nullptr, "EDIT"},
    {&Make<TkaGridWnd>, nullptr, "EDIT"},
    {&Make<TkaGroupBoxWnd>, "GROUPBOX", ""},
    {&Make<TkaListViewWnd>, nullptr, "EDIT"},
    {&Make<TkaPanelWnd>, "PANEL", "PANEL"},
    {&Make<TkaTreeViewWnd>, nullptr, "EDIT"},
    {&Make<TkaWWComboBoxWnd>, nullptr, "EDIT"},
    {&Make<TkaGridEhWnd>, nullptr, "EDIT"},
    {&Make<TkaVirtualTreeViewWnd>, nullptr, "EDIT"},
    {&Make<TkaPageControlWnd>, "PAGECONTROL", "PAGECONTROL"},
    {&Make<TkaTabControlWnd>, "PAGECONTROL", "PAGECONTROL"},
    {&Make<TkaToolBarVCLWnd>, "TOOLBAR", "TOOLBAR"},
    {&Make<TkaStatusBarWnd>, "STATUSBAR", "STATUSBAR"},
    {nullptr, nullptr, nullptr},  // speed buttons: no wrapper
}};
constexpr int kSpeedButtonList = 17;

// A graphic control of the framework: a label or a speed button; every
// other widget is a windowed control.
bool IsGraphic(const QWidget* control) {
  return qobject_cast<const QLabel*>(control) ||
         ComponentClassName(control) == QLatin1String("TXtSpeedButton");
}

bool Released(const TkaMainWnd* wrapper) {
  return wrapper && wrapper->Released;
}

void SetLinkSection(TkCommonData& link, const QString& section) {
  link.SkinSection = section.toUpper();
  link.UpdateIndexes();
}

TkSkinManagerComponent* ComponentOf(TkSkinManager* manager) {
  return manager ? manager->Component : nullptr;
}

// Makes a label transparent and gives it the global font colour.
void SkinLabel(QLabel* label) {
  label->setAutoFillBackground(false);
  TkSkinManager* manager = TkSkinManager::Default();
  const TColor c = manager ? manager->GetGlobalFontColor() : kTransparentKey;
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText,
               QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)));
  label->setPalette(pal);
}

// The item's link belongs to the control it skins (with a cache and the
// adapter's kind); a link of another owner passes on its section and
// manager.
void LinkFor(std::unique_ptr<TkCommonData>& link, QWidget* control) {
  if (link && link->Owner() == control) return;
  auto own = std::make_unique<TkCommonData>(control, true);
  own->CtrlSkinState = kKindAdapterItem;
  if (link) {
    own->SkinSection = link->SkinSection;
    own->SkinManager = link->SkinManager;
  }
  link = std::move(own);
}

// The item of the control, appended when there is none; whether it is new.
template <typename Item>
std::pair<Item*, bool> ItemOf(std::vector<std::unique_ptr<Item>>& items, TkaCtrlAdapter* adapter,
                              QWidget* control) {
  for (const auto& it : items)
    if (it->Ctrl == control) return {it.get(), false};
  items.push_back(std::make_unique<Item>(adapter));
  Item* item = items.back().get();
  item->Ctrl = control;
  LinkFor(item->SkinData, control);
  return {item, true};
}

}  // namespace

AdapterUnitState& AdapterState() {
  static AdapterUnitState state;
  return state;
}

bool AnswersSkinned(QWidget* control) {
  return control && AskControl(control, scIsSkinned) == 1;
}

TkaAdapterItem::TkaAdapterItem(TkaCtrlAdapter* adapter) : Adapter(adapter) {}

TkaAdapterItem::~TkaAdapterItem() {
  ScrollWnd.reset();
  SkinData.reset();
}

void TkaAdapterItem::DoHook(QWidget* control) {
  if (!control || TagOf(control) == kTagNeverSkin) return;
  if (control->parentWidget() && AnswersSkinned(control)) return;
  Ctrl = control;
  LinkFor(SkinData, control);
  if (!control->parentWidget()) return;
  TkSkinManager* manager = SkinData->GetSkinManager();
  TkSkinManagerComponent* component = ComponentOf(manager);
  if (!component) return;
  const QString name = ComponentClassName(control);
  for (int list = 0; list < kThirdPartyCount; ++list) {
    if (!component->ThirdLists[std::size_t(list)].contains(name, Qt::CaseSensitive)) continue;
    if (list == kSpeedButtonList) continue;
    const WrapperChoice& choice = kChoices[std::size_t(list)];
    if (choice.linkSection) SetLinkSection(*SkinData, QString::fromLatin1(choice.linkSection));
    ScrollWnd = choice.make(ws::HandleOf(control), SkinData.get(), manager,
                            QString::fromLatin1(choice.wrapperSection));
    return;
  }
}

TkaGraphItem::TkaGraphItem(TkaCtrlAdapter* adapter) : Adapter(adapter) {}

TkaGraphItem::~TkaGraphItem() {
  Handler.reset();
  SkinData.reset();
}

void TkaGraphItem::DoHook(QWidget* control) {
  if (!control || TagOf(control) == kTagNeverSkin) return;
  Ctrl = control;
  LinkFor(SkinData, control);
  Handler = std::make_unique<TkaSpeedButtonHandler>(control, SkinData->SkinSection,
                                                    SkinData->GetSkinManager(), SkinData.get());
}

TkaCtrlAdapter::TkaCtrlAdapter(TkProviderFace& provider) : Provider(provider) {}

TkaCtrlAdapter::~TkaCtrlAdapter() {
  CleanItems();
  RemoveAllItems();
}

TkSkinManager* TkaCtrlAdapter::LinkManager() const {
  TkCommonData* link = Provider.ProviderLink();
  return link ? link->GetSkinManager() : nullptr;
}

bool TkaCtrlAdapter::Offer(QWidget* control, QString& section) {
  bool canBeAdded = true;
  if (Provider.OnSkinItem) Provider.OnSkinItem(control, canBeAdded, section);
  return canBeAdded;
}

bool TkaCtrlAdapter::IsSupported(QWidget* control) {
  if (!control || TagOf(control) == kTagNeverSkin) return false;
  if (IsGraphic(control)) {
    if (!qobject_cast<QLabel*>(control)) return false;
    QString section;
    return Offer(control, section);
  }
  if (AnswersSkinned(control)) return false;
  TkSkinManagerComponent* component = ComponentOf(LinkManager());
  if (!component) return false;
  const QString name = ComponentClassName(control);
  for (const QStringList& list : component->ThirdLists)
    if (list.contains(name, Qt::CaseSensitive)) return true;
  return false;
}

TkaAdapterItem* TkaCtrlAdapter::GetItem(int index) const {
  return index >= 0 && index < Count() ? Items[std::size_t(index)].get() : nullptr;
}

void TkaCtrlAdapter::ScanOne(QWidget* component, bool ownedPass) {
  if (IsSupported(component)) {
    if (!IsGraphic(component))
      AddNewItem(component, QStringLiteral("EDIT"));
    else if (auto* label = qobject_cast<QLabel*>(component);
             label && (!ownedPass || TagOf(label) != 98))
      SkinLabel(label);
  }
  if (!IsGraphic(component) && component->parentWidget()) {
    // The descent may scan; once back, the outer scan is guarded again (a
    // scan started from inside it would otherwise run, and could recurse
    // without end).
    AdapterState().AdapterScanning = false;
    AddAllItems(component);
    AdapterState().AdapterScanning = true;
  }
}

void TkaCtrlAdapter::AddAllItems(QWidget* control) {
  AdapterUnitState& state = AdapterState();
  if (state.AdapterScanning) return;
  TkSkinManagerComponent* component = ComponentOf(LinkManager());
  if (!component || !(component->SkinningRules & srThirdParty)) return;
  state.AdapterScanning = true;
  if (!control) control = Provider.ProviderForm();
  CleanItems();
  if (control) {
    // A form owns every control designed on it; a control owns none.
    if (control->isWindow() || control == Provider.ProviderForm()) {
      const QList<QPointer<QWidget>> owned = [&] {
        QList<QPointer<QWidget>> out;
        for (QWidget* w : control->findChildren<QWidget*>())
          if (!w->isWindow() && w->window() == control->window()) out.append(w);
        return out;
      }();
      for (const QPointer<QWidget>& w : owned)
        if (w) ScanOne(w, true);
    }
    QList<QPointer<QWidget>> children;
    for (QObject* o : control->children())
      if (o->isWidgetType() && !static_cast<QWidget*>(o)->isWindow())
        children.append(static_cast<QWidget*>(o));
    for (const QPointer<QWidget>& w : children)
      if (w) ScanOne(w, false);
  }
  state.AdapterScanning = false;
}

void TkaCtrlAdapter::AddNewItem(QWidget* control, const QString& sectionName) {
  if (!control || TagOf(control) == kTagNeverSkin || !control->parentWidget()) return;
  if (AnswersSkinned(control)) return;
  QString section = sectionName;
  if (!Offer(control, section)) return;
  const auto [item, isNew] = ItemOf(Items, this, control);
  SetLinkSection(*item->SkinData, section);
  if (!isNew) {
    if (Released(item->ScrollWnd.get())) {
      item->ScrollWnd.reset();
      if (control->parentWidget()) item->DoHook(control);
    }
    return;
  }
  if (control->parentWidget()) item->DoHook(control);
  if (!item->ScrollWnd) Items.pop_back();
}

void TkaCtrlAdapter::AddGraphItem(QWidget* control) {
  if (!control || TagOf(control) == kTagNeverSkin || !control->parentWidget()) return;
  if (SkinCommandToControl(control, scIsSkinned, 0) == 1) return;
  QString section = QStringLiteral("SPEEDBUTTON");
  if (!Offer(control, section)) return;
  const auto [item, isNew] = ItemOf(GraphItems, this, control);
  // The flat speed buttons take the small section.
  const bool flat = control->property("flat").toBool();
  SetLinkSection(*item->SkinData,
                 flat ? QStringLiteral("SPEEDBUTTON_SMALL") : QStringLiteral("SPEEDBUTTON"));
  if (!isNew) {
    if (item->Handler && item->Handler->Released) {
      item->Handler.reset();
      item->DoHook(control);
    }
    return;
  }
  if (control->parentWidget()) item->DoHook(control);
  if (!item->Handler) GraphItems.pop_back();
}

void TkaCtrlAdapter::RemoveItem(int index) {
  if (Count() == 0 || index < 0 || index >= Count()) return;
  Items[std::size_t(index)].reset();
  Items[std::size_t(index)] = std::move(Items.back());
  Items.pop_back();
}

void TkaCtrlAdapter::CleanItems() {
  std::erase_if(Items, [](const std::unique_ptr<TkaAdapterItem>& item) {
    return !item->ScrollWnd || item->ScrollWnd->Released;
  });
  std::erase_if(GraphItems, [](const std::unique_ptr<TkaGraphItem>& item) {
    return !item->Handler || item->Handler->Released;
  });
}

void TkaCtrlAdapter::RemoveAllItems() {
  WrapperUnitState& state = WrapperState();
  if (state.AdapterRemovingAll) return;
  state.AdapterRemovingAll = true;
  while (!Items.empty()) Items.pop_back();
  while (!GraphItems.empty()) GraphItems.pop_back();
  state.AdapterRemovingAll = false;
}

void TkaCtrlAdapter::BroadcastMessage(winshim::Msg& message) {
  // A receiver may make or drop items: walk a snapshot of the controls.
  std::vector<QPointer<QWidget>> targets;
  for (const auto& item : Items)
    if (item->ScrollWnd && !item->ScrollWnd->Released && item->Ctrl && item->Ctrl->parentWidget())
      targets.emplace_back(item->Ctrl);
  for (const QPointer<QWidget>& control : targets)
    if (control)
      ws::SendMessage(ws::HandleOf(control), message.msg, message.wParam, message.lParam);
}

}  // namespace kelmo::skinwnd
