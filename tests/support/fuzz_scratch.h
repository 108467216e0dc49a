// A scratch folder for one fuzzer process: the readers under test take files,
// so every input is written to a file first.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& FuzzScratchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kelmo-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

inline void FuzzWriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}
