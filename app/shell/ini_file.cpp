// Reading and writing the code-page-1251 INI files of the configuration.
#include "ini_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringList>

namespace kelmo {
namespace {

bool ReadLines(const QString& path, QStringList& lines) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QStringDecoder decode("windows-1251");
  const QString text = decode(file.readAll());
  lines = text.split(QLatin1Char('\n'));
  for (QString& line : lines)
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return true;
}

// The section a line opens ("[Options]" → "Options"), or nothing.
std::optional<QString> SectionOf(const QString& line) {
  const QString t = line.trimmed();
  if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
  const qsizetype close = t.indexOf(QLatin1Char(']'));
  if (close < 0) return std::nullopt;
  return t.mid(1, close - 1).trimmed();
}

// Key and value of a "key=value" line outside comments.
bool KeyValueOf(const QString& line, QString& key, QString& value) {
  const QString t = line.trimmed();
  if (t.isEmpty() || t.startsWith(QLatin1Char(';'))) return false;
  const qsizetype eq = t.indexOf(QLatin1Char('='));
  if (eq <= 0) return false;
  key = t.left(eq).trimmed();
  value = t.mid(eq + 1).trimmed();
  if (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"'))
    value = value.mid(1, value.size() - 2);
  return true;
}

}  // namespace

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const {
  QStringList lines;
  if (!ReadLines(path_, lines)) return std::nullopt;
  bool inSection = false;
  for (const QString& line : lines) {
    if (const auto name = SectionOf(line)) {
      inSection = name->compare(section, Qt::CaseInsensitive) == 0;
      continue;
    }
    QString k;
    QString v;
    if (inSection && KeyValueOf(line, k, v) && k.compare(key, Qt::CaseInsensitive) == 0) return v;
  }
  return std::nullopt;
}

QString IniFile::ReadString(const QString& section, const QString& key,
                            const QString& fallback) const {
  return Value(section, key).value_or(fallback);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int fallback) const {
  const auto value = Value(section, key);
  if (!value) return fallback;
  bool ok = false;
  const int number = value->toInt(&ok, 10);
  return ok ? number : fallback;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  QStringList lines;
  ReadLines(path_, lines);
  const QString entry = key + QLatin1Char('=') + value;
  qsizetype sectionStart = -1;
  qsizetype sectionEnd = -1;  // index after the section's last key line
  bool written = false;
  for (qsizetype i = 0; i < lines.size() && !written; ++i) {
    if (const auto name = SectionOf(lines.at(i))) {
      if (sectionStart >= 0) break;
      if (name->compare(section, Qt::CaseInsensitive) == 0) {
        sectionStart = i;
        sectionEnd = i + 1;
      }
      continue;
    }
    if (sectionStart < 0) continue;
    QString k;
    QString v;
    if (KeyValueOf(lines.at(i), k, v)) {
      if (k.compare(key, Qt::CaseInsensitive) == 0) {
        lines[i] = entry;
        written = true;
      }
      sectionEnd = i + 1;
    }
  }
  if (!written) {
    if (sectionStart < 0) {
      lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
      lines.append(entry);
    } else {
      lines.insert(sectionEnd, entry);
    }
  }
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QStringEncoder encode("windows-1251");
  for (const QString& line : lines) {
    file.write(encode(line));
    file.write("\r\n");
  }
  return file.commit();
}

}  // namespace kelmo
