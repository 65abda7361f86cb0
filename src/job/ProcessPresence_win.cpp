#include "job/ProcessPresence.h"

#include "platform/Handle.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

bool isProcessRunning(std::string_view name)
{
    // Heap lists, modules, processes and threads (0x0F), as the program has
    // always asked for; only the process list is read.
    static_assert(TH32CS_SNAPALL == 0x0F);
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPALL, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool first = true;
    return listHasProcess(name, [&](Text& out) {
        BOOL got = first ? ::Process32First(snapshot.get(), &entry)
                         : ::Process32Next(snapshot.get(), &entry);
        first = false;
        if (!got)
            return false;
        out.assign(entry.szExeFile, ::strnlen(entry.szExeFile, sizeof entry.szExeFile));
        return true;
    });
}
