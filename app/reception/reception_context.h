// What every phase of one reception run works with: the inputs the run was
// given (reception_inputs.h), the run variables and the act, the registry
// database, the user (messages, progress, windows) and the working copy of
// the registry's tables. The run builds one context from its inputs; tests
// build one by hand, so a phase can be driven without a window.
//
// Folders: RegistryFolder is the institution's folder as the user chose it
// (the act, the institution's workbooks and the required-file checks look
// there); WorkFolder is the run's working copy of the registry's DBF tables,
// the desktop engine's database for every DBF statement of the run. The
// fix-ups of the DBF tables write only to WorkFolder, so the institution's
// own files are never changed by a reception.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "dbfsql/xt_query.h"
#include "domain/act_file.h"
#include "domain/reception_state.h"
#include "domain/run_user.h"
#include "filenames/file_lookup.h"
#include "firebird/fb_database.h"
#include "reception_inputs.h"
#include "workbook/excel_application.h"

namespace kelmo {

class ActsConnection;

struct ReceptionContext : ReceptionInputs {
  // `user` null: messages go through the interaction layer without an
  // owner, and there is no progress window or main window to drive.
  ReceptionContext(ReceptionState& state, FbDatabase& db, FbTransaction& tr,
                   const ReceptionInputs& inputs = {}, RunUser* user = nullptr);

  ReceptionState& State;
  FbDatabase& Db;
  FbTransaction& Tr;

  QString WorkFolder;  // the working copy of the DBF tables
  // The spreadsheet application of a reception (mode "Принять"); null when
  // forming.
  workbook::ExcelApplication* Excel = nullptr;
  // The acts database when it is configured and connected (the fund or an
  // insurer with a connection string); null otherwise.
  ActsConnection* Acts = nullptr;
  // The central segment when the program has one (see ReceptionServices).
  FbDatabase* Central = nullptr;

  ActFile& Act() const { return State.Act; }
  // The user of the run (see above).
  RunUser& User() const;
  // A query of the desktop engine over WorkFolder with the statement given.
  // Cost: the folder's tables are opened when the statement runs.
  std::unique_ptr<dbfsql::TXtQuery> DbfQuery(const QStringList& lines) const;
  // The institution's file name in RegistryFolder.
  QString RegistryFile(const QString& name) const;
  // The working copy's file name in WorkFolder.
  QString WorkFile(const QString& name) const;
  // The file of RegistryFolder whose name equals `name` without regard to
  // case; empty when there is none. Cost: one listing of the folder.
  QString FindRegistryFile(const QString& name) const;
  // An institution's workbook named "X.xls" by the checks: the file "X.xls"
  // or, failing that, "X.xlsx" of RegistryFolder (names without regard to
  // case); empty when neither exists. The workbook layer reads both.
  QString FindInstitutionWorkbook(const QString& xlsName) const;
  // Sets the progress window's phase, and steps it by one record.
  void BeginPhase(const QString& caption, int recordCount) const;
  void StepRecord() const;

 private:
  RunUser* user_;
};

}  // namespace kelmo
