// The names of the saved invoices (see invoice_documents.h). A template's
// "X.xls" of the forms is "X.xlsx" here.
#include "invoice_documents.h"

namespace kelmo {

namespace {

QString N(const DocumentRun& run) {
  return QString::number(run.StacType);
}

QString W(const DocumentRun& run) {
  return QLatin1Char('(') + run.PayWord + QLatin1Char(')');
}

QString Suffix(int dopfond) {
  return dopfond == 1 ? QStringLiteral("_NSZ") : QString();
}

}  // namespace

QString LocalInvoiceName(const DocumentRun& run, int dopfond) {
  // The cases of DOPFOND 1 are billed apart: their invoice never replaces
  // the one of DOPFOND 0 of the same run.
  if (!run.XmlPackageMode)
    return run.RegistryFile(QStringLiteral("Sfakt") + N(run) + Suffix(dopfond) +
                            QStringLiteral(".xlsx"));
  return run.TempFile(QStringLiteral("Sfakt") + Suffix(dopfond) + W(run) + QStringLiteral(".xlsx"));
}

QString OutOfRegionInvoiceName(const DocumentRun& run, int stacType, int dopfond) {
  return run.TempFile(QStringLiteral("Иногородние/Sfakti") + QString::number(stacType) +
                      Suffix(dopfond) + W(run) + QStringLiteral(".xlsx"));
}

QString OneChannelInvoiceName(const DocumentRun& run, DocumentSet set, bool outOfRegion) {
  const QString stem = outOfRegion ? QStringLiteral("Sfakti") : QStringLiteral("Sfakt");
  if (!run.XmlPackageMode) return run.RegistryFile(stem + N(run) + QStringLiteral("_ON.xlsx"));
  const QString folder =
      outOfRegion && set == DocumentSet::Closing ? QStringLiteral("Иногородние/") : QString();
  return run.TempFile(folder + stem + W(run) + QStringLiteral("_ON.xlsx"));
}

QString AdditionalTariffName(const DocumentRun& run, DocumentSet set, const QString& kind, int repn,
                             int index, int count) {
  const bool outOfRegion = set == DocumentSet::OutOfRegion;
  QString name = (outOfRegion ? QStringLiteral("Sfakti") : QStringLiteral("Sfakt")) + N(run) +
                 QLatin1Char('_') + kind;
  // Each out-of-region report of several gets its own invoice: the first
  // keeps the plain name, the others carry their report's number.
  if (outOfRegion && count > 1 && index > 0) name += QLatin1Char('_') + QString::number(repn);
  return run.RegistryFile(name + QStringLiteral(".xlsx"));
}

}  // namespace kelmo
