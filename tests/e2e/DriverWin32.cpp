// Operates the downloader's window as a person would, for the end-to-end run.
//
//   velmora-e2e-driver.exe <script file> <time limit ms>
//
// The script holds one command per line (texts in the ANSI code page):
//   launch <program>            start it and wait for its main window
//   state                       print every control's text and the selections
//   layout                      print every control's class and client rectangle
//   pick <box> <index>          pick a list item of a drop-down box
//   type <box> <text>           select the box's text and type over it, key by key
//   clear <box>                 select the box's text and delete it
//   click <button>              press a button
//   notice <ms>                 wait for a notice box, print it and press OK
//   nonotice <ms>               make sure no notice box shows up for a while
//   waitlabel <ms> <text>       wait until the progress label shows the text
//   waitfile <ms> <path>        wait until a file exists
//   sleep <ms>
//   shot <path.bmp>             save a picture of the window
//   close <ms>                  ask the window to close, time the end of the process
// Boxes: gender, agefrom, ageto, pages, folder, label. Buttons: start, browse.
// What it sees goes to stdout as tab-separated lines the test runner parses;
// a command that fails prints "error\t..." and ends the script. The program
// is ended by force when the script ends with it still running, and the whole
// script is bounded by the time limit.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/UiTexts.h"

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr DWORD kPollMs = 20;
constexpr DWORD kSendTimeoutMs = 5000;
constexpr DWORD kLaunchTimeoutMs = 30000;
constexpr char kOwnerMain[] = "main";
constexpr char kOwnerOther[] = "other";
constexpr char kOwnerNone[] = "none";

struct Control {
    const char* name;
    int id;
};

// The controls the script names, by their ids in the main window.
constexpr Control kControls[] = {
    {"gender", velmora::kGenderBoxId},     {"agefrom", velmora::kLowerAgeBoxId},
    {"ageto", velmora::kUpperAgeBoxId},    {"pages", velmora::kPageCountBoxId},
    {"folder", velmora::kFolderBoxId},     {"label", velmora::kProgressLabelId},
    {"start", velmora::kStartButtonId},    {"browse", velmora::kBrowseButtonId},
};

struct Session {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    DWORD deadline = 0;
};

Session session;

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool Fail(const std::string& what) {
    Say("error\t" + what);
    return false;
}

bool PastDeadline() { return LONG(GetTickCount() - session.deadline) >= 0; }

// Runs until ready() holds or timeoutMs passes (or the script's limit).
template <class Ready>
bool WaitFor(DWORD timeoutMs, Ready ready) {
    DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start >= timeoutMs || PastDeadline()) return false;
        Sleep(kPollMs);
    }
    return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result);
    return LRESULT(result);
}

std::string TextOf(HWND window) {
    int length = int(Send(window, WM_GETTEXTLENGTH));
    std::vector<char> buffer(size_t(length) + 2, '\0');
    int copied = int(Send(window, WM_GETTEXT, WPARAM(buffer.size()), LPARAM(buffer.data())));
    return std::string(buffer.data(), size_t(copied > 0 ? copied : 0));
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND ControlNamed(const std::string& name) {
    for (const Control& control : kControls)
        if (name == control.name) return GetDlgItem(session.window, control.id);
    return nullptr;
}

// The window that takes the keystrokes: a drop-down box's edit field, or the
// edit box itself.
HWND KeyTarget(HWND control) {
    HWND edit = FindWindowExA(control, nullptr, velmora::kEditClass, nullptr);
    return edit ? edit : control;
}

bool IsProcessWindow(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == session.process.dwProcessId;
}

HWND FindProcessWindow(const char* className) {
    HWND found = nullptr;
    for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
        if (IsWindowVisible(window) && IsProcessWindow(window)) found = window;
    }
    return found;
}

std::string Number(long long value) { return std::to_string(value); }

// --- commands ---------------------------------------------------------------

bool Launch(const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program + "\"";
    DWORD start = GetTickCount();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &session.process))
        return Fail("launch\tCreateProcess failed " + Number(GetLastError()));
    bool shown = WaitFor(kLaunchTimeoutMs, [] {
        session.window = FindProcessWindow(velmora::kMainWindowClass);
        return session.window != nullptr;
    });
    if (!shown) return Fail("launch\tno main window");
    WaitForInputIdle(session.process.hProcess, kSendTimeoutMs);
    Say("launched\t" + Number(session.process.dwProcessId) + "\t" + Number(GetTickCount() - start));
    return true;
}

bool State() {
    Say("text\ttitle\t" + TextOf(session.window));
    Say("text\tclass\t" + ClassOf(session.window));
    for (const Control& control : kControls) {
        HWND window = GetDlgItem(session.window, control.id);
        if (!window) return Fail(std::string("state\tno control ") + control.name);
        Say(std::string("text\t") + control.name + "\t" + TextOf(window));
        if (lstrcmpiA(ClassOf(window).c_str(), velmora::kComboBoxClass) == 0)
            Say(std::string("selection\t") + control.name + "\t" + Number(Send(window, CB_GETCURSEL)) +
                "\t" + Number(Send(window, CB_GETCOUNT)));
    }
    return true;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM parent) {
    if (GetParent(child) != HWND(parent)) return TRUE;
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, HWND(parent), reinterpret_cast<POINT*>(&rect), 2);
    Say("control\t" + Number(GetDlgCtrlID(child)) + "\t" + ClassOf(child) + "\t" + Number(rect.left) +
        "\t" + Number(rect.top) + "\t" + Number(rect.right - rect.left) + "\t" +
        Number(rect.bottom - rect.top) + "\t" + TextOf(child));
    return TRUE;
}

bool Layout() {
    RECT outer, client;
    GetWindowRect(session.window, &outer);
    GetClientRect(session.window, &client);
    Say("window\t" + Number(outer.left) + "\t" + Number(outer.top) + "\t" + Number(outer.right - outer.left) +
        "\t" + Number(outer.bottom - outer.top) + "\t" + Number(client.right) + "\t" + Number(client.bottom));
    EnumChildWindows(session.window, PrintChild, LPARAM(session.window));
    return true;
}

// A pick in the open list: the box shows the item, then tells its parent.
bool Pick(const std::string& box, int index) {
    HWND combo = ControlNamed(box);
    if (!combo) return Fail("pick\tno box " + box);
    Send(combo, CB_SETCURSEL, WPARAM(index));
    int id = GetDlgCtrlID(combo);
    Send(session.window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(combo));
    Send(session.window, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), LPARAM(combo));
    Say("picked\t" + box + "\t" + Number(index) + "\t" + TextOf(combo) + "\t" +
        TextOf(ControlNamed("folder")));
    return true;
}

// Types over the whole text, one character at a time; after every key the
// folder box is printed, since the window proposes a folder per keystroke.
bool Type(const std::string& box, const std::string& text) {
    HWND control = ControlNamed(box);
    if (!control) return Fail("type\tno box " + box);
    HWND target = KeyTarget(control);
    bool typingFolder = control == ControlNamed("folder");
    Send(target, EM_SETSEL, 0, -1);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        Send(target, WM_CHAR, WPARAM(byte), 1);
        bool leadByte = IsDBCSLeadByte(byte) && i + 1 < text.size();
        if (leadByte) Send(target, WM_CHAR, WPARAM(static_cast<unsigned char>(text[++i])), 1);
        if (!typingFolder) Say("key\t" + box + "\t" + TextOf(control) + "\t" + TextOf(ControlNamed("folder")));
    }
    if (typingFolder) Say("typed\t" + box + "\t" + TextOf(control));
    return true;
}

bool Clear(const std::string& box) {
    HWND control = ControlNamed(box);
    if (!control) return Fail("clear\tno box " + box);
    HWND target = KeyTarget(control);
    Send(target, EM_SETSEL, 0, -1);
    Send(target, WM_CHAR, VK_BACK, 1);
    Say("cleared\t" + box + "\t" + TextOf(control));
    return true;
}

bool Click(const std::string& name) {
    HWND button = ControlNamed(name);
    if (!button) return Fail("click\tno button " + name);
    Send(button, BM_CLICK);
    Say("clicked\t" + name);
    return true;
}

std::string OwnerName(HWND owner) {
    if (!owner) return kOwnerNone;
    return owner == session.window ? kOwnerMain : kOwnerOther;
}

bool Notice(DWORD timeoutMs) {
    HWND box = nullptr;
    if (!WaitFor(timeoutMs, [&] { return (box = FindProcessWindow(kDialogClass)) != nullptr; }))
        return Fail("notice\tnone within " + Number(timeoutMs) + " ms");
    HWND text = GetDlgItem(box, kMessageBoxTextId);
    Say("notice\t" + TextOf(box) + "\t" + OwnerName(GetWindow(box, GW_OWNER)) + "\t" +
        (text ? TextOf(text) : std::string()) + "\t" + Number(IsWindowEnabled(session.window) ? 1 : 0));
    HWND ok = GetDlgItem(box, IDOK);
    if (ok)
        Send(ok, BM_CLICK);
    else
        Send(box, WM_COMMAND, IDOK, 0);
    if (!WaitFor(kSendTimeoutMs, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
        return Fail("notice\tdid not close");
    return true;
}

bool NoNotice(DWORD ms) {
    HWND box = nullptr;
    if (WaitFor(ms, [&] { return (box = FindProcessWindow(kDialogClass)) != nullptr; })) {
        HWND text = GetDlgItem(box, kMessageBoxTextId);
        return Fail("nonotice\t" + TextOf(box) + "\t" + (text ? TextOf(text) : std::string()));
    }
    Say("nonotice");
    return true;
}

// Prints every text the label shows on the way, so the progress can be checked.
bool WaitLabel(DWORD timeoutMs, const std::string& wanted) {
    HWND label = ControlNamed("label");
    std::string last = "\x01";
    bool seen = WaitFor(timeoutMs, [&] {
        std::string now = TextOf(label);
        if (now != last) Say("label\t" + now);
        last = now;
        return now == wanted;
    });
    if (!seen) return Fail("waitlabel\t" + last);
    return true;
}

bool WaitFile(DWORD timeoutMs, const std::string& path) {
    if (!WaitFor(timeoutMs, [&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        return Fail("waitfile\t" + path);
    Say("file\t" + path);
    return true;
}

// A 24-bit bottom-up BMP of the window's client area as it shows on the
// screen. Without a window manager nobody draws the frame and caption, so
// the client area is what there is to see.
bool Shot(const std::string& path) {
    RECT rect;
    GetClientRect(session.window, &rect);
    POINT origin{0, 0};
    ClientToScreen(session.window, &origin);
    int width = rect.right, height = rect.bottom;
    RedrawWindow(session.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(200);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(size_t(stride) * size_t(height));
    GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), std::streamsize(pixels.size()));
    if (!out) return Fail("shot\t" + path);
    Say("shot\t" + path);
    return true;
}

bool Close(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    PostMessageA(session.window, WM_CLOSE, 0, 0);
    DWORD waited = WaitForSingleObject(session.process.hProcess, timeoutMs);
    DWORD code = 0;
    GetExitCodeProcess(session.process.hProcess, &code);
    if (waited != WAIT_OBJECT_0) return Fail("close\tstill running after " + Number(timeoutMs) + " ms");
    Say("closed\t" + Number(GetTickCount() - start) + "\t" + Number(code));
    return true;
}

// --- script -----------------------------------------------------------------

// Splits off the first word; the rest of the line stays whole (texts may hold spaces).
std::string FirstWord(std::string& line) {
    size_t space = line.find(' ');
    std::string word = line.substr(0, space);
    line = space == std::string::npos ? std::string() : line.substr(space + 1);
    return word;
}

bool Run(std::string line) {
    std::string command = FirstWord(line);
    if (command == "launch") return Launch(line);
    if (!session.window) return Fail(command + "\tno program launched");
    if (command == "state") return State();
    if (command == "layout") return Layout();
    if (command == "pick") {
        std::string box = FirstWord(line);
        return Pick(box, std::atoi(line.c_str()));
    }
    if (command == "type") {
        std::string box = FirstWord(line);
        return Type(box, line);
    }
    if (command == "clear") return Clear(line);
    if (command == "click") return Click(line);
    if (command == "notice") return Notice(DWORD(std::atol(line.c_str())));
    if (command == "nonotice") return NoNotice(DWORD(std::atol(line.c_str())));
    if (command == "waitlabel" || command == "waitfile") {
        DWORD ms = DWORD(std::atol(FirstWord(line).c_str()));
        return command == "waitlabel" ? WaitLabel(ms, line) : WaitFile(ms, line);
    }
    if (command == "sleep") {
        Sleep(DWORD(std::atol(line.c_str())));
        return true;
    }
    if (command == "shot") return Shot(line);
    if (command == "close") return Close(DWORD(std::atol(line.c_str())));
    return Fail("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <script file> <time limit ms>\n", argv[0]);
        return 2;
    }
    session.deadline = GetTickCount() + DWORD(std::atol(argv[2]));
    std::ifstream script(argv[1], std::ios::binary);
    if (!script) return Fail(std::string("no script ") + argv[1]), 2;
    std::string line;
    bool ok = true;
    while (ok && std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        ok = Run(line);
        if (ok && PastDeadline()) ok = Fail("time limit");
    }
    if (session.process.hProcess) {
        if (WaitForSingleObject(session.process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(session.process.hProcess, 1);
            Say("killed");
        }
        CloseHandle(session.process.hThread);
        CloseHandle(session.process.hProcess);
    }
    Say(ok ? "end\tok" : "end\tfailed");
    return ok ? 0 : 1;
}
