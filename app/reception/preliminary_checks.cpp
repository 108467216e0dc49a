// Preliminary checks of a registry and the selection of each pass's cases.
#include "preliminary_checks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlField>
#include <QSqlRecord>
#include <stdexcept>

#include "domain/common.h"
#include "domain/institution_fixes.h"
#include "domain/package_lists.h"
#include "domain/record_hash.h"
#include "firebird/fb_query.h"
#include "reception_checks.h"
#include "registry_dbf_set.h"

namespace kelmo {

namespace {

const QString kHomeRegion = QString::fromLatin1(TheHomeRegion().PolicyRegionCode);

// Discharge within the period for a stay that did not end in death, death
// within it otherwise; `tail` goes before the closing parenthesis.
QStringList PeriodCondition(const QString& tail = QString()) {
  return {QStringLiteral("(((s.out_stac>=:ps) and (s.out_stac<=:pp) and (s.res_lecen<>6)) or"),
          QStringLiteral("((s.dz>=:ps) and (s.dz<=:pp) and (s.res_lecen=6))") +
              (tail.isEmpty() ? QStringLiteral(")") : QStringLiteral(" ") + tail)};
}

QStringList NotNull(const QStringList& fields) {
  QStringList lines;
  for (const QString& f : fields)
    lines << QStringLiteral("(s.") + f + QStringLiteral(" is not null) and");
  return lines;
}

const QStringList kFilledFields = {"family", "name",    "pol",      "obl", "nomib",
                                   "socium", "in_stac", "out_stac", "dz",  "pol_obl"};

QStringList FilledCondition(const QStringList& extra = {}, bool withRegion = true) {
  QStringList fields;
  for (const QString& f : kFilledFields)
    if (withRegion || (f != QLatin1String("obl") && f != QLatin1String("pol_obl"))) fields << f;
  fields << extra;
  return QStringList{QStringLiteral("(s.tip_stac=:tip_stac) and")} + NotNull(fields);
}

void SetPeriodParams(dbfsql::TQuery& q, const ReceptionContext& ctx) {
  q.SetParam(QStringLiteral("tip_stac"), Number(ctx.StacType));
  q.SetParam(QStringLiteral("ps"), ctx.PeriodStart);
  q.SetParam(QStringLiteral("pp"), ctx.PeriodEnd);
}

QString Text(const QVariant& v) {
  return v.isValid() ? v.toString() : QString();
}

// The frame restores the main window before a stop's lines; this check
// writes its own, so it does so itself.
void RestoreMainWindow(const ReceptionContext& ctx) {
  ctx.User().RestoreWindow();
}

}  // namespace

QStringList OplNullSql() {
  return QStringList{QStringLiteral("Select s.* from stacion.dbf s"), QStringLiteral("where")} +
         FilledCondition() + PeriodCondition() +
         QStringList{QStringLiteral("and"), QStringLiteral("(s.pol_obl %uslovie '1137') and"),
                     QStringLiteral("id in (select id"), QStringLiteral("from mtl.dbf"),
                     QStringLiteral("where oplat is null or oplat<1)")};
}

QStringList DoubleIdSql() {
  return {QStringLiteral("Select id"), QStringLiteral("from stacion.dbf"),
          QStringLiteral("order by id")};
}

QStringList DistinctIdSql() {
  return {QStringLiteral("Select distinct id"), QStringLiteral("from stacion.dbf")};
}

QStringList NomibSql(bool distinct) {
  return QStringList{distinct ? QStringLiteral("Select distinct s.nomib from stacion.dbf s")
                              : QStringLiteral("Select s.nomib from stacion.dbf s"),
                     QStringLiteral("where")} +
         FilledCondition(
             {QStringLiteral("father"), QStringLiteral("dr"), QStringLiteral("num_karta")}) +
         PeriodCondition();
}

QStringList DoubleNomibSql() {
  return QStringList{QStringLiteral("Select s.nomib, CAST(count(*) AS INTEGER) cnt"),
                     QStringLiteral("from stacion.dbf s"), QStringLiteral("where")} +
         FilledCondition(
             {QStringLiteral("father"), QStringLiteral("dr"), QStringLiteral("num_karta")}) +
         PeriodCondition() +
         QStringList{QStringLiteral("group by s.nomib"),
                     QStringLiteral("having CAST(count(*) AS INTEGER) > 1")};
}

QStringList CheckIdentSql() {
  return QStringList{QStringLiteral("Select distinct s.id,s.polis,s.mcod,s.hash,family,name,"
                                    "father,nomib,seria,number, s.pol_obl, s.in_stac from "
                                    "stacion.dbf s"),
                     QStringLiteral("join mtl.dbf m on m.id=s.id"), QStringLiteral("where")} +
         FilledCondition({}, false) +
         QStringList{QStringLiteral("( ((s.pol_obl is not null) and (s.obl is not null)) or "
                                    "(s.pol_obl<>'1137') ) and")} +
         PeriodCondition() +
         QStringList{QStringLiteral("and (m.oplat=:oplat and m.oplat in (1,6,7))")};
}

QStringList StacionSelectionSql() {
  return QStringList{QStringLiteral("Select s.* from stacion.dbf s"), QStringLiteral("where")} +
         FilledCondition() + PeriodCondition(QStringLiteral("%bm )")) +
         QStringList{QStringLiteral("and"),
                     QStringLiteral("(s.pol_obl %uslovie '1137') and (s.id in (select m.id from "
                                    "mtl.dbf m where m.oplat=:oplat group by m.id) )")};
}

QStringList MtlSelectionSql() {
  return QStringList{QStringLiteral("select *"), QStringLiteral("from mtl.dbf"),
                     QStringLiteral("where id in"),
                     QStringLiteral("(select s.id from stacion.dbf s"), QStringLiteral("where")} +
         FilledCondition() + PeriodCondition(QStringLiteral("%m_bm)")) +
         QStringList{QStringLiteral("and"), QStringLiteral("(s.pol_obl %uslovie '1137')"),
                     QStringLiteral(")  and (oplat=:oplat)")};
}

void CheckLicensedProfiles(const ReceptionContext& ctx) {
  FbQuery LicPROV(ctx.Db, &ctx.Tr);
  LicPROV.setSql(QStringList{
      QStringLiteral("SELECT P.Name, PL.VOZRAST, CAST(COUNT(P.name) AS INTEGER) as CN"),
      QStringLiteral("from PASS_LPU pl, PROFIL p"), QStringLiteral("where"),
      QStringLiteral("  (pl.MZ in (1,3)) and"), QStringLiteral("  (pl.PROF_CODE=p.TIP_PROF) and"),
      QStringLiteral("  (pl.LPU_CODE=:lpu) and"), QStringLiteral("  (pl.TIP_STAC=:tip_stac)"),
      QStringLiteral("group by P.Name, PL.VOZRAST"),
      QStringLiteral("having (CAST(COUNT(P.name) AS INTEGER)>1)")});
  LicPROV.setParam(QStringLiteral("lpu"), ctx.LpuId);
  LicPROV.setParam(QStringLiteral("tip_stac"), Number(ctx.StacType));
  LicPROV.Open();
  ctx.State.ProfilesLicensedTwice = LicPROV.RecordCount() > 0;
  LicPROV.Close();
  if (!ctx.State.ProfilesLicensedTwice) CheckExpiringLicences(ctx);
}

QString ShortPatientName(const QString& family, const QString& name, const QString& father) {
  return TrimText(family) + QLatin1Char(' ') + TrimText(name).left(1) + QLatin1Char('.') +
         TrimText(father).left(1) + QLatin1Char('.');
}

QString IdentificationReason(int stacType, const QVariantMap& fields) {
  const auto text = [&](const char* name) { return TrimText(Text(fields.value(name))); };
  if (stacType > 1 && text("pol_obl") == kHomeRegion && text("mcod").isEmpty())
    return QStringLiteral("Запись не имеет кода прикрипления (МКОД)");
  if (text("hash").isEmpty())
    return QStringLiteral("Запись не проходила страховую идентификацию в ТФ ОМС");
  QSqlRecord record;
  for (const char* name : {"id", "mcod", "polis", "seria", "number", "in_stac", "hash"}) {
    QVariant value = fields.value(name);
    // The engine gives dates as ISO text; the checksum was made of the date.
    if (QLatin1String(name) == QLatin1String("in_stac") && value.isValid())
      value = QDate::fromString(value.toString(), Qt::ISODate);
    QSqlField field(QString::fromLatin1(name), value.metaType());
    field.setValue(value);
    record.append(field);
  }
  if (!CheckRecordHash(record))
    return QStringLiteral("Неверная контрольная сумма записи. Необходима идентификация.");
  return QString();
}

namespace {

// The registry of the payment kind and the required files.
bool RequiredFilesPresent(const ReceptionContext& ctx) {
  ActFile& act = ctx.Act();
  if (!ThePackageLists().DbfRegistryAllowed) {
    act.WriteLine(QStringLiteral("Не найден файл реестра с выбранным видом оплаты."));
    return false;
  }
  bool present = true;
  for (const RequiredFile& file : RequiredRegistryFiles()) {
    if (!RequiredFor(file, ctx.PeriodStart)) continue;
    if (ctx.FindRegistryFile(file.File).isEmpty()) {
      act.WriteLine(QStringLiteral("Отсутствует файл ") + file.File + QLatin1Char('.'));
      present = false;
    }
  }
  return present;
}

// Treatment sheets without a payment kind. True when the run stops.
bool PaymentKindMissing(const ReceptionContext& ctx) {
  auto qOplNull = ctx.DbfQuery(OplNullSql());
  SetPeriodParams(*qOplNull, ctx);
  qOplNull->MacroParam(QStringLiteral("uslovie")).value = QStringLiteral("=");
  qOplNull->Open();
  if (qOplNull->IsEmpty()) return false;
  RestoreMainWindow(ctx);
  ActFile& act = ctx.Act();
  const QString rule = RuleLine(QLatin1Char('-'), 75);
  act.WriteLines(
      {QString(), QStringLiteral("Формирование и прием отчета не возможен, в связи с тем, что"),
       QStringLiteral("не у всех больных заполнен вид оплаты в mtl.dbf."), QString(), rule,
       TableRow({{QStringLiteral("Ист.бол."), 15},
                 {QStringLiteral("Фамилия"), 20},
                 {QStringLiteral("Имя"), 15},
                 {QStringLiteral("Отчество"), 20}})});
  for (qOplNull->First(); !qOplNull->Eof(); qOplNull->Next()) {
    act.WriteLine(rule);
    act.WriteLine(TableRow({{Text(qOplNull->FieldByName("Nomib")), 15},
                            {Text(qOplNull->FieldByName("Family")), 20},
                            {Text(qOplNull->FieldByName("Name")), 15},
                            {Text(qOplNull->FieldByName("Father")), 20}}));
  }
  act.WriteLines({rule, QString(), QStringLiteral("Подпись экономиста:")});
  return true;
}

// Doubled identifiers (a warning only).
void CheckDoubledIds(const ReceptionContext& ctx) {
  auto qID1 = ctx.DbfQuery(DoubleIdSql());
  auto qID2 = ctx.DbfQuery(DistinctIdSql());
  for (auto* q : {qID1.get(), qID2.get()}) {
    q->SetUniDirectional(true);
    q->Open();
  }
  if (qID1->RecordCount() > qID2->RecordCount())
    ctx.Act().WriteLines(
        {QStringLiteral("В Н И М А Н И Е !"), QStringLiteral("Обнаружены двойные ID."),
         QStringLiteral("Прием отчета Н Е В О З М О Ж Е Н даже если ошибки будут не найдены и "
                        "суммы предоставленные ЛПУ и посчитанные в ТФ ОМС сойдутся.")});
}

// Doubled case-history numbers (a warning only).
void CheckDoubledCaseNumbers(const ReceptionContext& ctx) {
  auto qMTL2 = ctx.DbfQuery(NomibSql(true));
  auto qMTL1 = ctx.DbfQuery(NomibSql(false));
  SetPeriodParams(*qMTL2, ctx);
  SetPeriodParams(*qMTL1, ctx);
  for (auto* q : {qMTL2.get(), qMTL1.get()}) {
    q->SetUniDirectional(true);
    q->Open();
  }
  if (qMTL1->RecordCount() <= qMTL2->RecordCount()) return;
  ActFile& act = ctx.Act();
  act.WriteLine(ctx.Receiving
                    ? QStringLiteral("В Н И М А Н И Е !  Обнаружены записи с одинаковым номером "
                                     "истории болезни. Прием отчета Н Е В О З М О Ж Е Н.")
                    : QStringLiteral("В Н И М А Н И Е !  Обнаружены записи с одинаковым номером "
                                     "истории болезни. Прием отчета будет Н Е В О З М О Ж Е Н."));
  auto qMTL3 = ctx.DbfQuery(DoubleNomibSql());
  SetPeriodParams(*qMTL3, ctx);
  qMTL3->Open();
  QString line = QStringLiteral("Номера историй болезни: ");
  bool first = true;
  for (qMTL3->First(); !qMTL3->Eof(); qMTL3->Next()) {
    if (!first) line += QStringLiteral(", ");
    line += Text(qMTL3->FieldByName("nomib"));
    first = false;
  }
  act.WriteLine(line + QLatin1Char('.'));
}

// The insurance identification. True when the run stops.
bool IdentificationFailed(const ReceptionContext& ctx) {
  auto chekIdent = ctx.DbfQuery(CheckIdentSql());
  SetPeriodParams(*chekIdent, ctx);
  chekIdent->SetParam(QStringLiteral("oplat"), Code(ctx.PayKind));
  chekIdent->SetUniDirectional(true);
  chekIdent->Open();
  bool begun = false;
  for (chekIdent->First(); !chekIdent->Eof(); chekIdent->Next()) {
    QVariantMap fields;
    for (const char* name :
         {"id", "polis", "mcod", "hash", "seria", "number", "pol_obl", "in_stac"})
      fields.insert(name, chekIdent->FieldByName(name));
    const QString reason = IdentificationReason(Number(ctx.StacType), fields);
    if (reason.isEmpty()) continue;
    if (!begun) WriteIdentTableHead(ctx.Act(), begun);
    WriteIdentTableRow(ctx.Act(), TrimText(Text(chekIdent->FieldByName("nomib"))),
                       ShortPatientName(Text(chekIdent->FieldByName("family")),
                                        Text(chekIdent->FieldByName("name")),
                                        Text(chekIdent->FieldByName("father"))),
                       reason);
  }
  if (begun) ctx.Act().WriteLine();
  return begun;
}

}  // namespace

ReceptionStop CheckDbfRegistry(const ReceptionContext& ctx) {
  if (!RequiredFilesPresent(ctx)) return ReceptionStop::FilesMissing;
  bool registerMissing = false;
  if (ctx.Receiving) {
    const QString name = QStringLiteral("sreestr%1.xls").arg(Number(ctx.StacType));
    if (ctx.FindInstitutionWorkbook(name).isEmpty()) {
      ctx.Act().WriteLine(QStringLiteral("Отсутствует файл ") + name);
      registerMissing = true;
    }
  }
  if (!MissingFields(DbfFieldNames(ctx.WorkFolder, QStringLiteral("mtl.dbf")), MtlRequiredFields())
           .isEmpty())
    return ReceptionStop::MtlStructure;
  if (!MissingFields(DbfFieldNames(ctx.WorkFolder, QStringLiteral("stacion.dbf")),
                     StacionRequiredFields())
           .isEmpty())
    return ReceptionStop::StacionStructure;
  if (PaymentKindMissing(ctx)) return ReceptionStop::PaymentKindMissing;
  if (registerMissing) return ReceptionStop::RegisterMissing;
  CheckDoubledIds(ctx);
  CheckDoubledCaseNumbers(ctx);
  CheckDoubleRecords(ctx);
  CheckOverlappingStays(ctx);
  if (IdentificationFailed(ctx)) return ReceptionStop::Identification;
  return ReceptionStop::None;
}

PassSelection SelectPassCases(const ReceptionContext& ctx, Population population) {
  PassSelection sel;
  const QString uslovie =
      population == Population::Local ? QStringLiteral("=") : QStringLiteral("<>");
  const QStringList mtlFields = DbfFieldNames(ctx.WorkFolder, QStringLiteral("mtl.dbf"));
  const QStringList stacFields = DbfFieldNames(ctx.WorkFolder, QStringLiteral("stacion.dbf"));

  if (RegistryNeedsRehabilitationRecoding(ctx.YearText, ctx.MonthIndex, ctx.LpuId)) {
    auto tMTL = ctx.DbfQuery({QStringLiteral("update mtl.dbf m set m.oplat=7, m.vid_pom=5")});
    tMTL->ExecSQL();
  }
  // Cases whose first sheet is rehabilitation care are rehabilitation cases.
  // A registry without the fields has nothing to correct.
  if (stacFields.contains(QStringLiteral("OPLAT")) &&
      mtlFields.contains(QStringLiteral("VID_POM"))) {
    auto fix =
        ctx.DbfQuery({QStringLiteral("update stacion.dbf s set s.oplat=7 where (select "
                                     "m.vid_pom from mtl.dbf m where m.nom_mtl=1 and "
                                     "m.id=s.id)=5")});
    fix->ExecSQL();
  }
  sel.RepeatCondition = stacFields.contains(QStringLiteral("REPEAT_UPL"))
                            ? QStringLiteral("or (s.repeat_upl=1)")
                            : QString();

  sel.qStacion = ctx.DbfQuery(StacionSelectionSql());
  SetPeriodParams(*sel.qStacion, ctx);
  sel.qStacion->SetParam(QStringLiteral("oplat"), Code(ctx.PayKind));
  sel.qStacion->MacroParam(QStringLiteral("bm")).value = sel.RepeatCondition;
  sel.qStacion->MacroParam(QStringLiteral("uslovie")).value = uslovie;
  sel.qStacion->SetUniDirectional(true);
  sel.qStacion->Open();

  auto qMtlOpl = ctx.DbfQuery(MtlSelectionSql());
  SetPeriodParams(*qMtlOpl, ctx);
  qMtlOpl->SetParam(QStringLiteral("oplat"), Code(ctx.PayKind));
  qMtlOpl->MacroParam(QStringLiteral("uslovie")).value = uslovie;
  qMtlOpl->MacroParam(QStringLiteral("m_bm")).value = sel.RepeatCondition;
  qMtlOpl->SetUniDirectional(true);
  qMtlOpl->Open();
  sel.HasSheets = !qMtlOpl->IsEmpty();
  qMtlOpl->Close();
  if (!sel.HasSheets)
    ctx.Act().WriteLine(population == Population::Local
                            ? QStringLiteral("В базе не найден ни один больной по местному "
                                             "населению, относящийся к выбранному периоду.")
                            : QStringLiteral("В базе не найден ни один больной по иногороднему "
                                             "населению, относящийся к выбранному периоду."));
  return sel;
}

void CopyDbfTables(const QString& registryFolder, const QString& workFolder) {
  static const QStringList kSuffixes = {"dbf", "fpt", "dbt", "cdx", "mdx", "ndx", "ntx"};
  if (!QDir().mkpath(workFolder))
    throw std::runtime_error(
        (QStringLiteral("Не удалось создать папку ") + workFolder).toStdString());
  const QFileInfoList files = QDir(registryFolder).entryInfoList(QDir::Files);
  for (const QFileInfo& info : files) {
    if (!kSuffixes.contains(info.suffix().toLower())) continue;
    const QString target = QDir(workFolder).filePath(info.fileName());
    QFile::remove(target);
    if (!QFile::copy(info.filePath(), target))
      throw std::runtime_error(
          (QStringLiteral("Не удалось скопировать файл ") + info.fileName()).toStdString());
    // The institution's file may be read-only; the copy must take the fix-ups.
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
  }
}

}  // namespace kelmo
