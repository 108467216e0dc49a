// Package identification: what the registry folder holds, from its packages
// or, for the fund and the insurers forming, from the registry database. The
// steps live in their own files: the parties of the packages
// (package_parties.cpp), unpacking and the package heads
// (package_extraction.cpp), the reports of the database
// (package_forming_reports.cpp) and the data-file choice (data_file_choice.cpp).
#include "package_identification.h"

#include <QDir>
#include <QFileInfo>

#include "data_file_dialog.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "error_box.h"
#include "interact/interaction.h"
#include "package_identification_parts.h"

namespace kelmo {

using namespace package_identification;

namespace {

// The "temp" folder of the registry folder, emptied or made. A symbolic link
// in its place is removed, never followed, so nothing outside the registry
// folder is cleared.
void PrepareTempFolder(const QString& registryFolder) {
  const QString temp = TempFolder(registryFolder);
  const QFileInfo info(temp);
  if (info.isSymLink() || (info.exists() && !info.isDir())) QFile::remove(temp);
  if (QFileInfo(temp).isDir()) {
    ClearFolderTree(temp);
  } else if (!QDir().mkdir(temp)) {
    throw FolderNotWritable(temp);
  }
}

}  // namespace

PackageIdentification::PackageIdentification(PackageDatabase& database, TF_XML_load& dialog,
                                             QWidget* parent)
    : database_(database), dialog_(dialog), parent_(parent) {}

void PackageIdentification::ShowRefusal(const QString& text) {
  ShowMessage(parent_, ApplicationTitle(), text);
}

bool PackageIdentification::IdentifyPackages(const IdentificationInput& input, int mode,
                                             bool& XmlPackageMode, bool& PackageConfirmed) {
  XmlPackageMode = false;
  PackageConfirmed = false;
  PackageLists& lists = ThePackageLists();
  lists.DbfRegistryAllowed = true;
  lists.ReportLists = {};
  lists.SenderList.clear();
  lists.XmlPatients.clear();
  folder_ = QDir::fromNativeSeparators(input.Folder);
  if (!folder_.endsWith(u'/')) folder_ += u'/';

  const bool forming = input.Mode == RegistryMode::Form;
  const bool receiving = input.Mode == RegistryMode::Receive;
  codesReversed_ = (input.WhoDetail.IsInstitutionOrFund() && receiving) ||
                   (input.WhoDetail.IsFundOrInsurer() && forming);
  const bool fromDatabase = input.WhoDetail.IsFundOrInsurer() && forming;

  bool refused = false;
  try {
    PrepareTempFolder(folder_);
    refused =
        fromDatabase ? DatabaseBranch(input, XmlPackageMode) : FileBranch(input, XmlPackageMode);
  } catch (const FolderNotWritable& error) {
    ClearFolderTree(TempFolder(folder_));
    XmlPackageMode = false;
    ShowRefusal(QString::fromStdString(error.what()));
    return true;
  } catch (...) {
    // What was unpacked so far is of no use to anyone.
    ClearFolderTree(TempFolder(folder_));
    XmlPackageMode = false;
    throw;
  }
  if (refused) {
    XmlPackageMode = false;
    return true;
  }
  if (mode == 1) return false;
  lists.HasRoundTheClock = false;
  lists.HasDayHospital = false;
  if (!XmlPackageMode) return false;
  PackageConfirmed = ConfirmDataFileChoice(dialog_, folder_, fromDatabase, parent_);
  return false;
}

void PackageIdentification::ResetDialogChoices() {
  for (QRadioButton* b : {dialog_.RadioButton1, dialog_.RadioButton2, dialog_.RadioButton3}) {
    b->setEnabled(false);
    UncheckRadio(b);
  }
  for (int t = 1; t <= 4; ++t) SetBox(dialog_.InPatientTypeBox(t), false);
}

void PackageIdentification::ShowPackageParties() {
  const PackageLists& lists = ThePackageLists();
  if (lists.SenderList.isEmpty()) {
    dialog_.Label6->clear();
    dialog_.Label5->clear();
    return;
  }
  const rSender& sender = lists.SenderList.first();
  dialog_.Label6->setText(sender.Name);
  QStringList names;
  for (const rAdresat& a : sender.Adresats) names.append(a.Name);
  dialog_.Label5->setText(names.join(u'\n'));
}

}  // namespace kelmo
