// The parts of the cookie-store routines that need no store: which store URL
// a URL maps to, picking one cookie out of a store answer, and cutting a
// cookie string into the (name, data) writes the store receives.
#pragma once

#include <vector>

#include "text/Text.h"

namespace velmora {

// "https://" + host for a URL whose first eight bytes, lower-cased, are
// "https://"; "http://" + host for any other (a bare host included). The host
// is UrlDomain's: lower case, no port, not reduced to the main domain.
Text StoreUrlFor(const Text& url);

// The value after the first occurrence of cookieName (ignoring case, matched
// as a substring) and the one character after it, up to the next ";" or the
// end; empty when the name does not occur.
Text PickCookieValue(const Text& answer, const Text& cookieName);

struct CookieWrite {
    Text name;  // as splitting left it, a leading space included
    Text data;  // never empty
};

// One write per member that holds "=": the name before the first "=", and the
// rest rebuilt from the "="-separated parts. Since a final "=" leaves no part
// after it, one "=" is lost from the end of a value. A member whose value
// comes out empty ("c=", "c==") writes nothing, as the merge of cookie
// strings drops such pairs too; an older value in the store then stays.
std::vector<CookieWrite> CookieWrites(const Text& cookies);

}  // namespace velmora
