// Edit styles and the default edit style controller.
#include "lookandfeel/edit_style.h"

namespace kelmo::le {
namespace {

std::unique_ptr<TleEditStyleController>& DefaultEdit() {
  static std::unique_ptr<TleEditStyleController> c;
  return c;
}

std::string LocalizeHook(std::string_view s) {
  return LocalizeString(s);
}

}  // namespace

TleEditStyle::TleEditStyle(TPersistent* owner, int state, TleContainerStyle* parent, bool direct)
    : TleContainerStyle(owner, state, parent, direct) {}

std::string TleEditStyle::StyleValueName(int index) const {
  static constexpr const char* kNames[] = {"ButtonStyle", "ButtonTransparency", "PopupBorderStyle",
                                           "GradientButtons"};
  if (index >= 10 && index < 14) return kNames[index - 10];
  return TleContainerStyle::StyleValueName(index);
}

bool TleEditStyle::IsStyleValueAssigned(int index) const {
  if (index >= 10 && index < 14) return Found(index) != nullptr;
  return TleContainerStyle::IsStyleValueAssigned(index);
}

#define KELMO_EDIT_GET(index, field, baseDefault, getter)          \
  if (DirectAccessMode()) return Own(index) ? field : baseDefault; \
  if (const TleEditStyle* s = Found(index)) return s->field;       \
  return EditParent() ? EditParent()->getter() : baseDefault;

TleEditButtonStyle TleEditStyle::ButtonStyle() const {
    KELMO_EDIT_GET(svButtonStyle, buttonStyle_, btsDefault, ButtonStyle)} TleEditButtonTransparency
    TleEditStyle::ButtonTransparency() const {KELMO_EDIT_GET(
        svButtonTransparency, buttonTransparency_, ebtNone,
        ButtonTransparency)} TleEditPopupBorderStyle TleEditStyle::PopupBorderStyle() const {
  KELMO_EDIT_GET(svPopupBorderStyle, popupBorderStyle_, epbsDefault, PopupBorderStyle)
}
bool TleEditStyle::GradientButtons() const {
  KELMO_EDIT_GET(svGradientButtons, gradientButtons_, false, GradientButtons)
}
#undef KELMO_EDIT_GET

void TleEditStyle::SetButtonStyle(TleEditButtonStyle v) {
  if (Own(svButtonStyle) && buttonStyle_ == v) return;
  buttonStyle_ = v;
  MarkAssigned(svButtonStyle);
  RequestStyleChange();
}
void TleEditStyle::SetButtonTransparency(TleEditButtonTransparency v) {
  if (EditParent()) return EditParent()->SetButtonTransparency(v);
  if (Own(svButtonTransparency) && buttonTransparency_ == v) return;
  buttonTransparency_ = v;
  MarkAssigned(svButtonTransparency);
  RequestStyleChange();
}
void TleEditStyle::SetPopupBorderStyle(TleEditPopupBorderStyle v) {
  if (EditParent()) return EditParent()->SetPopupBorderStyle(v);
  if (Own(svPopupBorderStyle) && popupBorderStyle_ == v) return;
  popupBorderStyle_ = v;
  MarkAssigned(svPopupBorderStyle);
  RequestStyleChange();
}
void TleEditStyle::SetGradientButtons(bool v) {
  if (Own(svGradientButtons) && gradientButtons_ == v) return;
  gradientButtons_ = v;
  MarkAssigned(svGradientButtons);
  RequestStyleChange();
}

void TleEditStyle::Assign(const TleContainerStyle& source) {
  const auto* edit = dynamic_cast<const TleEditStyle*>(&source);
  if (!edit) return TleContainerStyle::Assign(source);
  BeginStyleUpdate();
  struct End {
    TleEditStyle* s;
    ~End() { s->EndStyleUpdate(); }
  } end{this};
  buttonStyle_ = edit->buttonStyle_;
  buttonTransparency_ = edit->buttonTransparency_;
  gradientButtons_ = edit->gradientButtons_;
  popupBorderStyle_ = edit->popupBorderStyle_;
  popupCloseButton_ = edit->popupCloseButton_;
  TleContainerStyle::Assign(source);
  RequestStyleChange();
}

TleEditStyleController::TleEditStyleController(TComponent* owner)
    : TleStyleController(owner,
                         [](TPersistent* o, int state, TleContainerStyle* parent, bool direct) {
                           return std::make_unique<TleEditStyle>(o, state, parent, direct);
                         }) {}

TleEditStyleController* DefaultEditStyleController() {
  return DefaultEdit().get();
}

void StartEditStyles() {
  if (DefaultEdit()) return;
  DefaultEdit() = std::make_unique<TleEditStyleController>(nullptr);
  SetDefaultStyleController(DefaultEdit().get());
  SetResourceTextHook(&LocalizeHook);
}

void StopEditStyles() {
  SetDefaultStyleController(nullptr);
  DefaultEdit().reset();
}

}  // namespace kelmo::le
