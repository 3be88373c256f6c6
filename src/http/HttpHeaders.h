// The pure pieces of the two HTTP clients: request header blocks, time-outs,
// flags and user agents going out, Location and Set-Cookie lines coming back.
// Each routine is total: any text in gives some result, never a failure.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "text/Text.h"
#include "text/TextArray.h"

namespace velmora {

// ---- Automation client ----

constexpr int kAutomationDefaultTimeoutMs = 15000;

// The milliseconds for all four phases, or nothing when the object's own
// time-outs are to stay (exactly 1 second asked). 0 or less means the default.
std::optional<int> AutomationTimeoutMs(int timeoutSeconds);

// Upper case; "GET" when empty.
Text AutomationMethod(const Text& method);

// The browser-like header block sent when the caller gives none, with the
// URL as Referer.
Text DefaultHeaderBlock(const Text& url);

struct HeaderLine {
    Text name;
    Text value;  // as written after the first colon, leading space included
};
using HeaderLines = std::vector<HeaderLine, StorageAllocator<HeaderLine>>;

// The headers a block asks for, in order. Lines are separated by "\r\n"; a
// block without "\r\n" is one line when it holds a colon. A line without a
// colon, or whose only colon is its last byte, sets nothing.
HeaderLines SplitHeaderBlock(const Text& headerBlock);

// Reads the response header block: location takes the target of the last
// line holding "Location:" (kept as it was when there is none, and then the
// whole block if it is still empty); returnedCookies becomes the first pair
// of each "Set-Cookie" line, each followed by "; ".
void ReadAutomationResponseHeaders(const Text& responseHeaders, Text& location, Text& returnedCookies);

// ---- WinInet client ----

constexpr std::uint32_t kFlagReload = 0x80000000u;
constexpr std::uint32_t kFlagNeedFile = 0x10u;
constexpr std::uint32_t kFlagNoCookies = 0x80000u;
constexpr std::uint32_t kFlagNoAutoRedirect = 0x200000u;
constexpr std::uint32_t kFlagSecure = 0x800000u;
constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x4000u;

constexpr char kWinInetDefaultUserAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// "GET", "POST" or "HEAD" by index; any other index is GET.
Text WinInetVerb(int method);

// True when the first eight bytes, lower-cased, are "https://".
bool IsHttpsUrl(const Text& url);

// The text after the first ":", trimmed; empty without a colon.
Text HeaderValue(const Text& text);

// The agent named by the caller's block (its User-Agent line), else the
// default agent.
Text WinInetUserAgent(const Text& headerBlock);

// What InternetOpenA gets as proxy list: the address itself for an https
// URL, "http=" + address otherwise.
Text WinInetProxyText(const Text& proxy, bool https);

std::uint32_t WinInetRequestFlags(bool https, bool cookiesGiven, bool noRedirect);

// The caller's block with the default lines it lacks appended, then the
// Cookie line when cookies is not empty.
Text CompleteWinInetHeaderBlock(const Text& headerBlock, const Text& url, const Text& cookies);

// Every "Set-Cookie", in any mix of case, written "Set-Cookie".
Text NormaliseSetCookieCase(const Text& responseHeaders);

// The first name=value pair of every Set-Cookie line (any case), joined by
// "; ".
Text HarvestSetCookies(const Text& responseHeaders);

}  // namespace velmora
