// The process-wide locale separators the pattern language refers to: "/" in a
// pattern means the date separator, ":" the time separator and "\p" the
// decimal separator. Tests on the date and time separators read them each
// time a character is fed; "\p" is read when the pattern is scanned.
//
// The defaults follow this program's formats: dates dd.mm.yyyy, times
// hh:mm, decimals with ".". Reading and setting are atomic and constant time.
#pragma once

namespace kelmo::regexpr {

char DateSeparator();
char TimeSeparator();
char DecimalSeparator();

void SetDateSeparator(char c);
void SetTimeSeparator(char c);
void SetDecimalSeparator(char c);

}  // namespace kelmo::regexpr
