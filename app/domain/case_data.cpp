// Case-data helpers (see case_data.h).
#include "case_data.h"

#include <filesystem>
#include <set>

#include "common.h"
#include "institution_fixes.h"

namespace kelmo {

namespace {

// Whole days between two date-times, as the DBF-era date helpers count them:
// the absolute difference in whole days, plus 1; 0 when a date is invalid.
int DaysBetweenInclusive(const QDateTime& a, const QDateTime& b) {
  // Each date is cut to its whole day first: a stay from 10:00 to 09:00 four
  // days later counts four nights.
  if (!a.isValid() || !b.isValid()) return 0;
  return static_cast<int>(std::abs(a.date().daysTo(b.date()))) + 1;
}

int ToInt(const QString& text) {
  bool ok = false;
  const int v = text.toInt(&ok);
  if (!ok) throw ConversionError(text);
  return v;
}

bool IsDigits(const QString& s, int count) {
  if (s.size() != count) return false;
  for (QChar c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

QString Category(QChar letter, int number) {
  return QString(letter) + QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

// C itself and its subcodes C.d, C.0d, C.dd.
bool CoversFully(const QString& code, const QString& c) {
  if (code == c) return true;
  if (!code.startsWith(c + '.')) return false;
  const QString rest = code.mid(c.size() + 1);
  return IsDigits(rest, 1) || IsDigits(rest, 2);
}

bool InCategoryRange(const QString& code, QChar letter, int from, int to) {
  if (code.isEmpty() || code[0] != letter) return false;
  for (int k = from; k <= to; ++k)
    if (CoversFully(code, Category(letter, k))) return true;
  return false;
}

// Delphi-like containment: an empty text is contained nowhere.
bool Holds(const QString& text, const QString& part) {
  return !part.isEmpty() && text.contains(part);
}

bool ItemMatches(const QString& code, const QString& item) {
  const int n = item.size();
  auto at = [&](int pos) { return pos <= n ? item[pos - 1] : QChar(); };
  auto num = [&](int pos, int len) { return ToInt(item.mid(pos - 1, len)); };
  if (n == 3) return CoversFully(code, item);
  if (n == 4 && at(4) == '.') return code == item || CoversFully(code, item.left(3));
  if (n == 5 && at(4) == '.')
    return code == item || (code.startsWith(item) && IsDigits(code.mid(5), 1));
  if ((n == 6 || n == 7) && at(4) == '.') return code == item;
  if (n == 7 && at(4) == '-') {
    if (at(1) != at(5)) return false;
    return InCategoryRange(code, at(1), num(2, 2), num(6, 2));
  }
  if (n == 9 && at(4) == '.' && at(6) == '-') {
    if (code == item.left(5) || code == item.mid(6, 3)) return true;
    if (code.startsWith(item.left(4)) && IsDigits(code.mid(4), 1)) return true;
    return InCategoryRange(code, at(1), num(2, 2) + 1, num(8, 2));
  }
  if (n == 9 && at(4) == '-' && at(8) == '.') {
    if (code == item.left(3) || code == item.mid(4, 5)) return true;
    const int lastDigit = num(9, 1);
    if (code.startsWith(item.mid(4, 5)) && IsDigits(code.mid(9), 1) &&
        code.mid(9).toInt() <= lastDigit)
      return true;
    if (CoversFully(code, item.left(3))) return true;
    return InCategoryRange(code, at(1), num(2, 2) + 1, num(6, 2));
  }
  if (n == 11 && at(4) == '.' && at(10) == '.' && at(6) == '-') {
    if (item.left(3) == item.mid(6, 3)) {
      const int from = num(5, 1), to = num(11, 1);
      for (int k = from; k <= to; ++k) {
        const QString sub = item.left(4) + QString::number(k);
        if (code == sub || (code.startsWith(sub) && IsDigits(code.mid(sub.size()), 1))) return true;
      }
    }
    if (Holds(code, item.left(5)) || Holds(item.mid(6, 3), code)) return true;
    if (code.startsWith(item.left(5)) && IsDigits(code.mid(5), 1)) return true;
    const QChar letter = at(1);
    const int from = num(2, 2), to = num(8, 2);
    for (int k = from; k <= to; ++k) {
      const QString c = Category(letter, k);
      if (code == c) return true;
      const QString rest = code.mid(c.size() + 1);
      if (code.startsWith(c + '.') &&
          (IsDigits(rest, 2) || (rest.size() == 2 && rest[0] == '0' && rest[1].isDigit())))
        return true;
      if (code.size() >= 5 && code.left(4) == c + '.' && code[4].isDigit()) return true;
    }
    return false;
  }
  if (n == 13 && at(4) == '.' && at(11) == '.' && at(7) == '-' && item.left(3) == item.mid(7, 3)) {
    const int from = num(5, 2), to = num(12, 2);
    for (int k = from; k <= to; ++k) {
      if (code == item.left(4) + QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'))) return true;
      if (k < 10 && code == item.left(4) + QString::number(k)) return true;
    }
    return false;
  }
  return false;
}

}  // namespace

int AgeInYears(const QDate& birth, const QDate& onDate) {
  int years = onDate.year() - birth.year();
  if (onDate.month() < birth.month() ||
      (onDate.month() == birth.month() && onDate.day() < birth.day()))
    --years;
  return years < 0 ? 0 : years;
}

int CountBedDays(int stacType, const QDateTime& admission, const QDateTime& discharge, int lpu,
                 HolidayCalendar& calendar, SpecialDayInstitutions special) {
  int n = DaysBetweenInclusive(admission, discharge) - 1;
  if (stacType != 1 && admission.isValid() && discharge.isValid() &&
      admission.date() <= discharge.date()) {
    calendar.OpenExceptions(lpu);
    const bool worksHolidays = calendar.HasWorkedHolidays();
    const QList<QDate> daysOff = calendar.DaysOff();
    for (QDate d = admission.date(); d <= discharge.date(); d = d.addDays(1)) {
      if (calendar.IsHoliday(d)) {
        if (!worksHolidays || !calendar.IsWorkedHoliday(lpu, d)) --n;
      } else if (daysOff.contains(d)) {
        --n;
      }
      if (IsOrderedWorkingDay(lpu, d, special)) ++n;
    }
    ++n;
  }
  if (admission == discharge) return 1;
  if (admission > discharge) return 0;
  return n < 0 ? 0 : n;
}

int CountWorkingDays(const QStringList& dates, const QList<QDate>& holidays,
                     const QList<DayException>& exceptions) {
  int count = 0;
  for (const QString& text : dates) {
    const QDate day = QDate::fromString(text.trimmed(), QStringLiteral("dd.MM.yyyy"));
    if (!day.isValid()) throw ConversionError(text);
    bool works = !holidays.contains(day);
    for (const DayException& e : exceptions)
      if (e.day == day) {
        works = e.dayType == 1;
        break;
      }
    if (works) ++count;
  }
  return count;
}

QString StageMaskText(const QString& mask) {
  if (mask.isEmpty()) return {};
  static const char* const kTexts[] = {"", "(1)", "(2)", "(12)", "(3)", "(13)", "(23)", "(123)"};
  const int v = ToInt(mask);
  return v >= 1 && v <= 7 ? QString::fromLatin1(kTexts[v]) : QString();
}

bool MkbInList(const QString& rawCode, const QString& rawList) {
  QString list = TrimText(rawList);
  // "F10.0-F19.9" is read as "F10-F19.9".
  if (list.startsWith('F') && list.contains('-') && list.mid(3, 2) == QLatin1String(".0"))
    list.remove(3, 2);
  QString code = rawCode;
  code.remove('*');
  code.remove('+');
  for (const QString& item : list.split(',')) {
    if (TrimText(item).isEmpty()) continue;
    if (ItemMatches(code, item)) return true;
  }
  return false;
}

bool ProfileLicensedOn(const QDate& date, const QList<LicencePeriod>& licences) {
  for (const LicencePeriod& l : licences)
    if (l.end && l.begin <= date && *l.end >= date) return true;
  return false;
}

QString UpperCaseCyr(const QString& text) {
  QString out = text;
  for (QChar& c : out) {
    const char16_t u = c.unicode();
    if (u >= 'a' && u <= 'z')
      c = QChar(u - 32);
    else if (u >= 0x0430 && u <= 0x044F)  // а..я, codes 224..255 of code page 1251
      c = QChar(u - 32);
  }
  return out;
}

QString ForbiddenNameChars(const QString& text) {
  QString found;
  if (!text.isEmpty() && (text.startsWith('.') || text.indexOf('.') == text.size() - 1))
    found += '.';
  for (QChar c : {QChar(','), QChar(':'), QChar(';'), QChar('_'), QChar('\\')})
    if (text.contains(c)) found += c;
  return found;
}

QString ReplaceAll(const QString& text, const QString& searched, const QString& replacement) {
  if (searched.isEmpty()) return text;
  QString out = text;
  return out.replace(searched, replacement);
}

bool ClearFolderTree(const QString& folder) {
  namespace fs = std::filesystem;
  const fs::path root(folder.toStdString());
  std::vector<fs::path> todo{root};
  std::set<fs::path> cleared;  // folders done, whether or not they could be removed
  std::error_code ec;
  while (!todo.empty()) {
    const fs::path current = todo.back();
    bool descended = false;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path entry = it->path();
      const bool isFolder = it->is_directory(ec) && !it->is_symlink(ec);
      if (isFolder) {
        if (!cleared.count(entry)) {
          todo.push_back(entry);
          descended = true;
        }
      } else {
        fs::remove(entry, ec);
      }
      ec.clear();
    }
    ec.clear();
    if (descended) continue;
    todo.pop_back();
    cleared.insert(current);
    if (current != root) fs::remove(current, ec);
    ec.clear();
  }
  return true;
}

}  // namespace kelmo
