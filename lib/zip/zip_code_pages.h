// Code-page conversion of stored entry names: DOS 866 ("OEM") and Windows
// 1251 ("ANSI") to and from UTF-8. Linear in the length of the name.
#pragma once

#include <string>
#include <string_view>

namespace kelmo::zip {

enum class CodePage { Dos866, Win1251 };

// Bytes of the code page to UTF-8; every byte has a form.
std::string ToUtf8(std::string_view bytes, CodePage cp);
// UTF-8 to the code page; a character without a form becomes "?" and the
// result is false.
bool FromUtf8(std::string_view utf8, CodePage cp, std::string& out);
bool IsAscii(std::string_view s);
bool IsValidUtf8(std::string_view s);

}  // namespace kelmo::zip
