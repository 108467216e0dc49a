// The package a DBF registry would have come in, described after its loading.
#include "package_description.h"

#include <QDir>

#include "domain/package_lists.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"

namespace kelmo {

namespace {

// One row per insurer group of the report with the highest invoice number,
// code and package number already recorded for the institution, month and
// addressee. Invoice numbers count by their integer value. The groups are
// taken from the report's cases that have a sheet before anything is joined
// to them, so that the sort behind DISTINCT holds one short key per case
// instead of every column of every sheet.
const QString kPackageSql = QStringLiteral(
    "select t.mcod, t.id, t.name, t.date_beg, t.inogor, t.polis, t.smo_mcod, t.lpu_mcod, "
    "max(t.nschet) nschet, max(t.code) code, max(t.num) num from\r"
    "    (select distinct lm.mcod, l.id, l.name, r.date_beg, r.inogor, g.polis, xf.smo_mcod, "
    "xf.lpu_mcod, "
    "case when xf.nschet similar to '[0-9]{1,9}' then cast(xf.nschet as integer) else 0 end "
    "nschet, coalesce(xf.code,0) code, coalesce(xf.num,100) num from\r"
    "    (select distinct iif(s.polis in ('2778','2779'),s.polis,'45') polis from stacion s\r"
    "     where s.repn=:repn and exists(select 1 from mtl m where m.id_ill=s.id_ill)) g\r"
    "    join reports r on r.repn=:repn\r"
    "    join lpu l on l.id=r.lpu\r"
    "    join lpu_mcod lm on lm.lpu_id=r.lpu\r"
    "    left join xml_files xf on ((xf.smo_mcod=(case g.polis when '2778' then 45001 when '2779' "
    "then 45002 end) and r.inogor='0') or\r"
    "                           (xf.smo_mcod=45 and r.inogor='1')) and xf.date_beg=r.date_beg "
    "and\r"
    "                           xf.lpu_mcod=cast(lm.mcod as integer)) t\r"
    "group by t.mcod, t.id, t.name, t.date_beg, t.inogor, t.polis, t.smo_mcod, t.lpu_mcod\r"
    "order by t.lpu_mcod, t.smo_mcod");
const QString kRecordSql = QStringLiteral(
    "insert into xml_files (repn,smo_mcod,num,dschet,nschet,code,date_beg,lpu_mcod)\r"
    "values(:repn,:smo_mcod,:num,:dschet,:nschet,:code,:date_beg,:lpu_mcod)");
const QString kNewbornFlagSql =
    QStringLiteral("update stacion s set s.novor=0 where s.novor is null and s.repn=:repn");
const QString kConversionSql = QStringLiteral("execute procedure sp_conv_dbftoxml(:repn)");
const QString kOperationsToSheetsSql =
    QStringLiteral("execute procedure sp_operations_to_sheets(:repn)");
const QString kOncologyFlagSql = QStringLiteral(
    "update STACION S set S.ONCO_SLUCH = 1 \r"
    "where s.repn = :repn and \r"
    "      (exists(select M.ID from MTL M \r"
    "              where M.ID_ILL = S.ID_ILL and \r"
    "                    substring(M.STAC_DIAG from 1 for 1) = 'C') or \r"
    "      exists(select ONC.ID_ONCO from ONCOLOGY ONC where ONC.ID_ILL = S.ID_ILL))");

struct Addressee {
  QString code;
  int number = 0;
  QString name;
  QString label;
  int smoCode = 0;
};

// The addressee of an insurer group; a local group of another insurer keeps
// the previous row's addressee (the export has none of its own for it).
Addressee AddresseeOf(int population, const QString& group, const Addressee& previous) {
  if (population == 1)
    return {QStringLiteral("T45"), 0, QStringLiteral("ТФОМС"), QStringLiteral("Иногородние"), 45};
  if (group == QLatin1String("2778"))
    return {QStringLiteral("S45001"), 1, QStringLiteral("Бервинта"), QStringLiteral("2778"), 45001};
  if (group == QLatin1String("2779"))
    return {QStringLiteral("S45002"), 2, QStringLiteral("ЗНТ"), QStringLiteral("2779"), 45002};
  Addressee a = previous;
  a.number = 0;
  return a;
}

QString PayWord(int payKind, const QString& previous) {
  switch (payKind) {
    case 1:
      return QStringLiteral("ОМС");
    case 6:
      return QStringLiteral("ВМП");
    case 7:
      return QStringLiteral("Реабилитация");
    default:
      return previous;
  }
}

}  // namespace

const QString& PackageGroupsSql() {
  return kPackageSql;
}

QString PackageLetter(int payKind) {
  return payKind == 6 ? QStringLiteral("T") : QStringLiteral("H");
}

void DescribeXmlPackage(FbDatabase& db, FbTransaction& tr, const PackageDescriptionInputs& in,
                        int repn, int population) {
  PackageLists& lists = ThePackageLists();
  QDir().mkpath(QDir(in.RegistryFolder).filePath(QStringLiteral("temp")));
  rRepn report;
  report.Repn = repn;
  report.TipStac = static_cast<std::uint8_t>(in.StacType);
  lists.ReportLists[population == 1 ? Population::OutOfRegion : Population::Local] = {report};
  rRepn& entry =
      lists.ReportLists[population == 1 ? Population::OutOfRegion : Population::Local].front();

  FbQuery q(db, &tr);
  q.setSql(kPackageSql);
  q.setParam(QStringLiteral("repn"), repn);
  q.Open();
  lists.PayFolderWord = PayWord(in.PayKind, lists.PayFolderWord);
  if (q.RecordCount() == 0) return;
  if (lists.SenderList.isEmpty()) {
    rSender sender;
    const QString mcod = q.FieldByName(QStringLiteral("mcod")).toString().trimmed();
    sender.Code = QStringLiteral("M") + mcod;
    sender.Kind = PartyKind::Institution;
    sender.Number = mcod.toInt();
    sender.LpuId = q.FieldByName(QStringLiteral("id")).toInt();
    sender.Name = q.FieldByName(QStringLiteral("name")).toString();
    lists.SenderList.append(sender);
  }
  rSender& sender = lists.SenderList.front();
  const QDate month = q.FieldByName(QStringLiteral("date_beg")).toDate();
  const QString year2 = in.YearText.mid(2, 2);
  const QString month2 = QStringLiteral("%1").arg(month.month(), 2, 10, QLatin1Char('0'));

  FbQuery record(db, &tr);
  record.setSql(kRecordSql);
  Addressee previous;
  for (q.First(); !q.Eof(); q.Next()) {
    const Addressee a = AddresseeOf(
        population, q.FieldByName(QStringLiteral("polis")).toString().trimmed(), previous);
    previous = a;
    const int num = q.FieldByName(QStringLiteral("num")).toInt();
    const qlonglong nschet = q.FieldByName(QStringLiteral("nschet")).toLongLong();
    const int code = q.FieldByName(QStringLiteral("code")).toInt();

    rAdresat adresat;
    adresat.Code = a.code;
    adresat.Kind = population == 1 ? PartyKind::Fund : PartyKind::Insurer;
    adresat.Number = a.number;
    adresat.Name = a.name;
    adresat.HasTFile = in.PayKind == 6;
    adresat.HasHFile = in.PayKind != 6;
    if (in.StacType >= 1 && in.StacType <= 4)
      adresat.StacTypes[static_cast<size_t>(in.StacType - 1)] = true;
    rFile file;
    file.SourceName = PackageLetter(in.PayKind) + sender.Code + a.code + QLatin1Char('_') + year2 +
                      month2 + QString::number(num + 1);
    file.HName = file.SourceName;
    file.LName = QLatin1Char('L') + file.SourceName.mid(1);
    file.CName = QLatin1Char('C') + file.SourceName.mid(1);
    file.LcName = QStringLiteral("LC") + file.SourceName.mid(1);
    file.NSchet = QString::number(nschet + 1);
    file.Code = code + 1;
    adresat.Files.append(file);
    sender.Adresats.append(adresat);

    rSMOf smo;
    smo.SmoCode = a.smoCode;
    smo.Num = num + 1;
    smo.NSchet = QString::number(nschet + 2);
    smo.Code = file.Code + 1;
    smo.DSchet = in.Today;
    entry.Smos.append(smo);
    if (!a.label.isEmpty())
      QDir().mkpath(QDir(in.RegistryFolder).filePath(QStringLiteral("temp/") + a.label));

    record.setParam(QStringLiteral("repn"), repn);
    record.setParam(QStringLiteral("smo_mcod"), smo.SmoCode);
    record.setParam(QStringLiteral("num"), smo.Num);
    record.setParam(QStringLiteral("dschet"), in.Today);
    record.setParam(QStringLiteral("nschet"), smo.NSchet);
    record.setParam(QStringLiteral("code"), smo.Code);
    record.setParam(QStringLiteral("date_beg"), month);
    record.setParam(QStringLiteral("lpu_mcod"), sender.Number);
    record.ExecSQL();
  }

  for (const QString& sql :
       {kNewbornFlagSql, kConversionSql, kOperationsToSheetsSql, kOncologyFlagSql}) {
    FbQuery step(db, &tr);
    step.setSql(sql);
    step.setParam(QStringLiteral("repn"), repn);
    step.ExecSQL();
  }
}

}  // namespace kelmo
