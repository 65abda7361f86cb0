// The whole program, driven through its window the way a user drives it.
//
//   program_bench click RUNS PORT
//       The front-end's own cost: from the posted click of 下载 to the
//       interpreter and wget being created and to wget's connection reaching
//       a socket of this bench on 127.0.0.1:PORT (PORT, PORT+1, ... one per
//       run); then, once the socket is reset and wget has given up, from the
//       interpreter's exit to the outcome box.
//   program_bench mirror URL FOLDER
//       One whole download of URL into FOLDER (which must exist): click to
//       outcome box, and the program's working set before and its peak
//       working set after.
//   program_bench wget URL FOLDER [LOGFILE]
//       The carried wget run directly, with the script's arguments, working
//       in FOLDER: in a console of its own as the script's is, or, with
//       LOGFILE, without a console and its log written into that file.
//   program_bench start RUNS BARE_EXE
//       From CreateProcess to the main window shown, for velmora.exe and for
//       BARE_EXE (bare_window.exe), taking turns.
//
// Times come from one clock, the system time: Wine stamps a process's
// creation and exit times with it, so they compare with the bench's own
// readings. Process appearance and windows are polled every few
// milliseconds; the socket's accept and the process times are exact.
#include "ProgramDriver.h"
#include "job/Outcome.h"
#include "platform/Handle.h"
#include "SilentServer.h"
#include "ui/MainWindowDesign.h"

#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Milliseconds of the system clock. Wine reads it from the host's
// clock_gettime, to 100 ns.
double fileTimeMs(const FILETIME& t)
{
    ULARGE_INTEGER u;
    u.LowPart = t.dwLowDateTime;
    u.HighPart = t.dwHighDateTime;
    return static_cast<double>(u.QuadPart) / 10000.0;
}

double nowMs() { return SilentServer::systemTimeMs(); }

struct Stats {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    void print(const char* what)
    {
        if (values.empty()) {
            std::printf("%-34s no values\n", what);
            return;
        }
        std::sort(values.begin(), values.end());
        std::printf("%-34s min %7.1f  median %7.1f  max %7.1f ms  (n=%zu)\n", what,
                    values.front(), values[values.size() / 2], values.back(), values.size());
    }
};

const ControlDesign& row(std::string_view role)
{
    return *findControl(MainWindowDesign, role);
}

// A process the bench looks at: its creation and exit times.
struct Watched {
    DWORD pid = 0;
    Handle process;
    double created() const
    {
        FILETIME c, e, k, u;
        return ::GetProcessTimes(process.get(), &c, &e, &k, &u) ? fileTimeMs(c) : 0;
    }
    double exited() const
    {
        FILETIME c, e, k, u;
        if (::WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0 ||
            !::GetProcessTimes(process.get(), &c, &e, &k, &u))
            return 0;
        return fileTimeMs(e);
    }
};

// The running child of parent with that file name. Wine reuses process ids,
// so only processes alive now are looked at, and by their parent.
bool findChild(DWORD parent, const char* name, Watched& out)
{
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok;
         ok = ::Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != parent || ::lstrcmpiA(entry.szExeFile, name) != 0)
            continue;
        out.process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                        entry.th32ProcessID));
        if (!out.process)
            return false;
        out.pid = entry.th32ProcessID;
        return true;
    }
    return false;
}

// Polls for a visible top-level window of the process; the time it was
// first seen, or 0 on time-out.
double waitForWindow(DWORD pid, const char* cls, const char* caption, double limitMs,
                     DWORD pollMs, HWND* found = nullptr)
{
    const double end = nowMs() + limitMs;
    do {
        if (HWND window = findTopLevelWindow(pid, cls, caption ? caption : "")) {
            if (found)
                *found = window;
            return nowMs();
        }
        ::Sleep(pollMs);
    } while (nowMs() < end);
    return 0;
}

std::string benchFolder()
{
    // Wine reuses process ids; the tick count keeps the name new.
    std::string folder = "C:\\velmora-bench-" + std::to_string(::GetCurrentProcessId()) + "-" +
                         std::to_string(::GetTickCount());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

int clickBench(int runs, int firstPort)
{
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    ProgramDriver program(VELMORA_EXE_PATH, MainWindowDesign.caption);
    if (!program.started()) {
        std::printf("the program did not start\n");
        return 1;
    }
    const std::string folder = benchFolder();
    program.setText(program.control(row(role::saveFolderBox)), folder);
    HWND urlBox = program.control(row(role::urlBox));
    HWND download = program.control(row(role::downloadButton));
    Stats toInterpreter, toWget, toConnection, exitToBox;

    for (int r = 0; r < runs; ++r) {
        const int port = firstPort + r;
        SilentServer listener(static_cast<unsigned short>(port));
        if (!listener.ok()) {
            std::printf("run %d: port %d is taken\n", r + 1, port);
            return 1;
        }
        program.setText(urlBox, "http://127.0.0.1:" + std::to_string(port) + "/");
        program.settle();

        const double clicked = nowMs();
        program.click(download);
        Watched interpreter, wget;
        const double end = clicked + 30000;
        while ((!wget.pid || listener.acceptedAt() == 0) && nowMs() < end) {
            if (!interpreter.pid)
                findChild(program.processId(), "cmd.exe", interpreter);
            if (interpreter.pid && !wget.pid)
                findChild(interpreter.pid, "wget.exe", wget);
            ::Sleep(5);
        }
        if (!interpreter.pid || !wget.pid || listener.acceptedAt() == 0) {
            std::printf("run %d: interpreter %s, wget %s, connection %s\n", r + 1,
                        interpreter.pid ? "seen" : "not seen", wget.pid ? "seen" : "not seen",
                        listener.acceptedAt() ? "accepted" : "not accepted");
            return 1;
        }
        listener.close();

        HWND box = nullptr;
        const double boxSeen = waitForWindow(program.processId(), "#32770", nullptr, 120000, 2, &box);
        ::WaitForSingleObject(interpreter.process.get(), 10000);
        const double exited = interpreter.exited();
        if (!boxSeen || !exited) {
            std::printf("run %d: no outcome box or the interpreter still runs\n", r + 1);
            return 1;
        }
        toInterpreter.add(interpreter.created() - clicked);
        toWget.add(wget.created() - clicked);
        toConnection.add(listener.acceptedAt() - clicked);
        exitToBox.add(boxSeen - exited);
        std::printf("run %2d: interpreter %6.1f, wget %6.1f, connection %6.1f; exit to box %6.1f ms%s\n",
                    r + 1, interpreter.created() - clicked, wget.created() - clicked,
                    listener.acceptedAt() - clicked, boxSeen - exited,
                    ProgramDriver::dialogMessage(box) == outcomeOfExit(4).text
                        ? ""
                        : " (not the network failure)");
        program.dismiss(box);
    }
    toInterpreter.print("click to interpreter created:");
    toWget.print("click to wget created:");
    toConnection.print("click to wget's connection:");
    exitToBox.print("interpreter exit to outcome box:");
    ::RemoveDirectoryA(folder.c_str());
    return 0;
}

PROCESS_MEMORY_COUNTERS memoryOf(DWORD pid)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    Handle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (process)
        ::GetProcessMemoryInfo(process.get(), &counters, sizeof counters);
    return counters;
}

double mib(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

int mirrorBench(const char* url, const char* folder)
{
    ProgramDriver program(VELMORA_EXE_PATH, MainWindowDesign.caption);
    if (!program.started()) {
        std::printf("the program did not start\n");
        return 1;
    }
    const PROCESS_MEMORY_COUNTERS idle = memoryOf(program.processId());
    program.setText(program.control(row(role::saveFolderBox)), folder);
    program.setText(program.control(row(role::urlBox)), url);
    program.settle();

    const double clicked = nowMs();
    program.click(program.control(row(role::downloadButton)));
    HWND box = nullptr;
    const double boxSeen = waitForWindow(program.processId(), "#32770", nullptr, 1800000, 20, &box);
    if (!boxSeen) {
        std::printf("no outcome box\n");
        return 1;
    }
    const PROCESS_MEMORY_COUNTERS watched = memoryOf(program.processId());
    const bool success = ProgramDriver::dialogMessage(box) == outcomeOfExit(0).text;
    std::printf("click to outcome box: %.0f ms (%s)\n", boxSeen - clicked,
                success ? "success" : "NOT the success message");
    std::printf("working set with the window shown: %.1f MiB, peak %.1f MiB\n",
                mib(idle.WorkingSetSize), mib(idle.PeakWorkingSetSize));
    std::printf("peak working set at the outcome:   %.1f MiB\n", mib(watched.PeakWorkingSetSize));
    program.dismiss(box);
    return success ? 0 : 1;
}

int wgetBench(const char* url, const char* folder, const char* logFile)
{
    const std::string exe = std::string(WGET_FOLDER) + "\\wget.exe";
    // The script's command, word for word (DownloadJob.cpp).
    std::string commandLine = std::string("wget -r -p -np -k \"") + url + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    DWORD flags = CREATE_NEW_CONSOLE; // as the script's interpreter gets one
    Handle log;
    if (logFile) {
        // No console at all: wget writes its log (stderr) into the file.
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        log.reset(::CreateFileA(logFile, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!log) {
            std::printf("cannot write %s (error %lu)\n", logFile, ::GetLastError());
            return 1;
        }
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = log.get();
        startup.hStdError = log.get();
        flags = DETACHED_PROCESS;
    }
    PROCESS_INFORMATION started{};
    const double t0 = nowMs();
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, logFile != nullptr,
                          flags, nullptr, folder, &startup, &started)) {
        std::printf("wget did not start (error %lu)\n", ::GetLastError());
        return 1;
    }
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    const double t1 = nowMs();
    DWORD status = 0;
    ::GetExitCodeProcess(process.get(), &status);
    std::printf("wget.exe (%s), start to exit: %.0f ms (status %lu)\n",
                logFile ? "log to a file" : "own console", t1 - t0, status);
    return status == 0 ? 0 : 1;
}

// Starts exe, waits for its window, closes it and waits for its end.
// Returns the time to the window, or 0 if it never showed.
double timeToWindow(const char* exe, const char* caption, SIZE_T& peakWorkingSet)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string commandLine = std::string("\"") + exe + "\"";
    const double t0 = nowMs();
    if (!::CreateProcessA(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started))
        return 0;
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    HWND window = nullptr;
    const double shown = waitForWindow(started.dwProcessId, nullptr, caption, 60000, 1, &window);
    peakWorkingSet = memoryOf(started.dwProcessId).PeakWorkingSetSize;
    if (window)
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    // velmora.exe takes its wget away as it closes; the next start puts it
    // back, as a first start on a machine would.
    if (::WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 1);
    return shown ? shown - t0 : 0;
}

int startBench(int runs, const char* bareExe)
{
    const std::string caption(MainWindowDesign.caption);
    Stats program, bare;
    SIZE_T programPeak = 0, barePeak = 0;
    for (int r = 0; r < runs; ++r) {
        // Taking turns, so that neither gets the quieter moments.
        const double p = timeToWindow(VELMORA_EXE_PATH, caption.c_str(), programPeak);
        const double b = timeToWindow(bareExe, "bare window", barePeak);
        if (!p || !b) {
            std::printf("run %d: a window did not show\n", r + 1);
            return 1;
        }
        program.add(p);
        bare.add(b);
        std::printf("run %2d: velmora.exe %6.1f ms, bare window %6.1f ms\n", r + 1, p, b);
    }
    program.print("velmora.exe, start to window:");
    bare.print("bare window, start to window:");
    std::printf("peak working set at the window: velmora.exe %.1f MiB, bare window %.1f MiB\n",
                mib(programPeak), mib(barePeak));
    return 0;
}

int usage()
{
    std::printf("usage: program_bench click RUNS PORT | mirror URL FOLDER | wget URL FOLDER [LOGFILE] |"
                " start RUNS BARE_EXE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return usage();
    const std::string mode = argv[1];
    if (mode == "click")
        return clickBench(std::atoi(argv[2]), std::atoi(argv[3]));
    if (mode == "mirror")
        return mirrorBench(argv[2], argv[3]);
    if (mode == "wget")
        return wgetBench(argv[2], argv[3], argc > 4 ? argv[4] : nullptr);
    if (mode == "start")
        return startBench(std::atoi(argv[2]), argv[3]);
    return usage();
}
