// Foundation layer of the editors library: resource texts, the separator
// test, the geometric helpers and the design-time links.
#include <gtest/gtest.h>

#include <vector>

#include "lookandfeel/le_classes.h"
#include "lookandfeel/resource_texts.h"

namespace kelmo::le {
namespace {

TEST(LocalizeString, ReturnsTheTextUnchanged) {
  EXPECT_EQ(LocalizeString(""), "");
  EXPECT_EQ(LocalizeString(kRegExprMissing), "Missing '%s'");
  EXPECT_EQ(LocalizeString(kRegExprSpaceAfterBackslash),
            "The space character is not allowed after '\\'");
}

std::string Shout(std::string_view s) {
  return std::string(s) + "!";
}

TEST(ResourceTextHook, AppliedOnlyWhenSet) {
  EXPECT_EQ(ResourceTextHook(), nullptr);
  EXPECT_EQ(ApplyResourceTextHook("a"), "a");
  SetResourceTextHook(&Shout);
  EXPECT_EQ(ApplyResourceTextHook("a"), "a!");
  EXPECT_EQ(LocalizeString("a"), "a");  // LocalizeString never translates here
  SetResourceTextHook(nullptr);
}

TEST(IsSeparatorChar, ExactlyTheSixCodes) {
  for (int c = 0; c < 256; ++c) {
    const bool expected = c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
    EXPECT_EQ(IsSeparatorChar(static_cast<char>(c)), expected) << c;
  }
}

TEST(Geometry, MidPointDownAndSizeRecord) {
  const struct {
    std::int32_t a, b, mid;
  } cases[] = {{3, 4, 3}, {-3, 0, -2}, {-1, 0, -1}, {1, 2, 1}, {-2, -1, -2}, {0, 0, 0}, {5, 5, 5}};
  for (const auto& c : cases) EXPECT_EQ(MidPointDown(c.a, c.b), c.mid) << c.a << "," << c.b;
  TSize size;
  MakeSizeRecord(7, -2, size);
  EXPECT_EQ(size.cx, 7);
  EXPECT_EQ(size.cy, -2);
}

class LinkedComponent : public TleComponent {
 public:
  using TleComponent::TleComponent;
  std::vector<TComponent*> collected;

 protected:
  void CollectFakeComponentLinks(std::vector<TComponent*>& list) override {
    list.insert(list.end(), collected.begin(), collected.end());
  }
};

TEST(TleComponent, LoadedFillsTheLinksAtDesignTimeOnly) {
  TComponent owner(nullptr), a(nullptr), b(nullptr), c(nullptr), d(nullptr);
  LinkedComponent comp(&owner);
  comp.SetFakeComponentLink3(&d);
  comp.collected = {&a, &b};
  comp.Loaded();  // not designing: the links stay as they are
  EXPECT_EQ(comp.FakeComponentLink1(), nullptr);
  EXPECT_EQ(comp.FakeComponentLink3(), &d);

  comp.SetDesigning(true);
  comp.Loaded();
  EXPECT_EQ(comp.FakeComponentLink1(), &a);
  EXPECT_EQ(comp.FakeComponentLink2(), &b);
  EXPECT_EQ(comp.FakeComponentLink3(), nullptr);

  comp.collected = {&d, &c, &b, &a};
  comp.Loaded();
  EXPECT_EQ(comp.FakeComponentLink1(), &d);
  EXPECT_EQ(comp.FakeComponentLink2(), &c);
  EXPECT_EQ(comp.FakeComponentLink3(), &b);

  LinkedComponent orphan(nullptr);
  orphan.SetDesigning(true);
  orphan.collected = {&a};
  orphan.Loaded();
  EXPECT_EQ(orphan.FakeComponentLink1(), nullptr);
}

TEST(TleComponent, BeforeDestructionMarksDestroyingAndStopsLinkUpdates) {
  TComponent owner(nullptr), a(nullptr);
  LinkedComponent comp(&owner);
  comp.SetDesigning(true);
  comp.collected = {&a};
  EXPECT_FALSE(BeingDestroyed(comp));
  comp.BeforeDestruction();
  EXPECT_TRUE(BeingDestroyed(comp));
  EXPECT_TRUE(InDesignMode(comp));
  comp.Loaded();
  EXPECT_EQ(comp.FakeComponentLink1(), nullptr);
}

TEST(TleInterfacedPersistent, AnswersItsOwner) {
  TComponent owner(nullptr);
  TleInterfacedPersistent p(&owner);
  EXPECT_EQ(p.GetOwner(), &owner);
}

}  // namespace
}  // namespace kelmo::le
