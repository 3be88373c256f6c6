// URL dissection: any text gives a lower-case host that holds no "/" (and no
// ":" unless the port is kept), a port, and a path that begins with "/".
// For a plain "http://host[:port][/path]" the pieces are the obvious ones.
//
// Texts: 0 URL. Parameters: byte 0 flags (bit 0 mainDomain, 1 keepPort,
// 2 labelCount given), byte 1 labelCount.
#include <optional>

#include "FuzzSupport.h"
#include "http/Url.h"
#include "text/Primitives.h"

namespace velmora::fuzz {
namespace {

using sv = std::string_view;

void CheckHost(const Text& host, bool keepPort) {
    FUZZ_CHECK(V(LowerText(host)) == V(host));
    FUZZ_CHECK(CountOccurrences(V(host), "/") == 0);
    if (!keepPort) FUZZ_CHECK(CountOccurrences(V(host), ":") == 0);
}

bool IsHostByte(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-'; }

// "http://" + host [+ ":" + digits] [+ "/" + anything]: the host, port and
// path a reader of the URL sees.
struct PlainUrl {
    std::string host;
    int port = 80;
    std::string path = "/";
};

std::optional<PlainUrl> ReadPlainUrl(sv url) {
    constexpr sv scheme = "http://";
    if (url.substr(0, scheme.size()) != scheme) return std::nullopt;
    sv rest = url.substr(scheme.size());
    PlainUrl plain;
    std::size_t i = 0;
    while (i < rest.size() && IsHostByte(rest[i])) ++i;
    plain.host = std::string(rest.substr(0, i));
    // The host must not occur inside the scheme, where the path search
    // would find it first.
    if (plain.host.empty() || scheme.find(plain.host) != sv::npos) return std::nullopt;
    if (i < rest.size() && rest[i] == ':') {
        std::size_t digits = ++i;
        while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && i - digits < 5) ++i;
        if (i == digits) return std::nullopt;
        plain.port = std::stoi(std::string(rest.substr(digits, i - digits)));
    }
    if (i < rest.size()) {
        if (rest[i] != '/') return std::nullopt;
        plain.path = std::string(rest.substr(i));
    }
    return plain;
}

}  // namespace
}  // namespace velmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    using namespace velmora::fuzz;
    const Input in(data, size);
    const Text url = in.At(0);
    const bool mainDomain = in.Flag(0, 0);
    const bool keepPort = in.Flag(0, 1);
    const std::optional<int> labelCount = in.Flag(0, 2) ? std::optional<int>(in.Small(1)) : std::nullopt;

    const Text domain = UrlDomain(url, mainDomain, keepPort);
    CheckHost(domain, keepPort);
    if (mainDomain && !keepPort) FUZZ_CHECK(CountOccurrences(V(domain), ".") <= 1);

    const Text host = UrlHost(url, mainDomain, keepPort, labelCount);
    CheckHost(host, keepPort);
    if (mainDomain && !keepPort && !labelCount) FUZZ_CHECK(CountOccurrences(V(host), ".") <= 1);

    const int port = UrlPort(url);
    if (FindTextReverse(UrlHost(url, false, true), ":") == -1) FUZZ_CHECK(port == 80 || port == 443);

    const Text path = UrlPath(url);
    const sv p = V(path);
    const sv u = V(url);
    FUZZ_CHECK(!p.empty() && p[0] == '/');
    FUZZ_CHECK(p == "/" || (p.size() <= u.size() && u.substr(u.size() - p.size()) == p));

    if (const auto plain = ReadPlainUrl(u)) {
        FUZZ_CHECK(V(UrlHost(url)) == plain->host);
        FUZZ_CHECK(V(UrlDomain(url)) == plain->host);
        FUZZ_CHECK(port == plain->port);
        FUZZ_CHECK(p == plain->path);
    }
    return 0;
}
