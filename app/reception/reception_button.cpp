// The reception button's click, its dispatch by payment kind, and the mode
// and payment-kind handlers.
#include "reception_button.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

#include "combined_report_button.h"
#include "documents/un_corr.h"
#include "domain/package_lists.h"
#include "domain/report_period.h"
#include "domain/run_state.h"
#include "filenames/file_lookup.h"
#include "interact/interaction.h"
#include "reception_context.h"
#include "shell/data_module.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shell/window_run_user.h"
#include "upload_all_button.h"

namespace kelmo {

namespace {

void CloseOperAnalysis(ReceptionState& state) {
  if (state.OperAnalysisOpen && state.OperAnalysisFile) state.OperAnalysisFile->close();
  state.OperAnalysisOpen = false;
}

// Forming preparation of a DBF registry: the split-report folders, the old
// cost files and the insurers' copies of the tables, all below the registry
// folder (the process's current folder is never changed).
void PrepareFormingFolders(const QString& registry, int stacIndex, ReceptionState& state,
                           QWidget* owner) {
  const PayKind payKind = TheRunState().PayKind;
  if (!TakenByReceptionRun(payKind)) return;
  PackageLists& lists = ThePackageLists();
  lists.PayFolderWord = PayFolderWordOf(payKind);
  if (state.XmlPackageMode) return;
  lists.ReportLists = {};
  const QString report = QStringLiteral("Отчет по стационару");
  QDir(registry).mkdir(report);
  const QDir reportDir(QDir(registry).filePath(report));
  state.StacFolderWord = StacFolderWordOf(StacTypeOfNumber(std::clamp(stacIndex, 0, 3) + 1));

  const QString payFolder = QDir(registry).filePath(lists.PayFolderWord);
  const QString stacFolder = QDir(payFolder).filePath(state.StacFolderWord);
  const auto& insurers = Insurers();
  // The cost files of a former insurer's folder ("Морвента") and of the
  // out-of-region folder go too.
  QStringList costFolders = {payFolder};
  for (const char* word :
       {insurers[0].SplitFolderWord, "Морвента", insurers[1].SplitFolderWord, "Иногородние"})
    costFolders.append(QDir(stacFolder).filePath(QString::fromUtf8(word)));
  for (const QString& folder : costFolders) {
    QFile cost(QDir(folder).filePath(QStringLiteral("onechcost.dat")));
    if (cost.exists() && !cost.remove())
      ShowMessage(owner, ApplicationTitle(),
                  QStringLiteral("Не удалось удалить файл: ") + cost.fileName() +
                      QLatin1Char('\r') + QStringLiteral("код ошибки - ") + cost.errorString());
  }

  reportDir.mkdir(state.StacFolderWord);
  const QDir stac(reportDir.filePath(state.StacFolderWord));
  if (!QFileInfo(stac.path()).isDir())
    throw std::runtime_error(
        (QStringLiteral("Не удалось перейти в папку ") + state.StacFolderWord).toStdString());
  for (const Insurer& insurer : insurers) stac.mkdir(QString::fromUtf8(insurer.SplitFolderWord));

  for (const Insurer& insurer : insurers) {
    const QDir target(stac.filePath(QString::fromUtf8(insurer.SplitFolderWord)));
    for (const QString& name :
         {"stacion.dbf", "mtl.dbf", "operat.dbf", "parents.dbf", "mtlusl.dbf"}) {
      const QString source = FindFileNoCase(registry, name);
      if (source.isEmpty()) continue;
      const QString copy = target.filePath(name);
      if (!QFile::exists(copy)) QFile::copy(source, copy);
    }
  }
}

}  // namespace

QString ActsConnectionFailedText() {
  return QStringLiteral(
      "Необходимо подключение к базе актов!Проверьте настройки подключения и перезапустите "
      "программу");
}

bool ConnectActsDatabase(TDM& dm) {
  if (!dm.AktEnabled) return true;
  try {
    dm.con1.Open();
    return true;
  } catch (const std::exception&) {
    dm.con1.Close();
    dm.AktEnabled = false;
    dm.con1.setConnectionString(QString());
    return false;
  }
}

void ReadInstitution(ReceptionInputs& in, const FbQuery& row) {
  in.LpuId = row.FieldByName(QStringLiteral("ID")).toInt();
  in.LpuFullName = row.FieldByName(QStringLiteral("FNAME")).toString();
  in.LpuMcod = row.FieldByName(QStringLiteral("MCOD")).toString();
  in.LpuAttach = row.FieldByName(QStringLiteral("ATTACH")).toInt();
  in.Lpu = ReadInstitutionRequisites(row);
}

ReceptionInputs ReadReceptionInputs(TfmKelmo& w, const QString& registryFolder) {
  ReceptionInputs in;
  in.RegistryFolder = registryFolder;
  in.Receiving = w.rgps->itemIndex() == 0;
  in.StacType = StacTypeOfNumber(w.rgStac->itemIndex() + 1);
  in.PayKind = TheRunState().PayKind;
  in.PayKindName = w.cbVidOp->currentText();
  in.YearText = w.seYear->text();
  in.MonthIndex = w.cbMonth->currentIndex();
  in.PeriodStart = w.PeriodStart;
  in.PeriodEnd = w.PeriodEnd;
  in.ReceptionDate = w.deDKelmo->DateValue();
  ReadInstitution(in, w.ibqLPU);
  in.TemplateFolder = TheRunState().ExcelPath;
  in.WhoDetail = w.WhoDetail;
  in.DatabaseName = w.ibdb.databaseName();
  in.MinimiseDuringRun = w.cbWind->isChecked();
  return in;
}

void OfferCombinedAct(const ReceptionForms& forms, const ReceptionInputs& inputs) {
  if (forms.fmUnCorr)
    forms.fmUnCorr->CombinedActFor = CombinedActRequest{&forms.fmKelmo.ibdb, inputs.LpuId,
                                                        PeriodMonthStartOf(inputs.PeriodStart),
                                                        PayKind::Oms, inputs.TemplateFolder};
}

void RunReception(const ReceptionForms& forms, const QString& registryFolder, ActsConnection* acts,
                  FbDatabase* central, bool inOmsDomain, const QString& kvillonPath) {
  TfmKelmo& w = forms.fmKelmo;
  WindowRunUser user(&w, forms.fmPrgs, forms.fmUnCorr, [&w] { return w.obKelmo->isVisible(); });
  ReceptionInputs inputs = ReadReceptionInputs(w, registryFolder);
  inputs.InOmsDomain = inOmsDomain;
  inputs.KvillonPath = kvillonPath;
  OfferCombinedAct(forms, inputs);
  ReceiveRegistry(inputs, ReceptionServices{w.ibdb, w.ibtr, user, forms.Now, acts, central});
}

bool IdentifyFolderPackages(TfmKelmo& window, const QString& registryFolder, bool& xmlPackageMode,
                            bool& packageConfirmed) {
  return window.IdentifyPackages(0, registryFolder, xmlPackageMode, packageConfirmed);
}

QString BudgetIntakeUnavailableText() {
  return QStringLiteral("Прием отчетов по бюджету в этой версии программы пока недоступен.");
}

void bbKelmoClick(const ReceptionButton& button) {
  TfmKelmo& w = button.Forms.fmKelmo;
  ReceptionState& state = TheReceptionState();
  // The registry folder is read from the folder list once; everything the
  // click does below it works on this value.
  const QString registry = w.dlb->directory();
  // Money is written with "." everywhere; another separator would break
  // every sum the run writes.
  if (QLocale().decimalPoint() != QLatin1String(".")) {
    ShowMessage(&w, QStringLiteral("Предупреждение"),
                QStringLiteral("Для корректной работы программы необходимо, чтобы системный "
                               "разделитель целой и дробной части") +
                    QStringLiteral("\n\r") +
                    QStringLiteral("был равен \"точке\". Установите через \"Панель управления - "
                                   "Язык и региональные стандарты\""),
                MessageIcon::Warning);
    return;
  }
  RunControlsDisabled disabled(w);
  const bool ok = RunGuarded([&] {
    // The sums of the previous click's act are not carried into this one.
    PassTotals& local = state.Pass[Population::Local];
    local.BlockingErrorsSum = local.NonBlockingErrorsSum = local.EntryErrorsSum = 0;
    state.Pass[Population::OutOfRegion].InvoiceTotal = Money();
    for (PassTotals& pass : state.Pass) pass.MekSum = pass.NczSum = pass.NczSfSum = Money();
    // The institution of the grid's current row and the report period.
    state.CurrentLpu = w.ibqLPU.FieldByName(QStringLiteral("ID")).toInt();
    w.ComputePeriod();
    // The operations analysis of a round-the-clock run, when asked for.
    state.OperAnalysisOpen = false;
    if (w.ch_OperAnaliz->isChecked() && w.rgStac->itemIndex() == 0) {
      auto file = std::make_unique<QFile>(QDir(registry).filePath("AnalizOperat.txt"));
      if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(
            (QStringLiteral("Не удалось создать файл ") + file->fileName()).toStdString());
      state.OperAnalysisFile = std::move(file);
      state.OperAnalysisOpen = true;
    }
    // The zero-cost list of this click's run.
    state.ZeroCostCases.clear();
    // The acts database, when one is configured.
    if (!ConnectActsDatabase(button.DM)) {
      ShowMessage(&w, QStringLiteral("Ошибка подключения"), ActsConnectionFailedText(),
                  MessageIcon::Warning);
      CloseOperAnalysis(state);
      return;
    }
    // What the registry folder holds: packages or DBF tables.
    state.XmlPackageMode = false;
    state.PackageConfirmed = false;
    const bool refused = button.Identify(w, registry, state.XmlPackageMode, state.PackageConfirmed);
    if (!refused) {
      // The registry source follows from what was found.
      state.RegistrySource =
          state.XmlPackageMode ? RegistrySourceKind::XmlPackage : RegistrySourceKind::DbfFolder;
      // A formation prepares its split-report folders.
      if (w.rgps->itemIndex() == 1)
        PrepareFormingFolders(registry, w.rgStac->itemIndex(), state, &w);
      // A package run needs the central segment.
      if (state.XmlPackageMode && !button.DM.CS_base.databaseName().isEmpty() &&
          !button.DM.CS_base.Connected())
        button.DM.ConnectCS();
      // The run of the chosen payment kind.
      if (state.PackageConfirmed || !state.XmlPackageMode) {
        switch (PayKindOfListIndex(w.cbVidOp->currentIndex())) {
          case PayKind::Oms:
          case PayKind::Vmp:
          case PayKind::Rehabilitation:
            RunReception(button.Forms, registry, button.DM.AktEnabled ? &button.DM.con1 : nullptr,
                         &button.DM.CS_base, button.DM.InOmsDomain(), button.DM.KvillonPath);
            break;
          case PayKind::Budget:
            if (button.IntakeBudgetReport)
              button.IntakeBudgetReport(registry);
            else
              ShowMessage(&w, QStringLiteral("Предупреждение"), BudgetIntakeUnavailableText(),
                          MessageIcon::Information);
            break;
          default:
            break;
        }
      }
    }
    // Whichever way the run ended: the acts database and the analysis are
    // closed and the grid of the fund or an insurer shows the new flags.
    if (button.DM.con1.Connected()) button.DM.con1.Close();
    CloseOperAnalysis(state);
    if (!w.WhoDetail.IsInstitution() &&
        PayKindOfListIndex(w.cbVidOp->currentIndex()) != PayKind::PaidServices) {
      const int year = w.seYear->ValueAsInteger();
      w.OpenLpuGrid(QDate(year, w.cbMonth->currentIndex() + 1, 1), w.WhoDetail.IsFund() ? 1 : 0);
    }
  });
  if (!ok) {
    CloseOperAnalysis(state);
    if (button.DM.con1.Connected()) button.DM.con1.Close();
  }
}

void rgpsClick(TfmKelmo& window) {
  window.bbKelmo->setText(window.rgps->itemIndex() == 0 ? QStringLiteral("Принять")
                                                        : QStringLiteral("Сформировать"));
}

void cbVidOpChange(TfmKelmo& window) {
  const PayKind kind = PayKindOfListIndex(window.cbVidOp->currentIndex());
  TheRunState().PayKind = kind;
  if (kind == PayKind::Vmp) {
    window.rgStac->setItemIndex(0);
    window.rgStac->setEnabled(false);
    window.ch_OperAnaliz->hide();
  } else {
    window.rgStac->setEnabled(true);
    if (window.rgStac->itemIndex() == 0) window.ch_OperAnaliz->show();
  }
}

void InstallReception(KelmoForms& forms, BudgetIntake budget) {
  TfmKelmo& w = *forms.fmKelmo;
  auto button = std::make_shared<ReceptionButton>(
      ReceptionButton{*forms.DM, ReceptionForms{w, forms.fmUnCorr.get(), forms.fmPrgs.get(), {}}});
  if (budget) {
    ReceptionButton* b = button.get();
    b->IntakeBudgetReport = [b, budget](const QString& registry) { budget(b->Forms, registry); };
  }
  QObject::connect(w.bbKelmo, &QPushButton::clicked, &w, [button] { bbKelmoClick(*button); });
  QObject::connect(w.obKelmo, &QPushButton::clicked, &w, [button] { obKelmoClick(*button); });
  QObject::connect(w.btnUPL, &QPushButton::clicked, &w, [button] { btnUPLClick(*button); });
  QObject::connect(w.rgps, &RadioGroup::clicked, &w, [&w](int) { rgpsClick(w); });
  QObject::connect(w.cbVidOp, &QComboBox::currentIndexChanged, &w, [&w](int) { cbVidOpChange(w); });
}

}  // namespace kelmo
