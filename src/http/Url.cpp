#include "http/Url.h"

#include "text/Extraction.h"
#include "text/Primitives.h"

namespace velmora {

namespace {

constexpr char kHttpScheme[] = "http://";
constexpr char kHttpsScheme[] = "https://";
constexpr char kHttpsWord[] = "https";
constexpr char kSlash[] = "/";
constexpr char kColon[] = ":";
constexpr char kDot[] = ".";
constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

bool Equal(const Text& a, const Text& b) { return CompareText(a, b) == 0; }

// The last two labels joined by "."; a host of one label stays as it is.
// IP addresses are treated like names.
Text MainDomain(const Text& host) {
    TextArray labels = SplitText(host, kDot);
    const int count = labels.Count();
    if (count < 2) return host;
    return ConcatText(labels.At(count - 1), kDot, labels.At(count));
}

// Everything before the first ":", or the whole text.
Text CutAtColon(const Text& host) {
    const int colon = FindText(host, kColon);
    return colon > 0 ? LeftText(host, colon - 1) : host;
}

Text HostByScheme(const Text& url, bool mainDomain) {
    Text u = LowerText(url);
    if (!Equal(RightText(u, 1), kSlash)) u = ConcatText(u, kSlash);

    Text host;
    if (Equal(LeftText(u, 8), kHttpsScheme)) {
        host = TextBetween(u, kHttpsScheme, kSlash);
    } else {
        if (FindText(u, kHttpScheme) < 0) u = ConcatText(kHttpScheme, u);
        host = TextBetween(u, kHttpScheme, kSlash);
    }
    return mainDomain ? MainDomain(host) : host;
}

// Keeps the last labelCount + 2 labels (labelCount + 1 with mainDomain),
// counting dots from the end.
Text HostByLabels(const Text& url, bool mainDomain, int labelCount) {
    Text u = ReplaceText(ReplaceText(LowerText(url), kHttpScheme), kHttpsScheme);
    const int slash = FindText(u, kSlash);
    if (slash > 0) u = LeftText(u, slash - 1);

    const int length = TextLength(u);
    int h = length;
    for (int i = 0; i < labelCount; ++i) h = FindTextReverse(u, kDot, h);
    const int l = FindTextReverse(u, kDot, h);

    if (mainDomain) return RightText(u, length - l);
    if (l != -1) {
        const int k = FindTextReverse(u, kDot, l);
        if (k != -1) return RightText(u, length - k);
    }
    return u;
}

}  // namespace

Text UrlDomain(const Text& url, bool mainDomain, bool keepPort) {
    int begin = 1;
    const int http = FindText(url, kHttpScheme);
    if (http > 0) {
        begin = http + 7;
    } else {
        const int https = FindText(url, kHttpsScheme);
        if (https > 0) begin = https + 8;
    }

    const int slash = FindText(url, kSlash, begin);
    Text host = MidText(url, begin, slash > 0 ? slash - begin : TextLength(url));
    if (!keepPort) host = CutAtColon(host);
    host = LowerText(host);
    return mainDomain ? MainDomain(host) : host;
}

Text UrlHost(const Text& url, bool mainDomain, bool keepPort, std::optional<int> labelCount) {
    Text host = labelCount ? HostByLabels(url, mainDomain, *labelCount) : HostByScheme(url, mainDomain);
    return keepPort ? host : CutAtColon(host);
}

int UrlPort(const Text& url) {
    const Text host = UrlHost(url, false, true);
    const int colon = FindTextReverse(host, kColon);
    if (colon != -1) return TextToInt(RightText(host, TextLength(host) - colon));
    return Equal(LeftText(LowerText(url), 5), kHttpsWord) ? kHttpsPort : kHttpPort;
}

Text UrlPath(const Text& url) {
    const Text host = UrlHost(url);
    const int hostAt = FindText(url, host, 1, true);
    const int slash = FindText(url, kSlash, hostAt, true);
    if (slash <= 0) return kSlash;
    return RightText(url, TextLength(url) - slash + 1);
}

}  // namespace velmora
