// Package identification: the payment kind a package brings, and the user's
// confirmation of what to take in the data-file choice dialog.
#include "package_identification.h"

#include <QDir>
#include <QFile>

#include "data_file_dialog.h"
#include "domain/common.h"
#include "domain/package_files.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "error_box.h"
#include "interact/interaction.h"
#include "package_identification_parts.h"

namespace kelmo {

using namespace package_identification;

void PackageIdentification::ApplyDefaultPayment() {
  const PayKind payKind = TheRunState().PayKind;
  QRadioButton* choice = nullptr;
  if (dialog_.RadioButton1->isEnabled() && payKind == PayKind::Oms) {
    choice = dialog_.RadioButton1;
  } else if (dialog_.RadioButton2->isEnabled() && payKind == PayKind::Rehabilitation) {
    choice = dialog_.RadioButton2;
  } else if (dialog_.RadioButton3->isEnabled() && payKind == PayKind::Vmp) {
    choice = dialog_.RadioButton3;
  } else {
    for (QRadioButton* b : {dialog_.RadioButton1, dialog_.RadioButton2, dialog_.RadioButton3}) {
      if (choice == nullptr && b->isEnabled()) choice = b;
    }
  }
  if (choice != nullptr) choice->setChecked(true);
}

bool ConfirmDataFileChoice(TF_XML_load& dialog, const QString& registryFolder, bool fromDatabase,
                           QWidget* parent) {
  PackageLists& lists = ThePackageLists();
  if (!Interact().RunModal(dialog)) return false;
  lists.HasRoundTheClock = dialog.CheckBox3->isChecked();
  lists.HasDayHospital = dialog.CheckBox4->isChecked() || dialog.CheckBox5->isChecked() ||
                         dialog.CheckBox6->isChecked();
  lists.PackageFiles.clear();
  RunState& state = TheRunState();
  state.PayKind = PayKind::None;

  QList<rAdresat>* adresats = lists.SenderList.isEmpty() ? nullptr : &lists.SenderList[0].Adresats;
  auto startsWith = [](const rFile& f, QChar c) {
    return !f.SourceName.isEmpty() && f.SourceName[0] == c;
  };
  if (dialog.RadioButton1->isChecked() || dialog.RadioButton2->isChecked()) {
    const bool main = dialog.RadioButton1->isChecked();
    state.PayKind = main ? PayKind::Oms : PayKind::Rehabilitation;
    lists.PayFolderWord = PayFolderWordOf(state.PayKind);
    for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
      QList<rFile>& files = (*adresats)[a].Files;
      if (files.isEmpty() || !startsWith(files.last(), u'T')) continue;
      if (main && !fromDatabase) {
        const QString folder = PackageFolder(registryFolder, files.last());
        DeletePackageXml(lists, folder, static_cast<int>(a), static_cast<int>(files.size() - 1));
        QDir().rmdir(folder);
      }
      files.removeLast();
    }
  } else if (dialog.RadioButton3->isChecked()) {
    state.PayKind = PayKind::Vmp;
    lists.PayFolderWord = PayFolderWordOf(state.PayKind);
    for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
      QList<rFile>& files = (*adresats)[a].Files;
      if (files.isEmpty() || !startsWith(files.first(), u'H')) continue;
      if (files.size() > 1 && !fromDatabase) {
        const QString folder = PackageFolder(registryFolder, files.first());
        DeleteFirstPackageXml(lists, folder, static_cast<int>(a));
        QDir().rmdir(folder);
      }
      files.removeFirst();
    }
  }
  // An addressee left without a package of the chosen kind has nothing to
  // load; keeping it would make the loading take another's package.
  for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
    if ((*adresats)[a].Files.isEmpty()) adresats->removeAt(a--);
  }

  for (int t = 1; t <= 4; ++t) {
    if (dialog.InPatientTypeBox(t)->isChecked()) continue;
    for (QList<rRepn>& list : lists.ReportLists) {
      for (rRepn& r : list) {
        if (r.TipStac == t) r.TipStac = 0;
      }
    }
  }
  for (QList<rRepn>& list : lists.ReportLists) {
    list.removeIf([](const rRepn& r) { return r.TipStac == 0; });
  }
  bool anyNotFund = false, anyFund = false;
  for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
    if ((*adresats)[a].Kind == PartyKind::Fund) {
      anyFund = true;
    } else {
      anyNotFund = true;
    }
  }
  if (!anyNotFund) lists.ReportLists[Population::Local].clear();
  if (!anyFund) lists.ReportLists[Population::OutOfRegion].clear();

  if (state.PayKind == PayKind::None || (lists.ReportCount(Population::Local) == 0 &&
                                         lists.ReportCount(Population::OutOfRegion) == 0)) {
    ShowMessage(parent, ApplicationTitle(),
                QStringLiteral("Отсутствуют данные для формирования/приёма реестров"));
    return false;
  }
  return true;
}

}  // namespace kelmo
