#include "http/CookieStorePieces.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

TEST(StoreUrlFor, KeepsHttpsOnlyForAnHttpsUrl) {
    const struct {
        const char* url;
        const char* storeUrl;
    } cases[] = {
        {"https://A.B.c:8443/x?y", "https://a.b.c"},
        // The scheme picks https in any case, but the host is UrlDomain's,
        // which finds the scheme only in small letters.
        {"HTTPS://a.b/", "https://https"},
        {"http://a.b:81/x", "http://a.b"},
        // A bare host, as the automation client passes it, counts as http.
        {"a.b", "http://a.b"},
        {"ftp://a.b/", "http://ftp"},
    };
    for (const auto& c : cases) EXPECT_EQ(StoreUrlFor(c.url).View(), c.storeUrl) << c.url;
}

TEST(PickCookieValue, TakesTheFirstSubstringMatchOfTheName) {
    const struct {
        const char* answer;
        const char* name;
        const char* value;
    } cases[] = {
        {"a=1; b=2", "b", "2"},
        {"a=1; b=2", "a", "1"},
        {"a=1; b=2", "B", "2"},
        {"uid=5; id=7", "id", "5"},
        {"a=1; b=2", "c", ""},
        {"a=x=y; b=2", "a", "x=y"},
        {"a=; b=2", "a", ""},
        {"", "a", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PickCookieValue(c.answer, c.name).View(), c.value) << c.answer << " / " << c.name;
}

using Writes = std::vector<std::pair<std::string, std::string>>;

Writes WritesOf(const char* cookies) {
    Writes writes;
    for (const CookieWrite& w : CookieWrites(cookies)) {
        writes.emplace_back(w.name.View(), w.data.View());
    }
    return writes;
}

TEST(CookieWrites, SplitsMembersIntoNameAndRebuiltData) {
    const struct {
        const char* cookies;
        Writes writes;
    } cases[] = {
        {"a=1; b=x=y", {{"a", "1"}, {" b", "x=y"}}},
        {"novalue; d=4", {{" d", "4"}}},
        {"a=abc==", {{"a", "abc="}}},
        {"a=abc=", {{"a", "abc"}}},
        {"a=b==c", {{"a", "b==c"}}},
        // A value that comes out empty writes nothing.
        {"c=; e=5", {{" e", "5"}}},
        {"a==; =", {}},
        {"=x", {{"", "x"}}},
        {"a=1;;", {{"a", "1"}}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(WritesOf(c.cookies), c.writes) << c.cookies;
}

}  // namespace
}  // namespace velmora
