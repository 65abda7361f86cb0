// The built program driven through its window under Wine, the way a user
// drives it: a save folder and an address typed, perhaps a proxy, 下载
// pressed, the message box read and closed. Each case then looks at the
// files on disk and checks that no run script was left behind.
//
// servers.sh (see CMakeLists.txt) serves the sites on 127.0.0.1, runs the
// proxy and maps drive V: before these tests start.
#include "ProgramDriver.h"
#include "TrustedRoot.h"
#include "job/Outcome.h"
#include "platform/Files.h"
#include "ui/MainWindowDesign.h"

#include <windows.h>

#include "CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// wget under Wine needs a few seconds for a small site.
constexpr auto OutcomeLimit = 180s;

const Text State = STATE_PATH;

Text address(const char* scheme, int port, std::string_view path = "")
{
    return Text(scheme) + "://127.0.0.1:" + std::to_string(port) + "/" + Text(path);
}

// Wine reuses process ids from run to run; the tick count keeps each
// folder new, so files left by an earlier run cannot pass for this one's.
Text stamp()
{
    char s[48];
    std::snprintf(s, sizeof s, "%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
    return s;
}

Text newFolder(const Text& prefix)
{
    Text folder = prefix + "-" + stamp();
    EXPECT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder << ": " << ::GetLastError();
    return folder;
}

// Where wget puts a site's files: a folder named after the host, with '+'
// for the ':' that file names cannot hold.
Text hostFolder(const Text& folder, int port)
{
    return folder + "\\127.0.0.1+" + std::to_string(port);
}

std::vector<Text> listFolder(const Text& folder)
{
    std::vector<Text> names;
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        const Text name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(h, &found));
    ::FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const Text& path) { return files::readAll(path).value_or(""); }

// What the user types before pressing 下载.
struct Request {
    Text folder;
    Text address;
    int proxyPort = 0; // 0: 使用代理 stays unticked
};

HWND control(const ProgramDriver& p, std::string_view role)
{
    const ControlDesign* d = findControl(MainWindowDesign, role);
    return d ? p.control(*d) : nullptr;
}

// Fills the window and presses 下载; returns once the program has read the
// fields, which is when its run script appears.
void startDownload(const ProgramDriver& p, const Request& r)
{
    const int scripts = runScriptCount();
    p.setText(control(p, role::saveFolderBox), r.folder);
    p.setText(control(p, role::urlBox), r.address);
    p.setChecked(control(p, role::useProxyCheck), r.proxyPort != 0);
    p.setText(control(p, role::proxyHostBox), r.proxyPort ? "127.0.0.1" : "");
    p.setText(control(p, role::proxyPortBox), r.proxyPort ? std::to_string(r.proxyPort) : "");
    p.click(control(p, role::downloadButton));
    for (int i = 0; i < 500 && runScriptCount() == scripts; ++i)
        ::Sleep(20);
}

struct Shown {
    Text caption;
    Text text;
};

// The next message box the program shows, read and closed.
std::optional<Shown> nextMessage(const ProgramDriver& p, std::chrono::milliseconds limit = OutcomeLimit)
{
    HWND box = p.waitForDialog(limit);
    if (!box)
        return std::nullopt;
    char caption[256] = {};
    ::GetWindowTextA(box, caption, sizeof caption);
    Shown shown{caption, ProgramDriver::dialogMessage(box)};
    p.dismiss(box);
    return shown;
}

void expectOutcome(const std::optional<Shown>& shown, unsigned long status)
{
    ASSERT_TRUE(shown.has_value()) << "no outcome shown";
    const Outcome expected = outcomeOfExit(status);
    EXPECT_EQ(shown->caption, expected.caption) << "status " << status;
    EXPECT_EQ(shown->text, expected.text) << "status " << status;
}

// The launcher deletes each run's script once its interpreter has ended.
void expectScriptsGone(int before)
{
    for (int i = 0; i < 100 && runScriptCount() != before; ++i)
        ::Sleep(20);
    EXPECT_EQ(runScriptCount(), before) << "a run script was left behind";
}

std::unique_ptr<ProgramDriver> startProgram()
{
    return std::make_unique<ProgramDriver>(VELMORA_EXE_PATH, MainWindowDesign.caption);
}

void quit(ProgramDriver& p)
{
    p.press(VK_ESCAPE);
    EXPECT_EQ(p.waitForExit(15s), std::optional<DWORD>(0));
}

// The test CA is trusted the way a user's own root would be: in the Windows
// root store before the program starts, which is when the program collects
// the roots it hands to wget. The other CA is trusted by nobody.
class TrustTestCa : public testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(removeFromRootStore(readFile(State + "\\untrusted-certs\\ca.der")));
        root_ = std::make_unique<TrustedRoot>(readFile(State + "\\certs\\ca.der"));
        ASSERT_TRUE(root_->added()) << root_->addError();
    }
    void TearDown() override
    {
        if (root_) {
            EXPECT_TRUE(root_->remove());
        }
    }

private:
    std::unique_ptr<TrustedRoot> root_;
};
const auto* const trustTestCa = testing::AddGlobalTestEnvironment(new TrustTestCa);

// One site, one download, one program that stays open from case to case as
// it would for a user.
struct SiteCase {
    const char* what;
    const char* scheme;
    int port;
    int proxyPort;
    unsigned long status;
    std::vector<const char*> files; // expected under the host's folder
    bool linksConverted;
};

void PrintTo(const SiteCase& c, std::ostream* os) { *os << c.what; }

const std::vector<const char*> WholeSite = {"index.html", "page1.html", "page2.html",
                                            "page3.html", "style.css",  "img\\dot.png"};
const std::vector<const char*> BrokenSite = {"index.html", "page1.html", "page2.html",
                                             "style.css", "img\\dot.png"};

const SiteCase SiteCases[] = {
    {"http", "http", HTTP_PORT, 0, 0, WholeSite, true},
    {"https with a trusted certificate", "https", HTTPS_PORT, 0, 0, WholeSite, true},
    {"https with an untrusted certificate", "https", UNTRUSTED_PORT, 0, 5, {}, false},
    {"http through the proxy", "http", HTTP_PORT, PROXY_PORT, 0, WholeSite, true},
    {"https through the proxy", "https", HTTPS_PORT, PROXY_PORT, 0, WholeSite, true},
    {"proxy that is down", "http", HTTP_PORT, PROXY_DOWN_PORT, 4, {}, false},
    {"site with a broken link", "http", BROKEN_PORT, 0, 8, BrokenSite, false},
    {"port nobody listens on", "http", CLOSED_PORT, 0, 4, {}, false},
};

class SiteTest : public testing::TestWithParam<SiteCase> {
protected:
    static void SetUpTestSuite() { program_ = startProgram().release(); }
    static void TearDownTestSuite()
    {
        delete program_;
        program_ = nullptr;
    }
    static ProgramDriver* program_;
};

ProgramDriver* SiteTest::program_ = nullptr;

TEST_P(SiteTest, MirrorsAndTellsHowItWent)
{
    const SiteCase& c = GetParam();
    ASSERT_TRUE(program_ && program_->started());
    const Text proxyLog = State + "\\proxy.log";
    const std::size_t proxyLogBefore = readFile(proxyLog).size();
    const int scripts = runScriptCount();
    const Text folder = newFolder("C:\\velmora-e2e");

    startDownload(*program_, {folder, address(c.scheme, c.port), c.proxyPort});
    expectOutcome(nextMessage(*program_), c.status);
    expectScriptsGone(scripts);

    const Text site = hostFolder(folder, c.port);
    if (c.files.empty()) {
        EXPECT_EQ(listFolder(folder), std::vector<Text>{}) << "nothing should be saved";
    }
    for (const char* file : c.files)
        EXPECT_TRUE(files::exists(site + "\\" + file)) << site << "\\" << file;
    if (c.linksConverted) {
        const std::string index = readFile(site + "\\index.html");
        EXPECT_NE(index.find("href=\"page1.html\""), std::string::npos) << index;
        EXPECT_EQ(index.find("127.0.0.1"), std::string::npos) << "links not converted: " << index;
    }
    if (c.proxyPort == PROXY_PORT) {
        // tinyproxy logs the request line of a plain request and the target
        // of a tunnel.
        const std::string carried = readFile(proxyLog).substr(proxyLogBefore);
        const std::string expected = Text(c.scheme) == "http"
                                         ? "GET " + address("http", c.port)
                                         : "CONNECT 127.0.0.1:" + std::to_string(c.port);
        EXPECT_NE(carried.find(expected), std::string::npos) << "proxy log:\n" << carried;
    }
}

INSTANTIATE_TEST_SUITE_P(Program, SiteTest, testing::ValuesIn(SiteCases), CaseName());

// Characters that mean something to the interpreter, in both the address and
// the save folder. Done wrong, the '&' would start the command after it,
// "%OS%" would become the system's name, and "%20" would lose "%2" to the
// script's second argument.
TEST(AwkwardNamesTest, FilesLandInExactlyThatFolder)
{
    const int scripts = runScriptCount();
    // C:\velmora e2e %OS% & 50% ^(下载)-N
    const Text folder = newFolder("C:\\velmora e2e %OS% & 50% ^(\xCF\xC2\xD4\xD8)");
    const std::vector<Text> rootBefore = listFolder("C:");
    const Text query = "index.html?q=a%20b&mkdir velmora-ran";

    auto program = startProgram();
    ASSERT_TRUE(program->started());
    startDownload(*program, {folder, address("http", HTTP_PORT, query)});
    expectOutcome(nextMessage(*program), 0);
    expectScriptsGone(scripts);

    // The server saw the query as typed (wget sends the space as %20).
    const std::string requests = readFile(State + "\\http.requests");
    EXPECT_NE(requests.find("GET /index.html?q=a%20b&mkdir%20velmora-ran HTTP/"),
              std::string::npos)
        << requests;
    // Only the site's folder is there, with the queried page in it: wget
    // writes '?' as '@' in Windows file names, and the space as it is.
    EXPECT_EQ(listFolder(folder), std::vector<Text>{"127.0.0.1+" + std::to_string(HTTP_PORT)});
    const Text site = hostFolder(folder, HTTP_PORT);
    EXPECT_TRUE(files::exists(site + "\\index.html@q=a b&mkdir velmora-ran"))
        << "saved: " << testing::PrintToString(listFolder(site));
    EXPECT_TRUE(files::exists(site + "\\page1.html"));
    quit(*program);

    std::vector<Text> rootAfter = listFolder("C:");
    EXPECT_EQ(rootAfter, rootBefore) << "something else was made in C:\\";
}

// A save folder on another drive: V: is a folder of the test's state on this
// machine, so the files are looked for through both names.
TEST(OtherDriveTest, FilesLandOnThatDrive)
{
    const Text name = "velmora-e2e-" + stamp();
    const Text folder = Text(DRIVE_LETTER) + ":\\" + name;
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder << ": " << ::GetLastError();
    const int scripts = runScriptCount();

    auto program = startProgram();
    ASSERT_TRUE(program->started());
    startDownload(*program, {folder, address("http", HTTP_PORT)});
    expectOutcome(nextMessage(*program), 0);
    expectScriptsGone(scripts);
    quit(*program);

    const Text port = std::to_string(HTTP_PORT);
    EXPECT_TRUE(files::exists(folder + "\\127.0.0.1+" + port + "\\page3.html"));
    EXPECT_TRUE(files::exists(State + "\\drive\\" + name + "\\127.0.0.1+" + port + "\\page3.html"));
}

// Runs that overlap each get their own outcome: a slow page that succeeds,
// and a site with a broken link that ends first with the warning.
Request slowRequest() { return {newFolder("C:\\velmora-e2e-slow"), address("http", HTTP_PORT, "slow/10")}; }
Request brokenRequest() { return {newFolder("C:\\velmora-e2e-broken"), address("http", BROKEN_PORT)}; }

void expectSlowPageSaved(const Request& r)
{
    EXPECT_EQ(readFile(hostFolder(r.folder, HTTP_PORT) + "\\slow\\10"), "slow\n");
}

void expectBrokenSiteSaved(const Request& r)
{
    EXPECT_TRUE(files::exists(hostFolder(r.folder, BROKEN_PORT) + "\\page2.html"));
}

TEST(ConcurrentTest, TwoDownloadsFromOneWindow)
{
    const int scripts = runScriptCount();
    const Request slow = slowRequest(), broken = brokenRequest();
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    startDownload(*program, slow);
    ASSERT_EQ(runScriptCount(), scripts + 1);
    startDownload(*program, broken);
    ASSERT_EQ(runScriptCount(), scripts + 2);

    expectOutcome(nextMessage(*program), 8);
    expectOutcome(nextMessage(*program), 0);
    expectScriptsGone(scripts);
    expectSlowPageSaved(slow);
    expectBrokenSiteSaved(broken);
    quit(*program);
}

TEST(ConcurrentTest, TwoProgramsAtOnce)
{
    const int scripts = runScriptCount();
    const Request slow = slowRequest(), broken = brokenRequest();
    auto first = startProgram();
    auto second = startProgram();
    ASSERT_TRUE(first->started() && second->started());
    startDownload(*first, slow);
    startDownload(*second, broken);

    expectOutcome(nextMessage(*second), 8);
    expectOutcome(nextMessage(*first), 0);
    expectScriptsGone(scripts);
    expectSlowPageSaved(slow);
    expectBrokenSiteSaved(broken);
    quit(*second);
    EXPECT_TRUE(files::exists(deployedToolPath())) << "the first program still needs the tool";
    quit(*first);
    EXPECT_FALSE(files::exists(deployedToolPath()));
}

// An interpreter of the user's own, open the whole time, neither delays the
// outcome nor is touched.
TEST(ConcurrentTest, DownloadWhileAnUnrelatedInterpreterIsOpen)
{
    char commandLine[] = "cmd.exe /k";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                                 nullptr, nullptr, &si, &pi));
    Handle interpreter(pi.hProcess), thread(pi.hThread);

    const int scripts = runScriptCount();
    const Text folder = newFolder("C:\\velmora-e2e-beside-cmd");
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    startDownload(*program, {folder, address("http", HTTP_PORT)});
    expectOutcome(nextMessage(*program, 60s), 0);
    expectScriptsGone(scripts);
    EXPECT_TRUE(files::exists(hostFolder(folder, HTTP_PORT) + "\\page3.html"));
    quit(*program);

    EXPECT_EQ(::WaitForSingleObject(interpreter.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the user's interpreter ended";
    ::TerminateProcess(interpreter.get(), 0);
}

// The user's own files where the program puts its own.
TEST(UserFilesTest, OwnWgetSurvivesStartAndExit)
{
    const Text tool = deployedToolPath();
    ASSERT_FALSE(files::exists(tool)) << "a tool was left by an earlier program";
    const std::string own = "MZ the user's own wget, other bytes than the program's\r\n";
    ASSERT_TRUE(files::createNew(tool, own));

    auto program = startProgram();
    ASSERT_TRUE(program->started());
    EXPECT_EQ(readFile(tool), own) << "replaced at start";
    quit(*program);
    EXPECT_EQ(readFile(tool), own) << "touched at exit";
    ::DeleteFileA(tool.c_str());
}

TEST(UserFilesTest, OwnScriptSurvivesADownload)
{
    const Text script = "C:\\\xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE.bat"; // C:\临时文件.bat
    ASSERT_FALSE(files::exists(script)) << "left by an earlier run";
    const std::string own = "@echo the user's own script\r\n";
    ASSERT_TRUE(files::createNew(script, own));

    const Text folder = newFolder("C:\\velmora-e2e-own-script");
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    startDownload(*program, {folder, address("http", HTTP_PORT)});
    expectOutcome(nextMessage(*program), 0);
    expectScriptsGone(1);
    EXPECT_TRUE(files::exists(hostFolder(folder, HTTP_PORT) + "\\page3.html"));
    quit(*program);

    EXPECT_EQ(readFile(script), own);
    ::DeleteFileA(script.c_str());
}

} // namespace
