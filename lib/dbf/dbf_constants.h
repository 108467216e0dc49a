// Process-wide constants of the DBF engine: logical letters, the end-of-file
// mark, lock retry timing, bit masks and base-36 digits.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelmo::dbf {

// A logical byte (or a text's first character) among these reads as true;
// the first letter of each is what is written.
inline constexpr std::string_view LogicalTrueLetters = "TtYyJj";
inline constexpr std::string_view LogicalFalseLetters = "FfNn";
inline constexpr uint8_t EndOfFileMark = 0x1A;
inline constexpr char PathSeparator = '/';
// A refused lock is retried every LockRetryWaitMs for at most LockTimeoutMs.
inline constexpr uint16_t LockTimeoutMs = 5000;
inline constexpr uint16_t LockRetryWaitMs = 50;
inline constexpr int LockAttempts = LockTimeoutMs / LockRetryWaitMs;
inline constexpr uint8_t BitMask[8] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
inline constexpr uint8_t BitClearMask[8] = {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F};
inline constexpr std::string_view Base36Digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Lock protocols of tables and memo files.
enum class TdfLokProtocol : uint8_t { Default = 0, DB4Lock = 1, ClipLock = 2, FoxLock = 3 };

// Where a protocol places its locks in a table or memo file: the whole-file
// lock starts at FileOffset and spans FileLength bytes; HeaderOffset is the
// header's lock, from which record locks are counted.
struct LockOffsets {
  int64_t FileOffset;
  int64_t HeaderOffset;
  int64_t FileLength;
};

constexpr LockOffsets LockOffsetsFor(TdfLokProtocol protocol) {
  switch (protocol) {
    case TdfLokProtocol::DB4Lock:
      return {0x40000000, 0xEFFFFFFF, 0xB0000000};
    case TdfLokProtocol::ClipLock:
      return {1000000000, 1000000000, 1000000000};
    case TdfLokProtocol::Default:
    case TdfLokProtocol::FoxLock:
      break;
  }
  return {0x40000000, 0x7FFFFFFE, 0x3FFFFFFF};
}

}  // namespace kelmo::dbf
