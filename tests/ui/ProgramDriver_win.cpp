#include "ProgramDriver.h"

#include <algorithm>

namespace {

using namespace std::chrono_literals;

std::string className(HWND hwnd)
{
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

bool sameText(const std::string& a, const char* b)
{
    return ::lstrcmpiA(a.c_str(), b) == 0;
}

const char* classOfKind(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
        return "Button";
    case ControlKind::Edit:
        return "Edit";
    case ControlKind::Label:
        return "Static";
    case ControlKind::Timer:
        break;
    }
    return "";
}

struct TopLevelSearch {
    DWORD pid;
    std::string caption;
    const char* cls;
    HWND found = nullptr;
};

BOOL CALLBACK findTopLevel(HWND hwnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<TopLevelSearch*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !::IsWindowVisible(hwnd))
        return TRUE;
    if (s->cls && !sameText(className(hwnd), s->cls))
        return TRUE;
    if (!s->caption.empty()) {
        char text[256] = {};
        ::GetWindowTextA(hwnd, text, sizeof text);
        if (s->caption != text)
            return TRUE;
    }
    s->found = hwnd;
    return FALSE;
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

} // namespace

HWND findTopLevelWindow(DWORD pid, const char* cls, std::string_view caption)
{
    TopLevelSearch s{pid, std::string(caption), cls};
    ::EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

int runScriptCount()
{
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA("C:\\\xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE*.bat", &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do
        ++n;
    while (::FindNextFileA(h, &found));
    ::FindClose(h);
    return n;
}

Text deployedToolPath()
{
    char dir[MAX_PATH] = {};
    ::GetSystemDirectoryA(dir, MAX_PATH);
    return Text(dir) + "\\wget.exe";
}

ProgramDriver::ProgramDriver(const char* exePath, std::string_view caption)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string commandLine = std::string("\"") + exePath + "\"";
    if (!::CreateProcessA(exePath, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &pi_))
        return;
    process_.reset(pi_.hProcess);
    thread_.reset(pi_.hThread);
    ::WaitForInputIdle(pi_.hProcess, 30000);
    for (int i = 0; i < 600 && !window_; ++i) {
        window_ = findTopLevelWindow(pi_.dwProcessId, nullptr, caption);
        if (!window_) {
            if (::WaitForSingleObject(pi_.hProcess, 50) == WAIT_OBJECT_0)
                break;
        }
    }
    if (window_)
        settle();
}

ProgramDriver::~ProgramDriver()
{
    if (!process_)
        return;
    if (::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        // Boxes first: a modal box would hold the close back.
        for (int i = 0; i < 10; ++i) {
            HWND box = waitForDialog(0ms);
            if (!box)
                break;
            dismiss(box);
            ::Sleep(100);
        }
        if (window_ && ::IsWindow(window_))
            ::PostMessageA(window_, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process_.get(), 15000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.get(), 1);
    }
}

std::vector<HWND> ProgramDriver::children() const
{
    std::vector<HWND> all;
    ::EnumChildWindows(window_, collectChild, reinterpret_cast<LPARAM>(&all));
    // Direct children only.
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](HWND h) { return ::GetParent(h) != window_; }),
              all.end());
    return all;
}

RECT ProgramDriver::clientRect(HWND child)
{
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND ProgramDriver::control(const ControlDesign& d) const
{
    for (HWND h : children()) {
        RECT r = clientRect(h);
        if (sameText(className(h), classOfKind(d.kind)) && r.left == d.left && r.top == d.top &&
            r.right - r.left == d.width && r.bottom - r.top == d.height)
            return h;
    }
    return nullptr;
}

void ProgramDriver::setText(HWND control, std::string_view text) const
{
    std::string t(text);
    ::SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
}

void ProgramDriver::setWideText(HWND control, const std::wstring& text) const
{
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

Text ProgramDriver::text(HWND control) const
{
    char buffer[4096] = {};
    LRESULT n = ::SendMessageA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return Text(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

void ProgramDriver::click(HWND button) const
{
    ::PostMessageA(button, BM_CLICK, 0, 0);
}

void ProgramDriver::setChecked(HWND check, bool on) const
{
    ::SendMessageA(check, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

HWND ProgramDriver::focus() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(pi_.dwThreadId, &info))
        return nullptr;
    return info.hwndFocus;
}

void ProgramDriver::press(WPARAM vk) const
{
    HWND target = focus();
    if (!target)
        target = window_;
    const UINT scan = ::MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    ::PostMessageA(target, WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(scan) << 16));
    ::PostMessageA(target, WM_KEYUP, vk, 1 | (static_cast<LPARAM>(scan) << 16) | (3u << 30));
    settle();
}

HWND ProgramDriver::waitForDialog(std::chrono::milliseconds limit) const
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (HWND found = findTopLevelWindow(pi_.dwProcessId, "#32770", ""))
            return found;
        if (std::chrono::steady_clock::now() >= end)
            return nullptr;
        ::Sleep(20);
    }
}

std::vector<Text> ProgramDriver::dialogTexts(HWND dialog)
{
    std::vector<HWND> all;
    ::EnumChildWindows(dialog, collectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<Text> texts;
    for (HWND h : all) {
        if (!sameText(className(h), "Static"))
            continue;
        char buffer[2048] = {};
        ::GetWindowTextA(h, buffer, sizeof buffer);
        texts.emplace_back(buffer);
    }
    return texts;
}

Text ProgramDriver::dialogMessage(HWND dialog)
{
    Text longest;
    for (Text& t : dialogTexts(dialog)) {
        if (t.size() > longest.size())
            longest = std::move(t);
    }
    return longest;
}

void ProgramDriver::dismiss(HWND dialog) const
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
        ::Sleep(20);
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
        ::Sleep(20);
    settle();
}

void ProgramDriver::cancel(HWND dialog) const
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
        ::Sleep(20);
    settle();
}

std::optional<DWORD> ProgramDriver::waitForExit(std::chrono::milliseconds limit) const
{
    if (::WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ProgramDriver::settle() const
{
    // Best effort: a sent message is answered once the program reads its
    // queue, and it counts as idle once the queue is empty. Tests that
    // expect a change poll for it.
    ::Sleep(30);
    DWORD_PTR ignored;
    if (window_ && ::IsWindow(window_))
        ::SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    ::WaitForInputIdle(process_.get(), 1000);
}
