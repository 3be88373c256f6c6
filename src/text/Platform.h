// Platform services the portable code needs, declared once here and
// implemented per platform (PlatformWin32.cpp for the program, PlatformPosix.cpp
// for the native test build).
#pragma once

#include "text/Text.h"

namespace velmora {

// True when a directory search finds at least one entry for the path: an
// existing folder counts, wildcards match, and an empty path or one ending
// in a backslash gives false.
bool FileExists(const Text& path);

// Replaces the whole file with the bytes (creating it, no sharing). False for
// an empty path, a file that cannot be created, or a failed write; no folder
// is ever created.
bool WriteFile(const Text& path, const ByteSet& bytes);

// Moves a file over another name, replacing a file already there. False when
// the move fails; the source then stays where it was.
bool MoveFileReplacing(const Text& from, const Text& to);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const Text& path);

// Fixes the program directory from the program file's path and makes it the
// current directory. Called once at start-up, before any window or worker.
void InitProgramDirectory();

// The directory of the program file without a trailing backslash.
Text ProgramDirectory();

// Milliseconds since the system started, as a wrapping signed 32-bit count.
int UptimeMs();

// Runs the messages already waiting for the calling thread, then returns.
// Never waits, and leaves a waiting WM_QUIT in the queue.
void ProcessEvents();

// An id of the calling thread, unique among the threads now running.
unsigned CurrentThreadId();

// Shows the fatal error box (no owner, the given title, an error icon) on the
// calling thread and, once it is closed, ends the process with exit code -1.
[[noreturn]] void ShowFatalBoxAndExit(const Text& boxText, const Text& title);

}  // namespace velmora
