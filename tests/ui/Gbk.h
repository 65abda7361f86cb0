// Test helper: a UTF-8 text in code page 936, so that tests can state the
// Chinese texts they expect readably and compare them with the program's
// escaped bytes.
#pragma once

#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>

inline std::string gbk(std::string_view utf8)
{
    int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                  static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    int m = ::WideCharToMultiByte(936, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(m), '\0');
    ::WideCharToMultiByte(936, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}
#else
#include <iconv.h>

#include <stdexcept>

inline std::string gbk(std::string_view utf8)
{
    iconv_t cd = ::iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv cannot convert UTF-8 to GBK here");
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* inp = in.data();
    char* outp = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    std::size_t r = ::iconv(cd, &inp, &inLeft, &outp, &outLeft);
    ::iconv_close(cd);
    if (r == static_cast<std::size_t>(-1))
        throw std::runtime_error("text has no form in GBK");
    out.resize(out.size() - outLeft);
    return out;
}
#endif
