// The run context's helpers: DBF queries over the working copy, file names,
// the user of the run.
#include "reception_context.h"

#include <QDir>
#include <QFileInfo>

#include "filenames/file_lookup.h"
#include "institution_workbooks.h"
#include "shell/window_run_user.h"

namespace kelmo {

ReceptionContext::ReceptionContext(ReceptionState& state, FbDatabase& db, FbTransaction& tr,
                                   const ReceptionInputs& inputs, RunUser* user)
    : ReceptionInputs(inputs), State(state), Db(db), Tr(tr), user_(user) {}

RunUser& ReceptionContext::User() const {
  if (user_) return *user_;
  static WindowRunUser withoutWindows;
  return withoutWindows;
}

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
  return kelmo::FindInstitutionWorkbook(RegistryFolder, xlsName);
}

void ReceptionContext::BeginPhase(const QString& caption, int recordCount) const {
  User().BeginPhase(caption, recordCount);
}

void ReceptionContext::StepRecord() const {
  User().StepRecord();
}

}  // namespace kelmo
