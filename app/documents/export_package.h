// The package of an XML export: the person and main files of the export
// (ordinary and oncology pairs), the reference files of the received package
// and the register workbooks written for the same addressee, deflated at the
// best level into one zip file named like the package's main file, entries
// without folders (names in the DOS code page where they have a form there,
// Cyrillic included, with their UTF-8 form beside them). The XML files
// packed are then removed from the export folder; the package and the
// workbooks stay.
//
// A package is written fresh: an earlier package of the name is replaced as
// a whole, so it never keeps an entry of an earlier run. Names that do not
// stand for a regular file (missing reference files, say, or a link) are
// left out.
//
// Errors: the zip library's (EQorZipException, EStreamError) end the packing;
// no half-written package is left and the XML files stay.
#pragma once

#include <QString>
#include <QStringList>

#include "domain/package_lists.h"

namespace kelmo {

struct ExportPackageInputs {
  // The export folder: the registry folder's "temp/<label>".
  QString ExportFolder;
  // The registry folder's "temp", where the reference files lie.
  QString TempFolder;
  // The chosen addressee's file entry (LName, HName, LcName, CName).
  rFile File;
  // The first sender's number (the institution's code) of the reference
  // files' names.
  int SenderNumber = 0;
  // The workbooks that go with the package: the insurer's treated-patient
  // registers, or the out-of-region ones.
  QStringList Workbooks;
};

// The package's file in `folder`: "<HName>.zip", or "H" + CName without its
// first character + ".zip" when the package has no ordinary main file.
QString ExportPackageFile(const QString& folder, const rFile& file);
QString ExportPackageFile(const ExportPackageInputs& in);

// The files the package holds, in their order: the ordinary pair (when HName
// is set), the oncology pair (when CName is set), "EMP_LIST_<n>.XML",
// "DEP_LIST_<n>.XML", "HOLDING.XML" of the temp folder, the workbooks.
QStringList ExportPackageContents(const ExportPackageInputs& in);

// Writes the package and removes the packed XML files; returns the package's
// path. Cost: each file read once.
QString PackExport(const ExportPackageInputs& in);

}  // namespace kelmo
