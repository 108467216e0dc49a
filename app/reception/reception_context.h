// What every phase of one reception run works with: the run variables and
// the act, the registry database, and the inputs the main window gave when
// the run started (mode, in-patient type, period, institution, folders).
// The run builds one context from the main window; tests build one by hand,
// so a phase can be driven without a window.
//
// Folders: RegistryFolder is the institution's folder as the user chose it
// (the act, the institution's workbooks and the required-file checks look
// there); WorkFolder is the run's working copy of the registry's DBF tables,
// the desktop engine's database for every DBF statement of the run. The
// fix-ups of the DBF tables write only to WorkFolder, so the institution's
// own files are never changed by a reception.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>

#include "dbfsql/xt_query.h"
#include "domain/act_file.h"
#include "domain/reception_state.h"
#include "filenames/file_lookup.h"
#include "firebird/fb_database.h"
#include "workbook/excel_application.h"

class QWidget;

namespace kelmo {

class TfmPrgs;

struct ReceptionContext {
  ReceptionState& State;
  FbDatabase& Db;
  FbTransaction& Tr;

  QString RegistryFolder;  // no trailing separator
  QString WorkFolder;      // the working copy of the DBF tables
  bool Receiving = true;   // mode "Принять" (false: "Сформировать")
  kelmo::StacType StacType = StacType::RoundTheClock;
  kelmo::PayKind PayKind = PayKind::Oms;  // ОМС, ВМП or Реабилитация
  QString PayKindName;                    // as the payment list shows it
  QString YearText;                       // the year control's text
  int MonthIndex = 0;                     // the month list's index, 0..11
  QDate PeriodStart;
  QDate PeriodEnd;
  QDate ReceptionDate;         // deDKelmo
  int LpuId = 0;               // ibqLPU.ID
  QString LpuFullName;         // ibqLPU.FNAME
  QString LpuMcod;             // ibqLPU.MCOD
  int LpuAttach = 0;           // ibqLPU.ATTACH
  kelmo::WhoDetail WhoDetail;  // the party of this installation
  QString DatabaseName;        // the registry database's name as the act shows it

  // Owner of message boxes (the main window; null in tests).
  QWidget* MessageOwner = nullptr;
  // The progress window (null when there is none).
  TfmPrgs* Progress = nullptr;
  // The spreadsheet application of a reception (mode "Принять"); null when
  // forming.
  workbook::ExcelApplication* Excel = nullptr;

  ActFile& Act() const { return State.Act; }
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
  // Sets the progress window's phase (nothing without one).
  void BeginPhase(const QString& caption, int recordCount) const;
  void StepRecord() const;
};

}  // namespace kelmo
