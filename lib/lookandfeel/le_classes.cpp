// Foundation layer of the editors library: base classes, resource-text
// entry, separator test and geometric helpers.
#include "le_classes.h"

#include <atomic>

namespace kelmo::le {

namespace {
std::atomic<ResourceTextHookProc> g_resourceTextHook{nullptr};
}  // namespace

std::string LocalizeString(std::string_view source) {
  return std::string(source);
}

void SetResourceTextHook(ResourceTextHookProc hook) {
  g_resourceTextHook.store(hook);
}

ResourceTextHookProc ResourceTextHook() {
  return g_resourceTextHook.load();
}

std::string ApplyResourceTextHook(std::string_view source) {
  if (ResourceTextHookProc hook = g_resourceTextHook.load()) return hook(source);
  return std::string(source);
}

bool IsSeparatorChar(char c) {
  switch (static_cast<unsigned char>(c)) {
    case 0:
    case 9:
    case 10:
    case 12:
    case 13:
    case 32:
      return true;
    default:
      return false;
  }
}

void MakeSizeRecord(std::int32_t width, std::int32_t height, TSize& size) {
  size.cx = width;
  size.cy = height;
}

std::int32_t MidPointDown(std::int32_t a, std::int32_t b) {
  // The sum wraps as a 32-bit sum; computed unsigned to keep that defined.
  const auto s =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
  if (s > 0) return s / 2;
  return static_cast<std::int32_t>((static_cast<std::int64_t>(s) - 1) / 2);
}

bool InDesignMode(const TComponent& component) {
  return component.Designing();
}

bool BeingDestroyed(const TComponent& component) {
  return component.Destroying();
}

void TleComponent::Loaded() {
  TComponent::Loaded();
  UpdateFakeComponentLinks();
}

void TleComponent::BeforeDestruction() {
  if (!Destroying()) MarkDestroying();
  TComponent::BeforeDestruction();
}

void TleComponent::CollectFakeComponentLinks(std::vector<TComponent*>&) {}

void TleComponent::UpdateFakeComponentLinks() {
  if (!InDesignMode(*this) || BeingDestroyed(*this) || Owner() == nullptr) return;
  std::vector<TComponent*> list;
  CollectFakeComponentLinks(list);
  for (int i = 0; i < kFakeComponentLinkCount; ++i)
    links_[i] = i < static_cast<int>(list.size()) ? list[i] : nullptr;
}

}  // namespace kelmo::le
