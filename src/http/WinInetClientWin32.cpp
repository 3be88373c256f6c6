#include "http/WinInetClient.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>

#include "http/CookieString.h"
#include "http/HttpHeaders.h"
#include "http/Url.h"
#include "text/Primitives.h"

namespace velmora {
namespace {

static_assert(kFlagReload == INTERNET_FLAG_RELOAD && kFlagNeedFile == INTERNET_FLAG_NEED_FILE &&
                  kFlagNoCookies == INTERNET_FLAG_NO_COOKIES &&
                  kFlagNoAutoRedirect == INTERNET_FLAG_NO_AUTO_REDIRECT && kFlagSecure == INTERNET_FLAG_SECURE &&
                  kFlagIgnoreRedirectToHttps == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS,
              "request flags must match WinInet's");

constexpr char kHttpVersion[] = "HTTP/1.1";
constexpr char kNoBypass[] = "";
constexpr int kReadBufferSize = 1024;
constexpr DWORD kRawHeaderBufferSize = 5000;
constexpr int kRawHeaderAttempts = 3;

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) noexcept : handle_(handle) {}
    ~InternetHandle() { Close(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void Close() noexcept {
        if (handle_) InternetCloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HINTERNET handle_;
};

HINTERNET OpenRoot(const Text& agent, const Text& proxy, bool https) {
    if (proxy.IsEmpty()) return InternetOpenA(agent.WinPtr(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    const Text proxyText = WinInetProxyText(proxy, https);
    return InternetOpenA(agent.WinPtr(), INTERNET_OPEN_TYPE_PROXY, proxyText.WinPtr(), kNoBypass, 0);
}

// Reads until a read fails or delivers nothing; each read is appended with
// amortised growth, so a large body costs time in proportion to its size.
ByteSet ReadBody(HINTERNET request) {
    ByteSet body;
    unsigned char buffer[kReadBufferSize];
    for (;;) {
        DWORD received = 0;
        if (!InternetReadFile(request, buffer, kReadBufferSize, &received) || received == 0) break;
        body.Append(buffer, int(received));
    }
    return body;
}

// The raw response header block. A block that does not fit the first
// buffer is asked for again with the size WinInet reports; a failed query
// gives the empty text.
Text ReadRawHeaders(HINTERNET request) {
    DWORD size = kRawHeaderBufferSize;
    for (int attempt = 0; attempt < kRawHeaderAttempts; ++attempt) {
        Text buffer = BlankText(int(size));
        DWORD length = size;
        if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.MutableData(), &length, nullptr)) {
            if (length > size) length = size;
            return Text::Result(buffer.Data(), int(strnlen(buffer.Data(), length)));
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= size) break;
        size = length + 1;
    }
    return Text();
}

}  // namespace

ByteSet WinInetFetch(const Text& url, int method, const Text* postText, Text* cookies, Text* returnedCookies,
                     Text* headerBlock, Text* responseHeaders, bool noRedirect, ByteSet* postBytes,
                     const Text* proxy) {
    const Text verb = WinInetVerb(method);
    const bool https = IsHttpsUrl(url);
    const Text callerBlock = headerBlock ? *headerBlock : Text();
    const Text cookieText = cookies ? *cookies : Text();

    InternetHandle root(OpenRoot(WinInetUserAgent(callerBlock), proxy ? *proxy : Text(), https));
    if (!root) return ByteSet();
    InternetHandle connection(InternetConnectA(root.Get(), UrlHost(url).WinPtr(), INTERNET_PORT(UrlPort(url)),
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return ByteSet();
    const DWORD flags = WinInetRequestFlags(https, cookies != nullptr, noRedirect);
    InternetHandle request(HttpOpenRequestA(connection.Get(), verb.WinPtr(), UrlPath(url).WinPtr(), kHttpVersion,
                                            nullptr, nullptr, flags, 0));
    if (!request) return ByteSet();

    Text block = CompleteWinInetHeaderBlock(callerBlock, url, cookieText);
    if (headerBlock) *headerBlock = block;

    const bool carriesBody = method == 1 || method == 2;  // POST and HEAD; every other index is GET
    if (!carriesBody) {
        char noBody[] = "";
        HttpSendRequestA(request.Get(), block.WinPtr(), DWORD(block.Length()), noBody, 0);
    } else {
        ByteSet sentBytes = postBytes ? *postBytes : ByteSet();
        if (sentBytes.IsEmpty()) {
            sentBytes = TextToBytes(postText ? *postText : Text());
            if (postBytes) *postBytes = sentBytes;
        }
        HttpSendRequestA(request.Get(), block.WinPtr(), DWORD(block.Length()), sentBytes.MutableData(),
                         DWORD(sentBytes.Length()));
    }

    ByteSet body = ReadBody(request.Get());
    const Text rawHeaders = ReadRawHeaders(request.Get());
    request.Close();
    connection.Close();
    root.Close();

    if (responseHeaders) *responseHeaders = NormaliseSetCookieCase(rawHeaders);
    Text harvested = HarvestSetCookies(rawHeaders);
    if (cookies) {
        MergeCookiesUnique(*cookies, harvested);
        harvested = *cookies;
    }
    if (returnedCookies) *returnedCookies = harvested;
    return body;
}

}  // namespace velmora
