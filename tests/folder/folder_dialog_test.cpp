// The folder dialog shown for real under Wine: a second thread waits for it,
// then cancels it or picks a folder the way a user would.
#include "folder/FolderDialog.h"
#include "platform/Com.h"
#include "platform/Handle.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>
#include <string>

namespace {

const char SaveToTitle[] = "\xB1\xA3\xB4\xE6\xB5\xBD"; // 保存到

struct Found {
    HWND window = nullptr;
};

BOOL CALLBACK findOwnDialog(HWND hwnd, LPARAM lParam)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char cls[32] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == ::GetCurrentProcessId() && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd)) {
        reinterpret_cast<Found*>(lParam)->window = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND waitForDialog()
{
    for (int i = 0; i < 600; ++i) {
        Found found;
        ::EnumWindows(findOwnDialog, reinterpret_cast<LPARAM>(&found));
        if (found.window)
            return found.window;
        ::Sleep(50);
    }
    return nullptr;
}

BOOL CALLBACK collectTexts(HWND hwnd, LPARAM lParam)
{
    auto* texts = reinterpret_cast<std::string*>(lParam);
    *texts += window::text(hwnd);
    *texts += '\n';
    return TRUE;
}

struct Helper {
    const std::function<void(HWND)>* act;
    std::string* dialogTexts;
};

DWORD WINAPI helperThread(void* p)
{
    auto* h = static_cast<Helper*>(p);
    HWND dialog = waitForDialog();
    if (!dialog)
        return 1;
    if (h->dialogTexts)
        ::EnumChildWindows(dialog, collectTexts, reinterpret_cast<LPARAM>(h->dialogTexts));
    (*h->act)(dialog);
    return 0;
}

// Runs the dialog on this thread while act(dialog) runs on another one.
Text browseWhile(std::string_view title, const std::function<void(HWND)>& act,
                 std::string* dialogTexts = nullptr)
{
    Helper helper{&act, dialogTexts};
    Handle thread(::CreateThread(nullptr, 0, helperThread, &helper, 0, nullptr));
    if (!thread)
        return "(no helper thread)";
    Text result = browseForFolder(nullptr, title);
    ::WaitForSingleObject(thread.get(), INFINITE);
    return result;
}

void press(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void select(HWND dialog, const char* path)
{
    ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path));
}

class FolderDialogTest : public testing::Test {
protected:
    OleSession ole_;
};

TEST_F(FolderDialogTest, CancelGivesNoFolderAndShowsTheTitle)
{
    ASSERT_TRUE(ole_.initialised());
    std::string texts;
    Text result = browseWhile(SaveToTitle, [](HWND d) { press(d, IDCANCEL); }, &texts);
    EXPECT_EQ(result, "");
    EXPECT_NE(texts.find(SaveToTitle), std::string::npos) << texts;
}

TEST_F(FolderDialogTest, DefaultTitle)
{
    std::string texts;
    browseWhile(DefaultFolderDialogTitle, [](HWND d) { press(d, IDCANCEL); }, &texts);
    EXPECT_NE(texts.find(std::string(DefaultFolderDialogTitle)), std::string::npos) << texts;
}

TEST_F(FolderDialogTest, ChosenFolderGivesItsPath)
{
    // 下载测试 under C:\, made for the test.
    const std::string folder = "C:\\velmora-dialog-\xCF\xC2\xD4\xD8\xB2\xE2\xCA\xD4";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    Text result = browseWhile(SaveToTitle, [&](HWND d) {
        select(d, folder.c_str());
        press(d, IDOK);
    });
    ::RemoveDirectoryA(folder.c_str());
    EXPECT_EQ(result, folder);
}

TEST_F(FolderDialogTest, DriveRootGivesTheBareDrive)
{
    Text result = browseWhile(SaveToTitle, [](HWND d) {
        select(d, "C:\\");
        press(d, IDOK);
    });
    EXPECT_EQ(result, "C:");
}

} // namespace
