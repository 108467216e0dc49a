// Fuzzes the INI reader and writer. The input's first line names a section
// and a key ("Section|Key"), the rest is the file. The key is read as text
// and as a number, then written; when the section and key are plain names,
// reading the key back must give the value written.
#include <QString>
#include <cstdint>
#include <string>

#include "fuzz_scratch.h"
#include "shell/ini_file.h"

namespace {

bool PlainName(const QString& s) {
  if (s.isEmpty()) return false;
  for (QChar c : s)
    if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_')) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t eol = input.find('\n');
  const std::string query = input.substr(0, eol);
  const std::string body = eol == std::string::npos ? std::string() : input.substr(eol + 1);
  const size_t bar = query.find('|');
  const QString section = QString::fromLatin1(query.substr(0, bar));
  const QString key =
      QString::fromLatin1(bar == std::string::npos ? std::string("Key") : query.substr(bar + 1));

  static const std::string path = FuzzScratchFolder() + "/fuzz.ini";
  FuzzWriteFile(path, reinterpret_cast<const uint8_t*>(body.data()), body.size());
  kelmo::IniFile ini(QString::fromStdString(path));
  ini.ReadString(section, key, QStringLiteral("fallback"));
  ini.ReadInteger(section, key, -1);
  const QString written = QStringLiteral("значение = 1 ;x");
  if (ini.WriteString(section, key, written) && PlainName(section) && PlainName(key) &&
      ini.ReadString(section, key, QString()) != written)
    __builtin_trap();
  return 0;
}
