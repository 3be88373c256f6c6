// The character walk shared by the searching primitives and the extraction
// routines: a byte of 0x80 or above and the byte after it are one character,
// and a match counts only where a character starts, counting from where the
// walk began.
//
// The search jumps to the next candidate with the library's byte search and
// accepts it only where the walk would have a character start; a candidate
// at the second byte of a two-byte character is passed over.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/Text.h"

namespace velmora {

// The text without its leading and trailing space units (0x20 and A1 A1);
// a lone lead byte at the end is cut off, with the spaces before it kept.
std::string_view TrimmedView(std::string_view text);

namespace walk {

inline const unsigned char* Bytes(const Text& text) {
    return reinterpret_cast<const unsigned char*>(text.Data());
}

inline bool IsLead(unsigned char b) { return b >= 0x80; }
inline int CharSize(unsigned char b) { return IsLead(b) ? 2 : 1; }

inline unsigned char FoldCase(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 0x20) : b;
}

// Walks from the character start p up to target: returns target when a
// character starts there, else the first character start after it.
inline int AdvanceTo(const unsigned char* d, int p, int target) {
    while (p < target) {
        if (target - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, d + p, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                p += 8;
                continue;
            }
        }
        p += CharSize(d[p]);
    }
    return p;
}

// Whether a walk from the character start `known` (known <= q) has a
// character start at q. A byte below 0x80 is never a lead byte, so the byte
// after it always starts a character; from there (or from `known`) the bytes
// of 0x80 and above up to q pair off into two-byte characters.
inline bool StartsCharacter(const unsigned char* d, int known, int q) {
    int i = q;
    while (i > known && IsLead(d[i - 1])) --i;
    return ((q - i) & 1) == 0;
}

inline bool SameBytes(const unsigned char* a, const unsigned char* b, int n, bool ignoreCase) {
    if (!ignoreCase) return std::memcmp(a, b, std::size_t(n)) == 0;
    for (int i = 0; i < n; ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

// The next offset in [from, end) holding b, or either case of it when
// ignoring case; -1 when there is none. Both cases are looked for a chunk at
// a time, so no stretch far beyond the hit is scanned.
inline int NextFirstByte(const unsigned char* d, int from, int end, unsigned char b, bool ignoreCase) {
    unsigned char lower = FoldCase(b);
    unsigned char upper = (lower >= 'a' && lower <= 'z') ? static_cast<unsigned char>(lower - 0x20) : lower;
    if (!ignoreCase || lower == upper) {
        if (from >= end) return -1;
        const void* hit = std::memchr(d + from, b, std::size_t(end - from));
        return hit ? int(static_cast<const unsigned char*>(hit) - d) : -1;
    }
    constexpr int kChunk = 4096;
    while (from < end) {
        int chunkEnd = end - from > kChunk ? from + kChunk : end;
        auto* l = static_cast<const unsigned char*>(std::memchr(d + from, lower, std::size_t(chunkEnd - from)));
        int limit = l ? int(l - d) : chunkEnd;
        auto* u = static_cast<const unsigned char*>(std::memchr(d + from, upper, std::size_t(limit - from)));
        if (u) return int(u - d);
        if (l) return int(l - d);
        from = chunkEnd;
    }
    return -1;
}

// Offset of the first occurrence of sought (m > 0 bytes) that starts at a
// character start of a walk from the character start `from` and lies within
// the first `length` bytes; -1 when there is none.
inline int Find(const unsigned char* d, int length, int from, const unsigned char* sought, int m,
                bool ignoreCase) {
    int lastStart = length - m;
    if (from > lastStart) return -1;
    std::string_view text(reinterpret_cast<const char*>(d), std::size_t(length));
    std::string_view wanted(reinterpret_cast<const char*>(sought), std::size_t(m));
    int known = from;  // the latest offset known to start a character
    for (int q = from; q <= lastStart; ++q) {
        if (ignoreCase) {
            q = NextFirstByte(d, q, lastStart + 1, sought[0], true);
        } else {
            std::size_t hit = text.find(wanted, std::size_t(q));
            q = hit == std::string_view::npos ? -1 : int(hit);
        }
        if (q < 0) return -1;
        if (!StartsCharacter(d, known, q)) {
            known = q + 1;  // q is a second byte, so a character starts after it
            continue;
        }
        if (!ignoreCase || SameBytes(d + q, sought, m, true)) return q;
        known = q;
    }
    return -1;
}

}  // namespace walk
}  // namespace velmora
