#include "platform/Text.h"

namespace text {

namespace {
constexpr std::string_view FullWidthSpace = "\xA1\xA1";
}

Text concat(std::initializer_list<std::string_view> pieces)
{
    std::size_t total = 0;
    for (std::string_view p : pieces)
        total += p.size();
    Text out;
    out.reserve(total);
    for (std::string_view p : pieces)
        out.append(p);
    return out;
}

Text toLower(std::string_view s)
{
    Text out(s);
    for (std::size_t i = 0; i < out.size(); i += charLength(out, i)) {
        if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
    }
    return out;
}

std::string_view trimSpaces(std::string_view s)
{
    // Walk forward once: the trailing run can only be judged on character
    // boundaries, which are known only from the start.
    std::size_t begin = npos;
    std::size_t end = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t len = charLength(s, i);
        std::string_view ch = s.substr(i, len);
        if (ch != " " && ch != FullWidthSpace) {
            if (begin == npos)
                begin = i;
            end = i + len;
        }
        i += len;
    }
    if (begin == npos)
        return s.substr(0, 0);
    return s.substr(begin, end - begin);
}

std::size_t findChar(std::string_view s, char c)
{
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) {
        if (s[i] == c)
            return i;
    }
    return npos;
}

} // namespace text
