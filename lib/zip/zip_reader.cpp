// The reader component: names and folders, entry queries, comments, sorted
// views, and reading the directory (end record, central directory, the ".zfc"
// copy, rebuilding from local headers, multi-disk sets). Extraction is in
// extraction.cpp.
#include "zip_reader.h"

#include <algorithm>
#include <cstring>

#include "bytes/little_endian.h"
#include "file_helpers.h"

namespace fs = std::filesystem;

namespace kelmo::zip {

namespace {
bool SameTextNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
}  // namespace

TQorUnZip::TQorUnZip() {
  end_.Clear();
}

TQorUnZip::~TQorUnZip() = default;

void TQorUnZip::Assign(const TQorUnZip& o) {
  zip_name_ = o.zip_name_;
  split_base_ = o.split_base_;
  dest_dir_ = o.dest_dir_;
  root_dir_ = o.root_dir_;
  sort_mode_ = o.sort_mode_;
  recreate_dirs_ = o.recreate_dirs_;
  overwrite_mode_ = o.overwrite_mode_;
  files_list_ = o.files_list_;
  relative_path_list_ = o.relative_path_list_;
  do_all_ = o.do_all_;
  incomplete_mode_ = o.incomplete_mode_;
  keep_zip_open_ = o.keep_zip_open_;
  do_process_messages_ = o.do_process_messages_;
  retain_attributes_ = o.retain_attributes_;
  replace_read_only_ = o.replace_read_only_;
  limits_ = o.limits_;
  events = o.events;
}

void TQorUnZip::SetZipName(const std::string& name_in) {
  std::string name = name_in;
  if (SameTextNoCase(name, zip_name_)) return;
  if (!name.empty() && name.back() == '?') {
    std::string folder = ExtractFilePath(name.substr(0, name.size() - 1));
    if (!FolderExists(folder)) folder = "/";
    std::string chosen;
    if (!interaction_ ||
        !interaction_->ChooseZipFile("Open a Zip File",
                                     "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files "
                                     "(*.JAR)|*.jar|All Files (*.*)|*.*",
                                     folder, chosen))
      throw EUserCanceled("User canceled setting zip file name.");
    name = chosen;
  }
  zip_name_ = name;
  std::string folder = ExtractFilePath(name), file = ExtractFileName(name);
  split_base_ = folder + file.substr(0, file.find('.'));
  sorted_view_.reset();
  entries_.reset();
  recorded_date_.reset();
  end_.Clear();
  end_.DropZip64();
  stream_.reset();
  rebuild_mark_ = false;
}

void TQorUnZip::SetDestDir(const std::string& dir_in) {
  std::string dir = dir_in;
  if (dir == "?") {
    std::string start = FolderExists(dest_dir_) ? dest_dir_ : fs::current_path().string();
    std::string chosen;
    if (!interaction_ || !interaction_->ChooseFolder(start, chosen))
      throw EUserCanceled("User canceled Set Desination Directory");
    dir = chosen;
  }
  if (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  dest_dir_ = dir;
}

void TQorUnZip::SetRootDir(const std::string& dir) {
  if (dir.empty()) {
    root_dir_.clear();
  } else {
    root_dir_ = dir;
    if (root_dir_.back() != '/') root_dir_ += '/';
  }
  relative_path_list_ = {root_dir_};
}

TSortedZip& TQorUnZip::View() const {
  if (sorted_view_) return *sorted_view_;
  return *entries_;
}

void TQorUnZip::CheckIndex(int index) const {
  if (!entries_ || index < 0 || index >= EntryCount())
    throw EListError("Index " + std::to_string(index) + " is out of range");
}

TZipHeaderInfo& TQorUnZip::ViewEntry(int index) const {
  CheckIndex(index);
  return View().Entry(index);
}

int TQorUnZip::EntryCount() const {
  return entries_ ? View().Count() : 0;
}

std::string TQorUnZip::EntryName(int index) const {
  return ViewEntry(index).file_name;
}

const TZipHeaderInfo& TQorUnZip::Entry(int index) const {
  return ViewEntry(index);
}

int TQorUnZip::FindEntry(const std::string& full_name) const {
  for (int i = 0; i < EntryCount(); ++i)
    if (SameTextNoCase(View().Entry(i).FullName(), full_name)) return i;
  return -1;
}

std::time_t TQorUnZip::EntryDateTime(int index) const {
  std::time_t t = 0;
  if (!DosDateTimeToTime(ViewEntry(index).date_time, t)) t = std::time(nullptr);
  return t;
}

std::string TQorUnZip::EntryComment(int index) {
  TZipHeaderInfo& e = ViewEntry(index);
  if (e.comment) return *e.comment;
  if (e.comment_length == 0) return {};
  OpenZipStream();
  std::int64_t pos = stream_->Position();
  stream_->SetPosition(e.central_header_position);
  std::uint8_t raw[46];
  std::string text;
  if (stream_->Read(raw, 46) == 46) {
    CentralDirHeader h;
    h.Read(raw);
    stream_->Seek(h.name_length + h.extra_length, soCurrent);
    text.resize(e.comment_length);
    text.resize(static_cast<std::size_t>(stream_->Read(text.data(), e.comment_length)));
  }
  bool was = end_.modified;
  e.SetFileComment(text);
  end_.modified = was;
  stream_->SetPosition(pos);
  if (GetMultiMode() == TMultiMode::mmNone) CloseZipStream();
  return text;
}

void TQorUnZip::SetEntryComment(int index, const std::string& text) {
  TZipHeaderInfo& e = ViewEntry(index);
  if (e.comment && *e.comment == text) return;
  e.SetFileComment(text);
  end_.modified = true;
}

std::string TQorUnZip::GetArchiveComment() {
  if (end_.comment) return *end_.comment;
  if (end_.record.comment_length == 0) return {};
  OpenZipStream();
  std::int64_t pos = stream_->Position();
  stream_->SetPosition(end_.comment_position);
  std::string text(end_.record.comment_length, '\0');
  text.resize(static_cast<std::size_t>(stream_->Read(text.data(), end_.record.comment_length)));
  bool was = end_.modified;
  end_.SetComment(text);
  end_.modified = was;
  stream_->SetPosition(pos);
  if (GetMultiMode() == TMultiMode::mmNone) CloseZipStream();
  return text;
}

void TQorUnZip::SetArchiveComment(const std::string& text) {
  if (end_.comment && *end_.comment == text) return;
  end_.SetComment(text);
  end_.modified = true;
}

void TQorUnZip::ApplySortMode(TZipSortMode mode) {
  sorted_view_.reset();
  if (mode != TZipSortMode::ByNone && entries_) {
    sorted_view_ = std::make_unique<TSortedZip>(TDuplicates::Accept, mode);
    sorted_view_->SetOwnsObjects(false);
    std::vector<TObjectRef> all;
    all.reserve(static_cast<std::size_t>(entries_->Count()));
    for (int i = 0; i < entries_->Count(); ++i) all.push_back(entries_->GetItem(i));
    sorted_view_->AddAllAccepting(all);
  }
  sort_mode_ = mode;
}

int TQorUnZip::DoHandleMessage(int id, const std::string& text, unsigned flags,
                               const std::string& caption) {
  if (events.OnHandleMessage) {
    int result = 0;
    events.OnHandleMessage(id, text, caption, flags, result);
    return result;
  }
  if (interaction_) return interaction_->ShowMessage(id, text, caption, flags);
  return flags == kMbYesNo ? kIdNo : (flags == kMbOkCancel ? kIdCancel : kIdOk);
}

bool TQorUnZip::ProcessMessages() {
  if (do_process_messages_ && interaction_) return interaction_->ProcessPendingMessages();
  return false;
}

TZipHeaderInfoRef TQorUnZip::NewHeaderInfo() const {
  auto e = std::make_shared<TZipHeaderInfo>();
  e->oem_mode = oem_convert_;
  return e;
}

std::optional<fs::file_time_type> TQorUnZip::ArchiveDate() const {
  std::error_code ec;
  auto t = fs::last_write_time(zip_name_, ec);
  if (ec) return std::nullopt;
  return t;
}

// ------------------------------------------------------------ reading

void TQorUnZip::ReadDirectory() {
  bool was = reading_directory_;
  reading_directory_ = true;
  auto file_state = [this] {
    std::error_code ec;
    auto size = fs::file_size(zip_name_, ec);
    return std::make_pair(ec ? 0 : size, ArchiveDate());
  };
  try {
    for (;;) {
      auto before = file_state();
      try {
        OpenZipStream();
        break;
      } catch (const EIncompleteZip&) {
        stream_.reset();
        if (!events.OnInCompleteZip) throw;
        // The handler was asked inside the load and is asked again until it
        // changes the mode or the archive changes; one that does neither
        // would be asked for ever, so that ends here.
        if (incomplete_mode_ == TIncompleteZipMode::izAssumeMulti && file_state() == before) throw;
      }
    }
  } catch (const EIncompleteZip&) {
    reading_directory_ = was;
    throw;
  } catch (...) {
    ClearZip();
    reading_directory_ = was;
    throw;
  }
  CloseZipStream();
  reading_directory_ = was;
}

void TQorUnZip::OpenZipStream() {
  if (!stream_) {
    stream_ = std::make_unique<TLFNFileStream>(zip_name_, fmOpenRead, flush_files_on_close_,
                                               kFileBufferSize);
    current_file_ = zip_name_;
    // Whatever part an earlier run ended on, the disk open now is ZipName's.
    current_disk_ = directory_from_zfc_ ? -1 : static_cast<int>(end_.GetThisDisk());
  }
  if (entries_ && recorded_date_ && ArchiveDate() == recorded_date_) return;
  LoadDirectory(*stream_);
}

void TQorUnZip::CloseZipStream() {
  if (!keep_zip_open_) stream_.reset();
}

void TQorUnZip::ClearZip() {
  stream_.reset();
  sorted_view_.reset();
  entries_.reset();
  end_.Clear();
  end_.DropZip64();
  rebuild_mark_ = false;
  recorded_date_.reset();
  disk_count_ = 1;
  SetMultiMode(TMultiMode::mmNone);
  zip_name_.clear();
}

void TQorUnZip::LoadDirectory(TStream& stream_in) {
  reading_directory_ = true;
  recorded_date_ = ArchiveDate();
  sorted_view_.reset();
  entries_.reset();
  TStream* stream = &stream_in;
  std::unique_ptr<TLFNFileStream> config;
  config_file_mode_ = false;
  end_.Clear();
  end_.DropZip64();

  bool found = end_.LocateAndRead(*stream);
  if (found && end_.GetThisDisk() < end_.GetCentralStartDisk()) found = false;
  if (!found) {
    std::string zfc = fs::path(zip_name_).replace_extension(".zfc").string();
    if (IsExistingFile(zfc)) {
      config = std::make_unique<TLFNFileStream>(zfc, fmOpenRead, false, kFileBufferSize);
      if (end_.LocateAndRead(*config)) {
        found = true;
        config_file_mode_ = true;
        stream = config.get();
      } else {
        config.reset();
      }
    }
  }
  bool rebuilding = false;
  if (found) {
    current_disk_ = config_file_mode_ ? 0 : static_cast<int>(end_.GetThisDisk());
    if (end_.GetThisDisk() != 0) {
      if (GetMultiMode() == TMultiMode::mmNone) {
        bool removable = zip_name_.size() >= 3 && zip_name_[1] == ':' &&
                         IsRemovableDrive(zip_name_.substr(0, 3));
        SetMultiMode(removable ? TMultiMode::mmSpan : TMultiMode::mmBlocks);
      }
    } else {
      SetMultiMode(TMultiMode::mmNone);
    }
    if (end_.GetEntryCount() > 0) {
      int start = static_cast<int>(end_.GetCentralStartDisk());
      if (!config_file_mode_ && GetMultiMode() != TMultiMode::mmNone && start != current_disk_)
        stream = &OpenDisk(start + 1);
      std::int64_t offset =
          config_file_mode_ ? 0 : static_cast<std::int64_t>(end_.GetCentralOffset());
      if (offset < 0 || offset > stream->Size()) offset = stream->Size();
      stream->SetPosition(offset);
    }
  } else {
    if (events.OnInCompleteZip) events.OnInCompleteZip(incomplete_mode_);
    if (incomplete_mode_ == TIncompleteZipMode::izAssumeNotAZip) throw ENotAZipFile();
    if (incomplete_mode_ == TIncompleteZipMode::izAssumeMulti) throw EIncompleteZip();
    if (!RebuildFromLocalHeaders(*stream)) {
      ClearZip();
      throw EBadZipFile();
    }
    rebuilding = true;
  }
  if (!entries_) {
    entries_ = std::make_unique<TSortedZip>(TDuplicates::Error);
  }
  disk_count_ = static_cast<int>(end_.GetThisDisk()) + 1;
  bool multi = GetMultiMode() != TMultiMode::mmNone;

  std::uint64_t total = end_.GetEntryCount();
  std::int64_t previous_extra = 0;
  std::uint64_t i = 0;
  // A central directory that cannot be trusted is rebuilt from the local
  // headers and then read again from its first entry.
  auto restart_from_local_headers = [&] {
    if (multi || !RebuildFromLocalHeaders(*stream)) {
      ClearZip();
      throw EBadZipFile();
    }
    rebuilding = true;
    total = end_.GetEntryCount();
    i = 0;
    previous_extra = 0;
  };
  while (i < total) {
    if ((i & 1023) == 0) ProcessMessages();
    auto entry = NewHeaderInfo();
    std::function<TStream*()> next;
    if (multi && !rebuilding) next = [this] { return NextDiskCallback(); };
    bool ok = entry->ReadCentralHeader(*stream, next);
    if (multi && stream_ && stream != stream_.get() && !config_file_mode_) stream = stream_.get();
    if (!ok && previous_extra > 0) {
      // The previous header's extra length claimed bytes that are not there:
      // look for this header that many bytes earlier.
      std::int64_t pos = stream->Position();
      if (pos >= previous_extra) {
        stream->SetPosition(pos - previous_extra);
        ok = entry->ReadCentralHeader(*stream, next);
        if (!ok) stream->SetPosition(pos);
      }
    }
    if (!ok) {
      if (rebuilding) break;
      restart_from_local_headers();
      continue;
    }
    previous_extra = entry->central_extra_length;
    if (!rebuilding) {
      try {
        entries_->Add(entry);
      } catch (const EListError&) {
        // Two central headers for one local header.
        restart_from_local_headers();
        continue;
      }
    } else {
      std::int32_t index = 0;
      if (entries_->Find(entry.get(), index)) {
        TZipHeaderInfo& held = entries_->Entry(index);
        std::uint64_t offset = held.GetLocalHeaderOffset();
        std::uint32_t disk = held.GetDiskStart();
        held.Assign(*entry);
        held.SetLocalHeaderOffset(offset);
        held.SetDiskStart(disk);
      }
    }
    if (multi && entry->comment_length) {
      std::string text(entry->comment_length, '\0');
      std::int64_t pos = stream->Position();
      stream->Seek(entry->central_extra_length, soCurrent);
      text.resize(static_cast<std::size_t>(stream->Read(text.data(), entry->comment_length)));
      entry->SetFileComment(text);
      stream->SetPosition(pos);
    }
    stream->Seek(entry->central_extra_length + entry->comment_length, soCurrent);
    ++i;
  }
  if (multi && end_.HasComment()) {
    if (config_file_mode_) {
      config->SetPosition(end_.comment_position);
      std::string text(end_.record.comment_length, '\0');
      text.resize(static_cast<std::size_t>(config->Read(text.data(), end_.record.comment_length)));
      end_.SetComment(text);
    } else {
      int last = static_cast<int>(end_.GetThisDisk());
      TStream& s = current_disk_ == last ? *stream_ : OpenDisk(last + 1);
      s.SetPosition(end_.comment_position);
      std::string text(end_.record.comment_length, '\0');
      text.resize(static_cast<std::size_t>(s.Read(text.data(), end_.record.comment_length)));
      bool was = end_.modified;
      end_.SetComment(text);
      end_.modified = was;
    }
  }
  // After a load from the ".zfc" copy the open file is whatever ZipName
  // named, not a disk whose number is known: the first entry read switches.
  current_disk_ = config_file_mode_ ? -1 : static_cast<int>(end_.GetThisDisk());
  directory_from_zfc_ = config_file_mode_;
  ApplySortMode(sort_mode_);
  config_file_mode_ = false;
}

std::int64_t TQorUnZip::FindDataDescriptor(TStream& stream, std::int64_t data,
                                           TZipHeaderInfo& entry) {
  const std::uint32_t sig = kDataDescriptorSignature;
  std::vector<std::uint8_t> buf(65536 + 24);
  std::int64_t size = stream.Size();
  for (std::int64_t base = data; base < size; base += 65536) {
    stream.SetPosition(base);
    std::int64_t got = stream.Read(buf.data(), static_cast<std::int64_t>(buf.size()));
    for (std::int64_t k = 0; k + 16 <= got && k < 65536; ++k) {
      if (bytes::GetLE32(&buf[k]) != sig) continue;
      std::uint64_t distance = static_cast<std::uint64_t>(base + k - data);
      if (bytes::GetLE32(&buf[k + 8]) == distance && distance < kMark32) {
        entry.crc32 = bytes::GetLE32(&buf[k + 4]);
        entry.SetCompressedSize(distance);
        entry.SetUncompressedSize(bytes::GetLE32(&buf[k + 12]));
        return base + k + 16;
      }
      if (k + 24 <= got && bytes::GetLE64(&buf[k + 8]) == distance) {
        entry.crc32 = bytes::GetLE32(&buf[k + 4]);
        entry.SetCompressedSize(distance);
        entry.SetUncompressedSize(bytes::GetLE64(&buf[k + 16]));
        return base + k + 24;
      }
    }
    if (got < static_cast<std::int64_t>(buf.size())) break;
    ProcessMessages();
  }
  return -1;
}

bool TQorUnZip::RebuildFromLocalHeaders(TStream& stream) {
  if (rebuild_mark_) return false;
  rebuild_mark_ = true;
  sorted_view_.reset();
  entries_.reset();
  std::string ext = fs::path(zip_name_).extension().string();
  std::int64_t start = SameTextNoCase(ext, ".exe") ? 14000 : 0;
  std::int64_t size = stream.Size();
  if (start >= size) return false;
  stream.SetPosition(start);
  // Scan for the local-header signature through a block buffer.
  const std::uint32_t sig = Signatures().local;
  std::vector<std::uint8_t> buf(65536);
  std::int64_t found = -1;
  std::int64_t base = start;
  while (found < 0 && base < size) {
    stream.SetPosition(base);
    std::int64_t got = stream.Read(buf.data(), static_cast<std::int64_t>(buf.size()));
    if (got < 4) break;
    for (std::int64_t k = 0; k + 4 <= got; ++k) {
      if (bytes::GetLE32(&buf[k]) != sig) continue;
      if (k + 6 > got) {
        // The version bytes lie in the next block: rescan from here.
        break;
      }
      if (buf[k + 5] >= 10) continue;
      found = base + k;
      break;
    }
    if (found < 0) {
      if (got < static_cast<std::int64_t>(buf.size())) break;
      base += got - 5;
    }
    ProcessMessages();
  }
  if (found < 0) return false;
  stream.SetPosition(found);
  entries_ = std::make_unique<TSortedZip>(TDuplicates::Error);
  for (;;) {
    auto entry = NewHeaderInfo();
    if (!entry->ReadLocalHeader(stream)) break;
    std::int64_t skip = entry->local_extra_length +
                        static_cast<std::int64_t>(entry->GetCompressedSize()) +
                        (entry->HasDataDescriptor() ? 16 : 0);
    std::int64_t next = stream.Position() + skip;
    if (entry->HasDataDescriptor() && entry->GetCompressedSize() == 0) {
      // A streamed entry keeps its sizes in the descriptor behind the data:
      // find the descriptor whose compressed size is its distance from the
      // data.
      std::int64_t data = stream.Position() + entry->local_extra_length;
      std::int64_t found_at = FindDataDescriptor(stream, data, *entry);
      if (found_at < 0) break;
      next = found_at;
    }
    try {
      entries_->Add(entry);
    } catch (const EListError&) {
      break;
    }
    if (next > size || next <= static_cast<std::int64_t>(entry->GetLocalHeaderOffset())) break;
    if (entry->HasDataDescriptor()) {
      // Descriptors come with and without their signature (12 or 16 bytes)
      // and in Zip64 form (24): take the length after which a header follows.
      for (std::int64_t candidate : {next, next - 4, next + 8}) {
        std::uint8_t sig[4];
        stream.SetPosition(candidate);
        if (stream.Read(sig, 4) == 4 && bytes::GetLE32(sig) == Signatures().local) {
          next = candidate;
          break;
        }
      }
    }
    stream.SetPosition(next);
    ProcessMessages();
  }
  if (entries_->Count() == 0) return false;
  end_.SetThisDisk(0);
  end_.SetCentralOffset(static_cast<std::uint64_t>(stream.Position()));
  end_.SetEntryCount(static_cast<std::uint64_t>(entries_->Count()));
  current_disk_ = 0;
  disk_count_ = 1;
  return true;
}

std::string TQorUnZip::DefaultSplitPartName(const std::string& base, int part,
                                            TSplitPartType type) const {
  char num[16];
  if (block_mode_ == TBlockMode::bmClassic) {
    std::snprintf(num, sizeof num, "%3.3d", part);
    return base + "." + num;
  }
  if (type == TSplitPartType::spLast) return base + ".zip";
  std::snprintf(num, sizeof num, "z%2.2d", part);
  return base + ".zip." + num;
}

std::string TQorUnZip::DoFileNameForSplitPart(int part, TSplitPartType type) {
  std::string name = split_base_;
  if (events.OnFileNameForSplitPart) {
    events.OnFileNameForSplitPart(name, part, type);
    return name;
  }
  name = DefaultSplitPartName(split_base_, part, type);
  if (type != TSplitPartType::spLast && !IsExistingFile(name)) {
    // Info-ZIP and WinZip name their parts base.z01, base.z02, ...
    char num[16];
    std::snprintf(num, sizeof num, ".z%2.2d", part);
    if (IsExistingFile(split_base_ + num)) return split_base_ + num;
  }
  return name;
}

std::string TQorUnZip::DoGetNextDisk(int n) {
  std::string name = zip_name_;
  if (events.OnGetNextDisk) {
    events.OnGetNextDisk(n, name);
    return name;
  }
  if (GetMultiMode() == TMultiMode::mmSpan) {
    std::string text = "Please insert disk " + std::to_string(n) + " of the multi-disk set.";
    if (DoHandleMessage(kMsgNextDisk, text.substr(0, 255), kMbOkCancel, "") != kIdOk) return {};
  }
  return name;
}

TStream& TQorUnZip::OpenDisk(int n) {
  stream_.reset();
  std::string name = zip_name_;
  if (GetMultiMode() == TMultiMode::mmBlocks) {
    TSplitPartType type = (reading_directory_ && n == disk_count_) ? TSplitPartType::spLast
                          : n == 1                                 ? TSplitPartType::spFirst
                                                                   : TSplitPartType::spMiddle;
    if (n == disk_count_) type = TSplitPartType::spLast;
    name = DoFileNameForSplitPart(n, type);
  } else {
    for (int attempt = 0;; ++attempt) {
      name = DoGetNextDisk(n);
      if (name.empty()) throw EUserCanceled("User canceled loading new disk.");
      if (IsExistingFile(name)) break;
      if (attempt > 1000) throw EUserCanceled("User canceled loading new disk.");
    }
  }
  stream_ = std::make_unique<TLFNFileStream>(name, fmOpenRead, false, kFileBufferSize);
  current_file_ = name;
  current_disk_ = n - 1;
  return *stream_;
}

TStream* TQorUnZip::NextDiskCallback() {
  if (current_disk_ + 1 >= disk_count_) return nullptr;
  return &OpenDisk(current_disk_ + 2);
}

}  // namespace kelmo::zip
