#include "ui/Runtime.h"

#include "ui/Form.h"

#include <windows.h>

#include <string>

namespace runtime {

namespace {

std::function<void()>& exitRoutine()
{
    static std::function<void()> routine;
    return routine;
}

void dispatch(MSG& msg)
{
    if (Form::routeMessage(msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

} // namespace

bool enterProgramFolder()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return false;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    // The folder is everything before the last backslash. A byte after a
    // lead byte is never taken for one.
    std::size_t lastSlash = std::string::npos;
    for (std::size_t i = 0; i < path.size(); i += text::charLength(path, i)) {
        if (path[i] == '\\')
            lastSlash = i;
    }
    if (lastSlash == std::string::npos)
        return false;
    std::string folder = path.substr(0, lastSlash);
    if (folder.size() == 2 && folder[1] == ':')
        folder += '\\'; // "C:" alone would be C:'s current folder
    return ::SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

int runMessageLoop()
{
    MSG msg;
    for (;;) {
        BOOL r = ::GetMessageA(&msg, nullptr, 0, 0);
        if (r == 0)
            return static_cast<int>(msg.wParam);
        if (r == -1)
            return -1;
        dispatch(msg);
    }
}

void processPendingEvents()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The loop is to end: leave the request for it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

void setExitRoutine(std::function<void()> routine)
{
    exitRoutine() = std::move(routine);
}

void runExitRoutine()
{
    std::function<void()> routine = std::move(exitRoutine());
    exitRoutine() = nullptr;
    if (routine)
        routine();
}

} // namespace runtime
