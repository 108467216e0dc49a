// Code pages 866 (OEM) and 1251 (Windows): the OEM translation of the
// operating-system layer and the UTF-8 edge for Unicode callers. Linear in the
// text; characters without a counterpart become '?'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelmo::dbf {

enum class CodePage { Cp866, Cp1251 };

// Source and destination may be the same buffer.
void AnsiToOemBuffer(const char* source, char* destination, size_t length);
void OemToAnsiBuffer(const char* source, char* destination, size_t length);

std::string DecodeToUtf8(std::string_view bytes, CodePage cp);
// The same into a caller's buffer (replaced), so that scans reuse one buffer.
void DecodeToUtf8(std::string_view bytes, CodePage cp, std::string& out);
std::string EncodeFromUtf8(std::string_view utf8, CodePage cp);

}  // namespace kelmo::dbf
