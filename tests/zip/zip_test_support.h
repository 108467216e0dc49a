// Helpers of the zip library's tests: temporary folders, files, running the
// peer tools (Info-ZIP, 7z, python's zipfile).
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kelmo::zip::test {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ =
        fs::temp_directory_path() / ("kelmo-zip-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string str() const { return path_.string(); }

 private:
  fs::path path_;
};

inline void WriteFile(const std::string& path, const std::string& data) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream f(path, std::ios::binary);
  f << data;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs a shell command in a UTF-8 locale; its exit code, output in out.
inline int Shell(const std::string& cmd, std::string* out = nullptr) {
  // The peers' treatment of non-ASCII names follows the locale: one UTF-8
  // locale for every run, whatever the caller's environment.
  std::string full = "export LC_ALL=C.UTF-8; " + cmd + " 2>&1";
  FILE* p = popen(full.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int rc = pclose(p);
  if (out) *out = text;
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

inline std::string Quote(const std::string& s) {
  std::string r = "'";
  for (char c : s) {
    if (c == '\'')
      r += "'\\''";
    else
      r += c;
  }
  return r + "'";
}

// Text that compresses like registry XML.
inline std::string XmlLike(std::size_t bytes, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<ZL_LIST>\n";
  while (s.size() < bytes) {
    s += "  <ZAP><N_ZAP>" + std::to_string(gen() % 100000) + "</N_ZAP><PACIENT><ID_PAC>" +
         std::to_string(gen()) + "</ID_PAC><VPOLIS>3</VPOLIS><NPOLIS>" +
         std::to_string(gen() % 1000000000) + "</NPOLIS></PACIENT><SUMV>" +
         std::to_string(gen() % 100000) + ".00</SUMV></ZAP>\n";
  }
  s.resize(bytes);
  return s;
}

inline std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

}  // namespace kelmo::zip::test
