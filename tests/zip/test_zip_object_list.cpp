// The library's containers: growth, insertion, sorted lists and their
// duplicates rules, neighbours, owning and the class registry.
#include <gtest/gtest.h>

#include "zip/buffered_stream.h"
#include "zip/object_list.h"

namespace kelmo::zip {
namespace {

struct Item : TObject {
  explicit Item(int k) : key(k) {}
  std::string ClassName() const override { return "TItem"; }
  int key;
};

struct SortedItems : TSortedObjectList {
  using TSortedObjectList::TSortedObjectList;
  int Compare(const TObject* a, const TObject* b) const override {
    return static_cast<const Item*>(a)->key - static_cast<const Item*>(b)->key;
  }
};

TEST(ZipObjectList, GrowthSteps) {
  TObjectList list;
  std::vector<int> capacities;
  for (int i = 0; i < 17; ++i) {
    list.Add(std::make_shared<Item>(i));
    if (capacities.empty() || capacities.back() != list.Capacity())
      capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 16, 32}));
}

TEST(ZipObjectList, InsertBoundsAndIndexErrors) {
  TObjectList list;
  list.Add(std::make_shared<Item>(1));
  list.Insert(1, std::make_shared<Item>(2));  // at the count: appends
  EXPECT_EQ(static_cast<Item&>(*list.Last()).key, 2);
  try {
    list.Insert(3, std::make_shared<Item>(3));
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (%d)");
  }
  EXPECT_THROW(list.GetItem(2), EListError);
  EXPECT_THROW(list.SetCapacity(1), EListError);  // below the count
  TObjectList empty;
  EXPECT_THROW(empty.First(), EListError);
}

TEST(ZipObjectList, SortedDuplicatesRules) {
  auto first = std::make_shared<Item>(5), second = std::make_shared<Item>(5);
  SortedItems ignore(TDuplicates::Ignore);
  ignore.Add(first);
  ignore.Add(second);
  EXPECT_EQ(ignore.Count(), 1);
  EXPECT_EQ(ignore.GetItem(0).get(), first.get());
  EXPECT_EQ(second.use_count(), 1);  // neither kept nor released by the list

  SortedItems accept(TDuplicates::Accept);
  accept.Add(first);
  accept.Add(second);
  EXPECT_EQ(accept.GetItem(0).get(), second.get());  // before the equal one

  SortedItems error(TDuplicates::Error);
  error.Add(first);
  try {
    error.Add(second);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Duplicate Object index");
  }
  try {
    error.PutItem(0, second);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Cannot <Put> an Object in a sorted list!");
  }
  SortedItems order(TDuplicates::Error);
  for (int k : {7, 3, 9, 1}) order.Add(std::make_shared<Item>(k));
  std::vector<int> keys;
  for (int i = 0; i < order.Count(); ++i) keys.push_back(static_cast<Item&>(*order.GetItem(i)).key);
  EXPECT_EQ(keys, (std::vector<int>{1, 3, 7, 9}));
  Item probe(7);
  EXPECT_EQ(order.IndexOf(&probe), 2);
}

TEST(ZipObjectList, NeighbourClearAndFreeAll) {
  TObjectList list;
  auto a = std::make_shared<Item>(1), b = std::make_shared<Item>(2);
  list.Add(a);
  list.Add(b);
  EXPECT_EQ(list.Neighbour(b.get(), true), nullptr);
  EXPECT_EQ(list.Neighbour(a.get(), true).get(), b.get());
  EXPECT_EQ(list.Neighbour(nullptr, false).get(), b.get());
  Item stranger(3);
  try {
    list.Neighbour(&stranger, true);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "tObject TItem not in item list");
  }
  std::weak_ptr<Item> weak = a;
  a.reset();
  list.Clear();  // forgets without releasing what others hold
  EXPECT_EQ(list.Count(), 0);
  TObjectList owning;
  auto c = std::make_shared<Item>(4);
  std::weak_ptr<Item> wc = c;
  owning.Add(std::move(c));
  owning.FreeAll();
  EXPECT_TRUE(wc.expired());
}

TEST(ZipObjectList, StreamingNeedsRegisteredClasses) {
  TMemoryStream s;
  TObjectList empty;
  empty.SaveToStream(s);
  EXPECT_EQ(s.Data(), (std::vector<std::uint8_t>{1, 0, 0, 0, 0}));
  TObjectList list;
  list.Add(std::make_shared<Item>(1));
  TMemoryStream t;
  try {
    list.SaveToStream(t);
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Source Class <TItem> not registered");
  }
  // A registered class goes out and comes back.
  struct Streamed : Item {
    using Item::Item;
    std::string ClassName() const override { return "TItemStreamed"; }
  };
  RegisterObjectClass("TItemStreamed", {[] { return std::make_shared<Streamed>(0); },
                                        [](TObject& o, TStream& s) {
                                          std::uint8_t b;
                                          s.ReadBuffer(&b, 1);
                                          static_cast<Item&>(o).key = b;
                                        },
                                        [](const TObject& o, TStream& s) {
                                          std::uint8_t b = static_cast<std::uint8_t>(
                                              static_cast<const Item&>(o).key);
                                          s.WriteBuffer(&b, 1);
                                        }});
  SortedItems out(TDuplicates::Accept);
  out.Add(std::make_shared<Streamed>(42));
  TMemoryStream u;
  out.SaveToStream(u);
  u.SetPosition(0);
  SortedItems back(TDuplicates::Error);
  back.LoadFromStream(u);
  EXPECT_EQ(back.Duplicates(), TDuplicates::Accept);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(static_cast<Item&>(*back.GetItem(0)).key, 42);
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

// The bulk build gives exactly the list that adding one by one gives.
TEST(ZipObjectList, BulkSortedAddMatchesAddingInTurn) {
  struct Keyed : Item {
    Keyed(int k, int i) : Item(k), id(i) {}
    int id;
  };
  struct NeverEqual : SortedItems {
    using SortedItems::SortedItems;
    int Compare(const TObject* a, const TObject* b) const override {
      return static_cast<const Item*>(b)->key > static_cast<const Item*>(a)->key ? 1 : -1;
    }
  };
  std::vector<TObjectRef> objects;
  for (int i = 0; i < 200; ++i) objects.push_back(std::make_shared<Keyed>((i * 37) % 11, i));
  auto ids = [](const TSortedObjectList& l) {
    std::vector<int> r;
    for (int i = 0; i < l.Count(); ++i) r.push_back(static_cast<Keyed&>(*l.GetItem(i)).id);
    return r;
  };
  SortedItems one(TDuplicates::Accept), bulk(TDuplicates::Accept);
  for (const auto& o : objects) one.Add(o);
  bulk.AddAllAccepting(objects);
  EXPECT_EQ(ids(one), ids(bulk));
  NeverEqual one2(TDuplicates::Accept), bulk2(TDuplicates::Accept);
  for (const auto& o : objects) one2.Add(o);
  bulk2.AddAllAccepting(objects);
  EXPECT_EQ(ids(one2), ids(bulk2));
}

}  // namespace
}  // namespace kelmo::zip
