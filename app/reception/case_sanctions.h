// Storing the sanctions of one check row: in the acts database (through its
// procedure sp_set_sank) and as error rows of the case (mek_cases) when the
// fund or an insurer receives, and the case's МЭК/МЭЭ/ЭКМП sums in STACION
// whenever sanctions are stored (also when an institution forms).
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include "documents/insurer_documents.h"
#include "domain/case_errors.h"
#include "domain/domain_codes.h"
#include "domain/money.h"
#include "domain/sank_call.h"
#include "firebird/fb_database.h"

namespace kelmo {

class ActsConnection;

// The row the sanctions belong to and the run's settings.
struct SanctionTarget {
  int IdIll = 0;
  int MtlOncoStatus = 0;
  // h_smocod, repn, lpu_mcod, date_rep and p_TS of the check row.
  QString SmoCode;
  int Repn = 0;
  int LpuMcod = 0;
  QDate DateRep;
  int StacTypeNumber = 1;
  // The case's cost for its first store, 0 for later ones.
  Money Amount;
  // No store was made for the case before in this pass.
  bool FirstStoreOfCase = true;
};

struct SanctionParty {
  kelmo::WhoDetail WhoDetail;
  bool Receiving = true;
  kelmo::PayKind PayKind = PayKind::Oms;
};

// Whether this party and mode store sanctions at all.
bool StoresSanctions(const SanctionParty& party);
// The condition of care of an in-patient type and payment kind.
int ConditionOfCare(int stacTypeNumber, PayKind payKind);
// The insurer code of the row: 45001 or 45002, else 45. A text that is not a
// number raises ConversionError.
int InsurerOfRow(const QString& smoCode);
// The acts database's calls for the sanctions.
QList<SankCall> SankCalls(const QList<rMEK>& sanctions, const SanctionTarget& target,
                          const SanctionParty& party);

// Stores the sanctions. With `acts` (the acts database enabled) the calls run
// in one transaction of the acts database that is committed only after the
// registry's rows are written, so that a failure leaves neither half: the
// error is raised as DatabaseError naming what failed. The registry rows are
// written in `tr`. A later store of the same case keeps the case's first МЭК
// sum in STACION.
void StoreCaseSanctions(FbDatabase& db, FbTransaction& tr, ActsConnection* acts,
                        const QList<rMEK>& sanctions, const SanctionTarget& target,
                        const SanctionParty& party);

// Runs one sp_set_sank call on an open acts connection (no transaction of its
// own). Raises DatabaseError.
void CallSetSank(ActsConnection& acts, const SankCall& call);

// The sanctions the acts database records for a case of a report (its end
// date and number) that the XML export passes on: those of the conditions of
// care 1, 11, 12, 22, 23, 24 and the kinds 1, 10, 11, 12, in the order the
// database gives them. The code is the row's S_CODE (its key where the table
// has no code of its own). Raises DatabaseError.
QList<ActsSanction> ReadCaseSanctions(ActsConnection& acts, int idCase, const QDate& dateEnd,
                                      int repn);

}  // namespace kelmo
