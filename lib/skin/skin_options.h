// The options text of a skin ("Options.dat", or the options stream of a
// ".skz" package): INI text held in memory, read like the framework's
// TMemIniFile. Section and key look-ups ignore case; values come back as
// written (only the line's end is cut); sections keep the order of their
// first appearance, and a repeated section or key adds nothing new (the
// first value holds).
//
// The text is untrusted: it is refused above kMaxOptionsSize bytes, and
// reading is linear in its size. Bytes are taken as Latin-1.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace kelmo::skin {

// The framework's conversion error: "'<text>' is not a valid integer value".
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An options text too large to be one, or an unreadable file; the message
// names the file.
class ESkinOptionsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::int64_t kMaxOptionsSize = 8 << 20;

class SkinOptionsIni {
 public:
  SkinOptionsIni() = default;
  static SkinOptionsIni FromBytes(std::span<const std::uint8_t> bytes);
  // Reads a regular file (not through a link); raises ESkinOptionsError.
  static SkinOptionsIni FromFile(const QString& path);

  QStringList Sections() const;
  // The keys of a section in the order written, with the names as written
  // (the first spelling of a repeated key); empty for a missing section.
  QStringList Keys(const QString& section) const;
  bool SectionExists(const QString& section) const;
  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  // StrToIntDef: a decimal or "$"/"0x" hexadecimal whole number, else def.
  int ReadInteger(const QString& section, const QString& key, int def) const;

 private:
  struct Entry {
    QString key;  // as written
    QString value;
  };
  struct Section {
    QString name;
    std::vector<Entry> values;
    QHash<QString, std::size_t> index;  // upper-case key -> position in values
  };
  const Section* Find(const QString& section) const;
  std::vector<Section> sections_;
  QHash<QString, std::size_t> sectionIndex_;  // upper-case name -> position
};

// The bytes of a regular file (not a link) of at most `limit` bytes;
// raises ESkinOptionsError naming the file.
QByteArray ReadSkinFile(const QString& path, std::int64_t limit);

// The framework's StrToInt: raises EConvertError for a text that is not a
// whole number; StrToIntDef gives def instead.
int StrToInt(const QString& text);
int StrToIntDef(const QString& text, int def);

}  // namespace kelmo::skin
