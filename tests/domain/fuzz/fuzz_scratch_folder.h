// A scratch folder for one fuzz input: made fresh, removed with everything
// in it afterwards.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kelmo::fuzz {

class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("kelmo-package-fuzz-" + std::to_string(::getpid()))) {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

  void Write(const std::string& name, const char* data, std::size_t size) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out.write(data, static_cast<std::streamsize>(size));
  }

 private:
  std::filesystem::path path_;
};

}  // namespace kelmo::fuzz
