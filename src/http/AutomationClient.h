// One HTTP request through a COM HTTP request object, driven by member name.
//
// Every parameter after url may be omitted (a null pointer, false or 0) and
// then behaves exactly like an empty text, false, 0 or an empty byte set.
// Given pointers are in-and-out: method and headerBlock come back normalised,
// cookies merged, and returnedCookies, location and responseHeaders filled.
#pragma once

#include "text/Text.h"

namespace velmora {

ByteSet AutomationFetch(const Text& url, Text* method = nullptr, const Text* postText = nullptr,
                        Text* cookies = nullptr, Text* returnedCookies = nullptr, Text* headerBlock = nullptr,
                        Text* location = nullptr, bool noRedirect = false, int timeoutSeconds = 0,
                        Text* responseHeaders = nullptr, const ByteSet* postBytes = nullptr);

}  // namespace velmora
