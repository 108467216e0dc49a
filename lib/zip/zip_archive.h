// The zip library in one include: the reader TQorUnZip and the writer TQorZip.
//
// Reading (a registry package, an .xlsx template):
//   kelmo::zip::TQorUnZip unzip;
//   unzip.SetZipName(path);
//   unzip.ReadDirectory();                         // directory only
//   for (int i = 0; i < unzip.EntryCount(); ++i)
//     unzip.Entry(i).FullName();                   // "xl/workbook.xml"
//   auto bytes = unzip.ExtractToMemory(unzip.FindEntry("xl/workbook.xml"));
//   unzip.SetDestDir(folder); unzip.SetDoAll(true); unzip.Extract();
//
// Writing (an export package, an .xlsx workbook):
//   kelmo::zip::TQorZip zip;
//   zip.SetZipName(path);  zip.SetPackLevel(9);    // 0 stores
//   zip.FilesList() = {file1, file2};              // files from disk
//   zip.AddFromMemory("xl/workbook.xml", bytes);   // entries from memory
//   zip.Compress();                                // entries added
//
// An existing ZipName is updated (same names replaced when newer, the rest
// kept); delete the file first for a fresh archive. Errors are exceptions of
// the EQorZipException family (zip_errors.h); per-entry problems come through
// the events (TUnZipEvents, TZipEvents). Questions for the user go through a
// TZipInteraction given with SetInteraction.
#pragma once

#include "zip_errors.h"
#include "zip_interaction.h"
#include "zip_reader.h"
#include "zip_writer.h"
