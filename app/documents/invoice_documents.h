// The invoices of a formation, written from the templates "sfakt.xlsx" (the
// local and out-of-region invoices), "sfakt_on.xlsx" (the one-channel cost
// invoices) and "sfaktM.xlsx" (the additional-tariff invoices FF, TF, TR).
// The document sets (reception/document_sets.h) call them in their order;
// each opens its template in the set's application, fills it, saves it when
// its sum is above 0 and closes it.
//
// Stops are DocumentStop (document_workbook.h); a save that fails raises
// DocumentSaveError, except where the set goes on without the file (the
// out-of-region invoices and the closing set's one-channel invoices): there
// the user is told which file was not saved.
#pragma once

#include "document_run.h"

namespace kelmo {

// The cells a template of an invoice must hold text in: the first label of
// the requisites and the table's heading.
inline const std::vector<std::pair<int, int>> kInvoiceLayout = {{3, 1}, {15, 1}};

// The local invoice over the local reports, for the cases whose DOPFOND is
// `dopfond` (0 or 1); the local and the closing set.
void WriteLocalInvoice(DocumentRun& run, DocumentSet set, int dopfond);
// The out-of-region invoice of one report, one line per insurer.
void WriteOutOfRegionInvoice(DocumentRun& run, const rRepn& report, int dopfond);

// The one-channel cost invoices of the local and of the out-of-region
// reports (the local and the closing set).
void WriteLocalOneChannelInvoice(DocumentRun& run, DocumentSet set);
void WriteOutOfRegionOneChannelInvoice(DocumentRun& run, DocumentSet set);

// The additional-tariff invoices of one report: FF and TF, and TR in the
// local set. `stacType` is the report's in-patient type; `index` and `count`
// place the report in its pass's list (distinct names when a pass has
// several).
void WriteAdditionalTariffInvoices(DocumentRun& run, DocumentSet set, int repn, int stacType,
                                   int index = 0, int count = 1);

// The names of the saved invoices (full paths).
QString LocalInvoiceName(const DocumentRun& run, int dopfond);
QString OutOfRegionInvoiceName(const DocumentRun& run, int stacType, int dopfond);
QString OneChannelInvoiceName(const DocumentRun& run, DocumentSet set, bool outOfRegion);
// kind "FF", "TF" or "TR".
QString AdditionalTariffName(const DocumentRun& run, DocumentSet set, const QString& kind, int repn,
                             int index, int count);

}  // namespace kelmo
