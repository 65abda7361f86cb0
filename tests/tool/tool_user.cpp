// A stand-in for one running copy of the program: places the tool, says so,
// and removes it when told to.
//   tool_user READY_EVENT QUIT_EVENT
#include "tool/DownloadTool.h"

#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    deployTool();
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, argv[1]);
    HANDLE quit = ::CreateEventA(nullptr, TRUE, FALSE, argv[2]);
    ::SetEvent(ready);
    ::WaitForSingleObject(quit, 120000);
    removeTool();
    ::CloseHandle(ready);
    ::CloseHandle(quit);
    return 0;
}
