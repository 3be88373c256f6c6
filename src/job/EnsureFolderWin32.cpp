#include <windows.h>

#include <dbghelp.h>

#include <vector>

#include "job/DownloadJob.h"
#include "text/Primitives.h"

namespace velmora {
namespace {

constexpr char kBackslash = '\\';
constexpr char kBackslashText[] = "\\";

// Offsets of the backslashes that are characters of their own, walking the
// path by characters: the second byte of a two-byte character may be 0x5C too.
std::vector<int> SeparatorOffsets(const Text& path, bool& trailByteBackslash) {
    std::vector<int> offsets;
    trailByteBackslash = false;
    for (int i = 0; i < path.Length();) {
        const unsigned char byte = path.Byte(i);
        if (byte >= 0x80 && i + 1 < path.Length()) {
            if (path.Byte(i + 1) == kBackslash) trailByteBackslash = true;
            i += 2;
            continue;
        }
        if (byte == kBackslash) offsets.push_back(i);
        ++i;
    }
    return offsets;
}

// Creates the folders up to each separator in turn; nonzero when the whole
// folder exists afterwards.
int CreateEachFolder(const Text& folder, const std::vector<int>& separators) {
    for (int end : separators) {
        const Text part = LeftText(folder, end);
        // "" (a rooted path) and "C:" name no folder to create.
        if (part.IsEmpty() || part.View().back() == ':') continue;
        CreateDirectoryA(part.Data(), nullptr);  // an existing folder is fine
    }
    const DWORD attributes = GetFileAttributesA(folder.Data());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

}  // namespace

// MakeSureDirectoryPathExists creates the folders up to the last backslash,
// so a path without a trailing one gets it appended: its last folder is then
// created too. An empty path becomes "\", the root of the current drive.
// That routine cuts the path at every 0x5C byte, the second byte of a GBK
// character included, and would leave a stray folder named after the part
// before it: such a path is made folder by folder, walking by characters.
int EnsureFolder(const Text& path) {
    bool trailByteBackslash = false;
    std::vector<int> separators = SeparatorOffsets(path, trailByteBackslash);
    const bool endsWithSeparator = !separators.empty() && separators.back() == path.Length() - 1;
    const Text folder = endsWithSeparator ? path : ConcatText(path, kBackslashText);
    if (!endsWithSeparator) separators.push_back(path.Length());
    if (!trailByteBackslash) return MakeSureDirectoryPathExists(folder.Data()) ? 1 : 0;
    return CreateEachFolder(folder, separators);
}

}  // namespace velmora
