// Child modes of the Windows test binary: a test starts the binary itself with
// --child=<name> [arguments], and main() runs the function registered under
// that name instead of the tests. Used for what ends or blocks a process (the
// fatal error box) and for runs from another program directory.
#pragma once

#include <windows.h>

#include <string>

namespace velmora::testsupport {

// Receives the arguments after --child=<name>; its result is the exit code.
using ChildMain = int (*)(int argc, char** argv);

// Registers a child mode at static initialisation:
//   const bool registered = RegisterChildMode("raise-error", RaiseErrorChild);
bool RegisterChildMode(const char* name, ChildMain main);

// When argv[1] is --child=<name>, runs that mode and stores its exit code.
// False when argv names no child mode; an unknown name exits with code 2.
bool RunChildMode(int argc, char** argv, int* exitCode);

// A started child process; ended (TerminateProcess) if still running when
// the owner goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    bool Start(const std::string& program, const std::string& childMode,
               const std::string& arguments = "");
    // The exit code, or nothing when the child did not end within timeoutMs.
    bool Wait(DWORD timeoutMs, DWORD* exitCode);
    DWORD ProcessId() const { return processId_; }
    DWORD MainThreadId() const { return mainThreadId_; }
    HANDLE Process() const { return process_; }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD mainThreadId_ = 0;
};

// The full path of the running test binary.
std::string TestProgramPath();

// Polls for a visible top-level window of the process with the given class
// (for message boxes "#32770") for up to timeoutMs; null if none appears.
HWND WaitForProcessWindow(DWORD processId, const char* className, DWORD timeoutMs);

// The text of a window of any process, read without sending it a message.
std::string WindowText(HWND window);

}  // namespace velmora::testsupport
