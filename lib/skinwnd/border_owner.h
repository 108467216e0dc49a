// What the extended-border window and the title-button fades ask of their
// owner: a form provider or a standard dialog's wrapper. Geometry is in
// the owner's cache-bitmap coordinates unless said otherwise.
#pragma once

#include <QImage>
#include <QPoint>

#include "skin/skin_link.h"
#include "winshim/win_types.h"
#include "winshim/window.h"

namespace kelmo::skinwnd {

class TkCustomSysMenu;
class TkaBorderForm;
class TkTitleButton;
struct TitleBtnData;

class TkaBorderOwner {
 public:
  virtual ~TkaBorderOwner() = default;

  // The form's or the dialog's window.
  virtual winshim::HWND OwnerHandle() const = 0;
  // A standard dialog's wrapper rather than a form provider.
  virtual bool IsDialogOwner() const = 0;
  virtual skin::TkCommonData* OwnerLink() const = 0;
  // The owner's extended-border window, nullptr when it has none.
  virtual TkaBorderForm* OwnerBorderForm() const = 0;

  // Caption height with or without the extended values (CaptionHeightOf
  // or DialogCaptionHeightOf).
  virtual int OwnerCaptionHeight(bool useExt) const = 0;
  // The menu line's height (SM_CYMENU - 1 with a main menu), 0 without.
  virtual int OwnerMenuLineHeight() const { return 0; }
  // The caption icon's rectangle.
  virtual winshim::Rect OwnerTitleIconRect() const = 0;
  // The skinned system menu whose answers tell the visible buttons.
  virtual TkCustomSysMenu* OwnerSysMenu() const = 0;
  // The caption's help button is shown.
  virtual bool OwnerHasHelpButton() const { return false; }
  // The record of a caption button by its hit code (8, 9, 20, 21, or
  // 1000 + i); nullptr for none.
  virtual TitleBtnData* OwnerButton(int hitCode) = 0;
  // The provider's user caption buttons (none for a dialog).
  virtual int OwnerUserButtonCount() const { return 0; }
  virtual TkTitleButton* OwnerUserButton(int /*index*/) const { return nullptr; }
  // Makes the button hot (code -1 or 0: none) and repaints.
  virtual void OwnerSetHotButton(int code) = 0;
  // Frees the fade animations of the caption buttons.
  virtual void OwnerFreeButtonTimers() = 0;
  // Paints the frame into the link's cache (PaintFormFrame or
  // PaintDialogFrame).
  virtual void OwnerPaintFrame() = 0;

  // Gates of the border's update (a provider's; a dialog answers the
  // defaults).
  virtual bool OwnerInAnimation() const { return false; }
  virtual bool OwnerDrawsNonClient() const { return true; }
  virtual bool OwnerDestroying() const { return false; }
  // The provider drops its border window (it is being destroyed).
  virtual void OwnerDropBorderForm() {}
  // The provider's form is maximized and its title is lower than the
  // system caption plus 4 with a border window.
  virtual bool OwnerTallMaxCaption() const { return false; }

  // A provider's form blended with a constant alpha, and where its client
  // area lies in the frame.
  virtual bool OwnerAlphaBlend() const { return false; }
  virtual int OwnerAlphaBlendValue() const { return 255; }
  virtual winshim::Rect OwnerClientRectInFrame() const { return {}; }
  virtual bool OwnerShownModally() const { return false; }

  // The size grip (a provider's): shown (or the corner between both
  // scroll bars holds the point) and the grip image's top-left corner.
  virtual bool OwnerGripCandidate(QPoint /*point*/) const { return false; }
  virtual QPoint OwnerGripPos() const { return {}; }

  // The provider's rubber band (ResizeMode rmBorder while it runs).
  virtual bool OwnerRubberBandRunning() const { return false; }
  virtual void OwnerStopRubberBand() {}
  // The form has no frame (bsNone) and is no MDI child.
  virtual bool OwnerBorderless() const { return false; }

  // The copy of the caption's right end under the title buttons (a
  // provider's ButtonsBg; null when it keeps none) and the cache's width.
  virtual const QImage* OwnerButtonsBg() const { return nullptr; }
  virtual int OwnerCacheWidth() const;
};

}  // namespace kelmo::skinwnd
