// The main window's package identification: the window's period, party,
// mode, folder and payment kind handed to the identification.
#include <QSignalBlocker>

#include "data_file_dialog.h"
#include "domain/run_state.h"
#include "main_window.h"
#include "package_identification.h"
#include "registry_package_database.h"

namespace kelmo {

bool TfmKelmo::IdentifyPackages(int mode, bool& XmlPackageMode, bool& PackageConfirmed) {
  return IdentifyPackages(mode, dlb->directory(), XmlPackageMode, PackageConfirmed);
}

bool TfmKelmo::IdentifyPackages(int mode, const QString& folder, bool& XmlPackageMode,
                                bool& PackageConfirmed) {
  IdentificationInput input;
  input.Folder = folder;
  input.WhoDetail = WhoDetail;
  input.Mode = rgps->itemIndex() == 1 ? RegistryMode::Form : RegistryMode::Receive;
  input.Year = seYear->ValueAsInteger();
  input.Month = cbMonth->currentIndex() + 1;
  input.CurrentLpu =
      ibqLPU.RecordCount() > 0 ? ibqLPU.FieldByName(QStringLiteral("ID")).toInt() : 0;
  input.PayListKind = PayKindOfListIndex(cbVidOp->currentIndex());

  RegistryPackageDatabase database(ibdb, &ibtr);
  std::unique_ptr<TF_XML_load> ownDialog;
  if (F_XML_load_ == nullptr) ownDialog = std::make_unique<TF_XML_load>(this);
  TF_XML_load& dialog = F_XML_load_ != nullptr ? *F_XML_load_ : *ownDialog;
  PackageIdentification identification(database, dialog, this);
  const bool refused =
      identification.IdentifyPackages(input, mode, XmlPackageMode, PackageConfirmed);
  // The payment kind chosen in the dialog shows in the payment list without
  // running the list's change handler.
  const int listIndex = ListIndexOf(TheRunState().PayKind);
  if (listIndex >= 0 && listIndex < cbVidOp->count()) {
    const QSignalBlocker blocker(cbVidOp);
    cbVidOp->setCurrentIndex(listIndex);
  }
  return refused;
}

}  // namespace kelmo
