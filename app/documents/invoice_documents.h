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

// --- What the insurers' invoices (insurer_invoices.h) share with these ---

// One insurer's sums of the reports for the cases of one DOPFOND value:
// KDOMS, KD_ONCO, OCNCOST, DOPCOST, WITHOUTONECH (the cost less the
// one-channel part and the additional tariffs, and less the training tariff
// when `lessTraining`), ONECH_COST, COST_ONCO; parameters: the reports',
// "polis", "oplat", "dopfond".
QString InsurerSumsStatement(const QList<int>& reports, bool lessTraining);
// The same sums of every insurer in one statement, a row per policy code
// (POLIS first, see InsurerGroups); parameters: the reports', "oplat",
// "dopfond".
QString InsurerGroupSumsStatement(const QList<int>& reports);
// The same sums for an institution with attached population: payment kind 1,
// WITHOUTONECH the base-tariff part (COST_TRP); parameters: the reports',
// "mcod", "dopfond", and "polis" when `byInsurer`.
QString AttachedSumsStatement(const QList<int>& reports, bool byInsurer);

// Opens `q` on `sql`, the sums of one DOPFOND pass (InsurerSumsStatement,
// AttachedSumsStatement or the local invoice's), with the reports', "mcod"
// (attached) or "oplat", "dopfond" and, when given, "polis" parameters.
struct PassSumsParameters {
  bool Attached = false;
  QString Mcod;
  kelmo::PayKind PayKind = PayKind::Oms;
  int Dopfond = 0;
};
void OpenPassSums(FbQuery& q, const QString& sql, const QList<int>& reports,
                  const PassSumsParameters& parameters, const QVariant* polis = nullptr);

// The one-channel part of the sheets' costs of payment kind 1 over the
// reports: of every case, or of the cases whose POLIS is `polis`.
struct OneChannelSums {
  int BedDays = 0;
  Money Cost;
};
OneChannelSums OneChannelSumsOf(FbDatabase& db, FbTransaction& tr, const QList<int>& reports,
                                const QVariant* polis);
class DocumentWorkbook;
// The one-line table of a one-channel invoice (rows 16-17) and its
// signature block.
void WriteOneChannelTable(DocumentWorkbook& doc, const QString& dayUnit, const OneChannelSums& sums,
                          const InstitutionRequisites& lpu);

// The description of an additional-tariff invoice of kind "FF", "TF" or
// "TR" by in-patient type, ending in "За период с ".
QString AdditionalTariffDescription(const QString& kind, int stacType);
// The institution's additional-tariff account: B5 MOD_PC, MOD_REC_PAY and
// MOD_BANK, B7 MOD_BIKBANK, A8/B8 "КБК" and MOD_KBK.
void WriteAdditionalTariffAccount(DocumentWorkbook& doc, const InstitutionRequisites& lpu);
// A line of an additional-tariff table as its cells take it.
struct AdditionalTariffLine {
  QString BedDays;
  QString Amount;
};
// The table of an additional-tariff invoice (rows 16-18: the description
// with its period, the children's line, the total) and its signature block.
struct AdditionalTariffTable {
  QString Description;
  QString DayUnit;
  int KindNumber = 0;
  AdditionalTariffLine All;
  AdditionalTariffLine Children;
  // The column of the chief accountant's name in row 20.
  int AccountantColumn = 9;
};
void WriteAdditionalTariffTable(DocumentWorkbook& doc, const AdditionalTariffTable& table,
                                const InstitutionRequisites& lpu);

}  // namespace kelmo
