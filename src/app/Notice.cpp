#include "app/Notice.h"

#include "app/UiTexts.h"
#include "text/Platform.h"
#include "text/Primitives.h"

namespace velmora {

int ShowNotice(const Text& message, int buttons, const Text* title, std::optional<HWND> owner) {
    HWND ownerWindow = owner ? *owner : FindProcessWindow(GetCurrentProcessId());
    Text titleText = title ? *title : Text(kNoticeTitle);
    const int result = MessageBoxA(ownerWindow, message.WinPtr(), titleText.WinPtr(), UINT(buttons));
    // A box that failed gives 0 on Windows and -1 on some compatible systems.
    return result > 0 ? result - 1 : -1;
}

HWND FindProcessWindow(DWORD processId, const Text* titleFilter, const Text* classFilter,
                       std::optional<int> timeLimitMs) {
    // A monotonic clock, so the test needs no care for the 32-bit wrap.
    const ULONGLONG start = GetTickCount64();
    const double limit = (timeLimitMs && *timeLimitMs != -1) ? *timeLimitMs : kDefaultWindowSearchMs;
    const bool bothFilters = titleFilter && classFilter;
    const Text noFilter;
    HWND candidate = nullptr;
    for (;;) {
        if (double(GetTickCount64() - start) - limit >= -1e-7) return nullptr;
        candidate = FindWindowExA(nullptr, candidate, nullptr, nullptr);
        if (IsWindow(candidate) && IsWindowVisible(candidate) && WindowProcessId(candidate) == processId) {
            if (FindText(WindowTitle(candidate), titleFilter ? *titleFilter : noFilter) != -1) return candidate;
            if (FindText(WindowClassName(candidate), classFilter ? *classFilter : noFilter) != -1)
                return candidate;
            if (!bothFilters) return candidate;
        }
        ProcessEvents();
    }
}

DWORD WindowProcessId(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

Text WindowTitle(HWND window) {
    int size = GetWindowTextLengthA(window) + 1;
    Text buffer = BlankText(size);
    GetWindowTextA(window, buffer.MutableData(), size);
    return Text::UpToZero(buffer.Data());
}

Text WindowClassName(HWND window) {
    constexpr int kClassBufferSize = 50;
    Text buffer = BlankText(kClassBufferSize);
    GetClassNameA(window, buffer.MutableData(), kClassBufferSize);
    return Text::UpToZero(buffer.Data());
}

}  // namespace velmora
