// Directory walk (see dir_search.h).
#include "dir_search.h"

#include <algorithm>

#include "file_helpers.h"
#include "wildcard_match.h"

namespace fs = std::filesystem;

namespace kelmo::zip {

std::uint32_t FileAttributesOf(const std::string& path) {
  std::error_code ec;
  std::string p = WithoutTrailingBackslash(path);
  auto st = fs::status(p, ec);
  if (ec || !fs::exists(st)) return 0;
  std::uint32_t a = 0;
  if (fs::is_directory(st))
    a |= kAttrDirectory;
  else
    a |= kAttrArchive;
  if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) a |= kAttrReadOnly;
  std::string name = fs::path(p).filename().string();
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= kAttrHidden;
  return a;
}

TDirSearch::TDirSearch(const std::string& start_folder, const std::string& file_pattern,
                       bool recurse, std::uint32_t attribute_mask)
    : start_(start_folder), pattern_(file_pattern), recurse_(recurse), mask_(attribute_mask) {
  if (start_.empty()) start_ = "./";
  if (start_.back() != '/') start_ += '/';
  if (HasWildcardChars(start_)) {
    std::size_t w = start_.find_first_of("*?<>|");
    std::size_t cut = start_.rfind('/', w);
    std::string rest = start_.substr(cut + 1);
    start_ = start_.substr(0, cut + 1);
    std::size_t b = 0;
    while (b < rest.size()) {
      std::size_t e = rest.find('/', b);
      if (e == std::string::npos) e = rest.size();
      if (e > b) segments_.push_back(rest.substr(b, e - b));
      b = e + 1;
    }
  }
  Push(start_);
}

void TDirSearch::Push(const std::string& folder) {
  Level level;
  level.folder = folder;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    level.entries.push_back(*it);
  std::sort(level.entries.begin(), level.entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  levels_.push_back(std::move(level));
}

bool TDirSearch::NextFile(std::string& path) {
  while (!levels_.empty()) {
    Level& level = levels_.back();
    std::size_t depth = levels_.size() - 1;
    if (level.next >= level.entries.size()) {
      levels_.pop_back();
      continue;
    }
    const fs::directory_entry& entry = level.entries[level.next++];
    std::string name = entry.path().filename().string();
    std::error_code ec;
    bool is_dir = entry.is_directory(ec);
    std::uint32_t attrs = FileAttributesOf(entry.path().string());
    if ((attrs & kAttrHidden) && !(mask_ & kAttrHidden)) continue;
    if ((attrs & kAttrReadOnly) && !(mask_ & kAttrReadOnly)) continue;
    if (depth < segments_.size()) {
      if (is_dir && WildcardMatch(segments_[depth], name)) Push(level.folder + name + "/");
      continue;
    }
    if (is_dir) {
      if (recurse_ && levels_.size() <= 20) {
        std::string sub = level.folder + name + "/";
        Push(sub);
        path = sub;
        return true;
      }
      continue;
    }
    std::string probe = name.find('.') == std::string::npos ? name + "." : name;
    if (WildcardMatch(pattern_, probe)) {
      path = level.folder + name;
      return true;
    }
  }
  return false;
}

}  // namespace kelmo::zip
