// The shared pieces of register rows (see register_rows.h).
#include "register_rows.h"

#include <QStringList>

#include "document_header.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "firebird/fb_query.h"

namespace kelmo {

bool CountedSocium(const QString& socium) {
  static const QStringList kCounted = {
      QStringLiteral("00"), QStringLiteral("05"), QStringLiteral("06"), QStringLiteral("07"),
      QStringLiteral("08"), QStringLiteral("09"), QStringLiteral("10")};
  return kCounted.contains(TrimText(socium));
}

void ProfileSums::Add(const FbQuery& row) {
  Add(row.FieldByName(QStringLiteral("KD")).toLongLong(),
      row.FieldByName(QStringLiteral("KDOMS")).toLongLong(),
      MoneyOfField(row.FieldByName(QStringLiteral("OCNCOST"))),
      MoneyOfField(row.FieldByName(QStringLiteral("DOPCOST"))),
      row.FieldByName(QStringLiteral("SOCIUM")).toString());
}

void ProfileSums::Add(qint64 kd, qint64 kdOms, Money ocnCost, Money dopCost,
                      const QString& socium) {
  Kd += kd;
  KdOms += kdOms;
  OcnCost += ocnCost;
  DopCost += dopCost;
  ++CaseCount;
  if (CountedSocium(socium)) ++SociumCount;
}

void ProfileSums::Add(const ProfileSums& other) {
  Kd += other.Kd;
  KdOms += other.KdOms;
  OcnCost += other.OcnCost;
  DopCost += other.DopCost;
  CaseCount += other.CaseCount;
  SociumCount += other.SociumCount;
}

QString RegisterPatientName(const QString& family, const QString& name, const QString& father) {
  return TrimText(family.left(15)) + QLatin1Char(' ') + TrimText(name).left(1) + QLatin1Char('.') +
         TrimText(father).left(1) + QLatin1Char('.');
}

ConcomitantTexts ConcomitantDiagnosis(const QString& diagnosis, const QString& standard,
                                      const QString& stageMask) {
  const QString accomp = TrimText(diagnosis);
  const QString mes = TrimText(standard);
  const QString stage = StageMaskText(stageMask);
  if (accomp.isEmpty() || mes.isEmpty() || mes == QLatin1String("0") || stage.isEmpty()) return {};
  return {accomp, mes + stage};
}

}  // namespace kelmo
