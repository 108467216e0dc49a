// Foundation layer of the editors library: the base classes every other
// module of the library derives from, the one entry through which its resource
// texts pass, the separator test of the regular-expression engine and two
// small geometric helpers.
//
// Nothing here allocates beyond the strings it returns; every routine is
// constant time except LocalizeString (linear in the text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelmo::le {

// Returns the text, replaced by its translation when a translation list is
// installed. This program installs none, so the text always comes back as an
// independent copy of the bytes given, placeholders ("%s") untouched. Never
// throws except for std::bad_alloc.
std::string LocalizeString(std::string_view source);

// The hook through which a host may translate resource texts; empty at
// start. Process-wide: set it once at start-up, before any text is loaded.
using ResourceTextHookProc = std::string (*)(std::string_view source);
void SetResourceTextHook(ResourceTextHookProc hook);
ResourceTextHookProc ResourceTextHook();

// Passes the text through the hook when one is set; otherwise returns a copy.
std::string ApplyResourceTextHook(std::string_view source);

// True exactly for the codes 0, 9, 10, 12, 13 and 32; 11 (vertical tab) and
// 160 (the no-break space of code page 1251) are not separators. Independent
// of the locale.
bool IsSeparatorChar(char c);

struct TSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
};

// size := {width, height}.
void MakeSizeRecord(std::int32_t width, std::int32_t height, TSize& size);

// The floor of (a + b) / 2 on 32-bit integers (the sum wraps as the 32-bit
// sum does): 3 and 4 give 3, -3 and 0 give -2, -1 and 0 give -1.
std::int32_t MidPointDown(std::int32_t a, std::int32_t b);

// The framework's persistent object, reduced to what the library asks of it:
// an owner query.
class TPersistent {
 public:
  virtual ~TPersistent() = default;
  virtual TPersistent* GetOwner() const { return nullptr; }
};

// A persistent object that remembers its owner (not owned). Descendants are
// created through a factory taking the owner, as the look-and-feel objects
// are.
class TleInterfacedPersistent : public TPersistent {
 public:
  explicit TleInterfacedPersistent(TPersistent* owner) : owner_(owner) {}
  TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};

// The framework's component, reduced to an owner and the two state flags the
// library reads.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner) : owner_(owner) {}
  TComponent* Owner() const { return owner_; }
  TPersistent* GetOwner() const override { return owner_; }

  bool Designing() const { return designing_; }
  void SetDesigning(bool designing) { designing_ = designing; }
  bool Destroying() const { return destroying_; }
  // Marks the component as being destroyed, so that owned objects see it.
  void MarkDestroying() { destroying_ = true; }

  // Called once the component's stored properties have been read.
  virtual void Loaded() {}
  // Called just before the component goes away.
  virtual void BeforeDestruction() {}

 private:
  TComponent* owner_;
  bool designing_ = false;
  bool destroying_ = false;
};

bool InDesignMode(const TComponent& component);
bool BeingDestroyed(const TComponent& component);

// A component with three links that only a form designer shows; they are
// never written with the form.
class TleComponent : public TComponent {
 public:
  static constexpr int kFakeComponentLinkCount = 3;

  explicit TleComponent(TComponent* owner) : TComponent(owner) {}

  TComponent* FakeComponentLink1() const { return links_[0]; }
  TComponent* FakeComponentLink2() const { return links_[1]; }
  TComponent* FakeComponentLink3() const { return links_[2]; }
  void SetFakeComponentLink1(TComponent* c) { links_[0] = c; }
  void SetFakeComponentLink2(TComponent* c) { links_[1] = c; }
  void SetFakeComponentLink3(TComponent* c) { links_[2] = c; }

  // The framework's Loaded, then the links are refreshed.
  void Loaded() override;
  // Marks the component destroying early unless it already is.
  void BeforeDestruction() override;

 protected:
  // Descendants append the components a designer should show as links.
  virtual void CollectFakeComponentLinks(std::vector<TComponent*>& list);

 private:
  // Only while designing, not destroying and owned: the first three collected
  // components become the links, the missing ones none.
  void UpdateFakeComponentLinks();

  TComponent* links_[kFakeComponentLinkCount] = {nullptr, nullptr, nullptr};
};

}  // namespace kelmo::le
