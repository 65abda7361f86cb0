// What the user is told when a download run ends or cannot start: the text,
// the caption and the icon of the message box, all in one table
// (Outcome.cpp).
#pragma once

#include "platform/Text.h"

// Message box icon flags, as <windows.h> numbers them.
namespace icon {
inline constexpr unsigned None = 0;
inline constexpr unsigned Error = 0x10;   // MB_ICONERROR
inline constexpr unsigned Warning = 0x30; // MB_ICONWARNING
} // namespace icon

// The exit status of an interpreter that ended because its console was
// closed or Ctrl+C was pressed (STATUS_CONTROL_C_EXIT).
inline constexpr unsigned long ControlCExitStatus = 0xC000013A;

struct Outcome {
    Text text;
    Text caption;
    unsigned iconFlags = icon::None;
    bool operator==(const Outcome&) const = default;
};

// Why a run never started.
enum class StartProblem {
    NoScript,      // the job holds no script
    ScriptNotWritten,
    ScriptNotStarted,
};

// The message for a script whose interpreter ended with this status: wget's
// own statuses 0 to 8, FolderUnreachableStatus, or anything else (an
// interrupted or unknown end, shown with its number).
Outcome outcomeOfExit(unsigned long status);

// The message for a run that never started. folder is where the script was
// to be written; systemError is the Win32 error code (0 when there is none).
Outcome outcomeOfStartProblem(StartProblem problem, const Text& folder, unsigned long systemError);

// A status or error code as the messages show it: decimal, or hexadecimal
// with "0x" for the large codes of the NTSTATUS kind.
Text statusNumber(unsigned long status);
