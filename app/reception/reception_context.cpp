// The run context's helpers: DBF queries over the working copy, file names,
// the progress window.
#include "reception_context.h"

#include <QDir>
#include <QFileInfo>

#include "filenames/file_lookup.h"
#include "shell/progress_window.h"

namespace kelmo {

std::unique_ptr<dbfsql::TXtQuery> ReceptionContext::DbfQuery(const QStringList& lines) const {
  auto query = std::make_unique<dbfsql::TXtQuery>();
  query->SetDatabaseName(WorkFolder);
  query->SetSQL(lines);
  return query;
}

QString ReceptionContext::RegistryFile(const QString& name) const {
  return QDir(RegistryFolder).filePath(name);
}

QString ReceptionContext::WorkFile(const QString& name) const {
  return QDir(WorkFolder).filePath(name);
}

QString ReceptionContext::FindRegistryFile(const QString& name) const {
  return FindFileNoCase(RegistryFolder, name);
}

QString ReceptionContext::FindInstitutionWorkbook(const QString& xlsName) const {
  QString found = FindRegistryFile(xlsName);
  if (found.isEmpty()) found = FindRegistryFile(xlsName + QLatin1Char('x'));
  return found;
}

void ReceptionContext::BeginPhase(const QString& caption, int recordCount) const {
  if (Progress) Progress->BeginPhase(caption, recordCount);
}

void ReceptionContext::StepRecord() const {
  if (Progress) Progress->StepRecord();
}

}  // namespace kelmo
