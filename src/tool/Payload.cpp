#include "tool/Payload.h"

#include <windows.h>

namespace {

std::string_view resourceBytes(const char* name)
{
    // Resources of the executable itself; a loaded resource needs no release.
    HRSRC info = ::FindResourceA(nullptr, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!info)
        return {};
    HGLOBAL loaded = ::LoadResource(nullptr, info);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const char*>(bytes), ::SizeofResource(nullptr, info)};
}

} // namespace

std::string_view toolPayload()
{
    static const std::string_view bytes = resourceBytes("WGET_EXE");
    return bytes;
}

std::string_view caBundlePayload()
{
    static const std::string_view bytes = resourceBytes("CA_BUNDLE");
    return bytes;
}
