// Look-and-feel objects: which look (Kind) and whether to draw natively
// (NativeStyle), either assigned or followed from a master, and without a
// master from the one root of the process, which controllers set. Changes
// travel down the master chain to every listener. Also the system-colour
// notification (recomputes the Office-2003 colours, then calls every
// notifier) and the library's solid-brush cache.
#pragma once

#include <QBrush>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "lookandfeel/colors.h"
#include "lookandfeel/le_classes.h"

namespace kelmo::le {

enum TleLookAndFeelKind : std::uint8_t {
  lfFlat = 0,
  lfStandard = 1,
  lfUltraFlat = 2,
  lfOffice11 = 3
};
enum TleLookAndFeelValue : std::uint8_t { lfvKind = 0, lfvNativeStyle = 1 };
using TleLookAndFeelValues = std::uint8_t;  // bit 0 Kind, bit 1 NativeStyle
inline constexpr TleLookAndFeelValues lfvsKind = 1, lfvsNativeStyle = 2;

class TleLookAndFeel;

class ILookAndFeelChangeListener {
 public:
  virtual ~ILookAndFeelChangeListener() = default;
  virtual bool IsLookAndFeelController() const { return false; }
  virtual void MasterChangedNotice(TleLookAndFeel* sender, TleLookAndFeelValues changed) = 0;
  virtual void MasterDestroyingNotice(TleLookAndFeel* sender) = 0;
};

// A notifier of system-colour changes. Primary notifiers hear a change
// before the normal ones; the first notifier made creates the listener
// (which acquires the Office-2003 colours), the last one gone frees it.
class TleSystemPaletteChangedNotifier {
 public:
  explicit TleSystemPaletteChangedNotifier(bool primary);
  virtual ~TleSystemPaletteChangedNotifier();
  TleSystemPaletteChangedNotifier(const TleSystemPaletteChangedNotifier&) = delete;
  TleSystemPaletteChangedNotifier& operator=(const TleSystemPaletteChangedNotifier&) = delete;
  bool Primary() const { return primary_; }
  std::function<void()> ColorChangedHandler;
  virtual void RaiseColorChanged();

 private:
  bool primary_;
};

// The system colours changed (the listener calls it for the application's
// palette change): the Office-2003 colours are recomputed, then every
// primary notifier and every normal one hears it, each list from its last
// entry to its first.
void BroadcastColorChange();
bool PaletteListenerExists();

class TleLookAndFeel : public TleInterfacedPersistent, public ILookAndFeelChangeListener {
 public:
  explicit TleLookAndFeel(TPersistent* owner);
  ~TleLookAndFeel() override;
  TleLookAndFeel(const TleLookAndFeel&) = delete;
  TleLookAndFeel& operator=(const TleLookAndFeel&) = delete;

  TleLookAndFeelKind Kind() const { return currentKind_; }
  bool NativeStyle() const { return currentNative_; }
  void SetKind(TleLookAndFeelKind v);
  void SetNativeStyle(bool v);
  TleLookAndFeelValues AssignedValues() const { return assigned_; }
  void SetAssignedValues(TleLookAndFeelValues v);
  void Reset() { SetAssignedValues(0); }
  // The own values (stored only when assigned).
  TleLookAndFeelKind OwnKind() const { return kind_; }
  bool OwnNativeStyle() const { return native_; }

  TleLookAndFeel* MasterLookAndFeel() const { return master_; }
  TleLookAndFeel* EffectiveMaster() const;
  void SetMasterLookAndFeel(TleLookAndFeel* master);
  virtual TleLookAndFeelKind EffectiveKind() const;
  virtual bool EffectiveNativeStyle() const;
  void Assign(const TleLookAndFeel& source);

  void AddChangeListener(ILookAndFeelChangeListener* listener);
  void RemoveChangeListener(ILookAndFeelChangeListener* listener);
  bool HasListener(const ILookAndFeelChangeListener* listener) const;

  void MasterChangedNotice(TleLookAndFeel* sender, TleLookAndFeelValues changed) override;
  void MasterDestroyingNotice(TleLookAndFeel* sender) override;
  virtual void SystemColorsChangedNotice();

  std::function<void(TleLookAndFeel*, TleLookAndFeelValues)> OnChanged;
  bool IsRoot() const { return isRoot_; }
  void MarkRoot();

 private:
  TleLookAndFeelKind InheritedKind() const;
  bool InheritedNativeStyle() const;
  void AnnounceChange(TleLookAndFeelValues changed);
  void RememberState();
  void AnnounceStateChanges();

  TleLookAndFeelValues assigned_ = 0;
  TleLookAndFeelKind kind_ = lfUltraFlat;
  bool native_ = false;
  TleLookAndFeelKind currentKind_ = lfUltraFlat;
  bool currentNative_ = false;
  TleLookAndFeelKind rememberedKind_ = lfUltraFlat;
  bool rememberedNative_ = false;
  std::vector<ILookAndFeelChangeListener*> listeners_;
  TleLookAndFeel* master_ = nullptr;
  bool isRoot_ = false;
  bool destroying_ = false;
  std::unique_ptr<TleSystemPaletteChangedNotifier> notifier_;
};

// The root of the process (none before start-up and after close-down).
TleLookAndFeel* LookAndFeelRoot();
int LookAndFeelControllerCount();
void CreateLookAndFeelRoot();
void FreeLookAndFeelRoot();

// A component that sets the root's values; the last one gone resets them.
class TleLookAndFeelController : public TComponent, public ILookAndFeelChangeListener {
 public:
  explicit TleLookAndFeelController(TComponent* owner);
  ~TleLookAndFeelController() override;
  TleLookAndFeelKind Kind() const;
  bool NativeStyle() const;
  void SetKind(TleLookAndFeelKind v);
  void SetNativeStyle(bool v);
  bool IsLookAndFeelController() const override { return true; }
  void MasterChangedNotice(TleLookAndFeel*, TleLookAndFeelValues) override {}
  void MasterDestroyingNotice(TleLookAndFeel*) override {}
};

// Solid brushes shared by colour, up to the capacity; every brush is
// dropped when the system colours change.
class TleSolidBrushCache {
 public:
  explicit TleSolidBrushCache(int capacity);
  ~TleSolidBrushCache();
  // The brush of the colour, made when missing (a temporary one when the
  // cache is full); each acquisition counts a use.
  QBrush AcquireBrush(ColorRef color);
  void ReleaseBrush(ColorRef color);
  int Count() const { return used_; }
  int UseCount(ColorRef color) const;
  int Capacity() const { return static_cast<int>(colors_.size()); }
  virtual void DeleteBrushes();

 private:
  std::vector<ColorRef> colors_;
  std::vector<QBrush> brushes_;
  std::vector<int> uses_;
  int used_ = 0;
  std::unique_ptr<TleSystemPaletteChangedNotifier> notifier_;
};

TleSolidBrushCache* SolidBrushCache();
void CreateSolidBrushCache();
void FreeSolidBrushCache();

}  // namespace kelmo::le
