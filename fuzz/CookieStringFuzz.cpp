// The cookie-string merges: the in-place effects their callers rely on, the
// exact form of each result, and that merging again with nothing new settles.
// Where the rules drop something only on a second pass (a pair such as
// "a= " whose value is a space, which the first merge trims to "a=", or two
// received pairs of one name, which the next unique merge counts as held),
// the check is that the third pass changes nothing after the second.
//
// Texts: 0 old/held cookies, 1 new/received cookies, 2 list, 3 separator.
#include "FuzzSupport.h"
#include "http/CookieString.h"
#include "text/Primitives.h"

namespace velmora::fuzz {
namespace {

using sv = std::string_view;

bool EndsWith(sv s, sv end) { return s.size() >= end.size() && s.substr(s.size() - end.size()) == end; }

Text Merge(const Text& oldCookies, const Text& newCookies) {
    Text o = oldCookies;
    Text n = newCookies;
    return MergeCookies(o, n);
}

Text MergeUnique(const Text& held, const Text& received) {
    Text h = held;
    Text r = received;
    return MergeCookiesUnique(h, r);
}

void CheckMerge(const Text& oldCookies, const Text& newCookies) {
    Text o = oldCookies;
    Text n = newCookies;
    const Text merged = MergeCookies(o, n);
    FUZZ_CHECK(V(o) == V(merged));
    FUZZ_CHECK(V(TrimText(n)) == V(n));
    FUZZ_CHECK(n.IsEmpty() || V(n).back() == ';');
    FUZZ_CHECK(V(TrimText(merged)) == V(merged));
    FUZZ_CHECK(merged.IsEmpty() || V(merged).back() == ';');

    const Text second = Merge(merged, Text());
    const Text third = Merge(second, Text());
    FUZZ_CHECK(V(third) == V(second));
}

// Spaces only in the "; " between pairs (a space can still be the second
// byte of a two-byte character).
void CheckOnlySeparatorSpaces(sv s) {
    for (std::size_t p = 0; p < s.size(); p += IsLead(At(s, p)) ? 2 : 1) {
        if (s[p] == ' ') FUZZ_CHECK(p > 0 && s[p - 1] == ';');
    }
}

void CheckMergeUnique(const Text& held, const Text& received) {
    Text h = held;
    Text r = received;
    const Text merged = MergeCookiesUnique(h, r);
    FUZZ_CHECK(V(h) == V(merged));
    FUZZ_CHECK(V(r) == V(RemoveSpaces(received)));
    CheckOnlySeparatorSpaces(V(merged));
    const TextArray pairs = SplitText(merged, "; ");
    for (int i = 1; i <= pairs.Count(); ++i) FUZZ_CHECK(!EndsWith(V(pairs.At(i)), "=deleted"));

    // With nothing received, each name is kept once, and a second such
    // merge changes nothing.
    const Text alone = MergeUnique(merged, Text());
    const TextArray kept = SplitText(alone, "; ");
    for (int i = 1; i <= kept.Count(); ++i) {
        for (int j = i + 1; j <= kept.Count(); ++j)
            FUZZ_CHECK(CompareText(CookiePairName(kept.At(i)), CookiePairName(kept.At(j))) != 0);
    }
    FUZZ_CHECK(V(MergeUnique(alone, Text())) == V(alone));
}

void CheckRemoveDuplicates(const Text& list, const Text& separator) {
    const Text once = RemoveDuplicateItems(list, separator);
    if (separator.IsEmpty()) {
        FUZZ_CHECK(V(once) == V(list));
        return;
    }
    const std::vector<std::string> items = Elements(SplitText(once, separator));
    for (std::size_t i = 0; i < items.size(); ++i) {
        for (std::size_t j = i + 1; j < items.size(); ++j) FUZZ_CHECK(items[i] != items[j]);
    }
    const Text twice = RemoveDuplicateItems(once, separator);
    // An empty last item ("a; " from "a; ; ") leaves a separator at the end,
    // which the next split does not count as an item.
    FUZZ_CHECK(V(twice) == V(once) || EndsWith(V(once), V(separator)));
    FUZZ_CHECK(V(RemoveDuplicateItems(twice, separator)) == V(twice));
}

void CheckPairName(const Text& pair) {
    const Text name = CookiePairName(pair);
    FUZZ_CHECK(StartsTrimmed(V(name)));
    FUZZ_CHECK(CountOccurrences(V(name), "=") == 0);
    FUZZ_CHECK(V(pair).find(V(name)) != sv::npos);
}

}  // namespace
}  // namespace velmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    using namespace velmora::fuzz;
    const Input in(data, size);
    CheckMerge(in.At(0), in.At(1));
    CheckMergeUnique(in.At(0), in.At(1));
    CheckRemoveDuplicates(in.At(2), in.At(3));
    CheckPairName(in.At(0));
    return 0;
}
