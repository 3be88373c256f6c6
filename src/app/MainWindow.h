// The program's one window: gender, age range, page count and folder, the
// start button, and the progress label the job writes.
#pragma once

#include <windows.h>

#include "app/Threads.h"
#include "text/Text.h"

namespace velmora {

// Control ids, stable for tests that drive the window from outside.
enum ControlId : int {
    kGenderCaptionId = 1001,  // 性别
    kGenderBoxId = 1002,      // 组合框1
    kAgeCaptionId = 1003,     // 年龄
    kLowerAgeBoxId = 1004,    // 组合框2
    kAgeDashId = 1005,        // 标签1
    kUpperAgeBoxId = 1006,    // 组合框3
    kPageCountCaptionId = 1007,  // 搜索的页码数
    kPageCountBoxId = 1008,   // 编辑框1
    kFolderCaptionId = 1009,  // 图片保存路径
    kFolderBoxId = 1010,      // 编辑框2
    kBrowseButtonId = 1011,   // 保存到
    kProgressLabelId = 1012,  // 标签2
    kStartButtonId = 1013,    // 按钮1
};

// Once per process, on the main thread, before the window: common controls,
// OLE (for the drop target and the folder browser), the selection lock, the
// window class and the message pre-translator.
bool InitWindowSystem(HINSTANCE instance);

// The worker routine the start button runs: builds the job's seat over the
// main window's controls and runs the download job.
void JobThreadRoutine();

class MainWindow {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    static bool RegisterWindowClass(HINSTANCE instance);

    // Creates the window; its start-up handler runs inside. Hidden until Show.
    bool Create(HINSTANCE instance);
    void Show(int showCommand) const;
    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    HANDLE LatestWorker() const { return workerThreadHandle_; }

    // The routine the start button starts; JobThreadRoutine unless a test
    // puts in its own.
    void SetWorkerRoutine(ThreadRoutine routine) { workerRoutine_ = routine; }

    // What a file drop does; public so a test can feed it paths.
    void OnDrop(const Text& paths);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnCommand(int id, int code);
    void OnClose();
    void OnDestroy();
    void OnNcDestroy();

    void OnGenderSelected(const Text& boxText);
    void OnLowerAgeChanged(const Text& boxText);
    void OnUpperAgeChanged(const Text& boxText);
    void OnBrowse();
    void OnStart();

    void CreateControls();
    void SetFolderBox(const Text& folder);

    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    bool ownsFont_ = false;
    HANDLE workerThreadHandle_ = nullptr;
    ThreadRoutine workerRoutine_ = JobThreadRoutine;
};

// Runs the calling thread's messages until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace velmora
