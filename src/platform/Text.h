// Byte strings in the ANSI code page (936 for this program).
//
// A Text is a std::string of code-page bytes; an empty string is also what a
// missing text reads as. A byte of 0x80 or above starts a double-byte
// character, and every walk below steps over such a byte and the one after it,
// so a trail byte that happens to equal an ASCII letter, a space or '?' is
// never mistaken for one.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

using Text = std::string;

namespace text {

inline constexpr std::size_t npos = std::string_view::npos;

inline bool isLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Length of the character that starts at s[i]: 2 for a lead byte that has a
// byte after it, otherwise 1.
inline std::size_t charLength(std::string_view s, std::size_t i)
{
    return (isLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
}

Text concat(std::initializer_list<std::string_view> pieces);

// 'A'..'Z' become 'a'..'z'; double-byte characters are left as they are.
Text toLower(std::string_view s);

// Removes half-width (0x20) and full-width (0xA1 0xA1) spaces at both ends.
std::string_view trimSpaces(std::string_view s);

// Position of the first single-byte character c, or npos.
std::size_t findChar(std::string_view s, char c);

} // namespace text
