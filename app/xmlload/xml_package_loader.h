// The loading of the unpacked XML packages of one population (the home
// region's patients, or the out-of-region patients the fund pays for) into
// the registry database: for each addressee of the sender the person file
// and the main file of the ordinary pair and of the oncology pair, case by
// case, then one xml_files row per insurer entry and one REPORTS row per
// report of the pass.
//
// A case is loaded whole or not at all: its rows are written under a
// savepoint that is undone when one of them fails. A case whose rows the
// database refuses, whose sheet ids are not distinct numbers, or whose
// insurer is unknown is left out and named in State.XmlLoadErrors (the act's
// blocking-errors section lists them); the load goes on with the next case.
//
// Errors:
// - XmlFileRefused: a file that cannot be read or parsed (named), refused
//   before anything of it is loaded;
// - XmlLoadStopped: a refusal that makes further reception impossible (an
//   oncology element in a file that is not an oncology file), or a failure
//   while a case's sanctions are gathered; the message is the act's line;
// - XmlValueError and DatabaseError: an element that is missing or is not
//   the number or date it must be, a statement outside a case's rows.
// The cases committed before stay in the database in every case.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <stdexcept>

#include "case_rules.h"
#include "domain/domain_codes.h"
#include "domain/money.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "domain/run_user.h"
#include "domain/sank_call.h"
#include "xml_tree.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;

class XmlLoadStopped : public std::runtime_error {
 public:
  explicit XmlLoadStopped(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// What the load is given by the run.
struct XmlLoadInputs {
  // The registry folder, without a trailing separator; the packages are
  // unpacked into its "temp" folder.
  QString RegistryFolder;
  Population Pass = Population::Local;
  // Mode "Принять" (false: "Сформировать").
  bool Receiving = true;
  kelmo::WhoDetail WhoDetail;
  kelmo::PayKind PayKind = PayKind::Oms;
  QString PayKindName;
  // The report month: the year text and the month index (0..11).
  QString YearText;
  int MonthIndex = 0;
  QDate PeriodStart;
  QDate PeriodEnd;
  // The acts database is in use (sanctions are stored there).
  bool ActsEnabled = false;
  // The folder of the institutions' case-entry program; empty when none.
  QString KvillonPath;
  // The receiving computer's name (REPORTS.WHO_PRIN).
  QString ComputerName;
};

// The sanctions of one case for the case-entry program's tables: its IDCASE,
// the first day of the report month and every SANK of the case.
struct CaseEntrySanctions {
  int CaseNumber = 0;
  QDate ReportDate;
  QList<SankCall> Sanctions;
};

struct XmlLoadServices {
  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;
  PackageLists& Lists;
  ReceptionState& State;
  RunState& Run;
  // One call of sp_set_sank in the acts database (set when it is in use).
  std::function<void(const SankCall&)> ActsSanction;
  // The case-entry program's tables: REPEAT_UPL cleared for the case and its
  // sanctions of the report month replaced (set when KvillonPath is).
  std::function<void(const CaseEntrySanctions&)> CaseEntry;
};

// Loads the pass; returns the report number drawn last (`repn` unchanged
// when the pass has no report).
int LoadXmlPackage(const XmlLoadInputs& in, const XmlLoadServices& services, int repn);

}  // namespace kelmo
