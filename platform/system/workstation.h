// The workstation's name and the program registered for a file type.
#pragma once

#include <QString>

namespace kelmo {

// The host name in upper case. Cost: one system call.
QString ComputerName();

// The command line that opens files of the extension (without the dot): the
// Exec line of the desktop's default application for the extension's type
// (xdg-mime), otherwise the path of a program of that name on PATH ("rar"),
// otherwise empty. Cost: starts xdg-mime once, reads one .desktop file.
QString RegisteredOpenCommand(const QString& extension);

}  // namespace kelmo
