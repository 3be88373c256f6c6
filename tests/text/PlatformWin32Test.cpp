// The platform services against the real Windows functions (under Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/ChildProcessWin32.h"
#include "text/Platform.h"
#include "text/PlatformWin32.h"

namespace velmora {
namespace {

using testsupport::ChildProcess;

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH] = {};
        GetTempPathA(sizeof base, base);
        folder_ = std::string(base) + "velmora-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
    }
    void TearDown() override { RemoveTree(folder_); }

    std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

    static void RemoveTree(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string path = folder + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
                else DeleteFileA(path.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }

    static void Put(const std::string& path, const std::string& bytes) {
        ASSERT_TRUE(WriteFile(Text(path.c_str()), ByteSet::Present(bytes)));
    }

    // The file's bytes, or "<missing>".
    static std::string Contents(const std::string& path) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes;
        char buffer[65536];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
        CloseHandle(file);
        return bytes;
    }

    std::string folder_;
};

using FileExistsTest = TempFolder;

TEST_F(FileExistsTest, FindsWhatADirectorySearchFinds) {
    Put(PathOf("a.txt"), "x");
    ASSERT_TRUE(CreateDirectoryA(PathOf("sub").c_str(), nullptr));
    const struct {
        std::string path;
        bool exists;
    } cases[] = {
        {PathOf("a.txt"), true},
        {PathOf("b.txt"), false},
        {PathOf("*.txt"), true},
        {PathOf("*.jpg"), false},
        {PathOf("sub"), true},
        {PathOf("sub") + "\\", false},
        {PathOf("missing\\a.txt"), false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(FileExists(Text(c.path.c_str())), c.exists) << c.path;
    EXPECT_FALSE(FileExists(Text()));
}

using WriteFileTest = TempFolder;

TEST_F(WriteFileTest, ReplacesTheWholeFileWithTheBytes) {
    const std::string path = PathOf("photo.jpg");
    Put(path, std::string("first version, longer than the second"));
    const std::string bytes("\xFF\xD8\0\x01\r\n\x1A end", 10);
    EXPECT_TRUE(WriteFile(Text(path.c_str()), ByteSet::Present(bytes)));
    EXPECT_EQ(Contents(path), bytes);
}

TEST_F(WriteFileTest, WritesLargeBodiesCompletely) {
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + i / 251);
    const std::string path = PathOf("big.bin");
    EXPECT_TRUE(WriteFile(Text(path.c_str()), ByteSet::Present(bytes)));
    EXPECT_EQ(Contents(path), bytes);
}

TEST_F(WriteFileTest, EmptyOrAbsentBytesLeaveAnEmptyFile) {
    for (const ByteSet& bytes : {ByteSet(), ByteSet::Present("", 0)}) {
        const std::string path = PathOf("empty.jpg");
        Put(path, "old");
        EXPECT_TRUE(WriteFile(Text(path.c_str()), bytes));
        EXPECT_EQ(Contents(path), "");
    }
}

TEST_F(WriteFileTest, FailsWithoutCreatingAnything) {
    const ByteSet bytes = ByteSet::Present("data");
    EXPECT_FALSE(WriteFile(Text(), bytes));
    EXPECT_FALSE(WriteFile(Text(""), bytes));
    EXPECT_FALSE(WriteFile(Text(PathOf("no folder\\a.jpg").c_str()), bytes));
    EXPECT_FALSE(FileExists(Text(PathOf("no folder").c_str())));
    EXPECT_FALSE(WriteFile(Text(folder_.c_str()), bytes)) << "a folder is not a file";
}

TEST_F(WriteFileTest, FailsWhileAnotherHandleHoldsTheFile) {
    const std::string path = PathOf("held.jpg");
    Put(path, "kept");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteFile(Text(path.c_str()), ByteSet::Present("new")));
    CloseHandle(held);
    EXPECT_EQ(Contents(path), "kept");
}

using MoveAndRemoveTest = TempFolder;

TEST_F(MoveAndRemoveTest, MoveReplacesTheTarget) {
    Put(PathOf("part"), "new");
    Put(PathOf("photo.jpg"), "old photo");
    EXPECT_TRUE(MoveFileReplacing(Text(PathOf("part").c_str()), Text(PathOf("photo.jpg").c_str())));
    EXPECT_EQ(Contents(PathOf("photo.jpg")), "new");
    EXPECT_EQ(Contents(PathOf("part")), "<missing>");
}

TEST_F(MoveAndRemoveTest, FailedMoveLeavesBothFilesAlone) {
    Put(PathOf("photo.jpg"), "old photo");
    EXPECT_FALSE(MoveFileReplacing(Text(PathOf("none").c_str()), Text(PathOf("photo.jpg").c_str())));
    EXPECT_EQ(Contents(PathOf("photo.jpg")), "old photo");

    Put(PathOf("part"), "new");
    EXPECT_FALSE(MoveFileReplacing(Text(PathOf("part").c_str()), Text(PathOf("no folder\\x").c_str())));
    EXPECT_EQ(Contents(PathOf("part")), "new");

    // A target past MAX_PATH, which CreateFileA could not have made either.
    const std::string tooLong = PathOf(std::string(MAX_PATH, 'L') + ".jpg");
    EXPECT_FALSE(MoveFileReplacing(Text(PathOf("part").c_str()), Text(tooLong.c_str())));
    EXPECT_EQ(Contents(PathOf("part")), "new");
}

TEST_F(MoveAndRemoveTest, RemoveDeletesOnce) {
    Put(PathOf("a.jpg"), "x");
    EXPECT_TRUE(RemoveFile(Text(PathOf("a.jpg").c_str())));
    EXPECT_FALSE(FileExists(Text(PathOf("a.jpg").c_str())));
    EXPECT_FALSE(RemoveFile(Text(PathOf("a.jpg").c_str())));
    EXPECT_FALSE(RemoveFile(Text()));
}

TEST(SystemLocaleTest, AnsiCodePageIsGbk) {
    // Everything else assumes GBK text; wine-run sets the zh_CN locale.
    ASSERT_EQ(GetACP(), 936u) << "Wine did not get the zh_CN.UTF-8 locale";
}

// --- Program directory -------------------------------------------------------

// Child: writes the program directory and the current directory, one per line.
int ReportDirectoriesChild(int argc, char** argv) {
    if (argc < 1) return 2;
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    const std::string report = std::string(ProgramDirectory().Data()) + "\n" + current + "\n";
    return WriteFile(Text(argv[0]), ByteSet::Present(report)) ? 0 : 1;
}
const bool reportDirectoriesRegistered =
    testsupport::RegisterChildMode("report-directories", ReportDirectoriesChild);

TEST(ProgramDirectoryTest, IsTheFolderOfTheProgramAndTheCurrentDirectory) {
    const std::string program = testsupport::TestProgramPath();
    const std::string folder = program.substr(0, program.rfind('\\'));
    EXPECT_EQ(ProgramDirectory().View(), folder);
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(std::string(current), folder);
}

using ProgramDirectoryFromCopyTest = TempFolder;

// The program's own name holds a two-byte character whose second byte is 0x5C,
// the backslash: only a walk by characters finds the real last backslash.
TEST_F(ProgramDirectoryFromCopyTest, TwoByteCharacterInTheNameIsNoSeparator) {
    const std::string copy = PathOf("\xD5\x5C" "copy.exe");
    ASSERT_TRUE(CopyFileA(testsupport::TestProgramPath().c_str(), copy.c_str(), FALSE));
    const std::string report = PathOf("report.txt");

    ChildProcess child;
    ASSERT_TRUE(child.Start(copy, "report-directories", "\"" + report + "\""));
    DWORD exitCode = 1;
    ASSERT_TRUE(child.Wait(30000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Contents(report), folder_ + "\n" + folder_ + "\n");
}

// --- Thread ids --------------------------------------------------------------

DWORD WINAPI StoreCurrentThreadId(void* out) {
    *static_cast<unsigned*>(out) = CurrentThreadId();
    return 0;
}

TEST(CurrentThreadIdTest, DiffersBetweenThreads) {
    unsigned workerId = 0;
    HANDLE worker = CreateThread(nullptr, 0, StoreCurrentThreadId, &workerId, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    WaitForSingleObject(worker, 5000);
    CloseHandle(worker);
    EXPECT_NE(workerId, 0u);
    EXPECT_NE(workerId, CurrentThreadId());
    EXPECT_EQ(CurrentThreadId(), GetCurrentThreadId());
}

// --- ProcessEvents -----------------------------------------------------------

// A message-only window that records what reaches its window procedure, and a
// pre-translation hook that swallows kSwallowed.
class ProcessEventsTest : public ::testing::Test {
protected:
    static constexpr UINT kSwallowed = WM_APP + 7;

    void SetUp() override {
        seen().clear();
        offered().clear();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Record;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VelmoraProcessEventsTest";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        Drain();
        SetMessagePreTranslator(Swallow);
    }
    void TearDown() override {
        SetMessagePreTranslator(nullptr);
        DestroyWindow(window_);
        Drain();
    }

    static void Drain() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {}
    }
    static std::vector<UINT>& seen() {
        static std::vector<UINT> messages;
        return messages;
    }
    static std::vector<UINT>& offered() {
        static std::vector<UINT> messages;
        return messages;
    }
    static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message >= WM_APP || message == WM_KEYDOWN || message == WM_CHAR) seen().push_back(message);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    static bool Swallow(MSG* message) {
        offered().push_back(message->message);
        return message->message == kSwallowed;
    }

    HWND window_ = nullptr;
};

TEST_F(ProcessEventsTest, ReturnsAtOnceWithAnEmptyQueue) {
    const DWORD start = GetTickCount();
    ProcessEvents();
    EXPECT_LT(GetTickCount() - start, 2000u);  // a wait would last for ever
    EXPECT_TRUE(seen().empty());
}

TEST_F(ProcessEventsTest, RunsWaitingMessagesThroughTheHookAndTranslation) {
    PostMessageA(window_, WM_APP + 1, 0, 0);
    PostMessageA(window_, kSwallowed, 0, 0);
    PostMessageA(window_, WM_KEYDOWN, 'A', 1);
    PostMessageA(window_, WM_APP + 2, 0, 0);
    ProcessEvents();

    const std::vector<UINT> offeredExpected = {WM_APP + 1, kSwallowed, WM_KEYDOWN};
    ASSERT_GE(offered().size(), offeredExpected.size());
    EXPECT_EQ(std::vector<UINT>(offered().begin(), offered().begin() + 3), offeredExpected);
    // The swallowed message never reaches the window; the character that
    // TranslateMessage makes of the key press is posted behind the others and
    // still runs in the same call.
    EXPECT_EQ(seen(), (std::vector<UINT>{WM_APP + 1, WM_KEYDOWN, WM_APP + 2, WM_CHAR}));
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ProcessEventsTest, StopsAtWmQuitAndLeavesItWaiting) {
    // PostQuitMessage's quit comes after the posted messages.
    PostMessageA(window_, WM_APP + 1, 0, 0);
    PostQuitMessage(5);
    ProcessEvents();
    EXPECT_EQ(seen(), std::vector<UINT>{WM_APP + 1});
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, UINT(WM_QUIT));
    EXPECT_EQ(message.wParam, WPARAM(5));

    // A posted WM_QUIT holds back what was posted after it.
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 6, 0);
    PostMessageA(window_, WM_APP + 2, 0, 0);
    ProcessEvents();
    EXPECT_EQ(seen(), std::vector<UINT>{WM_APP + 1});
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, UINT(WM_QUIT));
}

}  // namespace
}  // namespace velmora
