// The zip library's own containers: a growable list of object references that
// may own its objects, a list kept sorted by a key, and a registry of classes
// by name through which a list writes its objects to a stream and reads them
// back. The archive's entry lists (zip_records.h) are sorted lists.
//
// Objects are held by std::shared_ptr: "owning" means the list's release of an
// object (FreeItem, FreeAll) drops its reference; a list that does not own its
// objects only ever forgets them. Costs: Add is amortised O(1) for the plain
// list; the sorted insert is O(log n) to find plus O(n) to shift.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip_errors.h"

namespace kelmo::zip {

class TStream;

// Base of every object a list may hold; ClassName is the registry's key.
class TObject {
 public:
  virtual ~TObject() = default;
  virtual std::string ClassName() const { return "TObject"; }
};

using TObjectRef = std::shared_ptr<TObject>;

// The largest capacity a list accepts.
inline constexpr std::int32_t kMaxListSize = 536870910;

class TObjectList {
 public:
  TObjectList() = default;
  virtual ~TObjectList();
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  // Raises EListError "List index out of bounds (%d)" (the placeholder is
  // part of the text, left unfilled).
  [[noreturn]] virtual void IndexError() const;
  // Capacity steps 0, 4, 8, 16, 32, 48, ...
  virtual void Grow();
  virtual void PutItem(std::int32_t index, TObjectRef object);
  virtual void FreeItem(TObjectRef& object);
  virtual std::int32_t Add(TObjectRef object);
  // Count and capacity to 0; nothing released.
  virtual void Clear();
  virtual std::int32_t IndexOf(const TObject* object) const;
  virtual void Insert(std::int32_t index, TObjectRef object);
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream) const;
  virtual TObjectRef First() const;
  virtual TObjectRef Last() const;
  // The object after (forward) or before the given one, null beyond either
  // end; a null object gives First (forward) or Last. An object not held
  // raises EListError "tObject <class> not in item list".
  virtual TObjectRef Neighbour(const TObject* object, bool forward) const;

  TObjectRef GetItem(std::int32_t index) const;
  void SetCapacity(std::int32_t capacity);
  void SetCount(std::int32_t count);
  void FreeAll();

  std::int32_t Count() const { return count_; }
  std::int32_t Capacity() const { return static_cast<std::int32_t>(items_.size()); }
  bool OwnsObjects() const { return owns_; }
  void SetOwnsObjects(bool owns) { owns_ = owns; }

 protected:
  void InsertAt(std::int32_t index, TObjectRef object);
  virtual bool IsSorted() const { return false; }
  virtual std::uint8_t DuplicatesByte() const { return 0; }

  bool owns_ = true;
  std::vector<TObjectRef> items_;  // size() is the capacity
  std::int32_t count_ = 0;
};

// Duplicates rule of a sorted list.
enum class TDuplicates : std::uint8_t { Ignore = 0, Accept = 1, Error = 2 };

// A list kept in ascending order of Compare(KeyOf(a), KeyOf(b)). The key is
// the object itself unless a descendant says otherwise.
class TSortedObjectList : public TObjectList {
 public:
  explicit TSortedObjectList(TDuplicates duplicates) : duplicates_(duplicates) {}

  virtual const TObject* KeyOf(const TObject* object) const { return object; }
  // Must be supplied by a descendant: negative, zero or positive.
  virtual int Compare(const TObject* key1, const TObject* key2) const = 0;
  // Binary search; index is the match (the leftmost under Accept) or the
  // insertion point.
  bool Find(const TObject* key, std::int32_t& index) const;

  // Sorted insert; returns 0 wherever the object went. Under Ignore a
  // duplicate is dropped, under Error it raises "Duplicate Object index".
  std::int32_t Add(TObjectRef object) override;
  // The list Add would build from these objects in turn, for an empty list
  // with rule Accept, in O(n log n) instead of O(n^2).
  void AddAllAccepting(const std::vector<TObjectRef>& objects);
  void Insert(std::int32_t index, TObjectRef object) override;
  std::int32_t IndexOf(const TObject* object) const override;
  // Raises "Cannot <Put> an Object in a sorted list!".
  void PutItem(std::int32_t index, TObjectRef object) override;

  TDuplicates Duplicates() const { return duplicates_; }

 protected:
  bool IsSorted() const override { return true; }
  std::uint8_t DuplicatesByte() const override { return static_cast<std::uint8_t>(duplicates_); }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  friend class TObjectList;

 private:
  TDuplicates duplicates_;
};

// Class registry: names compared without regard to case. Nothing in the
// program registers a class, so saving a non-empty list raises
// "Source Class <%s> not registered".
using TLoadRoutine = std::function<void(TObject&, TStream&)>;
using TStoreRoutine = std::function<void(const TObject&, TStream&)>;
struct tRegisterRec {
  std::function<TObjectRef()> create;
  TLoadRoutine load;
  TStoreRoutine store;
};

void RegisterObjectClass(const std::string& name, tRegisterRec record);
const tRegisterRec* FindRegisteredClass(const std::string& name);
TObjectRef CreateRegisteredObject(const std::string& name, TLoadRoutine& load);
TObjectRef ReadRegisteredObject(TStream& stream);
void WriteRegisteredObject(const TObject* object, TStream& stream);

}  // namespace kelmo::zip
