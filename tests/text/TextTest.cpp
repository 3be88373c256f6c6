#include "text/Text.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(TextTest, LiteralIsGbk) {
    Text man("男");
    ASSERT_EQ(man.Length(), 2);
    EXPECT_EQ(man.Byte(0), 0xC4);
    EXPECT_EQ(man.Byte(1), 0xD0);
}

}  // namespace
}  // namespace velmora
