// One sanction of a case as it leaves the program: the parameters of one
// call of the acts database's procedure sp_set_sank, and for a package's
// sanction also what the institution's case-entry program keeps of it in
// its sank.dbf (the case's IDCASE element and the sanction's code). The
// rule checks and the XML loading both make these; the reception stores
// them.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include "money.h"

namespace kelmo {

struct SankCall {
  int UslOk = 0;
  int IdReport = 0;
  QDate DateReport;
  // The registry's case id.
  int IdCase = 0;
  int Mcod = 0;
  int Smo = 0;
  Money SSum;
  Money Sumv;
  Money SPenalty;
  // The sanction's kind: 1 МЭК, 2 МЭЭ, 3 ЭКМП (a package's S_TIP).
  int STip = 1;
  int SOsn = 0;
  QString SCom;
  int SIst = 1;
  QVariant IdAkt;  // null for kinds other than 1
  int ParamGroup = 0;
  // A package's sanction: the case's IDCASE element and the sanction's
  // S_CODE (0 and empty for the rule checks' sanctions).
  int CaseNumber = 0;
  QString SCode;
};

}  // namespace kelmo
