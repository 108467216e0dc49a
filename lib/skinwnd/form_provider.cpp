// The form provider's life: creation on a form, attaching to a skin, its
// properties and the satellites it owns, destruction.
#include "skinwnd/form_provider.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QVariant>
#include <QWidget>

#include "skin/control_utils.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_frame_painting.h"
#include "skinwnd/form_sizing.h"
#include "skinwnd/form_state_messages.h"
#include "skinwnd/form_title_buttons.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/form_window_frame.h"
#include "skinwnd/scroll_wnd.h"
#include "winshim/non_client.h"
#include "winshim/region.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {
namespace ws = winshim;
using skin::TkCommonData;
using skin::TkSkinManager;

namespace {

// The property of a form that names its provider.
const char* const kProviderProp = "kelmoSkinProvider";

bool& MenuBarRefreshing() {
  static bool running = false;
  return running;
}

// The first form among the owner and its ancestors: a window, or an MDI
// child inside its parent's MDI client.
QWidget* FirstFormOf(QWidget* owner) {
  for (QWidget* w = owner; w; w = w->parentWidget())
    if (w->isWindow() || skinwnd::IsMdiChild(w)) return w;
  return nullptr;
}

void SetFormColor(QWidget* form, QColor color) {
  QPalette p = form->palette();
  if (p.color(QPalette::Window) == color) return;
  p.setColor(QPalette::Window, color);
  form->setPalette(p);
}

}  // namespace

ProviderUnitState& ProviderState() {
  static ProviderUnitState state;
  return state;
}

FormSatelliteMakers& FormSatellites() {
  static FormSatelliteMakers hooks;
  return hooks;
}

TkSkinProvider* TkSkinProvider::Of(QWidget* form) {
  if (!form) return nullptr;
  return reinterpret_cast<TkSkinProvider*>(form->property(kProviderProp).value<qulonglong>());
}

TkSkinProvider::TkSkinProvider(QWidget* owner) {
  Form = FirstFormOf(owner);
  link_ = std::make_unique<TkCommonData>(Form.data(), false);
  link_->SkinSection = QStringLiteral("FORM");
  link_->CtrlSkinState = kKindForm;
  if (!Form) return;
  // A new provider replaces the one already on the form.
  if (TkSkinProvider* before = Of(Form)) delete before;
  // The frame the form asks for, read before the provider takes it over.
  borderStyle_ = BorderStyleOf(Form);
  borderIcons_ = BorderIconsOf(Form);
  MenuLineBg = QImage(0, 0, QImage::Format_BGR888);
  FirstSkinPending = true;
  MenuRows = -1;
  Form->setProperty(kProviderProp,
                    QVariant::fromValue(qulonglong(reinterpret_cast<quintptr>(this))));
  AttachToForm();
  skin::RegisterProvider(Form);
  FormActive = true;
}

TkSkinProvider::~TkSkinProvider() {
  Destroying = true;
  FreeButtonTimers();
  ProviderUnitState& unit = ProviderState();
  if (Form) {
    skin::UnregisterProvider(Form);
    if (SkinFormFrame(*this)) ReleaseFormFrame(*this);
    DetachFromForm();
    Form->setProperty(kProviderProp, QVariant());
    TkSkinProvider* parent = unit.MdiParentProvider;
    if (IsMdiChild() && MainMenu() && parent && parent != this && !parent->Destroying &&
        parent->Form) {
      parent->link_->BGChanged = true;
      parent->MenuRows = -1;
      ws::SendMessage(parent->FormHandle(), ws::WM_NCPAINT, 0, 0);
    }
    if (unit.MdiParentProvider == this) {
      SetMdiSupport(false);
      unit.MdiParentProvider = nullptr;
    }
  }
  SystemMenu.reset();
  CoverForm.reset();
  if (unit.MaxChildProvider == this) unit.MaxChildProvider = nullptr;
  UpdateExtBorders(false);
  titleButtons_.Clear();
  Adapter.reset();
  ScrollWnd.reset();
  link_.reset();
}

void TkSkinProvider::AttachToForm() {
  handlerId_ = ws::Subclass(
      FormHandle(),
      [this](ws::HWND, ws::Msg& msg, const ws::NextHandler& next) { NewWndProc(msg, next); });
}

void TkSkinProvider::DetachFromForm() {
  if (handlerId_) ws::RemoveHandler(FormHandle(), handlerId_);
  handlerId_ = 0;
}

ws::HWND TkSkinProvider::FormHandle() const {
  return Form ? ws::HandleOf(Form.data()) : 0;
}

TkSkinManager* TkSkinProvider::ProviderManager() const {
  return link_ ? link_->GetSkinManager() : nullptr;
}

void TkSkinProvider::AfterConstruction() {
  TkSkinManager* m = ProviderManager();
  if (m && m->Active) InitSkin();
}

void TkSkinProvider::Loaded() {
  Loading = false;
  if (!ProviderManager() || !link_->Skinned(true)) return;
  if (!Adapter) PrepareForm();
  InitSkin();
  if (SystemMenu) SystemMenu->UpdateItems();
  for (int i = 0; i < titleButtons_.Count(); ++i) {
    TkTitleButton* b = titleButtons_.Items(i);
    b->BtnData.ImageIndex = b->UseSkinData ? TitleButtonMask : -1;
  }
  if (MDIForm) MDIForm->AttachClient();
}

void TkSkinProvider::Notification(TkSkinManager* manager, bool inserted) {
  if (inserted && !link_->GetSkinManager()) {
    link_->SetSkinManager(manager);
    SkinChangedHook();
  } else if (!inserted && link_->SkinManager == manager) {
    link_->SetSkinManager(nullptr);
  }
}

void TkSkinProvider::Notification(QWidget* control, bool inserted) {
  if (inserted && control && Adapter) Adapter->AddNewItem(control);
}

void TkSkinProvider::PrepareForm() {
  if (!link_->Skinned()) return;
  Adapter = std::make_unique<TkaCtrlAdapter>(*this);
  Adapter->AddAllItems();
}

void TkSkinProvider::InitSkin() {
  TkSkinManager* m = ProviderManager();
  if (!m || !Form) return;
  link_->Loaded();
  SetSysMenuStyle(m->Active);
  if (!SystemMenu) {
    SystemMenu = std::make_unique<TkSystemMenu>(*this);
    SystemMenu->UpdateItems();
  }
  if (FirstSkinPending && m->Active) {
    FirstSkinPending = false;
    if (IsMdiParent()) SetMdiSupport(true);
  }
  link_->UpdateIndexes();
  LoadButtonImages(*this);
  TkSkinProvider* parent = ProviderState().MdiParentProvider;
  if (IsMdiChild() && parent && parent != this && !parent->Destroying && parent->Form &&
      link_->Skinned()) {
    parent->link_->BGChanged = true;
    parent->MenuRows = -1;
  }
  if (!Loading && useGlobalColor_ && !link_->CustomColor)
    SetFormColor(Form, ws::ToQColor(m->GetGlobalColor()));
  HookFormMenus(link_->Skinned());
  if (!MenuRefreshed && RefreshMenuBar()) MenuRefreshed = true;
  if (SystemMenu) SystemMenu->UpdateGlyphs();
  if (!Loading) UpdateExtBorders(m->Component && m->Component->ExtendedBorders());
  // With a skin in force the provider draws the frame from now on.
  ApplySkinnedFrame(*this);
}

void TkSkinProvider::InvalidateNonClient() {
  link_->BGChanged = true;
  RebuildFrame = true;
  MenuRows = -1;
  ws::SendMessage(FormHandle(), ws::WM_NCPAINT, 0, 0);
}

ws::TColor TkSkinProvider::GetFormColor() const {
  if (!Form) return 0;
  if (!link_->Skinned() || link_->CustomColor)
    return ws::TColor(ws::FromQColor(Form->palette().color(QPalette::Window)));
  const skin::TkGeneralData* s = link_->Section();
  return FormActive ? s->HotColor : s->Color;
}

bool TkSkinProvider::RefreshMenuBar() {
  if (MenuBarRefreshing()) return false;
  QMenuBar* bar = MainMenu();
  if (!bar || bar->actions().isEmpty()) return false;
  MenuBarRefreshing() = true;
  bar->updateGeometry();
  bar->update();
  MenuRows = -1;
  MenuBarRefreshing() = false;
  return true;
}

void TkSkinProvider::RefreshFrame() {
  if (!Form) return;
  RgnChanged = true;
  link_->BGChanged = true;
  ws::SendMessage(FormHandle(), ws::WM_NCPAINT, 0, 0);
}

void TkSkinProvider::UpdateExtBorders(bool enable) {
  const bool wanted = enable && Form &&
                      (borderStyle_ != TFormBorderStyle::bsNone || IsMdiChild()) &&
                      drawNonClientArea_ && Form->isWindow() && !IsMdiChild() && allowExtBorders_;
  SetBorderWindow(BorderForm, *this, link_.get(), wanted, true);
}

void TkSkinProvider::SetMdiSupport(bool on) {
  if (on && !MDIForm) {
    ProviderState().MdiParentProvider = this;
    MDIForm = std::make_unique<TkMDIForm>(*this);
    MDIForm->AttachClient();
  } else if (!on) {
    MDIForm.reset();
  }
}

void TkSkinProvider::SetSysMenuStyle(bool on) {
  const ws::HWND h = FormHandle();
  if (!h) return;
  const std::uint32_t style = ws::GetWindowLong(h, ws::GWL_STYLE);
  if (on) {
    if ((style & ws::WS_SYSMENU) || SysMenuTaken) {
      const std::uint32_t next =
          drawNonClientArea_ ? style & ~ws::WS_SYSMENU : style | ws::WS_SYSMENU;
      if (next != style) ws::SetWindowLong(h, ws::GWL_STYLE, next);
      SysMenuTaken = true;
    } else {
      SysMenuTaken = false;
    }
  } else {
    if (SysMenuTaken) ws::SetWindowLong(h, ws::GWL_STYLE, style | ws::WS_SYSMENU);
    SysMenuTaken = false;
  }
}

void TkSkinProvider::UpdateFormScrolls() {
  // A form here scrolls through its own scroll areas; the form itself has
  // no scroll bars of its own for a wrapper to take over.
  if (!link_->Skinned()) ScrollWnd.reset();
}

void TkSkinProvider::HookFormMenus(bool on) {
  // The skinned menus hook the form's menus (only the default manager's).
  TkSkinManager* m = ProviderManager();
  if (!Form || !m || m != TkSkinManager::Default() || !FormSatellites().HookFormMenus) return;
  FormSatellites().HookFormMenus(*this, on);
}

void TkSkinProvider::RemoveAdapter() {
  if (!Adapter) return;
  AdapterBroadcast(skin::SkinMessage(skin::scRemoveSkin, ws::LPARAM(ProviderManager())));
  Adapter.reset();
}

void TkSkinProvider::AdapterBroadcast(const ws::Msg& msg) {
  if (!Adapter) return;
  ws::Msg copy = msg;
  Adapter->BroadcastMessage(copy);
}

void TkSkinProvider::LockRedraw(bool withParent) {
  link_->SetHot(true);
  ws::SendMessage(FormHandle(), ws::WM_SETREDRAW, 0);
  TkSkinProvider* parent = ProviderState().MdiParentProvider;
  if (withParent && IsMdiChild() && parent && parent != this) parent->LockRedraw(false);
}

void TkSkinProvider::UnlockRedraw(bool withParent) {
  link_->SetHot(false);
  ws::SendMessage(FormHandle(), ws::WM_SETREDRAW, 1);
  TkSkinProvider* parent = ProviderState().MdiParentProvider;
  if (withParent && IsMdiChild() && parent && parent != this) parent->UnlockRedraw(false);
}

void TkSkinProvider::FreeButtonTimers() {
  for (int i : {tbMinimize, tbMaximize, tbClose, tbHelp}) Buttons[std::size_t(i)].Timer.reset();
  for (int i = 0; i < titleButtons_.Count(); ++i) titleButtons_.Items(i)->BtnData.Timer.reset();
}

// ---- properties ----

void TkSkinProvider::SetAllowExtBorders(bool value) {
  if (allowExtBorders_ == value) return;
  allowExtBorders_ = value;
  if (Loading) return;
  UpdateExtBorders(true);
  link_->BGChanged = true;
  if (Form) ws::SendMessage(FormHandle(), ws::WM_NCPAINT, 0, 0);
}

void TkSkinProvider::SetCaptionAlignment(TAlignment value) {
  if (captionAlignment_ == value) return;
  captionAlignment_ = value;
  link_->BGChanged = true;
  if (Form && Form->isVisible()) ws::SendMessage(FormHandle(), ws::WM_NCPAINT, 0, 0);
}

void TkSkinProvider::SetShowAppIcon(bool value) {
  if (showAppIcon_ == value) return;
  showAppIcon_ = value;
  link_->BGChanged = true;
  if (Form && Form->isVisible()) ws::SendMessage(FormHandle(), ws::WM_NCPAINT, 0, 0);
}

void TkSkinProvider::SetTitleSkin(const QString& value) {
  if (titleSkin_ == value) return;
  titleSkin_ = value;
  link_->BGChanged = true;
  if (Form && Form->isVisible()) ws::SendMessage(FormHandle(), ws::WM_NCPAINT, 0, 0);
  if (BorderForm) BorderForm->UpdateExBorder(true, 255);
}

void TkSkinProvider::SetMenuLineSkin(const QString& value) {
  if (menuLineSkin_ == value) return;
  menuLineSkin_ = value;
  link_->BGChanged = true;
}

void TkSkinProvider::SetUseGlobalColor(bool value) {
  if (useGlobalColor_ == value) return;
  useGlobalColor_ = value;
  if (!Form) return;
  TkSkinManager* m = ProviderManager();
  if (link_->Skinned() && value && m && !link_->CustomColor)
    SetFormColor(Form, ws::ToQColor(m->GetGlobalColor()));
  else
    SetFormColor(Form, ws::ToQColor(ws::GetSysColor(ws::COLOR_BTNFACE)));
}

void TkSkinProvider::SetDrawNonClientArea(bool value) {
  if (drawNonClientArea_ == value) return;
  drawNonClientArea_ = value;
  if (value) {
    SetSysMenuStyle(true);
    if (!Form || !Form->isVisible() || !link_->Skinned()) return;
    link_->BGChanged = true;
    CaptionCopy = QImage();
    TkSkinManager* m = ProviderManager();
    UpdateExtBorders(m && m->Component && m->Component->ExtendedBorders());
    RgnChanged = true;
    if (link_->Skinned(true)) TakeFormFrame(*this);
    UpdateFormScrolls();
    return;
  }
  BorderForm.reset();
  HookFormMenus(false);
  ScrollWnd.reset();
  if (SysMenuTaken && Form) {
    ws::SetWindowLong(FormHandle(), ws::GWL_STYLE,
                      ws::GetWindowLong(FormHandle(), ws::GWL_STYLE) | ws::WS_SYSMENU);
  }
  SysMenuTaken = false;
  if (Form && SkinFormFrame(*this)) ReleaseFormFrame(*this);
  if (Form && Form->isVisible()) ws::SetWindowRgn(Form.data(), QRegion(), true);
}

// ---- the form ----

TFormBorderStyle TkSkinProvider::BorderStyle() const {
  return borderStyle_;
}

TBorderIcons TkSkinProvider::BorderIcons() const {
  return borderIcons_;
}

std::uint32_t TkSkinProvider::FormStyle() const {
  return ws::GetWindowLong(FormHandle(), ws::GWL_STYLE);
}

bool TkSkinProvider::IsMdiChild() const {
  return Form && skinwnd::IsMdiChild(Form.data());
}

bool TkSkinProvider::IsMdiParent() const {
  return Form && MdiClientOf(Form.data()) != nullptr;
}

bool TkSkinProvider::IsZoomed() const {
  return Form && Form->isMaximized();
}

bool TkSkinProvider::IsIconic() const {
  return Form && Form->isMinimized();
}

QMenuBar* TkSkinProvider::MainMenu() const {
  auto* main = qobject_cast<QMainWindow*>(Form.data());
  if (!main) return nullptr;
  return qobject_cast<QMenuBar*>(main->menuWidget());
}

bool TkSkinProvider::Showing() const {
  return Form && Form->isVisible();
}

// ---- what the satellites ask ----

int TkSkinProvider::OwnerCaptionHeight(bool useExt) const {
  return CaptionHeightOf(*this, useExt);
}

int TkSkinProvider::OwnerMenuLineHeight() const {
  return MenuLineHeight(*this);
}

ws::Rect TkSkinProvider::OwnerTitleIconRect() const {
  return IconRect(*this);
}

TitleBtnData* TkSkinProvider::OwnerButton(int hitCode) {
  return ButtonByCode(*this, hitCode);
}

void TkSkinProvider::OwnerSetHotButton(int code) {
  SetHotButton(*this, code, true);
}

void TkSkinProvider::OwnerPaintFrame() {
  PaintFormFrame(*this);
}

ws::Rect TkSkinProvider::OwnerClientRectInFrame() const {
  if (!Form) return {};
  auto& self = const_cast<TkSkinProvider&>(*this);
  const ws::Rect in = NonClientInsets(self);
  const QPoint o = WindowOffsetInCache(*this);
  return {o.x() + in.left, o.y() + in.top, o.x() + Form->width() - in.right,
          o.y() + Form->height() - in.bottom};
}

bool TkSkinProvider::OwnerGripCandidate(QPoint) const {
  return GripVisible(*this);
}

QPoint TkSkinProvider::OwnerGripPos() const {
  const TkSkinManager* m = ProviderManager();
  if (!m) return {};
  return GripPos(*this, m->GetMaskIndex(m->ConstData.IndexGlobalInfo, QStringLiteral("GLOBALINFO"),
                                        QStringLiteral("GRIPIMAGE")));
}

bool TkSkinProvider::OwnerRubberBandRunning() const {
  return ResizeMode == TkResizeMode::rmBorder && RubberBand().Active;
}

void TkSkinProvider::OwnerStopRubberBand() {
  StopRubberBand(*this);
}

bool TkSkinProvider::OwnerBorderless() const {
  return borderStyle_ == TFormBorderStyle::bsNone && !IsMdiChild();
}

}  // namespace kelmo::skinwnd
