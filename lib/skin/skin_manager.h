// TkSkinManagerComponent: the skin manager as the program holds it. It owns
// a loaded skin (the tables of `Manager`, which painters and skin links
// read) and the options of the skinning library, loads a skin by name
// from a skin folder, a packed ".skz" file or a skin stored with it, and
// announces a new or removed skin to every form through the skin message.
//
// The first manager made while none is the default becomes the default
// one: links without a manager of their own use it, and only it hooks the
// application (theme changes, activation) and switches automatic skinning
// on. A load builds into fresh tables and hands them over only when it
// succeeds; a load that fails tells the links the skin is gone and lets
// the error reach the caller. GUI thread only.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "skin/anim_options.h"
#include "skin/skin_data.h"
#include "skin/skinable_menus.h"
#include "skin/stored_skins.h"
#include "winshim/hooks.h"

namespace kelmo::skin {

struct TkSkinSource;

// Which windows the manager skins on its own: standard forms, standard
// dialogs, and other makers' controls through the forms' control adapters.
enum TkaSkinningRule : std::uint8_t { srStdForms = 1, srStdDialogs = 2, srThirdParty = 4 };
using TkaSkinningRules = std::uint8_t;

// What the thread hook of automatic skinning does with each notice once it
// has passed it on, and when it comes and goes. Window skinning fills it in
// (skinwnd's StartAutoSkinning); without it the hook only passes notices on.
struct TkAutoSkinProcs {
  std::function<void(int code, winshim::WPARAM wParam)> Notice;
  std::function<void()> Installed;
  std::function<void()> Removed;
};
TkAutoSkinProcs& AutoSkinProcs();

class TkSkinManagerComponent {
 public:
  TkSkinManagerComponent();
  ~TkSkinManagerComponent();
  TkSkinManagerComponent(const TkSkinManagerComponent&) = delete;
  TkSkinManagerComponent& operator=(const TkSkinManagerComponent&) = delete;

  // The tables and look-ups of the loaded skin.
  TkSkinManager Manager;

  // Properties, as a form stores them.
  bool ExtendedBorders() const { return extendedBorders_; }
  void SetExtendedBorders(bool value);
  bool SkinnedPopups() const { return skinnedPopups_; }
  void SetSkinnedPopups(bool value);
  bool IsDefault() const { return TkSkinManager::Default() == &Manager; }
  void SetIsDefault(bool value);
  bool Active() const { return Manager.Active; }
  void SetActive(bool value);
  const QStringList& CommonSections() const { return commonSections_; }
  // Each line that is not empty and not a comment loses its blanks; then
  // the skin is loaded again.
  void SetCommonSections(const QStringList& value);
  int Saturation() const { return saturation_; }
  void SetSaturation(int value);
  int HueOffset() const { return hueOffset_; }
  void SetHueOffset(int value);
  const QString& SkinDirectory() const { return skinDirectory_; }
  void SetSkinDirectory(const QString& value);
  const QString& SkinName() const { return skinName_; }
  // Loads the skin of that name (when active) and announces it.
  void SetSkinName(const QString& value);
  // The loaded skin's version, or "N/A".
  QString SkinInfo() const;
  static QString Version() { return QStringLiteral("6.44"); }

  TkaAnimEffects AnimEffects;
  // The menus' options and the menu object of this manager.
  TkaMenuSupport MenuSupport;
  TkSkinableMenus Menus{&Manager};
  // Asked before a popup menu shows its extra line: the menu's first item,
  // the line's section, whether it is shown, its picture and its text.
  std::function<void(QAction*, QString& section, bool& show, QImage& graphic, QString& text)>
      OnGetExtraLineData;
  TkStoredSkins InternalSkins;
  ThirdPartyList ThirdParty;
  std::array<QStringList, kThirdPartyCount> ThirdLists;
  TkaSkinningRules SkinningRules = srStdForms | srStdDialogs | srThirdParty;
  std::function<void(TkSkinManagerComponent*)> OnBeforeChange, OnAfterChange;
  // Where the version notices of a load go (a plain message box).
  std::function<void(const QString&)> Notify;

  // Reading stored properties: between the two nothing is announced.
  void BeginLoading() { loading_ = true; }
  bool IsLoading() const { return loading_; }
  void Loaded();

  // Loading (the skin named SkinName); false when nothing was loaded.
  bool LoadSkin();
  bool LoadPackedSkin();
  // SkinDirectory made absolute against the program's folder, with "/".
  QString GetFullSkinDirectory() const;
  // Kind 0 folders, 1 packed files, 2 both; stored skins first.
  QStringList GetSkinNames(int kind, QString* first = nullptr) const;
  bool FromPackage = false;

  void SendNewSkin(bool repaint);
  void SendRemoveSkin();
  void RepaintForms();
  void SetActiveControl(winshim::HWND window);
  winshim::HWND ActiveControl() const { return activeControl_; }
  // The hook on the application's main window; true when it handled the
  // message (the application does not see it).
  bool MainWindowHook(winshim::Msg& msg);
  void InstallAutoSkinHook();
  void RemoveAutoSkinHook();
  bool HookInstalled() const { return autoSkinHook_ != 0; }
  bool MainWindowHooked() const { return appFilter_ != nullptr; }

  // The shadow pictures of an extended border and its widths.
  QImage ShadowActive, ShadowInactive;
  winshim::Rect ShadowMargins;
  void UpdateShadowImages();

 private:
  void Build(const TkSkinSource& source);
  void Reload();

  bool extendedBorders_ = false;
  bool skinnedPopups_ = true;
  QStringList commonSections_;
  int saturation_ = 0;
  int hueOffset_ = 0;
  QString skinDirectory_ = QStringLiteral("c:\\Skins");
  QString skinName_;
  bool loading_ = false;
  winshim::HWND activeControl_ = 0;
  winshim::HHOOK autoSkinHook_ = 0;
  std::unique_ptr<QObject> appFilter_;
};

}  // namespace kelmo::skin
