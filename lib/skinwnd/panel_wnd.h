// The wrappers of container windows: TkaGroupBoxWnd paints a group box (a
// frame in its section below a caption strip that shows the parent's
// background), TkaPanelWnd a panel (a QFrame) in the section its bevels
// choose, TkaDlgPanelWnd a panel inside a standard dialog with a skinned
// frame of 6 pixels, TkaTransPanelWnd a dialog page as plain section
// background.
#pragma once

#include <QPalette>
#include <optional>

#include "skinwnd/main_wnd.h"
#include "winshim/dc.h"

class QFrame;

namespace kelmo::skinwnd {

class TkaGroupBoxWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;
  // The caption strip: (6, 0, text width + 14, max(4, text height) + 2),
  // cut at width - 1 in a narrower window.
  Rect CaptionStrip();
  void PrepareGroupCache();

 private:
  void PaintGroupBox(Msg& msg);
};

// A panel's bevels: 0 none, 1 lowered, 2 raised, 3 space.
enum TBevelCut : int { bvNone = 0, bvLowered = 1, bvRaised = 2, bvSpace = 3 };
struct PanelBevels {
  int outer = bvNone, inner = bvNone;
  bool singleBorder = false;
};
// A QFrame's bevels: the outer from its shadow, the inner from its
// "bevelInner" property (none without one), a single border for a plain box.
PanelBevels PanelBevelsOf(const QFrame& frame);
// The section a panel's bevels choose.
QString PanelSectionFor(const PanelBevels& bevels);

class TkaPanelWnd : public TkaMainWnd {
 public:
  TkaPanelWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
              bool repaint);
  void WndProc(Msg& msg, const NextHandler& next) override;
  void PrepareCache();

 private:
  void PaintPanel(winshim::Dc* dc);
  void PaintPanelFrame(winshim::Dc* dc);
  // The border width: half the difference of window and client width.
  int Border() const;
};

class TkaDlgPanelWnd : public TkaMainWnd {
 public:
  TkaDlgPanelWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
                 bool repaint);
  ~TkaDlgPanelWnd() override { Destroy(); }
  void KeepOwnLook() override;
  void RestoreOwnLook() override;
  void ApplySectionLook() override;
  void WndProc(Msg& msg, const NextHandler& next) override;
  void PrepareCache();
  // The widget behind the window, found at creation.
  QWidget* PanelControl = nullptr;

 private:
  void SetGlobalColor();
  void PaintDlgPanelClient(winshim::Dc* dc);
  void PaintDlgPanelFrame(winshim::Dc* dc);
  std::optional<QPalette> ownPalette_;
};

class TkaTransPanelWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;
  virtual void PaintWhole(winshim::Dc* dc);
};

}  // namespace kelmo::skinwnd
