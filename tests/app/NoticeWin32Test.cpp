// The window search by process, title and class, and the notice box driven
// from a helper thread that finds the box and presses one of its buttons.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "app/Notice.h"
#include "app/UiTexts.h"
#include "support/ChildProcessWin32.h"
#include "text/Platform.h"

namespace velmora {
namespace {

using testsupport::WaitForProcessWindow;
using testsupport::WindowText;

constexpr char kClassA[] = "VelmoraTestWindowA";
constexpr char kClassB[] = "VelmoraTestWindowB";

HWND MakeTopWindow(const char* className, const char* title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);  // a second registration fails harmlessly
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// Two visible windows of this process; b is on top of a in Z order.
class WindowSearch : public ::testing::Test {
protected:
    void SetUp() override {
        a = MakeTopWindow(kClassA, "alpha window");
        b = MakeTopWindow(kClassB, "beta window");
        SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_TRUE(a && b);
    }
    void TearDown() override {
        DestroyWindow(a);
        DestroyWindow(b);
    }
    HWND a = nullptr;
    HWND b = nullptr;
};

TEST_F(WindowSearch, FiltersDecideOnlyWhenBothAreGiven) {
    const Text alpha = "alpha", beta = "beta", none = "no such text", classA = kClassA, partOfClassA = "WindowA";
    struct Case {
        const char* name;
        const Text* title;
        const Text* className;
        bool expectA;  // else b
    } cases[] = {
        {"no filter", nullptr, nullptr, false},
        {"title alone, matching the lower window", &alpha, nullptr, false},
        {"class alone, matching the lower window", nullptr, &classA, false},
        {"title alone, matching nothing", &none, nullptr, false},
        {"both, title matches the lower window", &alpha, &none, true},
        {"both, class part matches the lower window", &none, &partOfClassA, true},
        {"both, title matches the top window", &beta, &classA, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindProcessWindow(GetCurrentProcessId(), c.title, c.className, 2000), c.expectA ? a : b)
            << c.name;
    }
}

TEST_F(WindowSearch, HiddenWindowsAndOtherProcessesDoNotCount) {
    ShowWindow(b, SW_HIDE);
    EXPECT_EQ(FindProcessWindow(GetCurrentProcessId()), a);
    EXPECT_EQ(FindProcessWindow(GetCurrentProcessId() + 0x10000, nullptr, nullptr, 150), nullptr);
}

TEST_F(WindowSearch, TimeLimit) {
    const Text none = "no such text";
    struct Case {
        int limitMs;
        bool found;
        DWORD atLeastMs, belowMs;
    } cases[] = {
        {0, false, 0, 50},        // no window is looked at
        {-7, false, 0, 50},       // any negative limit but -1
        {200, false, 190, 2000},  // both filters fail: gives up at the limit
        {-1, true, 0, 2000},      // the default: finds the window, no early end
    };
    for (const Case& c : cases) {
        const Text& titleFilter = c.found ? Text("alpha") : none;
        const ULONGLONG start = GetTickCount64();
        HWND found = FindProcessWindow(GetCurrentProcessId(), &titleFilter, &none, c.limitMs);
        const ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_EQ(found, c.found ? a : nullptr) << c.limitMs;
        EXPECT_GE(elapsed, c.atLeastMs) << c.limitMs;
        EXPECT_LT(elapsed, c.belowMs) << c.limitMs;
    }
}

TEST_F(WindowSearch, SmallQueries) {
    EXPECT_EQ(WindowProcessId(a), GetCurrentProcessId());
    EXPECT_EQ(WindowProcessId(reinterpret_cast<HWND>(0x7654320)), 0u);
    EXPECT_EQ(std::string(WindowTitle(a).View()), "alpha window");
    EXPECT_EQ(std::string(WindowClassName(a).View()), kClassA);

    // Only 49 bytes of a class name are read.
    const std::string longClass(60, 'C');
    HWND window = MakeTopWindow(longClass.c_str(), "");
    EXPECT_EQ(std::string(WindowClassName(window).View()), longClass.substr(0, 49));
    EXPECT_TRUE(WindowTitle(window).IsEmpty());
    DestroyWindow(window);
}

// Presses a button of the first message box of this process from its own
// thread and records what the box looked like.
struct BoxPress {
    int button = IDOK;
    DWORD waitMs = 5000;
    HWND box = nullptr;
    HWND owner = nullptr;
    std::string title;
};

DWORD WINAPI PressBoxButton(void* parameter) {
    auto* press = static_cast<BoxPress*>(parameter);
    press->box = WaitForProcessWindow(GetCurrentProcessId(), "#32770", press->waitMs);
    if (!press->box) return 1;
    press->owner = GetWindow(press->box, GW_OWNER);
    press->title = WindowText(press->box);
    PostMessageA(press->box, WM_COMMAND, MAKEWPARAM(press->button, BN_CLICKED),
                 LPARAM(GetDlgItem(press->box, press->button)));
    return 0;
}

int ShowAndPress(BoxPress& press, const std::function<int()>& show) {
    HANDLE helper = CreateThread(nullptr, 0, PressBoxButton, &press, 0, nullptr);
    const int result = show();
    WaitForSingleObject(helper, 10000);
    CloseHandle(helper);
    return result;
}

TEST_F(WindowSearch, NoticeResultIsTheButtonIdLessOne) {
    struct Case {
        int buttons;
        int press;
        int expected;
    } cases[] = {
        {MB_OK, IDOK, 0},        {MB_OKCANCEL, IDCANCEL, 1},          {MB_ABORTRETRYIGNORE, IDIGNORE, 4},
        {MB_YESNO, IDYES, 5},    {MB_YESNO | MB_ICONWARNING, IDNO, 6},
    };
    for (const Case& c : cases) {
        BoxPress press;
        press.button = c.press;
        EXPECT_EQ(ShowAndPress(press, [&] { return ShowNotice("question", c.buttons); }), c.expected)
            << c.buttons;
    }
}

TEST_F(WindowSearch, NoticeDefaultsToTheProcessWindowAndItsTitle) {
    BoxPress press;
    EXPECT_EQ(ShowAndPress(press, [] { return ShowNotice("message alone"); }), 0);
    EXPECT_EQ(press.owner, b);  // the top visible window of the process
    EXPECT_EQ(press.title, kNoticeTitle);

    const Text title = "given title";
    BoxPress given;
    EXPECT_EQ(ShowAndPress(given, [&] { return ShowNotice("owned by a", MB_OK, &title, a); }), 0);
    EXPECT_EQ(given.owner, a);
    EXPECT_EQ(given.title, "given title");
}

TEST(Notice, FailedBoxGivesMinusOne) {
    // An owner that is no window makes the box fail before it shows; should
    // it show all the same, the helper closes it and the result is 0.
    BoxPress press;
    press.waitMs = 1500;
    EXPECT_EQ(ShowAndPress(press, [] { return ShowNotice("never shown", MB_OK, nullptr, reinterpret_cast<HWND>(0x7654320)); }),
              -1);
}

}  // namespace
}  // namespace velmora
