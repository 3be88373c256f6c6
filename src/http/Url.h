// Taking a URL apart by plain text searches, without a URL parser. Only "/"
// ends a host; the main domain is the last two labels, with no list of
// public suffixes. The clients and the cookie store rely on these exact
// results, quirks included.
#pragma once

#include <optional>

#include "text/Text.h"

namespace velmora {

// Lower-case host. The scheme is matched in case; the port is cut unless
// keepPort; mainDomain reduces the host to its last two labels.
Text UrlDomain(const Text& url, bool mainDomain = false, bool keepPort = false);

// Lower-case host. With labelCount given it keeps the last labelCount + 2
// labels (labelCount + 1 with mainDomain).
Text UrlHost(const Text& url, bool mainDomain = false, bool keepPort = false,
             std::optional<int> labelCount = std::nullopt);

// The number after the host's last colon, else 443 for https and 80.
int UrlPort(const Text& url);

// From the first "/" after the host to the end, query included; "/" when none.
Text UrlPath(const Text& url);

}  // namespace velmora
