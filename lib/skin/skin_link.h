// TkCommonData, the skin link a skinned control owns: its section, its
// manager, its indexes into the manager's tables and its cached picture,
// with what the painters ask of it. The link's message handling and its
// life with the skin manager belong to the window skinning.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "skin/paint_primitives.h"
#include "skin/skin_data.h"

namespace kelmo::skin {

class TkCommonData {
 public:
  TkCommonData(QWidget* owner, bool makeCache);

  QString SkinSection;
  TkSkinManager* SkinManager = nullptr;
  bool CustomColor = false;
  bool CustomFont = false;
  int SkinIndex = -1;
  int BorderIndex = -1;
  int Texture = -1;
  int HotTexture = -1;
  bool FHot = false;
  bool BGChanged = true;  // the cache is stale
  QImage FCacheBmp;       // 24-bit picture of the control
  int CtrlSkinState = 0;  // the control-kind code (161: the progress gauge)

  QWidget* Owner() const { return owner_; }
  // The link's own manager, else the default one (nullptr when none).
  TkSkinManager* GetSkinManager() const;
  // Re-reads the indexes from the manager by the section's upper-case name.
  void UpdateIndexes();
  bool Skinned(bool checkActive = false) const;
  bool IsHot() const { return FHot; }
  void SetHot(bool hot) { FHot = hot; }
  // The section's background colour for the state (0 normal, else hot),
  // mixed with the parent's colour by the section's transparency; the
  // control's own colour for an unskinned link or a custom colour.
  TColor BgColor(int state) const;
  // Makes sure the cache is a 24-bit picture of the owner's size.
  void InitCacheBmp();
  // What lies behind the control, asked of its parent (command 34).
  TBgSource GetParentBg(TParentBgInfo& info) const;

 private:
  QPointer<QWidget> owner_;
};

// $FF00FF for no control; a skinned control's skin colour (commands 7 and
// 21); otherwise the control's own background colour.
TColor GetBgColorOf(QWidget* control);

}  // namespace kelmo::skin
