// The selection state the window's handlers keep and the job reads.
//
// genderCode, ageFrom and ageTo are replaced on the main thread under
// selectionLock and copied by the workers under it. genderWord is touched by
// the main thread only.
#pragma once

#include <windows.h>

#include "job/DownloadJob.h"
#include "text/Text.h"

namespace velmora {

extern int genderCode;  // 0 for "男", 1 otherwise
extern Text genderWord;  // "男" or "女", the folder word of the gender
extern Text ageFrom;     // text of the lower-age box as last taken
extern Text ageTo;       // text of the upper-age box as last taken
extern CRITICAL_SECTION selectionLock;

// Makes selectionLock usable; once, before the window is created.
void InitSelection();

// Replace the values under selectionLock (main thread).
void SetGenderCode(int code);
void SetAgeFrom(const Text& age);
void SetAgeTo(const Text& age);

// One consistent copy of genderCode, ageFrom and ageTo (any thread).
SelectionCopy CopySelection();

// ProgramDirectory + "\" + genderWord + "\" + ageFrom + "-" + ageTo.
Text FolderProposal();

// Releases ageFrom, genderWord and ageTo at exit. Waits at most waitMs for a
// worker that is copying the state; gives up rather than hang (the process
// ends right after anyway). True when released.
bool ReleaseSelection(DWORD waitMs);

}  // namespace velmora
