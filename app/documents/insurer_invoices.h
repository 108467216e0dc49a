// The invoices and the bill of one insurer (see insurer_documents.h), the
// steps of WriteInsurerDocuments that write workbooks before the registers.
#pragma once

#include "insurer_documents.h"

namespace kelmo {

// The one-channel cost invoice ("sfakt_on.xlsx"). False when its template
// is missing: the user has been told and the operation ends.
bool WriteInsurerOneChannelInvoice(InsurerDocumentContext& ctx);

// The main invoices ("sfakt.xlsx") of every local report and DOPFOND pass,
// each report followed by its additional-tariff invoices.
void WriteInsurerMainInvoices(InsurerDocumentContext& ctx);

// The additional-tariff invoices FF and TF ("sfaktM.xlsx") and, for insurer
// 2778, the Modern form of FF ("Modern.xlsx"), over the whole report list.
void WriteInsurerAdditionalTariffInvoices(InsurerDocumentContext& ctx);

// The bill ("Bill.xlsx") of insurer 2778.
void WriteInsurerBill(InsurerDocumentContext& ctx);

}  // namespace kelmo
