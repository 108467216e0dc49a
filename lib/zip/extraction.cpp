// Extraction: selecting entries, deciding and checking destination paths,
// overwrite rules, the password check, decoding by method (stored and
// deflated here, the older methods in old_methods.cpp), the CRC-32 check,
// dates and attributes.
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <unordered_set>

#include "file_helpers.h"
#include "old_methods.h"
#include "wildcard_match.h"
#include "zip_crypt.h"
#include "zip_reader.h"

namespace fs = std::filesystem;

namespace kelmo::zip {

namespace {
constexpr std::size_t kChunk = 32768;

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The methods the reader decodes: stored, shrunk, reduced (4), imploded and
// deflated, without strong encryption (flag bit 6) or AES (method 99).
bool Decodable(const TZipHeaderInfo& e) {
  constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
  if (e.flags & kFlagStrongEncryption) return false;
  return e.compression_method <= 6 || e.compression_method == 8;
}

// What lies at a destination path, links not followed.
enum class PathKind { Missing, File, Link, Other };

PathKind KindOf(const std::string& path, struct stat& st) {
  if (::lstat(path.c_str(), &st) != 0) return PathKind::Missing;
  if (S_ISLNK(st.st_mode)) return PathKind::Link;
  return S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
}

mode_t CurrentUmask() {
  static const mode_t mask = [] {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
  }();
  return mask;
}

// A name beside dest for a file that replaces dest only once it is whole.
std::string PartName(const std::string& dest, unsigned tag) {
  std::string folder = ExtractFilePath(dest);
  return folder + "." + ExtractFileName(dest) + "." + std::to_string(tag) + ".part";
}

// Bytes free for an unprivileged writer on the file system of a folder;
// UINT64_MAX when that cannot be learnt.
std::uint64_t FreeSpaceOf(const std::string& folder) {
  struct statvfs v {};
  if (::statvfs(folder.c_str(), &v) != 0) return UINT64_MAX;
  return static_cast<std::uint64_t>(v.f_bavail) * v.f_frsize;
}
}  // namespace

// The compressed bytes of one entry: bounded by its compressed size, across
// disks of a multi-disk set, decrypted as they are read.
class EntryInput : public ByteSource {
 public:
  EntryInput(TQorUnZip& reader, std::uint64_t remaining, ZipKeys* keys)
      : reader_(reader), remaining_(remaining), keys_(keys) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t n) override {
    if (remaining_ == 0) return 0;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, remaining_));
    std::size_t done = 0;
    while (done < want) {
      std::int64_t got =
          reader_.stream_->Read(buffer + done, static_cast<std::int64_t>(want - done));
      done += static_cast<std::size_t>(got);
      if (done < want) {
        if (reader_.GetMultiMode() == TMultiMode::mmNone ||
            reader_.current_disk_ + 1 >= reader_.disk_count_)
          throw EFatalUnzipError();
        reader_.SwitchToDisk(reader_.current_disk_ + 2);
      }
    }
    remaining_ -= done;
    if (keys_) {
      if (reader_.events.OnDecrypt)
        reader_.events.OnDecrypt(buffer, static_cast<int>(done), reader_.password_);
      else
        keys_->DecryptBuffer(buffer, done);
    }
    reader_.ProcessMessages();
    return done;
  }

 private:
  TQorUnZip& reader_;
  std::uint64_t remaining_;
  ZipKeys* keys_;
};

// Where decoded bytes go: a file or memory, never beyond the declared size.
class EntryOutput : public ByteSink {
 public:
  EntryOutput(TQorUnZip& reader, std::uint64_t limit, TStream* file,
              std::vector<std::uint8_t>* memory, std::int64_t* done_bytes, std::int64_t total_bytes)
      : reader_(reader),
        limit_(limit),
        file_(file),
        memory_(memory),
        done_bytes_(done_bytes),
        total_bytes_(total_bytes) {}
  void Write(const std::uint8_t* data, std::size_t n) override {
    if (n == 0) return;
    if (written_ + n > limit_) throw EBiggerThanUncompressed();
    if (file_) {
      if (file_->Write(data, static_cast<std::int64_t>(n)) != static_cast<std::int64_t>(n))
        throw ECantWriteUCF();
    } else {
      memory_->insert(memory_->end(), data, data + n);
    }
    crc_ = UpdateCrc(crc_, data, n);
    written_ += n;
    auto& ev = reader_.events;
    if (ev.OnFilePercentDone)
      ev.OnFilePercentDone(
          PercentOf(static_cast<std::int64_t>(written_), static_cast<std::int64_t>(limit_)));
    if (done_bytes_) {
      *done_bytes_ += static_cast<std::int64_t>(n);
      if (ev.OnTotalPercentDone) ev.OnTotalPercentDone(PercentOf(*done_bytes_, total_bytes_));
    }
  }
  std::uint32_t Crc() const { return ~crc_; }
  std::uint64_t Written() const { return written_; }

 private:
  TQorUnZip& reader_;
  std::uint64_t limit_;
  TStream* file_;
  std::vector<std::uint8_t>* memory_;
  std::int64_t* done_bytes_;
  std::int64_t total_bytes_;
  std::uint32_t crc_ = 0xFFFFFFFF;
  std::uint64_t written_ = 0;
};

namespace {

void Unstore(ByteSource& in, ByteSink& out) {
  std::vector<std::uint8_t> buf(kChunk);
  while (std::size_t n = in.Read(buf.data(), buf.size())) out.Write(buf.data(), n);
}

void InflateEntry(ByteSource& in, ByteSink& out) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw EZCompressionError();
  std::vector<std::uint8_t> inbuf(kChunk), outbuf(kChunk);
  struct Ender {
    z_stream* z;
    ~Ender() { inflateEnd(z); }
  } ender{&z};
  bool input_done = false;
  for (;;) {
    if (z.avail_in == 0 && !input_done) {
      std::size_t n = in.Read(inbuf.data(), inbuf.size());
      if (n == 0) input_done = true;
      z.next_in = inbuf.data();
      z.avail_in = static_cast<uInt>(n);
    }
    z.next_out = outbuf.data();
    z.avail_out = static_cast<uInt>(outbuf.size());
    int r = inflate(&z, Z_NO_FLUSH);
    std::size_t produced = outbuf.size() - z.avail_out;
    if (r < 0 && r != Z_BUF_ERROR) throw EZCompressionError();
    out.Write(outbuf.data(), produced);
    if (r == Z_STREAM_END) return;
    // The compressed bytes ran out before the deflate stream ended: the
    // engine must not be fed old bytes, the entry is damaged.
    if (input_done && z.avail_in == 0 && produced == 0) throw EZCompressionError();
  }
}

}  // namespace

// One extraction run (Extract, ExtractToMemory).
class ExtractionRun {
 public:
  explicit ExtractionRun(TQorUnZip& r) : r_(r) {}

  int Run();
  std::vector<std::uint8_t> ToMemory(int index);

 private:
  bool ExtractEntry(int index, bool& retry);
  // The folder an entry goes to; false (and srUnsafeName reported) when the
  // stored name would lead outside DestDir.
  bool DestinationName(const TZipHeaderInfo& e, int index, std::string& out);
  // Positions at the data and checks the password; false when it fails.
  bool PrepareData(TZipHeaderInfo& e, int index, ZipKeys& keys, std::uint64_t& data_size);
  void Decode(TZipHeaderInfo& e, ByteSource& in, ByteSink& out);
  void Skip(TZipHeaderInfo& e) {
    total_bytes_ -= static_cast<std::int64_t>(e.GetUncompressedSize());
    --to_extract_;
  }
  void SkippingFile(TSkipReason reason, const std::string& name, int index) {
    bool retry = false;
    if (r_.events.OnSkippingFile) r_.events.OnSkippingFile(reason, name, index, retry);
  }
  // An entry of a method the reader does not decode: the unknown-method
  // message and a skip, never a CRC or password report.
  void UnknownMethod(TZipHeaderInfo& e, int index) {
    r_.DoHandleMessage(kMsgUnknownMethod, "Unknown Compression Method", kMbOk, "Zip Error");
    SkippingFile(TSkipReason::srUnknownMethod, e.FullName(), index);
    Skip(e);
  }
  // Raises EEntryTooLarge when the entry's declared size passes a limit;
  // folder is the destination's (empty: memory, no free-space bound).
  void CheckLimits(const TZipHeaderInfo& e, const std::string& folder);
  // Creates the output for dest: the file itself when nothing is there, else
  // a part file beside it that replaces it once whole (an existing link is
  // replaced, never written through). Null when it cannot be made.
  std::unique_ptr<TLFNFileStream> CreateOutput(const std::string& dest, PathKind kind,
                                               std::string& written_name);

  TQorUnZip& r_;
  // Destinations written by this run: a second entry landing on one of them
  // stops the run.
  std::unordered_set<std::string> written_;
  // Folders made sure of (existing) and found inside DestDir in this run, so
  // that entries of one folder ask once.
  std::unordered_set<std::string> ready_folders_;
  std::unordered_set<std::string> safe_folders_;
  // Free bytes of the destination learnt at the run's start, less what the
  // run wrote since (learnt again when an entry would not fit).
  std::uint64_t free_budget_ = 0;
  bool free_known_ = false;
  unsigned part_tag_ = std::random_device{}();
  std::int64_t total_bytes_ = 0;
  std::int64_t done_bytes_ = 0;
  int to_extract_ = 0;
  int extracted_ = 0;
};

bool ExtractionRun::DestinationName(const TZipHeaderInfo& e, int index, std::string& out) {
  std::string dest = r_.dest_dir_.empty() ? std::string(".") : r_.dest_dir_;
  std::string folder;
  if (r_.recreate_dirs_ && !e.directory.empty()) {
    folder = e.directory;
    for (const std::string& prefix : r_.relative_path_list_) {
      if (!prefix.empty() && folder.size() >= prefix.size() &&
          LowerAscii(folder.substr(0, prefix.size())) == LowerAscii(prefix)) {
        folder.erase(0, prefix.size());
        break;
      }
    }
    // A drive letter or a leading separator makes the stored folder absolute;
    // it is taken relative to DestDir all the same.
    if (folder.size() >= 2 && folder[1] == ':') folder.erase(0, 2);
  }
  std::string clean;
  std::size_t start = 0;
  while (start <= folder.size()) {
    std::size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    std::string part = folder.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      SkippingFile(TSkipReason::srUnsafeName, e.FullName(), index);
      return false;
    }
    clean += part + "/";
  }
  if (e.file_name == "." || e.file_name == "..") {
    SkippingFile(TSkipReason::srUnsafeName, e.FullName(), index);
    return false;
  }
  out = dest + "/" + clean + e.file_name;
  // A folder that already exists under DestDir may be a link to elsewhere:
  // the real place of the entry's folder must still lie inside DestDir
  // (asked once per folder and run: the run itself makes no links).
  if (!clean.empty() && !safe_folders_.count(clean)) {
    std::error_code ec;
    fs::path base = fs::weakly_canonical(dest, ec);
    fs::path real = fs::weakly_canonical(dest + "/" + clean, ec);
    std::string b = base.string(), r = real.string();
    if (!ec && !(r.size() >= b.size() && r.compare(0, b.size(), b) == 0 &&
                 (r.size() == b.size() || r[b.size()] == '/' || b.back() == '/'))) {
      SkippingFile(TSkipReason::srUnsafeName, e.FullName(), index);
      return false;
    }
    safe_folders_.insert(clean);
  }
  return true;
}

bool ExtractionRun::PrepareData(TZipHeaderInfo& e, int index, ZipKeys& keys,
                                std::uint64_t& data_size) {
  if (r_.GetMultiMode() != TMultiMode::mmNone &&
      static_cast<std::uint32_t>(r_.current_disk_) != e.GetDiskStart())
    r_.SwitchToDisk(static_cast<int>(e.GetDiskStart()) + 1);
  TStream& s = *r_.stream_;
  std::int64_t offset = static_cast<std::int64_t>(e.GetLocalHeaderOffset());
  std::uint8_t raw[30];
  if (offset < 0 || offset > s.Size()) throw EFatalUnzipError();
  s.SetPosition(offset);
  if (s.Read(raw, 30) != 30) throw EFatalUnzipError();
  LocalFileHeader h;
  h.Read(raw);
  if (h.signature != Signatures().local) throw EBadLocalHeader(e.FullName());
  std::int64_t data_pos = offset + 30 + h.name_length + h.extra_length;
  s.SetPosition(data_pos);
  data_size = e.GetCompressedSize();
  if (!e.IsEncrypted()) return true;
  for (;;) {
    std::uint8_t header[12];
    if (data_size < 12 || s.Read(header, 12) != 12) throw EFatalUnzipError();
    keys.Init(r_.password_);
    keys.DecryptBuffer(header, 12);
    std::uint8_t check = e.HasDataDescriptor() ? static_cast<std::uint8_t>(e.date_time >> 8)
                                               : static_cast<std::uint8_t>(e.crc32 >> 24);
    if (header[11] == check) {
      data_size -= 12;
      return true;
    }
    std::string newpw = r_.password_;
    if (r_.events.OnBadPassword) r_.events.OnBadPassword(index, newpw);
    if (newpw == r_.password_) return false;
    r_.password_ = newpw;
    s.SetPosition(data_pos);
  }
}

void ExtractionRun::Decode(TZipHeaderInfo& e, ByteSource& in, ByteSink& out) {
  switch (e.compression_method) {
    case 0:
      Unstore(in, out);
      break;
    case 1:
      Unshrink(in, out, e.GetUncompressedSize());
      break;
    case 2:
    case 3:
    case 4:
    case 5:
      Unreduce(in, out, e.compression_method - 1, e.GetUncompressedSize());
      break;
    case 6:
      Explode(in, out, e.flags, e.GetCompressedSize(), e.GetUncompressedSize());
      break;
    case 8:
      InflateEntry(in, out);
      break;
    default:
      // Screened before the entry is opened (Decodable).
      throw EQorZipException("Unknown Compression Method");
  }
}

void ExtractionRun::CheckLimits(const TZipHeaderInfo& e, const std::string& folder) {
  const TExtractLimits& l = r_.limits_;
  const std::uint64_t declared = e.GetUncompressedSize();
  const std::uint64_t compressed = e.GetCompressedSize();
  std::uint64_t by_ratio =
      compressed > (UINT64_MAX - l.small_entry_allowance) / std::max<std::uint64_t>(l.max_ratio, 1)
          ? UINT64_MAX
          : compressed * l.max_ratio + l.small_entry_allowance;
  std::uint64_t limit = std::min(l.max_entry_size, by_ratio);
  if (!folder.empty() && declared > 0) {
    auto budget = [&] { return free_budget_ > l.keep_free ? free_budget_ - l.keep_free : 0; };
    if (!free_known_ || declared > budget()) {
      free_budget_ = FreeSpaceOf(folder);
      free_known_ = true;
    }
    limit = std::min(limit, budget());
  }
  if (declared <= limit) return;
  throw EEntryTooLarge("Entry \"" + e.FullName() + "\" would unpack to " +
                       std::to_string(declared) + " bytes from " + std::to_string(compressed) +
                       ", more than the " + std::to_string(limit) + " allowed");
}

std::unique_ptr<TLFNFileStream> ExtractionRun::CreateOutput(const std::string& dest, PathKind kind,
                                                            std::string& written_name) {
  const bool flush = r_.flush_files_on_close_;
  try {
    if (kind == PathKind::Missing) {
      written_name = dest;
      return std::make_unique<TLFNFileStream>(dest, fmCreateNew, flush, TQorUnZip::kFileBufferSize);
    }
    if (kind == PathKind::Other) return nullptr;
    if (kind == PathKind::File && ::access(dest.c_str(), W_OK) != 0 && !r_.replace_read_only_)
      return nullptr;
    for (int attempt = 0; attempt < 100; ++attempt) {
      written_name = PartName(dest, part_tag_++);
      try {
        return std::make_unique<TLFNFileStream>(written_name, fmCreateNew, flush,
                                                TQorUnZip::kFileBufferSize);
      } catch (const EStreamError&) {
        struct stat st {};
        if (KindOf(written_name, st) == PathKind::Missing) throw;  // not a clash of names
      }
    }
  } catch (const EStreamError&) {
  }
  return nullptr;
}

bool ExtractionRun::ExtractEntry(int index, bool& retry) {
  retry = false;
  TZipHeaderInfo e = r_.View().Entry(index);
  std::string dest;
  if (!DestinationName(e, index, dest)) {
    Skip(e);
    return false;
  }
  if (e.file_name.empty()) {
    if (r_.recreate_dirs_ && !FolderExists(dest)) CreateFolderTree(dest);
    ++extracted_;
    return true;
  }
  auto& ev = r_.events;
  if (ev.OnStartUnZip) {
    bool skip = false;
    ev.OnStartUnZip(index, dest, skip);
    if (skip) return false;
  }
  std::string folder = ExtractFilePath(dest);
  if (!folder.empty() && !ready_folders_.count(folder)) {
    if (!FolderExists(folder)) CreateFolderTree(folder);
    ready_folders_.insert(folder);
  }
  if (!Decodable(e)) {
    UnknownMethod(e, index);
    return false;
  }
  if (written_.count(dest)) throw EDuplicateDestination(dest);
  CheckLimits(e, folder.empty() ? std::string(".") : folder);

  ZipKeys keys;
  std::uint64_t data_size = 0;
  if (!PrepareData(e, index, keys, data_size)) {
    SkippingFile(TSkipReason::srBadPassword, e.FullName(), index);
    Skip(e);
    return false;
  }
  struct stat st {};
  PathKind kind = KindOf(dest, st);
  if (kind != PathKind::Missing && r_.overwrite_mode_ != TUZOverwriteMode::Always) {
    bool write = false;
    std::time_t entry_time = 0, file_time = st.st_mtime;
    DosDateTimeToTime(e.date_time, entry_time);
    switch (r_.overwrite_mode_) {
      case TUZOverwriteMode::Never:
        break;
      case TUZOverwriteMode::ifNewer:
        write = entry_time > file_time;
        break;
      case TUZOverwriteMode::ifOlder:
        write = entry_time < file_time;
        break;
      default:
        if (ev.OnPromptForOverwrite) {
          ev.OnPromptForOverwrite(write, index, dest);
        } else {
          std::string text = ("Replace existing file " + r_.EntryName(index) + "?").substr(0, 300);
          write =
              r_.DoHandleMessage(kMsgReplaceFile, text, kMbYesNo, "File Exists Alert") == kIdYes;
        }
        break;
    }
    if (!write) {
      SkippingFile(TSkipReason::srNoOverwrite, dest, index);
      Skip(e);
      return false;
    }
  }
  // The bytes go to a file of our own: the destination itself when nothing
  // was there, else a part file that replaces it only when whole, so that a
  // failed entry never costs an earlier good file and a link at the
  // destination is replaced rather than written through.
  std::string written_name;
  std::unique_ptr<TLFNFileStream> file = CreateOutput(dest, kind, written_name);
  if (!file) {
    SkippingFile(TSkipReason::srCreateError, dest, index);
    Skip(e);
    return false;
  }
  std::error_code ec;
  auto discard = [&] {
    file.reset();
    ::unlink(written_name.c_str());
  };
  EntryInput in(r_, data_size, e.IsEncrypted() ? &keys : nullptr);
  EntryOutput out(r_, e.GetUncompressedSize(), file.get(), nullptr, &done_bytes_, total_bytes_);
  bool failed = false;
  try {
    Decode(e, in, out);
  } catch (const EBiggerThanUncompressed&) {
    failed = true;
  } catch (const EZLibError&) {
    // A wrong password passes the one-byte check once in 256 tries and then
    // decrypts to garbage: for an encrypted entry that is a bad password, not
    // a damaged archive.
    if (!e.IsEncrypted()) {
      discard();
      throw;
    }
    failed = true;
  } catch (...) {
    // The run stops; a partial file is never left behind as if it were whole.
    discard();
    throw;
  }
  std::uint32_t crc = out.Crc();
  bool good = !failed && crc == e.crc32 && out.Written() == e.GetUncompressedSize();
  if (good) {
    std::time_t t = 0;
    if (DosDateTimeToTime(ValidDosDateTime(e.date_time), t)) file->SetModified(t);
    if (r_.retain_attributes_) {
      std::uint8_t host = static_cast<std::uint8_t>(e.version_made_by >> 8);
      std::uint32_t mode = e.external_attributes >> 16;
      if (host == 3 && mode != 0) {
        // Never set-id bits, and never a file its owner cannot read back.
        file->SetPermissions((mode & 0777) | 0400);
      } else if (e.external_attributes & 0x01) {
        file->SetPermissions(0444 & ~CurrentUmask());
      }
    }
    file.reset();
    if (written_name != dest && ::rename(written_name.c_str(), dest.c_str()) != 0) {
      ::unlink(written_name.c_str());
      SkippingFile(TSkipReason::srCreateError, dest, index);
      Skip(e);
      return false;
    }
    written_.insert(dest);
    if (ev.OnEndUnZip) ev.OnEndUnZip(index, dest);
    ++extracted_;
    return true;
  }
  discard();
  if (e.IsEncrypted()) {
    std::string newpw = r_.password_;
    if (ev.OnBadPassword) ev.OnBadPassword(index, newpw);
    if (newpw != r_.password_) {
      r_.password_ = newpw;
      retry = true;
    } else {
      SkippingFile(TSkipReason::srBadPassword, e.FullName(), index);
    }
  } else if (ev.OnBadCRC) {
    ev.OnBadCRC(crc, e.crc32, index);
  }
  if (!retry) --to_extract_;
  return false;
}

int ExtractionRun::Run() {
  bool was_reading = r_.reading_directory_;
  bool was_keep = r_.keep_zip_open_;
  r_.keep_zip_open_ = true;
  TZipSortMode old_sort = r_.sort_mode_;
  bool switched = false;
  auto finish = [&] {
    r_.files_list_.clear();
    if (switched) r_.ApplySortMode(old_sort);
    if (r_.events.OnUnZipComplete) r_.events.OnUnZipComplete(extracted_);
    r_.keep_zip_open_ = was_keep;
    r_.reading_directory_ = was_reading;
    r_.CloseZipStream();
  };
  try {
    r_.ReadDirectory();
    r_.OpenZipStream();
    r_.reading_directory_ = true;
    if (!r_.dest_dir_.empty() && !FolderExists(r_.dest_dir_)) ForceFolders(r_.dest_dir_);
    if (r_.end_.GetThisDisk() != 0 && r_.sort_mode_ != TZipSortMode::ByNone) {
      r_.ApplySortMode(TZipSortMode::ByNone);
      switched = true;
    }
    std::vector<std::string> patterns;
    for (std::string p : r_.files_list_) {
      for (char& c : p)
        if (c == '\\') c = '/';
      patterns.push_back(LowerAscii(p));
    }
    TSortedZip& view = r_.View();
    to_extract_ = view.Count();
    for (int i = 0; i < view.Count(); ++i) {
      if ((i & 255) == 0) r_.ProcessMessages();
      TZipHeaderInfo& e = view.Entry(i);
      e.selected = false;
      if (!e.file_name.empty() || r_.recreate_dirs_) {
        if (r_.do_all_) {
          e.selected = true;
        } else {
          std::string name = LowerAscii(e.FullName());
          for (const std::string& p : patterns)
            if (WildcardMatch(p, name)) {
              e.selected = true;
              break;
            }
        }
      }
      if (e.selected)
        total_bytes_ += static_cast<std::int64_t>(e.GetUncompressedSize());
      else
        --to_extract_;
    }
    bool stop = false;
    if (r_.events.OnStartUnZipInfo) r_.events.OnStartUnZipInfo(to_extract_, total_bytes_, stop);
    if (to_extract_ > 0 && !stop) {
      for (int i = 0; i < view.Count(); ++i) {
        if (!view.Entry(i).selected) continue;
        bool retry = false;
        ExtractEntry(i, retry);
        if (retry) --i;
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return extracted_;
}

std::vector<std::uint8_t> ExtractionRun::ToMemory(int index) {
  bool was_keep = r_.keep_zip_open_;
  r_.keep_zip_open_ = true;
  std::vector<std::uint8_t> data;
  try {
    r_.CheckIndex(index);
    r_.OpenZipStream();
    r_.CheckIndex(index);
    for (;;) {
      TZipHeaderInfo e = r_.View().Entry(index);
      if (!Decodable(e)) throw EQorZipException("Unknown Compression Method");
      CheckLimits(e, std::string());
      ZipKeys keys;
      std::uint64_t data_size = 0;
      if (!PrepareData(e, index, keys, data_size))
        throw EQorZipException("Bad password for " + e.FullName());
      data.clear();
      EntryInput in(r_, data_size, e.IsEncrypted() ? &keys : nullptr);
      EntryOutput out(r_, e.GetUncompressedSize(), nullptr, &data, nullptr, 0);
      bool failed = false;
      try {
        Decode(e, in, out);
      } catch (const EBiggerThanUncompressed&) {
        failed = true;
      } catch (const EZLibError&) {
        if (!e.IsEncrypted()) throw;
        failed = true;
      }
      if (!failed && out.Crc() == e.crc32 && out.Written() == e.GetUncompressedSize()) break;
      if (e.IsEncrypted()) {
        std::string newpw = r_.password_;
        if (r_.events.OnBadPassword) r_.events.OnBadPassword(index, newpw);
        if (newpw != r_.password_) {
          r_.password_ = newpw;
          continue;
        }
        throw EQorZipException("Bad password for " + e.FullName());
      }
      if (failed) throw EBiggerThanUncompressed();
      throw EQorZipException("CRC error in " + e.FullName());
    }
  } catch (...) {
    r_.keep_zip_open_ = was_keep;
    r_.CloseZipStream();
    throw;
  }
  r_.keep_zip_open_ = was_keep;
  r_.CloseZipStream();
  return data;
}

int TQorUnZip::Extract() {
  if (dest_dir_ == "?") return 0;
  ExtractionRun run(*this);
  return run.Run();
}

std::vector<std::uint8_t> TQorUnZip::ExtractToMemory(int index) {
  ExtractionRun run(*this);
  return run.ToMemory(index);
}

}  // namespace kelmo::zip
