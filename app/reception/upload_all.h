// The fund's upload of all marked institutions ("Выгрузить всех"): for every
// institution marked in the grid and each of the payment kinds "ОМС", "ВМП"
// and "Реабилитация" that has accepted out-of-region reports of the chosen
// month, a formation in an emptied work folder, and the copy of its
// out-of-region package into the institution's folder of the transport
// network. The run takes its inputs as a value and talks to the user through
// the RunUser; the formation itself (package identification from the
// database and the reception run) is a service, which the main window's
// click gives (upload_all_button.h) and a test may wrap.
//
// The package is taken from where the formation left it (the state's
// FormedPackageFolder, "Иногородние" in it). A copy never replaces a file of
// the upload folder. A package that was not copied (already present, not
// formed, or the copy failed) is reported to the user, once for the whole
// click (however the click ends), and its reports lose their "uploaded" mark,
// so the grid does not show them uploaded.
//
// Errors: the reception run's, the database's and "Не удалось создать
// каталог " + folder (a work folder that cannot be made) end the click;
// institutions after it are not processed, packages already copied stay.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "domain/domain_codes.h"
#include "domain/run_user.h"
#include "firebird/fb_database.h"

namespace kelmo {

struct UploadAllInputs {
  // The ids of the institutions marked in the grid, as text, in the list's
  // sorted order (MarkedLpus).
  QStringList MarkedLpus;
  // The chosen month (0 for January) and year.
  int MonthIndex = 0;
  int Year = 0;
  // The work folder every formation runs in (emptied before and after), and
  // the root of the institutions' upload folders.
  QString WorkFolder;
  QString UploadRoot;
  // Folders the work folder must neither be nor hold, since it is emptied
  // (the program's data folder).
  QStringList KeptFolders;
};

// One row of the reports query: an institution's out-of-region reports of
// the month and kind accepted twice, per in-patient type.
struct UploadReportRow {
  QString UploadDir;
  int TipStac = 0;
  int Cases = 0;
};

// The reports query's statement, one text per line.
extern const QStringList kUploadReportsSql;

// The rows of the reports query for the institution, kind and first day of
// the month. Raises the database's errors.
QList<UploadReportRow> QueryUploadReports(FbDatabase& db, FbTransaction* tr, int lpu, PayKind kind,
                                          const QDate& monthStart);

// One formation of the upload: the institution and kind, in the work folder.
struct UploadFormation {
  int LpuId = 0;
  PayKind Kind = PayKind::Oms;
  int MonthIndex = 0;
  int Year = 0;
  QString WorkFolder;
};

// What became of one institution's package of one kind.
enum class UploadResult { Copied, AlreadyPresent, NotFormed, CopyFailed };

struct UploadOutcome {
  int LpuId = 0;
  PayKind Kind = PayKind::Oms;
  UploadResult Result = UploadResult::NotFormed;
  // The package as the formation left it (empty when it named none) and the
  // file in the upload folder.
  QString Source;
  QString Target;
  // Why a copy failed.
  QString Reason;
};

struct UploadAllServices {
  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;
  // The reports query (QueryUploadReports on the database by default).
  std::function<QList<UploadReportRow>(int lpu, PayKind kind, const QDate& monthStart)> Reports;
  // Connects the acts database when one is configured; false when that
  // failed (the connection is then switched off).
  std::function<bool()> ConnectActs;
  // Disconnects the acts database when it is connected.
  std::function<void()> DisconnectActs;
  // Identifies the institution's reports of the kind (package
  // identification from the database) and runs the reception in mode
  // "Сформировать" in the work folder. Returns false when the
  // identification found nothing to form (it has said why).
  std::function<bool(const UploadFormation&)> Form;
};

// The information box of a click without marked institutions.
QString NoMarkedLpusText();

// The upload of all marked institutions. Returns what became of each
// formed package, in the order of the runs.
QList<UploadOutcome> UploadAll(const UploadAllInputs& inputs, const UploadAllServices& services);

// The upload folder of an institution: the root + the trimmed UPLOAD_DIR
// ("\" a separator). Empty when the folder would not lie below the root
// (an empty name, an absolute one, or one with "..").
QString InstitutionUploadFolder(const QString& uploadRoot, const QString& uploadDir);

// Copies the package into the upload folder (made when missing) without
// replacing a file there; Copied only when the copy is there whole.
UploadOutcome CopyUploadPackage(const QString& package, const QString& uploadFolder);

}  // namespace kelmo
