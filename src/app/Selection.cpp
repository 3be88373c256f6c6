#include "app/Selection.h"

#include <utility>

#include "app/UiTexts.h"
#include "text/Platform.h"
#include "text/Primitives.h"

namespace velmora {

int genderCode = 0;
Text genderWord;
Text ageFrom;
Text ageTo;
CRITICAL_SECTION selectionLock;

namespace {

// Holds selectionLock for one scope.
class SelectionGuard {
public:
    SelectionGuard() { EnterCriticalSection(&selectionLock); }
    ~SelectionGuard() { LeaveCriticalSection(&selectionLock); }
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;
};

}  // namespace

void InitSelection() { InitializeCriticalSection(&selectionLock); }

void SetGenderCode(int code) {
    SelectionGuard guard;
    genderCode = code;
}

void SetAgeFrom(const Text& age) {
    Text copy = age;  // allocate outside the lock
    SelectionGuard guard;
    ageFrom = std::move(copy);
}

void SetAgeTo(const Text& age) {
    Text copy = age;
    SelectionGuard guard;
    ageTo = std::move(copy);
}

SelectionCopy CopySelection() {
    SelectionGuard guard;
    SelectionCopy copy;
    copy.genderCode = genderCode;
    copy.ageFrom = ageFrom;
    copy.ageTo = ageTo;
    return copy;
}

// The main thread is the only writer, so it reads the values without the lock.
Text FolderProposal() {
    return ConcatText(ProgramDirectory(), kFolderSeparator, genderWord, kFolderSeparator, ageFrom,
                      kAgeSeparator, ageTo);
}

bool ReleaseSelection(DWORD waitMs) {
    ULONGLONG start = GetTickCount64();
    while (!TryEnterCriticalSection(&selectionLock)) {
        if (GetTickCount64() - start >= waitMs) return false;
        Sleep(1);
    }
    ageFrom = Text();
    genderWord = Text();
    ageTo = Text();
    LeaveCriticalSection(&selectionLock);
    return true;
}

}  // namespace velmora
