// Decoders of the older zip methods (see old_methods.h): the bit reader they
// share, the dynamic LZW of "shrunk", the follower sets and DLE machine of
// "reduced", and the Shannon-Fano trees of "imploded". Every decoder stops at
// the declared size or when the input runs out (then the output is short and
// the CRC check fails), and never reads outside its tables.
#include "old_methods.h"

#include <array>
#include <vector>

namespace kelmo::zip {

namespace {

// Bits least-significant first from a byte source; past the end it reads
// zeros and says so.
class BitReader {
 public:
  explicit BitReader(ByteSource& in) : in_(in) {}
  std::uint32_t Bits(int n) {
    while (count_ < n) {
      if (pos_ == len_) {
        len_ = in_.Read(buf_.data(), buf_.size());
        pos_ = 0;
        if (len_ == 0) {
          exhausted_ = true;
          buffer_ |= 0;
          count_ += 8;
          continue;
        }
      }
      buffer_ |= static_cast<std::uint64_t>(buf_[pos_++]) << count_;
      count_ += 8;
    }
    std::uint32_t v = static_cast<std::uint32_t>(buffer_ & ((1ull << n) - 1));
    buffer_ >>= n;
    count_ -= n;
    return v;
  }
  bool Exhausted() const { return exhausted_; }

 private:
  ByteSource& in_;
  std::array<std::uint8_t, 32768> buf_{};
  std::size_t pos_ = 0, len_ = 0;
  std::uint64_t buffer_ = 0;
  int count_ = 0;
  bool exhausted_ = false;
};

// Output through a window, flushed to the sink in 32 KB steps.
class Window {
 public:
  Window(ByteSink& out, std::size_t size, std::uint64_t limit)
      : out_(out), window_(size, 0), mask_(size - 1), limit_(limit) {
    pending_.reserve(32768);
  }
  ~Window() = default;
  void Put(std::uint8_t c) {
    window_[produced_ & mask_] = c;
    ++produced_;
    pending_.push_back(c);
    if (pending_.size() == 32768) Flush();
  }
  // Copies length bytes from distance back; bytes before the start are 0.
  void Copy(std::uint64_t distance, std::uint64_t length) {
    for (std::uint64_t k = 0; k < length && !Done(); ++k) {
      std::uint8_t c = distance > produced_ ? 0 : window_[(produced_ - distance) & mask_];
      Put(c);
    }
  }
  bool Done() const { return produced_ >= limit_; }
  void Flush() {
    if (!pending_.empty()) out_.Write(pending_.data(), pending_.size());
    pending_.clear();
  }

 private:
  ByteSink& out_;
  std::vector<std::uint8_t> window_;
  std::size_t mask_;
  std::uint64_t limit_;
  std::uint64_t produced_ = 0;
  std::vector<std::uint8_t> pending_;
};

}  // namespace

// ------------------------------------------------------------------ shrunk

void Unshrink(ByteSource& in, ByteSink& out, std::uint64_t uncompressed_size) {
  constexpr int kMaxBits = 13;
  constexpr int kTableSize = 1 << kMaxBits;  // 8,192
  constexpr std::uint16_t kFree = 0xFFFF;
  std::vector<std::uint16_t> prefix(kTableSize, kFree);
  std::vector<std::uint8_t> suffix(kTableSize, 0);
  const int kStack = kTableSize + 2;
  std::vector<std::uint8_t> stack(kStack);
  for (int c = 0; c < 256; ++c) {
    prefix[c] = 0;  // literals are always in use
    suffix[c] = static_cast<std::uint8_t>(c);
  }
  auto in_use = [&](int code) { return code < 256 || (code > 256 && prefix[code] != kFree); };
  BitReader bits(in);
  Window win(out, 1, ~0ull);  // no copies: the window is unused
  std::uint64_t produced = 0;
  int width = 9;
  int free_code = 257;
  auto next_free = [&](int from) {
    int c = from;
    while (c < kTableSize && prefix[c] != kFree) ++c;
    return c;
  };
  // Writes the string of code into stack ending before end; its start out.
  auto expand = [&](int code, int& start, int end) {
    int top = end;
    int steps = 0;
    while (code >= 256) {
      if (++steps > kTableSize) return false;  // a cycle in damaged data
      stack[--top] = suffix[code];
      code = prefix[code];
    }
    stack[--top] = static_cast<std::uint8_t>(code);
    start = top;
    return true;
  };
  if (uncompressed_size == 0) return;
  int old_code = static_cast<int>(bits.Bits(width));
  if (bits.Exhausted() || old_code >= 256) return;
  std::uint8_t first_char = static_cast<std::uint8_t>(old_code);
  win.Put(first_char);
  ++produced;
  while (produced < uncompressed_size) {
    int code = static_cast<int>(bits.Bits(width));
    if (bits.Exhausted()) break;
    if (code == 256) {
      int control = static_cast<int>(bits.Bits(width));
      if (bits.Exhausted()) break;
      if (control == 1) {
        if (width < kMaxBits) ++width;
      } else if (control == 2) {
        // Partial clear: every code that is no longer a prefix of another
        // becomes free.
        std::vector<bool> is_prefix(kTableSize, false);
        for (int c = 257; c < kTableSize; ++c)
          if (prefix[c] != kFree && prefix[c] >= 257) is_prefix[prefix[c]] = true;
        for (int c = 257; c < kTableSize; ++c)
          if (prefix[c] != kFree && !is_prefix[c]) prefix[c] = kFree;
        free_code = next_free(257);
      } else {
        break;  // unknown control code: damaged data
      }
      continue;
    }
    int start = 0;
    bool kwkwk = !in_use(code);
    if (kwkwk) {
      // The code being defined right now: the old string plus its own first
      // character.
      if (code != free_code || !expand(old_code, start, kStack - 1)) break;
      stack[kStack - 1] = stack[start];
    } else {
      if (!expand(code, start, kStack)) break;
    }
    for (int k = start; k < kStack && produced < uncompressed_size; ++k, ++produced)
      win.Put(stack[k]);
    first_char = stack[start];
    if (free_code < kTableSize) {
      prefix[free_code] = static_cast<std::uint16_t>(old_code);
      suffix[free_code] = first_char;
      free_code = next_free(free_code + 1);
    }
    old_code = code;
  }
  win.Flush();
}

// ------------------------------------------------------------------ reduced

void Unreduce(ByteSource& in, ByteSink& out, int factor, std::uint64_t uncompressed_size) {
  static constexpr std::uint8_t kLengthMask[] = {0x7F, 0x3F, 0x1F, 0x0F};
  static constexpr int kShift[] = {7, 6, 5, 4};
  static constexpr std::uint8_t kDistMask[] = {1, 3, 7, 15};
  if (factor < 1 || factor > 4) return;
  const int f = factor - 1;
  BitReader bits(in);
  std::array<std::array<std::uint8_t, 64>, 256> followers{};
  std::array<int, 256> counts{};
  for (int j = 255; j >= 0; --j) {
    counts[j] = static_cast<int>(bits.Bits(6));
    for (int k = 0; k < counts[j]; ++k) followers[j][k] = static_cast<std::uint8_t>(bits.Bits(8));
  }
  auto bits_for = [](int n) {
    int b = 1;
    while ((1 << b) < n) ++b;
    return b;
  };
  Window win(out, 16384, uncompressed_size);
  std::uint8_t last = 0;
  int state = 0;
  std::uint32_t v = 0, length = 0;
  while (!win.Done()) {
    std::uint8_t c;
    if (counts[last] == 0) {
      c = static_cast<std::uint8_t>(bits.Bits(8));
    } else if (bits.Bits(1)) {
      c = static_cast<std::uint8_t>(bits.Bits(8));
    } else {
      int index = static_cast<int>(bits.Bits(bits_for(counts[last])));
      if (index >= counts[last]) break;  // damaged data
      c = followers[last][index];
    }
    if (bits.Exhausted()) break;
    last = c;
    switch (state) {
      case 0:
        if (c == 0x90)
          state = 1;
        else
          win.Put(c);
        break;
      case 1:
        if (c == 0) {
          win.Put(0x90);
          state = 0;
        } else {
          v = c;
          length = v & kLengthMask[f];
          state = length == kLengthMask[f] ? 2 : 3;
        }
        break;
      case 2:
        length += c;
        state = 3;
        break;
      case 3: {
        std::uint64_t distance = ((v >> kShift[f]) & kDistMask[f]) * 256 + c + 1;
        win.Copy(distance, length + 3);
        state = 0;
        break;
      }
    }
  }
  win.Flush();
}

// ------------------------------------------------------------------ imploded

namespace {

// A Shannon-Fano tree as canonical code counts and symbols; the codes of the
// format are the bitwise complement of the canonical codes.
struct SfTree {
  std::array<int, 17> count{};
  std::vector<int> symbol;
};

bool ReadTree(BitReader& bits, int size, SfTree& tree) {
  std::vector<int> lengths;
  int n = static_cast<int>(bits.Bits(8)) + 1;
  for (int i = 0; i < n; ++i) {
    int b = static_cast<int>(bits.Bits(8));
    int len = (b & 0x0F) + 1, repeat = (b >> 4) + 1;
    for (int k = 0; k < repeat; ++k) lengths.push_back(len);
  }
  if (bits.Exhausted() || static_cast<int>(lengths.size()) != size) return false;
  for (int len : lengths) ++tree.count[len];
  int left = 1;  // over-subscribed trees are refused
  for (int len = 1; len <= 16; ++len) {
    left <<= 1;
    left -= tree.count[len];
    if (left < 0) return false;
  }
  tree.symbol.clear();
  for (int len = 1; len <= 16; ++len)
    for (int s = 0; s < size; ++s)
      if (lengths[s] == len) tree.symbol.push_back(s);
  return true;
}

int Decode(BitReader& bits, const SfTree& tree) {
  int code = 0, first = 0, index = 0;
  for (int len = 1; len <= 16; ++len) {
    code |= static_cast<int>(bits.Bits(1) ^ 1);
    int count = tree.count[len];
    if (code - first < count) return tree.symbol[index + (code - first)];
    index += count;
    first += count;
    first <<= 1;
    code <<= 1;
  }
  return -1;
}

}  // namespace

bool Explode(ByteSource& in, ByteSink& out, std::uint16_t flags, std::uint64_t compressed_size,
             std::uint64_t uncompressed_size) {
  (void)compressed_size;  // lookup-table sizing only; this decoder walks the codes
  const bool big_window = (flags & 0x02) != 0;
  const bool literal_tree = (flags & 0x04) != 0;
  BitReader bits(in);
  SfTree literals, lengths, distances;
  if (literal_tree && !ReadTree(bits, 256, literals)) return false;
  if (!ReadTree(bits, 64, lengths) || !ReadTree(bits, 64, distances)) return false;
  const int low_bits = big_window ? 7 : 6;
  const int min_match = literal_tree ? 3 : 2;
  Window win(out, 8192, uncompressed_size);
  while (!win.Done()) {
    if (bits.Bits(1)) {
      int c = literal_tree ? Decode(bits, literals) : static_cast<int>(bits.Bits(8));
      if (c < 0 || bits.Exhausted()) break;
      win.Put(static_cast<std::uint8_t>(c));
    } else {
      std::uint32_t low = bits.Bits(low_bits);
      int high = Decode(bits, distances);
      if (high < 0) break;
      std::uint64_t distance = ((static_cast<std::uint64_t>(high) << low_bits) | low) + 1;
      int len = Decode(bits, lengths);
      if (len < 0) break;
      if (len == 63) len += static_cast<int>(bits.Bits(8));
      if (bits.Exhausted()) break;
      win.Copy(distance, static_cast<std::uint64_t>(len + min_match));
    }
  }
  win.Flush();
  return true;
}

}  // namespace kelmo::zip
