// The XML road of the reception run: one pass of an identified package
// loaded through the XML loading (app/xmlload), with the run's database,
// user and acts database.
#pragma once

#include <QString>

#include "domain/domain_codes.h"
#include "reception_context.h"

namespace kelmo {

// Loading of an XML package's pass (file prefix "LM", which the loading
// does not use); sets `repn` to the report number drawn last. Raises what
// the loading raises (xmlload/xml_package_loader.h).
void LoadXmlPackage(const ReceptionContext& ctx, const QString& prefix, Population population,
                    int& repn);

}  // namespace kelmo
