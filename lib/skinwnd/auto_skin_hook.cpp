#include "skinwnd/auto_skin_hook.h"

#include <QAbstractScrollArea>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "skin/skin_manager.h"
#include "skin/skin_message_box.h"
#include "skin/skin_messages.h"
#include "skinwnd/button_wnd.h"
#include "skinwnd/combo_box_wnd.h"
#include "skinwnd/control_queries.h"
#include "skinwnd/dialog_wnd.h"
#include "skinwnd/edit_wnd.h"
#include "skinwnd/form_provider.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/list_view_wnd.h"
#include "skinwnd/menu_wnd.h"
#include "skinwnd/panel_wnd.h"
#include "skinwnd/skinned_menus.h"
#include "skinwnd/spin_wnd.h"
#include "skinwnd/static_wnd.h"
#include "skinwnd/status_bar_wnd.h"
#include "skinwnd/tab_wnd.h"
#include "skinwnd/tool_bar_wnd.h"
#include "winshim/hooks.h"
#include "winshim/non_client.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

// A form or control with this tag is never skinned (the library's own
// auxiliary windows carry it).
constexpr int kNeverSkinnedTag = -98;
constexpr std::uint32_t TCS_OWNERDRAWFIXED = 0x2000;
constexpr std::uint32_t TBSTYLE_FLAT_BAR = 0x200;

bool AnswersSkinned(HWND wnd) {
  return SendSkinCommand(wnd, scIsSkinned, 0) != 0;
}

TkSkinManagerComponent* DefaultComponent() {
  TkSkinManager* m = TkSkinManager::Default();
  return m ? m->Component : nullptr;
}

// Desktop composition: the platform has none here (as DWM reports it off).
bool CompositionEnabled() {
  return false;
}

void Append(std::unique_ptr<TkaProvider> provider) {
  AutoSkin().AutoProviders.push_back(std::move(provider));
}

// A form's provider goes with its form.
void FreeWithForm(QWidget* form, TkaProvider* provider) {
  QObject::connect(form, &QObject::destroyed, [provider] {
    for (auto& slot : AutoSkin().AutoProviders)
      if (slot.get() == provider) slot.reset();
  });
}

void SkinForm(QWidget* form) {
  auto provider = std::make_unique<TkaProvider>(form);
  TkaProvider* raw = provider.get();
  Append(std::move(provider));
  FreeWithForm(form, raw);
  raw->InitForm(form);
}

// A scroll area's own bars are no windows of the dialog's: they are the
// area's, which its wrapper paints.
bool IsAreaBar(HWND wnd) {
  QWidget* w = ws::WidgetOf(wnd);
  for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
    if (qobject_cast<QAbstractScrollArea*>(p)) return true;
  return false;
}

bool IsQtClass(const QWidget& w) {
  return QLatin1String(w.metaObject()->className()).startsWith(QLatin1Char('Q'));
}

}  // namespace

AutoSkinUnit& AutoSkin() {
  static AutoSkinUnit unit;
  return unit;
}

void StartAutoSkinning() {
  StartSkinnedMenus();
  TkAutoSkinProcs& procs = AutoSkinProcs();
  procs.Notice = AutoSkinNotice;
  procs.Installed = [] {
    if (TkSkinManagerComponent* c = DefaultComponent()) SyncActive(c->Menus);
  };
  procs.Removed = [] {
    ClearMnuArray();
    // Every provider goes (a form's leaves its form provider to the form).
    std::vector<std::unique_ptr<TkaProvider>> providers = std::move(AutoSkin().AutoProviders);
    AutoSkin().AutoProviders.clear();
    providers.clear();
    if (TkSkinManagerComponent* c = DefaultComponent()) SetActive(c->Menus, false);
  };
}

void ClearMnuArray() {
  AutoSkin().TkaMnuArray.clear();
}

QWidget* FindFormOfWnd(HWND wnd) {
  QWidget* w = ws::WidgetOf(wnd);
  if (!w) return nullptr;
  if (w->isWindow()) {
    const Qt::WindowType type = w->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen) return nullptr;
    const QString name = ws::GetClassName(wnd);
    if (name == QLatin1String("#32768")) return nullptr;
    // A dialog class of the program's own is one of its forms; Qt's dialogs
    // (a plain QDialog, the message box, the file dialog, ...) are the
    // platform's standard dialogs.
    if (name == QLatin1String("#32770") && IsQtClass(*w)) return nullptr;
    return w;
  }
  if (IsMdiChild(w) && static_cast<QMdiSubWindow*>(w)->mdiArea()) return w;
  return nullptr;
}

TkaProvider* FindProviderOfWnd(HWND wnd) {
  for (const auto& p : AutoSkin().AutoProviders)
    if (p && p->DlgHandle == wnd) return p.get();
  return nullptr;
}

int VisibleDialogCount() {
  int n = 0;
  for (const auto& p : AutoSkin().AutoProviders)
    if (p && p->DialogWnd && ws::WidgetOf(p->DialogWnd->WndHandle) &&
        ws::WidgetOf(p->DialogWnd->WndHandle)->isVisible())
      ++n;
  return n;
}

bool HasChildOfClass(HWND wnd, const QString& className) {
  for (HWND child : ws::GetChildren(wnd)) {
    if (ws::GetClassName(child).toLower() == className) return true;
    if (HasChildOfClass(child, className)) return true;
  }
  return false;
}

std::vector<QWidget*> MdiChildrenOf(const QWidget* form) {
  std::vector<QWidget*> out;
  if (QMdiArea* area = MdiClientOf(form))
    for (QMdiSubWindow* sub : area->subWindowList()) out.push_back(sub);
  return out;
}

void AutoSkinNotice(int code, ws::WPARAM wParam) {
  const HWND wnd = HWND(wParam);
  switch (code) {
    case ws::HCBT_CREATEWND: {
      TkSkinManagerComponent* c = DefaultComponent();
      if (ws::GetClassName(wnd) != QLatin1String("#32768") || CompositionEnabled() || !c ||
          !c->SkinnedPopups() || AnswersSkinned(wnd))
        return;
      AddMenuWrapper(wnd, &c->Manager, QStringLiteral("MAINMENU"));
      AutoSkin().TkaMnuArray.push_back(wnd);
      // A menu made while the menus are skinned (a control's own context
      // menu) is painted by the menu object like those hooked before it.
      if (auto* menu = qobject_cast<QMenu*>(ws::WidgetOf(wnd)); menu && c->Menus.Active)
        HookMenu(c->Menus, menu, true);
      return;
    }
    case ws::HCBT_DESTROYWND:
      ReleaseDeadDialogs();
      return;
    case ws::HCBT_ACTIVATE:
      AutoSkinWindow(wnd);
      return;
    default:
      return;
  }
}

int AutoSkinWindow(HWND wnd) {
  TkSkinManagerComponent* c = DefaultComponent();
  if (!ws::IsWindow(wnd) || AnswersSkinned(wnd) || !c || FindProviderOfWnd(wnd)) return 0;
  QWidget* form = FindFormOfWnd(wnd);
  if (form && form->property("Tag").toInt() == kNeverSkinnedTag) return 0;
  const QString name = ws::GetClassName(wnd);
  if (form) {
    if (name == QLatin1String("TApplication") || name == QLatin1String("TQRStandardPreview") ||
        name == QLatin1String("TfcPopup"))
      return 0;
    const unsigned rule = name == QLatin1String("TMessageForm") ? srStdDialogs : srStdForms;
    if (!(c->SkinningRules & rule)) return 0;
    SkinForm(form);
    if (MdiClientOf(form))
      for (QWidget* child : MdiChildrenOf(form))
        if (!AnswersSkinned(ws::HandleOf(child))) SkinForm(child);
    return 1;
  }
  if (name == QLatin1String("#32770") && (c->SkinningRules & srStdDialogs)) {
    if (VisibleDialogCount() > 0 && !HasChildOfClass(wnd, QStringLiteral("toolbarwindow32")))
      return 0;
    auto provider = std::make_unique<TkaProvider>(nullptr);
    TkaProvider* raw = provider.get();
    Append(std::move(provider));
    if (!raw->InitDialog(wnd))
      for (auto& slot : AutoSkin().AutoProviders)
        if (slot.get() == raw) slot.reset();
    return 1;
  }
  return 0;
}

void ReleaseDeadDialogs() {
  for (auto& slot : AutoSkin().AutoProviders)
    if (slot && slot->DialogWnd && slot->DialogWnd->Released) slot.reset();
}

TkaProvider::TkaProvider(QWidget* ownerForm) : OwnerForm(ownerForm) {}

TkaProvider::~TkaProvider() {
  // A dialog's wrappers go with it; a form keeps its form provider.
  ChildWrappers.clear();
  DialogWnd.reset();
}

void TkaProvider::InitForm(QWidget* form) {
  if (!form) return;
  // A form keeps the provider the hook gave it once; the form owns it.
  SkinProvider = TkSkinProvider::Of(form);
  if (!SkinProvider) {
    SkinProvider = new TkSkinProvider(form);
    TkSkinProvider* made = SkinProvider;
    QObject::connect(form, &QObject::destroyed, [form, made] {
      if (TkSkinProvider::Of(form) == made) delete made;
    });
    made->AfterConstruction();
    // The form comes into the skin in force as every form did when the
    // skin was switched on: the new skin, then the repaint that gives it
    // the skin's frame.
    const ws::LPARAM manager = ws::LPARAM(TkSkinManager::Default());
    SendSkinCommand(ws::HandleOf(form), scNewSkin, manager);
    SendSkinCommand(ws::HandleOf(form), scRepaint, manager);
  }
  SkinProvider->MakeSkinMenu = false;
}

void TkaProvider::MakeDialogWnd(HWND wnd) {
  TkSkinManager* m = TkSkinManager::Default();
  if (m && m->Active && m->SkinData.SkinActive) {
    if (DialogWnd && DialogWnd->Released) DialogWnd.reset();
    if (!DialogWnd)
      DialogWnd = MakeWrapper<TkaDialogWnd>(wnd, nullptr, m, QStringLiteral("DIALOG"), false);
    return;
  }
  DialogWnd.reset();
}

bool TkaProvider::InitDialog(HWND wnd) {
  DlgHandle = wnd;
  TkSkinManager* m = TkSkinManager::Default();
  if (DialogWnd || !m || !m->Active || !m->SkinData.SkinActive) return true;
  const QString name = ws::GetClassName(wnd);
  if (name != QLatin1String("#32770") && name != QLatin1String("TMessageForm")) return true;
  MakeDialogWnd(wnd);
  if (!DialogWnd) return true;
  DialogWnd->Provider = this;
  if (!SkinChildWindows(wnd)) return false;
  DialogWnd->InitStyles();
  // The place the library's message box asked for is the window's outer
  // corner, which the skin's frame has only now.
  if (MessageBoxX() != -1 || MessageBoxY() != -1)
    ws::SetWindowPos(wnd, MessageBoxX(), MessageBoxY(), 0, 0,
                     ws::SWP_NOOWNERZORDER | ws::SWP_NOSIZE | ws::SWP_NOZORDER);
  SendSkinCommand(wnd, scNewSkin, ws::LPARAM(m));
  return true;
}

bool TkaProvider::SkinChildWindows(HWND wnd) {
  for (HWND child : ws::GetChildren(wnd)) {
    if (!SkinChildWindows(child)) return false;
    if ((ws::GetWindowLong(child, ws::GWL_STYLE) & ws::WS_CHILD) && !SkinChildWindow(child))
      return false;
  }
  return true;
}

bool TkaProvider::SkinChildWindow(HWND wnd) {
  if (!wnd) return false;
  if (AnswersSkinned(wnd)) return true;
  TkSkinManager* m = DialogWnd && DialogWnd->SkinLink ? DialogWnd->SkinLink->GetSkinManager()
                                                      : TkSkinManager::Default();
  const QString name = ws::GetClassName(wnd).toLower();
  const std::uint32_t style = ws::GetWindowLong(wnd, ws::GWL_STYLE);
  WrapperUnitState& unit = WrapperState();
  const bool wrapping = unit.WrappingDialog;
  unit.WrappingDialog = true;
  auto make = [&]<typename T>(const char* section) -> std::unique_ptr<TkaMainWnd> {
    return MakeWrapper<T>(wnd, nullptr, m, QLatin1String(section), true);
  };
  auto editLike = [&] {
    if (DialogWnd) DialogWnd->SkipClientPaint = false;
  };
  std::unique_ptr<TkaMainWnd> wrapper;
  bool geometry = true;
  // Buttons and statics go by their type field, as their wrappers classify
  // them: owner-drawn buttons and the static kinds without a text or a
  // picture keep the platform's painting.
  if (name == QLatin1String("static")) {
    wrapper = WrapStaticWnd(wnd, m);
  } else if (name == QLatin1String("button")) {
    wrapper = WrapButtonWnd(wnd, m);
  } else if (name == QLatin1String("#32770") || name.contains(QLatin1String("shbrowseforfolder"))) {
    wrapper = make.operator()<TkaTransPanelWnd>("CHECKBOX");
  } else if (name == QLatin1String("tpanel") || name == QLatin1String("tsilentpaintpanel")) {
    wrapper = make.operator()<TkaDlgPanelWnd>("PANEL");
    geometry = false;
  } else if (name == QLatin1String("combobox") || name == QLatin1String("comboboxex32")) {
    editLike();
    wrapper = make.operator()<TkaComboBoxWnd>("COMBOBOX");
  } else if (name == QLatin1String("combolbox")) {
    editLike();
    wrapper = make.operator()<TkaEditWnd>("COMBOBOX");
  } else if (name == QLatin1String("scrollbar")) {
    if (!IsAreaBar(wnd)) wrapper = make.operator()<TkaSizerWnd>("CHECKBOX");
  } else if (name == QLatin1String("systabcontrol32")) {
    if (!(style & TCS_OWNERDRAWFIXED)) wrapper = make.operator()<TkaTabControlWnd>("PAGECONTROL");
  } else if (name == QLatin1String("syslistview32")) {
    wrapper = make.operator()<TkaListViewWnd>("EDIT");
  } else if (name == QLatin1String("msctls_updown32")) {
    auto spin =
        std::make_unique<TkaSpinWnd>(wnd, nullptr, m, QStringLiteral("SPEEDBUTTON_SMALL"), true);
    spin->LeftIndent = 2;
    spin->Init(true);
    wrapper = std::move(spin);
  } else if (name == QLatin1String("listbox")) {
    wrapper = make.operator()<TkaEditWnd>("EDIT");
  } else if (name == QLatin1String("link window") || name == QLatin1String("syslink")) {
    wrapper = make.operator()<TkaLinkWnd>("CHECKBOX");
  } else if (name == QLatin1String("toolbarwindow32")) {
    wrapper = make.operator()<TkaToolBarWnd>(style & TBSTYLE_FLAT_BAR ? "BAR" : "CHECKBOX");
  } else if (name == QLatin1String("edit")) {
    editLike();
    if (style & ws::WS_VISIBLE) wrapper = make.operator()<TkaEditWnd>("EDIT");
  } else if (name == QLatin1String("systreeview32")) {
    wrapper = make.operator()<TkaTreeViewWnd>("EDIT");
  }
  unit.WrappingDialog = wrapping;
  if (wrapper) {
    if (geometry) GetWndGeometry(*wrapper);
    ChildWrappers.push_back(std::move(wrapper));
  }
  return true;
}

}  // namespace kelmo::skinwnd
