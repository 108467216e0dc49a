#include "skin/skin_state.h"

#include <QApplication>
#include <QMdiArea>
#include <algorithm>

#include "skin/control_utils.h"
#include "skin/skin_messages.h"

namespace kelmo::skin {
namespace ws = winshim;

namespace {
struct GlobalState {
  bool skinIsChanging = false;
  bool skinRemoving = false;
  bool formAnimating = false;
  QString changedSectionName;
  std::vector<QPointer<QWidget>> providers;
};
GlobalState& State() {
  static GlobalState state;
  return state;
}

bool IsForm(const QWidget* w) {
  if (!w || !w->isWindow()) return false;
  const Qt::WindowType type = w->windowType();
  return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen &&
         type != Qt::Desktop;
}

// Every top-level form of the manager with a provider that is shown and
// not minimized.
template <typename Visit>
void ForProviderForms(TkSkinManager* manager, Visit&& visit) {
  const auto forms = ProviderList();
  for (const QPointer<QWidget>& form : forms) {
    if (!form || !IsForm(form) || !form->isVisible() || form->isMinimized()) continue;
    auto* provider = reinterpret_cast<TkFormProviderHooks*>(
        SendSkinCommand(ws::HandleOf(form), scGetProvider, 0));
    if (provider && provider->ProviderManager() == manager) visit(form.data(), *provider);
  }
}

bool ApplicationMinimized() {
  bool any = false;
  for (const QPointer<QWidget>& f : ApplicationForms()) {
    if (!f || !f->isVisible()) continue;
    if (!f->isMinimized()) return false;
    any = true;
  }
  return any;
}

// The form, its controls and its MDI client window.
void SendToForm(QWidget* form, const ws::Msg& msg) {
  ws::Msg m = msg;
  ws::DispatchMessage(ws::HandleOf(form), m);
  QPointer<QWidget> guard(form);
  BroadcastToControls(form, msg);
  if (!guard) return;
  if (auto* mdi = form->findChild<QMdiArea*>()) {
    m = msg;
    ws::DispatchMessage(ws::HandleOf(mdi), m);
  }
}

}  // namespace

bool SkinIsChanging() {
  return State().skinIsChanging;
}
void SetSkinIsChanging(bool value) {
  State().skinIsChanging = value;
}
bool SkinRemoving() {
  return State().skinRemoving;
}
void SetSkinRemoving(bool value) {
  State().skinRemoving = value;
}
bool FormAnimating() {
  return State().formAnimating;
}
void SetFormAnimating(bool value) {
  State().formAnimating = value;
}
const QString& ChangedSectionName() {
  return State().changedSectionName;
}

void RegisterProvider(QWidget* form) {
  State().providers.emplace_back(form);
}

void UnregisterProvider(QWidget* form) {
  auto& list = State().providers;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] != form) continue;
    list[i] = list.back();
    list.back() = nullptr;
    if (!list.back()) list.pop_back();
  }
}

std::vector<QPointer<QWidget>>& ProviderList() {
  return State().providers;
}

std::vector<QPointer<QWidget>> ApplicationForms() {
  std::vector<std::pair<ws::HWND, QWidget*>> forms;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (IsForm(w)) forms.emplace_back(ws::HandleOf(w), w);
  std::sort(forms.begin(), forms.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<QPointer<QWidget>> out;
  for (const auto& f : forms) out.emplace_back(f.second);
  return out;
}

void LockFormsRedraw(TkSkinManager* manager, bool animate) {
  if (ApplicationMinimized()) return;
  if (manager == TkSkinManager::Default() && animate) SetFormAnimating(true);
  ForProviderForms(manager, [](QWidget* form, TkFormProviderHooks& provider) {
    provider.InAnimation = true;
    ws::SendMessage(ws::HandleOf(form), ws::WM_SETREDRAW, 0);
  });
}

void UnlockFormsRedraw(TkSkinManager* manager, bool repaint, bool animate, int time) {
  if (ApplicationMinimized()) return;
  if (manager == TkSkinManager::Default()) SetFormAnimating(false);
  ForProviderForms(manager, [&](QWidget* form, TkFormProviderHooks& provider) {
    const ws::HWND h = ws::HandleOf(form);
    if (!repaint) {
      ws::SendMessage(h, ws::WM_SETREDRAW, 1);
      return;
    }
    if (animate) AnimShowForm(form, provider.DrawNonClientArea() ? time : 0);
    ws::SendMessage(h, ws::WM_SETREDRAW, 1);
    provider.InAnimation = false;
    if (provider.DrawNonClientArea()) provider.RefreshFrame();
    form->update();
  });
}

void BroadcastToAppForms(ws::Msg msg) {
  const auto forms = ApplicationForms();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    QWidget* form = *it;
    if (!form || AskWnd(ws::HandleOf(form), scIsSkinned)) continue;
    SendToForm(form, msg);
  }
  BroadcastToSkinnedForms(msg);
}

void BroadcastToSkinnedForms(ws::Msg msg) {
  const auto forms = ProviderList();
  for (const QPointer<QWidget>& form : forms)
    if (form && form->isWindow()) SendToForm(form, msg);
}

}  // namespace kelmo::skin
