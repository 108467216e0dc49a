#include "skin/skin_manager.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>

#include "skin/glow.h"
#include "skin/png_graphic.h"
#include "skin/skin_colors.h"
#include "skin/skin_images_loading.h"
#include "skin/skin_loading.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_utils.h"

namespace kelmo::skin {
namespace ws = winshim;

namespace {

// The application's messages the main-window hook hears: a theme change
// and the application becoming active.
class AppHookFilter : public QObject {
 public:
  explicit AppHookFilter(TkSkinManagerComponent& owner) : owner_(owner) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    ws::Msg msg;
    if (event->type() == QEvent::ThemeChange)
      msg.msg = ws::WM_THEMECHANGED;
    else if (event->type() == QEvent::ApplicationActivate && watched == qApp)
      msg.msg = kCmActivate;
    else
      return false;
    return owner_.MainWindowHook(msg);
  }
  static constexpr unsigned kCmActivate = ws::CM_BASE;

 private:
  TkSkinManagerComponent& owner_;
};

std::unique_ptr<TkaSkinConvertor> Unpack(const std::vector<std::uint8_t>& bytes,
                                         const QString& what) {
  auto convertor = std::make_unique<TkaSkinConvertor>();
  convertor->SetOwnedPackedData(std::make_unique<zip::TMemoryStream>(bytes));
  try {
    convertor->ReadPackedData();
  } catch (const ESkinPackError& e) {
    throw ESkinPackError(what.toStdString() + ": " + e.what());
  }
  convertor->FreePackedData();
  if (!convertor->OptionsData)
    throw ESkinOptionsError(("The packed skin holds no options text: " + what).toStdString());
  return convertor;
}

SkinOptionsIni OptionsOf(const TkaSkinConvertor& convertor) {
  return SkinOptionsIni::FromBytes(convertor.OptionsData->Data());
}

}  // namespace

TkAutoSkinProcs& AutoSkinProcs() {
  static TkAutoSkinProcs procs;
  return procs;
}

TkSkinManagerComponent::TkSkinManagerComponent() {
  Manager.Component = this;
  // The first manager is the default one and hooks the application.
  if (TkSkinManager::Default() == &Manager && qApp) {
    appFilter_ = std::make_unique<AppHookFilter>(*this);
    qApp->installEventFilter(appFilter_.get());
  }
  UpdateThirdPartyLists(ThirdParty, ThirdLists, false);
}

TkSkinManagerComponent::~TkSkinManagerComponent() {
  // Links that name this manager drop it when they hear the removal, so
  // none keeps a pointer to it; an inactive manager announces it too.
  Manager.Destroying = true;
  if (Active())
    SetActive(false);
  else
    BroadcastToAppForms(SkinMessage(scRemoveSkin, ws::LPARAM(&Manager)));
  extendedBorders_ = false;
  RemoveAutoSkinHook();
  // The hook goes with the manager that installed it, default or not.
  if (appFilter_ && qApp) qApp->removeEventFilter(appFilter_.get());
  appFilter_.reset();
  if (IsDefault()) TkSkinManager::SetDefault(nullptr);
}

void TkSkinManagerComponent::Loaded() {
  loading_ = false;
  UpdateThirdPartyLists(ThirdParty, ThirdLists, false);
  if (Active() && !skinName_.isEmpty()) SendNewSkin(false);
}

QString TkSkinManagerComponent::GetFullSkinDirectory() const {
  QString dir = skin::GetFullSkinDirectory(skinDirectory_, ExeFolderPath());
  dir.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

QStringList TkSkinManagerComponent::GetSkinNames(int kind, QString* first) const {
  QStringList internal;
  for (const TkStoredSkin& s : InternalSkins.Items) internal << s.Name;
  return skin::GetSkinNames(GetFullSkinDirectory(), kind, internal, first);
}

void TkSkinManagerComponent::Build(const TkSkinSource& source) {
  TkSkinTables fresh;
  TkSkinData data = Manager.SkinData;
  data.SkinFolder = source.SkinFolder;
  LoadAllMasks(fresh, &Manager, source, commonSections_);
  LoadAllPatterns(fresh, &Manager, source, commonSections_);
  if (source.Ini)
    fresh.gd = ReadGeneralData(*source.Ini, data, Notify, false);
  else if (source.Internal)
    fresh.gd = ReadStoredGeneralData(*source.Internal, data, Notify, false);
  MergeCommonSections(fresh.gd, commonSections_);
  // Everything was read: the new skin replaces the old one whole.
  data.SkinActive = Manager.SkinData.SkinActive;
  static_cast<TkSkinTables&>(Manager) = std::move(fresh);
  Menus.SetSkinBorderWidth(-1);
  Manager.SkinData = std::move(data);
  ChangeHue(Manager, hueOffset_);
  ChangeSaturation(Manager, saturation_);
  Manager.UpdateSectionImages();
  Manager.UpdateConstData();
  UpdateShadowImages();
}

bool TkSkinManagerComponent::LoadSkin() {
  if (!Active()) return false;
  const QString dir = GetFullSkinDirectory();
  const QString options = dir + skinName_ + QStringLiteral("/Options.dat");
  if (QFileInfo(options).isFile() && !QFileInfo(options).isSymLink()) {
    FromPackage = false;
    const SkinOptionsIni ini = SkinOptionsIni::FromFile(options);
    TkSkinSource source;
    source.Ini = &ini;
    source.SkinFolder = dir + skinName_ + QLatin1Char('/');
    Build(source);
    return true;
  }
  int index = InternalSkins.IndexOf(skinName_);
  if (index < 0 && !InternalSkins.Items.empty()) {
    index = 0;
    skinName_ = InternalSkins.Items.front().Name;
  }
  if (index < 0) {
    Manager.Active = false;
    return false;
  }
  const TkStoredSkin& stored = InternalSkins.Items[std::size_t(index)];
  TkSkinSource source;
  if (!stored.Data.empty()) {
    FromPackage = true;
    const auto convertor =
        Unpack(stored.Data, QStringLiteral("stored skin \"%1\"").arg(stored.Name));
    const SkinOptionsIni ini = OptionsOf(*convertor);
    source.Ini = &ini;
    source.Packed = convertor.get();
    Build(source);
  } else {
    FromPackage = false;
    source.Internal = &stored;
    Build(source);
  }
  return true;
}

bool TkSkinManagerComponent::LoadPackedSkin() {
  if (!Active()) return false;
  const QString dir = GetFullSkinDirectory();
  const QString file = dir + skinName_ + QStringLiteral(".skz");
  const QByteArray bytes = ReadSkinFile(file, kMaxPackTotalSize);
  const auto convertor = Unpack(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), file);
  const SkinOptionsIni ini = OptionsOf(*convertor);
  TkSkinSource source;
  source.Ini = &ini;
  source.Packed = convertor.get();
  source.SkinFolder = dir;
  Build(source);
  return true;
}

void TkSkinManagerComponent::SetActive(bool value) {
  if (value == Manager.Active) return;
  Manager.Active = value;
  if (value) {
    SetSkinName(skinName_);
    return;
  }
  if (!loading_) SendRemoveSkin();
  Manager.UpdateConstData();
}

void TkSkinManagerComponent::SetSkinName(const QString& value) {
  skinName_ = value;
  if (!Active()) return;
  if (OnBeforeChange) OnBeforeChange(this);
  Manager.SkinData.SkinActive = false;
  // The same absolute directory serves the package test and both loads.
  FromPackage = QFileInfo(GetFullSkinDirectory() + value + QStringLiteral(".skz")).isFile();
  try {
    if (FromPackage)
      LoadPackedSkin();
    else
      LoadSkin();
  } catch (...) {
    // The old tables stay whole until a load succeeds; the links are told
    // that no skin is in force.
    SendRemoveSkin();
    throw;
  }
  if (Active())
    SendNewSkin(true);
  else
    SendRemoveSkin();
  if (OnAfterChange) OnAfterChange(this);
}

void TkSkinManagerComponent::Reload() {
  if (!Manager.SkinData.SkinActive) return;
  FromPackage = QFileInfo(GetFullSkinDirectory() + skinName_ + QStringLiteral(".skz")).isFile();
  if (FromPackage)
    LoadPackedSkin();
  else
    LoadSkin();
  if (!loading_) RepaintForms();
}

void TkSkinManagerComponent::SetHueOffset(int value) {
  if (value == hueOffset_) return;
  hueOffset_ = value;
  Reload();
}

void TkSkinManagerComponent::SetSaturation(int value) {
  if (value == saturation_) return;
  saturation_ = value;
  Reload();
}

void TkSkinManagerComponent::SetExtendedBorders(bool value) {
  if (value == extendedBorders_) return;
  extendedBorders_ = value;
  if (Manager.SkinData.SkinActive) UpdateShadowImages();
  Reload();
}

void TkSkinManagerComponent::SetCommonSections(const QStringList& value) {
  commonSections_.clear();
  for (QString line : value) {
    if (!line.isEmpty() && !line.startsWith(QLatin1Char(';'))) line.remove(QLatin1Char(' '));
    commonSections_ << line;
  }
  SetSkinName(skinName_);
}

void TkSkinManagerComponent::SetSkinDirectory(const QString& value) {
  if (value == skinDirectory_) return;
  skinDirectory_ = value;
  Manager.SkinData.SkinFolder = GetFullSkinDirectory();
}

void TkSkinManagerComponent::SetSkinnedPopups(bool value) {
  skinnedPopups_ = value;
}

void TkSkinManagerComponent::SetIsDefault(bool value) {
  if (!value && TkSkinManager::Default()) return;
  TkSkinManager::SetDefault(&Manager);
  if (Active()) {
    SendNewSkin(true);
    RepaintForms();
  } else {
    SendRemoveSkin();
  }
}

QString TkSkinManagerComponent::SkinInfo() const {
  // QString::number writes "." whatever the locale.
  return Manager.SkinData.SkinActive ? QString::number(Manager.SkinData.SkinVersion)
                                     : QStringLiteral("N/A");
}

void TkSkinManagerComponent::SendNewSkin(bool repaint) {
  if (loading_) return;
  ClearGlows();
  const bool animate = IsDefault() && AnimEffects.SkinChanging.Active;
  if (repaint) LockFormsRedraw(&Manager, animate);
  Manager.SkinData.SkinActive = false;
  SetSkinIsChanging(true);
  Manager.UpdateConstData();
  BroadcastToAppForms(SkinMessage(scNewSkin, ws::LPARAM(&Manager)));
  SetSkinIsChanging(false);
  Manager.SkinData.SkinActive = true;
  if (IsDefault() && !HookInstalled()) InstallAutoSkinHook();
  if (repaint) RepaintForms();
}

void TkSkinManagerComponent::SendRemoveSkin() {
  SetSkinRemoving(true);
  ClearGlows();
  RemoveAutoSkinHook();
  Manager.SkinData.SkinActive = false;
  BroadcastToAppForms(SkinMessage(scRemoveSkin, ws::LPARAM(&Manager)));
  Manager.FreeTables();
  SetSkinRemoving(false);
}

void TkSkinManagerComponent::RepaintForms() {
  const ws::LPARAM self = ws::LPARAM(&Manager);
  BroadcastToAppForms(SkinMessage(scPrepareUpdate, self));
  const bool animate = IsDefault() && AnimEffects.SkinChanging.Active;
  if (!loading_) LockFormsRedraw(&Manager, animate);
  BroadcastToAppForms(SkinMessage(scRepaint, self));
  if (!loading_) UnlockFormsRedraw(&Manager, true, animate, AnimEffects.SkinChanging.Time);
}

void TkSkinManagerComponent::SetActiveControl(ws::HWND window) {
  if (window == activeControl_) return;
  const ws::HWND previous = activeControl_;
  activeControl_ = window;
  if (previous) SendSkinCommand(previous, scMouseLeave, ws::LPARAM(&Manager));
  if (window) SendSkinCommand(window, scMouseEnter, ws::LPARAM(&Manager));
}

bool TkSkinManagerComponent::MainWindowHook(ws::Msg& msg) {
  if (!skinnedPopups_) return false;
  if (msg.msg == ws::WM_THEMECHANGED)
    // The platform's theme would undo the skin's look: while a skin is in
    // force the application does not see the change.
    return Manager.SkinData.SkinActive;
  if (msg.msg == AppHookFilter::kCmActivate) {
    const auto forms = ApplicationForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
      if (*it) SendSkinCommand(ws::HandleOf(*it), scFormActivated, 0);
  }
  return false;
}

void TkSkinManagerComponent::InstallAutoSkinHook() {
  if (!IsDefault() || HookInstalled()) return;
  // The thread hook through which standard dialogs are skinned as they
  // appear; it passes every notice on.
  autoSkinHook_ = ws::SetWindowsHookEx(ws::WH_CBT, [this](int code, ws::WPARAM w, ws::LPARAM l) {
    const ws::LRESULT answer = ws::CallNextHookEx(autoSkinHook_, code, w, l);
    if (const auto& notice = AutoSkinProcs().Notice) notice(code, w);
    return answer;
  });
  if (const auto& installed = AutoSkinProcs().Installed) installed();
}

void TkSkinManagerComponent::RemoveAutoSkinHook() {
  if (!HookInstalled()) return;
  ws::UnhookWindowsHookEx(autoSkinHook_);
  autoSkinHook_ = 0;
  if (const auto& removed = AutoSkinProcs().Removed) removed();
}

void TkSkinManagerComponent::UpdateShadowImages() {
  if (!Active() || !extendedBorders_) {
    ShadowMargins = {};
    return;
  }
  ShadowActive = ShadowInactive = QImage();
  const int e = Manager.ConstData.ExBorder;
  if (!Manager.IsValidImgIndex(e)) return;
  const TkMaskData& m = Manager.ma[std::size_t(e)];
  const int f = Manager.SkinData.FormOffsetEx;
  ShadowMargins = Manager.SkinData.BorderModeEx == 0
                      ? ws::Rect{m.WL - f, m.WT - f, m.WR - f, m.WB - f}
                      : ws::Rect{f, f, f, f};
  if (!m.Bmp) return;
  const int w = MaskImageWidth(m), h = MaskImageHeight(m);
  const QImage source = m.Bmp->convertToFormat(QImage::Format_ARGB32);
  ShadowInactive = source.copy(0, 0, w, h);
  ShadowActive = m.ImageCount == 1 ? ShadowInactive : source.copy(w, 0, w, h);
  ClearWhiteTransparentPixels(ShadowActive);
  ClearWhiteTransparentPixels(ShadowInactive);
}

}  // namespace kelmo::skin
