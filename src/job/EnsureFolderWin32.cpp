#include <windows.h>

#include <dbghelp.h>

#include "job/DownloadJob.h"
#include "text/Primitives.h"

namespace velmora {
namespace {

constexpr char kBackslash[] = "\\";

}  // namespace

// MakeSureDirectoryPathExists creates the folders up to the last backslash,
// so a path without a trailing one gets it appended: its last folder is then
// created too. An empty path becomes "\", the root of the current drive.
int EnsureFolder(const Text& path) {
    const Text folder = CompareText(RightText(path, 1), kBackslash) == 0 ? path : ConcatText(path, kBackslash);
    return MakeSureDirectoryPathExists(folder.Data()) ? 1 : 0;
}

}  // namespace velmora
