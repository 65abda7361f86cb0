// A window described as data: its caption and outer size, and one row per
// control with its kind, name, role, place, size, caption and visibility.
// The form runtime (Form.h) builds the window from such a table; tests read
// the same table to check what was built.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

enum class ControlKind {
    Button,   // a plain push button
    Edit,     // a one-line edit box
    Label,    // one line of text
    CheckBox, // the box left of its text
    Timer,    // no window: a timer of the form's window
};

struct ControlDesign {
    ControlKind kind;
    std::string_view name;    // the control's name in the design, code page 936
    std::string_view role;    // what the program calls it; empty when nothing refers to it
    int left, top;            // within the window's client area
    int width, height;
    std::string_view caption; // code page 936
    bool visible;
    std::uint32_t textColour = 0x000000; // 0x00BBGGRR, as Windows' RGB() packs it
    bool handCursor = false;
};

struct FormDesign {
    std::string_view caption;
    int width, height; // outer size, frame included
    std::span<const ControlDesign> controls;
};

// The control of the given role, or null.
constexpr const ControlDesign* findControl(const FormDesign& form, std::string_view role)
{
    if (role.empty())
        return nullptr;
    for (const ControlDesign& c : form.controls) {
        if (c.role == role)
            return &c;
    }
    return nullptr;
}
