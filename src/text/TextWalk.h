// The character walk shared by the searching primitives and the extraction
// routines: a byte of 0x80 or above and the byte after it are one character,
// and a match counts only where a character starts, counting from where the
// walk began.
//
// The search jumps with memchr to the next byte that could start a match and
// then walks up to it, eight one-byte characters at a time where it can; a
// candidate that turns out to be the second byte of a two-byte character is
// passed over.
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

inline bool SameBytes(const unsigned char* a, const unsigned char* b, int n, bool ignoreCase) {
    if (!ignoreCase) return std::memcmp(a, b, std::size_t(n)) == 0;
    for (int i = 0; i < n; ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

// Finds, in the first `length` bytes, the next offset at or after `from`
// (and before `end`) holding `b`, or either case of it when ignoring case.
class CandidateFinder {
public:
    CandidateFinder(const unsigned char* d, int end, unsigned char b, bool ignoreCase)
        : d_(d), end_(end), lower_(FoldCase(b)) {
        upper_ = (ignoreCase && lower_ >= 'a' && lower_ <= 'z') ? static_cast<unsigned char>(lower_ - 0x20)
                                                                : lower_;
        if (!ignoreCase) lower_ = upper_ = b;
    }

    int Next(int from) {
        if (from >= end_) return -1;
        if (lower_ == upper_) return Scan(lower_, from);
        // Each case keeps its own next hit, so no stretch is scanned twice.
        if (nextLower_ != kNone && nextLower_ < from) nextLower_ = kUnknown;
        if (nextUpper_ != kNone && nextUpper_ < from) nextUpper_ = kUnknown;
        if (nextLower_ == kUnknown) nextLower_ = Scan(lower_, from);
        if (nextUpper_ == kUnknown) nextUpper_ = Scan(upper_, from);
        if (nextLower_ == kNone) return nextUpper_;
        if (nextUpper_ == kNone) return nextLower_;
        return nextLower_ < nextUpper_ ? nextLower_ : nextUpper_;
    }

private:
    static constexpr int kNone = -1;
    static constexpr int kUnknown = -2;

    int Scan(unsigned char b, int from) const {
        const void* hit = std::memchr(d_ + from, b, std::size_t(end_ - from));
        return hit ? int(static_cast<const unsigned char*>(hit) - d_) : kNone;
    }

    const unsigned char* d_;
    int end_;
    unsigned char lower_;
    unsigned char upper_;
    int nextLower_ = kUnknown;
    int nextUpper_ = kUnknown;
};

// Offset of the first occurrence of sought (m > 0 bytes) that starts at a
// character start at or after the character start `from` and lies within
// the first `length` bytes; -1 when there is none.
inline int Find(const unsigned char* d, int length, int from, const unsigned char* sought, int m,
                bool ignoreCase) {
    int lastStart = length - m;
    if (from > lastStart) return -1;
    CandidateFinder candidates(d, lastStart + 1, sought[0], ignoreCase);
    int p = from;
    while (p <= lastStart) {
        int q = candidates.Next(p);
        if (q < 0) return -1;
        p = AdvanceTo(d, p, q);
        if (p != q) continue;  // q was the second byte of a character
        if (SameBytes(d + q, sought, m, ignoreCase)) return q;
        p += CharSize(d[q]);
    }
    return -1;
}

}  // namespace walk
}  // namespace velmora
