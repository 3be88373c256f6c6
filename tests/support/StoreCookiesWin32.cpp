#include "support/StoreCookiesWin32.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace velmora::testsupport {

constexpr char kExpired[] = "x; expires=Thu, 01-Jan-1970 00:00:01 GMT";

std::string StoreCookiesFor(const std::string& url) {
    std::vector<char> buffer(1 << 16);
    DWORD size = DWORD(buffer.size());
    if (!InternetGetCookieA(url.c_str(), nullptr, buffer.data(), &size)) return {};
    return std::string(buffer.data());
}

void ClearStoreCookies(const std::string& url) {
    const std::string cookies = StoreCookiesFor(url);
    std::size_t start = 0;
    while (start < cookies.size()) {
        std::size_t end = cookies.find(';', start);
        if (end == std::string::npos) end = cookies.size();
        // The store joins pairs with "; "; a space after that is part of the name.
        const std::size_t first = start > 0 && cookies[start] == ' ' ? start + 1 : start;
        const std::string pair = cookies.substr(first, end - first);
        start = end + 1;
        if (pair.empty()) continue;
        const std::string name = pair.substr(0, pair.find('='));
        InternetSetCookieA(url.c_str(), name.c_str(), kExpired);
    }
}

}  // namespace velmora::testsupport
