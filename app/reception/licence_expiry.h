// Two small writers of the reception's preliminary checks: the licences of
// the institution's bed profiles that end soon, and the act's table of
// records that failed the insurance identification. The run's entry points
// over its context (CheckExpiringLicences, WriteIdentTableHead,
// WriteIdentTableRow) are in reception_checks.h.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace kelmo {

class FbDatabase;
class FbTransaction;

struct ExpiringLicence {
  QString Name;  // the profile's name, trimmed
  QDate DateEnd;
};

// The two passport kinds (column MZ) whose licences count: 1 and 3 for the
// reception, 2 and 3 for the budget intake.
struct PassportKinds {
  int first = 1;
  int second = 3;
};

// The institution's licences (of the passport kinds) of bed profiles for the
// in-patient type that are valid on `receptionDate` and end on it or within
// the 30 days that follow, by end date and name. Raises DatabaseError. Cost:
// one statement over PASS_LPU and PROFIL.
QList<ExpiringLicence> FindExpiringLicences(FbDatabase& db, FbTransaction* tr, int lpuId,
                                            int tipStac, const QDate& receptionDate,
                                            PassportKinds kinds = {});

// "<name>. Окончание лицензии: dd.mm.yyyy", the act's and the message's line.
QString LicenceLine(const ExpiringLicence& licence);
// The act lines for the licences: the head line and one line each; nothing
// for none.
QStringList ExpiringLicenceActLines(const QList<ExpiringLicence>& licences);
// The message box text: each line ended by CR.
QString ExpiringLicenceMessage(const QList<ExpiringLicence>& licences);
// The message box's caption.
QString ExpiringLicenceCaption();

// The identification table: 98 characters wide, columns of 8, 27 and 59.
QStringList IdentTableHeadLines();
// One row (texts trimmed, right-aligned, a longer text written whole) and
// its bottom line.
QStringList IdentTableRowLines(const QString& number, const QString& name, const QString& reason);

}  // namespace kelmo
