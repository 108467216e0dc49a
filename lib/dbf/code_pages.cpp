// Code pages 866 (OEM) and 1251 (Windows) of the DBF engine: conversion
// between them (the OEM translation of the operating-system layer) and to and
// from UTF-8 for the layers that hand text to Unicode code.
#include "code_pages.h"

#include <array>

namespace kelmo::dbf {

namespace {

// Unicode of the bytes 0x80-0xFF.
constexpr uint16_t kCp866[128] = {
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
constexpr uint16_t kCp1251[128] = {
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

const uint16_t* TableOf(CodePage cp) {
  return cp == CodePage::Cp866 ? kCp866 : kCp1251;
}

uint16_t ToUnicode(CodePage cp, unsigned char b) {
  return b < 0x80 ? b : TableOf(cp)[b - 0x80];
}

int FromUnicode(CodePage cp, uint32_t u) {
  if (u < 0x80) return static_cast<int>(u);
  const uint16_t* t = TableOf(cp);
  for (int i = 0; i < 128; ++i) {
    if (t[i] == u && u != 0xFFFD) return 0x80 + i;
  }
  return -1;
}

// Byte-to-byte tables between the two code pages, '?' where a character has
// no counterpart.
struct Translation {
  std::array<unsigned char, 256> oemToAnsi{};
  std::array<unsigned char, 256> ansiToOem{};
  Translation() {
    for (int b = 0; b < 256; ++b) {
      int a =
          FromUnicode(CodePage::Cp1251, ToUnicode(CodePage::Cp866, static_cast<unsigned char>(b)));
      oemToAnsi[b] = static_cast<unsigned char>(a < 0 ? '?' : a);
      int o =
          FromUnicode(CodePage::Cp866, ToUnicode(CodePage::Cp1251, static_cast<unsigned char>(b)));
      ansiToOem[b] = static_cast<unsigned char>(o < 0 ? '?' : o);
    }
  }
};

const Translation& Tables() {
  static const Translation t;
  return t;
}

void AppendUtf8(std::string& out, uint32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

}  // namespace

void AnsiToOemBuffer(const char* source, char* destination, size_t length) {
  const auto& t = Tables().ansiToOem;
  for (size_t i = 0; i < length; ++i) {
    destination[i] = static_cast<char>(t[static_cast<unsigned char>(source[i])]);
  }
}

void OemToAnsiBuffer(const char* source, char* destination, size_t length) {
  const auto& t = Tables().oemToAnsi;
  for (size_t i = 0; i < length; ++i) {
    destination[i] = static_cast<char>(t[static_cast<unsigned char>(source[i])]);
  }
}

// The UTF-8 form of every byte of a code page: length, then up to 3 bytes.
struct Utf8Forms {
  std::array<std::array<char, 4>, 256> form{};
  explicit Utf8Forms(CodePage cp) {
    for (int b = 0; b < 256; ++b) {
      std::string s;
      AppendUtf8(s, ToUnicode(cp, static_cast<unsigned char>(b)));
      form[b][0] = static_cast<char>(s.size());
      for (size_t i = 0; i < s.size(); ++i) form[b][i + 1] = s[i];
    }
  }
};

const Utf8Forms& FormsOf(CodePage cp) {
  static const Utf8Forms oem(CodePage::Cp866);
  static const Utf8Forms ansi(CodePage::Cp1251);
  return cp == CodePage::Cp866 ? oem : ansi;
}

void DecodeToUtf8(std::string_view bytes, CodePage cp, std::string& out) {
  out.resize(bytes.size() * 3);
  const auto& forms = FormsOf(cp).form;
  size_t n = 0;
  for (unsigned char b : bytes) {
    if (b < 0x80) {
      out[n++] = static_cast<char>(b);
    } else {
      const auto& f = forms[b];
      for (int i = 1; i <= f[0]; ++i) out[n++] = f[static_cast<size_t>(i)];
    }
  }
  out.resize(n);
}

std::string DecodeToUtf8(std::string_view bytes, CodePage cp) {
  std::string out;
  DecodeToUtf8(bytes, cp, out);
  return out;
}

std::string EncodeFromUtf8(std::string_view utf8, CodePage cp) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t u = 0;
    int extra = 0;
    if (c < 0x80) {
      u = c;
    } else if ((c & 0xE0) == 0xC0) {
      u = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      u = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      u = c & 0x07;
      extra = 3;
    } else {
      out += '?';
      ++i;
      continue;
    }
    ++i;
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) {
      u = (u << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    }
    int b = FromUnicode(cp, u);
    out += static_cast<char>(b < 0 ? '?' : b);
  }
  return out;
}

}  // namespace kelmo::dbf
