#include "job/ScriptFile.h"

#include <string>

namespace {

// True when the last character is a single-byte backslash; a trail byte of
// 0x5C inside a double-byte character does not count.
bool endsWithSeparator(std::string_view s)
{
    bool last = false;
    for (std::size_t i = 0; i < s.size(); i += text::charLength(s, i))
        last = s[i] == '\\' || s[i] == '/';
    return last;
}

} // namespace

Text scriptCandidate(std::string_view folder, std::string_view baseName, unsigned n)
{
    std::string number = n >= 2 ? std::to_string(n) : std::string();
    std::string_view separator = folder.empty() || endsWithSeparator(folder) ? "" : "\\";
    return text::concat({folder, separator, baseName, number, ".bat"});
}
