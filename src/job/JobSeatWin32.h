// Serves the job's JobSeat on Windows: the window's controls through
// synchronous messages, the real HTTP clients, the platform's files.
//
// What belongs to the window's side (the selection copy, the notice, the
// stop request and the write bracket) comes in as JobHooks, so the job's
// wiring needs nothing of the window's code.
#pragma once

#include <windows.h>

#include <functional>

#include "job/DownloadJob.h"

namespace velmora {

// The controls the job reads and writes. A message sent from the worker is
// served by the thread that owns the control and completes before the call
// returns; once the control is gone it fails at once: reads give the empty
// text, the gender selection 0 (so a closing window raises no notice), and
// the label write does nothing.
struct JobControls {
    HWND folderBox = nullptr;     // 编辑框2
    HWND genderBox = nullptr;     // 组合框1
    HWND pageCountBox = nullptr;  // 编辑框1
    HWND label = nullptr;         // 标签2
};

struct JobHooks {
    std::function<SelectionCopy()> copySelection;
    std::function<void(const Text&)> showNotice;
    std::function<bool()> stopRequested;
    std::function<bool()> beginFileWrite;
    std::function<void()> endFileWrite;
};

JobSeat JobSeatWin32(const JobControls& controls, JobHooks hooks);

}  // namespace velmora
