// Whether a program of a given file name is running on the machine.
#pragma once

#include "platform/Text.h"

#include <string_view>

// Walks a list of process file names and tells whether one equals name,
// ignoring the case of ASCII letters (double-byte characters compare as they
// are). next(Text&) stores the next entry and returns true, or returns false
// at the end of the list, also when the list could not be read at all. An
// empty name matches nothing.
template <typename Next>
bool listHasProcess(std::string_view name, Next&& next)
{
    if (name.empty())
        return false;
    const Text wanted = text::toLower(name);
    Text entry;
    while (next(entry)) {
        if (text::toLower(entry) == wanted)
            return true;
    }
    return false;
}

// Takes a fresh snapshot of the machine's processes on every call. False
// when the snapshot cannot be taken or read. Windows only.
bool isProcessRunning(std::string_view name);
