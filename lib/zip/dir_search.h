// A walk over the files of a folder (and, when asked, its sub-folders) that
// match a wildcard pattern, one file per call. Folder parts of the start
// folder may hold wildcards themselves ("/data/m*/in/"). Hidden entries (a
// name beginning with ".") are returned only when the attribute mask has the
// hidden bit. Folders that cannot be read are passed over; at most 20 levels
// below the start folder are walked.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kelmo::zip {

// Windows attribute bits as this library maps them onto Linux.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;  // no write permission for the owner
inline constexpr std::uint32_t kAttrHidden = 0x02;    // name begins with "."
inline constexpr std::uint32_t kAttrSystem = 0x04;    // never set
inline constexpr std::uint32_t kAttrVolume = 0x08;    // never set
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;  // every regular file

// The attribute byte of a file or folder; 0 when it does not exist.
std::uint32_t FileAttributesOf(const std::string& path);

class TDirSearch {
 public:
  TDirSearch(const std::string& start_folder, const std::string& file_pattern, bool recurse,
             std::uint32_t attribute_mask);
  // The next match: a file path, or with recursion a sub-folder path ending
  // in "/" before its files. False when the walk is over.
  bool NextFile(std::string& path);

 private:
  struct Level {
    std::string folder;  // ends with "/"
    std::vector<std::filesystem::directory_entry> entries;
    std::size_t next = 0;
  };
  void Push(const std::string& folder);
  std::string start_;
  std::string pattern_;
  bool recurse_;
  std::uint32_t mask_;
  std::vector<std::string> segments_;  // wildcard folder segments
  std::vector<Level> levels_;
};

}  // namespace kelmo::zip
