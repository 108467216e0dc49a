// The out-of-region check: the out-of-region cases of a DBF registry
// (stacion.dbf, mtl.dbf, parents.dbf of a folder) for one month and
// in-patient type, checked field by field (out_of_region_rules.h). Every
// finding goes into a protocol "Инг_<ddMMyyyyhhmmss>.txt" in the folder (code
// page 1251, CR LF, written anew). When something was found the protocol is
// packed with the RAR archiver (rar_archiver.h), the user may save a copy of
// the archive, and the protocol viewer shows the protocol; otherwise a message
// box says that nothing was found.
//
// The check reads the registry through the desktop engine (platform/dbfsql)
// and writes nothing but the protocol and its archive; it uses no run state
// but ProtocolPath, which the viewer reads. It is given its inputs as a value
// and talks to the user only through OutOfRegionCheckUser.
//
// Errors: a folder without one of the three tables is no error (the protocol
// names the missing tables and the viewer shows it). The engine's errors (a
// table without a field the queries name, a damaged table) and a protocol
// that cannot be written raise: EDbfSqlError, or ActFileError "Не удалось
// создать файл <path>" / "Не удалось записать в файл <path>"; the progress
// window is closed first.
// Cost: one query over the registry, then two look-ups by case id per case.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "domain/run_user.h"

namespace kelmo::tariff {

// What the main window gives the check.
struct OutOfRegionCheckInputs {
  QString Folder;  // the registry folder (dlb)
  int Month = 1;   // 1..12
  int Year = 2000;
  int StacType = 1;   // in-patient type 1..4
  QString LpuName;    // the institution of the grid's current row
  QString LpuLevel;   // its level ("Г", "Р", ...)
  QDateTime Started;  // the moment the check starts: the protocol's name and date
};

// The user of the check: the program answers with its windows, a test with a
// recorder.
class OutOfRegionCheckUser {
 public:
  virtual ~OutOfRegionCheckUser() = default;
  // The progress window, placed at the centre of the main window, with the
  // caption and the number of cases; one case done (pending window events
  // run); closed and given its own place back.
  virtual void BeginProgress(const QString& caption, int caseCount) = 0;
  virtual void StepProgress() = 0;
  virtual void EndProgress() = 0;
  virtual void Message(const QString& caption, const QString& text, RunMessageIcon icon) = 0;
  // The save dialog of the archive's copy with the proposed file name (no
  // folder); the path chosen, empty when the user cancelled.
  virtual QString ChooseArchiveCopy(const QString& proposedName) = 0;
  // The protocol viewer shows the run state's ProtocolPath modally; in
  // archive mode its save button offers the archive beside the protocol.
  virtual void ShowProtocol(bool archiveMode) = 0;
};

// What the check did.
struct OutOfRegionCheckResult {
  QString ProtocolPath;
  bool TablesMissing = false;  // the check ended at the missing tables
  bool Found = false;          // at least one finding
  bool Archived = false;       // the archiver made the archive
  QString ArchiveCopy;         // where the user's copy went (empty: none)
};

// The protocol's name for the moment: "Инг_" + ddMMyyyyhhmmss + ".txt".
QString OutOfRegionProtocolName(const QDateTime& started);

// The protocol's first eight lines.
QStringList OutOfRegionProtocolHead(const OutOfRegionCheckInputs& inputs);

// TfmKelmo.btChIngClick's work.
OutOfRegionCheckResult CheckOutOfRegionRegistry(const OutOfRegionCheckInputs& inputs,
                                                OutOfRegionCheckUser& user);

}  // namespace kelmo::tariff
