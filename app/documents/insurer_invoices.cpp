// The invoices of one insurer (see insurer_invoices.h).
#include "insurer_invoices.h"

namespace kelmo {

bool WriteInsurerOneChannelInvoice(InsurerDocumentContext&) {
  return true;
}

void WriteInsurerMainInvoices(InsurerDocumentContext&) {}

void WriteInsurerAdditionalTariffInvoices(InsurerDocumentContext&) {}

void WriteInsurerBill(InsurerDocumentContext&) {}

}  // namespace kelmo
