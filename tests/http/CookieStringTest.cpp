#include "http/CookieString.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct MergeCase {
    const char* oldCookies;
    const char* newCookies;
    const char* merged;
    const char* newAfter;  // newCookies as the merge leaves it
};

TEST(MergeCookies, UpdatesOldPairsByRawNameAndRebuildsTheString) {
    const MergeCase cases[] = {
        {"a=1; b=2", "", "a=1; b=2;", ""},
        {"a=1; b=2", "b=3", "a=1; b=3;", "b=3;"},
        {"  a=1; b=2  ", "  b=3;  ", "a=1; b=3;", "b=3;"},
        // " a" (after "; ") does not match the "a" at the very start.
        {"a=1; b=2", "c=3; a=5", "a=1; b=2; c=3; a=5;", "c=3; a=5;"},
        // The name is found inside a longer name and that stretch is replaced.
        {"x=1; sid=2", "id=9", "x=1; sid=9;", "id=9;"},
        // The name is found without regard to case, and every copy of the stretch changes.
        {"A=1; b=2; A=1", "a=7", "a=7; b=2; a=7;", "a=7;"},
        // Of two new pairs with one name the later wins; after "; " the name
        // carries a space and is a different name.
        {"", "a=1;a=2", "a=2;", "a=1;a=2;"},
        {"", "a=1; a=2", "a=1; a=2;", "a=1; a=2;"},
        {"a=1", "a=deleted", "", "a=deleted;"},
        {"", "c=", "", "c=;"},
        // Only a member whose raw last character is "=" is dropped.
        {"", "c= ;", "c=;", "c= ;"},
        {"a=abc=", "", "", ""},
        // An empty name counts as found at position 1: the first pair is replaced.
        {"a=1; b=2", "=x", "=x; b=2;", "=x;"},
        {"", "novalue; d=4", "d=4;", "novalue; d=4;"},
        // Old members without "=" and empty members survive the rebuild.
        {"junk;;e=5", "", "junk; ; e=5;", ""},
        {"", "", "", ""},
    };
    for (const MergeCase& c : cases) {
        Text oldCookies(c.oldCookies);
        Text newCookies(c.newCookies);
        const Text merged = MergeCookies(oldCookies, newCookies);
        EXPECT_EQ(merged.View(), c.merged) << "old='" << c.oldCookies << "' new='" << c.newCookies << "'";
        EXPECT_EQ(oldCookies.View(), c.merged) << "old='" << c.oldCookies << "' new='" << c.newCookies << "'";
        EXPECT_EQ(newCookies.View(), c.newAfter) << "old='" << c.oldCookies << "' new='" << c.newCookies << "'";
    }
}

struct UniqueCase {
    const char* held;
    const char* received;
    const char* merged;
    const char* receivedAfter;
};

TEST(MergeCookiesUnique, PutsReceivedPairsFirstAndKeepsOneHeldPairPerName) {
    const UniqueCase cases[] = {
        {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
        {"", "a=1; a=1; a=2", "a=1; a=2", "a=1;a=1;a=2"},
        {"a = 1", "", "a=1", ""},
        {"a=deleted", "", "", ""},
        {"a=1", "a=deleted", "", "a=deleted"},
        // Of held pairs with one name only the first is taken.
        {"x=1; x=2; y=3", "", "x=1; y=3", ""},
        // Names compare exactly, so case makes two cookies; empty values stay.
        {"A=1", "a=2; e=", "a=2; e=; A=1", "a=2;e="},
        {"", "", "", ""},
    };
    for (const UniqueCase& c : cases) {
        Text held(c.held);
        Text received(c.received);
        const Text merged = MergeCookiesUnique(held, received);
        EXPECT_EQ(merged.View(), c.merged) << "held='" << c.held << "' received='" << c.received << "'";
        EXPECT_EQ(held.View(), c.merged) << "held='" << c.held << "' received='" << c.received << "'";
        EXPECT_EQ(received.View(), c.receivedAfter) << "held='" << c.held << "' received='" << c.received << "'";
    }
}

TEST(CookiePairName, IsTheTrimmedTextBeforeTheFirstEquals) {
    const struct {
        const char* pair;
        const char* name;
    } cases[] = {
        {" sid = 5", "sid"}, {"a=b=c", "a"}, {"  flag ", "flag"}, {"=x", ""}, {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CookiePairName(c.pair).View(), c.name) << c.pair;
}

TEST(RemoveDuplicateItems, KeepsTheFirstOfEachExactRepeat) {
    const struct {
        const char* list;
        const char* separator;
        const char* result;
    } cases[] = {
        {"x; y; x", "; ", "x; y"},
        {"", "; ", ""},
        {"X; x; X", "; ", "X; x"},
        {"a,b,a,c,b", ",", "a,b,c"},
        {"abc", "", "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveDuplicateItems(c.list, c.separator).View(), c.result) << c.list << " / " << c.separator;
}

}  // namespace
}  // namespace velmora
