// The expression language's function library and the process-wide
// registries that hold it. Layer: expressions.
#include "dbf_functions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "date_values.h"
#include "dbf_expression_tools.h"

namespace kelmo::dbf {

using namespace exptools;

namespace {

constexpr double kPi = 3.1415926535897932385;
// Texts built from a width argument are capped so that a stray SPACE(1E12)
// in a filter fails soft instead of exhausting memory.
constexpr double kMaxBuiltText = 65535;

using Call = TdfExpFunction;

[[noreturn]] void Needed(Call& c, size_t n, uint8_t type) {
  throw EDbfExpression(DbfFormat("%s needed for Argument %d of %s", ExpTypeName(type).c_str(),
                                 static_cast<int>(n + 1), c.NodeName().c_str()));
}

[[noreturn]] void MustBe(const char* name, const char* what) {
  throw EDbfExpression(DbfFormat("Argument for %s must be %s", name, what));
}

[[noreturn]] void Invalid(const char* what) {
  throw EDbfExpression(DbfFormat("A %s value is required but invalid", what));
}

std::string ReqText(Call& c, size_t n) {
  TdfExpVariant v;
  if (c.Arg(n, etText, v) == etEmpty) Needed(c, n, etText);
  return VariantToText(v);
}

double ReqNumber(Call& c, size_t n, uint8_t type = etNumber) {
  TdfExpVariant v;
  if (c.Arg(n, type, v) == etEmpty) Needed(c, n, type);
  return VariantToNumber(v);
}

bool ReqBool(Call& c, size_t n) {
  TdfExpVariant v;
  if (c.Arg(n, etBoolean, v) == etEmpty) Needed(c, n, etBoolean);
  return VariantToBool(v);
}

// An optional argument counts only when present and of the stated type.
bool OptNumber(Call& c, size_t n, double& out) {
  TdfExpVariant v;
  uint8_t t = c.Arg(n, etAny, v);
  if (!IsNumericFamily(t)) return false;
  out = VariantToNumber(v);
  return true;
}

bool OptText(Call& c, size_t n, std::string& out) {
  TdfExpVariant v;
  uint8_t t = c.Arg(n, etAny, v);
  if (t != etText && t != etMemo) return false;
  out = VariantToText(v);
  return true;
}

double RoundEven(double v) {
  return std::nearbyint(v);
}

size_t CappedCount(double v) {
  if (!(v > 0)) return 0;
  return static_cast<size_t>(std::min(v, kMaxBuiltText));
}

void SetText(TdfExpVariant& value, uint8_t& type, std::string text) {
  value = std::move(text);
  type = etText;
}

void SetNumber(TdfExpVariant& value, uint8_t& type, double v) {
  value = v;
  type = etNumber;
}

void SetBool(TdfExpVariant& value, uint8_t& type, bool v) {
  value = v;
  type = etBoolean;
}

bool IsTrimmed(unsigned char c) {
  return c <= ' ';
}

std::string RTrimCtl(std::string s) {
  while (!s.empty() && IsTrimmed(static_cast<unsigned char>(s.back()))) s.pop_back();
  return s;
}

std::string LTrimCtl(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && IsTrimmed(static_cast<unsigned char>(s[i]))) ++i;
  return s.substr(i);
}

std::string AsciiUpper(std::string s) {
  for (char& ch : s) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  }
  return s;
}

// Position (from 1) of the occurrence-th (overlapping) occurrence; the last
// one found when there are fewer; 0 when none or occurrence below 1.
double AtPosition(const std::string& needle, const std::string& text, double occurrence) {
  if (occurrence < 1 || needle.empty()) return 0;
  size_t found = std::string::npos, from = 0;
  for (double k = 0; k < occurrence; ++k) {
    size_t p = text.find(needle, from);
    if (p == std::string::npos) break;
    found = p;
    from = p + 1;
  }
  return found == std::string::npos ? 0 : static_cast<double>(found + 1);
}

void AtImpl(Call& c, TdfExpVariant& value, uint8_t& type, bool ignoreCase) {
  std::string needle = ReqText(c, 0), text = ReqText(c, 1);
  double occurrence = 1;
  OptNumber(c, 2, occurrence);
  occurrence = std::trunc(occurrence);
  if (ignoreCase) {
    needle = AsciiUpper(needle);
    text = AsciiUpper(text);
  }
  SetNumber(value, type, AtPosition(needle, text, occurrence));
}

bool IsEmptyDate(double d) {
  return d >= kEmptyDate || d == 0;
}

// The fixed-point text of STR and STRZERO.
std::string StrText(Call& c) {
  TdfExpVariant v;
  if (c.Arg(0, etNumber, v) == etEmpty) Needed(c, 0, etNumber);
  double number = VariantToNumber(v);
  double width = 10, decimals = 0;
  if (!OptNumber(c, 1, width)) {
    TdfExpUserLink* owner = c.Handler() ? c.Handler()->Owner() : nullptr;
    if (!owner) {
      width = 10;
    } else if (owner->StrDefaultWidth >= 0) {
      width = owner->StrDefaultWidth;
    } else {
      width = c.Args()[0]->length;
    }
  }
  OptNumber(c, 2, decimals);
  size_t w = CappedCount(RoundEven(width));
  int dec = static_cast<int>(std::clamp(RoundEven(decimals), 0.0, 60.0));
  std::string text = DbfFormat("%*.*f", static_cast<int>(w), dec, number);
  if (text.size() > w) return std::string(w, '*');
  return text;
}

struct PadArgs {
  std::string text;
  size_t width;
  char fill;
};

PadArgs PadPrepare(Call& c) {
  TdfExpVariant v;
  if (c.Arg(0, etAny, v) == etEmpty) {
    throw EDbfExpression(DbfFormat("%s needed for Argument %d of %s", "Value", 1, "Pad"));
  }
  PadArgs a;
  a.text = VariantToText(v);
  a.width = CappedCount(RoundEven(ReqNumber(c, 1)));
  a.fill = ' ';
  TdfExpVariant f;
  uint8_t ft = c.Arg(2, etAny, f);
  if (ft != etEmpty) {
    std::string fill = VariantToText(f);
    if (ft != etText || fill.size() != 1) Invalid("Char");
    a.fill = fill[0];
  }
  return a;
}

int CompareValues(const TdfExpVariant& a, const TdfExpVariant& b, uint8_t type) {
  if (type == etText || type == etMemo) return LocaleCompare(VariantToText(a), VariantToText(b));
  if (type == etBoolean) return static_cast<int>(VariantToBool(a)) - VariantToBool(b);
  double x = VariantToNumber(a), y = VariantToNumber(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

void MinMax(Call& c, TdfExpVariant& value, uint8_t& type, bool max, const char* name) {
  TdfExpVariant best;
  uint8_t first = c.Arg(0, etAny, best);
  if (first == etEmpty) throw EDbfExpression(DbfFormat("A value is required for %s", name));
  for (size_t n = 1; n < c.ArgCount(); ++n) {
    TdfExpVariant v;
    uint8_t t = c.Arg(n, etAny, v);
    if (t != first) {
      throw EDbfExpression(DbfFormat("All arguments for %s must be of the same type", name));
    }
    int r = CompareValues(v, best, first);
    if (max ? r > 0 : r < 0) best = v;
  }
  value = best;
  type = first;
}

// Compound and annuity factors of FV and PV.
void Annuity(double rate, double periods, int paymentTime, double& compound, double& annuity) {
  double n = std::trunc(periods);
  if (rate == 0) {
    compound = 1;
    annuity = n;
  } else if (std::fabs(rate) < 6.1e-5) {
    compound = std::exp(n * std::log1p(rate));
    annuity = n * (rate * (n - 1) / 2 + 1);
  } else {
    compound = std::pow(1 + rate, n);
    annuity = (compound - 1) / rate;
  }
  if (paymentTime == 1) annuity *= 1 + rate;
}

int PaymentTime(Call& c, double& other) {
  if (!OptNumber(c, 3, other)) {
    other = 0;
    return 0;
  }
  double t = 0;
  if (!OptNumber(c, 4, t)) return 0;
  if (t == 0 || t == -1) return 0;
  if (t == 1) return 1;
  MustBe("FV PaymentTime", "0 or 1");
}

std::string Soundex(const std::string& input) {
  if (input.empty()) return "0000";
  std::string s = AsciiUpper(input);
  if (s.size() == 1) return s + "000";
  std::string code(1, s[0]);
  for (size_t i = 1; i < s.size(); ++i) {
    switch (s[i]) {
      case 'B':
      case 'F':
      case 'P':
      case 'V':
        code += '1';
        break;
      case 'C':
      case 'G':
      case 'J':
      case 'K':
      case 'Q':
      case 'S':
      case 'X':
      case 'Z':
        code += '2';
        break;
      case 'D':
      case 'T':
        code += '3';
        break;
      case 'L':
        code += '4';
        break;
      case 'M':
      case 'N':
        code += '5';
        break;
      case 'R':
        code += '6';
        break;
      default:
        break;
    }
  }
  std::string result(1, code[0]);
  for (size_t i = 1; i < code.size(); ++i) {
    if (code[i] != code[i - 1]) result += code[i];
  }
  return (result + "0000").substr(0, 4);
}

bool ProperBoundary(unsigned char c) {
  return (c >= 32 && c <= 38) || (c >= 40 && c <= 47) || (c >= 58 && c <= 64) ||
         (c >= 91 && c <= 95) || (c >= 123 && c <= 127);
}

bool ValuesEqual(const TdfExpVariant& a, uint8_t ta, const TdfExpVariant& b, uint8_t tb) {
  bool textA = ta == etText || ta == etMemo, textB = tb == etText || tb == etMemo;
  if (textA || textB) return textA && textB && VariantToText(a) == VariantToText(b);
  if (ta == etBoolean || tb == etBoolean) {
    return ta == tb && VariantToBool(a) == VariantToBool(b);
  }
  if (IsNumericFamily(ta) && IsNumericFamily(tb)) return VariantToNumber(a) == VariantToNumber(b);
  return false;
}

struct Entry {
  const char* name;
  TdfBuiltinFunction::Body body;
};

#define FN [](Call & c, TdfExpVariant & value, uint8_t & type)
#define UNUSED_CALL (void)c

const Entry kFunctions[] = {{"ABS", FN{SetNumber(value, type, std::fabs(ReqNumber(c, 0)));
}  // namespace
}  // namespace kelmo::dbf
, {"ALLTRIM", FN{SetText(value, type, LTrimCtl(RTrimCtl(ReqText(c, 0))));
}
}
, {"ACOS", FN{double x = ReqNumber(c, 0);
if (x < -1 || x > 1) MustBe("ACOS", "-1 to +1");
SetNumber(value, type, std::acos(x));
}
}
, {"ASIN", FN{double x = ReqNumber(c, 0);
if (x < -1 || x > 1) MustBe("ASIN", "-1 to +1");
SetNumber(value, type, std::asin(x));
}
}
, {"ATAN", FN{SetNumber(value, type, std::atan(ReqNumber(c, 0)));
}
}
, {"ATN2", FN{double y = ReqNumber(c, 0), x = ReqNumber(c, 1);
SetNumber(value, type, std::atan2(y, x));
}
}
, {"ASC", FN{std::string t = ReqText(c, 0);
SetNumber(value, type, t.empty() ? 0 : static_cast<unsigned char>(t[0]));
}
}
, {"AT", FN{AtImpl(c, value, type, false);
}
}
, {"ATC", FN{AtImpl(c, value, type, true);
}
}
, {"BETWEEN", FN{TdfExpVariant v, lo, hi;
uint8_t t = c.Arg(0, etAny, v);
if (t == etEmpty) Needed(c, 0, etAny);
uint8_t want = t;
if (c.Arg(1, want, lo) == etEmpty) Needed(c, 1, want);
if (c.Arg(2, want, hi) == etEmpty) Needed(c, 2, want);
SetBool(value, type, CompareValues(v, lo, t) >= 0 && CompareValues(v, hi, t) <= 0);
}
}
, {"CEILING", FN{SetNumber(value, type, std::ceil(ReqNumber(c, 0)));
}
}
, {"CHR", FN{double code = RoundEven(ReqNumber(c, 0));
if (!(code >= 0 && code <= 255)) Invalid("Byte");
SetText(value, type, std::string(1, static_cast<char>(static_cast<int>(code))));
}
}
, {"COS", FN{SetNumber(value, type, std::cos(ReqNumber(c, 0)));
}
}
, {"CTOD", FN{std::string t = ReqText(c, 0);
int32_t day = TextToJulian(t);
value = day == 0 ? kEmptyDate : static_cast<double>(day);
type = etDate;
}
}
, {"DATE", FN{UNUSED_CALL;
value = static_cast<double>(TdfDBFDate::TodayJulian());
type = etDate;
}
}
, {"DESCEND", FN{TdfExpVariant v;
uint8_t t = c.Arg(0, etAny, v);
type = t;
if (t == etDate || t == etDateTime) {
  double d = VariantToNumber(v);
  value = d >= kEmptyDate ? d : 5231808 - d;
} else if (t == etNumber || t == etInteger) {
  double d = VariantToNumber(v);
  value = d == 0 ? d : -d;
} else if (t == etText || t == etMemo) {
  std::string s = VariantToText(v);
  for (char& ch : s) {
    unsigned char b = static_cast<unsigned char>(ch);
    ch = static_cast<char>(b == 0 ? 0 : 256 - b);
  }
  value = s;
} else if (t == etBoolean) {
  value = !VariantToBool(v);
} else {
  SetBool(value, type, false);
}
}
}
, {"DOW", FN{double d = ReqNumber(c, 0, etDate);
SetNumber(value, type, TdfDBFDate::DayOfWeek(DayOfDateValue(d)));
}
}
, {"DTOC", FN{double d = ReqNumber(c, 0, etDate);
double form = 0;
OptNumber(c, 1, form);
int32_t day = DayOfDateValue(d);
SetText(value, type,
        RoundEven(form) == 1 ? TdfDBFDate::JulianToText(day) : TdfDBFDate::JulianToLocaleText(day));
}
}
, {"DTOR", FN{SetNumber(value, type, ReqNumber(c, 0) * 0.017453292519943295769);
}
}
, {"DTOS", FN{double d = ReqNumber(c, 0, etDate);
SetText(value, type, TdfDBFDate::JulianToText(DayOfDateValue(d)));
}
}
, {"EMPTY", FN{TdfExpVariant v;
uint8_t t = c.Arg(0, etAny, v);
bool empty = false;
if (t == etDate || t == etDateTime) {
  empty = IsEmptyDate(VariantToNumber(v));
} else if (t == etNumber || t == etInteger) {
  empty = VariantToNumber(v) == 0;
} else if (t == etText) {
  std::string s = VariantToText(v);
  empty = s.find_first_not_of(' ') == std::string::npos;
} else if (t == etBoolean) {
  empty = !VariantToBool(v);
}
SetBool(value, type, empty);
}
}
, {"FLOOR", FN{SetNumber(value, type, std::floor(ReqNumber(c, 0)));
}
}
, {"FV", FN{double payment = ReqNumber(c, 0), rate = ReqNumber(c, 1), periods = ReqNumber(c, 2);
double present = 0;
int when = PaymentTime(c, present);
if (rate <= -1) throw EDbfExpression("Invalid argument");
double compound, annuity;
Annuity(rate, periods, when, compound, annuity);
if (compound > 1e16) throw EDbfExpression("Invalid argument");
SetNumber(value, type, std::fabs(-payment* annuity - present * compound));
}
}
, {"IIF", FN{bool condition = ReqBool(c, 0);
TdfExpVariant v;
type = c.Arg(condition ? 1 : 2, etAny, v);
value = type == etEmpty ? TdfExpVariant{} : v;
}
}
, {"INLIST", FN{TdfExpVariant v;
uint8_t t = c.Arg(0, etAny, v);
bool found = false;
if (t != etEmpty) {
  if (t == etText) v = RTrimCtl(VariantToText(v));
  for (size_t n = 1; n < c.ArgCount() && !found; ++n) {
    TdfExpVariant cand;
    uint8_t ct = c.Arg(n, etAny, cand);
    found = ValuesEqual(v, t, cand, ct);
  }
}
SetBool(value, type, found);
}
}
, {"INT", FN{SetNumber(value, type, std::trunc(ReqNumber(c, 0)));
}
}
, {"LEFT", FN{std::string t = ReqText(c, 0);
double count = ReqNumber(c, 1);
if (count <= 0.01) return SetText(value, type, {});
size_t n = CappedCount(std::trunc(count));
if (t.size() < n) t.resize(n, ' ');
SetText(value, type, t.substr(0, n));
}
}
, {"LEN", FN{SetNumber(value, type, static_cast<double>(ReqText(c, 0).size()));
}
}
, {"LOG", FN{double x = ReqNumber(c, 0);
if (x <= 0) MustBe("LOG10", "> 0");
SetNumber(value, type, std::log(x));
}
}
, {"LOG10", FN{double x = ReqNumber(c, 0);
if (x <= 0) MustBe("LOG10", "> 0");
SetNumber(value, type, std::log10(x));
}
}
, {"LOWER", FN{SetText(value, type, LowerText(ReqText(c, 0)));
}
}
, {"LTRIM", FN{SetText(value, type, LTrimCtl(ReqText(c, 0)));
}
}
, {"MAX", FN{MinMax(c, value, type, true, "Max()");
}
}
, {"MIN", FN{MinMax(c, value, type, false, "Min()");
}
}
, {"MOD", FN{double a = std::trunc(ReqNumber(c, 0)), b = std::trunc(ReqNumber(c, 1));
if (b == 0) throw EDbfExpression("Division by zero");
SetNumber(value, type, std::fmod(a, b));
}
}
, {"PADC", FN{PadArgs a = PadPrepare(c);
if (a.text.size() >= a.width) return SetText(value, type, a.text);
size_t extra = a.width - a.text.size();
size_t leftFill = extra / 2;
SetText(value, type,
        std::string(leftFill, a.fill) + a.text + std::string(extra - leftFill, a.fill));
}
}
, {"PADL", FN{PadArgs a = PadPrepare(c);
if (a.text.size() >= a.width) return SetText(value, type, a.text);
SetText(value, type, std::string(a.width - a.text.size(), a.fill) + a.text);
}
}
, {"PADR", FN{PadArgs a = PadPrepare(c);
if (a.text.size() >= a.width) return SetText(value, type, a.text);
SetText(value, type, a.text + std::string(a.width - a.text.size(), a.fill));
}
}
, {"PI", FN{UNUSED_CALL;
SetNumber(value, type, kPi);
}
}
, {"PV", FN{double payment = ReqNumber(c, 0), rate = ReqNumber(c, 1), periods = ReqNumber(c, 2);
double future = 0;
int when = PaymentTime(c, future);
if (rate <= -1) throw EDbfExpression("Invalid argument");
double compound, annuity;
Annuity(rate, periods, when, compound, annuity);
SetNumber(value, type, std::fabs((-payment * annuity - future) / compound));
}
}
, {"PROPER", FN{std::string t = ReqText(c, 0);
for (size_t i = 0; i < t.size(); ++i) {
  std::string one(1, t[i]);
  bool up = i == 0 || ProperBoundary(static_cast<unsigned char>(t[i - 1]));
  t[i] = (up ? UpperText(one) : LowerText(one))[0];
}
SetText(value, type, t);
}
}
, {"RIGHT", FN{std::string t = ReqText(c, 0);
double count = std::trunc(ReqNumber(c, 1));
if (count <= 0 || count >= static_cast<double>(t.size())) return SetText(value, type, t);
SetText(value, type, t.substr(t.size() - static_cast<size_t>(count)));
}
}
, {"RTRIM", FN{SetText(value, type, RTrimCtl(ReqText(c, 0)));
}
}
, {"RTOD", FN{SetNumber(value, type, ReqNumber(c, 0) * 57.295779513082320877);
}
}
, {"SIN", FN{SetNumber(value, type, std::sin(ReqNumber(c, 0)));
}
}
, {"SOUNDEX", FN{SetText(value, type, Soundex(ReqText(c, 0)));
}
}
, {"SPACE", FN{SetText(value, type, std::string(CappedCount(std::trunc(ReqNumber(c, 0))), ' '));
}
}
, {"STR", FN{SetText(value, type, StrText(c));
}
}
, {"STRTRAN", FN{std::string text = ReqText(c, 0), search = ReqText(c, 1), replacement;
OptText(c, 2, replacement);
double first = 1, count = -1;
OptNumber(c, 3, first);
bool limited = OptNumber(c, 4, count);
if (text.empty() || search.empty()) return SetText(value, type, text);
std::string out;
size_t pos = 0;
double seen = 0, replaced = 0;
while (true) {
  size_t p = text.find(search, pos);
  if (p == std::string::npos) break;
  ++seen;
  out.append(text, pos, p - pos);
  if (seen >= std::trunc(first) && (!limited || replaced < std::trunc(count))) {
    out += replacement;
    ++replaced;
  } else {
    out += search;
  }
  pos = p + search.size();
}
out.append(text, pos, std::string::npos);
SetText(value, type, out);
}
}
, {"STRZERO", FN{std::string t = StrText(c);
for (char& ch : t) {
  if (ch != ' ') break;
  ch = '0';
}
SetText(value, type, t);
}
}
, {"SUBSTR", FN{std::string t = ReqText(c, 0);
double start = std::trunc(ReqNumber(c, 1));
double count = 0;
bool hasCount = OptNumber(c, 2, count);
if (start < 1 || start > static_cast<double>(t.size())) return SetText(value, type, {});
size_t s = static_cast<size_t>(start) - 1;
size_t n = t.size() - s;
if (hasCount) n = std::min(n, CappedCount(std::trunc(count)));
SetText(value, type, t.substr(s, n));
}
}
, {"TAN", FN{SetNumber(value, type, std::tan(ReqNumber(c, 0)));
}
}
, {"TRIM", FN{SetText(value, type, RTrimCtl(ReqText(c, 0)));
}
}
, {"UPPER", FN{SetText(value, type, UpperText(ReqText(c, 0)));
}
}
, {"VAL", FN{std::string t = LTrimCtl(RTrimCtl(ReqText(c, 0)));
std::replace(t.begin(), t.end(), ',', '.');
char* end = nullptr;
double v = t.empty() ? 0 : std::strtod(t.c_str(), &end);
if (!t.empty() && end != t.c_str() + t.size()) v = 0;
if (!std::isfinite(v)) v = 0;
SetNumber(value, type, v);
}
}
,
}
;

#undef FN
#undef UNUSED_CALL

}  // namespace

void RegisterBuiltins(TdfFunctionReg& functions, TdfFieldVarReg& values) {
  values.RegisterFieldVar(std::make_shared<TdfConstantFieldVar>("TRUE", true, etBoolean));
  values.RegisterFieldVar(std::make_shared<TdfConstantFieldVar>("FALSE", false, etBoolean));
  values.RegisterFieldVar(std::make_shared<TdfConstantFieldVar>("PI", kPi, etNumber));
  for (const Entry& e : kFunctions) {
    functions.RegisterFunction(std::make_unique<TdfBuiltinFunction>(e.name, e.body));
  }
}

namespace {
struct GlobalRegistries {
  TdfFunctionReg functions;
  TdfFieldVarReg values;
  GlobalRegistries() { RegisterBuiltins(functions, values); }
};
GlobalRegistries& Registries() {
  static GlobalRegistries registries;
  return registries;
}
}  // namespace

TdfFunctionReg& GlobalFunctionRegistry() {
  return Registries().functions;
}
TdfFieldVarReg& GlobalFieldVarRegistry() {
  return Registries().values;
}

}  // namespace kelmo::dbf
