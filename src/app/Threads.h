// Worker threads: starting them, asking them to stop, and the exit that ends
// the program without waiting for them.
//
// A worker is never killed from outside: a thread killed while it holds a
// lock (the heap's, the loader's, selectionLock) leaves it taken for ever.
// Instead a worker is asked to stop and its job checks the request between
// steps; at exit the process ends once no worker is inside a photo write.
#pragma once

#include <windows.h>

namespace velmora {

using ThreadRoutine = void (*)();

// Starts routine on a new thread at once (default security and stack size).
// Returns its handle, or null when the thread cannot be created.
HANDLE StartThread(ThreadRoutine routine);

// Asks a running worker started by StartThread to stop; nothing for a null
// handle or a thread that has ended. Returns at once. Main thread only.
void StopThread(HANDLE thread);

// For the job on a worker: true once its own stop or the exit's was asked.
bool StopRequested();

// Brackets one photo write. BeginFileWrite returns false when stopping, and
// then the write must not start; after true, EndFileWrite must follow. The
// counter is raised before the stop test and the exit sets the stop before
// reading the counter, so a write either completes or never starts.
bool BeginFileWrite();
void EndFileWrite();
int FileWritesInProgress();

// The exit clean-up: asks every worker to stop, waits at most waitMs until
// none is inside a photo write (serving messages sent to this thread
// meanwhile, so a worker blocked on one cannot hold it up), then releases the
// selection state. Returns true when no write was left open.
bool RunExitCleanup(DWORD waitMs);

// Ends the process at once, with every worker, taking no lock a worker may
// hold. exitCode is the message loop's: -1 after a fatal error on a worker.
[[noreturn]] void EndProcessNow(UINT exitCode = 0);

// Clears the exit's stop request so a test can start workers again.
void ClearStopAllForTests();

}  // namespace velmora
