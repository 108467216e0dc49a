// SQLite virtual-table module over DBF tables.
#include "dbf_vtab.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "dbf/date_values.h"
#include "dbf/dbf_errors.h"
#include "dbf/field_decoding.h"
#include "dbf/table_handler.h"
#include "raw_text_filter.h"
#include "vtab_plan.h"

namespace kelmo::dbfsql {

namespace {

using bytes::CodePage;
using dbf::DFO_dBHandler;
using dbf::EDbfError;
using dbf::TdfDBFFields;

struct FileState {
  int64_t size = -1;
  int64_t mtimeNs = 0;
  uint64_t inode = 0;
  bool operator==(const FileState& o) const {
    return size == o.size && mtimeNs == o.mtimeNs && inode == o.inode;
  }
};

FileState StateOf(const std::string& path) {
  struct stat st {};
  FileState s;
  if (::stat(path.c_str(), &st) == 0) {
    s.size = st.st_size;
    s.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = st.st_ino;
  }
  return s;
}

struct DbfVtab;

// What the module keeps for one connection: its planning choice, its tables
// and how many cursors are open. When the last cursor closes a statement (or
// its reading phase) is over: the tables' spare handles are closed and their
// files are looked at again by the next statement.
struct ModuleState {
  bool planLookups = true;
  int openCursors = 0;
  std::unordered_set<DbfVtab*> tables;
};

// The hash index of a column: the (hash of key, record) pairs sorted, and a
// directory of where each value of the hashes' top bits starts, so that a
// look-up reads a few neighbouring entries instead of searching them all.
struct KeyIndex {
  std::vector<std::pair<uint64_t, int32_t>> entries;
  std::vector<uint32_t> starts;  // 2^bits + 1 positions
  int bits = 0;

  explicit KeyIndex(std::vector<std::pair<uint64_t, int32_t>> sorted) : entries(std::move(sorted)) {
    while (bits < 24 && (size_t{1} << (bits + 1)) <= entries.size()) ++bits;
    starts.resize((size_t{1} << bits) + 1);
    size_t e = 0;
    for (size_t p = 0; p < starts.size(); ++p) {
      while (e < entries.size() && Bucket(entries[e].first) < p) ++e;
      starts[p] = static_cast<uint32_t>(e);
    }
  }
  size_t Bucket(uint64_t h) const { return bits == 0 ? 0 : static_cast<size_t>(h >> (64 - bits)); }

  // Appends the records whose key has the hash h. hint: where the last
  // look-up ended; a correlated subquery asks for its keys mostly in
  // increasing order, so the search gallops forward from there through
  // memory it has just read.
  void Find(uint64_t h, std::vector<int32_t>& out, size_t& hint) const {
    size_t from = starts[Bucket(h)], to = starts[Bucket(h) + 1];
    if (hint < entries.size() && entries[hint].first <= h && hint >= from && hint < to) {
      size_t step = 1;
      from = hint;
      while (from + step < to && entries[from + step].first < h) {
        from += step;
        step *= 2;
      }
      to = std::min(to, from + step + 1);
    }
    auto at = std::lower_bound(entries.begin() + static_cast<std::ptrdiff_t>(from),
                               entries.begin() + static_cast<std::ptrdiff_t>(to),
                               std::pair<uint64_t, int32_t>(h, INT32_MIN));
    for (; at != entries.end() && at->first == h; ++at) out.push_back(at->second);
    hint = static_cast<size_t>(at - entries.begin());
  }
};

// One record's value of a column as SQLite sees it, for sorting: NULL, an
// integer or a real (the number), or text (bytes of the order's text).
struct OrderEntry {
  enum Kind : uint8_t { kNull, kInteger, kReal, kText };
  double number = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
  int32_t record = 0;
  Kind kind = kNull;
};

// The live records of a table sorted by one column's value the way SQLite
// sorts with the BINARY collation (NULLs, then numbers by value, then text
// by bytes), ties by record number.
struct ColumnOrder {
  std::vector<OrderEntry> entries;
  std::string text;

  std::string_view Text(const OrderEntry& e) const {
    return std::string_view(text).substr(e.offset, e.length);
  }
  // <0, 0, >0 as a sorts before, with or after b.
  int Compare(const OrderEntry& a, const OrderEntry& b) const {
    auto rank = [](OrderEntry::Kind k) {
      return k == OrderEntry::kNull ? 0 : (k == OrderEntry::kText ? 2 : 1);
    };
    if (rank(a.kind) != rank(b.kind)) return rank(a.kind) < rank(b.kind) ? -1 : 1;
    if (a.kind == OrderEntry::kNull) return 0;
    if (a.kind != OrderEntry::kText) {
      return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    }
    return Text(a).compare(Text(b));
  }
};

// The records of a table in one file state, read at once: the look-ups and
// ordered scans of a statement read their records from here instead of
// reading the file once per record. One byte more than the records, as a
// record buffer wants.
struct TableImage {
  // Fresh memory is costly to touch page by page: the image asks for large
  // pages and is not cleared before the file's bytes are read into it.
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  explicit TableImage(size_t size) {
    constexpr size_t kLargePage = size_t{2} << 20;
    const size_t rounded = (size + kLargePage - 1) / kLargePage * kLargePage;
    bytes.reset(static_cast<uint8_t*>(std::aligned_alloc(kLargePage, rounded)));
    if (!bytes) throw std::bad_alloc();
    ::madvise(bytes.get(), rounded, MADV_HUGEPAGE);
  }
  std::unique_ptr<uint8_t, Free> bytes;
  int32_t records = 0;
  int32_t length = 0;
  uint8_t* Record(int32_t r) { return bytes.get() + static_cast<size_t>(r - 1) * length; }
};

// The largest table kept in memory whole; a larger one is read record by
// record.
constexpr int64_t kImageBytes = int64_t{256} << 20;

struct DbfVtab {
  sqlite3_vtab base{};
  ModuleState* module = nullptr;
  sqlite3* db = nullptr;
  std::string path;
  CodePage codePage = CodePage::Cp1251;
  std::vector<TdfDBFFields> fields;
  uint8_t version = 0;
  std::vector<PlanColumn> planColumns;
  // Per column: read from the memo file; stored in binary form.
  std::vector<uint8_t> memo;
  std::vector<uint8_t> binary;
  // False: every plan is a scan (the connection was registered so).
  bool planLookups = true;
  // The open writer while a write transaction runs.
  std::unique_ptr<DFO_dBHandler> writer;
  // True from the start of a statement that may write the table to the end
  // of its transaction: only then may SQLite read a column it will not change.
  bool writing = false;
  // Changed records not yet in the file, in increasing order (as an UPDATE
  // changes them), and their bytes one after another; written together.
  std::vector<int32_t> pendingRecords;
  std::vector<uint8_t> pending;
  // What is known of the file in this state: equality look-ups (how often
  // each column was filtered on, and the hash indexes built from the second
  // time on), the record count and the distinct values of columns.
  FileState knownState;
  std::unordered_map<int, int> filterCounts;
  // An index is the sorted (hash of key, record) pairs of a column: 12 bytes a
  // row. Hashes that collide only add candidates, which SQLite checks again.
  std::unordered_map<int, KeyIndex> indexes;
  // The unsorted entries of an index collected by a first look-up's scan
  // that ran to the end; the second look-up sorts them instead of reading
  // the table again.
  std::unordered_map<int, std::vector<std::pair<uint64_t, int32_t>>> collected;
  // Distinct non-null values of a column: exact once its index is built,
  // else estimated from a sample of records.
  std::unordered_map<int, double> distinct;
  // The columns whose sorted values an ordered scan has built.
  std::unordered_map<int, std::shared_ptr<const ColumnOrder>> orders;
  // The table's records once a look-up or an ordered scan needed them.
  std::shared_ptr<TableImage> image;
  // The live records of the sample the estimates come from (read once for
  // every column) and how many records were looked at for it.
  std::vector<uint8_t> sample;
  int64_t sampleRead = 0;
  int32_t records = -1;
  // True once a cursor of the running statement looked at the file state
  // (a statement sees one state of the file; its own writes reset this).
  bool stateChecked = false;
  // Counts what was forgotten: entries collected across a change are dropped.
  uint64_t generation = 0;
  // A closed cursor's handle, taken by the next cursor of the same
  // statement (a correlated subquery opens its cursor once per outer row).
  std::unique_ptr<DFO_dBHandler> spare;
};

// A forward walk over the live records of a table as it stood when the walk
// began. An unencrypted table is read a chunk of whole records at a time and
// the handle's record buffer points at each record inside the chunk, so a
// record is neither copied nor read by a call of its own; an encrypted one
// goes through the handle record by record.
class RecordScan {
 public:
  // With an image of the table the records come from it.
  void Start(DFO_dBHandler& t, TableImage* image = nullptr) {
    t.UseOwnRecordBuffer();
    t.RefreshHeader();
    record_ = 0;
    end_ = t.RecordCount();
    chunkFirst_ = 1;
    chunkRecords_ = 0;
    image_ = image && !t.IsEncrypted() ? image : nullptr;
    if (image_) end_ = std::min(end_, image_->records);
  }

  // Moves to the next live record; false at the end.
  bool Next(DFO_dBHandler& t) {
    if (t.IsEncrypted()) {
      t.GoTo(record_ == 0 ? dbf::kMoveFirst : dbf::kMoveNext);
      if (t.Eof() || t.Bof() || t.RecordCount() == 0) return false;
      record_ = t.CurrentRecord();
      return true;
    }
    const int32_t length = t.RecordLength();
    while (record_ < end_) {
      ++record_;
      if (image_) {
        uint8_t* p = image_->Record(record_);
        if (*p == '*') continue;
        t.SetRecordBuffer(p);
        return true;
      }
      if (record_ >= chunkFirst_ + chunkRecords_ && !ReadChunk(t, length)) return false;
      uint8_t* p = chunk_.data() + static_cast<size_t>(record_ - chunkFirst_) * length;
      if (*p == '*') continue;  // deleted
      t.SetRecordBuffer(p);
      return true;
    }
    return false;
  }

  int32_t Record() const { return record_; }

 private:
  static constexpr int32_t kChunkBytes = 256 * 1024;

  // Reads the chunk that starts at the current record; false when the file
  // holds no whole record there (it was cut short since).
  bool ReadChunk(DFO_dBHandler& t, int32_t length) {
    const int32_t count = std::min(end_ - record_ + 1, std::max(1, kChunkBytes / length));
    // The record buffer holds one byte more than the record.
    chunk_.resize(static_cast<size_t>(count) * length + 1);
    const int64_t offset = t.HeaderLength() + static_cast<int64_t>(record_ - 1) * length;
    if (offset + static_cast<int64_t>(count) * length > INT32_MAX) {
      throw EDbfError(dbf::FormatDbfMessage(dbf::msg::kRead, {t.FileName()}));
    }
    t.UseOwnRecordBuffer();
    // Past the handler's read buffer: the chunk is the buffer.
    const int32_t got = t.DFO_DiskFile::Read(static_cast<int32_t>(offset), chunk_.data(),
                                             static_cast<int32_t>(count) * length);
    chunkFirst_ = record_;
    chunkRecords_ = std::max(got, 0) / length;
    if (chunkRecords_ == 0) {
      end_ = record_ - 1;
      return false;
    }
    return true;
  }

  std::vector<uint8_t> chunk_;
  TableImage* image_ = nullptr;
  int32_t record_ = 0;
  int32_t end_ = 0;
  int32_t chunkFirst_ = 1;
  int32_t chunkRecords_ = 0;
};

// One value test of a plan on the current record (plan tests other than the
// look-up): equality by look-up key, ranges on a number or an ISO text.
struct ValueTest {
  char op = '=';
  int column = 0;
  std::string key;      // '=': the value's look-up key
  bool number = false;  // a range: compare numbers (else text)
  long double bound = 0;
  std::string text;
};

struct DbfCursor {
  sqlite3_vtab_cursor base{};
  std::unique_ptr<DFO_dBHandler> table;
  bool eof = true;
  // The current record's number.
  int32_t record = 0;
  RecordScan scan;
  // Candidate records of an indexed equality look-up (empty: scan).
  bool useCandidates = false;
  std::vector<int32_t> candidates;
  size_t nextCandidate = 0;
  // A scan filtered on one column's key, collecting the column's index
  // entries on the way when `collecting`.
  int keyColumn = -1;
  // The hashes of the keys of an IN list, sorted: a record whose key's hash
  // is among them passes (SQLite checks the list itself).
  std::vector<uint64_t> keys;
  std::string onlyKey;  // the key when there is one (keys is then empty)
  std::string key;      // the current record's key
  std::string testKey;  // the key of a tested column
  // The plan of the last filter and its tests; the key of a single look-up.
  std::string planText;
  std::vector<PlanTest> plan;
  std::vector<std::string> lookupKeys;
  bool collecting = false;
  uint64_t collectingGeneration = 0;
  std::vector<std::pair<uint64_t, int32_t>> entries;
  // Further tests every record must pass.
  std::vector<ValueTest> tests;
  // A scan filtered on one character field's stored bytes (equality with a
  // text value, LIKE, GLOB): only records that pass reach SQLite.
  const TdfDBFFields* rawColumn = nullptr;
  std::optional<RawTextFilter> rawFilter;
  // An ordered scan: the sorted values, the entries in the order asked, the
  // current one, and whether the handle holds the current record (read only
  // when SQLite asks for another column).
  std::shared_ptr<const ColumnOrder> order;
  int orderColumn = -1;
  std::vector<uint32_t> walk;
  size_t nextInWalk = 0;
  const OrderEntry* current = nullptr;
  bool recordRead = false;
  // Where the cursor's last look-up in a hash index ended.
  size_t indexHint = 0;
  // The image the cursor's records are read from (null: the file).
  std::shared_ptr<TableImage> image;
  // Decoded text of the column being read.
  std::string scratch;
};

DbfVtab* VtabOf(sqlite3_vtab* v) {
  return reinterpret_cast<DbfVtab*>(v);
}
DbfCursor* CursorOf(sqlite3_vtab_cursor* c) {
  return reinterpret_cast<DbfCursor*>(c);
}

void SetError(sqlite3_vtab* v, const std::string& message) {
  sqlite3_free(v->zErrMsg);
  v->zErrMsg = sqlite3_mprintf("%s", message.c_str());
}

// A field's text without the padding on either side (numbers, dates, logicals).
std::string_view TrimBlanks(std::string_view s) {
  return dbf::WithoutLeadingBlanks(dbf::TrimmedFieldBytes(s));
}

bool IsMemo(const DbfVtab& vt, const TdfDBFFields& f) {
  return f.type == 'M' || ((f.type == 'B' || f.type == 'G') && vt.version != 0x30) ||
         (f.type == 'G' && vt.version == 0x30);
}

const char* DeclaredType(const DbfVtab& vt, const TdfDBFFields& f) {
  switch (f.type) {
    case 'N':
    case 'F':
      return f.decimalsByte == 0 && f.width < 19 ? "INTEGER" : "REAL";
    case 'L':
    case 'I':
      return "INTEGER";
    case 'Y':
      return "REAL";
    case 'B':
      return vt.version == 0x30 ? "REAL" : "BLOB";
    case 'G':
      return "BLOB";
    default:
      return "TEXT";
  }
}

// The normal form of a value for equality look-ups: numbers by value, text as
// it is; two values SQLite may find equal always get the same key.
// A number's key is "n:" and the bytes of the double (0 and -0 alike).
std::string KeyOfNumber(double v) {
  if (v == 0) v = 0;
  std::string key("n:", 2);
  key.append(reinterpret_cast<const char*>(&v), sizeof v);
  return key;
}

bool NumberOfKey(const std::string& key, double& v) {
  if (key.size() != 2 + sizeof v || key.compare(0, 2, "n:") != 0) return false;
  std::memcpy(&v, key.data() + 2, sizeof v);
  return true;
}

// The hash of a look-up key. A number's is its value's bits in an order
// that keeps numbers in their order (every number its own hash), so that an
// index is laid out by value and look-ups of increasing values read it
// forward; other keys are hashed.
uint64_t KeyHash(const std::string& key) {
  double v = 0;
  if (!NumberOfKey(key, v)) return std::hash<std::string>{}(key);
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);
}

std::string KeyOfText(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  // SQLite reads "+12" as a number where a column wants one; so must the key.
  if (t.size() > 1 && t.front() == '+' && t[1] != '-' && t[1] != '+') t.remove_prefix(1);
  double v = 0;
  if (!t.empty()) {
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc() && p == t.data() + t.size() && std::isfinite(v)) return KeyOfNumber(v);
  }
  return "t:" + std::string(text);
}

bool KeyOfValue(sqlite3_value* v, std::string& key) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      key = KeyOfNumber(sqlite3_value_double(v));
      return true;
    case SQLITE_TEXT: {
      const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
      key = KeyOfText(text ? std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v)))
                           : std::string_view());
      return true;
    }
    case SQLITE_BLOB: {
      const char* data = static_cast<const char*>(sqlite3_value_blob(v));
      key = "b:" + std::string(data ? data : "", static_cast<size_t>(sqlite3_value_bytes(v)));
      return true;
    }
    default:
      return false;
  }
}

// The common forms read without the engine's general path: a whole number
// of at most 15 digits between blanks (exact in a double, so the value is
// the one the engine reads), and a valid date of eight digits.
bool PlainInteger(std::string_view raw, int64_t& value) {
  size_t i = 0;
  while (i < raw.size() && raw[i] == ' ') ++i;
  bool negative = false;
  if (i < raw.size() && (raw[i] == '-' || raw[i] == '+')) negative = raw[i++] == '-';
  const size_t first = i;
  int64_t v = 0;
  while (i < raw.size() && raw[i] >= '0' && raw[i] <= '9') v = v * 10 + (raw[i++] - '0');
  if (i == first || i - first > 15) return false;
  while (i < raw.size() && raw[i] == ' ') ++i;
  if (i != raw.size()) return false;
  value = negative ? -v : v;
  return true;
}

bool PlainDate(std::string_view raw, char (&iso)[10]) {
  if (raw.size() != 8) return false;
  // Eight digits, tested and taken a word at a time: a byte is a digit when
  // its top half is 3 and adding 6 leaves it so.
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull, kZeros = 0x3030303030303030ull;
  uint64_t word;
  std::memcpy(&word, raw.data(), 8);
  if ((word & kHigh) != kZeros || ((word + 0x0606060606060606ull) & kHigh) != kZeros) return false;
  uint8_t digit[8];
  const uint64_t values = word - kZeros;
  std::memcpy(digit, &values, 8);
  const int y = digit[0] * 1000 + digit[1] * 100 + digit[2] * 10 + digit[3];
  const int m = digit[4] * 10 + digit[5], d = digit[6] * 10 + digit[7];
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
  if (m == 2 && d == 29 && !((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return false;
  std::memcpy(iso, raw.data(), 4);
  iso[4] = '-';
  std::memcpy(iso + 5, raw.data() + 4, 2);
  iso[7] = '-';
  std::memcpy(iso + 8, raw.data() + 6, 2);
  return true;
}

// True when every byte is below 0x80.
bool IsAscii(std::string_view s) {
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; i < s.size(); ++i) {
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  }
  return true;
}

// Writes the column value of the current record into the context (or, with
// ctx null, its look-up key into key; false for NULL).
// scratch: the cursor's buffer for decoded text, reused row after row.
bool ColumnValue(DbfVtab& vt, DFO_dBHandler& t, int col, sqlite3_context* ctx, std::string* key,
                 std::string& scratch) {
  const TdfDBFFields& f = vt.fields[static_cast<size_t>(col)];
  const int n = f.number;
  std::string_view raw = t.RawField(f);
  auto textResult = [&](std::string_view bytes) {
    std::string_view s = dbf::TrimmedFieldBytes(bytes);
    if (s.empty()) {
      if (ctx) sqlite3_result_null(ctx);
      return false;
    }
    if (!ctx && !key) return true;
    // ASCII reads the same in every code page: handed over as it is stored.
    if (!key && IsAscii(s)) {
      sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      return true;
    }
    std::string& utf8 = scratch;
    bytes::DecodeToUtf8(s, vt.codePage, utf8);
    if (key) *key = KeyOfText(utf8);
    if (ctx) sqlite3_result_text(ctx, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return true;
  };
  auto nullResult = [&] {
    if (ctx) sqlite3_result_null(ctx);
    return false;
  };
  if (vt.memo[static_cast<size_t>(col)]) {
    if (f.type == 'M') return textResult(t.ReadMemo(n));
    std::string data = t.ReadMemo(n);
    if (data.empty()) return nullResult();
    if (key) *key = "b:" + data;
    if (ctx) sqlite3_result_blob(ctx, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
    return true;
  }
  if (vt.binary[static_cast<size_t>(col)]) {
    double v = t.GetNumeric(n);
    if (f.type == 'T') {
      if (v == 0) return nullResult();
      int64_t ms = static_cast<int64_t>(v);
      int32_t day = static_cast<int32_t>(ms / 86400000) + 1721425;
      int64_t rest = ms % 86400000;
      int y, m, d;
      dbf::TdfDBFDate::DecodeJulian(day, y, m, d);
      char buf[40];
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d,
                    static_cast<int>(rest / 3600000), static_cast<int>(rest / 60000 % 60),
                    static_cast<int>(rest / 1000 % 60));
      if (key) *key = KeyOfText(buf);
      if (ctx) sqlite3_result_text(ctx, buf, -1, SQLITE_TRANSIENT);
      return true;
    }
    if (key) *key = KeyOfNumber(v);
    if (ctx) {
      if (f.type == 'I') {
        sqlite3_result_int64(ctx, static_cast<int64_t>(v));
      } else {
        sqlite3_result_double(ctx, v);
      }
    }
    return true;
  }
  switch (f.type) {
    case 'N':
    case 'F': {
      if (f.decimalsByte == 0 && f.width < 19) {
        int64_t whole = 0;
        if (PlainInteger(raw, whole)) {
          if (key) *key = KeyOfNumber(static_cast<double>(whole));
          if (ctx) sqlite3_result_int64(ctx, whole);
          return true;
        }
      }
      if (TrimBlanks(raw).empty()) return nullResult();
      double v = t.GetNumeric(n);  // raises on garbage
      if (key) *key = KeyOfNumber(v);
      if (ctx) {
        if (f.decimalsByte == 0 && f.width < 19 && std::fabs(v) < 9.2e18 && v == std::trunc(v)) {
          sqlite3_result_int64(ctx, static_cast<int64_t>(std::llround(v)));
        } else {
          sqlite3_result_double(ctx, v);
        }
      }
      return true;
    }
    case 'D': {
      char iso[10];
      if (PlainDate(raw, iso)) {
        if (key) *key = "t:" + std::string(iso, sizeof iso);
        if (ctx) sqlite3_result_text(ctx, iso, sizeof iso, SQLITE_TRANSIENT);
        return true;
      }
      std::string_view s = TrimBlanks(raw);
      if (s.empty() || s == "00000000") return nullResult();
      int32_t day = t.GetDate(n);  // raises on garbage
      if (day == dbf::TdfDBFDate::kDayOffset && s != "18991230") return nullResult();
      int y, m, d;
      dbf::TdfDBFDate::DecodeJulian(day, y, m, d);
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
      if (key) *key = KeyOfText(buf);
      if (ctx) sqlite3_result_text(ctx, buf, 10, SQLITE_TRANSIENT);
      return true;
    }
    case 'L': {
      std::string_view s = TrimBlanks(raw);
      if (s.empty() || s == "?") return nullResult();
      bool v = dbf::LogicalTrueLetters.find(s[0]) != std::string_view::npos;
      if (key) *key = KeyOfNumber(v ? 1 : 0);
      if (ctx) sqlite3_result_int(ctx, v ? 1 : 0);
      return true;
    }
    default:
      return textResult(raw);
  }
}

// Puts a SQL value into a field of the writer's record buffer.
void PutValue(DbfVtab& vt, DFO_dBHandler& t, int col, sqlite3_value* v) {
  const TdfDBFFields& f = vt.fields[static_cast<size_t>(col)];
  const int n = f.number;
  const int type = sqlite3_value_type(v);
  auto text = [&]() -> std::string {
    const unsigned char* p = sqlite3_value_text(v);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<size_t>(sqlite3_value_bytes(v)))
             : std::string();
  };
  if (type == SQLITE_NULL) {
    if (IsMemo(vt, f)) {
      t.PutMemoBlock(n, 0);
    } else if (t.IsBinaryField(f)) {
      t.PutNumeric(n, 0);
    } else {
      t.PutFieldRaw(n, "");
    }
    return;
  }
  if (IsMemo(vt, f)) {
    std::string data = f.type == 'M' ? bytes::EncodeFromUtf8(text(), vt.codePage)
                                     : std::string(static_cast<const char*>(sqlite3_value_blob(v)),
                                                   static_cast<size_t>(sqlite3_value_bytes(v)));
    t.WriteMemo(n, data.data(), static_cast<int32_t>(data.size()));
    return;
  }
  if (t.IsBinaryField(f) || f.type == 'N' || f.type == 'F') {
    if (f.type == 'T') {
      throw EDbfError(dbf::FormatDbfMessage(dbf::msg::kIncorrectType, {f.name}));
    }
    if (type == SQLITE_TEXT) {
      t.PutFieldText(n, text());
      return;
    }
    // A whole number in a field without decimals: the digits the general
    // formatting would write, right-aligned, without going through it.
    if (type == SQLITE_INTEGER && !vt.binary[static_cast<size_t>(col)] && f.decimalsByte == 0) {
      const int64_t whole = sqlite3_value_int64(v);
      char digits[24];
      const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, whole);
      const auto length = static_cast<size_t>(end - digits);
      if (ec == std::errc() && whole > -1000000000000000 && whole < 1000000000000000 &&
          length <= static_cast<size_t>(f.width)) {
        t.WriteFieldText(f, std::string_view(digits, length), t.RecordBuffer());
        return;
      }
    }
    t.PutNumeric(n, sqlite3_value_double(v));
    return;
  }
  switch (f.type) {
    case 'D': {
      std::string s = text();
      // ISO "yyyy-mm-dd" (with or without a time), else the engine's forms.
      if (s.size() >= 10 && s[4] == '-' && s[7] == '-')
        s = s.substr(0, 4) + s.substr(5, 2) + s.substr(8, 2);
      t.PutDate(n, dbf::TdfDBFDate::TextToJulian(s));
      return;
    }
    case 'L':
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        t.PutLogical(n, std::trunc(sqlite3_value_double(v)) != 0);
      } else {
        t.PutFieldText(n, text());
      }
      return;
    default:
      t.PutFieldRaw(n, bytes::EncodeFromUtf8(text(), vt.codePage));
  }
}

std::unique_ptr<DFO_dBHandler> OpenTable(const DbfVtab& vt, bool write) {
  auto t = std::make_unique<DFO_dBHandler>(vt.path, true, write, "");
  t->SetUseDeleted(false);
  t->UseRecordBuffer(true);
  return t;
}

int Connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
            char** err) {
  if (argc < 4) {
    *err = sqlite3_mprintf("dbf: a file name is needed");
    return SQLITE_ERROR;
  }
  auto unquote = [](std::string s) {
    if (s.size() >= 2 && (s.front() == '\'' || s.front() == '"')) {
      const char q = s.front();
      s = s.substr(1, s.size() - 2);
      std::string out;
      for (size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == q && i + 1 < s.size() && s[i + 1] == q) ++i;
      }
      s = out;
    }
    return s;
  };
  auto vt = std::make_unique<DbfVtab>();
  vt->db = db;
  vt->module = static_cast<ModuleState*>(aux);
  vt->planLookups = vt->module->planLookups;
  vt->path = unquote(argv[3]);
  std::string cp = argc > 4 ? unquote(argv[4]) : "1251";
  try {
    DFO_dBHandler t(vt->path, true, false, "");
    vt->fields = t.Fields();
    vt->version = t.Version();
    for (const TdfDBFFields& f : vt->fields) {
      vt->memo.push_back(IsMemo(*vt, f) ? 1 : 0);
      vt->binary.push_back(t.IsBinaryField(f) ? 1 : 0);
    }
    const uint8_t lang = t.LanguageByte();
    vt->codePage =
        (cp == "866" || lang == 0x26 || lang == 0x65) ? CodePage::Cp866 : CodePage::Cp1251;
    if (lang == 0xC9 || lang == 0x57) vt->codePage = CodePage::Cp1251;
  } catch (const EDbfError& e) {
    *err = sqlite3_mprintf("%s", e.what());
    return SQLITE_ERROR;
  }
  for (const TdfDBFFields& f : vt->fields) {
    PlanColumn pc;
    const std::string_view declared = DeclaredType(*vt, f);
    pc.character = f.type == 'C';
    pc.numeric = !IsMemo(*vt, f) && (declared == "INTEGER" || declared == "REAL");
    pc.date = f.type == 'D';
    pc.orderable = (pc.character && !IsMemo(*vt, f) && !vt->binary[vt->planColumns.size()]) ||
                   pc.numeric || pc.date;
    pc.exactEquality = pc.date || ((f.type == 'N' || f.type == 'F') && pc.numeric &&
                                   !vt->binary[vt->planColumns.size()] && f.width <= 15);
    vt->planColumns.push_back(pc);
  }
  std::string ddl = "CREATE TABLE x(";
  for (size_t i = 0; i < vt->fields.size(); ++i) {
    if (i) ddl += ", ";
    ddl += "\"" + vt->fields[i].name + "\" " + DeclaredType(*vt, vt->fields[i]);
  }
  ddl += ")";
  if (vt->fields.empty()) ddl = "CREATE TABLE x(\"_\" TEXT HIDDEN)";
  int rc = sqlite3_declare_vtab(db, ddl.c_str());
  if (rc != SQLITE_OK) {
    *err = sqlite3_mprintf("dbf: cannot declare %s", ddl.c_str());
    return rc;
  }
  vt->module->tables.insert(vt.get());
  *out = &vt.release()->base;
  return SQLITE_OK;
}

// Writes the changed records kept back: all but the last at once, the last
// through the engine's record write, which also stamps the header.
void FlushWrites(DbfVtab& vt) {
  if (vt.pendingRecords.empty()) return;
  std::vector<int32_t> records;
  std::vector<uint8_t> bytes;
  records.swap(vt.pendingRecords);
  bytes.swap(vt.pending);
  if (!vt.writer) return;
  DFO_dBHandler& t = *vt.writer;
  const auto length = static_cast<size_t>(t.RecordLength());
  // Each run of consecutive records but the last record in one write.
  const size_t last = records.size() - 1;
  for (size_t i = 0; i < last;) {
    size_t j = i + 1;
    while (j < last && records[j] == records[j - 1] + 1) ++j;
    const int64_t offset = t.HeaderLength() + static_cast<int64_t>(records[i] - 1) * length;
    t.Write(static_cast<int32_t>(offset), bytes.data() + i * length,
            static_cast<int32_t>((j - i) * length));
    i = j;
  }
  std::memcpy(t.RecordBuffer(), bytes.data() + last * length, length);
  t.WriteRecord(records[last]);
  // The buffers are used again.
  records.clear();
  bytes.clear();
  vt.pendingRecords.swap(records);
  vt.pending.swap(bytes);
}

int Disconnect(sqlite3_vtab* v) {
  std::unique_ptr<DbfVtab> owned(VtabOf(v));
  try {
    FlushWrites(*owned);
  } catch (const EDbfError&) {
    // Nothing reports a fault here; the transaction's end wrote them already.
  }
  owned->module->tables.erase(owned.get());
  return SQLITE_OK;
}

// The plans of a scan filtered on a pattern (idxStr; idxNum is the column + 1).
constexpr char kLikeScan[] = "like";
constexpr char kGlobScan[] = "glob";

// How many bytes of changed records are kept back at most.
constexpr size_t kPendingBytes = 256 * 1024;

// Forgets what was known of the file when it changed since. A running
// statement looks once (inStatement); planning looks every time.
void Revalidate(DbfVtab& vt, bool inStatement) {
  if (inStatement && vt.stateChecked) return;
  const FileState now = StateOf(vt.path);
  vt.stateChecked = inStatement;
  if (now == vt.knownState) return;
  ++vt.generation;
  vt.indexes.clear();
  vt.collected.clear();
  vt.filterCounts.clear();
  vt.distinct.clear();
  vt.orders.clear();
  vt.image.reset();
  vt.sample.clear();
  vt.sampleRead = 0;
  vt.records = -1;
  vt.spare.reset();
  vt.knownState = now;
}

// After a write of the table: nothing known of the file holds.
void ForgetFile(DbfVtab& vt) {
  ++vt.generation;
  // An update calls this for every record: nothing to forget after the first.
  if (vt.records < 0 && !vt.spare && vt.indexes.empty() && vt.collected.empty() &&
      vt.filterCounts.empty() && vt.distinct.empty() && vt.orders.empty() && !vt.image &&
      vt.sample.empty() && !vt.stateChecked && vt.knownState == FileState{}) {
    return;
  }
  vt.indexes.clear();
  vt.collected.clear();
  vt.filterCounts.clear();
  vt.distinct.clear();
  vt.orders.clear();
  vt.image.reset();
  vt.sample.clear();
  vt.sampleRead = 0;
  vt.records = -1;
  vt.spare.reset();
  vt.stateChecked = false;
  vt.knownState = FileState{};
}

// The records of the table and, with column >= 0, an estimate of the
// column's distinct values from up to 1,000 records spread over the table
// (every record of a smaller table): d / (1 - (1 - q) f1 / k) for d distinct
// values in k records of which f1 were seen once, q the share of the table
// read, so a column whose sample is all singletons counts as unique.
void SampleTable(DbfVtab& vt, int column) {
  auto t = OpenTable(vt, false);
  t->UseRecordBuffer(false);
  vt.records = t->RecordCount();
  if (column < 0) return;
  const int64_t n = vt.records;
  const int64_t k = std::min<int64_t>(n, 1000);
  const auto length = static_cast<size_t>(t->RecordLength());
  if (vt.sampleRead != k) {
    vt.sample.clear();
    for (int64_t i = 0; i < k; ++i) {
      t->GoTo(static_cast<int32_t>(1 + i * n / k));
      if (t->CurrentRecordDeleted()) continue;
      vt.sample.insert(vt.sample.end(), t->RecordBuffer(), t->RecordBuffer() + length);
    }
    vt.sampleRead = k;
  }
  std::unordered_map<std::string, int> seen;
  const int64_t taken = length ? static_cast<int64_t>(vt.sample.size() / length) : 0;
  std::string key, scratch;
  // A record buffer holds one byte more than the record.
  std::vector<uint8_t> record(length + 1);
  for (int64_t i = 0; i < taken; ++i) {
    std::memcpy(record.data(), vt.sample.data() + static_cast<size_t>(i) * length, length);
    t->SetRecordBuffer(record.data());
    if (ColumnValue(vt, *t, column, nullptr, &key, scratch)) ++seen[key];
  }
  t->UseOwnRecordBuffer();
  double d = static_cast<double>(seen.size());
  if (taken > 0 && k < n) {
    double once = 0;
    for (const auto& entry : seen) once += entry.second == 1;
    const double q = static_cast<double>(taken) / static_cast<double>(n);
    const double denominator = 1 - (1 - q) * once / static_cast<double>(taken);
    d = denominator > 0 ? d / denominator : static_cast<double>(n);
  }
  vt.distinct[column] = std::clamp(d, 1.0, std::max(1.0, static_cast<double>(n)));
}

// The order SQLite asks of the rows when the module can give it: one
// orderable column, perhaps followed by the rowid. SQLite passes an ORDER BY
// term only when it names a column of this table with the column's own
// collation (BINARY here) and without NULLS LAST; for a DISTINCT or GROUP BY
// the terms are its columns, which sorted rows keep adjacent.
bool OrderAsked(const DbfVtab& vt, sqlite3_index_info* info, PlanOrder& order) {
  const int terms = info->nOrderBy;
  if (terms < 1 || terms > 2) return false;
  const auto& first = info->aOrderBy[0];
  if (first.iColumn < 0 || first.iColumn >= static_cast<int>(vt.planColumns.size()) ||
      !vt.planColumns[static_cast<size_t>(first.iColumn)].orderable) {
    return false;
  }
  order = PlanOrder{};
  order.column = first.iColumn;
  order.descending = first.desc != 0;
  if (terms == 2) {
    if (info->aOrderBy[1].iColumn != -1) return false;
    order.byRecord = true;
    order.recordDescending = info->aOrderBy[1].desc != 0;
  }
  order.ready = vt.orders.count(order.column) != 0;
  return true;
}

int BestIndex(sqlite3_vtab* v, sqlite3_index_info* info) {
  DbfVtab& vt = *VtabOf(v);
  std::vector<OfferedConstraint> offered;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    OfferedConstraint o;
    o.column = c.iColumn;
    o.op = c.op;
    o.usable = c.usable != 0 && vt.planLookups;
    // The look-up keys compare exactly; another collation is left to SQLite.
    const char* collation = sqlite3_vtab_collation(info, i);
    o.binary = !collation || sqlite3_stricmp(collation, "BINARY") == 0;
    o.inList = o.usable && c.op == SQLITE_INDEX_CONSTRAINT_EQ && sqlite3_vtab_in(info, i, -1);
    offered.push_back(o);
  }
  VtabPlan plan;
  try {
    Revalidate(vt, false);
    if (vt.records < 0) SampleTable(vt, -1);
    PlanOrder order;
    const bool ordered = vt.planLookups && OrderAsked(vt, info, order);
    plan = ChooseVtabPlan(
        offered, vt.planColumns, vt.records,
        [&](int column) {
          if (!vt.distinct.count(column)) SampleTable(vt, column);
          return vt.distinct[column];
        },
        ordered ? &order : nullptr);
  } catch (const EDbfError& e) {
    SetError(v, e.what());
    return SQLITE_ERROR;
  }
  for (size_t arg = 0; arg < plan.args.size(); ++arg) {
    info->aConstraintUsage[plan.args[arg]].argvIndex = static_cast<int>(arg) + 1;
    info->aConstraintUsage[plan.args[arg]].omit = 0;
  }
  for (int i : plan.omit) info->aConstraintUsage[i].omit = 1;
  for (int i : plan.inAllAtOnce) sqlite3_vtab_in(info, i, 1);
  info->idxNum = plan.idxNum;
  if (!plan.idxStr.empty()) {
    info->idxStr = sqlite3_mprintf("%s", plan.idxStr.c_str());
    info->needToFreeIdxStr = 1;
  }
  info->estimatedCost = plan.cost;
  info->estimatedRows = static_cast<sqlite3_int64>(plan.rows);
  info->orderByConsumed = plan.orderByConsumed ? 1 : 0;
  return SQLITE_OK;
}

int Open(sqlite3_vtab* v, sqlite3_vtab_cursor** out) {
  DbfVtab& vt = *VtabOf(v);
  auto c = std::make_unique<DbfCursor>();
  try {
    if (vt.spare) {
      c->table = std::move(vt.spare);
    } else {
      c->table = OpenTable(vt, false);
    }
  } catch (const EDbfError& e) {
    SetError(v, e.what());
    return SQLITE_ERROR;
  }
  ++vt.module->openCursors;
  *out = &c.release()->base;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cur) {
  std::unique_ptr<DbfCursor> owned(CursorOf(cur));
  DbfVtab& vt = *VtabOf(cur->pVtab);
  // The record buffer may point into the cursor's chunk.
  owned->table->UseOwnRecordBuffer();
  if (!vt.spare) vt.spare = std::move(owned->table);
  ModuleState& module = *vt.module;
  if (--module.openCursors > 0) return SQLITE_OK;
  module.openCursors = 0;
  for (DbfVtab* table : module.tables) {
    table->spare.reset();
    table->stateChecked = false;
  }
  return SQLITE_OK;
}

// The table's records in this file state, read on first use; null for an
// encrypted table or one too large to keep (its records are read one by one).
TableImage* ImageOf(DFO_dBHandler& t, DbfVtab& vt) {
  if (vt.image) return vt.image.get();
  if (t.IsEncrypted()) return nullptr;
  t.RefreshHeader();
  const int32_t length = t.RecordLength();
  const int64_t bytes = static_cast<int64_t>(std::max<int32_t>(t.RecordCount(), 0)) * length;
  if (length <= 0 || bytes > kImageBytes || t.HeaderLength() + bytes > INT32_MAX) return nullptr;
  auto image = std::make_shared<TableImage>(static_cast<size_t>(bytes) + 1);
  image->length = length;
  image->bytes.get()[bytes] = 0;
  const int32_t got = bytes == 0 ? 0
                                 : t.DFO_DiskFile::Read(t.HeaderLength(), image->bytes.get(),
                                                        static_cast<int32_t>(bytes));
  // A file cut short since its header was read holds fewer whole records.
  image->records = std::max(got, 0) / length;
  vt.image = std::move(image);
  return vt.image.get();
}

// Points the handler's record buffer at record r (read from the image when
// there is one); false when the record is not there or is deleted.
// The cursor keeps the image it reads from: a write of the statement makes
// the table forget it.
bool ReadCandidate(DbfCursor& c, DbfVtab& vt, int32_t r) {
  DFO_dBHandler& t = *c.table;
  if (!c.image && ImageOf(t, vt)) c.image = vt.image;
  if (TableImage* image = c.image.get()) {
    if (r < 1 || r > image->records) return false;
    uint8_t* p = image->Record(r);
    if (*p == '*') return false;
    t.SetRecordBuffer(p);
    return true;
  }
  if (r < 1 || r > t.RecordCount()) return false;
  t.UseOwnRecordBuffer();
  t.GoTo(r);
  return !t.CurrentRecordDeleted();
}

// True when the current record may pass every further test of the cursor.
bool PassesTests(DbfCursor& c, DbfVtab& vt, DFO_dBHandler& t) {
  if (c.tests.empty()) return true;
  std::string& key = c.testKey;
  for (const ValueTest& test : c.tests) {
    // NULL is neither equal to a value nor within a range.
    if (!ColumnValue(vt, t, test.column, nullptr, &key, c.scratch)) return false;
    if (test.op == '=') {
      if (key != test.key) return false;
      continue;
    }
    int order = 0;
    if (test.number) {
      double x = 0;
      if (!NumberOfKey(key, x)) continue;
      const long double value = x;
      order = value < test.bound ? -1 : (value > test.bound ? 1 : 0);
    } else {
      if (key.compare(0, 2, "t:") != 0) continue;
      order = std::string_view(key).substr(2).compare(test.text);
    }
    const bool passes = test.op == '<'   ? order < 0
                        : test.op == '{' ? order <= 0
                        : test.op == '>' ? order > 0
                                         : order >= 0;
    if (!passes) return false;
  }
  return true;
}

// Moves the cursor to the next row that may match.
void Advance(DbfCursor& c, DbfVtab& vt, bool first) {
  DFO_dBHandler& t = *c.table;
  if (c.order) {
    c.eof = c.nextInWalk >= c.walk.size();
    if (c.eof) return;
    c.current = &c.order->entries[c.walk[c.nextInWalk++]];
    c.record = c.current->record;
    c.recordRead = false;
    return;
  }
  if (c.useCandidates) {
    while (c.nextCandidate < c.candidates.size()) {
      int32_t r = c.candidates[c.nextCandidate++];
      if (!ReadCandidate(c, vt, r)) continue;
      c.record = r;
      if (PassesTests(c, vt, t)) {
        c.eof = false;
        return;
      }
    }
    c.eof = true;
    return;
  }
  std::string& key = c.key;
  if (first) c.scan.Start(t);
  while (c.scan.Next(t)) {
    c.record = c.scan.Record();
    if (c.rawFilter) {
      if (!c.rawFilter->Passes(t.RawField(*c.rawColumn))) continue;
    } else if (c.keyColumn >= 0) {
      if (!ColumnValue(vt, t, c.keyColumn, nullptr, &key, c.scratch)) continue;
      if (c.keys.empty()) {
        if (c.collecting) c.entries.emplace_back(KeyHash(key), c.record);
        if (key != c.onlyKey) continue;
      } else {
        const uint64_t h = KeyHash(key);
        if (c.collecting) c.entries.emplace_back(h, c.record);
        if (!std::binary_search(c.keys.begin(), c.keys.end(), h)) continue;
      }
    }
    if (PassesTests(c, vt, t)) {
      c.eof = false;
      return;
    }
  }
  c.eof = true;
  if (c.collecting) {
    if (c.collectingGeneration == vt.generation) vt.collected[c.keyColumn] = std::move(c.entries);
    c.collecting = false;
  }
}

// The byte test of a pattern or text value on a character field; empty when
// the value gives none (then the rows are left to SQLite alone).
std::optional<RawTextFilter> RawFilterOf(const DbfVtab& vt, int col, RawTextFilter::Kind kind,
                                         sqlite3_value* value) {
  if (vt.fields[static_cast<size_t>(col)].type != 'C') return std::nullopt;
  if (sqlite3_value_type(value) != SQLITE_TEXT) return std::nullopt;
  const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  const int bytes = sqlite3_value_bytes(value);
  if (!text) return std::nullopt;
  // SQLite refuses a pattern over its limit when it first evaluates it; a
  // scan that let no row through would hide that error.
  if (kind != RawTextFilter::Kind::kEqual &&
      bytes > sqlite3_limit(vt.db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
    return std::nullopt;
  }
  return RawTextFilter::Make(kind, std::string_view(text, static_cast<size_t>(bytes)), vt.codePage);
}

// The test of one plan argument; false when it tests nothing SQLite's own
// comparison would not (then SQLite alone decides). `none` is set when no
// record can pass (a comparison with NULL).
bool MakeTest(const DbfVtab& vt, const PlanTest& plan, sqlite3_value* value, ValueTest& test,
              bool& none) {
  test = ValueTest{};
  test.op = plan.op;
  test.column = plan.column;
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_NULL) {
    none = true;
    return false;
  }
  if (plan.op == '=') return KeyOfValue(value, test.key);
  if (plan.column < 0 || plan.column >= static_cast<int>(vt.planColumns.size())) return false;
  const PlanColumn& column = vt.planColumns[static_cast<size_t>(plan.column)];
  if (column.numeric && (type == SQLITE_INTEGER || type == SQLITE_FLOAT)) {
    test.number = true;
    test.bound = type == SQLITE_INTEGER ? static_cast<long double>(sqlite3_value_int64(value))
                                        : static_cast<long double>(sqlite3_value_double(value));
    return true;
  }
  if (column.date && type == SQLITE_TEXT) {
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    test.text.assign(text ? text : "", static_cast<size_t>(sqlite3_value_bytes(value)));
    return true;
  }
  return false;
}

// The hash index of col in this file state, built on first use (from the
// entries a first look-up's scan collected, else by a scan).
const KeyIndex& IndexOf(DbfCursor& c, DbfVtab& vt, int col) {
  auto found = vt.indexes.find(col);
  if (found != vt.indexes.end()) return found->second;
  DFO_dBHandler& t = *c.table;
  std::vector<std::pair<uint64_t, int32_t>> index;
  auto ready = vt.collected.find(col);
  if (ready != vt.collected.end()) {
    index = std::move(ready->second);
    vt.collected.erase(ready);
  } else {
    index.reserve(static_cast<size_t>(std::max<int32_t>(t.RecordCount(), 0)));
    std::string& k = c.key;
    RecordScan scan;
    for (scan.Start(t, ImageOf(t, vt)); scan.Next(t);) {
      if (ColumnValue(vt, t, col, nullptr, &k, c.scratch)) {
        index.emplace_back(KeyHash(k), scan.Record());
      }
    }
    t.UseOwnRecordBuffer();
  }
  std::sort(index.begin(), index.end());
  double distinct = 0;
  for (size_t i = 0; i < index.size(); ++i) {
    distinct += i == 0 || index[i].first != index[i - 1].first;
  }
  vt.distinct[col] = std::max(distinct, 1.0);
  return vt.indexes.emplace(col, KeyIndex(std::move(index))).first->second;
}

// The order entry of the current record's value of col (an orderable
// column): the value ColumnValue hands SQLite, its text added to `text`.
void OrderValue(DbfVtab& vt, DFO_dBHandler& t, int col, OrderEntry& e, std::string& text,
                std::string& key, std::string& scratch) {
  const TdfDBFFields& f = vt.fields[static_cast<size_t>(col)];
  e.kind = OrderEntry::kNull;
  auto addText = [&](std::string_view s) {
    if (text.size() + s.size() > UINT32_MAX)
      throw EDbfError("dbf: the column is too large to sort");
    e.kind = OrderEntry::kText;
    e.offset = static_cast<uint32_t>(text.size());
    e.length = static_cast<uint32_t>(s.size());
    text.append(s);
  };
  if (f.type == 'C') {
    const std::string_view s = dbf::TrimmedFieldBytes(t.RawField(f));
    if (s.empty()) return;
    if (IsAscii(s)) return addText(s);
    bytes::DecodeToUtf8(s, vt.codePage, scratch);
    return addText(scratch);
  }
  // Whole numbers and dates in their common forms, without a look-up key.
  const auto c = static_cast<size_t>(col);
  if (!vt.memo[c] && !vt.binary[c]) {
    int64_t whole = 0;
    char iso[10];
    if ((f.type == 'N' || f.type == 'F') && f.decimalsByte == 0 && f.width < 19 &&
        PlainInteger(t.RawField(f), whole)) {
      e.kind = OrderEntry::kInteger;
      e.number = static_cast<double>(whole);
      return;
    }
    if (f.type == 'D' && PlainDate(t.RawField(f), iso)) {
      return addText(std::string_view(iso, sizeof iso));
    }
  }
  if (!ColumnValue(vt, t, col, nullptr, &key, scratch)) return;
  double v = 0;
  if (!NumberOfKey(key, v)) return addText(std::string_view(key).substr(2));
  if (std::isnan(v)) return;  // SQLite takes a NaN result as NULL
  e.number = v;
  // Integers as ColumnValue gives them; every other number is a real.
  bool integer = false;
  if (vt.binary[static_cast<size_t>(col)]) {
    integer = f.type == 'I';
  } else if (f.type == 'L') {
    integer = true;
  } else {
    integer = f.decimalsByte == 0 && f.width < 19 && std::fabs(v) < 9.2e18 && v == std::trunc(v);
  }
  e.kind = integer ? OrderEntry::kInteger : OrderEntry::kReal;
}

// The sorted values of col in this file state, built on first use by a scan.
std::shared_ptr<const ColumnOrder> OrderOf(DbfCursor& c, DbfVtab& vt, int col) {
  auto found = vt.orders.find(col);
  if (found != vt.orders.end()) return found->second;
  DFO_dBHandler& t = *c.table;
  auto order = std::make_shared<ColumnOrder>();
  order->entries.reserve(static_cast<size_t>(std::max<int32_t>(t.RecordCount(), 0)));
  RecordScan scan;
  OrderEntry e;
  // The image when a look-up made one; else the file, a chunk at a time.
  for (scan.Start(t, vt.image.get()); scan.Next(t);) {
    OrderValue(vt, t, col, e, order->text, c.key, c.scratch);
    e.record = scan.Record();
    order->entries.push_back(e);
  }
  t.UseOwnRecordBuffer();
  const ColumnOrder& o = *order;
  const auto before = [&o](const OrderEntry& a, const OrderEntry& b) {
    const int by = o.Compare(a, b);
    return by != 0 ? by < 0 : a.record < b.record;
  };
  // A table written in the column's order (case ids) needs no sort.
  if (!std::is_sorted(order->entries.begin(), order->entries.end(), before)) {
    std::sort(order->entries.begin(), order->entries.end(), before);
  }
  vt.orders[col] = order;
  return order;
}

// Prepares the cursor for an ordered scan: the entries of the column's
// sorted values in the direction asked, ties in the rowid's direction.
void StartOrderedScan(DbfCursor& c, DbfVtab& vt, const PlanOrder& asked) {
  Revalidate(vt, true);
  c.order = OrderOf(c, vt, asked.column);
  c.orderColumn = asked.column;
  const std::vector<OrderEntry>& entries = c.order->entries;
  const auto n = static_cast<uint32_t>(entries.size());
  c.walk.resize(n);
  c.nextInWalk = 0;
  // Both directions alike: the sorted entries forward or backward.
  if (asked.descending == asked.recordDescending) {
    for (uint32_t i = 0; i < n; ++i) c.walk[i] = asked.descending ? n - 1 - i : i;
    return;
  }
  // Runs of equal values, each laid in the direction of the rowid.
  uint32_t out = 0;
  auto lay = [&](uint32_t from, uint32_t to) {
    for (uint32_t i = 0; i < to - from; ++i) {
      c.walk[out++] = asked.recordDescending ? to - 1 - i : from + i;
    }
  };
  std::vector<std::pair<uint32_t, uint32_t>> runs;
  for (uint32_t i = 0; i < n;) {
    uint32_t j = i + 1;
    while (j < n && c.order->Compare(entries[i], entries[j]) == 0) ++j;
    runs.emplace_back(i, j);
    i = j;
  }
  if (asked.descending) std::reverse(runs.begin(), runs.end());
  for (const auto& [from, to] : runs) lay(from, to);
}

// Prepares the cursor for an equality look-up of col with one or more keys
// (an IN list): a scan filtered on the keys the first time in this file
// state, the column's hash index from the second time on. `value` is the
// SQL value of a single key (its text may be tested on the stored bytes).
void StartLookup(DbfCursor& c, DbfVtab& vt, int col, sqlite3_value* value,
                 const std::vector<std::string>& keys) {
  DFO_dBHandler& t = *c.table;
  Revalidate(vt, true);
  if (keys.empty()) {  // nothing to match (NULLs only)
    c.useCandidates = true;
    return;
  }
  if (++vt.filterCounts[col] >= 2 || vt.indexes.count(col)) {
    const auto& index = IndexOf(c, vt, col);
    for (const std::string& key : keys) index.Find(KeyHash(key), c.candidates, c.indexHint);
    if (keys.size() > 1) {
      // In record order, each once: the file is read forward.
      std::sort(c.candidates.begin(), c.candidates.end());
      c.candidates.erase(std::unique(c.candidates.begin(), c.candidates.end()), c.candidates.end());
    }
    c.useCandidates = true;
    c.nextCandidate = 0;
    return;
  }
  // A single text value that does not read as a number is compared on the
  // stored bytes; the others by their look-up keys.
  if (keys.size() == 1 && value && keys[0].compare(0, 2, "t:") == 0) {
    c.rawFilter = RawFilterOf(vt, col, RawTextFilter::Kind::kEqual, value);
  }
  if (c.rawFilter) {
    c.rawColumn = &vt.fields[static_cast<size_t>(col)];
  } else {
    c.keyColumn = col;
    c.keys.clear();
    if (keys.size() == 1) {
      c.onlyKey = keys[0];
    } else {
      for (const std::string& k : keys) c.keys.push_back(KeyHash(k));
      std::sort(c.keys.begin(), c.keys.end());
    }
    // The scan reads the column anyway: its index entries are kept for the
    // next look-up of the statement.
    c.collecting = true;
    c.collectingGeneration = vt.generation;
    c.entries.clear();
    c.entries.reserve(static_cast<size_t>(std::max<int32_t>(t.RecordCount(), 0)));
  }
}

// The look-up keys of an IN list taken all at once (NULLs match nothing).
std::vector<std::string> KeysOfList(sqlite3_value* list) {
  std::vector<std::string> keys;
  sqlite3_value* v = nullptr;
  int rc = sqlite3_vtab_in_first(list, &v);
  for (; rc == SQLITE_OK && v; rc = sqlite3_vtab_in_next(list, &v)) {
    std::string key;
    if (KeyOfValue(v, key)) keys.push_back(std::move(key));
  }
  if (rc != SQLITE_OK && rc != SQLITE_DONE) throw EDbfError("dbf: cannot read the values of IN");
  return keys;
}

int Filter(sqlite3_vtab_cursor* cur, int idxNum, const char* idxStr, int argc,
           sqlite3_value** argv) {
  DbfCursor& c = *CursorOf(cur);
  DbfVtab& vt = *VtabOf(cur->pVtab);
  c.useCandidates = false;
  c.candidates.clear();
  c.keyColumn = -1;
  c.collecting = false;
  c.entries.clear();
  c.rawColumn = nullptr;
  c.rawFilter.reset();
  c.tests.clear();
  c.keys.clear();
  c.order.reset();
  c.orderColumn = -1;
  c.walk.clear();
  c.current = nullptr;
  c.image.reset();
  c.eof = true;
  try {
    DFO_dBHandler& t = *c.table;
    t.UseOwnRecordBuffer();
    FlushWrites(vt);
    if (idxNum == -1 && argc == 1) {
      sqlite3_int64 r = sqlite3_value_int64(argv[0]);
      if (r >= 1 && r <= t.RecordCount()) {
        t.GoTo(static_cast<int32_t>(r));
        c.record = static_cast<int32_t>(r);
        c.eof = t.CurrentRecordDeleted();
      }
      return SQLITE_OK;
    }
    PlanOrder asked;
    if (idxNum == 2 && argc == 0 && ParsePlanOrder(idxStr, asked) && asked.column >= 0 &&
        asked.column < static_cast<int>(vt.fields.size()) &&
        vt.planColumns[static_cast<size_t>(asked.column)].orderable) {
      StartOrderedScan(c, vt, asked);
      Advance(c, vt, true);
      return SQLITE_OK;
    }
    const bool like = idxStr && std::strcmp(idxStr, kLikeScan) == 0;
    const bool glob = idxStr && std::strcmp(idxStr, kGlobScan) == 0;
    if ((like || glob) && idxNum > 0 && idxNum <= static_cast<int>(vt.fields.size()) && argc == 1) {
      const int col = idxNum - 1;
      c.rawFilter = RawFilterOf(
          vt, col, like ? RawTextFilter::Kind::kLike : RawTextFilter::Kind::kGlob, argv[0]);
      if (c.rawFilter) c.rawColumn = &vt.fields[static_cast<size_t>(col)];
      Advance(c, vt, true);
      return SQLITE_OK;
    }
    // A correlated subquery filters with the same plan once per outer row.
    if (!idxStr || c.planText != idxStr) {
      c.planText = idxStr ? idxStr : "";
      c.plan = ParsePlanTests(idxStr);
    }
    const std::vector<PlanTest>& plan = c.plan;
    if (static_cast<int>(plan.size()) == argc) {
      const bool lookup = idxNum == 1 && !plan.empty() &&
                          (plan[0].op == '=' || plan[0].op == 'i') && plan[0].column >= 0 &&
                          plan[0].column < static_cast<int>(vt.fields.size());
      const bool list = lookup && plan[0].op == 'i';
      ValueTest first;
      for (size_t i = 0; i < plan.size(); ++i) {
        if (list && i == 0) continue;
        ValueTest test;
        bool none = false;
        const bool made = MakeTest(vt, plan[i], argv[i], test, none);
        if (none) return SQLITE_OK;  // = NULL or a range with NULL matches nothing
        if (!made) continue;
        if (lookup && i == 0) {
          // SQLite does not test an exact equality again: the candidates
          // of the hash index, whose keys may collide, are tested.
          if (vt.planColumns[static_cast<size_t>(plan[0].column)].exactEquality) {
            c.tests.push_back(test);
          }
          first = std::move(test);
        } else {
          c.tests.push_back(std::move(test));
        }
      }
      if (list) {
        StartLookup(c, vt, plan[0].column, nullptr, KeysOfList(argv[0]));
      } else if (lookup) {
        c.lookupKeys.resize(1);
        c.lookupKeys[0].swap(first.key);
        StartLookup(c, vt, plan[0].column, argv[0], c.lookupKeys);
      }
    }
    Advance(c, vt, true);
  } catch (const EDbfError& e) {
    SetError(cur->pVtab, e.what());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* cur) {
  try {
    Advance(*CursorOf(cur), *VtabOf(cur->pVtab), false);
  } catch (const EDbfError& e) {
    SetError(cur->pVtab, e.what());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* cur) {
  return CursorOf(cur)->eof ? 1 : 0;
}

int Column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
  DbfVtab& vt = *VtabOf(cur->pVtab);
  if (col < 0 || col >= static_cast<int>(vt.fields.size())) {
    sqlite3_result_null(ctx);
    return SQLITE_OK;
  }
  // An UPDATE that leaves the column as it is need not read it (memos).
  if (vt.writing && sqlite3_vtab_nochange(ctx)) return SQLITE_OK;
  try {
    DbfCursor& c = *CursorOf(cur);
    if (c.order && c.current) {
      // An ordered scan hands its column from memory and reads the record
      // only for the others.
      const OrderEntry& e = *c.current;
      if (col == c.orderColumn) {
        switch (e.kind) {
          case OrderEntry::kNull:
            sqlite3_result_null(ctx);
            break;
          case OrderEntry::kInteger:
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(e.number));
            break;
          case OrderEntry::kReal:
            sqlite3_result_double(ctx, e.number);
            break;
          case OrderEntry::kText: {
            const std::string_view text = c.order->Text(e);
            sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            break;
          }
        }
        return SQLITE_OK;
      }
      if (!c.recordRead) {
        if (!ReadCandidate(c, vt, c.record)) {
          sqlite3_result_null(ctx);
          return SQLITE_OK;
        }
        c.recordRead = true;
      }
    }
    ColumnValue(vt, *c.table, col, ctx, nullptr, c.scratch);
  } catch (const EDbfError& e) {
    sqlite3_result_error(ctx, e.what(), -1);
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* rowid) {
  *rowid = CursorOf(cur)->record;
  return SQLITE_OK;
}

int Update(sqlite3_vtab* v, int argc, sqlite3_value** argv, sqlite3_int64* rowid) {
  DbfVtab& vt = *VtabOf(v);
  try {
    if (!vt.writer) vt.writer = OpenTable(vt, true);
    DFO_dBHandler& t = *vt.writer;
    ForgetFile(vt);
    const bool change = argc > 1 && sqlite3_value_type(argv[0]) != SQLITE_NULL;
    const sqlite3_int64 changed = change ? sqlite3_value_int64(argv[0]) : 0;
    // A change of a record after the kept-back ones joins them; anything
    // else writes them first.
    if (!change || t.IsEncrypted() ||
        (!vt.pendingRecords.empty() && changed <= vt.pendingRecords.back())) {
      FlushWrites(vt);
    }
    if (argc == 1) {
      sqlite3_int64 r = sqlite3_value_int64(argv[0]);
      if (r < 1 || r > t.RecordCount()) return SQLITE_OK;
      t.GoTo(static_cast<int32_t>(r));
      t.DeleteRecord();
      return SQLITE_OK;
    }
    const int columns = argc - 2;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
      t.BlankRecord();
      for (int i = 0; i < columns && i < static_cast<int>(vt.fields.size()); ++i) {
        PutValue(vt, t, i, argv[2 + i]);
      }
      t.Append();
      *rowid = t.CurrentRecord();
      return SQLITE_OK;
    }
    sqlite3_int64 r = sqlite3_value_int64(argv[0]);
    if (sqlite3_value_int64(argv[1]) != r) {
      SetError(v, "dbf: the record number cannot change");
      return SQLITE_ERROR;
    }
    if (r < 1 || r > t.RecordCount()) return SQLITE_OK;
    t.GoTo(static_cast<int32_t>(r));
    for (int i = 0; i < columns && i < static_cast<int>(vt.fields.size()); ++i) {
      if (sqlite3_value_nochange(argv[2 + i])) continue;
      PutValue(vt, t, i, argv[2 + i]);
    }
    if (t.IsEncrypted()) {
      t.WriteRecord(static_cast<int32_t>(r));
      return SQLITE_OK;
    }
    // Kept back, written with its neighbours.
    const uint8_t* record = t.RecordBuffer();
    vt.pending.insert(vt.pending.end(), record, record + t.RecordLength());
    vt.pendingRecords.push_back(static_cast<int32_t>(r));
    if (vt.pending.size() >= kPendingBytes) FlushWrites(vt);
  } catch (const EDbfError& e) {
    SetError(v, e.what());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int Begin(sqlite3_vtab* v) {
  VtabOf(v)->writing = true;
  return SQLITE_OK;
}

// Before a commit: the records kept back reach the file.
int Sync(sqlite3_vtab* v) {
  try {
    FlushWrites(*VtabOf(v));
  } catch (const EDbfError& e) {
    SetError(v, e.what());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int EndTransaction(sqlite3_vtab* v) {
  DbfVtab& vt = *VtabOf(v);
  int rc = SQLITE_OK;
  try {
    FlushWrites(vt);
  } catch (const EDbfError& e) {
    SetError(v, e.what());
    rc = SQLITE_ERROR;
  }
  vt.writer.reset();
  vt.writing = false;
  ForgetFile(vt);
  return rc;
}

sqlite3_module MakeModule() {
  sqlite3_module m{};
  m.iVersion = 1;
  m.xCreate = Connect;
  m.xConnect = Connect;
  m.xBestIndex = BestIndex;
  m.xDisconnect = Disconnect;
  m.xDestroy = Disconnect;
  m.xOpen = Open;
  m.xClose = Close;
  m.xFilter = Filter;
  m.xNext = Next;
  m.xEof = Eof;
  m.xColumn = Column;
  m.xRowid = Rowid;
  m.xUpdate = Update;
  m.xBegin = Begin;
  m.xSync = Sync;
  m.xCommit = EndTransaction;
  m.xRollback = EndTransaction;
  return m;
}

}  // namespace

int RegisterDbfModule(sqlite3* db, bool planLookups) {
  static const sqlite3_module kModule = MakeModule();
  auto state = std::make_unique<ModuleState>();
  state->planLookups = planLookups;
  return sqlite3_create_module_v2(db, "dbf", &kModule, state.release(),
                                  [](void* p) { delete static_cast<ModuleState*>(p); });
}

}  // namespace kelmo::dbfsql
