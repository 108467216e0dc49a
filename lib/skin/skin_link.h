// TkCommonData, the skin link a skinned control owns: its section, its
// manager, its indexes into the manager's tables and its cached picture,
// the small marks that decide when the owner repaints, and the answers to
// the skin message it gives for its owner.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "skin/paint_primitives.h"
#include "skin/skin_data.h"
#include "winshim/messages.h"

namespace kelmo::skin {

// Control-kind codes the program's owners use.
inline constexpr int kKindGauge = 161;

class TkCommonData {
 public:
  TkCommonData(QWidget* owner, bool makeCache);
  ~TkCommonData();
  TkCommonData(const TkCommonData&) = delete;
  TkCommonData& operator=(const TkCommonData&) = delete;

  QString SkinSection;                   // upper case once assigned
  TkSkinManager* SkinManager = nullptr;  // nullptr: the default manager
  bool CustomColor = false;
  bool CustomFont = false;
  int SkinIndex = -1;
  int BorderIndex = -1;
  int Texture = -1;     // the section's PATTERN
  int HotTexture = -1;  // its HOTPATTERN
  int GlowIndex = -1;
  bool FHot = false;  // painting held back
  bool Suspended = false;
  bool BGChanged = true;    // the cache is stale
  bool HalfVisible = true;  // the last painting did not cover the owner
  bool FocusMark = false;
  bool HotTracked = false;           // the mouse is over the owner
  std::uint16_t ContainerFlags = 0;  // bit 0: a container with a plain background
  std::uint16_t BgFlags = 0;         // 4: image; low two bits: the gradient kind
  QImage FCacheBmp;                  // 24-bit picture of the control
  int CtrlSkinState = 0;             // the control-kind code

  QWidget* Owner() const { return owner_; }
  // The link's own manager, else the default one (nullptr when none).
  TkSkinManager* GetSkinManager() const;
  // A valid section of a live manager (and, with checkActive, an active skin).
  bool Skinned(bool checkActive = false) const;
  // The section record, or nullptr.
  const TkGeneralData* Section() const;

  // Upper case ("UNKNOWN" for ""); re-reads the indexes and tells the
  // owner to repaint (command 3) or that the skin is gone (command 2).
  void SetSkinSection(const QString& name);
  void SetSkinManager(TkSkinManager* manager);
  // After the owner is set up: picks the section (the kind's default when
  // none is named).
  void Loaded();
  void ChooseDefaultSection();
  void UpdateIndexes();
  void UpdateBgFlags();
  void UpdateContainerFlag(bool withChildren);

  bool IsTransparent() const;
  bool HasComplexBg() const;
  bool IsActive() const;
  bool MustRepaint() const;
  // Whether the owner may paint now (its painting is not held back).
  bool IsHot() const;
  void SetHot(bool hot) { FHot = hot; }
  bool RepaintNeeded() const;
  // Marks the cache stale and asks the owner to repaint.
  void Invalidate();
  // Shows the section's glow around the owner while the mouse is over it
  // (and its manager allows glowing); hides it otherwise or when `hide`.
  void UpdateGlow(bool hide);

  // The section's background colour for the state (0 normal, else hot):
  // with a transparency t the parent's colour weighs t% and the section's
  // (100 - t)%; the control's own colour for an unskinned link or a
  // custom colour.
  TColor BgColor(int state) const;
  // Makes sure the cache is a 24-bit picture of the owner's size.
  void InitCacheBmp();
  // What lies behind the control, asked of its parent (command 34).
  TBgSource GetParentBg(TParentBgInfo& info) const;

 private:
  QPointer<QWidget> owner_;
};

// The section a kind paints with when none is named; "" for a kind
// without one (the owner's class name then).
QString DefaultSectionOfKind(int kind);

// Answers the skin message for the link's owner; true when answered (the
// owner stops the message).
bool HandleSkinCommand(winshim::Msg& msg, TkCommonData* link);
// The message step every skinned owner shares: the skin message, moving,
// sizing, focus, enabling and the mouse entering and leaving.
winshim::LRESULT HandleCommonMessage(winshim::Msg& msg, TkCommonData* link);

// $FF00FF for no control; a skinned control's answer to command 21;
// otherwise the control's own background colour.
TColor GetBgColorOf(QWidget* control);

}  // namespace kelmo::skin
