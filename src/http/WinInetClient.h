// One HTTP request through WinInet.
//
// Omitted parameters are null pointers (or 0, false). cookies matters by
// being given: a given cookies, even empty, switches WinInet's own cookie
// handling off and comes back merged with the cookies the server set.
#pragma once

#include "text/Text.h"

namespace velmora {

ByteSet WinInetFetch(const Text& url, int method = 0, const Text* postText = nullptr, Text* cookies = nullptr,
                     Text* returnedCookies = nullptr, Text* headerBlock = nullptr,
                     Text* responseHeaders = nullptr, bool noRedirect = false, ByteSet* postBytes = nullptr,
                     const Text* proxy = nullptr);

}  // namespace velmora
