// Owning wrapper of a kernel HANDLE: closed once, movable, not copyable.
//
// Error convention of the platform layer: a wrapper that can fail returns
// false, an empty optional or an invalid Handle, and leaves the reason in
// GetLastError(). Callers above the platform layer decide what a failure
// means to the user.
#pragma once

#include <windows.h>

#include <utility>

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { reset(); }

    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    // Some calls report failure as NULL, others (CreateFile, the toolhelp
    // snapshot) as INVALID_HANDLE_VALUE; neither is closed.
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    HANDLE get() const { return h_; }

    HANDLE release() { return std::exchange(h_, nullptr); }
    void reset(HANDLE h = nullptr)
    {
        if (valid())
            ::CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};
