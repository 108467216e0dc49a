// File names that the program matches without regard to case, as the
// workstations' file systems do. Every such look-up goes through here.
#pragma once

#include <QString>
#include <QStringList>

namespace kelmo {

// Whether the name matches a mask of "*" (any run, empty too) and "?"
// (exactly one character), compared without regard to case. Cost: linear in
// the lengths for the usual masks.
bool MatchesFileMask(const QString& name, const QString& mask);

// Names (no folder) of the regular files of the folder that match the mask,
// ordered by name without regard to case (the order a Windows folder lists
// them in), hidden files included, symbolic links to files included.
// A missing or unreadable folder gives an empty list. Cost: one folder read.
QStringList FindFilesNoCase(const QString& folder, const QString& mask);

// The full path of the entry of the folder whose name equals `name` without
// regard to case; the exact name wins over other spellings; empty when there
// is none. Cost: one folder read unless the exact name exists.
QString FindFileNoCase(const QString& folder, const QString& name);

}  // namespace kelmo
