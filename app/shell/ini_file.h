// An INI file as the program's configuration reads and writes it: text in
// code page 1251, sections and keys matched without regard to case, lines
// beginning with ";" are comments, values trimmed (one pair of enclosing
// double quotes removed). Writing a key rewrites only that key's line (or
// adds it at the end of its section), keeping every other line and the CRLF
// line ends.
#pragma once

#include <QString>
#include <optional>

namespace kelmo {

class IniFile {
 public:
  explicit IniFile(const QString& path) : path_(path) {}
  const QString& path() const { return path_; }

  // The value of the first line of the key in the section; nothing when the
  // file, the section or the key is missing. An existing key with an empty
  // value gives "". Reads the file on every call (edits made while the
  // program runs are seen). Cost: one read of the file.
  std::optional<QString> Value(const QString& section, const QString& key) const;
  QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
  // A value that is not a whole decimal number (empty, "abc", "1.5") gives
  // the fallback.
  int ReadInteger(const QString& section, const QString& key, int fallback) const;

  // Writes the key, creating the file and the section when missing. Returns
  // false when the file cannot be written. Cost: one read and one write.
  bool WriteString(const QString& section, const QString& key, const QString& value);

 private:
  QString path_;
};

}  // namespace kelmo
