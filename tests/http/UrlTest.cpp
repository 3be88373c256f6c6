#include "http/Url.h"

#include <gtest/gtest.h>

#include <optional>

namespace velmora {
namespace {

struct DomainCase {
    const char* url;
    bool mainDomain;
    bool keepPort;
    const char* host;
};

TEST(UrlDomain, TakesTheHostBySchemeFoundInCase) {
    const DomainCase cases[] = {
        {"http://A.B.C:8080/x", false, false, "a.b.c"},
        {"http://A.B.C:8080/x", false, true, "a.b.c:8080"},
        {"http://A.B.C:8080/x", true, false, "b.c"},
        {"https://a.b.c", false, false, "a.b.c"},
        {"a.b.c/x", false, false, "a.b.c"},
        // The scheme is matched in case: "HTTP:" is the host, cut at its colon.
        {"HTTP://A.B/", false, false, "http"},
        {"http://10.0.0.7/", true, false, "0.7"},
        {"http://c/", true, false, "c"},
        {"http://a.b?x=1", false, false, "a.b?x=1"},
        // Neither scheme has to start the URL, and "http://" is looked for first.
        {"x?u=http://a.b/c", false, false, "a.b"},
        {"https://a.b/?r=http://c.d/", false, false, "c.d"},
        // A "/" that is the second byte of a two-byte character does not end the host.
        {"http://a\xB0/b/c", false, false, "a\xB0/b"},
        {"http://", false, false, ""},
        {"", false, false, ""},
    };
    for (const DomainCase& c : cases) {
        EXPECT_EQ(UrlDomain(c.url, c.mainDomain, c.keepPort).View(), c.host)
            << c.url << " mainDomain=" << c.mainDomain << " keepPort=" << c.keepPort;
    }
}

struct HostCase {
    const char* url;
    bool mainDomain;
    bool keepPort;
    std::optional<int> labelCount;
    const char* host;
};

TEST(UrlHost, TakesTheHostByLowerCasedSchemeOrByLabels) {
    const HostCase cases[] = {
        {"HTTP://A.B.C:81/x", false, false, std::nullopt, "a.b.c"},
        {"HTTP://A.B.C:81/x", false, true, std::nullopt, "a.b.c:81"},
        {"a.b.c", false, false, std::nullopt, "a.b.c"},
        {"https://a.b/x", false, false, std::nullopt, "a.b"},
        {"http://a.b?x=1", false, false, std::nullopt, "a.b?x=1"},
        {"http://w.a.b.c/x", true, false, std::nullopt, "b.c"},
        // Any other scheme gets "http://" put in front and ends up as the host.
        {"ftp://a.b/", false, false, std::nullopt, "ftp"},
        {"", false, false, std::nullopt, ""},
        {"http://w.a.b.c/x", false, false, 1, "a.b.c"},
        {"http://w.a.b.c/x", true, false, 1, "b.c"},
        {"http://w.a.b.c/x", false, false, 0, "b.c"},
        {"http://w.a.b.c/x", true, false, 0, "c"},
        {"http://w.a.b.c/x", false, false, -3, "b.c"},
        {"HTTPS://A.B.C/x", false, false, 5, "a.b.c"},
        {"https://a.b.c", true, false, 5, "a.b.c"},
        {"http://w.a.b.c:81/x", false, false, 0, "b.c"},
        {"http://w.a.b.c:81/x", false, true, 0, "b.c:81"},
    };
    for (const HostCase& c : cases) {
        EXPECT_EQ(UrlHost(c.url, c.mainDomain, c.keepPort, c.labelCount).View(), c.host)
            << c.url << " mainDomain=" << c.mainDomain << " keepPort=" << c.keepPort
            << " labelCount=" << c.labelCount.value_or(999);
    }
}

TEST(UrlPort, IsTheNumberAfterTheLastColonOrTheSchemeDefault) {
    const struct {
        const char* url;
        int port;
    } cases[] = {
        {"http://a.b:8080/x", 8080}, {"https://a.b/x", 443}, {"HTTPS://A.B/", 443}, {"a.b/x", 80},
        {"http://a.b:/", 0},         {"http://a.b:81:82/", 82}, {"http://a.b:x/", 0}, {"", 80},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlPort(c.url), c.port) << c.url;
}

TEST(UrlPath, RunsFromTheFirstSlashAfterTheHostToTheEnd) {
    const struct {
        const char* url;
        const char* path;
    } cases[] = {
        {"http://a.b:81/p/q?x=1", "/p/q?x=1"},
        {"http://a.b", "/"},
        {"http://a.b?x=1", "/"},
        {"a.b/x", "/x"},
        {"HTTP://A.B/P", "/P"},
        {"", "/"},
        // The host is searched in the whole URL, so a host spelled like the
        // scheme is found in the scheme.
        {"http://http/x", "//http/x"},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlPath(c.url).View(), c.path) << c.url;
}

}  // namespace
}  // namespace velmora
