// Registry-database look-ups of the package identification.
#include "registry_package_database.h"

#include <QDateTime>

#include "firebird/fb_query.h"

namespace kelmo {

const QStringList kFormingReportsSql = {
    QStringLiteral("select lm.mcod, l.name, r.tip_stac, r.inogor, r.repn, coalesce(xf.num,0) num, "
                   "xf.dschet, coalesce(xf.nschet,0) nschet, coalesce(xf.code,0) code, "),
    QStringLiteral(" iif(((R.OPLAT <> 6) and (select sum(m.mtl_onco_status) from mtl m where "
                   "m.REPN = R.REPN and m.oplat<>6) > 0), 1, 0) isNeedOncoFile from reports r"),
    QStringLiteral("left join xml_files xf on xf.repn=r.repn and xf.smo_mcod=:mcod"),
    QStringLiteral("join lpu_mcod lm on lm.lpu_id=r.lpu     "),
    QStringLiteral("join lpu l on l.id=r.lpu"),
    QStringLiteral("where r.see1=1 and r.see2=1 and r.lpu=:lpu and r.date_beg=:dbeg and "
                   "r.oplat=:oplat and r.inogor=:inog"),
    QStringLiteral("order by r.tip_stac, r.repn"),
};

const QStringList kLpuByMcodSql = {
    QStringLiteral("select lm.mcod, l.id, l.name from lpu l"),
    QStringLiteral("join lpu_mcod lm on lm.lpu_id=l.id"),
    QStringLiteral("where lm.mcod=:mcod"),
};

RegistryPackageDatabase::RegistryPackageDatabase(FbDatabase& database, FbTransaction* transaction)
    : database_(database), transaction_(transaction) {}

std::optional<LpuRecord> RegistryPackageDatabase::FindLpu(int mcod) {
  FbQuery ibq1(database_, transaction_);
  ibq1.setSql(kLpuByMcodSql.join(u'\n'));
  // lpu_mcod holds the code number as text.
  ibq1.setParam(QStringLiteral("mcod"), QString::number(mcod));
  ibq1.Open();
  if (ibq1.RecordCount() == 0) return std::nullopt;
  LpuRecord lpu;
  lpu.Mcod = ibq1.FieldByName(QStringLiteral("MCOD")).toInt();
  lpu.Id = ibq1.FieldByName(QStringLiteral("ID")).toInt();
  lpu.Name = ibq1.FieldByName(QStringLiteral("NAME")).toString();
  return lpu;
}

QList<FormingReportRow> RegistryPackageDatabase::FormingReports(const FormingReportQuery& query) {
  FbQuery qMcod(database_, transaction_);
  qMcod.setSql(kFormingReportsSql.join(u'\n'));
  qMcod.setParam(QStringLiteral("lpu"), query.Lpu);
  qMcod.setParam(QStringLiteral("oplat"), query.Oplat);
  qMcod.setParam(QStringLiteral("dbeg"), QDateTime(query.MonthStart, QTime(0, 0)));
  qMcod.setParam(QStringLiteral("mcod"), query.SmoCode);
  qMcod.setParam(QStringLiteral("inog"), QString::number(query.Inog));
  qMcod.Open();
  QList<FormingReportRow> rows;
  for (qMcod.First(); !qMcod.Eof(); qMcod.Next()) {
    FormingReportRow row;
    row.Mcod = qMcod.FieldByName(QStringLiteral("MCOD")).toInt();
    row.Name = qMcod.FieldByName(QStringLiteral("NAME")).toString();
    row.TipStac = qMcod.FieldByName(QStringLiteral("TIP_STAC")).toInt();
    row.Inogor = qMcod.FieldByName(QStringLiteral("INOGOR")).toInt();
    row.Repn = qMcod.FieldByName(QStringLiteral("REPN")).toInt();
    row.Num = qMcod.FieldByName(QStringLiteral("NUM")).toInt();
    row.DSchet = qMcod.FieldByName(QStringLiteral("DSCHET")).toDate();
    row.NSchet = qMcod.FieldByName(QStringLiteral("NSCHET")).toString();
    row.Code = qMcod.FieldByName(QStringLiteral("CODE")).toInt();
    row.NeedOncoFile = qMcod.FieldByName(QStringLiteral("ISNEEDONCOFILE")).toInt() == 1;
    rows.append(row);
  }
  return rows;
}

}  // namespace kelmo
