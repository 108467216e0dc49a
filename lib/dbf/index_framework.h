// Index framework of the DBF engine: what the four index formats (.ntx, .ndx,
// .mdx, .cdx) share. An index file holds one or more tags; a tag orders the
// table's records by a key expression in a B-tree of pages. Each format
// supplies its page and header layouts; seeking, walking, ranges, inserting,
// deleting, splitting and building from sorted keys run here on node lists.
//
// Node lists follow one invariant for every format: in an interior node entry
// i carries the highest key of the subtree below it (its high key) and links
// to that subtree's page, so every key of a tag lies in exactly one leaf
// entry. Formats that store keys differently on disk convert while reading and
// writing a page.
//
// Reads: the pages on one root-to-leaf path are in memory, and for a file not
// opened shared the interior nodes seeks decoded (at most kMaxDecodedNodes a
// tag, dropped at the file's next write). Writes: a key
// change writes the pages of its path at once (a split appends pages at the
// end of the file); pages emptied by deletes stay unreferenced in the file.
//
// Errors (EDbfError): "Index file %s is corrupted" for a page that lies
// outside the file, a path deeper than kMaxDepth (a loop), a count or key
// length beyond what a page holds; the disk errors "Error on Read of file %s",
// "Error writing to %s", "Error in Truncate of file %s", "Could not create
// file %s", "File %s could not be found"; "Can not Lock file %s" after the
// lock retries; expression errors (EDbfExpression) of key and for-conditions.
//
// Cost: a seek reads one page per level; a walk step reads at most one page
// per level; a build is one pass over the table, a sort (key_sorter.h) and
// one pass writing every page once.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "bytes/little_endian.h"
#include "dbf_constants.h"
#include "dbf_expression.h"
#include "dbf_index_errors.h"
#include "os_layer.h"

namespace kelmo::dbf {

// ---------------------------------------------------------------------------
// Byte order of on-disk records.
using bytes::GetBE32;
using bytes::GetLE16;
using bytes::GetLE32;
using bytes::GetLEDouble;
using bytes::PutBE32;
using bytes::PutLE16;
using bytes::PutLE32;
using bytes::PutLEDouble;
// The text of a zero-terminated field of at most size bytes.
std::string ZeroTerminatedText(const uint8_t* p, size_t size);

// ---------------------------------------------------------------------------
// What an index needs of its table: the expression link its key and
// for-conditions compile against, the records to build from, and the record
// that a key update is about.
class IndexTableLink {
 public:
  virtual ~IndexTableLink() = default;
  virtual TdfExpUserLink* ExpressionLink() = 0;
  virtual int32_t RecordCount() = 0;
  // Makes record n (1..count) the one expressions evaluate; false when it
  // cannot be read.
  virtual bool LoadRecord(int32_t record) = 0;
  virtual int32_t CurrentRecord() = 0;
  // Makes expressions evaluate the record as it was last read or written
  // (before the change being written), or the current one again.
  virtual bool UseSavedRecord(bool saved) = 0;
  // Length and decimals of a field named exactly so; false when none.
  virtual bool FieldLayout(const std::string& name, int& length, int& decimals) = 0;
  // Full name of the table file ("" when unknown).
  virtual std::string TableFileName() = 0;
  // A multiple-tag index file has opened: when it is the table's production
  // index (same folder and base name), the table header says so.
  virtual void IndexFileOpened(const std::string& /*indexPath*/) {}
  // The exact-match setting of searches.
  virtual bool ExactMatch() { return false; }
  virtual void ReportStatus(int /*stage*/, int /*count*/, int /*total*/) {}
  // Whether the table (and so its index files) is open for shared use.
  virtual bool SharedAccess() { return false; }
  virtual OsLayer& Os() { return DefaultOsLayer(); }
  // Index pages of an encrypted table are enciphered with its passwords in
  // independent 512-byte pieces. The default stores them plain.
  virtual void CipherPage(uint8_t* /*buffer*/, int32_t /*count*/, bool /*encode*/) {}
  // While the table's password changes: deciphers a piece with the old
  // (reading) password and enciphers it with the new (writing) one.
  virtual void ReCipherPage(uint8_t* /*buffer*/, int32_t /*count*/) {}
};

// ---------------------------------------------------------------------------
// The file under an index: positioned page reads and writes through the
// engine's operating-system layer, and non-blocking byte-range locks.
//
// A file not opened shared belongs to a table no other process works with,
// so the pages read from it are kept (up to kPageCacheBytes; when full, a
// page not read since the clock hand last passed it goes first, so the upper
// levels of a tree that every seek reads stay) and seeks and walks read them
// from memory; writes and truncation keep the kept pages true to the file. A
// shared file is read from the disk each time, as other users may change it.
// Only reads at multiples of kKeptAlignment are kept (every format's pages
// lie there), so the pages a write touches are found by a few look-ups.
class IndexDiskFile {
 public:
  ~IndexDiskFile();
  IndexDiskFile(const IndexDiskFile&) = delete;
  IndexDiskFile& operator=(const IndexDiskFile&) = delete;
  // Null when the file does not exist; "Access denied to file %s" when it
  // cannot be opened in the modes.
  static std::unique_ptr<IndexDiskFile> Open(const std::string& path, bool readWrite, bool shared,
                                             OsLayer& os);
  // Creates the file empty (replacing one of that name); "Could not create
  // file %s" when it cannot.
  static std::unique_ptr<IndexDiskFile> Create(const std::string& path, bool shared, OsLayer& os);

  // Bytes read; fewer at the end of the file.
  int64_t Read(int64_t offset, void* buffer, int64_t count);
  void Write(int64_t offset, const void* buffer, int64_t count);
  int64_t Size();
  void Truncate(int64_t size);
  void Flush();
  bool Rename(const std::string& newPath);
  bool LockRegion(int64_t offset, int64_t length);
  void UnlockRegion(int64_t offset, int64_t length);
  const std::string& Path() const { return path_; }
  bool ReadWrite() const { return readWrite_; }
  bool Shared() const { return shared_; }
  OsLayer& Os() const { return os_; }
  // Counts the writes and truncations: what was decoded from the file's pages
  // holds while it is unchanged.
  uint64_t Generation() const { return generation_; }

  // While a build writes its pages: a write that continues the one before is
  // gathered with it, and the gathered bytes go to the disk in one write
  // (at most kBatchBytes) before a write elsewhere and before any read,
  // truncation, flush, rename or lock of the file. EndBatch writes what is
  // gathered; DropBatch (for a build that failed, and at destruction) forgets
  // it unwritten. A failed write of gathered bytes raises "Error writing to
  // %s" from the call that caused it, which lies within the build.
  void BeginBatch() { batching_ = true; }
  void EndBatch();
  void DropBatch();
  static constexpr size_t kBatchBytes = 64 << 10;

  static constexpr size_t kPageCacheBytes = 32 << 20;
  // Reads of at most this many bytes are kept.
  static constexpr int64_t kLargestKeptRead = 8192;
  static constexpr int64_t kKeptAlignment = 512;

 private:
  IndexDiskFile(int handle, std::string path, bool readWrite, bool shared, OsLayer& os)
      : handle_(handle), path_(std::move(path)), readWrite_(readWrite), shared_(shared), os_(os) {}
  struct KeptPage {
    int64_t offset = -1;  // -1: a free slot
    std::vector<uint8_t> bytes;
    bool referenced = false;
  };
  void KeepPage(int64_t offset, const void* buffer, int64_t count);
  // Drops the kept pages that share a byte with [offset, offset + count).
  void ForgetPages(int64_t offset, int64_t count);
  void ForgetSlot(size_t slot);
  // Frees the slot of the page the clock hand finds unread since it last
  // passed (clearing the marks it passes).
  void EvictOne();
  void ForgetAll();
  int handle_;
  std::string path_;
  bool readWrite_;
  bool shared_;
  OsLayer& os_;
  std::unordered_map<int64_t, size_t> keptAt_;  // file offset -> slot
  std::vector<KeptPage> kept_;
  std::vector<size_t> freeSlots_;
  size_t clockHand_ = 0;
  size_t keptBytes_ = 0;
  uint64_t generation_ = 0;
  int64_t largestKept_ = 0;  // the longest page kept since the cache was last empty
  // Writes the gathered bytes (if any); they are forgotten also on failure.
  void WriteBatch();
  void WriteThrough(int64_t offset, const void* buffer, int64_t count);
  bool batching_ = false;
  int64_t batchOffset_ = 0;
  std::vector<uint8_t> batch_;
};

// ---------------------------------------------------------------------------
// Key entry: key bytes, the record and a link (leaf: the record; interior:
// the child's page).
struct GSobjIndexKeyData {
  std::string value;
  int32_t record = 0;
  int32_t link = 0;
};

// How a tag's keys compare: text keys bytewise with prefix matching, float
// keys (8 bytes of a little-endian double) by value.
enum class IndexKeyForm : uint8_t { kText, kFloat };

// The in-memory image of one page.
struct GSobjIndexKey {
  int32_t page = 0;
  bool leaf = true;
  std::vector<GSobjIndexKeyData> entries;
  bool dirty = false;
  int32_t leftSibling = -1;
  int32_t rightSibling = -1;
  // Bytes the first cachedCount entries take on the page (compressed
  // formats fill nodes by bytes while building).
  mutable size_t cachedCount = 0;
  mutable size_t cachedBytes = 0;
};

class GSobjIndexFile;

// One ordering of the table's records.
class GSobjIndexTag {
 public:
  static constexpr int kMaxDepth = 32;
  static constexpr int32_t kLastRecord = 2147483647;

  GSobjIndexTag(GSobjIndexFile& file, std::string kind, std::string name, int32_t headerPage);
  virtual ~GSobjIndexTag();
  GSobjIndexTag(const GSobjIndexTag&) = delete;
  GSobjIndexTag& operator=(const GSobjIndexTag&) = delete;

  // --- format hooks ---------------------------------------------------------
  // The stored key form of an evaluated value; text loses trailing blanks
  // when trim is set.
  virtual std::string FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) = 0;
  // Fills node (page read from disk). parentEntry: the entry above it on the
  // loaded path (null for the root); rightmost: the node lies on the tag's
  // rightmost path.
  virtual void ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData* parentEntry,
                            bool rightmost) = 0;
  // Writes a node whose entries fit (see NodeCapacity) to its page.
  virtual void WriteNodePage(const GSobjIndexKey& node, bool rightmost) = 0;
  // Entries a node may hold in memory and still fit its page.
  virtual size_t NodeCapacity(bool leaf, bool rightmost) const = 0;
  // Whether the node's entries fit one page (defaults to the capacity).
  virtual bool Fits(const GSobjIndexKey& node, bool rightmost) const;
  // How many leading entries go to the new page when a node that does not
  // fit is split.
  virtual size_t SplitCount(const GSobjIndexKey& node) const;
  // Entries per node while building (defaults to the capacity).
  virtual size_t BuildFill(bool leaf, int64_t totalKeys) const;
  // While building: the node takes no further entry.
  virtual bool BuildNodeFull(const GSobjIndexKey& node, int64_t totalKeys) const;
  virtual void ReadHeader() = 0;
  virtual void WriteHeader() = 0;
  virtual int32_t AllocatePage();
  // After a split wrote lower (new page, left of upper) and before upper is
  // written: formats with sibling links fix them here.
  virtual void OnSplit(const GSobjIndexKey& lower, const GSobjIndexKey& upper);
  // Entry for the last pointer of an interior node that stores no key.
  virtual std::string PseudoHighKey() const;
  // The tag's sort descends by negating comparisons (.ntx, .mdx).
  virtual bool DescendingByComparison() const { return !ascending; }
  // The tag keeps ascending keys on disk and its cursor runs backwards (.cdx).
  virtual bool DescendingByCursor() const { return false; }

  // --- definition and building ---------------------------------------------
  // Stores texts and flags and compiles both expressions (EDbfExpression).
  void CompileExpressions();
  // Evaluates the key of the current record into its stored form; false
  // without a key expression.
  bool EvaluateKey(std::string& key, TdfExpVariant* raw = nullptr, uint8_t* rawType = nullptr);
  // True when the for-condition passes (always without one).
  bool ForCondition();
  // Builds the tag's pages from the table (every record passing the
  // for-condition when useFor) and writes the header.
  void BuildFromTable(bool useFor);
  // Builds from keys already in order (key, record) pairs supplied by next().
  void BuildFromSorted(const std::function<bool(std::string&, int32_t&)>& next, int64_t total);

  // --- searching and walking -----------------------------------------------
  // Record of the matching entry, 0 when none; BOF and EOF tell the outcome.
  int32_t FindKey(const std::string& key, bool exact);
  // Like FindKey on a cursor of its own: the current position and entry are
  // kept.
  int32_t FindKeyKeepPosition(const std::string& key);
  // -1 next, -2 previous, -3 top, -4 bottom, -5 current again; the record of
  // the new current entry, 0 at BOF or EOF.
  int32_t MoveCursor(int code);
  // Puts the cursor on the entry of the given record; its record or 0.
  int32_t SyncToRecord(int32_t record);
  void ReleaseCursor();
  bool HasCursor() const { return !path_.empty(); }
  // Key range; empty bounds are none. True when a bound changed.
  bool SetRange(const std::string& low, bool lowInclusive, const std::string& high, bool highFlag,
                bool highPartial);
  bool HasRange() const { return !rangeLow_.empty() || !rangeHigh_.empty(); }
  // 0 inside the range, below 0 above the high bound, above 0 below the low.
  int RangeCheck();
  // Keeps the tag up to date after the table wrote record n.
  bool UpdateRecordKey(int32_t record, bool isAppend);
  // Adds one key (its record in link); false for a duplicate in a unique tag.
  bool InsertKey(const GSobjIndexKeyData& entry);
  // Removes the entry (key, record); false when absent.
  bool DeleteKey(const std::string& key, int32_t record);
  // Compares two stored keys of this tag (whole, negated when descending by
  // comparison).
  int CompareKeys(const std::string& search, const std::string& entry, int partial) const;
  // All (key, record) pairs in order: for checks and rebuilds.
  std::vector<GSobjIndexKeyData> AllKeys();
  // Pseudo keys and pages walked; for checks.
  int32_t RootPage() const { return rootPage; }

  // --- state ---------------------------------------------------------------
  std::string kind;
  std::string name;
  std::string keyExpression;
  std::string forExpression;
  std::unique_ptr<TdfExpHandler> keyHandler;
  std::unique_ptr<TdfExpHandler> forHandler;
  int keyLength = 0;
  int entrySize = 0;
  int maxKeys = 0;
  int decimals = 0;
  char keyType = 'C';
  IndexKeyForm keyForm = IndexKeyForm::kText;
  bool ascending = true;
  bool unique = false;
  bool hasFor = false;
  int32_t headerPage = 0;
  int32_t rootPage = 0;
  bool headerDirty = false;
  bool bof = false;
  bool eof = false;
  bool keyChanged = false;
  GSobjIndexKeyData current;
  GSobjIndexFile& file;

 protected:
  struct Frame {
    // Shared with the decoded interior nodes a seek keeps; a path that
    // changes pages holds only nodes of its own.
    std::shared_ptr<GSobjIndexKey> node;
    int pos = -1;
  };
  [[noreturn]] void Corrupt() const;
  // Key-forming steps the .ndx, .mdx and .cdx formats share.
  // The text of a character key: "T" or "F" for a logical value.
  static std::string CharacterKeyText(const TdfExpVariant& value, uint8_t type);
  static void TrimTrailingBlanks(std::string& key);
  // The number behind a numeric or date key; a search text is read as a date
  // (Julian day, EDbfExpression when malformed) for date keys and as a
  // decimal number otherwise.
  double NumericKeyValue(const TdfExpVariant& value, uint8_t type) const;
  // EDbfExpression "Syntax Error in expression ..." naming the key expression
  // unless the expressions fit the format's header.
  static void CheckExpressionsFit(bool fit, const std::string& key);
  // EDbfError "Sort key length must be 1-N bytes, is L" unless keyLength
  // lies within what the sorter takes.
  void CheckKeyLength() const;
  // For the constructors of the formats: header -1 starts a new tag on
  // freshly allocated pages (the first becomes the header page), any other
  // reads the tag's header.
  void OpenHeader(int32_t header, int pages = 1);
  // Takes the definition's texts and flags, compiles them (EDbfExpression)
  // and evaluates the key of the current record into value; false without a
  // key expression.
  bool CompileDefinition(const std::string& key, const std::string& forExpr, bool u, bool asc,
                         TdfExpVariant& value);
  void LoadRoot();
  void LoadChild(size_t depth);
  // Shortens the path to size frames; the nodes dropped are kept for the
  // next pages read, so a seek allocates no node of its own.
  void TrimPath(size_t size);
  // An empty node: a spare one when there is one.
  std::shared_ptr<GSobjIndexKey> TakeNode(int32_t page);
  // The node of a page as read below parentEntry (null for the root):
  // interior nodes of a file not opened shared are decoded once and kept
  // while the file is unchanged, except while keys change (those paths write
  // to their nodes).
  std::shared_ptr<GSobjIndexKey> ReadNode(int32_t page, const GSobjIndexKeyData* parentEntry,
                                          bool rightmost);
  bool IsRightmost(size_t depth) const;
  // Lower bound: positions the path on the first entry not below the target.
  // Answers -1 (stopped at a greater entry), 0 (equal) or 1 (beyond every key).
  int Seek(const std::string& key, int32_t record, int partial);
  bool GoFirst();
  bool GoLast();
  // Walks down the first (or last) pointers to the first (or last) entry;
  // false on an empty tag.
  bool GoEdge(bool last);
  // A walk in a new direction (1 forward, -1 backward) forgets the leaves
  // walked so far.
  void BeginWalk(int direction);
  // Notes the leaf the walk steps into; a leaf met twice is corruption.
  void EnterWalkedLeaf(int32_t page);
  // Moves the deepest ancestor of the leaf that has an entry on the walk's
  // side (direction 1 right, -1 left) one entry that way and answers its
  // depth; false when there is none.
  bool StepAncestor(int direction, size_t& depth);
  bool NextEntry();
  bool PrevEntry();
  bool ReadCurrent();
  // at-first + 2 * at-last of the whole tag.
  int CurrentFlags() const;
  void ApplyRangeLimits();
  void InsertAtCursor(const GSobjIndexKeyData& entry);
  void DeleteAtCursor();
  void UpdateParentKey(size_t depth);
  void FlushPath();
  void RebuildFromEntries(std::vector<GSobjIndexKeyData> entries);

  std::vector<Frame> path_;
  std::vector<std::shared_ptr<GSobjIndexKey>> spareNodes_;
  struct DecodedNode {
    std::shared_ptr<GSobjIndexKey> node;
    std::string parentValue;  // the entry above it when it was read
    int32_t parentRecord = 0;
    bool rightmost = false;
  };
  static constexpr size_t kMaxDecodedNodes = 2048;
  std::unordered_map<int32_t, DecodedNode> decoded_;  // by page
  uint64_t decodedGeneration_ = 0;
  bool changingKeys_ = false;
  std::unordered_set<int32_t> walkedLeaves_;
  int walkDirection_ = 0;
  std::string rangeLow_;
  std::string rangeHigh_;
  bool lowInclusive_ = true;
  bool highFlag_ = false;
  int highPartial_ = 0;
  bool updating_ = false;
};

class GSobjIndexFile {
 public:
  GSobjIndexFile(IndexTableLink* table, std::string kindExtension);
  virtual ~GSobjIndexFile();
  GSobjIndexFile(const GSobjIndexFile&) = delete;
  GSobjIndexFile& operator=(const GSobjIndexFile&) = delete;

  virtual int AddTag(const std::string& name, const std::string& keyExpression, bool unique,
                     bool ascending, const std::string& forExpression) = 0;
  virtual bool DeleteTag(const std::string& /*name*/) { return false; }
  virtual int32_t AllocatePage() = 0;
  // Address unit of pages (1 for byte offsets, 512 for blocks).
  virtual int32_t PageUnit() const { return 1; }
  virtual void Reindex() = 0;
  virtual bool UpdateRecordKeys(int32_t record, bool isAppend);
  virtual void Flush();
  // Another process changed the file since it was read (formats with a
  // change counter; false for the others and for files not opened shared).
  virtual bool ChangedByOtherUser() { return false; }
  // Renames the file, keeping its extension; false when the rename failed.
  virtual bool Rename(const std::string& newName);
  // Lock addresses of the table's lock protocol (codes above 3 keep the
  // previous addresses).
  void SetLockProtocol(int code);
  // True when locked or when the file is not open for shared use; raises
  // "Can not Lock file %s" (full name) after 100 tries 50 ms apart.
  bool LockIndexFile();
  void UnlockIndexFile();
  // After a password change: every whole 512-byte block of the file is
  // deciphered with the old password and enciphered with the new one.
  void ReEncrypt();

  // Reads count bytes at the page address; raises "Index file %s is corrupted"
  // when the page lies (partly) outside the file.
  void ReadPage(int32_t address, void* buffer, int32_t count);
  void WritePage(int32_t address, const void* buffer, int32_t count);

  bool IndexFileMatchesName(const std::string& path) const;
  int IndexTagCount() const { return static_cast<int>(tags.size()); }
  GSobjIndexTag* IndexTagByName(const std::string& name) const;
  GSobjIndexTag* IndexTagByNumber(int n) const;
  const std::string& FileName() const { return fileName; }
  IndexDiskFile* Disk() const { return disk.get(); }

  std::string fileName;  // name part only
  std::vector<std::unique_ptr<GSobjIndexTag>> tags;
  IndexTableLink* table;
  std::unique_ptr<IndexDiskFile> disk;
  bool recordNumberOrder = false;
  int64_t nextFree = -1;
  bool exact = true;
  bool opened = false;
  bool corrupt = false;
  int lockProtocol = 0;
  int64_t lockAddresses[3] = {0, 0, 0};

 protected:
  // Opens or creates the file (default extension added to a bare name; a
  // name without folder gets the table's folder). Null when it does not exist.
  bool OpenDiskFile(const std::string& name, bool create, bool readWrite,
                    const std::string& defaultExtension);
  // The page address unchanged; EDbfError "Error writing to <file>" when it
  // lies past limit, the last address the format can store.
  int32_t CheckedPageAddress(int64_t address, int64_t limit) const;
  // Next free page for formats addressing pages by byte offset: the first
  // after the file's end (rounded up to whole pages) on the first call.
  int32_t NextPageOffset(int pageSize, int64_t limit);
  std::string kindExtension_;

 private:
  std::vector<uint8_t> writeCopy_;  // a page as it goes to the disk (enciphered)
};

// Name helpers shared by the formats.
std::string IndexBaseName(const std::string& path);
std::string IndexUpper(std::string text);

}  // namespace kelmo::dbf
