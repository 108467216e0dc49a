// Look-and-feel objects, the colour-change notification and the brush cache.
#include "lookandfeel/look_and_feel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "lookandfeel/office11_colors.h"

namespace kelmo::le {
namespace {

// The stand-in for the hidden window that receives WM_SYSCOLORCHANGE: an
// application-wide filter of the palette change.
class PaletteListener : public QObject {
 public:
  PaletteListener() {
    AcquireOffice11Colors();
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
  }
  ~PaletteListener() override { ReleaseOffice11Colors(); }
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == QCoreApplication::instance() && e->type() == QEvent::ApplicationPaletteChange) {
      BroadcastColorChange();
    }
    return false;
  }
  std::vector<TleSystemPaletteChangedNotifier*> primary, normal;
};

struct Process {
  std::unique_ptr<PaletteListener> listener;
  int listenerUsers = 0;
  std::unique_ptr<TleLookAndFeel> root;
  int controllers = 0;
  std::unique_ptr<TleSolidBrushCache> brushes;
};

Process& P() {
  static Process p;
  return p;
}

void AcquirePaletteListener() {
  if (P().listenerUsers++ == 0) P().listener = std::make_unique<PaletteListener>();
}
void ReleasePaletteListener() {
  if (P().listenerUsers == 0) return;
  if (--P().listenerUsers == 0) P().listener.reset();
}

}  // namespace

TleSystemPaletteChangedNotifier::TleSystemPaletteChangedNotifier(bool primary) : primary_(primary) {
  AcquirePaletteListener();
  (primary ? P().listener->primary : P().listener->normal).push_back(this);
}

TleSystemPaletteChangedNotifier::~TleSystemPaletteChangedNotifier() {
  if (P().listener) {
    auto& list = primary_ ? P().listener->primary : P().listener->normal;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  ReleasePaletteListener();
}

void TleSystemPaletteChangedNotifier::RaiseColorChanged() {
  if (ColorChangedHandler) ColorChangedHandler();
}

void BroadcastColorChange() {
  try {
    RecomputeOffice11Colors();
    if (!P().listener) return;
    for (auto* list : {&P().listener->primary, &P().listener->normal}) {
      for (std::size_t i = list->size(); i-- > 0;) {
        if (i < list->size()) (*list)[i]->RaiseColorChanged();
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
}

bool PaletteListenerExists() {
  return P().listener != nullptr;
}

TleLookAndFeel::TleLookAndFeel(TPersistent* owner)
    : TleInterfacedPersistent(owner),
      notifier_(std::make_unique<TleSystemPaletteChangedNotifier>(false)) {
  notifier_->ColorChangedHandler = [this] { SystemColorsChangedNotice(); };
  if (TleLookAndFeel* root = LookAndFeelRoot()) {
    root->AddChangeListener(this);
    currentKind_ = EffectiveKind();
    currentNative_ = EffectiveNativeStyle();
  }
}

TleLookAndFeel::~TleLookAndFeel() {
  notifier_.reset();
  destroying_ = true;
  for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->MasterDestroyingNotice(this);
  destroying_ = false;
  listeners_.clear();
  if (TleLookAndFeel* m = EffectiveMaster()) m->RemoveChangeListener(this);
  if (isRoot_) {
    isRoot_ = false;
    if (P().root.get() == this) P().root.release();
  }
}

void TleLookAndFeel::MarkRoot() {
  isRoot_ = true;
}

void TleLookAndFeel::SetKind(TleLookAndFeelKind v) {
  const TleLookAndFeelKind old = currentKind_;
  assigned_ |= lfvsKind;
  kind_ = v;
  if (EffectiveKind() != old) AnnounceChange(lfvsKind);
}

void TleLookAndFeel::SetNativeStyle(bool v) {
  const bool old = currentNative_;
  assigned_ |= lfvsNativeStyle;
  native_ = v;
  if (EffectiveNativeStyle() != old) AnnounceChange(lfvsNativeStyle);
}

void TleLookAndFeel::SetAssignedValues(TleLookAndFeelValues v) {
  if (v == assigned_) return;
  RememberState();
  assigned_ = v;
  AnnounceStateChanges();
}

TleLookAndFeel* TleLookAndFeel::EffectiveMaster() const {
  if (isRoot_) return nullptr;
  return master_ ? master_ : LookAndFeelRoot();
}

TleLookAndFeelKind TleLookAndFeel::InheritedKind() const {
  if (isRoot_) return lfUltraFlat;
  if (master_) return master_->Kind();
  if (TleLookAndFeel* root = LookAndFeelRoot()) return root->Kind();
  return lfUltraFlat;
}

bool TleLookAndFeel::InheritedNativeStyle() const {
  if (isRoot_) return false;
  if (master_) return master_->NativeStyle();
  if (TleLookAndFeel* root = LookAndFeelRoot()) return root->NativeStyle();
  return false;
}

TleLookAndFeelKind TleLookAndFeel::EffectiveKind() const {
  return (assigned_ & lfvsKind) ? kind_ : InheritedKind();
}
bool TleLookAndFeel::EffectiveNativeStyle() const {
  return (assigned_ & lfvsNativeStyle) ? native_ : InheritedNativeStyle();
}

void TleLookAndFeel::SetMasterLookAndFeel(TleLookAndFeel* master) {
  if (isRoot_ || master == this || master == EffectiveMaster()) return;
  RememberState();
  if (TleLookAndFeel* old = EffectiveMaster()) old->RemoveChangeListener(this);
  master_ = master;
  if (TleLookAndFeel* now = EffectiveMaster()) now->AddChangeListener(this);
  AnnounceStateChanges();
}

void TleLookAndFeel::Assign(const TleLookAndFeel& source) {
  RememberState();
  kind_ = source.kind_;
  native_ = source.native_;
  assigned_ = source.assigned_;
  SetMasterLookAndFeel(source.EffectiveMaster());
  AnnounceStateChanges();
}

bool TleLookAndFeel::HasListener(const ILookAndFeelChangeListener* listener) const {
  return std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end();
}

void TleLookAndFeel::AddChangeListener(ILookAndFeelChangeListener* listener) {
  if (!listener) return;
  const bool controller = listener->IsLookAndFeelController();
  if (controller && !isRoot_) return;
  if (HasListener(listener)) return;
  if (controller) ++P().controllers;
  listeners_.push_back(listener);
}

void TleLookAndFeel::RemoveChangeListener(ILookAndFeelChangeListener* listener) {
  if (!listener || !HasListener(listener)) return;
  if (!destroying_) listeners_.erase(std::find(listeners_.begin(), listeners_.end(), listener));
  if (listener->IsLookAndFeelController() && isRoot_) {
    if (P().controllers-- == 1) Reset();
  }
}

void TleLookAndFeel::AnnounceChange(TleLookAndFeelValues changed) {
  if (changed == 0 || destroying_) return;
  currentKind_ = EffectiveKind();
  currentNative_ = EffectiveNativeStyle();
  for (std::size_t i = 0; i < listeners_.size();) {
    const std::size_t count = listeners_.size();
    listeners_[i]->MasterChangedNotice(this, changed);
    if (listeners_.size() == count) ++i;
  }
  if (OnChanged) OnChanged(this, changed);
}

void TleLookAndFeel::RememberState() {
  rememberedKind_ = currentKind_;
  rememberedNative_ = currentNative_;
}

void TleLookAndFeel::AnnounceStateChanges() {
  TleLookAndFeelValues changed = 0;
  if (EffectiveKind() != rememberedKind_) changed |= lfvsKind;
  if (EffectiveNativeStyle() != rememberedNative_) changed |= lfvsNativeStyle;
  AnnounceChange(changed);
}

void TleLookAndFeel::MasterChangedNotice(TleLookAndFeel*, TleLookAndFeelValues changed) {
  AnnounceChange(changed & static_cast<TleLookAndFeelValues>(~assigned_));
}

void TleLookAndFeel::MasterDestroyingNotice(TleLookAndFeel*) {
  SetMasterLookAndFeel(nullptr);
}

void TleLookAndFeel::SystemColorsChangedNotice() {
  AnnounceChange(lfvsNativeStyle);
}

TleLookAndFeel* LookAndFeelRoot() {
  return P().root.get();
}
int LookAndFeelControllerCount() {
  return P().controllers;
}
void CreateLookAndFeelRoot() {
  if (P().root) return;
  auto root = std::make_unique<TleLookAndFeel>(nullptr);
  root->MarkRoot();
  P().root = std::move(root);
}
void FreeLookAndFeelRoot() {
  P().root.reset();
}

TleLookAndFeelController::TleLookAndFeelController(TComponent* owner) : TComponent(owner) {
  if (TleLookAndFeel* root = LookAndFeelRoot()) root->AddChangeListener(this);
}
TleLookAndFeelController::~TleLookAndFeelController() {
  if (TleLookAndFeel* root = LookAndFeelRoot()) root->RemoveChangeListener(this);
}
TleLookAndFeelKind TleLookAndFeelController::Kind() const {
  return LookAndFeelRoot() ? LookAndFeelRoot()->Kind() : lfUltraFlat;
}
bool TleLookAndFeelController::NativeStyle() const {
  return LookAndFeelRoot() ? LookAndFeelRoot()->NativeStyle() : false;
}
void TleLookAndFeelController::SetKind(TleLookAndFeelKind v) {
  if (TleLookAndFeel* root = LookAndFeelRoot()) root->SetKind(v);
}
void TleLookAndFeelController::SetNativeStyle(bool v) {
  if (TleLookAndFeel* root = LookAndFeelRoot()) root->SetNativeStyle(v);
}

TleSolidBrushCache::TleSolidBrushCache(int capacity)
    : colors_(static_cast<std::size_t>(capacity)),
      brushes_(static_cast<std::size_t>(capacity)),
      uses_(static_cast<std::size_t>(capacity)),
      notifier_(std::make_unique<TleSystemPaletteChangedNotifier>(true)) {
  notifier_->ColorChangedHandler = [this] { DeleteBrushes(); };
}

TleSolidBrushCache::~TleSolidBrushCache() {
  notifier_.reset();
  DeleteBrushes();
}

QBrush TleSolidBrushCache::AcquireBrush(ColorRef color) {
  for (int i = 0; i < used_; ++i) {
    if (colors_[static_cast<std::size_t>(i)] == color) {
      ++uses_[static_cast<std::size_t>(i)];
      return brushes_[static_cast<std::size_t>(i)];
    }
  }
  QBrush brush(winshim::ToQColor(color));
  if (used_ < Capacity()) {
    const auto i = static_cast<std::size_t>(used_++);
    colors_[i] = color;
    brushes_[i] = brush;
    uses_[i] = 1;
  }
  return brush;
}

void TleSolidBrushCache::ReleaseBrush(ColorRef color) {
  for (int i = 0; i < used_; ++i) {
    if (colors_[static_cast<std::size_t>(i)] == color && uses_[static_cast<std::size_t>(i)] > 0) {
      --uses_[static_cast<std::size_t>(i)];
      return;
    }
  }
}

int TleSolidBrushCache::UseCount(ColorRef color) const {
  for (int i = 0; i < used_; ++i) {
    if (colors_[static_cast<std::size_t>(i)] == color) return uses_[static_cast<std::size_t>(i)];
  }
  return 0;
}

void TleSolidBrushCache::DeleteBrushes() {
  for (int i = 0; i < used_; ++i) brushes_[static_cast<std::size_t>(i)] = QBrush();
  used_ = 0;
}

TleSolidBrushCache* SolidBrushCache() {
  return P().brushes.get();
}
void CreateSolidBrushCache() {
  if (!P().brushes) P().brushes = std::make_unique<TleSolidBrushCache>(128);
}
void FreeSolidBrushCache() {
  P().brushes.reset();
}

}  // namespace kelmo::le
