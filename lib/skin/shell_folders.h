// Item identifier lists (the shell's paths as byte sequences: items that
// begin with a 16-bit little-endian size counting its own two bytes, ended
// by a 16-bit zero) and the folder node that holds them. There is no shell
// namespace on this platform: the desktop's list is the empty list and a
// node holds no folder interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelmo::skin {

using IdList = std::vector<std::uint8_t>;

// size zeroed bytes.
IdList NewIdList(std::size_t size);
// The offset of the item after the one at offset.
std::size_t NextIdItem(const IdList& list, std::size_t offset);
// 0 for no list; otherwise the items' sizes plus 2 for the terminator.
// Items that run past the bytes end the walk.
std::size_t IdListSize(const IdList* list);
IdList CopyIdList(const IdList& list);
// The first without its terminator followed by the whole second.
IdList JoinIdLists(const IdList* first, const IdList& second);
// The desktop's list: only the terminator.
IdList GetDesktopIdList();

class TkaShellFolder {
 public:
  TkaShellFolder(TkaShellFolder* parent, const IdList& relative);
  TkaShellFolder* Parent() const { return parent_; }
  int Level() const { return level_; }
  const IdList& RelativeList() const { return relative_; }
  const IdList& AbsoluteList() const { return absolute_; }
  std::vector<std::string> Names;

 private:
  TkaShellFolder* parent_;
  IdList relative_, absolute_;
  int level_ = 0;
};

// The desktop folder node, made once (InitDesktopShellFolder) and freed at
// close-down (DoneDesktopShellFolder).
TkaShellFolder* DesktopShellFolder();
void InitDesktopShellFolder();
void DoneDesktopShellFolder();

}  // namespace kelmo::skin
