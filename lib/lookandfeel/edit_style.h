// Edit styles: container styles with the look of the edit buttons and of
// the drop-down popup, and the edit style controller whose styles every
// container and edit style follows by default.
#pragma once

#include "lookandfeel/container_style.h"

namespace kelmo::le {

enum TleEditButtonStyle : std::uint8_t {
  btsDefault = 0,
  bts3D,
  btsFlat,
  btsSimple,
  btsHotFlat,
  btsUltraFlat,
  btsOffice11
};
enum TleEditButtonTransparency : std::uint8_t {
  ebtNone = 0,
  ebtInactive,
  ebtAlways,
  ebtHideInactive,
  ebtHideUnselected
};
enum TleEditPopupBorderStyle : std::uint8_t { epbsDefault = 0, epbsSingle, epbsFrame3D, epbsFlat };

class TleEditStyle : public TleContainerStyle {
 public:
  TleEditStyle(TPersistent* owner, int state, TleContainerStyle* parent, bool direct);
  int StyleValueCount() const override { return 14; }
  std::string StyleValueName(int index) const override;
  bool IsStyleValueAssigned(int index) const override;

  TleEditButtonStyle ButtonStyle() const;
  void SetButtonStyle(TleEditButtonStyle v);
  TleEditButtonTransparency ButtonTransparency() const;
  void SetButtonTransparency(TleEditButtonTransparency v);
  TleEditPopupBorderStyle PopupBorderStyle() const;
  void SetPopupBorderStyle(TleEditPopupBorderStyle v);
  bool GradientButtons() const;
  void SetGradientButtons(bool v);
  bool PopupCloseButton() const { return popupCloseButton_; }
  void SetPopupCloseButton(bool v) { popupCloseButton_ = v; }
  void Assign(const TleContainerStyle& source) override;

 private:
  TleEditStyle* EditParent() const { return static_cast<TleEditStyle*>(Parent()); }
  const TleEditStyle* Found(int index) const {
    return static_cast<const TleEditStyle*>(FindAssigned(index));
  }
  TleEditButtonStyle buttonStyle_ = btsDefault;
  TleEditButtonTransparency buttonTransparency_ = ebtNone;
  TleEditPopupBorderStyle popupBorderStyle_ = epbsDefault;
  bool gradientButtons_ = false;
  bool popupCloseButton_ = true;
};

class TleEditStyleController : public TleStyleController {
 public:
  explicit TleEditStyleController(TComponent* owner);
  TleEditStyle& Style() { return EditStyle(ssNormal); }
  TleEditStyle& StyleFocused() { return EditStyle(ssFocused); }
  TleEditStyle& StyleDisabled() { return EditStyle(ssDisabled); }
  TleEditStyle& StyleHot() { return EditStyle(ssHot); }
  TleEditStyle& EditStyle(int state) {
    return static_cast<TleEditStyle&>(TleStyleController::Style(state));
  }
  // Writing a state style takes a copy of the given one.
  void SetStyle(int state, const TleEditStyle& v) { EditStyle(state).Assign(v); }
};

TleEditStyleController* DefaultEditStyleController();
// Start-up makes the default controller (also the default of every
// container style) and connects the resource-text hook; close-down frees it.
void StartEditStyles();
void StopEditStyles();

}  // namespace kelmo::le
