// The program's start: the runtime, the job, the window and the loop.
#include "job/DownloadJob.h"
#include "platform/Com.h"
#include "ui/MainWindow.h"
#include "ui/Runtime.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Relative paths start from the program's folder, wherever it was
    // started from.
    runtime::enterProgramFolder();
    OleSession ole; // the folder dialog and the shell need it on this thread

    DownloadJob job;
    runtime::setExitRoutine([&job] { job.releaseJob(); });

    int status = 0;
    {
        MainWindow window(job);
        if (window.load())
            status = runtime::runMessageLoop();
    }
    runtime::runExitRoutine();
    return status;
}
