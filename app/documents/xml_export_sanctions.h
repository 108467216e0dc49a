// The sanction elements of a case in the XML export, written when a payer
// (the fund or an insurer) forms the registry: whether the case is paid in
// full (OPLATA), the placeholder of the accepted sum (SUMP), the total of the
// sanctions (SANK_IT) and one SANK per sanction the acts database records
// for the case.
#pragma once

#include <libxml/tree.h>

#include <QDate>

#include "domain/money.h"
#include "xml_export.h"

namespace kelmo {

struct CaseSanctionInput {
  int IdIll = 0;
  int Repn = 0;
  // The report's end date.
  QDate DateEnd;
  // The case's sanctions sum (sum_MEK).
  Money SumMek;
};

// Appends OPLATA, SUMP, SANK_IT and the SANK elements to Z_SL (after its
// SUM_M) and returns the SUMP placeholder. Without the acts database a case
// with a sanctions sum is still marked "2" and its total written, and the
// user is told ("Выгрузка санкций: ID - " + case id + "\rНет соединения с
// базой актов"). What the acts database raises passes through.
xmlNode* AppendSanctionElements(xmlNode* zsl, const CaseSanctionInput& c, const XmlExportInputs& in,
                                const XmlExportServices& sv);

}  // namespace kelmo
