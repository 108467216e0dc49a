// A money amount in Russian words, as the bill and the Modern form write it
// under their totals: the roubles in words, the kopecks in two digits with
// their word ("одна тысяча двести тридцать четыре рубля 56 копеек"; 0.5
// gives "50 копеек", without rouble words).
//
// The amount is rounded to whole kopecks (halves to the even kopeck) before
// it is split, so 0.995 gives "один рубль 00 копеек", never "100 копеек".
// The words reach up to 999 999 999 roubles; a larger or a negative amount
// (after rounding) raises std::out_of_range, as does a value that is not a
// number.
#pragma once

#include <QString>

#include "domain/money.h"

namespace kelmo {

QString AmountInWords(Money amount);
QString AmountInWords(double amount);

}  // namespace kelmo
