// Table copy, pack and re-encryption: the handler's whole-table rewrites.
#include <algorithm>
#include <cstring>
#include <memory>

#include "dbf_errors.h"
#include "engine_tools.h"
#include "sys_dbf_text.h"
#include "table_builder.h"
#include "table_encryption.h"
#include "table_handler.h"
#include "table_index_list.h"

namespace kelmo::dbf {

namespace {

// A path in the folder of the table whose name no file has yet.
std::string FreeNameBeside(const std::string& tablePath, const std::string& extension,
                           OsLayer& os) {
  std::string folder = FileFolder(tablePath);
  for (;;) {
    std::string candidate = folder + LowerText(MakeTempFileName()) + extension;
    if (!os.FileExists(candidate)) return candidate;
  }
}

// The memo-file builder of a table version.
std::unique_ptr<DFO_DBFBuild> BuilderFor(uint8_t version, const std::string& fileName,
                                         OsLayer& os) {
  if (version == 0x8B) return std::make_unique<DFO_DB4Build>(fileName, os);
  if (version == 0xF5 || version == 0x30) return std::make_unique<DFO_DBFoxBuild>(fileName, os);
  return std::make_unique<DFO_DBFBuild>(fileName, os);
}

// An empty copy that keeps the table's header area as it is (field
// displacements and flags, the backlink area of version 0x30, a record length
// longer than the fields). Version 0x30 tables need it, since their records
// are copied byte for byte and the builders only know 10-byte memo fields, and
// so do tables whose records another writer padded.
void WriteStructuralCopy(DFO_dBHandler& source, const std::string& newFileName, OsLayer& os) {
  bool memo = false;
  for (const auto& f : source.Fields()) memo = memo || source.IsMemoField(f);
  memo = memo && source.HasMemo();
  DbfTableHeader h = source.Header();
  h.recordCount = 0;
  h.encrypted = 0;
  h.changeStamp = 0;
  h.userId = 0;
  h.headerLength = static_cast<uint16_t>(source.HeaderLength());
  std::vector<uint8_t> out(static_cast<size_t>(h.headerLength) + 1, 0);
  h.Write(out.data());
  const int32_t area = h.headerLength - 32;
  if (source.DFO_DiskFile::Read(32, out.data() + 32, area) < area) {
    RaiseDbf(msg::kRead, {source.FileName()});
  }
  if (source.IsEncrypted()) {
    const int32_t crypted = h.headerLength - (h.version == 0x30 ? 296 : 33);
    if (crypted > 0) {
      EncryptTableBuffer(source.ReadPassword(), out.data() + 32, out.data() + 32, crypted, false);
    }
  }
  out.back() = 0x1A;
  {
    DFO_DiskFile file(newFileName, false, true, os);
    file.CreateNew();
    file.Write(0, out.data(), static_cast<int32_t>(out.size()));
  }
  if (memo) BuilderFor(h.version, newFileName, os)->WriteMemoFileOnly();
}

}  // namespace

void DFO_dBHandler::CreateEmptyCopy(const std::string& newFileName) {
  std::unique_ptr<DFO_DBFBuild> builder = BuilderFor(Version(), newFileName, Os());
  // The language byte decides how readers decode the text; a copy keeps it.
  builder->SetLanguageByte(LanguageByte());
  for (const auto& f : Fields()) {
    builder->AddField(f.name, f.type, f.type == 'C' ? f.width : f.widthByte, f.decimalsByte);
  }
  if (Version() == 0x30 || builder->RecordLength() != RecordLength()) {
    builder->Discard();
    WriteStructuralCopy(*this, newFileName, Os());
    return;
  }
  builder->WriteFiles();
}

void DFO_dBHandler::CopyMemoFields(DFO_dBHandler& target) {
  for (const auto& f : Fields()) {
    if (!IsMemoField(f)) continue;
    int32_t block = MemoBlockOf(f.number);
    if (block == 0) {
      // A pointer another writer left as "0" is written as blanks.
      target.PutMemoBlock(f.number, 0);
      continue;
    }
    GSobjMemo* memo = OpenMemo();
    GSobjMemo* targetMemo = target.OpenMemo();
    if (!memo || !targetMemo) continue;
    std::string data = memo->ReadMemoBlock(block, memo->MemoDataLength(block));
    int32_t newBlock = 0;
    targetMemo->WriteMemoData(data.data(), newBlock, static_cast<int32_t>(data.size()));
    target.PutMemoBlock(f.number, newBlock);
  }
}

void DFO_dBHandler::CopyFile(const std::string& newFileName, const std::string& password) {
  bool locked = false;
  for (int attempt = 0; attempt < LockAttempts && !locked; ++attempt) {
    locked = LockFile();
    if (!locked) Os().WaitMilliseconds(LockRetryWaitMs);
  }
  if (!locked) RaiseDbf(msg::kFullAccess, {"CopyFile", FileName()});
  const int32_t remembered = CurrentRecord();
  try {
    RefreshHeader();
    ReportStatus(-1, 6, RecordCount());
    CreateEmptyCopy(newFileName);
    DFO_dBHandler target(newFileName, false, true, "", Os());
    target.SetPassword(password);
    target.LockFile();
    if (HasMemo()) {
      OpenMemo();
      target.OpenMemo();
    }
    GoTo(kMoveFirst);
    while (!Eof() && CurrentRecord() > 0) {
      ReportStatus(6, CurrentRecord(), 0);
      std::memcpy(target.RecordBuffer(), RecordBuffer(),
                  static_cast<size_t>(std::min(RecordLength(), target.RecordLength())));
      if (HasMemo()) CopyMemoFields(target);
      const bool deleted = CurrentRecordDeleted();
      target.Append();
      // A new record is appended live; a copied deleted record keeps its mark.
      if (deleted) target.DeleteRecord();
      GoTo(kMoveNext);
    }
    target.ReleaseLock();
  } catch (...) {
    Unlock();
    throw;
  }
  ReportStatus(0, 0, 0);
  if (remembered > 0 && remembered <= RecordCount()) GoTo(remembered);
  Unlock();
}

void DFO_dBHandler::Pack() {
  if (IsShared()) RaiseDbf(msg::kFullAccess, {"Pack", FileName()});
  const bool bufferWasOn = RecordBufferOn();
  const bool useDeletedWas = UseDeleted();
  const bool filterWas = filterActive_;
  auto restoreFlags = [&] {
    UseRecordBuffer(bufferWasOn);
    filterActive_ = filterWas;
    SetUseDeleted(useDeletedWas);
  };
  SetUseDeleted(false);
  filterActive_ = false;
  UseRecordBuffer(false);
  UseRecordBuffer(true);

  OsLayer& os = Os();
  const std::string tempTable = FreeNameBeside(FileName(), ".dbf", os);
  const std::string tempMemo = MemoFileNameFor(tempTable, Version() == 0xF5 || Version() == 0x30);
  auto removeTemp = [&] {
    os.DeleteFile(tempTable);
    os.DeleteFile(tempMemo);
  };
  try {
    CopyFile(tempTable, ReadPassword());
  } catch (...) {
    removeTemp();
    restoreFlags();
    throw;
  }

  const std::string tableName = FileName();
  std::string memoName;
  if (HasMemo() && OpenMemo()) memoName = OpenMemo()->FileName();
  FreeMemo();
  Close();

  // Replace by renames only, the originals moved aside first, so that every
  // failure can put them back as they were.
  const std::string asideTable = FreeNameBeside(tableName, ".pak", os);
  const std::string asideMemo =
      memoName.empty() ? std::string() : FreeNameBeside(tableName, ".pam", os);
  auto reopenOriginal = [&] {
    try {
      Open();
    } catch (...) {
    }
    restoreFlags();
  };
  if (!os.RenameFile(tableName, asideTable)) {
    removeTemp();
    reopenOriginal();
    RaiseDbf(msg::kRename, {tableName});
  }
  if (!memoName.empty() && !os.RenameFile(memoName, asideMemo)) {
    os.RenameFile(asideTable, tableName);
    removeTemp();
    reopenOriginal();
    RaiseDbf(msg::kRename, {memoName});
  }
  auto putBack = [&] {
    if (!memoName.empty()) os.RenameFile(asideMemo, memoName);
    os.RenameFile(asideTable, tableName);
  };
  if (!os.RenameFile(tempTable, tableName)) {
    putBack();
    removeTemp();
    reopenOriginal();
    RaiseDbf(msg::kRename, {tempTable});
  }
  if (!memoName.empty() && !os.RenameFile(tempMemo, memoName)) {
    os.RenameFile(tableName, tempTable);
    putBack();
    removeTemp();
    reopenOriginal();
    RaiseDbf(msg::kRename, {tempMemo});
  }
  os.DeleteFile(asideTable);
  if (!asideMemo.empty()) os.DeleteFile(asideMemo);
  if (memoName.empty()) os.DeleteFile(tempMemo);

  Open();
  ReloadHeaderAfterReplace();
  UseRecordBuffer(false);
  UseRecordBuffer(true);
  ReportStatus(0, 0, 0);
  Reindex();
  restoreFlags();
  GoTo(kMoveFirst);
}

void DFO_dBHandler::Reindex() {
  // Every tag of every open index file is built again from the table.
  const bool bufferWasOn = RecordBufferOn();
  SetTableState(4);
  UseRecordBuffer(true);
  if (indexes_) indexes_->Reindex();
  SetTableState(1);
  UseRecordBuffer(bufferWasOn);
  GoTo(kMoveFirst);
}

void DFO_dBHandler::ReEncryptMemos() {
  for (const auto& f : Fields()) {
    if (!IsMemoField(f)) continue;
    int32_t block = MemoBlockOf(f.number);
    if (block == 0) continue;
    GSobjMemo* memo = OpenMemo();
    if (!memo) return;
    std::string data = memo->ReadMemoBlock(block, memo->MemoDataLength(block));
    memo->WriteMemoData(data.data(), block, static_cast<int32_t>(data.size()));
    PutMemoBlock(f.number, block);
  }
}

void DFO_dBHandler::SetPassword(const std::string& newPassword) {
  if (IsShared()) RaiseDbf(msg::kFullAccess, {"SetPassword", FileName()});
  if (IsEncrypted() && ReadPassword() == newPassword) return;
  if (!IsEncrypted() && newPassword.empty()) return;
  const int32_t remembered = CurrentRecord();
  const int stateWas = TableState();
  const bool bufferWasOn = RecordBufferOn();
  const std::string readPassword = IsEncrypted() ? ReadPassword() : std::string();
  SetTableState(5);
  try {
    if (HasMemo()) OpenMemo();
    SetPasswordsForReEncryption(readPassword, newPassword, true);
    UseRecordBuffer(true);
    std::vector<uint8_t> raw(static_cast<size_t>(RecordLength()));
    for (int32_t r = 1; r <= RecordCount(); ++r) {
      GoTo(r);  // reads and decrypts with the read password
      if (HasMemo()) ReEncryptMemos();
      std::vector<uint8_t>& work = WorkBuffer();
      EncryptTableBuffer(newPassword, RecordBuffer(), work.data(), RecordLength(), true);
      Write(HeaderLength() + RecordLength() * (r - 1), work.data(), RecordLength());
    }
    std::vector<uint8_t> area = DescriptorArea();
    EncryptTableBuffer(newPassword, area.data(), area.data(), static_cast<int32_t>(area.size()),
                       true);
    Write(32, area.data(), static_cast<int32_t>(area.size()));
    if (indexes_) indexes_->ReEncrypt();
    UseRecordBuffer(bufferWasOn);
  } catch (...) {
    SetTableState(stateWas == 5 ? 1 : stateWas);
    UseRecordBuffer(bufferWasOn);
    throw;
  }
  SetTableState(1);
  SetPasswordsForReEncryption(newPassword, newPassword, !newPassword.empty());
  MarkHeaderDirty();
  WriteHeader();
  if (remembered > 0) GoTo(remembered);
}

}  // namespace kelmo::dbf
