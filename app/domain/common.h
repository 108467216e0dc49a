// The small helpers every part of the program calls: the application's trim,
// money text, text between markers, the program registered for a file type,
// the care level of a standard-of-care code, version and file date of the
// executable, month ends and digit filters; and the domain test of start-up.
// Plain functions without state; each costs one pass over its text.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <stdexcept>

#include "money.h"

namespace kelmo {

struct AccountSource;

// The error of a text that should hold a number; message
// "'<text>' is not a valid integer value".
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(const QString& text);
};

// The text without characters below code 33 (blanks, tabs, line breaks,
// other control characters) at either end; inner ones stay.
QString TrimText(const QString& text);

// The amount rounded to kopecks (halves to even) with exactly two decimals and
// "." whatever the locale: 5 → "5.00", 1234.5 → "1234.50", -0.004 → "0.00".
QString MoneyStr(Money value);

// The value rounded to whole kopecks, halves to the even kopeck.
Money RoundToKopecks(Money value);

// The trimmed text in reverse order.
QString ReverseStr(const QString& text);

// The text between a start and an end marker. Without `fromEnd`: after the
// first start marker, up to the first end marker after it (without an end
// marker: that rest without its last character). With `fromEnd` (markers and
// text trimmed first): after the last start marker, up to the last end marker
// in that rest (without one: the whole rest). A missing or empty start marker
// gives "". "_2=", ";" on "_1=A01;_2=B02;" gives "B02"; "_", "=" with
// fromEnd gives "2".
QString TextBetween(const QString& startMarker, const QString& endMarker, const QString& text,
                    bool fromEnd);

// The program that opens files of the extension (without the dot): the
// desktop's default application's command, else a program of that name on
// PATH, cleaned by CleanOpenCommand; empty when nothing is registered.
QString ProgramForExtension(const QString& extension);

// A registered command line made a program path: everything from the first
// "%" is cut, one leading and one trailing double quote removed, then blanks
// and double quotes removed from the end. "\"/opt/rar\" \"%1\"" → "/opt/rar".
QString CleanOpenCommand(const QString& command);

// The care level of a standard-of-care code (trimmed): 7 characters → its
// first character as a number; more than 11 → its 12th character plus 2;
// any other length → 0. A non-digit there raises ConversionError.
int CodeKind(const QString& code);

// "major.minor.release" of a four-part version "2.5.3.40" (the build is not
// shown); fewer parts are taken as they are.
QString VersionText(const QString& fourPartVersion);

// The version of a file as the program shows it: the running executable
// carries the project's version, compiled in; any other file has none ("").
QString FileVersionText(const QString& path);

// The compiled-in version of the program, "major.minor.release".
QString ProgramVersionText();

// Last-modified date and time of the running executable's file.
QDateTime ExeFileDate();

// The month's name in the nominative, lower case ("январь" .. "декабрь"); empty
// for a number outside 1..12.
QString MonthName(int month);

// The last day of the date's month. February has 29 days in years divisible
// by 4, except century years not divisible by 400, which keep 28 (the day
// 29 would not exist).
QDate EndOfMonth(const QDate& date);

// The text with every character outside "0".."9" removed.
QString DigitsOnly(const QString& text);

// The variable becomes the text.
void CopyText(const QString& text, QString& variable);

// True for "0".."9".
bool IsDigitChar(QChar c);

// Dates as the program writes them, whatever the locale: dd.mm.yyyy.
QString ShortDateText(const QDate& date);

// The domain test of start-up: the account's domain, trimmed (TrimText) and
// in upper case, is exactly "OMS". Any failure of the account look-up (among
// them a domain longer than 50 characters) counts as outside.
bool IsOMSDomain(const AccountSource& source);

}  // namespace kelmo
