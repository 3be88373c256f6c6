#include "http/HttpHeaders.h"
#include "support/TextValues.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

constexpr char kAcceptDefaults[] =
    "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";

TEST(AutomationTimeoutMs, FollowsTheSecondsWithOneMeaningTheObjectsOwn) {
    struct Case {
        int seconds;
        std::optional<int> ms;
    } cases[] = {
        {1, std::nullopt}, {2, 2000},   {30, 30000}, {0, 15000},
        {-1, 15000},       {-5, 15000}, {3000000, int(3000000000u)},  // the product keeps its low 32 bits
    };
    for (const Case& c : cases) EXPECT_EQ(AutomationTimeoutMs(c.seconds), c.ms) << c.seconds;
}

TEST(AutomationMethod, UpperCasesAndDefaultsToGet) {
    EXPECT_EQ(Str(AutomationMethod("post")), "POST");
    EXPECT_EQ(Str(AutomationMethod("Head")), "HEAD");
    EXPECT_EQ(Str(AutomationMethod("")), "GET");
    EXPECT_EQ(Str(AutomationMethod(Text())), "GET");
}

TEST(DefaultHeaderBlock, IsFiveLinesWithTheUrlAsReferer) {
    EXPECT_EQ(Str(DefaultHeaderBlock("http://a.b/x?y=1")),
              "Referer: http://a.b/x?y=1\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
              "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n"
              "Content-Type: application/x-www-form-urlencoded");
}

TEST(SplitHeaderBlock, GivesNameAndUntrimmedValuePerLine) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* block;
        Pairs lines;
    } cases[] = {
        {"X-A: 1", {{"X-A", " 1"}}},
        {"A: 1\r\nno colon here\r\nB:2", {{"A", " 1"}, {"B", "2"}}},
        {"Referer: http://h.c:81/x?a=b", {{"Referer", " http://h.c:81/x?a=b"}}},
        {"T: 12:30:00\r\n", {{"T", " 12:30:00"}}},
        {"a::b", {{"a", ":b"}}},
        // A colon that ends the line leaves no value: the line is skipped.
        {"X-Empty:\r\nB: 2", {{"B", " 2"}}},
        {"X-Empty:", {}},
        {"no colon", {}},
        {"", {}},
        {"\r\n\r\n", {}},
    };
    for (const Case& c : cases) {
        Pairs got;
        for (const HeaderLine& line : SplitHeaderBlock(c.block)) got.emplace_back(Str(line.name), Str(line.value));
        EXPECT_EQ(got, c.lines) << c.block;
    }
    EXPECT_EQ(SplitHeaderBlock(DefaultHeaderBlock("http://a:1/")).size(), 5u);
}

TEST(ReadAutomationResponseHeaders, TakesLocationAndSetCookiePairs) {
    struct Case {
        const char* headers;
        const char* locationBefore;
        const char* location;
        const char* cookies;
    } cases[] = {
        {"HTTP/1.1 302 Found\r\nLocation: /next\r\n\r\n", "", "/next", ""},
        {"Location: /a\r\nLocation: /b", "", "/b", ""},
        {"Content-Location: /x", "", "Content- /x", ""},
        {"location: /lower", "kept", "kept", ""},
        // Without a Location line an empty location receives the whole block.
        {"HTTP/1.1 200 OK\r\nServer: t", "", "HTTP/1.1 200 OK\r\nServer: t", ""},
        {"HTTP/1.1 200 OK\r\nServer: t", "kept", "kept", ""},
        {"Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2; path=/", "x", "x", "a=1; b=2; "},
        {"Set-Cookie: c=3", "x", "x", "; "},
        {"set-cookie: d=4; path=/", "x", "x", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        Text location = c.locationBefore;
        Text cookies = "stale=1";
        ReadAutomationResponseHeaders(c.headers, location, cookies);
        EXPECT_EQ(Str(location), c.location) << c.headers;
        EXPECT_EQ(Str(cookies), c.cookies) << c.headers;
    }
}

TEST(WinInetVerb, OutOfRangeIndexIsGet) {
    const std::pair<int, const char*> cases[] = {{0, "GET"}, {1, "POST"}, {2, "HEAD"}, {3, "GET"}, {-1, "GET"}};
    for (const auto& [method, verb] : cases) EXPECT_EQ(Str(WinInetVerb(method)), verb) << method;
}

TEST(IsHttpsUrl, LooksAtTheFirstEightBytesInAnyCase) {
    EXPECT_TRUE(IsHttpsUrl("HTTPS://a.b/"));
    EXPECT_TRUE(IsHttpsUrl("https://a"));
    EXPECT_FALSE(IsHttpsUrl("http://a.b/"));
    EXPECT_FALSE(IsHttpsUrl(" https://a.b/"));
    EXPECT_FALSE(IsHttpsUrl("https:/"));
}

TEST(HeaderValue, IsTheTrimmedTextAfterTheFirstColon) {
    EXPECT_EQ(Str(HeaderValue("Host: a:81")), "a:81");
    EXPECT_EQ(Str(HeaderValue("none")), "");
    EXPECT_EQ(Str(HeaderValue("X:")), "");
}

TEST(WinInetUserAgent, ComesFromTheCallersBlock) {
    struct Case {
        const char* block;
        const char* agent;
    } cases[] = {
        {"User-Agent: X/1", "X/1"},
        {"Accept: a\r\nUser-Agent:  Y/2 \r\nReferer: r", "Y/2"},
        {"user-agent: X/1", "X/1"},
        // Other letters in a longer block: only that line's value, never the rest of the block.
        {"Accept: a\r\nuser-agent: Z/3\r\nReferer: r", "Z/3"},
        {"Accept: */*", kWinInetDefaultUserAgent},
        {"", kWinInetDefaultUserAgent},
    };
    for (const Case& c : cases) EXPECT_EQ(Str(WinInetUserAgent(c.block)), c.agent) << c.block;
}

TEST(WinInetProxyText, NamesTheHttpProxyForHttpUrls) {
    EXPECT_EQ(Str(WinInetProxyText("p:8", false)), "http=p:8");
    EXPECT_EQ(Str(WinInetProxyText("p:8", true)), "p:8");
}

TEST(WinInetRequestFlags, CombineAsAsked) {
    struct Case {
        bool https, cookiesGiven, noRedirect;
        std::uint32_t flags;
    } cases[] = {
        {false, false, false, 0x80000000u | 0x10u | 0x4000u},
        {true, false, false, 0x80000000u | 0x10u | 0x800000u},
        {false, true, false, 0x80000000u | 0x10u | 0x4000u | 0x80000u},
        {false, false, true, 0x80000000u | 0x10u | 0x4000u | 0x200000u},
    };
    for (const Case& c : cases) EXPECT_EQ(WinInetRequestFlags(c.https, c.cookiesGiven, c.noRedirect), c.flags);
}

TEST(CompleteWinInetHeaderBlock, AppendsMissingLinesInOrder) {
    const char* url = "http://a.b/p";
    struct Case {
        const char* block;
        const char* cookies;
        std::string completed;
    } cases[] = {
        {"", "", std::string("Accept: */*\r\nReferer: http://a.b/p") + kAcceptDefaults},
        {"Accept: text/html\r\nReferer: r", "", std::string("Accept: text/html\r\nReferer: r") + kAcceptDefaults},
        // The names are matched in case: a small-letter accept does not count.
        {"accept: text/html", "",
         std::string("accept: text/html\r\nAccept: */*\r\nReferer: http://a.b/p") + kAcceptDefaults},
        {"", "a=1; b=2",
         std::string("Accept: */*\r\nReferer: http://a.b/p") + kAcceptDefaults + "\r\nCookie: a=1; b=2"},
        {"", "Cookie: a=1", std::string("Accept: */*\r\nReferer: http://a.b/p") + kAcceptDefaults + "\r\nCookie: a=1"},
        {"Accept: */*\r\nReferer: r\r\nAccept-Language: en\r\nContent-Type: text/plain", "",
         "Accept: */*\r\nReferer: r\r\nAccept-Language: en\r\nContent-Type: text/plain"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Str(CompleteWinInetHeaderBlock(c.block, url, c.cookies)), c.completed) << c.block << c.cookies;
    }
}

TEST(HarvestSetCookies, TakesTheFirstPairOfEverySetCookieLine) {
    struct Case {
        const char* headers;
        const char* cookies;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: b=2\r\n\r\n", "a=1; b=2"},
        {"SET-COOKIE: c=3;\r\nSet-Cookie:d=4", "c=3; d=4"},
        {"HTTP/1.1 200 OK\r\nServer: t\r\n\r\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Str(HarvestSetCookies(c.headers)), c.cookies) << c.headers;
    EXPECT_EQ(Str(NormaliseSetCookieCase("set-cookie: x\r\nSET-COOKIE: y")), "Set-Cookie: x\r\nSet-Cookie: y");
}

TEST(ResponseHeaderPasses, AcceptOddInput) {
    const char* inputs[] = {"\x80", "Set-Cookie", "Set-Cookie:;", ":::;;;\r\n\r\n", "Location:", "Set-Cookie: \xb0",
                            "\r\n\x81\r\nLocation:\x80"};
    for (const char* input : inputs) {
        Text location, cookies;
        ReadAutomationResponseHeaders(input, location, cookies);
        HarvestSetCookies(input);
        SplitHeaderBlock(input);
        WinInetUserAgent(input);
    }
    Text location, cookies;
    ReadAutomationResponseHeaders("Set-Cookie:;", location, cookies);
    EXPECT_EQ(Str(cookies), "; ");
}

}  // namespace
}  // namespace velmora
