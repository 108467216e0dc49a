// What the satellites of a form provider (its control adapter, its
// system menu, its MDI support) ask of the provider that owns them. The
// form provider implements it; so may a test.
#pragma once

#include <QString>
#include <functional>

#include "skin/skin_link.h"

class QObject;
class QWidget;

namespace kelmo::skinwnd {

// The provider's OnSkinItem: a control about to be skinned; clearing
// canBeAdded refuses it, skinSection may be changed.
using TAddItemEvent = std::function<void(QObject* item, bool& canBeAdded, QString& skinSection)>;

class TkProviderFace {
 public:
  virtual ~TkProviderFace() = default;
  // The form the provider skins (nullptr when none).
  virtual QWidget* ProviderForm() const = 0;
  // The provider's skin link (section "FORM").
  virtual skin::TkCommonData* ProviderLink() const = 0;
  // The provider took WS_SYSMENU off the form when it took over its frame.
  virtual bool SysMenuRemoved() const = 0;
  // Marks the frame stale and repaints it.
  virtual void InvalidateNonClient() {}

  TAddItemEvent OnSkinItem;
};

}  // namespace kelmo::skinwnd
