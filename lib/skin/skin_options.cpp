// The in-memory INI reader of skin options texts.
#include "skin/skin_options.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace kelmo::skin {
namespace {

std::optional<int> ParseInt(const QString& text) {
  QString t = text;
  bool negative = false;
  if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
    negative = t[0] == QLatin1Char('-');
    t = t.mid(1);
  }
  int base = 10;
  if (t.startsWith(QLatin1Char('$'))) {
    base = 16;
    t = t.mid(1);
  } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    base = 16;
    t = t.mid(2);
  }
  if (t.isEmpty()) return std::nullopt;
  for (QChar c : t)
    if (!(c.isDigit() || (base == 16 && QStringLiteral("abcdefABCDEF").contains(c))))
      return std::nullopt;
  bool ok = false;
  const qlonglong v = t.toLongLong(&ok, base);
  if (!ok) return std::nullopt;
  const qlonglong s = negative ? -v : v;
  // Hexadecimal texts name the 32 bits themselves ($FFFFFFFF is -1).
  if (base == 16 && !negative && v <= 0xFFFFFFFFll) return int(std::uint32_t(v));
  if (s < INT32_MIN || s > INT32_MAX) return std::nullopt;
  return int(s);
}

}  // namespace

int StrToInt(const QString& text) {
  if (auto v = ParseInt(text)) return *v;
  throw EConvertError(("'" + text + "' is not a valid integer value").toStdString());
}

int StrToIntDef(const QString& text, int def) {
  return ParseInt(text).value_or(def);
}

SkinOptionsIni SkinOptionsIni::FromBytes(std::span<const std::uint8_t> bytes) {
  if (std::int64_t(bytes.size()) > kMaxOptionsSize)
    throw ESkinOptionsError("The skin options text is too large");
  SkinOptionsIni ini;
  Section* current = nullptr;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
    const QString line = QString::fromLatin1(reinterpret_cast<const char*>(bytes.data() + pos),
                                             qsizetype(end - pos));
    pos = end;
    while (pos < bytes.size() && (bytes[pos] == '\n' || bytes[pos] == '\r')) ++pos;
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))) continue;
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
      const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed();
      const QString upper = name.toUpper();
      auto found = ini.sectionIndex_.constFind(upper);
      if (found == ini.sectionIndex_.constEnd()) {
        found = ini.sectionIndex_.insert(upper, ini.sections_.size());
        ini.sections_.push_back({name, {}, {}});
      }
      current = &ini.sections_[*found];
      continue;
    }
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (!current || eq < 0) continue;
    const QString key = line.left(eq).trimmed();
    const QString upper = key.toUpper();
    // Hashed, so a text of many keys is read in linear time.
    if (current->index.contains(upper)) continue;
    current->index.insert(upper, current->values.size());
    current->values.push_back({key, line.mid(eq + 1)});
  }
  return ini;
}

QByteArray ReadSkinFile(const QString& path, std::int64_t limit) {
  const QFileInfo info(path);
  if (info.isSymLink() || !info.isFile())
    throw ESkinOptionsError(("Not a regular file: " + path).toStdString());
  if (info.size() > limit)
    throw ESkinOptionsError(("The file is too large: " + path).toStdString());
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw ESkinOptionsError(("Cannot read " + path + ": " + file.errorString()).toStdString());
  const QByteArray bytes = file.read(limit + 1);
  if (bytes.size() > limit)
    throw ESkinOptionsError(("The file is too large: " + path).toStdString());
  return bytes;
}

SkinOptionsIni SkinOptionsIni::FromFile(const QString& path) {
  const QByteArray bytes = ReadSkinFile(path, kMaxOptionsSize);
  return FromBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             std::size_t(bytes.size())));
}

const SkinOptionsIni::Section* SkinOptionsIni::Find(const QString& section) const {
  const auto found = sectionIndex_.constFind(section.toUpper());
  return found == sectionIndex_.constEnd() ? nullptr : &sections_[*found];
}

QStringList SkinOptionsIni::Sections() const {
  QStringList out;
  for (const Section& s : sections_) out << s.name;
  return out;
}

QStringList SkinOptionsIni::Keys(const QString& section) const {
  QStringList out;
  if (const Section* s = Find(section))
    for (const Entry& e : s->values) out << e.key;
  return out;
}

bool SkinOptionsIni::SectionExists(const QString& section) const {
  return Find(section) != nullptr;
}

QString SkinOptionsIni::ReadString(const QString& section, const QString& key,
                                   const QString& def) const {
  const Section* s = Find(section);
  if (!s) return def;
  const auto found = s->index.constFind(key.toUpper());
  return found == s->index.constEnd() ? def : s->values[*found].value;
}

int SkinOptionsIni::ReadInteger(const QString& section, const QString& key, int def) const {
  const QString v = ReadString(section, key, QString());
  return v.isEmpty() ? def : StrToIntDef(v, def);
}

}  // namespace kelmo::skin
