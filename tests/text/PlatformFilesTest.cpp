#include "text/Platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "text/Primitives.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A scratch folder relative to the current directory, removed afterwards.
class PlatformFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(kFolder);
        fs::create_directory(kFolder);
    }
    void TearDown() override { fs::remove_all(kFolder); }

    static Text In(const char* name) { return ConcatText(kFolder, "/", name); }

    static constexpr char kFolder[] = "platform-files-test";
};

TEST_F(PlatformFilesTest, WriteFileReplacesTheWholeFile) {
    ASSERT_TRUE(WriteFile(In("a.jpg"), ByteSet::Present(std::string_view("long\0content", 12))));
    EXPECT_EQ(Contents(In("a.jpg").Data()), std::string("long\0content", 12));
    ASSERT_TRUE(WriteFile(In("a.jpg"), ByteSet::Present("ab")));
    EXPECT_EQ(Contents(In("a.jpg").Data()), "ab");
    ASSERT_TRUE(WriteFile(In("a.jpg"), ByteSet()));  // no bytes: an empty file
    EXPECT_TRUE(fs::exists(In("a.jpg").Data()));
    EXPECT_EQ(fs::file_size(In("a.jpg").Data()), 0u);
}

TEST_F(PlatformFilesTest, WriteFileFailsWithoutCreatingFolders) {
    EXPECT_FALSE(WriteFile(In("missing/a.jpg"), ByteSet::Present("x")));
    EXPECT_FALSE(fs::exists(In("missing").Data()));
    EXPECT_FALSE(WriteFile(Text(), ByteSet::Present("x")));
    EXPECT_FALSE(WriteFile("", ByteSet::Present("x")));
}

TEST_F(PlatformFilesTest, FileExistsTable) {
    ASSERT_TRUE(WriteFile(In("7_1.jpg"), ByteSet::Present("x")));
    struct Case {
        Text path;
        bool expected;
    } cases[] = {
        {In("7_1.jpg"), true},
        {In("7_2.jpg"), false},
        {kFolder, true},                         // a folder counts
        {ConcatText(kFolder, "\\"), false},      // but not with a trailing backslash
        {In("*.jpg"), true},                     // wildcards match as in a folder search
        {In("*.png"), false},
        {Text(), false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(FileExists(c.path), c.expected) << "'" << c.path.Data() << "'";
}

TEST_F(PlatformFilesTest, MoveAndRemove) {
    ASSERT_TRUE(WriteFile(In("part"), ByteSet::Present("new")));
    ASSERT_TRUE(WriteFile(In("final"), ByteSet::Present("old")));
    ASSERT_TRUE(MoveFileReplacing(In("part"), In("final")));
    EXPECT_EQ(Contents(In("final").Data()), "new");
    EXPECT_FALSE(FileExists(In("part")));
    EXPECT_FALSE(MoveFileReplacing(In("part"), In("final")));

    EXPECT_TRUE(RemoveFile(In("final")));
    EXPECT_FALSE(FileExists(In("final")));
    EXPECT_FALSE(RemoveFile(In("final")));
}

TEST(PlatformClockTest, UptimeMovesForward) {
    int first = UptimeMs();
    int second = UptimeMs();
    EXPECT_LT(unsigned(second) - unsigned(first), 10000u);  // wrap-safe difference
    EXPECT_FALSE(ProgramDirectory().IsEmpty());
}

}  // namespace
}  // namespace velmora
