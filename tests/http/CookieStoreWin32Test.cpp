// Runs against the real per-user WinInet cookie store of the Wine prefix.
// Every test uses host names of its own, so tests never see each other's
// cookies; cookies without an expiry date live only as long as the process.
#include "http/CookieStore.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

TEST(CookieStore, WritesEveryPairWithAValueAndReadsTheWholeStringBack) {
    WriteStoreCookies("http://h3test-1.example/some/path?q=1", "a=1; b=x=y; novalue; gone=; d=abc==");
    // Names after "; " keep their space, so the store's own "; " makes two;
    // a final "=" is lost, and neither the bare name nor the empty value is written.
    const Text all = ReadStoreCookies("http://h3test-1.example");
    EXPECT_EQ(all.View(), "a=1;  b=x=y;  d=abc=");
    // An explicitly empty cookie name asks for the whole string too.
    EXPECT_EQ(ReadStoreCookies("http://h3test-1.example", "").View(), all.View());
}

TEST(CookieStore, PicksOneCookieValueByName) {
    WriteStoreCookies("h3test-2.example", "uid=5; id=7; tail=x=y");
    const struct {
        const char* name;
        const char* value;
    } cases[] = {
        {"tail", "x=y"},
        {"TAIL", "x=y"},
        {"id", "5"},  // matched as a substring: inside uid first
        {"missing", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadStoreCookies("http://h3test-2.example/", c.name).View(), c.value) << c.name;
}

TEST(CookieStore, SharesCookiesBetweenHttpHttpsAndABareHost) {
    WriteStoreCookies("https://H3TEST-3.example:8443/x", "s=1");
    WriteStoreCookies("h3test-3.example", "p=2");
    for (const char* url : {"https://h3test-3.example/y", "http://h3test-3.example", "h3test-3.example",
                            "https://h3test-3.EXAMPLE:443/"}) {
        EXPECT_EQ(ReadStoreCookies(url, "s").View(), "1") << url;
        EXPECT_EQ(ReadStoreCookies(url, "p").View(), "2") << url;
    }
}

TEST(CookieStore, ReadsNothingForAHostWithoutCookies) {
    EXPECT_TRUE(ReadStoreCookies("http://h3test-4.example").IsEmpty());
    EXPECT_TRUE(ReadStoreCookies("https://h3test-4.example/", "a").IsEmpty());
}

TEST(CookieStore, ALaterWriteReplacesAValueButAnEmptyValueLeavesIt) {
    WriteStoreCookies("http://h3test-5.example", "a=1; c=5");
    WriteStoreCookies("http://h3test-5.example", "a=2; c=");
    EXPECT_EQ(ReadStoreCookies("http://h3test-5.example", "a").View(), "2");
    EXPECT_EQ(ReadStoreCookies("http://h3test-5.example", "c").View(), "5");
}

TEST(CookieStore, ReadsAnAnswerLongerThanTheFirstBufferWhole) {
    // Written with ";" alone, so no name carries a space; the store answers
    // with "; " between its pairs.
    std::string written, answer;
    for (int i = 10; i < 22; ++i) {
        const std::string pair = "k" + std::to_string(i) + "=" + std::string(150, char('a' + i - 10));
        written += (written.empty() ? "" : ";") + pair;
        answer += (answer.empty() ? "" : "; ") + pair;
    }
    ASSERT_GT(answer.size(), 1024u);
    WriteStoreCookies("http://h3test-6.example", Text::Present(written));

    const Text all = ReadStoreCookies("http://h3test-6.example");
    EXPECT_EQ(all.View(), answer);
    EXPECT_EQ(ReadStoreCookies("http://h3test-6.example", "k21").View(), std::string(150, 'l'));
}

}  // namespace
}  // namespace velmora
