// The watch over started download scripts: on every tick it finds the runs
// whose interpreter has ended, forgets them, removes their script files and
// tells the user how each one went. Platform-free; RunLauncher supplies the
// runs.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class LauncherHost;

// The watch timer's period while any run is active.
inline constexpr unsigned WatchPeriodMs = 300;

// One started script: its interpreter and its file. Destroying it releases
// what it holds and leaves the file alone.
class ActiveRun {
public:
    virtual ~ActiveRun() = default;
    // The interpreter's exit status once it has ended; nothing while it runs.
    virtual std::optional<unsigned long> exitStatus() = 0;
    // Deletes the script file; called once, after the interpreter ended.
    virtual void removeScript() = 0;
};

class RunWatch {
public:
    explicit RunWatch(LauncherHost& host) : host_(host) {}
    RunWatch(const RunWatch&) = delete;
    RunWatch& operator=(const RunWatch&) = delete;

    // Watches a run that has started, arming the timer if it is stopped.
    void add(std::unique_ptr<ActiveRun> run);

    // One look at every run. The host's message boxes dispatch messages, so
    // this can be entered again (a tick, a new run) while a box is open: the
    // ended runs are taken out of the list and the timer is settled before
    // the first box, so no run is reported twice and a run added meanwhile
    // keeps the timer going.
    void tick();

    std::size_t activeRuns() const { return runs_.size(); }

private:
    void setPeriod(unsigned ms);

    LauncherHost& host_;
    std::vector<std::unique_ptr<ActiveRun>> runs_;
    unsigned period_ = 0; // what the host's timer was last set to
};
