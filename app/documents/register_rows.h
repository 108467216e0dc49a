// The pieces of a register's rows that the reception's registers and the
// budget's share: the sums of a bed profile, the social statuses counted
// apart, the patient's short name and a concomitant diagnosis as a register
// shows it.
#pragma once

#include <QString>

#include "domain/money.h"

namespace kelmo {

class FbQuery;

// The social statuses that a bed-profile register counts in its own column
// ("00", "05" to "10").
bool CountedSocium(const QString& socium);

// The sums of one bed profile (or of the whole register) over treatment
// sheets: bed days, bed days paid by the insurance, base and concomitant
// costs, sheets, and sheets of a counted social status.
struct ProfileSums {
  qint64 Kd = 0;
  qint64 KdOms = 0;
  Money OcnCost;
  Money DopCost;
  qint64 CaseCount = 0;
  qint64 SociumCount = 0;

  // Adds the current row of a query with the columns KD, KDOMS, OCNCOST,
  // DOPCOST and SOCIUM.
  void Add(const FbQuery& row);
  void Add(qint64 kd, qint64 kdOms, Money ocnCost, Money dopCost, const QString& socium);
  void Add(const ProfileSums& other);
  Money Total() const { return OcnCost + DopCost; }
};

// "Surname I.O.": the first 15 characters of the surname, trimmed, and the
// first letters of the trimmed name and patronymic.
QString RegisterPatientName(const QString& family, const QString& name, const QString& father);

// A concomitant diagnosis of a register's block: its code and its standard
// of care followed by the stage text ("(12)"). All of it is empty unless the
// diagnosis, a standard other than "0" and a stage are all given.
struct ConcomitantTexts {
  QString Diagnosis;
  QString Standard;
};
ConcomitantTexts ConcomitantDiagnosis(const QString& diagnosis, const QString& standard,
                                      const QString& stageMask);

}  // namespace kelmo
