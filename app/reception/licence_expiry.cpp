// Licences of bed profiles that end soon, and the identification table.
#include "licence_expiry.h"

#include "domain/common.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "reception_checks.h"

namespace kelmo {

namespace {

// The reception date is bound as a parameter; the 30 days are counted in
// whole days between the two dates.
const QStringList kLicencesSql = {
    QStringLiteral("select p.NAME, pl.DATE_END"),
    QStringLiteral("from PASS_LPU pl, PROFIL p"),
    QStringLiteral("where"),
    QStringLiteral("  (pl.MZ in (:mz1,:mz2)) and"),
    QStringLiteral("  (pl.PROF_CODE=p.TIP_PROF) and"),
    QStringLiteral("  (pl.LPU_CODE=:lpu) and"),
    QStringLiteral("  (pl.TIP_STAC=:tip_stac) and"),
    QStringLiteral("  (cast(pl.DATE_END as date)>=cast(:d_priem as date)) and"),
    QStringLiteral("  (cast(pl.DATE_BEG as date)<=cast(:d_priem as date)) and"),
    QStringLiteral(
        "  (datediff(day from cast(:d_priem as date) to cast(pl.DATE_END as date))<=30)"),
    QStringLiteral("order by pl.DATE_END, p.NAME"),
};

const QString kIdentRule = QStringLiteral(
    "|--------|---------------------------|-------------------------------------------------------"
    "----|");

QString Cell(const QString& text, int width) {
  return text.size() >= width ? text : QString(width - text.size(), QLatin1Char(' ')) + text;
}

}  // namespace

QList<ExpiringLicence> FindExpiringLicences(FbDatabase& db, FbTransaction* tr, int lpuId,
                                            int tipStac, const QDate& receptionDate,
                                            PassportKinds kinds) {
  FbQuery qLic(db, tr);
  qLic.setSql(kLicencesSql);
  qLic.setParam(QStringLiteral("mz1"), kinds.first);
  qLic.setParam(QStringLiteral("mz2"), kinds.second);
  qLic.setParam(QStringLiteral("lpu"), lpuId);
  qLic.setParam(QStringLiteral("tip_stac"), tipStac);
  qLic.setParam(QStringLiteral("d_priem"), receptionDate);
  qLic.Open();
  QList<ExpiringLicence> licences;
  for (qLic.First(); !qLic.Eof(); qLic.Next())
    licences.append({TrimText(qLic.FieldByName(QStringLiteral("NAME")).toString()),
                     qLic.FieldByName(QStringLiteral("DATE_END")).toDate()});
  qLic.Close();
  return licences;
}

QString LicenceLine(const ExpiringLicence& licence) {
  return licence.Name + QStringLiteral(". Окончание лицензии: ") +
         licence.DateEnd.toString(QStringLiteral("dd.MM.yyyy"));
}

QStringList ExpiringLicenceActLines(const QList<ExpiringLicence>& licences) {
  QStringList lines;
  if (licences.isEmpty()) return lines;
  lines << QStringLiteral("Обнаружены заканчивающиеся лицензии:");
  for (const ExpiringLicence& licence : licences) lines << LicenceLine(licence);
  return lines;
}

QString ExpiringLicenceMessage(const QList<ExpiringLicence>& licences) {
  QString text;
  for (const ExpiringLicence& licence : licences) text += LicenceLine(licence) + QLatin1Char('\r');
  return text;
}

QString ExpiringLicenceCaption() {
  return QStringLiteral("Внимание, обнаружены заканчивающиеся лицензии...");
}

QStringList IdentTableHeadLines() {
  return {
      QString(),
      QStringLiteral("Дальнейший формирование/прием отчета не возможен, в связи с тем, что "
                     "обнаружены записи "),
      QStringLiteral("не прошедшие идентификацию в ТФ ОМС:"),
      kIdentRule,
      QStringLiteral("| № И.Б. |           ФИО             |                          Причина    "
                     "                      |"),
      kIdentRule,
  };
}

QStringList IdentTableRowLines(const QString& number, const QString& name, const QString& reason) {
  return {QLatin1Char('|') + Cell(TrimText(number), 8) + QLatin1Char('|') +
              Cell(TrimText(name), 27) + QLatin1Char('|') + Cell(TrimText(reason), 59) +
              QLatin1Char('|'),
          kIdentRule};
}

// --- The run's entry points ---

void CheckExpiringLicences(const ReceptionContext& ctx) {
  const QList<ExpiringLicence> licences =
      FindExpiringLicences(ctx.Db, &ctx.Tr, ctx.LpuId, Number(ctx.StacType), ctx.ReceptionDate);
  if (licences.isEmpty()) return;
  ctx.Act().WriteLines(ExpiringLicenceActLines(licences));
  ctx.User().Message(ExpiringLicenceCaption(), ExpiringLicenceMessage(licences),
                     RunMessageIcon::Information);
  ctx.User().Beep();
}

void WriteIdentTableHead(ActFile& act, bool& begun) {
  act.WriteLines(IdentTableHeadLines());
  begun = true;
}

void WriteIdentTableRow(ActFile& act, const QString& number, const QString& name,
                        const QString& reason) {
  act.WriteLines(IdentTableRowLines(number, name, reason));
}

}  // namespace kelmo
