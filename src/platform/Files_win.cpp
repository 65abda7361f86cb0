#include "platform/Files.h"

#include "platform/Handle.h"

#include <windows.h>

namespace files {

std::optional<std::string> readAll(const Text& path)
{
    Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    for (std::size_t at = 0; at < bytes.size(); at += done) {
        if (!::ReadFile(file.get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &done,
                        nullptr) ||
            done == 0)
            return std::nullopt;
    }
    return bytes;
}

bool createNew(const Text& path, std::string_view bytes)
{
    Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    bool ok = true;
    DWORD done = 0;
    for (std::size_t at = 0; ok && at < bytes.size(); at += done) {
        ok = ::WriteFile(file.get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at),
                         &done, nullptr) &&
             done != 0;
    }
    ok = ok && ::FlushFileBuffers(file.get());
    if (!ok) {
        DWORD error = ::GetLastError();
        file.reset();
        ::DeleteFileA(path.c_str());
        ::SetLastError(error);
    }
    return ok;
}

bool exists(const Text& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace files
