// Key sorter: order, ties, unique, descending, spills to disk and errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dbf/dbf_index_errors.h"
#include "dbf/key_sorter.h"

using namespace kelmo::dbf;

namespace {

std::vector<TdfSort::Key> Drain(TdfSort& s) {
  std::vector<TdfSort::Key> out;
  TdfSort::Key k;
  while (s.RetrieveSortKey(k)) out.push_back(k);
  return out;
}

TEST(KeySorter, TextTiesKeepRecordOrderAndUniqueKeepsTheFirst) {
  for (bool unique : {false, true}) {
    TdfSort s(10, nullptr, true, unique);
    s.AddText("b  ", 3);
    s.AddText("a", 5);
    s.AddText("b", 1);
    s.AddText("a ", 2);
    auto keys = Drain(s);
    std::vector<std::pair<std::string, int>> got;
    for (auto& k : keys) got.emplace_back(k.bytes, k.record);
    if (unique) {
      EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{{"a", 2}, {"b", 1}}));
    } else {
      EXPECT_EQ(got,
                (std::vector<std::pair<std::string, int>>{{"a", 2}, {"a", 5}, {"b", 1}, {"b", 3}}));
    }
  }
}

TEST(KeySorter, FloatsAndDatesComeBackInOrderAndIntact) {
  TdfSort s(9, nullptr, true, false);
  std::vector<double> values = {0.5, -2, 0, 1e10, -0.5, -0.5000001, 3.25, -1e-300};
  for (size_t i = 0; i < values.size(); ++i) s.AddFloat(values[i], static_cast<int32_t>(i + 1));
  auto keys = Drain(s);
  std::vector<double> got;
  for (auto& k : keys) got.push_back(k.AsFloat());
  auto sorted = values;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(got, sorted);

  TdfSort d(5, nullptr, false, false);
  d.AddDate(2452395, 1);
  d.AddDate(0, 2);
  d.AddDate(2452395, 3);
  auto dk = Drain(d);
  ASSERT_EQ(dk.size(), 3u);
  EXPECT_EQ(dk[0].AsDate(), 2452395);
  EXPECT_EQ(dk[0].record, 3);  // descending reverses ties too
  EXPECT_EQ(dk[1].record, 1);
  EXPECT_EQ(dk[2].AsDate(), 0);
}

TEST(KeySorter, ManyKeysSpillRunsAndMergeInOrder) {
  TdfSort s(12, nullptr, true, false, 8192);
  std::mt19937 rng(7);
  std::vector<std::pair<std::string, int>> expected;
  for (int i = 1; i <= 20000; ++i) {
    std::string key = std::to_string(rng() % 5000);
    s.AddText(key, i);
    expected.emplace_back(key, i);
  }
  std::sort(expected.begin(), expected.end());
  auto keys = Drain(s);
  EXPECT_GT(s.RunCount(), 1);
  ASSERT_EQ(keys.size(), expected.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    ASSERT_EQ(keys[i].bytes, expected[i].first) << i;
    ASSERT_EQ(keys[i].record, expected[i].second) << i;
  }
  EXPECT_LT(s.PeakMemory(), 64u * 1024);
}

// Keys that share their first eight bytes, differ only past them, end in
// zero bytes or are shorter than eight, in memory and spilled, ascending and
// descending, with and without a collation and unique: the order is the
// whole keys' (then the records'), as a plain sort of the same keys gives.
TEST(KeySorter, KeysAlikeInTheirFirstBytesSortByTheWholeKey) {
  uint8_t reversed[256];
  for (int i = 0; i < 256; ++i) reversed[i] = static_cast<uint8_t>(255 - i);
  for (bool ascending : {true, false}) {
    for (bool collated : {false, true}) {
      for (bool unique : {false, true}) {
        for (size_t memory : {size_t{8192}, TdfSort::kDefaultMemory}) {
          SCOPED_TRACE(::testing::Message() << ascending << collated << unique << memory);
          TdfSort s(20, collated ? reversed : nullptr, ascending, unique, memory);
          std::mt19937 rng(11);
          static const char* const kStems[] = {"", "A", "ABCDEFGH", "ABCDEFG", "ABCDEFGHIJ"};
          std::vector<std::pair<std::string, int32_t>> keys;
          for (int32_t r = 1; r <= 6000; ++r) {
            std::string key = kStems[rng() % 5];
            for (unsigned n = rng() % 4; n > 0; --n) key += static_cast<char>("\0AZ"[rng() % 3]);
            if (key.empty()) key = "Q";
            s.AddKey(TdfSort::kText, key.data(), static_cast<int>(key.size()), r);
            keys.emplace_back(key, r);
          }
          auto weight = [&](const std::string& k) {
            std::string w = k;
            if (collated) {
              for (char& c : w) c = static_cast<char>(reversed[static_cast<uint8_t>(c)]);
            }
            return w;
          };
          std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
            return ascending ? std::make_pair(weight(a.first), a.second) <
                                   std::make_pair(weight(b.first), b.second)
                             : std::make_pair(weight(a.first), a.second) >
                                   std::make_pair(weight(b.first), b.second);
          });
          if (unique) {
            keys.erase(std::unique(keys.begin(), keys.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       keys.end());
          }
          auto got = Drain(s);
          ASSERT_EQ(got.size(), keys.size());
          for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].bytes, keys[i].first) << i;
            ASSERT_EQ(got[i].record, keys[i].second) << i;
          }
        }
      }
    }
  }
}

TEST(KeySorter, TakesTheEngineTypedValues) {
  TdfSort s(10, nullptr, true, false);
  TdfVariant v;
  v.SetAsFloat(2.5);
  s.AddKey(v, 1);
  v.SetAsFloat(-1);
  s.AddKey(v, 2);
  auto keys = Drain(s);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].AsFloat(), -1);
  TdfSort b(10, nullptr, true, false);
  v.SetAsBoolean(true);
  EXPECT_THROW(b.AddKey(v, 1), EDbfError);
}

TEST(KeySorter, Errors) {
  TdfSort empty(10, nullptr, true, false);
  TdfSort::Key k;
  EXPECT_FALSE(empty.RetrieveSortKey(k));
  try {
    empty.AddText("x", 1);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Cannot add sort keys after beginning retrieval");
  }
  TdfSort s(4, nullptr, true, false);
  try {
    s.AddText("abcdef", 1);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Sort key length must be 1-4 bytes, is 6");
  }
  bool b = true;
  try {
    s.AddKey(TdfSort::kLogical, &b, 1, 1);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Variant type cannot be sorted");
  }
  try {
    TdfSort big(241, nullptr, true, false);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Sort key length must be 1-240 bytes, is 241");
  }
}

}  // namespace
