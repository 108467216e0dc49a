// Budget registries written by code: the DBF tables of an institution's
// budget registry (stacion.dbf, mtl.dbf, otpusk.dbf, operat.dbf) and its
// workbooks (invoice, register of treated patients, register of bed
// profiles). The demonstration registry under examples/ and the tests are
// made with it.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace kelmo {

struct BudgetLeave {
  QDate Nach;
  QDate Kon;
};

struct BudgetSheet {
  int Nom = 1;
  int Oplat = 2;  // 0 writes no payment kind
  int Profile = 1;
  QString Diag = QStringLiteral("I10");
  QString KodMes = QStringLiteral("3010101");
  QDate Start;
  QDate End;
  int Intensiv = 0;
  int Reanim = 0;  // the intensive-care standard
  int Res = 1;
  int Ishod = 1;
  int Vidmtl = 0;  // 1: a sheet priced by its services
  std::vector<BudgetLeave> Leaves;
  std::vector<std::pair<QString, int>> Services;  // service code and quantity
};

struct BudgetStay {
  int Id = 1;
  QString Nomib = QStringLiteral("101");
  QString Family = QStringLiteral("ИВАНОВ");
  QString Name = QStringLiteral("ИВАН");
  QString Father = QStringLiteral("ИВАНОВИЧ");
  int Pol = 1;
  QDate Dr{1960, 5, 20};
  QDate In;
  QDate Out;
  int TipStac = 1;
  QString Raion = QStringLiteral("ЦЕНТРАЛЬНЫЙ");
  int Res = 1;
  int Ishod = 1;
  std::vector<BudgetSheet> Sheets;  // none: the stay has no sheet
  bool NamesInPage866 = false;      // the names' bytes are written in page 866
};

struct BudgetRegistryShape {
  bool Otpusk = true;     // otpusk.dbf is written
  bool Reanim = true;     // mtl.dbf has REANIM
  bool Otdelenie = true;  // mtl.dbf has OTDELENIE
  bool Mtlusl = false;    // mtlusl.dbf is written (also when a sheet has services)
};

// Writes the tables into `folder` (which must exist); raises the DBF
// engine's errors.
void WriteBudgetRegistry(const QString& folder, const std::vector<BudgetStay>& stays,
                         const BudgetRegistryShape& shape = {});

// One register row of a stay: case-history number, surname, birth date and
// the institution's amount.
struct RegisterRow {
  QString Nomib;
  QString Family;
  QDate Dr;
  QString Amount;
};

// The institution's workbooks of in-patient type N: sfaktN.xlsx with its
// "ВСЕГО" row 17 (bed days, sum), sreestrN.xlsx with the rows from row 7, its
// total row and the version line, and profilsN.xlsx.
void WriteBudgetWorkbooks(const QString& folder, int stacType, double invoiceSum, int bedDays,
                          const std::vector<RegisterRow>& rows, const QString& versionLine);

}  // namespace kelmo
