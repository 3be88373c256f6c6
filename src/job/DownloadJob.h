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

struct JobSeat {
    std::function<Text()> folderText;        // text of 编辑框2
    std::function<int()> genderSelection;    // selection index of 组合框1, -1 for none
    std::function<Text()> pageCountText;     // text of 编辑框1
    std::function<void(const Text&)> setLabel;  // caption of 标签2
    std::function<SelectionCopy()> copySelection;
    // The automation client with the URL alone, plus its raw response headers.
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
    std::function<bool()> stopRequested;         // the window is closing: end at the next step
    // Brackets the write of a photo, temporary file and move included. The
    // closing window waits for open brackets before it ends the process.
    std::function<bool()> beginFileWrite;        // false: stopping, write nothing
    std::function<void()> endFileWrite;
};

void DownloadJob(const JobSeat& seat);

// Creates every missing folder on path; nonzero on success.
int EnsureFolder(const Text& path);

}  // namespace velmora
