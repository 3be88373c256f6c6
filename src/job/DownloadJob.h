// The crawl one worker runs per press of the start button: result pages,
// profile pages, photos, file names and the progress line.
//
// The job reaches the world only through a JobSeat: the window's controls,
// the two fetches, the notice, the files and the selection copy. The Win32
// wiring (JobSeatWin32) serves it from the main window and the real clients;
// tests serve it with fakes.
#pragma once

#include <functional>

#include "text/Text.h"

namespace velmora {

// One consistent copy of the selection state, taken under selectionLock.
struct SelectionCopy {
    int genderCode = 0;  // 0 for "男", 1 otherwise
    Text ageFrom;
    Text ageTo;
};

// Every member must be set; the job calls them on its worker thread.
struct JobSeat {
    std::function<Text()> folderText;        // text of 编辑框2
    std::function<int()> genderSelection;    // selection index of 组合框1, -1 for none
    std::function<Text()> pageCountText;     // text of 编辑框1
    std::function<void(const Text&)> setLabel;  // caption of 标签2
    std::function<SelectionCopy()> copySelection;
    // The automation client with the URL alone, plus its raw response headers
    // (those of the final response when redirects were followed). The job
    // compares a photo's Content-Length with its body; for result pages it
    // ignores them.
    std::function<ByteSet(const Text& url, Text& responseHeaders)> automationFetch;
    std::function<ByteSet(const Text& url)> winInetFetch;  // with the URL alone
    std::function<void(const Text&)> showNotice;           // blocks until closed
    std::function<bool(const Text&)> fileExists;
    std::function<int(const Text&)> ensureFolder;
    std::function<bool(const Text& path, const ByteSet& bytes)> writeFile;
    std::function<bool(const Text& from, const Text& to)> moveFileReplacing;
    std::function<bool(const Text& path)> removeFile;
    std::function<unsigned()> threadId;          // names this worker's temporary files
    std::function<void()> processEvents;
    // The window is closing: end at the next step. Asked at the start, after
    // each notice and before every notice, fetch, write and label; a control
    // read between two asks may still meet a closing window and must then
    // answer at once. Once true it must stay true, and it must turn true
    // before the controls stop answering. The job then returns at once,
    // without the final label.
    std::function<bool()> stopRequested;
    // Brackets the write of a photo, temporary file and move included. The
    // closing window waits for open brackets before it ends the process.
    // Inside a bracket the job calls only threadId, writeFile,
    // moveFileReplacing and removeFile, never the window, so the wait cannot
    // deadlock on a control message. Every true begin is followed by one end.
    std::function<bool()> beginFileWrite;        // false: stopping, write nothing, no end follows
    std::function<void()> endFileWrite;
};

void DownloadJob(const JobSeat& seat);

// Creates every missing folder on path; nonzero on success.
int EnsureFolder(const Text& path);

}  // namespace velmora
