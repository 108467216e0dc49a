// The engine's owning list: order, ownership and notifications under a table
// of list operations, the same operations on a list that owns nothing, and
// the registry of open engine files built on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbf/disk_file.h"
#include "dbf/engine_collection.h"
#include "dbf/table_builder.h"
#include "dbf_test_support.h"

using namespace kelmo::dbf;
using kelmo::dbf::testing::ScratchFolder;

namespace {

// An item that writes its name into the shared log when it is freed.
struct Tracked {
  Tracked(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
  Tracked(const Tracked&) = delete;
  Tracked& operator=(const Tracked&) = delete;
  ~Tracked() { log->push_back("free " + name); }
  std::string name;
  std::vector<std::string>* log;
};

// A list that writes every notification into the log.
template <typename Release>
class LoggedList : public TdfCollection<Tracked, Release> {
 public:
  explicit LoggedList(std::vector<std::string>& log) : log_(log) {}

 protected:
  void Notify(Tracked* item, TdfListNotification what) override {
    static const char* const kWhat[] = {"added ", "extracted ", "deleted "};
    log_.push_back(kWhat[static_cast<int>(what)] + item->name);
  }

 private:
  std::vector<std::string>& log_;
};

// One step on a list: the operation and its item or positions.
struct Step {
  enum Op { kAdd, kInsert, kExtract, kDelete, kRemove, kRemoveMissing, kMove, kFreeAll } op;
  std::string name;  // the item added or named
  int index = 0;
  int to = 0;
};

struct Case {
  const char* what;
  std::vector<Step> steps;
  std::string order;  // the names in list order after the steps
  // The log of the steps (the adds of the steps' first items included).
  std::vector<std::string> log;
  // With an owning list: what is freed only when the list goes.
  std::vector<std::string> freedAtEnd;
};

std::string NamesOf(const TdfCollection<Tracked, std::default_delete<Tracked>>& list) {
  std::string out;
  for (const auto& item : list) out += item->name;
  return out;
}
std::string NamesOf(const TdfCollection<Tracked, KeepItem>& list) {
  std::string out;
  for (const auto& item : list) out += item->name;
  return out;
}

// Runs the steps; extracted items are kept in `extracted` (the caller owns them).
template <typename List>
void RunSteps(List& list, const std::vector<Step>& steps,
              std::vector<std::unique_ptr<Tracked>>& owned, std::vector<std::string>& log,
              std::vector<std::unique_ptr<Tracked>>& extracted) {
  auto find = [&](const std::string& name) -> Tracked* {
    for (const auto& item : list) {
      if (item->name == name) return item.get();
    }
    return nullptr;
  };
  auto make = [&](const std::string& name) {
    owned.push_back(std::make_unique<Tracked>(name, &log));
    return owned.back().get();
  };
  for (const Step& s : steps) {
    switch (s.op) {
      case Step::kAdd:
        list.Add(typename List::Item(make(s.name)));
        break;
      case Step::kInsert:
        list.Insert(s.index, typename List::Item(make(s.name)));
        break;
      case Step::kExtract: {
        auto item = list.Extract(find(s.name));
        extracted.emplace_back(item.release());
        break;
      }
      case Step::kDelete:
        list.Delete(s.index);
        break;
      case Step::kRemove:
        list.RemoveItem(find(s.name));
        break;
      case Step::kRemoveMissing: {
        Tracked stranger("?", &log);
        list.RemoveItem(&stranger);
        break;
      }
      case Step::kMove:
        list.Move(s.index, s.to);
        break;
      case Step::kFreeAll:
        list.FreeAll();
        break;
    }
  }
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"adds keep their order",
       {{Step::kAdd, "a"}, {Step::kAdd, "b"}, {Step::kAdd, "c"}},
       "abc",
       {"added a", "added b", "added c"},
       {"free a", "free b", "free c"}},
      {"insert at the front, the middle and the end",
       {{Step::kAdd, "a"},
        {Step::kInsert, "b", 0},
        {Step::kInsert, "c", 1},
        {Step::kInsert, "d", 3}},
       "bcad",
       {"added a", "added b", "added c", "added d"},
       {"free b", "free c", "free a", "free d"}},
      {"delete by position frees the item after its notice",
       {{Step::kAdd, "a"}, {Step::kAdd, "b"}, {Step::kAdd, "c"}, {Step::kDelete, "", 1}},
       "ac",
       {"added a", "added b", "added c", "deleted b", "free b"},
       {"free a", "free c"}},
      {"remove an item frees it; a missing one changes nothing",
       {{Step::kAdd, "a"}, {Step::kAdd, "b"}, {Step::kRemove, "a"}, {Step::kRemoveMissing}},
       "b",
       {"added a", "added b", "deleted a", "free a", "free ?"},
       {"free b"}},
      {"extract hands the item over without freeing it",
       {{Step::kAdd, "a"}, {Step::kAdd, "b"}, {Step::kExtract, "a"}},
       "b",
       {"added a", "added b", "extracted a"},
       {"free b"}},
      {"free all releases first to last and leaves the list empty",
       {{Step::kAdd, "a"}, {Step::kAdd, "b"}, {Step::kFreeAll}, {Step::kAdd, "c"}},
       "c",
       {"added a", "added b", "deleted a", "free a", "deleted b", "free b", "added c"},
       {"free c"}},
      {"move keeps every item once",
       {{Step::kAdd, "a"}, {Step::kAdd, "b"}, {Step::kAdd, "c"}, {Step::kMove, "", 0, 2}},
       "bca",
       {"added a", "added b", "added c"},
       {"free b", "free c", "free a"}},
  };
  return cases;
}

}  // namespace

TEST(DbfCollection, OwningListOrderOwnershipAndNotices) {
  for (const Case& c : Cases()) {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<Tracked>> made, extracted;
    {
      LoggedList<std::default_delete<Tracked>> list(log);
      RunSteps(list, c.steps, made, log, extracted);
      // The list owns what it holds and what it freed: the test's own
      // pointers to those items must not free them again.
      for (auto& item : made) item.release();
      EXPECT_EQ(NamesOf(list), c.order) << c.what;
      EXPECT_EQ(log, c.log) << c.what;
      for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.IndexOf(list.Items(i)), i) << c.what;
    }
    // Going, the list frees what it still holds, in its order, silently.
    std::vector<std::string> atEnd(log.begin() + static_cast<long>(c.log.size()), log.end());
    EXPECT_EQ(atEnd, c.freedAtEnd) << c.what;
    extracted.clear();  // the caller frees what it extracted
  }
}

TEST(DbfCollection, ListThatOwnsNothingFreesNothing) {
  for (const Case& c : Cases()) {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<Tracked>> made, extracted;
    std::vector<std::string> notices;
    {
      LoggedList<KeepItem> list(log);
      RunSteps(list, c.steps, made, log, extracted);
      EXPECT_EQ(NamesOf(list), c.order) << c.what;
      notices.clear();
      for (const std::string& line : c.log) {
        if (line.rfind("free ", 0) != 0 || line == "free ?") notices.push_back(line);
      }
      EXPECT_EQ(log, notices) << c.what;
    }
    EXPECT_EQ(log.size(), notices.size()) << c.what << ": the list freed an item it does not own";
    // The owners free their items: every one exactly once.
    for (auto& e : extracted) e.release();
    made.clear();
  }
}

TEST(DbfCollection, PositionsOutOfBoundsAreRefused) {
  std::vector<std::string> log;
  LoggedList<std::default_delete<Tracked>> list(log);
  list.Add(std::unique_ptr<Tracked>(new Tracked("a", &log)));
  EXPECT_THROW(list.Items(1), std::out_of_range);
  EXPECT_THROW(list.Delete(-1), std::out_of_range);
  EXPECT_THROW(list.Insert(2, std::unique_ptr<Tracked>(new Tracked("b", &log))), std::out_of_range);
  EXPECT_THROW(list.Move(0, 5), std::out_of_range);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0)->name, "a");
  EXPECT_EQ(list.Extract(nullptr), nullptr);
}

TEST(DbfCollection, OpenFilesRegistryFollowsOpenAndClose) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "t.dbf");
    b.AddField("a", 'C', 1, 0);
    b.WriteFiles();
  }
  GSobjFileColl& registry = GSobjFileColl::Instance();
  const int before = registry.Count();
  {
    DFO_DiskFile one(dir / "t.dbf", true, false), two(dir / "t.dbf", true, false);
    one.Open();
    two.Open();
    EXPECT_EQ(registry.Count(), before + 2);
    EXPECT_EQ(registry.IndexOf(&two), registry.IndexOf(&one) + 1);
    one.Close();
    EXPECT_EQ(registry.IndexOf(&one), -1);
    EXPECT_GE(registry.IndexOf(&two), 0);
  }
  // Closing (or destroying) a file takes it out; the registry frees nothing.
  EXPECT_EQ(registry.Count(), before);
}
