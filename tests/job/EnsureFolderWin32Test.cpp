// EnsureFolder against the real folder functions (under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "job/DownloadJob.h"
#include "job/TempFolderWin32.h"

namespace velmora {
namespace {

using EnsureFolderTest = JobTempFolder;

TEST_F(EnsureFolderTest, CreatesEveryMissingFolderWithOrWithoutTrailingBackslash) {
    struct Case {
        std::string path;  // below the test folder
        std::string folder;
    };
    const Case cases[] = {
        {"a\\b\\c", "a\\b\\c"},
        {"d\\e\\", "d\\e"},
        {"a\\b\\c", "a\\b\\c"},  // already there
        {"", ""},                // the test folder itself
        {"中文\\目录", "中文\\目录"},
    };
    for (const auto& c : cases) {
        const std::string path = folder_ + "\\" + c.path;
        EXPECT_NE(EnsureFolder(Text(path.c_str())), 0) << path;
        EXPECT_TRUE(IsFolder(folder_ + "\\" + c.folder)) << path;
    }
    EXPECT_NE(EnsureFolder(Text(folder_.c_str())), 0);
}

// 昞 is the bytes 95 5C: its second byte is a backslash. The folder must be
// made whole, with no stray folder named after the part before that byte.
TEST_F(EnsureFolderTest, KeepsATwoByteCharacterWhoseSecondByteIsABackslash) {
    const std::string character = "\x95\x5C";
    for (const std::string tail : {"", "\\"}) {
        const std::string path = folder_ + "\\" + character + "x\\" + character + tail;
        EXPECT_NE(EnsureFolder(Text(path.c_str())), 0) << path;
        EXPECT_TRUE(IsFolder(folder_ + "\\" + character + "x\\" + character)) << path;
        EXPECT_EQ(Listing(folder_), std::set<std::string>{character + "x"}) << path;
        EXPECT_EQ(Listing(folder_ + "\\" + character + "x"), std::set<std::string>{character}) << path;
    }
}

TEST_F(EnsureFolderTest, FailsWhenAFileStandsInTheWay) {
    const std::string file = folder_ + "\\file";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(EnsureFolder(Text((file + "\\sub").c_str())), 0);
    EXPECT_FALSE(IsFolder(file + "\\sub"));
}

TEST(EnsureFolderRootTest, EmptyPathWorksOnTheRootOfTheCurrentDrive) {
    EXPECT_NE(EnsureFolder(Text()), 0);
    EXPECT_NE(EnsureFolder(Text("")), 0);
}

}  // namespace
}  // namespace velmora
