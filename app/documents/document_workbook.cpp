// The life cycle of a document workbook (see document_workbook.h).
#include "document_workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "workbook/workbook_error.h"

namespace kelmo {

namespace {

const QString kErrorCaption = QStringLiteral("Ошибка");

[[noreturn]] void Unavailable(const QString& reason) {
  throw DocumentStop(DocumentStopKind::ExcelUnavailable, QStringLiteral("Ошибка!"),
                     ExcelUnavailableText(reason));
}

}  // namespace

DocumentStop::DocumentStop(DocumentStopKind kind, const QString& caption, const QString& text)
    : std::runtime_error(text.toStdString()), kind_(kind), caption_(caption), text_(text) {}

DocumentSaveError::DocumentSaveError(const QString& text)
    : std::runtime_error(text.toStdString()) {}

QString ExcelUnavailableText(const QString& reason) {
  QString text = QStringLiteral("Выгрузка в Excel не возможна!");
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
  return text;
}

QString TemplatePath(const QString& folder, const QString& name) {
  if (folder.isEmpty()) return QLatin1Char('/') + name;
  return QDir(folder).filePath(name);
}

void RequireTemplateFolder(const QString& folder) {
  if (folder.trimmed().isEmpty())
    throw DocumentStop(DocumentStopKind::TemplateFolderMissing, kErrorCaption,
                       QStringLiteral("Не найден путь к файлам шаблонам! Прдолжение невозможно."));
}

bool TemplatePresent(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && !info.isSymLink();
}

void RequireTemplate(const QString& path) {
  if (!TemplatePresent(path))
    throw DocumentStop(DocumentStopKind::TemplateMissing, kErrorCaption,
                       QStringLiteral("Не найден файл-шаблон ") + QDir::toNativeSeparators(path));
}

void RemoveOldOutput(const QString& path) {
  if (QFileInfo(path).isFile()) QFile::remove(path);
}

std::unique_ptr<workbook::ExcelApplication> NewDocumentApplication() {
  try {
    return std::make_unique<workbook::ExcelApplication>();
  } catch (const std::exception& error) {
    Unavailable(QString::fromUtf8(error.what()));
  }
}

void SaveDocumentFile(workbook::Workbook& book, const QString& path) {
  const QFileInfo target(path);
  const QString folder = target.absolutePath();
  const QFileInfo folderInfo(folder);
  if (!folderInfo.isDir())
    throw DocumentSaveError(QStringLiteral("Не удалось сохранить книгу ") + path +
                            QStringLiteral(": нет папки ") + folder);
  // A spreadsheet program that has the file open keeps its lock file beside
  // it; replacing the file under it would lose what the user sees there.
  const QString lock =
      QDir(folder).filePath(QStringLiteral(".~lock.") + target.fileName() + QLatin1Char('#'));
  if (QFileInfo::exists(lock))
    throw DocumentSaveError(QStringLiteral("Не удалось сохранить книгу ") + path +
                            QStringLiteral(": файл открыт в другой программе"));
  constexpr QFile::Permissions kAnyWrite =
      QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  // A file or folder without any write permission counts as read-only even
  // for an account that the system would let write there.
  if (target.exists() &&
      (!target.isFile() || !target.isWritable() || !(target.permissions() & kAnyWrite)))
    throw DocumentSaveError(QStringLiteral("Не удалось сохранить книгу ") + path +
                            QStringLiteral(": файл доступен только для чтения"));
  QTemporaryFile part(
      QDir(folder).filePath(QLatin1Char('.') + target.fileName() + QStringLiteral(".XXXXXX")));
  if (!folderInfo.isWritable() || !(folderInfo.permissions() & kAnyWrite) || !part.open())
    throw DocumentSaveError(QStringLiteral("Не удалось сохранить книгу ") + path +
                            QStringLiteral(": нет доступа на запись в папку ") + folder);
  part.close();
  try {
    book.SaveAs(part.fileName().toStdString());
  } catch (const workbook::WorkbookError& error) {
    throw DocumentSaveError(QStringLiteral("Не удалось сохранить книгу ") + path +
                            QStringLiteral(": ") + QString::fromUtf8(error.what()));
  }
  const QByteArray from = QFile::encodeName(part.fileName());
  const QByteArray to = QFile::encodeName(target.absoluteFilePath());
  if (std::rename(from.constData(), to.constData()) != 0)
    throw DocumentSaveError(QStringLiteral("Не удалось сохранить книгу ") + path +
                            QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
  // The file now stands under the final name; the temporary object must not
  // remove it.
  part.setAutoRemove(false);
}

DocumentWorkbook::DocumentWorkbook(workbook::ExcelApplication& app, const QString& templatePath,
                                   const std::vector<std::pair<int, int>>& needed)
    : app_(app), template_(templatePath) {
  try {
    app.Open(templatePath.toStdString());
  } catch (const workbook::WorkbookError& error) {
    Unavailable(QString::fromUtf8(error.what()));
  }
  for (const auto& [row, column] : needed) {
    if (!app.ActiveSheet().IsEmpty(row, column)) continue;
    app.SetDisplayAlerts(false);
    app.CloseAll();
    Unavailable(templatePath + QStringLiteral(": шаблон не содержит строк документа (ячейка ") +
                QString::fromStdString(workbook::FormatCell(row, column)) + QLatin1Char(')'));
  }
}

DocumentWorkbook::~DocumentWorkbook() {
  try {
    if (!app_.HasQuit()) {
      app_.SetDisplayAlerts(false);
      app_.CloseAll();
    }
  } catch (const std::exception&) {
  }
}

workbook::Worksheet& DocumentWorkbook::Sheet() {
  return app_.ActiveSheet();
}

void DocumentWorkbook::Text(int row, int column, const QString& text) {
  Sheet().SetText(row, column, text.toStdString());
}

void DocumentWorkbook::Integer(int row, int column, qint64 value) {
  Sheet().SetNumber(row, column, static_cast<double>(value));
}

void DocumentWorkbook::Number(int row, int column, double value) {
  Sheet().SetNumber(row, column, value);
}

void DocumentWorkbook::Save(const QString& path) {
  SaveDocumentFile(app_.ActiveWorkbook(), path);
}

}  // namespace kelmo
