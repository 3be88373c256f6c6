#include "job/JobSeatWin32.h"

#include <utility>

#include "app/Controls.h"
#include "http/AutomationClient.h"
#include "http/WinInetClient.h"
#include "text/Platform.h"

namespace velmora {

JobSeat JobSeatWin32(const JobControls& controls, JobHooks hooks) {
    JobSeat seat;
    seat.folderText = [box = controls.folderBox] { return ControlText(box); };
    seat.genderSelection = [box = controls.genderBox] { return ComboSelection(box); };
    seat.pageCountText = [box = controls.pageCountBox] { return ControlText(box); };
    seat.setLabel = [label = controls.label](const Text& caption) { SetControlText(label, caption); };
    seat.copySelection = std::move(hooks.copySelection);
    seat.automationFetch = [](const Text& url, Text& responseHeaders) {
        return AutomationFetch(url, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, false, 0,
                               &responseHeaders);
    };
    seat.winInetFetch = [](const Text& url) { return WinInetFetch(url); };
    seat.showNotice = std::move(hooks.showNotice);
    seat.fileExists = [](const Text& path) { return FileExists(path); };
    seat.ensureFolder = [](const Text& path) { return EnsureFolder(path); };
    seat.writeFile = [](const Text& path, const ByteSet& bytes) { return velmora::WriteFile(path, bytes); };
    seat.moveFileReplacing = [](const Text& from, const Text& to) { return MoveFileReplacing(from, to); };
    seat.removeFile = [](const Text& path) { return RemoveFile(path); };
    seat.threadId = [] { return CurrentThreadId(); };
    seat.processEvents = [] { ProcessEvents(); };
    seat.stopRequested = std::move(hooks.stopRequested);
    seat.beginFileWrite = std::move(hooks.beginFileWrite);
    seat.endFileWrite = std::move(hooks.endFileWrite);
    return seat;
}

}  // namespace velmora
