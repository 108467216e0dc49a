// Dates as the XML packages write them (YYYY-MM-DD, sometimes followed by a
// time) turned into the DD.MM.YYYY text the rest of the program converts.
#pragma once

#include <QString>

namespace kelmo {

// "2016-06-01" and "2016-06-01 10:30:00" give "01.06.2016". Anything whose
// year part is not four digits or whose month or day part is not two digits
// comes back unchanged ("2019-01-31T00:00:00", "31.01.2019", "2019-1-31",
// ""); the parts are not tested for a calendar date. Cost: linear.
QString ConvertXmlDate(const QString& text);

// One splitting step: `part` is the text before the first blank, "-" or ":"
// (the whole text when there is none); `rest` is what follows that separator
// with everything before its first digit removed (empty when it holds no
// digit). An empty text gives an empty part and rest.
void NextDateToken(const QString& text, QString& rest, QString& part);

}  // namespace kelmo
