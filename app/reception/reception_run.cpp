// The reception run's frame: the start, the act, the order of the phases,
// the two passes, the stops and the end of the run.
#include "reception_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "act_summary.h"
#include "dbf_loading.h"
#include "document_sets.h"
#include "documents/document_workbook.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "firebird/fb_query.h"
#include "insurer_split.h"
#include "pass_costs.h"
#include "preliminary_checks.h"
#include "reception_checks.h"
#include "reception_context.h"
#include "rule_checks.h"
#include "shell/error_box.h"
#include "sum_differences.h"
#include "tolerated_errors.h"
#include "xml_pass_loading.h"
#include "xmlload/xml_package_loader.h"

namespace kelmo {

QString LongTimeText(const QTime& time) {
  return time.toString(QStringLiteral("H:mm:ss"));
}

QString ReceptionTimeTextOf(const QString& longTime) {
  if (longTime.size() == 8) return longTime.mid(0, 2) + longTime.mid(3, 2);
  return QStringLiteral("0") + longTime.mid(0, 1) + longTime.mid(2, 2);
}

QStringList StopBlock(const QStringList& reasons) {
  return QStringList{QString()} + reasons +
         QStringList{QString(), StopSeparator(), QString(), QStringLiteral("Подпись экономиста:")};
}

QString CopyActOutOfTemp(const QString& tempAct, const QString& folder, const QString& shortName) {
  const QDir dir(folder);
  QString target = dir.filePath(shortName);
  const QFileInfo info(shortName);
  for (int n = 1; QFileInfo::exists(target); ++n)
    target = dir.filePath(info.completeBaseName() + QStringLiteral("_%1.").arg(n) + info.suffix());
  if (!QFile::copy(tempAct, target)) return QString();
  QFile::remove(tempAct);
  return target;
}

namespace {

const QString kFilesMissingOfRegistry = QStringLiteral(
    "Дальнейший формирование/прием отчета не возможен, в связи с тем, что не найдены все "
    "необходимые файлы.");
const QString kFilesMissingOfReception = QStringLiteral(
    "Дальнейший прием отчета не возможен, в связи с тем, что не найдены все необходимые файлы.");
const QString kStructureReason =
    QStringLiteral("Формирование и прием отчета не возможен, в связи с тем, что не верная");

// A stop of the run, with what its closing does.
struct Stopped {
  ReceptionStop stop;
  QStringList lines;  // written by the frame before the act is closed
  bool banner = true;
  bool viewer = true;
  bool restore = true;
};

ReceptionStop DocumentStopOf(DocumentStopKind kind) {
  switch (kind) {
    case DocumentStopKind::ExcelUnavailable:
      return ReceptionStop::ExcelUnavailable;
    case DocumentStopKind::TemplateMissing:
      return ReceptionStop::TemplateMissing;
    case DocumentStopKind::TemplateFolderMissing:
      return ReceptionStop::TemplateFolderMissing;
  }
  return ReceptionStop::Error;
}

class ReceptionRun {
 public:
  ReceptionRun(const ReceptionInputs& inputs, const ReceptionServices& services)
      : services_(services),
        user_(services.User),
        state_(TheReceptionState()),
        ctx_(state_, services.Db, services.Tr, inputs, &services.User) {
    ctx_.Acts = services.Acts;
    ctx_.Central = services.Central;
  }

  void Execute();

 private:
  QDateTime Now() const { return services_.Now ? services_.Now() : QDateTime::currentDateTime(); }
  // The run's body; returns the stop it ended at, nothing when it ran
  // through.
  std::optional<Stopped> Body();
  void CreateAct();
  std::optional<Stopped> Preliminary();
  std::optional<Stopped> OpenPass(Population population);
  std::optional<Stopped> WorkbookStop(const WorkbookCheckResult& result, Population population);
  void ClosePass(Population population);
  void Minimise();
  void RestoreWindow();
  void ShowViewer();
  void WriteBanner();
  void Finish(const Stopped& stopped);
  void EndOfRun();
  void CopyPackageAct();
  // Commits what the run wrote; after an error the commit is attempted and
  // its own failure does not hide the error.
  void CommitRun(bool quietly);

  const ReceptionServices& services_;
  RunUser& user_;
  ReceptionState& state_;
  ReceptionContext ctx_;
  std::unique_ptr<workbook::ExcelApplication> excel_;
  std::unique_ptr<QTemporaryDir> workCopy_;
  PassSelection selection_;
  bool bannerWritten_ = false;
  // The run started on a folder of DBF tables (XmlPackageMode changes on the
  // way; this does not).
  bool dbfRegistry_ = true;
};

void ReceptionRun::Minimise() {
  if (ctx_.MinimiseDuringRun) user_.MinimiseWindow();
}

void ReceptionRun::RestoreWindow() {
  user_.RestoreWindow();
}

void ReceptionRun::ShowViewer() {
  user_.Beep();
  user_.ShowProtocol(false);
}

void ReceptionRun::WriteBanner() {
  const RunState& run = TheRunState();
  WriteVersionBanner(state_.Act.FileName(), 1, run.CurrentExprVer, run.PackageExprVer,
                     ctx_.Receiving);
}

void ReceptionRun::CreateAct() {
  const QDateTime now = Now();
  const QString longTime = LongTimeText(now.time());
  const QString dateText = ShortDateText(ctx_.ReceptionDate);
  state_.ReportNumber = {};
  state_.ReceptionTimeText = ReceptionTimeTextOf(longTime);
  const QString dayMonth = dateText.mid(0, 2) + dateText.mid(3, 2);
  state_.ActShortName = ThePackageLists().PayFolderWord + QLatin1Char('_') + dayMonth +
                        QLatin1Char('_') + state_.ReceptionTimeText + QStringLiteral(".txt");
  QString actName;
  if (state_.XmlPackageMode) {
    const QString temp = QDir(ctx_.RegistryFolder).filePath(QStringLiteral("temp"));
    QDir().mkpath(temp);
    actName = QDir(temp).filePath(state_.ActShortName);
  } else {
    actName = QDir(ctx_.RegistryFolder)
                  .filePath(ActPrefix(ctx_.StacType) + dayMonth + QLatin1Char('_') +
                            state_.ReceptionTimeText + QStringLiteral(".txt"));
  }
  TheRunState().ProtocolPath = actName;
  state_.DayUnitText = DayUnitTextOf(ctx_.StacType);
  ActFile& act = state_.Act;
  act.Create(actName);
  act.WriteLines(
      {QStringLiteral("Акт первичного технологического контроля"), QString(),
       QStringLiteral("ЛПУ: ") + TrimText(ctx_.LpuFullName) + QLatin1Char('.'),
       QStringLiteral("Вид оплаты: ") + ctx_.PayKindName,
       QStringLiteral("Отчет за период с ") + ShortDateText(ctx_.PeriodStart) +
           QStringLiteral(" по ") + ShortDateText(ctx_.PeriodEnd) + QLatin1Char('.'),
       StacTypeLine(ctx_.StacType),
       QStringLiteral("Дата приема: ") + dateText + QStringLiteral(". Время приема: ") + longTime,
       QString(), QStringLiteral("База данных: ") + ctx_.DatabaseName, QString()});
}

std::optional<Stopped> ReceptionRun::Preliminary() {
  CheckLicensedProfiles(ctx_);
  if (state_.XmlPackageMode) return std::nullopt;
  // The checks and the fix-ups work on a copy: the institution's folder may
  // hold its only copy of the registry, and a stopped run must leave it as
  // it was handed in.
  workCopy_ =
      std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("kelmo-dbf-XXXXXX")));
  if (!workCopy_->isValid())
    throw std::runtime_error("Не удалось создать рабочую папку для таблиц реестра");
  ctx_.WorkFolder = workCopy_->path();
  CopyDbfTables(ctx_.RegistryFolder, ctx_.WorkFolder);
  switch (const ReceptionStop stop = CheckDbfRegistry(ctx_)) {
    case ReceptionStop::None:
      return std::nullopt;
    case ReceptionStop::FilesMissing:
      return Stopped{stop, StopBlock({kFilesMissingOfRegistry})};
    case ReceptionStop::MtlStructure:
      return Stopped{stop,
                     StopBlock({kStructureReason, QStringLiteral("структура файла mtl.dbf")})};
    case ReceptionStop::StacionStructure:
      return Stopped{stop,
                     StopBlock({kStructureReason, QStringLiteral("структура файла stacion.dbf")})};
    case ReceptionStop::PaymentKindMissing:
      return Stopped{stop, {}};
    case ReceptionStop::RegisterMissing:
      return Stopped{stop, StopBlock({kFilesMissingOfReception})};
    case ReceptionStop::Identification:
      return Stopped{stop, {}, false, true, false};
    default:
      return Stopped{stop, {}};
  }
}

std::optional<Stopped> ReceptionRun::WorkbookStop(const WorkbookCheckResult& result,
                                                  Population population) {
  const bool local = population == Population::Local;
  switch (result.Outcome) {
    case WorkbookOutcome::Passed:
      return std::nullopt;
    case WorkbookOutcome::FilesMissing:
      return Stopped{
          local ? ReceptionStop::LocalWorkbookMissing : ReceptionStop::OutOfRegionWorkbookMissing,
          StopBlock({kFilesMissingOfReception})};
    case WorkbookOutcome::RegisterLayout:
      return Stopped{ReceptionStop::RegisterLayout,
                     {QStringLiteral("Неверный формат файла реестра sreestr%1.xls")
                          .arg(Number(ctx_.StacType)) +
                      QStringLiteral("! Дальнейший прием невозможен.")},
                     false};
    case WorkbookOutcome::InvoiceLayout:
      return Stopped{local ? ReceptionStop::InvoiceLayout : ReceptionStop::OutOfRegionInvoiceLayout,
                     {QStringLiteral("Неверный формат файла счет-фактуры ") + result.FailingName +
                      QStringLiteral("! Дальнейший прием невозможен.")},
                     false};
  }
  return std::nullopt;
}

// Opening a pass and its loading; the three roads.
std::optional<Stopped> ReceptionRun::OpenPass(Population population) {
  const bool local = population == Population::Local;
  if (state_.XmlPackageMode && !ctx_.Receiving && ctx_.WhoDetail.IsFundOrInsurer()) {
    // The fund and the insurers form from the reports already loaded.
    Minimise();
    user_.ShowProgress();
    return std::nullopt;
  }
  // A registry that came as DBF tables loads both passes from them, although
  // the run treats it as a package once its local pass is checked.
  if (state_.XmlPackageMode && !dbfRegistry_) {
    Minimise();
    state_.PassHasData = false;
    int repn = 0;
    try {
      LoadXmlPackage(ctx_, QStringLiteral("LM"), population, repn);
    } catch (const XmlLoadStopped& stop) {
      // A refusal that makes further reception impossible: the act says why.
      return Stopped{local ? ReceptionStop::XmlLocal : ReceptionStop::XmlOutOfRegion,
                     {QString(), QString::fromUtf8(stop.what())}};
    } catch (const XmlFileRefused& refused) {
      // A package file that cannot be read: nothing of it is loaded.
      const QString text = QString::fromUtf8(refused.what());
      user_.Message(QString(), text, RunMessageIcon::Error);
      return Stopped{local ? ReceptionStop::XmlLocal : ReceptionStop::XmlOutOfRegion,
                     {QString(), text}};
    } catch (const std::exception& error) {
      user_.Message(QString(),
                    QStringLiteral("Ошибка при загрузке XML на пациенте ") +
                        state_.CurrentPatientName + QLatin1Char('\r') + ErrorMessage(error),
                    RunMessageIcon::None);
      return Stopped{
          local ? ReceptionStop::XmlLocal : ReceptionStop::XmlOutOfRegion, {}, false, false, false};
    }
    state_.CurrentReportNumber = repn;
    state_.ReportNumber[population] = repn;
    return std::nullopt;
  }
  state_.PassHasData = false;
  selection_ = SelectPassCases(ctx_, population);
  if (!selection_.HasCases()) return std::nullopt;
  state_.PassHasData = true;
  if (ctx_.Receiving) {
    // The workbooks are read in the spreadsheet application of the run.
    ctx_.Excel = excel_.get();
    const WorkbookCheckResult result =
        local ? CheckLocalWorkbooks(ctx_) : CheckOutOfRegionWorkbooks(ctx_);
    if (auto stopped = WorkbookStop(result, population)) return stopped;
  }
  Minimise();
  ctx_.BeginPhase(local ? QStringLiteral("Загрузка данных (мест.)...")
                        : QStringLiteral("Загрузка данных (иног.)..."),
                  selection_.qStacion->RecordCount());
  LoadDbfPass(ctx_, population, selection_);
  return std::nullopt;
}

void ReceptionRun::ClosePass(Population population) {
  state_.Pass[population].CalcTotal = RoundedHalfUp(state_.CalcSum);
  FbQuery up_rep(ctx_.Db, &ctx_.Tr);
  up_rep.setSql(QStringLiteral("execute procedure up_reports(:repn)"));
  for (const rRepn& report : ThePackageLists().ReportLists[population]) {
    up_rep.setParam(QStringLiteral("repn"), report.Repn);
    up_rep.ExecSQL();
  }
  state_.ZeroPassTotals();
  // The pass's costs and report sums are kept whatever the rest of the run
  // does.
  ctx_.Tr.Commit();
}

std::optional<Stopped> ReceptionRun::Body() {
  // The start: the log, the version texts, the cost statement and the sums.
  RunState& run = TheRunState();
  run.Log.AddLine(QStringLiteral("Запуск работы Kelmo_Ob"), true);
  run.PackageExprVer.clear();
  run.CurrentExprVer = run.ProgramVersion;
  state_.UpMtlStatement = CostUpdateStatement(ctx_.YearText);
  state_.ZeroRunTotals();
  // The report numbers that each pass's costs start with belong to this run:
  // the local documents never take a number an earlier run left.
  state_.ReportNumberCopy = {};
  dbfRegistry_ = !state_.XmlPackageMode;
  // A reception reads the institution's workbooks in a spreadsheet application.
  if (ctx_.Receiving) {
    try {
      excel_ = std::make_unique<workbook::ExcelApplication>();
    } catch (const std::exception&) {
      throw std::runtime_error("Не найден Excel!");
    }
  }
  // The act and its head.
  CreateAct();
  // The checks before any pass.
  if (auto stopped = Preliminary()) return stopped;

  for (const Population population : kPopulations) {
    const bool local = population == Population::Local;
    // Opening the pass and its loading.
    state_.ZeroPassTotals();
    if (auto stopped = OpenPass(population)) return stopped;
    // After the loading.
    if (state_.XmlPackageMode && !ctx_.Receiving && ctx_.WhoDetail.IsFundOrInsurer())
      state_.PassHasData = ThePackageLists().ReportCount(population) > 0;
    if (state_.PassHasData) {
      ctx_.Tr.Commit();
      if (dbfRegistry_) FinishDbfPassLoading(ctx_, population);
      if (state_.RegistrySource != RegistrySourceKind::XmlPackage) state_.XmlPackageMode = false;
      // Checks, tolerated errors and costs.
      if (ctx_.WhoDetail.IsInstitution() || ctx_.Receiving) {
        const std::unique_ptr<FbQuery> checkRows = RunRuleChecks(ctx_, population);
        RunToleratedErrors(ctx_, population, checkRows.get());
      }
      if (ctx_.Receiving && excel_) excel_->CloseAll();
      if (!local || (ctx_.Receiving && state_.RegistrySource == RegistrySourceKind::XmlFromDbf))
        state_.XmlPackageMode = true;
      ctx_.Tr.Commit();
      CalculatePassCosts(ctx_, population);
      // The local documents of a formation.
      if (local && !ctx_.Receiving) WriteDocumentSet(ctx_, DocumentSet::Local);
    } else if (!local) {
      state_.XmlPackageMode = true;
      CompareOutOfRegionSums(ctx_);
    }
    // A formation writes the out-of-region documents even without
    // out-of-region cases, then the closing set.
    if (!local && !ctx_.Receiving) {
      WriteDocumentSet(ctx_, DocumentSet::OutOfRegion);
      WriteDocumentSet(ctx_, DocumentSet::Closing);
    }
    // Closing the pass.
    ClosePass(population);
  }
  WriteActSummary(ctx_);
  return std::nullopt;
}

void ReceptionRun::Finish(const Stopped& stopped) {
  state_.LastStop = stopped.stop;
  if (stopped.restore) RestoreWindow();
  if (state_.Act.IsOpen()) {
    state_.Act.WriteLines(stopped.lines);
    state_.Act.Close();
  }
  if (stopped.banner && !bannerWritten_) {
    bannerWritten_ = true;
    WriteBanner();
  }
  if (stopped.viewer) ShowViewer();
}

void ReceptionRun::CopyPackageAct() {
  // Only an act made in "temp" (a run that started on a package) moves.
  if (!ctx_.Receiving || !state_.XmlPackageMode || dbfRegistry_ || state_.Act.FileName().isEmpty())
    return;
  const QString copy =
      CopyActOutOfTemp(state_.Act.FileName(), ctx_.RegistryFolder, state_.ActShortName);
  if (!copy.isEmpty()) TheRunState().ProtocolPath = copy;
}

void ReceptionRun::CommitRun(bool quietly) {
  try {
    ctx_.Tr.Commit();
  } catch (const std::exception&) {
    if (!quietly) throw;
  }
}

void ReceptionRun::Execute() {
  state_.LastStop = ReceptionStop::None;
  state_.FormedPackageFolder.clear();
  try {
    if (auto stopped = Body()) {
      CommitRun(false);
      Finish(*stopped);
      CopyPackageAct();
      return;
    }
    CommitRun(false);
    // The act summary closes the act; the end of the run follows.
    EndOfRun();
  } catch (const DocumentStop& stop) {
    // A document phase that cannot go on: its message box, the progress
    // window closed and the main window restored; the act ends where it was.
    CommitRun(true);
    user_.EndProgress();
    user_.Message(stop.Caption(), stop.Text(), RunMessageIcon::Error);
    Finish({DocumentStopOf(stop.Kind()), {}, false, false, true});
    CopyPackageAct();
  } catch (const std::exception& error) {
    state_.LastStop = ReceptionStop::Error;
    CommitRun(true);
    user_.EndProgress();
    RestoreWindow();
    if (state_.Act.IsOpen()) {
      // The act must say why it ends here; a failing write must not hide the
      // error that ended the run.
      try {
        state_.Act.WriteLines(
            {QString(), QStringLiteral("Работа прервана из-за ошибки: ") + ErrorMessage(error)});
      } catch (const std::exception&) {
      }
      state_.Act.Close();
      try {
        if (!bannerWritten_) WriteBanner();
      } catch (const std::exception&) {
      }
      CopyPackageAct();
    }
    throw;
  }
}

void ReceptionRun::EndOfRun() {
  bannerWritten_ = true;
  WriteBanner();
  if (ctx_.Receiving || ctx_.WhoDetail.IsInstitution()) {
    user_.Beep();
    user_.ShowProtocol(true);
    if (state_.OperAnalysisOpen) {
      state_.OperAnalysisFile->close();
      state_.OperAnalysisOpen = false;
      user_.Message(QString(),
                    QStringLiteral("Анализ расчёта операций сохранён в файле ") +
                        ctx_.RegistryFolder + QStringLiteral("/AnalizOperat.txt"),
                    RunMessageIcon::None);
    }
  }
  if (!ctx_.Receiving) SplitByInsurer(ctx_);
  CopyPackageAct();
}

}  // namespace

void ReceiveRegistry(const ReceptionInputs& inputs, const ReceptionServices& services) {
  ReceptionRun run(inputs, services);
  run.Execute();
}

}  // namespace kelmo
