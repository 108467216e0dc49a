// The last step of an insurer's documents: the XML export of the call's
// population (the insurer's local cases, or the out-of-region cases) with
// its zip package (documents/export_package.h), which takes the insurer's
// treated-patient registers, or for the out-of-region patients the
// reception's out-of-region registers. The reports are marked uploaded once
// the package is written.
//
// Errors: the export's (XmlExportError, DatabaseError) and the zip
// library's.
#pragma once

#include "insurer_documents.h"

namespace kelmo {

// Returns the package's path, empty when nothing was exported.
QString ExportInsurerCases(InsurerDocumentContext& ctx);

}  // namespace kelmo
