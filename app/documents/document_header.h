// What the documents of a formation write at their head and foot: the
// requisites of the institution and of the fund, the care-kind caption, the
// period line, the signature block with the short names of the head and the
// chief accountant, and the texts of numbers and amounts. The reception's
// invoices and registers and the budget's documents share them.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include "domain/common.h"
#include "domain/domain_codes.h"
#include "domain/money.h"
#include "workbook/worksheet.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
class FbQuery;

// The institution of the grid's current row (table LPU), as read once by
// the button; the documents trim every text they write.
struct InstitutionRequisites {
  // The short name (NAME, in the registers' headings) and the full name.
  QString Name, FName, Adr, PhoneGlv, PC, Bank, Inn, Kpp, BikBank;
  // The head (GL_VR) and the chief accountant (GL_BX), full names.
  QString GlVr, GlBx;
  QString Mcod;
  int Attach = 0;
  // The account of the additional tariffs.
  QString ModPc, ModRecPay, ModBank, ModBikBank, ModKbk;
};

// The requisites of the institution's row that `row` stands on (the grid's
// query: LPU's columns and MCOD).
InstitutionRequisites ReadInstitutionRequisites(const FbQuery& row);

// The fund's requisites (table DORER); an insurer's invoices bill the
// insurer's row of the table.
struct FundRequisites {
  QString Address, Phone, PC, Bank, Inn, Kpp, BikBank;
  // The full name and the postal code (the insurers' invoices).
  QString FName, Indx;
};

// The DORER row of `id`; when there is none, its first row; when the table is
// empty, empty texts. Every text trimmed.
FundRequisites ReadFundRequisites(FbDatabase& db, FbTransaction* tr, int id);

// The short form of a full name for a signature: "Иванов Иван Иванович" gives
// "Иванов И.И.", "Иванов Иван" gives "Иванов И.", a single word stays as it
// is, a name that already holds a point is kept unchanged and an empty name
// gives an empty text (never initials of letters the name does not have).
QString SignatureShortName(const QString& fullName);

// The care kind of an in-patient type (1 round-the-clock ... 4), as the
// invoices and registers write it after the institution's name.
QString CareKindOfStacType(int stacType);

// A date of a document's period line: the short date, at most 10 characters.
QString PeriodDayText(const QDate& date);
// `lead` + first day + " по " + last day.
QString PeriodText(const QString& lead, const QDate& first, const QDate& last);

// Amounts in cells: MoneyStr (rounded to kopecks, two decimals) and
// MoneyText (as the field gives it) of domain/common.h.
// A database value (a NUMERIC sum, a text, a double or null) as money:
// exact for texts and decimals, four decimals for doubles, 0 for null.
Money MoneyOfField(const QVariant& value);

// The requisites block of an invoice in column B, rows 3 to 13 (institution
// rows 3-7, the fund's title in 9 and its rows 10-13). `innSeparator` stands
// between INN and KPP.
struct HeaderTexts {
  QString CareKind;   // after the institution's name in brackets
  QString FundTitle;  // B9
  QString InnSeparator = QStringLiteral(" / ");
  // Lines that follow the institution's name in B3 (InstitutionAccountLines).
  QString InstitutionTail;
  // B7, the institution's bank code; the insurers' invoices leave it out.
  bool WithBik = true;
};
// The lines an insurer's invoice adds under the institution's name: a line
// feed, MOD_REC_PAY, a line feed and "КБК " + MOD_KBK.
QString InstitutionAccountLines(const InstitutionRequisites& lpu);
void WriteRequisitesHeader(workbook::Worksheet& sheet, const InstitutionRequisites& lpu,
                           const FundRequisites& fund, const HeaderTexts& texts);

// Where the signature block's five texts go; `slashes` writes the short
// names between two "/".
struct SignatureCells {
  workbook::CellRef HeadCaption, HeadName, AccountantCaption, AccountantName, Stamp;
  bool Slashes = true;
};
// "Руководитель", the head's short name, "Главный бухгалтер", the chief
// accountant's short name and "М.П." (an invalid Stamp cell is left out).
void WriteSignatureBlock(workbook::Worksheet& sheet, const SignatureCells& cells,
                         const InstitutionRequisites& lpu);

}  // namespace kelmo
