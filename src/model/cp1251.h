// Windows-1251 <-> UTF-8 for the edges that have no Qt (tests, factory texts, the
// command-line tool). Every Windows-1251 byte has a Unicode character except 0x98.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tk {

// Converts UTF-8 to Windows-1251. Returns nothing when the input is not valid UTF-8
// or holds a character that Windows-1251 lacks; badChar then receives that
// character's code point (0 for malformed UTF-8) when given.
std::optional<std::string> utf8ToCp1251(std::string_view utf8, char32_t* badChar = nullptr);

// Converts Windows-1251 to UTF-8. The one unassigned byte 0x98 becomes U+FFFD.
std::string cp1251ToUtf8(std::string_view cp1251);

// The code points of a UTF-8 text; nothing when it is not valid UTF-8.
std::optional<std::u32string> utf8ToCodePoints(std::string_view utf8);
// The UTF-8 of code points (any Unicode scalar value).
std::string codePointsToUtf8(std::u32string_view text);

// utf8ToCp1251 for texts known to be representable (literals of the program).
std::string cp1251(std::string_view utf8);

} // namespace tk
