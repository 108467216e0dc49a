// The rules of compulsory medical insurance that the rule checks apply to
// one treatment sheet: groups A, B and C over the columns of the check
// procedure's row and of the sheet's detail row, and the oncology outputs.
// Nothing here reads the database; what a rule needs from it beyond the two
// rows (the sheet's first service finding, the case's age in months, the
// paid-earlier check, the insurance identification) is handed in.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantHash>
#include <functional>
#include <optional>

#include "domain/case_errors.h"
#include "domain/domain_codes.h"

namespace kelmo {

// One check row: the procedure's columns and the detail row's, names in
// upper case.
struct CheckRow {
  QVariantHash Proc;
  QVariantHash Detail;

  // A column of the procedure's row; null when absent.
  QVariant Value(const QString& name) const { return Proc.value(name.toUpper()); }
  QVariant DetailValue(const QString& name) const { return Detail.value(name.toUpper()); }
  // Its text (null gives ""), whether it is set ("1"), its number (null 0).
  QString Text(const QString& name) const { return Value(name).toString(); }
  bool IsSet(const QString& name) const { return Text(name) == QLatin1String("1"); }
  int Int(const QString& name) const { return Value(name).toInt(); }
  QDate Date(const QString& name) const { return Value(name).toDate(); }
};

enum class FindingKind { Sanction, Refusal, Notice };

struct Finding {
  FindingKind Kind = FindingKind::Notice;
  int Basis = 0;  // the basis code of a sanction
  QString Text;
  friend bool operator==(const Finding&, const Finding&) = default;
};

// What the checks found for one row: the messages joined without separators,
// whether one refuses the case, the sanctions (kind 1), and every finding in
// order.
struct RowFindings {
  int CaseId = 0;
  QString Text;
  bool Refused = false;
  QList<rMEK> Sanctions;
  QList<Finding> Items;

  void Sanction(int basis, const QString& message);
  void Refusal(const QString& message);
  void Notice(const QString& message);
};

// The first service finding of a sheet (check_mtlusl's first row).
struct ServiceFinding {
  QString Uslug;
  int Err = 0;
};

// What the rules read beyond the row.
struct RuleContext {
  Population Pass = Population::Local;
  kelmo::PayKind PayKind = PayKind::Oms;
  bool XmlPackageMode = false;
  RegistrySourceKind RegistrySource = RegistrySourceKind::DbfFolder;
  kelmo::WhoDetail WhoDetail;
  int MonthIndex = 0;  // 0 = January
  int Year = 0;
  int LpuId = 0;
  QStringList BadDocumentCases;
  bool ProfilesLicensedTwice = false;
  // The case has a sheet of kind 1 (VIDMTL).
  bool HasKindOneSheet = false;
  // check_mtlusl's first row for the sheet; none without services.
  std::optional<ServiceFinding> FirstService;
  // The case's age in months (out-of-region pass).
  int AgeMonths = 0;
  // The paid-earlier check of a stay that meets another (SUM_MEK -1).
  std::function<void(RowFindings&)> PaidEarlier;
  // The insurance identification of an out-of-region case, run on its last
  // sheet when the central segment is connected.
  std::function<void(RowFindings&)> Identify;
};

// The groups of the rules, each appending its findings in the rules' order.
// A value that must be a number and is not raises ConversionError.
void CheckGroupA(const CheckRow& row, const RuleContext& rc, RowFindings& found);
void CheckGroupB(const CheckRow& row, const RuleContext& rc, RowFindings& found);
void CheckGroupC(const CheckRow& row, const RuleContext& rc, RowFindings& found);

// Whether the oncology procedure is called for the row.
bool OncologyChecksApply(const CheckRow& row, const RuleContext& rc);
// The oncology procedure's outputs (upper-case names, null reads 0) as
// sanctions 53.
void CheckOncologyOutputs(const CheckRow& row, const QVariantHash& outputs, RowFindings& found);

// The "DD.MM.YYYY" text of a date; "" for none.
QString DayText(const QDate& date);

// One row of the central segment's person register.
struct RegisterPerson {
  QString TerrOms, Spolis, Npolis, DocSer, DocNum, Answer;
  QDate Date1, Date2, DateEdit;
};

// The insurance identification of a case against the register's rows
// (ordered by DATE_EDIT): a sanction 57 with the mismatch or identification
// message, or "Запись не проходила страховую идентификацию в ТФ ОМС" when no
// row identifies the case.
void IdentifyInsurance(const CheckRow& row, const QList<RegisterPerson>& persons,
                       RowFindings& found);

}  // namespace kelmo
