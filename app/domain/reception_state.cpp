// The reception's process-wide run variables.
#include "reception_state.h"

#include <QStringList>

#include "application_state.h"

namespace kelmo {

void ReceptionState::ZeroPassTotals() {
  CalcSum = Money();
  LpuInvoiceSum = Money();
  LpuInvoiceBedDays = 0;
}

void ReceptionState::ZeroRunTotals() {
  ZeroPassTotals();
  Pass = {};
}

QString CostUpdateStatement(const QString& yearText) {
  if (yearText == QLatin1String("2014")) {
    return QStringList{
        QStringLiteral("update mtl set KD = :p_KD, KDFMTL=:p_KDFMTL, OCNCOST = :p_Ocncost, "
                       "DOPCOST = :p_dopcost,"),
        QStringLiteral("COP1COST= :p_cop1cost, COP2COST= :p_cop2cost, COP3COST= :p_cop3cost, "
                       "PR_OMS = :p_OMS,"),
        QStringLiteral(
            "KDOMS = :p_KDOMS, KDMES = :p_KDMES, KDSvMES = :p_KDSvMES, KDNOT = :p_KDNOT,"),
        QStringLiteral("OCNCOSTPOMES = :p_OCNCOSTPOMES, OCNCOSTSVMES = :p_OCNCOSTSVMES, "
                       "COSTINTENSIV = :p_COSTINTENSIV,"),
        QStringLiteral("APP_COST = :p_APP_COST, mod_ffoms_cost = :p_FFOMS_COST, mod_tfoms_cost = "
                       ":p_TFOMS_COST,"),
        QStringLiteral("mod_kd = :p_MOD_KD, MOD_TRAIN_COST = :p_MOD_TRAIN_COST, KSG_ID=:p_ksg_id,"),
        QStringLiteral("ONECH_COST=:p_onech_cost"),
        QStringLiteral("where id = :p_id")}
        .join(QLatin1Char('\r'));
  }
  return QStringList{
      QStringLiteral("update mtl set KD = :p_KD, KDFMTL=:p_KDFMTL, OCNCOST = :p_Ocncost, DOPCOST "
                     "= :p_dopcost,"),
      QStringLiteral("COP1COST= :p_cop1cost, COP2COST= :p_cop2cost, COP3COST= :p_cop3cost, "
                     "PR_OMS = :p_OMS,"),
      QStringLiteral("KDOMS = :p_KDOMS, KDMES = :p_KDMES, KDSvMES = :p_KDSvMES, KDNOT = :p_KDNOT,"),
      QStringLiteral("OCNCOSTPOMES = :p_OCNCOSTPOMES, OCNCOSTSVMES = :p_OCNCOSTSVMES, "
                     "COSTINTENSIV = :p_COSTINTENSIV,"),
      QStringLiteral("APP_COST = :p_APP_COST, mod_ffoms_cost = :p_FFOMS_COST, mod_tfoms_cost = "
                     ":p_TFOMS_COST,"),
      QStringLiteral("mod_kd = :p_MOD_KD, MOD_TRAIN_COST = :p_MOD_TRAIN_COST, KSG_ID=:p_ksg_id,"),
      QStringLiteral("ONECH_COST=:p_onech_cost, UR_COST=:UR, KF_COST=:KF,"),
      QStringLiteral("CALC_COMMENT=:comment, CALC_KF=:KF_COM, ksg_base_cost = :p_baseCost"),
      QStringLiteral("where id = :p_id")}
      .join(QLatin1Char('\r'));
}

ReceptionState& TheReceptionState() {
  return TheApplicationState().Reception;
}

}  // namespace kelmo
