// Test driver of the real program: starts velmora.exe, finds its window and
// controls the way a user sees them, types, clicks and reads the boxes it
// shows. Everything goes through window messages to the other process.
#pragma once

#include "platform/Handle.h"
#include "platform/Text.h"
#include "ui/FormDesign.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// How many run scripts the program has left in C:\ right now: its
// C:\临时文件.bat, C:\临时文件2.bat, ...
int runScriptCount();

// Where the program puts its wget while its window is open: wget.exe in the
// system directory.
Text deployedToolPath();

// A visible top-level window of the process, of that class (null: any) and
// with that caption (empty: any); null when there is none.
HWND findTopLevelWindow(DWORD pid, const char* cls, std::string_view caption);

class ProgramDriver {
public:
    // Starts the program and waits until its main window is shown.
    ProgramDriver(const char* exePath, std::string_view caption);
    // Closes the program if it still runs, and ends it if it will not close.
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    bool started() const { return window_ != nullptr; }
    HWND window() const { return window_; }
    DWORD processId() const { return pi_.dwProcessId; }

    // The control built from a design row: a child of its class at the row's
    // place and size within the client area; null when there is none.
    HWND control(const ControlDesign& design) const;
    std::vector<HWND> children() const;

    // Places and sizes as the design counts them.
    static RECT clientRect(HWND child);

    void setText(HWND control, std::string_view text) const;
    void setWideText(HWND control, const std::wstring& text) const;
    Text text(HWND control) const;
    void click(HWND button) const; // posted: the click may open a modal box
    void setChecked(HWND check, bool on) const;

    // The control that has the keyboard focus in the program.
    HWND focus() const;
    // A key pressed and released on the focused control, without modifiers.
    void press(WPARAM vk) const;

    // A message box (or any dialog) of the program, once one is shown.
    HWND waitForDialog(std::chrono::milliseconds limit) const;
    // The dialog's message: its longest static text.
    static Text dialogMessage(HWND dialog);
    // Every static text of the dialog.
    static std::vector<Text> dialogTexts(HWND dialog);
    // Presses the dialog's OK (or, failing that, its Cancel) button.
    void dismiss(HWND dialog) const;
    void cancel(HWND dialog) const;

    // Waits for the program to end; its exit code, or nothing on time-out.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds limit) const;
    // Waits until the program has handled everything sent so far.
    void settle() const;

private:
    PROCESS_INFORMATION pi_{};
    Handle process_;
    Handle thread_;
    HWND window_ = nullptr;
};
