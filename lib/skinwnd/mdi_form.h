// TkMDIForm, the MDI support of a form provider on an MDI parent: wraps
// the form's MDI client window (a QMdiArea) in its wrapper while the
// provider is skinned, and forwards the request to repaint the frame.
// GUI thread only.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "skinwnd/mdi_wnd.h"

namespace kelmo::skinwnd {

class TkProviderFace;

class TkMDIForm {
 public:
  explicit TkMDIForm(TkProviderFace& provider);
  // ReleaseClient.
  ~TkMDIForm();
  TkMDIForm(const TkMDIForm&) = delete;
  TkMDIForm& operator=(const TkMDIForm&) = delete;

  QPointer<QWidget> Form;
  std::unique_ptr<TkaMDIWnd> ClientWrapper;
  TkProviderFace& SkinProvider;

  // Wraps the client unless wrapped already.
  void AttachClient();
  // Wraps the client anew when the provider is skinned; else gives it back.
  void ConnectClient();
  void ReleaseClient();
  void InvalidateNonClient();
};

// After a skin removal: the windows to repaint, the form and, only on an
// MDI parent, its MDI client; never more. Returns them as repainted.
std::vector<winshim::HWND> RedrawAfterSkinRemoval(QWidget* form);

}  // namespace kelmo::skinwnd
