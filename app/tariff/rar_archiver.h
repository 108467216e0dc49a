// The RAR archiver as the out-of-region check uses it: the program "rar" in
// the folder of the program registered for the extension "rar"
// (ProgramForExtension), run as "rar a -ep <archive> <file>" with each path
// one argument (no shell, so spaces and quotes in paths are harmless).
#pragma once

#include <QString>

namespace kelmo::tariff {

// The archiver's path: "rar" beside the program registered for "rar", when
// it is an executable file; empty when there is none.
QString FindRarArchiver();

// Packs `file` into `archiveBase` + ".rar" (without the file's folder) and
// waits for the archiver to end, at most `timeoutMs` (then it is stopped).
// True when it ended normally with exit code 0 and the archive is a regular
// file; an archiver that cannot be started, fails or hangs gives false.
bool PackWithRar(const QString& archiver, const QString& archiveBase, const QString& file,
                 int timeoutMs = 60000);

}  // namespace kelmo::tariff
