#include "skinwnd/mdi_form.h"

#include <QMdiArea>

#include "skinwnd/form_traits.h"
#include "skinwnd/provider_face.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;

TkMDIForm::TkMDIForm(TkProviderFace& provider) : SkinProvider(provider) {
  if (QWidget* form = provider.ProviderForm()) {
    Form = form;
    // The form's window, and with it its MDI client, exists from now on.
    ws::HandleOf(form);
  }
}

TkMDIForm::~TkMDIForm() {
  ReleaseClient();
}

void TkMDIForm::AttachClient() {
  if (ClientWrapper) return;
  ConnectClient();
}

void TkMDIForm::ConnectClient() {
  skin::TkCommonData* link = SkinProvider.ProviderLink();
  ReleaseClient();
  if (!link || !link->Skinned()) return;
  QMdiArea* client = MdiClientOf(Form);
  if (!client) return;
  ClientWrapper = MakeMdiWrapper(ws::HandleOf(client), Form, link);
}

void TkMDIForm::ReleaseClient() {
  // The wrapper's destructor gives the client window back and frees its
  // own link.
  ClientWrapper.reset();
}

void TkMDIForm::InvalidateNonClient() {
  SkinProvider.InvalidateNonClient();
}

std::vector<ws::HWND> RedrawAfterSkinRemoval(QWidget* form) {
  std::vector<ws::HWND> redrawn;
  if (!form) return redrawn;
  form->update();
  redrawn.push_back(ws::HandleOf(form));
  if (QMdiArea* client = MdiClientOf(form)) {
    client->viewport()->update();
    client->update();
    redrawn.push_back(ws::HandleOf(client));
  }
  return redrawn;
}

}  // namespace kelmo::skinwnd
