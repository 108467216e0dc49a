// The reference files of one addressee's package, taken after its cases:
// the employees ("EMP_LIST_<n>.XML" into vrachi), the departments with their
// bed profiles ("DEP_LIST_<n>.XML" into departament and PROFILE_LIST) and the
// medicine trade names ("HOLDING.XML" into SPR_LEKAR_TRN), n being the
// sender's number. What is new is inserted, what changed is updated; each
// file then moves into the registry folder's "temp" (where the insurer
// export takes it; a copy already there stays) and the package's folder is
// removed with its registry files. A missing file is no error.
//
// Failures:
// - a file that is not a regular file or is not well-formed XML (or is
//   hostile, see xml_tree.h) raises XmlFileRefused naming it, before
//   anything of it is written;
// - an employee the database refuses to insert is shown with its statement
//   and skipped; any other failure at an employee is shown with its EMP_ID
//   and position and ends the employees (their file stays in the package);
// - any failure at a department is shown ("dep", its DEP_CODE and
//   position) and ends the departments; their file moves all the same;
// - a holding that lacks an element, whose ID is no number or that the
//   database refuses raises (XmlValueError, DatabaseError).
// Every value is bound as a parameter.
#pragma once

#include "xml_package_loader.h"
#include "xml_tags.h"

namespace kelmo {

// The reference files of the adresat-th addressee of the first sender.
void LoadReferenceFiles(const XmlLoadInputs& in, const XmlLoadServices& services,
                        const TagReader& tags, int adresat);

}  // namespace kelmo
