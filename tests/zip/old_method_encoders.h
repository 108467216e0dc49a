// Test encoders for the older zip methods, written from the application
// note so that the decoders have data to work on (no tool here writes these
// methods). Their archives are checked by Info-ZIP's unzip as well, so an
// encoder and a decoder cannot share one misreading unnoticed.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bytes/little_endian.h"
#include "zip/zip_crypt.h"
#include "zip/zip_records.h"

namespace kelmo::zip::test {

class BitWriter {
 public:
  void Put(std::uint32_t value, int n) {
    for (int i = 0; i < n; ++i) {
      acc_ |= ((value >> i) & 1u) << count_;
      if (++count_ == 8) Flush();
    }
  }
  std::string Finish() {
    if (count_) Flush();
    return out_;
  }

 private:
  void Flush() {
    out_ += static_cast<char>(acc_);
    acc_ = 0;
    count_ = 0;
  }
  std::string out_;
  std::uint32_t acc_ = 0;
  int count_ = 0;
};

// Shrink: LZW with explicit widening, and a partial clear after every
// clear_every emitted codes (when the last code is a literal).
inline std::string Shrink(const std::string& data, int clear_every = 0) {
  constexpr int kTable = 8192;
  constexpr std::uint16_t kFree = 0xFFFF;
  std::vector<std::uint16_t> prefix(kTable, kFree);
  std::vector<std::uint8_t> suffix(kTable, 0);
  std::unordered_map<std::uint32_t, int> codes;
  BitWriter out;
  int width = 9, free_code = 257, emitted = 0;
  auto next_free = [&](int from) {
    while (from < kTable && prefix[from] != kFree) ++from;
    return from;
  };
  auto emit = [&](int code) {
    while (code >= (1 << width)) {
      out.Put(256, width);
      out.Put(1, width);
      ++width;
    }
    out.Put(static_cast<std::uint32_t>(code), width);
    ++emitted;
  };
  if (data.empty()) return {};
  int w = static_cast<std::uint8_t>(data[0]);
  for (std::size_t i = 1; i < data.size(); ++i) {
    std::uint8_t c = static_cast<std::uint8_t>(data[i]);
    auto it = codes.find(static_cast<std::uint32_t>(w) << 8 | c);
    if (it != codes.end()) {
      w = it->second;
      continue;
    }
    emit(w);
    if (clear_every && w < 256 && emitted % clear_every == 0) {
      out.Put(256, width);
      out.Put(2, width);
      std::vector<bool> is_prefix(kTable, false);
      for (int k = 257; k < kTable; ++k)
        if (prefix[k] != kFree && prefix[k] >= 257) is_prefix[prefix[k]] = true;
      for (int k = 257; k < kTable; ++k)
        if (prefix[k] != kFree && !is_prefix[k]) {
          codes.erase(static_cast<std::uint32_t>(prefix[k]) << 8 | suffix[k]);
          prefix[k] = kFree;
        }
      free_code = next_free(257);
    }
    if (free_code < kTable) {
      prefix[free_code] = static_cast<std::uint16_t>(w);
      suffix[free_code] = c;
      codes[static_cast<std::uint32_t>(w) << 8 | c] = free_code;
      free_code = next_free(free_code + 1);
    }
    w = c;
  }
  emit(w);
  return out.Finish();
}

// Reduce with compression factor 1 to 4: DLE runs for repeats, then follower
// sets of up to 32 successors per character.
inline std::string Reduce(const std::string& data, int factor) {
  static constexpr int kLengthMask[] = {0x7F, 0x3F, 0x1F, 0x0F};
  static constexpr int kShift[] = {7, 6, 5, 4};
  static constexpr int kDistMask[] = {1, 3, 7, 15};
  const int f = factor - 1;
  const std::size_t max_distance = static_cast<std::size_t>(kDistMask[f] + 1) * 256;
  const std::size_t max_length = static_cast<std::size_t>(kLengthMask[f]) + 255 + 3;
  std::vector<std::uint8_t> dle;
  std::unordered_map<std::uint32_t, std::size_t> last_seen;
  for (std::size_t i = 0; i < data.size();) {
    std::size_t best_len = 0, best_dist = 0;
    if (i + 3 <= data.size()) {
      std::uint32_t key = static_cast<std::uint8_t>(data[i]) |
                          static_cast<std::uint8_t>(data[i + 1]) << 8 |
                          static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[i + 2])) << 16;
      auto it = last_seen.find(key);
      if (it != last_seen.end() && i - it->second <= max_distance) {
        std::size_t j = it->second, len = 0;
        while (i + len < data.size() && len < max_length && data[j + len] == data[i + len]) ++len;
        best_len = len;
        best_dist = i - j;
      }
      last_seen[key] = i;
    }
    int lowlen = static_cast<int>(std::min<std::size_t>(best_len >= 3 ? best_len - 3 : 0,
                                                        static_cast<std::size_t>(kLengthMask[f])));
    int hi = static_cast<int>((best_dist - 1) >> 8);
    int v = (hi << kShift[f]) | lowlen;
    if (best_len >= 3 && v != 0) {
      dle.push_back(0x90);
      dle.push_back(static_cast<std::uint8_t>(v));
      if (lowlen == kLengthMask[f]) dle.push_back(static_cast<std::uint8_t>(best_len - 3 - lowlen));
      dle.push_back(static_cast<std::uint8_t>((best_dist - 1) & 0xFF));
      i += best_len;
    } else {
      std::uint8_t c = static_cast<std::uint8_t>(data[i]);
      dle.push_back(c);
      if (c == 0x90) dle.push_back(0);
      ++i;
    }
  }
  // Follower sets: the most frequent successors of each character.
  std::array<std::map<std::uint8_t, int>, 256> freq;
  std::uint8_t last = 0;
  for (std::uint8_t c : dle) {
    ++freq[last][c];
    last = c;
  }
  std::array<std::vector<std::uint8_t>, 256> sets;
  for (int j = 0; j < 256; ++j) {
    std::vector<std::pair<int, std::uint8_t>> v;
    for (auto [c, n] : freq[j]) v.emplace_back(-n, c);
    std::sort(v.begin(), v.end());
    for (std::size_t k = 0; k < v.size() && k < 32; ++k) sets[j].push_back(v[k].second);
  }
  auto bits_for = [](int n) {
    int b = 1;
    while ((1 << b) < n) ++b;
    return b;
  };
  BitWriter out;
  for (int j = 255; j >= 0; --j) {
    out.Put(static_cast<std::uint32_t>(sets[j].size()), 6);
    for (std::uint8_t c : sets[j]) out.Put(c, 8);
  }
  last = 0;
  for (std::uint8_t c : dle) {
    const auto& set = sets[last];
    if (set.empty()) {
      out.Put(c, 8);
    } else {
      auto it = std::find(set.begin(), set.end(), c);
      if (it == set.end()) {
        out.Put(1, 1);
        out.Put(c, 8);
      } else {
        out.Put(0, 1);
        out.Put(static_cast<std::uint32_t>(it - set.begin()),
                bits_for(static_cast<int>(set.size())));
      }
    }
    last = c;
  }
  return out.Finish();
}

// Implode with the 4 or 8 KB window, with or without the literal tree.
inline std::string Implode(const std::string& data, bool big_window, bool literal_tree) {
  // Complete trees of varied code lengths.
  std::vector<int> len_lengths(64), dist_lengths(64), lit_lengths(256, 0);
  for (int s = 0; s < 64; ++s) len_lengths[s] = s < 2 ? 2 : s < 6 ? 4 : s < 12 ? 7 : 8;
  dist_lengths = len_lengths;
  std::array<int, 256> freq{};
  for (char c : data) ++freq[static_cast<std::uint8_t>(c)];
  std::vector<int> order(256);
  for (int i = 0; i < 256; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return freq[a] > freq[b]; });
  for (int k = 0; k < 256; ++k) lit_lengths[order[k]] = k < 16 ? 6 : k < 160 ? 8 : 9;

  struct Codes {
    std::vector<std::uint32_t> code;
    std::vector<int> len;
  };
  auto canonical = [](const std::vector<int>& lengths) {
    Codes c{std::vector<std::uint32_t>(lengths.size()), lengths};
    std::array<int, 17> count{};
    for (int l : lengths) ++count[l];
    std::array<std::uint32_t, 17> next{};
    std::uint32_t code = 0;
    for (int l = 1; l <= 16; ++l) {
      code = (code + static_cast<std::uint32_t>(count[l - 1])) << 1;
      next[l] = code;
    }
    next[1] = 0;
    code = 0;
    for (int l = 1; l <= 16; ++l) {
      next[l] = code;
      code = (code + static_cast<std::uint32_t>(count[l])) << 1;
    }
    for (std::size_t s = 0; s < lengths.size(); ++s) c.code[s] = next[lengths[s]]++;
    return c;
  };
  Codes lit = canonical(lit_lengths), lens = canonical(len_lengths),
        dists = canonical(dist_lengths);
  BitWriter out;
  auto put_tree = [&](const std::vector<int>& lengths) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < lengths.size();) {
      std::size_t run = 1;
      while (i + run < lengths.size() && run < 16 && lengths[i + run] == lengths[i]) ++run;
      bytes.push_back(static_cast<std::uint8_t>(((run - 1) << 4) | (lengths[i] - 1)));
      i += run;
    }
    out.Put(static_cast<std::uint32_t>(bytes.size() - 1), 8);
    for (std::uint8_t b : bytes) out.Put(b, 8);
  };
  // Shannon-Fano codes are the complement of the canonical ones, sent from
  // their most significant bit.
  auto put_code = [&](const Codes& c, int symbol) {
    for (int b = c.len[symbol] - 1; b >= 0; --b) out.Put(((c.code[symbol] >> b) & 1u) ^ 1u, 1);
  };
  if (literal_tree) put_tree(lit_lengths);
  put_tree(len_lengths);
  put_tree(dist_lengths);
  const int low_bits = big_window ? 7 : 6;
  const std::size_t min_match = literal_tree ? 3 : 2;
  const std::size_t window = big_window ? 8192 : 4096;
  const std::size_t max_len = min_match + 63 + 255;
  std::unordered_map<std::uint32_t, std::size_t> last_seen;
  for (std::size_t i = 0; i < data.size();) {
    std::size_t best_len = 0, best_dist = 0;
    if (i + 3 <= data.size()) {
      std::uint32_t key = static_cast<std::uint8_t>(data[i]) |
                          static_cast<std::uint8_t>(data[i + 1]) << 8 |
                          static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[i + 2])) << 16;
      auto it = last_seen.find(key);
      if (it != last_seen.end() && i - it->second <= window) {
        std::size_t j = it->second, len = 0;
        while (i + len < data.size() && len < max_len && data[j + len] == data[i + len]) ++len;
        best_len = len;
        best_dist = i - j;
      }
      last_seen[key] = i;
    }
    if (best_len >= min_match) {
      std::size_t d = best_dist - 1;
      out.Put(0, 1);
      out.Put(static_cast<std::uint32_t>(d & ((1u << low_bits) - 1)), low_bits);
      put_code(dists, static_cast<int>(d >> low_bits));
      std::size_t l = best_len - min_match;
      if (l >= 63) {
        put_code(lens, 63);
        out.Put(static_cast<std::uint32_t>(l - 63), 8);
      } else {
        put_code(lens, static_cast<int>(l));
      }
      i += best_len;
    } else {
      out.Put(1, 1);
      std::uint8_t c = static_cast<std::uint8_t>(data[i]);
      if (literal_tree)
        put_code(lit, c);
      else
        out.Put(c, 8);
      ++i;
    }
  }
  return out.Finish();
}

// One entry of a hand-made archive: its stored name and bytes as they lie in
// the file. Unset sizes and CRC follow the data; setting them makes an entry
// that lies about itself.
struct RawEntry {
  std::string name;
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
  std::string compressed;
  std::string original;
  std::optional<std::uint32_t> declared_size;  // the uncompressed size both headers claim
  std::string extra;                           // the extra field of both headers
  std::uint32_t local_signature = 0x04034B50;
};

// An archive of the entries, central directory and end record included.
inline std::string RawArchiveOf(const std::vector<RawEntry>& entries) {
  std::string out;
  std::string central;
  for (const RawEntry& r : entries) {
    std::uint32_t crc = ~UpdateCrc(
        0xFFFFFFFF, reinterpret_cast<const std::uint8_t*>(r.original.data()), r.original.size());
    LocalFileHeader l;
    l.signature = r.local_signature;
    l.version_needed = 10;
    l.flags = r.flags;
    l.method = r.method;
    l.date_time = (45u << 25) | (6u << 21) | (15u << 16) | (12u << 11);
    l.crc32 = crc;
    l.compressed_size = static_cast<std::uint32_t>(r.compressed.size());
    l.uncompressed_size = r.declared_size.value_or(static_cast<std::uint32_t>(r.original.size()));
    l.name_length = static_cast<std::uint16_t>(r.name.size());
    l.extra_length = static_cast<std::uint16_t>(r.extra.size());
    std::string lh(30, '\0');
    l.Write(reinterpret_cast<std::uint8_t*>(lh.data()));
    CentralDirHeader c;
    c.signature = 0x02014B50;
    c.version_made_by = 10;
    c.version_needed = 10;
    c.flags = r.flags;
    c.method = r.method;
    c.date_time = l.date_time;
    c.crc32 = crc;
    c.compressed_size = l.compressed_size;
    c.uncompressed_size = l.uncompressed_size;
    c.name_length = l.name_length;
    c.extra_length = l.extra_length;
    c.external_attributes = 0x20;
    c.local_header_offset = static_cast<std::uint32_t>(out.size());
    std::string ch(46, '\0');
    c.Write(reinterpret_cast<std::uint8_t*>(ch.data()));
    out += lh + r.name + r.extra + r.compressed;
    central += ch + r.name + r.extra;
  }
  EndCentralRecord e;
  e.entries_this_disk = e.entries_total = static_cast<std::uint16_t>(entries.size());
  e.central_size = static_cast<std::uint32_t>(central.size());
  e.central_offset = static_cast<std::uint32_t>(out.size());
  std::string er(22, '\0');
  e.Write(reinterpret_cast<std::uint8_t*>(er.data()));
  return out + central + er;
}

// A one-entry archive with the given method, flags and compressed bytes.
inline std::string RawArchive(const std::string& name, std::uint16_t method, std::uint16_t flags,
                              const std::string& compressed, const std::string& original) {
  RawEntry r;
  r.name = name;
  r.method = method;
  r.flags = flags;
  r.compressed = compressed;
  r.original = original;
  return RawArchiveOf({r});
}

}  // namespace kelmo::zip::test
