// The real program driven through its window under Wine: its layout against
// the design table, the keyboard, the folder button, the warnings for bad
// input, closing with Esc, and a whole download of a site on 127.0.0.1. With VELMORA_SHOT_READY set it also holds the
// window still for a screenshot (screenshot.sh).
#include "ProgramDriver.h"
#include "job/Outcome.h"
#include "ui/InputMessages.h"
#include "ui/MainWindowDesign.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#ifndef VELMORA_EXE_PATH
#error "VELMORA_EXE_PATH must name the program to drive"
#endif

namespace {

using namespace std::chrono_literals;

const ControlDesign& row(std::string_view role)
{
    const ControlDesign* d = findControl(MainWindowDesign, role);
    if (!d)
        throw std::logic_error("no such role in the design");
    return *d;
}

const ControlDesign& rowNamed(std::string_view name)
{
    for (const ControlDesign& d : MainWindowDesign.controls) {
        if (d.name == name)
            return d;
    }
    throw std::logic_error("no such name in the design");
}

std::unique_ptr<ProgramDriver> startProgram()
{
    auto p = std::make_unique<ProgramDriver>(VELMORA_EXE_PATH, MainWindowDesign.caption);
    return p;
}

bool exists(const Text& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(MainWindowTest, LayoutMatchesTheDesign)
{
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    HWND main = program->window();

    RECT outer;
    ::GetWindowRect(main, &outer);
    EXPECT_EQ(outer.right - outer.left, MainWindowDesign.width);
    EXPECT_EQ(outer.bottom - outer.top, MainWindowDesign.height);
    EXPECT_EQ(outer.left, (::GetSystemMetrics(SM_CXSCREEN) - MainWindowDesign.width) / 2);
    EXPECT_EQ(outer.top, (::GetSystemMetrics(SM_CYSCREEN) - MainWindowDesign.height) / 2);

    const LONG_PTR style = ::GetWindowLongPtrA(main, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrA(main, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the frame is fixed";
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_TOPMOST);

    std::size_t windows = 0;
    for (const ControlDesign& d : MainWindowDesign.controls) {
        SCOPED_TRACE(testing::Message() << "role " << d.role << ", caption " << d.caption);
        if (d.kind == ControlKind::Timer)
            continue; // no window of its own; counted out below
        ++windows;
        HWND h = program->control(d);
        ASSERT_NE(h, nullptr) << "no control of that class, place and size";
        EXPECT_EQ(program->text(h), d.caption);
        EXPECT_EQ(::IsWindowVisible(h) != FALSE, d.visible);
        const LONG_PTR s = ::GetWindowLongPtrA(h, GWL_STYLE);
        const LONG_PTR x = ::GetWindowLongPtrA(h, GWL_EXSTYLE);
        switch (d.kind) {
        case ControlKind::Edit:
            EXPECT_TRUE(x & WS_EX_CLIENTEDGE);
            EXPECT_TRUE(s & ES_AUTOHSCROLL);
            EXPECT_FALSE(s & (ES_MULTILINE | ES_CENTER | ES_RIGHT | WS_HSCROLL | WS_VSCROLL));
            EXPECT_GE(static_cast<unsigned long>(::SendMessageA(h, EM_GETLIMITTEXT, 0, 0)),
                      0x7FFFFFFEul);
            break;
        case ControlKind::Label:
            EXPECT_TRUE(s & SS_CENTERIMAGE);
            EXPECT_FALSE(s & (WS_BORDER | WS_TABSTOP));
            EXPECT_EQ(x & WS_EX_CLIENTEDGE, 0);
            break;
        case ControlKind::Button:
            EXPECT_EQ(s & BS_TYPEMASK, BS_PUSHBUTTON) << "no button is the default one";
            break;
        case ControlKind::CheckBox:
            EXPECT_EQ(s & BS_TYPEMASK, BS_AUTOCHECKBOX);
            EXPECT_FALSE(s & BS_LEFTTEXT);
            EXPECT_EQ(::SendMessageA(h, BM_GETCHECK, 0, 0), BST_UNCHECKED);
            break;
        case ControlKind::Timer:
            break;
        }
    }
    EXPECT_EQ(program->children().size(), windows);
}

// What the program file carries: its icon and its manifest.
TEST(ProgramFileTest, IconAndManifest)
{
    HMODULE file = ::LoadLibraryExA(VELMORA_EXE_PATH, nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(file, nullptr);

    HICON icon = static_cast<HICON>(::LoadImageA(file, MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon, &info));
    BITMAP colour{};
    ::GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 64);
    EXPECT_EQ(colour.bmHeight, 64);
    EXPECT_EQ(colour.bmBitsPixel, 32);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(icon);

    HRSRC found = ::FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(file, found)));
    const std::string manifest(bytes, ::SizeofResource(file, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    for (const char* absent : {"dependency", "Common-Controls", "dpiAware", "dpiAwareness"})
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
    ::FreeLibrary(file);
}

TEST(MainWindowTest, TabWalksTheControlsFromTheFirstButton)
{
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    const char* const order[] = {
        "\xB0\xB4\xC5\xA5" "1",          // 按钮1
        "\xB1\xE0\xBC\xAD\xBF\xF2" "1", // 编辑框1
        "\xB0\xB4\xC5\xA5" "2",          // 按钮2
        "\xB1\xE0\xBC\xAD\xBF\xF2" "2", // 编辑框2
        "\xB1\xE0\xBC\xAD\xBF\xF2" "3", // 编辑框3
        "\xB1\xE0\xBC\xAD\xBF\xF2" "4", // 编辑框4
        "\xD1\xA1\xD4\xF1\xBF\xF2" "1", // 选择框1
        "\xB0\xB4\xC5\xA5" "1",          // 按钮1 again
    };
    EXPECT_EQ(program->focus(), program->control(rowNamed(order[0]))) << "first focus";
    for (std::size_t i = 1; i < std::size(order); ++i) {
        program->press(VK_TAB);
        HWND expected = program->control(rowNamed(order[i]));
        for (int wait = 0; wait < 50 && program->focus() != expected; ++wait)
            ::Sleep(20);
        EXPECT_EQ(program->focus(), expected) << "after Tab number " << i;
    }
}

TEST(MainWindowTest, EnterPressesNoButton)
{
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    const int scripts = runScriptCount();
    // On 按钮1 (the folder dialog would open) and on 按钮2 (a warning would
    // say that the address is missing).
    for (int tabs : {0, 2}) {
        for (int i = 0; i < tabs; ++i)
            program->press(VK_TAB);
        program->press(VK_RETURN);
        EXPECT_EQ(program->waitForDialog(800ms), nullptr) << "after " << tabs << " Tabs";
    }
    EXPECT_EQ(runScriptCount(), scripts);
}

TEST(MainWindowTest, EscClosesTheWindowFromAnEditBox)
{
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    program->press(VK_TAB); // 编辑框1
    ASSERT_EQ(program->focus(), program->control(row(role::saveFolderBox)));
    program->press(VK_ESCAPE);
    EXPECT_EQ(program->waitForExit(15s), std::optional<DWORD>(0));
}

TEST(MainWindowTest, ToolIsInPlaceWhileTheWindowIsOpen)
{
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    EXPECT_TRUE(exists(deployedToolPath())) << deployedToolPath();
    program->press(VK_ESCAPE);
    ASSERT_EQ(program->waitForExit(15s), std::optional<DWORD>(0));
    EXPECT_FALSE(exists(deployedToolPath())) << deployedToolPath();
}

TEST(MainWindowTest, CancelledFolderDialogEmptiesTheSaveFolderBox)
{
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    HWND box = program->control(row(role::saveFolderBox));
    program->setText(box, "C:\\windows");
    program->click(program->control(row(role::localPathButton)));
    HWND dialog = program->waitForDialog(20s);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), program->window());
    const std::vector<Text> texts = ProgramDriver::dialogTexts(dialog);
    EXPECT_NE(std::find(texts.begin(), texts.end(), Text("\xB1\xA3\xB4\xE6\xB5\xBD")), // 保存到
              texts.end())
        << "the dialog's title";
    program->cancel(dialog);
    for (int wait = 0; wait < 50 && !program->text(box).empty(); ++wait)
        ::Sleep(20);
    EXPECT_EQ(program->text(box), "");
}

// Input that must not start a download, and what the program says about it.
struct BadInput {
    const char* what;
    const char* folder;
    const wchar_t* wideFolder; // instead of folder, when set
    const char* address;
    bool useProxy;
    const char* host;
    const char* port;
    InputProblem expected;
};

const char NotAFolder[] = "C:\\velmora-driver-file.txt";
const char Site[] = "http://127.0.0.1:9/";

const BadInput BadInputs[] = {
    {"folder missing", "C:\\velmora-no-such-folder", nullptr, Site, false, "", "",
     InputProblem::FolderMissing},
    {"folder is a file", NotAFolder, nullptr, Site, false, "", "", InputProblem::FolderNotAFolder},
    {"folder with a double quote", "C:\\a\"b", nullptr, Site, false, "", "",
     InputProblem::FolderBadCharacter},
    {"folder outside the code page", nullptr, L"C:\\\xD55C\xAE00", Site, false, "", "",
     InputProblem::FolderNotInCodePage},
    {"no address", "", nullptr, "  ", false, "", "", InputProblem::AddressEmpty},
    {"address with a double quote", "", nullptr, "http://127.0.0.1/\"", false, "", "",
     InputProblem::AddressBadCharacter},
    {"proxy without a host", "", nullptr, Site, true, "", "8080", InputProblem::HostEmpty},
    {"proxy host with a tab", "", nullptr, Site, true, "a\tb", "8080",
     InputProblem::HostBadCharacter},
    {"proxy without a port", "", nullptr, Site, true, "127.0.0.1", "", InputProblem::PortEmpty},
    {"proxy port too large", "", nullptr, Site, true, "127.0.0.1", "70000",
     InputProblem::PortOutOfRange},
    {"proxy port with a double quote", "", nullptr, Site, true, "127.0.0.1", "80\"",
     InputProblem::PortBadCharacter},
    {"folder is checked before the address", "C:\\velmora-no-such-folder", nullptr, "", false, "",
     "", InputProblem::FolderMissing},
    {"address is checked before the proxy", "", nullptr, "", true, "", "",
     InputProblem::AddressEmpty},
};

class BadInputTest : public testing::TestWithParam<BadInput> {
protected:
    static void SetUpTestSuite()
    {
        std::ofstream(NotAFolder) << "not a folder\n";
        program_ = startProgram().release();
    }
    static void TearDownTestSuite()
    {
        delete program_;
        program_ = nullptr;
        ::DeleteFileA(NotAFolder);
    }
    static ProgramDriver* program_;
};

ProgramDriver* BadInputTest::program_ = nullptr;

TEST_P(BadInputTest, WarnsAndStartsNothing)
{
    const BadInput& in = GetParam();
    ProgramDriver& p = *program_;
    ASSERT_TRUE(p.started());
    HWND folder = p.control(row(role::saveFolderBox));
    if (in.wideFolder)
        p.setWideText(folder, in.wideFolder);
    else
        p.setText(folder, in.folder);
    p.setText(p.control(row(role::urlBox)), in.address);
    p.setChecked(p.control(row(role::useProxyCheck)), in.useProxy);
    p.setText(p.control(row(role::proxyHostBox)), in.host);
    p.setText(p.control(row(role::proxyPortBox)), in.port);
    const int scripts = runScriptCount();

    p.click(p.control(row(role::downloadButton)));
    HWND box = p.waitForDialog(10s);
    ASSERT_NE(box, nullptr) << "no warning shown";
    EXPECT_EQ(ProgramDriver::dialogMessage(box), messageOf(in.expected));
    char caption[128] = {};
    ::GetWindowTextA(box, caption, sizeof caption);
    EXPECT_EQ(std::string_view(caption), InputMessageCaption);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), p.window());
    p.dismiss(box);
    EXPECT_EQ(p.waitForDialog(300ms), nullptr);
    EXPECT_EQ(runScriptCount(), scripts) << "a run was started";
}

INSTANTIATE_TEST_SUITE_P(Window, BadInputTest, testing::ValuesIn(BadInputs), CaseName());

#ifdef SITE_PORT
// A whole download through the window: a save folder typed by hand (never
// chosen with the folder button), the address of a site on 127.0.0.1, and
// proxy fields that would be refused if the unticked 使用代理 let them count.
TEST(DownloadTest, TypedFolderReceivesTheSite)
{
    // Wine reuses process ids from run to run; the tick count keeps the
    // folder new, so files left by an earlier run cannot pass for this one's.
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
    const Text folder = Text("C:\\velmora-ui-\xCF\xC2\xD4\xD8-") + stamp; // C:\velmora-ui-下载-N
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    const Text address = "http://127.0.0.1:" + std::to_string(SITE_PORT) + "/";

    auto program = startProgram();
    ASSERT_TRUE(program->started());
    program->setText(program->control(row(role::saveFolderBox)), folder);
    program->setText(program->control(row(role::urlBox)), address);
    program->setText(program->control(row(role::proxyHostBox)), "a\"b");
    program->setText(program->control(row(role::proxyPortBox)), "no port");
    program->click(program->control(row(role::downloadButton)));

    HWND box = program->waitForDialog(240s);
    ASSERT_NE(box, nullptr) << "no outcome shown";
    const Outcome success = outcomeOfExit(0);
    EXPECT_EQ(ProgramDriver::dialogMessage(box), success.text);
    char caption[128] = {};
    ::GetWindowTextA(box, caption, sizeof caption);
    EXPECT_EQ(Text(caption), success.caption);
    program->dismiss(box);

    // wget names the host's folder "127.0.0.1+PORT" where ':' is not allowed.
    const Text site = folder + "\\127.0.0.1+" + std::to_string(SITE_PORT);
    for (const char* file : {"index.html", "page1.html", "page2.html", "style.css", "img\\dot.png"})
        EXPECT_TRUE(exists(site + "\\" + file)) << site << "\\" << file;

    program->press(VK_ESCAPE);
    EXPECT_EQ(program->waitForExit(15s), std::optional<DWORD>(0));
}
#endif

// Holds the freshly started window still while screenshot.sh takes its
// picture: writes the window's place on the screen to the file named by
// VELMORA_SHOT_READY and waits for the file named by VELMORA_SHOT_DONE.
TEST(ScreenshotTest, HoldWindowForScreenshot)
{
    const char* ready = std::getenv("VELMORA_SHOT_READY");
    const char* done = std::getenv("VELMORA_SHOT_DONE");
    if (!ready || !done)
        GTEST_SKIP() << "only for screenshot.sh";
    auto program = startProgram();
    ASSERT_TRUE(program->started());
    ::Sleep(1000); // let it paint
    RECT r;
    ::GetWindowRect(program->window(), &r);
    std::ofstream(ready) << r.left << ' ' << r.top << ' ' << (r.right - r.left) << ' '
                         << (r.bottom - r.top) << '\n';
    for (int i = 0; i < 600 && !exists(done); ++i)
        ::Sleep(100);
    EXPECT_TRUE(exists(done));
}

} // namespace
