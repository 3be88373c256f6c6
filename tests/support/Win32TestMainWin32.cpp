// main() of the Windows test binary: fixes the program directory as the
// program does at start-up, then either runs a child mode (see
// ChildProcessWin32.h) or the tests.
#include <gtest/gtest.h>

#include "support/ChildProcessWin32.h"
#include "text/Platform.h"

int main(int argc, char** argv) {
    velmora::InitProgramDirectory();
    int exitCode = 0;
    if (velmora::testsupport::RunChildMode(argc, argv, &exitCode)) return exitCode;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
