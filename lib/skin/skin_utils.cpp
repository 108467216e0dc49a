#include "skin/skin_utils.h"

#include <QCoreApplication>

#include "skin/skin_options.h"

namespace kelmo::skin {

int ClampInt(int value, int min, int max) {
  return value < min ? min : std::min(value, max);
}

bool RectOverlaps(const winshim::Rect& a, const winshim::Rect& b) {
  if (b.IsEmpty()) return false;
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

int NthWordPos(int n, const QString& text, const QString& delimiters) {
  int count = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const bool starts =
        !delimiters.contains(text[i]) && (i == 0 || delimiters.contains(text[i - 1]));
    if (starts && ++count == n) return int(i) + 1;
  }
  return 0;
}

QString NthWord(int n, const QString& text, const QString& delimiters) {
  const int pos = NthWordPos(n, text, delimiters);
  if (pos == 0) return {};
  qsizetype end = pos - 1;
  while (end < text.size() && !delimiters.contains(text[end])) ++end;
  return text.mid(pos - 1, end - (pos - 1));
}

int WordCountOf(const QString& text, const QString& delimiters) {
  int count = 0;
  for (qsizetype i = 0; i < text.size(); ++i)
    if (!delimiters.contains(text[i]) && (i == 0 || delimiters.contains(text[i - 1]))) ++count;
  return count;
}

QString DelChars(const QString& text, QChar c) {
  QString out = text;
  out.remove(c);
  return out;
}

IniSections ParseIniSections(const QStringList& lines) {
  IniSections out;
  for (const QString& line : lines) {
    if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
    if (line.size() >= 2 && line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      out.emplace_back(line.mid(1, line.size() - 2), QStringList{});
      continue;
    }
    if (!out.empty()) out.back().second << line;
  }
  return out;
}

QString IniSectionValue(const IniSections& sections, const QString& section, const QString& key,
                        const QString& def) {
  for (const auto& [name, lines] : sections) {
    if (name.compare(section, Qt::CaseInsensitive) != 0) continue;
    for (const QString& line : lines) {
      const qsizetype eq = line.indexOf(QLatin1Char('='));
      if (eq >= 0 && line.left(eq).compare(key, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
    }
    return def;
  }
  return def;
}

int IniSectionInt(const IniSections& sections, const QString& section, int def,
                  const QString& key) {
  const QString v = IniSectionValue(sections, section, key, QString());
  if (v.size() >= 3 && v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    bool ok = false;
    const uint n = v.mid(2).toUInt(&ok, 16);
    return ok ? int(n) : def;
  }
  return StrToIntDef(v, def);
}

QString AddPathDelimiter(const QString& path) {
  if (path.isEmpty() || path.endsWith(QLatin1Char('\\'))) return path;
  if (path.endsWith(QLatin1Char('/'))) return path.left(path.size() - 1) + QLatin1Char('\\');
  if (path.size() == 1) return path + QStringLiteral(":\\");
  return path + QLatin1Char('\\');
}

QString ExeFolderPath() {
  return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

}  // namespace kelmo::skin
