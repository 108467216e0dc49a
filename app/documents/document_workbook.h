// The life cycle of a document workbook of a formation: the template folder
// and the template are tested, the template is opened through the workbook
// layer, filled, saved under the document's name and closed. The template
// itself is never written.
//
// Stops (the run ends, with a message box and nothing in the act):
// - the template folder is empty: "Не найден путь к файлам шаблонам!
//   Прдолжение невозможно.";
// - a template is missing: "Не найден файл-шаблон " + the template's path;
// - a template cannot be opened as a workbook (damaged, or lacking the rows
//   the document fills), or the application cannot be made: "Выгрузка в
//   Excel не возможна!" with the reason naming the file on the next line.
//
// Saving never leaves a half-written workbook under the final name: the
// workbook is written to a hidden file beside it and renamed over it only
// when complete. An output file that is open in a spreadsheet program (its
// lock file is present) or read-only, or a folder that cannot be written,
// raises DocumentSaveError naming the file; an older file of the name stays.
#pragma once

#include <QString>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "workbook/excel_application.h"

namespace kelmo {

enum class DocumentStopKind {
  ExcelUnavailable,       // the run's stop 14
  TemplateMissing,        // 15
  TemplateFolderMissing,  // 16
};

// A stop of a document phase: the message box's caption and text.
class DocumentStop : public std::runtime_error {
 public:
  DocumentStop(DocumentStopKind kind, const QString& caption, const QString& text);
  DocumentStopKind Kind() const { return kind_; }
  const QString& Caption() const { return caption_; }
  const QString& Text() const { return text_; }

 private:
  DocumentStopKind kind_;
  QString caption_;
  QString text_;
};

// A document that could not be saved; the text names the file and why.
class DocumentSaveError : public std::runtime_error {
 public:
  explicit DocumentSaveError(const QString& text);
};

// `folder` + "/" + `name` (with an empty folder "/" + name, which is then
// reported missing).
QString TemplatePath(const QString& folder, const QString& name);
// Stop 16 when the template folder is empty.
void RequireTemplateFolder(const QString& folder);
// Whether the template is a regular file (a link or a folder is not).
bool TemplatePresent(const QString& path);
// Stop 15 when the template is not present.
void RequireTemplate(const QString& path);
// Deletes an earlier output when it exists; a failed deletion is ignored.
void RemoveOldOutput(const QString& path);
// A new spreadsheet application for a document set; stop 14 when it cannot
// be made.
std::unique_ptr<workbook::ExcelApplication> NewDocumentApplication();

// Saves the workbook as `path` without a half-written file ever standing
// under that name (see above). Raises DocumentSaveError.
void SaveDocumentFile(workbook::Workbook& book, const QString& path);

// One document opened from its template in an application; closing it (the
// destructor) closes every workbook of the application without saving.
class DocumentWorkbook {
 public:
  // Opens the template (stop 14 when the workbook layer cannot read it).
  // `needed` are cells that the template must hold a text in (the captions
  // of the rows and columns the document fills); a template lacking one is
  // refused as not laid out for the document (stop 14).
  DocumentWorkbook(workbook::ExcelApplication& app, const QString& templatePath,
                   const std::vector<std::pair<int, int>>& needed = {});
  ~DocumentWorkbook();
  DocumentWorkbook(const DocumentWorkbook&) = delete;
  DocumentWorkbook& operator=(const DocumentWorkbook&) = delete;

  workbook::Worksheet& Sheet();
  workbook::ExcelApplication& App() { return app_; }
  void Text(int row, int column, const QString& text);
  void Integer(int row, int column, qint64 value);
  void Number(int row, int column, double value);
  // Saves the filled workbook as `path` (SaveDocumentFile).
  void Save(const QString& path);

 private:
  workbook::ExcelApplication& app_;
  QString template_;
};

// The stop-14 text: the Part's message and, on the next line, the reason.
QString ExcelUnavailableText(const QString& reason);

}  // namespace kelmo
