// The XML export of one population of a formed registry: the cases of the
// run's reports, as they now stand in the registry database (costs and
// sanctions included), written in the registry dialect the loader reads
// (app/xmlload) for the addressee of the call: a person document (root
// PERS_LIST) and a main document (root ZL_LIST) for the ordinary cases, and a
// second pair of the same layout for the oncology cases, declared and encoded
// in windows-1251, saved in the export folder RegistryFolder/temp/<label>.
//
// The export streams: each case's elements are built as a small tree, their
// sums filled when the case closes, and the tree is written out and freed, so
// no more than one case is held whatever the registry's size. One pass over
// the case query; the diagnoses, drugs, referrals and consultations of the
// reports are read once, up front.
//
// The export neither packs nor marks: it returns the documents it saved and
// the reports to mark uploaded, and the package step marks them
// (MarkReportsUploaded) only after the package is written, so a failed save
// or pack leaves the reports unmarked.
//
// Errors: XmlExportError for a document that cannot be written (names the
// file) and for a date column that holds no date; DatabaseError from the
// statements. A case whose person key or insurer cannot be found shows the
// message "Запись не найдена в архиве: " + case id or "Не определена
// территория страхования!" and ends the export: `Written` false, nothing
// to mark (an ordinary pair saved before stays in the folder).
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

#include "domain/package_lists.h"
#include "domain/run_user.h"
#include "insurer_documents.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;

class XmlExportError : public std::runtime_error {
 public:
  explicit XmlExportError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// What the export is given by the insurer documents of a formation.
struct XmlExportInputs {
  // The registry folder, without a trailing separator.
  QString RegistryFolder;
  // The registry came as an XML package (or was described as one): only
  // then is anything exported.
  bool XmlPackageMode = false;
  // The population: out-of-region patients, or the local patients of one
  // insurer (InsurerCode 2778, 2779).
  bool OutOfRegion = false;
  int InsurerCode = 0;
  // The export folder's name: the insurer code as text, or "Иногородние".
  QString ExportLabel;
  // The reports (Repn) of the population.
  QList<int> Reports;
  // Mode "Сформировать" and a Who_Detail above 1 (the fund or an insurer):
  // only then are the payment, accepted-sum and sanction elements written.
  bool FormingForPayer = false;
  // The acts database is in use: the sanctions come from ActsSanctions.
  bool ActsEnabled = false;
  // The report year as typed (seYear) and the month index 0..11 (cbMonth).
  QString YearText;
  int MonthIndex = 0;
  // EXPR_VER of the main document's head (CurrentExprVer).
  QString ExprVer;
  // The date of the export run (DATA of the heads).
  QDate Today;
};

struct XmlExportServices {
  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;
  // The first sender and its addressees (the file names), XmlPatients (the
  // person keys of an institution's package).
  const PackageLists& Lists;
  // The sanctions of a case in the acts database: case id, the report's end
  // date, the report number; the rows of sank of kinds 1, 10, 11, 12 in the
  // order the database gives them. Used when ActsEnabled.
  std::function<QList<ActsSanction>(int idIll, const QDate& dateEnd, int repn)> ActsSanctions;
};

// What the export did, for the package step.
struct XmlExportResult {
  // Every case was written and the current pair saved.
  bool Written = false;
  // The export folder (RegistryFolder/temp/<label>).
  QString Folder;
  // The chosen addressee's first file entry (LName, HName, LcName, CName).
  rFile File;
  // The package file: Folder/<HName>.zip, or Folder/H<CName without its
  // first character>.zip when HName is empty.
  QString PackagePath;
  // The documents saved, in the package's order (ordinary pair, then the
  // oncology pair; person document first).
  QStringList Documents;
  // The reports to mark uploaded once the package is written.
  QList<int> ReportsToMark;
  // Cases written (both pairs).
  int Cases = 0;
};

XmlExportResult WriteXmlExport(const XmlExportInputs& in, const XmlExportServices& services);

// The export of one call of WriteInsurerDocuments: its population, insurer
// and label, the population's reports, the run's mode and party (forming
// for a payer: mode "Сформировать" and a Who_Detail above 1), the acts
// database when the services give its sanctions, and today's date of the
// services.
XmlExportInputs XmlExportInputsOf(const InsurerDocumentContext& ctx);
XmlExportResult WriteInsurerXmlExport(const InsurerDocumentContext& ctx);

// Marks the reports uploaded (REPORTS.UPLOADED = 1); nothing for an empty
// list. Raises DatabaseError.
void MarkReportsUploaded(FbDatabase& db, FbTransaction& tr, const QList<int>& reports);

}  // namespace kelmo
