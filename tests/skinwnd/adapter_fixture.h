// A stand-in form provider for the satellites' tests: a form, its skin
// link (section FORM) and the answers a provider gives its control
// adapter, system menu and MDI support.
#pragma once

#include <QWidget>
#include <memory>

#include "skin/skin_link.h"
#include "skinwnd/provider_face.h"

namespace kelmo::skinwnd::testing_provider {

struct FakeProvider : TkProviderFace {
  explicit FakeProvider(QWidget* f) : form(f), link(std::make_unique<skin::TkCommonData>(f, true)) {
    link->SkinSection = QStringLiteral("FORM");
  }
  QWidget* ProviderForm() const override { return form; }
  skin::TkCommonData* ProviderLink() const override { return link.get(); }
  bool SysMenuRemoved() const override { return sysMenuRemoved; }
  void InvalidateNonClient() override { ++invalidated; }

  QWidget* form;
  std::unique_ptr<skin::TkCommonData> link;
  bool sysMenuRemoved = true;
  int invalidated = 0;
};

}  // namespace kelmo::skinwnd::testing_provider
