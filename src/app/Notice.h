// The notice box and the search for a window of the program to own it.
#pragma once

#include <windows.h>

#include <optional>

#include "text/Text.h"

namespace velmora {

// Shows a message box and returns the id of the button that closed it minus
// 1 (IDOK 0, IDCANCEL 1, ..., IDYES 5, IDNO 6), or -1 when the box fails.
// An omitted owner is the first visible top-level window of this process; an
// omitted title is "友情提醒"; buttons is MessageBoxA's style value. Blocks
// the calling thread until the box is closed.
int ShowNotice(const Text& message, int buttons = MB_OK, const Text* title = nullptr,
               std::optional<HWND> owner = std::nullopt);

// Default time limit of FindProcessWindow, also meant by a given -1.
constexpr int kDefaultWindowSearchMs = 31536000;

// Cycles through the top-level windows in Z order, starting over at the end
// of the list and running this thread's pending messages between windows,
// until a visible window of processId passes the filters or timeLimitMs
// have elapsed (then null; a limit of 0 or below, except -1, gives null at
// once). With a filter omitted the first visible window of the process is
// taken; with both given, one whose title holds titleFilter or whose class
// name holds classFilter.
HWND FindProcessWindow(DWORD processId, const Text* titleFilter = nullptr, const Text* classFilter = nullptr,
                       std::optional<int> timeLimitMs = std::nullopt);

// The process id of the window's thread; 0 for an invalid window.
DWORD WindowProcessId(HWND window);
Text WindowTitle(HWND window);
// The class name, at most 49 bytes of it.
Text WindowClassName(HWND window);

}  // namespace velmora
