// The tables of the institution's own case-entry program, which an
// institution receiving its package keeps in step: the case's row of its
// stacion.dbf is marked for a new upload (REPEAT_UPL cleared), and its
// sank.dbf gets the case's sanctions of the report month: the earlier rows
// of the case and month are deleted once, then every SANK of the case is
// inserted. Every value is bound as a parameter.
//
// Errors: a failing update of stacion.dbf or delete from sank.dbf raises
// dbfsql::EDbfSqlError (the loading stops on it); an insert the table
// refuses is passed over.
#pragma once

#include <QString>

#include "xmlload/xml_package_loader.h"

namespace kelmo {

// `folder` is the case-entry program's folder (KvillonPath).
void WriteCaseEntrySanctions(const QString& folder, const CaseEntrySanctions& entry);

}  // namespace kelmo
