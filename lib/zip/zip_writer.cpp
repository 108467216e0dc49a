// The writer component and one run of it: expanding the file list, carrying
// the entries of an existing archive over, zipping each file (store or
// deflate, traditional encryption), the central directory and end records,
// and replacing the old archive only once the new one is complete.
#include "zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <unordered_set>

#include "bytes/little_endian.h"
#include "dir_search.h"
#include "file_helpers.h"
#include "wildcard_match.h"
#include "zip_crypt.h"

namespace fs = std::filesystem;

namespace kelmo::zip {

namespace {
std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}
std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}
constexpr std::size_t kDeflateBuffer = 65535;
constexpr std::size_t kStoreBlock = 32768;
constexpr std::size_t kCopyBlock = 16384;
}  // namespace

TQorZip::TQorZip() = default;
TQorZip::~TQorZip() = default;

void TQorZip::Assign(const TQorZip& o) {
  TQorUnZip::Assign(o);
  pack_level_ = o.pack_level_;
  recurse_ = o.recurse_;
  dispose_ = o.dispose_;
  store_paths_ = o.store_paths_;
  relative_paths_ = o.relative_paths_;
  store_volumes_ = o.store_volumes_;
  zip_action_ = o.zip_action_;
  multi_zip_info_ = o.multi_zip_info_;
  store_83_names_ = o.store_83_names_;
  temp_path_ = o.temp_path_;
  skip_if_archive_bit_not_set_ = o.skip_if_archive_bit_not_set_;
  reset_archive_bit_on_zip_ = o.reset_archive_bit_on_zip_;
  exclude_list_ = o.exclude_list_;
  no_compress_list_ = o.no_compress_list_;
  add_dir_entries_ = o.add_dir_entries_;
  zip_events = o.zip_events;
}

void TQorZip::SetZipName(const std::string& name) {
  if (name.size() == zip_name_.size() && LowerAscii(name) == LowerAscii(zip_name_)) return;
  TQorUnZip::SetZipName(name);
}

void TQorZip::SetStorePaths(bool v) {
  store_paths_ = v;
  if (!v) {
    store_volumes_ = false;
    relative_paths_ = false;
  }
}

void TQorZip::SetRelativePaths(bool v) {
  relative_paths_ = v;
  if (v) {
    store_paths_ = true;
    recurse_ = true;
  }
}

void TQorZip::SetStoreVolumes(bool v) {
  store_volumes_ = v;
  if (v) store_paths_ = true;
}

void TQorZip::AddFromMemory(const std::string& name, std::vector<std::uint8_t> data,
                            std::time_t date_time) {
  memory_sources_.push_back(
      {name, std::move(data), date_time ? date_time : std::time(nullptr), nullptr});
}

void TQorZip::AddFromStream(const std::string& name, std::unique_ptr<TStream> stream,
                            std::time_t date_time) {
  memory_sources_.push_back(
      {name, {}, date_time ? date_time : std::time(nullptr), std::move(stream)});
}

// One Compress.
class ZipRun {
 public:
  explicit ZipRun(TQorZip& z) : z_(z) {}
  int Run();

 private:
  void ExpandFileList();
  bool IsExcluded(const std::string& path) const { return MatchList(z_.exclude_list_, path); }
  bool IsNoCompress(const std::string& name) const { return MatchList(z_.no_compress_list_, name); }
  static bool MatchList(const std::vector<std::string>& list, const std::string& path);
  std::string StoredPathOf(const std::string& path) const;
  void ProcessExistingEntries();
  int MatchesEntry(const TZipHeaderInfo& e) const;
  void CopyExistingEntry(TZipHeaderInfo& e);
  // Zips one source into entry; false when no entry was made.
  bool ZipFile(const std::string& path, TZipHeaderInfo& e, const TQorZip::MemorySource* memory);
  void AddNewEntry(const TZipHeaderInfoRef& e, const std::string& path);
  std::uint64_t StoreFile(TStream& in, std::uint64_t& bytes_read);
  std::uint64_t DeflateFile(TStream& in, std::uint64_t& bytes_read);
  std::int64_t ReadInput(TStream& in, std::uint8_t* buf, std::int64_t count);
  void WriteOutput(std::uint8_t* buf, std::int64_t count);
  void WriteEncryptionHeader(std::uint32_t crc);
  std::string TempFolder() const;
  bool InNewArchive(const TZipHeaderInfo& e) const;

  TQorZip& z_;
  // Multi-disk output (split parts, spanned disks).
  void StartMultiDisk();
  void NextOutputDisk();
  std::int64_t RoomLeft() const { return room_ - out_->Position(); }
  void CopyTempToArchive(TZipHeaderInfo& e);
  void FinishMultiDisk();
  void SaveZipInfo();

  std::unique_ptr<TLFNFileStream> out_;
  std::string out_name_;
  TStream* sink_ = nullptr;  // where entry data goes: the archive or a temporary file
  bool multi_ = false;
  std::int64_t room_ = 0;
  std::unique_ptr<TLFNFileStream> temp_;
  std::string temp_name_;
  bool updating_ = false;
  // Folder + name of every entry, ASCII letters folded: a second entry of one
  // name is refused (a hash set, so that large archives stay linear).
  std::unordered_set<std::string> names_;
  static std::string NameKey(const TZipHeaderInfo& e) { return LowerAscii(e.FullName()); }
  std::unique_ptr<TSortedZip> order_;  // archive order; becomes the reader's list
  TEndCentral end_;
  std::vector<std::string> dispose_list_;
  std::int64_t total_bytes_ = 0, done_bytes_ = 0;
  std::int64_t file_size_ = 0, file_read_ = 0;
  std::uint32_t crc_ = 0xFFFFFFFF;
  ZipKeys keys_;
  bool encrypt_ = false;
  int added_ = 0;
};

bool ZipRun::MatchList(const std::vector<std::string>& list, const std::string& path) {
  std::string lower = LowerAscii(path);
  std::string name = ExtractFileName(lower);
  for (const std::string& p : list) {
    std::string lp = LowerAscii(p);
    bool whole = lp.find('/') != std::string::npos || lp.find('\\') != std::string::npos;
    if (WildcardMatch(lp, whole ? lower : name)) return true;
  }
  return false;
}

std::string ZipRun::StoredPathOf(const std::string& path) const {
  if (!z_.store_paths_) return {};
  std::string folder = ExtractFilePath(path);
  if (z_.relative_paths_) {
    std::size_t n = std::min(folder.size(), z_.root_dir_.size());
    folder.erase(0, n);
  } else if (!z_.store_volumes_) {
    while (!folder.empty() && folder[0] == '/') folder.erase(0, 1);
  }
  return folder;
}

std::string ZipRun::TempFolder() const {
  if (FolderExists(z_.temp_path_)) return z_.temp_path_;
  std::error_code ec;
  auto t = fs::temp_directory_path(ec);
  return ec ? std::string(".") : t.string();
}

void ZipRun::ExpandFileList() {
  total_bytes_ = done_bytes_ = 0;
  auto& ev = z_.zip_events;
  auto skipping = [&](TSkipReason reason, const std::string& name) {
    bool retry = false;
    if (z_.events.OnSkippingFile) z_.events.OnSkippingFile(reason, name, -1, retry);
  };
  auto in_archive = [&](const std::string& path) {
    if (!z_.entries_) return false;
    std::string full = LowerAscii(StoredPathOf(path) + ExtractFileName(path));
    for (int i = 0; i < z_.entries_->Count(); ++i)
      if (LowerAscii(z_.entries_->Entry(i).FullName()) == full) return true;
    return false;
  };
  std::vector<std::string> kept, patterns;
  for (std::string line : z_.files_list_) {
    for (char& c : line)
      if (c == '\\') c = '/';
    if (!line.empty() && line.back() == '/') {
      kept.push_back(line);
      continue;
    }
    if (HasWildcardChars(line)) {
      patterns.push_back(line);
      continue;
    }
    if (line.find('/') == std::string::npos) line = z_.root_dir_ + line;
    if (IsExcluded(line)) {
      skipping(TSkipReason::srExcludeList, line);
      continue;
    }
    std::uint32_t attrs = FileAttributesOf(line);
    bool visible = attrs != 0 && !(attrs & kAttrDirectory) &&
                   ((attrs & ~(kAttrArchive | kAttrDirectory)) & ~z_.attribute_mask_) == 0;
    if (!visible) {
      if (ev.OnNoSuchFile) ev.OnNoSuchFile(line);
      continue;
    }
    if (z_.zip_action_ == TZipAction::zaFreshen && !in_archive(line)) {
      skipping(TSkipReason::srNoFileToFreshen, line);
      continue;
    }
    std::error_code ec;
    total_bytes_ += static_cast<std::int64_t>(fs::file_size(line, ec));
    kept.push_back(line);
  }
  for (std::string pattern : patterns) {
    bool recurse = z_.recurse_;
    if (!pattern.empty() && pattern[0] == '|') {
      pattern.erase(0, 1);
      recurse = false;
    } else if (!pattern.empty() && pattern[0] == '>') {
      pattern.erase(0, 1);
      recurse = true;
    }
    std::string folder = ExtractFilePath(pattern);
    if (folder.empty()) folder = z_.root_dir_;
    std::string file_pattern = ExtractFileName(pattern);
    if (file_pattern == "*.*") file_pattern = "*";
    if (!FolderExists(folder.empty() ? "." : folder) && !HasWildcardChars(folder)) {
      if (ev.OnNoSuchFile) ev.OnNoSuchFile(pattern);
      continue;
    }
    TDirSearch walk(folder.empty() ? "./" : folder, file_pattern, recurse, z_.attribute_mask_);
    std::string path;
    std::error_code ec;
    fs::path archive = fs::weakly_canonical(z_.zip_name_, ec);
    while (walk.NextFile(path)) {
      if (ev.OnRecursingFile) ev.OnRecursingFile(path);
      if (folder.empty() && path.rfind("./", 0) == 0) path.erase(0, 2);
      if (path.back() == '/') {
        if (recurse && z_.add_dir_entries_) kept.push_back(path);
        continue;
      }
      if (IsExcluded(path)) {
        skipping(TSkipReason::srExcludeList, path);
        continue;
      }
      z_.ProcessMessages();
      if (fs::weakly_canonical(path, ec) == archive) continue;
      if (z_.zip_action_ == TZipAction::zaFreshen && !in_archive(path)) {
        skipping(TSkipReason::srNoFileToFreshen, path);
        continue;
      }
      total_bytes_ += static_cast<std::int64_t>(fs::file_size(path, ec));
      kept.push_back(path);
    }
  }
  z_.files_list_ = std::move(kept);
}

int ZipRun::MatchesEntry(const TZipHeaderInfo& e) const {
  std::string full = LowerAscii(e.FullName());
  for (std::size_t i = 0; i < z_.files_list_.size(); ++i) {
    const std::string& line = z_.files_list_[i];
    std::string name = LowerAscii(StoredPathOf(line) + ExtractFileName(line));
    if (!line.empty() && line.back() == '/') name = LowerAscii(StoredPathOf(line));
    if (name == full) return static_cast<int>(i);
  }
  return -1;
}

bool ZipRun::InNewArchive(const TZipHeaderInfo& e) const {
  return names_.count(NameKey(e)) != 0;
}

void ZipRun::AddNewEntry(const TZipHeaderInfoRef& e, const std::string& path) {
  order_->Add(e);
  names_.insert(NameKey(*e));
  ++added_;
  end_.SetEntryCount(end_.GetEntryCount() + 1);
  end_.SetEntriesThisDisk(end_.GetEntriesThisDisk() + 1);
  if (z_.dispose_ && !path.empty()) dispose_list_.push_back(path);
}

void ZipRun::ProcessExistingEntries() {
  TSortedZip& old = *z_.entries_;
  for (int i = 0; i < old.Count(); ++i) {
    auto e = z_.NewHeaderInfo();
    TZipHeaderInfo& src = old.Entry(i);
    if (src.comment_length && !src.comment) {
      // Comments are read on demand; fetch it before the copy.
      std::int64_t pos = z_.stream_->Position();
      z_.stream_->SetPosition(src.central_header_position + 46);
      std::uint8_t raw[46];
      z_.stream_->SetPosition(src.central_header_position);
      if (z_.stream_->Read(raw, 46) == 46) {
        CentralDirHeader h;
        h.Read(raw);
        z_.stream_->Seek(h.name_length + h.extra_length, soCurrent);
        std::string text(src.comment_length, '\0');
        text.resize(static_cast<std::size_t>(z_.stream_->Read(text.data(), src.comment_length)));
        src.SetFileComment(text);
      }
      z_.stream_->SetPosition(pos);
    }
    e->Assign(src);
    int line = MatchesEntry(*e);
    if (line >= 0) {
      const std::string path = z_.files_list_[line];
      bool newer = FileDateTimeOf(path) > [&] {
        std::time_t t = 0;
        DosDateTimeToTime(e->date_time, t);
        return t;
      }();
      if (z_.zip_action_ == TZipAction::zaReplace || newer) {
        if (z_.zip_events.OnUpdate) z_.zip_events.OnUpdate(TUpdateAction::uaReplacing, i);
        auto fresh = z_.NewHeaderInfo();
        if (ZipFile(path, *fresh, nullptr)) AddNewEntry(fresh, path);
        z_.files_list_.erase(z_.files_list_.begin() + line);
        continue;
      }
      if (z_.dispose_) dispose_list_.push_back(path);
      std::error_code ec;
      total_bytes_ -= static_cast<std::int64_t>(fs::file_size(path, ec));
      total_bytes_ += static_cast<std::int64_t>(e->GetCompressedSize());
      z_.files_list_.erase(z_.files_list_.begin() + line);
    }
    // An entry that a memory source of the same name replaces is dropped.
    bool replaced = false;
    for (const auto& m : z_.memory_sources_) {
      std::string name = m.name;
      for (char& c : name)
        if (c == '\\') c = '/';
      if (LowerAscii(name) == LowerAscii(e->FullName())) replaced = true;
    }
    if (replaced) continue;
    if (z_.zip_events.OnUpdate) z_.zip_events.OnUpdate(TUpdateAction::uaKeeping, i);
    CopyExistingEntry(*e);
    order_->Add(e);
    names_.insert(NameKey(*e));
    end_.SetEntryCount(end_.GetEntryCount() + 1);
    end_.SetEntriesThisDisk(end_.GetEntriesThisDisk() + 1);
  }
}

void ZipRun::CopyExistingEntry(TZipHeaderInfo& e) {
  // The old archive may be a split set (read as one): each entry is read
  // from its own part, and its data may run on into the next ones.
  const bool old_multi = z_.GetMultiMode() != TMultiMode::mmNone;
  if (old_multi && static_cast<std::uint32_t>(z_.current_disk_) != e.GetDiskStart())
    z_.SwitchToDisk(static_cast<int>(e.GetDiskStart()) + 1);
  TStream& in = *z_.stream_;
  in.SetPosition(static_cast<std::int64_t>(e.GetLocalHeaderOffset()));
  std::uint8_t raw[30];
  in.ReadBuffer(raw, 30);
  LocalFileHeader h;
  h.Read(raw);
  if (h.signature != Signatures().local) throw EBadZipFile();
  in.Seek(h.name_length, soCurrent);
  // Old extra fields are dropped: a Zip64 block among them would contradict
  // the one written here, and the rest (time stamps, owners) is optional.
  in.Seek(h.extra_length, soCurrent);
  e.local_extra_length = 0;
  bool keep_descriptor = e.IsEncrypted() && e.HasDataDescriptor();
  // An encrypted entry made with a descriptor checks its password against
  // the time, not the CRC: it keeps the flag and gets a descriptor again.
  if (!keep_descriptor) e.flags &= static_cast<std::uint16_t>(~kFlagDataDescriptor);
  e.SetDiskStart(0);
  e.WriteLocalHeader(*out_);
  std::uint64_t left = e.GetCompressedSize();
  std::vector<std::uint8_t> buf(kCopyBlock);
  std::uint64_t total = left, copied = 0;
  while (left > 0) {
    std::int64_t n = static_cast<std::int64_t>(std::min<std::uint64_t>(left, buf.size()));
    std::int64_t got = z_.stream_->Read(buf.data(), n);
    while (got < n && old_multi && z_.current_disk_ + 1 < z_.disk_count_) {
      z_.SwitchToDisk(z_.current_disk_ + 2);
      got += z_.stream_->Read(buf.data() + got, n - got);
    }
    if (got != n) throw EFatalUnzipError();
    if (out_->Write(buf.data(), n) != n) throw ENotEnoughRoom();
    left -= static_cast<std::uint64_t>(n);
    copied += static_cast<std::uint64_t>(n);
    done_bytes_ += n;
    if (z_.events.OnFilePercentDone)
      z_.events.OnFilePercentDone(
          PercentOf(static_cast<std::int64_t>(copied), static_cast<std::int64_t>(total)));
    if (z_.events.OnTotalPercentDone)
      z_.events.OnTotalPercentDone(PercentOf(done_bytes_, total_bytes_));
    z_.ProcessMessages();
  }
  if (keep_descriptor) {
    std::uint8_t d[16];
    bytes::PutLE32(d, kDataDescriptorSignature);
    bytes::PutLE32(d + 4, e.crc32);
    bytes::PutLE32(d + 8, e.compressed_size);
    bytes::PutLE32(d + 12, e.uncompressed_size);
    out_->WriteBuffer(d, 16);
  }
}

std::int64_t ZipRun::ReadInput(TStream& in, std::uint8_t* buf, std::int64_t count) {
  std::int64_t n = in.Read(buf, count);
  if (n > 0) {
    file_read_ += n;
    done_bytes_ += n;
    crc_ = UpdateCrc(crc_, buf, static_cast<std::size_t>(n));
    if (z_.events.OnFilePercentDone) z_.events.OnFilePercentDone(PercentOf(file_read_, file_size_));
    if (z_.events.OnTotalPercentDone)
      z_.events.OnTotalPercentDone(PercentOf(done_bytes_, total_bytes_));
  }
  return n;
}

void ZipRun::WriteOutput(std::uint8_t* buf, std::int64_t count) {
  if (count <= 0) return;
  if (encrypt_) {
    if (z_.zip_events.OnEncrypt)
      z_.zip_events.OnEncrypt(buf, static_cast<int>(count), z_.password_);
    else
      keys_.EncryptBuffer(buf, static_cast<std::size_t>(count));
  }
  if (sink_->Write(buf, count) != count) throw ENotEnoughRoom();
  z_.ProcessMessages();
}

std::uint64_t ZipRun::StoreFile(TStream& in, std::uint64_t& bytes_read) {
  std::vector<std::uint8_t> buf(kStoreBlock);
  std::uint64_t written = 0;
  for (;;) {
    std::int64_t n = ReadInput(in, buf.data(), static_cast<std::int64_t>(buf.size()));
    if (n <= 0) break;
    WriteOutput(buf.data(), n);
    bytes_read += static_cast<std::uint64_t>(n);
    written += static_cast<std::uint64_t>(n);
  }
  return written;
}

std::uint64_t ZipRun::DeflateFile(TStream& in, std::uint64_t& bytes_read) {
  std::vector<std::uint8_t> inbuf(kDeflateBuffer), outbuf(kDeflateBuffer);
  z_stream s{};
  if (deflateInit2(&s, z_.pack_level_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw EZCompressionError();
  struct Ender {
    z_stream* s;
    ~Ender() { deflateEnd(s); }
  } ender{&s};
  std::uint64_t written = 0;
  int flush = Z_NO_FLUSH;
  for (;;) {
    if (s.avail_in == 0 && flush == Z_NO_FLUSH) {
      std::int64_t n = ReadInput(in, inbuf.data(), static_cast<std::int64_t>(inbuf.size()));
      if (n <= 0) {
        flush = Z_FINISH;
        n = 0;
      }
      bytes_read += static_cast<std::uint64_t>(n);
      s.next_in = inbuf.data();
      s.avail_in = static_cast<uInt>(n);
    }
    s.next_out = outbuf.data();
    s.avail_out = static_cast<uInt>(outbuf.size());
    int r = deflate(&s, flush);
    if (r < 0 && r != Z_BUF_ERROR) throw EZCompressionError();
    std::int64_t produced = static_cast<std::int64_t>(outbuf.size() - s.avail_out);
    WriteOutput(outbuf.data(), produced);
    written += static_cast<std::uint64_t>(produced);
    if (r == Z_STREAM_END) break;
  }
  return written;
}

void ZipRun::WriteEncryptionHeader(std::uint32_t crc) {
  keys_.Init(z_.password_);
  // The ten random bytes only need to be unpredictable, not reproducible.
  std::random_device gen;
  std::uint8_t header[12];
  for (int i = 0; i < 10; ++i) header[i] = static_cast<std::uint8_t>(gen() >> 7);
  header[10] = static_cast<std::uint8_t>(crc >> 16);
  header[11] = static_cast<std::uint8_t>(crc >> 24);
  keys_.EncryptBuffer(header, 12);
  if (sink_->Write(header, 12) != 12) throw ENotEnoughRoom();
}

bool ZipRun::ZipFile(const std::string& path, TZipHeaderInfo& e,
                     const TQorZip::MemorySource* memory) {
  auto& ev = z_.zip_events;
  bool folder_entry = !memory && !path.empty() && path.back() == '/';
  std::unique_ptr<TStream> source;
  std::unique_ptr<TMemoryStream> mem;
  std::uint64_t size = 0;
  if (memory) {
    std::string name = memory->name;
    for (char& c : name)
      if (c == '\\') c = '/';
    while (!name.empty() && name[0] == '/') name.erase(0, 1);
    e.date_time = TimeToDosDateTime(memory->date_time);
    e.external_attributes = kAttrArchive;
    e.SetDirectory(ExtractFilePath(name));
    e.SetFileName(ExtractFileName(name));
    size = memory->stream
               ? static_cast<std::uint64_t>(std::max<std::int64_t>(0, memory->stream->Size()))
               : memory->data.size();
  } else if (folder_entry) {
    std::string p = WithoutTrailingBackslash(path);
    e.date_time = FolderExists(p) ? FileDosDateTimeOf(p) : TimeToDosDateTime(std::time(nullptr));
    e.compression_method = 0;
    e.internal_attributes = 0;
    e.crc32 = 0;
    e.SetCompressedSize(0);
    e.SetUncompressedSize(0);
    if (FolderExists(p)) e.external_attributes = FileAttributesOf(p);
    std::string folder = StoredPathOf(path);
    e.SetDirectory(folder);
    e.SetFileName("");
  } else {
    if (!IsExistingFile(path)) {
      if (ev.OnNoSuchFile) ev.OnNoSuchFile(path);
      return false;
    }
    e.external_attributes = FileAttributesOf(path);
    for (;;) {
      try {
        source = std::make_unique<TLFNFileStream>(path, fmOpenRead, false, 65536);
        break;
      } catch (const EStreamError&) {
        bool retry = false;
        if (z_.events.OnSkippingFile)
          z_.events.OnSkippingFile(TSkipReason::srFileOpenError, path, -1, retry);
        if (!retry) return false;
      }
    }
    e.date_time = FileDosDateTimeOf(path);
    size = static_cast<std::uint64_t>(source->Size());
    e.SetDirectory(StoredPathOf(path));
    e.SetFileName(ExtractFileName(path));
  }
  if (memory && !memory->stream) mem = std::make_unique<TMemoryStream>(memory->data);
  TStream* in = memory ? (memory->stream ? memory->stream.get() : static_cast<TStream*>(mem.get()))
                       : source.get();
  e.internal_attributes = 0;
  e.SetDiskStart(static_cast<std::uint32_t>(z_.current_disk_));
  if (!folder_entry) {
    e.SetUncompressedSize(size);
    e.SetCompressedSize(0);
    if (size >= 0xF0000000ull && e.uncompressed_size != kMark32) {
      // Deflate may grow such a file past 4 GiB: the local header reserves
      // its Zip64 sizes now, as it cannot grow later.
      e.Zip64().uncompressed_size = size;
      e.uncompressed_size = kMark32;
    }
  }
  if (InNewArchive(e)) {
    bool retry = false;
    total_bytes_ -= static_cast<std::int64_t>(size);
    if (z_.events.OnSkippingFile)
      z_.events.OnSkippingFile(TSkipReason::srNoOverwrite, path, -1, retry);
    return false;
  }
  if (ev.OnStartZip) {
    bool skip = false;
    ev.OnStartZip(path, e, skip);
    if (skip) {
      bool retry = false;
      total_bytes_ -= static_cast<std::int64_t>(size);
      if (z_.events.OnSkippingFile)
        z_.events.OnSkippingFile(TSkipReason::srSkippedInStartZip, path, -1, retry);
      return false;
    }
  }
  encrypt_ = !folder_entry && !z_.password_.empty();
  if (encrypt_) e.flags |= kFlagEncrypted;
  if (multi_) {
    // A local header never straddles two disks or parts.
    if (RoomLeft() <= e.LocalHeaderSize() + 20) NextOutputDisk();
    e.SetDiskStart(static_cast<std::uint32_t>(z_.current_disk_));
  }
  if (!multi_ || folder_entry) e.WriteLocalHeader(*out_);
  if (multi_ && !folder_entry) {
    // The data goes to a temporary file first; its size then decides how it
    // is spread over the disks.
    temp_name_ = TempFileNameIn(TempFolder());
    temp_ = std::make_unique<TLFNFileStream>(temp_name_, fmCreate, false, 65536);
    sink_ = temp_.get();
  } else {
    sink_ = out_.get();
  }
  if (folder_entry) {
    if (ev.OnEndZip) ev.OnEndZip(path, 0, 0, 0);
    return true;
  }
  bool local_zip64 = e.uncompressed_size == kMark32;
  file_size_ = static_cast<std::int64_t>(size);
  file_read_ = 0;
  if (encrypt_) {
    // The encryption header carries the CRC, so the source is read twice.
    std::vector<std::uint8_t> buf(8192);
    std::uint32_t crc = 0xFFFFFFFF;
    for (;;) {
      std::int64_t n = in->Read(buf.data(), static_cast<std::int64_t>(buf.size()));
      if (n <= 0) break;
      crc = UpdateCrc(crc, buf.data(), static_cast<std::size_t>(n));
    }
    in->SetPosition(0);
    WriteEncryptionHeader(~crc);
  }
  crc_ = 0xFFFFFFFF;
  std::uint64_t bytes_read = 0, compressed = 0;
  std::string name_for_lists = e.file_name;
  if (z_.pack_level_ == 0 || IsNoCompress(name_for_lists)) {
    StoreFile(*in, bytes_read);
    compressed = size;
    e.compression_method = 0;
  } else {
    compressed = DeflateFile(*in, bytes_read);
    e.compression_method = 8;
  }
  if (bytes_read < size) z_.DoHandleMessage(kMsgShortRead, "", kMbOk, path);
  if (e.compression_method == 0) compressed = bytes_read;
  e.SetUncompressedSize(bytes_read);
  e.crc32 = ~crc_;
  if (z_.pack_level_ <= 2) e.flags |= kFlagFast;
  if (z_.pack_level_ >= 8) e.flags |= kFlagMaximum;
  if (encrypt_) compressed += 12;
  e.SetCompressedSize(compressed);
  if (local_zip64 && e.uncompressed_size != kMark32) {
    // The placeholder had room for Zip64 sizes; the header keeps its length.
    e.Zip64().uncompressed_size = bytes_read;
    e.uncompressed_size = kMark32;
  }
  if (!local_zip64 && (e.uncompressed_size == kMark32 || e.compressed_size == kMark32)) {
    // Grew past 4 GiB after the placeholder was written: the header has no
    // room for Zip64 sizes, so the entry cannot be described.
    throw ENotEnoughRoom();
  }
  encrypt_ = false;
  std::int64_t here = 0;
  if (multi_) {
    sink_ = out_.get();
    e.WriteLocalHeader(*out_);
    CopyTempToArchive(e);
    here = out_->Position();
  } else {
    here = out_->Position();
    std::uint64_t offset = e.GetLocalHeaderOffset();
    out_->SetPosition(static_cast<std::int64_t>(offset));
    e.WriteLocalHeader(*out_);
    out_->SetPosition(here);
  }
  source.reset();
  if (ev.OnEndZip)
    ev.OnEndZip(path, static_cast<std::int64_t>(bytes_read), static_cast<std::int64_t>(compressed),
                here);
  return true;
}

int ZipRun::Run() {
  if (Trim(z_.zip_name_).empty()) return 0;
  z_.current_disk_ = 0;
  TZipSortMode old_sort = z_.sort_mode_;
  bool old_keep = z_.keep_zip_open_;
  bool old_reading = z_.reading_directory_;
  z_.sorted_view_.reset();
  z_.sort_mode_ = TZipSortMode::ByNone;
  z_.keep_zip_open_ = true;
  z_.reading_directory_ = false;
  auto restore = [&] {
    z_.sort_mode_ = old_sort;
    z_.keep_zip_open_ = old_keep;
    z_.CloseZipStream();
    z_.files_list_.clear();
    z_.memory_sources_.clear();
    z_.reading_directory_ = old_reading;
  };
  bool opened = false;
  try {
    if (!z_.files_list_.empty()) {
      if (z_.zip_action_ == TZipAction::zaFreshen && IsExistingFile(z_.zip_name_)) {
        z_.OpenZipStream();
      }
      ExpandFileList();
      if (!z_.files_list_.empty() && z_.zip_events.OnStartZipInfo) {
        bool stop = false;
        z_.zip_events.OnStartZipInfo(static_cast<int>(z_.files_list_.size()), total_bytes_, nullptr,
                                     stop);
        if (stop) throw EUserCanceled("User canceled Zip operation");
      }
    }
    multi_ = z_.GetMultiMode() != TMultiMode::mmNone;
    if (multi_) {
      // A multi-disk run always writes a new archive.
      updating_ = false;
      opened = true;
      StartMultiDisk();
    } else {
      updating_ = IsExistingFile(z_.zip_name_);
      out_name_ = updating_ ? TempFileNameIn(TempFolder()) : z_.zip_name_;
      out_ = std::make_unique<TLFNFileStream>(out_name_, fmCreate, z_.flush_files_on_close_, 65536);
      opened = true;
    }
    sink_ = out_.get();
    names_.clear();
    order_ = std::make_unique<TSortedZip>(TDuplicates::Error, TZipSortMode::ByNone);
    end_.Clear();
    end_.DropZip64();
    if (updating_) {
      z_.OpenZipStream();
      if (z_.end_.HasComment()) z_.GetArchiveComment();
      end_.Assign(z_.end_);
      end_.SetEntryCount(0);
      end_.SetEntriesThisDisk(0);
      end_.modified = false;
      z_.OpenZipStream();
      ProcessExistingEntries();
      // Everything of the old archive is copied: the output is one file, and
      // whatever part of an old split set is open is done with.
      z_.stream_.reset();
      z_.current_disk_ = 0;
    } else if (z_.end_.modified) {
      end_.Assign(z_.end_);
      end_.SetEntryCount(0);
      end_.SetEntriesThisDisk(0);
    }
    std::vector<std::string> lines = z_.files_list_;
    for (const std::string& line : lines) {
      auto e = z_.NewHeaderInfo();
      if (ZipFile(line, *e, nullptr)) AddNewEntry(e, line);
    }
    for (const auto& m : z_.memory_sources_) {
      auto e = z_.NewHeaderInfo();
      if (ZipFile(m.name, *e, &m)) AddNewEntry(e, {});
    }
    // The central directory (spread over disks when it must be).
    std::uint64_t central_offset = static_cast<std::uint64_t>(out_->Position());
    std::uint32_t start_disk = static_cast<std::uint32_t>(z_.current_disk_);
    std::uint64_t central_size = 0, on_this_disk = 0;
    std::int64_t disk_start = out_->Position();
    for (int i = 0; i < order_->Count(); ++i) {
      TZipHeaderInfo& e = order_->Entry(i);
      if (multi_ && RoomLeft() < e.CentralHeaderSize()) {
        central_size += static_cast<std::uint64_t>(out_->Position() - disk_start);
        NextOutputDisk();
        disk_start = 0;
        on_this_disk = 0;
        if (i == 0) {
          central_offset = 0;
          start_disk = static_cast<std::uint32_t>(z_.current_disk_);
        }
      }
      e.WriteCentralHeader(*out_);
      ++on_this_disk;
    }
    central_size += static_cast<std::uint64_t>(out_->Position() - disk_start);
    if (multi_ && RoomLeft() < end_.EndRecordSize() + 76) {
      NextOutputDisk();
      on_this_disk = 0;
    }
    end_.SetThisDisk(static_cast<std::uint32_t>(z_.current_disk_));
    end_.SetCentralStartDisk(start_disk);
    end_.SetEntryCount(static_cast<std::uint64_t>(order_->Count()));
    end_.SetEntriesThisDisk(multi_ ? on_this_disk : static_cast<std::uint64_t>(order_->Count()));
    end_.SetCentralSize(central_size);
    end_.SetCentralOffset(central_offset);
    end_.WriteEndRecords(*out_);
    std::int64_t final_size = out_->Position();
    out_->SetSize(final_size);
    out_.reset();
    if (multi_) FinishMultiDisk();
    z_.stream_.reset();
    if (updating_) {
      std::string name = z_.zip_name_;
      MoveOrCopyFile(out_name_, name);
      std::error_code ec;
      fs::remove(out_name_, ec);
    }
  } catch (...) {
    out_.reset();
    if (temp_) {
      temp_.reset();
      std::error_code ec;
      fs::remove(temp_name_, ec);
    }
    if (opened) {
      std::error_code ec;
      fs::remove(out_name_, ec);
    }
    restore();
    throw;
  }
  if (z_.dispose_) {
    for (const std::string& path : dispose_list_) {
      bool skip = false;
      if (z_.zip_events.OnDisposeFile) z_.zip_events.OnDisposeFile(path, skip);
      std::error_code ec;
      if (!skip) fs::remove(path, ec);
    }
  }
  z_.end_.Clear();
  z_.end_.DropZip64();
  z_.end_.Assign(end_);
  if (end_.HasZip64End()) z_.end_.Zip64End() = end_.Zip64End();
  z_.entries_ = std::move(order_);
  z_.recorded_date_ = z_.ArchiveDate();
  z_.rebuild_mark_ = false;
  if (!multi_) z_.SetMultiMode(TMultiMode::mmNone);  // an updated split set is one file now
  z_.disk_count_ = multi_ ? z_.current_disk_ + 1 : 1;
  z_.current_disk_ = multi_ ? z_.current_disk_ : 0;
  restore();
  z_.ApplySortMode(old_sort);
  if (z_.events.OnTotalPercentDone) z_.events.OnTotalPercentDone(100);
  return added_;
}

void ZipRun::StartMultiDisk() {
  TMultiZipInfo& info = z_.multi_zip_info_;
  if (info.SaveZipInfoOnFirstDisk) {
    // Room for the directory on the first disk, from the average stored path.
    std::int64_t lines =
        static_cast<std::int64_t>(z_.files_list_.size() + z_.memory_sources_.size());
    std::int64_t average = 0;
    if (z_.store_paths_ && lines > 0) {
      for (const std::string& l : z_.files_list_)
        average += static_cast<std::int64_t>(l.size()) - 2;
      average /= lines;
    }
    info.SaveOnFirstDisk += lines * (average + 46) + z_.end_.record.comment_length + 22 + 2048;
    if (info.MultiMode == TMultiMode::mmSpan) info.SaveOnFirstDisk += 4096;
  }
  z_.current_disk_ = 0;
  if (info.MultiMode == TMultiMode::mmBlocks) {
    out_name_ = z_.DoFileNameForSplitPart(1, TSplitPartType::spFirst);
    room_ = (info.FirstBlockSize ? info.FirstBlockSize : info.BlockSize) - info.SaveOnFirstDisk;
  } else {
    out_name_ = z_.DoGetNextDisk(1);
    if (out_name_.empty()) throw EUserCanceled("User canceled Zip operation");
    std::error_code ec;
    fs::remove(out_name_, ec);
    if (z_.zip_events.OnPrepareNextDisk) z_.zip_events.OnPrepareNextDisk(1);
    room_ = DiskFreeOf(out_name_) - info.SaveOnFirstDisk;
  }
  if (room_ < 64) room_ = 64;
  out_ = std::make_unique<TLFNFileStream>(out_name_, fmCreate, z_.flush_files_on_close_, 65536);
  total_bytes_ *= 2;
  std::uint8_t sig[4];
  bytes::PutLE32(sig, kSpanSignature);
  out_->WriteBuffer(sig, 4);
}

void ZipRun::NextOutputDisk() {
  out_.reset();
  TMultiZipInfo& info = z_.multi_zip_info_;
  if (info.MultiMode == TMultiMode::mmSpan) {
    std::string name = z_.DoGetNextDisk(z_.current_disk_ + 2);
    if (name.empty()) throw EUserCanceled("User canceled Zip operation");
    ++z_.current_disk_;
    out_name_ = name;
    std::error_code ec;
    fs::remove(out_name_, ec);
    if (z_.zip_events.OnPrepareNextDisk) z_.zip_events.OnPrepareNextDisk(z_.current_disk_ + 1);
    room_ = DiskFreeOf(out_name_);
  } else {
    out_name_ = z_.DoFileNameForSplitPart(z_.current_disk_ + 2, TSplitPartType::spMiddle);
    ++z_.current_disk_;
    room_ = info.BlockSize;
  }
  if (room_ < 64) room_ = 64;
  out_ = std::make_unique<TLFNFileStream>(out_name_, fmCreate, z_.flush_files_on_close_, 65536);
  sink_ = out_.get();
  end_.SetEntriesThisDisk(0);
}

void ZipRun::CopyTempToArchive(TZipHeaderInfo& e) {
  std::int64_t size = temp_->Size();
  if (z_.zip_events.OnStartSpanCopy) z_.zip_events.OnStartSpanCopy(e.file_name, size);
  temp_->SetPosition(0);
  std::vector<std::uint8_t> buf(kCopyBlock);
  std::int64_t left = size;
  if (left > 0 && RoomLeft() <= 0) NextOutputDisk();
  while (left > 0) {
    std::int64_t step = std::min(left, RoomLeft());
    while (step > 0) {
      std::int64_t n = std::min<std::int64_t>(step, static_cast<std::int64_t>(buf.size()));
      temp_->ReadBuffer(buf.data(), n);
      if (out_->Write(buf.data(), n) != n) throw ENotEnoughRoom();
      step -= n;
      left -= n;
      done_bytes_ += n;
      if (z_.events.OnTotalPercentDone)
        z_.events.OnTotalPercentDone(PercentOf(done_bytes_, total_bytes_));
    }
    if (left > 0 || RoomLeft() <= 0) NextOutputDisk();
  }
  temp_.reset();
  std::error_code ec;
  fs::remove(temp_name_, ec);
}

void ZipRun::FinishMultiDisk() {
  TMultiZipInfo& info = z_.multi_zip_info_;
  if (z_.current_disk_ == 0) {
    // One part after all: the marker of a single-part set, as other tools
    // write it, so readers take it as an ordinary archive.
    TFileStream f(out_name_, fmOpenReadWrite);
    std::uint8_t sig[4];
    bytes::PutLE32(sig, kSpanMarker);
    f.WriteBuffer(sig, 4);
  }
  if (info.MultiMode == TMultiMode::mmBlocks) {
    std::string last = z_.DoFileNameForSplitPart(z_.current_disk_ + 1, TSplitPartType::spLast);
    if (last != out_name_) {
      std::error_code ec;
      fs::rename(out_name_, last, ec);
      if (ec) throw EStreamError("Cannot rename \"" + out_name_ + "\" to \"" + last + "\"");
    }
    z_.zip_name_ = last;
  }
  if (info.SaveZipInfoOnFirstDisk && z_.current_disk_ > 0) SaveZipInfo();
}

void ZipRun::SaveZipInfo() {
  std::string name = fs::path(z_.zip_name_).replace_extension(".zfc").string();
  try {
    TLFNFileStream f(name, fmCreate, false, 65536);
    for (int i = 0; i < order_->Count(); ++i) order_->Entry(i).WriteCentralHeader(f);
    end_.WriteEndRecords(f);
  } catch (const EStreamError&) {
    throw EConfigFileSaveError();
  }
}

int TQorZip::Compress() {
  ZipRun run(*this);
  int n = run.Run();
  if (zip_events.OnZipComplete) zip_events.OnZipComplete(n);
  return n;
}

}  // namespace kelmo::zip
