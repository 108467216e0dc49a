// Code pages 866 (DOS, "OEM") and 1251 (Windows, "ANSI"): conversion between
// them and to and from the UTF-8 that text has inside this program. Linear in
// the text; a character without a form in the target becomes '?'.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelmo::bytes {

enum class CodePage { Cp866, Cp1251 };

// Bytes of the code page to UTF-8; every byte has a form.
std::string DecodeToUtf8(std::string_view bytes, CodePage cp);
// The same into a caller's buffer (replaced), so that scans reuse one buffer.
void DecodeToUtf8(std::string_view bytes, CodePage cp, std::string& out);
// UTF-8 to the code page; characters without a form (and invalid UTF-8)
// become '?'.
std::string EncodeFromUtf8(std::string_view utf8, CodePage cp);
// The same into out (replaced); false when some character had no form.
bool EncodeFromUtf8(std::string_view utf8, CodePage cp, std::string& out);

// Byte-for-byte translation between the two pages; source and destination
// may be the same buffer.
void AnsiToOemBuffer(const char* source, char* destination, std::size_t length);
void OemToAnsiBuffer(const char* source, char* destination, std::size_t length);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t c);
bool IsAscii(std::string_view s);
bool IsValidUtf8(std::string_view s);

}  // namespace kelmo::bytes
