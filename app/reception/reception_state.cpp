// The reception's process-wide run variables.
#include "reception_state.h"

namespace kelmo {

void ReceptionState::ZeroPassTotals() {
  CalcSum = Money();
  LpuInvoiceSum = Money();
  LpuInvoiceBedDays = 0;
}

void ReceptionState::ZeroRunTotals() {
  ZeroPassTotals();
  LocalInvoiceTotal = OutOfRegionInvoiceTotal = Money();
  LocalCalcTotal = OutOfRegionCalcTotal = Money();
  LocalInvoiceBaseSum = LocalInvoiceExtraSum = Money();
  OutOfRegionInvoiceBaseSum = OutOfRegionInvoiceExtraSum = Money();
  LocalCalcBedDays = OutOfRegionCalcBedDays = 0;
  LocalInvoiceBedDays = OutOfRegionInvoiceBedDays = 0;
  BlockingErrorsSum = NonBlockingErrorsSum = EntryErrorsSum = 0;
  OutOfRegionBlockingErrorsSum = OutOfRegionNonBlockingErrorsSum = OutOfRegionEntryErrorsSum = 0;
  LocalMekSum = LocalNczSum = LocalNczSfSum = Money();
  OutOfRegionMekSum = OutOfRegionNczSum = OutOfRegionNczSfSum = Money();
}

ReceptionState& TheReceptionState() {
  static ReceptionState state;
  return state;
}

}  // namespace kelmo
