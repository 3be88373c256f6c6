#include "text/RuntimeError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "text/Primitives.h"
#include "text/TextArray.h"
#include "support/TextValues.h"

namespace velmora {
namespace {

TEST(RuntimeErrorBoxTextTest, Table) {
    struct Case {
        int code;
        Text message;
        const char* expected;
    } cases[] = {
        {1, "数组成员引用下标超出定义范围",
         "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"},
        {4, "数组成员引用下标必须大于等于1",
         "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"},
        {0, "分配 12 字节内存失败!", "运行时出错!\r\n\r\n错误信息：分配 12 字节内存失败!\r\n"},
        {6, Text(), "运行时出错!\r\n\r\n错误代码：6\r\n\r\n"},
        {0, "", "运行时出错!\r\n\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Str(RuntimeErrorBoxText(c.code, c.message)), c.expected);
}

// The box of the Windows build waits for the user, so the fatal path is
// exercised here only where it writes to stderr and exits at once.
#if !defined(_WIN32)

// The box text as it appears on stderr in the native build.
::testing::Matcher<const std::string&> ShowsBox(int code, const char* message) {
    return ::testing::HasSubstr(Str(RuntimeErrorBoxText(code, message)));
}

using RuntimeErrorDeathTest = ::testing::Test;

TEST_F(RuntimeErrorDeathTest, EndsTheProcessWithMinusOne) {
    EXPECT_EXIT(RaiseRuntimeError(4, "x"), ::testing::ExitedWithCode(255), ShowsBox(4, "x"));
}

TEST_F(RuntimeErrorDeathTest, ArrayIndexOutOfRange) {
    TextArray array;
    array.Append("a");
    array.Append("b");
    struct Case {
        int index;
        int code;
        const char* message;
    } cases[] = {
        {0, 4, "数组成员引用下标必须大于等于1"},
        {-1, 4, "数组成员引用下标必须大于等于1"},
        {3, 1, "数组成员引用下标超出定义范围"},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(array.At(c.index), ::testing::ExitedWithCode(255), ShowsBox(c.code, c.message))
            << "read at " << c.index;
        EXPECT_EXIT(array.Set(c.index, "z"), ::testing::ExitedWithCode(255), ShowsBox(c.code, c.message))
            << "replace at " << c.index;
    }
    TextArray empty;
    EXPECT_EXIT(empty.At(0), ::testing::ExitedWithCode(255), ShowsBox(4, "数组成员引用下标必须大于等于1"));
    EXPECT_EXIT(empty.At(1), ::testing::ExitedWithCode(255), ShowsBox(1, "数组成员引用下标超出定义范围"));
}

TEST_F(RuntimeErrorDeathTest, StorageExhaustedNamesTheBytes) {
    EXPECT_EXIT(RaiseStorageExhausted(123456), ::testing::ExitedWithCode(255),
                ShowsBox(0, "分配 123456 字节内存失败!"));
}

TEST_F(RuntimeErrorDeathTest, FailedAllocationIsErrorZero) {
    // A fresh child process, so the sanitizer's allocator returns null
    // instead of reporting the oversized request itself.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    const char* saved = std::getenv("ASAN_OPTIONS");
    std::string savedOptions = saved ? saved : "";
    setenv("ASAN_OPTIONS", (savedOptions + ":allocator_may_return_null=1").c_str(), 1);
    const std::size_t huge = std::size_t(1) << 46;
    EXPECT_EXIT(AllocateStorage(huge), ::testing::ExitedWithCode(255),
                ShowsBox(0, "分配 70368744177664 字节内存失败!"));
    if (saved) {
        setenv("ASAN_OPTIONS", savedOptions.c_str(), 1);
    } else {
        unsetenv("ASAN_OPTIONS");
    }
}

#endif  // !_WIN32

TEST(TextArrayTest, AccessWithinRange) {
    TextArray array;
    EXPECT_EQ(array.Count(), 0);
    array.Append("a");
    array.Append(Text());
    array.Set(1, "b");
    ASSERT_EQ(array.Count(), 2);
    EXPECT_EQ(Str(array.At(1)), "b");
    EXPECT_TRUE(array.At(2).IsAbsent());
    array.Clear();
    EXPECT_EQ(array.Count(), 0);
}

}  // namespace
}  // namespace velmora
