// The three document sets of a formation ("Сформировать"): the local set
// after the local pass's costs (when that pass has cases), the out-of-region
// set after the out-of-region pass's costs, and the closing set right after
// it, which writes the local documents again under the package names in
// "temp". Each set writes its invoices (documents/invoice_documents.h) and
// the registers in its order.
//
// Stops: DocumentStop (documents/document_workbook.h); the run ends with its
// message box. A save that fails where the set cannot go on raises
// DocumentSaveError, which ends the run through its error path.
#pragma once

#include "documents/document_run.h"
#include "reception_context.h"

namespace kelmo {

// The documents' values of the run (its inputs, the fund's requisites, the
// report lists, the report-number copies); no application yet.
DocumentRun MakeDocumentRun(const ReceptionContext& ctx);

void WriteDocumentSet(const ReceptionContext& ctx, DocumentSet set);

}  // namespace kelmo
