// TkaDialogWnd, the wrapper that gives a standard dialog ("#32770": a
// QDialog or a QMessageBox) a skinned frame: the dialog becomes a frameless
// window whose non-client margins hold the frame, caption strip, icon,
// caption text and the close, maximize, minimize and help buttons, painted
// from the skin into its link's cache; it copies the client background from
// that cache, answers hit tests for the buttons, runs their hot and pressed
// states (with the glow fade when the manager allows glowing), sends the
// system commands of their clicks, and cuts the window region along the
// skin's transparent border pixels. Giving the window back restores its
// own frame, flags, margins and style.
//
// Made by the thread hook's provider (auto_skin_hook.h). GUI thread only.
#pragma once

#include <QIcon>
#include <QImage>
#include <QMargins>
#include <vector>

#include "skinwnd/border_form.h"
#include "skinwnd/border_owner.h"
#include "skinwnd/scroll_wnd.h"
#include "skinwnd/sys_menu.h"
#include "skinwnd/title_buttons.h"

namespace kelmo::skinwnd {

class TkaProvider;

class TkaDialogWnd : public TkaScrollWnd, public TkaDialogMenuOwner, public TkaBorderOwner {
 public:
  TkaDialogWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
               bool repaint);
  ~TkaDialogWnd() override;

  std::vector<Rect> RgnAreas;  // transparent areas of the frame
  int ActiveButtonCode = 0;    // hit code of the hot or pressed button (0 none)
  bool FormActive = true;
  bool SkipClientPaint = true;  // the dialog's own client painting is swallowed
  bool ChildrenSkinned = false;
  TitleBtnData MinBtn, MaxBtn, CloseBtn, HelpBtn;
  QIcon IconHandle;
  std::uint32_t WndStyle = 0, WndExStyle = 0;
  bool RgnChanged = true;
  Rect WndRect;
  QSize WndSize;
  int FrameKind = 1;  // 0 modal frame, 2 popup without caption, 3 thick frame
  QImage CaptionCopy;
  std::unique_ptr<TkaSystemMenu> SystemMenu;
  // The extended-border window: frame, caption and shadow drawn behind the
  // dialog while the manager wants extended borders.
  std::unique_ptr<TkaBorderForm> BorderForm;
  TkaProvider* Provider = nullptr;

  // What the system menu asks.
  HWND DialogHandle() const override { return WndHandle; }
  std::uint32_t DialogSavedStyle() const override { return WndStyle; }
  int DialogFrameKind() const override { return FrameKind; }
  // Pops the skinned system menu up at a screen point.
  void PopupSystemMenu(QPoint screen);

  // What the caption buttons' fades ask.
  HWND OwnerHandle() const override { return WndHandle; }
  bool IsDialogOwner() const override { return true; }
  TkCommonData* OwnerLink() const override { return SkinLink; }
  TkaBorderForm* OwnerBorderForm() const override { return BorderForm.get(); }
  int OwnerCaptionHeight(bool useExt) const override { return CaptionHeight(useExt); }
  Rect OwnerTitleIconRect() const override { return TitleIconRect(); }
  TkCustomSysMenu* OwnerSysMenu() const override { return SystemMenu.get(); }
  bool OwnerHasHelpButton() const override { return DialogHasHelpButton(); }
  TitleBtnData* OwnerButton(int hitCode) override { return ButtonOf(hitCode); }
  void OwnerSetHotButton(int code) override { SetDialogHotButton(code < 0 ? 0 : code, true); }
  void OwnerFreeButtonTimers() override { FreeTitleButtonAnimations(); }
  void OwnerPaintFrame() override { PaintDialogFrame(); }
  // The fades of the caption buttons end.
  void FreeTitleButtonAnimations();

  // No scroll bars of its own: the root's attaching only.
  void Attach(bool repaint) override { TkaMainWnd::Attach(repaint); }
  void Release(bool frameMode) override;
  // The window's own frame, flags, margins and style back.
  void RestoreOwnLook() override { GiveFrameBack(); }
  void WndProc(Msg& msg, const NextHandler& next) override;

  // Reads the dialog's styles once its children are wrapped, loads the
  // button images and takes the window's frame.
  void InitStyles();
  void LoadButtonImages();
  // Starts or ends the extended-border window.
  void SetExtBorders(bool on);
  bool ExtendedBordersWanted() const;

  // The answers of the style and state.
  bool HasSysMenu() const;
  bool HasMaxBox() const;
  bool HasMinBox() const;
  bool DialogHasHelpButton() const;
  bool CloseEnabled() const;
  bool MaxAllowed() const;
  bool MinAllowed() const;
  bool RestoreAllowed() const;
  bool Minimized() const;
  bool Maximized() const;

  // Geometry of the window's own frame, or, with ext and a border window,
  // of the extended frame drawn in the cache (where the window's own frame
  // counts 0 and the shadow margins lie around).
  int FrameWidth(bool ext = false) const;
  int PlainFrameWidth(bool ext) const;
  int CaptionHeight(bool ext = false) const;
  Rect Margins() const;
  int CaptionOffset() const { return CaptionHeight() + FrameWidth(); }
  // Where the client area lies in the cache.
  int ClientOffsetX() const;
  int ClientOffsetY() const;
  Rect TitleIconRect() const;

  // The hit code of a screen point (Result when nothing of the caption
  // answers); the hot button follows it.
  int HitTest(QPoint screen, int result);
  void SetDialogHotButton(int code, bool repaint);
  void SetPressedButton(int code);
  void RepaintTitleButton(int code);
  void NcButtonDown(int code, QPoint screen, Msg& msg, const NextHandler& next);
  void NcButtonUp(int code, QPoint screen, Msg& msg, const NextHandler& next);

  // The frame into the link's cache (when stale).
  void PaintDialogFrame();
  void PaintNonClient();
  void PaintClientBg(winshim::Dc* dc);
  void UpdateRegion(bool redraw);
  TitleBtnData* ButtonOf(int code);

 private:
  void TakeFrame();
  void GiveFrameBack();
  void PlaceButtons(QImage& cache, int w);
  int ButtonImageWidth(const TitleBtnData& b) const;
  int ButtonImageHeight(const TitleBtnData& b) const;
  void PaintButton(QImage& cache, const TitleBtnData& b, bool dimmed);
  void SysCommand(unsigned command);
  void WalkChildren();
  // The platform's own hit code of a window point: the caption strip, the
  // borders (sizing ones for a thick frame), the client.
  int DefaultHitTest(QPoint local) const;
  void SkinCommand(Msg& msg, const NextHandler& next);
  // The border window is placed again (and repainted) when the dialog shows.
  void UpdateBorder(bool repaint);
  bool BorderModeOne() const;
  void PaintCaption(QImage& cache, int w, int captionBottom);
  void LayFrameImage(QImage& cache, const Rect& frame);

  bool frameTaken_ = false;
  Qt::WindowFlags savedFlags_;
  QMargins savedMargins_;
  QMargins frameMargins_;
};

// The dialog wrapper of a window, or nullptr.
TkaDialogWnd* DialogWndOf(HWND wnd);

}  // namespace kelmo::skinwnd
