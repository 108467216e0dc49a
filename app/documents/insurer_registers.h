// The registers of an insurer's documents, after its invoices and bill: the
// bed-profile register and the treated-patient register of its local cases
// (documents/bed_profile_register.h and treated_patient_register.h, the
// insurer variant), in every mode, each when its template is found, into
// the insurer's document folder (a run without a package: the insurer's own
// folder). The treated-patient registers saved become the workbooks of the
// insurer's export package.
//
// Errors: those of the registers (DocumentStop, DocumentSaveError, the
// database's).
#pragma once

#include "insurer_documents.h"

namespace kelmo {

void WriteInsurerRegisters(InsurerDocumentContext& ctx);

}  // namespace kelmo
