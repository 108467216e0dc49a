// Container styles and the style controller.
#include "lookandfeel/container_style.h"

#include <algorithm>

namespace kelmo::le {
namespace {

TleStyleController*& DefaultController() {
  static TleStyleController* controller = nullptr;
  return controller;
}

constexpr const char* kValueNames[] = {"BorderColor", "BorderStyle",      "Color",  "Edges",
                                       "Font",        "HotTrack",         "Shadow", "TextColor",
                                       "TextStyle",   "TransparentBorder"};

TextStyles StylesOf(const QFont& f) {
  return static_cast<TextStyles>((f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) |
                                 (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0));
}

// Controller chains are refused when they would close a cycle, so they end;
// the bound only guards against a chain made some other way.
constexpr int kMaxChain = 64;

}  // namespace

TleStyleController* DefaultStyleController() {
  return DefaultController();
}
void SetDefaultStyleController(TleStyleController* controller) {
  DefaultController() = controller;
}

TleContainerStyle::TleContainerStyle(TPersistent* owner, int state, TleContainerStyle* parent,
                                     bool directAccess)
    : owner_(owner), state_(state), parent_(state != 0 ? parent : nullptr), direct_(directAccess) {
  if (direct_)
    assigned_ = (1u << svColor) | (1u << svFont) | (1u << svTextColor) | (1u << svTextStyle);
  if (!parent_) {
    if (!direct_) font_ = std::make_unique<StyleFont>();
    lookAndFeel_ = std::make_unique<TleLookAndFeel>(this);
    lookAndFeel_->OnChanged = [this](TleLookAndFeel*, TleLookAndFeelValues) {
      RequestStyleChange();
    };
    SetStyleController(nullptr);
  }
}

TleContainerStyle::~TleContainerStyle() {
  destroying_ = true;
  if (!parent_ && controller_) controller_->RemoveStyleListener(this);
  lookAndFeel_.reset();
}

const TleContainerStyle* TleContainerStyle::ControllerStyle() const {
  TleStyleController* c = BaseStyle().controller_;
  return c ? &c->Style(state_) : nullptr;
}

std::string TleContainerStyle::StyleValueName(int index) const {
  return index >= 0 && index < 10 ? kValueNames[index] : "";
}

// The style whose own assignment supplies the value: this one, else the
// same-state style of the followed controller, recursively.
const TleContainerStyle* TleContainerStyle::FindAssigned(int index) const {
  const TleContainerStyle* s = this;
  for (int depth = 0; s && depth < kMaxChain; ++depth) {
    if (s->Own(index)) return s;
    s = s->ControllerStyle();
  }
  return nullptr;
}
#define KELMO_FIND(index) FindAssigned(index)

bool TleContainerStyle::IsStyleValueAssigned(int index) const {
  if (index < 0 || index >= 10) return false;
  return KELMO_FIND(index) != nullptr;
}

TColor TleContainerStyle::BorderColor() const {
  if (direct_) return clDefault;
  if (auto* s = KELMO_FIND(svBorderColor)) return s->borderColor_;
  if (state_ == ssDisabled) return clBtnShadow;
  return parent_ ? parent_->BorderColor() : clWindowFrame;
}

TleContainerBorderStyle TleContainerStyle::BorderStyle() const {
  if (direct_) {
    if (Own(svBorderStyle)) return borderStyle_;
  } else if (auto* s = KELMO_FIND(svBorderStyle)) {
    return s->borderStyle_;
  }
  if (!parent_) {
    static constexpr TleContainerBorderStyle kByKind[] = {cbsFlat, cbs3D, cbsUltraFlat,
                                                          cbsOffice11};
    return kByKind[lookAndFeel_->Kind()];
  }
  const TleContainerBorderStyle p = parent_->BorderStyle();
  const int s = (parent_->HotTrack() || state_ == ssDisabled) ? state_ : 0;
  if (s != ssFocused && s != ssHot) return p;
  switch (p) {
    case cbsNone:
      return cbsFlat;
    case cbsSingle:
    case cbsThick:
      return cbsThick;
    case cbsFlat:
    case cbs3D:
      return cbs3D;
    default:
      return p;
  }
}

TColor TleContainerStyle::Color() const {
  if (direct_) return color_;
  if (auto* s = KELMO_FIND(svColor)) return s->color_;
  return parent_ ? parent_->Color() : clBtnFace;
}

TleBorders TleContainerStyle::Edges() const {
  if (direct_) return 0;
  if (parent_) return parent_->Edges();
  if (auto* s = KELMO_FIND(svEdges)) return s->edges_;
  return bsAll;
}

StyleFont TleContainerStyle::Font() const {
  if (parent_) return parent_->Font();
  if (direct_) return fontRef_ ? *fontRef_ : StyleFont{};
  return *font_;
}

bool TleContainerStyle::HotTrack() const {
  if (direct_) return Own(svHotTrack) ? hotTrack_ : true;
  if (parent_) return parent_->HotTrack();
  if (auto* s = KELMO_FIND(svHotTrack)) return s->hotTrack_;
  return true;
}

bool TleContainerStyle::Shadow() const {
  if (direct_) return false;
  if (parent_) return parent_->Shadow();
  if (auto* s = KELMO_FIND(svShadow)) return s->shadow_;
  return false;
}

TColor TleContainerStyle::TextColor() const {
  if (direct_) return textColor_;
  if (auto* s = KELMO_FIND(svTextColor)) return s->textColor_;
  if (state_ == ssDisabled) return clBtnShadow;
  return parent_ ? parent_->TextColor() : font_->color;
}

TextStyles TleContainerStyle::TextStyle() const {
  if (direct_) return StylesOf(Font().font);
  if (auto* s = KELMO_FIND(svTextStyle)) return s->textStyle_;
  return parent_ ? parent_->TextStyle() : StylesOf(font_->font);
}

bool TleContainerStyle::TransparentBorder() const {
  if (direct_) return true;
  if (parent_) return parent_->TransparentBorder();
  if (auto* s = KELMO_FIND(svTransparentBorder)) return s->transparentBorder_;
  return true;
}

#undef KELMO_FIND

StyleValues TleContainerStyle::AssignedValues() const {
  if (direct_) return (StyleValues{1} << StyleValueCount()) - 1;
  return assigned_;
}

// Per-state setters: nothing when the same value is already assigned.
#define KELMO_SET(index, field, value)          \
  if (Own(index) && (field) == (value)) return; \
  field = value;                                \
  MarkAssigned(index);                          \
  RequestStyleChange();

void TleContainerStyle::SetBorderColor(TColor v) {
  KELMO_SET(svBorderColor, borderColor_, v)
}
void TleContainerStyle::SetBorderStyle(TleContainerBorderStyle v) {
  KELMO_SET(svBorderStyle, borderStyle_, v)
}
void TleContainerStyle::SetColor(TColor v) {
  KELMO_SET(svColor, color_, v)
}
void TleContainerStyle::SetTextColor(TColor v) {
  if (Own(svTextColor) && TextColor() == v) return;
  textColor_ = v;
  MarkAssigned(svTextColor);
  RequestStyleChange();
}
void TleContainerStyle::SetTextStyle(TextStyles v) {
  if (Own(svTextStyle) && TextStyle() == v) return;
  textStyle_ = v;
  MarkAssigned(svTextStyle);
  RequestStyleChange();
}

// Values of the base style: a state style forwards.
void TleContainerStyle::SetEdges(TleBorders v) {
  if (parent_) return parent_->SetEdges(v);
  KELMO_SET(svEdges, edges_, v)
}
void TleContainerStyle::SetHotTrack(bool v) {
  if (parent_) return parent_->SetHotTrack(v);
  KELMO_SET(svHotTrack, hotTrack_, v)
}
void TleContainerStyle::SetShadow(bool v) {
  if (parent_) return parent_->SetShadow(v);
  KELMO_SET(svShadow, shadow_, v)
}
void TleContainerStyle::SetTransparentBorder(bool v) {
  if (parent_) return parent_->SetTransparentBorder(v);
  KELMO_SET(svTransparentBorder, transparentBorder_, v)
}
#undef KELMO_SET

void TleContainerStyle::SetFont(const StyleFont& v) {
  if (parent_) return parent_->SetFont(v);
  if (direct_) return;  // a direct style only refers to its owner's font
  *font_ = v;
  StyleFontChanged();
}

void TleContainerStyle::StyleFontChanged() {
  if (fontLock_ == 0) MarkAssigned(svFont);
  RequestStyleChange();
}

void TleContainerStyle::RefreshStyleFont() {
  if (direct_ || parent_ || Own(svFont)) return;
  ++fontLock_;
  const TleContainerStyle* s = ControllerStyle();
  for (int depth = 0; s && !s->Own(svFont) && depth < kMaxChain; ++depth) s = s->ControllerStyle();
  *font_ = s ? s->Font() : StyleFont{};
  StyleFontChanged();
  --fontLock_;
}

void TleContainerStyle::SetAssignedValues(StyleValues v) {
  if (v == assigned_) return;
  assigned_ = v;
  if (!parent_) RefreshStyleFont();
  RequestStyleChange();
}

TleLookAndFeel& TleContainerStyle::LookAndFeel() {
  return *BaseStyle().lookAndFeel_;
}

void TleContainerStyle::SetLookAndFeel(const TleLookAndFeel& v) {
  LookAndFeel().Assign(v);
}

TleStyleController* TleContainerStyle::DefaultStyleControllerOf() const {
  return direct_ ? nullptr : DefaultController();
}

TleStyleController* TleContainerStyle::StyleController() const {
  if (parent_) return parent_->StyleController();
  return controller_ == DefaultStyleControllerOf() ? nullptr : controller_;
}

TleStyleController* TleContainerStyle::ActiveStyleController() const {
  return BaseStyle().controller_;
}

void TleContainerStyle::SetStyleController(TleStyleController* controller) {
  if (parent_) return parent_->SetStyleController(controller);
  TleStyleController* def = DefaultStyleControllerOf();
  if (def && owner_ == def) return;  // the default controller's own styles follow none
  if (!controller) controller = def;
  // Following the controller must not lead back to this style.
  TleStyleController* c = controller;
  for (int depth = 0; c && depth < kMaxChain; ++depth) {
    TleContainerStyle* base = &c->BaseStyle();
    if (base == this) return;
    c = base->controller_;
  }
  if (c) return;  // a chain too long to be sound
  if (controller == controller_) return;
  if (controller_) controller_->RemoveStyleListener(this);
  controller_ = controller;
  if (controller_) controller_->AddStyleListener(this);
  ControllerChangedNotice();
}

void TleContainerStyle::ControllerChangedNotice() {
  RefreshStyleFont();
  RequestStyleChange();
}

void TleContainerStyle::ControllerFreeNotice(TleStyleController* controller) {
  if (controller == ActiveStyleController()) SetStyleController(nullptr);
}

void TleContainerStyle::RequestStyleChange() {
  modified_ = true;
  if (modified_ && updateCount_ == 0) {
    modified_ = false;
    if (!destroying_ && !direct_ && StyleChangeHandler) StyleChangeHandler(this);
  }
}

void TleContainerStyle::EndStyleUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && modified_) {
    modified_ = false;
    if (!destroying_ && !direct_ && StyleChangeHandler) StyleChangeHandler(this);
  }
}

void TleContainerStyle::Assign(const TleContainerStyle& source) {
  BeginStyleUpdate();
  struct End {
    TleContainerStyle* s;
    ~End() { s->EndStyleUpdate(); }
  } end{this};
  if (!parent_) {
    SetStyleController(source.StyleController());
    lookAndFeel_->Assign(*source.BaseStyle().lookAndFeel_);
  }
  borderColor_ = source.borderColor_;
  borderStyle_ = source.borderStyle_;
  edges_ = source.edges_;
  hotTrack_ = source.hotTrack_;
  shadow_ = source.shadow_;
  transparentBorder_ = source.transparentBorder_;
  color_ = source.color_;
  if (direct_) {
    fontRef_ = source.font_ ? source.font_.get() : source.fontRef_;
    textColor_ = source.TextColor();
  } else {
    if (font_) {
      *font_ = source.Font();
      if (source.direct_) font_->color = source.TextColor();
    }
    textColor_ = source.TextColor();
    textStyle_ = source.TextStyle();
  }
  assigned_ = source.assigned_;
  RequestStyleChange();
}

void TleContainerStyle::RestoreStyleDefaults() {
  BeginStyleUpdate();
  SetAssignedValues(0);
  if (!parent_) {
    lookAndFeel_->Reset();
    if (!direct_) *font_ = StyleFont{};
  }
  RequestStyleChange();
  EndStyleUpdate();
}

TleStyleController::TleStyleController(TComponent* owner, StyleFactory factory)
    : TComponent(owner) {
  if (!factory) {
    factory = [](TPersistent* o, int state, TleContainerStyle* parent, bool direct) {
      return std::make_unique<TleContainerStyle>(o, state, parent, direct);
    };
  }
  for (int state = 0; state < 4; ++state) {
    styles_.push_back(factory(this, state, state ? styles_[0].get() : nullptr, false));
  }
  for (auto& s : styles_)
    s->StyleChangeHandler = [this](TleContainerStyle*) { StyleControllerChanged(); };
}

TleStyleController::~TleStyleController() {
  destroying_ = true;
  for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->ControllerFreeNotice(this);
  listeners_.clear();
  for (auto it = styles_.rbegin(); it != styles_.rend(); ++it) it->reset();
}

void TleStyleController::StyleControllerChanged() {
  if (OnStyleChanged) OnStyleChanged(this);
  if (destroying_) return;
  for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->ControllerChangedNotice();
}

bool TleStyleController::IsListening(const TleContainerStyle* style) const {
  return std::find(listeners_.begin(), listeners_.end(), style) != listeners_.end();
}

void TleStyleController::AddStyleListener(TleContainerStyle* style) {
  if (!style || IsListening(style)) return;
  listeners_.push_back(style);
  style->LookAndFeel().SetMasterLookAndFeel(&BaseStyle().LookAndFeel());
}

void TleStyleController::RemoveStyleListener(TleContainerStyle* style) {
  if (!IsListening(style)) return;
  if (!destroying_) listeners_.erase(std::find(listeners_.begin(), listeners_.end(), style));
  style->LookAndFeel().SetMasterLookAndFeel(nullptr);
}

}  // namespace kelmo::le
