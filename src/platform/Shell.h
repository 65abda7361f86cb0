// Shell item identifiers and opening documents or addresses, over the ANSI
// shell API. Platform error convention (see Handle.h).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <utility>

// Owning wrapper of an item identifier list that the shell allocated with the
// COM task allocator: freed once with CoTaskMemFree, movable, not copyable.
// CoTaskMemFree takes NULL as well, so an empty wrapper is freed just the same
// and no caller has to tell the two apart.
class Pidl {
public:
    Pidl() = default;
    explicit Pidl(LPITEMIDLIST p) : p_(p) {}
    ~Pidl() { ::CoTaskMemFree(p_); }

    Pidl(const Pidl&) = delete;
    Pidl& operator=(const Pidl&) = delete;
    Pidl(Pidl&& other) noexcept : p_(other.release()) {}
    Pidl& operator=(Pidl&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    explicit operator bool() const { return p_ != nullptr; }
    LPITEMIDLIST get() const { return p_; }

    LPITEMIDLIST release() { return std::exchange(p_, nullptr); }
    void reset(LPITEMIDLIST p = nullptr)
    {
        ::CoTaskMemFree(std::exchange(p_, p));
    }
    // For calls that hand back a new list through a pointer: frees the
    // current one first.
    LPITEMIDLIST* receive()
    {
        reset();
        return &p_;
    }

private:
    LPITEMIDLIST p_ = nullptr;
};

namespace shell {

// Opens a document or an address with whatever the user has set up for it
// (the browser for a web address). False when the shell could not.
inline bool open(HWND owner, const std::string& target)
{
    auto r = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return r > 32;
}

} // namespace shell
