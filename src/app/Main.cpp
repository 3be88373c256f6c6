// Program start: the program directory, the window system, the main window
// and its message loop, then the exit clean-up and the end of the process.
#include <windows.h>

#include "app/MainWindow.h"
#include "app/Threads.h"
#include "text/Platform.h"

namespace {

// How long the exit waits for photo writes in progress before it ends the
// process all the same.
constexpr DWORD kExitWriteWaitMs = 3000;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    using namespace velmora;
    InitProgramDirectory();
    int exitCode = 0;
    if (InitWindowSystem(instance)) {
        MainWindow window;
        if (window.Create(instance)) {
            window.Show(showCommand);
            // A fatal error on a worker quits the loop with -1; the process
            // must end with that code whichever thread gets there first.
            exitCode = RunMessageLoop();
        }
    }
    RunExitCleanup(kExitWriteWaitMs);
    EndProcessNow(UINT(exitCode));
}
