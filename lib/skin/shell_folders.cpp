#include "skin/shell_folders.h"

namespace kelmo::skin {
namespace {
std::unique_ptr<TkaShellFolder>& Desktop() {
  static std::unique_ptr<TkaShellFolder> node;
  return node;
}
bool g_buildingDesktop = false;

std::size_t ItemSize(const IdList& list, std::size_t offset) {
  if (offset + 2 > list.size()) return 0;
  return std::size_t(list[offset]) | std::size_t(list[offset + 1]) << 8;
}
}  // namespace

IdList NewIdList(std::size_t size) {
  return IdList(size, 0);
}

std::size_t NextIdItem(const IdList& list, std::size_t offset) {
  return offset + ItemSize(list, offset);
}

std::size_t IdListSize(const IdList* list) {
  if (!list) return 0;
  std::size_t total = 0;
  for (std::size_t at = 0;;) {
    const std::size_t n = ItemSize(*list, at);
    if (n == 0 || at + n > list->size()) break;
    total += n;
    at += n;
  }
  return total + 2;
}

IdList CopyIdList(const IdList& list) {
  const std::size_t n = std::min(IdListSize(&list), list.size());
  IdList out(list.begin(), list.begin() + std::ptrdiff_t(n));
  out.resize(IdListSize(&list), 0);
  return out;
}

IdList JoinIdLists(const IdList* first, const IdList& second) {
  IdList out;
  if (first) {
    const IdList head = CopyIdList(*first);
    out.assign(head.begin(), head.end() - 2);
  }
  const IdList tail = CopyIdList(second);
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

IdList GetDesktopIdList() {
  return IdList{0, 0};
}

TkaShellFolder::TkaShellFolder(TkaShellFolder* parent, const IdList& relative)
    : parent_(parent), relative_(CopyIdList(relative)) {
  if (parent) {
    absolute_ = JoinIdLists(&parent->absolute_, relative);
  } else {
    const IdList desktop = GetDesktopIdList();
    absolute_ = JoinIdLists(&desktop, relative);
    if (!g_buildingDesktop) parent_ = DesktopShellFolder();
  }
  for (const TkaShellFolder* p = parent ? parent->parent_ : nullptr; p; p = p->parent_) ++level_;
}

TkaShellFolder* DesktopShellFolder() {
  return Desktop().get();
}

void InitDesktopShellFolder() {
  if (Desktop()) return;
  g_buildingDesktop = true;
  Desktop() = std::make_unique<TkaShellFolder>(nullptr, GetDesktopIdList());
  g_buildingDesktop = false;
}

void DoneDesktopShellFolder() {
  Desktop().reset();
}

}  // namespace kelmo::skin
