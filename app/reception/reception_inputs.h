// What the reception run is given when it starts, as one value: read from
// the main window once (ReadReceptionInputs, reception_button.h) or built by
// a test. The run never reads a window or a global copy of these.
#pragma once

#include <QDate>
#include <QString>

#include "documents/document_header.h"
#include "domain/domain_codes.h"

namespace kelmo {

struct ReceptionInputs {
  // The institution's registry folder as the user chose it, without a
  // trailing separator.
  QString RegistryFolder;
  // Mode "Принять" (false: "Сформировать").
  bool Receiving = true;
  kelmo::StacType StacType = StacType::RoundTheClock;
  // ОМС, ВМП or Реабилитация, and the kind's text as the payment list shows it.
  kelmo::PayKind PayKind = PayKind::Oms;
  QString PayKindName;
  // The report month: the year control's text and the month list's index
  // (0..11), and the report period computed from them.
  QString YearText;
  int MonthIndex = 0;
  QDate PeriodStart;
  QDate PeriodEnd;
  // The reception date (deDKelmo).
  QDate ReceptionDate;
  // The institution of the grid's current row: ibqLPU's ID, FNAME, MCOD and
  // ATTACH.
  int LpuId = 0;
  QString LpuFullName;
  QString LpuMcod;
  int LpuAttach = 0;
  // The requisites of that row that the documents of a formation write.
  InstitutionRequisites Lpu;
  // The folder of the documents' templates (ExcelPath).
  QString TemplateFolder;
  // The party of this installation.
  kelmo::WhoDetail WhoDetail;
  // The registry database's name as the act shows it.
  QString DatabaseName;
  // The user asked for the main window to be minimised while the run works
  // (cbWind).
  bool MinimiseDuringRun = false;
  // The folder of the institution's case-entry program (KvillonPath); empty
  // when none is configured.
  QString KvillonPath;
  // The computer belongs to the fund's "OMS" domain (the data module's test
  // at start-up).
  bool InOmsDomain = false;
};

}  // namespace kelmo
