// Cookie strings: name=value pairs separated by ";" and written with "; ".
// The merges are exact about spaces, separators and deleted pairs: callers
// and the cookie store rely on the exact form each one produces.
#pragma once

#include "text/Text.h"

namespace velmora {

// Updates oldCookies with the pairs of newCookies. Both are normalised in
// place (trimmed, ending with ";"); oldCookies receives the merged string,
// which is also returned: every pair followed by "; ", then trimmed.
Text MergeCookies(Text& oldCookies, Text& newCookies);

// Received pairs first, then held pairs whose names were not received; pairs
// joined by "; ". Both arguments lose their spaces in place; heldCookies
// receives the result, which is also returned.
Text MergeCookiesUnique(Text& heldCookies, Text& receivedCookies);

// The text before the first "=", trimmed; the whole pair trimmed without "=".
Text CookiePairName(const Text& pair);

// The list without repeated items, in first-seen order.
Text RemoveDuplicateItems(const Text& list, const Text& separator);

}  // namespace velmora
