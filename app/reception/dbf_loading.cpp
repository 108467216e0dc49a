// The loading phase of a DBF pass: report row, cases, newborns, completion.
#include "dbf_loading.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <set>

#include "case_loading.h"
#include "documents/package_description.h"
#include "domain/package_lists.h"
#include "domain/report_period.h"
#include "domain/run_state.h"
#include "filenames/file_lookup.h"
#include "firebird/fb_query.h"
#include "firebird/fb_statement.h"
#include "shell/error_box.h"
#include "system/workstation.h"

namespace kelmo {

namespace {

const QString kNewbornsLocalSql = QStringLiteral(
    "select p.id_ill, s.id_ill sid, s.family, r.lpu, s.polis, s.pol, s.idcase, r.tip_stac, s.dr, "
    "s.in_stac, s.vozrastm from parents p join reports r on r.repn=p.repn join parents p1 on "
    "p1.repn in (select r1.repn from reports r1 where r1.date_beg=r.date_beg and r1.lpu=r.lpu and "
    "(r1.repn=r.repn or (r1.see1=1 and r1.see2=1))) and p1.family=p.family and p1.name=p.name and "
    "p1.father=p.father and p1.dr=p.dr join stacion s on s.id_ill=p1.id_ill where r.repn=:repn "
    "order by p.id_ill, s.id_ill");
const QString kNewbornsOutOfRegionSql = QStringLiteral(
    "select p.id_ill, s.id_ill sid, r.lpu, s.polis, s.pol, s.idcase, r.tip_stac, s.dr, "
    "s.in_stac, s.vozrastm from parents p join reports r on r.repn=p.repn join parents p1 on "
    "p1.repn in (select r1.repn from reports r1 where r1.date_beg=r.date_beg and r1.lpu=r.lpu and "
    "(r1.repn=r.repn or (r1.see1=1 and r1.see2=1))) and p1.family=p.family and p1.name=p.name and "
    "p1.father=p.father and p1.dr=p.dr join stacion s on s.id_ill=p1.id_ill where r.repn=:repn "
    "order by p.id_ill, s.id_ill");
const QString kNewbornSql =
    QStringLiteral("update stacion s set s.novor=:novor where s.id_ill=:id_ill");
// The bed profiles of the report's sheets from LST_KOIKI by profile and the
// case's discharge day (SP_BED_PROFILES: a sheet already right is not
// written again).
const QString kBedProfileSql = QStringLiteral("execute procedure SP_BED_PROFILES(:REPN)");
const QString kSheetCountSql = QStringLiteral(
    "update stacion s set s.mtlcnt=(select max(m.nom_mtl) from mtl m where m.id_ill=s.id_ill) "
    "where s.repn=:repn");
const QString kReportSql = QStringLiteral(
    "insert into REPORTS (REPN, LPU, OPLAT, TIP_STAC, INOGOR, DATE_BEG, DATE_END, DATE_PR, "
    "SUM_SF, SEE1, SEE2, SEE3, FILE_OSH, WHO_PRIN) values (:REPN, :LPU, :OPLAT, :TIP_STAC, "
    ":INOGOR, :DATE_BEG, :DATE_END, :DATE_PR, :SUM_SF, 0, 0, 0, :FILE_OSH, :WHO_PRIN)");

// The local pass keeps its finished cases at most this far from a commit.
constexpr qint64 kCommitEveryMs = 1000;

int NewReportNumber(const ReceptionContext& ctx) {
  FbQuery getRepn(ctx.Db, &ctx.Tr);
  getRepn.setSql(QStringLiteral("execute procedure GETREPN"));
  getRepn.Open();
  return getRepn.FieldByName(QStringLiteral("RREPN")).toInt();
}

void MakeReportRow(const ReceptionContext& ctx, Population population, int repn) {
  FbQuery q(ctx.Db, &ctx.Tr);
  q.setSql(kReportSql);
  q.setParam(QStringLiteral("REPN"), repn);
  q.setParam(QStringLiteral("LPU"), ctx.LpuId);
  q.setParam(QStringLiteral("OPLAT"), static_cast<int>(ctx.PayKind));
  q.setParam(QStringLiteral("TIP_STAC"), Number(ctx.StacType));
  q.setParam(QStringLiteral("INOGOR"),
             population == Population::Local ? QStringLiteral("0") : QStringLiteral("1"));
  q.setParam(QStringLiteral("DATE_BEG"), PeriodMonthStartOf(ctx.PeriodStart));
  q.setParam(QStringLiteral("DATE_END"), PeriodMonthEndOf(ctx.PeriodEnd));
  q.setParam(QStringLiteral("DATE_PR"), QDateTime::currentDateTime());
  q.setParam(QStringLiteral("SUM_SF"),
             ctx.Receiving ? QVariant(ctx.State.LpuInvoiceSum.ToDouble()) : QVariant());
  q.setParam(QStringLiteral("FILE_OSH"), TheRunState().ProtocolPath);
  q.setParam(QStringLiteral("WHO_PRIN"), population == Population::Local
                                             ? QVariant(ComputerName().toUpper().left(16))
                                             : QVariant());
  q.ExecSQL();
}

QString CaseIdentifiers(const DbfRow& s) {
  auto text = [&s](const char* f) {
    const QString name = QString::fromLatin1(f);
    return s.HasField(name) ? ReadText(s, name).trimmed() : QString();
  };
  return QStringLiteral("Случай ID=") + text("ID") + QStringLiteral(" (") +
         (text("FAMILY") + QLatin1Char(' ') + text("NAME") + QLatin1Char(' ') + text("FATHER"))
             .trimmed()
             .toUpper() +
         QStringLiteral(", история болезни ") + text("NOMIB") + QLatin1Char(')');
}

}  // namespace

void NumberNewborns(FbDatabase& db, FbTransaction& tr, int repn, Population population) {
  FbQuery ibq1(db, &tr);
  ibq1.setSql(population == Population::Local ? kNewbornsLocalSql : kNewbornsOutOfRegionSql);
  ibq1.setParam(QStringLiteral("repn"), repn);
  ibq1.Open();
  FbQuery qMcod(db, &tr);
  qMcod.setSql(kNewbornSql);
  // Rows of one group (one p.id_ill) are numbered together; a group whose
  // first numbered child heads a group already numbered is the same family
  // met again through another child's parent row.
  std::set<qlonglong> groupHeads;
  int row = 0;
  while (row < ibq1.RecordCount()) {
    const QVariant group = ibq1.Value(row, QStringLiteral("id_ill"));
    struct Numbered {
      qlonglong sid;
      QString novor;
    };
    std::vector<Numbered> numbered;
    for (; row < ibq1.RecordCount() && ibq1.Value(row, QStringLiteral("id_ill")) == group; ++row) {
      const QDate birth = ibq1.Value(row, QStringLiteral("dr")).toDate();
      const QDate d = NewbornDate(birth);
      if (!d.isValid() || ibq1.Value(row, QStringLiteral("in_stac")).toDate() >= d) continue;
      const int counter = static_cast<int>(numbered.size()) + 1;
      numbered.push_back({ibq1.Value(row, QStringLiteral("sid")).toLongLong(),
                          ibq1.Value(row, QStringLiteral("pol")).toString() +
                              d.toString(QStringLiteral("ddMMyy")) + QString::number(counter)});
    }
    if (numbered.empty() || !groupHeads.insert(numbered.front().sid).second) continue;
    for (const Numbered& n : numbered) {
      qMcod.setParam(QStringLiteral("novor"), n.novor.toLongLong());
      qMcod.setParam(QStringLiteral("id_ill"), n.sid);
      qMcod.ExecSQL();
    }
  }
}

void LoadDbfPass(const ReceptionContext& ctx, Population population, PassSelection& selection) {
  ReceptionState& state = ctx.State;
  state.BadDocumentCases.clear();
  PackageLists& lists = ThePackageLists();

  const int repn = NewReportNumber(ctx);
  state.CurrentReportNumber = repn;
  state.ReportNumber[population] = repn;
  rRepn entry;
  entry.Repn = repn;
  entry.TipStac = static_cast<std::uint8_t>(Number(ctx.StacType));
  lists.ReportLists[population] = {entry};
  state.CurrentLpu = ctx.LpuId;
  MakeReportRow(ctx, population, repn);
  ctx.Tr.Commit();

  CaseLoadingInputs in;
  in.Folder = ctx.WorkFolder;
  in.Pass = population;
  in.StacType = Number(ctx.StacType);
  in.YearText = ctx.YearText;
  in.PeriodStart = ctx.PeriodStart;
  in.Lpu = ctx.LpuId;
  CaseLoader loader(ctx.Db, ctx.Tr, in);
  dbfsql::TXtQuery& qStacion = *selection.qStacion;
  const auto layout =
      DbfLayout::OfFile(FindFileNoCase(ctx.WorkFolder, QStringLiteral("stacion.dbf")));
  const CaseNote note = [&ctx](const QString& line) { ctx.Act().WriteLine(line); };

  int committed = 0;
  int finished = 0;
  QElapsedTimer sinceCommit;
  sinceCommit.start();
  auto commit = [&] {
    ctx.Tr.Commit();
    committed = finished;
    sinceCommit.restart();
  };
  // The case's savepoint statements are prepared once, like its inserts.
  FbStatement savepoint(ctx.Db, &ctx.Tr), release(ctx.Db, &ctx.Tr), undo(ctx.Db, &ctx.Tr);
  savepoint.Prepare(QStringLiteral("SAVEPOINT KELMO_CASE"));
  release.Prepare(QStringLiteral("RELEASE SAVEPOINT KELMO_CASE ONLY"));
  undo.Prepare(QStringLiteral("ROLLBACK TO SAVEPOINT KELMO_CASE"));
  for (qStacion.First(); !qStacion.Eof(); qStacion.Next()) {
    const DbfRow s = DbfRow::OfQuery(layout, qStacion);
    savepoint.Exec();
    try {
      bool badDocument = false;
      state.CurrentCaseId = loader.LoadCase(s, repn, badDocument, note);
      if (badDocument) state.BadDocumentCases.append(QString::number(state.CurrentCaseId));
      release.Exec();
    } catch (const std::exception& error) {
      // None of the failing case's rows may reach a commit.
      undo.Exec();
      commit();
      ctx.Act().WriteLines(
          {QString(),
           CaseIdentifiers(s) + QStringLiteral(": случай не загружен: ") + ErrorMessage(error),
           QStringLiteral("Загрузка прервана. Загружено и сохранено случаев: %1.").arg(committed)});
      throw;
    }
    ++finished;
    ctx.StepRecord();
    if (population == Population::Local && sinceCommit.elapsed() >= kCommitEveryMs) commit();
  }
  if (population == Population::Local) commit();
  NumberNewborns(ctx.Db, ctx.Tr, repn, population);
}

void FinishDbfPassLoading(const ReceptionContext& ctx, Population population) {
  const int repn = ctx.State.CurrentReportNumber;
  for (const QString& sql : {kBedProfileSql, kSheetCountSql}) {
    FbQuery ibq1(ctx.Db, &ctx.Tr);
    ibq1.setSql(sql);
    ibq1.setParam(QStringLiteral("repn"), repn);
    ibq1.ExecSQL();
  }
  PackageDescriptionInputs in;
  in.RegistryFolder = ctx.RegistryFolder;
  in.StacType = Number(ctx.StacType);
  in.PayKind = static_cast<int>(ctx.PayKind);
  in.YearText = ctx.YearText;
  in.Today = QDate::currentDate();
  DescribeXmlPackage(ctx.Db, ctx.Tr, in, repn, static_cast<int>(IndexOf(population)));
}

}  // namespace kelmo
