// Starts a composed download script in a console window of its own and
// watches it to the end.
#pragma once

#include "job/DownloadJob.h"
#include "platform/Text.h"

#include <string_view>

// What the launcher needs from the window it lives in.
class LauncherHost {
public:
    virtual ~LauncherHost() = default;
    // Dispatches the window messages already queued, without waiting.
    virtual void processPendingEvents() = 0;
    // The watch timer's period in milliseconds; 0 stops it. Writing the
    // period it already has must not restart it.
    virtual void setWatchPeriod(unsigned ms) = 0;
    // The outcome box: MB_OK | MB_TASKMODAL plus iconFlags, no owner.
    virtual void showMessage(std::string_view text, std::string_view caption,
                             unsigned iconFlags) = 0;
};

class RunLauncher {
public:
    explicit RunLauncher(LauncherHost& host);
    ~RunLauncher();
    RunLauncher(const RunLauncher&) = delete;
    RunLauncher& operator=(const RunLauncher&) = delete;

    void startRun(const DownloadJob& job);
    void onWatchTick();
};
