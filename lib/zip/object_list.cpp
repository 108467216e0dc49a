// Object lists, sorted lists and the class registry (see object_list.h).
#include "object_list.h"

#include <algorithm>
#include <map>

#include "buffered_stream.h"

namespace kelmo::zip {

TObjectList::~TObjectList() {
  FreeAll();
  Clear();
}

void TObjectList::IndexError() const {
  throw EListError("List index out of bounds (%d)");
}

void TObjectList::Grow() {
  std::int32_t cap = Capacity();
  std::int32_t delta = cap > 8 ? 16 : (cap > 4 ? 8 : 4);
  SetCapacity(cap + delta);
}

TObjectRef TObjectList::GetItem(std::int32_t index) const {
  if (index < 0 || index >= count_) IndexError();
  return items_[index];
}

void TObjectList::SetCapacity(std::int32_t capacity) {
  if (capacity == Capacity()) return;
  if (capacity < count_ || capacity > kMaxListSize) IndexError();
  items_.resize(capacity);
  if (capacity == 0) items_.shrink_to_fit();
}

void TObjectList::SetCount(std::int32_t count) {
  if (count < 0 || count > kMaxListSize) IndexError();
  if (count > Capacity()) SetCapacity(count);
  for (std::int32_t i = count_; i < count; ++i) items_[i].reset();
  count_ = count;
}

void TObjectList::PutItem(std::int32_t index, TObjectRef object) {
  if (index < 0 || index >= count_) IndexError();
  items_[index] = std::move(object);
}

void TObjectList::FreeItem(TObjectRef& object) {
  if (owns_) object.reset();
}

std::int32_t TObjectList::Add(TObjectRef object) {
  if (count_ == Capacity()) Grow();
  items_[count_] = std::move(object);
  return count_++;
}

void TObjectList::Clear() {
  // The list forgets its references without releasing what it owns: the
  // objects stay alive wherever else they are held.
  count_ = 0;
  items_.clear();
  items_.shrink_to_fit();
}

void TObjectList::FreeAll() {
  for (std::int32_t i = 0; i < count_; ++i) FreeItem(items_[i]);
  Clear();
}

std::int32_t TObjectList::IndexOf(const TObject* object) const {
  for (std::int32_t i = 0; i < count_; ++i)
    if (items_[i].get() == object) return i;
  return -1;
}

void TObjectList::InsertAt(std::int32_t index, TObjectRef object) {
  if (count_ == Capacity()) Grow();
  std::move_backward(items_.begin() + index, items_.begin() + count_, items_.begin() + count_ + 1);
  items_[index] = std::move(object);
  ++count_;
}

void TObjectList::Insert(std::int32_t index, TObjectRef object) {
  if (index < 0 || index > count_) IndexError();
  InsertAt(index, std::move(object));
}

TObjectRef TObjectList::First() const {
  return GetItem(0);
}
TObjectRef TObjectList::Last() const {
  return GetItem(count_ - 1);
}

TObjectRef TObjectList::Neighbour(const TObject* object, bool forward) const {
  if (!object) return forward ? First() : Last();
  std::int32_t i = IndexOf(object);
  if (i < 0) throw EListError("tObject " + object->ClassName() + " not in item list");
  i += forward ? 1 : -1;
  if (i < 0 || i >= count_) return nullptr;
  return items_[i];
}

namespace {
void WriteByte(TStream& s, std::uint8_t b) {
  s.WriteBuffer(&b, 1);
}
std::uint8_t ReadByte(TStream& s) {
  std::uint8_t b = 0;
  s.ReadBuffer(&b, 1);
  return b;
}
}  // namespace

void TObjectList::SaveToStream(TStream& stream) const {
  if (IsSorted()) WriteByte(stream, DuplicatesByte());
  WriteByte(stream, owns_ ? 1 : 0);
  std::uint8_t c[4];
  for (int i = 0; i < 4; ++i) c[i] = static_cast<std::uint8_t>(count_ >> (8 * i));
  stream.WriteBuffer(c, 4);
  for (std::int32_t i = 0; i < count_; ++i) WriteRegisteredObject(items_[i].get(), stream);
}

void TObjectList::LoadFromStream(TStream& stream) {
  if (IsSorted()) {
    auto d = static_cast<TDuplicates>(ReadByte(stream));
    static_cast<TSortedObjectList*>(this)->SetDuplicates(d);
  }
  owns_ = ReadByte(stream) != 0;
  std::uint8_t c[4];
  stream.ReadBuffer(c, 4);
  std::int32_t n = static_cast<std::int32_t>(c[0] | c[1] << 8 | c[2] << 16 |
                                             static_cast<std::uint32_t>(c[3]) << 24);
  if (n < 0 || n > kMaxListSize - count_) IndexError();
  if (Capacity() < count_ + n) SetCapacity(count_ + n);
  for (std::int32_t i = 0; i < n; ++i) Add(ReadRegisteredObject(stream));
}

bool TSortedObjectList::Find(const TObject* key, std::int32_t& index) const {
  bool found = false;
  std::int32_t low = 0, high = count_ - 1;
  while (low <= high) {
    std::int32_t middle = low + (high - low) / 2;
    int c = Compare(KeyOf(items_[middle].get()), key);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != TDuplicates::Accept) low = middle;
      }
    }
  }
  index = low;
  return found;
}

void TSortedObjectList::Insert(std::int32_t, TObjectRef object) {
  std::int32_t index = 0;
  if (Find(KeyOf(object.get()), index)) {
    if (duplicates_ == TDuplicates::Ignore) return;
    if (duplicates_ == TDuplicates::Error) throw EListError("Duplicate Object index");
  }
  InsertAt(index, std::move(object));
}

std::int32_t TSortedObjectList::Add(TObjectRef object) {
  // Appending in order is the common case (a directory read in archive
  // order): test the last element first so such a load stays linear.
  if (count_ > 0) {
    int c = Compare(KeyOf(items_[count_ - 1].get()), KeyOf(object.get()));
    if (c < 0) {
      InsertAt(count_, std::move(object));
      return 0;
    }
  }
  Insert(0, std::move(object));
  return 0;
}

void TSortedObjectList::AddAllAccepting(const std::vector<TObjectRef>& objects) {
  if (count_ != 0 || duplicates_ != TDuplicates::Accept) {
    for (const TObjectRef& o : objects) Add(o);
    return;
  }
  std::vector<std::size_t> order(objects.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t ia, std::size_t ib) {
    const TObject* a = KeyOf(objects[ia].get());
    const TObject* b = KeyOf(objects[ib].get());
    int ab = Compare(a, b), ba = Compare(b, a);
    if (ab < 0 && ba >= 0) return true;
    if (ba < 0 && ab >= 0) return false;
    // Equal keys: Add puts a newcomer before the equal ones; a comparison
    // that never says "equal" (newest first and the like) puts it after.
    return ab == 0 ? ia > ib : ia < ib;
  });
  SetCapacity(static_cast<std::int32_t>(objects.size()));
  for (std::size_t i : order) items_[count_++] = objects[i];
}

std::int32_t TSortedObjectList::IndexOf(const TObject* object) const {
  std::int32_t index = 0;
  return Find(KeyOf(object), index) ? index : -1;
}

void TSortedObjectList::PutItem(std::int32_t, TObjectRef) {
  throw EListError("Cannot <Put> an Object in a sorted list!");
}

namespace {
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) <
             std::tolower(static_cast<unsigned char>(y));
    });
  }
};
std::map<std::string, tRegisterRec, NoCaseLess>& Registry() {
  static std::map<std::string, tRegisterRec, NoCaseLess> registry;
  return registry;
}
}  // namespace

void RegisterObjectClass(const std::string& name, tRegisterRec record) {
  Registry().emplace(name, std::move(record));
}

const tRegisterRec* FindRegisteredClass(const std::string& name) {
  auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : &it->second;
}

TObjectRef CreateRegisteredObject(const std::string& name, TLoadRoutine& load) {
  const tRegisterRec* rec = FindRegisteredClass(name);
  if (!rec) throw EClassNotFound("Class <" + name + "> not registered");
  load = rec->load;
  return rec->create();
}

TObjectRef ReadRegisteredObject(TStream& stream) {
  std::uint8_t len = ReadByte(stream);
  std::string name(len, '\0');
  if (len) stream.ReadBuffer(name.data(), len);
  TLoadRoutine load;
  TObjectRef object = CreateRegisteredObject(name, load);
  if (load) load(*object, stream);
  return object;
}

void WriteRegisteredObject(const TObject* object, TStream& stream) {
  if (!object) throw EClassNotFound("Nil Source Class!");
  std::string name = object->ClassName().substr(0, 63);
  const tRegisterRec* rec = FindRegisteredClass(name);
  if (!rec) throw EClassNotFound("Source Class <" + name + "> not registered");
  WriteByte(stream, static_cast<std::uint8_t>(name.size()));
  stream.WriteBuffer(name.data(), static_cast<std::int64_t>(name.size()));
  if (rec->store) rec->store(*object, stream);
}

}  // namespace kelmo::zip
