// File and date helpers (see file_helpers.h).
#include "file_helpers.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "bytes/code_pages.h"
#include "zip_errors.h"

namespace fs = std::filesystem;

namespace kelmo::zip {

std::uint32_t ValidDosDateTime(std::uint32_t dos) {
  unsigned hour = (dos >> 11) & 0x1F, minute = (dos >> 5) & 0x3F, sec = (dos & 0x1F) * 2;
  unsigned year = 1980 + ((dos >> 25) & 0x7F), month = (dos >> 21) & 0x0F, day = (dos >> 16) & 0x1F;
  bool changed = false;
  if (hour > 23) hour = 23, changed = true;
  if (minute > 59) minute = 59, changed = true;
  if (sec > 59) sec = 58, changed = true;
  if (year > 2099) year = 2099, changed = true;
  if (month > 12) month = 12, changed = true;
  if (month < 1) month = 1, changed = true;
  if (day < 1) day = 1, changed = true;
  if (!changed) return dos;
  return (sec / 2) | (minute << 5) | (hour << 11) | (day << 16) | (month << 21) |
         ((year - 1980) << 25);
}

bool DosDateTimeToTime(std::uint32_t dos, std::time_t& out) {
  std::tm tm{};
  tm.tm_sec = static_cast<int>((dos & 0x1F) * 2);
  tm.tm_min = static_cast<int>((dos >> 5) & 0x3F);
  tm.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
  tm.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
  tm.tm_mon = static_cast<int>(((dos >> 21) & 0x0F)) - 1;
  tm.tm_year = static_cast<int>(((dos >> 25) & 0x7F) + 80);
  tm.tm_isdst = -1;
  if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 ||
      tm.tm_sec > 59)
    return false;
  std::tm check = tm;
  std::time_t t = std::mktime(&check);
  if (t == static_cast<std::time_t>(-1) || check.tm_mday != tm.tm_mday || check.tm_mon != tm.tm_mon)
    return false;
  out = t;
  return true;
}

std::uint32_t TimeToDosDateTime(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  if (tm.tm_year < 80) return (1u << 21) | (1u << 16);
  if (tm.tm_year > 80 + 127) tm.tm_year = 80 + 127;
  return static_cast<std::uint32_t>(tm.tm_sec / 2) | static_cast<std::uint32_t>(tm.tm_min) << 5 |
         static_cast<std::uint32_t>(tm.tm_hour) << 11 |
         static_cast<std::uint32_t>(tm.tm_mday) << 16 |
         static_cast<std::uint32_t>(tm.tm_mon + 1) << 21 |
         static_cast<std::uint32_t>(tm.tm_year - 80) << 25;
}

namespace {
std::time_t ToTimeT(fs::file_time_type ft) {
  auto sys = std::chrono::file_clock::to_sys(ft);
  return std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
}
}  // namespace

std::uint32_t FileDosDateTimeOf(const std::string& path) {
  std::error_code ec;
  auto ft = fs::last_write_time(WithoutTrailingBackslash(path), ec);
  std::uint32_t dos = ec ? 0xFFFFFFFFu : TimeToDosDateTime(ToTimeT(ft));
  return ValidDosDateTime(dos);
}

std::time_t FileDateTimeOf(const std::string& path) {
  std::time_t t = 0;
  if (!DosDateTimeToTime(FileDosDateTimeOf(path), t)) t = std::time(nullptr);
  return t;
}

int PercentOf(std::int64_t part, std::int64_t whole) {
  if (whole <= 0) return 0;
  // part * 100 / whole, rounded half to even, without overflow for large
  // values.
  long double q = static_cast<long double>(part) * 100.0L / static_cast<long double>(whole);
  long double fl = static_cast<long double>(static_cast<std::int64_t>(q));
  long double frac = q - fl;
  std::int64_t r = static_cast<std::int64_t>(fl);
  if (frac > 0.5L || (frac == 0.5L && (r % 2) != 0)) ++r;
  return static_cast<int>(r > 100 ? 100 : (r < 0 ? 0 : r));
}

std::string WithoutTrailingBackslash(std::string path) {
  if (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

void CreateFolderTree(const std::string& path) {
  std::error_code ec;
  fs::create_directories(WithoutTrailingBackslash(path), ec);
}

bool FolderExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

bool IsExistingFile(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

bool RenameOnSameDrive(const std::string& source, const std::string& target) {
  std::error_code ec;
  fs::rename(source, target, ec);
  return !ec;
}

void MoveOrCopyFile(const std::string& source, const std::string& target) {
  if (RenameOnSameDrive(source, target)) return;
  // Another file system: copy next to the target, then rename into place, so
  // the target is whole at every moment.
  std::string sibling = target + ".kpz-new";
  std::error_code ec;
  fs::copy_file(source, sibling, fs::copy_options::overwrite_existing, ec);
  std::uintmax_t size = ec ? 0 : fs::file_size(sibling, ec);
  if (ec || size == 0) {
    fs::remove(sibling, ec);
    throw EQorZipException("Error: Could not copy from " + source + " -> " + target);
  }
  fs::rename(sibling, target, ec);
  if (ec) {
    fs::remove(sibling, ec);
    throw EQorZipException("Error: Could not copy from " + source + " -> " + target);
  }
}

std::string TempFileNameIn(const std::string& folder) {
  std::random_device gen;  // a fresh source per call: no state shared between writers
  std::string dir = folder.empty() ? std::string(".") : WithoutTrailingBackslash(folder);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "KPZ%04X.tmp", static_cast<unsigned>(gen() & 0xFFFF));
    std::string path = dir + "/" + name;
    // "x": create only when absent, so two writers never share a name.
    if (std::FILE* f = std::fopen(path.c_str(), "wbx")) {
      std::fclose(f);
      return path;
    }
  }
  throw EStreamError("Cannot create a temporary file in \"" + dir + "\"");
}

bool HasWildcardChars(std::string_view path) {
  return path.find_first_of("*?<>|") != std::string_view::npos;
}

std::string LastChars(const std::string& text, std::size_t n) {
  return text.size() <= n ? text : text.substr(text.size() - n);
}

std::string FirstChars(const std::string& text, std::size_t n) {
  return text.substr(0, n);
}

void BackslashesToSlashes(std::string& name) {
  for (char& c : name)
    if (c == '\\') c = '/';
}

void SlashesToBackslashes(std::string& name) {
  for (char& c : name)
    if (c == '/') c = '\\';
}

void RoundTripOem(std::string& text) {
  std::string oem;
  bytes::EncodeFromUtf8(text, bytes::CodePage::Cp866, oem);
  text = bytes::DecodeToUtf8(oem, bytes::CodePage::Cp866);
}

std::string GetDiskLabel(const std::string&) {
  return {};
}
bool SetDiskLabel(const std::string&, const std::string&) {
  return false;
}
bool IsRemovableDrive(const std::string&) {
  return false;
}

std::int64_t DiskFreeOf(const std::string& path) {
  std::error_code ec;
  fs::path p = path.empty() ? fs::path(".") : fs::path(path);
  while (!p.empty() && !fs::exists(p, ec)) p = p.parent_path();
  if (p.empty()) p = ".";
  auto info = fs::space(p, ec);
  return ec ? 0 : static_cast<std::int64_t>(info.available);
}

std::string ExtractFilePath(const std::string& path) {
  auto pos = path.find_last_of('/');
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  auto pos = path.find_last_of('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace kelmo::zip
