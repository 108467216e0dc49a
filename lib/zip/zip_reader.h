// TQorUnZip: the archive reader. It opens an archive by name, reads its
// central directory (rebuilding it from the local headers when it is
// damaged), answers questions about the entries and extracts them to a folder
// or to memory. The writer TQorZip (zip_writer.h) derives from it.
//
// Typical use (the package identification):
//   TQorUnZip unzip;
//   unzip.SetZipName(path);
//   unzip.ReadDirectory();                     // EQorZipException family
//   for (int i = 0; i < unzip.EntryCount(); ++i) unzip.EntryName(i);
//   unzip.FilesList() = {"h*.xml"};  unzip.SetDoAll(false);
//   unzip.SetDestDir(folder);  unzip.SetRecreateDirs(false);
//   int n = unzip.Extract();                   // entries written
//
// Errors: EBadZipFile / ENotAZipFile "Not a valid zip file!", EIncompleteZip
// "Incomplete Zip File", EFatalUnzipError "Premature end of file reached",
// EZCompressionError "error", ECantWriteUCF "Cant write uncompressed file",
// EUserCanceled with the refused question's text, EStreamError for files that
// cannot be opened (anything but a regular file is refused without waiting);
// EListError "Index <i> is out of range" for a bad index; EEntryTooLarge for
// an entry past the extraction limits, EDuplicateDestination for two entries
// landing on one file, EBadLocalHeader for a local header whose signature is
// wrong. Per-entry problems (bad CRC, wrong password, refused overwrite, an
// unsafe name, an undecoded method) skip that entry with an event and remove
// any partial file. An entry replaces an existing destination only once it
// is whole (written beside it, then renamed over it), so a failure never
// costs an earlier file and a link at the destination is replaced, never
// written through.
//
// Cost: reading the directory is linear in its size (one pass over the
// central directory through an 8 KB buffer; memory ~200 bytes per entry);
// extraction streams in 32 KB chunks, memory flat in the archive size.
// Not thread-safe: one component belongs to one thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "buffered_stream.h"
#include "zip_errors.h"
#include "zip_interaction.h"
#include "zip_records.h"

namespace kelmo::zip {

enum class TUZOverwriteMode { Prompt, Always, Never, ifNewer, ifOlder };
enum class TIncompleteZipMode { izAssumeMulti, izAssumeBad, izAssumeNotAZip };
enum class TBlockMode { bmStandard, bmClassic };
enum class TMultiMode { mmNone, mmSpan, mmBlocks };
enum class TSplitPartType { spFirst, spMiddle, spLast };
// srUnsafeName: an entry whose name would land outside DestDir (absolute,
// "..", drive letter) and was refused. srUnknownMethod: an entry packed by a
// method or encryption the reader does not decode (deflate64, bzip2, LZMA,
// AES, strong encryption), reported as such and not written.
enum class TSkipReason {
  srBadPassword,
  srNoOverwrite,
  srFileOpenError,
  srCreateError,
  srExcludeList,
  srArchiveBitNotSet,
  srNoFileToFreshen,
  srSkippedInStartZip,
  srUnsafeName,
  srUnknownMethod
};

// Bounds of one extraction against archives that unpack to far more than
// they hold. An entry whose declared size exceeds any of them stops the run
// with EEntryTooLarge before anything of it is written (output never exceeds
// the declared size, so the declared size is what counts).
struct TExtractLimits {
  // The largest entry, in bytes.
  std::uint64_t max_entry_size = UINT64_MAX;
  // Uncompressed bytes per compressed byte (deflate cannot pass 1032); an
  // entry may always unpack to small_entry_allowance bytes.
  std::uint64_t max_ratio = 1100;
  std::uint64_t small_entry_allowance = 1 << 20;
  // Bytes to leave free on the destination's file system.
  std::uint64_t keep_free = 16u << 20;
};

// The reader's events; an argument passed by reference may be changed by the
// handler. An unset handler is not called.
struct TUnZipEvents {
  std::function<void(int num_files, std::int64_t total_bytes, bool& stop_now)> OnStartUnZipInfo;
  std::function<void(int percent)> OnFilePercentDone;
  std::function<void(int percent)> OnTotalPercentDone;
  std::function<void(int file_index, std::string& fname, bool& skip)> OnStartUnZip;
  std::function<void(int file_index, const std::string& fname)> OnEndUnZip;
  std::function<void(bool& overwrite_it, int file_index, std::string& fname)> OnPromptForOverwrite;
  std::function<void(TSkipReason reason, const std::string& fname, int file_index, bool& retry)>
      OnSkippingFile;
  std::function<void(int file_index, std::string& new_password)> OnBadPassword;
  std::function<void(std::uint32_t calc_crc, std::uint32_t stored_crc, int file_index)> OnBadCRC;
  std::function<void(TIncompleteZipMode& mode)> OnInCompleteZip;
  std::function<void(int next_disk, std::string& fname)> OnGetNextDisk;
  std::function<void(int file_count)> OnUnZipComplete;
  std::function<void(std::uint8_t* buffer, int length, const std::string& password)> OnDecrypt;
  std::function<void(std::string& fname, int part_num, TSplitPartType split_type)>
      OnFileNameForSplitPart;
  std::function<void(int message_id, const std::string& msg1, const std::string& msg2,
                     unsigned flags, int& result)>
      OnHandleMessage;
  // Belongs to extracting into caller-supplied buffers, which the program
  // does not use: kept for Assign, never called (ExtractToMemory serves).
  std::function<void(std::uint8_t*& buffer, const std::string& fname, int amount_used,
                     int buffer_num, bool& quit)>
      OnGetNextBuffer;
};

class TQorUnZip {
 public:
  TQorUnZip();
  virtual ~TQorUnZip();
  TQorUnZip(const TQorUnZip&) = delete;
  TQorUnZip& operator=(const TQorUnZip&) = delete;
  // Copies the settings and handlers (not the directory read).
  void Assign(const TQorUnZip& other);

  // --- properties
  static constexpr int ThisVersion = 306;
  static constexpr int ThisBuild = 1;
  const std::string& ZipName() const { return zip_name_; }
  // A name equal to the current one (ignoring case) changes nothing; another
  // forgets the directory read. A name ending in "?" asks the interaction for
  // a file ("User canceled setting zip file name." when cancelled).
  virtual void SetZipName(const std::string& name);
  const std::string& DestDir() const { return dest_dir_; }
  // One trailing separator is removed; "?" asks for a folder ("User canceled
  // Set Desination Directory" when cancelled).
  void SetDestDir(const std::string& dir);
  const std::string& RootDir() const { return root_dir_; }
  void SetRootDir(const std::string& dir);
  std::vector<std::string>& RelativePathList() { return relative_path_list_; }
  TZipSortMode SortMode() const { return sort_mode_; }
  void SetSortMode(TZipSortMode mode) { sort_mode_ = mode; }
  bool RecreateDirs() const { return recreate_dirs_; }
  void SetRecreateDirs(bool v) { recreate_dirs_ = v; }
  TUZOverwriteMode OverwriteMode() const { return overwrite_mode_; }
  void SetOverwriteMode(TUZOverwriteMode m) { overwrite_mode_ = m; }
  // Names or wildcard patterns of the entries to extract (files to add, for
  // the writer). Emptied by every Extract and Compress.
  std::vector<std::string>& FilesList() { return files_list_; }
  void SetFilesList(const std::vector<std::string>& list) { files_list_ = list; }
  bool DoAll() const { return do_all_; }
  void SetDoAll(bool v) { do_all_ = v; }
  TIncompleteZipMode IncompleteZipMode() const { return incomplete_mode_; }
  void SetIncompleteZipMode(TIncompleteZipMode m) { incomplete_mode_ = m; }
  bool KeepZipOpen() const { return keep_zip_open_; }
  void SetKeepZipOpen(bool v) { keep_zip_open_ = v; }
  bool DoProcessMessages() const { return do_process_messages_; }
  void SetDoProcessMessages(bool v) { do_process_messages_ = v; }
  bool RetainAttributes() const { return retain_attributes_; }
  void SetRetainAttributes(bool v) { retain_attributes_ = v; }
  bool ReplaceReadOnly() const { return replace_read_only_; }
  void SetReplaceReadOnly(bool v) { replace_read_only_ = v; }
  bool FlushFilesOnClose() const { return flush_files_on_close_; }
  void SetFlushFilesOnClose(bool v) { flush_files_on_close_ = v; }
  TBlockMode BlockMode() const { return block_mode_; }
  void SetBlockMode(TBlockMode m) { block_mode_ = m; }
  TOEMConvert OEMConvert() const { return oem_convert_; }
  void SetOEMConvert(TOEMConvert m) { oem_convert_ = m; }
  // The password tried on encrypted entries (and used by the writer).
  // Normally supplied by OnBadPassword; set directly where the caller knows it.
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& p) { password_ = p; }
  const TExtractLimits& ExtractLimits() const { return limits_; }
  void SetExtractLimits(const TExtractLimits& limits) { limits_ = limits; }
  // The application's dialogs (not owned; may be null).
  void SetInteraction(TZipInteraction* interaction) { interaction_ = interaction; }

  TUnZipEvents events;

  // --- directory
  // Reads the end record and central directory of ZipName (rebuilding from
  // local headers when damaged). See the header comment for errors.
  void ReadDirectory();
  int EntryCount() const;
  // File name (no folder) of the entry at index of the current view.
  std::string EntryName(int index) const;
  // The whole entry (folder in TZipHeaderInfo::directory, "/" separated).
  const TZipHeaderInfo& Entry(int index) const;
  // Index of the entry whose folder + name equals full_name (ignoring ASCII
  // case), -1 when none. Linear.
  int FindEntry(const std::string& full_name) const;
  std::time_t EntryDateTime(int index) const;
  std::string EntryComment(int index);
  void SetEntryComment(int index, const std::string& text);
  std::string GetArchiveComment();
  void SetArchiveComment(const std::string& text);
  const TEndCentral& EndCentral() const { return end_; }
  TMultiMode GetMultiModeValue() const { return GetMultiMode(); }
  int DiskCount() const { return disk_count_; }

  // --- extraction
  // Extracts the selected entries (DoAll, or FilesList patterns matched
  // against folder + name) into DestDir. Returns the number extracted.
  int Extract();
  // One entry into memory: its bytes. Raises EQorZipException
  // "CRC error in <name>", "Bad password for <name>", "Unknown Compression
  // Method" and the extraction's exceptions; the events of a file entry are
  // not called except OnBadPassword.
  std::vector<std::uint8_t> ExtractToMemory(int index);

  // The split-part base name (ZipName up to the first "." of its file name).
  const std::string& SplitBaseName() const { return split_base_; }
  std::string DefaultSplitPartName(const std::string& base, int part, TSplitPartType type) const;

 protected:
  friend class ExtractionRun;
  friend class EntryInput;
  friend class EntryOutput;
  // Directory reading.
  void OpenZipStream();
  void CloseZipStream();
  void ClearZip();
  void LoadDirectory(TStream& stream);
  bool RebuildFromLocalHeaders(TStream& stream);
  // Position after the data descriptor of a streamed entry whose data starts
  // at data (its CRC and sizes taken into entry); -1 when none is found.
  std::int64_t FindDataDescriptor(TStream& stream, std::int64_t data, TZipHeaderInfo& entry);
  TStream& OpenDisk(int n);
  TStream& SwitchToDisk(int n) { return OpenDisk(n); }
  TStream* NextDiskCallback();
  std::string DoGetNextDisk(int n);
  std::string DoFileNameForSplitPart(int part, TSplitPartType type);
  void ApplySortMode(TZipSortMode mode);
  int DoHandleMessage(int id, const std::string& text, unsigned flags, const std::string& caption);
  bool ProcessMessages();
  TZipHeaderInfoRef NewHeaderInfo() const;
  TSortedZip& View() const;
  TZipHeaderInfo& ViewEntry(int index) const;
  void CheckIndex(int index) const;
  void SetDiskCount(int n) { disk_count_ = n; }
  virtual TMultiMode GetMultiMode() const { return multi_mode_; }
  virtual void SetMultiMode(TMultiMode m) { multi_mode_ = m; }
  virtual bool GetCheckDiskLabels() const { return check_disk_labels_; }
  virtual void SetCheckDiskLabels(bool v) { check_disk_labels_ = v; }
  std::optional<std::filesystem::file_time_type> ArchiveDate() const;
  void SkipSeparator();

  std::string zip_name_;
  std::string current_file_;  // the disk or part open now
  std::string split_base_;
  std::string dest_dir_;
  std::string root_dir_;
  std::vector<std::string> relative_path_list_;
  TZipSortMode sort_mode_ = TZipSortMode::ByNone;
  bool recreate_dirs_ = false;
  TUZOverwriteMode overwrite_mode_ = TUZOverwriteMode::Prompt;
  std::vector<std::string> files_list_;
  bool do_all_ = false;
  TIncompleteZipMode incomplete_mode_ = TIncompleteZipMode::izAssumeMulti;
  bool keep_zip_open_ = false;
  bool do_process_messages_ = true;
  bool retain_attributes_ = true;
  bool replace_read_only_ = false;
  bool flush_files_on_close_ = false;
  TBlockMode block_mode_ = TBlockMode::bmStandard;
  TOEMConvert oem_convert_ = TOEMConvert::oemAlways;
  TZipInteraction* interaction_ = nullptr;
  TExtractLimits limits_;

  std::string password_;
  std::unique_ptr<TLFNFileStream> stream_;
  std::unique_ptr<TSortedZip> entries_;
  std::unique_ptr<TSortedZip> sorted_view_;  // null: the view is entries_
  TEndCentral end_;
  int current_disk_ = 0;
  // The directory came from the ".zfc" copy: which disk ZipName is, is unknown.
  bool directory_from_zfc_ = false;
  int disk_count_ = 1;
  TMultiMode multi_mode_ = TMultiMode::mmNone;
  bool check_disk_labels_ = true;
  std::optional<std::filesystem::file_time_type> recorded_date_;
  bool rebuild_mark_ = false;
  bool reading_directory_ = false;
  bool config_file_mode_ = false;
  static constexpr std::int64_t kFileBufferSize = 8192;
};

}  // namespace kelmo::zip
