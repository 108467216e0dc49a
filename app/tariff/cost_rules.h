// Small rules of the cost calculation over values: the fixed-calendar day
// count, the month start, the diagnosis code the tariff tables are keyed by,
// the number texts of comments, the coefficient row of an applied
// coefficient, the care level of a sheet and the chemotherapy plan check.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

#include "case_cost_io.h"
#include "domain/common.h"
#include "domain/money.h"
#include "tariff_tables.h"

namespace kelmo::tariff {

// Days of a month in the fixed calendar (February 28); 0 outside 1..12.
int FixedMonthLength(int month);
// Whole days from `earlier` to `later` by the fixed calendar (leap days
// never count); negative when `later` is the earlier date.
int CalendarDayCount(const QDate& later, const QDate& earlier);
// The first day of the date's month.
QDate MonthStartOf(const QDate& date);

// The diagnosis code to look the tariff tables up with: blank stays as it
// is; in the first quarter of a report year before 2016 the old code's new
// form (MKB_TO_MKB14) or the trimmed code; otherwise the trimmed code without
// a final non-digit.
QString ConvertMkbCode(const QString& code, int reportYear, int monthIndex,
                       const TariffTables& tables);

// The shortest decimal text of a number, up to 15 significant digits.
QString NumberText(double value);
// A double rounded to `decimals` places, halves away from zero.
double RoundTo(double value, int decimals);
// The amount of a double as money (four decimals, halves to even) rounded
// to kopecks (halves to even).
Money KopecksOf(double roubles);

// The id (decimal text) of the KOEFF row of a code in force on the date whose
// value agrees with `value` to 7 decimals; the first of equally near rows;
// empty when none.
QString FindCoefficientRow(const TariffTables& tables, int code, const QDate& date, double value);

// The care level of a sheet. From the institution's plan (not
// round-the-clock, or high-tech care): 1, 3, 4 or 5, or 0 with the reason
// "Не найдена лицензия". Otherwise from the standard code: shorter than 12
// characters its first digit minus 1, else its twelfth plus 1; 2 becomes 1; 4
// becomes 5 for a federal institution; a malformed code gives 0 and the
// message text.
struct CareLevelResult {
  int Level = 0;
  QString ZeroCostReason;  // "Не найдена лицензия"
  QString Message;         // "Не указан код МЭС ..."
};
struct CareLevelInput {
  int TipStac = 1;
  int PayKind = 1;
  int Lpu = 0;
  int ProfilBed = 0;
  QDate OutStac;
  QString KodMes;
  QString Family, Name, Father;
};
CareLevelResult FindCareLevel(const TariffTables& tables, const CareLevelInput& in);

// Whether a case completed its chemotherapy scheme: true with no scheme, no
// injections, or no plan; a per-sheet plan ("3/3**") needs each planned
// sheet's count; a single plan needs the total. A part that is not a number
// raises ConversionError.
bool CheckInjectionPlan(const std::optional<InjectionPlan>& plan, const QString& scheme);

}  // namespace kelmo::tariff
