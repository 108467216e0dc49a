// The inputs of a round-the-clock OMS reception of March 2024, received on
// 5 April, as a test hands them to the run without the window.
#pragma once

#include <QDate>
#include <QString>

#include "reception/reception_inputs.h"

namespace kelmo::test {

inline ReceptionInputs MarchReceptionInputs(const QString& folder, const QString& database,
                                            int lpuId, const QString& lpuFullName) {
  ReceptionInputs in;
  in.RegistryFolder = folder;
  in.Receiving = true;
  in.StacType = StacType::RoundTheClock;
  in.PayKind = PayKind::Oms;
  in.PayKindName = QStringLiteral("ОМС");
  in.YearText = QStringLiteral("2024");
  in.MonthIndex = 2;
  in.PeriodStart = QDate(2024, 3, 1);
  in.PeriodEnd = QDate(2024, 3, 31);
  in.ReceptionDate = QDate(2024, 4, 5);
  in.LpuId = lpuId;
  in.LpuFullName = lpuFullName;
  in.WhoDetail = WhoDetail(1);
  in.DatabaseName = database;
  return in;
}

}  // namespace kelmo::test
