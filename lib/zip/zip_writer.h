// TQorZip: the archive writer. Given ZipName and a FilesList of file names,
// folder names (ending in "/") and wildcard patterns (a leading ">" walks
// sub-folders, "|" stays in the folder), Compress builds a new archive or
// updates an existing one, storing or deflating each file (PackLevel 0 to 9),
// optionally with traditional encryption (Password), and writes the central
// directory and end records (Zip64 records when an archive passes 65,535
// entries or 4 GiB). Entries can also come from memory (AddFromMemory).
//
// Typical use (the export packages):
//   TQorZip zip;  zip.SetPackLevel(9);  zip.SetStorePaths(false);
//   zip.SetZipName(package);  zip.FilesList() = {h_file, l_file};
//   int added = zip.Compress();
//
// An update never touches the old archive until the new one is complete: the
// new archive is written to a temporary file and then renamed over the old
// one. Any failure deletes the partial output and leaves the old archive as it
// was. Errors: EUserCanceled "User canceled Zip operation", ENotEnoughRoom
// "Not enough room to write archive", EZCompressionError "error",
// EStreamError for files that cannot be created, and the reader's errors when
// the existing archive cannot be read.
//
// Cost: each file is read once (twice with a password, for its CRC), in 64 KB
// blocks; kept entries of an update are copied without recompression; memory
// is flat in the archive size (plus ~200 bytes per entry).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "zip_reader.h"

namespace kelmo::zip {

enum class TZipAction { zaUpdate, zaReplace, zaFreshen };
enum class TUpdateAction { uaReplacing, uaKeeping };

// Spanning and split settings. Only mmNone and mmBlocks write on this
// platform (there are no removable drives to span).
struct TMultiZipInfo {
  std::int64_t BlockSize = 1457600;
  std::int64_t FirstBlockSize = 0;
  std::int64_t SaveOnFirstDisk = 0;
  bool SaveZipInfoOnFirstDisk = false;
  TMultiMode MultiMode = TMultiMode::mmNone;
  bool CheckDiskLabels = true;
  bool WriteDiskLabels = true;
};

struct TZipEvents {
  std::function<void(const std::string& fname, TZipHeaderInfo& header, bool& skip)> OnStartZip;
  std::function<void(int num_files, std::int64_t total_bytes, TEndCentral* end, bool& stop_now)>
      OnStartZipInfo;
  std::function<void(const std::string& fname, std::int64_t uncompressed, std::int64_t compressed,
                     std::int64_t current_zip_size)>
      OnEndZip;
  std::function<void(const std::string& fname, bool& skip)> OnDisposeFile;
  std::function<void(const std::string& fname)> OnNoSuchFile;
  std::function<void(int file_count)> OnZipComplete;
  std::function<void(TUpdateAction action, int file_index)> OnUpdate;
  std::function<void(int disk_num)> OnPrepareNextDisk;
  std::function<void(const std::string& fname)> OnRecursingFile;
  std::function<void(std::uint8_t* buffer, int length, const std::string& password)> OnEncrypt;
  std::function<void(const std::string& fname, std::int64_t file_size)> OnStartSpanCopy;
  // Belong to deleting entries and zipping from streams, which the program
  // does not do: kept for Assign, never called.
  std::function<void(const std::string& fname, bool& skip)> OnDeleteEntry;
  std::function<void(TStream*& stream, std::string& next_file_name)> OnGetNextStream;
};

class TQorZip : public TQorUnZip {
 public:
  TQorZip();
  ~TQorZip() override;
  // Copies the reader's settings and the writer's settings and handlers.
  void Assign(const TQorZip& other);

  void SetZipName(const std::string& name) override;

  int PackLevel() const { return pack_level_; }
  void SetPackLevel(int level) { pack_level_ = level < 0 ? 0 : (level > 9 ? 9 : level); }
  bool Recurse() const { return recurse_; }
  void SetRecurse(bool v) { recurse_ = v; }
  bool Dispose() const { return dispose_; }
  void SetDispose(bool v) { dispose_ = v; }
  bool StorePaths() const { return store_paths_; }
  // False also clears StoreVolumes and RelativePaths.
  void SetStorePaths(bool v);
  bool RelativePaths() const { return relative_paths_; }
  // True also sets StorePaths and Recurse.
  void SetRelativePaths(bool v);
  bool StoreVolumes() const { return store_volumes_; }
  // True also sets StorePaths.
  void SetStoreVolumes(bool v);
  TZipAction ZipAction() const { return zip_action_; }
  void SetZipAction(TZipAction a) { zip_action_ = a; }
  TMultiZipInfo& MultiZipInfo() { return multi_zip_info_; }
  const std::string& TempPath() const { return temp_path_; }
  void SetTempPath(const std::string& p) { temp_path_ = p; }
  std::vector<std::string>& ExcludeList() { return exclude_list_; }
  std::vector<std::string>& NoCompressList() { return no_compress_list_; }
  // No short (8.3) names exist on this platform: the setting is kept and
  // names are stored as they are.
  bool Store83Names() const { return store_83_names_; }
  void SetStore83Names(bool v) { store_83_names_ = v; }
  // Linux has no archive attribute: every regular file counts as having it,
  // so nothing is skipped for its absence and nothing is reset.
  bool SkipIfArchiveBitNotSet() const { return skip_if_archive_bit_not_set_; }
  void SetSkipIfArchiveBitNotSet(bool v) { skip_if_archive_bit_not_set_ = v; }
  bool ResetArchiveBitOnZip() const { return reset_archive_bit_on_zip_; }
  void SetResetArchiveBitOnZip(bool v) { reset_archive_bit_on_zip_ = v; }
  bool AddDirEntriesOnRecurse() const { return add_dir_entries_; }
  void SetAddDirEntriesOnRecurse(bool v) { add_dir_entries_ = v; }
  void SetIncludeHiddenFiles(bool v) { SetMaskBit(0x02, v); }
  void SetIncludeSysFiles(bool v) { SetMaskBit(0x04, v); }
  void SetIncludeReadOnlyFiles(bool v) { SetMaskBit(0x01, v); }
  void SetIncludeArchiveFiles(bool v) { SetMaskBit(0x20, v); }
  std::uint32_t AttributeMask() const { return attribute_mask_; }

  // Adds an entry from memory at the next Compress: name may hold folders
  // ("xl/workbook.xml"); date_time 0 takes the current time. An entry of the
  // same name in an updated archive is replaced.
  void AddFromMemory(const std::string& name, std::vector<std::uint8_t> data,
                     std::time_t date_time = 0);
  // The same with the entry's bytes read from a stream to its end while it
  // is compressed, so that a large entry can be produced piece by piece and
  // is never held whole. The stream's Size may be 0 when it is not known
  // beforehand (it serves the progress events only).
  void AddFromStream(const std::string& name, std::unique_ptr<TStream> stream,
                     std::time_t date_time = 0);

  // Runs the list (and the memory entries); returns the entries added.
  int Compress();

  TZipEvents zip_events;

 protected:
  TMultiMode GetMultiMode() const override { return multi_zip_info_.MultiMode; }
  void SetMultiMode(TMultiMode m) override {
    multi_zip_info_.MultiMode = m;
    multi_mode_ = m;
  }
  bool GetCheckDiskLabels() const override { return multi_zip_info_.CheckDiskLabels; }
  void SetCheckDiskLabels(bool v) override {
    multi_zip_info_.CheckDiskLabels = v;
    check_disk_labels_ = v;
  }

 private:
  friend class ZipRun;
  void SetMaskBit(std::uint32_t bit, bool on) {
    attribute_mask_ = on ? (attribute_mask_ | bit) : (attribute_mask_ & ~bit);
  }
  struct MemorySource {
    std::string name;
    std::vector<std::uint8_t> data;
    std::time_t date_time;
    std::unique_ptr<TStream> stream;  // the bytes, when not `data`
  };

  int pack_level_ = 6;
  bool recurse_ = false;
  bool dispose_ = false;
  bool store_paths_ = false;
  bool relative_paths_ = false;
  bool store_volumes_ = false;
  TZipAction zip_action_ = TZipAction::zaUpdate;
  TMultiZipInfo multi_zip_info_;
  std::string temp_path_;
  std::vector<std::string> exclude_list_;
  std::vector<std::string> no_compress_list_;
  bool add_dir_entries_ = false;
  bool store_83_names_ = false;
  bool skip_if_archive_bit_not_set_ = false;
  bool reset_archive_bit_on_zip_ = false;
  std::uint32_t attribute_mask_ = 57;
  std::vector<MemorySource> memory_sources_;
};

}  // namespace kelmo::zip
