// The engine's owning list of objects (TdfCollection): items in the order
// they were added or inserted, freed through the list's release hook when
// they are removed or the list goes, and a notification for every item that
// comes in, is taken out without being freed, or is removed and freed.
//
// How an item is released is the list's Release type: the default frees it,
// KeepItem leaves it alone (a registry of objects others own). It is a type,
// not a virtual call, so that the list's own destruction releases its items
// the same way as every other removal.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <vector>

namespace kelmo::dbf {

// What happened to an item of a list (the notification's kind).
enum class TdfListNotification { kAdded, kExtracted, kDeleted };

// The release hook of a list that does not own its items.
struct KeepItem {
  template <typename T>
  void operator()(T*) const noexcept {}
};

template <typename T, typename Release = std::default_delete<T>>
class TdfCollection {
 public:
  using Item = std::unique_ptr<T, Release>;

  TdfCollection() = default;
  TdfCollection(const TdfCollection&) = delete;
  TdfCollection& operator=(const TdfCollection&) = delete;
  // The items are released here without notifications: the derived list
  // that would hear them is gone already.
  virtual ~TdfCollection() = default;

  int Count() const { return static_cast<int>(items_.size()); }
  T* Items(int index) const { return items_.at(Checked(index)).get(); }
  T* First() const { return items_.empty() ? nullptr : items_.front().get(); }
  T* Last() const { return items_.empty() ? nullptr : items_.back().get(); }

  // The position of the item; -1 when it is not in the list.
  int IndexOf(const T* item) const {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].get() == item) return static_cast<int>(i);
    }
    return -1;
  }

  // Adds the item at the end; its position.
  int Add(Item item) {
    items_.push_back(std::move(item));
    Notify(items_.back().get(), TdfListNotification::kAdded);
    return Count() - 1;
  }
  // Inserts the item before position index (Count() appends).
  void Insert(int index, Item item) {
    if (index < 0 || index > Count()) throw std::out_of_range("list index out of bounds");
    auto at = items_.insert(items_.begin() + index, std::move(item));
    Notify(at->get(), TdfListNotification::kAdded);
  }
  // Takes the item out of the list without releasing it; empty when it is not there.
  Item Extract(const T* item) {
    const int index = IndexOf(item);
    if (index < 0) return Item(nullptr);
    Item out = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    Notify(out.get(), TdfListNotification::kExtracted);
    return out;
  }
  // Removes the item at index and releases it.
  void Delete(int index) {
    Item out = std::move(items_.at(Checked(index)));
    items_.erase(items_.begin() + index);
    Notify(out.get(), TdfListNotification::kDeleted);
    FreeItem(std::move(out));
  }
  // Takes the item out of the list and releases it (nothing when it is not there).
  void RemoveItem(const T* item) {
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
  }
  // Releases every item, first to last, and empties the list.
  void FreeAll() {
    std::vector<Item> items;
    items.swap(items_);
    for (Item& item : items) {
      Notify(item.get(), TdfListNotification::kDeleted);
      FreeItem(std::move(item));
    }
  }
  // Moves the item at position from to position to.
  void Move(int from, int to) {
    Item item = std::move(items_.at(Checked(from)));
    items_.erase(items_.begin() + from);
    if (to < 0 || to > Count()) {
      items_.insert(items_.begin() + from, std::move(item));
      throw std::out_of_range("list index out of bounds");
    }
    items_.insert(items_.begin() + to, std::move(item));
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  // Heard for every item that comes in, is extracted or is deleted (before
  // it is released).
  virtual void Notify(T*, TdfListNotification) {}

 private:
  // Releases one item through the list's hook (nothing for a missing one).
  static void FreeItem(Item item) { item.reset(); }
  size_t Checked(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("list index out of bounds");
    return static_cast<size_t>(index);
  }

  std::vector<Item> items_;
};

}  // namespace kelmo::dbf
