// The launcher under Wine with a real interpreter and the payload wget,
// against sites that CTest serves on 127.0.0.1 (see CMakeLists.txt). The
// window is a fake that records the timer periods and the messages; the
// tests tick the watch themselves, as the window's timer would.
#include "job/DownloadJob.h"
#include "job/Outcome.h"
#include "job/ProcessPresence.h"
#include "job/RunLauncher.h"
#include "job/ScriptFile.h"
#include "platform/Files.h"
#include "platform/Handle.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Found by argument-dependent lookup, so in Outcome's namespace.
void PrintTo(const Outcome& o, std::ostream* os)
{
    *os << "{caption \"" << o.caption << "\", icon " << o.iconFlags << ", text \"" << o.text
        << "\"}";
}

#define STRINGIFY_(x) #x
#define STRINGIFY(x) STRINGIFY_(x)

namespace {

const std::string GoodSite = "http://127.0.0.1:" + std::to_string(GOOD_PORT) + "/";
const std::string BrokenSite = "http://127.0.0.1:" + std::to_string(BROKEN_PORT) + "/";
const std::string ClosedPort = "http://127.0.0.1:" + std::to_string(CLOSED_PORT) + "/";
// Answers after n seconds: keeps a run going for a while.
std::string slowPage(int seconds) { return GoodSite + "slow/" + std::to_string(seconds); }

// wget under Wine takes a few seconds for a small site.
constexpr DWORD OutcomeTimeoutMs = 120000;

// The payload's folder goes first on the search path; the interpreters the
// tests start inherit it.
class WgetOnPath : public ::testing::Environment {
public:
    void SetUp() override
    {
        char path[32767];
        DWORD n = ::GetEnvironmentVariableA("PATH", path, sizeof path);
        std::string value = std::string(WGET_FOLDER) + ";" + std::string(path, n);
        ::SetEnvironmentVariableA("PATH", value.c_str());
    }
};
const auto* const wgetOnPath = ::testing::AddGlobalTestEnvironment(new WgetOnPath);

class TestHost : public LauncherHost {
public:
    std::vector<unsigned> periods;
    std::vector<Outcome> messages;
    int pendingCalls = 0;
    std::function<void()> onPending; // what the window's queue holds

    void processPendingEvents() override
    {
        ++pendingCalls;
        if (onPending)
            onPending();
    }
    void setWatchPeriod(unsigned ms) override { periods.push_back(ms); }
    void showMessage(std::string_view text, std::string_view caption, unsigned iconFlags) override
    {
        messages.push_back({Text(text), Text(caption), iconFlags});
    }
};

// Ticks every 300 ms until the host holds count messages.
bool tickUntilMessages(RunLauncher& launcher, TestHost& host, std::size_t count,
                       DWORD timeoutMs = OutcomeTimeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        launcher.onWatchTick();
        if (host.messages.size() >= count)
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(WatchPeriodMs);
    }
}

DownloadJob jobFor(const std::string& address, const std::string& saveFolder)
{
    DownloadJob job;
    EXPECT_FALSE(job.setSaveFolder(saveFolder));
    EXPECT_FALSE(job.preparePlain(address));
    return job;
}

void removeTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                ::DeleteFileA(child.c_str());
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

// Processes named name whose parent is parent.
std::vector<DWORD> childrenNamed(DWORD parent, const char* name)
{
    std::vector<DWORD> ids;
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok;
         ok = ::Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == parent && ::lstrcmpiA(entry.szExeFile, name) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

// An interpreter that has nothing to do with any download: it waits about a
// minute. It and what it starts run in a job object, so that all of it ends
// with the test.
class UnrelatedInterpreter {
public:
    UnrelatedInterpreter()
    {
        job_.reset(::CreateJobObjectA(nullptr, nullptr));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits,
                                  sizeof limits);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION pi{};
        char commandLine[] = "cmd.exe /c ping -n 60 127.0.0.1 >nul";
        if (!::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                              &pi)) {
            ADD_FAILURE() << "cannot start cmd.exe: " << ::GetLastError();
            return;
        }
        process_.reset(pi.hProcess);
        Handle thread(pi.hThread);
        ::AssignProcessToJobObject(job_.get(), process_.get());
        ::ResumeThread(thread.get());
    }
    ~UnrelatedInterpreter()
    {
        ::TerminateJobObject(job_.get(), 1);
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 10000);
    }
    bool running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

private:
    Handle job_;
    Handle process_;
};

// Each test's scripts and downloads go into a folder of its own under the
// temporary folder, removed afterwards.
class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        DWORD n = ::GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp, n) + "launcher-test-" + std::to_string(::GetCurrentProcessId());
        // The script's path is the whole command line, unquoted.
        ASSERT_EQ(folder.find(' '), std::string::npos) << folder;
        removeTree(folder);
        ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        saveFolder = folder + "\\site";
        ASSERT_TRUE(::CreateDirectoryA(saveFolder.c_str(), nullptr));
    }
    void TearDown() override { removeTree(folder); }

    std::string script(unsigned n) const { return scriptCandidate(folder, "run", n); }

    std::string folder;
    std::string saveFolder;
    TestHost host;
};

TEST(ProcessPresence, FindsARunningInterpreterWhateverTheCaseOfItsName)
{
    UnrelatedInterpreter cmd;
    ASSERT_TRUE(cmd.running());
    for (const char* name : {"cmd.exe", "CMD.EXE", "Cmd.Exe"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(isProcessRunning(name));
    }
    EXPECT_FALSE(isProcessRunning(""));
    EXPECT_FALSE(isProcessRunning("no-such-program.exe"));
}

struct RunCase {
    const char* name;
    std::string address;
    bool saveFolderExists;
    unsigned long status; // what the interpreter ends with
};

class LauncherOutcome : public LauncherTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(LauncherOutcome, EachEndGetsItsMessageAndTheScriptIsRemoved)
{
    const RunCase& c = GetParam();
    std::string target = c.saveFolderExists ? saveFolder : folder + "\\missing";
    RunLauncher launcher(host, folder, "run");
    launcher.startRun(jobFor(c.address, target));
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs}));
    EXPECT_EQ(launcher.activeRuns(), 1u);

    ASSERT_TRUE(tickUntilMessages(launcher, host, 1));
    EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfExit(c.status)}));
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs, 0}));
    EXPECT_EQ(launcher.activeRuns(), 0u);
    EXPECT_FALSE(files::exists(script(1)));
    EXPECT_FALSE(files::exists(folder + "\\missing"));
}

INSTANTIATE_TEST_SUITE_P(
    Sites, LauncherOutcome,
    ::testing::Values(RunCase{"GoodSite", GoodSite, true, 0},
                      RunCase{"BrokenLink", BrokenSite, true, 8},
                      RunCase{"ClosedPort", ClosedPort, true, 4},
                      RunCase{"MissingSaveFolder", GoodSite, false, FolderUnreachableStatus}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, GoodSiteIsMirroredIntoTheSaveFolder)
{
    RunLauncher launcher(host, folder, "run");
    launcher.startRun(jobFor(GoodSite, saveFolder));
    ASSERT_TRUE(tickUntilMessages(launcher, host, 1));
    EXPECT_EQ(host.messages[0], outcomeOfExit(0));
    // wget writes "host:port" as "host+port" on Windows.
    std::string site = saveFolder + "\\127.0.0.1+" + std::to_string(GOOD_PORT);
    for (const char* file : {"index.html", "page1.html", "style.css", "img\\dot.png"}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(files::exists(site + "\\" + file));
    }
}

// With 使用代理 ticked both http:// and https:// sites go through the proxy
// (tinyproxy on 127.0.0.1, whose log names each request it carried), and a
// proxy that is down is a network failure.
struct ProxyCase {
    const char* name;
    std::string address;
    unsigned proxyPort;
    const char* logged;      // what the proxy's log must show, or nullptr
    unsigned long status;    // the run's exit status; ~0ul: anything but 0
};

void PrintTo(const ProxyCase& c, std::ostream* os) { *os << c.name; }

class LauncherProxy : public LauncherTest, public ::testing::WithParamInterface<ProxyCase> {};

TEST_P(LauncherProxy, ProxiedRunGoesThroughTheProxy)
{
    const ProxyCase& c = GetParam();
    DownloadJob job;
    ASSERT_FALSE(job.setSaveFolder(saveFolder));
    ASSERT_FALSE(job.preparePlain(c.address));
    ASSERT_FALSE(job.prepareProxied("127.0.0.1", std::to_string(c.proxyPort), c.address));
    RunLauncher launcher(host, folder, "run");
    launcher.startRun(job);
    ASSERT_TRUE(tickUntilMessages(launcher, host, 1));
    if (c.status == ~0ul)
        EXPECT_NE(host.messages[0], outcomeOfExit(0));
    else
        EXPECT_EQ(host.messages[0], outcomeOfExit(c.status));
    if (c.logged) {
        std::string log = files::readAll(PROXY_LOG).value_or("");
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Proxy, LauncherProxy,
    ::testing::Values(
        ProxyCase{"HttpSite", GoodSite, PROXY_PORT,
                  "GET http://127.0.0.1:" STRINGIFY(GOOD_PORT) "/", 0},
        // The site speaks no TLS, so the run fails; what counts is that the
        // connection was asked of the proxy, not made directly.
        ProxyCase{"HttpsSite", "https://127.0.0.1:" + std::to_string(GOOD_PORT) + "/", PROXY_PORT,
                  "CONNECT 127.0.0.1:" STRINGIFY(GOOD_PORT), ~0ul},
        ProxyCase{"ProxyDown", GoodSite, CLOSED_PORT, nullptr, 4}),
    [](const auto& info) { return std::string(info.param.name); });

// The outcome follows the run's own interpreter: another cmd.exe that keeps
// running for a minute does not hold it back.
TEST_F(LauncherTest, UnrelatedInterpreterDoesNotDelayTheOutcome)
{
    UnrelatedInterpreter other;
    ASSERT_TRUE(other.running());
    RunLauncher launcher(host, folder, "run");
    launcher.startRun(jobFor(ClosedPort, saveFolder));
    ASSERT_TRUE(tickUntilMessages(launcher, host, 1, 40000));
    EXPECT_TRUE(other.running());
    EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfExit(4)}));
}

TEST_F(LauncherTest, OverlappingRunsHaveTheirOwnFilesAndOutcomes)
{
    RunLauncher launcher(host, folder, "run");
    launcher.startRun(jobFor(slowPage(6), saveFolder));
    launcher.startRun(jobFor(BrokenSite, saveFolder));
    EXPECT_EQ(launcher.activeRuns(), 2u);
    EXPECT_TRUE(files::exists(script(1)));
    EXPECT_TRUE(files::exists(script(2)));
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs}));

    ASSERT_TRUE(tickUntilMessages(launcher, host, 2));
    std::vector<Text> texts = {host.messages[0].text, host.messages[1].text};
    std::sort(texts.begin(), texts.end());
    std::vector<Text> expected = {outcomeOfExit(0).text, outcomeOfExit(8).text};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs, 0}));
    EXPECT_FALSE(files::exists(script(1)));
    EXPECT_FALSE(files::exists(script(2)));
}

// Problems before the start are told at once; nothing is watched and no
// file is left behind.
TEST_F(LauncherTest, RunThatCannotStartIsReportedAtOnce)
{
    {
        SCOPED_TRACE("script folder missing");
        std::string missing = folder + "\\no-such-folder\\";
        RunLauncher launcher(host, missing, "run");
        launcher.startRun(jobFor(GoodSite, saveFolder));
        EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfStartProblem(
                                     StartProblem::ScriptNotWritten, missing, ERROR_PATH_NOT_FOUND)}));
        EXPECT_EQ(host.pendingCalls, 0);
    }
    {
        SCOPED_TRACE("job without a script");
        host.messages.clear();
        RunLauncher launcher(host, folder, "run");
        launcher.startRun(DownloadJob());
        EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfStartProblem(
                                     StartProblem::NoScript, folder, 0)}));
        EXPECT_FALSE(files::exists(script(1)));
    }
    {
        SCOPED_TRACE("script gone before the start");
        host.messages.clear();
        RunLauncher launcher(host, folder, "run");
        host.onPending = [&] { ::DeleteFileA(script(1).c_str()); };
        launcher.startRun(jobFor(GoodSite, saveFolder));
        EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfStartProblem(
                                     StartProblem::ScriptNotStarted, folder, ERROR_FILE_NOT_FOUND)}));
        EXPECT_EQ(launcher.activeRuns(), 0u);
    }
    EXPECT_TRUE(host.periods.empty());
}

// The window's queue may hold a timer tick when the run is about to start;
// the tick cannot see, let alone end, a run that has not started.
TEST_F(LauncherTest, TickWhileStartingCannotEndTheNewRun)
{
    RunLauncher launcher(host, folder, "run");
    std::vector<std::size_t> seen;
    host.onPending = [&] {
        launcher.onWatchTick();
        launcher.onWatchTick();
        seen.push_back(launcher.activeRuns());
        seen.push_back(host.messages.size());
    };
    launcher.startRun(jobFor(slowPage(2), saveFolder));
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 0}));
    EXPECT_EQ(launcher.activeRuns(), 1u);
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs}));
    ASSERT_TRUE(tickUntilMessages(launcher, host, 1));
    EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfExit(0)}));
}

// Windows ends the interpreter of a console closed by hand with
// STATUS_CONTROL_C_EXIT. Wine 8 ends it with 0 instead, so the test ends
// the interpreter with that status itself.
TEST_F(LauncherTest, InterruptedRunIsNotTakenForSuccess)
{
    RunLauncher launcher(host, folder, "run");
    launcher.startRun(jobFor(slowPage(30), saveFolder));
    std::vector<DWORD> interpreters = childrenNamed(::GetCurrentProcessId(), "cmd.exe");
    ASSERT_EQ(interpreters.size(), 1u);
    Handle cmd(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, interpreters[0]));
    ASSERT_TRUE(cmd);
    // wget may not have started yet; wait for it, to end it too.
    std::vector<DWORD> downloaders;
    for (int i = 0; i < 100 && downloaders.empty(); ++i, ::Sleep(100))
        downloaders = childrenNamed(interpreters[0], "wget.exe");
    ASSERT_TRUE(::TerminateProcess(cmd.get(), ControlCExitStatus));
    for (DWORD id : downloaders) {
        Handle wget(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        ::TerminateProcess(wget.get(), 1);
        ::WaitForSingleObject(wget.get(), 10000);
    }
    ASSERT_TRUE(tickUntilMessages(launcher, host, 1));
    EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfExit(ControlCExitStatus)}));
    EXPECT_FALSE(files::exists(script(1)));
}

// A launcher that goes away while its script still runs leaves the file to
// the script.
TEST_F(LauncherTest, ScriptOfARunStillGoingIsLeftWhenTheLauncherGoes)
{
    std::vector<DWORD> interpreters;
    {
        RunLauncher launcher(host, folder, "run");
        launcher.startRun(jobFor(slowPage(3), saveFolder));
        interpreters = childrenNamed(::GetCurrentProcessId(), "cmd.exe");
    }
    EXPECT_TRUE(files::exists(script(1)));
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(interpreters.size(), 1u);
    Handle cmd(::OpenProcess(SYNCHRONIZE, FALSE, interpreters[0]));
    EXPECT_EQ(::WaitForSingleObject(cmd.get(), OutcomeTimeoutMs), WAIT_OBJECT_0);
}

// The program's own script name, "C:\临时文件.bat", in the prefix's C: drive.
// What was there before the test is there after it.
class DefaultScriptTest : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        first = scriptCandidate(DefaultScriptFolder, DefaultScriptBaseName, 1);
        before = files::readAll(first);
        if (before == NotOurs) { // left by an earlier run of these tests that was cut short
            ::DeleteFileA(first.c_str());
            before.reset();
        }
    }
    void TearDown() override
    {
        if (!before)
            ::DeleteFileA(first.c_str());
        LauncherTest::TearDown();
    }

    // The name the next run takes: the first free one.
    std::string nextFree() const
    {
        for (unsigned n = 1;; ++n) {
            std::string path = scriptCandidate(DefaultScriptFolder, DefaultScriptBaseName, n);
            if (!files::exists(path))
                return path;
        }
    }

    // What the tests put there as a file the program did not write.
    static constexpr std::string_view NotOurs = "@echo a file the program did not write\r\n";

    std::string first;
    std::optional<std::string> before;
};

TEST_F(DefaultScriptTest, RunUsesTheTemporaryFileAndRemovesIt)
{
    if (before)
        GTEST_SKIP() << "C:\\ already holds the script name";
    RunLauncher launcher(host);
    launcher.startRun(jobFor(slowPage(3), saveFolder));
    EXPECT_TRUE(files::exists(first));
    ASSERT_TRUE(tickUntilMessages(launcher, host, 1));
    EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfExit(0)}));
    EXPECT_FALSE(files::exists(first));
}

TEST_F(DefaultScriptTest, FileAlreadyThereIsLeftUntouched)
{
    if (!before) {
        ASSERT_TRUE(files::createNew(first, NotOurs));
    }
    const std::string bytes = files::readAll(first).value_or("");
    const std::string next = nextFree();
    ASSERT_NE(next, first);

    RunLauncher launcher(host);
    launcher.startRun(jobFor(slowPage(3), saveFolder));
    EXPECT_TRUE(files::exists(next));
    ASSERT_TRUE(tickUntilMessages(launcher, host, 1));
    EXPECT_EQ(host.messages, (std::vector<Outcome>{outcomeOfExit(0)}));
    EXPECT_FALSE(files::exists(next));
    EXPECT_EQ(files::readAll(first), bytes);
}

} // namespace
