// What the launcher's watch costs and how soon it notices the end of a run.
//
//   launcher_bench [ITERATIONS] [RUNS]
//
// 1. One watch tick with a run active (one wait on the run's process handle)
//    against one walk of a fresh process snapshot looking for "cmd.exe", each
//    repeated ITERATIONS times (default 1000) in this one process.
// 2. The delay from the interpreter's exit to the outcome message, with the
//    watch driven by a real 300 ms timer, over RUNS runs (default 10).
//
// The runs download from a socket of this program on 127.0.0.1 that accepts
// the connection and never answers, so a run lasts until the socket is reset;
// wget then fails and the interpreter exits.
#include "job/DownloadJob.h"
#include "job/ProcessPresence.h"
#include "job/RunLauncher.h"
#include "platform/Handle.h"
#include "SilentServer.h"

#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double nowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The window's part: a thread timer and a record of the messages.
class BenchHost : public LauncherHost {
public:
    double messageAt = 0;
    int messages = 0;

    void processPendingEvents() override
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
    void setWatchPeriod(unsigned ms) override
    {
        if (ms == 0) {
            ::KillTimer(nullptr, timer_);
            timer_ = 0;
        } else {
            timer_ = ::SetTimer(nullptr, timer_, ms, nullptr);
        }
    }
    void showMessage(std::string_view, std::string_view, unsigned) override
    {
        messageAt = nowMs();
        ++messages;
    }

private:
    UINT_PTR timer_ = 0;
};

DWORD childInterpreter()
{
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok;
         ok = ::Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == ::GetCurrentProcessId() &&
            ::lstrcmpiA(entry.szExeFile, "cmd.exe") == 0)
            return entry.th32ProcessID;
    }
    return 0;
}

// Waits for a run's interpreter to exit and notes when.
struct ExitWatch {
    Handle process;
    double exitedAt = 0;
    static DWORD WINAPI wait(void* self)
    {
        auto* w = static_cast<ExitWatch*>(self);
        ::WaitForSingleObject(w->process.get(), INFINITE);
        w->exitedAt = nowMs();
        return 0;
    }
};

// Dispatches messages (the watch timer's among them) until the host has
// count messages or timeoutMs has passed.
bool pumpUntil(BenchHost& host, RunLauncher& launcher, int count, double timeoutMs)
{
    double end = nowMs() + timeoutMs;
    while (host.messages < count && nowMs() < end) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr)
                launcher.onWatchTick();
            else
                ::DispatchMessageA(&msg);
        }
    }
    return host.messages >= count;
}

std::string scriptFolder()
{
    char temp[MAX_PATH];
    DWORD n = ::GetTempPathA(MAX_PATH, temp);
    std::string folder =
        std::string(temp, n) + "launcher-bench-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

} // namespace

int main(int argc, char** argv)
{
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 10;

    char path[32767];
    DWORD n = ::GetEnvironmentVariableA("PATH", path, sizeof path);
    ::SetEnvironmentVariableA("PATH", (std::string(WGET_FOLDER) + ";" + std::string(path, n)).c_str());
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    const std::string folder = scriptFolder();

    BenchHost host;
    RunLauncher launcher(host, folder, "bench");

    // 1. Cost of a tick against a snapshot walk, with one run active.
    {
        SilentServer server;
        DownloadJob job;
        (void)job.preparePlain(server.url());
        launcher.startRun(job);
        ::Sleep(2000); // the interpreter and wget are up and waiting
        if (launcher.activeRuns() != 1 || !isProcessRunning("cmd.exe")) {
            std::printf("the run did not start\n");
            return 1;
        }
        double t0 = nowMs();
        for (int i = 0; i < iterations; ++i)
            launcher.onWatchTick();
        double tickMs = (nowMs() - t0) / iterations;
        t0 = nowMs();
        int found = 0;
        for (int i = 0; i < iterations; ++i)
            found += isProcessRunning("cmd.exe") ? 1 : 0;
        double walkMs = (nowMs() - t0) / iterations;
        std::printf("iterations: %d (found cmd.exe %d times, run still active: %s)\n", iterations,
                    found, launcher.activeRuns() == 1 ? "yes" : "no");
        std::printf("watch tick (process handle): %.4f ms\n", tickMs);
        std::printf("snapshot walk for cmd.exe:   %.4f ms\n", walkMs);
        std::printf("ratio walk / tick:           %.0f\n", walkMs / tickMs);
        server.close();
        if (!pumpUntil(host, launcher, 1, 120000)) {
            std::printf("the run did not end\n");
            return 1;
        }
    }

    // 2. Delay from the interpreter's exit to the outcome.
    std::vector<double> delays;
    std::srand(::GetTickCount());
    for (int r = 0; r < runs; ++r) {
        SilentServer server;
        DownloadJob job;
        (void)job.preparePlain(server.url());
        int before = host.messages;
        launcher.startRun(job);
        ExitWatch exitWatch;
        exitWatch.process.reset(::OpenProcess(SYNCHRONIZE, FALSE, childInterpreter()));
        if (!exitWatch.process) {
            std::printf("run %d: interpreter not found\n", r + 1);
            return 1;
        }
        Handle waiter(::CreateThread(nullptr, 0, &ExitWatch::wait, &exitWatch, 0, nullptr));
        // Let it get going, then end it at a moment unrelated to the timer.
        pumpUntil(host, launcher, before + 1, 1500 + std::rand() % 1000);
        server.close();
        if (!pumpUntil(host, launcher, before + 1, 120000)) {
            std::printf("run %d did not end\n", r + 1);
            return 1;
        }
        ::WaitForSingleObject(waiter.get(), 10000);
        delays.push_back(host.messageAt - exitWatch.exitedAt);
    }
    std::sort(delays.begin(), delays.end());
    double sum = 0;
    for (double d : delays)
        sum += d;
    std::printf("exit to outcome over %d runs (timer %u ms): min %.0f ms, median %.0f ms, "
                "mean %.0f ms, max %.0f ms\n",
                runs, WatchPeriodMs, delays.front(), delays[delays.size() / 2], sum / runs,
                delays.back());
    ::RemoveDirectoryA(folder.c_str());
    return 0;
}
