// What a registry folder holds before a reception or formation: zip packages
// named by sender, addressee and month (an XML registry) or none (a DBF
// registry). The identification recognises the two parties of every package,
// refuses a folder that mixes senders or repeats an addressee, unpacks each
// package into its own folder under "temp", reads each package's head and
// cases, and lets the user confirm the payment kind and in-patient types in
// the data-file choice dialog. For the fund and the insurers forming, the
// reports come from the registry database instead.
//
// Reads and writes the package lists (package_lists.h) and the payment kind
// of the run state; writes below "<folder>/temp" only (a symbolic link in
// its place is replaced, never followed); reads the registry folder's
// packages. Messages go through the interaction interface, titled with the
// application's title:
//   "Каталог содержит несколько получателей.\n..." (a second sender),
//   "Не определён тип источника: " / "Не определён источник: " + code,
//   "Каталог содержит несколько одинаковых получаетелей.\n..." (an addressee
//     repeated), "Не определён тип адресата: " / "Не определён адресат: "
//     + code: the folder is refused, nothing is unpacked;
//   "Не определён счёт пакета: " + file name: a package whose main or
//     oncology file is no XML or lacks its invoice head; only that package
//     is dropped (its folder under "temp" too);
//   "Не удалось создать каталог " + folder: "temp" or a package folder
//     cannot be made; the folder is refused;
//   "Не найдены данные для выгрузки.\n..." (nothing to form: refused);
//   "Отсутствуют данные для формирования/приёма реестров" (the dialog's
//     answer leaves nothing to take).
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "domain/domain_codes.h"

class QWidget;

namespace kelmo {

class TF_XML_load;

// One institution as the registry database knows it.
struct LpuRecord {
  int Mcod = 0;
  int Id = 0;
  QString Name;
};

// One row of the reports a fund or an insurer forms from the database.
struct FormingReportRow {
  int Mcod = 0;
  QString Name;
  int TipStac = 0;
  int Inogor = 0;
  int Repn = 0;
  int Num = 0;
  QDate DSchet;
  QString NSchet;
  int Code = 0;
  bool NeedOncoFile = false;
};

// The parameters of the forming query.
struct FormingReportQuery {
  int Lpu = 0;
  int Oplat = 0;
  QDate MonthStart;
  int SmoCode = 0;
  int Inog = 0;
};

// The statement of the forming query, one text per line.
extern const QStringList kFormingReportsSql;
// The statement that recognises an institution by its code number.
extern const QStringList kLpuByMcodSql;

// What the identification asks of the registry database; the main window
// answers with its queries, tests with tables.
class PackageDatabase {
 public:
  virtual ~PackageDatabase() = default;
  // The institution with that code number, or nothing. Raises the database's
  // errors.
  virtual std::optional<LpuRecord> FindLpu(int mcod) = 0;
  // The rows of the forming query (kFormingReportsSql) in its order.
  virtual QList<FormingReportRow> FormingReports(const FormingReportQuery& query) = 0;
};

// Mode "Принять" (receive) or "Сформировать" (form) of the main window.
enum class RegistryMode { Receive, Form };

struct IdentificationInput {
  // The registry folder (a trailing separator or not).
  QString Folder;
  // The party of this installation.
  kelmo::WhoDetail WhoDetail;
  RegistryMode Mode = RegistryMode::Receive;
  // The report month chosen in the main window.
  int Year = 0;
  int Month = 1;
  // The institution of the grid's current row (lpu.id).
  int CurrentLpu = 0;
  // The payment kind of the main window's payment list.
  PayKind PayListKind = PayKind::Oms;
};

// Refusal texts of the party recognition.
QString SeveralSendersText();
QString RepeatedAddresseeText();

class PackageIdentification {
 public:
  PackageIdentification(PackageDatabase& database, TF_XML_load& dialog, QWidget* parent = nullptr);

  // Mode 0: the reception button (the dialog follows); mode 1: the upload of
  // the marked institutions (no dialog). Returns true when the folder was
  // refused (a message has been shown). Sets `XmlPackageMode` (the folder
  // holds a package of the chosen payment kind, or the database branch ran)
  // and `PackageConfirmed` (the user confirmed reports to take).
  // Errors that end the click: ConversionError for party codes, invoice
  // codes or standard codes that are not numbers, the zip reader's errors for
  // an archive it cannot read, DatabaseError; "temp" is left empty then.
  // Cost: one folder read, each package's directory and extracted files read
  // once.
  bool IdentifyPackages(const IdentificationInput& input, int mode, bool& XmlPackageMode,
                        bool& PackageConfirmed);

 private:
  bool FileBranch(const IdentificationInput& input, bool& XmlPackageMode);
  bool DatabaseBranch(const IdentificationInput& input, bool& XmlPackageMode);
  bool RecogniseParties(const IdentificationInput& input, const QStringList& files);
  void UnpackAll(bool& XmlPackageMode);
  bool ReadPackageHeads(int adresat, int file, Population population, bool& XmlPackageMode);
  // Removes package k of addressee a with its folder; k steps back so that a
  // loop over the packages goes on with the next one.
  void DropPackage(qsizetype a, qsizetype& k);
  // Shows why the package was not taken and drops it; the others go on.
  void RefusePackage(qsizetype a, qsizetype& k, const QString& name, const QString& reason);
  void ApplyDefaultPayment();
  void ShowPackageParties();
  void ShowRefusal(const QString& text);
  void ResetDialogChoices();

  PackageDatabase& database_;
  TF_XML_load& dialog_;
  QWidget* parent_;
  // The registry folder of the identification under way, with a trailing
  // "/" (the input's folder, read once).
  QString folder_;
  bool codesReversed_ = false;
};

// The dialog step after the identification (mode 0): shows the dialog and
// applies its answer to the package lists and report lists; the packages'
// folders are under "temp" of the registry folder (given with a trailing
// "/"). `fromDatabase`: the fund or an insurer forms from the database (no
// files are deleted). Sets the payment kind, `PayFolderWord`,
// `HasRoundTheClock`, `HasDayHospital`; returns `PackageConfirmed`.
bool ConfirmDataFileChoice(TF_XML_load& dialog, const QString& registryFolder, bool fromDatabase,
                           QWidget* parent);

}  // namespace kelmo
