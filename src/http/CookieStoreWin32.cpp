#include "http/CookieStore.h"

#include <windows.h>
#include <wininet.h>

#include <climits>

#include "http/CookieStorePieces.h"
#include "text/Primitives.h"

namespace velmora {

namespace {

// The first read uses a buffer of this size; a larger answer is read again
// with the size the store reports.
constexpr int kReadBufferSize = 1024;
// A store answer that keeps growing between two calls is given up after this
// many tries rather than chased for ever.
constexpr int kReadAttempts = 4;

// The whole cookie string the store holds for storeUrl, or empty when it has
// none.
Text ReadWholeAnswer(const Text& storeUrl) {
    // The empty text as cookie name: the store then answers with every cookie.
    const Text allCookies("");
    DWORD size = kReadBufferSize;
    Text buffer = BlankText(kReadBufferSize);
    for (int attempt = 1;; ++attempt) {
        const DWORD offered = size;
        if (InternetGetCookieA(storeUrl.WinPtr(), allCookies.WinPtr(), buffer.MutableData(), &size))
            return Text::UpToZero(buffer.Data());
        // Only a lack of room is worth another call, with the size the store
        // asks for (BlankText adds one byte beyond it for the terminator).
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || attempt == kReadAttempts || size <= offered ||
            size > DWORD(INT_MAX - 1))
            return Text();
        buffer = BlankText(int(size));
    }
}

}  // namespace

Text ReadStoreCookies(const Text& url, const Text& cookieName) {
    const Text answer = ReadWholeAnswer(StoreUrlFor(url));
    if (TextLength(cookieName) == 0) return answer;
    return PickCookieValue(answer, cookieName);
}

void WriteStoreCookies(const Text& url, const Text& cookies) {
    const Text storeUrl = StoreUrlFor(url);
    // Each write stands alone: a refused cookie does not stop the others.
    for (const CookieWrite& write : CookieWrites(cookies))
        InternetSetCookieA(storeUrl.WinPtr(), write.name.WinPtr(), write.data.WinPtr());
}

}  // namespace velmora
