// IntakeBudgetReport: the intake of one institution's monthly registry of
// in-patient stays paid from the regional budget (a folder of DBF tables with
// the leave table otpusk.dbf). In the mode "Принять" the institution's
// invoice and register workbooks come with it; in the mode "Сформировать"
// the run writes the three budget documents and archives what it received.
//
// The run takes its inputs as one value (BudgetInputs, read from the main
// window once by the reception button or built by a test) and reaches the
// registry database, the holidays and the clock through BudgetServices. It
// talks to the user only through its RunUser (run_user.h): messages and
// questions, progress, minimising and restoring the main window, the
// protocol viewer. It leaves the protocol (act) in the registry folder, the
// report's rows in the registry database with their bed days and costs, and,
// when forming, the documents and the archive folder "Бюджет".
//
// Errors: the stops of the run end it normally (the protocol says why). An
// error it does not catch (a table that cannot be read, the database gone)
// is written to the protocol ("Работа прервана из-за ошибки: " + message),
// the protocol is closed and the error propagates.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>

#include "documents/document_header.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
class HolidayCalendar;
class RunUser;

// The institution's row of the grid as the budget intake reads it.
struct LpuRequisites : InstitutionRequisites {
  int Id = 0;
  QString Name;
  QString Urov;  // level: "Г" town, "Р" district, "К" region
  QString Gs;    // group: "", "g", "s" or "h"
};

// What the intake is given when it starts.
struct BudgetInputs {
  QString RegistryFolder;  // the full path of the folder, never its label
  bool Receiving = true;   // "Принять"; false: "Сформировать"
  int StacType = 1;        // 1..4
  QDate PeriodStart;
  QDate PeriodEnd;
  QDate ReceptionDate;
  LpuRequisites Lpu;
  QString DatabaseName;
  bool FolderButtonEnabled = true;  // gates the plan-fulfilment tables
  QString TemplateFolder;           // the budget's document templates
  QString ReportFooter;             // the program's version line
  // The user asked for the main window to be minimised while the stays are
  // loaded and checked (cbWind).
  bool MinimiseDuringRun = false;
};

// What the intake works with besides its inputs.
struct BudgetServices {
  FbDatabase& Db;
  FbTransaction& Tr;
  HolidayCalendar& Calendar;
  RunUser& User;
  // The current date and time (tests fix it).
  std::function<QDateTime()> Now;
};

// Where the run ended.
enum class BudgetStop {
  None,              // ran to its end
  FilesMissing,      // required files missing
  MtlStructure,      // mtl.dbf lacks fields
  PaymentKind,       // sheets without payment kind
  RegisterMissing,   // no register workbook
  NoStays,           // no stays in the period
  NothingToLoad,     // nothing to load, the user declined
  WorkbooksMissing,  // an institution workbook missing
  InvoiceLayout,     // the invoice is malformed
  ForcedLoad,        // loaded on the user's word, without the checks
};

struct BudgetOutcome {
  BudgetStop Stop = BudgetStop::None;
  bool Accepted = true;  // IntakeAccepted at the end
  int ReportNumber = 0;  // the REPORTS row of this run, 0 when none
  QString ProtocolPath;  // after archiving, where the protocol went
};

BudgetOutcome IntakeBudgetReport(const BudgetInputs& inputs, BudgetServices& services);

}  // namespace kelmo
