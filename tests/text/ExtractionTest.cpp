#include "text/Extraction.h"
#include "support/TextValues.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

TEST(TextBetweenTest, Table) {
    struct Case {
        const char* source;
        const char* left;
        const char* right;
        int start;
        bool ignoreCase;
        const char* expected;
    } cases[] = {
        {"a<b>c", "<", ">", 0, false, "b"},
        {"a<b c", "<", ">", 0, false, ""},
        {"a b>c", "<", ">", 0, false, ""},
        {"<>", "<", ">", 0, false, ""},
        {"x href=\"u1\" y", "href=#引号", "#引号", 0, false, "u1"},
        {"<A>x</A>", "<a>", "</a>", 0, false, ""},
        {"<A>x</A>", "<a>", "</a>", 0, true, "x"},
        {"<1><2>", "<", ">", 2, false, "2"},
        {"<1>", "<", ">", 0, false, "1"},
        {"\xB0<1<2>", "<", ">", 0, false, "2"},  // '<' as a second byte is no marker
        {"http://host.example/path", "http://", "/", 0, false, "host.example"},
        {"User-Agent: ua\r\nX: y\r\n", "User-Agent:", "\r\n", 0, false, " ua"},  // not trimmed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str(TextBetween(c.source, c.left, c.right, c.start, c.ignoreCase)), c.expected)
            << "source '" << c.source << "'";
    }
}

TEST(TextBetweenAtTest, Table) {
    Text middleEq("=");
    struct Case {
        const char* source;
        int position;
        const char* left;
        const Text* middle;
        const char* right;
        bool keepLeft;
        const char* expected;
        int positionAfter;
    } cases[] = {
        {"x=1; y=2", 0, "y=", nullptr, ";", true, "y=2", 6},
        {"x=1; y=2", 0, "y=", nullptr, ";", false, "2", 8},
        {"x=1; y=2; z", 0, "x=", nullptr, ";", true, "x=1", 1},
        {"x=1; y=2", 0, "q=", nullptr, ";", true, "", -1},
        {"x=1; y=2", 7, "y=", nullptr, ";", true, "", -1},  // searched from position
        {"a b=3;", 0, "b", &middleEq, ";", true, "b=3", 3},
        {"a b=3;", 0, "b", &middleEq, ";", false, "3", 5},
        {"a b 3;", 0, "b", &middleEq, ";", true, "", -1},  // middle marker missing
        {"X=1; Y=2", 0, "y=", nullptr, ";", true, "Y=2", 6},  // case ignored by default
    };
    for (const auto& c : cases) {
        int position = c.position;
        EXPECT_EQ(Str(TextBetweenAt(c.source, position, c.left, c.middle, c.right, true, c.keepLeft)),
                  c.expected)
            << "source '" << c.source << "' left '" << c.left << "'";
        EXPECT_EQ(position, c.positionAfter) << "source '" << c.source << "' left '" << c.left << "'";
    }
    int position = 0;
    EXPECT_EQ(Str(TextBetweenAt("X=1; Y=2", position, "y=", nullptr, ";", false)), "");
    EXPECT_EQ(position, -1);
}

TEST(TextBetweenOnceTest, Table) {
    struct Case {
        const char* source;
        const char* marker;
        const char* terminator;
        int start;
        const char* expected;
    } cases[] = {
        {"Set-Cookie: a=b; path=/", "set-cookie:", ";", 0, " a=b"},
        {"Set-Cookie: a=b", "set-cookie:", ";", 0, ""},
        {"Cookie: a=b;", "set-cookie:", ";", 0, ""},
        {"k=1;K=2;", "k=", ";", 2, "2"},
        {"ab;", "ab", ";", 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str(TextBetweenOnce(c.source, c.marker, c.terminator, c.start)), c.expected)
            << "source '" << c.source << "'";
    }
}

struct ExtractCase {
    const char* source;
    const char* left;
    const char* right;
    ExtractOptions options;
    std::vector<std::string> expected;
};

ExtractOptions Decorated() {
    ExtractOptions o;
    o.prefix = "P";
    o.suffix = "S";
    o.keepLeft = true;
    o.keepRight = true;
    return o;
}

ExtractOptions MaxLength(int n) {
    ExtractOptions o;
    o.maxLength = n;
    return o;
}

ExtractOptions MatchCase() {
    ExtractOptions o;
    o.matchCase = true;
    return o;
}

ExtractOptions StartAt(int start) {
    ExtractOptions o;
    o.start = start;
    return o;
}

ExtractOptions PrefixOnly() {
    ExtractOptions o;
    o.prefix = "P";
    return o;
}

TEST(ExtractAllBetweenTest, Table) {
    const ExtractCase cases[] = {
        {"[a] [] [ b ]", "[", "]", {}, {"a", "b"}},
        {"a|b|c|d", "|", "|", {}, {"b", "c"}},
        {"< x >", "<", ">", Decorated(), {"<PxS>"}},
        {"<ab><abc>", "<", ">", MaxLength(3), {"ab"}},
        {"no markers here", "<", ">", {}, {}},
        {"<a><b", "<", ">", {}, {"a"}},
        {"<A href=\"1\"><a HREF=\"2\">", "href=\"", "\"", {}, {"1", "2"}},
        {"<A href=\"1\"><a HREF=\"2\">", "href=\"", "\"", MatchCase(), {"1"}},
        {"<1><2><3>", "<", ">", StartAt(2), {"2", "3"}},
        {"[ ][x]", "[", "]", {}, {"x"}},
        {"<>", "<", ">", PrefixOnly(), {"P"}},  // a prefix makes an empty piece count
        {"\xB0[a][b\xB0]]", "[", "]", {}, {"b\xB0]"}},  // '[' and ']' as second bytes are no markers
        {"|\xA1\xA1x\xA1\xA1|", "|", "|", {}, {"x"}},           // full-width spaces trimmed
    };
    for (const ExtractCase& c : cases) {
        TextArray results;
        int count = ExtractAllBetween(c.source, c.left, c.right, results, c.options);
        EXPECT_EQ(Elements(results), c.expected) << "source '" << c.source << "'";
        EXPECT_EQ(count, results.Count());
    }
}

TEST(ExtractAllBetweenTest, EmptiesResultsFirst) {
    TextArray results;
    results.Append("old");
    EXPECT_EQ(ExtractAllBetween("nothing", "<", ">", results), 0);
    EXPECT_EQ(results.Count(), 0);

    results.Append("old");
    EXPECT_EQ(ExtractAllBetween("<new>", "<", ">", results), 1);
    EXPECT_EQ(Elements(results), std::vector<std::string>{"new"});
}

TEST(ExtractAllBetweenTest, EmptyLeftMarkerReturnsAtOnce) {
    TextArray results;
    results.Append("old");
    EXPECT_EQ(ExtractAllBetween("a>b>c", "", ">", results), 0);
    EXPECT_EQ(results.Count(), 0);
}

TEST(ExtractAllBetweenTest, ManyPiecesInALongPage) {
    std::string page;
    for (int i = 0; i < 20000; ++i) page += "<a href=\"/u/" + std::to_string(i) + "\">\xC4\xD0</a>";
    TextArray results;
    ASSERT_EQ(ExtractAllBetween(Text::Present(page), "href=\"", "\"", results), 20000);
    EXPECT_EQ(Str(results.At(1)), "/u/0");
    EXPECT_EQ(Str(results.At(20000)), "/u/19999");
}

TEST(TextAfterLastTest, Table) {
    struct Case {
        const char* source;
        const char* marker;
        std::optional<int> start;
        bool ignoreCase;
        const char* expected;
    } cases[] = {
        {"/u/7/u/345", "u/", std::nullopt, false, "345"},
        {"abcu/", "u/", std::nullopt, false, ""},
        {"abc", "u/", std::nullopt, false, ""},
        {"/u/7/u/345", "u/", 6, false, "7/u/345"},  // only occurrences ending before 6
        {"/u/7/U/345", "u/", std::nullopt, true, "345"},
        {"/u/7/U/345", "u/", std::nullopt, false, "7/U/345"},
        {"", "u/", std::nullopt, false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str(TextAfterLast(c.source, c.marker, c.start, c.ignoreCase)), c.expected)
            << "source '" << c.source << "'";
    }
}

}  // namespace
}  // namespace velmora
