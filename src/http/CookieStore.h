// The per-user WinInet cookie store, shared by both HTTP clients.
#pragma once

#include "text/Text.h"

namespace velmora {

// The whole cookie string the store holds for the URL's host (asked under the
// URL's own scheme), or the value of one cookie when cookieName is not empty;
// empty when the store has none.
Text ReadStoreCookies(const Text& url, const Text& cookieName = Text());

// Writes every name=value member of cookies into the store under the URL's
// scheme and host, without attributes.
void WriteStoreCookies(const Text& url, const Text& cookies);

}  // namespace velmora
