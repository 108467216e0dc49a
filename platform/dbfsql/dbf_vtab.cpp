// SQLite virtual-table module over DBF tables.
#include "dbf_vtab.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbf/date_values.h"
#include "dbf/dbf_errors.h"
#include "dbf/table_handler.h"
#include "raw_text_filter.h"

namespace kelmo::dbfsql {

namespace {

using dbf::CodePage;
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

struct DbfVtab {
  sqlite3_vtab base{};
  sqlite3* db = nullptr;
  std::string path;
  CodePage codePage = CodePage::Cp1251;
  std::vector<TdfDBFFields> fields;
  uint8_t version = 0;
  // The open writer while a write transaction runs.
  std::unique_ptr<DFO_dBHandler> writer;
  // Equality look-ups: how often each column was filtered on in this file
  // state, and the hash indexes built from the second time on.
  FileState indexedState;
  std::unordered_map<int, int> filterCounts;
  // An index is the sorted (hash of key, record) pairs of a column: 12 bytes a
  // row. Hashes that collide only add candidates, which SQLite checks again.
  std::unordered_map<int, std::vector<std::pair<uint64_t, int32_t>>> indexes;
};

struct DbfCursor {
  sqlite3_vtab_cursor base{};
  std::unique_ptr<DFO_dBHandler> table;
  bool eof = true;
  // Candidate records of an indexed equality look-up (empty: scan).
  bool useCandidates = false;
  std::vector<int32_t> candidates;
  size_t nextCandidate = 0;
  // A scan filtered on one column's key.
  int keyColumn = -1;
  std::string key;
  // A scan filtered on one character field's stored bytes (equality with a
  // text value, LIKE, GLOB): only records that pass reach SQLite.
  const TdfDBFFields* rawColumn = nullptr;
  std::optional<RawTextFilter> rawFilter;
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

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
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
std::string KeyOfNumber(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "n:%.17g", v);
  return buf;
}

std::string KeyOfText(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  double v = 0;
  if (!t.empty()) {
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc() && p == t.data() + t.size()) return KeyOfNumber(v);
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
    default:
      return false;
  }
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
    std::string_view s = TrimRight(bytes);
    if (s.empty()) {
      if (ctx) sqlite3_result_null(ctx);
      return false;
    }
    std::string& utf8 = scratch;
    dbf::DecodeToUtf8(s, vt.codePage, utf8);
    if (key) *key = KeyOfText(utf8);
    if (ctx) sqlite3_result_text(ctx, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return true;
  };
  auto nullResult = [&] {
    if (ctx) sqlite3_result_null(ctx);
    return false;
  };
  if (IsMemo(vt, f)) {
    if (f.type == 'M') return textResult(t.ReadMemo(n));
    std::string data = t.ReadMemo(n);
    if (data.empty()) return nullResult();
    if (key) *key = "b:" + data;
    if (ctx) sqlite3_result_blob(ctx, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
    return true;
  }
  if (t.IsBinaryField(f)) {
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
    std::string data = f.type == 'M' ? dbf::EncodeFromUtf8(text(), vt.codePage)
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
    } else {
      t.PutNumeric(n, sqlite3_value_double(v));
    }
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
      t.PutFieldRaw(n, dbf::EncodeFromUtf8(text(), vt.codePage));
  }
}

std::unique_ptr<DFO_dBHandler> OpenTable(const DbfVtab& vt, bool write) {
  auto t = std::make_unique<DFO_dBHandler>(vt.path, true, write, "");
  t->SetUseDeleted(false);
  t->UseRecordBuffer(true);
  return t;
}

int Connect(sqlite3* db, void*, int argc, const char* const* argv, sqlite3_vtab** out, char** err) {
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
  vt->path = unquote(argv[3]);
  std::string cp = argc > 4 ? unquote(argv[4]) : "1251";
  try {
    DFO_dBHandler t(vt->path, true, false, "");
    vt->fields = t.Fields();
    vt->version = t.Version();
    const uint8_t lang = t.LanguageByte();
    vt->codePage =
        (cp == "866" || lang == 0x26 || lang == 0x65) ? CodePage::Cp866 : CodePage::Cp1251;
    if (lang == 0xC9 || lang == 0x57) vt->codePage = CodePage::Cp1251;
  } catch (const EDbfError& e) {
    *err = sqlite3_mprintf("%s", e.what());
    return SQLITE_ERROR;
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
  *out = &vt.release()->base;
  return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* v) {
  std::unique_ptr<DbfVtab> owned(VtabOf(v));
  return SQLITE_OK;
}

// The plans of a scan filtered on a pattern (idxStr; idxNum is the column + 1).
constexpr char kLikeScan[] = "like";
constexpr char kGlobScan[] = "glob";

int BestIndex(sqlite3_vtab* v, sqlite3_index_info* info) {
  DbfVtab& vt = *VtabOf(v);
  int chosen = -1;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
    // The look-up keys compare exactly; another collation is left to SQLite.
    const char* collation = sqlite3_vtab_collation(info, i);
    if (collation && sqlite3_stricmp(collation, "BINARY") != 0) continue;
    if (c.iColumn == -1) {
      chosen = i;
      break;
    }
    if (chosen < 0 && c.iColumn >= 0 && c.iColumn < static_cast<int>(vt.fields.size())) chosen = i;
  }
  if (chosen >= 0) {
    info->aConstraintUsage[chosen].argvIndex = 1;
    info->aConstraintUsage[chosen].omit = 0;
    const int col = info->aConstraint[chosen].iColumn;
    info->idxNum = col == -1 ? -1 : col + 1;
    info->estimatedCost = col == -1 ? 1.0 : 10.0;
    info->estimatedRows = col == -1 ? 1 : 10;
    return SQLITE_OK;
  }
  info->idxNum = 0;
  info->estimatedCost = 1000000.0;
  info->estimatedRows = 100000;
  // A LIKE or GLOB on a character field: the scan tests the pattern's literal
  // parts on the stored bytes. SQLite still evaluates the pattern itself.
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    if (!c.usable || c.iColumn < 0 || c.iColumn >= static_cast<int>(vt.fields.size())) continue;
    if (c.op != SQLITE_INDEX_CONSTRAINT_LIKE && c.op != SQLITE_INDEX_CONSTRAINT_GLOB) continue;
    if (vt.fields[static_cast<size_t>(c.iColumn)].type != 'C') continue;
    info->aConstraintUsage[i].argvIndex = 1;
    info->aConstraintUsage[i].omit = 0;
    info->idxNum = c.iColumn + 1;
    info->idxStr = const_cast<char*>(c.op == SQLITE_INDEX_CONSTRAINT_LIKE ? kLikeScan : kGlobScan);
    info->needToFreeIdxStr = 0;
    info->estimatedCost = 500000.0;
    info->estimatedRows = 10000;
    break;
  }
  return SQLITE_OK;
}

int Open(sqlite3_vtab* v, sqlite3_vtab_cursor** out) {
  auto c = std::make_unique<DbfCursor>();
  try {
    c->table = OpenTable(*VtabOf(v), false);
  } catch (const EDbfError& e) {
    SetError(v, e.what());
    return SQLITE_ERROR;
  }
  *out = &c.release()->base;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* c) {
  std::unique_ptr<DbfCursor> owned(CursorOf(c));
  return SQLITE_OK;
}

// Moves the cursor to the next row that may match.
void Advance(DbfCursor& c, DbfVtab& vt, bool first) {
  DFO_dBHandler& t = *c.table;
  if (c.useCandidates) {
    while (c.nextCandidate < c.candidates.size()) {
      int32_t r = c.candidates[c.nextCandidate++];
      if (r > t.RecordCount()) continue;
      t.GoTo(r);
      if (!t.CurrentRecordDeleted()) {
        c.eof = false;
        return;
      }
    }
    c.eof = true;
    return;
  }
  for (t.GoTo(first ? dbf::kMoveFirst : dbf::kMoveNext); !t.Eof() && !t.Bof();
       t.GoTo(dbf::kMoveNext)) {
    if (t.RecordCount() == 0) break;
    if (c.rawFilter) {
      if (c.rawFilter->Passes(t.RawField(*c.rawColumn))) {
        c.eof = false;
        return;
      }
      continue;
    }
    if (c.keyColumn < 0) {
      c.eof = false;
      return;
    }
    std::string key;
    if (ColumnValue(vt, t, c.keyColumn, nullptr, &key, c.scratch) && key == c.key) {
      c.eof = false;
      return;
    }
  }
  c.eof = true;
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

int Filter(sqlite3_vtab_cursor* cur, int idxNum, const char* idxStr, int argc,
           sqlite3_value** argv) {
  DbfCursor& c = *CursorOf(cur);
  DbfVtab& vt = *VtabOf(cur->pVtab);
  c.useCandidates = false;
  c.candidates.clear();
  c.keyColumn = -1;
  c.rawColumn = nullptr;
  c.rawFilter.reset();
  c.eof = true;
  try {
    DFO_dBHandler& t = *c.table;
    if (idxNum == -1 && argc == 1) {
      sqlite3_int64 r = sqlite3_value_int64(argv[0]);
      if (r >= 1 && r <= t.RecordCount()) {
        t.GoTo(static_cast<int32_t>(r));
        c.eof = t.CurrentRecordDeleted();
      }
      return SQLITE_OK;
    }
    if (idxStr && idxNum > 0 && idxNum <= static_cast<int>(vt.fields.size()) && argc == 1) {
      const int col = idxNum - 1;
      const auto kind = std::strcmp(idxStr, kLikeScan) == 0 ? RawTextFilter::Kind::kLike
                                                            : RawTextFilter::Kind::kGlob;
      c.rawFilter = RawFilterOf(vt, col, kind, argv[0]);
      if (c.rawFilter) c.rawColumn = &vt.fields[static_cast<size_t>(col)];
      Advance(c, vt, true);
      return SQLITE_OK;
    }
    if (idxNum > 0 && argc == 1) {
      std::string key;
      if (!KeyOfValue(argv[0], key)) return SQLITE_OK;  // = NULL matches nothing
      const int col = idxNum - 1;
      FileState now = StateOf(vt.path);
      if (!(now == vt.indexedState)) {
        vt.indexes.clear();
        vt.filterCounts.clear();
        vt.indexedState = now;
      }
      if (++vt.filterCounts[col] >= 2) {
        auto found = vt.indexes.find(col);
        if (found == vt.indexes.end()) {
          std::vector<std::pair<uint64_t, int32_t>> index;
          for (t.GoTo(dbf::kMoveFirst); !t.Eof() && !t.Bof() && t.RecordCount() > 0;
               t.GoTo(dbf::kMoveNext)) {
            std::string k;
            if (ColumnValue(vt, t, col, nullptr, &k, c.scratch)) {
              index.emplace_back(std::hash<std::string>{}(k), t.CurrentRecord());
            }
          }
          std::sort(index.begin(), index.end());
          index.shrink_to_fit();
          found = vt.indexes.emplace(col, std::move(index)).first;
        }
        const uint64_t h = std::hash<std::string>{}(key);
        auto range = std::equal_range(
            found->second.begin(), found->second.end(), std::make_pair(h, INT32_MIN),
            [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = range.first; it != range.second; ++it) c.candidates.push_back(it->second);
        c.useCandidates = true;
        c.nextCandidate = 0;
        Advance(c, vt, true);
        return SQLITE_OK;
      }
      // A text value that does not read as a number is compared on the
      // stored bytes; the others by their look-up key.
      if (key.compare(0, 2, "t:") == 0) {
        c.rawFilter = RawFilterOf(vt, col, RawTextFilter::Kind::kEqual, argv[0]);
      }
      if (c.rawFilter) {
        c.rawColumn = &vt.fields[static_cast<size_t>(col)];
      } else {
        c.keyColumn = col;
        c.key = key;
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
  if (sqlite3_vtab_nochange(ctx)) return SQLITE_OK;
  try {
    DbfCursor& c = *CursorOf(cur);
    ColumnValue(vt, *c.table, col, ctx, nullptr, c.scratch);
  } catch (const EDbfError& e) {
    sqlite3_result_error(ctx, e.what(), -1);
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* rowid) {
  *rowid = CursorOf(cur)->table->CurrentRecord();
  return SQLITE_OK;
}

int Update(sqlite3_vtab* v, int argc, sqlite3_value** argv, sqlite3_int64* rowid) {
  DbfVtab& vt = *VtabOf(v);
  try {
    if (!vt.writer) vt.writer = OpenTable(vt, true);
    DFO_dBHandler& t = *vt.writer;
    t.UseRecordBuffer(false);
    vt.indexes.clear();
    vt.filterCounts.clear();
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
    t.WriteRecord(static_cast<int32_t>(r));
  } catch (const EDbfError& e) {
    SetError(v, e.what());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int Begin(sqlite3_vtab*) {
  return SQLITE_OK;
}

int EndTransaction(sqlite3_vtab* v) {
  DbfVtab& vt = *VtabOf(v);
  vt.writer.reset();
  vt.indexes.clear();
  vt.filterCounts.clear();
  return SQLITE_OK;
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
  m.xSync = Begin;
  m.xCommit = EndTransaction;
  m.xRollback = EndTransaction;
  return m;
}

}  // namespace

int RegisterDbfModule(sqlite3* db) {
  static const sqlite3_module kModule = MakeModule();
  return sqlite3_create_module(db, "dbf", &kModule, nullptr);
}

}  // namespace kelmo::dbfsql
