// A money amount in Russian words (see amount_in_words.h).
#include "amount_in_words.h"

#include <cmath>
#include <stdexcept>

namespace kelmo {

namespace {

const char* const kHundreds[] = {"",         "сто ",      "двести ",  "триста ",    "четыреста ",
                                 "пятьсот ", "шестьсот ", "семьсот ", "восемьсот ", "девятьсот "};
const char* const kTens[] = {"",
                             "",
                             "двадцать ",
                             "тридцать ",
                             "сорок ",
                             "пятьдесят ",
                             "шестьдесят ",
                             "семьдесят ",
                             "восемьдесят ",
                             "девяносто "};
const char* const kTeens[] = {"десять ",       "одиннадцать ", "двенадцать ",  "тринадцать ",
                              "четырнадцать ", "пятнадцать ",  "шестнадцать ", "семнадцать ",
                              "восемнадцать ", "девятнадцать "};
const char* const kUnits[] = {"",      "один ",  "два ",  "три ",    "четыре ",
                              "пять ", "шесть ", "семь ", "восемь ", "девять "};

// A group of three digits: its divisor, its names for one, two to four and
// the others, and the feminine units of the thousands.
struct Group {
  int Divisor;
  const char* Names[3];
  bool Feminine;
};

constexpr Group kGroups[] = {
    {1000000, {"миллион ", "миллиона ", "миллионов "}, false},
    {1000, {"тысяча ", "тысячи ", "тысяч "}, true},
    {1, {"рубль ", "рубля ", "рублей "}, false},
};

constexpr std::int64_t kLimit = 1000000000;

QString GroupWords(const Group& group, int q) {
  QString s = QString::fromUtf8(kHundreds[q / 100]);
  const int tens = q / 10 % 10;
  const int units = q % 10;
  if (tens == 1)
    return s + QString::fromUtf8(kTeens[q % 100 - 10]) + QString::fromUtf8(group.Names[2]);
  s += QString::fromUtf8(kTens[tens]);
  if (units == 1 || units == 2)
    s += group.Feminine ? QString::fromUtf8(units == 1 ? "одна " : "две ")
                        : QString::fromUtf8(kUnits[units]);
  else
    s += QString::fromUtf8(kUnits[units]);
  // An empty thousands group leaves no trace; the roubles always name
  // themselves.
  if (group.Feminine && q == 0) return s;
  const int form = units == 1 ? 0 : (units >= 2 && units <= 4 ? 1 : 2);
  return s + QString::fromUtf8(group.Names[form]);
}

QString KopeckWord(int k) {
  if (k % 10 == 1 && k != 11) return QStringLiteral("копейка");
  if (k % 10 >= 2 && k % 10 <= 4 && (k < 5 || k > 14)) return QStringLiteral("копейки");
  return QStringLiteral("копеек");
}

}  // namespace

QString AmountInWords(Money amount) {
  const std::int64_t kopecks = amount.RoundToKopecks().units() / 100;
  if (kopecks < 0 || kopecks / 100 >= kLimit)
    throw std::out_of_range("Сумма " + amount.ToString().toStdString() +
                            " не может быть записана прописью");
  const int roubles = static_cast<int>(kopecks / 100);
  const int k = static_cast<int>(kopecks % 100);
  QString s;
  bool started = false;
  for (const Group& group : kGroups) {
    const int q = roubles / group.Divisor % 1000;
    if (!started && q == 0) continue;
    started = true;
    s += GroupWords(group, q);
  }
  if (k == 0) return s + QStringLiteral("00 копеек");
  return s + QStringLiteral("%1 ").arg(k, 2, 10, QLatin1Char('0')) + KopeckWord(k);
}

QString AmountInWords(double amount) {
  if (!std::isfinite(amount) || std::fabs(amount) >= static_cast<double>(kLimit) * 2)
    throw std::out_of_range("Сумма не может быть записана прописью");
  return AmountInWords(Money::FromDouble(amount));
}

}  // namespace kelmo
