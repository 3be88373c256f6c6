// Test helpers around the per-user WinInet cookie store, which lives as long
// as the test process: each test empties the part of it it looks at.
#pragma once

#include <string>

namespace velmora::testsupport {

// The store's whole answer for the URL (scheme and host), "" when none.
std::string StoreCookiesFor(const std::string& url);

// Expires every cookie the store offers for the URL.
void ClearStoreCookies(const std::string& url);

}  // namespace velmora::testsupport
