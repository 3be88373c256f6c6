#include "support/ChildProcessWin32.h"

#include <cstring>
#include <vector>

namespace velmora::testsupport {
namespace {

struct ChildMode {
    const char* name;
    ChildMain main;
};

std::vector<ChildMode>& ChildModes() {
    static std::vector<ChildMode> modes;
    return modes;
}

constexpr char kChildPrefix[] = "--child=";

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::strcmp(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool RegisterChildMode(const char* name, ChildMain main) {
    ChildModes().push_back({name, main});
    return true;
}

bool RunChildMode(int argc, char** argv, int* exitCode) {
    if (argc < 2 || std::strncmp(argv[1], kChildPrefix, sizeof kChildPrefix - 1) != 0) return false;
    const char* name = argv[1] + sizeof kChildPrefix - 1;
    for (const ChildMode& mode : ChildModes()) {
        if (std::strcmp(mode.name, name) == 0) {
            *exitCode = mode.main(argc - 2, argv + 2);
            return true;
        }
    }
    *exitCode = 2;
    return true;
}

ChildProcess::~ChildProcess() {
    if (process_ == nullptr) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 3);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool ChildProcess::Start(const std::string& program, const std::string& childMode,
                         const std::string& arguments) {
    std::string commandLine = "\"" + program + "\" " + kChildPrefix + childMode;
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    processId_ = started.dwProcessId;
    mainThreadId_ = started.dwThreadId;
    return true;
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(process_, exitCode) != 0;
}

std::string TestProgramPath() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

HWND WaitForProcessWindow(DWORD processId, const char* className, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search = {processId, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

}  // namespace velmora::testsupport
