// The form runtime on a small window of its own, in this process: event
// dispatch, the label's look and press, the timer, and the loop's handling
// of a request to quit.
#include "platform/Window.h"
#include "ui/Form.h"
#include "ui/Runtime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

constexpr ControlDesign Controls[] = {
    {ControlKind::Label, "link", "link", 10, 10, 120, 20, "link", true, 0xFF0000, true},
    {ControlKind::Label, "plain", "", 10, 100, 120, 20, "plain", true},
    {ControlKind::Timer, "tick", "tick", 0, 0, 0, 0, "", false},
    {ControlKind::CheckBox, "check", "check", 10, 70, 120, 20, "check", true},
    {ControlKind::Edit, "box", "box", 10, 40, 120, 24, "", true},
    {ControlKind::Button, "go", "go", 140, 10, 60, 24, "go", true},
};
constexpr FormDesign Design{"form test", 240, 180, Controls};

using Clock = std::chrono::steady_clock;

void pumpFor(std::chrono::milliseconds span)
{
    const auto end = Clock::now() + span;
    while (Clock::now() < end) {
        runtime::processPendingEvents();
        ::Sleep(5);
    }
}

template <typename Done>
bool pumpUntil(Done done, std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        runtime::processPendingEvents();
        if (done())
            return true;
        ::Sleep(2);
    }
    return false;
}

class FormTest : public testing::Test {
protected:
    void SetUp() override { form_.setQuitOnDestroy(false); }
    void TearDown() override { pumpFor(std::chrono::milliseconds(0)); }

    Form form_{Design};
};

TEST_F(FormTest, CreatedHandlerRunsBeforeTheWindowIsShown)
{
    bool sawControls = false;
    bool sawVisible = true;
    form_.onCreated([&] {
        sawControls = form_.control("box") != nullptr;
        sawVisible = ::IsWindowVisible(form_.window()) != FALSE;
    });
    ASSERT_TRUE(form_.load());
    EXPECT_TRUE(sawControls);
    EXPECT_FALSE(sawVisible);
    EXPECT_TRUE(::IsWindowVisible(form_.window()));
    EXPECT_EQ(form_.control("tick"), nullptr) << "a timer has no window";
}

TEST_F(FormTest, EveryControlHasTheDefaultGuiFont)
{
    ASSERT_TRUE(form_.load());
    HGDIOBJ guiFont = ::GetStockObject(DEFAULT_GUI_FONT);
    for (HWND child = ::GetWindow(form_.window(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT))
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(::SendMessageA(child, WM_GETFONT, 0, 0)), guiFont);
}

TEST_F(FormTest, PropertiesReadBackAsWritten)
{
    ASSERT_TRUE(form_.load());
    const Text chinese = "C:\\\xCF\xC2\xD4\xD8 x"; // C:\下载 x
    form_.setText("box", chinese);
    EXPECT_EQ(form_.text("box"), chinese);
    EXPECT_FALSE(form_.checked("check"));
    form_.setChecked("check", true);
    EXPECT_TRUE(form_.checked("check"));
    EXPECT_EQ(form_.period("tick"), 0u);
}

TEST_F(FormTest, ButtonClickReachesItsHandlerAndTheCheckBoxNone)
{
    int clicks = 0;
    form_.onClick("go", [&] { ++clicks; });
    ASSERT_TRUE(form_.load());
    ::SendMessageA(form_.control("go"), BM_CLICK, 0, 0);
    ::SendMessageA(form_.control("check"), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form_.checked("check"));
}

TEST_F(FormTest, LabelPressRunsOncePerPressAndNotForTheDoubleClick)
{
    int presses = 0;
    form_.onLeftPress("link", [&] { ++presses; });
    ASSERT_TRUE(form_.load());
    HWND link = form_.control("link");
    // What a double-click sends the label: press, release, double-click,
    // release.
    ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ::SendMessageA(link, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(presses, 1);
}

TEST_F(FormTest, RealDoubleClickOnTheLabelIsOnePress)
{
    int presses = 0;
    form_.onLeftPress("link", [&] { ++presses; });
    ASSERT_TRUE(form_.load());
    RECT r;
    ::GetWindowRect(form_.control("link"), &r);
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = ((r.left + 5) * 65536 + w - 1) / w;
    move.mi.dy = ((r.top + 5) * 65536 + h - 1) / h;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT down = move, up = move;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    INPUT clicks[] = {move, down, up, down, up};
    ASSERT_EQ(::SendInput(5, clicks, sizeof(INPUT)), 5u);
    pumpFor(std::chrono::milliseconds(500));
    EXPECT_EQ(presses, 1);
}

TEST_F(FormTest, LinkLabelIsBlueWithAHandCursor)
{
    ASSERT_TRUE(form_.load());
    HDC dc = ::CreateCompatibleDC(nullptr);
    struct Look {
        const char* role;
        HWND hwnd;
        COLORREF colour;
    };
    HWND plain = ::FindWindowExA(form_.window(), nullptr, "Static", "plain");
    ASSERT_NE(plain, nullptr);
    for (const Look& l : {Look{"link", form_.control("link"), RGB(0, 0, 255)},
                          Look{"plain label", plain, RGB(0, 0, 0)},
                          Look{"check", form_.control("check"), RGB(0, 0, 0)}}) {
        LRESULT brush = ::SendMessageA(form_.window(), WM_CTLCOLORSTATIC,
                                       reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(l.hwnd));
        EXPECT_EQ(::GetTextColor(dc), l.colour) << l.role;
        EXPECT_EQ(::GetBkColor(dc), ::GetSysColor(COLOR_BTNFACE)) << l.role;
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), ::GetSysColorBrush(COLOR_BTNFACE)) << l.role;
    }
    ::DeleteDC(dc);

    HCURSOR hand = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    HCURSOR arrow = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    ::SetCursor(arrow);
    EXPECT_TRUE(::SendMessageA(form_.control("link"), WM_SETCURSOR,
                               reinterpret_cast<WPARAM>(form_.control("link")),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), hand);
    ::SendMessageA(form_.control("box"), WM_SETCURSOR,
                   reinterpret_cast<WPARAM>(form_.control("box")),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::GetCursor(), hand);
}

TEST_F(FormTest, RewritingThePeriodDoesNotRestartTheTimer)
{
    int ticks = 0;
    form_.onElapsed("tick", [&] { ++ticks; });
    ASSERT_TRUE(form_.load());
    const auto start = Clock::now();
    form_.setPeriod("tick", 700);
    pumpFor(std::chrono::milliseconds(450));
    form_.setPeriod("tick", 700);
    ASSERT_TRUE(pumpUntil([&] { return ticks > 0; }, std::chrono::milliseconds(3000)));
    // A restart would have put the first tick at 450 + 700 ms at the soonest.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1100));
}

TEST_F(FormTest, PeriodZeroStopsTheTimer)
{
    int ticks = 0;
    form_.onElapsed("tick", [&] { ++ticks; });
    ASSERT_TRUE(form_.load());
    form_.setPeriod("tick", 50);
    ASSERT_TRUE(pumpUntil([&] { return ticks > 0; }, std::chrono::milliseconds(3000)));
    form_.setPeriod("tick", 0);
    EXPECT_EQ(form_.period("tick"), 0u);
    pumpFor(std::chrono::milliseconds(50)); // a tick already queued may still come
    const int stoppedAt = ticks;
    pumpFor(std::chrono::milliseconds(400));
    EXPECT_EQ(ticks, stoppedAt);
}

TEST_F(FormTest, DestroyingHandlerSeesTheControlsAndCloseEndsTheWindow)
{
    bool controlsThere = false;
    form_.onDestroying([&] { controlsThere = ::IsWindow(form_.control("box")) != FALSE; });
    ASSERT_TRUE(form_.load());
    form_.close();
    EXPECT_TRUE(controlsThere);
    EXPECT_EQ(form_.window(), nullptr);
}

// Keys typed for real (SendInput) and taken from the queue the way the
// message loop takes them.
class FormKeysTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form_.onClick("go", [this] { ++clicks_; });
        form_.onDestroying([this] { closed_ = true; });
        ASSERT_TRUE(form_.load());
        ::SetForegroundWindow(form_.window());
        pumpFor(std::chrono::milliseconds(100));
    }

    static void keys(std::initializer_list<std::pair<WORD, bool>> strokes)
    {
        std::vector<INPUT> in;
        for (auto [vk, down] : strokes) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = vk;
            i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
            in.push_back(i);
        }
        ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
        pumpFor(std::chrono::milliseconds(150));
    }
    static void tap(WORD vk) { keys({{vk, true}, {vk, false}}); }

    int clicks_ = 0;
    bool closed_ = false;
};

TEST_F(FormKeysTest, TabAndShiftTabWalkTheCreationOrder)
{
    // The rows from the last up: go, box, check; labels take no focus.
    ASSERT_EQ(::GetFocus(), form_.control("go")) << "first focus";
    tap(VK_TAB);
    EXPECT_EQ(::GetFocus(), form_.control("box"));
    tap(VK_TAB);
    EXPECT_EQ(::GetFocus(), form_.control("check"));
    tap(VK_TAB);
    EXPECT_EQ(::GetFocus(), form_.control("go"));
    keys({{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}});
    EXPECT_EQ(::GetFocus(), form_.control("check"));
}

TEST_F(FormKeysTest, EnterPressesNothingAndSpacePressesTheFocusedButton)
{
    ASSERT_EQ(::GetFocus(), form_.control("go"));
    tap(VK_RETURN);
    EXPECT_EQ(clicks_, 0);
    // Reached with Tab, a button is what a dialog would make its default one.
    for (int i = 0; i < 3; ++i)
        tap(VK_TAB);
    ASSERT_EQ(::GetFocus(), form_.control("go"));
    tap(VK_RETURN);
    EXPECT_EQ(clicks_, 0);
    tap(VK_SPACE);
    EXPECT_EQ(clicks_, 1);
}

TEST_F(FormKeysTest, EscClosesButNotWithAModifier)
{
    tap(VK_TAB); // into the edit box
    for (WORD modifier : {VK_CONTROL, VK_SHIFT}) {
        keys({{modifier, true}, {VK_ESCAPE, true}, {VK_ESCAPE, false}, {modifier, false}});
        EXPECT_FALSE(closed_) << "modifier " << modifier;
    }
    tap(VK_ESCAPE);
    EXPECT_TRUE(closed_);
    EXPECT_EQ(form_.window(), nullptr);
}

TEST(RuntimeTest, PendingEventsLeaveAQuitRequestForTheLoop)
{
    ::PostQuitMessage(7);
    runtime::processPendingEvents();
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(RuntimeTest, ExitRoutineRunsOnce)
{
    int runs = 0;
    runtime::setExitRoutine([&] { ++runs; });
    runtime::runExitRoutine();
    runtime::runExitRoutine();
    EXPECT_EQ(runs, 1);
}

TEST(WindowTextTest, FitsTheCodePageOnlyWithEveryCharacterItsOwn)
{
    struct Case {
        const wchar_t* text;
        bool fits;
    } cases[] = {
        {L"", true},
        {L"C:\\\x4E0B\x8F7D", true}, // C:\下载
        {L"C:\\\xD55C", false},       // a Hangul syllable
        {L"C:\\Stra\x00DF" L"e", false}, // ß, which a best fit would make "s"
        {L"C:\\?", true},              // a real question mark is in the code page
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(window::fitsCodePage(cases[i].text, 936), cases[i].fits) << "case " << i;
}

} // namespace
