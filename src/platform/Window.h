// Texts of windows and controls, over the ANSI window API.
#pragma once

#include "platform/Text.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace window {

// The window's text in the ANSI code page; empty for no window. A character
// the code page lacks reads as '?' here (see wideText).
inline Text text(HWND hwnd)
{
    int length = ::GetWindowTextLengthA(hwnd);
    if (length <= 0)
        return {};
    Text buffer(static_cast<std::size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(hwnd, buffer.data(), length + 1);
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return buffer;
}

// The window's text as the window itself keeps it, in UTF-16.
inline std::wstring wideText(HWND hwnd)
{
    int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return buffer;
}

inline bool setText(HWND hwnd, std::string_view value)
{
    return ::SetWindowTextA(hwnd, std::string(value).c_str()) != FALSE;
}

// Whether every character of s has a form of its own in code page cp: no
// default character and no "best fit" look-alike would stand in for one.
inline bool fitsCodePage(std::wstring_view s, UINT cp)
{
    if (s.empty())
        return true;
    BOOL usedDefault = FALSE;
    int n = ::WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<int>(s.size()),
                                  nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    std::string bytes(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<int>(s.size()),
                          bytes.data(), n, nullptr, &usedDefault);
    if (usedDefault)
        return false;
    // The way back must give the same characters.
    int m = ::MultiByteToWideChar(cp, 0, bytes.data(), n, nullptr, 0);
    std::wstring back(static_cast<std::size_t>(m > 0 ? m : 0), L'\0');
    if (m > 0)
        ::MultiByteToWideChar(cp, 0, bytes.data(), n, back.data(), m);
    return back == s;
}

} // namespace window
