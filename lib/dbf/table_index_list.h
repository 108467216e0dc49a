// A table's open index files and its current tag: up to 63 index files (the
// class chosen by the extension .ntx, .ndx, .mdx, .cdx), navigation in the
// current tag's order, key search, key ranges, and the upkeep of every tag
// after each record write and after a pack.
//
// Errors (EDbfError): "Index file %s is corrupted" and "File %s could not be
// found" (resolved name) from OpenIndexFile; "Cannot find index tag %s" from
// SetCurrentTag; "Index file %s already open" is answered as -1; the index
// files' and expressions' errors pass through.
// Cost: a move reads one page per level at most and one record; Find is one
// seek and one record read; Reindex rebuilds every tag (a pass over the table
// and a sort per tag).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "dbf_table_link.h"
#include "index_framework.h"
#include "table_filter.h"

namespace kelmo::dbf {

class TdfIndexList {
 public:
  static constexpr int kSlots = 63;

  explicit TdfIndexList(DFO_dBaseFld& table);
  ~TdfIndexList();
  TdfIndexList(const TdfIndexList&) = delete;
  TdfIndexList& operator=(const TdfIndexList&) = delete;

  // A name without folder is taken from the table's folder; ".ndx" by default.
  std::string IndexFileName(const std::string& name) const;
  // 0 opened, -1 already open.
  int OpenIndexFile(const std::string& name);
  // Makes a new index file with one tag (every tag of .cdx/.mdx is added with
  // AddTag on the file afterwards); 0, or -1 when a file of that name is open.
  int CreateIndexFile(const std::string& name, const std::string& tagName,
                      const std::string& keyExpression, bool unique, bool ascending,
                      const std::string& forExpression);
  // Names separated by "," or ";" (double quotes dropped); closes every file
  // first; 1 for an empty list, else the last OpenIndexFile answer.
  int OpenIndexList(const std::string& list, const std::string& tagName);
  void CloseIndexFiles();
  // The n-th tag from 1 over all files in slot order; null outside.
  GSobjIndexTag* TagByNumber(int n) const;
  int TagCount() const;
  // Slot (1..63) of the tag's file, 0 for natural order ("" name).
  int SetCurrentTag(const std::string& name, bool keepPosition);
  GSobjIndexTag* CurrentTag() const { return current_; }

  // Moves in the current tag's order (codes -1 next, -2 previous, -3 first,
  // -4 last, -5 again) and reads the record; deleted records are skipped
  // unless the table uses them. False when there is no current tag.
  bool OrderedGoTo(int32_t code);
  // Key search in the current tag; with soft seek a miss stays on the next key.
  bool Find(const std::string& key, bool exact, bool softSeek);
  // The record holding key in the named tag (exact match), without moving
  // the table or the tag's cursor; -1 when there is no such tag.
  int32_t FindInTag(const std::string& tagName, const std::string& key);
  bool SetIndexRange(const std::string& low, const std::string& high, bool lowInclusive,
                     bool highFlag, bool highPartial);
  void ClearIndexRange();
  // After the table wrote record n (appended when isAppend): every tag is
  // brought up to date. Answers whether the current tag's key changed.
  bool RecordWritten(int32_t record, bool isAppend);
  // The table's record events: after a write (7; record 0 for an append) the
  // tags are brought up to date, after a flush (8) the files are flushed.
  // Called while the table's saved record still holds the record as it was.
  void RecordNotify(uint8_t code, int32_t record);
  // Rebuilds every tag of every open file from the table (after a pack).
  void Reindex();
  void Flush();
  // Locks every open index file in slot order (each retries for the lock
  // timeout and raises "Can not Lock file %s"); a failure unlocks the ones
  // locked before it. UnlockIndexes releases them.
  bool LockIndexes();
  bool UnlockIndexes();
  // The table's lock protocol, passed to every open index file.
  void SetLockProtocol(int code);
  // While the table's password changes (old reading, new writing password):
  // every open index file is enciphered anew.
  void ReEncrypt();

  // The filter expression over the table (table_filter.h).
  void SetFilterExpression(const std::string& text, bool caseInsensitive, bool partial) {
    filter_.SetFilterExpression(text, caseInsensitive, partial, current_);
  }
  void SetFilterActive(bool on) { filter_.SetFilterActive(on); }
  void RefreshFilterSet() { filter_.RefreshFilterSet(current_); }
  bool FilterAccepts(int32_t record) const { return filter_.Accepts(record); }
  // Moves must step record by record: a tag orders them or a filter hides some.
  bool StepsOneByOne() const { return current_ != nullptr || filter_.Active(); }
  TdfTableFilter& Filter() { return filter_; }

  TdfTableExpLink& Link() { return link_; }
  GSobjIndexFile* File(int slot) const;

 private:
  DFO_dBaseFld& table_;
  TdfTableExpLink link_;
  TdfTableFilter filter_{table_, link_};
  std::array<std::unique_ptr<GSobjIndexFile>, kSlots> files_;
  GSobjIndexTag* current_ = nullptr;
  int IndexSlotOf(const std::string& path) const;
  void ReadAtCursor(int32_t record);
};

}  // namespace kelmo::dbf
