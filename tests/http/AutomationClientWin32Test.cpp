// The automation client against a scripted server on 127.0.0.1, through
// the platform's own request object.
#include "http/AutomationClient.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "http/CookieStore.h"
#include "support/LoopbackServerWin32.h"
#include "support/StoreCookiesWin32.h"
#include "text/Platform.h"
#include "support/TextValues.h"

namespace velmora {
namespace {

using testsupport::HttpResponse;
using testsupport::LoopbackServer;
using testsupport::RecordedRequest;
using testsupport::Reply;

// Cookies of a 127.0.0.1 URL are stored under the main domain "0.1".
constexpr char kLoopbackStoreUrl[] = "http://0.1";

Reply Answer(std::string extraHeaders, std::string body) {
    Reply reply;
    reply.bytes = HttpResponse(200, extraHeaders, body);
    return reply;
}

class AutomationFetchTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::ClearStoreCookies(kLoopbackStoreUrl); }
    void TearDown() override { testsupport::ClearStoreCookies(kLoopbackStoreUrl); }
};

TEST_F(AutomationFetchTest, UrlAloneSendsTheDefaultBrowserRequest) {
    LoopbackServer server([](const RecordedRequest&, int) { return Answer("X-Test: 1\r\n", "hello"); });
    ASSERT_TRUE(server.Started());
    const Text url = server.Url("/search?p=1").c_str();
    Text responseHeaders;
    const ByteSet body = AutomationFetch(url, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, false, 0,
                                         &responseHeaders);

    EXPECT_EQ(body.View(), "hello");
    EXPECT_NE(Str(responseHeaders).find("X-Test: 1"), std::string::npos) << Str(responseHeaders);
    ASSERT_EQ(server.Requests().size(), 1u);
    const RecordedRequest request = server.Requests()[0];
    EXPECT_EQ(request.requestLine, "GET /search?p=1 HTTP/1.1");
    EXPECT_EQ(request.Header("Referer"), Str(url));
    EXPECT_EQ(request.Header("Accept"), "*/*");
    EXPECT_EQ(request.Header("Accept-Language"), "zh-cn");
    EXPECT_EQ(request.Header("User-Agent"), "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)");
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.HeaderCount("User-Agent"), 1);
    EXPECT_EQ(request.HeaderCount("Cookie"), 0);
    EXPECT_EQ(request.body, "");
}

TEST_F(AutomationFetchTest, MethodAndBodyReachTheWire) {
    const ByteSet bytes = ByteSet::Present(std::string_view("a\0\xff\r\nb", 6));
    struct Case {
        const char* method;
        const char* postText;
        const ByteSet* postBytes;
        const char* sentMethod;
        std::string sentBody;
    } cases[] = {
        {"post", "x=1&y=%E4", nullptr, "POST", "x=1&y=%E4"},
        {"", "", nullptr, "GET", ""},
        {"Post", "ignored", &bytes, "POST", std::string("a\0\xff\r\nb", 6)},
        {"put", "", &bytes, "PUT", std::string("a\0\xff\r\nb", 6)},
    };
    for (const Case& c : cases) {
        LoopbackServer server([](const RecordedRequest&, int) { return Answer("", "ok"); });
        Text method = c.method;
        const Text postText = c.postText;
        const ByteSet body = AutomationFetch(server.Url("/p").c_str(), &method, &postText, nullptr, nullptr,
                                             nullptr, nullptr, false, 0, nullptr, c.postBytes);
        EXPECT_EQ(body.View(), "ok") << c.method;
        EXPECT_EQ(Str(method), c.sentMethod);
        ASSERT_EQ(server.Requests().size(), 1u) << c.method;
        EXPECT_EQ(server.Requests()[0].Method(), c.sentMethod);
        EXPECT_EQ(server.Requests()[0].body, c.sentBody) << c.method;
    }
}

TEST_F(AutomationFetchTest, CallersHeaderBlockReplacesTheDefaults) {
    LoopbackServer server([](const RecordedRequest&, int) { return Answer("", "ok"); });
    Text block = "X-A: 1\r\nno colon\r\nReferer: http://other.host:8080/a?b=c\r\nX-Empty:\r\nX-Time: 12:30:00";
    const Text sentBlock = block;
    AutomationFetch(server.Url("/").c_str(), nullptr, nullptr, nullptr, nullptr, &block);

    EXPECT_EQ(Str(block), Str(sentBlock));
    ASSERT_EQ(server.Requests().size(), 1u);
    const RecordedRequest request = server.Requests()[0];
    EXPECT_EQ(request.Header("X-A"), "1");
    EXPECT_EQ(request.Header("Referer"), "http://other.host:8080/a?b=c");
    EXPECT_EQ(request.Header("X-Time"), "12:30:00");
    EXPECT_EQ(request.HeaderCount("X-Empty"), 0);
    EXPECT_EQ(request.HeaderCount("Accept-Language"), 0);

    // A one-line block without "\r\n" is one header.
    Text oneLine = "X-B: 2";
    AutomationFetch(server.Url("/").c_str(), nullptr, nullptr, nullptr, nullptr, &oneLine);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].Header("X-B"), "2");
}

TEST_F(AutomationFetchTest, CookiesTravelThroughTheStoreOfTheMainDomain) {
    LoopbackServer server([](const RecordedRequest&, int index) {
        if (index == 0) {
            return Answer("Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2; path=/\r\nset-cookie: lc=9; path=/\r\n", "one");
        }
        return Answer("Set-Cookie: a=deleted; path=/\r\n", "two");
    });
    const Text url = server.Url("/c").c_str();

    Text cookies, returned;
    AutomationFetch(url, nullptr, nullptr, &cookies, &returned);
    EXPECT_EQ(Str(returned), "a=1; b=2;");
    EXPECT_EQ(Str(cookies), "a=1; b=2;");
    EXPECT_EQ(Str(ReadStoreCookies("0.1", "a")), "1");
    EXPECT_EQ(Str(ReadStoreCookies("0.1", "b")), "2");
    EXPECT_EQ(Str(ReadStoreCookies("0.1", "lc")), "");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].HeaderCount("Cookie"), 0);

    // The next call, given no cookies, sends the store's; a deleted value
    // drops the cookie from the merged string.
    Text laterCookies;
    AutomationFetch(url, nullptr, nullptr, &laterCookies);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].Header("Cookie"), "a=1; b=2;");
    EXPECT_EQ(Str(laterCookies), "b=2;");
}

TEST_F(AutomationFetchTest, GivenCookiesAreSentWithTheFinalSemicolon) {
    LoopbackServer server([](const RecordedRequest&, int) { return Answer("", "ok"); });
    Text cookies = "sid=1";
    AutomationFetch(server.Url("/").c_str(), nullptr, nullptr, &cookies);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Header("Cookie"), "sid=1;");
    EXPECT_EQ(Str(cookies), "sid=1;");
}

TEST_F(AutomationFetchTest, RedirectsAreFollowedUnlessSwitchedOff) {
    auto script = [](const RecordedRequest& request, int) {
        if (request.Path() == "/start") {
            Reply reply;
            reply.bytes = HttpResponse(302, "Location: /next\r\n", "moved");
            return reply;
        }
        return Answer("", "arrived");
    };
    {
        LoopbackServer server(script);
        Text location, headers;
        const ByteSet body = AutomationFetch(server.Url("/start").c_str(), nullptr, nullptr, nullptr, nullptr,
                                             nullptr, &location, false, 0, &headers);
        EXPECT_EQ(body.View(), "arrived");
        ASSERT_EQ(server.Requests().size(), 2u);
        EXPECT_EQ(server.Requests()[1].Path(), "/next");
        // The final answer names no Location: the whole header block stands in.
        EXPECT_FALSE(headers.IsEmpty());
        EXPECT_EQ(Str(location), Str(headers));
    }
    {
        LoopbackServer server(script);
        Text location;
        const ByteSet body = AutomationFetch(server.Url("/start").c_str(), nullptr, nullptr, nullptr, nullptr,
                                             nullptr, &location, true);
        EXPECT_EQ(body.View(), "moved");
        EXPECT_EQ(Str(location), "/next");
        EXPECT_EQ(server.Requests().size(), 1u);
    }
}

// Wine's request object waits for the answer's head without any bound of
// its own (SetTimeouts does not reach that wait there).
bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

Reply Silent(std::string bytes, int silentMs) {
    Reply reply;
    reply.bytes = std::move(bytes);
    reply.silentMs = silentMs;
    return reply;
}

TEST_F(AutomationFetchTest, DefaultTimeoutsOutlastASlowAnswer) {
    for (const int timeoutSeconds : {0, 1}) {  // omitted: 15 s; 1: the object's own
        LoopbackServer server([](const RecordedRequest&, int) {
            Reply reply = Answer("", "late");
            reply.delayMs = 3500;
            return reply;
        });
        const int start = UptimeMs();
        const ByteSet body = AutomationFetch(server.Url("/slow").c_str(), nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, false, timeoutSeconds);
        EXPECT_EQ(body.View(), "late") << timeoutSeconds;
        EXPECT_LT(UptimeMs() - start, 8000) << timeoutSeconds;
    }
}

TEST_F(AutomationFetchTest, TwoSecondsGiveUpOnASilentServer) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's request object applies no receive time-out";
    LoopbackServer server([](const RecordedRequest&, int) { return Silent("", 10000); });
    Text headers = "before", location;
    const int start = UptimeMs();
    const ByteSet body = AutomationFetch(server.Url("/").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                         &location, false, 2, &headers);
    EXPECT_LT(UptimeMs() - start, 6000);
    EXPECT_TRUE(body.IsEmpty());
    EXPECT_TRUE(headers.IsEmpty());
    EXPECT_TRUE(location.IsEmpty());
}

TEST_F(AutomationFetchTest, BrokenAnswersNeitherHangNorCrash) {
    const char* answers[] = {
        "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\nonly ten b",
        "garbage without any status line\r\n\r\n",
        "",
    };
    for (const char* answer : answers) {
        LoopbackServer server([answer](const RecordedRequest&, int) { return Silent(answer, 1500); });
        const int start = UptimeMs();
        const ByteSet body = AutomationFetch(server.Url("/").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, false, 3);
        EXPECT_LT(UptimeMs() - start, 8000) << answer;
        const std::string got(body.View());
        EXPECT_TRUE(got.empty() || std::string("only ten b").rfind(got, 0) == 0) << answer << " gave " << got;
    }
}

}  // namespace
}  // namespace velmora
