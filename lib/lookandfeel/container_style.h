// Container styles and the style controller. A style describes how a
// control looks in one state (normal, focused, disabled, hot): border
// colour and style, background colour, font, text colour and style, edges,
// hot tracking, shadow and transparent border, and a look-and-feel. Every
// value resolves through one chain: assigned on the style, else assigned on
// the same-state style of the controller it follows (recursively), else a
// default from the state, the parent style and the look-and-feel. The values
// that are not per state live on the base (normal) style only.
//
// A style follows the process-wide default controller unless another is
// set; a controller whose base style would come back to a style through the
// chain is refused, so the chains have no cycles.
#pragma once

#include <QFont>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lookandfeel/canvas.h"
#include "lookandfeel/look_and_feel.h"

namespace kelmo::le {

enum StyleState : int { ssNormal = 0, ssFocused = 1, ssDisabled = 2, ssHot = 3 };
enum TleContainerBorderStyle : std::uint8_t {
  cbsNone = 0,
  cbsSingle,
  cbsThick,
  cbsFlat,
  cbs3D,
  cbsUltraFlat,
  cbsOffice11
};
// Value indexes; bit i of AssignedValues marks value i as assigned.
enum StyleValue : int {
  svBorderColor = 0,
  svBorderStyle,
  svColor,
  svEdges,
  svFont,
  svHotTrack,
  svShadow,
  svTextColor,
  svTextStyle,
  svTransparentBorder,
  // Edit styles.
  svButtonStyle,
  svButtonTransparency,
  svPopupBorderStyle,
  svGradientButtons,
};
using StyleValues = std::uint32_t;
// Text styles: 1 bold, 2 italic, 4 underline, 8 strike-out.
using TextStyles = std::uint8_t;

class TleStyleController;

// The font of a style with its colour, as the framework's font carries one.
struct StyleFont {
  QFont font;
  TColor color = clWindowText;
  bool operator==(const StyleFont&) const = default;
};

class TleContainerStyle : public TPersistent {
 public:
  TleContainerStyle(TPersistent* owner, int state, TleContainerStyle* parent, bool directAccess);
  ~TleContainerStyle() override;
  TleContainerStyle(const TleContainerStyle&) = delete;
  TleContainerStyle& operator=(const TleContainerStyle&) = delete;
  TPersistent* GetOwner() const override { return owner_; }

  int State() const { return state_; }
  TleContainerStyle* Parent() const { return parent_; }
  TleContainerStyle& BaseStyle() { return parent_ ? *parent_ : *this; }
  const TleContainerStyle& BaseStyle() const { return parent_ ? *parent_ : *this; }
  bool DirectAccessMode() const { return direct_; }

  TColor BorderColor() const;
  void SetBorderColor(TColor v);
  TleContainerBorderStyle BorderStyle() const;
  void SetBorderStyle(TleContainerBorderStyle v);
  TColor Color() const;
  void SetColor(TColor v);
  TleBorders Edges() const;
  void SetEdges(TleBorders v);
  StyleFont Font() const;
  void SetFont(const StyleFont& v);
  bool HotTrack() const;
  void SetHotTrack(bool v);
  bool Shadow() const;
  void SetShadow(bool v);
  TColor TextColor() const;
  void SetTextColor(TColor v);
  TextStyles TextStyle() const;
  void SetTextStyle(TextStyles v);
  bool TransparentBorder() const;
  void SetTransparentBorder(bool v);
  StyleValues AssignedValues() const;
  void SetAssignedValues(StyleValues v);
  TleLookAndFeel& LookAndFeel();
  void SetLookAndFeel(const TleLookAndFeel& v);

  // None for the default controller; a state style answers its parent's.
  TleStyleController* StyleController() const;
  void SetStyleController(TleStyleController* controller);
  // The controller the base style follows (the default one included).
  TleStyleController* ActiveStyleController() const;

  virtual int StyleValueCount() const { return 10; }
  virtual std::string StyleValueName(int index) const;
  virtual bool IsStyleValueAssigned(int index) const;
  void RestoreStyleDefaults();
  virtual void Assign(const TleContainerStyle& source);

  void BeginStyleUpdate() { ++updateCount_; }
  void EndStyleUpdate();
  void RequestStyleChange();
  virtual void ControllerChangedNotice();
  virtual void ControllerFreeNotice(TleStyleController* controller);

  std::function<void(TleContainerStyle*)> StyleChangeHandler;

 protected:
  // The controller a style follows when none is set: none in direct access
  // mode, else the process-wide default.
  virtual TleStyleController* DefaultStyleControllerOf() const;
  bool Own(int index) const { return (assigned_ >> index) & 1u; }
  void MarkAssigned(int index) { assigned_ |= StyleValues{1} << index; }
  // The same-state style of the controller this style's base follows.
  const TleContainerStyle* ControllerStyle() const;
  const TleContainerStyle* FindAssigned(int index) const;
  bool destroying_ = false;

 private:
  void RefreshStyleFont();
  void StyleFontChanged();

  TPersistent* owner_;
  int state_;
  TleContainerStyle* parent_;
  bool direct_;
  StyleValues assigned_ = 0;
  TColor borderColor_ = clWindowFrame;
  TleContainerBorderStyle borderStyle_ = cbsNone;
  TColor color_ = clWindow;
  TleBorders edges_ = bsAll;
  bool hotTrack_ = true, shadow_ = false, transparentBorder_ = true;
  TColor textColor_ = clWindowText;
  TextStyles textStyle_ = 0;
  std::unique_ptr<StyleFont> font_;
  const StyleFont* fontRef_ = nullptr;  // direct access mode
  int fontLock_ = 0;
  std::unique_ptr<TleLookAndFeel> lookAndFeel_;
  TleStyleController* controller_ = nullptr;
  int updateCount_ = 0;
  bool modified_ = false;
};

// The four styles of a controller or control, index = state.
using StyleFactory = std::function<std::unique_ptr<TleContainerStyle>(
    TPersistent* owner, int state, TleContainerStyle* parent, bool direct)>;

class TleStyleController : public TComponent {
 public:
  explicit TleStyleController(TComponent* owner, StyleFactory factory = {});
  ~TleStyleController() override;
  TleContainerStyle& Style(int state) { return *styles_[static_cast<std::size_t>(state)]; }
  TleContainerStyle& BaseStyle() { return Style(ssNormal); }
  void AddStyleListener(TleContainerStyle* style);
  void RemoveStyleListener(TleContainerStyle* style);
  bool IsListening(const TleContainerStyle* style) const;
  void Loaded() override { StyleControllerChanged(); }
  void StyleControllerChanged();
  bool BeingDestroyed() const { return destroying_; }
  // The controller its base style follows.
  TleStyleController* FakeStyleController() { return BaseStyle().StyleController(); }
  std::function<void(TleStyleController*)> OnStyleChanged;

 private:
  std::vector<TleContainerStyle*> listeners_;
  std::vector<std::unique_ptr<TleContainerStyle>> styles_;
  bool destroying_ = false;
};

// The process-wide default controller (the default edit style controller).
TleStyleController* DefaultStyleController();
void SetDefaultStyleController(TleStyleController* controller);

}  // namespace kelmo::le
