// The main window in the test process: layout and texts, the start-up state,
// the handlers driven through the real controls, the folder box's keys, the
// drop target, the folder browser, and the start and close handlers.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/DropTarget.h"
#include "app/MainWindow.h"
#include "app/Notice.h"
#include "app/Selection.h"
#include "app/Threads.h"
#include "app/UiTexts.h"
#include "support/ChildProcessWin32.h"
#include "text/Platform.h"
#include "support/TextValues.h"

namespace velmora {
namespace {

void DrainQuit() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// Runs this thread's messages until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const ULONGLONG start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        ProcessEvents();
    }
    return true;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearStopAllForTests();
        ASSERT_TRUE(InitWindowSystem(GetModuleHandleA(nullptr)));
        ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
        window.Show(SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        if (window.Window()) DestroyWindow(window.Window());
        DrainQuit();
    }

    HWND C(int id) const { return window.Control(id); }
    std::string TextOf(int id) const { return Str(ControlText(C(id))); }
    std::string Folder() const { return TextOf(kFolderBoxId); }
    std::string Proposal(const char* gender, const char* ages) const {
        return Str(ProgramDirectory()) + "\\" + gender + "\\" + ages;
    }
    HWND EditOf(int comboId) const {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        GetComboBoxInfo(C(comboId), &info);
        return info.hwndItem;
    }
    HWND ListOf(int comboId) const {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        GetComboBoxInfo(C(comboId), &info);
        return info.hwndList;
    }
    // The user types characters into a drop-down box's edit field, replacing
    // what it holds.
    void TypeInto(int comboId, const char* keys, std::vector<std::string>* foldersAfterEachKey = nullptr) {
        HWND edit = EditOf(comboId);
        SendTo(edit, EM_SETSEL, 0, -1);
        for (const char* key = keys; *key; ++key) {
            SendTo(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(*key)), 1);
            if (foldersAfterEachKey) foldersAfterEachKey->push_back(Folder());
        }
    }
    // A list item picked with the mouse in the open list: the list selection
    // changes and CBN_SELCHANGE arrives before the edit field shows the item.
    void PickWithEditBehind(int comboId, int index) {
        SendTo(ListOf(comboId), LB_SETCURSEL, WPARAM(index));
        SendTo(window.Window(), WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), LPARAM(C(comboId)));
    }

    MainWindow window;
};

TEST_F(MainWindowTest, PlacesSizesAndTexts) {
    RECT outer = {};
    GetWindowRect(window.Window(), &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right - outer.left, 380);
    EXPECT_EQ(outer.bottom - outer.top, 216);
    EXPECT_EQ(Str(WindowTitle(window.Window())), kMainWindowTitle);

    struct Expected {
        int id;
        const char* className;
        const char* text;  // nullptr: not checked here
        int left, top, width, height;
    } controls[] = {
        {kGenderCaptionId, "Static", kGenderCaption, 8, 8, 32, 20},
        {kGenderBoxId, "ComboBox", nullptr, 40, 8, 48, 20},
        {kAgeCaptionId, "Static", kAgeCaption, 104, 8, 48, 20},
        {kLowerAgeBoxId, "ComboBox", nullptr, 144, 8, 48, 20},
        {kAgeDashId, "Static", "-", 199, 9, 9, 16},
        {kUpperAgeBoxId, "ComboBox", nullptr, 208, 8, 48, 20},
        {kPageCountCaptionId, "Static", kPageCountCaption, 264, 6, 56, 24},
        {kPageCountBoxId, "Edit", "1", 328, 7, 40, 24},
        {kFolderCaptionId, "Static", kFolderCaption, 8, 40, 48, 24},
        {kFolderBoxId, "Edit", nullptr, 56, 40, 240, 24},
        {kBrowseButtonId, "Button", kBrowseButton, 296, 40, 72, 24},
        {kProgressLabelId, "Static", "", 8, 80, 352, 32},
        {kStartButtonId, "Button", kStartButton, 136, 128, 112, 40},
    };
    for (const Expected& e : controls) {
        HWND control = C(e.id);
        ASSERT_NE(control, nullptr) << e.id;
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window.Window(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, e.left) << e.id;
        EXPECT_EQ(rect.top, e.top) << e.id;
        EXPECT_EQ(rect.right - rect.left, e.width) << e.id;
        EXPECT_EQ(rect.bottom - rect.top, e.height) << e.id;
        char className[64] = {};
        GetClassNameA(control, className, sizeof className);
        EXPECT_STRCASEEQ(className, e.className) << e.id;
        if (e.text) {
            EXPECT_EQ(TextOf(e.id), e.text) << e.id;
        }
    }
    for (int id : {kGenderBoxId, kLowerAgeBoxId, kUpperAgeBoxId}) {
        const LONG_PTR style = GetWindowLongPtrA(C(id), GWL_STYLE);
        EXPECT_EQ(style & 3, CBS_DROPDOWN) << id;  // editable, with a list
        EXPECT_EQ(style & CBS_SORT, 0) << id;
    }
}

TEST_F(MainWindowTest, StartUpState) {
    EXPECT_EQ(ComboSelection(C(kGenderBoxId)), 0);
    EXPECT_EQ(TextOf(kGenderBoxId), kMale);
    EXPECT_EQ(int(SendTo(C(kGenderBoxId), CB_GETCOUNT)), 2);
    EXPECT_EQ(Str(ComboItemText(C(kGenderBoxId), 1)), kFemale);
    for (int id : {kLowerAgeBoxId, kUpperAgeBoxId}) {
        EXPECT_EQ(int(SendTo(C(id), CB_GETCOUNT)), 120) << id;
        EXPECT_EQ(Str(ComboItemText(C(id), 0)), "1") << id;
        EXPECT_EQ(Str(ComboItemText(C(id), 119)), "120") << id;
    }
    EXPECT_EQ(TextOf(kLowerAgeBoxId), "1");
    EXPECT_EQ(TextOf(kUpperAgeBoxId), "2");
    EXPECT_EQ(TextOf(kPageCountBoxId), "1");
    EXPECT_EQ(Folder(), Proposal("男", "18-19"));  // does not follow the ages yet
    EXPECT_EQ(TextOf(kProgressLabelId), "");

    const SelectionCopy selection = CopySelection();
    EXPECT_EQ(selection.genderCode, 0);
    EXPECT_EQ(Str(selection.ageFrom), "1");
    EXPECT_EQ(Str(selection.ageTo), "2");
    EXPECT_EQ(Str(genderWord), kMale);
}

TEST_F(MainWindowTest, PickedItemsCountBeforeTheEditFieldShowsThem) {
    PickWithEditBehind(kGenderBoxId, 1);
    EXPECT_EQ(Folder(), Proposal("女", "1-2"));
    EXPECT_EQ(CopySelection().genderCode, 1);
    PickWithEditBehind(kLowerAgeBoxId, 19);
    PickWithEditBehind(kUpperAgeBoxId, 24);
    EXPECT_EQ(Folder(), Proposal("女", "20-25"));
    PickWithEditBehind(kGenderBoxId, 0);
    EXPECT_EQ(Folder(), Proposal("男", "20-25"));

    const SelectionCopy selection = CopySelection();
    EXPECT_EQ(selection.genderCode, 0);
    EXPECT_EQ(Str(selection.ageFrom), "20");
    EXPECT_EQ(Str(selection.ageTo), "25");
}

TEST_F(MainWindowTest, KeyboardPickInTheClosedBox) {
    SendTo(EditOf(kLowerAgeBoxId), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(TextOf(kLowerAgeBoxId), "2");
    EXPECT_EQ(Folder(), Proposal("男", "2-2"));
}

TEST_F(MainWindowTest, TypingAnAgeProposesAFolderPerKey) {
    std::vector<std::string> folders;
    TypeInto(kUpperAgeBoxId, "30", &folders);
    EXPECT_EQ(folders, (std::vector<std::string>{Proposal("男", "1-3"), Proposal("男", "1-30")}));
    EXPECT_EQ(Str(CopySelection().ageTo), "30");

    TypeInto(kLowerAgeBoxId, "18");
    EXPECT_EQ(Folder(), Proposal("男", "18-30"));
}

TEST_F(MainWindowTest, TypingInTheGenderBoxChangesNothingUntilAPick) {
    PickWithEditBehind(kLowerAgeBoxId, 4);  // a proposal replaces the start folder
    const std::string before = Folder();
    TypeInto(kGenderBoxId, "x");
    EXPECT_EQ(Folder(), before);
    EXPECT_EQ(CopySelection().genderCode, 0);
    PickWithEditBehind(kGenderBoxId, 1);
    EXPECT_EQ(CopySelection().genderCode, 1);
    EXPECT_EQ(Folder(), Proposal("女", "5-2"));
}

TEST_F(MainWindowTest, FolderBoxKeepsLineBreaksButEnterAddsNone) {
    HWND box = C(kFolderBoxId);
    SetControlText(box, "C:\\a\r\nD:\\b\r\n");
    EXPECT_EQ(Folder(), "C:\\a\r\nD:\\b\r\n");

    SetControlText(box, "C:\\a");
    SendTo(box, EM_SETSEL, 4, 4);
    // Keys arrive posted, through the message loop and its pre-translator.
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(box, WM_CHAR, '\r', 1);
    PostMessageA(box, WM_CHAR, '\n', 1);
    PostMessageA(box, WM_KEYUP, VK_RETURN, 0xC0000001);
    PostMessageA(box, WM_CHAR, 'z', 1);
    ProcessEvents();
    EXPECT_EQ(Folder(), "C:\\az");
}

// A file list in the form a drop hands over.
HGLOBAL FileList(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;  // the list ends with an empty name
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    char* next = reinterpret_cast<char*>(files + 1);
    for (const std::string& path : paths) {
        std::memcpy(next, path.c_str(), path.size() + 1);
        next += path.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

// The smallest data object that offers a file list.
class FileListData final : public IDataObject {
public:
    explicit FileListData(HGLOBAL list) : list_(list) {}
    ~FileListData() { GlobalFree(list_); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = OleDuplicateData(list_, CF_HDROP, 0);
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    HGLOBAL list_;
};

TEST(DroppedPaths, OneAloneSeveralEachFollowedByALineBreak) {
    struct Case {
        std::vector<std::string> paths;
        std::string expected;
    } cases[] = {
        {{"C:\\photos"}, "C:\\photos"},
        {{"C:\\a.txt", "D:\\两 个\\b"}, "C:\\a.txt\r\nD:\\两 个\\b\r\n"},
    };
    for (const Case& c : cases) {
        HGLOBAL list = FileList(c.paths);
        EXPECT_EQ(Str(DroppedPaths(static_cast<HDROP>(list))), c.expected);
        GlobalFree(list);
    }
}

TEST_F(MainWindowTest, DropReplacesTheFolderBox) {
    // The window itself is registered; a second registration is refused.
    IDropTarget* probe = NewFileDropTarget([](const Text&) {});
    EXPECT_EQ(RegisterDragDrop(window.Window(), probe), DRAGDROP_E_ALREADYREGISTERED);
    probe->Release();

    // The same kind of target, fed by a drop, into the window's drop handler.
    IDropTarget* target = NewFileDropTarget([this](const Text& paths) { window.OnDrop(paths); });
    FileListData data(FileList({"C:\\one", "C:\\two"}));
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(&data, 0, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(&data, 0, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    target->Release();
    EXPECT_EQ(Folder(), "C:\\one\r\nC:\\two\r\n");
}

// Finds the folder browser from another thread, checks its prompt and
// cancels it.
struct BrowserVisit {
    bool found = false;
    bool promptShown = false;
};

BOOL CALLBACK FindPrompt(HWND child, LPARAM parameter) {
    if (testsupport::WindowText(child) == kBrowsePrompt) *reinterpret_cast<bool*>(parameter) = true;
    return TRUE;
}

DWORD WINAPI CancelBrowser(void* parameter) {
    auto* visit = static_cast<BrowserVisit*>(parameter);
    HWND dialog = testsupport::WaitForProcessWindow(GetCurrentProcessId(), "#32770", 10000);
    if (!dialog) return 1;
    visit->found = true;
    EnumChildWindows(dialog, FindPrompt, LPARAM(&visit->promptShown));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
}

TEST_F(MainWindowTest, CancelledBrowserEmptiesTheFolderBox) {
    BrowserVisit visit;
    HANDLE helper = CreateThread(nullptr, 0, CancelBrowser, &visit, 0, nullptr);
    SendTo(C(kBrowseButtonId), BM_CLICK);  // returns when the browser closes
    WaitForSingleObject(helper, 15000);
    CloseHandle(helper);
    EXPECT_TRUE(visit.found);
    EXPECT_TRUE(visit.promptShown);
    EXPECT_EQ(Folder(), "");
}

// Workers that wait until released, noting whether they were asked to stop.
struct BlockingWorkers {
    std::atomic<int> started{0};
    std::atomic<int> finished{0};
    std::atomic<bool> release{false};
    std::atomic<DWORD> threadIds[4] = {};
    std::atomic<bool> stopped[4] = {};
    // Which worker a thread is: they need not begin in the order started.
    int IndexOf(DWORD threadId) const {
        for (int i = 0; i < 4; ++i) {
            if (threadIds[i] == threadId) return i;
        }
        return -1;
    }
};
BlockingWorkers blocking;

void BlockingWorker() {
    const int index = blocking.started++;
    blocking.threadIds[index] = GetCurrentThreadId();
    while (!blocking.release) {
        if (StopRequested()) {
            blocking.stopped[index] = true;
            break;
        }
        Sleep(5);
    }
    ++blocking.finished;
}

TEST_F(MainWindowTest, EveryClickStartsAWorkerAndClosingStopsTheLatest) {
    window.SetWorkerRoutine(BlockingWorker);
    SendTo(C(kStartButtonId), BM_CLICK);
    SendTo(C(kStartButtonId), BM_CLICK);
    ASSERT_TRUE(PumpUntil([] { return blocking.started == 2; }));
    HANDLE latest = window.LatestWorker();
    ASSERT_NE(latest, nullptr);
    const int second = blocking.IndexOf(GetThreadId(latest));
    ASSERT_NE(second, -1);

    SendTo(window.Window(), WM_CLOSE);
    EXPECT_EQ(window.Window(), nullptr);  // closed at once, nothing cancels it
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(PumpUntil([&] { return blocking.stopped[second].load(); }, 2000));
    EXPECT_FALSE(blocking.stopped[1 - second]);  // the earlier one runs on until the process ends

    blocking.release = true;
    EXPECT_TRUE(PumpUntil([] { return blocking.finished == 2; }));
}

TEST_F(MainWindowTest, ClosingWithoutAWorkerJustCloses) {
    EXPECT_EQ(window.LatestWorker(), nullptr);
    SendTo(window.Window(), WM_CLOSE);
    EXPECT_EQ(window.Window(), nullptr);
}

// The real job routine against the window: no page to fetch, so it runs
// the folder, gender and page-count steps and writes the final label.
TEST_F(MainWindowTest, StartButtonRunsTheJobOverTheControls) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    SetControlText(C(kFolderBoxId), Text(temp));
    SetControlText(C(kPageCountBoxId), "0");
    SendTo(C(kStartButtonId), BM_CLICK);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(kProgressLabelId) == "全部下载完毕"; }));
}

// Presses OK on the notice the job raises and records what it showed.
struct NoticeVisit {
    HWND owner = nullptr;
    std::string title;
    std::string message;
};

DWORD WINAPI AnswerNotice(void* parameter) {
    auto* visit = static_cast<NoticeVisit*>(parameter);
    HWND box = testsupport::WaitForProcessWindow(GetCurrentProcessId(), "#32770", 10000);
    if (!box) return 1;
    visit->owner = GetWindow(box, GW_OWNER);
    visit->title = testsupport::WindowText(box);
    visit->message = testsupport::WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

TEST_F(MainWindowTest, JobNoticeIsOwnedByTheWindow) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    SetControlText(C(kFolderBoxId), Text(temp));
    SetControlText(C(kPageCountBoxId), Text());
    NoticeVisit visit;
    HANDLE helper = CreateThread(nullptr, 0, AnswerNotice, &visit, 0, nullptr);
    SendTo(C(kStartButtonId), BM_CLICK);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(kProgressLabelId) == "全部下载完毕"; }, 15000));
    WaitForSingleObject(helper, 15000);
    CloseHandle(helper);
    EXPECT_EQ(visit.owner, window.Window());
    EXPECT_EQ(visit.title, kNoticeTitle);
    EXPECT_EQ(visit.message, "未填要搜索多少页");
}

}  // namespace
}  // namespace velmora
