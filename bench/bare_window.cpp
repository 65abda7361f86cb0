// The smallest window program there is: one top-level window, shown, and a
// message loop. What starting any window program costs under Wine, to set
// beside the start of velmora.exe (program_bench start).
#include <windows.h>

namespace {

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BareWindow";
    if (!::RegisterClassA(&wc))
        return 1;
    HWND window = ::CreateWindowExA(0, wc.lpszClassName, "bare window",
                                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 415, 287, nullptr, nullptr,
                                    instance, nullptr);
    if (!window)
        return 1;
    ::ShowWindow(window, show);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
