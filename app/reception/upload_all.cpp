// The upload of all marked institutions (see upload_all.h).
#include "upload_all.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "documents/export_package.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "firebird/fb_query.h"
#include "firebird/fb_statement.h"
#include "reception_button.h"
#include "shell/package_identification_parts.h"

namespace kelmo {

const QStringList kUploadReportsSql = {
    QStringLiteral("select l.upload_dir, r.tip_stac, CAST(count(distinct s.id_ill) AS INTEGER) "
                   "cnt from stacion s"),
    QStringLiteral("join mtl m on m.id_ill=s.id_ill"),
    QStringLiteral("join reports r on r.repn=s.repn"),
    QStringLiteral("join lpu l on l.id=r.lpu"),
    QStringLiteral("where r.see1=1 and r.see2=1 and m.oplat=r.oplat and r.inogor=1 and "
                   "r.oplat=:oplat and r.date_beg=:dbeg and r.lpu=:lpu"),
    QStringLiteral("group by l.upload_dir, r.tip_stac"),
};

namespace {

// The kinds tried for every institution, in their order.
constexpr PayKind kUploadKinds[] = {PayKind::Oms, PayKind::Vmp, PayKind::Rehabilitation};

const QString kOutOfRegionFolder = QStringLiteral("Иногородние");

// True when `folder` is `other` or holds it.
bool IsSameOrAbove(const QString& folder, const QString& other) {
  const QString a = QDir::cleanPath(QDir(folder).absolutePath());
  const QString b = QDir::cleanPath(QDir(other).absolutePath());
  return b == a || b.startsWith(a.endsWith(u'/') ? a : a + u'/');
}

// The work folder is emptied before and after every formation: a folder
// holding the program's data, the upload folders or the home folder is
// refused before anything is removed.
void CheckWorkFolder(const UploadAllInputs& in) {
  QStringList kept = in.KeptFolders;
  kept << in.UploadRoot << QDir::homePath();
  for (const QString& other : kept) {
    if (!other.isEmpty() && IsSameOrAbove(in.WorkFolder, other))
      throw std::runtime_error((QStringLiteral("Папка ") + in.WorkFolder +
                                QStringLiteral(" не может быть рабочей папкой выгрузки: в ней "
                                               "лежит ") +
                                other)
                                   .toStdString());
  }
}

// The work folder emptied, or made when missing. A link in its place is
// removed, never followed.
void PrepareWorkFolder(const QString& folder) {
  const QFileInfo info(folder);
  if (info.isSymLink() || (info.exists() && !info.isDir())) QFile::remove(folder);
  if (QFileInfo(folder).isDir()) {
    ClearFolderTree(folder);
  } else if (!QDir().mkpath(folder)) {
    throw package_identification::FolderNotWritable(folder);
  }
}

// The out-of-region package the formation wrote: the first file entry of
// the first addressee of the first sender, in "Иногородние" of the folder
// the formation's packages ended up in. Empty when the run named none.
QString FormedPackage() {
  const QString& folder = TheReceptionState().FormedPackageFolder;
  const PackageLists& lists = ThePackageLists();
  if (folder.isEmpty() || lists.SenderList.isEmpty()) return {};
  const rSender& sender = lists.SenderList.first();
  if (sender.Adresats.isEmpty() || sender.Adresats.first().Files.isEmpty()) return {};
  return ExportPackageFile(QDir(folder).filePath(kOutOfRegionFolder),
                           sender.Adresats.first().Files.first());
}

// The formation's reports lose the "uploaded" mark its export gave them.
void UnmarkUploaded(FbDatabase& db, FbTransaction& tr) {
  FbStatement unmark(db, &tr);
  unmark.Prepare(QStringLiteral("update reports set uploaded=0 where repn=:repn"));
  for (const rRepn& report : ThePackageLists().ReportLists[Population::OutOfRegion]) {
    unmark.Set(QStringLiteral("repn"), report.Repn);
    unmark.Exec();
  }
  tr.Commit();
}

QString OutcomeLine(const UploadOutcome& o) {
  const QString head = QStringLiteral("ЛПУ ") + QString::number(o.LpuId) + QStringLiteral(", ") +
                       PayFolderWordOf(o.Kind) + QStringLiteral(": ");
  switch (o.Result) {
    case UploadResult::AlreadyPresent:
      return head + QStringLiteral("пакет ") + o.Target +
             QStringLiteral(" уже есть в папке выгрузки, он не заменён");
    case UploadResult::NotFormed:
      return head + (o.Source.isEmpty() ? QStringLiteral("пакет не сформирован")
                                        : QStringLiteral("не найден пакет ") + o.Source);
    case UploadResult::CopyFailed:
      if (o.Source.isEmpty()) return head + o.Reason;
      return head + QStringLiteral("не удалось скопировать пакет ") + o.Source +
             QStringLiteral(" в ") + o.Target + QStringLiteral(": ") + o.Reason;
    case UploadResult::Copied:
      break;
  }
  return head;
}

// Tells the user of every package that did not reach its upload folder, in
// one box, when the click ends whichever way.
class NotUploadedReport {
 public:
  NotUploadedReport(RunUser& user, const QList<UploadOutcome>& outcomes)
      : user_(user), outcomes_(outcomes) {}
  ~NotUploadedReport() {
    QStringList lines;
    for (const UploadOutcome& o : outcomes_)
      if (o.Result != UploadResult::Copied) lines << OutcomeLine(o);
    if (lines.isEmpty()) return;
    try {
      user_.Message(QStringLiteral("Выгрузка"),
                    QStringLiteral("Не выгружены пакеты:\r") + lines.join(u'\r'),
                    RunMessageIcon::Warning);
    } catch (...) {
      // The box must not hide the failure that ends the click.
    }
  }
  NotUploadedReport(const NotUploadedReport&) = delete;
  NotUploadedReport& operator=(const NotUploadedReport&) = delete;

 private:
  RunUser& user_;
  const QList<UploadOutcome>& outcomes_;
};

// One institution and kind with rows: the formation in the emptied work
// folder and the copy of its package. An upload folder outside the root is
// not formed for.
UploadOutcome FormAndCopy(const UploadAllInputs& in, const UploadAllServices& sv, int lpu,
                          PayKind kind, const QList<UploadReportRow>& rows) {
  PackageLists& lists = ThePackageLists();
  ReceptionState& state = TheReceptionState();
  UploadOutcome outcome;
  outcome.LpuId = lpu;
  outcome.Kind = kind;
  const QString uploadDir = rows.first().UploadDir;
  const QString uploadFolder = InstitutionUploadFolder(in.UploadRoot, uploadDir);
  if (uploadFolder.isEmpty()) {
    outcome.Result = UploadResult::CopyFailed;
    outcome.Reason = QStringLiteral("папка выгрузки ЛПУ \"") + TrimText(uploadDir) +
                     QStringLiteral("\" не лежит в ") + in.UploadRoot;
    return outcome;
  }
  state.ZeroCostCases.clear();
  lists.PayFolderWord = PayFolderWordOf(kind);
  PrepareWorkFolder(in.WorkFolder);
  lists.HasRoundTheClock = lists.HasDayHospital = false;
  for (const UploadReportRow& row : rows) {
    if (row.TipStac == 1)
      lists.HasRoundTheClock = true;
    else
      lists.HasDayHospital = true;
  }

  state.FormedPackageFolder.clear();
  if (sv.Form({lpu, kind, in.MonthIndex, in.Year, in.WorkFolder})) {
    outcome.Source = FormedPackage();
    if (!outcome.Source.isEmpty() && QFileInfo(outcome.Source).isFile()) {
      outcome = CopyUploadPackage(outcome.Source, uploadFolder);
      outcome.LpuId = lpu;
      outcome.Kind = kind;
    }
  }
  // A formation that wrote its package marked its reports uploaded; they
  // stay so only when the package reached the upload folder.
  if (outcome.Result != UploadResult::Copied && !state.FormedPackageFolder.isEmpty())
    UnmarkUploaded(sv.Db, sv.Tr);
  ClearFolderTree(in.WorkFolder);
  return outcome;
}

// Every marked institution and kind in order; the outcomes of the packages
// formed so far stay in `outcomes` when a failure ends the click.
void UploadMarked(const UploadAllInputs& in, const UploadAllServices& sv,
                  QList<UploadOutcome>& outcomes) {
  CheckWorkFolder(in);
  NotUploadedReport report(sv.User, outcomes);
  const QDate monthStart(in.Year, in.MonthIndex + 1, 1);
  for (const QString& id : in.MarkedLpus) {
    const int lpu = id.toInt();
    for (const PayKind kind : kUploadKinds) {
      TheRunState().PayKind = kind;
      TheReceptionState().CurrentLpu = lpu;
      const QList<UploadReportRow> rows =
          sv.Reports ? sv.Reports(lpu, kind, monthStart)
                     : QueryUploadReports(sv.Db, &sv.Tr, lpu, kind, monthStart);
      if (!rows.isEmpty()) outcomes.append(FormAndCopy(in, sv, lpu, kind, rows));
    }
  }
}

}  // namespace

QList<UploadReportRow> QueryUploadReports(FbDatabase& db, FbTransaction* tr, int lpu, PayKind kind,
                                          const QDate& monthStart) {
  FbQuery ibq4(db, tr);
  ibq4.setSql(kUploadReportsSql.join(u'\n'));
  ibq4.setParam(QStringLiteral("oplat"), Code(kind));
  ibq4.setParam(QStringLiteral("dbeg"), QDateTime(monthStart, QTime(0, 0)));
  ibq4.setParam(QStringLiteral("lpu"), lpu);
  ibq4.Open();
  QList<UploadReportRow> rows;
  for (int r = 0; r < ibq4.RecordCount(); ++r)
    rows.append({ibq4.Value(r, 0).toString(), ibq4.Value(r, 1).toInt(), ibq4.Value(r, 2).toInt()});
  ibq4.Close();
  return rows;
}

QString NoMarkedLpusText() {
  return QStringLiteral("Не выбраны ЛПУ для выгрузки.\rДля выбора нужных ЛПУ используйте DblClick");
}

QString InstitutionUploadFolder(const QString& uploadRoot, const QString& uploadDir) {
  QString name = TrimText(uploadDir);
  name.replace(u'\\', u'/');
  if (name.isEmpty() || QDir::isAbsolutePath(name)) return {};
  for (const QString& part : name.split(u'/', Qt::SkipEmptyParts))
    if (part == QLatin1String("..")) return {};
  return QDir::cleanPath(QDir(uploadRoot).filePath(name));
}

UploadOutcome CopyUploadPackage(const QString& package, const QString& uploadFolder) {
  UploadOutcome o;
  o.Source = package;
  o.Target = QDir(uploadFolder).filePath(QFileInfo(package).fileName());
  const QFileInfo target(o.Target);
  if (target.exists() || target.isSymLink()) {
    o.Result = UploadResult::AlreadyPresent;
    return o;
  }
  o.Result = UploadResult::CopyFailed;
  if (!QDir().mkpath(uploadFolder)) {
    o.Reason = QStringLiteral("не удалось создать каталог ") + uploadFolder;
    return o;
  }
  QFile source(package);
  if (!source.copy(o.Target)) {
    o.Reason = source.errorString();
    return o;
  }
  // Only a copy of the whole package counts.
  const QFileInfo written(o.Target);
  if (!written.isFile() || written.size() != QFileInfo(package).size()) {
    o.Reason = QStringLiteral("копия неполна");
    return o;
  }
  o.Result = UploadResult::Copied;
  return o;
}

QList<UploadOutcome> UploadAll(const UploadAllInputs& in, const UploadAllServices& sv) {
  QList<UploadOutcome> outcomes;
  if (in.MarkedLpus.isEmpty()) {
    sv.User.Message(QString(), NoMarkedLpusText(), RunMessageIcon::Information);
    return outcomes;
  }
  if (sv.ConnectActs && !sv.ConnectActs()) {
    sv.User.Message(QStringLiteral("Ошибка подключения"), ActsConnectionFailedText(),
                    RunMessageIcon::Warning);
    return outcomes;
  }
  // The acts database is let go however the click ends.
  try {
    UploadMarked(in, sv, outcomes);
  } catch (...) {
    if (sv.DisconnectActs) sv.DisconnectActs();
    throw;
  }
  if (sv.DisconnectActs) sv.DisconnectActs();
  return outcomes;
}

}  // namespace kelmo
