// The act of primary technological control: a text file in code page 1251
// with CR LF line ends, written line by line while the run goes on. Every
// line reaches the disk before the call returns, so a run that ends
// abnormally still leaves everything it wrote readable.
//
// Errors: ActFileError "Не удалось создать файл <path>" when the file cannot
// be created or emptied, "Не удалось записать в файл <path>" when a write
// fails, "Акт не открыт" when written after Close. Cost: one write and one
// flush per line.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <utility>

namespace kelmo {

class ActFileError : public std::runtime_error {
 public:
  explicit ActFileError(const QString& text);
};

class ActFile {
 public:
  ActFile();
  ~ActFile();
  ActFile(const ActFile&) = delete;
  ActFile& operator=(const ActFile&) = delete;

  // Creates the file, or empties an existing one, and keeps it open.
  void Create(const QString& path);
  bool IsOpen() const;
  // The full name of the act (ActFileName), kept after Close.
  const QString& FileName() const { return fileName_; }

  // Appends one line; an empty text writes an empty line.
  void WriteLine(const QString& line = QString());
  void WriteLines(const QStringList& lines);
  // Closes the file; nothing more is written to it. Harmless when closed.
  void Close();

 private:
  QString fileName_;
  std::unique_ptr<QFile> file_;
};

// The act's table cells: the text with blanks before it up to the width; a
// longer text is written whole.
QString RightAligned(const QString& text, int width);
// A rule of `length` characters `c` ("-" or "=").
QString RuleLine(QChar c, int length);
// "|" + each cell right-aligned in its width + "|" ... "|".
QString TableRow(std::initializer_list<std::pair<QString, int>> cells);

// The separator of the stop block: 65 "=".
QString StopSeparator();

}  // namespace kelmo
