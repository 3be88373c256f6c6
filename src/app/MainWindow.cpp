#include "app/MainWindow.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <string_view>
#include <utility>

#include "app/Controls.h"
#include "app/DropTarget.h"
#include "app/Notice.h"
#include "app/Selection.h"
#include "app/UiTexts.h"
#include "job/JobSeatWin32.h"
#include "text/Platform.h"
#include "text/PlatformWin32.h"
#include "text/Primitives.h"

namespace velmora {

namespace {

constexpr int kWindowLeft = 50;
constexpr int kWindowTop = 50;
constexpr int kWindowWidth = 380;  // outer size, frame and caption included
constexpr int kWindowHeight = 216;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

constexpr int kLowestAge = 1;
constexpr int kHighestAge = 120;
constexpr int kDropListHeight = 200;  // the open list below a drop-down box
constexpr int kUiFontHeight = -12;    // 9 points at 96 dpi

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCaption = kChild | SS_LEFT | SS_CENTERIMAGE;
constexpr DWORD kDropDown = kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;

struct ControlSpec {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // client coordinates
};

// The folder box is a multi-line edit shown as one line: a dropped list of
// paths keeps its CR LF pairs, which a one-line edit would drop.
const ControlSpec kControls[] = {
    {kGenderCaptionId, kStaticClass, kGenderCaption, kCaption, 0, 8, 8, 32, 20},
    {kGenderBoxId, kComboBoxClass, nullptr, kDropDown, 0, 40, 8, 48, 20},
    {kAgeCaptionId, kStaticClass, kAgeCaption, kCaption, 0, 104, 8, 48, 20},
    {kLowerAgeBoxId, kComboBoxClass, nullptr, kDropDown, 0, 144, 8, 48, 20},
    {kAgeDashId, kStaticClass, kAgeDash, kCaption, 0, 199, 9, 9, 16},
    {kUpperAgeBoxId, kComboBoxClass, nullptr, kDropDown, 0, 208, 8, 48, 20},
    {kPageCountCaptionId, kStaticClass, kPageCountCaption, kCaption, 0, 264, 6, 56, 24},
    {kPageCountBoxId, kEditClass, kPageCountStart, kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 328, 7,
     40, 24},
    {kFolderCaptionId, kStaticClass, kFolderCaption, kCaption, 0, 8, 40, 48, 24},
    {kFolderBoxId, kEditClass, nullptr, kChild | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 56,
     40, 240, 24},
    {kBrowseButtonId, kButtonClass, kBrowseButton, kButton, 0, 296, 40, 72, 24},
    {kProgressLabelId, kStaticClass, nullptr, kChild | SS_LEFT, 0, 8, 80, 352, 32},
    {kStartButtonId, kButtonClass, kStartButton, kButton, 0, 136, 128, 112, 40},
};

// The main window's controls, for the workers. Set before the first worker
// starts (thread creation orders the writes before the worker's reads).
JobControls jobControls;

// The folder box of the main window, for the message pre-translator, which
// may also run on workers inside ProcessEvents.
std::atomic<HWND> folderBoxForKeys{nullptr};

// Keeps Enter (and Ctrl+Enter, Ctrl+M) from breaking the line in the folder
// box, which is multi-line only to keep dropped CR LF pairs.
bool SwallowLineBreakKeys(MSG* message) {
    if (message->hwnd == nullptr || message->hwnd != folderBoxForKeys.load()) return false;
    switch (message->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        return message->wParam == VK_RETURN;
    case WM_CHAR:
        return message->wParam == '\r' || message->wParam == '\n';
    default:
        return false;
    }
}

HFONT CreateUiFont() {
    return CreateFontA(kUiFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kUiFontFace);
}

// A drop-down box is created with its open list's height; its closed field
// takes its height from the font. Sets the field so the closed box is
// exactly height high. The field height read back need not be the one that
// was set (some systems add padding to what they store), so the value set is
// corrected by what the box still lacks until it fits.
void FitClosedHeight(HWND box, int height) {
    int fieldHeight = int(SendTo(box, CB_GETITEMHEIGHT, WPARAM(-1)));
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT rect = {};
        GetWindowRect(box, &rect);
        const int difference = height - int(rect.bottom - rect.top);
        if (difference == 0 || fieldHeight + difference <= 0) return;
        fieldHeight += difference;
        SendTo(box, CB_SETITEMHEIGHT, WPARAM(-1), fieldHeight);
    }
}

// The picked list item at CBN_SELCHANGE (the edit field may still show the
// previous one); the edit field when nothing is picked.
Text SelectedComboText(HWND box) {
    const int index = ComboSelection(box);
    return index == CB_ERR ? ControlText(box) : ComboItemText(box, index);
}

struct PidlDeleter {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using PidlOwner = std::unique_ptr<ITEMIDLIST, PidlDeleter>;

}  // namespace

bool InitWindowSystem(HINSTANCE instance) {
    static bool done = false;
    if (done) return true;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);
    InitSelection();
    SetMessagePreTranslator(SwallowLineBreakKeys);

    done = MainWindow::RegisterWindowClass(instance);
    return done;
}

void JobThreadRoutine() {
    JobHooks hooks;
    hooks.copySelection = CopySelection;
    hooks.showNotice = [](const Text& message) { ShowNotice(message); };
    hooks.stopRequested = StopRequested;
    hooks.beginFileWrite = BeginFileWrite;
    hooks.endFileWrite = EndFileWrite;
    DownloadJob(JobSeatWin32(jobControls, std::move(hooks)));
}

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
    if (workerThreadHandle_) CloseHandle(workerThreadHandle_);
}

bool MainWindow::Create(HINSTANCE instance) {
    CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, kWindowStyle, kWindowLeft, kWindowTop, kWindowWidth,
                    kWindowHeight, nullptr, nullptr, instance, this);
    return window_ != nullptr;
}

void MainWindow::Show(int showCommand) const {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

bool MainWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExA(&windowClass) != 0;
}

// One procedure for the class: the window's object comes in with
// WM_NCCREATE and is kept in the window's user data.
LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
    }
    return result;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy();
        return DefWindowProcA(window_, message, wParam, lParam);
    default:
        return DefWindowProcA(window_, message, wParam, lParam);
    }
}

// Start-up: the controls, the age lists, the defaults, the selection state,
// the drop target and the start folder.
bool MainWindow::OnCreate() {
    CreateControls();
    HWND genderBox = Control(kGenderBoxId);
    HWND lowerAgeBox = Control(kLowerAgeBoxId);
    HWND upperAgeBox = Control(kUpperAgeBoxId);

    for (int age = kLowestAge; age <= kHighestAge; ++age) {
        const Text item = IntToText(age);
        AddComboItem(lowerAgeBox, item);
        AddComboItem(upperAgeBox, item);
    }
    SelectComboItem(genderBox, 0);
    SelectComboItem(lowerAgeBox, 0);
    SelectComboItem(upperAgeBox, 1);
    SetControlText(Control(kProgressLabelId), Text());

    SetGenderCode(0);
    genderWord = kMale;
    SetAgeFrom(ControlText(lowerAgeBox));
    SetAgeTo(ControlText(upperAgeBox));

    // The drop target is the whole window. Without OLE the window still works.
    RegisterFileDrop(window_, [this](const Text& paths) { OnDrop(paths); });

    SetFolderBox(ConcatText(ProgramDirectory(), kStartFolderTail));

    jobControls = {Control(kFolderBoxId), genderBox, Control(kPageCountBoxId), Control(kProgressLabelId)};
    folderBoxForKeys = Control(kFolderBoxId);
    return true;
}

void MainWindow::CreateControls() {
    font_ = CreateUiFont();
    ownsFont_ = font_ != nullptr;
    if (!font_) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));

    for (const ControlSpec& spec : kControls) {
        const bool dropDown = std::string_view(spec.className) == kComboBoxClass;
        HWND control = CreateWindowExA(spec.exStyle, spec.className, spec.text, spec.style, spec.left, spec.top,
                                       spec.width, dropDown ? spec.height + kDropListHeight : spec.height,
                                       window_, reinterpret_cast<HMENU>(INT_PTR(spec.id)), instance, nullptr);
        SendTo(control, WM_SETFONT, WPARAM(font_), FALSE);
        if (dropDown) FitClosedHeight(control, spec.height);
    }
    HWND genderBox = Control(kGenderBoxId);
    AddComboItem(genderBox, kMale);
    AddComboItem(genderBox, kFemale);
}

void MainWindow::OnCommand(int id, int code) {
    switch (id) {
    case kGenderBoxId:
        if (code == CBN_SELCHANGE) OnGenderSelected(SelectedComboText(Control(id)));
        break;
    case kLowerAgeBoxId:
        if (code == CBN_SELCHANGE) OnLowerAgeChanged(SelectedComboText(Control(id)));
        if (code == CBN_EDITCHANGE) OnLowerAgeChanged(ControlText(Control(id)));
        break;
    case kUpperAgeBoxId:
        if (code == CBN_SELCHANGE) OnUpperAgeChanged(SelectedComboText(Control(id)));
        if (code == CBN_EDITCHANGE) OnUpperAgeChanged(ControlText(Control(id)));
        break;
    case kBrowseButtonId:
        if (code == BN_CLICKED) OnBrowse();
        break;
    case kStartButtonId:
        if (code == BN_CLICKED) OnStart();
        break;
    default:
        break;
    }
}

void MainWindow::OnGenderSelected(const Text& boxText) {
    const bool male = CompareText(boxText, kMale) == 0;
    SetGenderCode(male ? 0 : 1);
    genderWord = male ? kMale : kFemale;
    SetFolderBox(FolderProposal());
}

void MainWindow::OnLowerAgeChanged(const Text& boxText) {
    SetAgeFrom(boxText);
    SetFolderBox(FolderProposal());
}

void MainWindow::OnUpperAgeChanged(const Text& boxText) {
    SetAgeTo(boxText);
    SetFolderBox(FolderProposal());
}

// The folder browser, modal over the window; cancelled, or a choice without
// a file-system path, empties the folder box.
void MainWindow::OnBrowse() {
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    browse.hwndOwner = window_;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = kBrowsePrompt;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
    PidlOwner chosen(SHBrowseForFolderA(&browse));

    Text folder;
    char path[MAX_PATH] = {};
    if (chosen && SHGetPathFromIDListA(chosen.get(), path)) folder = Text::UpToZero(path);
    SetFolderBox(folder);
}

void MainWindow::OnDrop(const Text& paths) { SetFolderBox(paths); }

// No guard: every click starts one more worker. The handle replaced is
// closed, which leaves that worker running.
void MainWindow::OnStart() {
    HANDLE started = StartThread(workerRoutine_);
    if (workerThreadHandle_) CloseHandle(workerThreadHandle_);
    workerThreadHandle_ = started;
}

// Asks the latest worker to stop and closes; the program ends after the loop.
void MainWindow::OnClose() {
    if (workerThreadHandle_) StopThread(workerThreadHandle_);
    DestroyWindow(window_);
}

void MainWindow::OnDestroy() {
    folderBoxForKeys = nullptr;
    RevokeFileDrop(window_);
    PostQuitMessage(0);
}

// The controls are gone by now, so their font can go too.
void MainWindow::OnNcDestroy() {
    if (ownsFont_) DeleteObject(font_);
    font_ = nullptr;
    ownsFont_ = false;
}

void MainWindow::SetFolderBox(const Text& folder) { SetControlText(Control(kFolderBoxId), folder); }

int RunMessageLoop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) return int(message.wParam);
        if (got == -1) return -1;
        if (PreTranslateMessage(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace velmora
