#include "ui/Form.h"

#include "platform/Window.h"

#include <algorithm>
#include <string>

namespace {

constexpr char FormClassName[] = "VelmoraForm";
constexpr UINT FirstControlId = 1000; // clear of IDOK, IDCANCEL and the other dialog ids
constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_APPWINDOW;

// Every loaded form's window, for the message loop.
std::vector<HWND>& formWindows()
{
    static std::vector<HWND> windows;
    return windows;
}

bool isFormWindow(HWND hwnd)
{
    const auto& w = formWindows();
    return hwnd && std::find(w.begin(), w.end(), hwnd) != w.end();
}

HINSTANCE programModule()
{
    return ::GetModuleHandleA(nullptr);
}

bool registerFormClass()
{
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcA; // replaced per window once it is created
    wc.hInstance = programModule();
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = FormClassName;
    registered = ::RegisterClassExA(&wc) != 0;
    return registered;
}

bool modifierDown()
{
    return ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_SHIFT) < 0 ||
           ::GetKeyState(VK_MENU) < 0;
}

struct ControlClass {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass classOf(const ControlDesign& d, bool notify)
{
    switch (d.kind) {
    case ControlKind::Button:
        return {"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox:
        return {"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Edit:
        return {"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        return {"STATIC", SS_LEFT | SS_CENTERIMAGE | (notify ? SS_NOTIFY : 0u), 0};
    case ControlKind::Timer:
        break;
    }
    return {nullptr, 0, 0};
}

} // namespace

Form::Form(const FormDesign& design) : design_(design)
{
    UINT id = FirstControlId;
    for (const ControlDesign& d : design.controls)
        controls_.push_back(Control{&d, id++, nullptr, {}, 0});
}

Form::~Form()
{
    if (hwnd_) {
        quitOnDestroy_ = false;
        ::DestroyWindow(hwnd_);
    }
}

Form::Control* Form::find(std::string_view role)
{
    if (role.empty())
        return nullptr;
    for (Control& c : controls_) {
        if (c.design->role == role)
            return &c;
    }
    return nullptr;
}

const Form::Control* Form::find(std::string_view role) const
{
    return const_cast<Form*>(this)->find(role);
}

Form::Control* Form::findById(UINT id)
{
    for (Control& c : controls_) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

Form::Control* Form::findByWindow(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    for (Control& c : controls_) {
        if (c.hwnd == hwnd)
            return &c;
    }
    return nullptr;
}

void Form::setHandler(std::string_view role, Handler h)
{
    if (Control* c = find(role))
        c->handler = std::move(h);
}

void Form::onClick(std::string_view role, Handler h)
{
    setHandler(role, std::move(h));
}

void Form::onLeftPress(std::string_view role, Handler h)
{
    setHandler(role, std::move(h));
}

void Form::onElapsed(std::string_view role, Handler h)
{
    setHandler(role, std::move(h));
}

bool Form::load()
{
    if (hwnd_ || !registerFormClass())
        return false;

    // Centred on the primary screen, by whole pixels.
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - design_.width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - design_.height) / 2;
    const std::string caption(design_.caption);
    HWND hwnd = ::CreateWindowExA(FormExStyle, FormClassName, caption.c_str(), FormStyle, x, y,
                                  design_.width, design_.height, nullptr, nullptr, programModule(),
                                  nullptr);
    if (!hwnd)
        return false;
    hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::windowProc));
    formWindows().push_back(hwnd);

    if (iconId_ != 0) {
        // The icon as it is drawn (no resizing when loaded), for both sizes.
        HANDLE icon = ::LoadImageA(programModule(), MAKEINTRESOURCEA(iconId_), IMAGE_ICON, 0, 0,
                                   LR_SHARED);
        if (icon) {
            ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
    }

    if (!createControls()) {
        ::DestroyWindow(hwnd);
        return false;
    }
    if (created_)
        created_();
    if (!hwnd_) // the created handler closed it
        return false;
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd_);
    if (::GetForegroundWindow() != hwnd_)
        ::SetForegroundWindow(hwnd_);
    if (!lastFocus_)
        restoreFocus();
    return true;
}

bool Form::createControls()
{
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    // From the last row up, so that Tab walks them in that order.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control& c = *it;
        const ControlDesign& d = *c.design;
        if (d.kind == ControlKind::Timer)
            continue;
        const bool notify = d.kind == ControlKind::Label && (c.handler || d.handCursor);
        const ControlClass cls = classOf(d, notify);
        const std::string caption(d.caption);
        DWORD style = WS_CHILD | cls.style | (d.visible ? WS_VISIBLE : 0u);
        c.hwnd = ::CreateWindowExA(cls.exStyle, cls.className, caption.c_str(), style, d.left,
                                   d.top, d.width, d.height, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(c.id)),
                                   programModule(), nullptr);
        if (!c.hwnd)
            return false;
        ::SendMessageA(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (d.kind == ControlKind::Edit)
            ::SendMessageA(c.hwnd, EM_SETLIMITTEXT, 0, 0); // no limit of its own
    }
    return true;
}

HWND Form::control(std::string_view role) const
{
    const Control* c = find(role);
    return c ? c->hwnd : nullptr;
}

Text Form::text(std::string_view role) const
{
    return window::text(control(role));
}

void Form::setText(std::string_view role, std::string_view value)
{
    if (HWND h = control(role))
        window::setText(h, value);
}

bool Form::checked(std::string_view role) const
{
    HWND h = control(role);
    return h && ::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::setChecked(std::string_view role, bool on)
{
    if (HWND h = control(role))
        ::SendMessageA(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

unsigned Form::period(std::string_view role) const
{
    const Control* c = find(role);
    return c ? c->period : 0;
}

void Form::setPeriod(std::string_view role, unsigned ms)
{
    Control* c = find(role);
    if (!c || c->design->kind != ControlKind::Timer || c->period == ms)
        return;
    if (hwnd_) {
        if (ms == 0)
            ::KillTimer(hwnd_, c->id);
        else if (!::SetTimer(hwnd_, c->id, ms, nullptr))
            return;
    }
    c->period = ms;
}

void Form::close()
{
    if (hwnd_)
        ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void Form::saveFocus()
{
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus))
        lastFocus_ = focus;
}

void Form::restoreFocus()
{
    HWND target = lastFocus_;
    if (!target || !::IsWindow(target) || !::IsWindowVisible(target))
        target = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target)
        ::SetFocus(target);
}

bool Form::routeMessage(MSG& msg)
{
    if (!msg.hwnd)
        return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (!isFormWindow(root))
        return false;
    if (msg.message == WM_KEYDOWN && !modifierDown()) {
        if (msg.wParam == VK_ESCAPE) {
            ::SendMessageA(root, WM_CLOSE, 0, 0);
            return true;
        }
        // No button is the default one: Enter presses nothing.
        if (msg.wParam == VK_RETURN)
            return true;
    }
    if (msg.message == WM_CHAR && (msg.wParam == '\r' || msg.wParam == 0x1B))
        return true;
    return ::IsDialogMessageA(root, &msg) != FALSE;
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form || form->hwnd_ != hwnd)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    return form->handle(msg, wParam, lParam);
}

LRESULT Form::handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND: {
        Control* c = lParam ? findById(LOWORD(wParam)) : nullptr;
        if (!c || !c->handler)
            return 0;
        const WORD code = HIWORD(wParam);
        if ((c->design->kind == ControlKind::Button && code == BN_CLICKED) ||
            (c->design->kind == ControlKind::Label && code == STN_CLICKED)) {
            Handler h = c->handler; // the handler may outlive a change of handlers
            h();
        }
        return 0;
    }
    case WM_TIMER: {
        Control* c = findById(static_cast<UINT>(wParam));
        if (c && c->design->kind == ControlKind::Timer && c->period != 0 && c->handler) {
            Handler h = c->handler;
            h();
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        Control* c = findByWindow(reinterpret_cast<HWND>(lParam));
        ::SetTextColor(dc, c ? static_cast<COLORREF>(c->design->textColour) : RGB(0, 0, 0));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    case WM_SETCURSOR: {
        Control* c = findByWindow(reinterpret_cast<HWND>(wParam));
        if (c && c->design->handCursor && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    }
    case WM_ACTIVATE:
        // A window that is not a dialog keeps no focus of its own across
        // being switched away from and back.
        if (LOWORD(wParam) == WA_INACTIVE)
            saveFocus();
        else if (!HIWORD(wParam)) // not minimised
            restoreFocus();
        return 0;
    case WM_SETFOCUS:
        restoreFocus();
        return 0;
    case WM_DESTROY:
        if (destroying_) {
            Handler h = destroying_;
            h();
        }
        for (Control& c : controls_) {
            if (c.design->kind == ControlKind::Timer && c.period != 0)
                ::KillTimer(hwnd_, c.id);
        }
        if (quitOnDestroy_)
            ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        auto& w = formWindows();
        w.erase(std::remove(w.begin(), w.end(), hwnd_), w.end());
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        lastFocus_ = nullptr;
        for (Control& c : controls_) {
            c.hwnd = nullptr;
            c.period = 0;
        }
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    default:
        break;
    }
    return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}
