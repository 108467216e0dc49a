// TkSkinProvider, the component a form carries to get a skinned frame. It
// takes over the form's window procedure, makes the form frameless while a
// skin is in force and paints the caption strip, borders, title buttons
// and menu line itself into its link's cache, answers the non-client
// messages (hit codes drive moving and sizing), cuts the window region
// along the skin's transparent border pixels and owns the satellites that
// wrap the form's children, draw the shadow window and the system menu.
//
// At most one provider lives on a form: a new one frees the one before.
// GUI thread only.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "skin/skin_link.h"
#include "skin/skin_state.h"
#include "skinwnd/border_form.h"
#include "skinwnd/border_owner.h"
#include "skinwnd/ctrl_adapter.h"
#include "skinwnd/form_satellites.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/mdi_form.h"
#include "skinwnd/provider_face.h"
#include "skinwnd/sys_menu.h"
#include "skinwnd/title_buttons.h"
#include "winshim/window.h"

class QMenuBar;
class QWidget;

namespace kelmo::skinwnd {

class TkaScrollWnd;

enum class TkGripMode { gmNone, gmRightBottom };
enum class TkResizeMode { rmStandard, rmBorder };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Hit codes of the caption buttons beyond the platform's ones.
inline constexpr int HTMDICLOSE = 101;
inline constexpr int HTMDIRESTORE = 102;
inline constexpr int HTMDIMINIMIZE = 103;
inline constexpr int HTUSERBUTTON = 1000;  // + the user button's index

// The control kind of a form's link.
inline constexpr int kKindForm = 224;

// Indexes of the seven title-button records.
enum TitleButtonSlot : int {
  tbMinimize,
  tbMaximize,
  tbClose,
  tbHelp,
  tbMdiMinimize,
  tbMdiRestore,
  tbMdiClose,
  kTitleButtonSlots
};

class TkSkinProvider : public skin::TkFormProviderHooks,
                       public TkProviderFace,
                       public TkaBorderOwner {
 public:
  // Attaches to the first form among owner and its ancestors (the owner
  // itself when it is a window); a provider already on that form is freed
  // first. Without a form the provider keeps its properties only.
  explicit TkSkinProvider(QWidget* owner);
  ~TkSkinProvider() override;
  TkSkinProvider(const TkSkinProvider&) = delete;
  TkSkinProvider& operator=(const TkSkinProvider&) = delete;

  // The provider on a form, or nullptr.
  static TkSkinProvider* Of(QWidget* form);

  // After creation: attaches to the skin when the manager has one in force.
  void AfterConstruction();
  // After the form's properties are read: the adapter, the skin, the
  // system menu, the user buttons' images and the MDI support.
  void Loaded();
  // A manager or a control added to or removed from the form.
  void Notification(skin::TkSkinManager* manager, bool inserted);
  void Notification(QWidget* control, bool inserted);

  // ---- properties ----
  bool AllowExtBorders() const { return allowExtBorders_; }
  void SetAllowExtBorders(bool value);
  TAlignment CaptionAlignment() const { return captionAlignment_; }
  void SetCaptionAlignment(TAlignment value);
  bool DrawNonClientArea() const override { return drawNonClientArea_; }
  void SetDrawNonClientArea(bool value);
  skin::TkCommonData* SkinData() const { return link_.get(); }
  TkGripMode GripMode = TkGripMode::gmNone;
  bool MakeSkinMenu = false;
  const QString& MenuLineSkin() const { return menuLineSkin_; }
  void SetMenuLineSkin(const QString& value);
  TkResizeMode ResizeMode = TkResizeMode::rmStandard;
  bool ScreenSnap = false;
  int SnapBuffer = 10;
  bool ShowAppIcon() const { return showAppIcon_; }
  void SetShowAppIcon(bool value);
  TkTitleButtons& TitleButtons() { return titleButtons_; }
  const TkTitleButtons& TitleButtons() const { return titleButtons_; }
  TkTitleIcon TitleIcon;
  const QString& TitleSkin() const { return titleSkin_; }
  void SetTitleSkin(const QString& value);
  bool UseGlobalColor() const { return useGlobalColor_; }
  void SetUseGlobalColor(bool value);

  // ---- state ----
  std::vector<winshim::Rect> RgnAreas;  // transparent areas cut out of the region
  bool RgnChanged = true;
  int ActiveButtonCode = 0;  // hit code of the hot or pressed button
  QImage ButtonsBg;          // the caption's right end under the buttons
  bool FullRepaint = false;
  bool SysMenuTaken = false;  // the provider took WS_SYSMENU off
  bool FramePainted = false;
  int TitleButtonMask = -1;
  int RedrawLock = 0;
  bool FirstSkinPending = false;
  bool MenuRefreshed = false;
  std::array<TitleBtnData, kTitleButtonSlots> Buttons;
  winshim::Rect LastClientRect;
  bool TallMaxCaption = false;
  bool RgnLocked = false;
  std::uint8_t ShowState = 0;  // 1 normal, 2 minimized, 3 maximized; 0 used
  bool AnimatedShow = false;
  std::unique_ptr<TkaScrollWnd> ScrollWnd;
  std::unique_ptr<TkaCtrlAdapter> Adapter;
  bool SettingRgn = false;
  bool RebuildFrame = true;
  std::unique_ptr<TkMDIForm> MDIForm;
  bool FormActive = true;
  QImage MenuLineBg;  // 24-bit copy of the painted menu line
  QPointer<QWidget> Form;
  int MenuRows = -1;  // -1: to be counted
  std::unique_ptr<TkSystemMenu> SystemMenu;
  QImage CaptionCopy;  // 32-bit copy of the caption strip; null: none
  std::unique_ptr<QWidget> CoverForm;
  std::unique_ptr<TkaBorderForm> BorderForm;
  bool Destroying = false;
  bool Loading = false;

  // The link's manager (own or default).
  skin::TkSkinManager* ProviderManager() const override;
  void RefreshFrame() override;

  // ---- life ----
  // Creates the control adapter and lets it wrap all children (skinned link).
  virtual void PrepareForm();
  // Attaches the provider to the skin of its manager.
  void InitSkin();
  // The frame is painted anew from scratch.
  void InvalidateNonClient() override;
  // The form's background colour (RGB).
  winshim::TColor GetFormColor() const;
  // The main menu is laid out again; false while another call runs or
  // without a top item.
  bool RefreshMenuBar();
  void SkinChangedHook() {}
  void UpdateExtBorders(bool enable);
  void SetMdiSupport(bool on);
  void SetSysMenuStyle(bool on);
  void UpdateFormScrolls();
  void HookFormMenus(bool on);
  void RemoveAdapter();
  void AdapterBroadcast(const winshim::Msg& msg);
  void LockRedraw(bool withParent);
  void UnlockRedraw(bool withParent);
  void FreeButtonTimers();

  // ---- the form as the frame code sees it ----
  QWidget* FormWidget() const { return Form.data(); }
  winshim::HWND FormHandle() const;
  // The frame kind and caption buttons the form had before it was skinned.
  TFormBorderStyle BorderStyle() const;
  TBorderIcons BorderIcons() const;
  // The form's style word as the frame code reads it.
  std::uint32_t FormStyle() const;
  int FormBorderWidth() const { return 0; }
  bool IsMdiChild() const;
  bool IsMdiParent() const;
  bool IsZoomed() const;
  bool IsIconic() const;
  // The form's main menu (its menu bar), or nullptr.
  QMenuBar* MainMenu() const;
  // Whether the form is being created or shown.
  bool Showing() const;

  // The form's window procedure while the provider lives.
  void NewWndProc(winshim::Msg& msg, const winshim::NextHandler& next);

  // ---- what the satellites ask of the provider ----
  QWidget* ProviderForm() const override { return Form.data(); }
  skin::TkCommonData* ProviderLink() const override { return link_.get(); }
  bool SysMenuRemoved() const override { return SysMenuTaken; }
  winshim::HWND OwnerHandle() const override { return FormHandle(); }
  bool IsDialogOwner() const override { return false; }
  skin::TkCommonData* OwnerLink() const override { return link_.get(); }
  TkaBorderForm* OwnerBorderForm() const override { return BorderForm.get(); }
  int OwnerCaptionHeight(bool useExt) const override;
  int OwnerMenuLineHeight() const override;
  winshim::Rect OwnerTitleIconRect() const override;
  TkCustomSysMenu* OwnerSysMenu() const override { return SystemMenu.get(); }
  bool OwnerHasHelpButton() const override { return (BorderIcons() & biHelp) != 0; }
  TitleBtnData* OwnerButton(int hitCode) override;
  int OwnerUserButtonCount() const override { return titleButtons_.Count(); }
  TkTitleButton* OwnerUserButton(int index) const override { return titleButtons_.Items(index); }
  void OwnerSetHotButton(int code) override;
  void OwnerFreeButtonTimers() override { FreeButtonTimers(); }
  void OwnerPaintFrame() override;
  bool OwnerInAnimation() const override { return InAnimation; }
  bool OwnerDrawsNonClient() const override { return drawNonClientArea_; }
  bool OwnerDestroying() const override { return Destroying; }
  void OwnerDropBorderForm() override { BorderForm.reset(); }
  bool OwnerTallMaxCaption() const override { return TallMaxCaption; }
  winshim::Rect OwnerClientRectInFrame() const override;
  bool OwnerGripCandidate(QPoint point) const override;
  QPoint OwnerGripPos() const override;
  bool OwnerRubberBandRunning() const override;
  void OwnerStopRubberBand() override;
  bool OwnerBorderless() const override;
  const QImage* OwnerButtonsBg() const override {
    return ButtonsBg.isNull() ? nullptr : &ButtonsBg;
  }

 private:
  void AttachToForm();
  void DetachFromForm();

  std::unique_ptr<skin::TkCommonData> link_;
  TkTitleButtons titleButtons_;
  bool allowExtBorders_ = true;
  TAlignment captionAlignment_ = TAlignment::taLeftJustify;
  bool drawNonClientArea_ = true;
  QString menuLineSkin_;
  bool showAppIcon_ = true;
  QString titleSkin_;
  bool useGlobalColor_ = true;
  int handlerId_ = 0;
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
};

// What the providers of the process share.
struct ProviderUnitState {
  TkSkinProvider* MaxChildProvider = nullptr;  // the maximized MDI child's
  bool ButtonPressed = false;                  // a title button waits for release
  bool MaxChildCreating = false;
  TkSkinProvider* MdiParentProvider = nullptr;
};
ProviderUnitState& ProviderState();

}  // namespace kelmo::skinwnd
