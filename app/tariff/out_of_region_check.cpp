// The out-of-region check's run (see out_of_region_check.h).
#include "out_of_region_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "dbfsql/dbf_query.h"
#include "domain/act_file.h"
#include "domain/common.h"
#include "domain/run_state.h"
#include "filenames/file_lookup.h"
#include "out_of_region_rules.h"
#include "rar_archiver.h"

namespace kelmo::tariff {

namespace {

const QString kCaption = QStringLiteral("Проверка иногородних");

// The columns of a case; the grouping by all of them leaves one row per case
// however many paid sheets it has.
const QString kIngStacColumns = QStringLiteral(
    "s.POL,s.DR,s.DOKUMENT,s.POLIS,s.SOCIUM,s.IN_STAC,s.OUT_STAC,s.RES_LECEN,s.ISHOD_LECE,s.DZ,"
    "s.D_SERIA,s.D_NOMBER,s.POL_OBL,s.NUMBER,s.SERIA,s.F_STREET,s.F_NPUNKT,s.F_OKSM,s.F_DELEGAT,"
    "s.F_STATUS,s.F_DOCS,s.DATE_N,s.NOMIB,s.FAMILY,s.NAME,s.FATHER,s.TIP_STAC,s.OBL,s.ID,"
    "s.DATE_E,s.F_PLACEW,s.VPOLIS");

// ingStac: the out-of-region cases of the period (by discharge, or by the
// date of death when the result is 6) with at least one paid sheet.
const QStringList kIngStacSql = {
    QStringLiteral("select ") + kIngStacColumns,
    QStringLiteral("from stacion.dbf s"),
    QStringLiteral("join mtl.dbf m on m.id=s.id"),
    QStringLiteral("where (s.POL_OBL<>'1137') and"),
    QStringLiteral("(((s.out_stac>=:ps) and (s.out_stac<=:pp) and (s.res_lecen<>6)) or"),
    QStringLiteral("((s.dz>=:ps) and (s.dz<=:pp) and (s.res_lecen=6))) and  (m.oplat=1) and "
                   "(s.tip_stac=:ts)"),
    QStringLiteral("group by ") + kIngStacColumns,
    // The desktop engine gave the groups in the order of their columns; the
    // protocol lists the cases in that order.
    QStringLiteral("order by ") + kIngStacColumns,
};

// ingMTL: the case's paid treatment sheets in their order.
const QStringList kIngMtlSql = {
    QStringLiteral("select * from mtl.dbf"),
    QStringLiteral("where id=:id and oplat=1"),
    QStringLiteral("order by NOM_MTL"),
};

// ingParents: the case's representative.
const QStringList kIngParentsSql = {
    QStringLiteral("select * from parents.dbf"),
    QStringLiteral("where id=:id"),
};

CheckRecord CurrentRecord(const dbfsql::TQuery& q) {
  CheckRecord record;
  for (int i = 0; i < q.FieldCount(); ++i) record.Set(q.FieldName(i), q.Field(i));
  return record;
}

std::vector<CheckRecord> RowsOf(dbfsql::TQuery& q) {
  std::vector<CheckRecord> rows;
  for (q.First(); !q.Eof(); q.Next()) rows.push_back(CurrentRecord(q));
  return rows;
}

// The progress window is closed however the check ends.
class ProgressShown {
 public:
  ProgressShown(OutOfRegionCheckUser& user, int caseCount) : user_(user) {
    user_.BeginProgress(kCaption, caseCount);
  }
  ~ProgressShown() { End(); }
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;
  void End() {
    if (shown_) user_.EndProgress();
    shown_ = false;
  }

 private:
  OutOfRegionCheckUser& user_;
  bool shown_ = true;
};

// The protocol's path without its ".txt": the archiver's archive name.
QString WithoutTxt(const QString& protocol) {
  return protocol.left(protocol.size() - 4);
}

// The archive, the save dialog and its copy; true when the archive was made.
bool ArchiveProtocol(const QString& protocol, OutOfRegionCheckUser& user,
                     OutOfRegionCheckResult& result) {
  const QString archiver = FindRarArchiver();
  if (archiver.isEmpty()) return false;
  const QString base = WithoutTxt(protocol);
  // The copy is offered only once the archiver has ended and made its
  // archive: an archive still being written would give a broken copy.
  if (!PackWithRar(archiver, base, protocol)) return false;
  QString target = user.ChooseArchiveCopy(QFileInfo(base).fileName());
  if (target.isEmpty()) return true;
  if (!target.endsWith(QStringLiteral(".rar"), Qt::CaseInsensitive))
    target += QStringLiteral(".rar");
  // An existing file is never overwritten; a failed copy is not reported.
  if (QFile::copy(base + QStringLiteral(".rar"), target)) result.ArchiveCopy = target;
  return true;
}

}  // namespace

QString OutOfRegionProtocolName(const QDateTime& started) {
  return QStringLiteral("Инг_") + started.toString(QStringLiteral("ddMMyyyyhhmmss")) +
         QStringLiteral(".txt");
}

QStringList OutOfRegionProtocolHead(const OutOfRegionCheckInputs& in) {
  const QString month = QString::number(in.Month);
  const QString year = QString::number(in.Year);
  const int days = QDate(in.Year, in.Month, 1).daysInMonth();
  return {
      QStringLiteral("Проверка отчета по иногородним"),
      QString(),
      QStringLiteral("ЛПУ: ") + TrimText(in.LpuName),
      QStringLiteral("Отчет за период с 01.") + month + QLatin1Char('.') + year +
          QStringLiteral(" по ") + QString::number(days) + QLatin1Char('.') + month +
          QLatin1Char('.') + year,
      QStringLiteral("Дата проверки: ") + ShortDateText(in.Started.date()) +
          QStringLiteral(". Время проверки: ") +
          in.Started.time().toString(QStringLiteral("hh:mm:ss")) + QLatin1Char('.'),
      QString(),
      QStringLiteral("Обнаружены ошибки заполнения:"),
      QString(),
  };
}

OutOfRegionCheckResult CheckOutOfRegionRegistry(const OutOfRegionCheckInputs& in,
                                                OutOfRegionCheckUser& user) {
  OutOfRegionCheckResult result;
  result.ProtocolPath = QDir(in.Folder).filePath(OutOfRegionProtocolName(in.Started));
  ActFile protocol;
  protocol.Create(result.ProtocolPath);
  protocol.WriteLines(OutOfRegionProtocolHead(in));

  // The three tables must be there; the viewer names each one missing.
  for (const char* table : {"stacion.dbf", "mtl.dbf", "parents.dbf"}) {
    const QString name = QString::fromLatin1(table);
    if (!QFileInfo(FindFileNoCase(in.Folder, name)).isFile()) {
      protocol.WriteLine(QStringLiteral(" - не найден файл ") + name);
      result.TablesMissing = true;
    }
  }
  if (result.TablesMissing) {
    protocol.Close();
    TheRunState().ProtocolPath = result.ProtocolPath;
    user.ShowProtocol(false);
    return result;
  }

  const QDate first(in.Year, in.Month, 1);
  dbfsql::TQuery ingStac;
  ingStac.SetDatabaseName(in.Folder);
  ingStac.SetStatement(kIngStacSql);
  ingStac.SetParam(QStringLiteral("ps"), first);
  ingStac.SetParam(QStringLiteral("pp"), QDate(in.Year, in.Month, first.daysInMonth()));
  ingStac.SetParam(QStringLiteral("ts"), in.StacType);
  ingStac.Open();
  const std::vector<CheckRecord> cases = RowsOf(ingStac);
  ingStac.Close();
  dbfsql::TQuery ingMTL;
  ingMTL.SetDatabaseName(in.Folder);
  ingMTL.SetStatement(kIngMtlSql);
  dbfsql::TQuery ingParents;
  ingParents.SetDatabaseName(in.Folder);
  ingParents.SetStatement(kIngParentsSql);

  {
    ProgressShown progress(user, static_cast<int>(cases.size()));
    for (const CheckRecord& stac : cases) {
      const QVariant id = stac.Value(QStringLiteral("ID"));
      ingMTL.SetParam(QStringLiteral("id"), id);
      ingMTL.Open();
      const std::vector<CheckRecord> sheets = RowsOf(ingMTL);
      ingMTL.Close();
      ingParents.SetParam(QStringLiteral("id"), id);
      ingParents.Open();
      const std::vector<CheckRecord> parents = RowsOf(ingParents);
      ingParents.Close();

      const QString label = QStringLiteral(" - ") + CaseLabel(stac);
      QStringList findings;
      for (const CheckRecord& sheet : sheets)
        if (sheet.Whole(QStringLiteral("VIDMTL")) == 0)
          findings << SheetFindings(sheet, stac, in.LpuLevel);
      findings << CaseFindings(stac, sheets);
      if (!parents.empty()) findings << RepresentativeFindings(parents.front(), stac);
      for (const QString& finding : findings) protocol.WriteLine(label + finding);
      protocol.WriteLine();
      result.Found = result.Found || !findings.isEmpty();
      user.StepProgress();
    }
    progress.End();
  }
  protocol.WriteLine();
  if (!result.Found) protocol.WriteLine(QStringLiteral("Ошибок не обнаружено"));
  protocol.Close();

  if (!result.Found) {
    user.Message(kCaption, QStringLiteral("Ошибок заполнения не обнаружено"),
                 RunMessageIcon::Information);
    return result;
  }
  result.Archived = ArchiveProtocol(result.ProtocolPath, user, result);
  TheRunState().ProtocolPath = result.ProtocolPath;
  // The viewer offers the archive only when there is one.
  user.ShowProtocol(result.Archived);
  return result;
}

}  // namespace kelmo::tariff
