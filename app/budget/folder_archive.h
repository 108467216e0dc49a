// Putting a formed report's files away in a sub-folder of the registry
// folder: the input tables are copied, the documents and the protocol moved.
// A move deletes its source only after the copy succeeded; what could not be
// copied or deleted is returned, so the caller can report it. Links are
// never followed out of a folder.
#pragma once

#include <QString>
#include <QStringList>

namespace kelmo {

// Copies a file into a folder (replacing a file of that name); true on
// success.
bool CopyIntoFolder(const QString& file, const QString& folder);

// Copies the tree of `source` into `destination` (made when missing). An
// existing destination file is replaced when `overwrite`, else kept and
// counted as copied. With `stopOnFailure` the walk ends at the first failure.
// True when every entry was copied.
bool CopyFolderTree(const QString& source, const QString& destination, bool stopOnFailure,
                    bool overwrite);

// Deletes a folder tree, read-only files included; the names that could not
// be deleted are appended to `failures`.
void DeleteFolderTree(const QString& folder, QStringList& failures);

struct ArchiveResult {
  QString ProtocolPath;  // where the protocol is now (unchanged when not moved)
  QStringList Failures;  // "<file>" that could not be copied or deleted
};

// The budget's archive: folder "Бюджет" of `registryFolder`; the tables are
// copied, the documents of type N and the protocol moved.
ArchiveResult ArchiveBudgetFiles(const QString& registryFolder, int stacType,
                                 const QString& protocolPath);

// The reception's archive: folder `payFolderWord`; its tables copied, its
// documents and protocol moved, and the split-report folder "Отчет по
// стационару" moved into the archive.
ArchiveResult ArchiveOmsFiles(const QString& registryFolder, int stacType,
                              const QString& payFolderWord, const QString& protocolPath);

}  // namespace kelmo
