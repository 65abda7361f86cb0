// Starts a composed download script in a console window of its own and
// watches it to the end.
#pragma once

#include "job/DownloadJob.h"
#include "job/Outcome.h"
#include "job/RunWatch.h"
#include "platform/Text.h"

#include <cstddef>
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

// Every run gets a script file of its own (see ScriptFile.h) and its own
// message when its interpreter ends. A run that cannot start is reported at
// once and never watched.
class RunLauncher {
public:
    explicit RunLauncher(LauncherHost& host);
    // Writes the scripts into scriptFolder under scriptBaseName instead of
    // "C:\临时文件.bat"; for tests. The script's path is the whole command
    // line, unquoted, so it must not contain a space.
    RunLauncher(LauncherHost& host, Text scriptFolder, Text scriptBaseName);
    // Runs still active keep their script files: the scripts are still
    // running. Only the process handles are closed.
    ~RunLauncher();
    RunLauncher(const RunLauncher&) = delete;
    RunLauncher& operator=(const RunLauncher&) = delete;

    // Writes the job's script, dispatches pending messages, then starts the
    // script in a console window of its own and watches it.
    void startRun(const DownloadJob& job);
    // The watch timer's tick.
    void onWatchTick();

    // Runs started and not yet found ended.
    std::size_t activeRuns() const { return watch_.activeRuns(); }

private:
    void reportStartProblem(StartProblem problem, unsigned long systemError);

    LauncherHost& host_;
    Text scriptFolder_;
    Text scriptBaseName_;
    RunWatch watch_;
};
