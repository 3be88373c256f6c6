// The fatal run-time error for real: a child copy of the test binary raises
// it, and the test reads the child's error box, closes it and checks that the
// child then ends with exit code -1.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/ChildProcessWin32.h"
#include "text/RuntimeError.h"
#include "text/TextArray.h"

namespace velmora {
namespace {

using testsupport::ChildProcess;

constexpr DWORD kBoxWaitMs = 20000;
constexpr DWORD kExitWaitMs = 10000;

int ReadPastTheEnd() {
    TextArray array;
    array.Append("x");
    return array.At(2).Length();
}

int ReadIndexZero() {
    TextArray array;
    return array.At(0).Length();
}

int ReadPastTheEndChild(int, char**) { return 10 + ReadPastTheEnd(); }
int ReadIndexZeroChild(int, char**) { return 10 + ReadIndexZero(); }
int StorageExhaustedChild(int, char**) { RaiseStorageExhausted(4096); }

DWORD WINAPI ReadPastTheEndOnWorker(void*) { return DWORD(10 + ReadPastTheEnd()); }

// The error comes from a worker while the main thread runs a message loop
// like the program's, which ends with the quit code.
int WorkerRaisesChild(int, char**) {
    HANDLE worker = CreateThread(nullptr, 0, ReadPastTheEndOnWorker, nullptr, 0, nullptr);
    if (worker == nullptr) return 11;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}

const bool childModesRegistered =
    testsupport::RegisterChildMode("read-past-end", ReadPastTheEndChild) &&
    testsupport::RegisterChildMode("read-index-zero", ReadIndexZeroChild) &&
    testsupport::RegisterChildMode("storage-exhausted", StorageExhaustedChild) &&
    testsupport::RegisterChildMode("worker-raises", WorkerRaisesChild);

BOOL CALLBACK FindBoxParts(HWND child, LPARAM context) {
    auto* parts = reinterpret_cast<std::pair<HWND, HWND>*>(context);
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) return TRUE;
    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        parts->second = child;
    } else if (GetWindowTextLengthA(child) > 0) {
        parts->first = child;
    }
    return TRUE;
}

struct ErrorCase {
    const char* childMode;
    bool onWorker;
    const char* boxText;
};

class RuntimeErrorBoxTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RuntimeErrorBoxTest, ShowsTheBoxThenEndsWithMinusOne) {
    const ErrorCase& c = GetParam();
    ChildProcess child;
    ASSERT_TRUE(child.Start(testsupport::TestProgramPath(), c.childMode));

    const HWND box = testsupport::WaitForProcessWindow(child.ProcessId(), "#32770", kBoxWaitMs);
    ASSERT_NE(box, nullptr) << "no error box within " << kBoxWaitMs << " ms";
    EXPECT_EQ(testsupport::WindowText(box), "错误");
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    const DWORD boxThread = GetWindowThreadProcessId(box, nullptr);
    if (c.onWorker) EXPECT_NE(boxThread, child.MainThreadId());
    else EXPECT_EQ(boxThread, child.MainThreadId());

    std::pair<HWND, HWND> parts{nullptr, nullptr};  // text, icon
    EnumChildWindows(box, FindBoxParts, reinterpret_cast<LPARAM>(&parts));
    ASSERT_NE(parts.first, nullptr) << "no text in the box";
    EXPECT_EQ(testsupport::WindowText(parts.first), c.boxText);
    // A box without an icon style keeps an empty icon control.
    ASSERT_NE(parts.second, nullptr) << "no icon control in the box";
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(parts.second, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
    EXPECT_NE(icon, 0u) << "the box shows no icon";

    // Nothing ends the child while the box is open.
    DWORD exitCode = 0;
    EXPECT_FALSE(child.Wait(300, &exitCode));

    const HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr) << "the box has no OK button";
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    ASSERT_TRUE(child.Wait(kExitWaitMs, &exitCode)) << "the child did not end after OK";
    EXPECT_EQ(exitCode, 0xFFFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RuntimeErrorBoxTest,
    ::testing::Values(
        ErrorCase{"read-past-end", false,
                  "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"},
        ErrorCase{"read-index-zero", false,
                  "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"},
        ErrorCase{"storage-exhausted", false, "运行时出错!\r\n\r\n错误信息：分配 4096 字节内存失败!\r\n"},
        ErrorCase{"worker-raises", true,
                  "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) {
        std::string name = info.param.childMode;
        for (char& ch : name) {
            if (ch == '-') ch = '_';
        }
        return name;
    });

}  // namespace
}  // namespace velmora
