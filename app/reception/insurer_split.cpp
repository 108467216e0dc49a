// The split by insurer at the end of a formation (see insurer_split.h).
#include "insurer_split.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "case_sanctions.h"
#include "documents/insurer_documents.h"
#include "documents/insurer_report.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"

namespace kelmo {

namespace {

const QString kSplitReportFolder = QStringLiteral("Отчет по стационару");

// Removes a folder with everything below it; a link in its place is removed
// as a link. Failures are ignored.
void RemoveFolderTree(const QString& folder) {
  const QFileInfo info(folder);
  if (info.isSymLink()) {
    QFile::remove(folder);
    return;
  }
  if (!info.isDir()) return;
  ClearFolderTree(folder);
  QDir().rmdir(folder);
}

// What the insurer documents of the run are given: the run's inputs and
// state, the report lists, the package's workbooks.
InsurerDocumentInputs SplitInputs(const ReceptionContext& ctx) {
  const ReceptionState& state = ctx.State;
  const PackageLists& lists = ThePackageLists();
  const RunState& run = TheRunState();
  InsurerDocumentInputs in;
  in.RegistryFolder = ctx.RegistryFolder;
  in.TemplateFolder = ctx.TemplateFolder;
  in.Forming = !ctx.Receiving;
  in.WhoDetail = ctx.WhoDetail;
  in.PayKind = ctx.PayKind;
  in.PayWord = lists.PayFolderWord;
  in.StacType = Number(ctx.StacType);
  in.MonthIndex = ctx.MonthIndex;
  in.YearText = ctx.YearText;
  in.PeriodStart = ctx.PeriodStart;
  in.PeriodEnd = ctx.PeriodEnd;
  in.Lpu = ctx.Lpu;
  in.XmlPackageMode = state.XmlPackageMode;
  in.HasRoundTheClock = lists.HasRoundTheClock;
  in.HasDayHospital = lists.HasDayHospital;
  in.RegistrySource = state.RegistrySource;
  in.ExprVer = run.CurrentExprVer;
  in.ReportFooter = run.ReportFooter;
  in.Reports = lists.ReportLists;
  in.CostPhaseReportNumber = state.ReportNumberCopy[Population::Local];
  in.PackageFiles = lists.PackageFiles;
  return in;
}

// The act of a package run lies in "temp": it moves with it.
void FollowMovedAct(const QString& temp, const QString& packageFolder) {
  QString& protocol = TheRunState().ProtocolPath;
  const QString prefix = temp + QLatin1Char('/');
  if (protocol.startsWith(prefix)) protocol = packageFolder + protocol.mid(temp.size());
}

}  // namespace

QString FreePackageFolder(const QString& registryFolder, const QString& payWord,
                          const QString& month, const QString& year) {
  const QDir registry(registryFolder);
  const QString base = payWord + QLatin1Char('_') + month + year;
  QString name = registry.filePath(base);
  // A file of the name takes it as a folder would: the move could not use it.
  for (int k = 1; QFileInfo(name).exists() || QFileInfo(name).isSymLink(); ++k)
    name = registry.filePath(base + QLatin1Char('_') + QString::number(k));
  return name;
}

QString MoveTempToPackageFolder(const QString& registryFolder, const QString& payWord,
                                const QString& month, const QString& year,
                                std::optional<int> senderNumber) {
  const QDir registry(registryFolder);
  const QString temp = registry.filePath(QStringLiteral("temp"));
  if (senderNumber) {
    const QString n = QString::number(*senderNumber);
    for (const QString& name :
         {QStringLiteral("EMP_LIST_") + n + QStringLiteral(".XML"),
          QStringLiteral("DEP_LIST_") + n + QStringLiteral(".XML"), QStringLiteral("HOLDING.XML")})
      QFile::remove(QDir(temp).filePath(name));
  }
  QString packageFolder = FreePackageFolder(registryFolder, payWord, month, year);
  const QFileInfo tempInfo(temp);
  if (tempInfo.isDir() && !tempInfo.isSymLink() && QDir().rename(temp, packageFolder))
    FollowMovedAct(temp, packageFolder);
  else
    packageFolder.clear();
  RemoveFolderTree(registry.filePath(kSplitReportFolder));
  return packageFolder;
}

void SplitByInsurer(const ReceptionContext& ctx) {
  RunUser& user = ctx.User();
  if (ctx.MinimiseDuringRun) user.MinimiseWindow();
  user.ShowProgress();
  user.BeginPhase(QStringLiteral("Выборка данных..."), 0);

  InsurerDocumentInputs in = SplitInputs(ctx);
  InsurerDocumentServices services{ctx.Db, ctx.Tr, user, ThePackageLists()};
  if (ctx.Acts != nullptr) {
    ActsConnection& acts = *ctx.Acts;
    services.Sanctions = [&acts](int idCase, const QDate& dateEnd, int repn) {
      return ReadCaseSanctions(acts, idCase, dateEnd, repn);
    };
  }
  const ReceptionState& state = ctx.State;
  in.ReportNumber = state.ReportNumber[Population::Local];
  for (const Insurer& insurer : Insurers()) {
    const QString caption = QStringLiteral("Выборка для ") +
                            QString::fromUtf8(insurer.SplitStepName) + QStringLiteral("...");
    user.BeginPhase(caption, 0);
    WriteInsurerReport(QString::fromUtf8(insurer.SplitFolderWord),
                       QString::number(insurer.WhoDetailCode), in, services, state.StacFolderWord,
                       caption);
  }
  const PackageLists& lists = ThePackageLists();
  if (lists.ReportCount(Population::OutOfRegion) > 0) {
    in.CaseFilter = QStringLiteral(" and (s.pol_obl<>") +
                    QString::fromLatin1(TheHomeRegion().PolicyRegionCode) + QLatin1Char(')');
    in.ReportNumber = state.ReportNumber[Population::OutOfRegion];
    in.OutOfRegion = true;
    in.CurrentFolder.clear();
    WriteInsurerDocuments(in, services);
  }

  std::optional<int> sender;
  if (!lists.SenderList.isEmpty()) sender = lists.SenderList.first().Number;
  const QString moved = MoveTempToPackageFolder(
      ctx.RegistryFolder, lists.PayFolderWord, MonthName(ctx.MonthIndex + 1), ctx.YearText, sender);
  ctx.State.FormedPackageFolder =
      moved.isEmpty() ? QDir(ctx.RegistryFolder).filePath(QStringLiteral("temp")) : moved;
  user.EndProgress();
  if (ctx.MinimiseDuringRun) user.RestoreWindow();
  QFile::remove(QDir(ctx.RegistryFolder).filePath(QStringLiteral("onechcost.dat")));
}

}  // namespace kelmo
