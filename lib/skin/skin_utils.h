// Small routines the skinning code uses everywhere: integer and rectangle
// helpers, words of a text split at a set of delimiters (skin lists,
// gradient descriptions), a small INI reader over lines already in memory
// (the common sections a program adds to every skin), and path helpers.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "winshim/win_types.h"

namespace kelmo::skin {

// min when value < min, else the smaller of value and max (min <= max is
// not checked).
int ClampInt(int value, int min, int max);
// False when b is empty or the two do not overlap; touching edges do not.
bool RectOverlaps(const winshim::Rect& a, const winshim::Rect& b);

// Words are maximal runs of characters outside `delimiters`; n counts from 1.
int NthWordPos(int n, const QString& text, const QString& delimiters);
QString NthWord(int n, const QString& text, const QString& delimiters);
int WordCountOf(const QString& text, const QString& delimiters);
QString DelChars(const QString& text, QChar c);

// Sections of INI lines: an empty line or one starting with ";" is
// skipped, "[name]" starts a section, any other line belongs to the
// current section; lines before the first section are dropped.
using IniSections = std::vector<std::pair<QString, QStringList>>;
IniSections ParseIniSections(const QStringList& lines);
// The text after "key=" in the section, else def.
QString IniSectionValue(const IniSections& sections, const QString& section, const QString& key,
                        const QString& def);
// The value as a number ("0x" of at least 3 characters read as hexadecimal),
// else def.
int IniSectionInt(const IniSections& sections, const QString& section, int def, const QString& key);

// "" stays ""; a path ending in "\" stays; a trailing "/" becomes "\";
// else "\" is appended, a one-letter path (a drive) getting ":\".
QString AddPathDelimiter(const QString& path);
// The running program's folder with a trailing "/".
QString ExeFolderPath();

}  // namespace kelmo::skin
