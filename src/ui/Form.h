// The form runtime: builds a window from its design table (FormDesign.h),
// passes its events to handlers and reads and writes its controls by role.
//
// The window is an ordinary top-level window, not a dialog, with a fixed
// frame, a system menu, a minimise box and a taskbar button, centred on the
// primary screen and painted in the button-face colour. Every control uses
// the default GUI font. Tab and Shift+Tab walk the controls in their creation
// order (the design's rows from the last up); Esc closes the window as the
// close box does; Enter does nothing. The message loop that gives this is in
// Runtime.h.
#pragma once

#include "platform/Text.h"
#include "ui/FormDesign.h"

#include <windows.h>

#include <functional>
#include <string_view>
#include <vector>

class Form {
public:
    using Handler = std::function<void()>;

    explicit Form(const FormDesign& design);
    ~Form(); // destroys the window if it is still there
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Handlers are set before load().
    // The window and its controls exist and nothing is shown yet.
    void onCreated(Handler h) { created_ = std::move(h); }
    // The window is about to be destroyed; its controls still exist.
    void onDestroying(Handler h) { destroying_ = std::move(h); }
    // A button was clicked (by the mouse, the space bar or BM_CLICK).
    void onClick(std::string_view role, Handler h);
    // The left mouse button went down on a label. A double-click is one
    // press: its second press is not passed on.
    void onLeftPress(std::string_view role, Handler h);
    // A timer's period has elapsed.
    void onElapsed(std::string_view role, Handler h);

    // Whether destroying the window ends the message loop; it does unless
    // told otherwise.
    void setQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }
    // The icon resource of the program's module for the window (large and
    // small alike); 0 for none.
    void setIconResource(int id) { iconId_ = id; }

    // Creates the window and the controls hidden, runs the created handler
    // and shows the window with the focus on the first control in Tab order.
    // False when the window could not be created.
    bool load();

    HWND window() const { return hwnd_; }
    // The control's window; null for a timer, an unknown role or a form not
    // loaded.
    HWND control(std::string_view role) const;

    Text text(std::string_view role) const;
    void setText(std::string_view role, std::string_view value);
    // A check box's state.
    bool checked(std::string_view role) const;
    void setChecked(std::string_view role, bool on);
    // A timer's period in milliseconds; 0 is stopped. Writing the period it
    // already has leaves it running as it was.
    unsigned period(std::string_view role) const;
    void setPeriod(std::string_view role, unsigned ms);

    // Closes the window as its close box does.
    void close();

    // For the message loop: handles the keys the forms treat specially and
    // the dialog keys (Tab) of the form the message is for. True when the
    // message was used up and is not to be dispatched.
    static bool routeMessage(MSG& msg);

private:
    struct Control {
        const ControlDesign* design;
        UINT id;
        HWND hwnd = nullptr;
        Handler handler;
        unsigned period = 0;
    };

    Control* find(std::string_view role);
    const Control* find(std::string_view role) const;
    Control* findById(UINT id);
    Control* findByWindow(HWND hwnd);
    void setHandler(std::string_view role, Handler h);
    bool createControls();
    void saveFocus();
    void restoreFocus();

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);

    const FormDesign& design_;
    std::vector<Control> controls_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    Handler created_;
    Handler destroying_;
    bool quitOnDestroy_ = true;
    int iconId_ = 0;
};
