// A folder for one fuzz input below the process's scratch folder: made
// empty, removed with everything in it afterwards, so that what one input
// left behind is never seen by the next.
#pragma once

#include <filesystem>
#include <string>

#include "fuzz_scratch.h"

namespace kelmo::fuzz {

class ScratchFolder {
 public:
  ScratchFolder() : path_(std::filesystem::path(FuzzScratchFolder()) / "input") {
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
    FuzzWriteFile(*this / name, reinterpret_cast<const uint8_t*>(data), size);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace kelmo::fuzz
