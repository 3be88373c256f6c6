#include "http/CookieString.h"

#include "text/Extraction.h"
#include "text/Primitives.h"

namespace velmora {

namespace {

constexpr char kPairSeparator[] = ";";
constexpr char kWrittenSeparator[] = "; ";
constexpr char kEquals[] = "=";
constexpr char kDeletedSuffix[] = "=deleted";
constexpr int kDeletedSuffixLength = 8;

bool Equal(const Text& a, const Text& b) { return CompareText(a, b) == 0; }

bool IsDeleted(const Text& pair) { return Equal(RightText(pair, kDeletedSuffixLength), kDeletedSuffix); }

// Trimmed, and ending with ";" unless empty.
Text NormaliseCookieString(const Text& cookies) {
    Text trimmed = TrimText(cookies);
    if (TextLength(trimmed) > 0 && !Equal(RightText(trimmed, 1), kPairSeparator))
        trimmed = ConcatText(trimmed, kPairSeparator);
    return trimmed;
}

// Puts one new member into the old string: the stretch from the first
// occurrence of its name (found anywhere, ignoring case) up to the next ";"
// is replaced everywhere; a name that does not occur is appended.
Text PutMember(const Text& oldCookies, const Text& member) {
    const int equals = FindText(member, kEquals);
    if (equals < 0) return oldCookies;
    const Text name = LeftText(member, equals - 1);  // leading spaces stay
    if (FindText(oldCookies, name, 1, true) > 0) {
        int position = 0;
        const Text stretch = TextBetweenAt(oldCookies, position, name, nullptr, kPairSeparator, true, true);
        return ReplaceText(oldCookies, stretch, member, 0, -1, false);
    }
    return ConcatText(oldCookies, member, kPairSeparator);
}

}  // namespace

Text MergeCookies(Text& oldCookies, Text& newCookies) {
    oldCookies = NormaliseCookieString(oldCookies);
    newCookies = NormaliseCookieString(newCookies);

    const TextArray newMembers = SplitText(newCookies, kPairSeparator);
    for (int i = 1; i <= newMembers.Count(); ++i) oldCookies = PutMember(oldCookies, newMembers.At(i));

    // Rebuild, dropping pairs with an empty value (any member whose last
    // character is "=") and deleted pairs.
    const TextArray members = SplitText(oldCookies, kPairSeparator);
    Text rebuilt;
    for (int i = 1; i <= members.Count(); ++i) {
        const Text& member = members.At(i);
        if (Equal(RightText(member, 1), kEquals) || IsDeleted(member)) continue;
        rebuilt = ConcatText(rebuilt, TrimText(member), kWrittenSeparator);
    }
    oldCookies = TrimText(rebuilt);
    return oldCookies;
}

Text MergeCookiesUnique(Text& heldCookies, Text& receivedCookies) {
    heldCookies = RemoveSpaces(heldCookies);
    receivedCookies = RemoveSpaces(receivedCookies);

    TextArray list = SplitText(receivedCookies, kPairSeparator);
    const TextArray held = SplitText(heldCookies, kPairSeparator);
    for (int i = 1; i <= held.Count(); ++i) {
        const Text name = CookiePairName(held.At(i));
        bool taken = false;
        for (int j = 1; j <= list.Count() && !taken; ++j) taken = Equal(CookiePairName(list.At(j)), name);
        if (!taken) list.Append(held.At(i));
    }

    Text joined;
    for (int i = 1; i <= list.Count(); ++i) {
        if (!IsDeleted(list.At(i))) joined = ConcatText(joined, list.At(i), kWrittenSeparator);
    }
    joined = LeftText(joined, TextLength(joined) - 2);
    heldCookies = RemoveDuplicateItems(joined, kWrittenSeparator);
    return heldCookies;
}

Text CookiePairName(const Text& pair) {
    const int equals = FindText(pair, kEquals);
    return equals == -1 ? TrimText(pair) : TrimText(LeftText(pair, equals - 1));
}

Text RemoveDuplicateItems(const Text& list, const Text& separator) {
    const TextArray items = SplitText(list, separator);
    TextArray seen;
    Text out;
    for (int i = 1; i <= items.Count(); ++i) {
        const Text& item = items.At(i);
        bool repeated = false;
        for (int j = 1; j <= seen.Count() && !repeated; ++j) repeated = Equal(seen.At(j), item);
        if (repeated) continue;
        seen.Append(item);
        out = ConcatText(out, item, separator);
    }
    return LeftText(out, TextLength(out) - TextLength(separator));
}

}  // namespace velmora
