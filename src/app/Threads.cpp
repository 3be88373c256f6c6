#include "app/Threads.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "app/Selection.h"

namespace velmora {

namespace {

// Shared by the starting main thread and the worker; the last one to let go
// frees it.
struct WorkerRecord {
    ThreadRoutine routine = nullptr;
    DWORD threadId = 0;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    LONG references = 2;
};

void Release(WorkerRecord* record) {
    if (InterlockedDecrement(&record->references) == 0) delete record;
}

std::atomic<bool> stopAll{false};
std::atomic<int> writesInProgress{0};
std::vector<WorkerRecord*> workers;  // main thread only
thread_local WorkerRecord* currentWorker = nullptr;

DWORD WINAPI WorkerMain(void* parameter) {
    auto* record = static_cast<WorkerRecord*>(parameter);
    currentWorker = record;
    record->routine();
    currentWorker = nullptr;
    record->finished = true;
    Release(record);
    return 0;
}

void ForgetFinishedWorkers() {
    auto finished = std::stable_partition(workers.begin(), workers.end(),
                                          [](WorkerRecord* w) { return !w->finished; });
    std::for_each(finished, workers.end(), Release);
    workers.erase(finished, workers.end());
}

}  // namespace

HANDLE StartThread(ThreadRoutine routine) {
    ForgetFinishedWorkers();
    auto* record = new WorkerRecord;
    record->routine = routine;
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, record, 0, &threadId);
    if (!thread) {
        delete record;
        return nullptr;
    }
    record->threadId = threadId;
    workers.push_back(record);
    return thread;
}

void StopThread(HANDLE thread) {
    DWORD exitCode = 0;
    if (!thread || !GetExitCodeThread(thread, &exitCode) || exitCode != STILL_ACTIVE) return;
    DWORD threadId = GetThreadId(thread);
    for (WorkerRecord* record : workers) {
        if (record->threadId == threadId && !record->finished) record->stop = true;
    }
}

bool StopRequested() { return stopAll || (currentWorker && currentWorker->stop); }

bool BeginFileWrite() {
    ++writesInProgress;
    if (StopRequested()) {
        --writesInProgress;
        return false;
    }
    return true;
}

void EndFileWrite() { --writesInProgress; }

int FileWritesInProgress() { return writesInProgress; }

bool RunExitCleanup(DWORD waitMs) {
    stopAll = true;
    ULONGLONG start = GetTickCount64();
    bool writesDone = true;
    while (writesInProgress > 0) {
        ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= waitMs) {
            writesDone = false;
            break;
        }
        // Serve messages that workers send to this thread's windows.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(std::min<ULONGLONG>(10, waitMs - elapsed)),
                                  QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    constexpr DWORD kSelectionWaitMs = 500;
    ReleaseSelection(kSelectionWaitMs);
    return writesDone;
}

void EndProcessNow(UINT exitCode) {
    // Nothing is buffered in the program (every file write goes straight to
    // the system), so there is nothing to flush before the end.
    TerminateProcess(GetCurrentProcess(), exitCode);
    ExitProcess(exitCode);
}

void ClearStopAllForTests() { stopAll = false; }

}  // namespace velmora
