#include "http/HttpHeaders.h"

#include <cstdint>

#include "text/Extraction.h"
#include "text/Primitives.h"

namespace velmora {
namespace {

constexpr char kLineBreak[] = "\r\n";
constexpr char kColon[] = ":";
constexpr char kSemicolon[] = ";";
constexpr char kPairSeparator[] = "; ";
constexpr char kGet[] = "GET";
constexpr char kPost[] = "POST";
constexpr char kHead[] = "HEAD";
constexpr char kHttpsScheme[] = "https://";
constexpr char kHttpProxyPrefix[] = "http=";

constexpr char kDefaultBlockReferer[] = "Referer: ";
constexpr char kDefaultBlockRest[] =
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n"
    "Content-Type: application/x-www-form-urlencoded";

constexpr char kLocationName[] = "Location:";
constexpr char kSetCookie[] = "Set-Cookie";
constexpr char kSetCookieName[] = "Set-Cookie:";
constexpr char kUserAgentName[] = "User-Agent:";

constexpr char kAcceptName[] = "Accept:";
constexpr char kAcceptLine[] = "Accept: */*";
constexpr char kRefererName[] = "Referer:";
constexpr char kRefererLineStart[] = "\r\nReferer: ";
constexpr char kAcceptLanguageName[] = "Accept-Language:";
constexpr char kAcceptLanguageLine[] = "\r\nAccept-Language: zh-cn";
constexpr char kContentTypeName[] = "Content-Type:";
constexpr char kContentTypeLine[] = "\r\nContent-Type: application/x-www-form-urlencoded";
constexpr char kCookieName[] = "Cookie:";
constexpr char kCookieLineStart[] = "\r\nCookie: ";

bool Contains(const Text& text, const Text& sought, bool ignoreCase = false) {
    return FindText(text, sought, 0, ignoreCase) > 0;
}

}  // namespace

std::optional<int> AutomationTimeoutMs(int timeoutSeconds) {
    if (timeoutSeconds == 1) return std::nullopt;
    if (timeoutSeconds <= 0) return kAutomationDefaultTimeoutMs;
    // Exact product; a value beyond 32 bits keeps its low 32 bits.
    return int(std::uint32_t(std::int64_t(timeoutSeconds) * 1000));
}

Text AutomationMethod(const Text& method) {
    Text upper = UpperText(method);
    return upper.IsEmpty() ? Text(kGet) : upper;
}

Text DefaultHeaderBlock(const Text& url) { return ConcatText(kDefaultBlockReferer, url, kDefaultBlockRest); }

HeaderLines SplitHeaderBlock(const Text& headerBlock) {
    TextArray lines;
    if (Contains(headerBlock, kLineBreak)) {
        lines = SplitText(headerBlock, kLineBreak);
    } else if (Contains(headerBlock, kColon)) {
        lines.Append(headerBlock);
    }

    HeaderLines result;
    const int lineCount = lines.Count();
    for (int i = 1; i <= lineCount; ++i) {
        const Text& line = lines.At(i);
        if (!Contains(line, kColon)) continue;
        // Splitting at every colon and joining the rest again passes a value
        // that holds colons (a URL with scheme and port) whole.
        const TextArray parts = SplitText(line, kColon);
        if (parts.Count() < 2) continue;  // the only colon ends the line: no value
        Text value = parts.At(2);
        for (int p = 3; p <= parts.Count(); ++p) value = ConcatText(value, kColon, parts.At(p));
        result.push_back(HeaderLine{parts.At(1), value});
    }
    return result;
}

void ReadAutomationResponseHeaders(const Text& responseHeaders, Text& location, Text& returnedCookies) {
    returnedCookies = Text();
    const TextArray lines = SplitText(responseHeaders, kLineBreak);
    const int lineCount = lines.Count();
    for (int i = 1; i <= lineCount; ++i) {
        const Text& line = lines.At(i);
        if (Contains(line, kLocationName)) {
            location = TrimText(ReplaceText(line, kLocationName, Text(), 0, 1, false));
        }
        if (Contains(line, kSetCookie)) {
            const Text pair = TextBetweenOnce(line, kSetCookieName, kSemicolon);
            returnedCookies = ConcatText(returnedCookies, TrimText(pair), kPairSeparator);
        }
    }
    if (location.IsEmpty()) location = responseHeaders;
}

Text WinInetVerb(int method) {
    switch (method) {
        case 1: return kPost;
        case 2: return kHead;
        default: return kGet;
    }
}

bool IsHttpsUrl(const Text& url) { return CompareText(LowerText(LeftText(url, 8)), kHttpsScheme) == 0; }

Text HeaderValue(const Text& text) {
    const int colon = FindText(text, kColon);
    if (colon == -1) return Text();
    return TrimText(RightText(text, TextLength(text) - colon));
}

Text WinInetUserAgent(const Text& headerBlock) {
    if (!Contains(headerBlock, kUserAgentName, true)) return kWinInetDefaultUserAgent;
    Text agent = TrimText(TextBetween(ConcatText(headerBlock, kLineBreak), kUserAgentName, kLineBreak));
    if (!agent.IsEmpty()) return agent;
    // The name is written in other letters: take the value of the line that
    // holds it, so the agent never carries the rest of the block.
    const TextArray lines = SplitText(headerBlock, kLineBreak);
    const int lineCount = lines.Count();
    for (int i = 1; i <= lineCount; ++i) {
        if (Contains(lines.At(i), kUserAgentName, true)) return HeaderValue(lines.At(i));
    }
    return Text();
}

Text WinInetProxyText(const Text& proxy, bool https) {
    return https ? proxy : ConcatText(kHttpProxyPrefix, proxy);
}

std::uint32_t WinInetRequestFlags(bool https, bool cookiesGiven, bool noRedirect) {
    std::uint32_t flags = kFlagReload | kFlagNeedFile;
    if (cookiesGiven) flags |= kFlagNoCookies;
    if (noRedirect) flags |= kFlagNoAutoRedirect;
    flags |= https ? kFlagSecure : kFlagIgnoreRedirectToHttps;
    return flags;
}

Text CompleteWinInetHeaderBlock(const Text& headerBlock, const Text& url, const Text& cookies) {
    Text block = headerBlock;
    if (block.IsEmpty()) {
        block = kAcceptLine;
    } else if (!Contains(block, kAcceptName)) {
        block = ConcatText(block, kLineBreak, kAcceptLine);
    }
    if (!Contains(block, kRefererName)) block = ConcatText(block, kRefererLineStart, url);
    if (!Contains(block, kAcceptLanguageName)) block = ConcatText(block, kAcceptLanguageLine);
    if (!Contains(block, kContentTypeName)) block = ConcatText(block, kContentTypeLine);
    if (!cookies.IsEmpty()) {
        // A caller may pass a whole Cookie line instead of a cookie string.
        block = Contains(cookies, kCookieName) ? ConcatText(block, kLineBreak, cookies)
                                               : ConcatText(block, kCookieLineStart, cookies);
    }
    return block;
}

Text NormaliseSetCookieCase(const Text& responseHeaders) {
    return ReplaceText(responseHeaders, kSetCookie, kSetCookie, 0, -1, false);
}

Text HarvestSetCookies(const Text& responseHeaders) {
    const TextArray lines = SplitText(NormaliseSetCookieCase(responseHeaders), kLineBreak);
    Text harvested;
    const int lineCount = lines.Count();
    for (int i = 1; i <= lineCount; ++i) {
        const Text& line = lines.At(i);
        if (!Contains(line, kSetCookie)) continue;
        const Text value = Contains(line, kSemicolon)
                               ? TrimText(TextBetween(line, kSetCookieName, kSemicolon))
                               : TrimText(ReplaceText(line, kSetCookieName, Text(), 0, -1, false));
        harvested = ConcatText(harvested, value, kPairSeparator);
    }
    return LeftText(harvested, TextLength(harvested) - 2);
}

}  // namespace velmora
