// Code pages 866 and 1251: one table of Unicode code points per page, the
// reverse tables and the UTF-8 forms derived from it once.
#include "code_pages.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kelmo::bytes {
namespace {

// Unicode code points of bytes 0x80 to 0xFF; U+FFFD marks a byte that has no
// character.
constexpr std::array<char16_t, 128> kCp866 = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B,
    0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433,
    0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B,
    0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};
constexpr std::array<char16_t, 128> kCp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};
constexpr char16_t kNoCharacter = 0xFFFD;
// What NextUtf8 gives for a byte that does not start a valid sequence.
constexpr char32_t kInvalid = 0x110000;

char16_t ToUnicode(CodePage cp, unsigned char b) {
  return b < 0x80 ? b : (cp == CodePage::Cp866 ? kCp866 : kCp1251)[b - 0x80];
}

// Everything derived from one page's table: the UTF-8 form of each byte
// (length, then up to 3 bytes) and the byte of each character of the Basic
// Multilingual Plane (0 where the page has none).
struct PageForms {
  std::array<std::array<char, 4>, 256> utf8{};
  std::array<unsigned char, 0x10000> byteOf{};
  explicit PageForms(CodePage cp) {
    for (int b = 0; b < 256; ++b) {
      char16_t u = ToUnicode(cp, static_cast<unsigned char>(b));
      std::string s;
      AppendUtf8(s, u);
      utf8[b][0] = static_cast<char>(s.size());
      for (std::size_t i = 0; i < s.size(); ++i) utf8[b][i + 1] = s[i];
      if (b != 0 && u != kNoCharacter) byteOf[u] = static_cast<unsigned char>(b);
    }
  }
  // The byte of a code point, or -1.
  int ByteOf(char32_t c) const {
    if (c == 0) return 0;
    return c < byteOf.size() && byteOf[c] != 0 ? byteOf[c] : -1;
  }
};

const PageForms& FormsOf(CodePage cp) {
  static const PageForms oem(CodePage::Cp866);
  static const PageForms ansi(CodePage::Cp1251);
  return cp == CodePage::Cp866 ? oem : ansi;
}

// Decodes one UTF-8 sequence at s[i]; a byte that starts no valid sequence
// gives kInvalid and counts as one byte.
char32_t NextUtf8(std::string_view s, std::size_t& i) {
  unsigned char b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  int extra = (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
  if (extra < 0 || i + extra >= s.size()) {
    ++i;
    return kInvalid;
  }
  char32_t c = b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char n = static_cast<unsigned char>(s[i + k]);
    if ((n & 0xC0) != 0x80) {
      ++i;
      return kInvalid;
    }
    c = (c << 6) | (n & 0x3F);
  }
  i += extra + 1;
  return c;
}

// Byte-to-byte tables between the two code pages, '?' where a character has
// no counterpart.
struct Translation {
  std::array<unsigned char, 256> oemToAnsi{};
  std::array<unsigned char, 256> ansiToOem{};
  Translation() {
    for (int b = 0; b < 256; ++b) {
      auto ub = static_cast<unsigned char>(b);
      int a = FormsOf(CodePage::Cp1251).ByteOf(ToUnicode(CodePage::Cp866, ub));
      oemToAnsi[b] = static_cast<unsigned char>(a < 0 ? '?' : a);
      int o = FormsOf(CodePage::Cp866).ByteOf(ToUnicode(CodePage::Cp1251, ub));
      ansiToOem[b] = static_cast<unsigned char>(o < 0 ? '?' : o);
    }
  }
};

const Translation& Translations() {
  static const Translation t;
  return t;
}

void Translate(const std::array<unsigned char, 256>& table, const char* source, char* destination,
               std::size_t length) {
  for (std::size_t i = 0; i < length; ++i)
    destination[i] = static_cast<char>(table[static_cast<unsigned char>(source[i])]);
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void DecodeToUtf8(std::string_view bytes, CodePage cp, std::string& out) {
  out.resize(bytes.size() * 3);
  const auto& forms = FormsOf(cp).utf8;
  char* to = out.data();
  std::size_t n = 0;
  for (unsigned char b : bytes) {
    if (b < 0x80) {
      to[n++] = static_cast<char>(b);
    } else {
      // Three bytes are always copied (room for them is left after every
      // byte decoded so far); the form's length says how many count.
      const auto& f = forms[b];
      std::memcpy(to + n, f.data() + 1, 3);
      n += static_cast<std::size_t>(f[0]);
    }
  }
  out.resize(n);
}

std::string DecodeToUtf8(std::string_view bytes, CodePage cp) {
  std::string out;
  DecodeToUtf8(bytes, cp, out);
  return out;
}

bool EncodeFromUtf8(std::string_view utf8, CodePage cp, std::string& out) {
  const PageForms& forms = FormsOf(cp);
  out.clear();
  out.reserve(utf8.size());
  bool exact = true;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = NextUtf8(utf8, i);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    int b = forms.ByteOf(c);
    if (b < 0) {
      out += '?';
      exact = false;
    } else {
      out += static_cast<char>(b);
    }
  }
  return exact;
}

std::string EncodeFromUtf8(std::string_view utf8, CodePage cp) {
  std::string out;
  EncodeFromUtf8(utf8, cp, out);
  return out;
}

void AnsiToOemBuffer(const char* source, char* destination, std::size_t length) {
  Translate(Translations().ansiToOem, source, destination, length);
}

void OemToAnsiBuffer(const char* source, char* destination, std::size_t length) {
  Translate(Translations().oemToAnsi, source, destination, length);
}

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();)
    if (NextUtf8(s, i) == kInvalid) return false;
  return true;
}

}  // namespace kelmo::bytes
