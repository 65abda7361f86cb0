// The embedded wget, placed in the system directory and taken away again,
// against servers on 127.0.0.1 that CTest starts (see CMakeLists.txt).
#include "platform/Files.h"
#include "platform/Handle.h"
#include "tool/DownloadTool.h"
#include "tool/Payload.h"
#include "TrustedRoot.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string systemDir()
{
    char dir[MAX_PATH];
    UINT n = ::GetSystemDirectoryA(dir, MAX_PATH);
    return std::string(dir, n);
}

std::string toolPath() { return systemDir() + "\\wget.exe"; }

struct RunResult {
    DWORD status = 0xFFFFFFFF;
    std::string output;
};

// Runs a command line in a folder, with its output (stdout and stderr) read
// back through a pipe.
RunResult run(std::string commandLine, const std::string& folder, DWORD timeoutMs = 120000)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(::CreatePipe(&readEnd, &writeEnd, &sa, 0));
    Handle reader(readEnd), writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writer.get();
    si.hStdError = writer.get();
    PROCESS_INFORMATION pi{};
    RunResult result;
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        ADD_FAILURE() << "cannot start " << commandLine << ": " << ::GetLastError();
        return result;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    writer.reset();
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(reader.get(), buf, sizeof buf, &got, nullptr) && got)
        result.output.append(buf, got);
    EXPECT_EQ(::WaitForSingleObject(process.get(), timeoutMs), WAIT_OBJECT_0);
    ::GetExitCodeProcess(process.get(), &result.status);
    return result;
}

std::string makeTempFolder(const char* name)
{
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    // Wine reuses process ids from run to run; the tick count keeps the folder
    // new, so files from an earlier run cannot pass for this one's.
    std::string path = std::string(dir) + name + "-" + std::to_string(::GetCurrentProcessId()) +
                       "-" + std::to_string(::GetTickCount());
    EXPECT_TRUE(::CreateDirectoryA(path.c_str(), nullptr)) << path;
    return path;
}

std::string readOrEmpty(const std::string& path) { return files::readAll(path).value_or(""); }

class DownloadToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(toolPayload().empty());
        // A leftover of ours from an interrupted run; the prefix is the tests' own.
        if (readOrEmpty(toolPath()) == toolPayload())
            ::DeleteFileA(toolPath().c_str());
        ASSERT_FALSE(files::exists(toolPath())) << "the test prefix holds another wget.exe";
    }
    void TearDown() override { removeTool(); }
};

TEST_F(DownloadToolTest, DeployWritesThePayloadExactlyAndRemoveTakesItAway)
{
    EXPECT_EQ(toolPayload(), readOrEmpty(PAYLOAD_WGET_PATH)) << "resource differs from the build's payload";
    deployTool();
    EXPECT_EQ(readOrEmpty(toolPath()), toolPayload());

    // Found on the search path by its bare name, as the script runs it.
    RunResult version = run("wget.exe --version", "");
    EXPECT_EQ(version.status, 0u);
    EXPECT_NE(version.output.find("GNU Wget 1.21"), std::string::npos) << version.output;
    EXPECT_NE(version.output.find("+https"), std::string::npos) << version.output;

    // No temporary file is left beside it.
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((systemDir() + "\\wget.exe.*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE)
        ::FindClose(find);

    removeTool();
    EXPECT_FALSE(files::exists(toolPath()));
}

TEST_F(DownloadToolTest, UsersOwnWgetSurvivesStartAndExit)
{
    const std::string mine = "MZ the user's own wget, not ours";
    ASSERT_TRUE(files::createNew(toolPath(), mine));
    deployTool();
    EXPECT_EQ(readOrEmpty(toolPath()), mine);
    removeTool();
    EXPECT_EQ(readOrEmpty(toolPath()), mine);
    ::DeleteFileA(toolPath().c_str());
}

TEST_F(DownloadToolTest, CopyLeftByACrashedRunCountsAsOurs)
{
    ASSERT_TRUE(files::createNew(toolPath(), toolPayload()));
    deployTool();
    removeTool();
    EXPECT_FALSE(files::exists(toolPath()));
}

struct Copy {
    Handle process, ready, quit;
};

Copy startCopy(const std::string& tag)
{
    std::string ready = "velmora-test-ready-" + tag, quit = "velmora-test-quit-" + tag;
    Copy c;
    c.ready.reset(::CreateEventA(nullptr, TRUE, FALSE, ready.c_str()));
    c.quit.reset(::CreateEventA(nullptr, TRUE, FALSE, quit.c_str()));
    std::string cmd = std::string("\"") + TOOL_USER_PATH + "\" " + ready + " " + quit;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    EXPECT_TRUE(::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    c.process.reset(pi.hProcess);
    ::CloseHandle(pi.hThread);
    EXPECT_EQ(::WaitForSingleObject(c.ready.get(), 60000), WAIT_OBJECT_0);
    return c;
}

void stopCopy(Copy& c)
{
    ::SetEvent(c.quit.get());
    EXPECT_EQ(::WaitForSingleObject(c.process.get(), 60000), WAIT_OBJECT_0);
}

TEST_F(DownloadToolTest, TwoCopiesShareTheToolUntilTheLastCloses)
{
    Copy first = startCopy("a");
    Copy second = startCopy("b");
    EXPECT_EQ(readOrEmpty(toolPath()), toolPayload());
    stopCopy(first);
    EXPECT_EQ(readOrEmpty(toolPath()), toolPayload()) << "the first to close took the tool away";
    stopCopy(second);
    EXPECT_FALSE(files::exists(toolPath()));
}

TEST_F(DownloadToolTest, ToolStaysWhileAWgetStillRuns)
{
    deployTool();
    std::string folder = makeTempFolder("velmora-slow");
    std::string cmd = "wget.exe -q -O slow.txt http://127.0.0.1:" + std::to_string(HTTP_PORT) + "/slow/8";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                 nullptr, folder.c_str(), &si, &pi));
    Handle process(pi.hProcess), thread(pi.hThread);
    ::Sleep(1500);
    removeTool();
    EXPECT_EQ(readOrEmpty(toolPath()), toolPayload());
    EXPECT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
}

class DownloadToolMirror : public DownloadToolTest {
protected:
    std::string folder_;
    void SetUp() override
    {
        DownloadToolTest::SetUp();
        folder_ = makeTempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    RunResult mirror(const std::string& url)
    {
        return run("wget.exe -r -p -np -k \"" + url + "\"", folder_);
    }
};

TEST_F(DownloadToolMirror, MirrorsALocalSiteOverHttp)
{
    deployTool();
    std::string site = folder_ + "\\127.0.0.1+" + std::to_string(HTTP_PORT);
    RunResult r = mirror("http://127.0.0.1:" + std::to_string(HTTP_PORT) + "/");
    EXPECT_EQ(r.status, 0u) << r.output;
    for (const char* f : {"\\index.html", "\\page1.html", "\\page2.html", "\\style.css", "\\img\\dot.png"})
        EXPECT_TRUE(files::exists(site + f)) << f;
    std::string index = readOrEmpty(site + "\\index.html");
    EXPECT_NE(index.find("href=\"page1.html\""), std::string::npos) << index;
    EXPECT_EQ(index.find("http://127.0.0.1"), std::string::npos) << "links not converted: " << index;
}

// The test CA goes into the Windows root store, where a user's own trust
// would be; the tool's certificate file is made from it at deployment.
std::string testCaDer() { return readOrEmpty(TEST_CA_DER_PATH); }

class TrustedTestCa {
public:
    TrustedTestCa() : root_(testCaDer()) { EXPECT_TRUE(root_.added()) << root_.addError(); }
    ~TrustedTestCa() { EXPECT_TRUE(root_.remove()); }

private:
    TrustedRoot root_;
};

TEST_F(DownloadToolMirror, HttpsNeedsATrustedCertificate)
{
    const std::string url = "https://127.0.0.1:" + std::to_string(HTTPS_PORT) + "/";
    ASSERT_TRUE(removeFromRootStore(testCaDer()));
    {
        deployTool();
        RunResult untrusted = mirror(url);
        EXPECT_EQ(untrusted.status, 5u) << untrusted.output;
        removeTool();
    }
    {
        TrustedTestCa trust;
        deployTool();
        RunResult trusted = mirror(url);
        EXPECT_EQ(trusted.status, 0u) << trusted.output;
        EXPECT_TRUE(files::exists(folder_ + "\\127.0.0.1+" + std::to_string(HTTPS_PORT) + "\\page1.html"));
        removeTool();
    }
}

// Each file of a mirror is a new TLS handshake. gnulib's select() for
// Windows used to wake up early with nothing ready, wget took that for a
// timeout, and the mirror stopped halfway with "Unable to establish SSL
// connection." (status 4) about every other time under Wine.
TEST_F(DownloadToolMirror, HttpsMirrorsDoNotStopHalfway)
{
    const std::string url = "https://127.0.0.1:" + std::to_string(HTTPS_PORT) + "/";
    TrustedTestCa trust;
    deployTool();
    for (int i = 0; i < 6; ++i) {
        folder_ = makeTempFolder(("velmora-tls-" + std::to_string(i)).c_str());
        RunResult r = mirror(url);
        EXPECT_EQ(r.status, 0u) << "mirror " << i << ":\n" << r.output;
    }
    removeTool();
}

} // namespace
