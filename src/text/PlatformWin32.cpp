// Platform services on Windows: files, the program directory, the uptime
// clock, the calling thread's message queue and the fatal error box.
#include "text/Platform.h"

#include <atomic>

#include "text/PlatformWin32.h"

namespace velmora {
namespace {

constexpr DWORD kModulePathSize = 260;

// Fixed by InitProgramDirectory before any other thread starts, read-only after.
Text programDirectory;
DWORD mainThreadId = 0;

std::atomic<MessagePreTranslator> preTranslator{nullptr};

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) noexcept : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    bool IsValid() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const noexcept { return handle_; }
    bool Close() noexcept {
        if (!IsValid()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, const unsigned char* data, int length) {
    while (length > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, DWORD(length), &written, nullptr) || written == 0) return false;
        data += written;
        length -= int(written);
    }
    return true;
}

// Offset of the last backslash that is a character of its own, not the
// second byte of a two-byte character; -1 when there is none.
int LastBackslash(const char* path, int length) {
    int last = -1;
    for (int i = 0; i < length;) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte >= 0x80 && i + 1 < length) {
            i += 2;
            continue;
        }
        if (byte == '\\') last = i;
        ++i;
    }
    return last;
}

}  // namespace

bool FileExists(const Text& path) {
    if (path.IsEmpty()) return false;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path.WinPtr(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool WriteFile(const Text& path, const ByteSet& bytes) {
    if (path.IsEmpty()) return false;
    FileHandle file(CreateFileA(path.WinPtr(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    const bool written = WriteAll(file.Get(), bytes.Data(), bytes.Length());
    const bool closed = file.Close();
    return written && closed;
}

bool MoveFileReplacing(const Text& from, const Text& to) {
    // A name whose full path does not fit MAX_PATH cannot be created with
    // CreateFileA, so a move must not create it either (Wine's MoveFileExA
    // would): a file the program writes stays one every ANSI caller can open.
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(to.Data(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return MoveFileExA(from.WinPtr(), to.WinPtr(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const Text& path) { return DeleteFileA(path.WinPtr()) != 0; }

void InitProgramDirectory() {
    mainThreadId = GetCurrentThreadId();

    char modulePath[kModulePathSize] = {};
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, kModulePathSize);
    // A path longer than the buffer comes back cut short; keep the bytes in it.
    const int usable = int(length < kModulePathSize ? length : kModulePathSize - 1);
    const int backslash = LastBackslash(modulePath, usable);
    programDirectory = Text::Result(modulePath, backslash > 0 ? backslash : 0);
    if (programDirectory.IsEmpty()) return;

    // "C:" alone names the drive's current directory; the program sits in its root.
    if (modulePath[backslash - 1] == ':') modulePath[backslash + 1] = '\0';
    else modulePath[backslash] = '\0';
    SetCurrentDirectoryA(modulePath);
}

Text ProgramDirectory() { return programDirectory; }

DWORD MainThreadId() { return mainThreadId; }

int UptimeMs() { return static_cast<int>(GetTickCount()); }

void SetMessagePreTranslator(MessagePreTranslator hook) { preTranslator.store(hook); }

bool PreTranslateMessage(MSG* message) {
    const MessagePreTranslator hook = preTranslator.load();
    return hook != nullptr && hook(message);
}

void ProcessEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        // Only this thread takes messages from its queue, so the one just seen
        // is there and GetMessageA returns at once. A quit that a sent message
        // raised meanwhile can come first: it goes back for the loop to see.
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
        if (got <= 0) return;
        if (PreTranslateMessage(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

unsigned CurrentThreadId() { return GetCurrentThreadId(); }

void ShowFatalBoxAndExit(const Text& boxText, const Text& title) {
    MessageBoxA(nullptr, boxText.WinPtr(), title.WinPtr(), MB_OK | MB_ICONERROR);

    // From a worker, ask the main thread to leave its message loop. The quit
    // code is the same -1, so whichever thread ends the process first, the exit
    // code is -1. Nothing waits for the main thread.
    constexpr int kExitCode = -1;
    if (mainThreadId != 0 && GetCurrentThreadId() != mainThreadId) {
        PostThreadMessageA(mainThreadId, WM_QUIT, static_cast<WPARAM>(kExitCode), 0);
    }
    ExitProcess(static_cast<UINT>(kExitCode));
}

}  // namespace velmora
