// A stand-in owner of an extended-border window and of caption-button
// fades: a frameless form with a sizing frame, its skin link and cache,
// four caption buttons and user buttons in cache coordinates, a system
// menu whose answers a test sets, and a record of what the window and the
// fades asked of it.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "skin/skin_link.h"
#include "skinwnd/border_form.h"
#include "skinwnd/border_owner.h"
#include "skinwnd/sys_menu.h"
#include "skinwnd/title_buttons.h"

namespace kelmo::skinwnd::testing_border {

struct AnswersMenu : TkCustomSysMenu {
  bool close = true, max = true, min = true, enMax = true, enMin = true, enRestore = false;
  bool VisibleClose() const override { return close; }
  bool VisibleMax() const override { return max; }
  bool VisibleMin() const override { return min; }
  bool EnabledMax() const override { return enMax; }
  bool EnabledMin() const override { return enMin; }
  bool EnabledRestore() const override { return enRestore; }
};

struct FakeOwner : TkaBorderOwner {
  QWidget* form;
  skin::TkCommonData* link;
  AnswersMenu menu;
  bool dialog = false, help = false, alphaBlend = false;
  int alphaValue = 255;
  int c0 = 22, c1 = 30, menuLine = 0;
  winshim::Rect icon{20, 16, 36, 32};
  winshim::Rect clientInFrame{};
  TitleBtnData close, max, min, helpBtn;
  TkTitleButtons users;
  std::vector<int> hot;  // the codes SetHotButton was given
  int painted = 0;
  // Last, so that it goes first: it stops the buttons' fades.
  std::unique_ptr<TkaBorderForm> border;

  FakeOwner(QWidget* f, skin::TkCommonData* l) : form(f), link(l) {
    close.HitCode = 20;
    max.HitCode = 9;
    min.HitCode = 8;
    helpBtn.HitCode = 21;
  }
  void MakeBorder() {
    border = std::make_unique<TkaBorderForm>(*this);
    border->SkinData = link;
  }
  winshim::HWND OwnerHandle() const override { return winshim::HandleOf(form); }
  bool IsDialogOwner() const override { return dialog; }
  skin::TkCommonData* OwnerLink() const override { return link; }
  TkaBorderForm* OwnerBorderForm() const override { return border.get(); }
  int OwnerCaptionHeight(bool useExt) const override { return useExt ? c1 : c0; }
  int OwnerMenuLineHeight() const override { return menuLine; }
  winshim::Rect OwnerTitleIconRect() const override { return icon; }
  TkCustomSysMenu* OwnerSysMenu() const override { return const_cast<AnswersMenu*>(&menu); }
  bool OwnerHasHelpButton() const override { return help; }
  TitleBtnData* OwnerButton(int code) override {
    switch (code) {
      case 20:
        return &close;
      case 9:
        return &max;
      case 8:
        return &min;
      case 21:
        return &helpBtn;
      default:
        return code >= 1000 && users.Items(code - 1000) ? &users.Items(code - 1000)->BtnData
                                                        : nullptr;
    }
  }
  int OwnerUserButtonCount() const override { return users.Count(); }
  TkTitleButton* OwnerUserButton(int index) const override { return users.Items(index); }
  void OwnerSetHotButton(int code) override { hot.push_back(code); }
  void OwnerFreeButtonTimers() override {
    for (TitleBtnData* b : {&close, &max, &min, &helpBtn}) b->Timer.reset();
  }
  void OwnerPaintFrame() override {
    ++painted;
    link->BGChanged = false;
  }
  bool OwnerAlphaBlend() const override { return alphaBlend; }
  int OwnerAlphaBlendValue() const override { return alphaValue; }
  winshim::Rect OwnerClientRectInFrame() const override { return clientInFrame; }
  int LastHot() const { return hot.empty() ? 0 : hot.back(); }
};

}  // namespace kelmo::skinwnd::testing_border
