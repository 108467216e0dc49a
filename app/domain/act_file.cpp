// The act file: creation, line writes in code page 1251, table cells.
#include "act_file.h"

#include <QStringEncoder>

namespace kelmo {

ActFileError::ActFileError(const QString& text) : std::runtime_error(text.toStdString()) {}

ActFile::ActFile() = default;
ActFile::~ActFile() {
  Close();
}

void ActFile::Create(const QString& path) {
  Close();
  fileName_ = path;
  auto file = std::make_unique<QFile>(path);
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw ActFileError(QStringLiteral("Не удалось создать файл ") + path);
  file_ = std::move(file);
}

bool ActFile::IsOpen() const {
  return file_ && file_->isOpen();
}

void ActFile::WriteLine(const QString& line) {
  if (!IsOpen()) throw ActFileError(QStringLiteral("Акт не открыт"));
  QStringEncoder encode("windows-1251");
  QByteArray bytes = encode(line);
  bytes.append("\r\n");
  if (file_->write(bytes) != bytes.size() || !file_->flush())
    throw ActFileError(QStringLiteral("Не удалось записать в файл ") + fileName_);
}

void ActFile::WriteLines(const QStringList& lines) {
  for (const QString& line : lines) WriteLine(line);
}

void ActFile::Close() {
  if (file_) {
    file_->close();
    file_.reset();
  }
}

QString RightAligned(const QString& text, int width) {
  if (text.size() >= width) return text;
  return QString(width - text.size(), QLatin1Char(' ')) + text;
}

QString RuleLine(QChar c, int length) {
  return QString(length, c);
}

QString TableRow(std::initializer_list<std::pair<QString, int>> cells) {
  QString line = QStringLiteral("|");
  for (const auto& [text, width] : cells) line += RightAligned(text, width) + QLatin1Char('|');
  return line;
}

QString StopSeparator() {
  return RuleLine(QLatin1Char('='), 65);
}

}  // namespace kelmo
