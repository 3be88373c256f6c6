#include "text/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

TEST(TextTest, LiteralIsGbk) {
    Text man("男");
    ASSERT_EQ(man.Length(), 2);
    EXPECT_EQ(man.Byte(0), 0xC4);
    EXPECT_EQ(man.Byte(1), 0xD0);
}

TEST(TextTest, AbsentAndPresentSurviveCopiesAndMoves) {
    Text absent;
    Text empty("");
    Text nullLiteral(static_cast<const char*>(nullptr));
    EXPECT_TRUE(absent.IsAbsent());
    EXPECT_TRUE(nullLiteral.IsAbsent());
    EXPECT_FALSE(empty.IsAbsent());
    EXPECT_EQ(absent.WinPtr(), nullptr);
    ASSERT_NE(absent.Data(), nullptr);  // reads as ""
    EXPECT_EQ(absent.View(), "");

    Text copyOfAbsent = absent;
    Text copyOfEmpty = empty;
    EXPECT_TRUE(copyOfAbsent.IsAbsent());
    EXPECT_FALSE(copyOfEmpty.IsAbsent());

    Text target("old");
    target = absent;
    EXPECT_TRUE(target.IsAbsent());
    target = empty;
    EXPECT_FALSE(target.IsAbsent());
    target = target;  // self-assignment keeps the value
    EXPECT_FALSE(target.IsAbsent());

    Text moved = std::move(copyOfEmpty);
    EXPECT_FALSE(moved.IsAbsent());
    EXPECT_TRUE(copyOfEmpty.IsAbsent());
}

TEST(TextTest, PresentResultAndBuffers) {
    EXPECT_FALSE(Text::Present("", 0).IsAbsent());
    EXPECT_TRUE(Text::Result("", 0).IsAbsent());
    EXPECT_EQ(Text::Result("abc", 2).View(), "ab");
    EXPECT_EQ(Text::Result("abc", 2).Data()[2], '\0');
    EXPECT_TRUE(Text::UpToZero(nullptr).IsAbsent());
    EXPECT_FALSE(Text::UpToZero("").IsAbsent());
    EXPECT_EQ(Text::UpToZero("ab\0cd").View(), "ab");
}

TEST(ByteSetTest, AbsentPresentAndZeroBytes) {
    ByteSet absent;
    EXPECT_EQ(absent.WinPtr(), nullptr);
    EXPECT_EQ(absent.Length(), 0);
    EXPECT_FALSE(ByteSet::Present(nullptr, 0).IsAbsent());
    EXPECT_TRUE(ByteSet::Result(nullptr, 0).IsAbsent());
    ByteSet withZero = ByteSet::Present(std::string_view("a\0b", 3));
    ByteSet copy = withZero;
    EXPECT_EQ(copy.View(), std::string_view("a\0b", 3));
    ByteSet copyOfAbsent = absent;
    EXPECT_TRUE(copyOfAbsent.IsAbsent());
}

TEST(ByteSetTest, AppendGathersPiecesInOrder) {
    ByteSet body;
    body.Append("", 0);
    EXPECT_TRUE(body.IsAbsent());  // an empty append changes nothing
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        std::string piece = std::to_string(i) + std::string(1, '\0');
        body.Append(piece.data(), int(piece.size()));
        expected += piece;
    }
    EXPECT_EQ(body.View(), expected);
    ByteSet copy = body;  // a copy holds exactly the bytes
    EXPECT_EQ(copy.View(), expected);
    copy.Append("x", 1);
    EXPECT_EQ(body.Length() + 1, copy.Length());
}

}  // namespace
}  // namespace velmora
