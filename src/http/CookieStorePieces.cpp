#include "http/CookieStorePieces.h"

#include "http/Url.h"
#include "text/Primitives.h"

namespace velmora {

namespace {

constexpr char kHttpScheme[] = "http://";
constexpr char kHttpsScheme[] = "https://";
constexpr char kPairSeparator[] = ";";
constexpr char kEquals[] = "=";

}  // namespace

Text StoreUrlFor(const Text& url) {
    const bool https = CompareText(LowerText(LeftText(url, 8)), kHttpsScheme) == 0;
    return ConcatText(https ? kHttpsScheme : kHttpScheme, UrlDomain(url));
}

Text PickCookieValue(const Text& answer, const Text& cookieName) {
    const int name = FindText(answer, cookieName, 1, true);
    if (name == -1) return Text();
    const int length = TextLength(cookieName);
    const int end = FindText(answer, kPairSeparator, name, true);
    if (end > 0) return MidText(answer, name + length + 1, end - name - length - 1);
    return RightText(answer, TextLength(answer) - name - length);
}

std::vector<CookieWrite> CookieWrites(const Text& cookies) {
    std::vector<CookieWrite> writes;
    const TextArray members = SplitText(cookies, kPairSeparator);
    for (int i = 1; i <= members.Count(); ++i) {
        const Text& member = members.At(i);
        if (FindText(member, kEquals) == -1) continue;
        const TextArray parts = SplitText(member, kEquals);
        if (parts.Count() < 2) continue;  // "c=" splits into the name alone
        Text data = parts.At(2);
        for (int p = 3; p <= parts.Count(); ++p) data = ConcatText(data, kEquals, parts.At(p));
        if (TextLength(data) == 0) continue;
        writes.push_back({parts.At(1), data});
    }
    return writes;
}

}  // namespace velmora
