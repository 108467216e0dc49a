// The export and package of an insurer's documents (see insurer_export.h).
#include "insurer_export.h"

#include <QDir>

#include "export_package.h"
#include "xml_export.h"

namespace kelmo {

QString ExportInsurerCases(InsurerDocumentContext& ctx) {
  const XmlExportResult exported = WriteInsurerXmlExport(ctx);
  if (!exported.Written) return QString();
  const InsurerDocumentInputs& run = ctx.In;
  const InsurerDocumentServices& sv = ctx.Services;
  ExportPackageInputs package;
  package.ExportFolder = exported.Folder;
  package.TempFolder = QDir(run.RegistryFolder).filePath(QStringLiteral("temp"));
  package.File = exported.File;
  package.SenderNumber = sv.Lists.SenderList.isEmpty() ? 0 : sv.Lists.SenderList.first().Number;
  package.Workbooks = run.OutOfRegion ? run.PackageFiles : ctx.PackageWorkbooks;
  const QString path = PackExport(package);
  // Only a package that stands marks its reports uploaded.
  MarkReportsUploaded(sv.Db, sv.Tr, exported.ReportsToMark);
  return path;
}

}  // namespace kelmo
