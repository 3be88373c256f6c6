// The header passes of the two clients over hostile header blocks: one
// cookie piece per Set-Cookie line, a Location that comes from a Location
// line or the fallbacks, header lines that rebuild into the block, a user
// agent that never carries the rest of the block, and a completed request
// block that keeps the caller's lines and has every default line.
//
// Texts: 0 header block, 1 location on entry, 2 URL, 3 cookies.
#include "FuzzSupport.h"
#include "http/HttpHeaders.h"
#include "text/Primitives.h"

namespace velmora::fuzz {
namespace {

using sv = std::string_view;

int LinesContaining(const Text& block, sv sought) {
    const TextArray lines = SplitText(block, "\r\n");
    int n = 0;
    for (int i = 1; i <= lines.Count(); ++i) n += CountOccurrences(V(lines.At(i)), sought) > 0;
    return n;
}

void CheckAutomationResponse(const Text& headers, const Text& locationOnEntry) {
    Text location = locationOnEntry;
    Text cookies = "left over";
    ReadAutomationResponseHeaders(headers, location, cookies);

    // One "piece; " per Set-Cookie line; no piece holds a ";".
    const int setCookieLines = LinesContaining(headers, "Set-Cookie");
    FUZZ_CHECK(CountOccurrences(V(cookies), ";") == setCookieLines);
    FUZZ_CHECK(cookies.IsEmpty() == (setCookieLines == 0));
    if (!cookies.IsEmpty()) FUZZ_CHECK(V(cookies).substr(V(cookies).size() - 2) == "; ");

    if (CountOccurrences(V(headers), "Location:") == 0) {
        FUZZ_CHECK(V(location) == (locationOnEntry.IsEmpty() ? V(headers) : V(locationOnEntry)));
    } else {
        FUZZ_CHECK(V(location) == V(headers) || StartsTrimmed(V(location)));
    }
    if (!headers.IsEmpty() || !locationOnEntry.IsEmpty()) FUZZ_CHECK(!location.IsEmpty());
}

void CheckHarvest(const Text& headers) {
    const Text normalised = NormaliseSetCookieCase(headers);
    FUZZ_CHECK(FoldAll(V(normalised)) == FoldAll(V(headers)));
    FUZZ_CHECK(CountOccurrences(FoldAll(V(normalised)), "set-cookie") == CountOccurrences(V(normalised), "Set-Cookie"));

    // Pieces joined by "; ", none holding a ";".
    const Text harvested = HarvestSetCookies(headers);
    const int lines = LinesContaining(normalised, "Set-Cookie");
    FUZZ_CHECK(CountOccurrences(V(harvested), ";") == (lines > 0 ? lines - 1 : 0));
}

void CheckHeaderLines(const Text& block) {
    const HeaderLines lines = SplitHeaderBlock(block);
    FUZZ_CHECK(lines.size() <= std::size_t(SplitText(block, "\r\n").Count()));
    for (const HeaderLine& line : lines) {
        FUZZ_CHECK(CountOccurrences(V(line.name), ":") == 0);
        const std::string whole = std::string(V(line.name)) + ":" + std::string(V(line.value));
        FUZZ_CHECK(V(block).find(whole) != sv::npos);
    }
    const Text value = HeaderValue(block);
    FUZZ_CHECK(StartsTrimmed(V(value)));
    FUZZ_CHECK(V(block).find(V(value)) != sv::npos);
}

void CheckUserAgent(const Text& block) {
    const Text agent = WinInetUserAgent(block);
    FUZZ_CHECK(CountOccurrences(V(agent), "\r\n") == 0);
    if (CountOccurrences(FoldAll(V(block)), "user-agent:") == 0) FUZZ_CHECK(V(agent) == kWinInetDefaultUserAgent);
}

void CheckCompletedBlock(const Text& block, const Text& url, const Text& cookies) {
    const Text complete = CompleteWinInetHeaderBlock(block, url, cookies);
    const sv c = V(complete);
    FUZZ_CHECK(c.substr(0, V(block).size()) == V(block));
    for (sv name : {"Accept:", "Referer:", "Accept-Language:", "Content-Type:"})
        FUZZ_CHECK(CountOccurrences(c, name) > 0);
    if (!cookies.IsEmpty()) FUZZ_CHECK(c.size() >= V(cookies).size() && c.substr(c.size() - V(cookies).size()) == V(cookies));
}

}  // namespace
}  // namespace velmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    using namespace velmora::fuzz;
    const Input in(data, size);
    const Text headers = in.At(0);
    CheckAutomationResponse(headers, in.At(1));
    CheckHarvest(headers);
    CheckHeaderLines(headers);
    CheckUserAgent(headers);
    CheckCompletedBlock(headers, in.At(2), in.At(3));
    return 0;
}
