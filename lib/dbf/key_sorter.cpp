// Key sorter: in-memory sort of sortable key bytes, runs spilled to a
// temporary file, k-way merge on retrieval. Layer: index building.
#include "key_sorter.h"

#include <algorithm>
#include <cstring>

#include "dbf_index_errors.h"

namespace kelmo::dbf {

namespace {

constexpr size_t kEntryOverhead = 16;  // the entry; its type and length lie in the arena

// A double as 8 bytes that compare bytewise in numeric order: sign bit set
// for a non-negative number, every bit inverted for a negative one.
void FloatToSortable(double v, uint8_t out[8]) {
  if (v == 0) v = 0;  // -0 sorts with 0
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  bits = (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
}

double SortableToFloat(const uint8_t in[8]) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = (bits << 8) | in[i];
  bits = (bits >> 63) ? bits & ~(uint64_t{1} << 63) : ~bits;
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

void DateToSortable(int32_t day, uint8_t out[4]) {
  uint32_t u = static_cast<uint32_t>(day) ^ 0x80000000u;
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(u >> (24 - 8 * i));
}

int32_t SortableToDate(const uint8_t in[4]) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u = (u << 8) | in[i];
  return static_cast<int32_t>(u ^ 0x80000000u);
}

// The key's natural bytes into out (its buffer is used again key after key).
void Natural(uint8_t type, std::string_view sortable, std::string& out) {
  const auto* p = reinterpret_cast<const uint8_t*>(sortable.data());
  if (type == TdfSort::kFloat && sortable.size() == 8) {
    double v = SortableToFloat(p);
    out.assign(reinterpret_cast<const char*>(&v), 8);
  } else if (type == TdfSort::kDate && sortable.size() == 4) {
    int32_t d = SortableToDate(p);
    out.assign(reinterpret_cast<const char*>(&d), 4);
  } else {
    out.assign(sortable);
  }
}

// Appends a record number's four bytes, high byte first.
void AppendRecord(std::string& out, int32_t record) {
  for (int i = 0; i < 4; ++i)
    out += static_cast<char>(static_cast<uint32_t>(record) >> (24 - 8 * i));
}

}  // namespace

double TdfSort::Key::AsFloat() const {
  double v = 0;
  if (bytes.size() == 8) std::memcpy(&v, bytes.data(), 8);
  return v;
}

int32_t TdfSort::Key::AsDate() const {
  int32_t d = 0;
  if (bytes.size() == 4) std::memcpy(&d, bytes.data(), 4);
  return d;
}

// Reads a run's entries back through a page-sized buffer.
struct TdfSort::RunCursor {
  std::FILE* file = nullptr;
  long next = 0;
  long end = 0;
  std::vector<uint8_t> page;
  size_t pagePos = 0;
  uint8_t type = 0;
  std::string key;  // sortable key bytes (record number excluded)
  uint64_t prefix = 0;
  int32_t record = 0;
  // The entry's key and record bytes, against which the next one is stored.
  std::string whole = std::string(4, '\0');

  bool Fill(size_t need) {
    if (page.size() - pagePos >= need) return true;
    std::vector<uint8_t> rest(page.begin() + static_cast<long>(pagePos), page.end());
    size_t want = std::min<long>(static_cast<long>(kRunPage), end - next);
    rest.resize(rest.size() + want);
    if (want) {
      if (std::fseek(file, next, SEEK_SET) != 0 ||
          std::fread(rest.data() + rest.size() - want, 1, want, file) != want) {
        throw EDbfError("Sort run could not be read back");
      }
      next += static_cast<long>(want);
    }
    page.swap(rest);
    pagePos = 0;
    return page.size() >= need;
  }

  bool Advance() {
    if (!Fill(3)) return false;
    type = page[pagePos];
    size_t total = page[pagePos + 1];
    size_t fresh = page[pagePos + 2];
    pagePos += 3;
    if (!Fill(fresh) || total < 4 || fresh > total) throw EDbfError("Sort run is damaged");
    // The run keeps key and record bytes front-compressed against the entry before.
    if (total - fresh > whole.size()) throw EDbfError("Sort run is damaged");
    whole.resize(total - fresh);
    whole.append(reinterpret_cast<const char*>(page.data() + pagePos), fresh);
    pagePos += fresh;
    key.assign(whole, 0, total - 4);
    uint32_t r = 0;
    for (size_t i = total - 4; i < total; ++i) r = (r << 8) | static_cast<uint8_t>(whole[i]);
    record = static_cast<int32_t>(r);
    return true;
  }
};

TdfSort::TdfSort(int maxKeyLength, const uint8_t* collation, bool ascending, bool unique,
                 size_t memoryLimit)
    : maxKeyLength_(maxKeyLength),
      collation_(collation),
      ascending_(ascending),
      unique_(unique),
      memoryLimit_(std::max<size_t>(memoryLimit, 4096)) {
  if (maxKeyLength > kMaxKeyLength || maxKeyLength < 1) {
    throw EDbfError(
        DbfFormat("Sort key length must be 1-%d bytes, is %d", kMaxKeyLength, maxKeyLength));
  }
}

TdfSort::~TdfSort() {
  if (spill_) std::fclose(spill_);
}

int TdfSort::CompareKeys(uint8_t type, std::string_view a, std::string_view b) const {
  size_t n = std::min(a.size(), b.size());
  if (type == kText && collation_) {
    for (size_t i = 0; i < n; ++i) {
      uint8_t x = collation_[static_cast<uint8_t>(a[i])];
      uint8_t y = collation_[static_cast<uint8_t>(b[i])];
      if (x != y) return x < y ? -1 : 1;
    }
  } else if (n) {
    int r = std::memcmp(a.data(), b.data(), n);
    if (r) return r < 0 ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

uint64_t TdfSort::Prefix(uint8_t type, std::string_view key) const {
  uint64_t p = 0;
  const size_t n = std::min<size_t>(key.size(), 8);
  const bool collated = type == kText && collation_;
  for (size_t i = 0; i < 8; ++i) {
    uint8_t b = 0;
    if (i < n) {
      b = static_cast<uint8_t>(key[i]);
      if (collated) b = collation_[b];
    }
    p = (p << 8) | b;
  }
  return p;
}

bool TdfSort::EntryBefore(const Entry& a, const Entry& b) const {
  if (a.prefix != b.prefix && !mixedTypes_) return (a.prefix < b.prefix) == ascending_;
  return Compare(TypeOf(a), KeyOf(a), a.record, KeyOf(b), b.record) < 0;
}

void TdfSort::SortEntries() {
  std::sort(entries_.begin(), entries_.end(),
            [this](const Entry& a, const Entry& b) { return EntryBefore(a, b); });
}

int TdfSort::Compare(uint8_t type, std::string_view a, int32_t ra, std::string_view b,
                     int32_t rb) const {
  int r = CompareKeys(type, a, b);
  if (!r) r = ra < rb ? -1 : ra > rb ? 1 : 0;
  return ascending_ ? r : -r;
}

void TdfSort::AddKey(KeyType type, const void* data, int length, int32_t record) {
  if (!accepting_) throw EDbfError("Cannot add sort keys after beginning retrieval");
  uint8_t buffer[8];
  std::string_view key;
  switch (type) {
    case kText: {
      std::string_view t(static_cast<const char*>(data), static_cast<size_t>(length));
      while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
      key = t;
      break;
    }
    case kBytes:
      key = std::string_view(static_cast<const char*>(data), static_cast<size_t>(length));
      break;
    case kFloat: {
      double v = 0;
      if (length == 8) std::memcpy(&v, data, 8);
      FloatToSortable(v, buffer);
      key = std::string_view(reinterpret_cast<const char*>(buffer), 8);
      break;
    }
    case kDate: {
      int32_t d = 0;
      if (length == 4) std::memcpy(&d, data, 4);
      DateToSortable(d, buffer);
      key = std::string_view(reinterpret_cast<const char*>(buffer), 4);
      break;
    }
    default:
      throw EDbfError("Variant type cannot be sorted");
  }
  if (length > maxKeyLength_ || length < 0) {
    throw EDbfError(DbfFormat("Sort key length must be 1-%d bytes, is %d", maxKeyLength_, length));
  }
  size_t used = arena_.size() + entries_.size() * kEntryOverhead;
  if (!entries_.empty() && used + key.size() + kEntryOverhead > memoryLimit_) SpillRun();
  if (firstType_ < 0) firstType_ = type;
  if (firstType_ != type) mixedTypes_ = true;
  entries_.push_back({Prefix(type, key), static_cast<uint32_t>(arena_.size()), record});
  arena_ += static_cast<char>(type);
  arena_ += static_cast<char>(key.size());
  arena_.append(key);
  peakMemory_ = std::max(peakMemory_, arena_.capacity() + entries_.capacity() * sizeof(Entry));
  ++keyCount_;
}

void TdfSort::AddFloat(double value, int32_t record) {
  AddKey(kFloat, &value, 8, record);
}

void TdfSort::AddDate(int32_t day, int32_t record) {
  AddKey(kDate, &day, 4, record);
}

void TdfSort::AddKey(const TdfVariant& value, int32_t record) {
  switch (value.GetType()) {
    case TdfVariant::kFloat:
      AddFloat(value.GetAsFloat(), record);
      break;
    case TdfVariant::kDate:
      AddDate(value.GetAsDate(), record);
      break;
    default:
      AddKey(static_cast<KeyType>(value.GetType()), value.Data(), value.Length(), record);
      break;
  }
}

void TdfSort::SpillRun() {
  SortEntries();
  if (!spill_) {
    spill_ = std::tmpfile();
    if (!spill_) throw EDbfError("Could not create a temporary file for sorting");
  }
  std::fseek(spill_, 0, SEEK_END);
  Run run;
  run.start = std::ftell(spill_);
  std::string out;
  std::string previous, whole;
  for (const Entry& e : entries_) {
    whole.assign(KeyOf(e));
    AppendRecord(whole, e.record);
    size_t shared = 0;
    while (shared < previous.size() && shared < whole.size() && previous[shared] == whole[shared]) {
      ++shared;
    }
    out += static_cast<char>(TypeOf(e));
    out += static_cast<char>(whole.size());
    out += static_cast<char>(whole.size() - shared);
    out.append(whole, shared, std::string::npos);
    previous.swap(whole);
    if (out.size() >= kRunPage) {
      if (std::fwrite(out.data(), 1, out.size(), spill_) != out.size()) {
        throw EDbfError("Could not write a sort run");
      }
      out.clear();
    }
  }
  if (!out.empty() && std::fwrite(out.data(), 1, out.size(), spill_) != out.size()) {
    throw EDbfError("Could not write a sort run");
  }
  run.end = std::ftell(spill_);
  runs_.push_back(run);
  entries_.clear();
  arena_.clear();
}

bool TdfSort::NextMerged(Key& key) {
  if (memoryOnly_) {
    if (memoryPos_ >= entries_.size()) return false;
    const Entry& e = entries_[memoryPos_++];
    key.type = static_cast<KeyType>(TypeOf(e));
    Natural(TypeOf(e), KeyOf(e), key.bytes);
    key.record = e.record;
    return true;
  }
  if (heap_.empty()) return false;
  // The heap's top is the run whose key comes next.
  RunCursor& c = *cursors_[heap_.front()];
  key.type = static_cast<KeyType>(c.type);
  Natural(c.type, c.key, key.bytes);
  key.record = c.record;
  if (c.Advance()) {
    c.prefix = Prefix(c.type, c.key);
  } else {
    heap_.front() = heap_.back();
    heap_.pop_back();
  }
  SiftDown();
  return true;
}

bool TdfSort::RunLater(size_t a, size_t b) const {
  const RunCursor& x = *cursors_[a];
  const RunCursor& y = *cursors_[b];
  if (x.prefix != y.prefix && !mixedTypes_) return (x.prefix > y.prefix) == ascending_;
  int r = Compare(x.type, x.key, x.record, y.key, y.record);
  return r > 0 || (r == 0 && a > b);
}

void TdfSort::SiftDown() {
  const size_t n = heap_.size();
  size_t i = 0;
  for (;;) {
    size_t child = 2 * i + 1;
    if (child >= n) return;
    if (child + 1 < n && RunLater(heap_[child], heap_[child + 1])) ++child;
    if (!RunLater(heap_[i], heap_[child])) return;
    std::swap(heap_[i], heap_[child]);
    i = child;
  }
}

bool TdfSort::RetrieveSortKey(Key& key) {
  if (accepting_) {
    accepting_ = false;
    if (runs_.empty()) {
      SortEntries();
      memoryOnly_ = true;
    } else {
      if (!entries_.empty()) SpillRun();
      std::fflush(spill_);
      for (const Run& r : runs_) {
        auto c = std::make_unique<RunCursor>();
        c->file = spill_;
        c->next = r.start;
        c->end = r.end;
        if (c->Advance()) {
          c->prefix = Prefix(c->type, c->key);
          heap_.push_back(cursors_.size());
          cursors_.push_back(std::move(c));
        }
      }
      std::make_heap(heap_.begin(), heap_.end(),
                     [this](size_t a, size_t b) { return RunLater(a, b); });
    }
  }
  while (NextMerged(key)) {
    if (unique_ && haveLast_ && key.type == last_.type) {
      bool equal;
      if (key.type == kFloat) {
        equal = key.AsFloat() == last_.AsFloat();
      } else {
        equal = CompareKeys(key.type, key.bytes, last_.bytes) == 0;
      }
      if (equal) continue;
    }
    if (unique_) {
      last_ = key;
      haveLast_ = true;
    }
    return true;
  }
  return false;
}

}  // namespace kelmo::dbf
