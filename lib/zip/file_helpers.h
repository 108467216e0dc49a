// File, folder, date and text helpers of the zip library: the MS-DOS date and
// time, folder creation, moving files, temporary names and the few disk
// services the library asks about (on Linux there are no volume labels and no
// removable-drive letters: labels read empty and setting one fails).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace kelmo::zip {

// MS-DOS date-time: low word time (sec/2, min, hour), high word date (day,
// month, year - 1980). Out-of-range fields are clamped (hour 23, minute 59,
// second 58, year 2099, month 1..12, day >= 1); a valid value is returned
// unchanged. The day is not tested against the month's length.
std::uint32_t ValidDosDateTime(std::uint32_t dos);
// Local time of a DOS value; false when the date does not exist (31 April).
bool DosDateTimeToTime(std::uint32_t dos, std::time_t& out);
// DOS value of a local time (seconds rounded down to even; before 1980 gives
// 1 January 1980).
std::uint32_t TimeToDosDateTime(std::time_t t);
// Last-write time of a file or folder as a DOS value, made valid; a missing
// file gives 31.12.2099 23:59:58.
std::uint32_t FileDosDateTimeOf(const std::string& path);
// FileDosDateTimeOf as a time; an impossible day gives the current time.
std::time_t FileDateTimeOf(const std::string& path);

// part * 100 / whole rounded half to even, at most 100; 0 for whole <= 0.
int PercentOf(std::int64_t part, std::int64_t whole);

// One trailing separator removed ("/" on this platform, "\" accepted too).
std::string WithoutTrailingBackslash(std::string path);
// Creates the folder and its missing parents; errors are ignored.
void CreateFolderTree(const std::string& path);
inline void ForceFolders(const std::string& path) {
  CreateFolderTree(path);
}
bool FolderExists(const std::string& path);
bool IsExistingFile(const std::string& path);
// Renames source to target (replacing it); false when the rename fails
// (another file system). The old target is never removed before the source
// is in its place.
bool RenameOnSameDrive(const std::string& source, const std::string& target);
// Renames, else copies to a sibling of target and renames that into place.
// A copy of 0 bytes raises EQorZipException "Error: Could not copy from
// <source> -> <target>". The source stays after a copy.
void MoveOrCopyFile(const std::string& source, const std::string& target);
// A new, created, empty file in folder whose name starts with "KPZ".
std::string TempFileNameIn(const std::string& folder);
// True when the path holds one of * ? < > |
bool HasWildcardChars(std::string_view path);
std::string LastChars(const std::string& text, std::size_t n);
std::string FirstChars(const std::string& text, std::size_t n);
void BackslashesToSlashes(std::string& name);
void SlashesToBackslashes(std::string& name);
// Replaces characters that have no DOS 866 form by "?".
void RoundTripOem(std::string& text);
// Volume services: no labels and no removable drives on this platform.
std::string GetDiskLabel(const std::string& drive_root);
bool SetDiskLabel(const std::string& drive_root, const std::string& label);
bool IsRemovableDrive(const std::string& drive_root);
// Free bytes of the file system holding path (its folder when it does not
// exist yet).
std::int64_t DiskFreeOf(const std::string& path);

// The folder part (up to and including the last "/") and the name part.
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);

}  // namespace kelmo::zip
