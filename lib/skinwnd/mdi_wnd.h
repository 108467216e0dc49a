// TkaMDIWnd: the wrapper of the MDI client window (a QMdiArea) of a skinned
// MDI parent form. The client's background and border are copied from the
// form's skin link's cache, where the form's painting puts the whole form
// including the MDI area; without one that must repaint and without an
// MDIAREA section the client shows the form's colour. Its scroll bars are
// skinned, and its drawing is frozen while a skinned scroll is sent.
// GUI thread only.
#pragma once

#include <QBrush>

#include "skinwnd/edit_wnd.h"

namespace kelmo::skinwnd {

class TkaMDIWnd : public TkaBaseWnd {
 public:
  using TkaBaseWnd::TkaBaseWnd;
  ~TkaMDIWnd() override;

  QWidget* MdiForm = nullptr;                  // the MDI parent form
  skin::TkCommonData* ProviderLink = nullptr;  // the form's skin link (not owned)

  // The client's window rectangle at (0, 0), and where it lies in the
  // form's cache.
  Rect MdiClientRect() const;
  Rect MdiClientRectInCache() const;
  void PaintMdiArea(winshim::Dc& dc, bool forPrint);
  void PaintMdiBorder(winshim::Dc& dc);

  // The area's own background brush is kept and given back; skinned, the
  // area paints none, so the client's background shows.
  void KeepOwnLook() override;
  void RestoreOwnLook() override;
  void ApplySectionLook() override;
  void WndProc(Msg& msg, const NextHandler& next) override;
  QPoint BarBgOffset() const override;

 private:
  bool MaximizedChild() const;
  bool HasMdiAreaSection() const;
  TColor FormColor() const;
  void After(const Msg& msg);
  QBrush ownBackground_;
  bool ownFill_ = false;
  bool kept_ = false;
};

// Makes the wrapper of a form's MDI client: its own link for the section
// CHECKBOX, the provider link's manager.
std::unique_ptr<TkaMDIWnd> MakeMdiWrapper(HWND client, QWidget* form,
                                          skin::TkCommonData* providerLink);

}  // namespace kelmo::skinwnd
